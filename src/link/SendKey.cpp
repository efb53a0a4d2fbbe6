// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/SendKey.h"

#include "link/LiveFrame.h"

void SendKey(char letter, const LinkState& link, IComPort& port, const SendKeyServices& services)
{
    const CommandFrame frame = makeCommandFrame(letter);

    if (link.PollWriting)
        services.waitWithMessages(kSendKeyPollWaitMs);

    if (link.InReceive) {
        // The frame reader runs on this thread, so while we block here it cannot finish; the
        // wait is bounded so that a key press never hangs the program.
        const std::int64_t start = services.tickMs();
        while (link.InReceive && services.tickMs() - start < kSendKeyReceiveWaitMs)
            services.pause();
    }

    if (!link.Connected)
        return;
    port.Write(frame.data(), int(frame.size()), false);
    services.beep();
}

// SPDX-License-Identifier: GPL-3.0-or-later
// The logger download's exchange (connect, start, the memory blocks with their answers) against
// a meter whose every reply comes from the fuzzer's bytes (ReplyScript). The first byte chooses
// how the device is found (bit 0: the live link still receiving, bit 1: the download port
// refusing to open) and whether the user cancels (bit 2: after as many of the exchange's looks
// at Cancel as the second byte, times 16).
#include "FuzzSupport.h"
#include "ReplyScript.h"

#include "base/SilentAbort.h"
#include "logger/MemoryImage.h"
#include "logger/ReceiveMemoryImage.h"
#include "tools/sim/MeterModel.h"

#include <set>

namespace {

struct Host : ILoggerPortHost {
    Host(sim::SimLine& line) : comm1(line, QStringLiteral("/dev/ttyUSB0")), comm2(line, QStringLiteral("COM1"))
    {
        comm1.setLineCut(true);
        comm2.setLineCut(true);
    }
    const LinkState& Link() const override { return link; }
    bool MeterRecording() const override { return false; }
    IComPort& Comm1() override { return comm1; }
    IComPort& Comm2() override { return comm2; }
    void SetMainTimerEnabled(bool on) override { mainTimer = on; }
    void AttachLiveReceiver() override {}
    void SetBusyCursor(bool on) override { busy = on; }

    LinkState link;
    sim::SimPort comm1;
    sim::SimPort comm2;
    bool mainTimer = true;
    bool busy = false;
};

// The progress window, with the user's Cancel after a number of looks the input chooses.
struct Progress : IDownloadProgress {
    void ProgressStarted() override
    {
        FUZZ_CHECK(started == 0 && closed == 0, "the attempt started twice");
        ++started;
    }
    void ProgressOpened(int totalBytes) override
    {
        FUZZ_CHECK(started == 1 && opened == 0 && closed == 0, "the progress window opened twice");
        FUZZ_CHECK(totalBytes >= Image::kMinUsedLength && totalBytes <= Image::kMaxUsedLength + 63
                       && totalBytes % 64 == 0,
                   "a progress total that no used length gives");
        ++opened;
        total = totalBytes;
    }
    void ProgressChanged(const DownloadProgress& p) override
    {
        FUZZ_CHECK(opened == 1 && closed == 0, "progress outside its window");
        FUZZ_CHECK(p.total == total && p.received >= last && p.received <= p.total && p.received % 64 == 0,
                   "progress that runs backwards or beyond its total");
        FUZZ_CHECK(!p.msLeft || *p.msLeft >= 0, "a negative time left");
        last = p.received;
    }
    void ProgressClosed() override
    {
        FUZZ_CHECK(started == 1 && closed == 0, "the progress window closed twice");
        ++closed;
    }
    bool CancelRequested() const override { return cancelAfter > 0 && ++looks >= cancelAfter; }

    int started = 0, opened = 0, closed = 0, total = 0, last = 0;
    int cancelAfter = 0; // 0: never
    mutable int looks = 0;
};

sim::MeterModel& unusedMeter()
{
    // The lines are cut: the simulated meter itself never hears or says anything here.
    static sim::MeterModel meter;
    return meter;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    const std::uint8_t setup = in.byte();
    const int cancelAfter = setup & 4 ? 1 + 16 * in.byte() : 0;

    ManualClock clock;
    sim::SimLine line(unusedMeter(), clock);
    Host host(line);
    host.comm1.Open();
    host.link.Connected = true;
    host.link.InReceive = setup & 1;
    host.comm2.setOpenFails(setup & 2);
    ReplyScript meter(in, host.comm2, clock);
    Progress progress;
    progress.cancelAfter = cancelAfter;
    DownloadServices services{[&](int ms) { meter.advance(ms + 1); }, [&] { meter.advance(10); }, &clock};

    MemoryImage image;
    DownloadStatus status = DownloadStatus::NoAnswer;
    try {
        status = ReceiveMemoryImage(host, progress, services, image);
    } catch (const SilentAbort&) {
        // The port raises it for a read of more than waits, or an operation on a closed port.
        FUZZ_CHECK(false, "a port operation that the port refused");
    }
    meter.advance(0); // takes the last commands written

    const std::set<char> letters{Download::Letter::Connect, Download::Letter::Start, Download::Letter::Next,
                                 Download::Letter::Again, Download::Letter::Quit};
    for (const CommandFrame& f : meter.commands())
        FUZZ_CHECK(letters.count(char(f[1])) == 1, "a command the download does not know");
    FUZZ_CHECK(!host.mainTimer, "the watchdog runs during the download");
    FUZZ_CHECK(progress.started == 1 && progress.closed == 1, "the progress window stays open");
    FUZZ_CHECK(image.size() % 64 == 0 && image.size() <= meter.delivered() / 65 * 64,
               "image bytes that no accepted block brought");

    const auto used = image.size() >= 64 ? int(Image::readUnsigned(Image::bytes(image), Image::kUsedLengthAt, 3)) : -1;
    const bool usedOk = used >= Image::kMinUsedLength && used <= Image::kMaxUsedLength;
    switch (status) {
    case DownloadStatus::Ok:
        FUZZ_CHECK(usedOk && image.size() == (used + 63) / 64 * 64, "a whole memory that is not its used length");
        FUZZ_CHECK(meter.commands().back()[1] == Download::Letter::Quit, "a transfer that does not end with Q");
        break;
    case DownloadStatus::Incomplete:
        FUZZ_CHECK(image.isEmpty() || (usedOk && image.size() < (used + 63) / 64 * 64),
                   "an incomplete transfer with the whole memory");
        FUZZ_CHECK(meter.commands().back()[1] == Download::Letter::Quit, "a transfer that does not end with Q");
        break;
    case DownloadStatus::BadUsedLength:
        FUZZ_CHECK(image.size() == 64 && !usedOk, "a bad used length that is not bad");
        break;
    case DownloadStatus::NoAnswer:
        FUZZ_CHECK(image.isEmpty() && progress.opened == 0, "no answer, yet blocks were taken");
        break;
    case DownloadStatus::Cancelled:
        FUZZ_CHECK(cancelAfter > 0, "cancelled without the user");
        FUZZ_CHECK(!host.comm2.Active() || meter.commands().back()[1] == Download::Letter::Quit,
                   "a cancelled transfer that does not tell the meter");
        break;
    default:
        FUZZ_CHECK(false, "a status that the exchange does not give");
    }
    return 0;
}

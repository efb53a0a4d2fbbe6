// SPDX-License-Identifier: GPL-3.0-or-later
#include "logger/ReceiveMemoryImage.h"

#include "base/PortErrors.h"
#include "base/SilentAbort.h"
#include "link/ComPortTypes.h"
#include "link/LiveFrame.h"
#include "logger/DownloadProgress.h"

#include <array>

using namespace Download;

namespace {

class Exchange {
public:
    Exchange(ILoggerPortHost& host, IDownloadProgress& progress, const DownloadServices& services)
        : host_(host), port_(host.Comm2()), progress_(progress), services_(services),
          clock_(*services.clock)
    {
    }
    ~Exchange()
    {
        if (progressOpen_)
            progress_.ProgressClosed();
    }

    DownloadStatus run(MemoryImage& image);

private:
    bool takeOver();
    bool connect();
    bool start();
    DownloadStatus transfer(MemoryImage& image);
    bool acceptBlock(const std::array<std::uint8_t, kBlockLength>& block, MemoryImage& image);
    void acknowledge();

    std::int64_t now() const { return clock_.TickMs(); }
    void wait(int ms) { services_.waitWithMessages(ms); }
    void send(char letter)
    {
        const CommandFrame frame = makeCommandFrame(letter);
        port_.Write(frame.data(), int(frame.size()), false);
    }
    // Looks at the input queue until it holds `count` bytes or timeoutMs have passed since
    // `since`; returns the last count seen.
    int pollInput(int count, int timeoutMs, std::int64_t since)
    {
        for (;;) {
            const int n = port_.InputCount();
            if (n >= count || now() - since >= timeoutMs)
                return n;
            services_.pause();
        }
    }
    void showProgress()
    {
        if (progressOpen_)
            progress_.ProgressChanged({received_, expected_, estimate_.msLeft(now(), received_, expected_)});
    }

    ILoggerPortHost& host_;
    IComPort& port_;
    IDownloadProgress& progress_;
    const DownloadServices& services_;
    const IClock& clock_;
    bool progressOpen_ = false;
    int received_ = 0;
    int expected_ = 0;
    TimeLeftEstimate estimate_;
};

// A port that fails on the way (the adapter pulled, the device gone) is a meter that does not
// answer before the transfer and a transfer that ended early within it: the user is told and
// may try again, as after any other failed exchange.
DownloadStatus Exchange::run(MemoryImage& image)
{
    bool transferring = false;
    try {
        if (!takeOver() || !connect())
            return DownloadStatus::NoAnswer;
        host_.SetBusyCursor(true);
        if (!start())
            return DownloadStatus::NoAnswer;
        transferring = true;
        return transfer(image);
    } catch (const SilentAbort&) {
    } catch (const EComError&) {
    }
    if (!transferring)
        return DownloadStatus::NoAnswer;
    ignoringErrors([this] { send(Letter::Quit); });
    return DownloadStatus::Incomplete;
}

bool Exchange::takeOver()
{
    if (host_.Link().InMainTick)
        return false;
    host_.SetMainTimerEnabled(false);

    const std::int64_t since = now();
    while (host_.Link().InReceive && now() - since < kInReceiveWaitMs)
        wait(10);
    if (host_.Link().InReceive)
        return false;

    IComPort& live = host_.Comm1();
    ignoringErrors([&] { live.SetActive(false); });
    ignoringErrors([&] { live.Close(); });
    if (live.Active())
        return false;
    wait(kAfterCloseMs);

    ignoringErrors([&] {
        if (port_.Active())
            port_.Close();
    });
    // A port that cannot be opened is a meter that cannot be reached, not a silent end.
    ignoringErrors([&] {
        port_.SetDeviceName(live.DeviceName());
        port_.SetActive(true);
    });
    if (!port_.Active())
        return false;
    wait(kAfterOpenMs);
    port_.PurgeInput();
    return true;
}

bool Exchange::connect()
{
    bool answered = false;
    for (int attempt = 0; attempt < kConnectTries && !answered; ++attempt) {
        send(Letter::Connect);
        answered = pollInput(kReplyLength, kConnectTimeoutMs, now()) == kReplyLength;
        if (!answered)
            port_.PurgeInput();
    }
    port_.PurgeInput(); // the reply is not looked at
    return answered;
}

bool Exchange::start()
{
    for (int attempt = 0; attempt < kStartTries; ++attempt) {
        send(Letter::Start);
        if (pollInput(kReplyLength, kStartTimeoutMs, now()) < kReplyLength) {
            port_.PurgeInput();
            continue;
        }
        // Only the reply: block bytes behind it stay queued.
        std::array<std::uint8_t, kReplyLength> reply{};
        port_.Read(reply.data(), kReplyLength, false);
        if (reply[1] == std::uint8_t(Letter::Start))
            return true;
    }
    return false;
}

DownloadStatus Exchange::transfer(MemoryImage& image)
{
    int failures = 0;
    bool accepted = false;
    std::int64_t lastActivity = now();
    while (now() - lastActivity < kSilenceMs) {
        if (failures > kMaxFailures) {
            send(Letter::Quit);
            break;
        }
        const int n = port_.InputCount();
        if (n >= kBlockLength) {
            std::array<std::uint8_t, kBlockLength> block{};
            port_.Read(block.data(), kBlockLength, false);
            if (acceptBlock(block, image)) {
                failures = 0;
                accepted = true;
                const bool first = received_ == kBlockPayload;
                if (first) {
                    const auto used = int(Image::readUnsigned(block, Image::kUsedLengthAt, 3));
                    if (used > Image::kMaxUsedLength || used < Image::kMinUsedLength)
                        return DownloadStatus::BadUsedLength;
                    expected_ = (used + kBlockPayload - 1) / kBlockPayload * kBlockPayload;
                    progress_.ProgressOpened(expected_);
                    progressOpen_ = true;
                }
                acknowledge();
                if (first) // the pace is measured from one acknowledged block to the next
                    estimate_.start(now(), received_);
                showProgress();
            } else {
                ++failures;
                showProgress();
                send(Letter::Again);
            }
            lastActivity = now();
        } else if (n > 0 && now() - lastActivity > kPartialBlockMs) {
            QByteArray dropped(n, '\0');
            port_.Read(dropped.data(), n, false);
            ++failures;
            showProgress();
            send(Letter::Again);
            lastActivity = now();
        } else {
            services_.pause();
        }
        if (received_ > 0 && received_ >= expected_)
            break;
    }
    send(Letter::Quit);
    return accepted && received_ >= expected_ ? DownloadStatus::Ok : DownloadStatus::Incomplete;
}

// A block whose sum matches is appended to the image.
bool Exchange::acceptBlock(const std::array<std::uint8_t, kBlockLength>& block, MemoryImage& image)
{
    unsigned sum = 0;
    for (int i = 0; i < kBlockPayload; ++i)
        sum += block[std::size_t(i)];
    if (std::uint8_t(sum) != block[kBlockPayload])
        return false;
    image.append(reinterpret_cast<const char*>(block.data()), kBlockPayload);
    received_ += kBlockPayload;
    return true;
}

// "y" after a short pause, again every 100 ms while nothing comes, at most ten in all.
void Exchange::acknowledge()
{
    wait(kAckDelayMs);
    for (int acks = 0; acks < kMaxAcks; ++acks) {
        send(Letter::Next);
        wait(kAckWaitMs);
        if (port_.InputCount() != 0)
            break;
    }
}

} // namespace

DownloadStatus ReceiveMemoryImage(ILoggerPortHost& host, IDownloadProgress& progress,
                                  const DownloadServices& services, MemoryImage& image)
{
    Exchange exchange(host, progress, services);
    return exchange.run(image);
}

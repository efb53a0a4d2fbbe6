// SPDX-License-Identifier: GPL-3.0-or-later
#include "logger/ReceiveMemoryImage.h"

#include "base/PortErrors.h"
#include "base/SilentAbort.h"
#include "link/ComPortTypes.h"
#include "link/LiveFrame.h"
#include "logger/DownloadProgress.h"

#include <algorithm>
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
    ~Exchange() { progress_.ProgressClosed(); }

    DownloadStatus run(MemoryImage& image);

private:
    bool takeOver();
    bool connect();
    bool start();
    DownloadStatus transfer(MemoryImage& image);
    bool acceptBlock(const std::array<std::uint8_t, kBlockLength>& block, MemoryImage& image);
    void acknowledge();
    DownloadStatus cancelled();

    std::int64_t now() const { return clock_.TickMs(); }
    // The user's Cancel, looked at between every two steps of the exchange.
    bool stopRequested()
    {
        if (!stopped_ && progress_.CancelRequested())
            stopped_ = true;
        return stopped_;
    }
    // A pause that runs the message loop; a long one in slices, so that Cancel ends it.
    void wait(int ms)
    {
        while (ms > 0 && !stopRequested()) {
            const int slice = std::min(ms, kWaitSliceMs);
            services_.waitWithMessages(slice);
            ms -= slice;
        }
    }
    void send(char letter)
    {
        const CommandFrame frame = makeCommandFrame(letter);
        port_.Write(frame.data(), int(frame.size()), false);
    }
    // Looks at the input queue until it holds `count` bytes, timeoutMs have passed since
    // `since` or the user cancels; returns the last count seen.
    int pollInput(int count, int timeoutMs, std::int64_t since)
    {
        for (;;) {
            const int n = port_.InputCount();
            if (n >= count || now() - since >= timeoutMs || stopRequested())
                return n;
            services_.pause();
        }
    }
    void showProgress()
    {
        if (!totalKnown_)
            return;
        const std::int64_t t = now();
        lastShown_ = t;
        progress_.ProgressChanged({received_, expected_,
                                   estimate_.msLeft((expected_ - received_) / kBlockPayload),
                                   estimate_.waiting(t)});
    }
    // While no block comes, the window says so now and then.
    void showWaiting()
    {
        if (totalKnown_ && now() - lastShown_ >= kIdleShowMs && estimate_.waiting(now()))
            showProgress();
    }

    ILoggerPortHost& host_;
    IComPort& port_;
    IDownloadProgress& progress_;
    const DownloadServices& services_;
    const IClock& clock_;
    bool totalKnown_ = false;
    bool stopped_ = false;
    int received_ = 0;
    int expected_ = 0;
    std::int64_t lastShown_ = 0;
    TimeLeftEstimate estimate_;
};

// A port that fails on the way (the adapter pulled, the device gone) is a meter that does not
// answer before the transfer and a transfer that ended early within it: the user is told and
// may try again, as after any other failed exchange.
DownloadStatus Exchange::run(MemoryImage& image)
{
    bool transferring = false;
    try {
        progress_.ProgressStarted();
        const bool over = takeOver();
        if (stopRequested())
            return cancelled();
        if (!over || !connect())
            return stopRequested() ? cancelled() : DownloadStatus::NoAnswer;
        host_.SetBusyCursor(true);
        if (!start())
            return stopRequested() ? cancelled() : DownloadStatus::NoAnswer;
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

// The meter is told that the transfer ends, whatever it was doing; the device goes back to the
// live link as after a failure.
DownloadStatus Exchange::cancelled()
{
    ignoringErrors([this] {
        if (port_.Active())
            send(Letter::Quit);
    });
    return DownloadStatus::Cancelled;
}

bool Exchange::takeOver()
{
    if (host_.Link().InMainTick)
        return false;
    host_.SetMainTimerEnabled(false);

    const std::int64_t since = now();
    while (host_.Link().InReceive && now() - since < kInReceiveWaitMs && !stopRequested())
        wait(10);
    if (host_.Link().InReceive || stopped_)
        return false;

    IComPort& live = host_.Comm1();
    ignoringErrors([&] { live.SetActive(false); });
    ignoringErrors([&] { live.Close(); });
    if (live.Active())
        return false;
    wait(kAfterCloseMs);
    if (stopped_)
        return false;

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
    return !stopped_;
}

bool Exchange::connect()
{
    bool answered = false;
    for (int attempt = 0; attempt < kConnectTries && !answered && !stopped_; ++attempt) {
        send(Letter::Connect);
        answered = pollInput(kReplyLength, kConnectTimeoutMs, now()) == kReplyLength;
        if (!answered)
            port_.PurgeInput();
    }
    port_.PurgeInput(); // the reply is not looked at
    return answered && !stopped_;
}

bool Exchange::start()
{
    for (int attempt = 0; attempt < kStartTries && !stopped_; ++attempt) {
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
        if (stopRequested())
            return cancelled();
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
                    totalKnown_ = true;
                }
                estimate_.blockAccepted(now());
                acknowledge();
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
            showWaiting();
            services_.pause();
        }
        if (received_ > 0 && received_ >= expected_)
            break;
    }
    if (stopRequested())
        return cancelled();
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
    for (int acks = 0; acks < kMaxAcks && !stopped_; ++acks) {
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

// SPDX-License-Identifier: GPL-3.0-or-later
#include "logger/MeterSetup.h"

#include "base/DateTime.h"
#include "logger/Bcd.h"

#include <array>

using namespace Setup;

namespace Setup {

CommandFrame clockDataFrame(double days)
{
    const DateTime::DateAndTime t = DateTime::split(days);
    CommandFrame f = makeCommandFrame('\0');
    f[1] = Bcd::encode(t.date.year() % 100);
    f[2] = Bcd::encode(t.date.month());
    f[3] = Bcd::encode(t.date.day());
    f[4] = Bcd::encode(t.time.hour());
    f[5] = Bcd::encode(t.time.minute());
    f[6] = Bcd::encode(t.time.second());
    f[7] = kClockDataMark;
    return f;
}

CommandFrame intervalFrame(std::uint8_t minutesBcd, std::uint8_t secondsBcd)
{
    CommandFrame f = wordFrame(Word::Interval);
    f[4] = minutesBcd;
    f[5] = secondsBcd;
    return f;
}

namespace {

// One or two digits (blanks of the masked edit and spaces around them do not count).
std::optional<int> twoDigitNumber(QString text)
{
    text.remove(QLatin1Char('_'));
    text = text.trimmed();
    if (text.isEmpty() || text.size() > 2)
        return std::nullopt;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    }
    return text.toInt();
}

} // namespace

std::optional<std::pair<std::uint8_t, std::uint8_t>> intervalBytes(const QString& minutes, const QString& seconds)
{
    const auto m = twoDigitNumber(minutes);
    const auto s = twoDigitNumber(seconds);
    if (!m || !s || *m > 60 || *s > 60 || (*m == 0 && *s == 0))
        return std::nullopt;
    return std::pair{Bcd::encode(*m), Bcd::encode(*s)};
}

} // namespace Setup

// The hourglass for the outermost running operation.
MeterSetup::Busy::Busy(MeterSetup& s) : s_(s)
{
    if (s_.busyDepth_++ == 0 && s_.busyCursor_)
        s_.busyCursor_(true);
}

MeterSetup::Busy::~Busy()
{
    if (--s_.busyDepth_ == 0 && s_.busyCursor_)
        s_.busyCursor_(false);
}

MeterSetup::Idle::Idle(MeterSetup& s) : s_(s)
{
    if (s_.busyDepth_ > 0 && s_.busyCursor_) {
        s_.busyCursor_(false);
        lifted_ = true;
    }
}

MeterSetup::Idle::~Idle()
{
    if (lifted_ && s_.busyDepth_ > 0)
        s_.busyCursor_(true);
}

MeterSetup::MeterSetup(IComPort& port, DownloadServices services, std::function<void(bool)> busyCursor)
    : port_(port), services_(std::move(services)), busyCursor_(std::move(busyCursor))
{
}

void MeterSetup::send(const CommandFrame& frame)
{
    port_.Write(frame.data(), int(frame.size()), false);
}

// Looks at the input queue until it holds `count` bytes or timeoutMs have passed; returns the
// last count seen.
int MeterSetup::poll(int count, int timeoutMs, bool reportCount)
{
    const IClock& clock = *services_.clock;
    const std::int64_t since = clock.TickMs();
    int shown = -1;
    for (;;) {
        const int n = port_.InputCount();
        if (reportCount && observer_ && n != shown) {
            observer_->ReceivedBytes(n);
            shown = n;
        }
        if (n >= count || clock.TickMs() - since >= timeoutMs)
            return n;
        services_.pause();
    }
}

// Reads and drops what is waiting.
void MeterSetup::drain()
{
    const int n = port_.InputCount();
    if (n > 0) {
        QByteArray dropped(n, '\0');
        port_.Read(dropped.data(), n, false);
    }
}

// Sends the frame; true when exactly N bytes came in time, which are then in reply.
template <std::size_t N>
bool MeterSetup::receive(const CommandFrame& frame, std::array<std::uint8_t, N>& reply, int timeoutMs,
                         bool reportCount)
{
    send(frame);
    if (poll(int(N), timeoutMs, reportCount) != int(N))
        return false;
    port_.Read(reply.data(), int(N), false);
    return true;
}

bool MeterSetup::simpleCommand(const CommandFrame& frame, int timeoutMs)
{
    std::array<std::uint8_t, kReplyLength> reply{};
    if (receive(frame, reply, timeoutMs))
        return true;
    drain();
    return false;
}

bool MeterSetup::MeterHandshake()
{
    const Busy busy(*this);
    const CommandFrame frame = wordFrame(Word::Handshake);
    for (int attempt = 0; attempt < kHandshakeTries; ++attempt) {
        send(frame);
        const int n = poll(kReplyLength, kHandshakeTimeoutMs);
        bool answered = false;
        if (n == kReplyLength) {
            std::array<std::uint8_t, kReplyLength> reply{};
            port_.Read(reply.data(), kReplyLength, false);
            answered = reply[1] == frame[1];
        }
        // A whole reply with a wrong byte 1 is simply another failed attempt.
        if (answered || n != kReplyLength) {
            port_.PurgeInput();
            port_.PurgeOutput();
            services_.waitWithMessages(kHandshakeSettleMs);
        }
        if (answered)
            return true;
    }
    return false;
}

ClockResult MeterSetup::AdjustMeterTime()
{
    const Busy busy(*this);
    port_.PurgeInput();
    port_.PurgeOutput();
    services_.waitWithMessages(kSettleMs);

    ClockResult result;
    result.time = services_.clock->Now(); // every frame and the message use this one moment
    if (observer_)
        observer_->SetupStatusText(kSendRtcText);
    const CommandFrame request = wordFrame(Word::ClockRequest);
    std::array<std::uint8_t, kReplyLength> reply{};
    if (!receive(request, reply, kReplyTimeoutMs, true)) {
        drain();
        result.status = ClockStatus::NoRequestReply;
        return result;
    }
    if (reply[1] != request[1]) {
        result.status = ClockStatus::WrongRequestReply;
        return result;
    }

    port_.PurgeInput();
    port_.PurgeOutput();
    if (!receive(clockDataFrame(result.time), reply, kReplyTimeoutMs, true)) {
        drain();
        result.status = ClockStatus::NoDataReply;
        return result;
    }
    services_.waitWithMessages(kSettleMs);

    if (observer_)
        observer_->SetupStatusText(kSendTiText);
    std::array<std::uint8_t, kClockReplyLength> readBack{};
    if (!receive(wordFrame(Word::ClockReadBack), readBack, kReplyTimeoutMs, true)) {
        drain();
        result.status = ClockStatus::NoReadBackReply;
        return result;
    }
    result.status = ClockStatus::Ok;
    return result;
}

IntervalStatus MeterSetup::AdjustRecordingInterval(const QString& minutes, const QString& seconds)
{
    const auto bytes = intervalBytes(minutes, seconds);
    if (!bytes)
        return IntervalStatus::InvalidInput;
    const Busy busy(*this);
    return simpleCommand(intervalFrame(bytes->first, bytes->second), kReplyTimeoutMs) ? IntervalStatus::Ok
                                                                                     : IntervalStatus::NoReply;
}

EraseStatus MeterSetup::EraseMeterMemory()
{
    const Busy busy(*this);
    return simpleCommand(wordFrame(Word::Erase), kEraseTimeoutMs) ? EraseStatus::Ok : EraseStatus::NoReply;
}

DefaultsStatus MeterSetup::SetMeterDefaults()
{
    const Busy busy(*this);
    return simpleCommand(wordFrame(Word::Defaults), kReplyTimeoutMs) ? DefaultsStatus::Ok : DefaultsStatus::NoReply;
}

// Up to five reads, with a handshake between two of them.
template <class Read>
bool MeterSetup::withRecovery(Read read)
{
    for (int attempt = 1;; ++attempt) {
        if (read())
            return true;
        if (attempt == kReadTries)
            return false;
        MeterHandshake();
    }
}

bool MeterSetup::readVersion(MeterInfo& info)
{
    std::array<std::uint8_t, kVersionReplyLength> reply{};
    if (!receive(wordFrame(Word::Version), reply, kReplyTimeoutMs)) {
        drain();
        return false;
    }
    info.firmwareVersion = int(std::int8_t(reply[0]));
    return true;
}

bool MeterSetup::readClock(MeterInfo& info)
{
    std::array<std::uint8_t, kClockReplyLength> reply{};
    if (!receive(wordFrame(Word::ClockRead), reply, kReplyTimeoutMs)) {
        drain();
        return false;
    }
    info.meterTime = decodeMeterClock(reply); // an impossible clock leaves the field empty
    return true;
}

// "P", then the first memory block; "Q" in every case. Only a whole block counts.
void MeterSetup::readHeader(MeterInfo& info)
{
    const CommandFrame start = wordFrame(Word::Start);
    for (int attempt = 0; attempt < kStartTries; ++attempt) {
        send(start);
        if (poll(kReplyLength, kStartTimeoutMs) < kReplyLength) {
            port_.PurgeInput();
            continue;
        }
        // Only the reply: the block behind it stays queued.
        std::array<std::uint8_t, kReplyLength> reply{};
        port_.Read(reply.data(), kReplyLength, false);
        if (reply[1] == start[1])
            break;
    }
    std::array<std::uint8_t, kBlockLength> block{};
    const bool whole = poll(kBlockLength, kBlockTimeoutMs) == kBlockLength;
    if (whole)
        port_.Read(block.data(), kBlockLength, false);
    services_.waitWithMessages(kSettleMs);
    send(wordFrame(Word::Quit));
    if (whole)
        info.header = readHeaderPage(block);
}

std::optional<HeaderPage> MeterSetup::ReadHeaderPage()
{
    const Busy busy(*this);
    MeterInfo result;
    readHeader(result);
    return result.header;
}

MeterInfo MeterSetup::ReadMeterInfo()
{
    const Busy busy(*this);
    MeterInfo result;
    info(result);
    if (!withRecovery([&] { return readVersion(result); }))
        return result;
    info(result);
    services_.waitWithMessages(kSettleMs);
    if (!withRecovery([&] { return readClock(result); }))
        return result;
    info(result);
    services_.waitWithMessages(kSettleMs);
    readHeader(result);
    info(result);
    return result;
}

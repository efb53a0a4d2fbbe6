// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/sim/MeterModel.h"

#include "base/DateTime.h"
#include "logger/Bcd.h"
#include "logger/MemoryImage.h"

#include <QDateTime>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <string_view>
#include <utility>

namespace sim {

namespace {

constexpr std::uint8_t kNoStamp = 0xFF; // a first stamp byte above 0x99: no stamp

QByteArray bytesOfFrame(const CommandFrame& f)
{
    return QByteArray(reinterpret_cast<const char*>(f.data()), qsizetype(f.size()));
}

void putValue(LiveFrame& f, std::size_t at, double value)
{
    const long tenths = std::lround(value * 10.0);
    const auto raw = std::uint16_t(std::int16_t(std::clamp(tenths, -32768L, 32767L)));
    f[at] = std::uint8_t(raw >> 8);
    f[at + 1] = std::uint8_t(raw & 0xFF);
}

void putStamp(LiveFrame& f, std::size_t at, double days, bool present)
{
    if (!present) {
        f[at] = kNoStamp;
        f[at + 1] = kNoStamp;
        f[at + 2] = kNoStamp;
        f[at + 3] = kNoStamp;
        return;
    }
    const QDateTime dt = DateTime::toQDateTime(days);
    f[at] = Bcd::encode(dt.date().month());
    f[at + 1] = Bcd::encode(dt.date().day());
    f[at + 2] = Bcd::encode(dt.time().hour());
    f[at + 3] = Bcd::encode(dt.time().minute());
}

std::uint8_t thermocoupleBit(char type)
{
    switch (type) {
    case 'T': return 0x04;
    case 'E': return 0x08;
    case 'J': return 0x10;
    default: return 0x20; // K
    }
}

// The type's measuring range in degrees Celsius.
std::pair<double, double> thermocoupleRange(char type)
{
    switch (type) {
    case 'T': return {-250.0, 400.0};
    case 'E': return {-210.0, 1000.0};
    case 'J': return {-210.0, 1200.0};
    default: return {-200.0, 1370.0};
    }
}

} // namespace

MeterModel::MeterModel(MeterConfig config)
    : config_(std::move(config)), rng_(config_.seed), transfer_(config_.faults.transfer),
      celsius_(config_.celsius), rec_(config_.recording)
{
    QByteArray image = config_.memoryImage.isEmpty() ? buildLoggerMemory(config_.logger) : config_.memoryImage;
    applyMemoryFaults(image, config_.faults.memory);
    memory_ = fullMemory(image);
    if (config_.meterClockDays != 0)
        clockOffsetDays_ = config_.meterClockDays - config_.startDays;
    updateReadings();
}

void MeterModel::receive(const void* data, std::size_t length)
{
    input_.append(static_cast<const char*>(data), qsizetype(length));
    // Resynchronise on 0x02; a candidate without its 0x03 at offset 9 costs its first byte.
    qsizetype pos = 0;
    while (input_.size() - pos >= qsizetype(kCommandFrameLength)) {
        const qsizetype start = input_.indexOf(char(kFrameHeader), pos);
        if (start < 0) {
            pos = input_.size();
            break;
        }
        pos = start;
        if (input_.size() - pos < qsizetype(kCommandFrameLength))
            break;
        if (std::uint8_t(input_[pos + 9]) != kFrameTrailer) {
            ++pos;
            continue;
        }
        CommandFrame frame;
        std::memcpy(frame.data(), input_.constData() + pos, kCommandFrameLength);
        pos += qsizetype(kCommandFrameLength);
        handleCommand(frame);
    }
    input_.remove(0, pos);
}

void MeterModel::fallSilent(std::int64_t ms)
{
    config_.faults.silenceAfterMs = now_;
    config_.faults.silenceForMs = std::max<std::int64_t>(ms, 0);
}

// A command is known by the bytes after the header: one letter for live mode and the download,
// whole words (with their arguments behind) for the set-up commands. The table is searched in
// order, so a longer word must stand before a shorter one that begins it. The word also names
// the command for the reply faults.
void MeterModel::handleCommand(const CommandFrame& frame)
{
    ++received_[frame[1]];
    frames_.push_back(frame);
    if (frames_.size() > kFramesKept)
        frames_.pop_front();
    if (std::exchange(awaitingClockData_, false) && clockData(frame))
        return;

    using Handler = void (*)(MeterModel&, const CommandFrame&);
    struct Command {
        std::string_view word;
        Handler run;
    };
    static const Command commands[] = {
        // Live mode
        {"K", [](MeterModel& m, const CommandFrame&) { m.send(m.config_.identification); }},
        {"a", [](MeterModel& m, const CommandFrame&) { m.startStream(); }},
        {"X", [](MeterModel& m, const CommandFrame&) { m.lastKeepAlive_ = m.now_; }},
        {"H", [](MeterModel& m, const CommandFrame&) { m.hold_ = !m.hold_; }},
        {"E", [](MeterModel& m, const CommandFrame&) { m.rec_ = !m.rec_; }},
        {"C", [](MeterModel& m, const CommandFrame&) { m.celsius_ = !m.celsius_; }},
        {"T", [](MeterModel& m, const CommandFrame&) { m.difference_ = !m.difference_; }},
        {"M", [](MeterModel& m, const CommandFrame&) { m.nextStatisticMode(); }},
        {"N", [](MeterModel& m, const CommandFrame&) { m.mode_ = 0; }},
        // Logger download
        {"c", [](MeterModel& m, const CommandFrame&) { m.connectCommand(); }},
        {"P", [](MeterModel& m, const CommandFrame&) { m.startTransfer(); }},
        {"y", [](MeterModel& m, const CommandFrame&) { m.send(m.transfer_.next(m.memory_)); }},
        {"n", [](MeterModel& m, const CommandFrame&) { m.send(m.transfer_.again(m.memory_)); }},
        {"Q", [](MeterModel& m, const CommandFrame&) { m.transfer_.quit(); }},
        // Set-up
        {"rtc", [](MeterModel& m, const CommandFrame& f) {
             m.awaitingClockData_ = true;
             m.replyEcho("rtc", f);
         }},
        {"tic", [](MeterModel& m, const CommandFrame&) { m.clockRead("tic"); }},
        {"ti", [](MeterModel& m, const CommandFrame&) { m.clockRead("ti"); }},
        {"erase", [](MeterModel& m, const CommandFrame& f) {
             m.eraseMemory();
             m.replyEcho("erase", f);
         }},
        {"int", [](MeterModel& m, const CommandFrame& f) {
             m.memory_[Image::kIntervalAt] = char(f[4]);
             m.memory_[Image::kIntervalAt + 1] = char(f[5]);
             m.replyEcho("int", f);
         }},
        {"def", [](MeterModel& m, const CommandFrame& f) {
             m.memory_[Image::kTypeAt] = char(0x11);
             for (int ch = 0; ch < 4; ++ch)
                 m.memory_[Image::kExtOffsetsAt + ch] = '\0';
             m.replyEcho("def", f);
         }},
        {"V", [](MeterModel& m, const CommandFrame& f) {
             m.reply("V", QByteArray(1, char(m.config_.firmwareVersion)) + bytesOfFrame(f));
         }},
    };
    for (const Command& c : commands) {
        if (c.word.size() <= kCommandFrameLength - 2
            && std::equal(c.word.begin(), c.word.end(), frame.begin() + 1,
                          [](char a, std::uint8_t b) { return std::uint8_t(a) == b; })) {
            if (!notHeard(c.word))
                c.run(*this, frame);
            return;
        }
    }
    // Anything else is ignored.
}

// A NoReply fault for this command that still applies: the command is lost on the way.
bool MeterModel::notHeard(std::string_view command)
{
    for (ReplyFault& f : config_.faults.replies) {
        if (f.command != command || f.times == 0)
            continue;
        if (f.kind != ReplyFault::Kind::NoReply)
            return false;
        if (f.times > 0)
            --f.times;
        return true;
    }
    return false;
}

// A set-up reply, spoiled by the first fault that applies to it.
void MeterModel::reply(std::string_view command, QByteArray bytes)
{
    enterCommandMode();
    for (ReplyFault& f : config_.faults.replies) {
        if (f.command != command || f.times == 0 || f.kind == ReplyFault::Kind::NoReply)
            continue;
        if (f.kind == ReplyFault::Kind::Length) {
            const qsizetype length = std::max(f.value, 0);
            if (length < bytes.size())
                bytes.truncate(length);
            else
                bytes.append(QByteArray(length - bytes.size(), '\0'));
        } else if (bytes.size() > 1) {
            bytes[1] = char(f.value);
        }
        if (f.times > 0)
            --f.times;
        break;
    }
    send(bytes);
}

void MeterModel::replyEcho(std::string_view command, const CommandFrame& frame)
{
    reply(command, bytesOfFrame(frame));
}

// The frame after "rtc": 02 YY MM DD hh mm ss 08 00 03. False when it is not one.
bool MeterModel::clockData(const CommandFrame& frame)
{
    if (frame[7] != 0x08)
        return false;
    if (notHeard("clock"))
        return true;
    const auto year = Bcd::decode(frame[1]);
    const auto month = Bcd::decode(frame[2]), day = Bcd::decode(frame[3]);
    const auto hour = Bcd::decode(frame[4]), minute = Bcd::decode(frame[5]), second = Bcd::decode(frame[6]);
    if (year && month && day && hour && minute && second) {
        const QDate date(2000 + *year, *month, *day);
        const QTime time(*hour, *minute, *second);
        if (date.isValid() && time.isValid())
            clockOffsetDays_ = DateTime::fromDateAndTime(date, time) - wallNow();
    }
    replyEcho("clock", frame);
    return true;
}

double MeterModel::meterClock() const
{
    return wallNow() + clockOffsetDays_;
}

void MeterModel::clockRead(std::string_view command)
{
    const DateTime::DateAndTime dt = DateTime::split(meterClock());
    QByteArray r(8, '\0');
    r[0] = char(yearByte(dt.date.year(), config_.logger.yearQuirk));
    r[1] = char(Bcd::encode(dt.date.month()));
    r[2] = char(Bcd::encode(dt.date.day()));
    r[3] = char(Bcd::encode(dt.time.hour()));
    r[4] = char(Bcd::encode(dt.time.minute()));
    r[5] = char(Bcd::encode(dt.time.second()));
    r[6] = char(dt.date.dayOfWeek());
    r[7] = char(kFrameTrailer);
    reply(command, r);
}

// The data sets are gone; the rest of the header page stays.
void MeterModel::eraseMemory()
{
    std::fill(memory_.begin() + Image::kMinUsedLength, memory_.end(), char(0xFF));
    Image::writeUnsigned(memory_, Image::kSetCountAt, 2, 0);
    Image::writeUnsigned(memory_, Image::kUsedLengthAt, 3, Image::kMinUsedLength);
}

void MeterModel::nextStatisticMode()
{
    if (mode_ == 0) {
        const double t = wallNow();
        stats_ = Statistics{celsiusNow_[0], celsiusNow_[0], 0.0, 0, t, t, t};
    }
    mode_ = std::uint8_t(mode_ % 4 + 1);
}

// From "c" (or "P") on the meter only answers; "a" brings the live stream back.
void MeterModel::enterCommandMode()
{
    commandMode_ = true;
    streaming_ = false;
}

void MeterModel::connectCommand()
{
    if (config_.faults.noConnectReply)
        return;
    reply("c", bytesOfFrame(makeCommandFrame('c')));
}

// The ten-byte reply may be spoiled; the block behind it goes out as it is.
void MeterModel::startTransfer()
{
    if (config_.faults.noStartReply)
        return;
    const QByteArray out = transfer_.start(memory_);
    reply("P", out.left(qsizetype(kCommandFrameLength)));
    send(out.mid(qsizetype(kCommandFrameLength)));
}

void MeterModel::startStream()
{
    commandMode_ = false;
    lastKeepAlive_ = now_;
    if (!streaming_) {
        streaming_ = true;
        nextFrameAt_ = now_;
    }
    // Frames due at this very moment go out at once.
    advance(0);
}

void MeterModel::advance(std::int64_t ms)
{
    const std::int64_t target = now_ + std::max<std::int64_t>(ms, 0);
    while (streaming_ && nextFrameAt_ <= target) {
        now_ = std::max(now_, nextFrameAt_);
        if (now_ - lastKeepAlive_ > config_.keepAliveTimeoutMs) {
            streaming_ = false;
            break;
        }
        emitFrame();
        nextFrameAt_ += std::max(config_.frameIntervalMs, 1);
    }
    now_ = target;
    if (streaming_ && now_ - lastKeepAlive_ > config_.keepAliveTimeoutMs)
        streaming_ = false;
}

QByteArray MeterModel::takeOutput()
{
    QByteArray out;
    out.swap(output_);
    return out;
}

bool MeterModel::silent() const
{
    const auto& f = config_.faults;
    return f.silenceAfterMs >= 0 && now_ >= f.silenceAfterMs && now_ < f.silenceAfterMs + f.silenceForMs;
}

void MeterModel::send(const QByteArray& bytes)
{
    if (!silent())
        output_.append(bytes);
}

double MeterModel::wallNow() const
{
    return config_.startDays + double(now_) / 86400000.0;
}

double MeterModel::shown(double celsius) const
{
    return celsius_ ? celsius : celsius * 9.0 / 5.0 + 32.0;
}

void MeterModel::updateReadings()
{
    // Slow sine drift with channel-specific periods plus a bounded random walk.
    const double t = double(now_) / 1000.0;
    std::normal_distribution<double> step(0.0, 0.02);
    for (std::size_t i = 0; i < 4; ++i) {
        walk_[i] = std::clamp(walk_[i] + step(rng_), -0.5, 0.5);
        const double slow = 0.8 * std::sin(2 * std::numbers::pi * t / (120.0 + 37.0 * double(i)));
        const double faster = 0.2 * std::sin(2 * std::numbers::pi * t / (17.0 + 5.0 * double(i)));
        celsiusNow_[i] = config_.baseCelsius[i] + slow + faster + walk_[i];
        // A profile is a pure function of time: the same moment, the same reading.
        if (config_.profile && config_.profile->defines(int(i))) {
            const ProfileReading r =
                *config_.profile->at(int(i), t * config_.profileSpeed, config_.seed);
            celsiusNow_[i] = r.celsius;
            openNow_[i] = r.open;
            overNow_[i] = r.overRange;
        }
    }
    if (mode_ != 0) {
        const double t1 = celsiusNow_[0];
        if (t1 > stats_.max) {
            stats_.max = t1;
            stats_.maxAt = wallNow();
        }
        if (t1 < stats_.min) {
            stats_.min = t1;
            stats_.minAt = wallNow();
        }
        stats_.sum += t1;
        ++stats_.count;
    }
}

void MeterModel::emitFrame()
{
    updateReadings();
    LiveFrame frame = currentFrame();
    ++framesSent_;
    lastFrameAt_ = now_;
    const auto& f = config_.faults;
    if (f.badChecksumEvery > 0 && framesSent_ % f.badChecksumEvery == 0)
        frame[33] = std::uint8_t(frame[33] + 1);
    if (f.badTrailerEvery > 0 && framesSent_ % f.badTrailerEvery == 0)
        frame[34] = 0x00;
    send(QByteArray(reinterpret_cast<const char*>(frame.data()), qsizetype(frame.size())));
    if (f.garbageEvery > 0 && framesSent_ % f.garbageEvery == 0) {
        std::uniform_int_distribution<int> length(1, 20), byte(0, 255);
        QByteArray garbage(length(rng_), '\0');
        for (auto& b : garbage)
            b = char(byte(rng_));
        send(garbage);
    }
}

std::uint8_t MeterModel::statusA() const
{
    return std::uint8_t(mode_ | (celsius_ ? 0x08 : 0) | (rec_ ? 0x10 : 0) | (difference_ ? 0x20 : 0)
                        | (hold_ ? 0x40 : 0));
}

std::uint8_t MeterModel::statusB() const
{
    return std::uint8_t((config_.battery & 0x03) | thermocoupleBit(config_.thermocouple)
                        | (config_.memoryFull ? 0x40 : 0) | (config_.autoOff ? 0x80 : 0));
}

std::uint8_t MeterModel::rangeBits() const
{
    const auto [low, high] = thermocoupleRange(config_.thermocouple);
    std::uint8_t bits = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        if (config_.unplugged[i] || openNow_[i])
            bits |= std::uint8_t(0x10 << i);
        else if (overNow_[i] || celsiusNow_[i] < low || celsiusNow_[i] > high)
            bits |= std::uint8_t(0x01 << i);
    }
    return bits;
}

LiveFrame MeterModel::currentFrame() const
{
    LiveFrame f{};
    f[0] = kFrameHeader;
    f[1] = statusA();
    f[2] = statusB();
    for (std::size_t i = 0; i < 4; ++i)
        putValue(f, 3 + 2 * i, config_.unplugged[i] || openNow_[i] ? 0.0 : shown(celsiusNow_[i]));
    putValue(f, 11, 0.0);

    const bool stats = mode_ != 0;
    const double avg = stats_.count > 0 ? stats_.sum / double(stats_.count) : stats_.max;
    putValue(f, 13, stats ? shown(stats_.max) : 0.0);
    putValue(f, 15, stats ? shown(stats_.min) : 0.0);
    putValue(f, 17, stats ? shown(avg) : 0.0);
    putStamp(f, 19, stats_.maxAt, stats);
    putStamp(f, 23, stats_.minAt, stats);
    putStamp(f, 27, stats_.startedAt, stats);

    const std::uint8_t channels = rangeBits();
    f[31] = channels;
    // The statistics follow T1: without a value when T1 has none, over range likewise.
    std::uint8_t statistic = 0;
    if (channels & 0x10)
        statistic = 0x70;
    else if (stats && (channels & 0x01))
        statistic = 0x07;
    f[32] = statistic;
    f[33] = liveFrameChecksum(f.data());
    f[34] = kFrameTrailer;
    return f;
}

} // namespace sim

// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/sim/SimOptions.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QFile>

#include "base/DateTime.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace sim {

namespace {

// A whole number >= minimum, or an error.
bool toInt(const QString& text, int minimum, int& out)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < minimum)
        return false;
    out = v;
    return true;
}

// Seconds (fractions allowed) as milliseconds, or an error.
bool toMs(const QString& text, std::int64_t& out)
{
    bool ok = false;
    const double s = text.toDouble(&ok);
    if (!ok || !std::isfinite(s) || s < 0 || s > 1e9)
        return false;
    out = std::llround(s * 1000.0);
    return true;
}

// The per-set value list: comma-separated, the last value standing for the sets beyond it.
QString itemFor(const QStringList& items, int k)
{
    return items.isEmpty() ? QString() : items[std::min<qsizetype>(k, items.size() - 1)].trimmed();
}

// "K", "J", "E" or "T" as the type byte; a set and the header page differ in E and T. A set may
// also be given any raw byte ("0x33").
std::optional<std::uint8_t> typeByte(const QString& text, bool inSet)
{
    const QString t = text.toUpper();
    const std::array<std::uint8_t, 4> codes = inSet ? std::array<std::uint8_t, 4>{0x11, 0x22, 0x44, 0x88}
                                                    : std::array<std::uint8_t, 4>{0x11, 0x22, 0x33, 0x44};
    const qsizetype letter = t.size() == 1 ? QStringLiteral("KJET").indexOf(t) : -1;
    if (letter >= 0)
        return codes[std::size_t(letter)];
    bool ok = false;
    const int v = inSet && t.startsWith("0X") ? t.mid(2).toInt(&ok, 16) : -1;
    if (ok && v >= 0 && v <= 255)
        return std::uint8_t(v);
    return std::nullopt;
}

// Seconds, or minutes:seconds; 1 s to 99:59.
std::optional<int> rateSeconds(const QString& text)
{
    const QStringList parts = text.split(':');
    bool ok1 = false, ok2 = true;
    int seconds = 0;
    if (parts.size() == 1) {
        seconds = parts[0].toInt(&ok1);
    } else if (parts.size() == 2) {
        const int m = parts[0].toInt(&ok1);
        const int s = parts[1].toInt(&ok2);
        ok2 = ok2 && s >= 0 && s < 60;
        seconds = m * 60 + s;
    }
    if (!ok1 || !ok2 || seconds < 1 || seconds > 99 * 60 + 59)
        return std::nullopt;
    return seconds;
}

// Four numbers separated by "sep", each scaled by `scale` and rounded, within [lo, hi].
template <class T>
bool fourValues(const QString& text, QChar sep, double scale, double lo, double hi, std::array<T, 4>& out)
{
    const QStringList parts = text.split(sep);
    if (parts.size() != 4)
        return false;
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        const double v = std::round(parts[i].toDouble(&ok) * scale);
        if (!ok || v < lo || v > hi)
            return false;
        out[std::size_t(i)] = T(v);
    }
    return true;
}

// "K:N" or "K" (with N = fallback): two whole numbers >= 0.
bool indexAndCount(const QString& text, int fallback, int& index, int& count)
{
    const QStringList parts = text.split(':');
    if (parts.size() > 2 || !toInt(parts[0], 0, index))
        return false;
    count = fallback;
    return parts.size() == 1 || toInt(parts[1], 1, count);
}

// A byte as decimal or 0x.. hexadecimal.
bool toByte(const QString& text, int& out)
{
    bool ok = false;
    const int v = text.startsWith("0x", Qt::CaseInsensitive) ? text.mid(2).toInt(&ok, 16) : text.toInt(&ok);
    if (!ok || v < 0 || v > 255)
        return false;
    out = v;
    return true;
}

// "CMD[:N]" for a command that is not heard, "CMD:LENGTH[:N]" and "CMD:BYTE[:N]" for the
// spoiled replies; N replies are spoiled (all without N).
std::optional<ReplyFault> replyFault(const QString& text, ReplyFault::Kind kind)
{
    const QStringList parts = text.split(':');
    const bool withValue = kind != ReplyFault::Kind::NoReply;
    const qsizetype least = withValue ? 2 : 1;
    if (parts.size() < least || parts.size() > least + 1)
        return std::nullopt;
    ReplyFault f;
    f.kind = kind;
    f.command = parts[0].toStdString();
    const auto& names = replyFaultCommands();
    if (std::find(names.begin(), names.end(), f.command) == names.end())
        return std::nullopt;
    if (kind == ReplyFault::Kind::Length && (!toInt(parts[1], 0, f.value) || f.value > 4096))
        return std::nullopt;
    if (kind == ReplyFault::Kind::Byte1 && !toByte(parts[1], f.value))
        return std::nullopt;
    if (parts.size() == least + 1 && !toInt(parts[least], 1, f.times))
        return std::nullopt;
    return f;
}

} // namespace

SimCommandLine parseSimCommandLine(const QStringList& args)
{
    using QOption = QCommandLineOption;
    SimCommandLine result;
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Simulated KOLVA four-channel thermometer on a pseudo-terminal.\n"
        "Prints the device path as the first line, then serves until SIGTERM or SIGINT.\n"
        "When the device comes back after a hang-up, its new path is printed as another line.");
    const QOption help({"h", "help"}, "Show this help.");
    const QOption fast("fast", "Send without pacing instead of at 9600 baud.");
    const QOption link("link", "Keep a symlink PATH pointing at the current pty.", "PATH");
    const QOption interval("interval", "Live frame period in ms (default 500).", "MS");
    const QOption keepAlive("keepalive-timeout",
                                       "Stop streaming this long without \"X\" (default 5000).", "MS");
    const QOption unit("unit", "Unit at power-on: C (default) or F.", "C|F");
    const QOption type("type", "Thermocouple type: K (default), J, E or T.", "TYPE");
    const QOption battery("battery", "Battery level 0..3 (default 3).", "N");
    const QOption temps("temps", "Mean temperatures of T1..T4 in degrees C.", "A,B,C,D");
    const QOption unplugged("unplugged", "Channels without thermocouple, e.g. 4 or 2,4.",
                                       "LIST");
    const QOption memoryFull("memory-full", "Show the FULL mark.");
    const QOption autoOff("auto-off", "Show the automatic power-off mark.");
    const QOption seed("seed", "Seed of the noise and the garbage.", "N");
    const QOption garbage("garbage-every", "Random bytes after every Nth frame.", "N");
    const QOption badSum("bad-checksum-every", "Wrong checksum in every Nth frame.", "N");
    const QOption badTrailer("bad-trailer-every", "Wrong trailer in every Nth frame.", "N");
    const QOption silenceAfter("silence-after", "Fall silent S seconds after start...", "S");
    const QOption silenceFor("silence-for", "...for S seconds (default 10).", "S");
    const QOption hangupAfter("hangup-after", "Close the pty S seconds after start...", "S");
    const QOption hangupFor("hangup-for", "...and bring a new one up S seconds later "
                                                     "(default 2).", "S");
    const QOption recording("recording", "REC on at power-on (the \"E\" key toggles it).");
    const QOption sets("sets", "Number of recorded data sets in the logger memory (default: three "
                               "sample sets, which the --set-* lists change). The --set-* lists "
                               "give one value per set, separated by commas; the last value "
                               "stands for the sets beyond the list.", "N");
    const QOption setSamples("set-samples", "Samples of each set (default 60).", "LIST");
    const QOption setUnit("set-unit", "Unit of each set: C (default) or F.", "LIST");
    const QOption setType("set-type", "Thermocouple of each set: K (default), J, E, T, or a raw "
                                      "type byte such as 0x33.", "LIST");
    const QOption setOffsets("set-offsets", "Offsets of each set as T1:T2:T3:T4 in raw steps "
                                            "(-128..127; 0.05 C or 0.09 F each).", "LIST");
    const QOption setStart("set-start", "Start of each set, yyyy-MM-ddTHH:mm:ss local time "
                                        "(default: one after the other, an hour apart, from 14 "
                                        "March 2023 09:00).", "LIST");
    const QOption setRate("set-rate", "Sampling interval of each set: seconds or mm:ss (default 2).",
                          "LIST");
    const QOption loggerInterval("logger-interval", "The meter's current recording interval, "
                                                    "seconds or mm:ss (default 2).", "RATE");
    const QOption headerType("header-type", "The meter's current thermocouple in the memory "
                                            "header: K (default), J, E or T.", "TYPE");
    const QOption gains("gains", "Gains of T1..T4 (default 1,1,1,1).", "A,B,C,D");
    const QOption cjc("cjc-offsets", "CJC offsets of T1..T4 in degrees (default 0).", "A,B,C,D");
    const QOption ext("ext-offsets", "EXT offsets of T1..T4 in degrees (default 0).", "A,B,C,D");
    const QOption plainYears("plain-years", "Write the years 2010 to 2015 as plain BCD instead of "
                                            "0x1A to 0x1F.");
    const QOption memoryFile("memory-file", "Take the logger memory from this raw image file "
                                            "instead of the sets above.", "PATH");
    const QOption noConnect("no-connect-reply", "Fault: no answer to \"c\".");
    const QOption noStart("no-start-reply", "Fault: no answer to \"P\".");
    const QOption badBlock("bad-block", "Fault: memory block K goes out with a wrong checksum N "
                                        "times (default 1) before it goes out right.", "K[:N]");
    const QOption cutBlock("cut-block", "Fault: memory block K is cut short after BYTES bytes "
                                        "(default 40), then the meter says nothing more in "
                                        "this transfer.", "K[:BYTES]");
    const QOption silentBlock("silence-from-block", "Fault: memory blocks from K on are never "
                                                    "sent (0: \"P\" is answered, then nothing).", "K");
    const QOption usedLength("used-length", "Fault: this used length in the memory header.", "N");
    const QOption breakMarker("break-marker", "Fault: the marker of set K (from 0) is broken.", "K");
    const QOption headerSets("header-sets", "Fault: this number of sets in the memory header.", "N");
    const QOption firmware("firmware", "The firmware version the meter reports to \"V\" "
                                       "(-128..127, default 23).", "N");
    const QOption meterClock("meter-clock", "The meter's clock at start, yyyy-MM-ddTHH:mm:ss "
                                            "(default: 15 March 2023 12:00); it runs on and the "
                                            "set-up sets it.", "DATETIME");
    const QString commands = QString::fromStdString([] {
        std::string all;
        for (const std::string& n : replyFaultCommands())
            all += (all.empty() ? "" : ", ") + n;
        return all;
    }());
    const QOption noReply("no-reply", "Fault: the command CMD is not heard, N times (default: "
                                      "always). Repeatable. CMD is one of " + commands
                                      + " (clock: the clock data frame after rtc; tic: the clock "
                                        "read-back after setting).", "CMD[:N]");
    const QOption replyLength("reply-length", "Fault: the reply to CMD is cut or padded to "
                                              "LENGTH bytes, N times (default: always). "
                                              "Repeatable.", "CMD:LENGTH[:N]");
    const QOption replyByte1("reply-byte1", "Fault: byte 1 of the reply to CMD is BYTE (such as "
                                            "0x63), N times (default: always). Repeatable.",
                             "CMD:BYTE[:N]");
    const QOption profile("profile", "Scripted readings: a built-in profile (" + Profile::builtinNames().join(", ")
                                     + ") or a profile file. One line per channel, such as \"T1: hold 25 "
                                     "for 30s, ramp 150 over 90s, hold for 60s, open for 20s, repeat, "
                                     "noise 0.2\"; the items are hold [V] for D, step V, ramp V over D, "
                                     "approach V tau T for D, open for D (probe out), over for D (over "
                                     "range), noise A, repeat; degrees C, durations in s, m or h.",
                          "NAME|FILE");
    const QOption curve("curve", "The curve of one channel, as a line of a profile (\"T2: step 200, "
                                 "approach 25 tau 90s for 10m\"); replaces that channel of --profile. "
                                 "Repeatable.", "LINE");
    const QOption speed("speed", "Plays the profile this many times faster than real time (default 1).",
                        "X");
    const QOption handshakeFails("handshake-fails", "Fault: the first N handshakes (\"c\") get "
                                                    "no answer.", "N");
    parser.addOptions({help, fast, link, interval, keepAlive, unit, type, battery, temps, unplugged,
                       memoryFull, autoOff, seed, garbage, badSum, badTrailer, silenceAfter,
                       silenceFor, hangupAfter, hangupFor, recording, sets, setSamples, setUnit,
                       setType, setOffsets, setStart, setRate, loggerInterval, headerType, gains,
                       cjc, ext, plainYears, memoryFile, noConnect, noStart, badBlock, cutBlock,
                       silentBlock, usedLength, breakMarker, headerSets, firmware, meterClock,
                       noReply, replyLength, replyByte1, handshakeFails, profile, curve, speed});
    result.helpText = parser.helpText().replace("<executable_name>", "kolva-meter-sim");

    if (!parser.parse(args)) {
        result.error = parser.errorText();
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        result.error = "Unexpected argument: " + parser.positionalArguments().first();
        return result;
    }
    result.help = parser.isSet(help);

    PtyOptions& o = result.options;
    MeterConfig& m = o.meter;
    auto fail = [&](const QOption& opt) {
        result.error = "Invalid value for --" + opt.names().last() + ": " + parser.value(opt);
        return result;
    };
    o.fast = parser.isSet(fast);
    o.linkPath = parser.value(link);
    if (parser.isSet(interval) && !toInt(parser.value(interval), 1, m.frameIntervalMs))
        return fail(interval);
    if (parser.isSet(keepAlive) && !toInt(parser.value(keepAlive), 1, m.keepAliveTimeoutMs))
        return fail(keepAlive);
    if (parser.isSet(unit)) {
        const QString u = parser.value(unit).toUpper();
        if (u != "C" && u != "F")
            return fail(unit);
        m.celsius = u == "C";
    }
    if (parser.isSet(type)) {
        const QString t = parser.value(type).toUpper();
        if (t.size() != 1 || !QString("KJET").contains(t))
            return fail(type);
        m.thermocouple = t[0].toLatin1();
    }
    if (parser.isSet(battery)) {
        int level = 0;
        if (!toInt(parser.value(battery), 0, level) || level > 3)
            return fail(battery);
        m.battery = std::uint8_t(level);
    }
    if (parser.isSet(temps)) {
        const QStringList parts = parser.value(temps).split(',');
        if (parts.size() != 4)
            return fail(temps);
        for (int i = 0; i < 4; ++i) {
            bool ok = false;
            m.baseCelsius[std::size_t(i)] = parts[i].toDouble(&ok);
            if (!ok)
                return fail(temps);
        }
    }
    if (parser.isSet(unplugged)) {
        for (const QString& part : parser.value(unplugged).split(',')) {
            int ch = 0;
            if (!toInt(part, 1, ch) || ch > 4)
                return fail(unplugged);
            m.unplugged[std::size_t(ch - 1)] = true;
        }
    }
    if (parser.isSet(profile) || parser.isSet(curve)) {
        Profile p;
        QString why;
        if (parser.isSet(profile)) {
            const QString name = parser.value(profile);
            std::optional<QString> text = Profile::builtin(name);
            if (!text) {
                QFile file(name);
                if (!file.open(QIODevice::ReadOnly)) {
                    result.error = "No built-in profile and no readable file " + name;
                    return result;
                }
                text = QString::fromUtf8(file.readAll());
            }
            const std::optional<Profile> read = Profile::parse(*text, &why);
            if (!read) {
                result.error = "Invalid profile " + name + ": " + why;
                return result;
            }
            p = *read;
        }
        for (const QString& line : parser.values(curve)) {
            if (!p.addLine(line, &why)) {
                result.error = "Invalid value for --curve: " + why;
                return result;
            }
        }
        m.profile = std::make_shared<const Profile>(p);
    }
    if (parser.isSet(speed)) {
        bool ok = false;
        m.profileSpeed = parser.value(speed).toDouble(&ok);
        if (!ok || !(m.profileSpeed > 0) || m.profileSpeed > 10000)
            return fail(speed);
    }
    m.memoryFull = parser.isSet(memoryFull);
    m.autoOff = parser.isSet(autoOff);
    if (parser.isSet(seed)) {
        int s = 0;
        if (!toInt(parser.value(seed), 0, s))
            return fail(seed);
        m.seed = std::uint32_t(s);
    }
    if (parser.isSet(garbage) && !toInt(parser.value(garbage), 1, m.faults.garbageEvery))
        return fail(garbage);
    if (parser.isSet(badSum) && !toInt(parser.value(badSum), 1, m.faults.badChecksumEvery))
        return fail(badSum);
    if (parser.isSet(badTrailer) && !toInt(parser.value(badTrailer), 1, m.faults.badTrailerEvery))
        return fail(badTrailer);
    if (parser.isSet(silenceAfter)) {
        if (!toMs(parser.value(silenceAfter), m.faults.silenceAfterMs))
            return fail(silenceAfter);
        m.faults.silenceForMs = 10000;
    }
    if (parser.isSet(silenceFor) && !toMs(parser.value(silenceFor), m.faults.silenceForMs))
        return fail(silenceFor);
    if (parser.isSet(hangupAfter) && !toMs(parser.value(hangupAfter), o.hangupAfterMs))
        return fail(hangupAfter);
    if (parser.isSet(hangupFor) && !toMs(parser.value(hangupFor), o.hangupForMs))
        return fail(hangupFor);

    // The logger memory.
    m.recording = parser.isSet(recording);
    LoggerMemoryConfig& lg = m.logger;
    if (parser.isSet(sets)) {
        int n = 0;
        if (!toInt(parser.value(sets), 0, n) || n > 65535)
            return fail(sets);
        lg.runs.assign(std::size_t(n), LoggedRun{});
    }
    const auto list = [&](const QOption& opt) { return parser.value(opt).split(','); };
    for (int k = 0; k < int(lg.runs.size()); ++k) {
        LoggedRun& run = lg.runs[std::size_t(k)];
        if (parser.isSet(setSamples) && !toInt(itemFor(list(setSamples), k), 0, run.samples))
            return fail(setSamples);
        if (parser.isSet(setUnit)) {
            const QString u = itemFor(list(setUnit), k).toUpper();
            if (u != "C" && u != "F")
                return fail(setUnit);
            run.fahrenheit = u == "F";
        }
        if (parser.isSet(setType)) {
            const auto t = typeByte(itemFor(list(setType), k), true);
            if (!t)
                return fail(setType);
            run.type = *t;
        }
        if (parser.isSet(setOffsets)
            && !fourValues(itemFor(list(setOffsets), k), ':', 1.0, -128, 127, run.offsets))
            return fail(setOffsets);
        if (parser.isSet(setStart)) {
            const QDateTime dt = QDateTime::fromString(itemFor(list(setStart), k), Qt::ISODate);
            if (!dt.isValid())
                return fail(setStart);
            run.startDays = DateTime::fromQDateTime(dt);
        }
        if (parser.isSet(setRate)) {
            const auto r = rateSeconds(itemFor(list(setRate), k));
            if (!r)
                return fail(setRate);
            run.rateSeconds = *r;
        }
    }
    if (parser.isSet(loggerInterval)) {
        const auto r = rateSeconds(parser.value(loggerInterval));
        if (!r)
            return fail(loggerInterval);
        lg.intervalSeconds = *r;
    }
    if (parser.isSet(headerType)) {
        const auto t = typeByte(parser.value(headerType), false);
        if (!t)
            return fail(headerType);
        lg.headerType = *t;
    }
    if (parser.isSet(gains) && !fourValues(parser.value(gains), ',', 65536.0, 0, 16777215, lg.gains))
        return fail(gains);
    if (parser.isSet(cjc) && !fourValues(parser.value(cjc), ',', 100.0, -32768, 32767, lg.cjcOffsets))
        return fail(cjc);
    if (parser.isSet(ext) && !fourValues(parser.value(ext), ',', 20.0, -128, 127, lg.extOffsets))
        return fail(ext);
    lg.yearQuirk = !parser.isSet(plainYears);
    if (parser.isSet(memoryFile)) {
        QFile file(parser.value(memoryFile));
        if (!file.open(QIODevice::ReadOnly)) {
            result.error = "Cannot read the memory file " + parser.value(memoryFile);
            return result;
        }
        m.memoryImage = file.readAll();
    } else {
        qsizetype bytes = 257;
        for (const LoggedRun& run : lg.runs)
            bytes += 24 + 8 * qsizetype(run.samples);
        if (bytes > kLoggerMemoryBytes) {
            result.error = QStringLiteral("The data sets need %1 bytes, more than the %2 of the "
                                          "meter's memory").arg(bytes).arg(kLoggerMemoryBytes);
            return result;
        }
    }

    FaultConfig& f = m.faults;
    f.noConnectReply = parser.isSet(noConnect);
    f.noStartReply = parser.isSet(noStart);
    if (parser.isSet(badBlock)
        && !indexAndCount(parser.value(badBlock), 1, f.transfer.badSumBlock, f.transfer.badSumTimes))
        return fail(badBlock);
    if (parser.isSet(cutBlock)) {
        if (!indexAndCount(parser.value(cutBlock), 40, f.transfer.cutBlock, f.transfer.cutBytes)
            || f.transfer.cutBytes > 64)
            return fail(cutBlock);
    }
    if (parser.isSet(silentBlock) && !toInt(parser.value(silentBlock), 0, f.transfer.silenceFromBlock))
        return fail(silentBlock);
    if (parser.isSet(usedLength)) {
        int used = 0;
        if (!toInt(parser.value(usedLength), 0, used) || used > 0xFFFFFF)
            return fail(usedLength);
        f.memory.usedLength = used;
    }
    if (parser.isSet(breakMarker) && !toInt(parser.value(breakMarker), 0, f.memory.brokenMarkerSet))
        return fail(breakMarker);
    if (parser.isSet(headerSets)) {
        if (!toInt(parser.value(headerSets), 0, f.memory.headerSetCount) || f.memory.headerSetCount > 65535)
            return fail(headerSets);
    }

    // The set-up side.
    if (parser.isSet(firmware)) {
        bool ok = false;
        const int v = parser.value(firmware).toInt(&ok);
        if (!ok || v < -128 || v > 127)
            return fail(firmware);
        m.firmwareVersion = std::int8_t(v);
    }
    if (parser.isSet(meterClock)) {
        const QDateTime dt = QDateTime::fromString(parser.value(meterClock), Qt::ISODate);
        if (!dt.isValid())
            return fail(meterClock);
        m.meterClockDays = DateTime::fromQDateTime(dt);
    }
    if (parser.isSet(handshakeFails)) {
        ReplyFault hf{"c", ReplyFault::Kind::NoReply, 0, 0};
        if (!toInt(parser.value(handshakeFails), 1, hf.times))
            return fail(handshakeFails);
        f.replies.push_back(hf);
    }
    for (const auto& [opt, kind] : {std::pair{&noReply, ReplyFault::Kind::NoReply},
                                    std::pair{&replyLength, ReplyFault::Kind::Length},
                                    std::pair{&replyByte1, ReplyFault::Kind::Byte1}}) {
        for (const QString& v : parser.values(*opt)) {
            const auto rf = replyFault(v, kind);
            if (!rf) {
                result.error = "Invalid value for --" + opt->names().last() + ": " + v;
                return result;
            }
            f.replies.push_back(*rf);
        }
    }
    return result;
}

} // namespace sim

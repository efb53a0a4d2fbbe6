#include "tools/sim/SimOptions.h"

#include <QCommandLineParser>

#include <cmath>

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

} // namespace

SimCommandLine parseSimCommandLine(const QStringList& args)
{
    SimCommandLine result;
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Simulated KOLVA four-channel thermometer on a pseudo-terminal.\n"
        "Prints the device path as the first line, then serves until SIGTERM or SIGINT.\n"
        "When the device comes back after a hang-up, its new path is printed as another line.");
    const QCommandLineOption help({"h", "help"}, "Show this help.");
    const QCommandLineOption fast("fast", "Send without pacing instead of at 9600 baud.");
    const QCommandLineOption link("link", "Keep a symlink PATH pointing at the current pty.", "PATH");
    const QCommandLineOption interval("interval", "Live frame period in ms (default 500).", "MS");
    const QCommandLineOption keepAlive("keepalive-timeout",
                                       "Stop streaming this long without \"X\" (default 5000).", "MS");
    const QCommandLineOption unit("unit", "Unit at power-on: C (default) or F.", "C|F");
    const QCommandLineOption type("type", "Thermocouple type: K (default), J, E or T.", "TYPE");
    const QCommandLineOption battery("battery", "Battery level 0..3 (default 3).", "N");
    const QCommandLineOption temps("temps", "Mean temperatures of T1..T4 in degrees C.", "A,B,C,D");
    const QCommandLineOption unplugged("unplugged", "Channels without thermocouple, e.g. 4 or 2,4.",
                                       "LIST");
    const QCommandLineOption memoryFull("memory-full", "Show the FULL mark.");
    const QCommandLineOption autoOff("auto-off", "Show the automatic power-off mark.");
    const QCommandLineOption seed("seed", "Seed of the noise and the garbage.", "N");
    const QCommandLineOption garbage("garbage-every", "Random bytes after every Nth frame.", "N");
    const QCommandLineOption badSum("bad-checksum-every", "Wrong checksum in every Nth frame.", "N");
    const QCommandLineOption badTrailer("bad-trailer-every", "Wrong trailer in every Nth frame.", "N");
    const QCommandLineOption silenceAfter("silence-after", "Fall silent S seconds after start...", "S");
    const QCommandLineOption silenceFor("silence-for", "...for S seconds (default 10).", "S");
    const QCommandLineOption hangupAfter("hangup-after", "Close the pty S seconds after start...", "S");
    const QCommandLineOption hangupFor("hangup-for", "...and bring a new one up S seconds later "
                                                     "(default 2).", "S");
    parser.addOptions({help, fast, link, interval, keepAlive, unit, type, battery, temps, unplugged,
                       memoryFull, autoOff, seed, garbage, badSum, badTrailer, silenceAfter,
                       silenceFor, hangupAfter, hangupFor});
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
    auto fail = [&](const QCommandLineOption& opt) {
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
    return result;
}

} // namespace sim

// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/sim/Profile.h"

#include <QRegularExpression>

#include <cmath>

namespace sim {

namespace {

constexpr double kStartLevel = 20.0;   // where a channel starts when its first item sets none

bool fail(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return false;
}

std::optional<double> number(const QString& text)
{
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || !std::isfinite(v) || std::abs(v) > 100000)
        return std::nullopt;
    return v;
}

std::optional<double> duration(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^(\\d+\\.?\\d*|\\.\\d+)([smh]?)$"));
    const QRegularExpressionMatch m = form.match(text.toLower());
    if (!m.hasMatch())
        return std::nullopt;
    const double v = m.captured(1).toDouble();
    const QString unit = m.captured(2);
    const double s = unit == QLatin1String("m") ? v * 60 : unit == QLatin1String("h") ? v * 3600 : v;
    if (s > 1e7)
        return std::nullopt;
    return s;
}

// A pure function of (seed, channel, millisecond): uniform in [-1, 1].
double noiseAt(std::uint32_t seed, int channel, double t)
{
    std::uint64_t x = (std::uint64_t(seed) << 32) ^ (std::uint64_t(channel) << 56)
                      ^ std::uint64_t(std::llround(t * 1000.0));
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    x ^= x >> 31;
    return double(x >> 11) / double(1ull << 53) * 2.0 - 1.0;
}

// One item of a channel line into the channel; false with a reason.
bool parseItem(const QString& item, Profile::Channel& c, QString* error)
{
    QStringList w = item.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (w.isEmpty())
        return fail(error, QStringLiteral("an empty item"));
    const QString verb = w.takeFirst().toLower();
    auto bad = [&] {
        return fail(error, QStringLiteral("\"%1\" is not an item (hold V for D, step V, ramp V "
                                          "over D, approach V tau T for D, open for D, over for "
                                          "D, noise A, repeat)").arg(item.trimmed()));
    };
    if (!w.isEmpty() && w.first().toLower() == QLatin1String("to")
        && (verb == QLatin1String("ramp") || verb == QLatin1String("step")
            || verb == QLatin1String("approach")))
        w.removeFirst();
    // "KEY VALUE" pairs after the verb's own value.
    auto valueAfter = [&](const char* key) -> std::optional<QString> {
        const qsizetype i = w.indexOf(QString::fromLatin1(key), 0);
        if (i < 0 || i + 1 >= w.size())
            return std::nullopt;
        return w[i + 1];
    };
    Profile::Segment s;
    using Kind = Profile::Segment::Kind;
    if (verb == QLatin1String("repeat") && w.isEmpty()) {
        c.repeat = true;
        return true;
    }
    if (verb == QLatin1String("noise") && w.size() == 1) {
        const auto a = number(w[0]);
        if (!a || *a < 0)
            return bad();
        c.noise = *a;
        return true;
    }
    if (verb == QLatin1String("hold") || verb == QLatin1String("step")) {
        s.kind = Kind::Hold;
        if (!w.isEmpty() && w.first().toLower() != QLatin1String("for")) {
            s.target = number(w.takeFirst());
            if (!s.target)
                return bad();
        }
        if (verb == QLatin1String("step") && (!s.target || !w.isEmpty()))
            return bad();
        if (!w.isEmpty()) {
            const auto d = w.size() == 2 && w[0].toLower() == QLatin1String("for") ? duration(w[1])
                                                                                   : std::nullopt;
            if (!d)
                return bad();
            s.seconds = *d;
        } else if (!s.target) {
            return bad();
        }
    } else if (verb == QLatin1String("ramp")) {
        s.kind = Kind::Ramp;
        if (w.size() != 3)
            return bad();
        s.target = number(w[0]);
        const QString key = w[1].toLower();
        const auto d = key == QLatin1String("over") || key == QLatin1String("in") ? duration(w[2])
                                                                                   : std::nullopt;
        if (!s.target || !d)
            return bad();
        s.seconds = *d;
    } else if (verb == QLatin1String("approach")) {
        s.kind = Kind::Approach;
        if (w.size() != 5)
            return bad();
        s.target = number(w[0]);
        for (QString& t : w)
            t = t.toLower();
        const auto tau = valueAfter("tau");
        const auto d = valueAfter("for");
        const auto tauS = tau ? duration(*tau) : std::nullopt;
        const auto dS = d ? duration(*d) : std::nullopt;
        if (!s.target || !tauS || !dS || *tauS <= 0)
            return bad();
        s.tau = *tauS;
        s.seconds = *dS;
    } else if (verb == QLatin1String("open") || verb == QLatin1String("over")) {
        s.kind = verb == QLatin1String("open") ? Kind::Open : Kind::Over;
        const auto d = w.size() == 2 && w[0].toLower() == QLatin1String("for") ? duration(w[1])
                                                                               : std::nullopt;
        if (!d)
            return bad();
        s.seconds = *d;
    } else {
        return bad();
    }
    c.segments.push_back(s);
    return true;
}

// The times and levels of a complete channel.
void finish(Profile::Channel& c)
{
    using Kind = Profile::Segment::Kind;
    double level = kStartLevel;
    if (!c.segments.empty() && c.segments.front().kind == Kind::Hold && c.segments.front().target)
        level = *c.segments.front().target;
    double t = 0.0;
    for (Profile::Segment& s : c.segments) {
        s.startsAt = t;
        s.from = level;
        switch (s.kind) {
        case Kind::Hold:
            level = s.target.value_or(level);
            s.from = level;
            break;
        case Kind::Ramp:
            level = *s.target;
            break;
        case Kind::Approach:
            level = *s.target + (level - *s.target) * std::exp(-s.seconds / s.tau);
            break;
        case Kind::Open:
        case Kind::Over:
            break;
        }
        t += s.seconds;
    }
    c.length = t;
    c.endLevel = level;
}

} // namespace

bool Profile::addLine(const QString& line, QString* error)
{
    static const QRegularExpression head(QStringLiteral("^\\s*[Tt]([1-4])\\s*[:=]\\s*(.*)$"),
                                         QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = head.match(line);
    if (!m.hasMatch())
        return fail(error, QStringLiteral("\"%1\" does not start with a channel (T1: ... to T4: ...)")
                               .arg(line.trimmed()));
    Channel c;
    c.defined = true;
    static const QRegularExpression separators(QStringLiteral("[,;]"));
    for (const QString& item : m.captured(2).split(separators)) {
        if (item.trimmed().isEmpty())
            continue;
        if (!parseItem(item, c, error))
            return false;
    }
    if (c.segments.empty())
        return fail(error, QStringLiteral("T%1 has no level (hold V, ramp V over D, ...)")
                               .arg(m.captured(1)));
    finish(c);
    if (c.repeat && c.length <= 0)
        return fail(error, QStringLiteral("T%1 repeats items that take no time").arg(m.captured(1)));
    channels_[std::size_t(m.captured(1).toInt() - 1)] = c;
    return true;
}

std::optional<Profile> Profile::parse(const QString& text, QString* error)
{
    Profile p;
    QStringList lines;
    for (QString line : text.split(QLatin1Char('\n'))) {
        const qsizetype hash = line.indexOf(QLatin1Char('#'));
        if (hash >= 0)
            line.truncate(hash);
        if (line.trimmed().isEmpty())
            continue;
        // A line that starts with a blank goes on with the one before.
        if (!lines.isEmpty() && line.front().isSpace())
            lines.last() += QLatin1Char(' ') + line.trimmed();
        else
            lines << line;
    }
    if (lines.isEmpty()) {
        fail(error, QStringLiteral("the profile names no channel"));
        return std::nullopt;
    }
    for (const QString& line : lines)
        if (!p.addLine(line, error))
            return std::nullopt;
    return p;
}

std::optional<ProfileReading> Profile::at(int channel, double t, std::uint32_t seed) const
{
    const Channel& c = channels_[std::size_t(channel)];
    if (!c.defined)
        return std::nullopt;
    double tt = std::max(t, 0.0);
    if (c.repeat && c.length > 0)
        tt = std::fmod(tt, c.length);
    ProfileReading r;
    r.celsius = c.endLevel;
    using Kind = Segment::Kind;
    for (const Segment& s : c.segments) {
        if (tt < s.startsAt || tt >= s.startsAt + s.seconds)
            continue;
        const double into = tt - s.startsAt;
        switch (s.kind) {
        case Kind::Hold: r.celsius = s.from; break;
        case Kind::Ramp: r.celsius = s.from + (*s.target - s.from) * into / s.seconds; break;
        case Kind::Approach:
            r.celsius = *s.target + (s.from - *s.target) * std::exp(-into / s.tau);
            break;
        case Kind::Open:
            r.celsius = s.from;
            r.open = true;
            break;
        case Kind::Over:
            r.celsius = s.from;
            r.overRange = true;
            break;
        }
        break;
    }
    if (c.noise > 0 && !r.open)
        r.celsius += c.noise * noiseAt(seed, channel, t);
    return r;
}

QStringList Profile::builtinNames()
{
    return {QStringLiteral("demo"), QStringLiteral("reflow"), QStringLiteral("cooling"),
            QStringLiteral("dropout")};
}

std::optional<QString> Profile::builtin(const QString& name)
{
    if (name == QLatin1String("demo"))
        return QStringLiteral(
            "# An oven running a reflow curve, a kettle heated and left to cool, a cold room\n"
            "# whose door opens now and then, and a probe that falls out every four minutes.\n"
            "T1: hold 24 for 20s, ramp 150 over 90s, hold for 40s, ramp 240 over 45s, hold for 15s,\n"
            "    approach 30 tau 50s for 4m, repeat, noise 0.2\n"
            "T2: hold 21 for 40s, ramp 95 over 2m, hold for 30s, approach 21 tau 80s for 5m, repeat,\n"
            "    noise 0.3\n"
            "T3: hold 4 for 80s, ramp 11 over 25s, approach 4 tau 45s for 3m, repeat, noise 0.15\n"
            "T4: hold 23.5 for 60s, ramp 31 over 80s, open for 20s, ramp 23.5 over 80s, repeat,\n"
            "    noise 0.1\n");
    if (name == QLatin1String("reflow"))
        return QStringLiteral(
            "# A lead-free reflow profile on T1 (preheat 83.3 C/min, soak, reflow peak 245 C,\n"
            "# cooling 97.5 C/min); T2 to T4 stay at room temperature.\n"
            "T1: hold 25 for 30s, ramp 150 over 90s, hold for 60s, ramp 245 over 45s, hold for 20s,\n"
            "    ramp 50 over 2m\n"
            "T2: hold 25\nT3: hold 25\nT4: hold 25\n");
    if (name == QLatin1String("cooling"))
        return QStringLiteral(
            "# Four probes cooling from 200 C toward a 20 C room with time constants of 1 to 4\n"
            "# minutes.\n"
            "T1: step 200, approach 20 tau 60s for 20m\n"
            "T2: step 200, approach 20 tau 120s for 20m\n"
            "T3: step 200, approach 20 tau 180s for 20m\n"
            "T4: step 200, approach 20 tau 240s for 20m\n");
    if (name == QLatin1String("dropout"))
        return QStringLiteral(
            "# T1 at 22 C loses its probe for 20 s every 90 s, from 30 s on.\n"
            "T1: hold 22 for 30s, open for 20s, hold for 40s, repeat\n"
            "T2: hold 22\nT3: hold 22\nT4: hold 22\n");
    return std::nullopt;
}

} // namespace sim

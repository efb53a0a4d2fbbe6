// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/MachineCsv.h"

#include "base/DateTime.h"
#include "base/NullReading.h"

#include <QDateTime>
#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimeZone>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace MachineCsv {

namespace {

// Digits at text[pos..pos+n) as a number; -1 when they are not all digits.
int digits(QByteArrayView text, qsizetype pos, int n)
{
    if (pos + n > text.size())
        return -1;
    int v = 0;
    for (int i = 0; i < n; ++i) {
        const char c = text[pos + i];
        if (c < '0' || c > '9')
            return -1;
        v = v * 10 + (c - '0');
    }
    return v;
}

bool charAt(QByteArrayView text, qsizetype pos, char c)
{
    return pos < text.size() && text[pos] == c;
}

} // namespace

QByteArray header()
{
    return QByteArrayLiteral("time,T1,T2,T3,T4,unit\n");
}

QByteArray comment(const QString& text)
{
    QString t = text;
    t.replace(QLatin1Char('\r'), QLatin1Char(' '));
    t.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return "# " + t.toUtf8() + '\n';
}

namespace {

QByteArray formatTime(QDate d, QTime t, int offset)
{
    // An ISO 8601 offset has whole minutes. A local mean time of old (Berlin's was +00:53:28
    // until 1893) is written with the nearest whole minute and the time moved with it, so that
    // the text still names the same instant.
    if (const int minutes = int(std::lround(offset / 60.0)) * 60; minutes != offset) {
        const QDateTime moved = QDateTime(d, t, QTimeZone::utc()).addSecs(minutes - offset);
        d = moved.date();
        t = moved.time();
        offset = minutes;
    }
    const int absOffset = std::abs(offset) / 60;
    char buf[40];
    const int n = std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02d:%02d",
                                d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second(),
                                t.msec(), offset < 0 ? '-' : '+', absOffset / 60, absOffset % 60);
    return QByteArray(buf, n);
}

QByteArray sampleLine(QByteArray time, const MachineSample& sample)
{
    QByteArray out = std::move(time);
    out.reserve(out.size() + 4 * 16 + 3);
    for (float v : sample.values) {
        out += ',';
        out += valueText(v);
    }
    out += ',';
    out += unitText(sample.unit);
    out += '\n';
    return out;
}

} // namespace

QByteArray timeText(double days)
{
    const QDateTime dt = DateTime::toQDateTime(days);
    if (dt.isValid())
        return formatTime(dt.date(), dt.time(), dt.offsetFromUtc());
    // A wall-clock time that the local zone skips (the hour of a change to daylight-saving time)
    // comes from a clock that did not follow the change, such as the logger's, and counts
    // samples from a start before it: it is written with the offset in force before the change.
    const DateTime::DateAndTime wall = DateTime::split(days);
    if (!wall.date.isValid())
        return {};
    for (int hoursBack = 1; hoursBack <= 48; ++hoursBack) {
        const QDateTime before = DateTime::toQDateTime(days - hoursBack / 24.0);
        if (before.isValid())
            return formatTime(wall.date, wall.time, before.offsetFromUtc());
    }
    return {};
}

QByteArray LineWriter::timeText(double days)
{
    const DateTime::DateAndTime wall = DateTime::split(days);
    if (!wall.date.isValid())
        return {};
    const std::optional<int> offset = steadyOffset(wall.date, wall.time.hour());
    if (!offset) // the offset changes within this hour: the system decides every line
        return MachineCsv::timeText(days);
    return formatTime(wall.date, wall.time, *offset);
}

QByteArray LineWriter::line(const MachineSample& sample)
{
    return sampleLine(timeText(sample.time), sample);
}

std::optional<int> LineWriter::steadyOffset(const QDate& date, int hour)
{
    const qint64 key = date.toJulianDay() * 24 + hour;
    if (key != hour_) {
        hour_ = key;
        // The offset of a wall-clock time that exists as it stands (not in a skipped hour).
        const auto offsetOf = [&](const QTime& time) -> std::optional<int> {
            const QDateTime dt(date, time);
            if (!dt.isValid() || dt.date() != date || dt.time() != time)
                return std::nullopt;
            return dt.offsetFromUtc();
        };
        const std::optional<int> first = offsetOf(QTime(hour, 0, 0));
        const std::optional<int> last = offsetOf(QTime(hour, 59, 59, 999));
        hourOffset_ = first && last && *first == *last ? first : std::nullopt;
    }
    return hourOffset_;
}

std::optional<double> parseTime(QByteArrayView s)
{
    // yyyy-MM-ddTHH:mm:ss.zzz followed by Z or +HH:MM / -HH:MM.
    const int year = digits(s, 0, 4), month = digits(s, 5, 2), day = digits(s, 8, 2);
    const int hour = digits(s, 11, 2), minute = digits(s, 14, 2), second = digits(s, 17, 2);
    const int ms = digits(s, 20, 3);
    if (year < 0 || month < 0 || day < 0 || hour < 0 || minute < 0 || second < 0 || ms < 0 ||
        !charAt(s, 4, '-') || !charAt(s, 7, '-') || !charAt(s, 10, 'T') || !charAt(s, 13, ':') ||
        !charAt(s, 16, ':') || !charAt(s, 19, '.'))
        return std::nullopt;
    int offset = 0;
    if (s.size() == 24 && s[23] == 'Z') {
        offset = 0;
    } else if (s.size() == 29 && (s[23] == '+' || s[23] == '-') && charAt(s, 26, ':')) {
        const int oh = digits(s, 24, 2), om = digits(s, 27, 2);
        if (oh < 0 || om < 0 || oh > 18 || om > 59)
            return std::nullopt;
        offset = (oh * 60 + om) * 60 * (s[23] == '-' ? -1 : 1);
    } else {
        return std::nullopt;
    }
    const QDate date(year, month, day);
    const QTime time(hour, minute, second, ms);
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    const QDateTime local = QDateTime(date, time, QTimeZone(offset)).toLocalTime();
    // A time whose local date falls outside the years 1 to 9999 could not be written back.
    if (!local.isValid() || local.date().year() < 1 || local.date().year() > 9999)
        return std::nullopt;
    return DateTime::fromDateAndTime(local.date(), local.time());
}

QByteArray valueText(float v)
{
    if (v == NullReading)
        return {};
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return QByteArray(buf, r.ptr - buf);
}

std::optional<float> parseValue(QByteArrayView text)
{
    if (text.isEmpty())
        return NullReading;
    float v = 0;
    const char* first = text.data();
    const char* last = first + text.size();
    // from_chars takes no '+' sign; to_chars never writes one, but other writers may.
    if (*first == '+' && last - first > 1 && first[1] != '-')
        ++first;
    const auto r = std::from_chars(first, last, v);
    // "nan" and "inf" read as numbers, but no reading is one.
    if (r.ec != std::errc() || r.ptr != last || !std::isfinite(v))
        return std::nullopt;
    return v;
}

QByteArray line(const MachineSample& sample)
{
    return sampleLine(timeText(sample.time), sample);
}

QByteArray unitText(TemperatureUnit unit)
{
    return QByteArray(unitLetter(unit));
}

std::optional<TemperatureUnit> parseUnit(QByteArrayView text)
{
    if (text.isEmpty())
        return TemperatureUnit::Unknown;
    if (text == QByteArrayView("C"))
        return TemperatureUnit::Celsius;
    if (text == QByteArrayView("F"))
        return TemperatureUnit::Fahrenheit;
    return std::nullopt;
}

QByteArray textField(QStringView text)
{
    const QByteArray utf8 = text.toUtf8();
    if (!utf8.contains(',') && !utf8.contains('"') && !utf8.contains('\r') && !utf8.contains('\n'))
        return utf8;
    QByteArray quoted = utf8;
    quoted.replace('"', "\"\"");
    return '"' + quoted + '"';
}

QByteArray text(std::span<const MachineSample> samples)
{
    QByteArray out = header();
    out.reserve(out.size() + qsizetype(samples.size()) * 58);
    LineWriter writer;
    for (const MachineSample& s : samples)
        out += writer.line(s);
    return out;
}

// ---- Writer ----

bool Writer::put(const QByteArray& bytes)
{
    return device_.write(bytes) == bytes.size();
}

bool Writer::writeHeader(const QByteArray& preamble)
{
    return put(preamble + header());
}

bool Writer::write(const MachineSample& sample)
{
    return put(lines_.line(sample));
}

// ---- Metadata ----

void Metadata::add(const QString& key, const QJsonValue& value)
{
    entries_.emplace_back(key, value);
}

std::optional<QJsonValue> Metadata::value(const QString& key) const
{
    for (const auto& [k, v] : entries_)
        if (k == key)
            return v;
    return std::nullopt;
}

namespace {

QString plainText(const QJsonValue& v)
{
    if (v.isString())
        return v.toString();
    if (v.isDouble()) {
        const double d = v.toDouble();
        if (d == std::trunc(d) && std::abs(d) < 9e15) // whole numbers as such, never 1e+06
            return QString::number(qint64(d));
        return QString::number(d, 'g', QLocale::FloatingPointShortest);
    }
    if (v.isBool())
        return v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    if (v.isArray()) {
        QStringList parts;
        for (const QJsonValue& e : v.toArray())
            parts << plainText(e);
        return parts.join(QLatin1Char(','));
    }
    return {};
}

} // namespace

QByteArray Metadata::comments() const
{
    QByteArray out;
    for (const auto& [key, value] : entries_)
        out += comment(key + QLatin1Char('=') + plainText(value));
    return out;
}

QByteArray Metadata::json(const QString& csvFileName) const
{
    QJsonObject o;
    o.insert(QStringLiteral("data"), csvFileName);
    for (const auto& [key, value] : entries_)
        o.insert(key, value);
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

QJsonValue jsonNumber(float v)
{
    const QByteArray t = valueText(v);
    if (t.isEmpty())
        return QJsonValue(QJsonValue::Null);
    return t.toDouble();
}

QString metadataPath(const QString& csvPath)
{
    return csvPath + QStringLiteral(".json");
}

// ---- Reading ----

namespace {

constexpr int kFieldsWithUnit = 6;
constexpr int kFieldsWithoutUnit = 5;
constexpr QByteArrayView kOlderHeader("time,T1,T2,T3,T4");

// A line of exactly `fields` fields (5 or 6), or of either when fields is 0.
std::optional<MachineSample> parseFields(QByteArrayView line, int fields)
{
    const qsizetype commas = line.count(',');
    const int found = int(std::min<qsizetype>(commas + 1, 100));
    if (fields == 0 ? found != kFieldsWithUnit && found != kFieldsWithoutUnit : found != fields)
        return std::nullopt;
    MachineSample s;
    qsizetype start = 0;
    for (int field = 0; field < found; ++field) {
        const qsizetype comma = line.indexOf(',', start);
        const qsizetype end = comma < 0 ? line.size() : comma;
        const QByteArrayView text = line.sliced(start, end - start);
        if (field == 0) {
            const auto t = parseTime(text);
            if (!t)
                return std::nullopt;
            s.time = *t;
        } else if (field <= 4) {
            const auto v = parseValue(text);
            if (!v)
                return std::nullopt;
            s.values[static_cast<std::size_t>(field - 1)] = *v;
        } else {
            const auto u = parseUnit(text);
            if (!u)
                return std::nullopt;
            s.unit = *u;
        }
        start = end + 1;
    }
    return s;
}

} // namespace

std::optional<MachineSample> parseLine(QByteArrayView line)
{
    return parseFields(line, 0);
}

Content read(QByteArrayView bytes)
{
    Content c;
    qsizetype pos = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    bool inPreamble = true;
    int fields = 0;
    while (pos < bytes.size()) {
        const qsizetype lf = bytes.indexOf('\n', pos);
        if (lf < 0) {
            // A last line without its line end was cut off while it was being written.
            ++c.skippedLines;
            break;
        }
        QByteArrayView l = bytes.sliced(pos, lf - pos);
        pos = lf + 1;
        if (l.endsWith('\r'))
            l.chop(1);
        if (inPreamble && l.startsWith('#')) {
            QByteArrayView text = l.sliced(1);
            if (text.startsWith(' '))
                text = text.sliced(1);
            c.comments.append(QString::fromUtf8(text));
            continue;
        }
        if (inPreamble) {
            inPreamble = false;
            const QByteArray current = header().chopped(1);
            if (l == QByteArrayView(current) || l == kOlderHeader) {
                c.headerFound = true;
                c.unitColumn = l == QByteArrayView(current);
                fields = c.unitColumn ? kFieldsWithUnit : kFieldsWithoutUnit;
                continue;
            }
        }
        if (const auto s = parseFields(l, fields))
            c.samples.push_back(*s);
        else
            ++c.skippedLines;
    }
    return c;
}

} // namespace MachineCsv

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Machine CSV: the readings in a form that other programs read with their defaults (pandas'
// read_csv, R's read.csv, Python's csv module, a spreadsheet):
//
//   time,T1,T2,T3,T4,unit
//   2026-12-09T10:15:30.000+01:00,23.5,-12.25,,1000,C
//
// The header comes first and nothing but data lines follow. The time is the local date-time in
// ISO 8601 with milliseconds and the UTC offset (a wall-clock time that the zone skips at a change
// to daylight-saving time takes the offset before it; an offset of old that is not whole minutes
// is written as the nearest whole minute, the time moved to name the same instant). A value is
// the shortest text that reads back as the same 32-bit float, with a point as decimal separator;
// a NullReading is an empty field, and a text that is no finite number ("nan", "inf") is no
// value. The unit is that line's ("C" or "F"; the meter's key can change it in the middle of a
// live run), empty where the source does not say. UTF-8 without a byte-order mark, lines end with
// LF. Everything here is independent of the user's locale.
//
// What describes the data as a whole (where it came from, the set, the thermocouple, the rate,
// the offsets, the meter) is Metadata: written as a JSON file beside the CSV (metadataPath), or,
// in the single-file form that some users keep, as '#' comment lines before the header. The
// recording journal uses that form for its one recovery line.
//
// Times are kept to the millisecond, the resolution of the program's clock: a time that came from
// the clock (DateTime::fromQDateTime) reads back bit for bit on a machine in the same time zone,
// and so does every value.
//
// Files written before the unit column existed (header time,T1,T2,T3,T4, five fields a line) are
// still read; their samples have an unknown unit.

#include "base/TemperatureUnit.h"

#include <QByteArray>
#include <QDate>
#include <QJsonValue>
#include <QString>
#include <QStringList>

#include <array>
#include <limits>
#include <optional>
#include <span>
#include <utility>
#include <vector>

class QIODevice;

struct MachineSample {
    double time = 0.0;                 // local date-time, days since 30 December 1899
    std::array<float, 4> values{};     // T1..T4, NullReading when missing
    TemperatureUnit unit = TemperatureUnit::Unknown;
    bool operator==(const MachineSample&) const = default;
};

namespace MachineCsv {

// "time,T1,T2,T3,T4,unit\n"
QByteArray header();
// "# text\n". Line breaks in text become blanks, so a comment is always one line.
QByteArray comment(const QString& text);
// One sample line, LF included.
QByteArray line(const MachineSample& sample);

// The parts of a line, also for files with other columns built from the same parts.
QByteArray timeText(double days);                 // 2026-12-09T10:15:30.000+01:00
std::optional<double> parseTime(QByteArrayView text);
QByteArray valueText(float v);                    // "" for NullReading
std::optional<float> parseValue(QByteArrayView text);  // "" gives NullReading; finite only
QByteArray unitText(TemperatureUnit unit);        // "C", "F" or ""
std::optional<TemperatureUnit> parseUnit(QByteArrayView text);  // "" gives Unknown
// A free text as one field: as it stands unless it holds a comma, a double quote, CR or LF; then
// in double quotes with the quotes doubled, as every CSV reader expects.
QByteArray textField(QStringView text);

// Many lines in a row (an export of a whole data set): the same texts as line() and timeText(),
// with the UTC offset looked up once per hour of local time instead of for every line (a look-up
// asks the system's time zone, which costs more than the rest of the line). Within an hour whose
// offset changes (a daylight-saving transition) every line is looked up on its own.
class LineWriter {
public:
    QByteArray line(const MachineSample& sample);
    QByteArray timeText(double days);

private:
    // The UTC offset of that local hour when it is the same all through the hour.
    std::optional<int> steadyOffset(const QDate& date, int hour);

    qint64 hour_ = std::numeric_limits<qint64>::min(); // the cached local hour (day x 24 + hour)
    std::optional<int> hourOffset_;                      // its steady offset, in seconds
};

// The whole text of the samples: the header and one line each, nothing else. The same samples
// give the same bytes on every machine in the same time zone, so a checksum of this text is a
// fingerprint of the data.
QByteArray text(std::span<const MachineSample> samples);

// Lines written to a device as they come (a live run, a journal): each write() hands the device
// one whole line in one call, so an unbuffered device never holds half a line of ours.
class Writer {
public:
    explicit Writer(QIODevice& device) : device_(device) {}
    // preamble (comment lines) and the header. False when the device refused them.
    bool writeHeader(const QByteArray& preamble = {});
    bool write(const MachineSample& sample);

private:
    bool put(const QByteArray& bytes);

    QIODevice& device_;
    LineWriter lines_;
};

// What describes the data as a whole, in the order it was added: a key and a text, a number or a
// list of numbers.
class Metadata {
public:
    void add(const QString& key, const QJsonValue& value);
    bool isEmpty() const { return entries_.empty(); }
    const std::vector<std::pair<QString, QJsonValue>>& entries() const { return entries_; }
    std::optional<QJsonValue> value(const QString& key) const;

    // The single-file form: "# key=value" per entry, a list's numbers joined by commas.
    QByteArray comments() const;
    // The side file: a JSON object of the entries and "data", the CSV's file name. UTF-8, LF.
    QByteArray json(const QString& csvFileName) const;

private:
    std::vector<std::pair<QString, QJsonValue>> entries_;
};

// A reading as a JSON number that prints as valueText() does (-0.9, not -0.8999999761581421).
QJsonValue jsonNumber(float v);

// The side file of a CSV written to csvPath: its whole name and .json (run.csv.json), so that it
// never takes the name of another file of the user's.
QString metadataPath(const QString& csvPath);

// A sample line without its line end: a time, four values and a unit, or (files written before
// the unit column) a time and four values. nullopt when it is neither.
std::optional<MachineSample> parseLine(QByteArrayView line);

// What a reader recovers from a file. Reading is tolerant: a line that cannot be used is
// skipped and counted, and a last line without its LF (cut off while it was written) is never
// used, since its last value may have lost digits.
struct Content {
    QStringList comments;        // text after '#' (and one blank) of the leading comment lines
    bool headerFound = false;
    bool unitColumn = false;     // the header has the unit column (false: an older file)
    std::vector<MachineSample> samples;
    int skippedLines = 0;        // lines that were neither comments, the header nor samples
};
// CR LF line ends are accepted as well as LF, and a byte-order mark in front. After a header,
// lines must have its number of fields; without one, either form is taken.
Content read(QByteArrayView bytes);

} // namespace MachineCsv

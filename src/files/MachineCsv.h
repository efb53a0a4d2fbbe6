// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Machine CSV: the readings in a form that other programs read without guessing. The recording
// journal writes it, and so does anything that hands the readings to other tools.
//
//   # optional comment lines, each starting with '#'
//   time,T1,T2,T3,T4
//   2026-12-09T10:15:30.000+01:00,23.5,-12.25,,1000
//
// The time is the local date-time in ISO 8601 with milliseconds and the UTC offset (a wall-clock
// time that the zone skips at a change to daylight-saving time takes the offset before it; an
// offset of old that is not whole minutes is written as the nearest whole minute, the time moved
// to name the same instant). A value is the shortest text that reads back as the same 32-bit
// float, with a point as decimal separator; a NullReading is an empty field, and a text that is
// no finite number ("nan", "inf") is no value. UTF-8, lines end with LF. Everything here is
// independent of the user's locale.
//
// Times are kept to the millisecond, the resolution of the program's clock: a time that came from
// the clock (DateTime::fromQDateTime) reads back bit for bit on a machine in the same time zone,
// and so does every value.

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>

#include <array>
#include <limits>
#include <optional>
#include <vector>

struct MachineSample {
    double time = 0.0;                 // local date-time, days since 30 December 1899
    std::array<float, 4> values{};     // T1..T4, NullReading when missing
    bool operator==(const MachineSample&) const = default;
};

namespace MachineCsv {

// "time,T1,T2,T3,T4\n"
QByteArray header();
// "# text\n". Line breaks in text become blanks, so a comment is always one line.
QByteArray comment(const QString& text);
// One sample line, LF included.
QByteArray line(const MachineSample& sample);

// The parts of a line, also used by readers of the comment line.
QByteArray timeText(double days);                 // 2026-12-09T10:15:30.000+01:00
std::optional<double> parseTime(QByteArrayView text);
QByteArray valueText(float v);                    // "" for NullReading
std::optional<float> parseValue(QByteArrayView text);  // "" gives NullReading

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

// A sample line without its line end; nullopt when it is not exactly a time and four values.
std::optional<MachineSample> parseLine(QByteArrayView line);

// What a reader recovers from a file. Reading is tolerant: a line that cannot be used is
// skipped and counted, and a last line without its LF (cut off while it was written) is never
// used, since its last value may have lost digits.
struct Content {
    QStringList comments;        // text after '#' (and one blank) of the leading comment lines
    bool headerFound = false;
    std::vector<MachineSample> samples;
    int skippedLines = 0;        // lines that were neither comments, the header nor samples
};
// CR LF line ends are accepted as well as LF.
Content read(QByteArrayView bytes);

} // namespace MachineCsv

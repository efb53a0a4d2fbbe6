// SPDX-License-Identifier: GPL-3.0-or-later
// Machine CSV: the exact line format, values and times that read back bit for bit, the metadata
// in both forms, and a reader that survives damage and still reads files of earlier versions.
// What other programs make of the files is tested with those programs (tests/cli).
#include "base/DateTime.h"
#include "base/NullReading.h"
#include "files/MachineCsv.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <bit>
#include <cmath>
#include <limits>
#include <random>
#include <set>

#include <time.h>

namespace {

double localTime(int y, int mo, int d, int h, int mi, int s, int ms = 0)
{
    return DateTime::fromQDateTime(QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms)));
}

std::string offsetText(double days)
{
    const int off = DateTime::toQDateTime(days).offsetFromUtc() / 60;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%c%02d:%02d", off < 0 ? '-' : '+', std::abs(off) / 60,
                  std::abs(off) % 60);
    return buf;
}

} // namespace

TEST(MachineCsv, LineHasIsoTimeShortestValuesAndEmptyNulls)
{
    const double t = localTime(2026, 12, 9, 10, 15, 30, 7);
    const QByteArray line = MachineCsv::line(
        {t, {23.5f, -12.25f, NullReading, 1000.0f}, TemperatureUnit::Fahrenheit});
    EXPECT_EQ(line.toStdString(),
              "2026-12-09T10:15:30.007" + offsetText(t) + ",23.5,-12.25,,1000,F\n");
    EXPECT_TRUE(MachineCsv::line({t, {1, 2, 3, 4}}).endsWith(",4,\n"));   // unit unknown
    // 0.1f is not 0.1: the shortest text that gives the same float back is still "0.1".
    EXPECT_EQ(MachineCsv::valueText(0.1f), "0.1");
    EXPECT_EQ(MachineCsv::valueText(-0.0f), "-0");
    EXPECT_EQ(MachineCsv::comment(QStringLiteral("two\nlines")), "# two lines\n");
    EXPECT_EQ(MachineCsv::textField(u"plain text"), "plain text");
    EXPECT_EQ(MachineCsv::textField(u"T1 > 30, \"hot\""), "\"T1 > 30, \"\"hot\"\"\"");
    EXPECT_EQ(MachineCsv::textField(u"two\nlines"), "\"two\nlines\"");
}

TEST(MachineCsv, MetadataAsCommentLinesAndAsTheSideFile)
{
    MachineCsv::Metadata m;
    m.add(QStringLiteral("source"), QStringLiteral("Lauf \u00fcber Nacht.CH4"));
    m.add(QStringLiteral("set"), 3);
    m.add(QStringLiteral("samples"), 1000000);
    m.add(QStringLiteral("offsets"),
          QJsonArray{MachineCsv::jsonNumber(-0.9f), MachineCsv::jsonNumber(0.0f),
                     MachineCsv::jsonNumber(0.36f), MachineCsv::jsonNumber(NullReading)});
    EXPECT_EQ(m.comments().toStdString(), "# source=Lauf \u00fcber Nacht.CH4\n# set=3\n"
                                          "# samples=1000000\n# offsets=-0.9,0,0.36,\n");

    const QByteArray json = m.json(QStringLiteral("run.csv"));
    EXPECT_FALSE(json.startsWith("\xEF\xBB\xBF"));
    EXPECT_FALSE(json.contains('\r'));
    EXPECT_TRUE(json.contains("-0.9,")) << json.toStdString();   // not -0.899999976158
    QJsonParseError error;
    const QJsonObject o = QJsonDocument::fromJson(json, &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError);
    EXPECT_EQ(o.value(QStringLiteral("data")).toString(), QStringLiteral("run.csv"));
    EXPECT_EQ(o.value(QStringLiteral("source")).toString(), QStringLiteral("Lauf \u00fcber Nacht.CH4"));
    EXPECT_EQ(o.value(QStringLiteral("set")).toInt(), 3);
    EXPECT_EQ(o.value(QStringLiteral("offsets")).toArray().at(3), QJsonValue(QJsonValue::Null));
    EXPECT_EQ(MachineCsv::metadataPath(QStringLiteral("/tmp/run.csv")), "/tmp/run.csv.json");
}

TEST(MachineCsv, ValuesAndClockTimesReadBackBitForBit)
{
    std::mt19937 rng(11);
    std::uniform_int_distribution<std::uint32_t> bits;
    std::uniform_int_distribution<int> ms(0, 86'399'999);
    for (int i = 0; i < 20000; ++i) {
        float v = std::bit_cast<float>(bits(rng));
        if (std::isnan(v))
            continue;
        const auto back = MachineCsv::parseValue(MachineCsv::valueText(v));
        ASSERT_TRUE(back.has_value()) << v;
        ASSERT_EQ(std::bit_cast<std::uint32_t>(*back), std::bit_cast<std::uint32_t>(v)) << v;
    }
    for (float v : {std::numeric_limits<float>::max(), std::numeric_limits<float>::denorm_min(),
                    -328.1f, 2500.0f, 9998.9f})
        EXPECT_EQ(MachineCsv::parseValue(MachineCsv::valueText(v)), v);
    EXPECT_EQ(MachineCsv::parseValue(""), NullReading);

    // Times as the clock gives them: whole milliseconds of local time.
    for (int i = 0; i < 2000; ++i) {
        const QDate day = QDate(2020, 1, 1).addDays(i * 3);
        const QTime time = QTime::fromMSecsSinceStartOfDay(ms(rng));
        const QDateTime dt(day, time);
        if (dt.time() != time)
            continue;   // skipped by a change to summer time: never on the clock
        const double t = DateTime::fromQDateTime(dt);
        const auto back = MachineCsv::parseTime(MachineCsv::timeText(t));
        ASSERT_TRUE(back.has_value());
        ASSERT_EQ(std::bit_cast<std::uint64_t>(*back), std::bit_cast<std::uint64_t>(t))
            << MachineCsv::timeText(t).toStdString();
    }
}

TEST(MachineCsv, ParseRefusesWhatIsNotExactlyTheFormat)
{
    EXPECT_TRUE(MachineCsv::parseTime("2026-12-09T10:15:30.000+01:00"));
    EXPECT_TRUE(MachineCsv::parseTime("2026-12-09T10:15:30.000Z"));
    for (const char* bad : {"2026-12-09T10:15:30+01:00", "2026-12-09 10:15:30.000+01:00",
                            "2026-13-09T10:15:30.000+01:00", "2026-02-30T10:15:30.000+01:00",
                            "2026-12-09T24:15:30.000+01:00", "2026-12-09T10:15:30.000+0100",
                            "2026-12-09T10:15:30.000+01:00x", "", "garbage"})
        EXPECT_FALSE(MachineCsv::parseTime(bad)) << bad;
    // The offset decides the instant: 10:15 at +01:00 is 09:15 UTC.
    const auto a = MachineCsv::parseTime("2026-12-09T10:15:30.000+01:00");
    const auto b = MachineCsv::parseTime("2026-12-09T09:15:30.000Z");
    EXPECT_EQ(a, b);

    for (const char* bad : {"1,5", "abc", "1.5x", " 1", "--1", "+-1"})
        EXPECT_FALSE(MachineCsv::parseValue(bad)) << bad;
    EXPECT_EQ(MachineCsv::parseValue("+2.5"), 2.5f);

    for (const char* bad : {"inf", "-inf", "nan"})
        EXPECT_FALSE(MachineCsv::parseValue(bad)) << bad;

    const QByteArray good =
        MachineCsv::line({45000.5, {1, 2, 3, 4}, TemperatureUnit::Celsius}).chopped(1);
    EXPECT_EQ(MachineCsv::parseLine(good)->unit, TemperatureUnit::Celsius);
    const QByteArray older = good.chopped(2);   // without the unit, as earlier files have it
    EXPECT_EQ(MachineCsv::parseLine(older)->unit, TemperatureUnit::Unknown);
    EXPECT_FALSE(MachineCsv::parseLine(good + ",5"));      // seven fields
    EXPECT_FALSE(MachineCsv::parseLine(older.left(older.lastIndexOf(','))));   // four
    EXPECT_FALSE(MachineCsv::parseLine(older + ",K"));     // no such unit
    EXPECT_FALSE(MachineCsv::parseLine(older + ",c"));
}

TEST(MachineCsv, ReaderKeepsCommentsSkipsDamageAndNeverUsesACutLastLine)
{
    const MachineSample s1{localTime(2026, 1, 2, 3, 4, 5), {1.5f, NullReading, -2, 3},
                           TemperatureUnit::Celsius};
    const MachineSample s2{localTime(2026, 1, 2, 3, 4, 6), {1.25f, 2, NullReading, 4},
                           TemperatureUnit::Fahrenheit};
    QByteArray file = "\xEF\xBB\xBF" + MachineCsv::comment(QStringLiteral("first")) +
                      MachineCsv::comment(QStringLiteral("second")) + MachineCsv::header() +
                      MachineCsv::line(s1);
    file += "\x01\xff garbage\n";
    file += MachineCsv::line(s2).chopped(3) + '\n';   // five fields after a six-field header
    QByteArray crlf = MachineCsv::line(s2);
    crlf.insert(crlf.size() - 1, '\r');
    file += crlf;
    file += MachineCsv::line(s2).left(30);   // cut while it was written

    const MachineCsv::Content c = MachineCsv::read(file);
    EXPECT_EQ(c.comments, (QStringList{QStringLiteral("first"), QStringLiteral("second")}));
    EXPECT_TRUE(c.headerFound);
    ASSERT_EQ(c.samples.size(), 2u);
    EXPECT_EQ(c.samples[0], s1);
    EXPECT_EQ(c.samples[1], s2);
    EXPECT_EQ(c.skippedLines, 3);

    // A cut last line whose value still parses is not used either: digits may be missing.
    const QByteArray full = MachineCsv::header() + MachineCsv::line(s1);
    const MachineCsv::Content cut = MachineCsv::read(full.chopped(2));
    EXPECT_TRUE(cut.samples.empty());
    EXPECT_EQ(cut.skippedLines, 1);

    const MachineCsv::Content empty = MachineCsv::read({});
    EXPECT_FALSE(empty.headerFound);
    EXPECT_TRUE(empty.samples.empty());
    EXPECT_EQ(empty.skippedLines, 0);
}

// A live run writes line by line, an export all at once: the same bytes, and they read back.
TEST(MachineCsv, LinesWrittenOneByOneAreTheWholeTextAndReadBack)
{
    std::vector<MachineSample> samples;
    const QDateTime start(QDate(2026, 1, 2), QTime(3, 4, 5));
    for (int k = 0; k < 200; ++k)
        samples.push_back({DateTime::fromQDateTime(start.addMSecs(k * 37250)),
                           {float(k) / 10, k % 7 ? -float(k) : NullReading, 0, 1e-3f},
                           k < 120 ? TemperatureUnit::Celsius : TemperatureUnit::Fahrenheit});
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    MachineCsv::Writer writer(buffer);
    ASSERT_TRUE(writer.writeHeader());
    for (const MachineSample& s : samples)
        ASSERT_TRUE(writer.write(s));
    const QByteArray text = MachineCsv::text(samples);
    EXPECT_EQ(buffer.data(), text);
    const MachineCsv::Content c = MachineCsv::read(text);
    EXPECT_TRUE(c.headerFound && c.unitColumn);
    EXPECT_EQ(c.skippedLines, 0);
    EXPECT_EQ(c.samples, samples);
}

// The writer for many lines looks the UTC offset up once per hour; around daylight-saving
// transitions (a skipped and a repeated hour) it must write what the per-line function writes.
TEST(MachineCsv, LineWriterWritesTheSameTimesAcrossDaylightSavingTransitions)
{
    const QByteArray savedTz = qgetenv("TZ");
    qputenv("TZ", "Europe/Berlin");
    tzset();
    std::set<std::string> offsets;
    MachineCsv::LineWriter writer;
    for (const QDate day : {QDate(2026, 3, 29), QDate(2026, 10, 25)}) {
        const double start = DateTime::fromDateAndTime(day.addDays(-1), QTime(22, 0));
        // Every 7 minutes and 13.25 seconds over 8 hours, then the same times backwards.
        std::vector<double> times;
        for (double d = start; d < start + 8.0 / 24; d += (7 * 60 + 13.25) / 86400.0)
            times.push_back(d);
        std::vector<double> backwards(times.rbegin(), times.rend());
        for (const auto* list : {&times, &backwards})
            for (double d : *list) {
                const QByteArray expected = MachineCsv::timeText(d);
                ASSERT_EQ(writer.timeText(d), expected) << d;
                ASSERT_EQ(writer.line({d, {1.5f, NullReading, -2, 0}}),
                          MachineCsv::line({d, {1.5f, NullReading, -2, 0}}));
                offsets.insert(expected.right(6).toStdString());
            }
    }
    // 02:30 on 29 March does not exist in Berlin: a logger clock that stayed on winter time.
    const double skipped = DateTime::fromDateAndTime(QDate(2026, 3, 29), QTime(2, 30));
    EXPECT_EQ(MachineCsv::timeText(skipped), "2026-03-29T02:30:00.000+01:00");
    if (savedTz.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", savedTz);
    tzset();
    EXPECT_EQ(offsets, (std::set<std::string>{"+01:00", "+02:00"}));
}

// SPDX-License-Identifier: GPL-3.0-or-later
// kolva-cli without processes: the command line it accepts and refuses, the live readings that
// become empty fields, and what an export takes from graphs and tables.
#include "CliArgs.h"
#include "CliFailure.h"
#include "CliFiles.h"
#include "CliLive.h"

#include "base/DateTime.h"
#include "base/NullReading.h"
#include "files/TableModel.h"
#include "graph/ChartState.h"
#include "graph/GraphFile.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <random>

using namespace cli;

namespace {

Arguments parse(const QString& line)
{
    return parseArguments(line.split(QLatin1Char(' '), Qt::SkipEmptyParts));
}

// The reason of the usage error a command line gives, or "" when it is accepted.
std::string refusal(const QString& line)
{
    try {
        parse(line);
        return {};
    } catch (const UsageError& e) {
        return e.what();
    }
}

double at(int h, int mi, int s)
{
    return DateTime::fromDateAndTime(QDate(2024, 5, 6), QTime(h, mi, s));
}

} // namespace

TEST(CliArgs, EachCommandTakesItsOptions)
{
    Arguments a = parse("live --port /dev/ttyUSB0 --period 5 --count 3 -o out.csv");
    EXPECT_EQ(a.command, Command::Live);
    EXPECT_EQ(a.port, "/dev/ttyUSB0");
    EXPECT_EQ(a.period, 5);
    EXPECT_EQ(a.count, 3);
    EXPECT_EQ(a.output, "out.csv");
    EXPECT_FALSE(a.comments);
    EXPECT_TRUE(parse("live --comments").comments);
    EXPECT_TRUE(parse("export a.ghf --comments").comments);

    a = parse("live");
    EXPECT_EQ(a.period, 1);
    EXPECT_FALSE(a.count.has_value());
    EXPECT_TRUE(a.port.isEmpty());

    a = parse("download --port=/dev/pts/4 -o run.CH4 --retries 0 --fix");
    EXPECT_EQ(a.command, Command::Download);
    EXPECT_EQ(a.port, "/dev/pts/4");
    EXPECT_EQ(a.retries, 0);
    EXPECT_TRUE(a.fix);

    a = parse("export run.CH4 --set 2 --format csv -o run.csv");
    EXPECT_EQ(a.command, Command::Export);
    EXPECT_EQ(a.file, "run.CH4");
    EXPECT_EQ(a.set, 2);
    EXPECT_TRUE(a.setGiven);
    EXPECT_EQ(a.format, ExportFormat::Csv);
    EXPECT_EQ(parse("export a.ghf").format, ExportFormat::Machine);
    EXPECT_EQ(parse("export a.ghf --format txt").format, ExportFormat::Txt);

    // Set-up steps run in the order given, repeats included.
    a = parse("setup --read --interval 02:30 --erase --clock --defaults --read");
    EXPECT_EQ(a.steps, (std::vector<SetupStep>{SetupStep::Read, SetupStep::Interval,
                                                SetupStep::Erase, SetupStep::Clock,
                                                SetupStep::Defaults, SetupStep::Read}));
    EXPECT_EQ(a.intervalMinutes, "02");
    EXPECT_EQ(a.intervalSeconds, "30");
    EXPECT_EQ(parse("setup --interval 60:60").intervalSeconds, "60");

    // Alarms: as many as wanted, with the command and the exit that go with them.
    a = parse("live --alarm T1>250 --alarm T3:rise>5/60s,hyst=1 --on-alarm true --exit-on-alarm");
    ASSERT_EQ(a.alarms.size(), 2u);
    EXPECT_EQ(a.alarms[0].kind, AlarmKind::Above);
    EXPECT_EQ(a.alarms[1].hysteresis, 1.0);
    EXPECT_EQ(a.onAlarm, "true");
    EXPECT_TRUE(a.exitOnAlarm);

    EXPECT_EQ(parse("--version").command, Command::Version);
    EXPECT_EQ(parse("export --help").command, Command::Help);
    EXPECT_EQ(parse("ports").command, Command::Ports);
}

TEST(CliArgs, BadCommandLinesAreRefusedWithTheirReason)
{
    EXPECT_EQ(refusal(""), "no command given");
    EXPECT_EQ(refusal("lve"), "unknown command \"lve\"");
    EXPECT_EQ(refusal("sets"), "sets needs a FILE");
    EXPECT_EQ(refusal("sets a.CH4 b.CH4"), "unexpected argument \"b.CH4\"");
    EXPECT_EQ(refusal("download --port /dev/x"), "download needs -o FILE.CH4");
    EXPECT_EQ(refusal("live --set 2"), "live does not take --set");
    EXPECT_EQ(refusal("live --count"), "--count needs a value");
    EXPECT_EQ(refusal("live --count 0"), "--count needs a whole number from 1 to 2147483647, not \"0\"");
    EXPECT_EQ(refusal("live --period 1.5"), "--period needs a whole number from 1 to 86400, not \"1.5\"");
    EXPECT_EQ(refusal("live --count -3"), "--count needs a whole number from 1 to 2147483647, not \"-3\"");
    EXPECT_EQ(refusal("live --count 99999999999"),
              "--count needs a whole number from 1 to 2147483647, not \"99999999999\"");
    EXPECT_EQ(refusal("live -o a -o b"), "-o is given twice");
    EXPECT_EQ(refusal("export a.CH4 --set 0"), "--set needs a whole number from 1 to 2147483647, not \"0\"");
    EXPECT_EQ(refusal("export a.CH4 --format xml"), "--format is machine, txt or csv, not \"xml\"");
    EXPECT_EQ(refusal("download -o x.CH4 --fix=yes"), "--fix takes no value");
    EXPECT_EQ(refusal("export a.ghf --format txt --comments"),
              "--comments is for machine CSV, not --format txt");
    EXPECT_EQ(refusal("download -o x.CH4 --comments"), "download does not take --comments");
    EXPECT_EQ(refusal("setup"), "setup needs at least one of --clock, --interval, --erase, --defaults, --read");
    EXPECT_EQ(refusal("setup --interval 2:3:4"), "--interval is MM:SS, not \"2:3:4\"");
    EXPECT_EQ(refusal("setup --interval 00:00"), "--interval 00:00 is not an interval the meter "
                                                 "takes (minutes and seconds up to 60 each, not both 0)");
    EXPECT_EQ(refusal("setup --interval 61:00").substr(0, 17), "--interval 61:00 ");
    EXPECT_EQ(refusal("--version ports"), "--version takes nothing more");
    EXPECT_EQ(refusal("live --exit-on-alarm"), "--exit-on-alarm needs at least one --alarm");
    EXPECT_EQ(refusal("live --alarm T1>x").substr(0, 16), "--alarm: \"T1>x\" ");
    EXPECT_EQ(refusal("download -o a.CH4 --alarm T1>1"), "download does not take --alarm");
}

TEST(CliExport, AGraphGivesItsFilledPointsAndSaysWhatItsChannelsDoNotMatch)
{
    ChartState chart;
    chart.data.resize(4, 5);
    for (int p = 0; p < 3; ++p)
        for (int c = 0; c < 4; ++c) {
            chart.data.setX(c, p, at(10, 0, p));
            chart.data.setY(c, p, float(c * 10 + p));
        }
    chart.data.setY(2, 1, NullReading);
    chart.unit = QStringLiteral("\u00b0F");
    ExportData data = graphExport(chart, QStringLiteral("/some/where/run.ghf"));
    ASSERT_EQ(data.samples.size(), 3u); // points 3 and 4 were never filled
    EXPECT_EQ(data.samples[1].time, at(10, 0, 1));
    EXPECT_EQ(data.samples[1].values, (std::array<float, 4>{1, 11, NullReading, 31}));
    EXPECT_EQ(data.samples[1].unit, TemperatureUnit::Fahrenheit);
    EXPECT_EQ(data.metadata.comments(), "# source=run.ghf\n# unit=F\n");
    EXPECT_TRUE(data.notes.isEmpty());

    // Two channels: T3 and T4 are empty, and the user is told.
    ChartState two;
    two.data.resize(2, 2);
    two.data.setNullValue(-1.0f);
    for (int c = 0; c < 2; ++c)
        two.data.setX(c, 0, at(11, 0, 0));
    two.data.setY(0, 0, 5.0f);
    data = graphExport(two, QStringLiteral("two.ghf"));
    ASSERT_EQ(data.samples.size(), 1u);
    // The graph's own null value is a missing reading too.
    EXPECT_EQ(data.samples[0].values, (std::array<float, 4>{5.0f, NullReading, NullReading, NullReading}));
    EXPECT_EQ(data.samples[0].unit, TemperatureUnit::Unknown);   // a graph that does not say
    ASSERT_EQ(data.notes.size(), 1);
    EXPECT_TRUE(data.notes[0].contains(QStringLiteral("T3 to T4 are left empty")));

    ChartState six;
    six.data.resize(6, 1);
    for (int c = 0; c < 6; ++c) {
        six.data.setX(c, 0, at(12, 0, 0));
        six.data.setY(c, 0, float(c));
    }
    data = graphExport(six, QStringLiteral("six.ghf"));
    EXPECT_EQ(data.samples[0].values, (std::array<float, 4>{0, 1, 2, 3}));
    ASSERT_EQ(data.notes.size(), 1);
    EXPECT_TRUE(data.notes[0].contains(QStringLiteral("6 channels")));
}

TEST(CliExport, ATableGivesTheRowsWhoseDateAndTimeReadAndCountsTheOthers)
{
    const QLocale c = QLocale::c();
    TableModel table;
    table.setGridRowCount(4);
    const QStringList rows[] = {
        {QStringLiteral("6 May 2024"), QStringLiteral("10:00:00"), QStringLiteral("21.5"),
         QStringLiteral("OL"), QStringLiteral("-3.0"), QStringLiteral("1000.0")},
        {QStringLiteral("32 May 2024"), QStringLiteral("10:00:01"), QStringLiteral("1"),
         QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")},
        {QStringLiteral("6 May 2024"), QStringLiteral("10:00:02"), QStringLiteral("22"),
         QStringLiteral("x"), QStringLiteral("5"), QStringLiteral("6")},
    };
    for (int r = 0; r < 3; ++r)
        for (int col = 0; col < 6; ++col)
            table.setCell(r + 1, col + 1, rows[r][col]);
    const ExportData data = tableExport(table, QStringLiteral("t.csv"), c);
    ASSERT_EQ(data.samples.size(), 2u);
    EXPECT_EQ(data.samples[0].time, at(10, 0, 0));
    EXPECT_EQ(data.samples[0].values, (std::array<float, 4>{21.5f, NullReading, -3.0f, 1000.0f}));
    // A reading that does not convert ends the row, as when a table is graphed.
    EXPECT_EQ(data.samples[1].values, (std::array<float, 4>{22.0f, NullReading, NullReading, NullReading}));
    ASSERT_EQ(data.notes.size(), 1);
    EXPECT_TRUE(data.notes[0].startsWith(QStringLiteral("1 of 3 lines of t.csv were left out")));

    TableModel empty;
    EXPECT_THROW(tableExport(empty, QStringLiteral("e.txt"), c), Failure);
}

// Damaged files of every kind the export reads, for a few seconds: each ends in an export or
// a Failure, never in anything else (the sanitizers watch the readers and this glue).
TEST(CliExport, DamagedFilesOfEveryKindEndInAnExportOrAFailure)
{
    QTemporaryDir dir;
    QFile image(QStringLiteral(KOLVA_LOGGER_GOLDEN_DIR "/three_sets.img"));
    ASSERT_TRUE(image.open(QIODevice::ReadOnly));
    ChartState chart;
    chart.data.resize(4, 30);
    for (int p = 0; p < 30; ++p)
        for (int c = 0; c < 4; ++c) {
            chart.data.setX(c, p, at(9, 0, p));
            chart.data.setY(c, p, float(p * c) - 5.5f);
        }
    const QString ghf = dir.filePath(QStringLiteral("seed.ghf"));
    writeGraphFile(chart, ghf);
    QFile ghfFile(ghf);
    ASSERT_TRUE(ghfFile.open(QIODevice::ReadOnly));
    const QByteArray txt = exportText(graphExport(chart, ghf), ExportFormat::Txt, false, QLocale::c());
    QByteArray csv = txt;
    csv.replace('\t', ',');
    const std::pair<QByteArray, const char*> seeds[] = {
        {image.readAll(), "CH4"}, {ghfFile.readAll(), "ghf"}, {txt, "txt"}, {csv, "csv"}};

    std::mt19937 rng(461);
    int exported = 0, failed = 0;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; timer.elapsed() < 3000; ++i) {
        const auto& [seed, extension] = seeds[std::size_t(i) % std::size(seeds)];
        QByteArray bytes = seed;
        const int edits = 1 + int(rng() % 8);
        for (int e = 0; e < edits && !bytes.isEmpty(); ++e) {
            const qsizetype at = qsizetype(rng() % std::uint32_t(bytes.size()));
            switch (rng() % 4) {
            case 0: bytes[at] = char(rng()); break;
            case 1: bytes.truncate(at); break;
            case 2: bytes.insert(at, QByteArray(int(rng() % 16), char(rng()))); break;
            case 3: bytes.remove(at, qsizetype(rng() % 32)); break;
            }
        }
        Arguments a;
        a.command = Command::Export;
        a.file = dir.filePath(QStringLiteral("case%1.%2").arg(i % 8).arg(QLatin1String(extension)));
        QFile out(a.file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(bytes);
        out.close();
        try {
            const ExportData data = readExportSource(a);
            exportText(data, ExportFormat(i % 3), i % 2 == 0, QLocale::c());
            ++exported;
        } catch (const Failure&) {
            ++failed;
        }
    }
    EXPECT_GT(exported, 0);
    EXPECT_GT(failed, 0);
}

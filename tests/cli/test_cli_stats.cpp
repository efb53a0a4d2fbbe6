// SPDX-License-Identifier: GPL-3.0-or-later
// kolva-cli `stats` as a process: the figures of a graph file read back from its JSON, the same
// figures from the machine CSV and the text file exported from that graph, a collection's set,
// and the usage errors of its options.
#include "CliProcess.h"

#include "base/DateTime.h"
#include "base/NullReading.h"
#include "graph/ChartState.h"
#include "graph/GraphFile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// A quarter of an hour of a kiln run, 1,000 s from 10:00:00, one sample a second: the oven ramps half a degree a
// second from 20; the door stays at 5 and steps to 12 at 10:05:00; the third channel has no
// readings; the fourth ramps like the oven but misses 100 s of readings from 10:03:20.
ChartState kilnRun()
{
    ChartState chart;
    chart.data.resize(4, 1001);
    const double start = DateTime::fromDateAndTime(QDate(2024, 5, 6), QTime(10, 0));
    for (int p = 0; p <= 1000; ++p) {
        const float ramp = 20.0f + 0.5f * float(p);
        const float values[4] = {ramp, p < 300 ? 5.0f : 12.0f, NullReading,
                                 p >= 200 && p < 300 ? NullReading : ramp};
        for (int c = 0; c < 4; ++c) {
            chart.data.setX(c, p, start + p * DateTime::OneSecond);
            chart.data.setY(c, p, values[c]);
        }
    }
    chart.settings.subsetLabels = {QStringLiteral("Oven"), QStringLiteral("Door"),
                                   QStringLiteral("Spare"), QStringLiteral("Load")};
    chart.unit = QStringLiteral("°C");
    return chart;
}

// The lines of a tab-separated output without the channel names.
std::string figuresOnly(const QByteArray& tsv)
{
    QStringList lines = QString::fromUtf8(tsv).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (QString& line : lines)
        line = line.section(QLatin1Char('\t'), 1);
    return lines.join(QLatin1Char('\n')).toStdString();
}

} // namespace

TEST(CliStats, FiguresOfAGraphFileAndOfItsExports)
{
    CliProcess cli;
    const QString ghf = cli.home(QStringLiteral("kiln.ghf"));
    writeGraphFile(kilnRun(), ghf);

    CliRun r = cli.run({QStringLiteral("stats"), ghf, QStringLiteral("--from"),
                        QStringLiteral("10:01:40"), QStringLiteral("--to"), QStringLiteral("+0:11:40"),
                        QStringLiteral("--threshold"), QStringLiteral("220"), QStringLiteral("--band"),
                        QStringLiteral("2:8"), QStringLiteral("--base"), QStringLiteral("70"),
                        QStringLiteral("--json")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QJsonObject root = QJsonDocument::fromJson(r.out).object();
    EXPECT_EQ(root[QStringLiteral("unit")].toString(), QStringLiteral("°C"));
    EXPECT_EQ(root[QStringLiteral("from")].toString(), QStringLiteral("2024-05-06T10:01:40.000+00:00"));
    EXPECT_NEAR(root[QStringLiteral("span_s")].toDouble(), 600, 1e-3);
    const QJsonArray channels = root[QStringLiteral("channels")].toArray();
    ASSERT_EQ(channels.size(), 4);
    const QJsonObject oven = channels[0].toObject();
    EXPECT_EQ(oven[QStringLiteral("channel")].toString(), QStringLiteral("Oven"));
    EXPECT_DOUBLE_EQ(oven[QStringLiteral("at_a")].toDouble(), 70);
    EXPECT_DOUBLE_EQ(oven[QStringLiteral("at_b")].toDouble(), 370);
    EXPECT_NEAR(oven[QStringLiteral("mean_slope")].toDouble(), 30, 1e-5);
    EXPECT_NEAR(oven[QStringLiteral("steepest_rise")].toDouble(), 30, 1e-5);
    EXPECT_NEAR(oven[QStringLiteral("above_s")].toDouble(), 300, 1e-3);
    EXPECT_EQ(oven[QStringLiteral("first_crossing")].toString(),
              QStringLiteral("2024-05-06T10:06:40.000+00:00"));
    EXPECT_NEAR(oven[QStringLiteral("degree_minutes")].toDouble(), 1500, 1e-3);
    const QJsonObject door = channels[1].toObject();
    EXPECT_EQ(door[QStringLiteral("excursions")].toInt(), 1);
    const QJsonObject spare = channels[2].toObject();
    EXPECT_TRUE(spare[QStringLiteral("at_a")].isNull());
    EXPECT_NEAR(spare[QStringLiteral("missing_s")].toDouble(), 600, 1e-3);
    EXPECT_NEAR(channels[3].toObject()[QStringLiteral("missing_s")].toDouble(), 101, 1e-3);

    // The machine CSV and the text file exported from the graph give the very same figures
    // (the readings are exact to a tenth, the times to the second).
    r = cli.run({QStringLiteral("stats"), ghf, QStringLiteral("--threshold"), QStringLiteral("100")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const std::string fromGraph = figuresOnly(r.out);
    ASSERT_EQ(r.out.count('\n'), 5);
    EXPECT_TRUE(r.out.startsWith("channel\tat_a\tat_b\t")) << r.out.toStdString();
    for (const char* format : {"machine", "txt"}) {
        const QString exported = cli.home(QStringLiteral("kiln.") + QLatin1String(format));
        ASSERT_EQ(cli.run({QStringLiteral("export"), ghf, QStringLiteral("--format"),
                           QLatin1String(format), QStringLiteral("-o"), exported})
                      .exitCode,
                  0);
        r = cli.run({QStringLiteral("stats"), exported, QStringLiteral("--threshold"), QStringLiteral("100")});
        ASSERT_EQ(r.exitCode, 0) << format << r.err.toStdString();
        EXPECT_EQ(figuresOnly(r.out), fromGraph) << format;
    }
}

TEST(CliStats, ACollectionsSetAndBadUsage)
{
    CliProcess cli;
    const QString collection = cli.home(QStringLiteral("three_sets.CH4"));
    QFile::copy(QStringLiteral(KOLVA_LOGGER_GOLDEN_DIR "/three_sets.img"), collection);
    CliRun r = cli.run({QStringLiteral("stats"), collection, QStringLiteral("--set"),
                        QStringLiteral("3"), QStringLiteral("--json")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QJsonObject root = QJsonDocument::fromJson(r.out).object();
    EXPECT_EQ(root[QStringLiteral("set")].toInt(), 3);
    EXPECT_EQ(root[QStringLiteral("unit")].toString(), QStringLiteral("°F"));
    EXPECT_EQ(root[QStringLiteral("channels")].toArray().size(), 4);

    // An empty set has nothing to measure.
    r = cli.run({QStringLiteral("stats"), collection, QStringLiteral("--set"), QStringLiteral("2")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("holds no samples")) << r.err.toStdString();

    const QStringList bad[] = {
        {QStringLiteral("stats"), collection, QStringLiteral("--band"), QStringLiteral("5")},
        {QStringLiteral("stats"), collection, QStringLiteral("--from"), QStringLiteral("yesterday")},
        {QStringLiteral("stats"), collection, QStringLiteral("--window"), QStringLiteral("0")},
        {QStringLiteral("stats"), collection, QStringLiteral("--threshold"), QStringLiteral("hot")},
        {QStringLiteral("stats"), cli.home(QStringLiteral("run.ghf")), QStringLiteral("--set"),
         QStringLiteral("2")},
    };
    for (const QStringList& args : bad) {
        r = cli.run(args);
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString() << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
}

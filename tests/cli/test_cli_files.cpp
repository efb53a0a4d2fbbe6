// SPDX-License-Identifier: GPL-3.0-or-later
// kolva-cli `sets` and `export` as processes, against golden texts (tests/cli/golden/;
// KOLVA_UPDATE_GOLDEN=1 writes them anew, review the difference before committing it), and the
// exit statuses of damaged files and bad usage.
#include "CliProcess.h"

#include "base/DateTime.h"
#include "graph/ChartState.h"
#include "graph/GraphFile.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonArray>
#include <QJsonObject>
#include <QTimeZone>

namespace {

QString golden(const QString& name)
{
    return QDir(QStringLiteral(KOLVA_CLI_GOLDEN_DIR)).filePath(name);
}

void expectGolden(const QByteArray& actual, const QString& name)
{
    if (qEnvironmentVariableIsSet("KOLVA_UPDATE_GOLDEN")) {
        ASSERT_TRUE(writeAll(golden(name), actual));
        return;
    }
    EXPECT_EQ(actual.toStdString(), readAll(golden(name)).toStdString()) << name.toStdString();
}

class CliFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The three sets of the logger's golden image: odd ranges, an empty set, degrees F.
        collection = cli.home(QStringLiteral("three_sets.CH4"));
        QFile::copy(QStringLiteral(KOLVA_LOGGER_GOLDEN_DIR "/three_sets.img"), collection);
    }

    CliProcess cli;
    QString collection;
};

// A graph as the real-time window saves it: 4 channels, 6 points of which 4 are filled.
ChartState realTimeGraph()
{
    ChartState chart;
    chart.data.resize(4, 6);
    chart.unit = QStringLiteral("\u00b0C");
    const double start = DateTime::fromDateAndTime(QDate(2024, 5, 6), QTime(10, 15, 30));
    const float readings[4][4] = {{21.5f, 22.25f, NullReading, -12.0f},
                                  {21.6f, 22.3f, 100.0f, -11.9f},
                                  {21.7f, 2600.0f, 100.5f, -11.8f},
                                  {21.8f, 22.4f, 101.0f, -0.05f}};
    for (int p = 0; p < 4; ++p)
        for (int c = 0; c < 4; ++c) {
            chart.data.setX(c, p, start + p * 2 * DateTime::OneSecond);
            chart.data.setY(c, p, readings[p][c]);
        }
    return chart;
}

} // namespace

TEST_F(CliFiles, SetsListsTheDataSetsOfACollection)
{
    const CliRun r = cli.run({QStringLiteral("sets"), collection});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    expectGolden(r.out, QStringLiteral("three_sets.sets.txt"));
}

TEST_F(CliFiles, ExportOfASetInEveryFormat)
{
    CliRun r = cli.run({QStringLiteral("export"), collection});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    expectGolden(r.out, QStringLiteral("three_sets.set1.csv"));

    r = cli.run({QStringLiteral("export"), collection, QStringLiteral("--set"), QStringLiteral("3"),
                 QStringLiteral("--format"), QStringLiteral("txt")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    expectGolden(r.out, QStringLiteral("three_sets.set3.txt"));
    // The lines have no place for the unit; standard error says it.
    EXPECT_EQ(r.err.toStdString(), "kolva-cli: the readings are in °F\n");

    // -o writes the same bytes to a file.
    const QString out = cli.home(QStringLiteral("set3.csv"));
    r = cli.run({QStringLiteral("export"), collection, QStringLiteral("--set=3"),
                 QStringLiteral("--format=csv"), QStringLiteral("-o"), out});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
    QByteArray expectedCsv = readAll(golden(QStringLiteral("three_sets.set3.txt")));
    expectedCsv.replace('\t', ',');
    EXPECT_EQ(readAll(out), expectedCsv);

    // Machine CSV to a file: what describes the set goes beside it.
    const QString machine = cli.home(QStringLiteral("set3.machine.csv"));
    r = cli.run({QStringLiteral("export"), collection, QStringLiteral("--set=3"), QStringLiteral("-o"),
                 machine});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(readAll(machine).startsWith("time,T1,T2,T3,T4,unit\n"));
    const QJsonObject meta = QJsonDocument::fromJson(readAll(machine + QStringLiteral(".json"))).object();
    EXPECT_EQ(meta, QJsonDocument::fromJson(R"({"data": "set3.machine.csv", "source": "three_sets.CH4",
        "set": 3, "unit": "F", "couple": "T", "rate": 600, "offsets": [0, 0.18, 0, -0.27]})").object())
        << QJsonDocument(meta).toJson().toStdString();

    // A set without samples, in the single-file form: its comments and the header alone.
    r = cli.run({QStringLiteral("export"), collection, QStringLiteral("--set"), QStringLiteral("2"),
                 QStringLiteral("--comments")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.startsWith("# source=three_sets.CH4\n# set=2\n")) << r.out.toStdString();
    EXPECT_TRUE(r.out.endsWith("# offsets=-0.9,0,0.36,0\ntime,T1,T2,T3,T4,unit\n")) << r.out.toStdString();

    r = cli.run({QStringLiteral("export"), collection, QStringLiteral("--set"), QStringLiteral("4")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.toStdString(), "kolva-cli: " + collection.toStdString()
                                       + " holds 3 data set(s); there is no set 4\n");
}

TEST_F(CliFiles, ExportOfAGraphFileAndOfTheProgramsTextFiles)
{
    const QString ghf = cli.home(QStringLiteral("realtime.ghf"));
    writeGraphFile(realTimeGraph(), ghf);
    CliRun r = cli.run({QStringLiteral("export"), ghf});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty());
    expectGolden(r.out, QStringLiteral("realtime.ghf.csv"));

    // Its txt export, read back as a text file of the program, gives the same readings to a
    // tenth: the chain the user has between the program's files.
    const QString txt = cli.home(QStringLiteral("realtime.txt"));
    r = cli.run({QStringLiteral("export"), ghf, QStringLiteral("--format"), QStringLiteral("txt"),
                 QStringLiteral("-o"), txt});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.err.toStdString(), "kolva-cli: the readings are in \u00b0C\n");
    expectGolden(readAll(txt), QStringLiteral("realtime.ghf.txt"));
    r = cli.run({QStringLiteral("export"), txt});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    expectGolden(r.out, QStringLiteral("realtime.txt.csv"));

    // A graph of two channels says so; T3 and T4 stay empty.
    ChartState two;
    two.data.resize(2, 1);
    for (int c = 0; c < 2; ++c) {
        two.data.setX(c, 0, DateTime::fromDateAndTime(QDate(2024, 5, 6), QTime(9, 0)));
        two.data.setY(c, 0, 1.5f + float(c));
    }
    const QString twoGhf = cli.home(QStringLiteral("two.ghf"));
    writeGraphFile(two, twoGhf);
    r = cli.run({QStringLiteral("export"), twoGhf});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "time,T1,T2,T3,T4,unit\n2024-05-06T09:00:00.000+00:00,1.5,2.5,,,\n")
        << r.out.toStdString();
    EXPECT_EQ(r.err.toStdString(), "kolva-cli: the graph has 2 channel(s); T3 to T4 are left empty\n");
}

// The exports read by the tools users read them with, with their defaults: pandas.read_csv and
// to_datetime, Python's csv and json modules (tests/cli/read_machine_csv.py, one run for all).
TEST_F(CliFiles, OtherToolsReadTheMachineCsvWithTheirDefaults)
{
    QJsonArray cases;
    const auto row = [](qint64 utcMs, std::array<float, 4> values, const char* unit) {
        QJsonArray v;
        for (float x : values)
            v.append(x == NullReading ? QJsonValue(QJsonValue::Null) : QJsonValue(double(x)));
        return QJsonObject{{"utc_ms", utcMs}, {"values", v},
                           {"unit", unit ? QJsonValue(unit) : QJsonValue(QJsonValue::Null)}};
    };

    // A graph in degrees F across the change to summer time in Berlin: two UTC offsets.
    const QTimeZone berlin("Europe/Berlin");
    const QDate change(2026, 3, 29);
    const QTime times[] = {QTime(1, 59, 58), QTime(1, 59, 59, 500), QTime(3, 0, 0), QTime(3, 0, 1)};
    const std::array<float, 4> readings[] = {{0.1f, NullReading, -0.05f, 1372.0f},
                                             {NullReading, NullReading, NullReading, NullReading},
                                             {-328.1f, 2500.0f, 0.0f, 98.6f},
                                             {1e-3f, -0.0f, 33.3f, NullReading}};
    ChartState chart;
    chart.unit = QStringLiteral("\u00b0F");
    chart.data.resize(4, 4);
    QJsonArray rows;
    for (int p = 0; p < 4; ++p) {
        for (int c = 0; c < 4; ++c) {
            chart.data.setX(c, p, DateTime::fromDateAndTime(change, times[p]));
            chart.data.setY(c, p, readings[p][std::size_t(c)]);
        }
        rows.append(row(QDateTime(change, times[p], berlin).toMSecsSinceEpoch(), readings[p], "F"));
    }
    const QString ghf = cli.home(QStringLiteral("summer.ghf"));
    writeGraphFile(chart, ghf);
    CliProcess berlinCli;
    berlinCli.setEnv(QStringLiteral("TZ"), QStringLiteral("Europe/Berlin"));
    CliRun r = berlinCli.run({QStringLiteral("export"), ghf});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QString summer = cli.home(QStringLiteral("summer.csv"));
    ASSERT_TRUE(writeAll(summer, r.out)); // standard output as a shell redirect keeps it
    cases.append(QJsonObject{{"csv", summer}, {"rows", rows}});

    // A data set written with -o, its metadata beside it.
    const QString set = cli.home(QStringLiteral("set 1.csv"));
    r = cli.run({QStringLiteral("export"), collection, QStringLiteral("-o"), set});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const auto utc = [](int s) {
        return QDateTime(QDate(2012, 3, 7), QTime(9, 5, s), QTimeZone::utc()).toMSecsSinceEpoch();
    };
    cases.append(QJsonObject{
        {"csv", set},
        {"rows", QJsonArray{row(utc(0), {21.5f, 1372.0f, NullReading, -200.0f}, "C"),
                            row(utc(2), {21.6f, 1371.9f, 0.0f, NullReading}, "C"),
                            row(utc(4), {21.7f, 0.1f, -0.1f, 0.0f}, "C")}},
        {"metadata", QJsonObject{{"data", "set 1.csv"}, {"source", "three_sets.CH4"}, {"set", 1},
                                 {"unit", "C"}, {"couple", "K"}, {"rate", 2},
                                 {"offsets", QJsonArray{0, 0, 0, 0}}}}});

    // A graph that does not know its unit, with two channels: empty columns.
    ChartState two;
    two.data.resize(2, 1);
    for (int c = 0; c < 2; ++c) {
        two.data.setX(c, 0, DateTime::fromDateAndTime(QDate(2024, 5, 6), QTime(9, 0)));
        two.data.setY(c, 0, 1.5f + float(c));
    }
    const QString twoGhf = cli.home(QStringLiteral("two.ghf"));
    writeGraphFile(two, twoGhf);
    const QString twoCsv = cli.home(QStringLiteral("two.csv"));
    r = cli.run({QStringLiteral("export"), twoGhf, QStringLiteral("-o"), twoCsv});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    cases.append(QJsonObject{
        {"csv", twoCsv},
        {"rows", QJsonArray{row(QDateTime(QDate(2024, 5, 6), QTime(9, 0), QTimeZone::utc())
                                    .toMSecsSinceEpoch(),
                                {1.5f, 2.5f, NullReading, NullReading}, nullptr)}}});

    const QString casesFile = cli.home(QStringLiteral("cases.json"));
    ASSERT_TRUE(writeAll(casesFile, QJsonDocument(cases).toJson()));
    QProcess python;
    python.setProcessChannelMode(QProcess::MergedChannels);
    python.start(QStringLiteral(KOLVA_PYTHON),
                 {QStringLiteral(KOLVA_CLI_TEST_DIR "/read_machine_csv.py"), casesFile});
    ASSERT_TRUE(python.waitForFinished(60000));
    const QByteArray said = python.readAll();
    EXPECT_EQ(python.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(python.exitCode(), 0) << said.toStdString();
    EXPECT_TRUE(said.contains("3 files read by pandas")) << said.toStdString();
}

TEST_F(CliFiles, DamagedAndMissingFilesFailWithTheirReason)
{
    const QByteArray image = readAll(collection);
    const QString cut = cli.home(QStringLiteral("cut.CH4"));
    ASSERT_TRUE(writeAll(cut, image.left(300))); // the first set runs past the end
    const QString empty = cli.home(QStringLiteral("empty.CH4"));
    ASSERT_TRUE(writeAll(empty, {}));
    const QString ghf = cli.home(QStringLiteral("bad.ghf"));
    ASSERT_TRUE(writeAll(ghf, QByteArray("\x10\x00\x00\x00not a chart image", 21)));
    const QString noise = cli.home(QStringLiteral("noise.txt"));
    ASSERT_TRUE(writeAll(noise, QByteArray(4000, '\xff')));
    // A graph file given where a collection belongs, by its name or under a collection's name.
    const QString graph = cli.home(QStringLiteral("realtime.ghf"));
    writeGraphFile(realTimeGraph(), graph);
    const QString graphAsCollection = cli.home(QStringLiteral("realtime.CH4"));
    ASSERT_TRUE(QFile::copy(graph, graphAsCollection));

    struct Case {
        QStringList args;
        const char* reason; // a part of the one-line reason
    };
    const Case cases[] = {
        {{QStringLiteral("sets"), cut}, "is not a usable data set collection file. Data set 1 "},
        {{QStringLiteral("export"), cut}, "is not a usable data set collection file"},
        {{QStringLiteral("sets"), empty}, "is empty"},
        {{QStringLiteral("sets"), graph}, "realtime.ghf is a graph file, not a data set collection file"},
        {{QStringLiteral("sets"), graphAsCollection}, "realtime.CH4 is a graph file, not a data set"},
        {{QStringLiteral("sets"), cli.home(QStringLiteral("none.CH4"))}, "Cannot open file"},
        {{QStringLiteral("export"), ghf}, "bad.ghf"},
        {{QStringLiteral("export"), noise}, "holds no line with a date, a time and readings"},
        {{QStringLiteral("export"), cli.home(QStringLiteral("none.txt"))}, "none.txt"},
    };
    for (const Case& c : cases) {
        const CliRun r = cli.run(c.args);
        EXPECT_EQ(r.exitCode, 1) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_TRUE(r.err.startsWith("kolva-cli: ")) << r.err.toStdString();
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.reason)) << r.err.toStdString();
    }

    // -o is written whole or not at all: a failed export leaves the old file as it was.
    const QString out = cli.home(QStringLiteral("kept.csv"));
    ASSERT_TRUE(writeAll(out, "old contents\n"));
    EXPECT_EQ(cli.run({QStringLiteral("export"), cut, QStringLiteral("-o"), out}).exitCode, 1);
    EXPECT_EQ(readAll(out), "old contents\n");
}

TEST_F(CliFiles, BadUsageExitsWithTwoTheCommandsUsageLineAndAPointerToHelp)
{
    const QString commands = QStringLiteral("Usage: kolva-cli COMMAND [OPTIONS]");
    const QString exportLine = QStringLiteral("Usage: kolva-cli export FILE [--set K]");
    const std::pair<QStringList, QString> bad[] = {
        {{}, commands},
        {{QStringLiteral("sets")}, QStringLiteral("Usage: kolva-cli sets FILE.CH4\n")},
        {{QStringLiteral("export"), collection, QStringLiteral("--format"), QStringLiteral("pdf")},
         exportLine},
        {{QStringLiteral("export"), cli.home(QStringLiteral("run.xls"))}, exportLine},
        {{QStringLiteral("export"), cli.home(QStringLiteral("run.ghf")), QStringLiteral("--set"),
          QStringLiteral("2")},
         exportLine},
        {{QStringLiteral("live"), QStringLiteral("--count"), QStringLiteral("many")},
         QStringLiteral("Usage: kolva-cli live [--port PATH]")},
        {{QStringLiteral("frobnicate")}, commands},
    };
    for (const auto& [args, usage] : bad) {
        const CliRun r = cli.run(args);
        SCOPED_TRACE(args.join(' ').toStdString() + ": " + r.err.toStdString());
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_TRUE(r.err.startsWith("kolva-cli: "));
        EXPECT_TRUE(r.err.contains(("\n" + usage).toUtf8()));
        EXPECT_TRUE(r.err.endsWith("Run 'kolva-cli --help' for every command and option.\n"));
        // The reason, one line of usage and the pointer: not the whole help.
        EXPECT_EQ(r.err.count('\n'), 3);
        EXPECT_FALSE(r.err.contains("Commands:"));
    }
    CliRun r = cli.run({QStringLiteral("--help")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.startsWith("Usage:\n"));
    r = cli.run({QStringLiteral("--version")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out.toStdString(), "kolva-cli " KOLVA_VERSION "\n");
}

// The program itself answers --help and --version where there is no display at all (a remote
// shell, a package check), instead of stopping for want of one.
TEST(Program, AnswersHelpAndVersionWithoutADisplay)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    const auto run = [&](const QString& option) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(KOLVA_PROGRAM), {option});
        EXPECT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        return p.readAllStandardOutput();
    };
    const QByteArray help = run(QStringLiteral("--help"));
    EXPECT_TRUE(help.contains("Four Channel Thermometer Software")) << help.toStdString();
    EXPECT_TRUE(help.contains("--port <PATH>"));
    EXPECT_TRUE(help.contains("--service"));
    EXPECT_EQ(run(QStringLiteral("--version")).toStdString(), "KOLVA " KOLVA_VERSION "\n");
}

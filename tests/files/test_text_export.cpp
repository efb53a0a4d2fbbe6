// SPDX-License-Identifier: GPL-3.0-or-later
// Text and CSV export: the lines, the range rules, the loop with its progress, Cancel and its
// failures.
#include "FileFixtures.h"
#include "TempFolder.h"
#include "files/TableModel.h"
#include "files/TextExport.h"

#include <gtest/gtest.h>

#include <QDir>

using namespace filefixtures;

namespace {

const QLocale kUs(QLocale::English, QLocale::UnitedStates);

// 2012-03-14 10:05:30 local time.
double exampleTime()
{
    return DateTime::fromQDateTime(QDateTime(QDate(2012, 3, 14), QTime(10, 5, 30)));
}

} // namespace

TEST(TextExport, GraphLineAsInTheUsersFormats)
{
    const LocaleText::DateTimeFormat de(QLocale(QLocale::German));
    EXPECT_EQ(graphExportLine(exampleTime(), {23.5f, 9999.0f, -12.0f, 1000.0f}, QLatin1Char(','),
                              de, QLocale(QLocale::German)),
              "14.03.2012,10:05:30,\"23,5\",OL,\"-12,0\",\"1000,0\"\r\n");
    const LocaleText::DateTimeFormat us(kUs);
    EXPECT_EQ(graphExportLine(exampleTime(), {23.5f, 24.04f, -0.04f, 1e-3f}, QLatin1Char('\t'),
                              us, kUs),
              "3/14/2012\t10:05:30 AM\t23.5\t24.0\t0.0\t0.0\r\n");
}

TEST(TextExport, OverLimitOnTheFloatValue)
{
    EXPECT_EQ(graphValueText(2500.0f, QLocale::c()), "2500.0");
    EXPECT_EQ(graphValueText(2500.1f, QLocale::c()), "OL");
    EXPECT_EQ(graphValueText(std::nextafter(2500.0f, 3000.0f), QLocale::c()), "OL");
    EXPECT_EQ(graphValueText(-328.0f, QLocale::c()), "-328.0");
    EXPECT_EQ(graphValueText(-328.1f, QLocale::c()), "OL");
    EXPECT_EQ(graphValueText(NullReading, QLocale::c()), "OL");
    EXPECT_EQ(graphValueText(std::nanf(""), QLocale::c()), "OL");
    EXPECT_EQ(graphValueText(-327.96f, QLocale::c()), "-328.0");
}

TEST(TextExport, RangeRules)
{
    using R = ExportRange;
    const auto range = [](const char* from, const char* to, int last = 500) {
        return exportRange(false, QString::fromLatin1(from), QString::fromLatin1(to), last);
    };
    EXPECT_EQ(exportRange(true, QStringLiteral("x"), QStringLiteral("y"), 500), (R{1, 500}));
    EXPECT_EQ(range("50", "10"), (R{10, 50}));
    EXPECT_EQ(range("0", "5"), (R{1, 5}));
    EXPECT_EQ(range("-3", "7"), (R{3, 7}));
    EXPECT_EQ(range("3", "-7"), (R{3, 7}));
    EXPECT_EQ(range("400", "900"), (R{400, 500}));
    EXPECT_EQ(range(" 4 ", "9"), (R{4, 9}));
    EXPECT_EQ(range("600", "700")->count(), 0);   // from beyond the last: an empty file
    EXPECT_EQ(range("0", "0")->count(), 0);
    EXPECT_EQ(range("-5", "2147483647"), (R{5, 500}));
    EXPECT_EQ(range("-2147483648", "2147483647")->count(), 0);   // both beyond the last
    for (const char* bad : {"", "1.5", "abc", "12a", "99999999999", "--3"}) {
        EXPECT_FALSE(range(bad, "5")) << bad;
        EXPECT_FALSE(range("5", bad)) << bad;
    }
    EXPECT_EQ(invalidIntegerText(), "invalid integer");
}

TEST(TextExport, GraphExportStopsAtTheFirstUnfilledPointAndReportsProgress)
{
    TempDataFolder tmp;
    const QString name = tmp.path("run.csv");
    const ChartState chart = recordedChart(500, 120);
    std::vector<int> seen;
    const TextFileResult r = exportGraphText(chart, name, QLatin1Char(','), {1, 500},
                                             [&](int done) {
                                                 seen.push_back(done);
                                                 return false;
                                             },
                                             QLocale::c());
    ASSERT_TRUE(r.ok()) << textFileStatusText(r).toStdString();
    EXPECT_EQ(r.lines, 120);
    EXPECT_FALSE(r.cancelled);
    ASSERT_EQ(seen.size(), 120u);
    EXPECT_EQ(seen.front(), 1);
    EXPECT_EQ(seen.back(), 120);
    const QList<QByteArray> lines = readAll(name).split('\n');
    ASSERT_EQ(lines.size(), 121);
    for (int k = 0; k < 120; ++k) {
        ASSERT_TRUE(lines[k].endsWith('\r'));
        EXPECT_EQ(lines[k].count(','), 5);
        EXPECT_FALSE(lines[k].endsWith(",\r"));
    }

    // A part of the points: 10 to 50 gives 41 lines, the first of point 10.
    const TextFileResult part = exportGraphText(chart, name, QLatin1Char('\t'),
                                                *exportRange(false, "50", "10", 500), {},
                                                QLocale::c());
    EXPECT_EQ(part.lines, 41);
    const LocaleText::DateTimeFormat c(QLocale::c());
    const QByteArray first = readAll(name).left(readAll(name).indexOf('\n') + 1);
    const ChartData& d = chart.data;
    EXPECT_EQ(first, graphExportLine(d.x(0, 9), {d.y(0, 9), d.y(1, 9), d.y(2, 9), d.y(3, 9)},
                                     QLatin1Char('\t'), c, QLocale::c()));
}

TEST(TextExport, CancelKeepsTheLinesWrittenAndAFileThatCannotBeCreatedIsNamed)
{
    TempDataFolder tmp;
    const QString name = tmp.path("run.txt");
    const ChartState chart = recordedChart(500, 500);
    const TextFileResult r = exportGraphText(chart, name, QLatin1Char('\t'), {1, 500},
                                             [](int done) { return done == 7; }, QLocale::c());
    EXPECT_TRUE(r.ok());
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(r.lines, 7);
    EXPECT_EQ(readAll(name).count('\n'), 7);

    const QString missing = tmp.path("no/such/folder/run.txt");
    const TextFileResult bad = exportGraphText(chart, missing, QLatin1Char('\t'), {1, 500});
    EXPECT_EQ(bad.status, TextFileStatus::CannotCreate);
    const QString text = textFileStatusText(bad);
    EXPECT_TRUE(text.contains(QDir::toNativeSeparators(missing))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("No such file"))) << text.toStdString();
}

TEST(TextExport, AFullDiskIsReportedWithTheLinesThatMadeIt)
{
    if (!QFileInfo::exists(QStringLiteral("/dev/full")))
        GTEST_SKIP() << "no /dev/full";
    const ChartState chart = recordedChart(50, 50);
    const TextFileResult r = exportGraphText(chart, QStringLiteral("/dev/full"), QLatin1Char(','),
                                             {1, 50});
    EXPECT_EQ(r.status, TextFileStatus::CannotWrite);
    EXPECT_EQ(r.lines, 0);
    EXPECT_TRUE(textFileStatusText(r).contains(QStringLiteral("/dev/full")));
}

TEST(TextExport, TableLinesEndWithTheSeparatorChosenByTheName)
{
    TempDataFolder tmp;
    TableModel t;
    t.setGridRowCount(4);
    for (int r = 1; r <= 3; ++r)
        for (int c = 0; c < TableModel::Columns; ++c)
            t.setCell(r, c, QStringLiteral("r%1c%2").arg(r).arg(c));
    t.setCell(2, 4, QString());
    EXPECT_EQ(tableExportLine(t, 2, QLatin1Char(',')), "r2c1,r2c2,r2c3,,r2c5,r2c6,\r\n");
    EXPECT_EQ(tableSeparator(QStringLiteral("a.CSV")), QLatin1Char(','));
    EXPECT_EQ(tableSeparator(QStringLiteral("acsv")), QLatin1Char(','));   // the letters, not the extension
    EXPECT_EQ(tableSeparator(QStringLiteral("a.txt")), QLatin1Char('\t'));
    EXPECT_EQ(tableSeparator(QStringLiteral("a.csv.bak")), QLatin1Char('\t'));

    const QString name = tmp.path("table.Csv");
    const TextFileResult r = exportTableText(t, name, *exportRange(false, "3", "2", 3));
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.lines, 2);
    EXPECT_EQ(readAll(name), "r2c1,r2c2,r2c3,,r2c5,r2c6,\r\nr3c1,r3c2,r3c3,r3c4,r3c5,r3c6,\r\n");
    const TextFileResult all = exportTableText(t, tmp.path("table.txt"), {1, 3});
    EXPECT_EQ(all.lines, 3);
    EXPECT_EQ(readAll(tmp.path("table.txt")).count('\t'), 18);
}

// SPDX-License-Identifier: GPL-3.0-or-later
// From a table to a graph: the checks before, the conversion row by row, and whole round trips
// graph -> text or CSV file -> table -> graph under locales with a point and with a comma.
#include "FileFixtures.h"
#include "TempFolder.h"
#include "files/TableReader.h"
#include "files/TableToGraph.h"
#include "files/TextExport.h"
#include "graph/GraphTemplate.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>

using namespace filefixtures;

namespace {

void fillRow(TableModel& t, int row, std::initializer_list<const char*> texts)
{
    int c = 1;
    for (const char* s : texts)
        t.setCell(row, c++, QString::fromUtf8(s));
}

// The chart the window would prepare for the table.
ChartState prepared(const TableGraphSpan& span)
{
    const QTemporaryDir noTemplate;   // the defaults
    ChartState st;
    prepareChartState(st, 4, 100, -20, span.last, span.first, span.rows,
                      {QDir(noTemplate.path()).filePath("graph.ghf"), {}, {}});
    return st;
}

ChartState graphOf(const TableModel& t, const QLocale& locale)
{
    const LocaleText::DateTimeFormat format(locale);
    const TableGraphSpan span = tableGraphSpan(t, format);
    EXPECT_TRUE(span.ok()) << tableGraphStatusText(span).toStdString();
    ChartState st = prepared(span);
    tableToChart(t, st, format, {}, locale);
    return st;
}

} // namespace

TEST(TableToGraph, AnEmptyTableHasNoDataAndBadEndTimesAreNamed)
{
    const LocaleText::DateTimeFormat c(QLocale::c());
    TableModel t;
    TableGraphSpan span = tableGraphSpan(t, c);
    EXPECT_EQ(span.status, TableGraphStatus::NoData);
    EXPECT_EQ(tableGraphStatusText(span), "No data to graph !");

    t.setGridRowCount(4);
    fillRow(t, 1, {"14 Mar 2024", "10:00:00", "1", "2", "3", "4"});
    fillRow(t, 2, {"garbage", "", "1", "2", "3", "4"});
    fillRow(t, 3, {"14 Mar 2024", "25:00:00", "1", "2", "3", "4"});
    span = tableGraphSpan(t, c);
    EXPECT_EQ(span.status, TableGraphStatus::BadTime);
    EXPECT_EQ(tableGraphStatusText(span), "'14 Mar 2024 25:00:00' is not a valid date and time");

    fillRow(t, 3, {"14 Mar 2024", "10:00:02", "1", "2", "3", "4"});
    span = tableGraphSpan(t, c);
    ASSERT_TRUE(span.ok());
    EXPECT_EQ(span.rows, 3);
    EXPECT_NEAR((span.last - span.first) * 86400.0, 2.0, 1e-6);
}

TEST(TableToGraph, OLIsANullAndARowStopsSilentlyAtItsFirstBadCell)
{
    TableModel t;
    t.setGridRowCount(6);
    fillRow(t, 1, {"14 Mar 2024", "10:00:00", "1.5", "2.5", "3.5", "4.5"});
    fillRow(t, 2, {"14 Mar 2024", "10:00:01", "1.5", "2.5", "ol", "4.5"});   // only "OL" is OL
    fillRow(t, 3, {"14 Mar 2024", "10:00:02", "1.5", "2.5", "OL", "4.5"});
    fillRow(t, 4, {"14/03/2024", "10:00:03", "1.5", "2.5", "3.5", "4.5"});  // date does not read
    fillRow(t, 5, {"14 Mar 2024", "10:00:04", " 7 ", "1,5", "", "nan"});     // group sep, empty
    const ChartState st = graphOf(t, QLocale::c());
    const ChartData& d = st.data;
    ASSERT_EQ(d.points(), 5);
    EXPECT_EQ(d.y(3, 0), 4.5f);
    EXPECT_NE(d.x(0, 1), 0.0);
    EXPECT_EQ(d.x(3, 1), d.x(0, 1));
    EXPECT_EQ(d.y(1, 1), 2.5f);
    EXPECT_EQ(d.y(2, 1), NullReading);
    EXPECT_EQ(d.y(3, 1), NullReading);   // after the bad cell: left as prepared
    EXPECT_EQ(d.y(2, 2), NullReading);
    EXPECT_EQ(d.y(3, 2), 4.5f);          // after OL the row goes on
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(d.x(c, 3), 0.0);
        EXPECT_EQ(d.y(c, 3), NullReading);
    }
    EXPECT_EQ(d.y(0, 4), 7.0f);
    EXPECT_EQ(d.y(1, 4), NullReading);
    EXPECT_EQ(tableReading(u"nan", QLocale::c()), std::nullopt);
    EXPECT_EQ(tableReading(u"1e39", QLocale::c()), std::nullopt);
    EXPECT_EQ(tableReading(u"-12,5", QLocale(QLocale::German)), -12.5f);
    EXPECT_EQ(tableReading(u"1.000,5", QLocale(QLocale::German)), std::nullopt);
}

TEST(TableToGraph, ProgressBeforeEachRowAndCancelAfterIt)
{
    TableModel t;
    t.setGridRowCount(11);
    for (int r = 1; r <= 10; ++r)
        fillRow(t, r, {"14 Mar 2024", "10:00:00", "1", "2", "3", "4"});
    const LocaleText::DateTimeFormat c(QLocale::c());
    ChartState st = prepared(tableGraphSpan(t, c));
    std::vector<int> seen;
    const int done = tableToChart(t, st, c, [&](int row) {
        seen.push_back(row);
        return row == 4;
    }, QLocale::c());
    EXPECT_EQ(done, 4);
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(st.data.y(0, 3), 1.0f);
    EXPECT_EQ(st.data.y(0, 4), NullReading);
}

namespace {

// Graph -> file -> table -> graph, compared point by point: times to the second, values to a
// tenth, and every "OL" a null.
void roundTrip(const QLocale& locale, const QString& fileName, QChar separator)
{
    SCOPED_TRACE(locale.name().toStdString() + " " + fileName.toStdString());
    TempDataFolder tmp;
    const QString path = tmp.path(fileName);
    const ChartState original = recordedChart(700, 600);
    const TextFileResult w = exportGraphText(original, path, separator, {1, 700}, {}, locale);
    ASSERT_TRUE(w.ok());
    ASSERT_EQ(w.lines, 600);

    TableModel table;
    const TextFileResult r = readTableFile(path, table);
    ASSERT_TRUE(r.ok());
    ASSERT_EQ(r.lines, 600);
    const ChartState back = graphOf(table, locale);
    ASSERT_EQ(back.data.points(), 600);
    for (int p = 0; p < 600; ++p)
        for (int s = 0; s < 4; ++s) {
            const double x = original.data.x(s, p);
            const float y = original.data.y(s, p);
            ASSERT_NEAR(back.data.x(s, p), x, 0.5 * DateTime::OneSecond) << p;
            if (isOverLimit(y))
                ASSERT_EQ(back.data.y(s, p), NullReading) << p;
            else
                ASSERT_NEAR(back.data.y(s, p), y, 0.05 + 1e-4) << p << " " << s;
        }

    // The table written out again reads back cell for cell.
    const QString again = tmp.path(QStringLiteral("again.") + fileName.section('.', -1));
    ASSERT_TRUE(exportTableText(table, again, {1, 600}).ok());
    TableModel table2;
    ASSERT_EQ(readTableFile(again, table2).lines, 600);
    for (int row = 1; row <= 600; ++row)
        for (int c = 0; c < TableModel::Columns; ++c)
            ASSERT_EQ(table2.cellView(row, c), table.cellView(row, c)) << row << " " << c;
}

} // namespace

TEST(TableToGraph, RoundTripsWithADecimalPoint)
{
    roundTrip(QLocale::c(), QStringLiteral("run.txt"), QLatin1Char('\t'));
    roundTrip(QLocale::c(), QStringLiteral("run.csv"), QLatin1Char(','));
    roundTrip(QLocale(QLocale::English, QLocale::UnitedStates), QStringLiteral("run.CSV"),
              QLatin1Char(','));
}

TEST(TableToGraph, RoundTripsWithADecimalComma)
{
    roundTrip(QLocale(QLocale::German), QStringLiteral("run.txt"), QLatin1Char('\t'));
    roundTrip(QLocale(QLocale::French), QStringLiteral("run.TXT"), QLatin1Char('\t'));
}

namespace {

// The fields of every line of a CSV file as Python's csv module reads them (as spreadsheets do).
QList<QStringList> pythonCsvFields(const QString& path)
{
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import csv, json, sys\n"
                                 "with open(sys.argv[1], newline='', encoding='utf-8') as f:\n"
                                 "    print(json.dumps(list(csv.reader(f))))\n"),
                  path});
    EXPECT_TRUE(python.waitForFinished(30000)) << "python3: " << python.errorString().toStdString();
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    QList<QStringList> rows;
    for (const QJsonValue& row : QJsonDocument::fromJson(python.readAllStandardOutput()).array()) {
        QStringList fields;
        for (const QJsonValue& f : row.toArray())
            fields << f.toString();
        rows << fields;
    }
    return rows;
}

} // namespace

// Where the decimal separator is a comma, a CSV file quotes its values: Python's csv module and
// the program's reader take the same fields from it, the graph's and a table's alike.
TEST(TableToGraph, ACsvFileWithDecimalCommasReadsBackAsSpreadsheetsReadIt)
{
    TempDataFolder tmp;
    const QLocale de(QLocale::German);
    const ChartState original = recordedChart(10, 10);
    const QString graphCsv = tmp.path("run.csv");
    ASSERT_TRUE(exportGraphText(original, graphCsv, QLatin1Char(','), {1, 10}, {}, de).ok());
    TableModel table;
    ASSERT_EQ(readTableFile(graphCsv, table).lines, 10);
    for (int p = 0; p < 10; ++p)
        for (int c = 0; c < 4; ++c)
            ASSERT_EQ(table.cell(p + 1, 3 + c), graphValueText(original.data.y(c, p), de)) << p;
    ASSERT_TRUE(table.cell(1, 3).contains(QLatin1Char(',')));
    const auto samePythonFields = [](const QString& path, const TableModel& t) {
        const QList<QStringList> python = pythonCsvFields(path);
        ASSERT_EQ(python.size(), 10) << path.toStdString();
        for (int row = 1; row <= 10; ++row)
            for (int c = 1; c < TableModel::Columns; ++c)
                ASSERT_EQ(python[row - 1].value(c - 1), t.cell(row, c)) << row << " " << c;
    };
    samePythonFields(graphCsv, table);

    table.setCell(2, 6, QStringLiteral("said \"hot\", twice"));
    const QString tableCsv = tmp.path("table.csv");
    ASSERT_TRUE(exportTableText(table, tableCsv, {1, 10}).ok());
    TableModel back;
    ASSERT_EQ(readTableFile(tableCsv, back).lines, 10);
    samePythonFields(tableCsv, back);
    EXPECT_EQ(back.cell(2, 6), QStringLiteral("said \"hot\", twice"));
}

// SPDX-License-Identifier: GPL-3.0-or-later
// A text or CSV file opened as a table, exported again and read back, then turned into a graph
// ("Output Tabular to graph") with its statistics, as the table window does. The first byte chooses the separator (bit 0: a
// comma, else a tab) and the user's formats (bit 1: German, else the C locale's); the rest is the
// file.
#include "FuzzSupport.h"

#include "files/TableReader.h"
#include "files/TextExport.h"
#include "files/TableToGraph.h"
#include "graph/ChartState.h"
#include "graph/GraphStatistics.h"

#include <QBuffer>

namespace {

// Tables longer than this are read, but not turned into a graph (that would only repeat rows).
constexpr int kGraphRows = 2000;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    const std::uint8_t flags = in.byte();
    const QChar separator = flags & 1 ? QLatin1Char(',') : QLatin1Char('\t');
    // The formats are made once: their construction checks itself and costs more than a table.
    static const QLocale german(QLocale::German, QLocale::Germany);
    static const LocaleText::DateTimeFormat germanFormat(german), cFormat(QLocale::c());
    const QLocale& locale = flags & 2 ? german : QLocale::c();
    const LocaleText::DateTimeFormat& format = flags & 2 ? germanFormat : cFormat;
    QByteArray bytes = in.rest();

    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    TableModel table;
    const TextFileResult r = readTable(buffer, separator, table);
    FUZZ_CHECK(r.ok() && !r.cancelled, "a read from memory that failed");
    const int rows = table.gridRowCount() - 1;
    FUZZ_CHECK(rows == std::max(r.lines, 1), "rows that the result does not count");
    FUZZ_CHECK(r.lines <= bytes.count('\n') + bytes.count('\r') + 1, "more rows than lines");
    for (int row = 1; row <= r.lines; ++row) {
        FUZZ_CHECK(table.cellView(row, 0) == QString::number(row), "a row without its number");
        qsizetype length = 0;
        for (int c = 1; c < TableModel::Columns; ++c)
            length += table.cellView(row, c).size();
        FUZZ_CHECK(length <= MaxLineLength, "a row longer than a line may be");
    }

    // Exported as the table window exports it and read again, the table comes back as it was,
    // up to the first line the export made longer than a line may be. A byte-order mark at the
    // start of the file is no data: a first cell that begins with one cannot come back.
    QByteArray exported;
    int whole = 0;
    for (int row = 1; row <= r.lines; ++row) {
        const QByteArray line = tableExportLine(table, row, separator);
        exported += line;
        if (whole == row - 1 && QString::fromUtf8(line).size() - 2 <= MaxLineLength)
            whole = row;
    }
    QBuffer again(&exported);
    again.open(QIODevice::ReadOnly);
    TableModel back;
    readTable(again, separator, back);
    FUZZ_CHECK(back.gridRowCount() - 1 >= whole, "an exported table reads back shorter");
    for (int row = 1; row <= whole; ++row)
        for (int c = 1; c < TableModel::Columns; ++c) {
            QStringView cell = table.cellView(row, c);
            if (row == 1 && c == 1 && cell.startsWith(QChar(0xFEFF)))
                continue;
            FUZZ_CHECK(back.cellView(row, c) == cell, "an exported cell reads back as another");
        }

    const TableGraphSpan span = tableGraphSpan(table, format);
    FUZZ_CHECK(span.ok() == tableGraphStatusText(span).isEmpty(), "a refusal without its message");
    if (!span.ok() || span.rows > kGraphRows)
        return 0;
    FUZZ_CHECK(span.rows == rows && isDateTime(span.first) && isDateTime(span.last), "a span of no dates");

    ChartState chart;
    chart.data.resize(4, span.rows);
    chart.data.reset();
    FUZZ_CHECK(tableToChart(table, chart, format, {}, locale) == span.rows, "rows left out of the graph");
    for (const double x : chart.data.xs())
        FUZZ_CHECK(x == 0.0 || isDateTime(x), "a point at no date-time");
    for (const float y : chart.data.ys())
        FUZZ_CHECK(isReading(y), "a point whose reading is not finite");
    const ChartStatistics stats = computeChartStatistics(chart.data);
    FUZZ_CHECK(stats.minutesIndex >= -1 && stats.minutesIndex <= 60 && stats.secondsIndex >= -1
                   && stats.secondsIndex <= 59,
               "a rate box index past its items");
    return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/TableToGraph.h"

#include "base/NullReading.h"
#include "files/TableModel.h"
#include "graph/ChartState.h"

#include <cmath>
#include <limits>

namespace {

// "date time" of a grid row, built in buf.
QStringView rowDateTime(const TableModel& table, int row, QString& buf)
{
    buf.clear();
    buf += table.cellView(row, 1);
    buf += QLatin1Char(' ');
    buf += table.cellView(row, 2);
    return buf;
}

} // namespace

QString tableGraphStatusText(const TableGraphSpan& span)
{
    switch (span.status) {
    case TableGraphStatus::Ok:
        return {};
    case TableGraphStatus::NoData:
        return QStringLiteral("No data to graph !");
    case TableGraphStatus::BadTime:
        return QStringLiteral("'%1' is not a valid date and time").arg(span.badText);
    }
    return {};
}

TableGraphSpan tableGraphSpan(const TableModel& table, const LocaleText::DateTimeFormat& format)
{
    TableGraphSpan span;
    if (table.cellView(1, 1).isEmpty()) {
        span.status = TableGraphStatus::NoData;
        return span;
    }
    span.rows = table.gridRowCount() - 1;
    QString buf;
    const auto read = [&](int row, double& out) {
        const QStringView text = rowDateTime(table, row, buf);
        const auto t = format.parse(text);
        if (!t) {
            span.status = TableGraphStatus::BadTime;
            span.badText = text.toString();
            return false;
        }
        out = *t;
        return true;
    };
    if (read(1, span.first))
        read(span.rows, span.last);
    return span;
}

std::optional<float> tableReading(QStringView text, const QLocale& locale)
{
    if (text == QLatin1String("OL"))
        return NullReading;
    bool ok = false;
    double v = 0;
    if (locale.numberOptions() & QLocale::RejectGroupSeparator) {
        v = locale.toDouble(text, &ok);
    } else {
        // Numbers are written without group separators; "1,5" must not read as 15.
        QLocale strict = locale;
        strict.setNumberOptions(strict.numberOptions() | QLocale::RejectGroupSeparator);
        v = strict.toDouble(text, &ok);
    }
    if (!ok || !std::isfinite(v) || std::abs(v) > std::numeric_limits<float>::max())
        return std::nullopt;
    return static_cast<float>(v);
}

int tableToChart(const TableModel& table, ChartState& prepared,
                 const LocaleText::DateTimeFormat& format, const LineProgress& progress,
                 const QLocale& locale)
{
    ChartData& d = prepared.data;
    QLocale strict = locale;
    strict.setNumberOptions(strict.numberOptions() | QLocale::RejectGroupSeparator);
    const int rows = table.gridRowCount() - 1;
    QString buf;
    int done = 0;
    for (int t = 1; t <= rows; ++t) {
        const bool cancel = progress && progress(t);
        ++done;
        const int p = t - 1;
        if (const auto x = format.parse(rowDateTime(table, t, buf))) {
            for (int c = 0; c < 4; ++c)
                d.setX(c, p, *x);
            for (int c = 0; c < 4; ++c) {
                const auto y = tableReading(table.cellView(t, 3 + c), strict);
                if (!y)
                    break;
                d.setY(c, p, *y);
            }
        }
        if (cancel)
            break;
    }
    return done;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/TextExport.h"

#include "files/TableModel.h"
#include "graph/ChartState.h"

#include <QFile>

#include <cmath>
#include <utility>

namespace {

// A range text as an integer made positive; nullopt when it is not an integer.
std::optional<qint64> positiveInteger(const QString& text)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return v < 0 ? -qint64(v) : qint64(v);
}

// Runs the line loop of an export: opens the file, writes line(k) for k in range while
// line() gives one, flushes each, reports progress.
template <class LineFn>
TextFileResult writeLines(const QString& fileName, ExportRange range,
                          const LineProgress& progress, LineFn line)
{
    TextFileResult r;
    r.fileName = fileName;
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        r.status = TextFileStatus::CannotCreate;
        r.reason = file.errorString();
        return r;
    }
    for (int k = range.from; k <= range.to; ++k) {
        const std::optional<QByteArray> l = line(k);
        if (!l)
            break;
        if (file.write(*l) != l->size() || !file.flush()) {
            r.status = TextFileStatus::CannotWrite;
            r.reason = file.errorString();
            return r;
        }
        ++r.lines;
        if (progress && progress(r.lines)) {
            r.cancelled = true;
            break;
        }
    }
    file.close();
    if (file.error() != QFileDevice::NoError) {
        r.status = TextFileStatus::CannotWrite;
        r.reason = file.errorString();
    }
    return r;
}

} // namespace

std::optional<ExportRange> exportRange(bool all, const QString& fromText, const QString& toText,
                                       int last)
{
    if (all)
        return ExportRange{1, last};
    const auto from = positiveInteger(fromText);
    const auto to = positiveInteger(toText);
    if (!from || !to)
        return std::nullopt;
    qint64 f = *from;
    qint64 t = *to;
    if (t < f)
        std::swap(f, t);
    if (t > last)
        t = last;
    if (f == 0)
        f = 1;
    // f can only lie beyond the integers when nothing is to be written.
    return ExportRange{static_cast<int>(std::min<qint64>(f, qint64(last) + 1)), static_cast<int>(t)};
}

QString invalidIntegerText()
{
    return QStringLiteral("invalid integer");
}

bool isOverLimit(float v)
{
    return std::isnan(v) || v > 2500.0f || v < -328.0f;
}

QString graphValueText(float v, const QLocale& locale)
{
    if (isOverLimit(v))
        return QStringLiteral("OL");
    return LocaleText::fixed(v, 1, locale);
}

QByteArray graphExportLine(double time, const std::array<float, 4>& values, QChar separator,
                           const LocaleText::DateTimeFormat& format, const QLocale& locale)
{
    QString s = format.dateText(time);
    s += separator;
    s += format.timeText(time);
    for (float v : values) {
        s += separator;
        s += graphValueText(v, locale);
    }
    s += QLatin1String("\r\n");
    return s.toUtf8();
}

QByteArray tableExportLine(const TableModel& table, int gridRow, QChar separator)
{
    QString s;
    for (int c = 1; c < TableModel::Columns; ++c) {
        s += table.cellView(gridRow, c);
        s += separator;
    }
    s += QLatin1String("\r\n");
    return s.toUtf8();
}

QChar tableSeparator(const QString& fileName)
{
    return fileName.right(3).toLower() == QLatin1String("csv") ? QLatin1Char(',')
                                                                : QLatin1Char('\t');
}

TextFileResult exportGraphText(const ChartState& chart, const QString& fileName, QChar separator,
                               ExportRange range, const LineProgress& progress,
                               const QLocale& locale)
{
    const ChartData& d = chart.data;
    const LocaleText::DateTimeFormat format(locale);
    range.to = std::min(range.to, d.points());
    return writeLines(fileName, range, progress, [&](int k) -> std::optional<QByteArray> {
        const int p = k - 1;
        const double t = d.x(0, p);
        if (t == 0.0)
            return std::nullopt;
        return graphExportLine(t, {d.y(0, p), d.y(1, p), d.y(2, p), d.y(3, p)}, separator, format,
                               locale);
    });
}

TextFileResult exportTableText(const TableModel& table, const QString& fileName,
                               ExportRange range, const LineProgress& progress)
{
    const QChar separator = tableSeparator(fileName);
    range.to = std::min(range.to, table.gridRowCount() - 1);
    return writeLines(fileName, range, progress,
                      [&](int row) -> std::optional<QByteArray> {
                          return tableExportLine(table, row, separator);
                      });
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/TextExport.h"

#include "files/TableModel.h"
#include "graph/ChartState.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cmath>
#include <memory>
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

// Runs the line loop of an export: writes line(k) for k in range while line() gives one and
// reports progress. The lines go to a temporary file beside the target, which replaces it at the
// end (after a Cancel too, with the lines written so far), so a failure leaves the file that was
// there whole. A target that exists but is no regular file (a device, a pipe) is written
// directly.
template <class LineFn>
TextFileResult writeLines(const QString& fileName, ExportRange range,
                          const LineProgress& progress, LineFn line)
{
    TextFileResult r;
    r.fileName = fileName;
    const QFileInfo target(fileName);
    std::unique_ptr<QFileDevice> file;
    QSaveFile* whole = nullptr;
    if (target.exists() && !target.isFile() && !target.isDir()) {
        file = std::make_unique<QFile>(fileName);
    } else {
        auto saveFile = std::make_unique<QSaveFile>(fileName);
        saveFile->setDirectWriteFallback(false);
        whole = saveFile.get();
        file = std::move(saveFile);
    }
    if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        r.status = TextFileStatus::CannotCreate;
        r.reason = file->errorString();
        return r;
    }
    const auto failed = [&] {
        r.status = TextFileStatus::CannotWrite;
        r.reason = file->errorString();
        if (whole)
            whole->cancelWriting();
        return r;
    };
    for (int k = range.from; k <= range.to; ++k) {
        const std::optional<QByteArray> l = line(k);
        if (!l)
            break;
        if (file->write(*l) != l->size() || !file->flush())
            return failed();
        ++r.lines;
        if (progress && progress(r.lines)) {
            r.cancelled = true;
            break;
        }
    }
    if (whole) {
        if (!whole->commit()) {
            r.status = TextFileStatus::CannotWrite;
            r.reason = whole->errorString();
        }
        return r;
    }
    file->close();
    if (file->error() != QFileDevice::NoError) {
        r.status = TextFileStatus::CannotWrite;
        r.reason = file->errorString();
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

void appendField(QString& line, QStringView field, QChar separator)
{
    const auto needsQuotes = [&] {
        for (QChar c : field)
            if (c == separator || c == u'"' || c == u'\r' || c == u'\n')
                return true;
        return false;
    };
    if (separator != u',' || !needsQuotes()) {
        line += field;
        return;
    }
    line += u'"';
    for (QChar c : field) {
        if (c == u'"')
            line += u'"';
        line += c;
    }
    line += u'"';
}

QByteArray graphExportLine(double time, const std::array<float, 4>& values, QChar separator,
                           const LocaleText::DateTimeFormat& format, const QLocale& locale)
{
    QString s;
    appendField(s, format.dateText(time), separator);
    s += separator;
    appendField(s, format.timeText(time), separator);
    for (float v : values) {
        s += separator;
        appendField(s, graphValueText(v, locale), separator);
    }
    s += QLatin1String("\r\n");
    return s.toUtf8();
}

QByteArray tableExportLine(const TableModel& table, int gridRow, QChar separator)
{
    QString s;
    for (int c = 1; c < TableModel::Columns; ++c) {
        appendField(s, table.cellView(gridRow, c), separator);
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

int recordedPoints(const ChartState& chart)
{
    const ChartData& d = chart.data;
    int n = 0;
    while (n < d.points() && d.x(0, n) != 0.0)
        ++n;
    return n;
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

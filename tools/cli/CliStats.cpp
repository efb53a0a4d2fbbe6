// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliStats.h"

#include "CliFailure.h"
#include "CliFiles.h"

#include "base/DateTime.h"
#include "files/FileTypes.h"
#include "files/MachineCsv.h"
#include "files/TableModel.h"
#include "files/TableReader.h"
#include "graph/ChartState.h"
#include "graph/GraphFile.h"
#include "graph/MeasureTable.h"
#include "graph/SpanMeasure.h"
#include "logger/DataSetStore.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <cmath>

namespace cli {

namespace {

constexpr int kChannels = 4;

bool hasSuffix(const QString& fileName, const char* suffix)
{
    return QFileInfo(fileName).suffix().compare(QLatin1String(suffix), Qt::CaseInsensitive) == 0;
}

QStringList defaultNames()
{
    return {QStringLiteral("T1"), QStringLiteral("T2"), QStringLiteral("T3"), QStringLiteral("T4")};
}

// Samples of four channels sharing their times.
void takeSamples(const std::vector<MachineSample>& samples, StatsData& d)
{
    d.times.assign(kChannels, {});
    d.values.assign(kChannels, {});
    for (int c = 0; c < kChannels; ++c) {
        d.times[std::size_t(c)].reserve(samples.size());
        d.values[std::size_t(c)].reserve(samples.size());
    }
    for (const MachineSample& s : samples)
        for (std::size_t c = 0; c < kChannels; ++c) {
            d.times[c].push_back(s.time);
            d.values[c].push_back(s.values[c]);
        }
    d.names = defaultNames();
}

// The samples of what export reads (a collection's set, a table, machine CSV), T1 to T4.
void takeExport(const ExportData& data, StatsData& d)
{
    takeSamples(data.samples, d);
    d.unit = data.unit;
    d.notes << data.notes;
}

void readGraph(const QString& file, StatsData& d)
{
    ChartState chart;
    try {
        readGraphFile(chart, file);
    } catch (const ChartFileError& e) {
        throw Failure(e.text());
    }
    for (const ChannelSeries& s : chartSeries(chart.data)) {
        d.times.emplace_back(s.x.begin(), s.x.end());
        d.values.emplace_back(s.y.begin(), s.y.end());
    }
    for (int s = 0; s < chart.data.subsets(); ++s) {
        const QString label = chart.settings.subsetLabel(s).trimmed();
        d.names << (label.isEmpty() ? QStringLiteral("T%1").arg(s + 1) : label);
    }
    d.unit = chart.unit;
}

// "+600", "+0:10:00", "+10:00": seconds after the first sample.
std::optional<double> secondsAfter(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() > 3)
        return std::nullopt;
    double seconds = 0;
    for (const QString& part : parts) {
        bool ok = false;
        const double v = QLocale::c().toDouble(part, &ok);
        if (!ok || !(v >= 0) || !std::isfinite(v))
            return std::nullopt;
        seconds = seconds * 60 + v;
    }
    return seconds;
}

QString isoTime(double days)
{
    return QString::fromLatin1(MachineCsv::timeText(days));
}

} // namespace

StatsData readStatsSource(const Arguments& a)
{
    StatsData d;
    d.source = QFileInfo(a.file).fileName();
    if (hasSuffix(a.file, "ch4")) {
        const DataSetStore store = readCollection(a.file);
        if (a.set > store.count())
            throw Failure(QStringLiteral("%1 holds %2 data set(s); there is no set %3")
                              .arg(a.file).arg(store.count()).arg(a.set));
        takeExport(setExport(store, a.set - 1, a.file), d);
        d.set = a.set;
        return d;
    }
    if (a.setGiven)
        throw UsageError(QStringLiteral("--set is for data set collection files (.CH4)"),
                         Command::Stats);
    const auto kind = FileTypes::singleFileKind(a.file);
    if (kind == FileTypes::SingleFileKind::Graph) {
        readGraph(a.file, d);
        return d;
    }
    // Machine CSV under any name; the program's own txt and csv files by their extension.
    if (std::optional<ExportData> machine = machineCsvExport(a.file)) {
        takeExport(*machine, d);
        return d;
    }
    if (!kind)
        throw UsageError(QStringLiteral("cannot tell what %1 is: stats reads .CH4, .ghf, .txt, "
                                        ".csv and machine CSV files")
                             .arg(a.file),
                         Command::Stats);
    TableModel table;
    const TextFileResult read = readTableFile(a.file, table);
    if (!read.ok())
        throw Failure(textFileStatusText(read));
    takeExport(tableExport(table, a.file), d);
    return d;
}

std::optional<double> parseStatsTime(const QString& given, double firstSample)
{
    const QString text = given.trimmed();
    if (text.startsWith(QLatin1Char('+'))) {
        const auto seconds = secondsAfter(text.mid(1));
        if (!seconds)
            return std::nullopt;
        return firstSample + *seconds / DateTime::SecondsPerDay;
    }
    static const QRegularExpression timeOfDay(
        QStringLiteral("^(\\d{1,2}):(\\d{2})(?::(\\d{2})(?:\\.(\\d{1,3}))?)?$"));
    if (const QRegularExpressionMatch m = timeOfDay.match(text); m.hasMatch()) {
        const QTime time(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(),
                         m.captured(4).leftJustified(3, QLatin1Char('0')).toInt());
        const QDate date = DateTime::split(firstSample).date;
        if (!time.isValid() || !date.isValid())
            return std::nullopt;
        const double t = DateTime::fromDateAndTime(date, time);
        // A time of day before the first sample means the day after (a run past midnight).
        return t < firstSample - 0.5 / DateTime::SecondsPerDay
                   ? DateTime::fromDateAndTime(date.addDays(1), time)
                   : t;
    }
    QString iso = text;
    if (iso.size() > 10 && iso[10] == QLatin1Char(' '))
        iso[10] = QLatin1Char('T');
    QDateTime dt = QDateTime::fromString(iso, Qt::ISODateWithMs);
    if (!dt.isValid())
        return std::nullopt;
    if (dt.timeSpec() != Qt::LocalTime)
        dt = dt.toLocalTime();
    return DateTime::fromQDateTime(dt);
}

QByteArray statsText(const StatsData& d, const Arguments& a)
{
    std::vector<ChannelSeries> series;
    std::optional<std::pair<double, double>> range;
    for (std::size_t c = 0; c < d.times.size(); ++c) {
        series.push_back({d.times[c], d.values[c]});
        if (const auto r = sampleTimeRange(series.back()))
            range = range ? std::make_pair(std::min(range->first, r->first),
                                           std::max(range->second, r->second))
                          : *r;
    }
    if (!range)
        throw Failure(QStringLiteral("%1 holds no samples").arg(d.source));
    const auto timeOf = [&](const QString& option, const QString& text, double otherwise) {
        if (text.isEmpty())
            return otherwise;
        const auto t = parseStatsTime(text, range->first);
        if (!t)
            throw UsageError(QStringLiteral("%1 needs a date and time (2024-03-14T10:20:00), a "
                                            "time of day (10:20:00) or a time after the first "
                                            "sample (+600, +0:10:00), not \"%2\"")
                                 .arg(option, text),
                             Command::Stats);
        return *t;
    };
    MeasureOptions o;
    o.windowSeconds = a.window;
    o.threshold = a.threshold;
    o.bandLow = a.bandLow;
    o.bandHigh = a.bandHigh;
    o.base = a.base;
    const SpanMeasure m = measureSpan(series, timeOf(QStringLiteral("--from"), a.from, range->first),
                                      timeOf(QStringLiteral("--to"), a.to, range->second), o);

    MeasureTextStyle style{false, QLocale::c(), isoTime};
    if (!a.json)
        return tabSeparated(measureTable(m, o, d.names, d.unit, style)).toUtf8();

    const auto number = [](const std::optional<double>& v) {
        return v && std::isfinite(*v) ? QJsonValue(*v) : QJsonValue(QJsonValue::Null);
    };
    QJsonObject root;
    root[QStringLiteral("source")] = d.source;
    if (d.set > 0)
        root[QStringLiteral("set")] = d.set;
    root[QStringLiteral("unit")] = d.unit.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(d.unit);
    root[QStringLiteral("from")] = isoTime(m.from);
    root[QStringLiteral("to")] = isoTime(m.to);
    root[QStringLiteral("span_s")] = figureForPrograms(FigureKind::Duration, m.seconds);
    root[QStringLiteral("sample_period_s")] =
        m.samplePeriodSeconds > 0
            ? QJsonValue(figureForPrograms(FigureKind::Duration, m.samplePeriodSeconds))
            : QJsonValue(QJsonValue::Null);
    root[QStringLiteral("window_s")] = figureForPrograms(FigureKind::Duration, m.windowSeconds);
    root[QStringLiteral("threshold")] = number(o.threshold);
    root[QStringLiteral("band_low")] = number(o.bandLow);
    root[QStringLiteral("band_high")] = number(o.bandHigh);
    root[QStringLiteral("base")] = number(o.base);
    const std::vector<FigureColumn> columns = measureColumns(m, o, d.unit, style);
    QJsonArray channels;
    for (int k = 0; k < int(m.channels.size()); ++k) {
        const auto row = measureRow(m, o, k);
        QJsonObject channel;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const FigureColumn& c = columns[i];
            switch (c.kind) {
            case FigureKind::Name:
                channel[c.key] = k < d.names.size() ? d.names[k] : QStringLiteral("T%1").arg(k + 1);
                break;
            case FigureKind::Time:
                channel[c.key] = row[i] ? QJsonValue(isoTime(*row[i])) : QJsonValue(QJsonValue::Null);
                break;
            case FigureKind::Count:
                channel[c.key] = row[i] ? QJsonValue(qint64(std::llround(*row[i])))
                                        : QJsonValue(QJsonValue::Null);
                break;
            default:
                channel[c.key] = row[i] ? QJsonValue(figureForPrograms(c.kind, *row[i]))
                                        : QJsonValue(QJsonValue::Null);
            }
        }
        channels.append(channel);
    }
    root[QStringLiteral("channels")] = channels;
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

} // namespace cli

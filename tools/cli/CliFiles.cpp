// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliFiles.h"

#include "CliFailure.h"

#include "base/DateTime.h"
#include "base/LocaleText.h"
#include "base/NullReading.h"
#include "base/WholeFile.h"
#include "files/CollectionFile.h"
#include "files/FileTypes.h"
#include "files/TableModel.h"
#include "files/TableReader.h"
#include "files/TableToGraph.h"
#include "files/TextExport.h"
#include "graph/ChartState.h"
#include "graph/GraphFile.h"
#include "base/Clock.h"
#include "logger/DataSetList.h"
#include "logger/ParseMemoryImage.h"

#include <QFileInfo>
#include <QJsonArray>

namespace cli {

namespace {

constexpr int kChannels = 4;

bool isCollectionName(const QString& fileName)
{
    return QFileInfo(fileName).suffix().compare(QLatin1String("ch4"), Qt::CaseInsensitive) == 0;
}

QJsonArray offsets(const DataSet& set)
{
    QJsonArray list;
    for (int ch = 0; ch < kChannels; ++ch)
        list.append(MachineCsv::jsonNumber(float(set.OffsetDegrees(ch))));
    return list;
}

// A file that reads as a graph file, whatever its name.
bool readsAsGraphFile(const QString& fileName)
{
    try {
        ChartState chart;
        readGraphFile(chart, fileName);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

QString notACollectionText(const QString& fileName, const QString& what)
{
    return QStringLiteral("%1 is %2, not a data set collection file (.CH4); \"kolva-cli export "
                          "%1\" writes its readings")
        .arg(fileName, what);
}

MachineCsv::Metadata sourceMetadata(const QString& source)
{
    MachineCsv::Metadata m;
    m.add(QStringLiteral("source"), QFileInfo(source).fileName());
    return m;
}

} // namespace

DataSetStore readCollection(const QString& fileName)
{
    QByteArray image;
    CollectionResult read = readCollectionFile(fileName, image);
    if (read.status != CollectionStatus::Ok)
        throw Failure(collectionStatusText(read));
    const SystemClock clock; // stands in for start times whose digits do not decode
    ParseResult parsed = ParseMemoryImage(image, clock);
    if (parsed.status != ParseStatus::Ok && readsAsGraphFile(fileName))
        throw Failure(notACollectionText(fileName, QStringLiteral("a graph file")));
    if (parsed.status != ParseStatus::Ok) {
        read.status = CollectionStatus::Rejected;
        read.parseCode = int(parsed.status);
        read.failedSet = parsed.failedSet;
        throw Failure(collectionStatusText(read));
    }
    return std::move(parsed.store);
}

void requireCollectionName(const QString& fileName)
{
    const auto kind = FileTypes::singleFileKind(fileName);
    if (!kind)
        return;
    switch (*kind) {
    case FileTypes::SingleFileKind::Graph:
        throw Failure(notACollectionText(fileName, QStringLiteral("a graph file")));
    case FileTypes::SingleFileKind::Text:
        throw Failure(notACollectionText(fileName, QStringLiteral("a text file")));
    case FileTypes::SingleFileKind::Csv:
        throw Failure(notACollectionText(fileName, QStringLiteral("a CSV file")));
    }
}

QByteArray setsTable(const DataSetStore& store)
{
    const QLocale c = QLocale::c();
    QByteArray out = DataSetListTitles().join(QLatin1Char('\t')).toUtf8() + '\n';
    for (int k = 0; k < store.count(); ++k) {
        const DataSet& set = store.set(k);
        QStringList row = DataSetRowTexts(set, k, c);
        row[1] = DateTime::split(set.StartTime).date.toString(Qt::ISODate);
        out += row.join(QLatin1Char('\t')).toUtf8() + '\n';
    }
    return out;
}

ExportData setExport(const DataSetStore& store, int k, const QString& source)
{
    const DataSet& set = store.set(k);
    ExportData data;
    data.unit = set.fahrenheit() ? QStringLiteral("°F") : QStringLiteral("°C");
    data.metadata = sourceMetadata(source);
    data.metadata.add(QStringLiteral("set"), k + 1);
    data.metadata.add(QStringLiteral("unit"), set.Unit());
    data.metadata.add(QStringLiteral("couple"), set.CoupleLetter());
    data.metadata.add(QStringLiteral("rate"), set.Rate);
    data.metadata.add(QStringLiteral("offsets"), offsets(set));
    const TemperatureUnit unit = unitFromText(set.Unit());
    const auto values = store.values(k);
    const auto times = store.times(k);
    data.samples.reserve(std::size_t(set.Nums));
    for (std::size_t i = 0; i + kChannels <= values.size(); i += kChannels)
        data.samples.push_back(
            {times[i], {values[i], values[i + 1], values[i + 2], values[i + 3]}, unit});
    return data;
}

ExportData graphExport(const ChartState& chart, const QString& source)
{
    const ChartData& d = chart.data;
    ExportData data;
    data.unit = chart.unit;
    data.metadata = sourceMetadata(source);
    const TemperatureUnit unit = unitFromText(chart.unit);
    if (unit != TemperatureUnit::Unknown)
        data.metadata.add(QStringLiteral("unit"), QString::fromLatin1(unitLetter(unit)));
    if (d.subsets() < kChannels)
        data.notes << QStringLiteral("the graph has %1 channel(s); T%2 to T4 are left empty")
                          .arg(d.subsets()).arg(d.subsets() + 1);
    else if (d.subsets() > kChannels)
        data.notes << QStringLiteral("the graph has %1 channels; only the first four are "
                                     "exported as T1 to T4")
                          .arg(d.subsets());
    data.samples.reserve(std::size_t(d.points()));
    for (int p = 0; p < d.points(); ++p) {
        MachineSample s;
        s.time = d.x(0, p);
        s.unit = unit;
        if (s.time == 0.0) // never filled: the rest of a real-time graph
            break;
        for (int c = 0; c < kChannels; ++c) {
            const float y = d.y(c, p);
            s.values[std::size_t(c)] = c < d.subsets() && y != d.nullValue() ? y : NullReading;
        }
        data.samples.push_back(s);
    }
    return data;
}

ExportData tableExport(const TableModel& table, const QString& source, const QLocale& locale)
{
    const int rows = table.gridRowCount() - 1;
    ChartState chart;
    chart.data.resize(kChannels, rows);
    const LocaleText::DateTimeFormat format(locale);
    tableToChart(table, chart, format, {}, locale);

    ExportData data;
    data.metadata = sourceMetadata(source);
    int left = 0;
    for (int p = 0; p < rows; ++p) {
        MachineSample s;
        s.time = chart.data.x(0, p);
        if (s.time == 0.0) { // its date and time do not convert
            ++left;
            continue;
        }
        for (int c = 0; c < kChannels; ++c)
            s.values[std::size_t(c)] = chart.data.y(c, p);
        data.samples.push_back(s);
    }
    if (data.samples.empty())
        throw Failure(QStringLiteral("%1 holds no line with a date, a time and readings that "
                                     "the program can read")
                          .arg(source));
    if (left > 0)
        data.notes << QStringLiteral("%1 of %2 lines of %3 were left out: their date and time "
                                     "do not read in this system's formats")
                          .arg(left).arg(rows).arg(source);
    return data;
}

QString unitNote(const ExportData& data)
{
    if (data.unit.isEmpty())
        return QStringLiteral("the file does not say which unit the readings are in");
    return QStringLiteral("the readings are in %1").arg(data.unit);
}

QByteArray exportText(const ExportData& data, ExportFormat format, bool comments,
                      const QLocale& locale)
{
    QByteArray out;
    if (format == ExportFormat::Machine) {
        if (!comments)
            return MachineCsv::text(data.samples);
        return data.metadata.comments() + MachineCsv::text(data.samples);
    }
    const QChar separator = FileTypes::exportSeparator(
        format == ExportFormat::Txt ? FileTypes::SingleFileKind::Text : FileTypes::SingleFileKind::Csv);
    const LocaleText::DateTimeFormat dateTime(locale);
    out.reserve(qsizetype(data.samples.size()) * 48);
    for (const MachineSample& s : data.samples)
        out += graphExportLine(s.time, s.values, separator, dateTime, locale);
    return out;
}

void writeMetadataFile(const QString& csvPath, const MachineCsv::Metadata& metadata)
{
    const QString path = MachineCsv::metadataPath(csvPath);
    if (const QString reason =
            writeFileWhole(path, metadata.json(QFileInfo(csvPath).fileName()));
        !reason.isEmpty())
        throw Failure(QStringLiteral("Cannot write file \"%1\". %2").arg(path, reason));
}

ExportData readExportSource(const Arguments& a)
{
    const QString& file = a.file;
    if (isCollectionName(file)) {
        const DataSetStore store = readCollection(file);
        if (a.set > store.count())
            throw Failure(QStringLiteral("%1 holds %2 data set(s); there is no set %3")
                              .arg(file).arg(store.count()).arg(a.set));
        return setExport(store, a.set - 1, file);
    }
    const auto kind = FileTypes::singleFileKind(file);
    if (!kind)
        throw UsageError(QStringLiteral("cannot tell what %1 is: export reads .CH4, .ghf, .txt "
                                        "and .csv files")
                             .arg(file),
                         Command::Export);
    if (a.setGiven)
        throw UsageError(QStringLiteral("--set is for data set collection files (.CH4)"),
                         Command::Export);
    if (*kind == FileTypes::SingleFileKind::Graph) {
        ChartState chart;
        try {
            readGraphFile(chart, file);
        } catch (const ChartFileError& e) {
            throw Failure(e.text());
        }
        return graphExport(chart, file);
    }
    TableModel table;
    const TextFileResult read = readTableFile(file, table);
    if (!read.ok())
        throw Failure(textFileStatusText(read));
    return tableExport(table, file);
}

} // namespace cli

// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliReport.h"

#include "CliFailure.h"
#include "CliFiles.h"

#include "base/DateTime.h"
#include "base/NullReading.h"
#include "files/FileTypes.h"
#include "graph/ChartState.h"
#include "graph/GraphFile.h"
#include "graph/GraphTemplate.h"
#include "report/Fingerprint.h"
#include "report/ReportAlarms.h"
#include "report/ReportDocument.h"
#include "report/ReportFacts.h"
#include "report/ReportMetadata.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>

namespace cli {

namespace {

constexpr int kChannels = 4;

bool isCollection(const QString& fileName)
{
    return QFileInfo(fileName).suffix().compare(QLatin1String("ch4"), Qt::CaseInsensitive) == 0;
}

// A chart of the samples with the program's default look (no template: a report from the command
// line looks the same on every machine), the Y axis following the readings.
std::unique_ptr<ChartState> chartOf(const std::vector<MachineSample>& samples, const QString& unit)
{
    auto chart = std::make_unique<ChartState>();
    const int n = int(samples.size());
    prepareChartState(*chart, kChannels, 100.0f, -20.0f, 0.0, 0.0, n, PrepareHooks{});
    // Unsplit, as a graph window first shows data.
    for (ChartAxis& axis : chart->settings.axes) {
        axis.manualScaleControlY = sg::sgNone;
        axis.multiAxesSubsets = 0;
        axis.multiAxesProportions = 0;
    }
    chart->settings.axes[0].multiAxesProportions = 1.0;
    chart->unit = unit;
    for (int p = 0; p < n; ++p) {
        const MachineSample& s = samples[std::size_t(p)];
        for (int c = 0; c < kChannels; ++c) {
            chart->data.setX(c, p, s.time);
            chart->data.setY(c, p, s.values[std::size_t(c)]);
        }
    }
    return chart;
}

// A reader's usage error names the command it was given with.
template <class Read>
auto asCommand(Command command, Read read)
{
    try {
        return read();
    } catch (UsageError& e) {
        e.command = command;
        throw;
    }
}

void readData(const Arguments& a, Command command, ReportInput& in)
{
    const QString& file = a.file;
    if (isCollection(file)) {
        const DataSetStore store = readCollection(file);
        if (a.set > store.count())
            throw Failure(QStringLiteral("%1 holds %2 data set(s); there is no set %3")
                              .arg(file).arg(store.count()).arg(a.set));
        ExportData data = setExport(store, a.set - 1, file);
        in.chart = chartOf(data.samples, data.unit);
        in.source.measured = loggerSetFacts(store.set(a.set - 1), a.set, file);
        const auto meter = meterFacts(QStringLiteral("KOLVA four-channel thermometer with data "
                                                     "logger"),
                                      std::nullopt, std::nullopt);
        in.source.measured.insert(in.source.measured.end(), meter.begin(), meter.end());
        in.source.samples = std::move(data.samples);
        return;
    }
    const auto kind = FileTypes::singleFileKind(file);
    if (a.setGiven && kind)
        throw UsageError(QStringLiteral("--set is for data set collection files (.CH4)"), command);
    if (kind == FileTypes::SingleFileKind::Graph) {
        in.chart = std::make_unique<ChartState>();
        try {
            readGraphFile(*in.chart, file);
        } catch (const ChartFileError& e) {
            throw Failure(e.text());
        }
        ExportData data = graphExport(*in.chart, file);
        in.source.measured = fileFacts(file, data.samples);
        in.source.samples = std::move(data.samples);
        return;
    }
    ExportData data = asCommand(command, [&] { return readExportSource(a); });
    in.chart = chartOf(data.samples, data.unit);
    in.source.measured = fileFacts(file, data.samples);
    in.source.samples = std::move(data.samples);
}

QByteArray timeText(const std::optional<double>& t)
{
    return t ? MachineCsv::timeText(*t) : QByteArray("none");
}

} // namespace

ReportInput readReportInput(const Arguments& a)
{
    ReportInput in;
    readData(a, Command::Report, in);
    in.source.title = a.title;
    in.source.operatorName = a.operatorName;
    in.source.notes = a.notes;
    in.source.chart = in.chart.get();
    in.source.made = DateTime::now();
    // The events the program's alarm log holds for the data's time span, as in the window's report.
    in.source.alarms = alarmEventsOf(*in.source.samples, AlarmLog());
    return in;
}

int runReport(const Arguments& a)
{
    const ReportInput in = readReportInput(a);
    if (const QString reason = writeReportPdf(in.source, a.output); !reason.isEmpty())
        throw Failure(QStringLiteral("Cannot write file \"%1\". %2").arg(a.output, reason));
    return ExitOk;
}

VerifyResult verifyReport(const QByteArray& pdf, const Arguments& a)
{
    const std::optional<StatedFingerprint> stated = readReportFingerprint(pdf);
    if (!stated)
        throw Failure(QStringLiteral("%1 holds no data fingerprint of this program: it is not a "
                                     "report made by it")
                          .arg(a.report));
    ReportInput in;
    readData(a, Command::Verify, in);
    const DataFingerprint data = fingerprintOf(*in.source.samples);
    VerifyResult r;
    r.matches = data.sha256 == stated->sha256;
    r.text = (r.matches ? QByteArrayLiteral("matches: ") : QByteArrayLiteral("does not match: "))
             + QFileInfo(a.file).fileName().toUtf8() + (r.matches ? " holds the data of " : " does not hold the data of ")
             + QFileInfo(a.report).fileName().toUtf8() + '\n';
    r.text += "report: " + stated->sha256 + "  " + QByteArray::number(stated->samples)
              + " samples  " + (stated->first.isEmpty() ? QByteArray("none") : stated->first.toUtf8())
              + " to " + (stated->last.isEmpty() ? QByteArray("none") : stated->last.toUtf8()) + '\n';
    r.text += "file:   " + data.sha256 + "  " + QByteArray::number(data.samples) + " samples  "
              + timeText(data.first) + " to " + timeText(data.last) + '\n';
    return r;
}

int runVerify(const Arguments& a)
{
    QFile file(a.report);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("Cannot open file \"%1\". %2").arg(a.report, file.errorString()));
    const VerifyResult r = verifyReport(file.readAll(), a);
    std::fwrite(r.text.constData(), 1, std::size_t(r.text.size()), stdout);
    std::fflush(stdout);
    return r.matches ? ExitOk : ExitFailed;
}

} // namespace cli

// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ReportCommand.h"

#include "app/FileDialogs.h"
#include "app/UReport.h"
#include "base/DateTime.h"
#include "base/Questions.h"
#include "files/ChartSamples.h"
#include "files/Printing.h"
#include "graph/Chart.h"
#include "graph/RecorderState.h"
#include "graph/UGraph.h"
#include "logger/DataSetStore.h"
#include "logger/DataSetsView.h"
#include "graph/MeasurePane.h"
#include "graph/MeasureTable.h"
#include "graph/SpanMeasure.h"
#include "report/ReportAlarms.h"
#include "report/ReportDocument.h"
#include "report/ReportFacts.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QTableWidget>

namespace {

// A file name from the report's title: letters, digits, blanks, dots and dashes kept.
QString proposedName(const QString& title, const QString& caption)
{
    QString base = title.trimmed().isEmpty() ? caption : title.trimmed();
    base = QFileInfo(base).completeBaseName().isEmpty() ? base : QFileInfo(base).completeBaseName();
    base.replace(QRegularExpression(QStringLiteral("[^\\w .-]+")), QStringLiteral("_"));
    base = base.trimmed();
    if (base.isEmpty())
        base = QStringLiteral("report");
    return base + QStringLiteral(".pdf");
}

void append(std::vector<ReportFact>& to, const std::vector<ReportFact>& facts)
{
    to.insert(to.end(), facts.begin(), facts.end());
}

} // namespace

int ReportCommand::run(QDialog& dialog) const
{
    return run_ ? run_(dialog) : dialog.exec();
}

std::vector<ReportFact> ReportCommand::meter(const QString& model) const
{
    return meterFacts(model, c_.firmware ? c_.firmware() : std::nullopt,
                      c_.clockDifference ? c_.clockDifference() : std::nullopt);
}

ReportSource ReportCommand::SourceOf(TfrmGraph& window, const ReportFields& fields) const
{
    ReportSource src;
    src.title = fields.title;
    src.operatorName = fields.operatorName;
    src.notes = fields.notes;
    const ChartState& chart = window.Chart1->state();
    src.chart = &chart;
    src.made = DateTime::now();
    const int filled = filledPoints(chart.data);

    switch (window.Role()) {
    case GraphRole::RealTime: {
        const double end = filled > 0 ? chart.data.x(0, filled - 1) : c_.recorder.StartTime;
        const double start = filled > 0 ? chart.data.x(0, 0) : c_.recorder.StartTime;
        src.measured = recordingFacts(start, end, c_.realTimeRate ? c_.realTimeRate() : 0, filled);
        if (const QString couple = c_.thermocouple ? c_.thermocouple() : QString(); !couple.isEmpty())
            src.measured.push_back({QStringLiteral("Thermocouple"),
                                    QStringLiteral("type %1 (the meter's setting when the report "
                                                   "was made)")
                                        .arg(couple)});
        const QString model = c_.meterModel ? c_.meterModel() : QString();
        append(src.measured, meter(model));
        break;
    }
    case GraphRole::Logger: {
        const int k = window.Grid2 ? dataSetOfRow(*window.Grid2, c_.store, window.Grid2->currentRow())
                                   : -1;
        if (k >= 0) {
            src.measured = loggerSetFacts(c_.store.set(k), k + 1, QString());
            append(src.measured, meter(QStringLiteral("KOLVA four-channel thermometer with data "
                                                      "logger")));
        } else {
            src.measured = {{QStringLiteral("Origin"), QStringLiteral("The meter's data logger")}};
        }
        break;
    }
    case GraphRole::Plain: {
        const auto samples = chartSamples(chart);
        src.measured = fileFacts(window.windowTitle(), samples);
        break;
    }
    }
    // The measuring cursors and their figures, with the levels the pane holds, as shown.
    if (window.Chart1->MeasureCursorsShown()) {
        const auto [a, b] = window.Chart1->MeasureCursors();
        src.cursors = std::pair{a, b};
        QStringList names;
        for (int s = 0; s < window.Chart1->Subsets(); ++s)
            names << window.Chart1->SubsetLabels(s);
        const MeasureOptions options = window.pnlMeasure->Options();
        MeasureTable table = measureTable(measureSpan(chartSeries(chart.data), a, b, options),
                                          options, names, chart.unit, MeasureTextStyle{});
        src.cursorFigures = {table.header, std::move(table.rows)};
    }
    src.alarms = alarmEventsOf(chartSamples(chart), AlarmLog());
    return src;
}

QString ReportCommand::WritePdf(const ReportSource& source, const QString& path)
{
    return writeReportPdf(source, path);
}

bool ReportCommand::savePdf(const ReportSource& source, const QString& name)
{
    QFileDialog& d = *c_.dialogs.SaveDialog1;
    c_.dialogs.SetTypes(d, QStringLiteral("PDF document|*.pdf"));
    FileDialogs::SetDefaultExtension(d, QStringLiteral("pdf"));
    FileDialogs::ProposeName(d, name);
    const std::optional<QString> path = c_.dialogs.Ask(d);
    if (!path)
        return false;
    if (const QString reason = WritePdf(source, *path); !reason.isEmpty()) {
        c_.prompts.error(QStringLiteral("Cannot write file \"%1\". %2").arg(*path, reason));
        return false;
    }
    return true;
}

bool ReportCommand::print(const ReportSource& source)
{
    QPrinter& printer = c_.printing.printer();
    printer.setPageOrientation(QPageLayout::Portrait);
    QPrintDialog dialog(&printer, &c_.mainWindow);
    dialog.setObjectName(QStringLiteral("PrintDialog1"));
    if (run(dialog) != QDialog::Accepted)
        return false;
    QPainter painter;
    if (!painter.begin(&printer)) {
        c_.prompts.error(QStringLiteral("The printer cannot be started."));
        return false;
    }
    paintReport(source, painter, printer);
    painter.end();
    return true;
}

bool ReportCommand::Report(TfrmGraph& window)
{
    TfrmReport dialog(&c_.mainWindow);
    dialog.setFields(ReportFields::remembered());
    const int answer = run(dialog);
    if (answer != TfrmReport::SavePdf && answer != TfrmReport::Print)
        return false;
    const ReportFields fields = dialog.fields();
    fields.remember();
    const QPointer<TfrmGraph> alive(&window);
    const ReportSource source = SourceOf(window, fields);
    if (answer == TfrmReport::Print)
        return print(source);
    return savePdf(source, proposedName(fields.title, window.windowTitle()));
}

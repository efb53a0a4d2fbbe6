// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/GraphCommands.h"

#include "base/DialogParts.h"
#include "base/ErrorBox.h"
#include "base/MessageBoxes.h"
#include "graph/GraphFile.h"
#include "graph/USetupScale.h"

ScaleDialogRunner setupScaleDialog(QWidget* parent, Chart::DialogRunner run)
{
    return fieldsDialog<TfrmSetupScale, ScaleFields>(parent, std::move(run));
}

void WriteGraphFile(const Chart& chart, const QString& name)
{
    writeGraphFile(chart.state(), name);
}

void ReadGraphFile(Chart& chart, const QString& name)
{
    ChartState state;
    readGraphFile(state, name);
    chart.LoadState(std::move(state));
}

void PrepareChartUndrawn(Chart& chart, int subsets, float maxY, float minY, double maxX,
                         double minX, int points, const MessageFn& message, const MessageFn& error)
{
    PrepareHooks hooks;
    hooks.templatePath = graphTemplatePath();
    hooks.message = message ? message : messageBox(&chart);
    hooks.reportError = error ? error : MessageFn(showStandardError);
    prepareChartState(chart.mutableState(), subsets, maxY, minY, maxX, minX, points, hooks);
}

void PrepareChart(Chart& chart, int subsets, float maxY, float minY, double maxX, double minX,
                  int points, const MessageFn& message, const MessageFn& error)
{
    PrepareChartUndrawn(chart, subsets, maxY, minY, maxX, minX, points, message, error);
    chart.UndoZoom();
    chart.Redraw();
}

ScaleResult ChangeScale(Chart& chart, const ScaleDialogRunner& dialog, const MessageFn& message)
{
    ScaleResult r = ScaleResult::Cancelled;
    try {
        r = changeScale(chart.mutableState(), dialog ? dialog : setupScaleDialog(&chart),
                        message ? message : messageBox(&chart), graphTemplatePath());
    } catch (...) {
        // The extents are set before the template is written; show them even when that fails.
        chart.Redraw();
        throw;
    }
    if (r == ScaleResult::Changed)
        chart.Redraw();
    return r;
}

bool OfferTemplateSave(Chart& chart, const QuestionFn& ask)
{
    return offerTemplateSave(chart.state(), chart.CustomizeAccepted() == 1,
                             ask ? ask : questionBox(&chart),
                             graphTemplatePath());
}

#include "graph/GraphCommands.h"

#include "app/ErrorBox.h"
#include "graph/DialogParts.h"
#include "graph/GraphFile.h"
#include "graph/USetupScale.h"

#include <QApplication>
#include <QMessageBox>

MessageFn messageBox(QWidget* parent)
{
    return [parent](const QString& text) {
        QMessageBox::information(parent, QApplication::applicationName(), text, QMessageBox::Ok);
    };
}

QuestionFn questionBox(QWidget* parent)
{
    return [parent](const QString& text) {
        return QMessageBox::question(parent, QApplication::applicationName(), text,
                                     QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    };
}

ChoiceFn choiceBox(QWidget* parent)
{
    return [parent](const QString& text) {
        switch (QMessageBox::question(parent, QApplication::applicationName(), text,
                                      QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        default:
            return Answer::Cancel;
        }
    };
}

MessageFn noticeBox(QWidget* parent)
{
    return [parent](const QString& text) {
        auto* box = new QMessageBox(QMessageBox::Information, QApplication::applicationName(),
                                    text, QMessageBox::Ok, parent);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    };
}

UserPrompts standardPrompts(QWidget* parent)
{
    return UserPrompts{messageBox(parent), noticeBox(parent), questionBox(parent),
                       choiceBox(parent), [](const QString& text) { showStandardError(text); }};
}

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

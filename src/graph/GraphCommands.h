// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The chart-level commands that graph windows call: the graph file, PrepareChart, the Y axis
// dialog and the template question. Questions and messages can be replaced (tests do); left
// empty they are the program's message boxes.

#include "graph/Chart.h"
#include "graph/GraphTemplate.h"
#include "base/MessageBoxes.h"

class QWidget;

// Shows TfrmSetupScale modally, through run when given (default: exec()).
ScaleDialogRunner setupScaleDialog(QWidget* parent, Chart::DialogRunner run = {});

// Graph file of this chart. Errors are ChartFileError (file name and reason); nothing changes.
void WriteGraphFile(const Chart& chart, const QString& name);
void ReadGraphFile(Chart& chart, const QString& name);

// Sets the chart up for new data from the template or the defaults, then redraws.
// message: the missing-template message; error: a template that cannot be read.
void PrepareChart(Chart& chart, int subsets, float maxY, float minY, double maxX, double minX,
                  int points, const MessageFn& message = {}, const MessageFn& error = {});
// The same without the redraw, for a caller that fills the chart at once and redraws it then.
void PrepareChartUndrawn(Chart& chart, int subsets, float maxY, float minY, double maxX,
                         double minX, int points, const MessageFn& message = {},
                         const MessageFn& error = {});

// The Y axis button: the dialog, validation, the new extents and the template when asked.
ScaleResult ChangeScale(Chart& chart, const ScaleDialogRunner& dialog = {},
                        const MessageFn& message = {});

// After the settings dialog closed: keeps accepted settings as the template on Yes.
bool OfferTemplateSave(Chart& chart, const QuestionFn& ask = {});

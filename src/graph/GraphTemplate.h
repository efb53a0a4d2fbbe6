// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Preparing a chart for new data from the graph template or the built-in defaults, the Y axis
// dialog's logic and the question that keeps the settings as the template. All of it works on
// a ChartState; the questions and messages are injected, so none of it needs a window.

#include "graph/ChartState.h"
#include "base/Questions.h"

#include <QString>

#include <array>
#include <functional>
#include <optional>

// The template's path below the data folder.
QString graphTemplatePath();

// The Y extent of the template written at a first start.
inline constexpr float kFirstTemplateMinY = -20.0f;
inline constexpr float kFirstTemplateMaxY = 100.0f;

// A first start: when the template's folder does not exist, it is made and a template written
// there from the built-in defaults (Y kFirstTemplateMinY to kFirstTemplateMaxY on every axis), so
// that new graphs do not greet a new user with the missing-template message. An existing folder
// is left alone: a template the user deleted or damaged later is reported when a graph is
// prepared. False when the folder or the template could not be made.
bool setUpGraphTemplate(const QString& templatePath = graphTemplatePath());

struct PrepareHooks {
    QString templatePath;   // the template file
    MessageFn message;      // the "Can not fine the file " message
    MessageFn reportError;  // a template that exists but cannot be read
};

// Sets the chart up for new data. With a readable template the template decides the look and the
// Y extents; without one the defaults do and every axis gets maxY/minY. The data are reset to
// X 0 and the null Y; the X extent is fixed when minX is not 0.
void prepareChartState(ChartState& state, int subsets, float maxY, float minY, double maxX,
                       double minX, int points, const PrepareHooks& hooks);

// The look of a chart without a template, applied in this order.
void applyChartDefaults(ChartSettings& s, int subsets, float maxY, float minY);

// The Y axis dialog: the MIN and MAX boxes of T1..T4 and the "Save this setting " box.
struct ScaleFields {
    std::array<QString, 4> min;
    std::array<QString, 4> max;
    bool save = false;
};
// Shows the dialog filled with the given fields; nullopt when it was cancelled.
using ScaleDialogRunner = std::function<std::optional<ScaleFields>(const ScaleFields& initial)>;

enum class ScaleResult { Cancelled, Invalid, Changed };

// The fields the dialog opens with: each axis' extent truncated toward zero.
ScaleFields currentScale(const ChartSettings& s);
// Runs the dialog and applies a valid entry to axes 0..3 (then WorkingAxis 0). An entry that is
// not an integer shows its text followed by " is invalid." and changes nothing. With
// "Save this setting " ticked the chart is written to templatePath.
ScaleResult changeScale(ChartState& state, const ScaleDialogRunner& dialog,
                        const MessageFn& message, const QString& templatePath);

// After the settings dialog closed with accepted changes: asks "Do you want to save the
// changes ?" and on Yes writes the chart to templatePath. True when it was written.
bool offerTemplateSave(const ChartState& state, bool customizeAccepted, const QuestionFn& ask,
                       const QString& templatePath);

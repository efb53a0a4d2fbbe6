// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a graph window needs from outside: the state all graph windows share, the marks asked
// about on closing, the prompts, the saves its closing questions call, and the effects that
// closing or activating a window has on the main window. The main window implements it.

#include "graph/GraphSharedState.h"
#include "base/Questions.h"

class Chart;
class TfrmGraph;

class IGraphHost {
public:
    virtual ~IGraphHost() = default;

    virtual AnnotationState& Annotations() = 0;
    virtual UnsavedMarks& Unsaved() = 0;
    virtual const UserPrompts& Prompts() const = 0;

    // Saves the chart as a graph file (the file commands' SaveGraph). True when every recorded
    // point was written; false when the user cancelled, nothing could be saved or an export took
    // only part of the points. Errors may also be thrown.
    virtual bool SaveGraph(Chart& chart) = 0;
    // The main window's Save command for this window. True when it saved.
    virtual bool SaveWindow(TfrmGraph& window) = 0;

    // The window became the active child: btnOutputToGraph is disabled.
    virtual void GraphActivated(TfrmGraph& window) = 0;
    // The real-time window closes: "Real Time &Graph" unchecked, the window forgotten, Run on
    // when connected, Stop off, the recording ended.
    virtual void RealTimeGraphClosed(TfrmGraph& window) = 0;
    // The logger window closes: LoggerDataUnsaved cleared, the window forgotten.
    virtual void LoggerGraphClosed(TfrmGraph& window) = 0;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A graph host for graph windows on their own: the shared state, answers to the questions
// given by the test, saves that succeed or fail as the test says, and a log of what the window
// asked of its host.

#include "graph/GraphHost.h"
#include "support/ScriptedPrompts.h"

#include <QStringList>

struct FakeGraphHost : IGraphHost {
    AnnotationState annotations;
    UnsavedMarks unsaved;
    ScriptedPrompts script;
    UserPrompts prompts = script.prompts();
    bool saveSucceeds = true;
    QStringList log; // what the window asked of its host

    AnnotationState& Annotations() override { return annotations; }
    UnsavedMarks& Unsaved() override { return unsaved; }
    const UserPrompts& Prompts() const override { return prompts; }
    bool SaveGraph(Chart&) override
    {
        log << QStringLiteral("SaveGraph");
        return saveSucceeds;
    }
    bool SaveWindow(TfrmGraph&) override
    {
        log << QStringLiteral("SaveWindow");
        return saveSucceeds;
    }
    void GraphActivated(TfrmGraph&) override { log << QStringLiteral("activated"); }
    void RealTimeGraphClosed(TfrmGraph&) override { log << QStringLiteral("real-time closed"); }
    void LoggerGraphClosed(TfrmGraph&) override
    {
        unsaved.LoggerDataUnsaved = false;
        log << QStringLiteral("logger closed");
    }
};

#pragma once
// A graph host for graph windows on their own: the shared state, answers to the questions
// given by the test, saves that succeed or fail as the test says, and a log of what the window
// asked of its host.

#include "graph/GraphHost.h"

#include <QStringList>

#include <deque>

struct FakeGraphHost : IGraphHost {
    AnnotationState annotations;
    UnsavedMarks unsaved;
    UserPrompts prompts;
    std::deque<Answer> answers;    // for the Yes/No/Cancel questions, in order
    bool templateAnswer = false;   // for the Yes/No questions
    bool saveSucceeds = true;
    QStringList asked;             // every question and message, in order
    QStringList log;               // what the window asked of its host

    FakeGraphHost()
    {
        prompts.message = [this](const QString& t) { asked << t; };
        prompts.notice = prompts.message;
        prompts.question = [this](const QString& t) {
            asked << t;
            return templateAnswer;
        };
        prompts.choice = [this](const QString& t) {
            asked << t;
            if (answers.empty())
                return Answer::Cancel;
            const Answer a = answers.front();
            answers.pop_front();
            return a;
        };
    }

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

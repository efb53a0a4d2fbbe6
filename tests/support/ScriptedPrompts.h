// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Prompts that answer as a test says and keep what they were told: the Yes/No/Cancel questions
// take the next answer of `choices` (Cancel when none is left), the Yes/No questions
// `questionAnswer`; every text asked or shown is kept in `asked`, the errors also in `errors`.

#include "base/Questions.h"

#include <QStringList>

#include <deque>

struct ScriptedPrompts {
    QStringList asked;
    QStringList errors;
    std::deque<Answer> choices;
    bool questionAnswer = false;

    // The prompts refer to this object, which must outlive them.
    UserPrompts prompts()
    {
        UserPrompts p;
        p.message = p.notice = [this](const QString& t) { asked << t; };
        p.error = [this](const QString& t) {
            asked << t;
            errors << t;
        };
        p.question = [this](const QString& t) {
            asked << t;
            return questionAnswer;
        };
        p.choice = [this](const QString& t) {
            asked << t;
            if (choices.empty())
                return Answer::Cancel;
            const Answer a = choices.front();
            choices.pop_front();
            return a;
        };
        return p;
    }
};

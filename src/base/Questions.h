// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The questions and messages that commands put to the user, as plain functions, so that core
// code and windows ask through them and tests answer them. The program's message boxes are
// made in graph/GraphCommands.h (messageBox, questionBox, choiceBox).

#include <QString>

#include <functional>

enum class Answer { Yes, No, Cancel };

using MessageFn = std::function<void(const QString& text)>;   // a box with an OK button
using QuestionFn = std::function<bool(const QString& text)>;  // Yes/No; true for Yes
using ChoiceFn = std::function<Answer(const QString& text)>;  // Yes/No/Cancel

// The set of prompts one owner (the main window) hands to the windows it creates.
struct UserPrompts {
    MessageFn message;   // information, waits for OK
    MessageFn notice;    // information that must not hold up the caller (the missing template)
    QuestionFn question;
    ChoiceFn choice;
    MessageFn error;     // an error that ends a command (the application's standard error box)
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's message boxes behind the prompts that commands ask through (base/Questions.h).

#include "base/Questions.h"

class QWidget;

// Message box with an OK button; confirmation box with Yes and No; with Yes, No and Cancel.
MessageFn messageBox(QWidget* parent);
QuestionFn questionBox(QWidget* parent);
ChoiceFn choiceBox(QWidget* parent);
// A message box with an OK button that is shown without waiting for it (modal to the window
// of parent); it frees itself when closed.
MessageFn noticeBox(QWidget* parent);
// The program's message boxes, all with parent.
UserPrompts standardPrompts(QWidget* parent);

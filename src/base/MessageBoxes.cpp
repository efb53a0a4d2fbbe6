// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/MessageBoxes.h"

#include "base/ErrorBox.h"

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

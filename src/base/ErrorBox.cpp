// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/ErrorBox.h"

#include <QApplication>
#include <QMessageBox>

void showStandardError(const QString& text)
{
    QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationName(), text);
}

#include "app/ErrorBox.h"

#include <QApplication>
#include <QMessageBox>

void showStandardError(const QString& text)
{
    QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationName(), text);
}

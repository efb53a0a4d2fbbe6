// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The user guide in a window of the program, for a desktop that has no program to open HTML
// documents with: the guide's own links lead within it, links out of it go to the desktop.

#include <QDialog>

class QTextBrowser;

class HelpWindow : public QDialog {
    Q_OBJECT
public:
    // Shows the guide at path; freed when it closes.
    HelpWindow(const QString& path, QWidget* parent);

    QTextBrowser* Browser = nullptr;
};

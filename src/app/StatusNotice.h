// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A notice in the main window's status bar: red text that takes the room there is and is cut in
// the middle where that is not enough, the whole text as its tool tip, hidden while empty. The
// recording journal's failure and a serial device the user may not open are told this way.

#include <QLabel>

class QStatusBar;

class StatusNotice final : public QLabel {
public:
    // Adds itself to the status bar as a permanent widget, hidden.
    StatusNotice(QStatusBar& bar, const QString& objectName);
    // Shows text; an empty text hides the notice.
    void Show(const QString& text);
    QString FullText() const { return full_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void elide();
    QString full_;
};

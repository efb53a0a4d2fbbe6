// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The alarms in the main window's status bar: the running alarms (and those that ended before
// anybody acknowledged them) as one line, white on red while any waits for its acknowledgement,
// red on the bar's own background once all are acknowledged, and the button that acknowledges
// them (the action "Acknowledge Alarms", shared with the menu and its shortcut). Hidden while
// there is no alarm.

#include <QWidget>

class QAction;
class QLabel;
class QStatusBar;
class QToolButton;

class AlarmStatus final : public QWidget {
public:
    // Put into the status bar after its first `after` widgets, taking the room there is.
    AlarmStatus(QStatusBar& bar, int after, QAction& acknowledge);

    // The texts of the alarms shown; unacknowledged: any of them waits for the user.
    void Show(const QStringList& texts, bool unacknowledged);
    QString Text() const;
    bool Alerting() const { return alerting_; }

    QLabel* lblAlarms = nullptr;
    QToolButton* btnAcknowledge = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void elide();
    QString full_;
    bool alerting_ = false;
};

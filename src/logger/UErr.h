// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TfrmErr: the error dialog of the "Data Logger" command. Its text across the top, and three
// buttons: "Fixed the error " (deletes the damaged data set; shown only for a data error),
// "Try Again" (downloads again) and "Cancel". Closing it is Cancel. A fixed-size dialog,
// centred on the screen.

#include "logger/DownloadHost.h"

#include <QDialog>

#include <functional>

class QLabel;
class QPushButton;

class TfrmErr : public QDialog {
    Q_OBJECT
public:
    // The results the buttons give.
    enum Result { Ok = 1, Retry = 2, Cancel = 3 };

    explicit TfrmErr(QWidget* parent = nullptr);

    // The text and whether "Fixed the error " is offered.
    void Prepare(const QString& text, bool fixVisible);
    // What the user chose, from the dialog's result; anything else than a button is Cancel.
    ErrorChoice Choice() const;

    // Shows the dialog through run (default: exec()) and returns the choice.
    using DialogRunner = std::function<int(QDialog& dialog)>;
    ErrorChoice Ask(const QString& text, bool fixVisible, const DialogRunner& run = {});

    QLabel* Label1 = nullptr;
    QPushButton* Button1 = nullptr; // "Fixed the error "
    QPushButton* Button2 = nullptr; // "Try Again"
    QPushButton* Button3 = nullptr; // "Cancel"

protected:
    void showEvent(QShowEvent* event) override;
};

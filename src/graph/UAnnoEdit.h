// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TfrmAnnoEdit: asks for the text of a new text annotation. One edit box, OK and Cancel; it
// stays on top, centred on the screen, and is shown modally.

#include <QDialog>

class QLineEdit;
class QPushButton;

class TfrmAnnoEdit : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAnnoEdit(QWidget* parent = nullptr);

    QLineEdit* Edit1 = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
};

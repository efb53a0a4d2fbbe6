// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TfrmSetupScale: the Y axis dialog, the lowest and highest value shown on each of the four
// Y axes, and whether to keep them in the graph template.

#include "graph/GraphTemplate.h"

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

class TfrmSetupScale : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSetupScale(QWidget* parent = nullptr);

    void setFields(const ScaleFields& fields);
    ScaleFields fields() const;

    QGroupBox* GroupBox1;
    QLineEdit* edtT1Min;
    QLineEdit* edtT1Max;
    QLineEdit* edtT2Min;
    QLineEdit* edtT2Max;
    QLineEdit* edtT3Min;
    QLineEdit* edtT3Max;
    QLineEdit* edtT4Min;
    QLineEdit* edtT4Max;
    QCheckBox* chkSave;
    QPushButton* btnOK;
    QPushButton* btnCancel;

protected:
    void showEvent(QShowEvent* e) override;

private:
    QLineEdit* minBox(int k) const;
    QLineEdit* maxBox(int k) const;
};

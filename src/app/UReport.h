// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TfrmReport: what a report asks before it is made: its title, the operator and free notes, and
// whether it is saved as a PDF file or printed. The fields are kept in the settings
// (ReportTitle, ReportOperator, ReportNotes) when a report is made, and offered the next time.

#include <QDialog>
#include <QString>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

struct ReportFields {
    QString title;
    QString operatorName;
    QString notes;

    // The fields of the last report made (empty the first time).
    static ReportFields remembered();
    void remember() const;
};

class TfrmReport : public QDialog {
    Q_OBJECT
public:
    // The exec() results besides Rejected.
    enum Result { SavePdf = 1, Print = 2 };

    explicit TfrmReport(QWidget* parent = nullptr);

    void setFields(const ReportFields& fields);
    ReportFields fields() const;

    QLineEdit* edtTitle = nullptr;
    QLineEdit* edtOperator = nullptr;
    QPlainTextEdit* memNotes = nullptr;
    QPushButton* btnSavePdf = nullptr;
    QPushButton* btnPrint = nullptr;
    QPushButton* btnCancel = nullptr;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/UReport.h"

#include "base/DialogParts.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

ReportFields ReportFields::remembered()
{
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("KOLVA"),
                QStringLiteral("KOLVA"));
    return {s.value(QStringLiteral("ReportTitle")).toString(),
            s.value(QStringLiteral("ReportOperator")).toString(),
            s.value(QStringLiteral("ReportNotes")).toString()};
}

void ReportFields::remember() const
{
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("KOLVA"),
                QStringLiteral("KOLVA"));
    s.setValue(QStringLiteral("ReportTitle"), title);
    s.setValue(QStringLiteral("ReportOperator"), operatorName);
    s.setValue(QStringLiteral("ReportNotes"), notes);
}

TfrmReport::TfrmReport(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmReport"));
    setWindowTitle(QStringLiteral("Report"));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(QStringLiteral("A PDF report of this graph: what was measured, the "
                                            "chart, the statistics, the annotations, the alarm "
                                            "events and the data's fingerprint."),
                             this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    auto* form = new QFormLayout;
    edtTitle = new QLineEdit(this);
    edtTitle->setObjectName(QStringLiteral("edtTitle"));
    edtTitle->setPlaceholderText(QStringLiteral("Temperature report"));
    edtOperator = new QLineEdit(this);
    edtOperator->setObjectName(QStringLiteral("edtOperator"));
    memNotes = new QPlainTextEdit(this);
    memNotes->setObjectName(QStringLiteral("memNotes"));
    memNotes->setTabChangesFocus(true);
    memNotes->setMinimumHeight(memNotes->fontMetrics().lineSpacing() * 5);
    form->addRow(QStringLiteral("&Title:"), edtTitle);
    form->addRow(QStringLiteral("&Operator:"), edtOperator);
    form->addRow(QStringLiteral("&Notes:"), memNotes);
    layout->addLayout(form, 1);

    btnSavePdf = new QPushButton(QStringLiteral("&Save PDF..."), this);
    btnSavePdf->setObjectName(QStringLiteral("btnSavePdf"));
    btnSavePdf->setDefault(true);
    btnPrint = new QPushButton(QStringLiteral("&Print..."), this);
    btnPrint->setObjectName(QStringLiteral("btnPrint"));
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    layout->addLayout(buttonRow({btnSavePdf, btnPrint, btnCancel}));
    connect(btnSavePdf, &QPushButton::clicked, this, [this] { done(SavePdf); });
    connect(btnPrint, &QPushButton::clicked, this, [this] { done(Print); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    resize(460, sizeHint().height());
}

void TfrmReport::setFields(const ReportFields& f)
{
    edtTitle->setText(f.title);
    edtOperator->setText(f.operatorName);
    memNotes->setPlainText(f.notes);
}

ReportFields TfrmReport::fields() const
{
    return {edtTitle->text(), edtOperator->text(), memNotes->toPlainText()};
}

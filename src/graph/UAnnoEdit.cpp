// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/UAnnoEdit.h"

#include "base/DialogParts.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfrmAnnoEdit::TfrmAnnoEdit(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAnnoEdit"));
    setWindowTitle(QStringLiteral("Annotation"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setModal(true);

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMinimumWidth(Edit1->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 40);
    createOkCancel(*this, btnOK, btnCancel);

    QHBoxLayout* buttons = buttonRow({btnOK, btnCancel});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Edit1);
    layout->addLayout(buttons);
}

void TfrmAnnoEdit::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    centreOnScreen(*this);
}

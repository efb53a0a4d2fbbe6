// SPDX-License-Identifier: GPL-3.0-or-later
#include "logger/UErr.h"

#include "base/DialogParts.h"
#include "logger/DownloadStatus.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kTextWidth = 380;

QPushButton* button(QDialog& dialog, const char* name, const QString& text, int result)
{
    auto* b = new QPushButton(text, &dialog);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    QObject::connect(b, &QPushButton::clicked, &dialog, [&dialog, result] { dialog.done(result); });
    return b;
}

} // namespace

TfrmErr::TfrmErr(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmErr"));
    setWindowTitle(QStringLiteral("Error Message"));
    setModal(true);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setFixedWidth(kTextWidth);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Button1 = button(*this, "Button1", kFixErrorButtonText, Ok);
    Button2 = button(*this, "Button2", kTryAgainButtonText, Retry);
    Button3 = button(*this, "Button3", kCancelButtonText, Cancel);
    Button2->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* b : {Button1, Button2, Button3})
        buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(Label1);
    layout->addSpacing(8);
    layout->addLayout(buttons);
}

void TfrmErr::Prepare(const QString& text, bool fixVisible)
{
    Label1->setText(text);
    Button1->setVisible(fixVisible);
    setResult(Cancel);
    adjustSize();
}

ErrorChoice TfrmErr::Choice() const
{
    switch (result()) {
    case Ok:
        return Button1->isVisibleTo(this) ? ErrorChoice::FixError : ErrorChoice::Cancel;
    case Retry:
        return ErrorChoice::TryAgain;
    default:
        return ErrorChoice::Cancel;
    }
}

ErrorChoice TfrmErr::Ask(const QString& text, bool fixVisible, const DialogRunner& run)
{
    Prepare(text, fixVisible);
    if (run)
        run(*this);
    else
        exec();
    return Choice();
}

void TfrmErr::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    centreOnScreen(*this);
}

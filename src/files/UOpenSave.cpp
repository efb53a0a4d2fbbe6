// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/UOpenSave.h"

#include "files/FileTypes.h"
#include "base/DialogParts.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kButtonWidth = 321;
constexpr int kButtonHeight = 33;
constexpr int kTextMargin = 24;   // beside the longest text

QPushButton* button(QWidget* parent, const char* name, const QString& text)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

TfrmOpenSave::TfrmOpenSave(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmOpenSave"));
    btnOpenSets = button(this, "btnOpenSets", FileTypes::saveAllSetsText());
    btnOpenSingleSet = button(this, "btnOpenSingleSet", FileTypes::saveSingleSetText());
    Button1 = button(this, "Button1", QStringLiteral("Cancel"));
    connect(btnOpenSets, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnOpenSingleSet, &QPushButton::clicked, this, [this] { done(SingleSetResult); });
    connect(Button1, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->setSpacing(8);
    layout->setContentsMargins(16, 16, 16, 16);
    for (QPushButton* b : {btnOpenSets, btnOpenSingleSet, Button1})
        layout->addWidget(b);
    fitButtons();
}

void TfrmOpenSave::SetTexts(const QString& caption, const QString& allSets,
                            const QString& singleSet)
{
    setWindowTitle(caption);
    btnOpenSets->setText(allSets);
    btnOpenSingleSet->setText(singleSet);
    fitButtons();
}

// All three 321 x 33 as designed, wider together when a text would not fit.
void TfrmOpenSave::fitButtons()
{
    int width = kButtonWidth;
    for (QPushButton* b : {btnOpenSets, btnOpenSingleSet, Button1})
        width = std::max(width, b->sizeHint().width() + kTextMargin);
    for (QPushButton* b : {btnOpenSets, btnOpenSingleSet, Button1})
        b->setFixedSize(width, std::max(kButtonHeight, b->sizeHint().height()));
    adjustSize();
}

OpenSaveChoice TfrmOpenSave::ChoiceOf(int result)
{
    switch (result) {
    case QDialog::Accepted: return OpenSaveChoice::AllSets;
    case SingleSetResult: return OpenSaveChoice::SingleSet;
    default: return OpenSaveChoice::Cancel;
    }
}

void TfrmOpenSave::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    centreOnScreen(*this);
}

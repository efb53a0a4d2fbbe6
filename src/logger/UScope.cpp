// SPDX-License-Identifier: GPL-3.0-or-later
#include "logger/UScope.h"

#include "base/DialogParts.h"
#include "logger/DownloadProgress.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

constexpr int kWidth = 300;

template <class W>
W* named(W* w, const char* name)
{
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

} // namespace

TfrmScope::TfrmScope(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint
                          | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmScope"));

    GroupBox1 = named(new QGroupBox(this), "GroupBox1");
    radAll = named(new QRadioButton(QStringLiteral("&All"), GroupBox1), "radAll");
    radNo = named(new QRadioButton(QStringLiteral("&Select"), GroupBox1), "radNo");
    edtSelFrom = named(new QLineEdit(GroupBox1), "edtSelFrom");
    edtSelTo = named(new QLineEdit(GroupBox1), "edtSelTo");
    lblSelFrom = named(new QLabel(QStringLiteral("&from"), GroupBox1), "lblSelFrom");
    lblSelTo = named(new QLabel(QStringLiteral("&to"), GroupBox1), "lblSelTo");
    lblSelFrom->setBuddy(edtSelFrom);
    lblSelTo->setBuddy(edtSelTo);
    radAll->setChecked(true);
    auto* range = new QGridLayout(GroupBox1);
    range->addWidget(radAll, 0, 0);
    range->addWidget(radNo, 1, 0);
    range->addWidget(lblSelFrom, 1, 1);
    range->addWidget(edtSelFrom, 1, 2);
    range->addWidget(lblSelTo, 1, 3);
    range->addWidget(edtSelTo, 1, 4);
    // Typing a range selects it.
    for (QLineEdit* e : {edtSelFrom, edtSelTo})
        connect(e, &QLineEdit::textEdited, radNo, [this] { radNo->setChecked(true); });

    SText1 = named(new QLabel(this), "SText1");
    lblBytesReceived = named(new QLabel(this), "lblBytesReceived");
    SText2 = named(new QLabel(this), "SText2");
    lblTotalBytes = named(new QLabel(this), "lblTotalBytes");
    lblTimeLeft = named(new QLabel(this), "lblTimeLeft");
    for (QLabel* l : {lblBytesReceived, lblTotalBytes})
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* counts = new QGridLayout;
    counts->addWidget(SText1, 0, 0);
    counts->addWidget(lblBytesReceived, 0, 1);
    counts->addWidget(SText2, 1, 0);
    counts->addWidget(lblTotalBytes, 1, 1);
    counts->addWidget(lblTimeLeft, 2, 0, 1, 2);
    counts->setColumnStretch(0, 1);

    Progress1 = named(new QProgressBar(this), "Progress1");
    Progress1->setTextVisible(false);

    BitBtn1 = named(new QPushButton(QStringLiteral("OK"), this), "BitBtn1");
    BitBtn2 = named(new QPushButton(QStringLiteral("Cancel"), this), "BitBtn2");
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn2, &QPushButton::clicked, this, &TfrmScope::BitBtn2Click);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);

    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(GroupBox1);
    layout->addLayout(counts);
    layout->addWidget(Progress1);
    layout->addLayout(buttons);
    Progress1->setFixedWidth(kWidth);
}

void TfrmScope::showOnly(Use use)
{
    use_ = use;
    const bool range = use == Use::Range;
    const bool download = use == Use::Download;
    GroupBox1->setVisible(range);
    BitBtn1->setVisible(range);
    BitBtn2->setVisible(true);
    SText1->setVisible(!range);
    for (QWidget* w : std::initializer_list<QWidget*>{SText2, lblBytesReceived, lblTotalBytes, lblTimeLeft})
        w->setVisible(download);
    Progress1->setVisible(download);
    setModal(range);
}

void TfrmScope::ShowAsRangeDialog(const QString& caption, const QString& from, const QString& to)
{
    showOnly(Use::Range);
    setWindowTitle(caption);
    radAll->setChecked(true);
    edtSelFrom->setText(from);
    edtSelTo->setText(to);
    adjustSize();
}

void TfrmScope::ShowAsProgress(const QString& caption, const QString& text, int barMaximum,
                               bool cancellable)
{
    showOnly(Use::Progress);
    setWindowTitle(caption);
    SText1->setText(text);
    // As wide as with a bar, so that the caption shows whole.
    SText1->setMinimumWidth(kWidth);
    Progress1->setVisible(barMaximum >= 0);
    Progress1->setRange(0, std::max(barMaximum, 0));
    Progress1->setValue(0);
    BitBtn2->setVisible(cancellable);
    cancelPressed_ = false;
    adjustSize();
}

void TfrmScope::ShowAsDownloadProgress(int totalBytes)
{
    showOnly(Use::Download);
    setWindowTitle(QStringLiteral("Data Retriving Progress"));
    SText1->setMinimumWidth(0);
    SText1->setText(QStringLiteral("bytes received"));
    SText2->setText(QStringLiteral("total bytes"));
    lblBytesReceived->setText(QStringLiteral("0"));
    lblTimeLeft->setMinimumWidth(lblTimeLeft->fontMetrics().horizontalAdvance(
        TimeLeftLine(std::nullopt, true) + QStringLiteral("  ")));
    cancelPressed_ = false;
    BitBtn2->setEnabled(true);
    SetDownloadTotal(totalBytes);
    adjustSize();
}

void TfrmScope::SetDownloadTotal(int totalBytes)
{
    const bool known = totalBytes > 0;
    Progress1->setRange(0, known ? totalBytes : 1);
    Progress1->setValue(0);
    lblTotalBytes->setText(known ? QString::number(totalBytes) : QString());
    lblTimeLeft->setText(known ? QString() : TimeLeftLine(std::nullopt, true));
}

void TfrmScope::ShowDownloadProgress(const DownloadProgress& progress)
{
    lblBytesReceived->setText(QString::number(progress.received));
    Progress1->setValue(std::min(progress.received, Progress1->maximum()));
    lblTimeLeft->setText(TimeLeftLine(progress.msLeft, progress.waiting));
}

void TfrmScope::BitBtn2Click()
{
    cancelPressed_ = true;
    if (use_ == Use::Range) {
        QDialog::reject();
        return;
    }
    // The work stops at its next step and then closes the window.
    BitBtn2->setEnabled(false);
}

bool TfrmScope::cancelsWork() const
{
    return use_ != Use::Range && BitBtn2->isVisibleTo(this);
}

void TfrmScope::reject()
{
    if (!cancelsWork())
        QDialog::reject();
    else if (!cancelPressed_)
        BitBtn2Click();
}

void TfrmScope::closeEvent(QCloseEvent* event)
{
    if (!cancelsWork()) {
        QDialog::closeEvent(event);
        return;
    }
    // Closing a progress window with Cancel is its Cancel; it goes when the work has stopped.
    if (!cancelPressed_)
        BitBtn2Click();
    event->ignore();
}

void TfrmScope::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    centreOnScreen(*this);
}

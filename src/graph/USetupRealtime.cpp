// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/USetupRealtime.h"

#include "base/DialogParts.h"
#include "graph/RealTimeSetup.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Five places, each an optional digit; an empty place shows as a blank.
const QString kCountMask = QStringLiteral("00000; ");

QLabel* label(QWidget* parent, const char* name, const QString& text)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

QComboBox* rateBox(QWidget* parent, const char* name)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    for (int i = 0; i <= 60; ++i)
        box->addItem(QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0')));
    box->setMaxVisibleItems(16);
    return box;
}

} // namespace

TfrmSetupRealTime::TfrmSetupRealTime(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmSetupRealTime"));
    setWindowTitle(QStringLiteral("Real-Time Setup"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setModal(true);

    Label1 = label(this, "Label1", QStringLiteral("Real-Time data no to be recorded"));
    edtRealTimeNo = new QLineEdit(this);
    edtRealTimeNo->setObjectName(QStringLiteral("edtRealTimeNo"));
    edtRealTimeNo->setInputMask(kCountMask);
    edtRealTimeNo->setAlignment(Qt::AlignRight);
    Label2 = label(this, "Label2", QStringLiteral("(Adjust the number to meet your need)"));
    Label3 = label(this, "Label3", QStringLiteral("Real -Time Sampling Rate"));
    ComboBox1 = rateBox(this, "ComboBox1");
    ComboBox2 = rateBox(this, "ComboBox2");
    Label4 = label(this, "Label4", QStringLiteral("mm:ss"));
    Label5 = label(this, "Label5", QStringLiteral("Recording Period"));
    edtPeriod = new QLineEdit(this);
    edtPeriod->setObjectName(QStringLiteral("edtPeriod"));
    edtPeriod->setReadOnly(true);
    edtPeriod->setFocusPolicy(Qt::NoFocus);
    edtPeriod->setAlignment(Qt::AlignRight);
    Label6 = label(this, "Label6", QStringLiteral("HH:MM:SS"));
    const QFontMetrics fm(edtRealTimeNo->font());
    const int boxWidth = fm.horizontalAdvance(QStringLiteral("8888:88:88")) + 16;
    edtRealTimeNo->setFixedWidth(boxWidth);
    edtPeriod->setFixedWidth(boxWidth);

    btnStart = new QPushButton(QStringLiteral("Start"), this);
    btnStart->setObjectName(QStringLiteral("btnStart"));
    btnStart->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    connect(btnStart, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ComboBox1, &QComboBox::activated, this, &TfrmSetupRealTime::ComboBox1Change);
    connect(ComboBox2, &QComboBox::activated, this, &TfrmSetupRealTime::ComboBox1Change);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(12);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(edtRealTimeNo, 0, 1, Qt::AlignLeft);
    grid->addWidget(Label2, 1, 0, 1, 3);
    grid->addWidget(Label3, 2, 0);
    auto* rate = new QHBoxLayout;
    rate->setSpacing(4);
    rate->addWidget(ComboBox1);
    rate->addWidget(new QLabel(QStringLiteral(":"), this));
    rate->addWidget(ComboBox2);
    rate->addStretch(1);
    grid->addLayout(rate, 2, 1);
    grid->addWidget(Label4, 2, 2);
    grid->addWidget(Label5, 3, 0);
    grid->addWidget(edtPeriod, 3, 1, Qt::AlignLeft);
    grid->addWidget(Label6, 3, 2);
    grid->setColumnStretch(1, 1);

    QHBoxLayout* buttons = buttonRow({btnStart, btnCancel});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addLayout(buttons);

    SetCountText(RealTimeSetup::kInitialCount);
    ComboBox1->setCurrentIndex(0);
    ComboBox2->setCurrentIndex(RealTimeSetup::kSmallestRate);
    edtRealTimeNo->setFocus();
}

QString TfrmSetupRealTime::CountText() const
{
    return edtRealTimeNo->displayText();
}

void TfrmSetupRealTime::SetCountText(const QString& text)
{
    edtRealTimeNo->setText(text);
}

void TfrmSetupRealTime::setFields(const RealTimeSetupFields& f)
{
    SetCountText(f.count);
    ComboBox1->setCurrentIndex(f.minutesIndex < ComboBox1->count() ? f.minutesIndex : -1);
    ComboBox2->setCurrentIndex(f.secondsIndex < ComboBox2->count() ? f.secondsIndex : -1);
    edtPeriod->setText(f.period);
}

RealTimeSetupFields TfrmSetupRealTime::fields() const
{
    return {CountText(), ComboBox1->currentIndex(), ComboBox2->currentIndex(), edtPeriod->text()};
}

void TfrmSetupRealTime::ComboBox1Change()
{
    int minutes = ComboBox1->currentIndex();
    int seconds = ComboBox2->currentIndex();
    if (RealTimeSetup::fixZeroRate(minutes, seconds)) {
        ComboBox1->setCurrentIndex(minutes);
        ComboBox2->setCurrentIndex(seconds);
    }
    edtPeriod->setText(
        RealTimeSetup::period(CountText(), std::max(minutes, 0), std::max(seconds, 0)));
}

void TfrmSetupRealTime::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    centreOnScreen(*this);
}

SetupDialogRunner setupRealTimeDialog(QWidget* parent, std::function<int(QDialog&)> run)
{
    return fieldsDialog<TfrmSetupRealTime, RealTimeSetupFields>(parent, std::move(run));
}

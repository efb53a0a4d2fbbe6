// SPDX-License-Identifier: GPL-3.0-or-later
#include "logger/USetup.h"

#include "base/ErrorBox.h"
#include "base/SilentAbort.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kClockCaption = QStringLiteral("Adjust Meter Time To Computer Time");
const QString kIntervalCaption = QStringLiteral("Adjust Meter Recording Interval ");
const QString kEraseCaption = QStringLiteral("Erase Meter Memory");
const QString kReadCaption = QStringLiteral("Read  ");
const QString kDefaultsCaption = QStringLiteral("Set to K type and zero EXT offset");
const QString kSetupAllCaption = QStringLiteral("Setup All");
const QString kIntervalMask = QStringLiteral("99;_"); // two digits, blanks shown as "_"

template <class W>
W* named(W* w, const QString& name)
{
    w->setObjectName(name);
    return w;
}

QLabel* statusLabel(QWidget* parent, const QString& name)
{
    auto* l = named(new QLabel(kLabelOk, parent), name);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    l->setMinimumWidth(l->fontMetrics().horizontalAdvance(kLabelFail) + 8);
    return l;
}

void setColour(QLabel* label, const QColor& colour)
{
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, colour);
    label->setPalette(p);
}

QLineEdit* valueEdit(QWidget* parent, const QString& name, const QString& text)
{
    auto* e = named(new QLineEdit(text, parent), name);
    e->setAlignment(Qt::AlignRight);
    e->setMinimumWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("-000.00000000")) + 12);
    return e;
}

QLineEdit* intervalEdit(QWidget* parent, const QString& name, const QString& text)
{
    auto* e = named(new QLineEdit(parent), name);
    e->setInputMask(kIntervalMask);
    e->setText(text);
    e->setAlignment(Qt::AlignCenter);
    e->setFixedWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 14);
    return e;
}

} // namespace

TfrmSetup::TfrmSetup(ISetupHost& host, DownloadServices services, QWidget* parent)
    : QWidget(parent), commands_(host, *this, std::move(services))
{
    setObjectName(QStringLiteral("frmSetup"));
    setWindowTitle(QStringLiteral("Data Logger Setup"));
    setAttribute(Qt::WA_DeleteOnClose);
    ShowMessageBox = [this](const QString& text) {
        QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok, this);
        box.exec();
    };
    AskQuestion = [this](const QString& text) {
        return QMessageBox::question(this, QApplication::applicationName(), text,
                                     QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
            == QMessageBox::Yes;
    };
    CreateControls();
}

void TfrmSetup::CreateControls()
{
    auto button = [this](const QString& name, const QString& caption, void (TfrmSetup::*slot)()) {
        auto* b = named(new QPushButton(caption, this), name);
        connect(b, &QPushButton::clicked, this, slot);
        return b;
    };
    Button1 = button(QStringLiteral("Button1"), kClockCaption, &TfrmSetup::Button1Click);
    Button2 = button(QStringLiteral("Button2"), kIntervalCaption, &TfrmSetup::Button2Click);
    Button3 = button(QStringLiteral("Button3"), kEraseCaption, &TfrmSetup::Button3Click);
    Button4 = button(QStringLiteral("Button4"), kReadCaption, &TfrmSetup::Button4Click);
    Button5 = button(QStringLiteral("Button5"), kDefaultsCaption, &TfrmSetup::Button5Click);
    Button6 = button(QStringLiteral("Button6"), kSetupAllCaption, &TfrmSetup::Button6Click);
    Button7 = button(QStringLiteral("Button7"), QStringLiteral("Button7"), &TfrmSetup::Button7Click);
    Button8 = button(QStringLiteral("Button8"), QStringLiteral("Button8"), &TfrmSetup::Button8Click);
    QFont big = Button6->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.6);
    Button6->setFont(big);
    Button6->setMinimumHeight(Button6->sizeHint().height() * 3 / 2);

    lblOK1 = statusLabel(this, QStringLiteral("lblOK1"));
    lblOK2 = statusLabel(this, QStringLiteral("lblOK2"));
    lblOK3 = statusLabel(this, QStringLiteral("lblOK3"));
    lblOK4 = statusLabel(this, QStringLiteral("lblOK4"));
    for (QLabel* l : {lblOK1, lblOK2, lblOK3, lblOK4})
        setColour(l, Qt::darkGreen);
    lblStatus = named(new QLabel(this), QStringLiteral("lblStatus"));
    lblReceivedBytes = named(new QLabel(this), QStringLiteral("lblReceivedBytes"));
    lblStatus->hide();
    lblReceivedBytes->hide();

    // A button with its status label beside it.
    auto withStatus = [](QPushButton* b, QLabel* status) {
        auto* row = new QHBoxLayout;
        row->addWidget(b, 1);
        row->addWidget(status);
        return row;
    };

    GroupBox1 = named(new QGroupBox(QStringLiteral("Meter Recording Interval "), this), QStringLiteral("GroupBox1"));
    edtInt1 = intervalEdit(GroupBox1, QStringLiteral("edtInt1"), QStringLiteral("00"));
    edtInt2 = intervalEdit(GroupBox1, QStringLiteral("edtInt2"), QStringLiteral("02"));
    auto* intervalRow = new QHBoxLayout;
    intervalRow->addWidget(edtInt1);
    intervalRow->addWidget(new QLabel(QStringLiteral(":"), GroupBox1));
    intervalRow->addWidget(edtInt2);
    intervalRow->addWidget(new QLabel(QStringLiteral("mm:ss(00:01~59:59)"), GroupBox1));
    intervalRow->addStretch(1);
    auto* intervalBox = new QVBoxLayout(GroupBox1);
    intervalBox->addLayout(intervalRow);
    intervalBox->addLayout(withStatus(Button2, lblOK2));

    GroupBox4 = named(new QGroupBox(QStringLiteral("set default value"), this), QStringLiteral("GroupBox4"));
    Button5->setParent(GroupBox4);
    lblOK4->setParent(GroupBox4);
    auto* defaultsBox = new QVBoxLayout(GroupBox4);
    defaultsBox->addLayout(withStatus(Button5, lblOK4));

    GroupBox2 = named(new QGroupBox(QStringLiteral("Meter DataLogger Information"), this), QStringLiteral("GroupBox2"));
    const std::array<QString, 6> valueNames{
        QStringLiteral("lblFirmwareVersion"), QStringLiteral("lblMeterTime"),      QStringLiteral("lblInt"),
        QStringLiteral("lblDataSets"),        QStringLiteral("lblMemoryAvailable"), QStringLiteral("lblCoupleType")};
    std::array<QLabel*, 6> values{};
    auto* infoGrid = new QGridLayout(GroupBox2);
    for (std::size_t i = 0; i < values.size(); ++i) {
        infoGrid->addWidget(new QLabel(meterInfoCaptions()[i], GroupBox2), int(i), 0);
        values[i] = named(new QLabel(GroupBox2), valueNames[i]);
        values[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        values[i]->setMinimumWidth(values[i]->fontMetrics().horizontalAdvance(QStringLiteral("00/00/0000 00:00:00 AM")));
        infoGrid->addWidget(values[i], int(i), 1);
    }
    lblFirmwareVersion = values[0];
    lblMeterTime = values[1];
    lblInt = values[2];
    lblDataSets = values[3];
    lblMemoryAvailable = values[4];
    lblCoupleType = values[5];
    Button4->setParent(GroupBox2);
    infoGrid->addWidget(Button4, int(values.size()), 0, 1, 2, Qt::AlignLeft);
    infoGrid->setColumnStretch(1, 1);

    GroupBox3 = named(new QGroupBox(QStringLiteral("Adjust value"), this), QStringLiteral("GroupBox3"));
    auto* adjustGrid = new QGridLayout(GroupBox3);
    const QString columns[] = {QStringLiteral("Gain"), QStringLiteral("CJC offset"), QStringLiteral("EXT offset")};
    for (int c = 0; c < 3; ++c)
        adjustGrid->addWidget(new QLabel(columns[c], GroupBox3), 0, c + 1, Qt::AlignCenter);
    for (std::size_t ch = 0; ch < 4; ++ch) {
        const QString t = QStringLiteral("T%1").arg(ch + 1);
        const int row = int(ch) + 1;
        adjustGrid->addWidget(new QLabel(t, GroupBox3), row, 0);
        edtGain[ch] = valueEdit(GroupBox3, QStringLiteral("edt%1Gain").arg(t), QStringLiteral("1"));
        edtCjcOffset[ch] = valueEdit(GroupBox3, QStringLiteral("edt%1_CJC_offset").arg(t), QStringLiteral("0"));
        edtExtOffset[ch] = valueEdit(GroupBox3, QStringLiteral("edt%1_EXT_offset").arg(t), QStringLiteral("0"));
        adjustGrid->addWidget(edtGain[ch], row, 1);
        adjustGrid->addWidget(edtCjcOffset[ch], row, 2);
        adjustGrid->addWidget(edtExtOffset[ch], row, 3);
    }

    auto* left = new QVBoxLayout;
    left->addLayout(withStatus(Button1, lblOK1));
    left->addWidget(GroupBox1);
    left->addLayout(withStatus(Button3, lblOK3));
    left->addWidget(GroupBox4);
    left->addStretch(1);
    auto* right = new QVBoxLayout;
    right->addWidget(GroupBox2);
    right->addWidget(GroupBox3);
    right->addStretch(1);
    auto* columnsRow = new QHBoxLayout;
    columnsRow->addLayout(left, 1);
    columnsRow->addLayout(right, 1);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(Button6, 1);
    bottom->addWidget(Button7);
    bottom->addWidget(Button8);
    bottom->addWidget(lblStatus);
    bottom->addWidget(lblReceivedBytes);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columnsRow);
    layout->addLayout(bottom);
}

QLabel* TfrmSetup::okLabel(OkLabel label) const
{
    switch (label) {
    case OkLabel::Clock: return lblOK1;
    case OkLabel::Interval: return lblOK2;
    case OkLabel::Erase: return lblOK3;
    case OkLabel::Defaults: return lblOK4;
    }
    return lblOK1;
}

void TfrmSetup::SetOkLabel(OkLabel label, LabelState state)
{
    QLabel* l = okLabel(label);
    l->setText(state == LabelState::Ok ? kLabelOk : state == LabelState::Fail ? kLabelFail : QString());
    setColour(l, state == LabelState::Fail ? QColor(Qt::red) : QColor(Qt::darkGreen));
    l->repaint();
}

void TfrmSetup::ShowMessage(const QString& text)
{
    ShowMessageBox(text);
}

void TfrmSetup::ShowInfo(const MeterInfoTexts& t)
{
    const auto values = meterInfoValues(t);
    QLabel* const labels[] = {lblFirmwareVersion, lblMeterTime, lblInt, lblDataSets, lblMemoryAvailable, lblCoupleType};
    for (std::size_t i = 0; i < values.size(); ++i)
        labels[i]->setText(values[i]);
    for (std::size_t ch = 0; ch < 4; ++ch) {
        edtGain[ch]->setText(t.gains[ch]);
        edtCjcOffset[ch]->setText(t.cjcOffsets[ch]);
        edtExtOffset[ch]->setText(t.extOffsets[ch]);
    }
}

void TfrmSetup::SetDiagnosticStatus(const QString& text)
{
    lblStatus->setText(text);
}

void TfrmSetup::SetReceivedBytes(int count)
{
    lblReceivedBytes->setText(QString::number(count));
}

// One operation at a time, with the buttons off meanwhile; a close asked for during it comes
// after it.
void TfrmSetup::run(const std::function<void()>& operation)
{
    if (running_)
        return;
    {
        const BusyMarker busy(running_);
        const QList<QPushButton*> buttons = findChildren<QPushButton*>();
        for (QPushButton* b : buttons)
            b->setEnabled(false);
        guarded(operation);
        for (QPushButton* b : buttons)
            b->setEnabled(true);
    }
    if (closeRequested_) {
        QWidget* window = qobject_cast<QMdiSubWindow*>(parentWidget()) ? parentWidget() : this;
        window->close();
    }
}

void TfrmSetup::TakeOver()
{
    run([this] { commands_.Begin(); });
}

void TfrmSetup::Button1Click()
{
    run([this] { commands_.AdjustMeterTime(true); });
}

void TfrmSetup::Button2Click()
{
    run([this] { commands_.AdjustRecordingInterval(true, edtInt1->text(), edtInt2->text()); });
}

bool TfrmSetup::mayErase(EraseBy by)
{
    return AskQuestion(eraseQuestion(by, commands_.DataSetsInMeter()));
}

void TfrmSetup::Button3Click()
{
    run([this] {
        if (mayErase(EraseBy::EraseButton))
            commands_.EraseMeterMemory(true);
    });
}

void TfrmSetup::Button4Click()
{
    run([this] { commands_.ReadMeterInfo(); });
}

void TfrmSetup::Button5Click()
{
    run([this] { commands_.SetMeterDefaults(true); });
}

void TfrmSetup::Button6Click()
{
    run([this] {
        if (mayErase(EraseBy::SetupAll))
            commands_.SetupAll(edtInt1->text(), edtInt2->text());
    });
}

void TfrmSetup::Button7Click()
{
    Button4Click();
}

void TfrmSetup::Button8Click()
{
    run([this] { commands_.MeterHandshake(); });
}

void TfrmSetup::closeEvent(QCloseEvent* event)
{
    if (running_) {
        closeRequested_ = true;
        event->ignore();
        return;
    }
    commands_.End();
    event->accept();
}

TfrmSetup* OpenMeterSetup(ISetupHost& host, QMdiArea& area, QPointer<TfrmSetup>& dialog, DownloadServices services)
{
    if (dialog) {
        dialog->TakeOver();
        if (auto* sub = qobject_cast<QMdiSubWindow*>(dialog->parentWidget())) {
            sub->showNormal();
            area.setActiveSubWindow(sub);
        }
        return dialog;
    }
    auto* sub = new QMdiSubWindow(&area);
    sub->setObjectName(QStringLiteral("SetupSubWindow"));
    sub->setAttribute(Qt::WA_DeleteOnClose);
    auto* form = new TfrmSetup(host, std::move(services), sub);
    sub->setWidget(form);
    sub->setWindowTitle(form->windowTitle());
    area.addSubWindow(sub);
    dialog = form;
    form->TakeOver();
    if (!dialog)
        return nullptr; // closed meanwhile
    sub->adjustSize();
    QRect r = sub->frameGeometry();
    r.moveCenter(area.viewport()->rect().center());
    sub->move(r.topLeft());
    sub->show();
    area.setActiveSubWindow(sub);
    return form;
}

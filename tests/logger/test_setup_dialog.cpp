// SPDX-License-Identifier: GPL-3.0-or-later
// The set-up dialog over the simulated meter: its controls as the user finds them, the buttons
// forwarded to the set-up commands with labels and message boxes, the "&Setup" command that
// opens it once and brings it back, and its close giving the port back to the live link (after
// a running operation, never in the middle of one).
#include "SetupBench.h"

#include "logger/USetup.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>

namespace {

struct DialogBench : SimSetupHost {
    explicit DialogBench(sim::MeterConfig config = {}) : SimSetupHost(std::move(config))
    {
        area.resize(1000, 800);
    }
    QMdiArea area;
    QPointer<TfrmSetup> dialog;
    std::vector<QString> messages;
    std::vector<QString> questions;
    bool answerYes = true;

    TfrmSetup& open()
    {
        OpenMeterSetup(*this, area, dialog, services);
        dialog->ShowMessageBox = [this](const QString& t) { messages.push_back(t); };
        dialog->AskQuestion = [this](const QString& t) {
            questions.push_back(t);
            return answerYes;
        };
        return *dialog;
    }
};

QColor colour(const QLabel* l)
{
    return l->palette().color(QPalette::WindowText);
}

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

TEST(SetupDialog, ControlsAsTheUserFindsThem)
{
    DialogBench b;
    TfrmSetup& d = b.open();
    EXPECT_EQ(d.windowTitle(), "Data Logger Setup");
    const std::pair<const char*, const char*> buttons[] = {
        {"Button1", "Adjust Meter Time To Computer Time"}, {"Button2", "Adjust Meter Recording Interval "},
        {"Button3", "Erase Meter Memory"},                 {"Button4", "Read  "},
        {"Button5", "Set to K type and zero EXT offset"},  {"Button6", "Setup All"},
        {"Button7", "Button7"},                            {"Button8", "Button8"}};
    for (const auto& [name, caption] : buttons) {
        const auto* button = d.findChild<QPushButton*>(name);
        ASSERT_NE(button, nullptr) << name;
        EXPECT_EQ(button->text(), caption);
    }
    EXPECT_EQ(d.edtInt1->text(), "00");
    EXPECT_EQ(d.edtInt2->text(), "02");
    for (int ch = 1; ch <= 4; ++ch) {
        const auto text = [&](const char* pattern) {
            const auto* e = d.findChild<QLineEdit*>(QString(pattern).arg(ch));
            return e ? e->text() : QStringLiteral("missing");
        };
        EXPECT_EQ(text("edtT%1Gain"), "1");
        EXPECT_EQ(text("edtT%1_CJC_offset"), "0");
        EXPECT_EQ(text("edtT%1_EXT_offset"), "0");
    }
    for (const QLabel* l : {d.lblOK1, d.lblOK2, d.lblOK3, d.lblOK4}) {
        EXPECT_EQ(l->text(), "OK");
        EXPECT_EQ(colour(l), QColor(Qt::darkGreen));
    }
    EXPECT_TRUE(d.lblStatus->isHidden());
    EXPECT_TRUE(d.lblReceivedBytes->isHidden());
}

TEST(SetupDialog, SetupAllFillsTheDialog)
{
    DialogBench b;
    TfrmSetup& d = b.open();
    b.frames();
    d.edtInt1->selectAll();
    QTest::keyClicks(d.edtInt1, "1");
    d.edtInt2->selectAll();
    QTest::keyClicks(d.edtInt2, "30");
    QTest::mouseClick(d.Button6, Qt::LeftButton);

    EXPECT_TRUE(b.messages.empty());
    for (const QLabel* l : {d.lblOK1, d.lblOK2, d.lblOK3, d.lblOK4}) {
        EXPECT_EQ(l->text(), "OK");
        EXPECT_EQ(colour(l), QColor(Qt::darkGreen));
    }
    EXPECT_EQ(d.lblFirmwareVersion->text(), "23");
    EXPECT_EQ(d.lblInt->text(), "01:30(mm:ss)");
    EXPECT_EQ(d.lblDataSets->text(), "0");
    EXPECT_EQ(d.lblMemoryAvailable->text(), "16000");
    EXPECT_EQ(d.lblCoupleType->text(), "K");
    EXPECT_FALSE(d.lblMeterTime->text().isEmpty());
    EXPECT_EQ(d.edtGain[3]->text(), "1.00000000");
    EXPECT_EQ(d.edtCjcOffset[0]->text(), "0.00");
    EXPECT_EQ(d.edtExtOffset[2]->text(), "0.00");
    EXPECT_EQ(d.lblStatus->text(), kSendTiText);
    // The header page read for the question first.
    EXPECT_EQ(b.words(), (std::vector<std::string>{"P", "Q", "rtc", "clock", "tic", "int", "erase", "def", "V", "ti", "P", "Q"}));
    EXPECT_TRUE(d.Button1->isEnabled());
    EXPECT_EQ(b.cursorDepth, 0);
}

TEST(SetupDialog, ButtonsTellTheirOutcome)
{
    DialogBench b(spoiled({{"rtc", sim::ReplyFault::Kind::NoReply, 0, -1}}));
    TfrmSetup& d = b.open();
    d.Button1->click();
    EXPECT_EQ(d.lblOK1->text(), "Fail");
    EXPECT_EQ(colour(d.lblOK1), QColor(Qt::red));
    d.Button3->click();
    EXPECT_EQ(d.lblOK3->text(), "OK");
    EXPECT_EQ(b.messages, (std::vector<QString>{"Meter time updated fail, Error Code is 2", "Memory erased successfully"}));

    b.messages.clear();
    d.edtInt1->setText("00");
    d.edtInt2->setText("00");
    d.Button2->click();
    EXPECT_EQ(b.messages, std::vector<QString>{"Invalid Input"});
    EXPECT_TRUE(d.lblOK2->text().isEmpty());
    EXPECT_EQ(colour(d.lblOK2), QColor(Qt::darkGreen));
    // A cleared field is no number either.
    b.messages.clear();
    d.edtInt1->clear();
    d.edtInt2->setText("10");
    d.Button2->click();
    EXPECT_EQ(b.messages, std::vector<QString>{"Invalid Input"});
}

// Both commands that erase the meter's memory ask first, with the number of data sets the meter
// holds; No sends nothing that changes the meter.
TEST(SetupDialog, EraseAndSetupAllAskFirstNamingTheSetsThatWouldBeLost)
{
    sim::MeterConfig c;
    c.logger.runs = {fixtures::run(5), fixtures::run(6), fixtures::run(7)};
    DialogBench b(c);
    TfrmSetup& d = b.open();
    const QByteArray memory = b.meter.memory();
    b.words();
    b.answerYes = false;
    d.Button3->click();
    d.Button6->click();
    ASSERT_EQ(b.questions.size(), 2u);
    EXPECT_EQ(b.questions[0],
              "Erase the meter's memory?\n\nThe 3 data sets still in the meter's memory will be lost.");
    EXPECT_TRUE(b.questions[1].startsWith("Run Setup All?"));
    EXPECT_TRUE(b.questions[1].contains("The 3 data sets still in the meter's memory will be lost."));
    // Only the header page was read, twice.
    EXPECT_EQ(b.words(), (std::vector<std::string>{"P", "Q", "P", "Q"}));
    EXPECT_EQ(b.meter.memory(), memory);
    EXPECT_TRUE(b.messages.empty());
    EXPECT_EQ(d.lblOK3->text(), "OK"); // as the dialog opened

    b.answerYes = true;
    d.Button3->click();
    EXPECT_EQ(b.messages, std::vector<QString>{"Memory erased successfully"});
    EXPECT_NE(b.meter.memory(), memory);
    // A meter whose header cannot be read: the question says so rather than a number.
    b.meter.fallSilent(60000);
    d.Button3->click();
    ASSERT_EQ(b.questions.size(), 4u);
    EXPECT_TRUE(b.questions[3].contains("could not be read")) << b.questions[3].toStdString();
}

TEST(SetupDialog, OpenedOnceTakesThePortAndGivesItBackOnClose)
{
    DialogBench b;
    TfrmSetup* first = &b.open();
    EXPECT_FALSE(b.mainTimer);
    EXPECT_FALSE(b.receiverAttached);
    EXPECT_EQ(b.words(), std::vector<std::string>{"c"});
    auto* sub = qobject_cast<QMdiSubWindow*>(first->parentWidget());
    ASSERT_NE(sub, nullptr);
    EXPECT_FALSE(sub->isHidden());
    sub->showMinimized();

    TfrmSetup* again = &b.open();
    EXPECT_EQ(again, first);
    EXPECT_EQ(b.area.subWindowList().size(), 1);
    EXPECT_FALSE(sub->isMinimized());
    EXPECT_EQ(b.words(), std::vector<std::string>{"c"}); // the port is taken over again

    sub->close();
    flushDeletes();
    EXPECT_TRUE(b.dialog.isNull());
    EXPECT_TRUE(b.mainTimer);
    EXPECT_TRUE(b.receiverAttached);
    EXPECT_TRUE(b.area.subWindowList().isEmpty());
}

TEST(SetupDialog, CloseDuringAnOperationWaitsForItsEndAndOtherButtonsWait)
{
    DialogBench b;
    TfrmSetup& d = b.open();
    auto* sub = qobject_cast<QMdiSubWindow*>(d.parentWidget());
    b.frames();
    bool tried = false;
    b.duringWait = [&](int ms) {
        if (ms != Setup::kSetupAllPausesMs[3] || tried)
            return;
        tried = true;
        d.Button3Click(); // a second erase in the middle: ignored
        EXPECT_FALSE(d.Button3->isEnabled());
        sub->close();     // asked for in the 8 s pause before the read-back
        EXPECT_FALSE(b.receiverAttached);
    };
    QPointer<TfrmSetup> watch(&d);
    d.Button6Click();
    flushDeletes();
    EXPECT_TRUE(tried);
    EXPECT_TRUE(watch.isNull());
    EXPECT_TRUE(b.receiverAttached);
    EXPECT_TRUE(b.mainTimer);
    const auto words = b.words();
    EXPECT_EQ(std::count(words.begin(), words.end(), "erase"), 1);
    EXPECT_EQ(words.back(), "Q"); // the read-back ran to its end
}

// SPDX-License-Identifier: GPL-3.0-or-later
// The front panel's keys against the meter simulator on a pseudo-terminal: each click reaches
// the meter as its command letter and the meter's next frames show the effect on the panel.

#include "AppTestSupport.h"

#include "app/UMain.h"
#include "panel/PanelKey.h"
#include "panel/UPanel.h"
#include "tools/sim/PtyServer.h"

#include <QLabel>
#include <QTest>
#include <QTimer>

namespace {

void noSystemDevices(QStringList&) {}

// Frames a little faster than the MAX/MIN marks blink.
sim::PtyOptions meterOptions()
{
    sim::PtyOptions o;
    o.meter.frameIntervalMs = 400;
    return o;
}

class PanelKeysWithSimulator : public ::testing::Test {
protected:
    void SetUp() override
    {
        path_ = meter_.start();
        window_ = std::make_unique<TfrmMain>(QStringList{path_}, nullptr, &noSystemDevices);
        window_->SetPrompts(silentPrompts());
        window_->show();
        ASSERT_TRUE(waitFor([&] { return window_->StartupDone(); }, 30000));
        ASSERT_TRUE(window_->IsConnected());
        ASSERT_TRUE(window_->PanelWindow);
        panel_ = window_->PanelWindow;
        // The first frame has been shown.
        ASSERT_TRUE(waitFor([&] { return label("lblT1Value")->text() != "-------"; }, 5000));
    }
    void TearDown() override
    {
        if (window_)
            window_->close();
        window_.reset();
        meter_.stop();
    }

    int received(char letter)
    {
        int n = 0;
        meter_.withModel([&](sim::MeterModel& m) { n = m.commandsReceived(letter); });
        return n;
    }
    QLabel* label(const char* name) { return panel_->findChild<QLabel*>(name); }
    QWidget* element(const char* name) { return panel_->findChild<QWidget*>(name); }
    bool shown(const char* name) { return element(name)->isVisibleTo(panel_); }
    PanelKey* key(const char* name) { return panel_->findChild<PanelKey*>(name); }

    // Clicks a key and waits until the meter has the letter and the panel shows the effect.
    void press(const char* keyName, char letter, const std::function<bool()>& effect)
    {
        const int before = received(letter);
        QTest::mouseClick(key(keyName), Qt::LeftButton);
        EXPECT_TRUE(waitFor([&] { return received(letter) == before + 1; }, 3000))
            << keyName << " did not reach the meter";
        EXPECT_TRUE(waitFor(effect, 5000)) << keyName << " had no effect on the panel";
    }

    sim::PtyServer meter_{meterOptions()};
    QString path_;
    PrivateSettings settings_;
    std::unique_ptr<TfrmMain> window_;
    TfrmPanel* panel_ = nullptr;
};

TEST_F(PanelKeysWithSimulator, EveryKeyReachesTheMeterAndTheDisplayFollows)
{
    press("btnHOLD", 'H', [&] { return shown("imgHOLD"); });
    press("btnHOLD", 'H', [&] { return !shown("imgHOLD"); });

    press("btnRec", 'E', [&] { return shown("imgREC"); });
    press("btnRec", 'E', [&] { return !shown("imgREC"); });

    press("btnCF", 'C', [&] { return shown("imgt1F") && !shown("imgT1C"); });
    press("btnCF", 'C', [&] { return shown("imgT1C") && !shown("imgt1F"); });

    press("btnT1_T2", 'T', [&] { return label("lblT3")->text() == "T1-T2"; });
    press("btnT1_T2", 'T', [&] { return label("lblT3")->text() == "T3"; });
}

TEST_F(PanelKeysWithSimulator, MmaKeyShortPressStepsTheModeAndLongPressLeavesIt)
{
    // Short press: "M" on release, the meter shows MAX.
    press("btnMMA", 'M', [&] { return shown("lblMAX") && label("lblT2")->text().isEmpty(); });

    // Long press: "N" at the third tick while the key is held, nothing on release.
    panel_->MMATimer->setInterval(20);
    const int mBefore = received('M');
    QTest::mousePress(key("btnMMA"), Qt::LeftButton);
    EXPECT_TRUE(waitFor([&] { return received('N') == 1; }, 3000)) << "no long press";
    QTest::mouseRelease(key("btnMMA"), Qt::LeftButton);
    EXPECT_TRUE(waitFor([&] { return !shown("lblMAX") && label("lblT2")->text() == "T2"; }, 5000));
    QCoreApplication::processEvents();
    EXPECT_EQ(received('M'), mBefore) << "the release after a long press sends nothing";
}

// In the MAX/MIN mode every frame asks for the blinking: a frame must not put off the next blink.
TEST_F(PanelKeysWithSimulator, MaxMinMarksBlinkWhileFramesComeFasterThanTheBlink)
{
    press("btnMMA", 'M', [&] { return shown("lblMAX"); });
    press("btnMMA", 'M', [&] { return shown("lblMIN") && !shown("lblMAX"); });
    press("btnMMA", 'M', [&] { return window_->MaxMinTimer->isActive(); });
    int changes = 0;
    bool last = shown("lblMAX");
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (shown("lblMAX") != last) {
            last = !last;
            ++changes;
        }
        if (changes > 0) {
            EXPECT_EQ(shown("lblMAX"), shown("lblMIN")) << "the marks blink together";
        }
    });
    probe.start(20);
    waitFor([&] { return changes >= 4; }, 4000);
    EXPECT_GE(changes, 4) << "the marks hardly blink";
}

} // namespace

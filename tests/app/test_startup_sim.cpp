// SPDX-License-Identifier: GPL-3.0-or-later
// The whole start-up against the meter simulator on a pseudo-terminal: the meter sits on the
// third of four devices; the other three are plain pseudo-terminals whose master sides show
// what the program sent them.

#include "AppTestSupport.h"

#include "app/UMain.h"
#include "panel/UPanel.h"
#include "tools/sim/PtyServer.h"

#include <QComboBox>
#include <QLabel>
#include <QToolButton>

#include <memory>

namespace {
void noSystemDevices(QStringList&) {}
const QByteArray kIdentify = QByteArray::fromHex("024b0000000000000003");
} // namespace

TEST(StartupWithSimulator, MeterOnTheThirdOfFourDevicesIsFoundAndRemembered)
{
    PrivateSettings settings;
    sim::PtyServer meter{sim::PtyOptions{}};
    const QString meterPath = QString(meter.start());
    PlainPty a, b, d;
    const QStringList devices{a.path(), b.path(), meterPath, d.path()};

    {
        TfrmMain w(devices, nullptr, &noSystemDevices);
        w.SetPrompts(silentPrompts());
        w.show();
        ASSERT_TRUE(waitFor([&] { return w.StartupDone(); }, 30000));

        EXPECT_EQ(w.StatusText(0), meterPath);
        EXPECT_EQ(w.StatusText(1), "On Connection");
        EXPECT_EQ(w.ComboBoxDeviceName->currentIndex(), 2);
        EXPECT_TRUE(w.Port1().Active());
        EXPECT_TRUE(w.IsConnected());
        EXPECT_TRUE(w.btnRun->isEnabled());
        EXPECT_FALSE(w.btnStop->isEnabled());
        EXPECT_EQ(w.AppSettings().LastConnectedPort, 2);

        EXPECT_EQ(a.received(), kIdentify);
        EXPECT_EQ(b.received(), kIdentify);
        EXPECT_TRUE(d.received().isEmpty()) << "the fourth device is never touched";

        // The live stream runs: the panel leaves its dashes behind.
        ASSERT_TRUE(w.PanelWindow);
        const auto* t1 = w.PanelWindow->findChild<QLabel*>("lblT1Value");
        ASSERT_NE(t1, nullptr);
        EXPECT_TRUE(waitFor([&] { return t1->text() != "-------"; }, 5000)) << "no live frame";
        EXPECT_FALSE(w.PanelWindow->findChild<QLabel*>("lblNoConnection")->isVisibleTo(w.PanelWindow));
        EXPECT_NE(w.Reading().Channel[0], 0.0f);

        w.Exit1->trigger();
        EXPECT_FALSE(w.Port1().Active());
    }
    EXPECT_EQ(Settings::Read().LastConnectedPort, 2);
}

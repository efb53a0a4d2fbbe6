// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of the alarms for people to look at: the Alarms dialog, and the main window against
// the simulated meter with running alarms (the status bar, the panel, the marks on the recording)
// at 1600 x 900 and 1366 x 768, before and after the acknowledgement.
// kolva-alarm-screens FOLDER.
#include "alarms/UAlarms.h"
#include "app/AlarmStatus.h"
#include "app/AlarmWiring.h"
#include "app/RecorderWiring.h"
#include "app/UMain.h"
#include "base/DataFolder.h"
#include "base/WaitWithMessages.h"
#include "graph/USetupRealtime.h"
#include "support/PictureTool.h"
#include "support/ScriptedPrompts.h"
#include "tools/sim/PtyServer.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>

namespace {

void noDevices(QStringList&) {}

AlarmConfig sampleConfig()
{
    AlarmConfig c;
    for (const char* text : {"T1>40,hyst=2,for=2s", "T1:rise>60/20s,hyst=10", "T2<-18,hyst=1",
                             "T2:fall>5/60s", "T3:none", "T4:none", "lost,for=10s"})
        c.rules.push_back(*Alarm::parseRule(QString::fromLatin1(text)));
    return c;
}

void mainWindow(const QString& dir, const QSize& size, bool acknowledged)
{
    sim::PtyOptions options;
    options.meter.profile = std::make_shared<const sim::Profile>(*sim::Profile::parse(QStringLiteral(
        "T1: hold 24 for 20s, ramp 46 over 60s, hold for 10m, noise 0.3\n"
        "T2: hold 60 for 10s, approach 20 tau 30s for 10m, noise 0.2\n"
        "T3: hold 4 for 10m, noise 0.1\n"
        "T4: hold 22 for 40s, open for 10m\n")));
    options.meter.profileSpeed = 10;
    sim::PtyServer meter(options);
    const QString device = meter.start();

    ScriptedPrompts quiet;
    TfrmMain w({device}, nullptr, &noDevices);
    w.SetPrompts(quiet.prompts());
    w.Alarms().SetServices({});
    w.RealTime().SetDialogRunner([](QDialog& d) {
        auto& s = dynamic_cast<TfrmSetupRealTime&>(d);
        s.SetCountText(QStringLiteral("  100"));
        s.ComboBox1->setCurrentIndex(0);
        s.ComboBox2->setCurrentIndex(1);
        return int(QDialog::Accepted);
    });
    w.setGeometry(QRect(QPoint(0, 0), size));
    w.show();
    WaitUntil([&] { return w.StartupDone(); }, 30000);
    w.Alarms().SetConfig(sampleConfig());
    w.Run1->trigger();
    // T4's probe falls out at 4 s, T1 passes 40 degrees at 6.6 s and holds it 2 s.
    WaitUntil([&] { return w.Alarms().Engine().shown().size() >= 2; }, 20000);
    WaitWithMessages(1500);
    const QString name = QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
    picturetool::save(w, dir, QStringLiteral("main_alarm_%1.png").arg(name));
    if (acknowledged) {
        w.AcknowledgeAlarms1->trigger();
        WaitWithMessages(300);
        picturetool::save(w, dir, QStringLiteral("main_alarm_acknowledged_%1.png").arg(name));
    }
    w.Stop1->trigger();
    quiet.choices = {Answer::No};
    w.close();
}

} // namespace

int main(int argc, char** argv)
{
    picturetool::chooseOffscreenPlatform();
    QApplication app(argc, argv);
    const QString dir = picturetool::outputFolder(argc, argv);
    QTemporaryDir home;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home.path());
    setDataFolderOverride(home.path());

    {
        TfrmAlarms dialog;
        AlarmConfig c = sampleConfig();
        dialog.setFields(c);
        dialog.adjustSize();
        dialog.show();
        WaitWithMessages(100);
        picturetool::save(dialog, dir, QStringLiteral("alarms_dialog.png"));
        dialog.tabChannels->setCurrentIndex(1);
        dialog.channels[1].unit->setCurrentIndex(1);
        WaitWithMessages(100);
        picturetool::save(dialog, dir, QStringLiteral("alarms_dialog_T2_fahrenheit.png"));
    }
    mainWindow(dir, QSize(1600, 900), true);
    mainWindow(dir, QSize(1366, 768), false);
    return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of real-time recording for people to look at: the main window while the recorder
// records, after Stop, the set-up dialog, a journal that cannot be written, and a recording
// recovered from its journal. kolva-recorder-screens FOLDER.
#include "base/DataFolder.h"
#include "base/DateTime.h"
#include "app/RecorderWiring.h"
#include "app/UMain.h"
#include "base/WaitWithMessages.h"
#include "graph/ChartFixtures.h"
#include "graph/RealTimeSetup.h"
#include "graph/RecordingJournal.h"
#include "graph/UGraph.h"
#include "graph/USetupRealtime.h"
#include "support/PictureTool.h"
#include "support/ScriptedPrompts.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMdiSubWindow>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

namespace {

void noDevices(QStringList&) {}

void settle()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

// The main window at the given size, started, its meter "connected" and the ticks stopped.
std::unique_ptr<TfrmMain> mainWindow(const QSize& size, ScriptedPrompts& prompts)
{
    auto w = std::make_unique<TfrmMain>(QStringList{}, nullptr, &noDevices);
    w->SetPrompts(prompts.prompts());
    w->setGeometry(QRect(QPoint(0, 0), size));
    w->show();
    WaitUntil([&] { return w->StartupDone(); }, 10000);
    settle();
    w->MainTimer->stop();
    w->Link().State().Connected = true;
    w->MeterConnected(QStringLiteral("/dev/ttyUSB0"));
    return w;
}

// The recorder's time in the pictures: it passes as the samples are written.
struct PictureClock final : IClock {
    QDateTime start = QDateTime::currentDateTime();
    std::int64_t ms = 0;
    double Now() const override { return DateTime::fromQDateTime(start.addMSecs(ms)); }
    std::int64_t TickMs() const override { return ms; }
};

// Starts a recording of count samples at the rate and writes n of them.
void record(TfrmMain& w, PictureClock& clock, int count, int rateSeconds, int n)
{
    w.RealTime().SetClock(&clock);
    w.RealTime().SetDialogRunner([count, rateSeconds](QDialog& d) {
        auto& s = dynamic_cast<TfrmSetupRealTime&>(d);
        s.SetCountText(QStringLiteral("%1").arg(count, 5));
        s.ComboBox1->setCurrentIndex(rateSeconds / 60);
        s.ComboBox2->setCurrentIndex(rateSeconds % 60);
        return int(QDialog::Accepted);
    });
    w.Run1->trigger();
    for (int p = 0; p < n; ++p) {
        const int q = p * 40;
        clock.ms += 1000 * rateSeconds;
        w.RealTime().Recorder().AppendSample(
            clock.Now(), fixtures::channelValue(0, q) * 0.6f,
            fixtures::channelValue(1, q) * 0.6f, fixtures::channelValue(2, q) * 0.6f,
            fixtures::channelValue(3, q) * 0.6f);
    }
    w.Unsaved().RealTimeUnsaved = true;
    clock.ms += 1000;
}

void saveSub(TfrmGraph& g, const QString& dir, const QString& name)
{
    if (QMdiSubWindow* sub = GraphWindows::SubWindowOf(g))
        picturetool::save(*sub, dir, name);
}

} // namespace

int main(int argc, char** argv)
{
    picturetool::chooseOffscreenPlatform();
    QApplication app(argc, argv);
    const QString dir = picturetool::outputFolder(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QTemporaryDir data;
    setDataFolderOverride(data.path());
    // The settings the windows write at their end stay in the temporary folder too.
    qputenv("XDG_CONFIG_HOME", data.path().toUtf8());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, data.path());
    ScriptedPrompts quiet;
    PictureClock clock;

    for (const QSize& size : {QSize(1600, 900), QSize(1366, 768)}) {
        const QString suffix = size.width() == 1600
                                   ? QStringLiteral(".png")
                                   : QStringLiteral("-%1x%2.png").arg(size.width()).arg(size.height());
        auto w = mainWindow(size, quiet);
        record(*w, clock, 500, 2, 70);
        w->RealTime().Tick();
        settle();
        picturetool::save(*w, dir, QStringLiteral("recorder-recording") + suffix);
        saveSub(*w->RealTimeWindow, dir, QStringLiteral("recorder-recording-window") + suffix);
        w->Stop1->trigger();
        settle();
        picturetool::save(*w, dir, QStringLiteral("recorder-stopped") + suffix);
        saveSub(*w->RealTimeWindow, dir, QStringLiteral("recorder-stopped-window") + suffix);
        quiet.choices = {Answer::No};
        w->close();
    }

    {
        TfrmSetupRealTime d;
        d.setFields({RealTimeSetup::kInitialCount, 0, 2, RealTimeSetup::periodAtOpen(2)});
        d.show();
        settle();
        picturetool::save(d, dir, QStringLiteral("recorder-setup.png"));
        d.ComboBox1->setCurrentIndex(1);
        d.ComboBox1Change();
        settle();
        picturetool::save(d, dir, QStringLiteral("recorder-setup-changed.png"));
    }

    {
        // The journal folder is a file: the report in the status bar.
        QDir(QDir(data.path()).filePath(QStringLiteral("journal"))).removeRecursively();
        QFile blocker(QDir(data.path()).filePath(QStringLiteral("journal")));
        blocker.open(QIODevice::WriteOnly);
        blocker.close();
        auto w = mainWindow(QSize(1024, 700), quiet);
        record(*w, clock, 100, 1, 20);
        settle();
        picturetool::save(*w, dir, QStringLiteral("recorder-journal-failure-1024x700.png"));
        quiet.choices = {Answer::No};
        w->close();
        QFile::remove(blocker.fileName());
    }

    {
        // A journal left behind, recovered at the next start.
        {
            auto w = mainWindow(QSize(1600, 900), quiet);
            record(*w, clock, 500, 2, 120);
            // The program ends without being asked: the journal stays.
        }
        quiet.questionAnswer = true;
        auto w = mainWindow(QSize(1600, 900), quiet);
        WaitUntil([&] { return w->Graphs().Windows().size() == 2; }, 5000);
        for (TfrmGraph* g : w->Graphs().Windows())
            if (g->Role() == GraphRole::Plain) {
                if (QMdiSubWindow* sub = GraphWindows::SubWindowOf(*g))
                    sub->setGeometry(60, 40, 1200, 700);
                settle();
                picturetool::save(*w, dir, QStringLiteral("recorder-recovered.png"));
            }
    }
    setDataFolderOverride(QString());
    return 0;
}

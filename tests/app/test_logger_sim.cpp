// SPDX-License-Identifier: GPL-3.0-or-later
// The "Data Logger" command of the main window end to end: the simulated meter on a
// pseudo-terminal at 9600 baud given with --port, the real serial ports, the progress window
// while the blocks come, the sets listed and the first drawn in the data-logger window, the
// temporary file, and the live link running again afterwards.

#include "AppTestSupport.h"
#include "graph/TempFolder.h"
#include "support/ScriptedPrompts.h"

#include "app/UMain.h"
#include "graph/Chart.h"
#include "graph/UGraph.h"
#include "logger/UScope.h"
#include "tools/sim/PtyServer.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>

#include <unistd.h>

namespace {

void noSystemDevices(QStringList&) {}

sim::LoggedRun loggedRun(int samples, int rate, bool fahrenheit = false)
{
    sim::LoggedRun r;
    r.samples = samples;
    r.rateSeconds = rate;
    r.fahrenheit = fahrenheit;
    return r;
}

} // namespace

TEST(LoggerDownloadWithSimulator, TheMainWindowDownloadsTheSetsAndTheLiveLinkGoesOn)
{
    PrivateSettings settings;
    TempDataFolder folder;
    sim::PtyOptions options;
    options.meter.logger.runs = {loggedRun(12, 2), loggedRun(0, 5), loggedRun(9, 65, true)};
    sim::PtyServer meter(options);
    const QString path = meter.start();
    QByteArray memory;
    meter.withModel([&](sim::MeterModel& m) { memory = m.memory(); });
    const auto framesSent = [&] {
        int n = 0;
        meter.withModel([&](sim::MeterModel& m) { n = m.framesSent(); });
        return n;
    };

    ScriptedPrompts answers;
    TfrmMain w({path}, nullptr, &noSystemDevices);
    w.SetPrompts(answers.prompts());
    QStringList errors;
    w.Logger().Windows().SetDialogRunner([&](QDialog& d) {
        errors << d.findChild<QLabel*>("Label1")->text();
        d.reject();
        return d.result();
    });
    w.resize(1200, 800);
    w.show();
    ASSERT_TRUE(waitFor([&] { return w.StartupDone(); }, 30000));
    ASSERT_TRUE(w.IsConnected());
    ASSERT_TRUE(w.btnDataLogger->isEnabled());
    answers.asked.clear();

    // What the progress window shows while the blocks come.
    QString progressTitle, total;
    int largestCount = -1;
    bool busyCursor = false;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        busyCursor = busyCursor || QApplication::overrideCursor() != nullptr;
        if (TfrmScope* p = w.Logger().Windows().ProgressWindow()) {
            progressTitle = p->windowTitle();
            total = p->lblTotalBytes->text();
            largestCount = std::max(largestCount, p->lblBytesReceived->text().toInt());
        }
    });
    probe.start(20);
    w.btnDataLogger->click(); // the whole download, with the event loop running in its pauses
    probe.stop();

    EXPECT_TRUE(errors.isEmpty()) << errors.join(' ').toStdString();
    const int used = 257 + 3 * 24 + 8 * 21;
    const int expected = (used + 63) / 64 * 64;
    EXPECT_EQ(progressTitle, "Data Retriving Progress");
    EXPECT_EQ(total, QString::number(expected));
    EXPECT_GE(largestCount, expected - 2 * 64);
    EXPECT_TRUE(busyCursor);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(w.Logger().Windows().ProgressWindow(), nullptr);
    EXPECT_FALSE(w.Logger().InLoadData());

    ASSERT_EQ(w.DataSets().count(), 3);
    ASSERT_TRUE(w.LoggerWindow);
    TfrmGraph& logger = *w.LoggerWindow;
    EXPECT_EQ(logger.windowTitle(), "DataLogger");
    EXPECT_EQ(logger.Grid2->rowCount(), 3);
    EXPECT_EQ(logger.Grid2->item(2, 3)->text(), "01:05");
    EXPECT_EQ(logger.Chart1->Subsets(), 4);
    EXPECT_EQ(logger.Chart1->Points(), 12);
    EXPECT_EQ(logger.txtDataNo->text(), "12");
    EXPECT_TRUE(w.Unsaved().LoggerDataUnsaved);
    QFile temp(folder.path("temp/DataSetsTemp.tmp"));
    ASSERT_TRUE(temp.open(QIODevice::ReadOnly));
    EXPECT_EQ(temp.readAll(), memory.left(expected));

    // The device is back with the live port and the watchdog restarts the stream.
    EXPECT_TRUE(w.Port1().Active());
    EXPECT_TRUE(w.MainTimer->isActive());
    const int framesBefore = framesSent();
    EXPECT_TRUE(waitFor([&] { return framesSent() > framesBefore + 2 && w.IsConnected(); }, 10000));
    EXPECT_TRUE(w.btnDataLogger->isEnabled());

    // Closing the logger window asks first, the data not being saved.
    answers.asked.clear();
    answers.choices = {Answer::No};
    GraphWindows::SubWindowOf(logger)->close();
    EXPECT_EQ(answers.asked, QStringList{"Save DataLogger Data ?"});
    EXPECT_TRUE(waitFor([&] { return w.LoggerWindow.isNull(); }, 2000));
    EXPECT_FALSE(w.Unsaved().LoggerDataUnsaved);
    EXPECT_EQ(w.DataSets().count(), 3); // the store outlives the window

    w.close();
    meter.stop();
}

// Closing the program and opening the meter set-up while the meter sends its memory: the
// download goes on to its end, then the program asks about the new sets and ends.
TEST(LoggerDownloadWithSimulator, TheProgramEndsOnlyOnceTheDownloadHasEnded)
{
    PrivateSettings settings;
    TempDataFolder folder;
    sim::PtyOptions options;
    options.meter.logger.runs = {loggedRun(40, 2)};
    sim::PtyServer meter(options);
    const QString path = meter.start();

    ScriptedPrompts answers;
    TfrmMain w({path}, nullptr, &noSystemDevices);
    w.SetPrompts(answers.prompts());
    w.SetServiceMode(true);
    w.show();
    ASSERT_TRUE(waitFor([&] { return w.StartupDone(); }, 30000));
    ASSERT_TRUE(w.IsConnected());
    answers.asked.clear();

    bool asked = false, stayedOpen = false;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (asked || !w.Logger().Windows().ProgressWindow())
            return;
        asked = true;
        w.close();
        w.Setup1->trigger();
        stayedOpen = w.isVisible() && w.LoggerWindow;
    });
    probe.start(20);
    answers.choices = {Answer::No}; // "Save DataLogger Data ?"
    w.btnDataLogger->click();
    probe.stop();

    ASSERT_TRUE(asked);
    EXPECT_TRUE(stayedOpen);
    EXPECT_TRUE(w.SetupDialog.isNull());
    EXPECT_EQ(answers.asked.filter("The program ends when it has ended").size(), 1);
    EXPECT_EQ(answers.asked.filter("Wait until the data logger download has ended").size(), 1);
    EXPECT_FALSE(answers.asked.contains("Save DataLogger Data ?")) << "not before the end";
    EXPECT_EQ(w.DataSets().count(), 1) << "the download was not cut short";
    EXPECT_TRUE(waitFor([&] { return !w.isVisible(); }, 5000));
    EXPECT_EQ(answers.asked.last(), "Save DataLogger Data ?");
    meter.stop();
}

// The adapter is pulled while the blocks come: the error dialog (without the hourglass) offers
// Try Again; after Cancel the device, back again, carries the live link.
TEST(LoggerDownloadWithSimulator, ADeviceLostInTheMiddleIsAFailedTransfer)
{
    PrivateSettings settings;
    TempDataFolder folder;
    sim::PtyOptions options;
    options.meter.logger.runs = {loggedRun(60, 2)};
    options.linkPath = QStringLiteral("/tmp/kolva-app-download-%1").arg(::getpid());
    sim::PtyServer meter(options);
    meter.start();

    ScriptedPrompts answers;
    TfrmMain w({options.linkPath}, nullptr, &noSystemDevices);
    w.SetPrompts(answers.prompts());
    QStringList errors;
    bool busyOverDialog = true;
    w.Logger().Windows().SetDialogRunner([&](QDialog& d) {
        errors << d.findChild<QLabel*>("Label1")->text();
        busyOverDialog = QApplication::overrideCursor() != nullptr;
        meter.comeBack();
        d.reject();
        return d.result();
    });
    w.show();
    ASSERT_TRUE(waitFor([&] { return w.StartupDone(); }, 30000));
    ASSERT_TRUE(w.IsConnected());

    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        TfrmScope* p = w.Logger().Windows().ProgressWindow();
        if (p && p->lblBytesReceived->text().toInt() >= 128 && meter.present())
            meter.hangUp();
    });
    probe.start(10);
    w.btnDataLogger->click();
    probe.stop();

    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors[0], "There was error when reading data from meter");
    EXPECT_FALSE(busyOverDialog);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(w.Logger().InLoadData());
    EXPECT_EQ(w.DataSets().count(), 0);
    // The watchdog restarts the stream on the device that came back.
    const auto framesSent = [&] {
        int n = 0;
        meter.withModel([&](sim::MeterModel& m) { n = m.framesSent(); });
        return n;
    };
    const int framesBefore = framesSent();
    EXPECT_TRUE(waitFor([&] { return framesSent() > framesBefore + 2 && w.IsConnected(); }, 10000));
    EXPECT_TRUE(w.Port1().Active());
    w.close();
    meter.stop();
}

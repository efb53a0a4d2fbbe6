// SPDX-License-Identifier: GPL-3.0-or-later
// The main window as the user meets it: menus and tool bar, the start-up without a meter, the
// splash's progress, the port change, the orderly end, the about box and the help.

#include "AppTestSupport.h"

#include "app/HelpWindow.h"
#include "app/MeterSearch.h"
#include "app/UAbout.h"
#include "app/UMain.h"
#include "link/ComPort.h"
#include "panel/UPanel.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTextBrowser>
#include <QUrl>

#include <memory>

namespace {

QStringList captions(const QMenu* menu)
{
    QStringList list;
    for (const QAction* a : menu->actions())
        list << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return list;
}

QStringList systemDevices()
{
    QStringList list;
    TComPort::ListDeviceNames(list);
    return list;
}

// The tests see no serial devices of the machine's own, only the ones they make.
void noSystemDevices(QStringList&) {}

int panelWindows(const TfrmMain& w)
{
    int n = 0;
    for (const QMdiSubWindow* sub : w.MdiArea->subWindowList())
        n += qobject_cast<TfrmPanel*>(sub->widget()) ? 1 : 0;
    return n;
}

std::unique_ptr<TfrmMain> startedWindow(const QStringList& extra, TfrmAbout* splash = nullptr)
{
    auto w = std::make_unique<TfrmMain>(extra, nullptr, &noSystemDevices);
    w->SetPrompts(silentPrompts());
    w->SetSplash(splash);
    w->show();
    EXPECT_TRUE(waitFor([&] { return w->StartupDone(); }, 30000));
    return w;
}

} // namespace

TEST(MainWindow, MenusAsLaidOut)
{
    PrivateSettings settings;
    TfrmMain w;
    EXPECT_EQ(w.windowTitle(), "KOLVA");

    QStringList menus;
    for (const QAction* a : w.menuBar()->actions())
        menus << a->text();
    EXPECT_EQ(menus, (QStringList{"&File", "Real Time", "&Data Logger", "&View", "&Window", "&Help"}));

    EXPECT_EQ(captions(w.File1),
              (QStringList{"&Open", "&Save", "-", "&Print", "&Printer Setup", "-", "E&xit"}));
    EXPECT_EQ(captions(w.RealTime1),
              (QStringList{"Run", "Stop", "-", "&Alarms...", "Ac&knowledge Alarms"}));
    EXPECT_EQ(w.AcknowledgeAlarms1->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+A")));
    EXPECT_EQ(captions(w.DataLogger1), (QStringList{"&Load ", "&Setup"}));
    EXPECT_EQ(captions(w.View1), (QStringList{"&Control Panel", "Real Time &Graph"}));
    EXPECT_EQ(captions(w.Window1), (QStringList{"&Tile", "&Cascade"}));
    EXPECT_EQ(captions(w.Help1), (QStringList{"&Contents", "-", "&About"}));

    EXPECT_FALSE(w.Run1->isEnabled());
    EXPECT_FALSE(w.Stop1->isEnabled());
    EXPECT_FALSE(w.Setup1->isVisible());
    EXPECT_TRUE(w.ControlPanel1->isChecked());
    EXPECT_TRUE(w.RealTimeGraph1->isChecked());

    for (const char* name : {"Open1", "Save1", "Print1", "PrinterSetup1", "Exit1", "Run1", "Stop1",
                             "Alarms1", "AcknowledgeAlarms1", "LoadData1", "Setup1", "ControlPanel1",
                             "RealTimeGraph1", "Tile1", "Cascade1", "Contents1", "About1"})
        EXPECT_NE(w.findChild<QAction*>(name), nullptr) << name;
    EXPECT_EQ(w.findChild<QMenu*>("DataLogger1"), w.DataLogger1);
}

TEST(MainWindow, ToolBarAndStatusBarAsLaidOut)
{
    PrivateSettings settings;
    TfrmMain w;
    w.show();
    EXPECT_EQ(w.findChild<QToolBar*>("Panel1")->height(), 36);

    struct Expected {
        const char* name;
        const char* hint;
        bool enabled;
    };
    const Expected buttons[] = {
        {"SpeedButton1", "Open File", true},
        {"SpeedButton2", "Save to file", true},
        {"btnPrint", "Print", true},
        {"btnDataLogger", "Data Logger", true},
        {"btnOutputToGraph", "Output Tabular to graph", false},
        {"btnRun", "Start Graphing Real Time Data", false},
        {"btnStop", "Stop Graphing Real Time Data", false},
        {"SpeedButton8", "Help", true},
    };
    int lastX = -1;
    for (const Expected& e : buttons) {
        const auto* b = w.findChild<QToolButton*>(e.name);
        ASSERT_NE(b, nullptr) << e.name;
        EXPECT_EQ(b->toolTip(), e.hint) << e.name;
        EXPECT_EQ(b->isEnabled(), e.enabled) << e.name;
        EXPECT_FALSE(b->icon().isNull()) << e.name;
        EXPECT_GT(b->x(), lastX) << e.name << " is out of order";
        lastX = b->x();
    }
    const auto* combo = w.findChild<QComboBox*>("ComboBoxDeviceName");
    ASSERT_NE(combo, nullptr);
    EXPECT_GT(combo->x(), lastX);
    EXPECT_EQ(combo->placeholderText(), "ComPort");
    EXPECT_EQ(combo->count(), systemDevices().size());

    // The program's own icons load (the SVG engine is there).
    EXPECT_FALSE(QIcon(":/icons/run.svg").pixmap(24, 24).isNull());

    ASSERT_NE(w.findChild<QWidget*>("StatusBar1"), nullptr);
    EXPECT_GE(w.StatusPanels[0]->minimumWidth(), 150);
    EXPECT_GE(w.StatusPanels[1]->minimumWidth(), 50);
    EXPECT_GE(w.StatusPanels[1]->minimumWidth(),
              w.StatusPanels[1]->fontMetrics().horizontalAdvance("Off Connection"));

    EXPECT_EQ(w.MdiArea->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(w.MdiArea->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(w.MdiArea->frameShape(), QFrame::NoFrame);
    EXPECT_FALSE(w.MainTimer->isActive());
    EXPECT_EQ(w.MainTimer->interval(), 1000);
    EXPECT_EQ(w.MaxMinTimer->interval(), 500);
}

TEST(MainWindow, StartWithoutAMeterShowsOffConnectionAndRunsTheWatchdog)
{
    PrivateSettings settings;
    QPointer<TfrmAbout> splash = new TfrmAbout(TfrmAbout::Mode::Splash);
    splash->ShowSplash();
    auto w = startedWindow({}, splash);

    EXPECT_EQ(w->StatusText(0), "ComPort");
    EXPECT_EQ(w->StatusText(1), "Off Connection");
    EXPECT_FALSE(w->Port1().Active());
    EXPECT_TRUE(w->MainTimer->isActive());
    EXPECT_FALSE(w->Setup1->isVisible());
    ASSERT_TRUE(w->PanelWindow);
    EXPECT_EQ(w->PanelWindow->parentWidget()->pos(), QPoint(0, 0));
    const auto* noConnection = w->PanelWindow->findChild<QLabel*>("lblNoConnection");
    ASSERT_NE(noConnection, nullptr);
    EXPECT_TRUE(noConnection->isVisibleTo(w->PanelWindow));
    EXPECT_TRUE(waitFor([&] { return splash.isNull(); }, 2000)) << "the splash is freed";

    // Ticks of the watchdog keep trying the placeholder device without harm.
    for (int i = 0; i < 4; ++i)
        w->MainTimerTimer();
    EXPECT_EQ(w->StatusText(1), "Off Connection");
}

TEST(MainWindow, ADeviceThatCannotBeOpenedIsExplainedInTheStatusBarAndThePortList)
{
    PrivateSettings settings;
    PlainPty pty;
    const QString gone = QStringLiteral("/dev/kolva-test-no-such-device");
    auto w = startedWindow({gone, pty.path()});
    const auto* notice = w->findChild<QLabel*>("PortAccessNotice");
    ASSERT_NE(notice, nullptr);
    // The device that is not there is preselected and named, in the notice and in the tool tips
    // (once the look-up, which runs away from the window, has answered).
    EXPECT_EQ(w->StatusText(1), "Off Connection");
    EXPECT_TRUE(waitFor([&] { return notice->isVisibleTo(w.get()); }, 5000));
    EXPECT_TRUE(waitFor([&] { return w->ComboBoxDeviceName->itemData(0, Qt::ToolTipRole).isValid(); }, 5000));
    EXPECT_TRUE(notice->toolTip().contains(gone)) << notice->toolTip().toStdString();
    EXPECT_EQ(w->ComboBoxDeviceName->toolTip(), notice->toolTip());
    EXPECT_TRUE(w->ComboBoxDeviceName->itemData(0, Qt::ToolTipRole).toString().contains(gone));
    EXPECT_FALSE(w->ComboBoxDeviceName->itemData(1, Qt::ToolTipRole).isValid());

    // A device that opens has nothing to explain.
    w->ComboBoxDeviceName->setCurrentIndex(1);
    emit w->ComboBoxDeviceName->activated(1);
    EXPECT_FALSE(notice->isVisibleTo(w.get()));
    EXPECT_EQ(w->ComboBoxDeviceName->toolTip(), "Serial port of the meter");
}

TEST(MainWindow, ServiceModeShowsTheMeterSetup)
{
    PrivateSettings settings;
    auto w = std::make_unique<TfrmMain>(QStringList{}, nullptr, &noSystemDevices);
    w->SetPrompts(silentPrompts());
    w->SetServiceMode(true);
    w->show();
    ASSERT_TRUE(waitFor([&] { return w->StartupDone(); }, 30000));
    EXPECT_TRUE(w->Setup1->isVisible());
}

TEST(MainWindow, SplashNamesEachDeviceWhileItIsTried)
{
    PrivateSettings settings;
    PlainPty pty;
    ASSERT_FALSE(pty.path().isEmpty());
    QPointer<TfrmAbout> splash = new TfrmAbout(TfrmAbout::Mode::Splash);
    splash->ShowSplash();
    EXPECT_FALSE(splash->BitBtn1->isVisibleTo(splash));

    QStringList seen;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (splash && !seen.contains(splash->Label4->text()))
            seen << splash->Label4->text();
    });
    probe.start(50);
    auto w = startedWindow({pty.path()}, splash);
    EXPECT_TRUE(seen.contains("Searching Meter on " + pty.path())) << seen.join('|').toStdString();
    // No meter: the first device of the list is preselected.
    EXPECT_EQ(w->StatusText(0), w->ComboBoxDeviceName->itemText(0));
    EXPECT_EQ(w->ComboBoxDeviceName->currentIndex(), 0);
    EXPECT_EQ(w->StatusText(1), "Off Connection");
}

TEST(MainWindow, PortChangeIsRememberedByClosingTheWindowButNotByExit)
{
    PrivateSettings settings;
    PlainPty first, second;
    // E&xit ends the program without writing the settings.
    {
        auto w = startedWindow({first.path(), second.path()});
        w->ComboBoxDeviceName->setCurrentIndex(1);
        emit w->ComboBoxDeviceName->activated(1);
        EXPECT_EQ(w->AppSettings().LastConnectedPort, 1);
        w->Exit1->trigger();
        EXPECT_FALSE(w->isVisible());
        EXPECT_FALSE(w->Port1().Active());
    }
    EXPECT_EQ(Settings::Read().LastConnectedPort, 0);
    {
        auto w = startedWindow({first.path(), second.path()});
        EXPECT_FALSE(w->Port1().Active());
        EXPECT_EQ(w->ComboBoxDeviceName->currentIndex(), 0);

        w->ComboBoxDeviceName->setCurrentIndex(1);
        emit w->ComboBoxDeviceName->activated(1);
        EXPECT_EQ(w->Port1().DeviceName(), second.path());
        EXPECT_TRUE(w->Port1().Active());
        EXPECT_EQ(w->AppSettings().LastConnectedPort, 1);

        w->close();
        EXPECT_FALSE(w->isVisible());
        EXPECT_FALSE(w->Port1().Active());
    }
    const Settings stored = Settings::Read();
    EXPECT_EQ(stored.LastConnectedPort, 1);
    EXPECT_EQ(stored.RealTimeRate, 2);
    EXPECT_EQ(stored.LastConnectedModel, 461);

    // The next start preselects the remembered device when no meter answers.
    auto again = startedWindow({first.path(), second.path()});
    EXPECT_EQ(again->ComboBoxDeviceName->currentIndex(), 1);
    EXPECT_EQ(again->StatusText(0), second.path());
}

TEST(MainWindow, ClosingAndReopeningTheControlPanel)
{
    PrivateSettings settings;
    auto w = startedWindow({});
    ASSERT_TRUE(w->PanelWindow);
    w->PanelWindow->parentWidget()->close();
    EXPECT_TRUE(waitFor([&] { return w->PanelWindow.isNull(); }, 2000));
    EXPECT_FALSE(w->ControlPanel1->isChecked());

    w->ControlPanel1->trigger();
    ASSERT_TRUE(w->PanelWindow);
    EXPECT_TRUE(w->ControlPanel1->isChecked());
    EXPECT_EQ(w->PanelWindow->parentWidget()->pos(), QPoint(0, 0));
    EXPECT_EQ(panelWindows(*w), 1);

    w->PanelWindow->parentWidget()->showMinimized();
    w->ControlPanel1->trigger();
    EXPECT_FALSE(w->PanelWindow->parentWidget()->isMinimized());
    EXPECT_EQ(panelWindows(*w), 1);
}

TEST(MainWindow, AboutShowsAFreshBoxEachTime)
{
    PrivateSettings settings;
    TfrmMain w;
    QList<QPointer<TfrmAbout>> boxes;
    QStringList label4, version;
    const auto closeWhenShown = [&] {
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<TfrmAbout*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            boxes << box;
            label4 << box->Label4->text();
            version << box->Label2->text();
            EXPECT_TRUE(box->BitBtn1->isVisible());
            EXPECT_EQ(box->Label3->text(), "Four Channel Thermometer Software");
            EXPECT_GE(box->width(), 311);
            EXPECT_LE(box->Label3->geometry().right(), box->width()) << "title cut off";
            // The licence below the designed box, whole.
            EXPECT_GE(box->lblCopyright->y(), 95);
            EXPECT_TRUE(box->lblLicence->text().contains("GPL-3.0-or-later"));
            EXPECT_LE(box->lblLicence->geometry().bottom(), box->height()) << "licence cut off";
            box->BitBtn1->click();
        });
    };
    closeWhenShown();
    w.About1Click();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].isNull()) << "the first box is freed when it closes";
    closeWhenShown();
    w.About1->trigger();
    ASSERT_EQ(boxes.size(), 2);
    EXPECT_TRUE(boxes[1].isNull());
    EXPECT_EQ(label4, (QStringList{"", ""}));
    EXPECT_EQ(version, (QStringList{KOLVA_VERSION, KOLVA_VERSION}));
    EXPECT_TRUE(w.AboutDialog.isNull());
}

TEST(MainWindow, HelpOpensTheGuideBesideTheProgramOrSaysItIsMissing)
{
    PrivateSettings settings;
    TfrmMain w;
    QList<QUrl> opened;
    QStringList messages;
    w.OpenDocument = [&](const QUrl& url) {
        opened << url;
        return true;
    };
    w.ShowHelpMissing = [&](const QString& text) { messages << text; };

    const QString path = w.HelpFilePath();
    EXPECT_EQ(QFileInfo(path).dir(), QDir(QCoreApplication::applicationDirPath()));
    QFile::remove(path);
    w.Contents1->trigger();
    EXPECT_TRUE(opened.isEmpty());
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("KOLVAHELP.htm"));

    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("<html><body><h1>The KOLVA guide</h1></body></html>");
    }
    w.SpeedButton8->click();
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(path));
    EXPECT_EQ(messages.size(), 1);
    EXPECT_TRUE(w.HelpViewer.isNull());

    // A desktop without a program for it: the guide opens in a window of the program, once.
    bool desktopOpens = false;
    w.OpenDocument = [&](const QUrl&) { return desktopOpens; };
    w.Contents1->trigger();
    w.Contents1->trigger();
    QFile::remove(path);
    ASSERT_FALSE(w.HelpViewer.isNull());
    EXPECT_TRUE(w.HelpViewer->isVisible());
    EXPECT_TRUE(w.HelpViewer->Browser->toPlainText().contains("The KOLVA guide"));
    EXPECT_EQ(w.findChildren<HelpWindow*>().size(), 1);
    EXPECT_EQ(messages.size(), 1);
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of the main window's shell, for people to look at: kolva-shell-screens FOLDER.
//   splash.png                    the splash while the search tries a device
//   main-WxH.png                  the main window after its start-up (panel and real-time graph)
//   main-panel-150-WxH.png        the same with the panel enlarged to 1.5 times
//   help-WxH.png                  the guide in the program's own window, where the desktop has
//                                 no program for it
// each at 1600 x 900 and 1366 x 768.
#include "support/PictureTool.h"
#include "support/ShownMainWindow.h"

#include "app/HelpWindow.h"
#include "app/UAbout.h"
#include "app/UReport.h"
#include "base/DataFolder.h"
#include "panel/UPanel.h"

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSettings>
#include <QTemporaryDir>
#include <QUrl>

namespace {

void settle()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

void shell(const QSize& size, const QString& dir)
{
    const QString suffix = QStringLiteral("-%1x%2.png").arg(size.width()).arg(size.height());
    ShownMainWindow shown(size);
    TfrmMain& main = shown.main;
    settle();
    picturetool::save(main, dir, QStringLiteral("main") + suffix);

    // As the user enlarges it: from its own menu, so it is the active window, in front.
    main.PanelWindow->SetScale(1.5);
    main.MdiArea->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(main.PanelWindow->parentWidget()));
    settle();
    picturetool::save(main, dir, QStringLiteral("main-panel-150") + suffix);
    main.PanelWindow->SetScale(1.0);

    main.OpenDocument = [](const QUrl&) { return false; };
    main.Contents1->trigger();
    settle();
    if (main.HelpViewer) {
        main.HelpViewer->resize(std::min(size.width() * 9 / 10, 900),
                                std::min(size.height() * 9 / 10, 700));
        settle();
        picturetool::save(*main.HelpViewer, dir, QStringLiteral("help") + suffix);
        main.HelpViewer->close();
    }
    main.close();
}

} // namespace

int main(int argc, char** argv)
{
    picturetool::chooseOffscreenPlatform();
    QApplication app(argc, argv);
    const QString dir = picturetool::outputFolder(argc, argv);
    QTemporaryDir data;
    setDataFolderOverride(data.path());
    qputenv("XDG_CONFIG_HOME", data.path().toUtf8());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, data.path());

    {
        auto* splash = new TfrmAbout(TfrmAbout::Mode::Splash);
        splash->ShowSplash();
        splash->SetProgress(QStringLiteral("Searching Meter on /dev/ttyUSB0"));
        settle();
        picturetool::save(*splash, dir, QStringLiteral("splash.png"));
        splash->close();
    }
    {
        // What Report... asks, with the fields of a report made before.
        TfrmReport report;
        report.setFields({QStringLiteral("Kiln firing 12"), QStringLiteral("A. Tester"),
                          QStringLiteral("Door sealed with new rope.\nCones 6 and 7 bent.")});
        report.show();
        settle();
        picturetool::save(report, dir, QStringLiteral("report-dialog.png"));
    }
    for (const QSize& size : {QSize(1600, 900), QSize(1366, 768)})
        shell(size, dir);
    setDataFolderOverride(QString());
    return 0;
}

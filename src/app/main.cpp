// SPDX-License-Identifier: GPL-3.0-or-later
// Program entry: the splash, the main window and its start-up, the message loop.

#include "base/ErrorBox.h"
#include "app/Screenshots.h"
#include "app/StartupTrace.h"
#include "app/UAbout.h"
#include "app/UMain.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QPointer>
#include <QScreen>

#include <exception>
#include <memory>
#include <optional>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("KOLVA"));
    QApplication::setApplicationName(QStringLiteral("KOLVA"));
    QApplication::setApplicationVersion(QStringLiteral(KOLVA_VERSION));
    // The desktop entry (and AppStream ID) the windows belong to.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.kolva.thermometer"));
    traceStartup("start");

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Four Channel Thermometer Software"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption portOption(
        QStringLiteral("port"),
        QStringLiteral("Also search the serial device PATH for the meter (repeatable)."),
        QStringLiteral("PATH"));
    parser.addOption(portOption);
    const QCommandLineOption serviceOption(
        QStringLiteral("service"),
        QStringLiteral("Service mode: show Data Logger > Setup, the meter set-up for technicians."));
    parser.addOption(serviceOption);
    parser.process(app);

    // The splash frees itself when the search closes it.
    QPointer<TfrmAbout> splash = new TfrmAbout(TfrmAbout::Mode::Splash);
    std::optional<TfrmMain> mainWindow;
    try {
        splash->ShowSplash();
        mainWindow.emplace(parser.values(portOption));
        mainWindow->SetSplash(splash);
        mainWindow->SetServiceMode(parser.isSet(serviceOption));
        if (qEnvironmentVariableIsSet("KOLVA_SCREENSHOT"))
            armScreenshots(*mainWindow, splash, qEnvironmentVariable("KOLVA_SCREENSHOT"));
        // Also fills the screen where no window manager maximises it.
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            mainWindow->setGeometry(screen->availableGeometry());
        mainWindow->showMaximized();
    } catch (const std::exception& e) {
        if (splash)
            splash->close();
        showStandardError(QString::fromUtf8(e.what()));
        return 1;
    }
    return app.exec();
}

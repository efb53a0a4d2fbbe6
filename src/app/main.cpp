// SPDX-License-Identifier: GPL-3.0-or-later
// Program entry: the splash, the main window and its start-up, the message loop.

#include "base/ErrorBox.h"
#include "app/Screenshots.h"
#include "app/StartupTrace.h"
#include "app/UAbout.h"
#include "app/UMain.h"
#include "resources/Artwork.h"

#include <QApplication>
#include <QByteArrayList>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QPointer>
#include <QScreen>

#include <exception>
#include <memory>
#include <optional>

namespace {

struct Options {
    explicit Options(QCommandLineParser& parser)
    {
        parser.setApplicationDescription(QStringLiteral("Four Channel Thermometer Software"));
        parser.addHelpOption();
        parser.addVersionOption();
        parser.addOption(port);
        parser.addOption(service);
    }
    const QCommandLineOption port{
        QStringLiteral("port"),
        QStringLiteral("Also search the serial device PATH for the meter (repeatable)."),
        QStringLiteral("PATH")};
    const QCommandLineOption service{
        QStringLiteral("service"),
        QStringLiteral("Service mode: show Data Logger > Setup, the meter set-up for technicians.")};
};

void nameTheApplication()
{
    QCoreApplication::setOrganizationName(QStringLiteral("KOLVA"));
    QCoreApplication::setApplicationName(QStringLiteral("KOLVA"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KOLVA_VERSION));
}

// --help and --version are answered without a window, so also where there is no display.
bool asksForHelpOrVersion(int argc, char** argv)
{
    static const QByteArrayList answered = {"--help", "-h", "-?", "--help-all", "--version", "-v"};
    for (int i = 1; i < argc; ++i)
        if (answered.contains(QByteArray(argv[i])))
            return true;
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (asksForHelpOrVersion(argc, argv)) {
        QCoreApplication app(argc, argv);
        nameTheApplication();
        QCommandLineParser parser;
        const Options options(parser);
        parser.process(app); // prints the answer and ends the program
        return 0;
    }

    QApplication app(argc, argv);
    nameTheApplication();
    // The desktop entry (and AppStream ID) the windows belong to.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.kolva.thermometer"));
    traceStartup("start");

    QCommandLineParser parser;
    const Options options(parser);
    parser.process(app);
    QApplication::setWindowIcon(Artwork::programIcon());

    // The splash frees itself when the search closes it.
    QPointer<TfrmAbout> splash = new TfrmAbout(TfrmAbout::Mode::Splash);
    std::optional<TfrmMain> mainWindow;
    try {
        splash->ShowSplash();
        mainWindow.emplace(parser.values(options.port));
        mainWindow->SetSplash(splash);
        mainWindow->SetServiceMode(parser.isSet(options.service));
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

// SPDX-License-Identifier: GPL-3.0-or-later
// kolva-cli: the command-line companion of the KOLVA Thermometer program. See CliArgs.cpp for
// its commands; everything it does is the program's own core code.

#include "CliMain.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstring>
#include <memory>

#include <cstdlib>
#include <unistd.h>

namespace {

QtMessageHandler defaultHandler = nullptr;

void quietRuntimeFolder(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtWarningMsg && text.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR")))
        return;
    defaultHandler(type, context, text);
}

} // namespace

int main(int argc, char** argv)
{
    // Without TZ the C library looks at /etc/localtime again on every local time conversion, a
    // file system call for each line of an export. Naming the same file once makes it read it
    // once; the zone is the same (a change of the system's zone is seen at the next start).
    if (!std::getenv("TZ") && ::access("/etc/localtime", R_OK) == 0)
        ::setenv("TZ", ":/etc/localtime", 1);
    // A report lays out and draws text, which needs the fonts of a GUI application; the offscreen
    // platform gives them without a display. Every other command runs on the core alone.
    std::unique_ptr<QCoreApplication> app;
    if (argc > 1 && std::strcmp(argv[1], "report") == 0) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        // The platform asks for a runtime folder it does not need for drawing into a file.
        defaultHandler = qInstallMessageHandler(quietRuntimeFolder);
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setOrganizationName(QStringLiteral("KOLVA"));
    QCoreApplication::setApplicationName(QStringLiteral("KOLVA"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KOLVA_VERSION));
    return cli::runCommandLine(QCoreApplication::arguments().mid(1));
}

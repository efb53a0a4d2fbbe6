// SPDX-License-Identifier: GPL-3.0-or-later
// kolva-cli: the command-line companion of the KOLVA Thermometer program. See CliArgs.cpp for
// its commands; everything it does is the program's own core code.

#include "CliMain.h"

#include <QCoreApplication>

#include <cstdlib>
#include <unistd.h>

int main(int argc, char** argv)
{
    // Without TZ the C library looks at /etc/localtime again on every local time conversion, a
    // file system call for each line of an export. Naming the same file once makes it read it
    // once; the zone is the same (a change of the system's zone is seen at the next start).
    if (!std::getenv("TZ") && ::access("/etc/localtime", R_OK) == 0)
        ::setenv("TZ", ":/etc/localtime", 1);
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("KOLVA"));
    QCoreApplication::setApplicationName(QStringLiteral("KOLVA"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KOLVA_VERSION));
    return cli::runCommandLine(QCoreApplication::arguments().mid(1));
}

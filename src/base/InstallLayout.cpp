// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/InstallLayout.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {
const QString kHelpFile = QStringLiteral("KOLVAHELP.htm");
const QString kShare = QStringLiteral("../share/kolva");
const QString kDoc = QStringLiteral("../share/doc/kolva");
} // namespace

QString installedShareFolder(const QString& exeDir)
{
    if (exeDir.isEmpty() || QFileInfo(exeDir).fileName() != QLatin1String("bin"))
        return {};
    const QString share = QDir::cleanPath(QDir(exeDir).filePath(kShare));
    return QFileInfo(share).isDir() ? share : QString();
}

bool runsInstalled(const QString& exeDir)
{
    return !installedShareFolder(exeDir).isEmpty();
}

QString helpFilePath(const QString& exeDir)
{
    const QDir dir(exeDir);
    const QString beside = dir.filePath(kHelpFile);
    for (const QString& candidate : {beside, dir.filePath(kShare + u'/' + kHelpFile),
                                     dir.filePath(kDoc + u'/' + kHelpFile)})
        if (QFileInfo(candidate).isFile())
            return QDir::cleanPath(candidate);
    return beside;
}

QString helpFilePath()
{
    return helpFilePath(QCoreApplication::applicationDirPath());
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/DataFolder.h"

#include "base/InstallLayout.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
QString& overrideFolder()
{
    static QString folder;
    return folder;
}
}

void setDataFolderOverride(const QString& folder)
{
    overrideFolder() = folder;
}

QString dataFolder()
{
    if (!overrideFolder().isEmpty())
        return overrideFolder();
    const QString exeDir = QCoreApplication::applicationDirPath();
    const QFileInfo info(exeDir);
    // An installed program's bin folder is never the data folder, even where it is writable
    // (the program run by the super-user): the per-user folder is.
    if (!exeDir.isEmpty() && info.isDir() && info.isWritable() && !runsInstalled(exeDir))
        return exeDir;
    const QString user = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(user);
    return user;
}

QString dataPath(const QString& relative)
{
    return QDir(dataFolder()).filePath(relative);
}

#include "app/DataFolder.h"

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
    if (!exeDir.isEmpty() && info.isDir() && info.isWritable())
        return exeDir;
    const QString user = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(user);
    return user;
}

QString dataPath(const QString& relative)
{
    return QDir(dataFolder()).filePath(relative);
}

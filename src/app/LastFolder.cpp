// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/LastFolder.h"

#include "base/InstallLayout.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace {

const QString kKey = QStringLiteral("LastFolder");

// The program's settings store (as Settings.cpp opens it).
template <class F>
auto withSettings(F&& f)
{
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("KOLVA"),
                QStringLiteral("KOLVA"));
    return f(s);
}

bool sameFolder(const QString& a, const QString& b)
{
    return QFileInfo(a).canonicalFilePath() == QFileInfo(b).canonicalFilePath();
}

// The program's own folder of an installation (<prefix>/bin) or its share folder.
bool isInstallFolder(const QString& folder)
{
    const QString exeDir = QCoreApplication::applicationDirPath();
    if (exeDir.isEmpty() || !runsInstalled(exeDir))
        return false;
    const QString share = installedShareFolder(exeDir);
    return sameFolder(folder, exeDir) || (!share.isEmpty() && sameFolder(folder, share));
}

bool usable(const QString& folder)
{
    return !folder.isEmpty() && QFileInfo(folder).isDir() && !isInstallFolder(folder);
}

QString documents()
{
    const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (usable(docs))
        return docs;
    return QDir::homePath();
}

} // namespace

namespace LastFolder {

QString initial()
{
    const QString last = withSettings([](QSettings& s) { return s.value(kKey).toString(); });
    return usable(last) ? last : documents();
}

void remember(const QString& chosenFile)
{
    if (chosenFile.isEmpty())
        return;
    const QString folder = QFileInfo(chosenFile).absolutePath();
    if (!usable(folder))
        return;
    withSettings([&](QSettings& s) {
        s.setValue(kKey, folder);
        s.sync();
    });
}

} // namespace LastFolder

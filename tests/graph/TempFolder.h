// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A temporary folder made the data folder for one test.

#include "base/DataFolder.h"

#include <QDir>
#include <QTemporaryDir>

struct TempDataFolder {
    QTemporaryDir dir;
    TempDataFolder() { setDataFolderOverride(dir.path()); }
    ~TempDataFolder() { setDataFolderOverride(QString()); }
    QString path(const QString& rel) const { return QDir(dir.path()).filePath(rel); }
    void makeTemplateFolder() const { QDir(dir.path()).mkpath(QStringLiteral("template")); }
};

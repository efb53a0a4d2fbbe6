// SPDX-License-Identifier: GPL-3.0-or-later
#include "logger/CollectionTempFile.h"

#include "base/DataFolder.h"
#include "base/WholeFile.h"

#include <QDir>
#include <QFileInfo>

#include <stdexcept>

QString collectionTempFilePath()
{
    return dataPath(QStringLiteral("temp/DataSetsTemp.tmp"));
}

bool writeCollectionTempFile(const MemoryImage& image, QString* reason)
{
    const QString path = collectionTempFilePath();
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder))
        throw std::runtime_error(QDir::toNativeSeparators(folder).toStdString());
    const QString why = writeFileWhole(path, image);
    if (why.isEmpty())
        return true;
    if (reason)
        *reason = why;
    return false;
}

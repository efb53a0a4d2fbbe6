#include "logger/CollectionTempFile.h"

#include "app/DataFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <stdexcept>

QString collectionTempFilePath()
{
    return dataPath(QStringLiteral("temp/DataSetsTemp.tmp"));
}

bool writeCollectionTempFile(const MemoryImage& image)
{
    const QString path = collectionTempFilePath();
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder))
        throw std::runtime_error(QDir::toNativeSeparators(folder).toStdString());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(image) != image.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/WholeFile.h"

#include <QSaveFile>

QString writeFileWhole(const QString& name, const QByteArray& bytes)
{
    QSaveFile file(name);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/WholeFile.h"

#include <QSaveFile>

QString writeFileWhole(const QString& name, const QByteArray& bytes)
{
    QSaveFile file(name);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    // The bytes may wait in the buffer: a failure to write them out (a full disk) shows only in
    // the flush, and commit() would not see it.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

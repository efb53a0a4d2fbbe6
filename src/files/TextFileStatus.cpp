// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/TextFileStatus.h"

#include <QDir>

QString textFileStatusText(const TextFileResult& r)
{
    const QString name = QDir::toNativeSeparators(r.fileName);
    switch (r.status) {
    case TextFileStatus::Ok:
        return {};
    case TextFileStatus::CannotCreate:
        return QStringLiteral("Cannot create file \"%1\". %2").arg(name, r.reason);
    case TextFileStatus::CannotWrite:
        return QStringLiteral("Cannot write file \"%1\". %2 %3 line(s) were written.")
            .arg(name, r.reason)
            .arg(r.lines);
    case TextFileStatus::CannotOpen:
        return QStringLiteral("Cannot open file \"%1\". %2").arg(name, r.reason);
    }
    return {};
}

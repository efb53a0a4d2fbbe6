// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A file written whole: the bytes go to a temporary file beside the target, which then replaces
// it, so a failed write never leaves a half-written target or destroys the one that was there.

#include <QByteArray>
#include <QString>

// "" on success, else the system's reason.
QString writeFileWhole(const QString& name, const QByteArray& bytes);

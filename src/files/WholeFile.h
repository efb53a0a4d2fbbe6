#pragma once
// A file written whole: through a temporary file beside it that then replaces the target, so a
// failed write leaves an existing file as it was.

#include <QByteArray>
#include <QString>

// Writes bytes to name. "" on success, else the system's reason; the target is untouched then.
QString writeWholeFile(const QString& name, const QByteArray& bytes);

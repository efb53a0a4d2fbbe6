// SPDX-License-Identifier: GPL-3.0-or-later
#include "FuzzSupport.h"

#include "base/DateTime.h"
#include "base/NullReading.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

namespace {

// Kept to the end of the process (Qt's own globals go down after them).
QCoreApplication* app = nullptr;
QTemporaryDir* scratch = nullptr;

} // namespace

bool isReading(float v)
{
    return std::isfinite(v) || v == NullReading;
}

bool isDateTime(double days)
{
    return std::isfinite(days) && DateTime::split(days).date.isValid();
}

const QString& scratchFolder()
{
    static const QString path = scratch->path();
    return path;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void emptyFolder(const QString& folder)
{
    QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
        QFileInfo info(dir.filePath(name));
        if (info.isDir() && !info.isSymLink())
            QDir(info.filePath()).removeRecursively();
        else
            dir.remove(name);
    }
}

// libFuzzer calls this once before the first input. The time zone has daylight-saving changes,
// so that the local date-time code meets skipped and repeated hours; the texts are the C locale's
// unless a target chooses another.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("TZ", "Europe/Berlin");
    qputenv("LC_ALL", "C.UTF-8");
    qputenv("QT_QPA_PLATFORM", "offscreen");
    app = new QCoreApplication(*argc, *argv);
    QLocale::setDefault(QLocale::c());
    scratch = new QTemporaryDir;
    if (!scratch->isValid()) {
        std::fprintf(stderr, "no scratch folder: %s\n", qPrintable(scratch->errorString()));
        std::abort();
    }
    std::atexit([] { scratch->remove(); });
    return 0;
}

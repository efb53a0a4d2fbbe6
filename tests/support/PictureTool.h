// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the picture tools share: they run on the offscreen platform unless a display is chosen,
// write into the folder given as their first argument ("." without one, made when missing) and
// save widgets as PNG pictures there.

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QWidget>

#include <cstdio>

namespace picturetool {

// Before the QApplication is made.
inline void chooseOffscreenPlatform()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

inline QString outputFolder(int argc, char** argv)
{
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(dir);
    return dir;
}

// A picture of w as dir/name; says so on stderr when it cannot be written.
inline void save(QWidget& w, const QString& dir, const QString& name)
{
    const QString path = QDir(dir).filePath(name);
    if (!w.grab().save(path))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

} // namespace picturetool

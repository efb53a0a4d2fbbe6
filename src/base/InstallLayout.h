// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the program's own files are: beside the executable in a build tree or a portable copy,
// or in the installed tree (<prefix>/bin/kolva with <prefix>/share/kolva/ beside it).

#include <QString>

// <prefix>/share/kolva when exeDir is <prefix>/bin of an installed program, else "".
QString installedShareFolder(const QString& exeDir);

// True when exeDir is the bin folder of an installed program. Such a folder is never the data
// folder, even where it is writable (the program run by root): the per-user folder is.
bool runsInstalled(const QString& exeDir);

// The user guide KOLVAHELP.htm: beside the executable, else in the installed share folder
// (<prefix>/share/kolva/, then <prefix>/share/doc/kolva/). When it is in none of them, the path
// beside the executable, so that a message can name where it was looked for.
QString helpFilePath(const QString& exeDir);
// The same for the running program.
QString helpFilePath();

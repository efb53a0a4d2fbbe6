// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The data folder: where the graph template ("template/graph.ghf") and the temporary download
// file live and where file dialogs start. The executable's own folder when it is writable (a
// build tree or a portable copy), otherwise the per-user data folder (always for an installed
// program).

#include <QString>

QString dataFolder();
// Path of a file below the data folder, e.g. dataPath("template/graph.ghf").
QString dataPath(const QString& relative);
// Tests point the data folder elsewhere; an empty path restores the default.
void setDataFolderOverride(const QString& folder);

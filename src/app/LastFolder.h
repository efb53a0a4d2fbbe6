// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the open and save dialogs start: the folder the user last chose a file in, kept in the
// settings as "LastFolder" and written as soon as it changes (so that it survives any way the
// program ends); the first time, or when that folder is gone, the user's documents folder. The
// folder of an installed program is never offered.

#include <QString>

namespace LastFolder {

// The folder a dialog starts in.
QString initial();
// Remembers the folder of a file the user chose in a dialog.
void remember(const QString& chosenFile);

} // namespace LastFolder

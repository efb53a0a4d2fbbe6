// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Pictures of the graph windows in the main window (graph-*.png) into dir.

#include <QString>

void saveGraphWindowScreens(const QString& dir);

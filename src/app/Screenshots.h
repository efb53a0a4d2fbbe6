// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Pictures of the running program for its documentation: with KOLVA_SCREENSHOT=FOLDER the program
// saves the splash while the search runs, the main window a few seconds after the start-up and
// the about box into FOLDER/app-splash.png, app-main.png and app-about.png, then ends in order.

#include <QString>

class TfrmMain;
class TfrmAbout;

void armScreenshots(TfrmMain& main, TfrmAbout* splash, const QString& folder);

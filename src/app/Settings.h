// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The settings that survive a restart. Kept in QSettings (organisation and application "KOLVA";
// on Linux an INI file under $XDG_CONFIG_HOME/KOLVA/). Read once when the main window is created,
// written once at the orderly end. A value that is missing or not a whole number reads as its
// default; nothing here ever shows a message.

#include <QString>
#include <QStringList>

struct Settings {
    static constexpr int kDefaultRealTimeRate = 2;
    static constexpr int kDefaultLastConnectedPort = 0;
    static constexpr int kDefaultLastConnectedModel = 461;
    static constexpr int kDefaultAnnoColor = 0;
    static constexpr int kDefaultFollowY = 1;

    int RealTimeRate = kDefaultRealTimeRate;           // sampling period of the real-time graph, s
    int LastConnectedPort = kDefaultLastConnectedPort; // index in this start's port list
    int LastConnectedModel = kDefaultLastConnectedModel;
    int AnnoColor = kDefaultAnnoColor;                 // colour of graph annotations
    QStringList ExtraPorts;                            // device paths added after the system's ports
    int FollowY = kDefaultFollowY;                     // 1: the real-time graph keeps its readings in view

    // Reads LastConnectedPort, LastConnectedModel, RealTimeRate, AnnoColor (in this order),
    // ExtraPorts and FollowY.
    static Settings Read();
    // Writes RealTimeRate, LastConnectedPort, LastConnectedModel, AnnoColor (in this order),
    // ExtraPorts and FollowY. Returns false when the store could not be written (nothing is shown).
    bool Write() const;
};

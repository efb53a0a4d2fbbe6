// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The alarm rules and the sound switch in the program's settings (QSettings, organisation and
// application "KOLVA"), group "Alarms": "Rules", a list of rules in their text form
// (alarms/AlarmRule.h), and "Sound", true or false. A rule that cannot be read is left out;
// nothing here shows a message.

#include "alarms/AlarmRule.h"

AlarmConfig readAlarmConfig();
// False when the store could not be written.
bool writeAlarmConfig(const AlarmConfig& config);

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The texts of alarms as the user reads them: in the status bar, on the graph, in the desktop
// notification and on the command line's standard error. Numbers and times follow the user's
// regional formats (base/LocaleText.h).

#include "alarms/AlarmEngine.h"

#include <QString>

namespace Alarm {

// "T1 above 250.0 °C", "T2 below -10.0 °C", "T3 rising faster than 5.0 °C/min",
// "T3 falling faster than 5.0 °C/min", "T4 without a reading", "Meter lost".
QString describe(const AlarmRule& rule);
// A running alarm: "T1 above 250.0 °C since 14:02:11"; one that has ended and waits for its
// acknowledgement: "T1 above 250.0 °C from 14:02:11 to 14:03:40".
QString shownText(const ShownAlarm& alarm);
// The marks on the real-time graph: "Alarm: T1 above 250.0 °C", "End of alarm: T1 above
// 250.0 °C".
QString markText(const AlarmEvent& event);
// One line for a log or a terminal: "start T1 above 250.0 °C (value 251.3)", "end ...",
// "acknowledged ...".
QString eventText(const AlarmEvent& event);
// "start", "end", "ack".
QString eventWord(AlarmEvent::Type type);
// The unit of a rule's values: "C", "F", "C/min", "F/min"; empty for rules without a limit.
QString valueUnit(const AlarmRule& rule);

} // namespace Alarm

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The alarm events a report lists: those the alarm log holds from the data's first to its last
// sample, as a table for people.

#include "alarms/AlarmLog.h"
#include "files/MachineCsv.h"
#include "report/ReportSource.h"

#include <span>

// Time, event, channel, alarm, limit and value, one row per event, oldest first.
ReportTable alarmTable(std::span<const LoggedAlarmEvent> events);

// The events of log in the time span of samples; an empty table when there are no samples.
ReportTable alarmEventsOf(std::span<const MachineSample> samples, const AlarmLog& log);

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The alarm log: every alarm event (start, end, acknowledgement) appended to a machine CSV file
// in dataFolder()/alarms/, one file per local day (alarms-2026-12-09.csv). The header comes
// first, then one line per event:
//
//   time,event,channel,rule,limit,unit,value
//   2026-12-09T14:02:11.250+01:00,start,T1,above,250,C,251.3
//   2026-12-09T14:02:30.000+01:00,ack,T1,above,250,C,
//   2026-12-09T14:03:40.750+01:00,end,T1,above,250,C,249.5
//
// time is ISO 8601 local time with milliseconds and the UTC offset (files/MachineCsv.h), event
// is start, end or ack, channel T1..T4 or "meter", rule the kind (above, below, rise, fall,
// none, lost), limit and value in the rule's unit (unit C or F, C/min or F/min for the rates;
// empty for none and lost), value the reading or the rate at that moment (empty when there is
// none). Numbers are the shortest texts that read back as the same value.
//
// Each line is handed to the operating system before append() returns, like the recording
// journal's, so a program that is killed loses no event. A log that cannot be written is
// reported once (through the reporter) and tried again with the next event.

#include "alarms/AlarmEngine.h"

#include <QByteArray>
#include <QString>

#include <functional>

class AlarmLog {
public:
    using Reporter = std::function<void(const QString& text)>;

    // dataPath("alarms") unless a folder is given.
    explicit AlarmLog(QString folder = QString(), Reporter report = {});

    // Appends the event to the file of its day. False when it could not be written.
    bool append(const AlarmEvent& event);

    QString folder() const { return folder_; }
    // The file of the day of time (local date-time, days).
    QString pathFor(double time) const;
    // The text of the last failure; empty while the log is written fine.
    QString failure() const { return failure_; }

    static QByteArray header();
    static QByteArray line(const AlarmEvent& event);

private:
    QString folder_;
    Reporter report_;
    QString failure_;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#include "logger/SetupStatus.h"

#include "base/DateTime.h"

QString setupMessage(const ClockResult& r)
{
    if (r.status != ClockStatus::Ok)
        return QStringLiteral("Meter time updated fail, Error Code is ") + QString::number(int(r.status));
    const DateTime::DateAndTime t = DateTime::split(r.time);
    return QStringLiteral("Meter time updated successfully \n%1-%2-%3(MM-DD-YY)\n%4:%5:%6(hh:mm:ss)\n")
        .arg(t.date.month())
        .arg(t.date.day())
        .arg(t.date.year())
        .arg(t.time.hour())
        .arg(t.time.minute())
        .arg(t.time.second());
}

QString setupMessage(IntervalStatus status)
{
    switch (status) {
    case IntervalStatus::Ok: return QStringLiteral("Recording Interval Setup Successfully");
    case IntervalStatus::NoReply: return QStringLiteral("Recording Interval Setup Fail");
    case IntervalStatus::InvalidInput: return QStringLiteral("Invalid Input");
    }
    return {};
}

QString setupMessage(EraseStatus status)
{
    return status == EraseStatus::Ok ? QStringLiteral("Memory erased successfully")
                                     : QStringLiteral("Memory erased fail");
}

QString setupMessage(DefaultsStatus status)
{
    return status == DefaultsStatus::Ok ? QStringLiteral("Set Default value successfully")
                                        : QStringLiteral("Set Default value fail");
}

bool labelGreen(const ClockResult& result)
{
    return result.status == ClockStatus::Ok;
}

bool labelGreen(IntervalStatus status)
{
    return status != IntervalStatus::NoReply;
}

bool labelGreen(EraseStatus status)
{
    return status == EraseStatus::Ok;
}

bool labelGreen(DefaultsStatus status)
{
    return status == DefaultsStatus::Ok;
}

QString eraseQuestion(EraseBy by, std::optional<int> dataSets)
{
    QString lost;
    if (!dataSets)
        lost = QStringLiteral("Every data set still in the meter's memory will be lost (how many "
                              "there are could not be read).");
    else if (*dataSets == 0)
        lost = QStringLiteral("The meter's memory holds no data set.");
    else if (*dataSets == 1)
        lost = QStringLiteral("The 1 data set still in the meter's memory will be lost.");
    else
        lost = QStringLiteral("The %1 data sets still in the meter's memory will be lost.")
                   .arg(*dataSets);
    if (by == EraseBy::SetupAll)
        return QStringLiteral("Run Setup All?\n\nIt sets the meter's clock, recording interval "
                              "and defaults, and erases the meter's memory.\n%1")
            .arg(lost);
    return QStringLiteral("Erase the meter's memory?\n\n%1").arg(lost);
}

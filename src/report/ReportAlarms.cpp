// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/ReportAlarms.h"

#include "base/LocaleText.h"

#include <algorithm>

namespace {

QString eventText(const QString& word)
{
    if (word == QLatin1String("start"))
        return QStringLiteral("Started");
    if (word == QLatin1String("end"))
        return QStringLiteral("Ended");
    if (word == QLatin1String("ack"))
        return QStringLiteral("Acknowledged");
    return word;
}

QString ruleText(const QString& word)
{
    if (word == QLatin1String("none"))
        return QStringLiteral("no reading");
    if (word == QLatin1String("lost"))
        return QStringLiteral("meter lost");
    return word; // above, below, rise, fall
}

// "C" -> "°C", "C/min" -> "°C/min".
QString unitText(const QString& unit)
{
    return unit.isEmpty() ? QString() : QStringLiteral("\u00B0") + unit;
}

QString withUnit(const QString& number, const QString& unit)
{
    if (number.isEmpty())
        return QString();
    return unit.isEmpty() ? number : number + QLatin1Char(' ') + unitText(unit);
}

} // namespace

ReportTable alarmTable(std::span<const LoggedAlarmEvent> events)
{
    ReportTable t;
    t.header = {QStringLiteral("Time"), QStringLiteral("Event"), QStringLiteral("Channel"),
                QStringLiteral("Alarm"), QStringLiteral("Limit"), QStringLiteral("Value")};
    for (const LoggedAlarmEvent& e : events)
        t.rows.push_back({LocaleText::dateTimeText(e.time), eventText(e.event), e.channel,
                          ruleText(e.rule), withUnit(e.limit, e.unit), withUnit(e.value, e.unit)});
    return t;
}

ReportTable alarmEventsOf(std::span<const MachineSample> samples, const AlarmLog& log)
{
    if (samples.empty())
        return alarmTable({});
    const auto [first, last] = std::minmax_element(
        samples.begin(), samples.end(),
        [](const MachineSample& a, const MachineSample& b) { return a.time < b.time; });
    const std::vector<LoggedAlarmEvent> events = log.eventsBetween(first->time, last->time);
    return alarmTable(events);
}

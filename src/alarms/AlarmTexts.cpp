// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarms/AlarmTexts.h"

#include "base/LocaleText.h"

namespace Alarm {

QString describe(const AlarmRule& rule)
{
    const QString ch = channelName(rule.channel);
    const QString limit = LocaleText::fixed(rule.limit, 1) + QLatin1Char(' ') + unitText(rule.unit);
    switch (rule.kind) {
    case AlarmKind::Above: return ch + QStringLiteral(" above ") + limit;
    case AlarmKind::Below: return ch + QStringLiteral(" below ") + limit;
    case AlarmKind::Rise: return ch + QStringLiteral(" rising faster than ") + limit + QStringLiteral("/min");
    case AlarmKind::Fall: return ch + QStringLiteral(" falling faster than ") + limit + QStringLiteral("/min");
    case AlarmKind::NoReading: return ch + QStringLiteral(" without a reading");
    case AlarmKind::MeterLost: return QStringLiteral("Meter lost");
    }
    return {};
}

QString shownText(const ShownAlarm& alarm)
{
    const QString what = describe(alarm.rule);
    if (alarm.endedAt)
        return what + QStringLiteral(" from ") + LocaleText::timeText(alarm.since) + QStringLiteral(" to ")
               + LocaleText::timeText(*alarm.endedAt);
    return what + QStringLiteral(" since ") + LocaleText::timeText(alarm.since);
}

QString markText(const AlarmEvent& event)
{
    return (event.type == AlarmEvent::Type::End ? QStringLiteral("End of alarm: ")
                                                : QStringLiteral("Alarm: "))
           + describe(event.rule);
}

QString eventWord(AlarmEvent::Type type)
{
    switch (type) {
    case AlarmEvent::Type::Start: return QStringLiteral("start");
    case AlarmEvent::Type::End: return QStringLiteral("end");
    case AlarmEvent::Type::Acknowledge: return QStringLiteral("ack");
    }
    return {};
}

QString valueUnit(const AlarmRule& rule)
{
    if (!rule.hasLimit())
        return {};
    return unitLetter(rule.unit) + (rule.isRate() ? QStringLiteral("/min") : QString());
}

QString eventText(const AlarmEvent& event)
{
    QString text = eventWord(event.type) + QLatin1Char(' ') + describe(event.rule);
    if (event.value) {
        const QString unit = event.rule.isRate() ? unitText(event.rule.unit) + QStringLiteral("/min")
                                                 : unitText(event.rule.unit);
        text += QStringLiteral(" (value ") + LocaleText::fixed(*event.value, 1) + QLatin1Char(' ')
                + unit + QLatin1Char(')');
    }
    return text;
}

} // namespace Alarm

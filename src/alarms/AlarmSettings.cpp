// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarms/AlarmSettings.h"

#include <QSettings>
#include <QStringList>

AlarmConfig readAlarmConfig()
{
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("KOLVA"),
                QStringLiteral("KOLVA"));
    AlarmConfig config;
    const QVariant rules = s.value(QStringLiteral("Alarms/Rules"));
    QStringList texts = rules.typeId() == QMetaType::QStringList ? rules.toStringList()
                                                                 : QStringList{rules.toString()};
    for (const QString& text : texts)
        if (!text.trimmed().isEmpty())
            if (const auto rule = Alarm::parseRule(text))
                config.rules.push_back(*rule);
    const QVariant sound = s.value(QStringLiteral("Alarms/Sound"));
    config.sound = !sound.isValid() || sound.toString().trimmed().compare(QLatin1String("false"), Qt::CaseInsensitive) != 0;
    return config;
}

bool writeAlarmConfig(const AlarmConfig& config)
{
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("KOLVA"),
                QStringLiteral("KOLVA"));
    QStringList texts;
    for (const AlarmRule& rule : config.rules)
        texts << Alarm::ruleText(rule);
    s.setValue(QStringLiteral("Alarms/Rules"), texts);
    s.setValue(QStringLiteral("Alarms/Sound"), config.sound);
    s.sync();
    return s.status() == QSettings::NoError;
}

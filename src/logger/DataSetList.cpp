// SPDX-License-Identifier: GPL-3.0-or-later
#include "logger/DataSetList.h"

#include "base/DateTime.h"
#include "base/LocaleText.h"

QStringList DataSetListTitles()
{
    return {QStringLiteral("Set"),       QStringLiteral("DATE"),      QStringLiteral("TIME"),
            QStringLiteral("Rate"),      QStringLiteral("Nums"),      QStringLiteral("Unit"),
            QStringLiteral("Couple"),    QStringLiteral("T1 Offset"), QStringLiteral("T2 Offset"),
            QStringLiteral("T3 Offset"), QStringLiteral("T4 Offset")};
}

QString RateText(int seconds)
{
    return QStringLiteral("%1:%2")
        .arg(seconds / 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QStringList DataSetRowTexts(const DataSet& set, int k, const QLocale& locale)
{
    QStringList row;
    row.reserve(11);
    row << QString::number(k + 1) << LocaleText::dateText(set.StartTime, locale)
        << DateTime::toQDateTime(set.StartTime).time().toString(QStringLiteral("HH:mm:ss"))
        << RateText(set.Rate) << QString::number(set.Nums) << set.Unit() << set.CoupleLetter();
    for (int ch = 0; ch < 4; ++ch)
        row << LocaleText::fixed(set.OffsetDegrees(ch), 1, locale);
    return row;
}

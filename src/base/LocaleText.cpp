// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/LocaleText.h"

#include "base/DateTime.h"

#include <QRegularExpression>

#include <cmath>

namespace LocaleText {

QString shortDateFormat(const QLocale& locale)
{
    QString f = locale.dateFormat(QLocale::ShortFormat);
    if (!f.contains(QLatin1String("yyyy")))
        f.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return f;
}

QString longTimeFormat(const QLocale& locale)
{
    QString f = locale.timeFormat(QLocale::LongFormat);
    // The zone token and the blank in front of it (Qt writes "HH:mm:ss t").
    static const QRegularExpression zone(QStringLiteral("\\s*\\bt+\\b"));
    f.remove(zone);
    return f.trimmed();
}

QString fixed(double v, int decimals, const QLocale& locale)
{
    QLocale loc = locale;
    loc.setNumberOptions(QLocale::OmitGroupSeparator);
    const double scale = std::pow(10.0, decimals);
    if (std::isfinite(v) && std::round(std::abs(v) * scale) == 0.0)
        v = 0.0;
    return loc.toString(v, 'f', decimals);
}

QString dateText(double days, const QLocale& locale)
{
    return locale.toString(DateTime::toQDateTime(days).date(), shortDateFormat(locale));
}

QString timeText(double days, const QLocale& locale)
{
    return locale.toString(DateTime::toQDateTime(days).time(), longTimeFormat(locale));
}

QString dateTimeText(double days, const QLocale& locale)
{
    return dateText(days, locale) + QLatin1Char(' ') + timeText(days, locale);
}

std::optional<double> parseDateTime(const QString& text, const QLocale& locale)
{
    const QString format = shortDateFormat(locale) + QLatin1Char(' ') + longTimeFormat(locale);
    const QDateTime dt = locale.toDateTime(text.trimmed(), format);
    if (!dt.isValid())
        return std::nullopt;
    return DateTime::fromQDateTime(dt);
}

} // namespace LocaleText

// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarms/AlarmRule.h"

#include <QRegularExpression>
#include <QStringList>

#include <cmath>

namespace Alarm {

double convert(double value, TempUnit from, TempUnit to)
{
    if (from == to)
        return value;
    return to == TempUnit::Fahrenheit ? value * 9.0 / 5.0 + 32.0 : (value - 32.0) * 5.0 / 9.0;
}

double convertRate(double value, TempUnit from, TempUnit to)
{
    if (from == to)
        return value;
    return to == TempUnit::Fahrenheit ? value * 9.0 / 5.0 : value * 5.0 / 9.0;
}

QString unitText(TempUnit unit)
{
    return unit == TempUnit::Celsius ? QStringLiteral("\u00b0C") : QStringLiteral("\u00b0F");
}

QString unitLetter(TempUnit unit)
{
    return unit == TempUnit::Celsius ? QStringLiteral("C") : QStringLiteral("F");
}

QString channelName(int channel)
{
    return QStringLiteral("T%1").arg(channel + 1);
}

QString kindWord(AlarmKind kind)
{
    switch (kind) {
    case AlarmKind::Above: return QStringLiteral("above");
    case AlarmKind::Below: return QStringLiteral("below");
    case AlarmKind::Rise: return QStringLiteral("rise");
    case AlarmKind::Fall: return QStringLiteral("fall");
    case AlarmKind::NoReading: return QStringLiteral("none");
    case AlarmKind::MeterLost: return QStringLiteral("lost");
    }
    return {};
}

QString numberText(double v)
{
    QString s = QString::number(std::round(v * 1000.0) / 1000.0, 'f', 3);
    while (s.endsWith(QLatin1Char('0')))
        s.chop(1);
    if (s.endsWith(QLatin1Char('.')))
        s.chop(1);
    if (s == QLatin1String("-0"))
        s = QStringLiteral("0");
    return s;
}

namespace {

const QString kNumber = QStringLiteral("([-+]?(?:\\d+\\.?\\d*|\\.\\d+))");
const QString kUnit = QStringLiteral("(?:\u00b0?([CcFf]))?");
const QString kDuration = QStringLiteral("(?:\\d+\\.?\\d*|\\.\\d+)[smh]?");

std::optional<double> number(const QString& text)
{
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<double> seconds(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^(\\d+\\.?\\d*|\\.\\d+)([smh]?)$"));
    const QRegularExpressionMatch m = form.match(text.trimmed().toLower());
    if (!m.hasMatch())
        return std::nullopt;
    const double v = m.captured(1).toDouble();
    const QString unit = m.captured(2);
    return unit == QLatin1String("m") ? v * 60.0 : unit == QLatin1String("h") ? v * 3600.0 : v;
}

TempUnit unitOf(const QString& letter)
{
    return letter.compare(QLatin1String("F"), Qt::CaseInsensitive) == 0 ? TempUnit::Fahrenheit
                                                                       : TempUnit::Celsius;
}

QString durationText(double s)
{
    return numberText(s) + QLatin1Char('s');
}

bool fail(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return false;
}

bool parseHead(const QString& head, AlarmRule& rule, QString* error)
{
    if (head.compare(QLatin1String("lost"), Qt::CaseInsensitive) == 0
        || head.compare(QLatin1String("meter:lost"), Qt::CaseInsensitive) == 0) {
        rule.kind = AlarmKind::MeterLost;
        return true;
    }
    static const QRegularExpression level(QStringLiteral("^[Tt]([1-4])\\s*([<>])\\s*") + kNumber
                                          + kUnit + QStringLiteral("$"));
    static const QRegularExpression rate(QStringLiteral("^[Tt]([1-4]):(rise|fall)\\s*>\\s*") + kNumber
                                         + kUnit + QStringLiteral("\\s*/\\s*(") + kDuration
                                         + QStringLiteral(")$"),
                                         QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression none(QStringLiteral("^[Tt]([1-4]):none$"),
                                         QRegularExpression::CaseInsensitiveOption);
    if (const QRegularExpressionMatch m = level.match(head); m.hasMatch()) {
        rule.channel = m.captured(1).toInt() - 1;
        rule.kind = m.captured(2) == QLatin1String(">") ? AlarmKind::Above : AlarmKind::Below;
        rule.limit = *number(m.captured(3));
        rule.unit = unitOf(m.captured(4));
        if (std::abs(rule.limit) > kMaxLimit)
            return fail(error, QStringLiteral("the limit %1 is beyond %2 degrees")
                                   .arg(m.captured(3)).arg(kMaxLimit));
        return true;
    }
    if (const QRegularExpressionMatch m = rate.match(head); m.hasMatch()) {
        rule.channel = m.captured(1).toInt() - 1;
        rule.kind = m.captured(2).toLower() == QLatin1String("rise") ? AlarmKind::Rise
                                                                     : AlarmKind::Fall;
        rule.limit = *number(m.captured(3));
        rule.unit = unitOf(m.captured(4));
        rule.windowSeconds = seconds(m.captured(5)).value_or(-1);
        if (rule.limit <= 0 || rule.limit > kMaxLimit)
            return fail(error, QStringLiteral("a rate limit is a number of degrees per minute "
                                              "above 0, not %1").arg(m.captured(3)));
        if (rule.windowSeconds < kMinWindowSeconds || rule.windowSeconds > kMaxWindowSeconds)
            return fail(error, QStringLiteral("the window of a rate is %1 s to %2 s, not %3")
                                   .arg(kMinWindowSeconds).arg(kMaxWindowSeconds)
                                   .arg(m.captured(5)));
        return true;
    }
    if (const QRegularExpressionMatch m = none.match(head); m.hasMatch()) {
        rule.channel = m.captured(1).toInt() - 1;
        rule.kind = AlarmKind::NoReading;
        return true;
    }
    return fail(error, QStringLiteral("\"%1\" is not a rule (T1>250, T2<-10, T3:rise>5/60s, "
                                      "T3:fall>5/60s, T4:none or lost)").arg(head));
}

} // namespace

std::optional<AlarmRule> parseRule(const QString& text, QString* error)
{
    const QStringList parts = text.split(QLatin1Char(','));
    AlarmRule rule;
    if (!parseHead(parts.first().trimmed(), rule, error))
        return std::nullopt;
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const QString option = parts[i].trimmed();
        const qsizetype eq = option.indexOf(QLatin1Char('='));
        const QString name = option.left(eq).trimmed().toLower();
        const QString value = eq < 0 ? QString() : option.mid(eq + 1).trimmed();
        if (name == QLatin1String("hyst") && eq > 0) {
            const std::optional<double> h = number(value);
            if (!h || *h < 0 || *h > kMaxLimit) {
                fail(error, QStringLiteral("hyst= takes a number of degrees from 0, not \"%1\"")
                                .arg(value));
                return std::nullopt;
            }
            rule.hysteresis = *h;
        } else if (name == QLatin1String("for") && eq > 0) {
            const std::optional<double> s = seconds(value);
            if (!s || *s > kMaxMinSeconds) {
                fail(error, QStringLiteral("for= takes a duration such as 10s or 2m, not \"%1\"")
                                .arg(value));
                return std::nullopt;
            }
            rule.minSeconds = *s;
        } else {
            fail(error, QStringLiteral("unknown option \"%1\" (hyst=N or for=DURATION)").arg(option));
            return std::nullopt;
        }
    }
    return rule;
}

QString ruleText(const AlarmRule& rule)
{
    QString head;
    const QString ch = channelName(rule.channel);
    const QString limit = numberText(rule.limit) + unitLetter(rule.unit);
    switch (rule.kind) {
    case AlarmKind::Above: head = ch + QLatin1Char('>') + limit; break;
    case AlarmKind::Below: head = ch + QLatin1Char('<') + limit; break;
    case AlarmKind::Rise:
    case AlarmKind::Fall:
        head = ch + QLatin1Char(':') + kindWord(rule.kind) + QLatin1Char('>') + limit
               + QLatin1Char('/') + durationText(rule.windowSeconds);
        break;
    case AlarmKind::NoReading: head = ch + QStringLiteral(":none"); break;
    case AlarmKind::MeterLost: head = QStringLiteral("lost"); break;
    }
    if (rule.hysteresis > 0)
        head += QStringLiteral(",hyst=") + numberText(rule.hysteresis);
    if (rule.minSeconds > 0)
        head += QStringLiteral(",for=") + durationText(rule.minSeconds);
    return head;
}

} // namespace Alarm

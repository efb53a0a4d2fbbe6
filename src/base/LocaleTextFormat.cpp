// SPDX-License-Identifier: GPL-3.0-or-later
// The compiled date and time formats of LocaleText::DateTimeFormat.
#include "base/DateTime.h"
#include "base/LocaleText.h"

#include <array>
#include <vector>

namespace LocaleText {

namespace {

enum class Field { Literal, Day, Month, MonthName, Year, Hour24, Hour12, Minute, Second, Msec, AmPm };

struct Token {
    Field field = Field::Literal;
    int width = 1;        // digits at least (1 or 2; 4 for the year, 3 for milliseconds)
    bool upper = true;    // AM/PM in upper case
    QString literal;
};

bool numeric(Field f)
{
    return f != Field::Literal && f != Field::MonthName && f != Field::AmPm;
}

// Splits a Qt date or time format into tokens; false for anything the compiled route does not
// handle (day names, long month names, two-digit years, zones, odd repeats).
bool tokenize(const QString& format, std::vector<Token>& out)
{
    bool amPm = false;
    const auto literal = [&out](QChar c) {
        if (out.empty() || out.back().field != Field::Literal)
            out.push_back({});
        out.back().literal += c;
    };
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        if (c == QLatin1Char('\'')) {
            if (i + 1 < format.size() && format[i + 1] == QLatin1Char('\'')) {
                literal(c);
                i += 2;
                continue;
            }
            const qsizetype end = format.indexOf(QLatin1Char('\''), i + 1);
            if (end < 0)
                return false;
            for (qsizetype k = i + 1; k < end; ++k)
                literal(format[k]);
            i = end + 1;
            continue;
        }
        qsizetype n = 1;
        while (i + n < format.size() && format[i + n] == c)
            ++n;
        Token t;
        const char l = c.toLatin1();
        switch (l) {
        case 'd': t.field = Field::Day; break;
        case 'M': t.field = n == 3 ? Field::MonthName : Field::Month; break;
        case 'y': t.field = Field::Year; break;
        case 'H': t.field = Field::Hour24; break;
        case 'h': t.field = Field::Hour12; break;
        case 'm': t.field = Field::Minute; break;
        case 's': t.field = Field::Second; break;
        case 'z': t.field = Field::Msec; break;
        case 'A':
        case 'a': t.field = Field::AmPm; break;
        case 't': return false;
        default:
            literal(c);
            ++i;
            continue;
        }
        if (t.field == Field::AmPm) {
            t.upper = l == 'A';
            n = 1;
            if (i + 1 < format.size() &&
                format[i + 1] == (t.upper ? QLatin1Char('P') : QLatin1Char('p')))
                n = 2;
            amPm = true;
        } else if (t.field == Field::Year) {
            if (n != 4)
                return false;
            t.width = 4;
        } else if (t.field == Field::Msec) {
            if (n != 3)
                return false;
            t.width = 3;
        } else if (t.field != Field::MonthName) {
            if (n > 2)
                return false;
            t.width = int(n);
        }
        out.push_back(t);
        i += n;
    }
    if (!amPm)
        for (Token& t : out)
            if (t.field == Field::Hour12)
                t.field = Field::Hour24;
    // A field of one or two digits right before another number cannot be read back unambiguously.
    for (std::size_t k = 0; k + 1 < out.size(); ++k)
        if (numeric(out[k].field) && out[k].width < 3 && numeric(out[k + 1].field))
            return false;
    return true;
}

void appendNumber(QString& s, int v, int width)
{
    char buf[12];
    int n = 0;
    do {
        buf[n++] = char('0' + v % 10);
        v /= 10;
    } while (v > 0 && n < 11);
    for (int k = n; k < width; ++k)
        s += QLatin1Char('0');
    while (n > 0)
        s += QLatin1Char(buf[--n]);
}

// Reads at least min and at most max digits at pos; -1 when there are fewer than min.
int readNumber(QStringView s, qsizetype& pos, int min, int max)
{
    int v = 0;
    int n = 0;
    while (n < max && pos < s.size() && s[pos] >= QLatin1Char('0') && s[pos] <= QLatin1Char('9')) {
        v = v * 10 + (s[pos].unicode() - '0');
        ++pos;
        ++n;
    }
    return n >= min ? v : -1;
}

} // namespace

struct DateTimeFormat::Impl {
    QLocale locale;
    bool fast = false;
    std::vector<Token> date, time, both;
    std::array<QString, 12> months;
    QString amUpper, pmUpper, amLower, pmLower;

    QString format(const std::vector<Token>& tokens, const DateTime::DateAndTime& dt) const
    {
        QString s;
        s.reserve(24);
        for (const Token& t : tokens) {
            switch (t.field) {
            case Field::Literal: s += t.literal; break;
            case Field::Day: appendNumber(s, dt.date.day(), t.width); break;
            case Field::Month: appendNumber(s, dt.date.month(), t.width); break;
            case Field::MonthName: s += months[std::size_t(dt.date.month() - 1)]; break;
            case Field::Year: appendNumber(s, dt.date.year(), t.width); break;
            case Field::Hour24: appendNumber(s, dt.time.hour(), t.width); break;
            case Field::Hour12: {
                const int h = dt.time.hour() % 12;
                appendNumber(s, h == 0 ? 12 : h, t.width);
                break;
            }
            case Field::Minute: appendNumber(s, dt.time.minute(), t.width); break;
            case Field::Second: appendNumber(s, dt.time.second(), t.width); break;
            case Field::Msec: appendNumber(s, dt.time.msec(), t.width); break;
            case Field::AmPm:
                s += dt.time.hour() < 12 ? (t.upper ? amUpper : amLower)
                                         : (t.upper ? pmUpper : pmLower);
                break;
            }
        }
        return s;
    }

    std::optional<double> read(QStringView s) const
    {
        int day = -1, month = -1, year = -1, hour = -1, minute = -1, second = 0, msec = 0;
        int pm = -1;
        bool twelve = false;
        qsizetype pos = 0;
        // Matches one of the texts at pos; its index, or -1.
        const auto match = [&](std::initializer_list<const QString*> texts) {
            int i = 0;
            for (const QString* t : texts) {
                if (!t->isEmpty() && s.sliced(pos).startsWith(*t)) {
                    pos += t->size();
                    return i;
                }
                ++i;
            }
            return -1;
        };
        for (const Token& t : both) {
            int* target = nullptr;
            int maxDigits = 2;
            switch (t.field) {
            case Field::Literal:
                if (match({&t.literal}) < 0)
                    return std::nullopt;
                continue;
            case Field::MonthName: {
                for (int m = 0; m < 12 && month < 0; ++m)
                    if (match({&months[std::size_t(m)]}) == 0)
                        month = m + 1;
                if (month < 0)
                    return std::nullopt;
                continue;
            }
            case Field::AmPm:
                pm = t.upper ? match({&amUpper, &pmUpper}) : match({&amLower, &pmLower});
                if (pm < 0)
                    return std::nullopt;
                continue;
            case Field::Day: target = &day; break;
            case Field::Month: target = &month; break;
            case Field::Year: target = &year; maxDigits = 4; break;
            case Field::Hour12: twelve = true; [[fallthrough]];
            case Field::Hour24: target = &hour; break;
            case Field::Minute: target = &minute; break;
            case Field::Second: target = &second; break;
            case Field::Msec: target = &msec; maxDigits = 3; break;
            }
            *target = readNumber(s, pos, t.width, maxDigits);
            if (*target < 0)
                return std::nullopt;
        }
        if (pos != s.size() || day < 0 || month < 0 || year < 0 || hour < 0 || minute < 0)
            return std::nullopt;
        if (twelve) {
            if (pm < 0 || hour < 1 || hour > 12)
                return std::nullopt;
            hour = hour % 12 + (pm ? 12 : 0);
        }
        const QDate date(year, month, day);
        const QTime time(hour, minute, second, msec);
        if (!date.isValid() || !time.isValid())
            return std::nullopt;
        return DateTime::fromDateAndTime(date, time);
    }

    // The compiled formats must write and read exactly what the general ones do.
    bool selfCheck() const
    {
        static constexpr int probes[][6] = {
            {2026, 1, 15, 13, 5, 6},  {2026, 2, 14, 9, 7, 8},    {1999, 3, 15, 0, 30, 0},
            {2024, 4, 16, 12, 0, 59}, {2025, 5, 17, 23, 59, 59}, {2031, 6, 18, 10, 11, 12},
            {2026, 7, 19, 1, 2, 3},   {2026, 8, 20, 14, 15, 16}, {2026, 9, 21, 15, 16, 17},
            {2026, 10, 22, 16, 0, 0}, {2026, 11, 23, 11, 59, 1}, {2026, 12, 9, 10, 15, 30},
        };
        for (const auto& p : probes) {
            const double days = DateTime::fromDateAndTime(QDate(p[0], p[1], p[2]),
                                                          QTime(p[3], p[4], p[5]));
            const DateTime::DateAndTime dt = DateTime::split(days);
            const QString d = LocaleText::dateText(days, locale);
            const QString t = LocaleText::timeText(days, locale);
            if (format(date, dt) != d || format(time, dt) != t)
                return false;
            const QString text = d + QLatin1Char(' ') + t;
            if (read(text) != LocaleText::parseDateTime(text, locale))
                return false;
        }
        return true;
    }
};

DateTimeFormat::DateTimeFormat(const QLocale& locale) : d(std::make_unique<Impl>())
{
    d->locale = locale;
    if (locale.zeroDigit() != QLatin1String("0"))
        return;
    if (!tokenize(shortDateFormat(locale), d->date) || !tokenize(longTimeFormat(locale), d->time))
        return;
    d->both = d->date;
    d->both.push_back({Field::Literal, 1, true, QStringLiteral(" ")});
    d->both.insert(d->both.end(), d->time.begin(), d->time.end());
    for (int m = 0; m < 12; ++m)
        d->months[std::size_t(m)] = locale.monthName(m + 1, QLocale::ShortFormat);
    d->amUpper = locale.amText().toUpper();
    d->pmUpper = locale.pmText().toUpper();
    d->amLower = locale.amText().toLower();
    d->pmLower = locale.pmText().toLower();
    d->fast = d->selfCheck();
}

DateTimeFormat::~DateTimeFormat() = default;

bool DateTimeFormat::compiled() const
{
    return d->fast;
}

QString DateTimeFormat::dateText(double days) const
{
    if (!d->fast)
        return LocaleText::dateText(days, d->locale);
    const DateTime::DateAndTime dt = DateTime::split(days);
    return dt.date.isValid() ? d->format(d->date, dt) : QString();
}

QString DateTimeFormat::timeText(double days) const
{
    if (!d->fast)
        return LocaleText::timeText(days, d->locale);
    const DateTime::DateAndTime dt = DateTime::split(days);
    return dt.date.isValid() ? d->format(d->time, dt) : QString();
}

std::optional<double> DateTimeFormat::parse(QStringView text) const
{
    const QStringView trimmed = text.trimmed();
    if (d->fast)
        if (const auto v = d->read(trimmed))
            return v;
    // Texts the compiled route does not read (other spacing, other case) go the general way.
    return LocaleText::parseDateTime(trimmed.toString(), d->locale);
}

} // namespace LocaleText

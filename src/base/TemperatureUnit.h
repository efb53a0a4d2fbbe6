// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The unit of a reading as the meter or a data set reports it. Readings are never converted: a
// value is in the unit it came in, and the unit travels with it where it is known.

#include <QString>
#include <QStringView>

#include <cstdint>

enum class TemperatureUnit : std::uint8_t { Unknown, Celsius, Fahrenheit };

inline TemperatureUnit unitOf(bool celsius)
{
    return celsius ? TemperatureUnit::Celsius : TemperatureUnit::Fahrenheit;
}

// "C", "F", or "" when unknown.
inline const char* unitLetter(TemperatureUnit unit)
{
    switch (unit) {
    case TemperatureUnit::Celsius: return "C";
    case TemperatureUnit::Fahrenheit: return "F";
    case TemperatureUnit::Unknown: break;
    }
    return "";
}

// "C" / "F" (either case) or the symbols "°C" / "°F"; anything else is unknown.
inline TemperatureUnit unitFromText(QStringView text)
{
    QStringView t = text.trimmed();
    if (t.startsWith(QChar(0x00B0)))
        t = t.mid(1);
    if (t.compare(u"C", Qt::CaseInsensitive) == 0)
        return TemperatureUnit::Celsius;
    if (t.compare(u"F", Qt::CaseInsensitive) == 0)
        return TemperatureUnit::Fahrenheit;
    return TemperatureUnit::Unknown;
}

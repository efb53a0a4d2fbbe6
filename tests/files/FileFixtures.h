// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Charts and files for the file format tests and benchmarks.

#include "base/DateTime.h"
#include "base/NullReading.h"
#include "graph/ChartState.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QString>

#include <cmath>

namespace filefixtures {

// 2024-03-14 10:00:00 local time.
inline double start()
{
    return DateTime::fromQDateTime(QDateTime(QDate(2024, 3, 14), QTime(10, 0, 0)));
}

// Readings of four thermocouples with a few nulls and values at and past the limits.
inline float reading(int s, int p)
{
    if (p % 97 == 5 + s)
        return NullReading;
    switch (s) {
    case 0: return static_cast<float>(21.0 + 2.0 * std::sin(p * 0.01) + 0.1 * std::sin(p * 0.7));
    case 1: return static_cast<float>(35.0 + 40.0 * (1 - std::exp(-p / 3000.0)));
    case 2: return static_cast<float>(-5.0 + 3.0 * std::cos(p * 0.003));
    default: return p % 50 == 0 ? 2500.0f : p % 51 == 0 ? -328.0f : static_cast<float>(960.0 + p % 400);
    }
}

// A chart as the recorder leaves it: 4 subsets, points points of which filled hold a sample per
// second, the rest X 0 and Y NullReading.
inline ChartState recordedChart(int points, int filled)
{
    ChartState st;
    st.data.setNullValue(ChartNullReading);
    st.data.resize(4, points);
    st.data.reset();
    for (int p = 0; p < filled; ++p)
        for (int s = 0; s < 4; ++s) {
            st.data.setX(s, p, start() + p * DateTime::OneSecond);
            st.data.setY(s, p, reading(s, p));
        }
    return st;
}

inline QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace filefixtures

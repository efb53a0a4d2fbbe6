// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/MeasureTable.h"

#include "base/LocaleText.h"
#include "graph/GraphStatistics.h"

#include <cmath>

namespace {

// The order of the columns; measureColumns and measureRow both follow it.
enum Column {
    cName, cAtA, cAtB, cDelta, cSpan, cMeanSlope, cMax, cMaxTime, cMin, cMinTime, cAverage,
    cRise, cRiseTime, cFall, cFallTime, cAbove, cBelow, cFirstCrossing, cLastCrossing,
    cCrossings, cInBand, cExcursions, cDegreeMinutes, cMissing, cCount
};

std::optional<double> valueOf(const std::optional<TimedValue>& v)
{
    return v ? std::optional<double>(v->value) : std::nullopt;
}

std::optional<double> timeOf(const std::optional<TimedValue>& v)
{
    return v ? std::optional<double>(v->time) : std::nullopt;
}

std::optional<double> asDouble(const std::optional<int>& v)
{
    return v ? std::optional<double>(*v) : std::nullopt;
}

} // namespace

namespace {

// Whether a column is in the table: the levels' columns only when the level is set.
bool shown(int column, const MeasureOptions& o)
{
    switch (column) {
    case cAbove: case cBelow: case cFirstCrossing: case cLastCrossing: case cCrossings:
        return bool(o.threshold);
    case cInBand: case cExcursions:
        return o.bandLow && o.bandHigh;
    case cDegreeMinutes:
        return bool(o.base);
    default:
        return true;
    }
}

QString defaultTime(const MeasureTextStyle& style, double t)
{
    return style.timeText ? style.timeText(t) : LocaleText::timeText(t, style.locale);
}

} // namespace

std::vector<FigureColumn> measureColumns(const SpanMeasure& measure, const MeasureOptions& options,
                                         const QString& unit, const MeasureTextStyle& style)
{
    const QLocale& locale = style.locale;
    const QString degrees = unit.isEmpty() ? QStringLiteral("°") : unit;
    const QString inUnit = unit.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(unit);
    const QString perMinute = QStringLiteral("\n(%1/min)").arg(degrees);
    const auto level = [&](double v) {
        return LocaleText::fixed(v, 1, locale) + (unit.isEmpty() ? QString() : QLatin1Char(' ') + unit);
    };
    // The window as it was used (widened or narrowed to fit the data).
    const double width = measure.windowSeconds > 0 ? measure.windowSeconds : options.windowSeconds;
    const QString window = QStringLiteral("\n(%1/min, %2 s)").arg(degrees, LocaleText::fixed(width, 0, locale));
    const QString threshold = options.threshold ? QLatin1Char('\n') + level(*options.threshold) : QString();

    std::vector<FigureColumn> all(cCount);
    all[cName] = {QStringLiteral("channel"), QStringLiteral("Channel"), FigureKind::Name};
    all[cAtA] = {QStringLiteral("at_a"), QStringLiteral("At A%1\n%2").arg(inUnit, defaultTime(style, measure.from)),
                 FigureKind::Temperature};
    all[cAtB] = {QStringLiteral("at_b"), QStringLiteral("At B%1\n%2").arg(inUnit, defaultTime(style, measure.to)),
                 FigureKind::Temperature};
    all[cDelta] = {QStringLiteral("delta"), QStringLiteral("ΔT") + inUnit, FigureKind::Temperature};
    all[cSpan] = {QStringLiteral("span_s"), QStringLiteral("Δt"), FigureKind::Duration};
    all[cMeanSlope] = {QStringLiteral("mean_slope"), QStringLiteral("Mean slope") + perMinute,
                       FigureKind::Slope};
    all[cMax] = {QStringLiteral("max"), QStringLiteral("Max") + inUnit, FigureKind::Temperature};
    all[cMaxTime] = {QStringLiteral("max_time"), QStringLiteral("Max at"), FigureKind::Time};
    all[cMin] = {QStringLiteral("min"), QStringLiteral("Min") + inUnit, FigureKind::Temperature};
    all[cMinTime] = {QStringLiteral("min_time"), QStringLiteral("Min at"), FigureKind::Time};
    all[cAverage] = {QStringLiteral("average"), QStringLiteral("Average") + inUnit,
                     FigureKind::Temperature};
    all[cRise] = {QStringLiteral("steepest_rise"), QStringLiteral("Steepest rise") + window,
                  FigureKind::Slope};
    all[cRiseTime] = {QStringLiteral("steepest_rise_time"), QStringLiteral("Rise at"), FigureKind::Time};
    all[cFall] = {QStringLiteral("steepest_fall"), QStringLiteral("Steepest fall") + window,
                  FigureKind::Slope};
    all[cFallTime] = {QStringLiteral("steepest_fall_time"), QStringLiteral("Fall at"), FigureKind::Time};
    all[cAbove] = {QStringLiteral("above_s"), QStringLiteral("Above") + threshold, FigureKind::Duration};
    all[cBelow] = {QStringLiteral("below_s"), QStringLiteral("Below") + threshold, FigureKind::Duration};
    all[cFirstCrossing] = {QStringLiteral("first_crossing"), QStringLiteral("First\ncrossing"),
                           FigureKind::Time};
    all[cLastCrossing] = {QStringLiteral("last_crossing"), QStringLiteral("Last\ncrossing"),
                          FigureKind::Time};
    all[cCrossings] = {QStringLiteral("crossings"), QStringLiteral("Crossings"), FigureKind::Count};
    if (options.bandLow && options.bandHigh)
        all[cInBand] = {QStringLiteral("in_band_s"),
                        QStringLiteral("In band\n%1 to %2").arg(LocaleText::fixed(*options.bandLow, 1, locale),
                                                                 level(*options.bandHigh)),
                        FigureKind::Duration};
    all[cExcursions] = {QStringLiteral("excursions"), QStringLiteral("Excursions"), FigureKind::Count};
    if (options.base)
        all[cDegreeMinutes] = {QStringLiteral("degree_minutes"),
                               (unit.isEmpty() ? QStringLiteral("Degree-min") : unit + QStringLiteral("·min")) +
                                   QStringLiteral(" above\n") + level(*options.base),
                               FigureKind::Area};
    all[cMissing] = {QStringLiteral("missing_s"), QStringLiteral("Missing"), FigureKind::Duration};

    std::vector<FigureColumn> out;
    for (int c = 0; c < cCount; ++c)
        if (shown(c, options))
            out.push_back(all[std::size_t(c)]);
    return out;
}

std::vector<std::optional<double>> measureRow(const SpanMeasure& measure,
                                              const MeasureOptions& options, int channel)
{
    std::vector<std::optional<double>> r(cCount);
    if (channel >= 0 && std::size_t(channel) < measure.channels.size()) {
        const ChannelMeasure& m = measure.channels[std::size_t(channel)];
        r[cAtA] = m.atA;
        r[cAtB] = m.atB;
        r[cDelta] = m.delta;
        r[cSpan] = measure.seconds;
        r[cMeanSlope] = m.meanSlope;
        r[cMax] = valueOf(m.maximum);
        r[cMaxTime] = timeOf(m.maximum);
        r[cMin] = valueOf(m.minimum);
        r[cMinTime] = timeOf(m.minimum);
        r[cAverage] = m.average;
        r[cRise] = valueOf(m.steepestRise);
        r[cRiseTime] = timeOf(m.steepestRise);
        r[cFall] = valueOf(m.steepestFall);
        r[cFallTime] = timeOf(m.steepestFall);
        r[cAbove] = m.secondsAbove;
        r[cBelow] = m.secondsBelow;
        r[cFirstCrossing] = m.firstCrossing;
        r[cLastCrossing] = m.lastCrossing;
        if (m.secondsAbove)
            r[cCrossings] = m.crossings;
        r[cInBand] = m.secondsInBand;
        r[cExcursions] = asDouble(m.excursions);
        r[cDegreeMinutes] = m.degreeMinutes;
        r[cMissing] = m.missingSeconds;
    }
    std::vector<std::optional<double>> out;
    for (int c = 0; c < cCount; ++c)
        if (shown(c, options))
            out.push_back(r[std::size_t(c)]);
    return out;
}

QString durationText(double seconds)
{
    // Past a hundred million hours a duration is no longer a measurement.
    constexpr double kLongest = 3.6e11;
    if (!std::isfinite(seconds) || seconds < 0 || seconds > kLongest)
        return {};
    const auto whole = static_cast<long long>(std::llround(seconds));
    return QStringLiteral("%1:%2:%3")
        .arg(whole / 3600)
        .arg(whole / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(whole % 60, 2, 10, QLatin1Char('0'));
}

namespace {

int programDecimals(FigureKind kind)
{
    return kind == FigureKind::Duration ? 3 : 4;
}

// A number for programs: a point, at most `decimals` decimals, no trailing zeros.
QString plainNumber(double v, int decimals)
{
    QString text = QString::number(v, 'f', decimals);
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

} // namespace

double figureForPrograms(FigureKind kind, double value)
{
    const double scale = std::pow(10.0, programDecimals(kind));
    const double rounded = std::round(value * scale) / scale;
    return std::isfinite(rounded) ? rounded : value;
}

QString figureText(FigureKind kind, const std::optional<double>& value, const MeasureTextStyle& style)
{
    if (!value || !std::isfinite(*value))
        return {};
    const double v = *value;
    if (!style.forPeople) {
        switch (kind) {
        case FigureKind::Time:
            return style.timeText ? style.timeText(v) : QString::number(v, 'f', 8);
        case FigureKind::Count:
            return QString::number(static_cast<long long>(std::llround(v)));
        default:
            return plainNumber(v, programDecimals(kind));
        }
    }
    switch (kind) {
    case FigureKind::Name:
        return {};
    case FigureKind::Temperature:
        if (v > kOverloadThreshold || v < -kOverloadThreshold)
            return StatText::kOverload;
        return LocaleText::fixed(v, 1, style.locale);
    case FigureKind::Slope:
        return LocaleText::fixed(v, 2, style.locale);
    case FigureKind::Area:
        return LocaleText::fixed(v, 1, style.locale);
    case FigureKind::Time:
        return defaultTime(style, v);
    case FigureKind::Duration:
        return durationText(v);
    case FigureKind::Count:
        return QString::number(static_cast<long long>(std::llround(v)));
    }
    return {};
}

MeasureTable measureTable(const SpanMeasure& measure, const MeasureOptions& options,
                          const QStringList& names, const QString& unit,
                          const MeasureTextStyle& style)
{
    MeasureTable table;
    const std::vector<FigureColumn> columns = measureColumns(measure, options, unit, style);
    for (const FigureColumn& c : columns)
        table.header << (style.forPeople ? c.title : c.key);
    for (int k = 0; k < int(measure.channels.size()); ++k) {
        const auto row = measureRow(measure, options, k);
        QStringList cells;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            if (columns[i].kind == FigureKind::Name) {
                const QString name = k < names.size() ? names[k].trimmed() : QString();
                cells << (name.isEmpty() ? QStringLiteral("T%1").arg(k + 1) : name);
            } else {
                cells << figureText(columns[i].kind, row[i], style);
            }
        }
        table.rows.push_back(cells);
    }
    return table;
}

QString tabSeparated(const MeasureTable& table)
{
    // A tab or a line break inside a cell would split it.
    const auto clean = [](QStringList cells) {
        for (QString& c : cells)
            c.replace(QLatin1Char('\t'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
        return cells.join(QLatin1Char('\t'));
    };
    QString out = clean(table.header) + QLatin1Char('\n');
    for (const QStringList& row : table.rows)
        out += clean(row) + QLatin1Char('\n');
    return out;
}

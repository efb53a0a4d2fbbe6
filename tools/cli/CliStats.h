// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// `stats`: the measuring figures of the graph windows' measuring pane (graph/SpanMeasure.h),
// per channel between two times, for a collection's set, a graph file, a text or CSV file of the
// program, or a machine CSV file; a tab-separated table or JSON.

#include "CliArgs.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace cli {

// The channels of a file as the figures need them: per channel its times (days) and values.
struct StatsData {
    std::vector<std::vector<double>> times;
    std::vector<std::vector<float>> values;
    QStringList names;   // the channels' names (T1 to T4 where the file gives none)
    QString unit;        // "°C", "°F" or empty where the file does not say
    QString source;      // the file's name
    int set = 0;         // the set of a collection (from 1), 0 for other files
    QStringList notes;   // said on standard error
};

// Reads the file named by a.file. Throws UsageError for an unknown kind or --set with a file
// that is not a collection, Failure when it cannot be read.
StatsData readStatsSource(const Arguments& a);

// A time given on the command line: an ISO 8601 date and time (a blank may stand for the T; an
// offset is converted to local time), a time of day on the first sample's date (the next day when
// that lies before the first sample), or "+" and a time after the first sample in seconds or as
// h:mm:ss. nullopt when the text is none of these.
std::optional<double> parseStatsTime(const QString& text, double firstSample);

// The whole output of `stats`. Throws UsageError for a --from or --to that is no time, Failure
// for a file without samples.
QByteArray statsText(const StatsData& data, const Arguments& a);

} // namespace cli

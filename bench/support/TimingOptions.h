// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The command line of the timing tools: TOOL --port PATH [--runs N].

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <optional>

struct TimingOptions {
    QString port;
    int runs = 1;
};

// runsHelp describes --runs ("Downloads to time (default 3)."); nullopt, after a message on
// standard error, when --port is missing.
inline std::optional<TimingOptions> parseTimingOptions(const QCoreApplication& app, const char* tool,
                                                       const QString& runsHelp, int defaultRuns)
{
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption port("port", "The meter's device.", "PATH");
    const QCommandLineOption runs("runs", runsHelp, "N");
    parser.addOptions({port, runs});
    parser.process(app);
    if (!parser.isSet(port)) {
        std::fprintf(stderr, "%s: --port is required\n", tool);
        return std::nullopt;
    }
    return TimingOptions{parser.value(port), parser.isSet(runs) ? std::max(1, parser.value(runs).toInt()) : defaultRuns};
}

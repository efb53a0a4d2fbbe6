// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The command line of kolva-cli: one command and its options, checked before anything is done.
// A command line that is wrong gives a UsageError with a one-line reason and, once the command
// is known, the command; the caller prints the reason with that command's usage line and a
// pointer to --help, and exits with status 2.

#include "alarms/AlarmRule.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <stdexcept>
#include <vector>

namespace cli {

enum class Command { Help, Version, Ports, Live, Download, Sets, Export, Setup };

enum class ExportFormat { Machine, Txt, Csv };

// The set-up operations, run in the order given.
enum class SetupStep { Clock, Interval, Erase, Defaults, Read };

struct Arguments {
    Command command = Command::Help;
    QString port;               // --port PATH; empty: search the meter
    QString output;             // -o FILE; empty: standard output
    bool comments = false;      // live / export --comments: metadata as '#' lines in the CSV
    int period = 1;             // live --period S
    std::optional<int> count;   // live --count N
    int retries = 1;            // download --retries N
    bool fix = false;           // download --fix
    QString file;               // sets / export FILE
    int set = 1;                // export --set K, counting from 1
    bool setGiven = false;
    ExportFormat format = ExportFormat::Machine;
    std::vector<SetupStep> steps; // setup
    QString intervalMinutes;    // setup --interval MM:SS, the two texts as given
    QString intervalSeconds;
    std::vector<AlarmRule> alarms; // live --alarm RULE, repeatable
    QString onAlarm;            // live --on-alarm CMD
    bool exitOnAlarm = false;   // live --exit-on-alarm
};

struct UsageError : std::runtime_error {
    explicit UsageError(const QString& reason, std::optional<Command> of = std::nullopt)
        : std::runtime_error(reason.toStdString()), command(of)
    {
    }
    QString reason() const { return QString::fromStdString(what()); }
    std::optional<Command> command; // the command whose usage was wrong, when it is known
};

// args without the program name. Throws UsageError.
Arguments parseArguments(const QStringList& args);

QString usageText();
// "Usage: kolva-cli live [--port PATH] ...": the one line of a command, or of all commands.
QString usageLine(std::optional<Command> command);

} // namespace cli

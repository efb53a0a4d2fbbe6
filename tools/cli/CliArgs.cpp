// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliArgs.h"

#include "logger/MeterSetup.h"

#include <QRegularExpression>
#include <QSet>

#include <limits>

namespace cli {

namespace {

struct CommandName {
    const char* name;
    Command command;
    QStringList options; // the options it takes; "FILE" for its one positional argument
    const char* synopsis; // its usage line, after "kolva-cli "
};

const std::vector<CommandName>& commands()
{
    static const std::vector<CommandName> list = {
        {"ports", Command::Ports, {}, "ports"},
        {"live", Command::Live,
         {"--port", "--period", "--count", "-o", "--comments", "--alarm", "--on-alarm",
          "--exit-on-alarm"},
         "live [--port PATH] [--period S] [--count N] [-o FILE] [--comments] [--alarm RULE]... "
         "[--on-alarm CMD] [--exit-on-alarm]"},
        {"download", Command::Download, {"--port", "--retries", "--fix", "-o"},
         "download [--port PATH] [--retries N] [--fix] -o FILE.CH4"},
        {"sets", Command::Sets, {"FILE"}, "sets FILE.CH4"},
        {"export", Command::Export, {"FILE", "--set", "--format", "-o", "--comments"},
         "export FILE [--set K] [--format machine|txt|csv] [-o OUT] [--comments]"},
        {"setup", Command::Setup,
         {"--port", "--clock", "--interval", "--erase", "--defaults", "--read"},
         "setup [--port PATH] [--clock] [--interval MM:SS] [--erase] [--defaults] [--read]"},
    };
    return list;
}

const char* const kHelpSynopsis = "--help | --version";

// Options that take a value.
bool takesValue(const QString& option)
{
    static const QSet<QString> withValue = {"--port", "--period", "--count", "-o",
                                            "--retries", "--set", "--format", "--interval",
                                            "--alarm", "--on-alarm"};
    return withValue.contains(option);
}

int wholeNumber(const QString& option, const QString& text, int minimum, int maximum)
{
    bool ok = false;
    const qlonglong v = text.toLongLong(&ok);
    if (!ok || v < minimum || v > maximum)
        throw UsageError(QStringLiteral("%1 needs a whole number from %2 to %3, not \"%4\"")
                             .arg(option).arg(minimum).arg(maximum).arg(text));
    return int(v);
}

ExportFormat formatOf(const QString& text)
{
    if (text == QLatin1String("machine"))
        return ExportFormat::Machine;
    if (text == QLatin1String("txt"))
        return ExportFormat::Txt;
    if (text == QLatin1String("csv"))
        return ExportFormat::Csv;
    throw UsageError(QStringLiteral("--format is machine, txt or csv, not \"%1\"").arg(text));
}

// MM:SS, with the limits of the meter's set-up: each part up to 60, not both 0.
void intervalOf(const QString& text, Arguments& a)
{
    static const QRegularExpression form(QStringLiteral("^(\\d{1,2}):(\\d{1,2})$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        throw UsageError(QStringLiteral("--interval is MM:SS, not \"%1\"").arg(text));
    if (!Setup::intervalBytes(m.captured(1), m.captured(2)))
        throw UsageError(QStringLiteral("--interval %1 is not an interval the meter takes "
                                        "(minutes and seconds up to 60 each, not both 0)")
                             .arg(text));
    a.intervalMinutes = m.captured(1);
    a.intervalSeconds = m.captured(2);
}

void applyOption(const QString& option, const QString& value, Arguments& a)
{
    constexpr int kMax = std::numeric_limits<int>::max();
    if (option == QLatin1String("--port")) {
        if (value.isEmpty())
            throw UsageError(QStringLiteral("--port needs a device path"));
        a.port = value;
    } else if (option == QLatin1String("-o")) {
        if (value.isEmpty())
            throw UsageError(QStringLiteral("-o needs a file name"));
        a.output = value;
    } else if (option == QLatin1String("--period")) {
        a.period = wholeNumber(option, value, 1, 86400);
    } else if (option == QLatin1String("--count")) {
        a.count = wholeNumber(option, value, 1, kMax);
    } else if (option == QLatin1String("--retries")) {
        a.retries = wholeNumber(option, value, 0, 10);
    } else if (option == QLatin1String("--fix")) {
        a.fix = true;
    } else if (option == QLatin1String("--comments")) {
        a.comments = true;
    } else if (option == QLatin1String("--set")) {
        a.set = wholeNumber(option, value, 1, kMax);
        a.setGiven = true;
    } else if (option == QLatin1String("--format")) {
        a.format = formatOf(value);
    } else if (option == QLatin1String("--interval")) {
        intervalOf(value, a);
        a.steps.push_back(SetupStep::Interval);
    } else if (option == QLatin1String("--clock")) {
        a.steps.push_back(SetupStep::Clock);
    } else if (option == QLatin1String("--erase")) {
        a.steps.push_back(SetupStep::Erase);
    } else if (option == QLatin1String("--defaults")) {
        a.steps.push_back(SetupStep::Defaults);
    } else if (option == QLatin1String("--read")) {
        a.steps.push_back(SetupStep::Read);
    } else if (option == QLatin1String("--alarm")) {
        QString why;
        const std::optional<AlarmRule> rule = Alarm::parseRule(value, &why);
        if (!rule)
            throw UsageError(QStringLiteral("--alarm: ") + why);
        a.alarms.push_back(*rule);
    } else if (option == QLatin1String("--on-alarm")) {
        if (value.trimmed().isEmpty())
            throw UsageError(QStringLiteral("--on-alarm needs a command"));
        a.onAlarm = value;
    } else if (option == QLatin1String("--exit-on-alarm")) {
        a.exitOnAlarm = true;
    }
}

// The options and the file of a known command.
void parseOptions(const CommandName& c, const QStringList& args, Arguments& a)
{
    const CommandName* command = &c;
    QSet<QString> seen;
    bool fileGiven = false;
    for (int i = 1; i < args.size(); ++i) {
        QString option = args[i];
        QString value;
        bool inlineValue = false;
        if (option.startsWith(QLatin1String("--")) && option.contains(QLatin1Char('='))) {
            value = option.mid(option.indexOf(QLatin1Char('=')) + 1);
            option = option.left(option.indexOf(QLatin1Char('=')));
            inlineValue = true;
        }
        const bool isOption = option.startsWith(QLatin1Char('-')) && option.size() > 1;
        if (!isOption) {
            if (!command->options.contains(QLatin1String("FILE")) || fileGiven)
                throw UsageError(QStringLiteral("unexpected argument \"%1\"").arg(args[i]));
            a.file = args[i];
            fileGiven = true;
            continue;
        }
        if (!command->options.contains(option))
            throw UsageError(QStringLiteral("%1 does not take %2").arg(QLatin1String(command->name), option));
        // Set-up steps may come more than once; they run in the order given. So may alarms.
        if (a.command != Command::Setup && option != QLatin1String("--alarm") && seen.contains(option))
            throw UsageError(QStringLiteral("%1 is given twice").arg(option));
        seen.insert(option);
        if (takesValue(option) && !inlineValue) {
            if (i + 1 >= args.size())
                throw UsageError(QStringLiteral("%1 needs a value").arg(option));
            value = args[++i];
        } else if (!takesValue(option) && inlineValue) {
            throw UsageError(QStringLiteral("%1 takes no value").arg(option));
        }
        applyOption(option, value, a);
    }

    if (command->options.contains(QLatin1String("FILE")) && !fileGiven)
        throw UsageError(QStringLiteral("%1 needs a FILE").arg(QLatin1String(command->name)));
    if (a.alarms.empty() && (a.exitOnAlarm || !a.onAlarm.isEmpty()))
        throw UsageError(QStringLiteral("%1 needs at least one --alarm")
                             .arg(a.exitOnAlarm ? QStringLiteral("--exit-on-alarm")
                                                : QStringLiteral("--on-alarm")));
    if (a.command == Command::Download && a.output.isEmpty())
        throw UsageError(QStringLiteral("download needs -o FILE.CH4"));
    if (a.comments && a.format != ExportFormat::Machine)
        throw UsageError(QStringLiteral("--comments is for machine CSV, not --format %1")
                             .arg(a.format == ExportFormat::Txt ? QStringLiteral("txt")
                                                                : QStringLiteral("csv")));
    if (a.command == Command::Setup && a.steps.empty())
        throw UsageError(QStringLiteral("setup needs at least one of --clock, --interval, "
                                        "--erase, --defaults, --read"));
}

} // namespace

Arguments parseArguments(const QStringList& args)
{
    Arguments a;
    if (args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"))
        || (args.size() == 1 && args.first() == QLatin1String("help"))) {
        a.command = Command::Help;
        return a;
    }
    if (args.isEmpty())
        throw UsageError(QStringLiteral("no command given"));
    if (args.first() == QLatin1String("--version")) {
        if (args.size() > 1)
            throw UsageError(QStringLiteral("--version takes nothing more"));
        a.command = Command::Version;
        return a;
    }

    const CommandName* command = nullptr;
    for (const CommandName& c : commands())
        if (args.first() == QLatin1String(c.name))
            command = &c;
    if (!command)
        throw UsageError(QStringLiteral("unknown command \"%1\"").arg(args.first()));
    a.command = command->command;
    try {
        parseOptions(*command, args, a);
    } catch (UsageError& e) {
        e.command = a.command;
        throw;
    }
    return a;
}

QString usageLine(std::optional<Command> command)
{
    for (const CommandName& c : commands())
        if (command && c.command == *command)
            return QStringLiteral("Usage: kolva-cli %1").arg(QLatin1String(c.synopsis));
    QStringList names;
    for (const CommandName& c : commands())
        names << QLatin1String(c.name);
    return QStringLiteral("Usage: kolva-cli COMMAND [OPTIONS], COMMAND one of %1")
        .arg(names.join(QStringLiteral(", ")));
}

QString usageText()
{
    QString synopsis = QStringLiteral("Usage:\n");
    for (const CommandName& c : commands())
        synopsis += QStringLiteral("  kolva-cli %1\n").arg(QLatin1String(c.synopsis));
    synopsis += QStringLiteral("  kolva-cli %1\n").arg(QLatin1String(kHelpSynopsis));
    return synopsis + QStringLiteral(
        "\n"
        "Commands:\n"
        "  ports     The serial devices as the program lists them, one a line.\n"
        "  live      The meter's readings as machine CSV, one line per period (default 1 s)\n"
        "            while the meter sends, until N lines or Ctrl+C.\n"
        "            --alarm watches a rule on every frame (repeatable): T1>250 (above; C\n"
        "            unless the limit ends in F), T2<-10 (below), T3:rise>5/60s or\n"
        "            T3:fall>5/60s (faster than 5 degrees a minute over the last 60 s),\n"
        "            T4:none (no reading), lost (the meter lost); options after commas:\n"
        "            hyst=N (the hysteresis) and for=10s (the minimum duration). Each alarm's\n"
        "            start and end goes to standard error; --on-alarm runs CMD with the shell\n"
        "            for each, with KOLVA_ALARM_EVENT (start or end), KOLVA_ALARM_TIME,\n"
        "            KOLVA_ALARM_CHANNEL, KOLVA_ALARM_RULE, KOLVA_ALARM_KIND,\n"
        "            KOLVA_ALARM_LIMIT, KOLVA_ALARM_UNIT, KOLVA_ALARM_VALUE and\n"
        "            KOLVA_ALARM_TEXT in its environment; --exit-on-alarm ends with status 3\n"
        "            at the first alarm.\n"
        "  download  The data logger's memory into a data set collection file, written whole\n"
        "            or not at all. A failed transfer is tried again N times (default 1);\n"
        "            --fix deletes a damaged data set and keeps the sets before it.\n"
        "  sets      The data sets of a collection file, tab-separated.\n"
        "  export    Data set K (from 1, default 1) of a collection file (.CH4), a graph file\n"
        "            (.ghf), or a text (.txt) or CSV (.csv) file of the program, as machine CSV\n"
        "            (default) or as the program's own txt or csv export lines.\n"
        "  setup     The meter set-up operations, in the order given, each reported OK or with\n"
        "            its failure; --read prints what the meter reports.\n"
        "\n"
        "Options:\n"
        "  --port PATH       The meter's serial device (live, download, setup).\n"
        "  -o FILE           Write to FILE instead of standard output (download: the\n"
        "                    collection file).\n"
        "  --period S        live: seconds between lines, 1 to 86400 (default 1).\n"
        "  --count N         live: end after N lines (default: at Ctrl+C).\n"
        "  --comments        live, export: what describes the data as '#' lines before\n"
        "                    the CSV header instead of FILE.json.\n"
        "  --retries N       download: tries after a failed transfer, 0 to 10 (default 1).\n"
        "  --fix             download: delete a damaged data set and keep those before it.\n"
        "  --set K           export: the data set of a collection file, from 1 (default 1).\n"
        "  --format F        export: machine (default), txt or csv.\n"
        "  --clock           setup: set the meter's clock to this computer's.\n"
        "  --interval MM:SS  setup: the meter's recording interval.\n"
        "  --erase           setup: erase the data sets in the meter's memory.\n"
        "  --defaults        setup: the meter's defaults (thermocouple K, EXT offsets 0).\n"
        "  --read            setup: print the meter's firmware, clock, interval, memory and\n"
        "                    calibration values.\n"
        "  -h, --help        This text.\n"
        "  --version         The program's version.\n"
        "\n"
        "Without --port the meter is searched on every serial device, as the program does at\n"
        "start-up. Output goes to standard output unless -o names a file.\n"
        "\n"
        "Machine CSV: the header time,T1,T2,T3,T4,unit, then one line per sample: ISO 8601\n"
        "local time with its UTC offset, the four readings (empty when missing) and their unit\n"
        "(C or F; empty when the file does not say). What describes the data (source, set,\n"
        "unit, thermocouple, rate, offsets, meter) goes with -o FILE to FILE.json beside it;\n"
        "--comments puts it into the CSV instead, as '#' lines before the header.\n"
        "\n"
        "Exit status: 0 success, 1 the operation failed (the reason on standard error),\n"
        "2 bad usage, 3 an alarm with live --exit-on-alarm.\n");
}

} // namespace cli

// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliMain.h"

#include "CliArgs.h"
#include "CliDownload.h"
#include "CliFailure.h"
#include "CliFiles.h"
#include "CliLive.h"
#include "CliMeter.h"
#include "CliSetup.h"

#include "app/PortAccess.h"
#include "base/WholeFile.h"

#include <QCoreApplication>

#include <cstdio>
#include <exception>

namespace cli {

void note(const QString& text)
{
    std::fprintf(stderr, "kolva-cli: %s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

namespace {

void writeOut(const QByteArray& bytes)
{
    if (!bytes.isEmpty() && std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout)
                                != std::size_t(bytes.size()))
        throw Failure(QStringLiteral("Cannot write to standard output."));
    if (std::fflush(stdout) != 0)
        throw Failure(QStringLiteral("Cannot write to standard output."));
}

// To standard output, or to the file written whole.
void writeResult(const QString& output, const QByteArray& bytes)
{
    if (output.isEmpty()) {
        writeOut(bytes);
        return;
    }
    if (const QString reason = writeFileWhole(output, bytes); !reason.isEmpty())
        throw Failure(QStringLiteral("Cannot write file \"%1\". %2").arg(output, reason));
}

// The devices, one a line; the reason for each that this user may not open goes to stderr.
int runPorts()
{
    QByteArray out;
    for (const QString& device : programPortList()) {
        out += device.toLocal8Bit() + '\n';
        if (const QString problem = portAccessProblem(device); !problem.isEmpty())
            note(problem);
    }
    writeOut(out);
    return ExitOk;
}

int runSets(const Arguments& a)
{
    requireCollectionName(a.file);
    writeOut(setsTable(readCollection(a.file)));
    return ExitOk;
}

int runExport(const Arguments& a)
{
    const ExportData data = readExportSource(a);
    for (const QString& n : data.notes)
        note(n);
    if (a.format != ExportFormat::Machine)
        note(unitNote(data)); // machine CSV has the unit on every line
    writeResult(a.output, exportText(data, a.format, a.comments));
    // The metadata go beside a machine CSV file; standard output carries the CSV alone.
    if (a.format == ExportFormat::Machine && !a.output.isEmpty() && !a.comments)
        writeMetadataFile(a.output, data.metadata);
    return ExitOk;
}

// The reason, the usage line of the command and where the whole help is.
int usageFailure(const UsageError& e)
{
    std::fprintf(stderr, "kolva-cli: %s\n%s\nRun 'kolva-cli --help' for every command and option.\n",
                 e.reason().toLocal8Bit().constData(), usageLine(e.command).toLocal8Bit().constData());
    return ExitUsage;
}

int run(const Arguments& a)
{
    switch (a.command) {
    case Command::Help:
        writeOut(usageText().toLocal8Bit());
        return ExitOk;
    case Command::Version:
        writeOut("kolva-cli " + QCoreApplication::applicationVersion().toLocal8Bit() + '\n');
        return ExitOk;
    case Command::Ports: return runPorts();
    case Command::Live: return runLive(a);
    case Command::Download: return runDownload(a);
    case Command::Sets: return runSets(a);
    case Command::Export: return runExport(a);
    case Command::Setup: return runSetup(a);
    }
    return ExitFailed;
}

} // namespace

int runCommandLine(const QStringList& args)
{
    try {
        return run(parseArguments(args));
    } catch (const UsageError& e) {
        return usageFailure(e);
    } catch (const Failure& f) {
        note(f.reason());
        return ExitFailed;
    } catch (const std::exception& e) {
        note(QString::fromUtf8(e.what()));
        return ExitFailed;
    }
}

} // namespace cli

// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliSetup.h"

#include "CliFailure.h"
#include "CliMeter.h"

#include "base/SilentAbort.h"
#include "logger/LoggerDownload.h"
#include "logger/SetupCommands.h"

#include <cstdio>

namespace cli {

namespace {

const char* stepName(SetupStep step)
{
    switch (step) {
    case SetupStep::Clock: return "clock";
    case SetupStep::Interval: return "interval";
    case SetupStep::Erase: return "erase";
    case SetupStep::Defaults: return "defaults";
    case SetupStep::Read: return "read";
    }
    return "";
}

// A message box's text on one line.
QString oneLine(QString text)
{
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text.simplified();
}

void printLine(const QString& line)
{
    std::fprintf(stdout, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stdout);
}

class SetupSession : public ISetupHost, public ISetupView {
public:
    explicit SetupSession(const Arguments& a) : args_(a), port_(true) {}

    int run()
    {
        findMeter(port_, args_.port, NotFound::Fail);
        SetupCommands commands(*this, *this, DownloadServices::system());
        QStringList failed;
        try {
            commands.Begin();
            for (const SetupStep step : args_.steps)
                if (!runStep(commands, step))
                    failed << QString::fromLatin1(stepName(step));
        } catch (const SilentAbort&) {
            throw Failure(QStringLiteral("The connection to the meter on %1 failed%2")
                              .arg(port_.DeviceName(),
                                   port_.lastError().isEmpty() ? QStringLiteral(".")
                                                               : QStringLiteral(": ") + port_.lastError()));
        }
        commands.End();
        if (!failed.isEmpty())
            throw Failure(QStringLiteral("Failed: %1").arg(failed.join(QStringLiteral(", "))));
        return ExitOk;
    }

    // ISetupHost: no watchdog and no frame reader run beside the set-up here.
    IComPort& Comm1() override { return port_; }
    void SetMainTimerEnabled(bool) override {}
    void DetachLiveReceiver() override { port_.SetOnRxChar({}); }
    void AttachLiveReceiver() override {}
    void SetBusyCursor(bool) override {}

    // ISetupView: the label's state and the message make the operation's line.
    void SetOkLabel(OkLabel, LabelState state) override { label_ = state; }
    void ShowMessage(const QString& text) override { message_ = text; }
    void ShowInfo(const MeterInfoTexts&) override {}
    void SetDiagnosticStatus(const QString&) override {}
    void SetReceivedBytes(int) override {}

private:
    bool runStep(SetupCommands& commands, SetupStep step)
    {
        const QString name = QString::fromLatin1(stepName(step));
        if (step == SetupStep::Read) {
            const ReadReport report = readReport(commands.Exchanges().ReadMeterInfo());
            printLine(name + (report.complete ? QStringLiteral(": OK")
                                              : QStringLiteral(": Fail: the meter did not answer every question")));
            for (const QString& line : report.lines)
                printLine(QStringLiteral("  ") + line);
            return report.complete;
        }
        label_ = LabelState::Empty;
        message_.clear();
        switch (step) {
        case SetupStep::Clock: commands.AdjustMeterTime(true); break;
        case SetupStep::Interval:
            commands.AdjustRecordingInterval(true, args_.intervalMinutes, args_.intervalSeconds);
            break;
        case SetupStep::Erase: commands.EraseMeterMemory(true); break;
        case SetupStep::Defaults: commands.SetMeterDefaults(true); break;
        case SetupStep::Read: break;
        }
        const bool ok = label_ == LabelState::Ok;
        printLine(name + (ok ? QStringLiteral(": OK: ") : QStringLiteral(": Fail: ")) + oneLine(message_));
        return ok;
    }

    const Arguments& args_;
    MeterPort port_;
    LabelState label_ = LabelState::Empty;
    QString message_;
};

} // namespace

ReadReport readReport(const MeterInfo& info)
{
    ReadReport r;
    r.lines = meterInfoLines(meterInfoTexts(info));
    r.complete = info.firmwareVersion && info.meterTime && info.header;
    return r;
}

int runSetup(const Arguments& a)
{
    SetupSession session(a);
    return session.run();
}

} // namespace cli

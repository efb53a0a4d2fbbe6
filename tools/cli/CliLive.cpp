// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliLive.h"

#include "CliFailure.h"
#include "CliFiles.h"
#include "CliMeter.h"
#include "CliSignals.h"

#include "alarms/AlarmEngine.h"
#include "alarms/AlarmTexts.h"
#include "base/Clock.h"
#include "base/DateTime.h"
#include "files/MachineCsv.h"
#include "link/LinkView.h"
#include "link/LiveLink.h"
#include "base/SilentAbort.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTimer>

#include <memory>
#include <unistd.h>

namespace cli {

namespace {

// Machine CSV to standard output or a file, each line handed to the system at once.
class LineOutput {
public:
    explicit LineOutput(const QString& path) : path_(path)
    {
        const bool ok = path.isEmpty()
                            ? file_.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered)
                            : (file_.setFileName(path),
                               file_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered));
        if (!ok)
            throw Failure(QStringLiteral("Cannot write file \"%1\". %2").arg(path, file_.errorString()));
    }

    void writeHeader(const QByteArray& preamble) { check(csv_.writeHeader(preamble)); }
    void write(const MachineSample& sample) { check(csv_.write(sample)); }

private:
    void check(bool written)
    {
        if (!written)
            throw Failure(QStringLiteral("Cannot write %1. %2")
                              .arg(path_.isEmpty() ? QStringLiteral("to standard output")
                                                   : QStringLiteral("file \"%1\"").arg(path_),
                                   file_.errorString()));
    }

    QString path_;
    QFile file_;
    MachineCsv::Writer csv_{file_};
};

class LiveSession : public ILinkView {
public:
    explicit LiveSession(const Arguments& a) : args_(a), port_(true)
    {
        link_.State().RealTimeRate = a.period;
        MainTimer.setTimerType(Qt::PreciseTimer);
        MainTimer.setInterval(LiveLink::kNominalIntervalMs);
        QObject::connect(&MainTimer, &QTimer::timeout, [this] { MainTimerTimer(); });
        signals_.setOnStop([this] { stop(ExitOk); });
        link_.SetOnMeterLost([this] { alarmEvents(alarms_.meterLost()); });
    }

    int run()
    {
        const MeterFound found = findMeter(port_, args_.port, NotFound::Wait,
                                           [] { return StopSignals::requested(); });
        if (StopSignals::requested())
            return ExitOk;
        device_ = found.search.devicePath;
        if (!found.waitReason.isEmpty())
            note(found.waitReason + QStringLiteral(" Waiting for it (Ctrl+C ends)."));

        output_ = std::make_unique<LineOutput>(args_.output);
        const MachineCsv::Metadata metadata = liveMetadata(device_, args_.period, found.search);
        output_->writeHeader(args_.comments ? metadata.comments() : QByteArray());
        if (!args_.output.isEmpty() && !args_.comments)
            writeMetadataFile(args_.output, metadata);

        port_.SetOnRxChar([this](TCustomComPort&) { runSilently([this] { link_.Comm1RxChar(); }); });
        port_.SetOnHandlerException([](TCustomComPort&, const std::exception& e) {
            note(QString::fromUtf8(e.what()));
        });
        ApplySearchResult(found.search, port_, *this, link_.State());
        MainTimer.start();
        if (status_ == ExitOk && !stopped_)
            QCoreApplication::exec();
        MainTimer.stop();
        runSilently([this] { port_.Close(); });
        if (status_ == ExitAlarm)
            return ExitAlarm;
        if (status_ != ExitOk)
            throw Failure(failure_);
        return ExitOk;
    }

    // ILinkView: the link's changes of state are noted (the loss is told again every third
    // silent tick; it is noted once).
    void MeterConnected(const QString& devicePath) override { linkState(devicePath, true); }
    void MeterLost(const QString& devicePath) override { linkState(devicePath, false); }

private:
    void linkState(const QString& devicePath, bool on)
    {
        if (knownOn_ && *knownOn_ == on)
            return;
        if (knownOn_) // not the start itself
            note(on ? (everOn_ ? QStringLiteral("The meter on %1 sends again.")
                               : QStringLiteral("The meter on %1 answers."))
                          .arg(devicePath)
                    : QStringLiteral("The meter on %1 is lost: no lines until it is back.").arg(devicePath));
        knownOn_ = on;
        everOn_ = everOn_ || on;
    }

    void MainTimerTimer()
    {
        try {
            runSilently([this] {
                const int next = link_.MainTimerTimer(DateTime::now(), MainTimer.interval());
                if (next != MainTimer.interval())
                    MainTimer.setInterval(next);
            });
            alarmEvents(alarms_.tick());
        } catch (const Failure& f) {
            failure_ = f.reason();
            stop(ExitFailed);
        }
    }

    void frameReceived(const LiveFrame& frame)
    {
        DecodeLiveFrame(frame, reading_, decoder_);
        if (!args_.alarms.empty())
            alarmEvents(alarms_.frame(reading_.Channel, reading_.ChannelStatus, reading_.Celsius));
    }

    // Each event on standard error and to the --on-alarm command; the first start ends the
    // run with --exit-on-alarm.
    void alarmEvents(const std::vector<AlarmEvent>& events)
    {
        for (const AlarmEvent& e : events) {
            if (stopped_)
                return;
            note(QStringLiteral("alarm ") + Alarm::eventText(e) + QStringLiteral(" at ")
                 + QString::fromLatin1(MachineCsv::timeText(e.time)));
            if (!args_.onAlarm.isEmpty())
                runCommand(e);
            if (args_.exitOnAlarm && e.type == AlarmEvent::Type::Start)
                stop(ExitAlarm);
        }
    }

    void runCommand(const AlarmEvent& e)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        const AlarmRule& r = e.rule;
        env.insert(QStringLiteral("KOLVA_ALARM_EVENT"), Alarm::eventWord(e.type));
        env.insert(QStringLiteral("KOLVA_ALARM_TIME"), QString::fromLatin1(MachineCsv::timeText(e.time)));
        env.insert(QStringLiteral("KOLVA_ALARM_CHANNEL"),
                   r.kind == AlarmKind::MeterLost ? QStringLiteral("meter") : Alarm::channelName(r.channel));
        env.insert(QStringLiteral("KOLVA_ALARM_RULE"), Alarm::ruleText(r));
        env.insert(QStringLiteral("KOLVA_ALARM_KIND"), Alarm::kindWord(r.kind));
        env.insert(QStringLiteral("KOLVA_ALARM_LIMIT"),
                   r.hasLimit() ? QString::fromLatin1(MachineCsv::valueText(float(r.limit))) : QString());
        env.insert(QStringLiteral("KOLVA_ALARM_UNIT"), Alarm::valueUnit(r));
        env.insert(QStringLiteral("KOLVA_ALARM_VALUE"),
                   e.value ? QString::fromLatin1(MachineCsv::valueText(float(*e.value))) : QString());
        env.insert(QStringLiteral("KOLVA_ALARM_TEXT"), Alarm::describe(r));
        QProcess command;
        command.setProcessEnvironment(env);
        command.setProgram(QStringLiteral("/bin/sh"));
        command.setArguments({QStringLiteral("-c"), args_.onAlarm});
        command.setStandardInputFile(QProcess::nullDevice());
        if (!command.startDetached())
            note(QStringLiteral("The --on-alarm command could not be started: ") + command.errorString());
    }

    void sampleDue(double time)
    {
        if (stopped_)
            return;
        output_->write({time, recordedValues(reading_), unitOf(reading_.Celsius)});
        if (args_.count && ++written_ >= *args_.count)
            stop(ExitOk);
    }

    void stop(int status)
    {
        if (stopped_)
            return;
        stopped_ = true;
        status_ = status;
        QCoreApplication::exit(status);
    }

    const Arguments& args_;
    MeterPort port_;
    LiveReading reading_;
    DecoderState decoder_;
    SystemClock clock_;
    AlarmEngine alarms_{clock_, args_.alarms};
    LiveLink link_{port_, *this,
                   LinkHooks{[this](const LiveFrame& f) { frameReceived(f); }, [] { return true; },
                             [this](double time) { sampleDue(time); }}};
    QTimer MainTimer;
    StopSignals signals_;
    std::unique_ptr<LineOutput> output_;
    QString device_;
    std::optional<bool> knownOn_;
    bool everOn_ = false;
    int written_ = 0;
    bool stopped_ = false;
    int status_ = ExitOk;
    QString failure_;
};

} // namespace

MachineCsv::Metadata liveMetadata(const QString& device, int period,
                                  const MeterSearchResult& search)
{
    MachineCsv::Metadata m;
    m.add(QStringLiteral("source"), device);
    m.add(QStringLiteral("rate"), period);
    if (!search.identification.isEmpty())
        m.add(QStringLiteral("meter"), search.identification);
    return m;
}

int runLive(const Arguments& a)
{
    LiveSession session(a);
    return session.run();
}

} // namespace cli

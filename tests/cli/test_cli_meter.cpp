// SPDX-License-Identifier: GPL-3.0-or-later
// kolva-cli against the simulated meter on a pseudo-terminal at 9600 baud, as a process with
// --port: the download compared byte for byte with the meter's memory, live lines, a lost meter,
// an interrupt, the device reasons and the port list.
#include "CliProcess.h"

#include "base/DateTime.h"
#include "files/MachineCsv.h"
#include "link/LiveFrame.h"
#include "tools/sim/PtyServer.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QThread>

#include <algorithm>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

sim::PtyOptions smallMeter()
{
    sim::PtyOptions o;
    sim::LoggedRun run;
    run.samples = 20;
    run.rateSeconds = 5;
    o.meter.logger.runs = {run};
    return o;
}

// The sample lines of live output, each checked to be a whole machine CSV line.
std::vector<MachineSample> liveSamples(const QByteArray& out)
{
    const MachineCsv::Content c = MachineCsv::read(out);
    EXPECT_TRUE(c.headerFound);
    EXPECT_EQ(c.skippedLines, 0) << out.toStdString();
    return c.samples;
}

} // namespace

TEST(CliMeter, DownloadWritesTheMeterMemoryByteForByte)
{
    sim::PtyServer meter(smallMeter());
    const QString device = meter.start();
    QByteArray memory;
    meter.withModel([&](sim::MeterModel& m) { memory = m.memory(); });

    CliProcess cli;
    const QString file = cli.home(QStringLiteral("run.CH4"));
    CliRun r = cli.run({QStringLiteral("download"), QStringLiteral("--port"), device,
                        QStringLiteral("-o"), file});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    // 257 + 24 + 160 used bytes, received in whole blocks of 64.
    EXPECT_EQ(readAll(file), memory.left(448));
    EXPECT_EQ(r.err.toStdString(), "kolva-cli: 1 data set(s), 448 bytes written to " + file.toStdString() + "\n");
    int quits = 0;
    meter.withModel([&](sim::MeterModel& m) { quits = m.commandsReceived('Q'); });
    EXPECT_EQ(quits, 1);

    r = cli.run({QStringLiteral("sets"), file});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.endsWith("\t00:05\t20\tC\tK\t0.0\t0.0\t0.0\t0.0\n")) << r.out.toStdString();
}

TEST(CliMeter, AFailedDownloadLeavesNoFileAndSaysWhy)
{
    sim::PtyOptions options = smallMeter();
    options.meter.faults.noStartReply = true;
    sim::PtyServer meter(options);
    const QString device = meter.start();

    CliProcess cli;
    const QString file = cli.home(QStringLiteral("run.CH4"));
    const CliRun r = cli.run({QStringLiteral("download"), QStringLiteral("--port"), device,
                              QStringLiteral("--retries"), QStringLiteral("0"), QStringLiteral("-o"), file});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.startsWith("kolva-cli: The meter does not answer.")) << r.err.toStdString();
    EXPECT_EQ(r.err.count('\n'), 1);
    EXPECT_FALSE(QFile::exists(file));
    // Three tries of "P", as the program makes them.
    int starts = 0;
    meter.withModel([&](sim::MeterModel& m) { starts = m.commandsReceived('P'); });
    EXPECT_EQ(starts, 3);
}

TEST(CliMeter, AMeterThatRecordsIsNotDownloaded)
{
    sim::PtyOptions options = smallMeter();
    options.meter.recording = true; // its live frames say REC
    sim::PtyServer meter(options);
    const QString device = meter.start();
    CliProcess cli;
    const QString file = cli.home(QStringLiteral("run.CH4"));
    const CliRun r = cli.run({QStringLiteral("download"), QStringLiteral("--port"), device,
                              QStringLiteral("-o"), file});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.toStdString(),
              "kolva-cli: The meter is recording data, please stop recording before loading data.\n");
    EXPECT_FALSE(QFile::exists(file));
    int connects = 0;
    meter.withModel([&](sim::MeterModel& m) { connects = m.commandsReceived('c'); });
    EXPECT_EQ(connects, 0);
}

TEST(CliMeter, LiveWritesOneLinePerPeriodWhileFramesComeWithTheUnitOfEachLine)
{
    sim::PtyServer meter(smallMeter());
    const QString device = meter.start();
    CliProcess cli;
    cli.start({QStringLiteral("live"), QStringLiteral("--port"), device, QStringLiteral("--count"),
               QStringLiteral("4")});
    ASSERT_TRUE(cli.waitForLines(2, 8000)); // the header and the first line
    // The meter's unit key, pressed during the run.
    meter.withModel([](sim::MeterModel& m) {
        const CommandFrame key = makeCommandFrame(Cmd::CelsiusFahrenheit);
        m.receive(key.data(), key.size());
    });
    const CliRun r = cli.finish(15000);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    // Standard output carries the CSV alone.
    EXPECT_TRUE(r.out.startsWith("time,T1,T2,T3,T4,unit\n")) << r.out.toStdString();
    const std::vector<MachineSample> samples = liveSamples(r.out);
    ASSERT_EQ(samples.size(), 4u);
    // One line per tick, none skipped and none doubled. How late a single tick comes depends on
    // the machine's load (the interval correction is the link's own test); a skipped period
    // would leave two seconds between lines, a doubled one next to nothing.
    for (std::size_t i = 1; i < samples.size(); ++i) {
        const double seconds = (samples[i].time - samples[i - 1].time) * 86400;
        EXPECT_GT(seconds, 0.45);
        EXPECT_LT(seconds, 1.9);
    }
    EXPECT_EQ(samples.front().unit, TemperatureUnit::Celsius);
    EXPECT_EQ(samples.back().unit, TemperatureUnit::Fahrenheit);
    // The simulator's channels wander around 21 to 25 degrees C; all four are there, each line
    // in its own unit.
    for (const MachineSample& s : samples)
        for (float v : s.values) {
            if (s.unit == TemperatureUnit::Celsius)
                EXPECT_TRUE(v > 15 && v < 30) << v;
            else
                EXPECT_TRUE(v > 59 && v < 86) << v;
        }
    int keepAlives = 0;
    meter.withModel([&](sim::MeterModel& m) { keepAlives = m.commandsReceived('X'); });
    EXPECT_GE(keepAlives, 2);
}

TEST(CliMeter, ALostMeterGivesNoLinesUntilItIsBackAndAnInterruptEndsCleanly)
{
    sim::PtyServer meter(smallMeter());
    const QString device = meter.start();
    CliProcess cli;
    cli.start({QStringLiteral("live"), QStringLiteral("--port"), device, QStringLiteral("--period"),
               QStringLiteral("1")});
    ASSERT_TRUE(cli.waitForLines(3, 8000)); // the header and two lines
    // Silent until the program has said that the meter is lost (three silent ticks, however
    // late a loaded machine lets them come), then back with the stream restarted.
    meter.withModel([](sim::MeterModel& m) { m.fallSilent(60000); });
    ASSERT_TRUE(cli.waitForError("is lost", 30000));
    meter.withModel([](sim::MeterModel& m) { m.fallSilent(0); });
    ASSERT_TRUE(cli.waitForLines(5, 15000));
    cli.signal(SIGINT);
    const CliRun r = cli.finish(5000);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.endsWith('\n'));
    const std::vector<MachineSample> samples = liveSamples(r.out);
    ASSERT_GE(samples.size(), 4u);
    double longestGap = 0;
    for (std::size_t i = 1; i < samples.size(); ++i)
        longestGap = std::max(longestGap, (samples[i].time - samples[i - 1].time) * 86400);
    EXPECT_GT(longestGap, 3.0); // at least the three silent ticks
    EXPECT_NE(r.err.indexOf("The meter on " + device.toUtf8() + " is lost: no lines until it is back."), -1)
        << r.err.toStdString();
    EXPECT_NE(r.err.indexOf("The meter on " + device.toUtf8() + " sends again."), -1) << r.err.toStdString();
}

TEST(CliMeter, LiveEndsWithStatus3AtTheFirstAlarmAndHandsTheEventToTheCommand)
{
    // T1 steps from 25 to 300 degrees 6 s after the meter came up.
    sim::PtyOptions options = smallMeter();
    options.meter.profile = std::make_shared<const sim::Profile>(
        *sim::Profile::parse(QStringLiteral("T1: hold 25 for 6s, step 300")));
    sim::PtyServer meter(options);
    const double up = DateTime::now();
    const QString device = meter.start();
    CliProcess cli;
    const QString envFile = cli.home(QStringLiteral("alarm.env"));
    const CliRun r = cli.run({QStringLiteral("live"), QStringLiteral("--port"), device,
                              QStringLiteral("--alarm"), QStringLiteral("T1>250,hyst=5"),
                              QStringLiteral("--alarm"), QStringLiteral("T2:none"),
                              QStringLiteral("--on-alarm"),
                              QStringLiteral("env | grep ^KOLVA_ALARM_ | sort > ") + envFile,
                              QStringLiteral("--exit-on-alarm")});
    EXPECT_EQ(r.exitCode, 3) << r.err.toStdString();

    // The event on standard error, at the first frame of 300 degrees: within a frame period
    // (0.5 s) of the step, and a little for the line and a loaded machine.
    const QByteArray prefix = QStringLiteral("kolva-cli: alarm start T1 above 250.0 \u00b0C (value 300.0 \u00b0C) at ").toUtf8();
    const qsizetype at = r.err.indexOf(prefix);
    ASSERT_NE(at, -1) << r.err.toStdString();
    const QByteArray stamp = r.err.mid(at + prefix.size(), 29);
    const std::optional<double> when = MachineCsv::parseTime(stamp);
    ASSERT_TRUE(when) << stamp.toStdString();
    const double seconds = (*when - up) * 86400;
    EXPECT_GE(seconds, 6.0);
    EXPECT_LE(seconds, 7.2);
    EXPECT_EQ(r.err.count("alarm "), 1) << "the run ends at the first alarm";
    // The lines before it are all from before the step.
    const std::vector<MachineSample> samples = liveSamples(r.out);
    EXPECT_GE(samples.size(), 3u);
    for (const MachineSample& sample : samples)
        EXPECT_EQ(sample.values[0], 25.0f);

    // The command found the event in its environment.
    QElapsedTimer timer;
    timer.start();
    while (!readAll(envFile).contains("KOLVA_ALARM_VALUE") && timer.elapsed() < 5000)
        QThread::msleep(20);
    const QByteArray env = readAll(envFile);
    for (const char* line : {"KOLVA_ALARM_CHANNEL=T1\n", "KOLVA_ALARM_EVENT=start\n",
                             "KOLVA_ALARM_KIND=above\n", "KOLVA_ALARM_LIMIT=250\n",
                             "KOLVA_ALARM_RULE=T1>250C,hyst=5\n", "KOLVA_ALARM_UNIT=C\n",
                             "KOLVA_ALARM_VALUE=300\n"})
        EXPECT_TRUE(env.contains(line)) << line << " in " << env.toStdString();
    EXPECT_TRUE(env.contains("KOLVA_ALARM_TIME=" + stamp)) << env.toStdString();
}

TEST(CliMeter, SigtermEndsLiveWithTheFileComplete)
{
    sim::PtyServer meter(smallMeter());
    const QString device = meter.start();
    CliProcess cli;
    const QString file = cli.home(QStringLiteral("live.csv"));
    cli.start({QStringLiteral("live"), QStringLiteral("--port"), device, QStringLiteral("-o"), file});
    QElapsedTimer timer;
    timer.start();
    while (readAll(file).count('\n') < 3 && timer.elapsed() < 8000)
        QThread::msleep(50);
    cli.signal(SIGTERM);
    const CliRun r = cli.finish(5000);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
    const QByteArray written = readAll(file);
    EXPECT_TRUE(written.endsWith('\n'));
    EXPECT_GE(liveSamples(written).size(), 2u);
    // What describes the run is beside it.
    const QJsonObject meta = QJsonDocument::fromJson(readAll(file + QStringLiteral(".json"))).object();
    EXPECT_EQ(meta.value(QStringLiteral("data")).toString(), QStringLiteral("live.csv"));
    EXPECT_EQ(meta.value(QStringLiteral("source")).toString(), device);
    EXPECT_EQ(meta.value(QStringLiteral("rate")).toInt(), 1);
    EXPECT_EQ(meta.value(QStringLiteral("meter")).toString(), QStringLiteral("461 KOLVA"));
}

TEST(CliMeter, DevicesThatCannotBeTheMeterFailWithTheirReason)
{
    CliProcess cli;
    CliRun r = cli.run({QStringLiteral("live"), QStringLiteral("--port"), QStringLiteral("/dev/kolva-none")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.toStdString(), "kolva-cli: The serial device /dev/kolva-none does not exist.\n");
    r = cli.run({QStringLiteral("download"), QStringLiteral("--port"), QStringLiteral("/dev/kolva-none"),
                 QStringLiteral("-o"), cli.home(QStringLiteral("x.CH4"))});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_FALSE(QFile::exists(cli.home(QStringLiteral("x.CH4"))));

    // A file that is not a serial device.
    const QString plain = cli.home(QStringLiteral("plain"));
    ASSERT_TRUE(writeAll(plain, "x"));
    r = cli.run({QStringLiteral("live"), QStringLiteral("--port"), plain});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.startsWith("kolva-cli: Cannot open " + plain.toUtf8() + ": ")) << r.err.toStdString();
}

// The device exists and belongs to the group dialout; the user is not in it.
TEST(CliMeter, ADeviceTheUserMayNotOpenNamesItsGroup)
{
    const group* dialout = getgrnam("dialout");
    if (geteuid() != 0 || !dialout || !QFile::exists(QStringLiteral("/usr/bin/setpriv")))
        GTEST_SKIP() << "needs root, the group dialout and setpriv to act as an unprivileged user";
    CliProcess cli;
    QTemporaryDir dir;
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    const QString device = dir.filePath(QStringLiteral("ttyUSB7"));
    ASSERT_TRUE(writeAll(device, {}));
    ASSERT_EQ(::chown(QFile::encodeName(device).constData(), 0, dialout->gr_gid), 0);
    ::chmod(QFile::encodeName(device).constData(), 0660);

    cli.setPrefix(QStringLiteral("/usr/bin/setpriv"),
                  {QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                   QStringLiteral("--clear-groups")});
    const CliRun r = cli.run({QStringLiteral("live"), QStringLiteral("--port"), device});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.toStdString(),
              "kolva-cli: Permission denied: " + device.toStdString()
                  + " may only be opened by members of the group \"dialout\". Add the user nobody "
                    "to it (sudo usermod -aG dialout nobody), then log out and in again.\n");
}

TEST(CliMeter, PortsListsTheSystemsDevicesAndTheExtraPorts)
{
    sim::PtyServer meter(smallMeter());
    const QString device = meter.start();
    CliProcess cli;
    {
        QSettings settings(cli.home(QStringLiteral("config/KOLVA/KOLVA.conf")), QSettings::IniFormat);
        settings.setValue(QStringLiteral("ExtraPorts"), QStringList{device, QStringLiteral("/dev/kolva-none")});
    }
    const CliRun r = cli.run({QStringLiteral("ports")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.endsWith(device.toUtf8() + "\n/dev/kolva-none\n")) << r.out.toStdString();
    EXPECT_TRUE(r.err.contains("kolva-cli: The serial device /dev/kolva-none does not exist.\n"))
        << r.err.toStdString();
}

TEST(CliMeter, SetupSendsTheOperationsInTheOrderGiven)
{
    sim::PtyServer meter(smallMeter());
    const QString device = meter.start();
    CliProcess cli;
    const CliRun r = cli.run({QStringLiteral("setup"), QStringLiteral("--port"), device,
                              QStringLiteral("--interval"), QStringLiteral("2:30"), QStringLiteral("--erase"),
                              QStringLiteral("--defaults"), QStringLiteral("--clock"), QStringLiteral("--read")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QList<QByteArray> lines = r.out.split('\n');
    ASSERT_GE(lines.size(), 6);
    EXPECT_EQ(lines[0], "interval: OK: Recording Interval Setup Successfully");
    EXPECT_EQ(lines[1], "erase: OK: Memory erased successfully");
    EXPECT_EQ(lines[2], "defaults: OK: Set Default value successfully");
    EXPECT_TRUE(lines[3].startsWith("clock: OK: Meter time updated successfully ")) << lines[3].toStdString();
    EXPECT_EQ(lines[4], "read: OK");
    EXPECT_TRUE(r.out.contains("\n  Recording Interval: 02:30(mm:ss)\n  Data Sets In Memory: 0\n"))
        << r.out.toStdString();

    // The frames as the meter received them, from the take-over's handshake on.
    std::vector<CommandFrame> frames;
    meter.withModel([&](sim::MeterModel& m) { frames.assign(m.receivedFrames().begin(), m.receivedFrames().end()); });
    // Each frame by its word (bytes 1.. up to the first 0x00), the clock data by its mark.
    std::vector<QByteArray> sent;
    for (const CommandFrame& f : frames) {
        const QByteArray word = f[7] == 0x08 ? QByteArray("<clock>")
                                             : QByteArray(reinterpret_cast<const char*>(f.data()) + 1, 8)
                                                   .left(int(std::find(f.begin() + 1, f.end(), 0) - f.begin()) - 1);
        if (word != "K" && word != "c") // the search's identification and the handshakes
            sent.push_back(word);
    }
    // interval (with 02:30 in BCD), erase, defaults, clock request, clock data, read-back, then
    // the read: version, clock, memory start, quit.
    const std::vector<QByteArray> expected = {QByteArray("int\x02\x30"), "erase", "def", "rtc", "<clock>", "tic",
                                              "V", "ti", "P", "Q"};
    EXPECT_EQ(sent, expected);
    const auto clock = std::find_if(frames.begin(), frames.end(), [](const CommandFrame& f) { return f[7] == 0x08; });
    ASSERT_NE(clock, frames.end());
    EXPECT_EQ((*clock)[0], 0x02);
    EXPECT_EQ((*clock)[9], 0x03);

    QByteArray memory;
    meter.withModel([&](sim::MeterModel& m) { memory = m.memory(); });
    EXPECT_EQ(memory.mid(9, 2), QByteArray(2, '\0')); // erased: no data set
    EXPECT_EQ(memory.mid(14, 2), QByteArray("\x02\x30", 2));
}

TEST(CliMeter, AFailedSetupOperationIsReportedAndTheOthersStillRun)
{
    sim::PtyOptions options = smallMeter();
    options.meter.faults.replies = {{"erase", sim::ReplyFault::Kind::NoReply, 0, -1},
                                    {"rtc", sim::ReplyFault::Kind::Byte1, 0x63, -1}};
    sim::PtyServer meter(options);
    const QString device = meter.start();
    CliProcess cli;
    const CliRun r = cli.run({QStringLiteral("setup"), QStringLiteral("--port"), device, QStringLiteral("--erase"),
                              QStringLiteral("--clock"), QStringLiteral("--defaults")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out.toStdString(), "erase: Fail: Memory erased fail\n"
                                   "clock: Fail: Meter time updated fail, Error Code is 3\n"
                                   "defaults: OK: Set Default value successfully\n");
    EXPECT_EQ(r.err.toStdString(), "kolva-cli: Failed: erase, clock\n");
}

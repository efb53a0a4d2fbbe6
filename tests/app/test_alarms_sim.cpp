// SPDX-License-Identifier: GPL-3.0-or-later
// The alarms in the program against the simulator's profile on a pseudo-terminal: T1 steps
// above its limit and back while a recording runs, T4's probe drops out. The alarm reaches the
// status bar and the panel, the notification and the sound; its start and end land on the
// real-time graph at their times; the log in the data folder holds every event; the
// acknowledgement's shortcut ends the sound.

#include "AppTestSupport.h"
#include "support/ScriptedPrompts.h"

#include "alarms/AlarmLog.h"
#include "alarms/AlarmSettings.h"
#include "alarms/UAlarms.h"
#include "app/AlarmStatus.h"
#include "app/AlarmWiring.h"
#include "app/RecorderWiring.h"
#include "app/UMain.h"
#include "base/DateTime.h"
#include "graph/Chart.h"
#include "graph/TempFolder.h"
#include "graph/UGraph.h"
#include "graph/USetupRealtime.h"
#include "panel/UPanel.h"
#include "tools/sim/PtyServer.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

namespace {

void noSystemDevices(QStringList&) {}

// The seconds from `up` to a local date-time.
double secondsAfter(double up, double t)
{
    return (t - up) * 86400.0;
}

const GraphAnnotation* annotation(const Chart& chart, const QString& text)
{
    for (const GraphAnnotation& a : chart.state().graphAnnotations)
        if (a.text == text)
            return &a;
    return nullptr;
}

} // namespace

TEST(AlarmsWithSimulator, AStepAboveTheLimitReachesTheStatusBarTheGraphAndTheLog)
{
    TempDataFolder data;
    PrivateSettings settings;
    // The rules as the dialog leaves them: T1 above 40 C, T4 without a reading.
    AlarmConfig config;
    config.rules = {*Alarm::parseRule(QStringLiteral("T1>40,hyst=5")),
                    *Alarm::parseRule(QStringLiteral("T4:none"))};
    ASSERT_TRUE(writeAlarmConfig(config));

    sim::PtyOptions options;
    options.meter.profile = std::make_shared<const sim::Profile>(*sim::Profile::parse(QStringLiteral(
        "T1: hold 25 for 8s, step 45, hold for 3s, step 25\n"
        "T4: hold 22 for 9s, open for 1.5s, hold 22\n")));
    sim::PtyServer meter(options);
    const double up = DateTime::now();
    const QString path = meter.start();

    ScriptedPrompts answers;
    TfrmMain w({path}, nullptr, &noSystemDevices);
    w.SetPrompts(answers.prompts());
    int rings = 0;
    QStringList notes;
    w.Alarms().SetServices({[&] { ++rings; },
                            [&](const QString& summary, const QString& body) {
                                notes << summary + QStringLiteral(": ") + body;
                            }});
    w.RealTime().SetDialogRunner([](QDialog& d) {
        auto& s = dynamic_cast<TfrmSetupRealTime&>(d);
        s.SetCountText(QStringLiteral("  100"));
        s.ComboBox1->setCurrentIndex(0);
        s.ComboBox2->setCurrentIndex(1);
        return int(QDialog::Accepted);
    });
    w.resize(1366, 768);
    w.show();
    ASSERT_TRUE(waitFor([&] { return w.StartupDone(); }, 30000));
    ASSERT_TRUE(w.IsConnected());
    EXPECT_EQ(w.Alarms().Config(), config) << "the rules come from the settings";
    w.Run1->trigger();
    ASSERT_TRUE(w.Recorder().RealTimeRecording);
    ASSERT_LT(secondsAfter(up, DateTime::now()), 7.5) << "the recording must run before the step";
    AlarmStatus& status = w.Alarms().Status();
    EXPECT_FALSE(status.isVisible());

    // The step: at the first frame of 45 degrees (a frame period after the step at most).
    ASSERT_TRUE(waitFor([&] { return status.isVisible(); }, 15000));
    const double seen = DateTime::now();
    const QString text = status.Text();
    EXPECT_TRUE(text.startsWith(QString::fromUtf8("T1 above 40.0 \u00b0C since "))) << text.toStdString();
    EXPECT_TRUE(status.Alerting());
    EXPECT_TRUE(status.btnAcknowledge->isVisible());
    EXPECT_GE(secondsAfter(up, seen), 8.0);
    ASSERT_TRUE(w.PanelWindow);
    EXPECT_FALSE(w.PanelWindow->ChannelAlarm(0).isEmpty());
    EXPECT_EQ(w.PanelWindow->lblTValue[0]->palette().color(QPalette::WindowText), QColor(0xd0, 0, 0));
    EXPECT_TRUE(w.PanelWindow->ChannelAlarm(1).isEmpty());
    ASSERT_EQ(notes.size(), 1);
    EXPECT_EQ(notes[0], QString::fromUtf8("KOLVA alarm: T1 above 40.0 \u00b0C"));
    EXPECT_EQ(rings, 1);

    // The probe out, then T1 back: both have ended, neither acknowledged, so both stay shown
    // and the sound goes on.
    ASSERT_TRUE(waitFor([&] {
        const auto shown = w.Alarms().Engine().shown();
        return shown.size() == 2 && shown[0].endedAt && shown[1].endedAt;
    }, 10000));
    EXPECT_TRUE(status.Text().contains(QString::fromUtf8("T4 without a reading from "))) << status.Text().toStdString();
    EXPECT_TRUE(w.PanelWindow->ChannelAlarm(0).isEmpty()) << "the panel shows running alarms only";
    int before = rings;
    QTest::qWait(2200);
    EXPECT_GT(rings, before) << "the sound repeats until acknowledged";
    // The shortcut acknowledges: the status bar is clear and the sound stops.
    w.activateWindow();
    QTest::keyClick(&w, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_FALSE(status.isVisible());
    before = rings;
    QTest::qWait(2200);
    EXPECT_EQ(rings, before);

    // The marks on the real-time graph, at the times of the frames that crossed.
    const Chart& chart = *w.RealTimeWindow->Chart1;
    const GraphAnnotation* start = annotation(chart, QString::fromUtf8("Alarm: T1 above 40.0 \u00b0C"));
    const GraphAnnotation* end = annotation(chart, QString::fromUtf8("End of alarm: T1 above 40.0 \u00b0C"));
    ASSERT_TRUE(start && end);
    EXPECT_GE(secondsAfter(up, start->x), 8.0);
    EXPECT_LE(secondsAfter(up, start->x), 9.0);
    EXPECT_EQ(start->y, 45.0);   // split view: on T1's curve
    EXPECT_GE(secondsAfter(up, end->x), 11.0);
    EXPECT_LE(secondsAfter(up, end->x), 12.0);
    EXPECT_EQ(end->y, 25.0);
    EXPECT_TRUE(annotation(chart, QStringLiteral("Alarm: T4 without a reading")));
    EXPECT_TRUE(annotation(chart, QStringLiteral("End of alarm: T4 without a reading")));

    // The log: every event, in order, with the times of the marks.
    QFile log(w.Alarms().Log().pathFor(start->x));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = log.readAll().trimmed().split('\n');
    ASSERT_EQ(lines.size(), 7) << QByteArray(lines.join('\n')).toStdString();
    EXPECT_EQ(lines[0], AlarmLog::header().trimmed());
    EXPECT_TRUE(lines[1].endsWith(",start,T1,above,40,C,45"));
    EXPECT_EQ(MachineCsv::parseTime(lines[1].left(29)), start->x);
    EXPECT_TRUE(lines[2].endsWith(",start,T4,none,,,"));
    EXPECT_TRUE(lines[3].endsWith(",end,T4,none,,,"));
    EXPECT_TRUE(lines[4].endsWith(",end,T1,above,40,C,25"));
    EXPECT_EQ(MachineCsv::parseTime(lines[4].left(29)), end->x);
    EXPECT_TRUE(lines[5].contains(",ack,T1,"));
    EXPECT_TRUE(lines[6].contains(",ack,T4,"));

    w.Stop1->trigger();
    answers.choices = {Answer::No};
    w.close();
}

TEST(AlarmsWithSimulator, TheDialogSetsTheRulesInTheirUnitAndKeepsThemInTheSettings)
{
    TempDataFolder data;
    PrivateSettings settings;
    ScriptedPrompts answers;
    TfrmMain w({}, nullptr, &noSystemDevices);
    w.SetPrompts(answers.prompts());
    w.Alarms().SetDialogRunner([](QDialog& d) {
        auto& a = dynamic_cast<TfrmAlarms&>(d);
        TfrmAlarms::ChannelTab& t2 = a.channels[1];
        t2.rows[TfrmAlarms::High].on->setChecked(true);
        t2.rows[TfrmAlarms::High].limit->setValue(100.0);
        t2.rows[TfrmAlarms::High].hysteresis->setValue(2.0);
        t2.rows[TfrmAlarms::Fall].on->setChecked(true);
        t2.rows[TfrmAlarms::Fall].limit->setValue(5.0);
        t2.rows[TfrmAlarms::Fall].window->setValue(30);
        t2.rows[TfrmAlarms::Fall].minSeconds->setValue(10);
        // The same limits in Fahrenheit.
        t2.unit->setCurrentIndex(1);
        EXPECT_DOUBLE_EQ(t2.rows[TfrmAlarms::High].limit->value(), 212.0);
        EXPECT_DOUBLE_EQ(t2.rows[TfrmAlarms::High].hysteresis->value(), 3.6);
        EXPECT_DOUBLE_EQ(t2.rows[TfrmAlarms::Fall].limit->value(), 9.0);
        a.chkLost->setChecked(true);
        a.edtLostFor->setValue(5);
        a.chkSound->setChecked(false);
        return int(QDialog::Accepted);
    });
    w.btnAlarms->click();
    const AlarmConfig set = w.Alarms().Config();
    QStringList texts;
    for (const AlarmRule& r : set.rules)
        texts << Alarm::ruleText(r);
    EXPECT_EQ(texts, (QStringList{"T2>212F,hyst=3.6", "T2:fall>9F/30s,hyst=1.8,for=10s", "lost,for=5s"}));
    EXPECT_FALSE(set.sound);
    EXPECT_EQ(readAlarmConfig(), set) << "kept at once, not only at the end";

    // The dialog opens with what is set; Cancel changes nothing.
    w.Alarms().SetDialogRunner([](QDialog& d) {
        auto& a = dynamic_cast<TfrmAlarms&>(d);
        EXPECT_EQ(a.channels[1].unit->currentIndex(), 1);
        EXPECT_TRUE(a.channels[1].rows[TfrmAlarms::Fall].on->isChecked());
        EXPECT_FALSE(a.channels[0].rows[TfrmAlarms::High].on->isChecked());
        EXPECT_TRUE(a.channels[1].rows[TfrmAlarms::High].on->isChecked());
        EXPECT_EQ(a.channels[1].rows[TfrmAlarms::High].limit->value(), 212.0);
        EXPECT_FALSE(a.channels[0].rows[TfrmAlarms::High].limit->isEnabled()) << "an unchecked row";
        a.chkSound->setChecked(true);
        return int(QDialog::Rejected);
    });
    w.Alarms1->trigger();
    EXPECT_EQ(w.Alarms().Config(), set);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AlarmWiring.h"

#include "alarms/AlarmSettings.h"
#include "alarms/AlarmTexts.h"
#include "alarms/UAlarms.h"
#include "app/AlarmSound.h"
#include "app/AlarmStatus.h"
#include "app/DesktopNotifier.h"
#include "app/StatusNotice.h"
#include "app/UMain.h"
#include "base/ErrorBox.h"
#include "graph/Annotations.h"
#include "graph/Chart.h"
#include "graph/UGraph.h"
#include "link/LiveDecoder.h"
#include "panel/UPanel.h"

#include <QStatusBar>

namespace {
constexpr int kRingEveryMs = 2000;
const QRgb kStartColour = qRgb(0xc0, 0x00, 0x00);
const QRgb kEndColour = qRgb(0x00, 0x70, 0x20);
} // namespace

AlarmWiring::AlarmWiring(TfrmMain& main)
    : main_(main), config_(readAlarmConfig()), engine_(clock_, config_.rules),
      log_(QString(), [this](const QString& text) {
          if (logStatus_)
              logStatus_->Show(text);
      })
{
    // After the two panels of the link, before the notices.
    status_ = new AlarmStatus(*main.StatusBar1, 2, *main.AcknowledgeAlarms1);
    logStatus_ = new StatusNotice(*main.StatusBar1, QStringLiteral("AlarmLogStatus"));
    auto sound = std::make_shared<AlarmSound>();
    auto notifier = std::make_shared<DesktopNotifier>();
    services_.ring = [sound] { sound->ring(); };
    services_.notify = [notifier](const QString& summary, const QString& body) {
        notifier->notify(summary, body);
    };
    soundTimer_.setInterval(kRingEveryMs);
    QObject::connect(&soundTimer_, &QTimer::timeout, &main, [this] { guarded([this] { ringIfDue(); }); });
}

AlarmWiring::~AlarmWiring() = default;

void AlarmWiring::SetServices(Services services)
{
    services_ = std::move(services);
}

void AlarmWiring::SetConfig(const AlarmConfig& config)
{
    config_ = config;
    writeAlarmConfig(config_);
    handle(engine_.setRules(config_.rules));
    // Readings already there count at once for rules that need no time.
    if (lastStatus_ != 0xFF)
        handle(engine_.frame(lastValues_, lastStatus_, lastCelsius_));
    show();
}

void AlarmWiring::Reading(const LiveReading& reading)
{
    lastValues_ = reading.Channel;
    lastStatus_ = reading.ChannelStatus;
    lastCelsius_ = reading.Celsius;
    handle(engine_.frame(reading.Channel, reading.ChannelStatus, reading.Celsius));
    // A panel opened again since the last event shows its alarms too.
    if (TfrmPanel* panel = main_.PanelWindow)
        for (int ch = 0; ch < 4; ++ch)
            if (engine_.channelAlarm(ch) != !panel->ChannelAlarm(ch).isEmpty())
                return show();
}

void AlarmWiring::MeterLost()
{
    handle(engine_.meterLost());
}

void AlarmWiring::Tick()
{
    handle(engine_.tick());
}

void AlarmWiring::Acknowledge()
{
    handle(engine_.acknowledge());
    show();
}

void AlarmWiring::OpenDialog()
{
    TfrmAlarms dialog(&main_);
    dialog.setFields(config_);
    if ((runDialog_ ? runDialog_(dialog) : dialog.exec()) != QDialog::Accepted)
        return;
    SetConfig(dialog.fields());
}

// What the user sees comes first; the notification, the marks and the log follow.
void AlarmWiring::handle(const std::vector<AlarmEvent>& events)
{
    if (events.empty())
        return;
    show();
    bool started = false;
    for (const AlarmEvent& e : events) {
        if (e.type == AlarmEvent::Type::Start) {
            started = true;
            if (services_.notify)
                services_.notify(QStringLiteral("KOLVA alarm"), Alarm::describe(e.rule));
        }
        mark(e);
        log_.append(e);
    }
    if (started) {
        ringIfDue();
        soundTimer_.start();
    }
}

void AlarmWiring::show()
{
    const std::vector<ShownAlarm> shown = engine_.shown();
    QStringList texts;
    for (const ShownAlarm& a : shown)
        texts << Alarm::shownText(a) + (a.acknowledged ? QStringLiteral(" (acknowledged)") : QString());
    status_->Show(texts, engine_.anyUnacknowledged());
    if (TfrmPanel* panel = main_.PanelWindow) {
        for (int ch = 0; ch < 4; ++ch) {
            QStringList channel;
            for (const ShownAlarm& a : shown)
                if (!a.endedAt && a.rule.kind != AlarmKind::MeterLost && a.rule.channel == ch)
                    channel << Alarm::shownText(a);
            panel->SetChannelAlarm(ch, channel.join(QLatin1Char('\n')));
        }
    }
    if (!engine_.anyUnacknowledged())
        soundTimer_.stop();
}

void AlarmWiring::ringIfDue()
{
    if (!engine_.anyUnacknowledged()) {
        soundTimer_.stop();
        return;
    }
    if (config_.sound && services_.ring)
        services_.ring();
}

// A start or an end while a recording runs: a text annotation at its time on the real-time
// graph. It sits on the alarm's channel while the chart shows one axis, and on T1's curve (the
// top pane) when the chart is split, so that it is seen either way; within a fixed Y axis.
void AlarmWiring::mark(const AlarmEvent& e)
{
    TfrmGraph* window = main_.RealTimeWindow;
    if (e.type == AlarmEvent::Type::Acknowledge || !window || !main_.Recorder().RealTimeRecording)
        return;
    Chart& chart = *window->Chart1;
    const bool unsplit = Annotations::allowed(chart.state().settings);
    int channel = unsplit && e.rule.kind != AlarmKind::MeterLost ? e.rule.channel : 0;
    const auto valid = [this](int ch) {
        return lastStatus_ != 0xFF && (lastStatus_ & ((0x01 << ch) | (0x10 << ch))) == 0;
    };
    if (!valid(channel))
        channel = 0;
    double y = valid(channel) ? double(lastValues_[std::size_t(channel)]) : chart.ManualMaxY();
    // A reading beyond a fixed axis would take the mark out of sight: it goes to the edge.
    const ChartAxis& axis = chart.state().settings.axes[0];
    const int fixed = axis.manualScaleControlY;
    const double margin = 0.05 * std::abs(axis.manualMaxY - axis.manualMinY);
    if ((fixed == sg::sgManualMax || fixed == sg::sgManualMinAndMax) && y > axis.manualMaxY - margin)
        y = axis.manualMaxY - margin;
    if ((fixed == sg::sgManualMin || fixed == sg::sgManualMinAndMax) && y < axis.manualMinY + margin)
        y = axis.manualMinY + margin;
    const int index = Annotations::add(chart.GraphAnnotations(), main_.Annotations(), sg::sgAnnotText,
                                       QPointF(e.time, y), Alarm::markText(e));
    if (index < int(chart.GraphAnnotations().size()))
        chart.GraphAnnotations()[std::size_t(index)].color =
            e.type == AlarmEvent::Type::Start ? kStartColour : kEndColour;
    chart.Redraw();
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "logger/SetupCommands.h"

#include "base/PortErrors.h"

#include <functional>
#include <type_traits>

SetupCommands::SetupCommands(ISetupHost& host, ISetupView& view, DownloadServices services)
    : host_(host), view_(view),
      setup_(host.Comm1(), std::move(services), [&host](bool on) { host.SetBusyCursor(on); })
{
    setup_.SetObserver(this);
}

void SetupCommands::Begin()
{
    const MeterSetup::Busy busy(setup_);
    ignoringErrors([&] { host_.SetMainTimerEnabled(false); });
    ignoringErrors([&] { host_.DetachLiveReceiver(); });
    IComPort& port = host_.Comm1();
    ignoringErrors([&] {
        if (!port.Active())
            port.SetActive(true);
    });
    ignoringErrors([&] { setup_.MeterHandshake(); });
    ignoringErrors([&] {
        port.PurgeInput();
        port.PurgeOutput();
    });
    ignoringErrors([&] { setup_.Services().waitWithMessages(Setup::kTakeOverSettleMs); });
}

void SetupCommands::End()
{
    ignoringErrors([&] { host_.AttachLiveReceiver(); });
    ignoringErrors([&] { host_.SetMainTimerEnabled(true); });
}

template <class Status, class Run>
bool SetupCommands::operation(OkLabel label, bool showMessages, Run run)
{
    view_.SetOkLabel(label, LabelState::Empty);
    Status status;
    try {
        status = run();
    } catch (...) {
        view_.SetOkLabel(label, LabelState::Fail);
        throw;
    }
    if constexpr (std::is_same_v<Status, IntervalStatus>) {
        if (status == IntervalStatus::InvalidInput) {
            tell(setupMessage(status));
            return true;
        }
    }
    const bool green = labelGreen(status);
    view_.SetOkLabel(label, green ? LabelState::Ok : LabelState::Fail);
    if (showMessages)
        tell(setupMessage(status));
    return green;
}

// No hourglass over a message box: it waits for the user, not for the meter.
void SetupCommands::tell(const QString& text)
{
    const MeterSetup::Idle idle(setup_);
    view_.ShowMessage(text);
}

bool SetupCommands::MeterHandshake()
{
    return setup_.MeterHandshake();
}

bool SetupCommands::AdjustMeterTime(bool showMessages)
{
    return operation<ClockResult>(OkLabel::Clock, showMessages, [&] { return setup_.AdjustMeterTime(); });
}

bool SetupCommands::AdjustRecordingInterval(bool showMessages, const QString& minutes, const QString& seconds)
{
    return operation<IntervalStatus>(OkLabel::Interval, showMessages,
                                     [&] { return setup_.AdjustRecordingInterval(minutes, seconds); });
}

bool SetupCommands::EraseMeterMemory(bool showMessages)
{
    return operation<EraseStatus>(OkLabel::Erase, showMessages, [&] { return setup_.EraseMeterMemory(); });
}

bool SetupCommands::SetMeterDefaults(bool showMessages)
{
    return operation<DefaultsStatus>(OkLabel::Defaults, showMessages, [&] { return setup_.SetMeterDefaults(); });
}

void SetupCommands::ReadMeterInfo()
{
    setup_.ReadMeterInfo();
}

std::optional<int> SetupCommands::DataSetsInMeter()
{
    const std::optional<HeaderPage> header = setup_.ReadHeaderPage();
    return header ? std::optional<int>(header->dataSets) : std::nullopt;
}

void SetupCommands::SetupAll(const QString& minutes, const QString& seconds)
{
    const MeterSetup::Busy busy(setup_); // through the pauses too

    view_.ShowInfo({});
    for (const OkLabel label : {OkLabel::Clock, OkLabel::Interval, OkLabel::Erase, OkLabel::Defaults})
        view_.SetOkLabel(label, LabelState::Empty);
    const std::function<bool()> steps[] = {
        [&] { return AdjustMeterTime(false); },
        [&] { return AdjustRecordingInterval(false, minutes, seconds); },
        [&] { return EraseMeterMemory(false); },
        [&] { return SetMeterDefaults(false); },
    };
    for (std::size_t k = 0; k < std::size(steps); ++k) {
        for (int attempt = 0; attempt < Setup::kSetupAllTries; ++attempt) {
            if (steps[k]())
                break;
            setup_.MeterHandshake();
        }
        setup_.Services().waitWithMessages(Setup::kSetupAllPausesMs[k]);
    }
    ReadMeterInfo();
}

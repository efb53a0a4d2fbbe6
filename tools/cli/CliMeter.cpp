// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliMeter.h"

#include "CliFailure.h"

#include "app/MeterPortSetup.h"
#include "app/PortAccess.h"
#include "app/Settings.h"
#include "base/WaitWithMessages.h"
#include "link/FrameReader.h"
#include "link/LiveFrame.h"
#include "base/SilentAbort.h"

namespace cli {

QStringList programPortList()
{
    QStringList system;
    TComPort::ListDeviceNames(system);
    return buildPortList(system, Settings::Read().ExtraPorts);
}

MeterPort::MeterPort(bool livePort)
{
    configureMeterPort(*this, livePort ? MeterPortRole::Live : MeterPortRole::Download);
    SetOnError([this](TCustomComPort&, const EComError& e, TComAction& action) {
        lastError_ = e.Message();
        action = TComAction::caAbort;
    });
}

namespace {

// How long a device is listened to for live frames.
constexpr int kListenMs = 2000;

// A meter that still streams from an earlier session (the stream runs on for a few seconds after
// the last keep-alive) answers the identification behind its frames, so the search does not take
// it for the meter. Its frames show that it is there: the device is opened, asked to stream, and
// listened to. True with the port open when a good frame came.
bool listenForFrames(MeterPort& port, const QString& device)
{
    bool seen = false;
    runSilently([&] {
        port.SetDeviceName(devicePathFor(device));
        port.SetActive(true);
        if (!port.Active())
            return;
        const CommandFrame start = makeCommandFrame(Cmd::StartStream);
        port.Write(start.data(), int(start.size()), false);
        QByteArray buffer;
        WaitUntil([&] {
            const int n = port.InputCount();
            if (n > 0) {
                const qsizetype at = buffer.size();
                buffer.resize(at + n);
                port.Read(buffer.data() + at, n, false);
            }
            FrameReader reader(buffer);
            LiveFrame frame;
            seen = seen || reader.next(frame);
            return seen;
        }, kListenMs);
    });
    if (!seen)
        runSilently([&] { port.Close(); });
    return seen;
}

} // namespace

MeterFound findMeter(MeterPort& port, const QString& explicitPort, NotFound whenNotFound,
                     const std::function<bool()>& cancelled)
{
    const QStringList devices = explicitPort.isEmpty() ? programPortList()
                                                       : QStringList{explicitPort};
    if (!explicitPort.isEmpty()) {
        if (const QString problem = portAccessProblem(explicitPort); !problem.isEmpty())
            throw Failure(problem);
    } else if (devices.isEmpty()) {
        throw Failure(QStringLiteral("No serial device found. Give the meter's device with "
                                     "--port PATH."));
    }

    MeterSearchHooks hooks;
    hooks.waitWithMessages = [](int ms) { WaitWithMessages(ms); };
    hooks.cancelled = cancelled;
    port.clearLastError();
    MeterFound found;
    found.search = SearchMeter(port, devices, 0, hooks);
    if (found.search.found || (cancelled && cancelled()))
        return found;
    for (int i = 0; i < devices.size() && !(cancelled && cancelled()); ++i)
        if (listenForFrames(port, devices[i])) {
            found.search.found = true;
            found.search.selectedIndex = found.search.lastConnectedPort = i;
            found.search.devicePath = port.DeviceName();
            return found;
        }

    QString reason;
    if (!explicitPort.isEmpty()) {
        // A device that cannot be opened is not waited for; one that is silent may be the meter
        // still switched off.
        if (!port.lastError().isEmpty())
            throw Failure(QStringLiteral("Cannot open %1: %2").arg(explicitPort, port.lastError()));
        reason = QStringLiteral("No meter answers on %1.").arg(explicitPort);
    } else {
        reason = QStringLiteral("No meter answers on any serial device (%1).")
                     .arg(devices.join(QStringLiteral(", ")));
        // The likeliest cause on a fresh system: the user may not open the devices.
        for (const QString& device : devices)
            if (const QString problem = portAccessProblem(device); !problem.isEmpty()) {
                reason += QLatin1Char(' ') + problem;
                break;
            }
    }
    if (whenNotFound == NotFound::Fail || explicitPort.isEmpty())
        throw Failure(reason);
    found.waitReason = reason;
    return found;
}

} // namespace cli

// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MeterSearch.h"

#include "base/PortErrors.h"

#include "link/LiveFrame.h"
#include "link/LiveLink.h"

#include <optional>

namespace {

constexpr int kWaitBeforeOpenMs = 300;
constexpr int kWaitAfterOpenMs = 300;
constexpr int kWaitForReplyMs = 500;
constexpr int kReplyLength = 4;

void closePort(IComPort& port)
{
    ignoringErrors([&] { port.SetActive(false); });
    ignoringErrors([&] { port.Close(); });
}

// Asks the open port for its identification: the reply when it is the meter's, else nothing. A
// port error counts as no answer.
std::optional<QByteArray> askIdentification(IComPort& port, const MeterSearchHooks& hooks)
{
    try {
        const CommandFrame k = makeCommandFrame(Cmd::Identify);
        port.Write(k.data(), int(k.size()), false);
        hooks.waitWithMessages(kWaitForReplyMs);
        const int count = port.InputCount();
        if (count < kReplyLength)
            return std::nullopt;
        QByteArray reply(count, '\0');
        port.Read(reply.data(), count, false);
        if (!isMeterReply(reply))
            return std::nullopt;
        return reply;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// The reply's printable characters, blanks run together.
QString identificationText(const QByteArray& reply)
{
    QString text;
    for (char c : reply)
        text += c >= 0x20 && c < 0x7f ? QChar::fromLatin1(c) : QChar(u' ');
    return text.simplified();
}

void select(IComPort& port, const QString& item, int index, const MeterSearchHooks& hooks)
{
    if (hooks.selectItem)
        hooks.selectItem(index);
    ignoringErrors([&] { port.SetDeviceName(devicePathFor(item)); });
}

} // namespace

QString devicePathFor(const QString& item)
{
#ifdef Q_OS_WIN
    return QStringLiteral("\\\\.\\") + item;
#else
    return item;
#endif
}

QStringList buildPortList(const QStringList& systemDevices, const QStringList& extraPaths)
{
    QStringList list;
    for (const QStringList* source : {&systemDevices, &extraPaths})
        for (const QString& device : *source)
            if (!device.isEmpty() && !list.contains(device))
                list << device;
    return list;
}

bool isMeterReply(const QByteArray& reply)
{
    return reply.size() >= kReplyLength && reply.left(kReplyLength).contains("461");
}

MeterSearchResult SearchMeter(IComPort& port, const QStringList& devices, int lastConnectedPort,
                              const MeterSearchHooks& hooks)
{
    MeterSearchResult result;
    result.lastConnectedPort = lastConnectedPort;

    const auto cancelled = [&] { return hooks.cancelled && hooks.cancelled(); };
    for (int i = 0; i < devices.size() && !cancelled(); ++i) {
        select(port, devices[i], i, hooks);
        if (hooks.showProgress)
            hooks.showProgress(QStringLiteral("Searching Meter on ") + devicePathFor(devices[i]));
        hooks.waitWithMessages(kWaitBeforeOpenMs);
        ignoringErrors([&] { port.SetActive(true); });
        hooks.waitWithMessages(kWaitAfterOpenMs);
        if (!port.Active())
            continue;
        const std::optional<QByteArray> reply = askIdentification(port, hooks);
        if (reply && !cancelled()) {
            result.found = true;
            result.identification = identificationText(*reply);
            result.selectedIndex = i;
            result.lastConnectedPort = i;
            result.devicePath = port.DeviceName();
            return result;
        }
        closePort(port);
    }

    // No meter: preselect the remembered device (or the first) and leave the port closed.
    if (result.lastConnectedPort < 0 || result.lastConnectedPort >= devices.size())
        result.lastConnectedPort = 0;
    if (devices.isEmpty()) {
        ignoringErrors([&] { port.SetDeviceName(devicePathFor(kNoPortText)); });
    } else {
        result.selectedIndex = result.lastConnectedPort;
        select(port, devices[result.selectedIndex], result.selectedIndex, hooks);
    }
    result.devicePath = port.DeviceName();
    return result;
}

void ApplySearchResult(const MeterSearchResult& result, IComPort& port, ILinkView& view,
                       LinkState& link)
{
    link.Connected = result.found;
    if (result.found)
        view.MeterConnected(result.devicePath);
    else
        view.MeterLost(result.devicePath);
    ignoringErrors([&] {
        port.PurgeInput();
        if (port.Active()) {
            const CommandFrame a = makeCommandFrame(Cmd::StartStream);
            port.Write(a.data(), int(a.size()), false);
        }
    });
}

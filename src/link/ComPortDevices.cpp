// SPDX-License-Identifier: GPL-3.0-or-later
// The list of serial devices and the baud rate table.
#include "link/ComPort.h"

#include <QSerialPortInfo>

void TCustomComPort::ListDeviceNames(QStringList& Strings)
{
    // Qt lists UARTs, USB serial adapters and ACM modems; legacy 8250 ports without hardware
    // behind them are left out.
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : ports)
        Strings.append(info.systemLocation());
}

void TCustomComPort::appendExtraPorts(QStringList& Strings, const QStringList& extras)
{
    for (const QString& path : extras)
        if (!path.isEmpty() && !Strings.contains(path))
            Strings.append(path);
}

int baudRateValue(TBaudRate rate)
{
    static constexpr int kRates[] = {0, 50, 75, 110, 150, 300, 600, 1200, 1800, 2000, 2400, 3600,
        4800, 7200, 9600, 10400, 14400, 15625, 19200, 28800, 38400, 56000, 57600, 115200, 128000,
        256000, 0};
    static_assert(std::size(kRates) == std::size_t(TBaudRate::brCustom) + 1);
    return kRates[std::size_t(rate)];
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The line settings of the program's two ports on the meter's device: 9600 baud, 8 data bits,
// no parity, one stop bit, RTS on; DTR on for the live port (Comm1), off for the download port
// (Comm2). The error handler is the owner's to choose.

class TCustomComPort;

enum class MeterPortRole { Live, Download };

void configureMeterPort(TCustomComPort& port, MeterPortRole role);

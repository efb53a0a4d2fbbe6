// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MeterPortSetup.h"

#include "link/ComPort.h"

void configureMeterPort(TCustomComPort& port, MeterPortRole role)
{
    port.SetBaudRate(TBaudRate::br9600);
    port.SetDataBits(TDataBits::db8);
    port.SetParity(TParity::paNone);
    port.SetStopBits(TStopBits::sb1);
    port.FlowControl().SetRTS(TRTSControl::rcEnable);
    port.FlowControl().SetDTR(role == MeterPortRole::Live ? TDTRControl::dcEnable
                                                          : TDTRControl::dcDisable);
}

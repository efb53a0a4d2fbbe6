// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/ComPortSettings.h"

#include "link/ComPort.h"

template <class T>
void TFlowControl::change(T& member, T value)
{
    if (member == value)
        return;
    member = value;
    port_.ApplyLineSettings();
}

void TFlowControl::SetDTR(TDTRControl value) { change(dtr_, value); }
void TFlowControl::SetRTS(TRTSControl value) { change(rts_, value); }
void TFlowControl::SetXOnXOff(TXOnXOffControl value) { change(xonXoff_, value); }
void TFlowControl::SetXOnLimit(std::uint16_t value) { change(xonLimit_, value); }
void TFlowControl::SetXOffLimit(std::uint16_t value) { change(xoffLimit_, value); }

void TCharacters::change(char& member, char value)
{
    if (member == value)
        return;
    member = value;
    port_.ApplyLineSettings();
}

void TCharacters::SetXOn(char value) { change(xon_, value); }
void TCharacters::SetXOff(char value) { change(xoff_, value); }
void TCharacters::SetError(char value) { change(error_, value); }
void TCharacters::SetEof(char value) { change(eof_, value); }
void TCharacters::SetEvent(char value) { change(event_, value); }

void TBufferSizes::change(std::int32_t& member, std::int32_t value)
{
    if (member == value)
        return;
    member = value;
    port_.ApplyBufferSizes();
}

void TBufferSizes::SetInput(std::int32_t value) { change(input_, value); }
void TBufferSizes::SetOutput(std::int32_t value) { change(output_, value); }

void TTimeouts::change(std::int32_t& member, std::int32_t value)
{
    if (member == value)
        return;
    member = value;
    port_.ApplyTimeouts();
}

void TTimeouts::SetReadInterval(std::int32_t value) { change(readInterval_, value); }
void TTimeouts::SetReadMultiplier(std::int32_t value) { change(readMultiplier_, value); }
void TTimeouts::SetReadConstant(std::int32_t value) { change(readConstant_, value); }
void TTimeouts::SetWriteMultiplier(std::int32_t value) { change(writeMultiplier_, value); }
void TTimeouts::SetWriteConstant(std::int32_t value) { change(writeConstant_, value); }

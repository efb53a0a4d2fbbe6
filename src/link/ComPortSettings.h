// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The four settings groups of a serial port. The port creates and owns them; each holds a
// reference back to it. A setter stores the value and, when it changed, applies its whole group
// to the open port at once.

#include "link/ComPortTypes.h"

#include <cstdint>

class TCustomComPort;

class TFlowControl {
public:
    explicit TFlowControl(TCustomComPort& port) : port_(port) {}
    TDTRControl DTR() const { return dtr_; }
    TRTSControl RTS() const { return rts_; }
    TXOnXOffControl XOnXOff() const { return xonXoff_; }
    std::uint16_t XOnLimit() const { return xonLimit_; }
    std::uint16_t XOffLimit() const { return xoffLimit_; }
    void SetDTR(TDTRControl value);
    void SetRTS(TRTSControl value);
    void SetXOnXOff(TXOnXOffControl value);
    void SetXOnLimit(std::uint16_t value);
    void SetXOffLimit(std::uint16_t value);

private:
    template <class T>
    void change(T& member, T value);
    TCustomComPort& port_;
    TDTRControl dtr_ = TDTRControl::dcDefault;
    TRTSControl rts_ = TRTSControl::rcDefault;
    TXOnXOffControl xonXoff_ = TXOnXOffControl::xcDefault;
    std::uint16_t xonLimit_ = 0;
    std::uint16_t xoffLimit_ = 0;
};

class TCharacters {
public:
    explicit TCharacters(TCustomComPort& port) : port_(port) {}
    char XOn() const { return xon_; }
    char XOff() const { return xoff_; }
    char Error() const { return error_; }
    char Eof() const { return eof_; }
    char Event() const { return event_; }
    void SetXOn(char value);
    void SetXOff(char value);
    void SetError(char value);
    void SetEof(char value);
    void SetEvent(char value);

private:
    void change(char& member, char value);
    TCustomComPort& port_;
    char xon_ = 17;
    char xoff_ = 19;
    char error_ = 0;
    char eof_ = 0;
    char event_ = 0;
};

// Driver queue sizes. The Linux tty layer has fixed buffers: the values are kept, not applied.
class TBufferSizes {
public:
    explicit TBufferSizes(TCustomComPort& port) : port_(port) {}
    std::int32_t Input() const { return input_; }
    std::int32_t Output() const { return output_; }
    void SetInput(std::int32_t value);
    void SetOutput(std::int32_t value);

private:
    void change(std::int32_t& member, std::int32_t value);
    TCustomComPort& port_;
    std::int32_t input_ = 4096;
    std::int32_t output_ = 2048;
};

// Read and write time-outs in milliseconds (see PosixSerialDevice.h for how they bound a call).
class TTimeouts {
public:
    explicit TTimeouts(TCustomComPort& port) : port_(port) {}
    std::int32_t ReadInterval() const { return readInterval_; }
    std::int32_t ReadMultiplier() const { return readMultiplier_; }
    std::int32_t ReadConstant() const { return readConstant_; }
    std::int32_t WriteMultiplier() const { return writeMultiplier_; }
    std::int32_t WriteConstant() const { return writeConstant_; }
    void SetReadInterval(std::int32_t value);
    void SetReadMultiplier(std::int32_t value);
    void SetReadConstant(std::int32_t value);
    void SetWriteMultiplier(std::int32_t value);
    void SetWriteConstant(std::int32_t value);

private:
    void change(std::int32_t& member, std::int32_t value);
    TCustomComPort& port_;
    std::int32_t readInterval_ = 0;
    std::int32_t readMultiplier_ = 0;
    std::int32_t readConstant_ = 0;
    std::int32_t writeMultiplier_ = 0;
    std::int32_t writeConstant_ = 0;
};

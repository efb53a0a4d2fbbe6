// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The serial component's value types: the enumerations of its properties, the small sets built
// from them, the communication event bits and the component's error EComError.

#include <QString>

#include <cstdint>
#include <initializer_list>
#include <stdexcept>

enum class TBaudRate {
    brDefault, br50, br75, br110, br150, br300, br600, br1200, br1800, br2000, br2400, br3600,
    br4800, br7200, br9600, br10400, br14400, br15625, br19200, br28800, br38400, br56000,
    br57600, br115200, br128000, br256000, brCustom
};
enum class TDataBits { dbDefault, db4, db5, db6, db7, db8 };
enum class TParity { paDefault, paNone, paOdd, paEven, paMark, paSpace };
enum class TStopBits { sbDefault, sb1, sb1_5, sb2 };
enum class TDTRControl { dcDefault, dcDisable, dcEnable, dcHandshake };
enum class TRTSControl { rcDefault, rcDisable, rcEnable, rcHandshake, rcToggle };
enum class TXOnXOffControl { xcDefault, xcDisable, xcInput, xcOutput, xcInputOutput };
enum class TOption {
    opCheckParity, opOutputCTSFlow, opOutputDSRFlow, opDSRSensitivity, opTXContinueOnXOff,
    opUseErrorChar, opDiscardNullBytes, opAbortOnError
};
enum class TPriorityClass { pcDefault, pcIdle, pcNormal, pcHigh, pcRealTime };
enum class TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };
enum class TLineError {
    leBreak, leDeviceNotSelected, leFrame, leIO, leMode, leOutOfPaper, leOverrun,
    leDeviceTimeOut, leRxOverflow, leParity, leTxFull
};
enum class TModemStatusValue { msCTS, msDSR, msRing, msRLSD };
enum class TComAction { caFail, caAbort };

// A set of enumeration values, one bit per value.
template <class E>
class TSet {
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> values)
    {
        for (E v : values)
            bits_ |= bit(v);
    }
    constexpr bool contains(E v) const { return (bits_ & bit(v)) != 0; }
    constexpr TSet& include(E v) { bits_ |= bit(v); return *this; }
    constexpr TSet& exclude(E v) { bits_ &= ~bit(v); return *this; }
    constexpr bool empty() const { return bits_ == 0; }
    constexpr std::uint32_t bits() const { return bits_; }
    constexpr bool operator==(const TSet&) const = default;

private:
    static constexpr std::uint32_t bit(E v) { return std::uint32_t(1) << unsigned(v); }
    std::uint32_t bits_ = 0;
};

using TOptions = TSet<TOption>;
using TLineErrors = TSet<TLineError>;
using TModemStatus = TSet<TModemStatusValue>;

// Communication event bits: each assigned event handler adds its bit to the port's event mask.
namespace ComEvent {
constexpr std::uint32_t RxChar = 0x0001;
constexpr std::uint32_t RxFlag = 0x0002;
constexpr std::uint32_t TxEmpty = 0x0004;
constexpr std::uint32_t CTS = 0x0008;
constexpr std::uint32_t DSR = 0x0010;
constexpr std::uint32_t RLSD = 0x0020;
constexpr std::uint32_t Break = 0x0040;
constexpr std::uint32_t Err = 0x0080;
constexpr std::uint32_t Ring = 0x0100;
constexpr std::uint32_t PErr = 0x0200;
constexpr std::uint32_t Rx80Full = 0x0400;
constexpr std::uint32_t Event1 = 0x0800;
constexpr std::uint32_t Event2 = 0x1000;
} // namespace ComEvent

// Line error bits as the device layer reports them (one per TLineError).
namespace LineErrorBit {
constexpr std::uint32_t RxOverflow = 0x0001;
constexpr std::uint32_t Overrun = 0x0002;
constexpr std::uint32_t Parity = 0x0004;
constexpr std::uint32_t Frame = 0x0008;
constexpr std::uint32_t Break = 0x0010;
constexpr std::uint32_t TxFull = 0x0100;
constexpr std::uint32_t DeviceTimeOut = 0x0200;
constexpr std::uint32_t IO = 0x0400;
constexpr std::uint32_t DeviceNotSelected = 0x0800;
constexpr std::uint32_t OutOfPaper = 0x1000;
constexpr std::uint32_t Mode = 0x8000;
} // namespace LineErrorBit

// Modem status bits as the device layer reports them.
namespace ModemBit {
constexpr std::uint32_t CTS = 0x10;
constexpr std::uint32_t DSR = 0x20;
constexpr std::uint32_t Ring = 0x40;
constexpr std::uint32_t RLSD = 0x80;
} // namespace ModemBit

// The component's error: the operating system's error code (errno) with its text, or code 0
// with one of the component's own messages.
class EComError : public std::runtime_error {
public:
    EComError(int errorCode, const QString& message)
        : std::runtime_error(message.toStdString()), errorCode_(errorCode), message_(message)
    {
    }
    int ErrorCode() const { return errorCode_; }
    const QString& Message() const { return message_; }

private:
    int errorCode_;
    QString message_;
};

namespace ComMessage {
inline const char* const ClosedPort = "Can't perform this operation on a closed port";
inline const char* const OpenPort = "Can't perform this operation on an open port";
inline const char* const CreateThread = "Can't create thread";
inline const char* const Timeout = "Timeout";
} // namespace ComMessage

// Bits per second of a fixed rate; 0 for brDefault and brCustom.
int baudRateValue(TBaudRate rate);

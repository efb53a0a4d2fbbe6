// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The device layer under the serial component: what TComPort needs from the operating system.
// PosixSerialDevice implements it with termios on a non-blocking file descriptor; a Win32 layer
// can implement it with the communications API. Tests inject fakes for error paths.
//
// Every operation returns 0 on success or the operating system's error code (errno on POSIX).

#include <cstdint>
#include <memory>

class QString;

// Line settings in device terms. A value of -1 (or 0 for the rate) leaves the driver's setting.
struct SerialLineSettings {
    int baudRate = 0;      // bits per second; 0 leaves it
    int dataBits = -1;     // 4..8
    int parity = -1;       // 0 none, 1 odd, 2 even, 3 mark, 4 space
    int stopBits = -1;     // 0 one, 1 one and a half, 2 two
    int dtrControl = -1;   // 0 off, 1 on, 2 handshake
    int rtsControl = -1;   // 0 off, 1 on, 2 handshake, 3 toggle
    int xonXoff = -1;      // bit 0: flow control of received data, bit 1: of sent data
    std::uint8_t xonChar = 17, xoffChar = 19, errorChar = 0, eofChar = 0, eventChar = 0;
    std::uint16_t xonLimit = 0, xoffLimit = 0;
    bool checkParity = false;
    bool outputCtsFlow = false;
    bool outputDsrFlow = false;
    bool dsrSensitivity = false;
    bool txContinueOnXoff = false;
    bool useErrorChar = false;
    bool discardNullBytes = false;
    bool abortOnError = false;
};

struct SerialTimeouts {
    int readInterval = 0, readMultiplier = 0, readConstant = 0;
    int writeMultiplier = 0, writeConstant = 0;
};

// The result of one wait for communication events.
struct SerialEventResult {
    std::uint32_t events = 0; // ComEvent bits that occurred
    int error = 0;            // the wait failed with this code (the device is unusable)
    bool woken = false;       // wake() ended the wait
};

// Waits for communication events of one open device. Used by exactly one event thread; wake()
// may be called from any thread and ends the current and every later wait at once. A source
// stays safe to use after its device has closed (its waits then end as woken).
class ISerialEventSource {
public:
    virtual ~ISerialEventSource() = default;
    // Blocks until an event in mask occurs, the device fails or wake() is called. While
    // holdOffMs > 0, queued input does not count as an event for that long (the handler
    // declined to read it), so the waiter does not spin on bytes nobody takes.
    virtual SerialEventResult wait(std::uint32_t mask, int holdOffMs) = 0;
    virtual void wake() = 0;
};

class ISerialDevice {
public:
    virtual ~ISerialDevice() = default;

    // Opens the named device for reading and writing, exclusively, without blocking.
    virtual int open(const QString& name) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    virtual int purge(bool input, bool output) = 0;
    virtual int setQueueSizes(int input, int output) = 0;
    virtual int applyLineSettings(const SerialLineSettings& settings) = 0;
    virtual int setTimeouts(const SerialTimeouts& timeouts) = 0;

    // Reads and clears the line error bits (LineErrorBit) and reports the input queue length.
    virtual int clearErrors(std::uint32_t& errors, int& inputQueued) = 0;
    // The input queue length alone (error bits stay as they are).
    virtual int inputQueued(int& count) = 0;
    // Reads exactly length bytes unless the time-outs end it first; done tells how many came.
    virtual int read(void* buffer, int length, int& done) = 0;
    // Hands every byte to the driver unless the time-outs end it first; done tells how many.
    virtual int write(const void* buffer, int length, int& done) = 0;
    virtual int modemStatus(std::uint32_t& bits) = 0; // ModemBit values

    // A new event source for an event thread.
    virtual std::shared_ptr<ISerialEventSource> createEventSource() = 0;
};

// The operating system's text for an error code.
QString systemErrorText(int code);

// The device layer of this platform.
std::unique_ptr<ISerialDevice> createPlatformSerialDevice();

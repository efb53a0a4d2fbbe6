// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The operations of a serial port that the protocol code uses. The serial component TComPort
// implements it on a real device; the meter simulator and test doubles implement it in memory,
// so that the same protocol code runs against all of them.
//
// Errors: an operation that fails raises EComError, or SilentAbort when the port's error
// handler chose the silent abort (the program's ports always do).

#include <QString>

class IComPort {
public:
    virtual ~IComPort() = default;

    virtual QString DeviceName() const = 0;
    virtual void SetDeviceName(const QString& name) = 0;   // refused while open

    virtual bool Active() const = 0;
    virtual void SetActive(bool value) = 0;                // true opens, false closes
    virtual void Open() = 0;
    virtual void Close() = 0;                               // nothing on a closed port

    virtual int InputCount() = 0;                           // bytes waiting in the input queue
    // Reads Length bytes; callers ask for at most what InputCount just reported, and the bytes
    // are in Buffer when Read returns.
    virtual void Read(void* Buffer, int Length, bool WaitOnCompletion) = 0;
    // Every byte has been taken when Write returns.
    virtual void Write(const void* Buffer, int Length, bool WaitOnCompletion) = 0;

    virtual void PurgeInput() = 0;                          // nothing on a closed port
    virtual void PurgeOutput() = 0;
};

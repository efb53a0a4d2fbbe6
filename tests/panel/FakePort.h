// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An in-memory serial port that records what is written.

#include "link/ComPortInterface.h"
#include "base/SilentAbort.h"

#include <QByteArray>

class FakePort final : public IComPort {
public:
    QByteArray written;
    bool failWrites = false;

    QString DeviceName() const override { return name_; }
    void SetDeviceName(const QString& name) override { name_ = name; }
    bool Active() const override { return active_; }
    void SetActive(bool value) override { active_ = value; }
    void Open() override { active_ = true; }
    void Close() override { active_ = false; }
    int InputCount() override { return 0; }
    void Read(void*, int, bool) override {}
    void Write(const void* buffer, int length, bool) override
    {
        if (failWrites)
            throw SilentAbort();
        written.append(static_cast<const char*>(buffer), length);
    }
    void PurgeInput() override {}
    void PurgeOutput() override {}

private:
    QString name_ = QStringLiteral("/dev/fake");
    bool active_ = true;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An in-memory IComPort over a set of named devices: each device may refuse to open, answer the
// identification request with a fixed reply, and records what was written to it and how often it was
// opened and closed.

#include "link/ComPortInterface.h"
#include "base/SilentAbort.h"

#include <QByteArray>
#include <QMap>
#include <QString>

#include <cstring>
#include <stdexcept>

struct FakeDevice {
    bool opens = true;
    QByteArray reply;          // queued after each write
    bool failWrite = false;
    int openCount = 0;
    int closeCount = 0;
    QByteArray written;
};

class FakePorts final : public IComPort {
public:
    QMap<QString, FakeDevice> devices;
    int purges = 0;

    QString DeviceName() const override { return name_; }
    void SetDeviceName(const QString& name) override
    {
        if (open_)
            throw std::runtime_error("Can't perform this operation on an open port");
        name_ = name;
    }
    bool Active() const override { return open_; }
    void SetActive(bool value) override
    {
        if (value != open_)
            value ? Open() : Close();
    }
    void Open() override
    {
        auto it = devices.find(name_);
        if (it == devices.end() || !it->opens)
            throw SilentAbort();
        ++it->openCount;
        open_ = true;
    }
    void Close() override
    {
        if (!open_)
            return;
        ++devices[name_].closeCount;
        open_ = false;
        input_.clear();
    }
    int InputCount() override
    {
        requireOpen();
        return int(input_.size());
    }
    void Read(void* buffer, int length, bool) override
    {
        requireOpen();
        std::memcpy(buffer, input_.constData(), size_t(length));
        input_.remove(0, length);
    }
    void Write(const void* buffer, int length, bool) override
    {
        requireOpen();
        FakeDevice& d = devices[name_];
        if (d.failWrite)
            throw SilentAbort();
        d.written.append(static_cast<const char*>(buffer), length);
        if (length > 1 && static_cast<const char*>(buffer)[1] == 'K')
            input_ += d.reply; // the identification request is answered
    }
    void PurgeInput() override
    {
        ++purges;
        input_.clear();
    }
    void PurgeOutput() override {}

private:
    void requireOpen() const
    {
        if (!open_)
            throw SilentAbort();
    }
    QString name_ = QStringLiteral("COM1");
    bool open_ = false;
    QByteArray input_;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shared pieces of the main-window tests: a private settings folder, plain pseudo-terminals that
// stand for serial devices without a meter, prompts that show nothing, and a bounded wait that
// runs the event loop.

#include "app/Settings.h"
#include "base/WaitWithMessages.h"
#include "base/Questions.h"

#include <QByteArray>
#include <QSettings>
#include <QString>
#include <QTemporaryDir>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

// Points the settings store at a fresh temporary folder for the lifetime of the object.
class PrivateSettings {
public:
    PrivateSettings()
    {
        qputenv("XDG_CONFIG_HOME", dir_.path().toUtf8());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.path());
    }
    QString path() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
};

// A pseudo-terminal pair; the slave's path is a serial device that never answers, the master
// side shows what the program wrote to it.
class PlainPty {
public:
    PlainPty()
    {
        char name[128] = {};
        if (openpty(&master_, &slave_, name, nullptr, nullptr) == 0) {
            path_ = QString::fromLocal8Bit(name);
            termios t{};
            tcgetattr(slave_, &t);
            cfmakeraw(&t);
            tcsetattr(slave_, TCSANOW, &t);
            fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
        }
    }
    ~PlainPty()
    {
        if (master_ >= 0)
            ::close(master_);
        if (slave_ >= 0)
            ::close(slave_);
    }
    PlainPty(const PlainPty&) = delete;
    PlainPty& operator=(const PlainPty&) = delete;

    QString path() const { return path_; }
    // Everything written to the device so far.
    QByteArray received()
    {
        char buf[512];
        for (;;) {
            const ssize_t n = ::read(master_, buf, sizeof buf);
            if (n <= 0)
                break;
            got_.append(buf, int(n));
        }
        return got_;
    }

private:
    int master_ = -1;
    int slave_ = -1;
    QString path_;
    QByteArray got_;
};

// Prompts that show nothing: messages are dropped, every question is answered No.
inline UserPrompts silentPrompts()
{
    UserPrompts p;
    p.message = p.notice = p.error = [](const QString&) {};
    p.question = [](const QString&) { return false; };
    p.choice = [](const QString&) { return Answer::No; };
    return p;
}

inline bool waitFor(const std::function<bool()>& done, int timeoutMs = 10000)
{
    return WaitUntil(done, timeoutMs);
}

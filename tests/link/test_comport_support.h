// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Helpers of the serial component's tests: a pseudo-terminal whose slave the port opens, a
// deadline-bounded wait that keeps the event loop running, and an error handler recorder.

#include "link/ComPort.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

// Runs the event loop until pred holds or timeoutMs passed. Returns pred's last value.
template <class P>
bool waitUntil(P pred, int timeoutMs = 3000)
{
    QElapsedTimer timer;
    timer.start();
    while (!pred()) {
        if (timer.elapsed() > timeoutMs)
            return pred();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Runs the event loop for ms milliseconds (to show that something does NOT happen).
inline void runEventsFor(int ms)
{
    waitUntil([] { return false; }, ms);
}

// A pseudo-terminal: the test plays the meter on the master side.
class Pty {
public:
    Pty()
    {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0)
            slave_ = QString::fromLocal8Bit(::ptsname(master_));
        if (master_ >= 0)
            ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
        // Held open so that the slave's settings survive the port's closing (a pty resets
        // them on the last close); the test only inspects and sets the line through it.
        if (!slave_.isEmpty())
            slaveFd_ = ::open(slave_.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    }
    ~Pty()
    {
        hangUp();
        if (slaveFd_ >= 0)
            ::close(slaveFd_);
    }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    bool ok() const { return master_ >= 0 && slaveFd_ >= 0; }
    int slaveFd() const { return slaveFd_; }
    const QString& slavePath() const { return slave_; }
    int master() const { return master_; }

    void send(const QByteArray& bytes) const
    {
        int done = 0;
        while (done < bytes.size()) {
            ssize_t n = ::write(master_, bytes.constData() + done, size_t(bytes.size() - done));
            if (n > 0)
                done += int(n);
            else
                waitFor(POLLOUT, 1000);
        }
    }

    // What has arrived from the port so far.
    QByteArray receive() const
    {
        QByteArray all;
        char buf[4096];
        ssize_t n;
        while ((n = ::read(master_, buf, sizeof buf)) > 0)
            all.append(buf, int(n));
        return all;
    }

    // Reads until count bytes came or timeoutMs passed without any.
    QByteArray receive(int count, int timeoutMs = 3000) const
    {
        QByteArray all;
        while (all.size() < count) {
            QByteArray more = receive();
            if (more.isEmpty() && !waitFor(POLLIN, timeoutMs))
                break;
            all += more;
        }
        return all;
    }

    void hangUp()
    {
        if (master_ >= 0)
            ::close(master_);
        master_ = -1;
    }

private:
    bool waitFor(short events, int ms) const
    {
        pollfd p {master_, events, 0};
        return ::poll(&p, 1, ms) > 0;
    }

    int master_ = -1;
    int slaveFd_ = -1;
    QString slave_;
};

inline QByteArray pattern(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + i / 251) & 0xFF);
    return bytes;
}

// Records every error offered to OnError and answers with a chosen action.
struct ErrorLog {
    TComAction answer = TComAction::caAbort;
    int count = 0;
    int lastCode = -1;
    QString lastMessage;
    bool onMainThread = true;

    void attach(TCustomComPort& port)
    {
        port.SetOnError([this](TCustomComPort&, const EComError& e, TComAction& action) {
            ++count;
            lastCode = e.ErrorCode();
            lastMessage = e.Message();
            onMainThread = onMainThread && QThread::currentThread() == qApp->thread();
            EXPECT_EQ(action, TComAction::caFail);
            action = answer;
        });
    }
};

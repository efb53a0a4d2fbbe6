// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/WaitWithMessages.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>

namespace {

// Runs a nested event loop for ms milliseconds.
void runEventsFor(qint64 ms)
{
    QEventLoop loop;
    QTimer::singleShot(std::chrono::milliseconds(ms), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

void WaitWithMessages(int ms)
{
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        const qint64 left = qint64(ms) - timer.elapsed();
        if (left < 0) // more than ms have passed
            return;
        runEventsFor(left + 1);
    }
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs, int pollMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        const qint64 left = qint64(timeoutMs) - timer.elapsed();
        if (left <= 0)
            return done();
        runEventsFor(std::min<qint64>(left, std::max(pollMs, 1)));
    }
    return true;
}

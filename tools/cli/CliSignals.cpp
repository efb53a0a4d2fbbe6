// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliSignals.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace cli {

namespace {

volatile std::sig_atomic_t stopRequested = 0;
int wakeFds[2] = {-1, -1};
struct sigaction previousInt {}, previousTerm {};

extern "C" void onSignal(int)
{
    stopRequested = 1;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(wakeFds[1], &byte, 1);
}

} // namespace

StopSignals::StopSignals(std::function<void()> onStop) : onStop_(std::move(onStop))
{
    if (::pipe(wakeFds) != 0)
        throw std::runtime_error("cannot create the signal pipe");
    for (const int fd : wakeFds)
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    stopRequested = 0;
    notifier_ = std::make_unique<QSocketNotifier>(wakeFds[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { readSignal(); });

    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, &previousInt);
    sigaction(SIGTERM, &action, &previousTerm);
}

StopSignals::~StopSignals()
{
    sigaction(SIGINT, &previousInt, nullptr);
    sigaction(SIGTERM, &previousTerm, nullptr);
    notifier_.reset();
    for (int& fd : wakeFds) {
        ::close(fd);
        fd = -1;
    }
}

bool StopSignals::requested()
{
    return stopRequested != 0;
}

void StopSignals::readSignal()
{
    char buf[16];
    while (::read(wakeFds[0], buf, sizeof buf) > 0) {
    }
    if (onStop_)
        onStop_();
}

} // namespace cli

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The exit statuses of kolva-cli and the failure that ends a command with status 1 and its
// one-line reason on standard error.

#include <QString>

#include <stdexcept>

namespace cli {

// ExitAlarm: live --exit-on-alarm ended at the first alarm.
enum ExitStatus { ExitOk = 0, ExitFailed = 1, ExitUsage = 2, ExitAlarm = 3 };

struct Failure : std::runtime_error {
    explicit Failure(const QString& reason) : std::runtime_error(reason.toStdString()) {}
    QString reason() const { return QString::fromStdString(what()); }
};

// A note on standard error ("kolva-cli: text"), flushed at once.
void note(const QString& text);

} // namespace cli

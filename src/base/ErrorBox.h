// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The two ways an error ends a command: the silent abort (no message) and the application's
// standard error box. Every event handler, timer tick and menu command runs through guarded().

#include "base/SilentAbort.h"

#include <QString>

#include <exception>
#include <utility>

// Shows text in the application's standard error box.
void showStandardError(const QString& text);

// Runs f; a silent abort ends it without a message, any other error is shown in the standard
// error box and the program goes on.
template <class F>
void guarded(F&& f)
{
    try {
        std::forward<F>(f)();
    } catch (const SilentAbort&) {
    } catch (const std::exception& e) {
        showStandardError(QString::fromUtf8(e.what()));
    }
}

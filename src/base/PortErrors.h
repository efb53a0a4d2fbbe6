// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "Ignoring any error": the steps of the start-up and of the port change whose port errors
// (the silent abort or any other) must not end the running command.

#include <exception>

template <class F>
void ignoringErrors(F&& f)
{
    try {
        f();
    } catch (const std::exception&) {
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Windows that a benchmark keeps between its runs must go before the QApplication does: a window
// destroyed by the exit handlers, after main() has returned, finds the application gone.
// keptWindow() makes such an object on first use; the GUI benchmark main destroys them all
// before its QApplication.

#include <functional>
#include <memory>
#include <vector>

namespace benchsupport {

inline std::vector<std::function<void()>>& beforeAppEnds()
{
    static std::vector<std::function<void()>> list;
    return list;
}

template <class T>
T& keptWindow()
{
    static std::unique_ptr<T> object;
    if (!object) {
        object = std::make_unique<T>();
        beforeAppEnds().push_back([] { object.reset(); });
    }
    return *object;
}

inline void endKeptWindows()
{
    for (auto& end : beforeAppEnds())
        end();
    beforeAppEnds().clear();
}

} // namespace benchsupport

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window of a picture tool: no serial devices, prompts that show nothing, placed at
// the top-left corner in the given size, shown and through its start-up.

#include "support/ScriptedPrompts.h"

#include "app/UMain.h"
#include "base/WaitWithMessages.h"

#include <QSize>

struct ShownMainWindow {
    static void noDevices(QStringList&) {}

    explicit ShownMainWindow(const QSize& size)
    {
        main.SetPrompts(quiet.prompts());
        main.setGeometry(QRect(QPoint(0, 0), size));
        main.show();
        WaitUntil([&] { return main.StartupDone(); }, 10000);
    }

    ScriptedPrompts quiet;
    TfrmMain main{{}, nullptr, &noDevices};
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A panel host that ignores the panel: for pictures and benchmarks of the panel on its own.

#include "panel/PanelHost.h"

struct NullHost : IPanelHost {
    void SendKey(char) override {}
    bool IsConnected() const override { return true; }
    bool InMaxMinTick() const override { return false; }
    void PanelActivated() override {}
    void PanelClosed() override {}
};

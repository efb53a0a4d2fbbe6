// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A live link view that shows nothing, for tests and tools that have no main window.

#include "link/LinkView.h"

struct NullLinkView : ILinkView {
    void MeterConnected(const QString&) override {}
    void MeterLost(const QString&) override {}
};

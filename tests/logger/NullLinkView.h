#pragma once
// A live link view that shows nothing, for tests and tools that have no main window.

#include "link/LinkView.h"

struct NullLinkView : ILinkView {
    void SetRunEnabled(bool) override {}
    void SetStopEnabled(bool) override {}
    void SetDataLoggerEnabled(bool) override {}
    void SetStatus(const QString&, const QString&) override {}
    void SetNoConnectionVisible(bool) override {}
    void SetClearEnabled(bool) override {}
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the front panel needs from the main window.

class IPanelHost {
public:
    virtual ~IPanelHost() = default;
    virtual void SendKey(char letter) = 0;      // the key command (guards, write, beep)
    virtual bool IsConnected() const = 0;       // Connected of the link
    virtual bool InMaxMinTick() const = 0;      // the blink handler is running
    virtual void PanelActivated() = 0;          // disables btnOutputToGraph
    virtual void PanelClosed() = 0;             // PanelWindow := none, "&Control Panel" unchecked
};

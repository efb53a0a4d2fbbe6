// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The front panel in the main window: its frameless sub-window at the top-left corner, opening
// it again from the View menu, and what the panel asks of the program (IPanelHost). The main
// window owns the panel reference, the blink timer and the battery pictures; the link does the
// key commands.

#include "panel/PanelHost.h"

#include <QPixmap>
#include <QPointer>

#include <array>
#include <functional>

class LinkWiring;
class QMdiArea;
class QMdiSubWindow;
class QTimer;
class TfrmPanel;

class PanelHosting final : public IPanelHost {
public:
    struct Hooks {
        std::function<void()> activated;         // the panel became the active child
        std::function<void(bool shown)> shown;   // "&Control Panel" checked or unchecked
        // False while another command holds Comm1 (the meter set-up): keys are dropped then.
        std::function<bool()> keysAllowed;
    };

    PanelHosting(QMdiArea& area, QPointer<TfrmPanel>& panel, LinkWiring& link, QTimer& maxMinTimer,
                 const std::array<QPixmap, 4>& batteryPictures, Hooks hooks);

    // Creates the panel at (0, 0), or brings back the one there is.
    void ShowPanel();
    QMdiSubWindow* SubWindow() const;
    void SetNoConnectionVisible(bool on);
    // The program is ending: the panel's sub-window goes with the others.
    void SetClosing() { closing_ = true; }

    // IPanelHost
    void SendKey(char letter) override;
    bool IsConnected() const override;
    bool InMaxMinTick() const override;
    void PanelActivated() override;
    void PanelClosed() override;

private:
    void create();
    void forget();

    QMdiArea& area_;
    QPointer<TfrmPanel>& panel_;
    LinkWiring& link_;
    QTimer& maxMinTimer_;
    const std::array<QPixmap, 4>& batteryPictures_;
    Hooks hooks_;
    QPointer<QMdiSubWindow> subWindow_;
    bool closing_ = false;
    // What the link last said about the meter: "No Connection" is shown only once the search or
    // the watchdog has found it missing, on a panel made later as well.
    bool noConnection_ = false;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/StartupSearch.h"

#include "app/Settings.h"
#include "app/UAbout.h"
#include "base/WaitWithMessages.h"
#include "link/ComPort.h"
#include "link/LiveLink.h"

#include "base/PortErrors.h"

#include <QComboBox>
#include <QScopeGuard>

#include <exception>

StartupSearch::StartupSearch(TComPort& comm1, QComboBox& portList, LinkState& link,
                             ILinkView& view, Settings& settings)
    : comm1_(comm1), portList_(portList), link_(link), view_(view), settings_(settings)
{
}

void StartupSearch::SetSplash(TfrmAbout* splash)
{
    splash_ = splash;
}

QStringList StartupSearch::devices() const
{
    QStringList list;
    for (int i = 0; i < portList_.count(); ++i)
        list << portList_.itemText(i);
    return list;
}

bool StartupSearch::Run(const std::function<void()>& assignReceiveHandler)
{
    comm1_.SetOnRxChar(nullptr);
    link_.Connected = false;
    // A device picked while the search runs would be overwritten by it.
    portList_.setEnabled(false);
    const auto enableList = qScopeGuard([this] { portList_.setEnabled(true); });

    MeterSearchHooks hooks;
    hooks.waitWithMessages = [](int ms) { WaitWithMessages(ms); };
    hooks.cancelled = [this] { return cancelled_; };
    hooks.showProgress = [this](const QString& text) {
        if (splash_)
            splash_->SetProgress(text);
    };
    hooks.selectItem = [this](int index) { portList_.setCurrentIndex(index); };
    const MeterSearchResult result = SearchMeter(comm1_, devices(), settings_.LastConnectedPort, hooks);
    if (cancelled_)
        return false;
    settings_.LastConnectedPort = result.lastConnectedPort;
    settings_.LastConnectedModel = Settings::kDefaultLastConnectedModel;

    // The handler is kept even when its event thread cannot be made (the system is out of
    // threads or descriptors). The port then closes, so that the watchdog's reopening, which
    // makes the thread, brings the link up; the rest of the start-up runs as ever.
    try {
        assignReceiveHandler();
    } catch (const std::exception&) {
        ignoringErrors([this] { comm1_.SetActive(false); });
        ignoringErrors([this] { comm1_.Close(); });
    }
    ApplySearchResult(result, comm1_, view_, link_);
    return true;
}

void StartupSearch::CloseSplash()
{
    if (splash_)
        splash_->close();
}

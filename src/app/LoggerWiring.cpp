// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/LoggerWiring.h"

#include "base/DateTime.h"

#include "base/ErrorBox.h"
#include "app/LinkWiring.h"

#include <QApplication>
#include <QScopeGuard>
#include <QTimer>

namespace {

MessageFn noticeOf(const UserPrompts& prompts)
{
    return prompts.notice ? prompts.notice : prompts.message;
}

} // namespace

LoggerWiring::BusyCursor::BusyCursor()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

LoggerWiring::BusyCursor::~BusyCursor()
{
    QApplication::restoreOverrideCursor();
}

LoggerWiring::LoggerWiring(QWidget& mainWindow, TComPort& comm1, TComPort& comm2,
                           QTimer& mainTimer, LinkWiring& link, DataSetStore& store,
                           UnsavedMarks& unsaved, const UserPrompts& prompts, Hooks hooks)
    : comm1_(comm1), comm2_(comm2), mainTimer_(mainTimer), link_(link), store_(store),
      unsaved_(unsaved), hooks_(std::move(hooks)),
      windows_(&mainWindow, store,
               DownloadWindows::Hooks{
                   [this] { hooks_.openLoggerGraph(); },
                   [this] {
                       TfrmGraph* w = hooks_.loggerWindow();
                       return w ? w : hooks_.openLoggerGraph();
                   },
                   [&prompts] { return prompts.message; },
                   [&prompts] { return noticeOf(prompts); }}),
      download_(*this, windows_, DownloadServices::system())
{
}

LoggerWiring::~LoggerWiring() = default;

void LoggerWiring::LoadData1Click()
{
    // A second command while one runs does nothing (and leaves the running one its dialog).
    if (inLoadData_)
        return;
    const auto end = qScopeGuard([this] {
        windows_.EndCommand();
        busyCursor_.reset();
    });
    guarded([this] { download_.LoadData1Click({store_, inLoadData_, unsaved_.LoggerDataUnsaved}); });
}

const LinkState& LoggerWiring::Link() const
{
    return link_.State();
}

bool LoggerWiring::MeterRecording() const
{
    return link_.Reading().MeterRecording;
}

void LoggerWiring::SetMainTimerEnabled(bool on)
{
    if (on)
        mainTimer_.start();
    else
        mainTimer_.stop();
}

void LoggerWiring::AttachLiveReceiver()
{
    comm1_.SetOnRxChar([this](TCustomComPort&) { link_.Comm1RxChar(); });
}

void LoggerWiring::DetachLiveReceiver()
{
    comm1_.SetOnRxChar(nullptr);
}

void LoggerWiring::MeterInfoRead(const MeterInfo& info, double readAt)
{
    if (info.firmwareVersion)
        firmware_ = info.firmwareVersion;
    if (info.meterTime)
        clockDifference_ = (*info.meterTime - readAt) * DateTime::SecondsPerDay;
}

void LoggerWiring::SetBusyCursor(bool on)
{
    if (!on)
        busyCursor_.reset();
    else if (!busyCursor_)
        busyCursor_.emplace();
}

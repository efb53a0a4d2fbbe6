// SPDX-License-Identifier: GPL-3.0-or-later
#include "logger/DownloadWindows.h"

#include "logger/UErr.h"
#include "logger/UScope.h"

DownloadProgressWindow::~DownloadProgressWindow()
{
    ProgressClosed();
}

void DownloadProgressWindow::open(int totalBytes)
{
    ProgressClosed();
    window_ = new TfrmScope(parent_);
    window_->setAttribute(Qt::WA_DeleteOnClose);
    window_->ShowAsDownloadProgress(totalBytes);
    window_->show();
    window_->raise();
    window_->activateWindow();
    window_->repaint();
    open_ = true;
}

void DownloadProgressWindow::ProgressStarted()
{
    open(0);
}

void DownloadProgressWindow::ProgressOpened(int totalBytes)
{
    if (!window_) {
        open(totalBytes);
        return;
    }
    window_->SetDownloadTotal(totalBytes);
    window_->repaint();
}

// A window that went while the download runs was closed by the user: a Cancel too.
bool DownloadProgressWindow::CancelRequested() const
{
    return open_ && (!window_ || window_->CancelPressed());
}

void DownloadProgressWindow::ProgressChanged(const DownloadProgress& progress)
{
    if (!window_)
        return;
    window_->ShowDownloadProgress(progress);
    window_->repaint();
}

void DownloadProgressWindow::ProgressClosed()
{
    open_ = false;
    delete window_.data();
}

DownloadWindows::DownloadWindows(QWidget* parent, const DataSetStore& store, Hooks hooks)
    : parent_(parent), hooks_(std::move(hooks)), dataSets_(store, hooks_.loggerWindow, hooks_.notice),
      progress_(parent)
{
}

DownloadWindows::~DownloadWindows() = default;

void DownloadWindows::EndCommand()
{
    errorDialog_.reset();
}

void DownloadWindows::OpenLoggerGraph()
{
    hooks_.openLoggerGraph();
}

void DownloadWindows::ShowMessage(const QString& text)
{
    if (const MessageFn message = hooks_.message())
        message(text);
}

ErrorChoice DownloadWindows::ShowError(const QString& text, bool fixVisible)
{
    if (!errorDialog_)
        errorDialog_ = std::make_unique<TfrmErr>(parent_);
    return errorDialog_->Ask(text, fixVisible, runDialog_);
}

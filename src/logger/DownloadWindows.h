// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The windows of a download: the data-logger window (opened through a hook, its data sets
// through DataSetsView), the message boxes, the error dialog TfrmErr and the progress window
// TfrmScope. The download itself (LoggerDownload) speaks to them through IDownloadView.

#include "base/Questions.h"
#include "logger/DataSetsView.h"
#include "logger/DownloadHost.h"
#include "logger/UErr.h"
#include "logger/UScope.h"

#include <QPointer>

#include <functional>
#include <memory>

class QDialog;
class QWidget;

// The progress window of one download attempt: made when the attempt begins (with Cancel, the
// total not known yet), given the total by the first block, updated after every block and while
// the meter is awaited, destroyed at the end.
class DownloadProgressWindow : public IDownloadProgress {
public:
    explicit DownloadProgressWindow(QWidget* parent) : parent_(parent) {}
    ~DownloadProgressWindow() override;

    void ProgressStarted() override;
    void ProgressOpened(int totalBytes) override;
    void ProgressChanged(const DownloadProgress& progress) override;
    void ProgressClosed() override;
    bool CancelRequested() const override;

    TfrmScope* Window() const { return window_; }

private:
    void open(int totalBytes);

    QWidget* parent_;
    QPointer<TfrmScope> window_;
    bool open_ = false;
};

class DownloadWindows : public IDownloadView {
public:
    struct Hooks {
        std::function<void()> openLoggerGraph;  // the data-logger window, created or restored
        std::function<TfrmGraph*()> loggerWindow; // the data-logger window, opened when missing
        std::function<MessageFn()> message;     // message boxes
        std::function<MessageFn()> notice;      // the missing-template message
    };
    using DialogRunner = std::function<int(QDialog& dialog)>;

    // parent: the main window, over which the dialogs are shown.
    DownloadWindows(QWidget* parent, const DataSetStore& store, Hooks hooks);
    ~DownloadWindows() override;

    // How the error dialog is shown (default exec()); tests answer it.
    void SetDialogRunner(DialogRunner run) { runDialog_ = std::move(run); }
    // The error dialog lives from its first use until EndCommand().
    void EndCommand();
    TfrmErr* ErrorDialog() const { return errorDialog_.get(); }
    TfrmScope* ProgressWindow() const { return progress_.Window(); }
    DataSetsView& DataSets() { return dataSets_; }

    // IDownloadView
    void OpenLoggerGraph() override;
    void ShowMessage(const QString& text) override;
    ErrorChoice ShowError(const QString& text, bool fixVisible) override;
    IDownloadProgress& Progress() override { return progress_; }
    void ListDataSets(const DataSetStore& store) override { dataSets_.ListDataSets(store); }
    void ShowDataSet(int k) override { dataSets_.ShowDataSet(k); }

private:
    QWidget* parent_;
    Hooks hooks_;
    DataSetsView dataSets_;
    DownloadProgressWindow progress_;
    std::unique_ptr<TfrmErr> errorDialog_;
    DialogRunner runDialog_;
};

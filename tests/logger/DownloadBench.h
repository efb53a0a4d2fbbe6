// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A download on the simulated meter over in-memory ports with a manual clock (SimDownloadHost)
// with windows that only record what they were asked: messages, the error dialog with scripted
// answers, the data sets list, the progress window.

#include "SimDownloadHost.h"

#include "logger/LoggerDownload.h"

#include <deque>
#include <vector>

struct DownloadBench : SimDownloadHost, IDownloadView, IDownloadProgress {
    explicit DownloadBench(sim::MeterConfig config = {}) : SimDownloadHost(std::move(config)) {}

    // What the windows were asked to show.
    int loggerWindowOpened = 0;
    std::vector<QString> messages;
    struct Error {
        QString text;
        bool fixVisible;
        std::int64_t atMs;
        bool busyCursor; // the hourglass was on while the dialog waited
    };
    std::vector<Error> errors;
    std::deque<ErrorChoice> answers; // Cancel when none are left
    std::vector<int> listed;         // set counts
    std::vector<int> shown;
    int progressStarted = 0;
    std::vector<int> progressOpened;
    std::vector<DownloadProgress> progress;
    std::vector<std::int64_t> progressAt; // the clock's tick at each of them
    int progressClosed = 0;
    bool cancel = false; // the progress window's Cancel

    LoggerDownload download{*this, *this, services};

    void loadData()
    {
        download.LoadData1Click({store, inLoadData, unsaved});
        downloadDone = true;
    }

    // IDownloadView
    void OpenLoggerGraph() override { ++loggerWindowOpened; }
    void ShowMessage(const QString& text) override { messages.push_back(text); }
    ErrorChoice ShowError(const QString& text, bool fixVisible) override
    {
        errors.push_back({text, fixVisible, clock.TickMs(), busyCursor});
        if (answers.empty())
            return ErrorChoice::Cancel;
        const ErrorChoice c = answers.front();
        answers.pop_front();
        return c;
    }
    IDownloadProgress& Progress() override { return *this; }
    void ListDataSets(const DataSetStore& s) override { listed.push_back(s.count()); }
    void ShowDataSet(int k) override { shown.push_back(k); }
    // IDownloadProgress
    void ProgressStarted() override { ++progressStarted; }
    bool CancelRequested() const override { return cancel; }
    void ProgressOpened(int total) override { progressOpened.push_back(total); }
    void ProgressChanged(const DownloadProgress& p) override
    {
        progress.push_back(p);
        progressAt.push_back(clock.TickMs());
    }
    void ProgressClosed() override { ++progressClosed; }
};

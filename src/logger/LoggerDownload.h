// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The "Data Logger" command: downloads the meter's logger memory, decodes it into the program's
// data set store, keeps a copy in the temporary file and shows the first set; on failure it
// offers the user to try again (and, for a damaged set, to delete it and keep the sets before it).
//
// The device is given back to the live link on every way out once the download has begun,
// errors included: both ports closed, a pause, Comm1 reopened with its frame reader, its input
// emptied, a pause, the watchdog timer running again, the default cursor.

#include "logger/ApplyMemoryImage.h"
#include "logger/DownloadHost.h"
#include "logger/DownloadStatus.h"

// Gives the device back to the live link when it goes out of scope.
class LiveLinkGiveBack {
public:
    static constexpr int kPauseMs = 500;
    LiveLinkGiveBack(ILoggerPortHost& host, const DownloadServices& services)
        : host_(host), services_(services) {}
    ~LiveLinkGiveBack();
    LiveLinkGiveBack(const LiveLinkGiveBack&) = delete;
    LiveLinkGiveBack& operator=(const LiveLinkGiveBack&) = delete;

private:
    void tell(const QString& text);
    ErrorChoice ask(const QString& text, bool offerFix);

    ILoggerPortHost& host_;
    const DownloadServices& services_;
};

struct DownloadAttempt {
    DownloadStatus status = DownloadStatus::NoAnswer;
    MemoryImage image;     // DataError: the received image, for the deletion of the failing set
    int failedSet = -1;    // DataError: index of the failing set
    int lastGoodByte = -1; // DataError: end of the last good set
    bool tempFileWritten = false;
    QString tempFileReason; // when the temporary file was not written
};

class LoggerDownload {
public:
    LoggerDownload(ILoggerPortHost& host, IDownloadView& view, DownloadServices services);

    // The whole command. Does nothing while a download runs or a watchdog tick is suspended
    // below it; refuses with a message when there is no meter or it is recording. A port that
    // fails is a failed attempt (the error dialog). A temporary folder that cannot be made ends
    // it with std::runtime_error; the caller's guarded() shows it, the device is back by then.
    void LoadData1Click(LoggerData data);

    // One attempt: receive, decode, temporary file, show set 0. The device is not given back.
    DownloadAttempt DownloadMemory(DataSetStore& store);

    // The exchange alone (ReceiveMemoryImage.h), with this download's host, progress and waits.
    DownloadStatus ReceiveMemoryImage(MemoryImage& image);

    // Deletes the failing set of a data error: the sets before it are decoded, written and shown.
    ApplyOutcome FixDataError(const DownloadAttempt& failed, DataSetStore& store);

private:
    void tell(const QString& text);
    ErrorChoice ask(const QString& text, bool offerFix);

    ILoggerPortHost& host_;
    IDownloadView& view_;
    DownloadServices services_;
};

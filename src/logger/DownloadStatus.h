// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The outcome of one download attempt and of the refusals before it, and how the user is told
// of each: the texts are made here and nowhere else.

#include "logger/ParseMemoryImage.h"

#include <QString>

enum class DownloadStatus {
    Ok = 0,
    DataError = 1,     // a data set is damaged
    MemoryError = 2,   // more than 4000 data sets
    Incomplete = 3,    // the transfer ended before the whole memory had come
    BadUsedLength = 4, // the first block gives a used length below 256 or above 131072
    NoData = 6,        // no data set in the memory
    NoAnswer = 9,      // the port cannot be taken over, or the meter does not answer
    Cancelled = 10,    // the user stopped the download
};

DownloadStatus toDownloadStatus(ParseStatus status);

// Why a download does not even start.
enum class LoadRefusal {
    NoConnection,   // the live link has no meter
    MeterRecording, // the meter's REC function is on
};

enum class DownloadNotice {
    None,        // success: nothing is shown
    MessageBox,  // a message box with the text
    ErrorDialog, // the error dialog with the text, "Try Again" and "Cancel"
};

struct DownloadReport {
    DownloadNotice notice = DownloadNotice::None;
    QString text;
    bool offerFix = false; // the error dialog also offers "Fixed the error "
};

DownloadReport reportFor(DownloadStatus status);
QString refusalText(LoadRefusal refusal);
// The sets were downloaded and are shown, but the temporary file that a data set collection is
// saved from keeps its older copy (path, the system's reason).
QString tempFileNotWrittenText(const QString& path, const QString& reason);

// The buttons of the error dialog.
inline const QString kFixErrorButtonText = QStringLiteral("Fixed the error ");
inline const QString kTryAgainButtonText = QStringLiteral("Try Again");
inline const QString kCancelButtonText = QStringLiteral("Cancel");

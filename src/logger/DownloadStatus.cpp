// SPDX-License-Identifier: GPL-3.0-or-later
#include "logger/DownloadStatus.h"

DownloadStatus toDownloadStatus(ParseStatus status)
{
    switch (status) {
    case ParseStatus::Ok: return DownloadStatus::Ok;
    case ParseStatus::DataError: return DownloadStatus::DataError;
    case ParseStatus::MemoryError: return DownloadStatus::MemoryError;
    case ParseStatus::NoData: return DownloadStatus::NoData;
    }
    return DownloadStatus::DataError;
}

DownloadReport reportFor(DownloadStatus status)
{
    switch (status) {
    case DownloadStatus::Ok:
    case DownloadStatus::Cancelled:
        return {};
    case DownloadStatus::DataError:
        return {DownloadNotice::ErrorDialog,
                QStringLiteral("Data error ! Choose Try Again to reload or Fix Error to delete the "
                               "error data set."),
                true};
    case DownloadStatus::MemoryError:
        return {DownloadNotice::MessageBox, QStringLiteral("Memory error!"), false};
    case DownloadStatus::Incomplete:
    case DownloadStatus::BadUsedLength:
        return {DownloadNotice::ErrorDialog,
                QStringLiteral("There was error when reading data from meter"), false};
    case DownloadStatus::NoData:
        return {DownloadNotice::MessageBox,
                QStringLiteral("There is not any recorded data in memory!"), false};
    case DownloadStatus::NoAnswer:
        return {DownloadNotice::ErrorDialog,
                QStringLiteral("The meter does not answer. Please check that the cable is firmly "
                               "plugged in at both ends, that the meter is switched on, shows its "
                               "normal display and is not recording, and that the port chosen in "
                               "the tool bar is the meter's."),
                false};
    }
    return {};
}

QString tempFileNotWrittenText(const QString& path, const QString& reason)
{
    return QStringLiteral("The data sets are shown, but cannot be kept in \"%1\" (%2); saving "
                          "all data sets to a data set collection file will not save them.")
        .arg(path, reason);
}

QString refusalText(LoadRefusal refusal)
{
    switch (refusal) {
    case LoadRefusal::NoConnection:
        return QStringLiteral("There is no connection with multimeter !");
    case LoadRefusal::MeterRecording:
        return QStringLiteral("The meter is recording data, please stop recording before loading data.");
    }
    return {};
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "logger/LoggerDownload.h"

#include "base/PortErrors.h"
#include "base/WaitWithMessages.h"
#include "base/SilentAbort.h"
#include "logger/CollectionTempFile.h"
#include "logger/ReceiveMemoryImage.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

DownloadServices DownloadServices::system()
{
    static const SystemClock clock;
    DownloadServices s;
    s.waitWithMessages = [](int ms) { WaitWithMessages(ms); };
    s.pause = [] {
        QThread::msleep(1);
        static QElapsedTimer sinceEvents;
        if (!sinceEvents.isValid() || sinceEvents.elapsed() >= DownloadServices::kPauseEventsMs) {
            QCoreApplication::processEvents();
            sinceEvents.restart();
        }
    };
    s.clock = &clock;
    return s;
}

LiveLinkGiveBack::~LiveLinkGiveBack()
{
    IComPort& live = host_.Comm1();
    IComPort& download = host_.Comm2();
    ignoringErrors([&] {
        if (live.Active())
            live.Close();
    });
    ignoringErrors([&] {
        if (download.Active())
            download.Close();
    });
    ignoringErrors([&] { services_.waitWithMessages(kPauseMs); });
    ignoringErrors([&] { host_.AttachLiveReceiver(); });
    ignoringErrors([&] { live.SetActive(true); });
    ignoringErrors([&] { live.PurgeInput(); });
    ignoringErrors([&] { services_.waitWithMessages(kPauseMs); });
    ignoringErrors([&] { host_.SetMainTimerEnabled(true); });
    ignoringErrors([&] { host_.SetBusyCursor(false); });
}

LoggerDownload::LoggerDownload(ILoggerPortHost& host, IDownloadView& view, DownloadServices services)
    : host_(host), view_(view), services_(std::move(services))
{
}

DownloadStatus LoggerDownload::ReceiveMemoryImage(MemoryImage& image)
{
    return ::ReceiveMemoryImage(host_, view_.Progress(), services_, image);
}

DownloadAttempt LoggerDownload::DownloadMemory(DataSetStore& store)
{
    DownloadAttempt attempt;
    MemoryImage image;
    attempt.status = ReceiveMemoryImage(image);
    if (attempt.status != DownloadStatus::Ok)
        return attempt;
    const ApplyOutcome applied = ApplyMemoryImage(image, store, view_, *services_.clock);
    attempt.status = toDownloadStatus(applied.status);
    attempt.tempFileWritten = applied.tempFileWritten;
    attempt.tempFileReason = applied.tempFileReason;
    if (applied.status == ParseStatus::DataError) {
        attempt.image = std::move(image);
        attempt.failedSet = applied.failedSet;
        attempt.lastGoodByte = applied.lastGoodByte;
    }
    return attempt;
}

ApplyOutcome LoggerDownload::FixDataError(const DownloadAttempt& failed, DataSetStore& store)
{
    const MemoryImage kept = Image::cutAfterLastGoodSet(failed.image, failed.failedSet, failed.lastGoodByte);
    return ApplyMemoryImage(kept, store, view_, *services_.clock);
}

// The hourglass is the meter's: it goes while a message or the error dialog waits for the user
// (a Try Again sets it again once the meter answers).
void LoggerDownload::tell(const QString& text)
{
    host_.SetBusyCursor(false);
    view_.ShowMessage(text);
}

ErrorChoice LoggerDownload::ask(const QString& text, bool offerFix)
{
    host_.SetBusyCursor(false);
    return view_.ShowError(text, offerFix);
}

void LoggerDownload::LoadData1Click(LoggerData data)
{
    if (data.InLoadData || host_.Link().InMainTick)
        return;
    BusyMarker busy(data.InLoadData);
    if (!host_.Link().Connected) {
        tell(refusalText(LoadRefusal::NoConnection));
        return;
    }
    if (host_.MeterRecording()) {
        tell(refusalText(LoadRefusal::MeterRecording));
        return;
    }
    view_.OpenLoggerGraph();
    const LiveLinkGiveBack giveBack(host_, services_);
    for (;;) {
        const DownloadAttempt attempt = DownloadMemory(data.Store);
        if (attempt.status == DownloadStatus::Ok) {
            data.LoggerDataUnsaved = true;
            if (!attempt.tempFileWritten)
                tell(tempFileNotWrittenText(collectionTempFilePath(), attempt.tempFileReason));
            return;
        }
        // The user's own stop needs no word: the sets stay as they were.
        if (attempt.status == DownloadStatus::Cancelled)
            return;
        const DownloadReport report = reportFor(attempt.status);
        if (report.notice == DownloadNotice::MessageBox) {
            tell(report.text);
            return;
        }
        const ErrorChoice choice = ask(report.text, report.offerFix);
        if (choice == ErrorChoice::TryAgain)
            continue;
        if (choice == ErrorChoice::FixError && attempt.status == DownloadStatus::DataError) {
            const ApplyOutcome fixed = FixDataError(attempt, data.Store);
            if (fixed.status == ParseStatus::Ok) {
                data.LoggerDataUnsaved = true;
                if (!fixed.tempFileWritten)
                    tell(tempFileNotWrittenText(collectionTempFilePath(), fixed.tempFileReason));
            } else
                tell(reportFor(toDownloadStatus(fixed.status)).text);
        }
        return;
    }
}

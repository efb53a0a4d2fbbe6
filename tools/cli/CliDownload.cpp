// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliDownload.h"

#include "CliFailure.h"
#include "CliMeter.h"

#include "base/DataFolder.h"
#include "base/WaitWithMessages.h"
#include "base/WholeFile.h"
#include "link/LinkView.h"
#include "link/LiveDecoder.h"
#include "link/LiveLink.h"
#include "base/SilentAbort.h"
#include "logger/CollectionTempFile.h"
#include "logger/DataSetStore.h"
#include "logger/LoggerDownload.h"

#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <cstdio>
#include <unistd.h>

namespace cli {

namespace {

// How long the first live frame may take to tell whether the meter records.
constexpr int kFirstFrameWaitMs = 2500;

// The download keeps its copy of the memory in the data folder's temporary file; here that
// folder is a private one, so the copy is this download's and the program's own copy stays.
class PrivateDataFolder {
public:
    PrivateDataFolder()
    {
        if (!dir_.isValid())
            throw Failure(QStringLiteral("Cannot create a temporary folder. %1").arg(dir_.errorString()));
        setDataFolderOverride(dir_.path());
    }
    ~PrivateDataFolder() { setDataFolderOverride({}); }
    PrivateDataFolder(const PrivateDataFolder&) = delete;
    PrivateDataFolder& operator=(const PrivateDataFolder&) = delete;

private:
    QTemporaryDir dir_;
};

// The target must be writable before minutes are spent on the transfer.
void checkWritable(const QString& target)
{
    QSaveFile probe(target);
    probe.setDirectWriteFallback(false);
    if (!probe.open(QIODevice::WriteOnly))
        throw Failure(QStringLiteral("Cannot write file \"%1\". %2").arg(target, probe.errorString()));
    probe.cancelWriting();
}

class DownloadSession : public ILoggerPortHost,
                        public IDownloadView,
                        public IDownloadProgress,
                        public ILinkView {
public:
    explicit DownloadSession(const Arguments& a)
        : args_(a), comm1_(true), comm2_(false), retriesLeft_(a.retries),
          terminal_(::isatty(STDERR_FILENO) == 1)
    {
    }

    int run()
    {
        checkWritable(args_.output);
        const MeterFound found = findMeter(comm1_, args_.port, NotFound::Fail);
        AttachLiveReceiver();
        ApplySearchResult(found.search, comm1_, *this, link_.State());
        WaitUntil([this] { return frames_ > 0; }, kFirstFrameWaitMs);

        const PrivateDataFolder folder;
        DataSetStore store;
        bool inLoadData = false, downloaded = false;
        LoggerDownload download(*this, *this, DownloadServices::system());
        try {
            download.LoadData1Click({store, inLoadData, downloaded});
        } catch (const SilentAbort&) {
            endProgressLine();
            throw Failure(QStringLiteral("The connection to the meter on %1 failed%2")
                              .arg(found.search.devicePath,
                                   lastPortError().isEmpty() ? QStringLiteral(".")
                                                             : QStringLiteral(": ") + lastPortError()));
        }
        endProgressLine();
        if (!downloaded)
            throw Failure(problem_.isEmpty() ? QStringLiteral("The download failed.") : problem_);

        QFile copy(collectionTempFilePath());
        if (!copy.open(QIODevice::ReadOnly))
            throw Failure(QStringLiteral("The downloaded memory could not be kept: %1").arg(copy.errorString()));
        const QByteArray image = copy.readAll();
        if (const QString reason = writeFileWhole(args_.output, image); !reason.isEmpty())
            throw Failure(QStringLiteral("Cannot write file \"%1\". %2").arg(args_.output, reason));
        note(QStringLiteral("%1 data set(s), %2 bytes written to %3")
                 .arg(store.count()).arg(image.size()).arg(args_.output));
        return ExitOk;
    }

    // ILoggerPortHost
    const LinkState& Link() const override { return link_.State(); }
    bool MeterRecording() const override { return reading_.MeterRecording; }
    IComPort& Comm1() override { return comm1_; }
    IComPort& Comm2() override { return comm2_; }
    void SetMainTimerEnabled(bool) override {} // no watchdog runs around a download here
    void AttachLiveReceiver() override
    {
        comm1_.SetOnRxChar([this](TCustomComPort&) { runSilently([this] { link_.Comm1RxChar(); }); });
    }
    void SetBusyCursor(bool) override {}

    // IDownloadView
    void OpenLoggerGraph() override {}
    void ListDataSets(const DataSetStore&) override {}
    void ShowDataSet(int) override {}
    void ShowMessage(const QString& text) override { problem_ = text; }
    ErrorChoice ShowError(const QString& text, bool fixVisible) override
    {
        endProgressLine();
        if (fixVisible) {
            if (args_.fix) {
                note(text + QStringLiteral(" The damaged data set is deleted; the sets before "
                                           "it are kept."));
                return ErrorChoice::FixError;
            }
            problem_ = text + QStringLiteral(" (--fix deletes the damaged data set and keeps "
                                             "the sets before it.)");
            return ErrorChoice::Cancel;
        }
        if (retriesLeft_ > 0) {
            --retriesLeft_;
            note(text + QStringLiteral(" Trying again."));
            return ErrorChoice::TryAgain;
        }
        problem_ = text;
        return ErrorChoice::Cancel;
    }
    IDownloadProgress& Progress() override { return *this; }

    // IDownloadProgress: one line on a terminal, rewritten in place.
    void ProgressOpened(int totalBytes) override { ProgressChanged({0, totalBytes, {}}); }
    void ProgressChanged(const DownloadProgress& p) override
    {
        if (!terminal_ || p.total <= 0)
            return;
        QString line = QStringLiteral("Downloading the data logger's memory: %1 of %2 bytes (%3 %)")
                           .arg(p.received).arg(p.total).arg(qint64(p.received) * 100 / p.total);
        if (p.waiting)
            line += QStringLiteral(", waiting for the meter");
        else if (p.msLeft)
            line += QStringLiteral(", about %1 s left").arg((*p.msLeft + 999) / 1000);
        std::fprintf(stderr, "\r%-78s", qPrintable(line));
        std::fflush(stderr);
        progressShown_ = true;
    }
    void ProgressClosed() override { endProgressLine(); }

    // ILinkView: nothing to show.
    void MeterConnected(const QString&) override {}
    void MeterLost(const QString&) override {}

private:
    void endProgressLine()
    {
        if (!progressShown_)
            return;
        std::fputc('\n', stderr);
        std::fflush(stderr);
        progressShown_ = false;
    }

    QString lastPortError() const
    {
        return comm2_.lastError().isEmpty() ? comm1_.lastError() : comm2_.lastError();
    }

    const Arguments& args_;
    MeterPort comm1_, comm2_;
    LiveReading reading_;
    DecoderState decoder_;
    int frames_ = 0;
    LiveLink link_{comm1_, *this,
                   LinkHooks{[this](const LiveFrame& f) {
                                 DecodeLiveFrame(f, reading_, decoder_);
                                 ++frames_;
                             },
                             [] { return false; }, [](double) {}}};
    int retriesLeft_;
    bool terminal_;
    bool progressShown_ = false;
    QString problem_;
};

} // namespace

int runDownload(const Arguments& a)
{
    DownloadSession session(a);
    return session.run();
}

} // namespace cli

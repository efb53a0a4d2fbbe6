// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of the download's windows, for people to look at: kolva-logger-screens FOLDER.
//   logger-window-WxH.png     the main window with the data-logger window, three sets listed
//                             and the first drawn, at two screen sizes
//   download-progress.png     the progress window half way through a download from the
//                             simulated meter
//   download-waiting.png      the same window as the download begins, the meter not heard yet
//   error-data.png, error-no-answer.png   the error dialog of a damaged set and of a meter that
//                             does not answer
#include "SimDownloadHost.h"

#include "support/PictureTool.h"
#include "support/ShownMainWindow.h"

#include "logger/ApplyMemoryImage.h"
#include "logger/DownloadWindows.h"
#include "logger/LoggerDownload.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>

namespace {

void loggerWindow(const QSize& size, const QString& dir)
{
    ShownMainWindow shown(size);
    TfrmMain& main = shown.main;
    main.OpenLoggerGraph();
    const ManualClock clock = fixtures::fallbackClock();
    ApplyMemoryImage(fixtures::imageOf(sim::sampleRuns()), main.DataSets(), main.Logger().DataSets(), clock);
    QCoreApplication::processEvents();
    picturetool::save(main, dir, QStringLiteral("logger-window-%1x%2.png").arg(size.width()).arg(size.height()));
    main.Unsaved().LoggerDataUnsaved = false;
    main.close();
}

void progressWindow(const QString& dir)
{
    SimDownloadHost host;
    DataSetStore store;
    const MessageFn quiet = [](const QString&) {};
    DownloadWindows windows(nullptr, store,
                            {[] {}, [] { return nullptr; }, [&] { return quiet; }, [&] { return quiet; }});
    LoggerDownload download(host, windows, host.services);
    bool saved = false, savedWaiting = false;
    host.duringWait = [&] {
        TfrmScope* p = windows.ProgressWindow();
        if (p && !savedWaiting && p->lblTotalBytes->text().isEmpty()) {
            savedWaiting = true;
            QCoreApplication::processEvents();
            picturetool::save(*p, dir, QStringLiteral("download-waiting.png"));
        }
        if (saved || !p || p->lblTotalBytes->text().isEmpty()
            || p->Progress1->value() < p->Progress1->maximum() / 2)
            return;
        saved = true;
        QCoreApplication::processEvents();
        picturetool::save(*p, dir, QStringLiteral("download-progress.png"));
    };
    host.connect();
    download.LoadData1Click({host.store, host.inLoadData, host.unsaved});
}

void errorDialog(DownloadStatus status, const QString& dir, const QString& name)
{
    TfrmErr dialog;
    const DownloadReport report = reportFor(status);
    dialog.Ask(report.text, report.offerFix, [&](QDialog& d) {
        d.show();
        QCoreApplication::processEvents();
        picturetool::save(d, dir, name);
        d.reject();
        return d.result();
    });
}

} // namespace

int main(int argc, char** argv)
{
    picturetool::chooseOffscreenPlatform();
    QApplication app(argc, argv);
    const QString dir = picturetool::outputFolder(argc, argv);
    const TempDataFolder data; // the defaults, not this machine's template
    loggerWindow(QSize(1600, 900), dir);
    loggerWindow(QSize(1024, 768), dir);
    progressWindow(dir);
    errorDialog(DownloadStatus::DataError, dir, QStringLiteral("error-data.png"));
    errorDialog(DownloadStatus::NoAnswer, dir, QStringLiteral("error-no-answer.png"));
    return 0;
}

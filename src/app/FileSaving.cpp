// SPDX-License-Identifier: GPL-3.0-or-later
// The saves that write text files line by line, and the save of a collection.

#include "app/FileCommands.h"

#include "app/FileProgress.h"
#include "files/CollectionFile.h"
#include "files/FileTypes.h"
#include "files/TableModel.h"
#include "files/TextExport.h"
#include "graph/Chart.h"
#include "graph/GraphSharedState.h"
#include "logger/UList.h"

#include <QFileDialog>
#include <QPointer>

namespace {

const QString kSavingCaption = QStringLiteral("Saving Progress");
const QString kSavingText = QStringLiteral("saving.....");

} // namespace

bool FileCommands::exportGraphText(const Chart& chart, const QString& fileName, QChar separator)
{
    const std::optional<ExportRange> range = askExportRange(
        &c_.mainWindow, chart.Points(), run_, [this](const QString& t) { message(t); });
    if (!range)
        return false;
    // Events run during the loop: the chart may take samples or go meanwhile. The file holds
    // what it showed when the save began.
    ChartState shown;
    shown.data = chart.state().data;
    TextFileResult r;
    {
        FileProgress progress(&c_.mainWindow, kSavingCaption, kSavingText,
                              std::max(range->count(), 1), true);
        r = ::exportGraphText(shown, fileName, separator, *range,
                              progress.Lines(FileProgress::Shows::Bar, {}));
    }
    if (!r.ok()) {
        message(textFileStatusText(r));
        return false;
    }
    // Only a file with every recorded point saves the graph.
    return !r.cancelled && range->from == 1 && r.lines == recordedPoints(shown);
}

bool FileCommands::exportTableText(TfrmList& list)
{
    QFileDialog& d = *dialogs_.SaveDialog1;
    dialogs_.SetTypes(d, FileTypes::tableTypes(FileTypes::decimalIsComma()));
    FileDialogs::SetDefaultExtension(d, QStringLiteral("TXT"));
    const std::optional<QString> name = dialogs_.Ask(d);
    if (!name)
        return false;
    const QPointer<TfrmList> alive(&list);
    const std::optional<ExportRange> range =
        askExportRange(&c_.mainWindow, list.Table().gridRowCount() - 1, run_,
                       [this](const QString& t) { message(t); });
    if (!range || !alive)
        return false;
    TextFileResult r;
    {
        FileProgress progress(&c_.mainWindow, kSavingCaption, kSavingText,
                              std::max(range->count(), 1), true);
        r = ::exportTableText(list.Table(), *name, *range,
                              progress.Lines(FileProgress::Shows::Bar, [&] { return !alive.isNull(); }));
    }
    if (!r.ok()) {
        message(textFileStatusText(r));
        return false;
    }
    return !r.cancelled;
}

bool FileCommands::saveCollection()
{
    QFileDialog& d = *dialogs_.SaveDialog1;
    dialogs_.SetTypes(d, FileTypes::collectionSaveTypes());
    FileDialogs::SetDefaultExtension(d, QStringLiteral("CH4"));
    // Named for when the sets came in, not after the last file saved.
    FileDialogs::ProposeName(d, proposedCollectionName());
    const std::optional<QString> name = dialogs_.Ask(d);
    if (!name)
        return false;
    const CollectionResult r = ::saveCollection(*name, c_.store, c_.unsaved.LoggerDataUnsaved);
    if (r.status != CollectionStatus::Ok) {
        message(collectionStatusText(r));
        return false;
    }
    return true;
}

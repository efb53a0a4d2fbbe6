// SPDX-License-Identifier: GPL-3.0-or-later
// The file commands as the user starts them: Save and Open with their choice dialog, SaveGraph,
// the table windows, and one command at a time.

#include "app/FileCommands.h"

#include "app/GraphWindows.h"

#include "base/ErrorBox.h"
#include "files/FileTypes.h"
#include "files/UOpenSave.h"
#include "graph/Chart.h"
#include "graph/GraphCommands.h"
#include "graph/UGraph.h"
#include "base/SilentAbort.h"
#include "logger/UList.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <memory>

FileCommands::FileCommands(Context context)
    : c_(std::move(context)), dialogs_(&c_.mainWindow), run_([](QDialog& d) { return d.exec(); })
{
}

FileCommands::~FileCommands() = default;

void FileCommands::SetDialogRunner(DialogRunner run)
{
    run_ = run ? std::move(run) : DialogRunner([](QDialog& d) { return d.exec(); });
    dialogs_.SetDialogRunner(run_);
}

template <class F>
bool FileCommands::command(F&& body)
{
    if (busy_) {
        // A second command must not disturb the running one.
        QApplication::beep();
        return false;
    }
    const BusyMarker busy(busy_);
    try {
        return body();
    } catch (const SilentAbort&) {
    } catch (const std::exception& e) {
        error(QString::fromUtf8(e.what()));
    }
    return false;
}

void FileCommands::message(const QString& text) const
{
    if (c_.prompts.message)
        c_.prompts.message(text);
}

void FileCommands::error(const QString& text) const
{
    if (c_.prompts.error)
        c_.prompts.error(text);
    else
        showStandardError(text);
}

MessageFn FileCommands::notice() const
{
    return c_.prompts.notice ? c_.prompts.notice : c_.prompts.message;
}

OpenSaveChoice FileCommands::askChoice(const QString& caption, const QString& allSets,
                                       const QString& singleSet)
{
    const auto dialog = std::make_unique<TfrmOpenSave>(&c_.mainWindow);
    dialog->SetTexts(caption, allSets, singleSet);
    return TfrmOpenSave::ChoiceOf(run_(*dialog));
}

// ---- Save ------------------------------------------------------------------------------------

bool FileCommands::Save(QMdiSubWindow* active)
{
    return command([&] {
        FileDialogs::StartInLastFolder(*dialogs_.SaveDialog1);
        QWidget* child = active ? active->widget() : nullptr;
        if (auto* list = qobject_cast<TfrmList*>(child))
            return exportTableText(*list);
        auto* graph = qobject_cast<TfrmGraph*>(child);
        if (!graph)
            return false;
        if (graph->Role() != GraphRole::Logger)
            return saveGraph(*graph->Chart1);
        switch (askChoice(QStringLiteral("Save File"), FileTypes::saveAllSetsText(),
                          FileTypes::saveSingleSetText())) {
        case OpenSaveChoice::AllSets: return saveCollection();
        case OpenSaveChoice::SingleSet: return saveGraph(*graph->Chart1);
        case OpenSaveChoice::Cancel: break;
        }
        return false;
    });
}

bool FileCommands::SaveGraph(Chart& chart)
{
    return command([&] { return saveGraph(chart); });
}

bool FileCommands::saveGraph(Chart& chart)
{
    QFileDialog& d = *dialogs_.SaveDialog1;
    FileDialogs::StartInLastFolder(d);
    dialogs_.SetTypes(d, FileTypes::graphTypes(FileTypes::decimalIsComma()));
    FileDialogs::SetDefaultExtension(d, QStringLiteral("GHF"));
    const std::optional<QString> name = dialogs_.Ask(d);
    if (!name)
        return false;
    // The name decides what is written, not the chosen type.
    const std::optional<FileTypes::SingleFileKind> kind = FileTypes::singleFileKind(*name);
    if (!kind) {
        message(QStringLiteral("Nothing was saved: \"%1\" is not the name of a graph file (.ghf), "
                               "a text file (.txt) or a CSV file (.csv).")
                    .arg(QDir::toNativeSeparators(*name)));
        return false;
    }
    if (*kind == FileTypes::SingleFileKind::Graph)
        WriteGraphFile(chart, *name);
    else if (!exportGraphText(chart, *name, FileTypes::exportSeparator(*kind)))
        return false;
    if (c_.chartSaved)
        c_.chartSaved(chart);
    return true;
}

// ---- Open ------------------------------------------------------------------------------------

void FileCommands::Open()
{
    command([&] {
        const OpenSaveChoice choice =
            askChoice(QStringLiteral("Open File"), FileTypes::openAllSetsText(),
                      FileTypes::openSingleSetText(FileTypes::decimalIsComma()));
        QFileDialog& d = *dialogs_.OpenDialog1;
        FileDialogs::StartInLastFolder(d);
        FileDialogs::ClearName(d);
        switch (choice) {
        case OpenSaveChoice::AllSets: openCollection(); break;
        case OpenSaveChoice::SingleSet: openSingleFile(); break;
        case OpenSaveChoice::Cancel: break;
        }
        return true;
    });
}

void FileCommands::openSingleFile()
{
    QFileDialog& d = *dialogs_.OpenDialog1;
    dialogs_.SetTypes(d, FileTypes::graphTypes(FileTypes::decimalIsComma()));
    const std::optional<QString> name = dialogs_.Ask(d);
    if (!name)
        return;
    const std::optional<FileTypes::SingleFileKind> kind = FileTypes::singleFileKind(*name);
    if (!kind) {
        message(QStringLiteral("\"%1\" cannot be opened here: only graph files (.ghf), text files "
                               "(.txt) and CSV files (.csv) can.")
                    .arg(QDir::toNativeSeparators(*name)));
        return;
    }
    if (*kind == FileTypes::SingleFileKind::Graph)
        openGraphFile(*name);
    else
        openTableFile(*name);
}

// ---- table windows ---------------------------------------------------------------------------

TfrmList* FileCommands::CreateTableWindow(const QString& caption)
{
    auto* sub = new QMdiSubWindow(&c_.area);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setObjectName(QStringLiteral("TableSubWindow"));
    auto* list = new TfrmList(caption, c_.tableActivated, sub);
    sub->setWidget(list);
    c_.area.addSubWindow(sub);
    GraphWindows::PlaceAsOpenedFile(*sub, c_.area);
    sub->show();
    c_.area.setActiveSubWindow(sub);
    return list;
}

void FileCommands::OutputToGraph(QMdiSubWindow* active)
{
    auto* list = active ? qobject_cast<TfrmList*>(active->widget()) : nullptr;
    if (!list)
        return;
    command([&] {
        outputToGraph(*list);
        return true;
    });
}

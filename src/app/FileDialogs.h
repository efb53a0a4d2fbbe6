// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window's two file dialogs, SaveDialog1 and OpenDialog1, shared by every file command.
// Qt's own dialog (never the platform's), so that the change of the file type always arrives:
// SaveDialog1TypeChange keeps the name's extension in step with the chosen type. The save
// dialog asks before it replaces a file and has a size grip; both keep their last file name.
//
// A command gives a dialog its type list ("description|pattern|..."), its default extension
// and, where it has one to propose, a file name, then asks. Every dialog starts in the folder
// the user last chose a file in (LastFolder.h); a file chosen moves that folder. The dialogs are shown through a DialogRunner (exec() by default);
// tests answer them without showing them.

#include <QString>

#include <functional>
#include <optional>

class QDialog;
class QFileDialog;
class QWidget;

class FileDialogs {
public:
    using DialogRunner = std::function<int(QDialog& dialog)>;

    // parent: the main window, which owns the dialogs.
    explicit FileDialogs(QWidget* parent);

    void SetDialogRunner(DialogRunner run) { run_ = std::move(run); }

    // The type list of a dialog: its name filters (both cases of each pattern), the first one
    // chosen.
    void SetTypes(QFileDialog& dialog, const QString& typeList);
    // The extension a name typed without one gets ("GHF"); "" for none.
    static void SetDefaultExtension(QFileDialog& dialog, const QString& extension);
    static void SetFolder(QFileDialog& dialog, const QString& folder);
    // The folder the user last used, or the documents folder the first time.
    static void StartInLastFolder(QFileDialog& dialog);
    // Proposes a file name (without folder) in the dialog's folder.
    static void ProposeName(QFileDialog& dialog, const QString& name);
    // Empties the file-name box.
    static void ClearName(QFileDialog& dialog);

    // Shows the dialog; the chosen file's full name, or nullopt when the user cancelled. The
    // chosen file's folder is remembered for the next dialog.
    std::optional<QString> Ask(QFileDialog& dialog);

    // The name box follows a change of the file type to the type's extension.
    void SaveDialog1TypeChange(const QString& filter);

    QFileDialog* SaveDialog1 = nullptr;
    QFileDialog* OpenDialog1 = nullptr;

private:
    QString saveTypes_;   // the type list SaveDialog1 shows, read by its type change
    DialogRunner run_;
};

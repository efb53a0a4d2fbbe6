// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FileDialogs.h"

#include "app/LastFolder.h"
#include "files/FileTypes.h"

#include <QFileDialog>
#include <QLineEdit>

namespace {

QFileDialog* makeDialog(QWidget* parent, const char* name, QFileDialog::AcceptMode mode)
{
    auto* d = new QFileDialog(parent);
    d->setObjectName(QString::fromLatin1(name));
    d->setOption(QFileDialog::DontUseNativeDialog, true);
    d->setAcceptMode(mode);
    d->setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile
                                                   : QFileDialog::ExistingFile);
    d->setSizeGripEnabled(true);
    d->setModal(true);
    return d;
}

// The dialog's file-name box; Qt's own dialog always has one.
QLineEdit* nameBox(QFileDialog& dialog)
{
    return dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
}

} // namespace

FileDialogs::FileDialogs(QWidget* parent)
    : run_([](QDialog& d) { return d.exec(); })
{
    SaveDialog1 = makeDialog(parent, "SaveDialog1", QFileDialog::AcceptSave);
    OpenDialog1 = makeDialog(parent, "OpenDialog1", QFileDialog::AcceptOpen);
    QObject::connect(SaveDialog1, &QFileDialog::filterSelected, SaveDialog1,
                     [this](const QString& filter) { SaveDialog1TypeChange(filter); });
}

void FileDialogs::SetTypes(QFileDialog& dialog, const QString& typeList)
{
    if (&dialog == SaveDialog1)
        saveTypes_ = typeList;
    const QStringList filters = FileTypes::nameFilters(typeList);
    dialog.setNameFilters(filters);
    if (!filters.isEmpty())
        dialog.selectNameFilter(filters.front());
}

void FileDialogs::SetDefaultExtension(QFileDialog& dialog, const QString& extension)
{
    dialog.setDefaultSuffix(extension);
}

void FileDialogs::SetFolder(QFileDialog& dialog, const QString& folder)
{
    dialog.setDirectory(folder);
}

void FileDialogs::StartInLastFolder(QFileDialog& dialog)
{
    dialog.setDirectory(LastFolder::initial());
}

void FileDialogs::ProposeName(QFileDialog& dialog, const QString& name)
{
    if (QLineEdit* box = nameBox(dialog))
        box->setText(name);
    else
        dialog.selectFile(name);
}

void FileDialogs::ClearName(QFileDialog& dialog)
{
    if (QLineEdit* box = nameBox(dialog))
        box->clear();
}

std::optional<QString> FileDialogs::Ask(QFileDialog& dialog)
{
    if (run_(dialog) != QDialog::Accepted)
        return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.front().isEmpty())
        return std::nullopt;
    LastFolder::remember(files.front());
    return files.front();
}

void FileDialogs::SaveDialog1TypeChange(const QString& filter)
{
    QFileDialog& d = *SaveDialog1;
    const int index = int(d.nameFilters().indexOf(filter));
    QLineEdit* box = nameBox(d);
    const QString current = box ? box->text() : d.selectedFiles().value(0);
    const std::optional<QString> name =
        FileTypes::nameForType(saveTypes_, index, current);
    if (!name)
        return;
    if (box)
        box->setText(*name);
    else
        d.selectFile(*name);
}

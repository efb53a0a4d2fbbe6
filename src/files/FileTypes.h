// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The file type lists of the Open and Save commands, the texts that depend on the user's decimal
// separator, the turning of a type list into Qt name filters, and the file name change that
// follows a change of the chosen type in the save dialog.
//
// A type list is "description|pattern|description|pattern|..." as the dialogs are given it. When
// the decimal separator is a comma, CSV files are not offered (their numbers would hold commas).

#include <QLocale>
#include <QString>
#include <QStringList>

#include <optional>

namespace FileTypes {

// True when the locale writes numbers with a comma as decimal separator.
bool decimalIsComma(const QLocale& locale = QLocale());

// Saving a graph and opening a single file.
QString graphTypes(bool decimalComma);
// Saving a table.
QString tableTypes(bool decimalComma);
// Saving and opening a data set collection.
QString collectionSaveTypes();
QString collectionOpenTypes();

// The choice dialog's button texts.
QString saveAllSetsText();          // first button when saving
QString saveSingleSetText();        // second button when saving
QString openAllSetsText();          // first button when opening
QString openSingleSetText(bool decimalComma);   // second button when opening

// Qt name filters "description (pattern pattern)" of a type list, in its order. The description
// stays exactly as written; each pattern is offered in both cases (*.GHF *.ghf), since file names
// are case-sensitive here.
QStringList nameFilters(const QString& typeList);

// The extensions (".GHF") of a type list's entries, at most five, read as the save dialog's
// type-change handler reads them.
QStringList typeExtensions(const QString& typeList);
// The file name box after the type at typeIndex (0 = first) was chosen: currentName without its
// folder and with the type's extension in place of its own (run1.txt + CSV -> run1.CSV).
// nullopt when the box stays as it is (no extension for that type, or no name).
std::optional<QString> nameForType(const QString& typeList, int typeIndex,
                                   const QString& currentName);

// The kinds of single data set files, by extension in either case.
enum class SingleFileKind { Graph, Text, Csv };
std::optional<SingleFileKind> singleFileKind(const QString& fileName);
// The separator of a graph export of that kind: a tab for text, a comma for CSV.
QChar exportSeparator(SingleFileKind kind);

} // namespace FileTypes

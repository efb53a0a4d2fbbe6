// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading a text or CSV file into a table: the table branch of opening a single file.
//
// Line by line, each line at most MaxLineLength characters (its line end not counted): a line
// without the separator ends the reading (an empty line included); otherwise it becomes the next
// data row, split at the separator into columns 1..6 (fields after the sixth are dropped), with
// column 0 the row number. A longer line gives its first MaxLineLength characters as a row and
// ends the reading, since what follows it cannot be trusted to be the table.
//
// In a CSV file (a comma as separator) a field may be put in double quotes (RFC 4180): the
// commas inside it are part of it and a doubled quote is one quote, so that a value such as
// "23,5" written where the decimal separator is a comma reads back as one field. A quoted field
// cannot span lines.
//
// Bytes are read as UTF-8; a byte that is not part of valid UTF-8 is taken as Latin-1, so any
// file can be read. A UTF-8 byte-order mark at the start is skipped. Line ends may be CR LF, LF
// or CR.

#include "files/TableModel.h"
#include "files/TextFileStatus.h"

#include <QByteArrayView>
#include <QChar>
#include <QIODevice>
#include <QString>

constexpr int MaxLineLength = 179;

// UTF-8 with Latin-1 for the bytes that are not UTF-8.
QString decodeText(QByteArrayView bytes);

// The separator of a file to open: a comma for ".csv", a tab for anything else.
QChar openSeparator(const QString& fileName);

// Reads in into table (its rows replaced; the view is reset once at the end). progress is called
// after each row with the row count; Cancel stops after that row.
TextFileResult readTable(QIODevice& in, QChar separator, TableModel& table,
                         const LineProgress& progress = {});
// The same from a file; the status says when it cannot be opened.
TextFileResult readTableFile(const QString& fileName, TableModel& table,
                             const LineProgress& progress = {});

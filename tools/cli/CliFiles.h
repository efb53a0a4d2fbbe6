// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The file commands: `sets` (the data sets table of a collection file) and `export` (a data set
// of a collection file, a graph file, or a text or CSV file of the program, as machine CSV or as
// the program's own txt or csv export lines). Every reader is the program's own; a file they
// refuse ends the command with a Failure whose reason is the reader's text.

#include "CliArgs.h"

#include "files/MachineCsv.h"
#include "logger/DataSetStore.h"

#include <QByteArray>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <vector>

struct ChartState;
class TableModel;

namespace cli {

// The decoded data sets of a collection file. Throws Failure; one that says what the file is
// when it is a graph file.
DataSetStore readCollection(const QString& fileName);
// Throws Failure, saying what the file is, when its name is that of a graph, text or CSV file.
void requireCollectionName(const QString& fileName);

// The header line and one line per set, tab-separated, LF line ends: DATE as 2012-03-14, TIME
// as hh:mm:ss, the other columns as the data sets list shows them (with a point as decimal
// separator).
QByteArray setsTable(const DataSetStore& store);

// What an export writes, whatever it was read from.
struct ExportData {
    MachineCsv::Metadata metadata;       // the side file, or the comment lines with --comments
    std::vector<MachineSample> samples;
    QStringList notes;                   // said on standard error
    QString unit;                        // "°C", "°F", or "" where the source does not say
};

// Where the output has no place for it (the program's own txt and csv lines have no header and
// are read back by the program), the unit is said on standard error: "the readings are in °C".
QString unitNote(const ExportData& data);

// Set k (from 0) of a collection file read from source.
ExportData setExport(const DataSetStore& store, int k, const QString& source);
// The filled points of a graph: T1..T4 are its subsets 0..3, up to the first point that was
// never filled. Other numbers of subsets are noted: missing channels are empty, more than four
// are left out.
ExportData graphExport(const ChartState& chart, const QString& source);
// The rows of a table whose date and time convert, in the user's formats; the others are left
// out and counted in a note.
ExportData tableExport(const TableModel& table, const QString& source,
                       const QLocale& locale = QLocale());

// The whole output of an export in the chosen format; machine CSV has the metadata as comment
// lines in front when comments is set, and is the canonical text of the samples otherwise.
QByteArray exportText(const ExportData& data, ExportFormat format, bool comments = false,
                      const QLocale& locale = QLocale());

// The side file of a machine CSV written to csvPath (MachineCsv::metadataPath), written whole.
// Throws Failure.
void writeMetadataFile(const QString& csvPath, const MachineCsv::Metadata& metadata);

// The source named by a.file, by its extension (.CH4, .ghf, .txt, .csv in either case). Throws
// UsageError for an unknown kind or --set with a file that is not a collection, Failure when it
// cannot be read.
ExportData readExportSource(const Arguments& a);

} // namespace cli

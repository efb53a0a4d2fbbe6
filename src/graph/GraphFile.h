// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The graph file (.ghf): the length of a chart image as four bytes, low byte first, then the
// image. The template "template/graph.ghf" is a graph file too.
//
// Errors are ChartFileError with the file name and the system's reason; the application's
// standard error box shows them. A failed read or write changes neither the chart nor an
// existing file.

#include "graph/ChartImage.h"

#include <QByteArray>
#include <QString>

// Writes the length and the block to name through a temporary file in the same folder, which
// then replaces name.
void writeGraphBlock(const QString& name, const QByteArray& image);
// Reads the block of a graph file. A length field larger than the rest of the file is refused
// before anything is allocated.
QByteArray readGraphBlock(const QString& name);

// The chart state to and from a graph file.
void writeGraphFile(const ChartState& state, const QString& name);
// Looks at the chart image's header first (a file that is no graph, or larger than the chart's
// limits allow, is refused before the rest is read), then reads and decodes the whole file; state
// changes only when all of it was sound.
void readGraphFile(ChartState& state, const QString& name);

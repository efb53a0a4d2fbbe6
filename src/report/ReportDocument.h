// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The report as pages: a header (the title, page n of m) and a footer (the program and its
// version, when the report was made) on every page; then what was measured, the chart, the
// statistics of every channel as the graph window shows them, the measuring cursors' figures, the
// annotations, the alarm events, and on the last page the data's fingerprint. The same pages go
// to a PDF file (with the fingerprint also in the file's metadata) or to a printer.

#include "report/Fingerprint.h"
#include "report/ReportSource.h"

#include <QByteArray>
#include <QLocale>
#include <QPageSize>
#include <QString>

class QPagedPaintDevice;
class QPainter;

// A4, or Letter where the locale measures in US units.
QPageSize reportPageSize(const QLocale& locale = QLocale());

// The fingerprint the report states: of source.samples, or of the chart's readings.
DataFingerprint reportFingerprint(const ReportSource& source);

// Lays out and paints the whole report on a paged device through painter, which is active on it.
// Returns the number of pages.
int paintReport(const ReportSource& source, QPainter& painter, QPagedPaintDevice& device);

// The PDF file's bytes (page size of the locale); the fingerprint also goes into its XMP
// metadata and its title into the document information.
QByteArray reportPdf(const ReportSource& source, const QLocale& locale = QLocale());

// The PDF written whole to path. "" on success, else the reason.
QString writeReportPdf(const ReportSource& source, const QString& path,
                       const QLocale& locale = QLocale());

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// `report`: the PDF report of a collection's set, a graph file, or a text, CSV or machine CSV
// file, as a graph window makes it (report/ReportDocument.h), without a window. `verify`: whether
// a file holds the data a report was made of, by their fingerprints.

#include "CliArgs.h"

#include "report/ReportSource.h"

#include <QByteArray>

#include <memory>

struct ChartState;

namespace cli {

// What a report is made of, read from a.file; the chart lives as long as the input.
struct ReportInput {
    std::unique_ptr<ChartState> chart;
    ReportSource source;
};
// Throws UsageError or Failure as the file commands do.
ReportInput readReportInput(const Arguments& a);

int runReport(const Arguments& a);

// "matches" or "does not match", both fingerprints; the exit status 0 or 1.
struct VerifyResult {
    bool matches = false;
    QByteArray text;
};
VerifyResult verifyReport(const QByteArray& pdf, const Arguments& a);
int runVerify(const Arguments& a);

} // namespace cli

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "Report...": the report of a graph window (report/ReportDocument.h). It asks for the title, the
// operator and the notes (TfrmReport, remembered for the next report), then writes the PDF
// through the save dialog or prints the report through the print dialog on the run's printer.
// What was measured comes from the window's role: the real-time recording (its start, period and
// samples, the meter), the logger's set shown in the data-logger window, or the file a plain
// window was opened from.

#include "report/ReportSource.h"

#include <QString>

#include <functional>
#include <optional>

class DataSetStore;
class FileDialogs;
class Printing;
class QDialog;
class QWidget;
class TfrmGraph;
struct RecorderState;
struct ReportFields;
struct UserPrompts;

class ReportCommand {
public:
    using DialogRunner = std::function<int(QDialog& dialog)>;

    struct Context {
        QWidget& mainWindow;            // parent of the dialogs
        FileDialogs& dialogs;           // SaveDialog1
        Printing& printing;             // the run's printer
        const RecorderState& recorder;  // the real-time recording
        const DataSetStore& store;      // the logger's sets
        const UserPrompts& prompts;     // the error box
        std::function<int()> realTimeRate;          // the sampling period, seconds
        std::function<QString()> meterModel;        // "" while no meter was found
        std::function<QString()> thermocouple;      // the meter's type now; "" when not known
        // What the meter set-up read in this run, when it did: the firmware version, and the
        // meter's clock minus the computer's (seconds).
        std::function<std::optional<int>()> firmware;
        std::function<std::optional<double>()> clockDifference;
    };

    explicit ReportCommand(Context context) : c_(context) {}

    // The report's dialog (TfrmReport) and the print dialog run through this; exec() by default.
    void SetDialogRunner(DialogRunner run) { run_ = std::move(run); }

    // The whole command on the window. True when a report was written or printed.
    bool Report(TfrmGraph& window);

    // What the window's report is made of, with the fields asked for. The chart is the window's.
    ReportSource SourceOf(TfrmGraph& window, const ReportFields& fields) const;

    // The PDF written to path; "" or the reason.
    static QString WritePdf(const ReportSource& source, const QString& path);

private:
    int run(QDialog& dialog) const;
    std::vector<ReportFact> meter(const QString& model) const;
    bool savePdf(const ReportSource& source, const QString& proposedName);
    bool print(const ReportSource& source);

    Context c_;
    DialogRunner run_;
};

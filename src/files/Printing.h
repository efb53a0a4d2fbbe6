// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Printing: the File menu's "&Print" and "&Printer Setup" for the main window, which holds one
// Printing for the run. It owns the run's printer: what the user chooses in the page set-up
// dialog or in a print dialog (printer, paper, orientation, margins, a file to print to) stays
// for every later printout of the run.
//
//   printerSetup()     the page set-up dialog (PrinterSetupDialog1) on that printer.
//   printTable(table)  the print dialog (PrintDialog1), then the table printout; Cancel prints
//                      nothing.
//   printGraph(chart)  the chart's settings dialog without its font, general, colour and subsets
//                      pages (its OnCustomizeDlg reaches the graph window as on every use of that
//                      dialog), the four pages back on, then the chart's print dialog on the same
//                      printer, whatever the settings dialog's answer was. A chart whose settings
//                      dialog would have no page left (the axis page off, as without a template)
//                      goes straight to the print dialog: no empty dialog, no template question.
//
// A graph is printed on landscape paper unless the user changed the orientation in the page
// set-up dialog: OK there with the orientation as it was leaves graphs landscape. The printer is
// given back with its own orientation after a graph, for the next table.
//
// Both print dialogs offer printing to a PDF file, so a printout can be kept without a printer;
// a printer that prints to a file not yet named is offered "print.pdf" in the home folder.
// printerSetup() and printTable() show their dialogs through a DialogRunner (exec() unless
// replaced, as tests do); the chart's dialogs run through the chart's own runner. A printer that
// cannot be started raises PrintError, which guarded() shows in the standard error box.
//
// The table printout: the platform's fixed-pitch font at 8 points on the printer at its own
// resolution, one line per grid row as TablePrintout.h lays them out, the line height being the
// height of "String Grid Printout" in that font (measured only), the print job without a name.
// Each line is drawn with its baseline at its y, so lines keep a line height apart and the
// first line's letters begin just below the top. A page range chosen in the dialog is honoured.

#include "files/TablePrintout.h"

#include <QFont>
#include <QPageLayout>

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>

class Chart;
class QDialog;
class QPaintDevice;
class QPrinter;
class QWidget;
class TableModel;

class PrintError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Printing {
public:
    using DialogRunner = std::function<int(QDialog& dialog)>;

    // dialogParent (the main window) parents the dialogs and must outlive this object.
    explicit Printing(QWidget* dialogParent = nullptr);
    ~Printing();
    Printing(const Printing&) = delete;
    Printing& operator=(const Printing&) = delete;

    QPrinter& printer() { return *printer_; }
    void setDialogRunner(DialogRunner runner) { runDialog_ = std::move(runner); }

    // True when the user accepted the page set-up dialog.
    bool printerSetup();
    // True when the table was printed, false when the print dialog was cancelled.
    bool printTable(const TableModel& table);
    void printGraph(Chart& chart);
    // The orientation a graph is printed in.
    QPageLayout::Orientation graphOrientation() const
    {
        return chosenOrientation_.value_or(QPageLayout::Landscape);
    }

    // The table printout on printer as it stands, without a dialog.
    static void printTableTo(QPrinter& printer, const TableModel& table);
    static QFont tableFont();
    // The height of "String Grid Printout" in tableFont() on device, in its units.
    static int tableLineHeight(const QPaintDevice& device);
    // The layout of the table printout on printer's printable area.
    static TablePrintLayout tableLayout(const QPrinter& printer);

private:
    QWidget* dialogParent_;
    std::unique_ptr<QPrinter> printer_;
    DialogRunner runDialog_;
    // The orientation the user changed to in the page set-up dialog, if ever.
    std::optional<QPageLayout::Orientation> chosenOrientation_;
};

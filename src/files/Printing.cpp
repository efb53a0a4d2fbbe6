// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/Printing.h"

#include "files/TableModel.h"
#include "graph/Chart.h"

#include <QDir>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScopeGuard>

namespace {

// The four settings pages that graph printing leaves out of the chart's settings dialog.
void allowPrintHiddenPages(Chart& chart, bool allow)
{
    chart.SetAllowFontPage(allow);
    chart.SetAllowPage1(allow);
    chart.SetAllowPage2(allow);
    chart.SetAllowSubsetsPage(allow);
}

// A printer without a device prints to a PDF file. Qt's dialog proposes a file name only on
// some platforms and a bare folder on others; the home folder's "print.pdf" is offered instead.
void offerPrintFile(QPrinter& printer)
{
    if (printer.outputFormat() == QPrinter::PdfFormat && printer.outputFileName().isEmpty())
        printer.setOutputFileName(QDir(QDir::homePath()).filePath(QStringLiteral("print.pdf")));
}

QString cannotStartText(const QPrinter& printer)
{
    if (printer.outputFormat() == QPrinter::PdfFormat)
        return QStringLiteral("The table cannot be printed: the file %1 cannot be written.")
            .arg(QDir::toNativeSeparators(printer.outputFileName()));
    return QStringLiteral("The table cannot be printed: the printer %1 could not be started.")
        .arg(printer.printerName());
}

} // namespace

Printing::Printing(QWidget* dialogParent)
    : dialogParent_(dialogParent),
      printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)),
      runDialog_([](QDialog& d) { return d.exec(); })
{
}

Printing::~Printing() = default;

bool Printing::printerSetup()
{
    QPageSetupDialog dialog(printer_.get(), dialogParent_);
    dialog.setObjectName(QStringLiteral("PrinterSetupDialog1"));
    const QPageLayout::Orientation before = printer_->pageLayout().orientation();
    // An accepted dialog has written its choices into the printer.
    const bool accepted = runDialog_(dialog) == QDialog::Accepted;
    const QPageLayout::Orientation after = printer_->pageLayout().orientation();
    if (accepted && after != before)
        chosenOrientation_ = after;
    return accepted;
}

bool Printing::printTable(const TableModel& table)
{
    offerPrintFile(*printer_);
    QPrintDialog dialog(printer_.get(), dialogParent_);
    dialog.setObjectName(QStringLiteral("PrintDialog1"));
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    if (runDialog_(dialog) != QDialog::Accepted)
        return false;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restoreCursor = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
    printTableTo(*printer_, table);
    return true;
}

void Printing::printGraph(Chart& chart)
{
    {
        allowPrintHiddenPages(chart, false);
        const auto pagesBack = qScopeGuard([&chart] { allowPrintHiddenPages(chart, true); });
        if (customizePagesOffered(chart.state().settings))
            chart.PEactions(sg::sgCustomize);
    }
    const QPageLayout::Orientation before = printer_->pageLayout().orientation();
    printer_->setPageOrientation(graphOrientation());
    const auto restore = qScopeGuard([&] { printer_->setPageOrientation(before); });
    offerPrintFile(*printer_);
    chart.PrintDialog(*printer_);
}

QFont Printing::tableFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(8);
    return font;
}

int Printing::tableLineHeight(const QPaintDevice& device)
{
    const QFontMetrics metrics(tableFont(), &device);
    return metrics.size(Qt::TextSingleLine, QStringLiteral("String Grid Printout")).height();
}

TablePrintLayout Printing::tableLayout(const QPrinter& printer)
{
    return TablePrintLayout::forPage(printer.height(), tableLineHeight(printer));
}

void Printing::printTableTo(QPrinter& printer, const TableModel& table)
{
    printer.setDocName(QString());
    const TablePrintLayout layout = tableLayout(printer);
    const bool range = printer.printRange() == QPrinter::PageRange;
    const TablePrintLayout::Span lines = layout.linesOfPages(
        table.gridRowCount(), range ? printer.fromPage() : 0, range ? printer.toPage() : 0);
    if (lines.empty())
        return;   // the chosen pages lie past the end: no job at all

    QPainter painter;
    if (!painter.begin(&printer))
        throw PrintError(cannotStartText(printer).toStdString());
    painter.setFont(tableFont());
    const TablePrintColumns columns = tablePrintColumns(table);
    for (int i = lines.begin; i < lines.end; ++i) {
        if (i > lines.begin && layout.startsPage(i))
            printer.newPage();
        painter.drawText(1, layout.y(i), tablePrintLine(table, i, columns));
    }
    painter.end();
}

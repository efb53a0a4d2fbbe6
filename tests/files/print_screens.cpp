// SPDX-License-Identifier: GPL-3.0-or-later
// Writes printouts and the printing dialogs to the folder given as the first argument, for people
// to look at: a printed table page and a printed graph page (PDF files and their first pages as
// PNG pictures made with pdftoppm), the print dialog and the page set-up dialog.
#include "ChartFixtures.h"
#include "PrintFixtures.h"
#include "files/Printing.h"
#include "support/PictureTool.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QPrinter>
#include <QProcess>

#include <cstdio>

namespace {

// The first page of pdf as name.png, 100 dots per inch.
void render(const QString& dir, const QString& pdf, const QString& name)
{
    const QString base = QDir(dir).filePath(name);
    const int rc = QProcess::execute(QStringLiteral("pdftoppm"),
                                     {QStringLiteral("-png"), QStringLiteral("-r"),
                                      QStringLiteral("100"), QStringLiteral("-f"),
                                      QStringLiteral("1"), QStringLiteral("-l"),
                                      QStringLiteral("1"), QStringLiteral("-singlefile"), pdf, base});
    if (rc != 0)
        std::fprintf(stderr, "pdftoppm failed on %s\n", qPrintable(pdf));
}

// Shows the dialog long enough to paint it, saves a picture of it and closes it.
int grabDialog(QDialog& dialog, const QString& dir, const QString& name)
{
    dialog.show();
    QApplication::processEvents();
    picturetool::save(dialog, dir, name);
    dialog.hide();
    return QDialog::Rejected;
}

} // namespace

int main(int argc, char** argv)
{
    picturetool::chooseOffscreenPlatform();
    QApplication app(argc, argv);
    const QString dir = picturetool::outputFolder(argc, argv);

    Printing printing;
    QPrinter& printer = printing.printer();
    printer.setOutputFormat(QPrinter::PdfFormat);

    // The dialogs as the user sees them.
    printing.setDialogRunner([&](QDialog& d) {
        return grabDialog(d, dir, d.objectName() + QStringLiteral(".png"));
    });
    printing.printerSetup();
    TableModel table;
    printfixtures::fillTable(table, 250);
    printing.printTable(table);

    // A table of 250 rows on A4.
    printing.setDialogRunner([](QDialog&) { return int(QDialog::Accepted); });
    const QString tablePdf = QDir(dir).filePath(QStringLiteral("print-table.pdf"));
    printer.setOutputFileName(tablePdf);
    printing.printTable(table);
    render(dir, tablePdf, QStringLiteral("print-table"));

    // A graph of an hour's recording, its settings dialog cancelled.
    Chart chart;
    chart.resize(1200, 800);
    fixtures::fillDefault(chart, 3600, 3600);
    chart.SetMainTitle(QStringLiteral("Kiln test run"));
    chart.Redraw();
    const QString graphPdf = QDir(dir).filePath(QStringLiteral("print-graph.pdf"));
    printer.setOutputFileName(graphPdf);
    chart.setDialogRunner([&](QDialog& d) {
        if (d.objectName() == QLatin1String("ChartPrintDialog")) {
            grabDialog(d, dir, QStringLiteral("ChartPrintDialog.png"));
            return int(QDialog::Accepted);
        }
        return int(QDialog::Rejected);
    });
    printing.printGraph(chart);
    render(dir, graphPdf, QStringLiteral("print-graph"));
    return 0;
}

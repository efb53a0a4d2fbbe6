// SPDX-License-Identifier: GPL-3.0-or-later
// The table printout at full size: a table window of 10,000 rows printed to a PDF file on A4
// through the print dialog's path (the dialog answered at once).
#include "files/PrintFixtures.h"
#include "files/Printing.h"

#include <benchmark/benchmark.h>

#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryDir>

namespace {

void BM_PrintTable(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString pdf = QDir(dir.path()).filePath(QStringLiteral("table.pdf"));
    TableModel table;
    printfixtures::fillTable(table, 10000);
    Printing printing;
    printing.printer().setOutputFormat(QPrinter::PdfFormat);
    printing.printer().setOutputFileName(pdf);
    printing.setDialogRunner([](QDialog&) { return int(QDialog::Accepted); });
    const int pages = Printing::tableLayout(printing.printer()).pageCount(table.gridRowCount());
    for (auto _ : state) {
        if (!printing.printTable(table))
            state.SkipWithError("not printed");
    }
    state.counters["pages"] = pages;
    state.counters["bytes"] = double(QFileInfo(pdf).size());
}
BENCHMARK(BM_PrintTable)->Unit(benchmark::kMillisecond);

} // namespace

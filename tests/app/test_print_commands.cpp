// SPDX-License-Identifier: GPL-3.0-or-later
// Print and Printer Setup in the main window: the active child decides what is printed (a table
// window its rows, a graph window its chart, anything else nothing), on the run's printer, here
// a PDF file read back with pdftotext.

#include "FileShell.h"
#include "PrintFixtures.h"
#include "files/FileFixtures.h"

#include "files/Printing.h"
#include "files/TableModel.h"
#include "panel/UPanel.h"

#include <QFileInfo>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QToolButton>

using printfixtures::PdfPage;

namespace {

struct PrintShell : FileShell {
    QString pdf = path(QStringLiteral("out.pdf"));
    QStringList dialogs;   // the printing dialogs shown, the chart's included

    PrintShell()
    {
        QPrinter& p = w->Printer().printer();
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(pdf);
        w->Printer().setDialogRunner([this](QDialog& d) {
            dialogs << d.objectName();
            return int(QDialog::Accepted);
        });
    }
    std::vector<PdfPage> pages() const
    {
        QString error;
        auto out = printfixtures::readPdf(pdf, &error);
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        return out;
    }
};

// A printed line that starts with text (starts) or holds it.
bool anyLine(const std::vector<PdfPage>& pages, const QString& text, bool starts = false)
{
    for (const PdfPage& page : pages)
        for (const auto& line : page.lines)
            if (starts ? line.text.startsWith(text) : line.text.contains(text))
                return true;
    return false;
}

} // namespace

TEST(PrintCommands, ATableWindowPrintsItsRows)
{
    PrintShell s;
    TfrmList* list = s.w->Files().CreateTableWindow(QStringLiteral("table"));
    printfixtures::fillTable(list->Table(), 30);
    s.w->btnPrint->click();
    EXPECT_EQ(s.dialogs, QStringList{"PrintDialog1"});
    const auto pages = s.pages();
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_TRUE(anyLine(pages, QStringLiteral("No"), true));
    EXPECT_TRUE(anyLine(pages, QStringLiteral("30"), true));
    EXPECT_TRUE(anyLine(pages, printfixtures::rowCells(17)[0] + QStringLiteral(" "), true));
}

// A table opened from a file whose dates differ in length: in the printout every column starts
// at the same character position on every line, under its title, and no date runs into its
// time.
TEST(PrintCommands, ColumnsLineUpWhateverTheDatesLength)
{
    PrintShell s;
    const QStringList dates = {QStringLiteral("9 Dec 2026"), QStringLiteral("19 Dec 2026"),
                               QStringLiteral("Wednesday, 9 December 2026"),
                               QStringLiteral("1/2/2027")};
    QByteArray bytes;
    for (const QString& d : dates)
        bytes += d.toUtf8() + "\t22:04:47\t21.5\tOL\t-5.0\t1000.5\r\n";
    const QString file = s.path(QStringLiteral("dates.txt"));
    ASSERT_TRUE(filefixtures::writeAll(file, bytes));
    s.openFile(file);
    ASSERT_NE(s.currentAs<TfrmList>(), nullptr);
    s.w->btnPrint->click();
    const auto pages = s.pages();
    ASSERT_EQ(pages.size(), 1u);
    const auto& lines = pages[0].lines;
    ASSERT_EQ(lines.size(), 5u);
    const QString& titles = lines[0].text;
    const QStringList columns = {QStringLiteral("Time"), QStringLiteral("T1"),
                                 QStringLiteral("T2"), QStringLiteral("T3"), QStringLiteral("T4")};
    const QStringList cells = {QStringLiteral("22:04:47"), QStringLiteral("21.5"),
                               QStringLiteral("OL"), QStringLiteral("-5.0"),
                               QStringLiteral("1000.5")};
    for (std::size_t row = 1; row < lines.size(); ++row) {
        const QString& line = lines[row].text;
        SCOPED_TRACE(line.toStdString());
        EXPECT_EQ(line.indexOf(dates[qsizetype(row) - 1]), titles.indexOf(QStringLiteral("Date")));
        qsizetype from = 0;
        for (qsizetype c = 0; c < columns.size(); ++c) {
            const qsizetype at = line.indexOf(cells[c], from);
            ASSERT_GT(at, 0) << cells[c].toStdString();
            EXPECT_EQ(at, titles.indexOf(columns[c])) << columns[c].toStdString();
            EXPECT_EQ(line.at(at - 1), QLatin1Char(' '));
            from = at + 1;
        }
    }
}

TEST(PrintCommands, AGraphWindowPrintsItsChartThroughTheChartsDialogs)
{
    PrintShell s;
    TfrmGraph* g = s.graphOf(filefixtures::recordedChart(200, 200));
    g->SetDialogRunner([&](QDialog& d) {
        s.dialogs << d.metaObject()->className();
        return int(QDialog::Accepted);
    });
    s.w->Print1->trigger();
    // Prepared without a template, its settings dialog would have no page: straight to printing.
    EXPECT_EQ(s.dialogs, (QStringList{"QPrintDialog"}));
    const auto pages = s.pages();
    ASSERT_EQ(pages.size(), 1u);
    // Its four panes and its time axis.
    EXPECT_TRUE(anyLine(pages, QStringLiteral("T4")));
    EXPECT_TRUE(anyLine(pages, QStringLiteral("3/14/24")));
    EXPECT_TRUE(anyLine(pages, QStringLiteral(" 10:00"), true));
}

TEST(PrintCommands, OtherWindowsPrintNothingAndPrinterSetupUsesTheRunsPrinter)
{
    PrintShell s;
    s.w->MdiArea->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(s.w->PanelWindow->parentWidget()));
    s.w->btnPrintClick();
    EXPECT_TRUE(s.dialogs.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(s.pdf));

    QPrinter* setUp = nullptr;
    s.w->Printer().setDialogRunner([&](QDialog& d) {
        s.dialogs << d.objectName();
        setUp = dynamic_cast<QPageSetupDialog&>(d).printer();
        return int(QDialog::Accepted);
    });
    s.w->PrinterSetup1->trigger();
    EXPECT_EQ(s.dialogs, QStringList{"PrinterSetupDialog1"});
    EXPECT_EQ(setUp, &s.w->Printer().printer());
}

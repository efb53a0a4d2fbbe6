// SPDX-License-Identifier: GPL-3.0-or-later
// Printing to PDF files: the table printout's pages, lines and padding read back with pdftotext,
// the print dialog's Cancel, the printer of the run shared by every dialog, graph printing with
// the chart's two dialogs, and a printer that cannot start.
#include "ChartFixtures.h"
#include "PrintFixtures.h"
#include "files/Printing.h"
#include "files/TablePrintout.h"
#include "graph/ChartCustomizeDialog.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>

using printfixtures::PdfPage;

namespace {

QString blanks(int n)
{
    return QString(n, QLatin1Char(' '));
}

// A Printing whose print dialog is answered by `answer` and that prints to pdf.
struct PdfPrinting {
    QTemporaryDir dir;
    Printing printing;
    QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    std::vector<QString> dialogs;   // object names of the dialogs shown, in order

    explicit PdfPrinting(int answer = QDialog::Accepted)
    {
        printing.printer().setOutputFormat(QPrinter::PdfFormat);
        printing.printer().setOutputFileName(pdf);
        answerWith([answer](QDialog&) { return answer; });
    }
    void answerWith(std::function<int(QDialog&)> f)
    {
        printing.setDialogRunner([this, f](QDialog& d) {
            dialogs.push_back(d.objectName());
            return f(d);
        });
    }
    // Pages of exactly `lines` table lines.
    void useLinesPerPage(int lines)
    {
        QPrinter& p = printing.printer();
        p.setPageLayout(printfixtures::pageOfLines(lines, Printing::tableLineHeight(p),
                                                   p.resolution()));
    }
    std::vector<PdfPage> pages() const
    {
        QString error;
        auto out = printfixtures::readPdf(pdf, &error);
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        return out;
    }
};

// The printed line of a fixture row as the column rules make it, written out by hand: "No" 10
// characters wide, the dates of 10 characters 12 (two blanks after the longest cell), the time
// 17, the readings 10. The blanks after the last cell leave no trace in the file.
QString rowLine(int r)
{
    const auto cells = printfixtures::rowCells(r);
    const int widths[] = {10, 12, 17, 10, 10, 10};
    QString line;
    for (int c = 0; c < 6; ++c)
        line += cells[std::size_t(c)] + blanks(widths[c] - int(cells[std::size_t(c)].size()));
    return line + cells[6];
}

// The title line of a fixture table, and of a table without dates (its date column 10 wide).
const QString HeaderLine = QStringLiteral("No") + blanks(8) + QStringLiteral("Date") + blanks(8) +
                           QStringLiteral("Time") + blanks(13) + QStringLiteral("T1") + blanks(8) +
                           QStringLiteral("T2") + blanks(8) + QStringLiteral("T3") + blanks(8) +
                           QStringLiteral("T4");
const QString EmptyTableHeaderLine = QString(HeaderLine).remove(14, 2);

} // namespace

TEST(PrintTable, HundredRowsOnPagesOfFortyLines)
{
    PdfPrinting out;
    out.useLinesPerPage(40);
    const TablePrintLayout layout = Printing::tableLayout(out.printing.printer());
    ASSERT_EQ(layout.linesPerPage, 40);
    TableModel table;
    printfixtures::fillTable(table, 100);

    ASSERT_TRUE(out.printing.printTable(table));
    EXPECT_EQ(out.dialogs, (std::vector<QString>{QStringLiteral("PrintDialog1")}));

    const auto pages = out.pages();
    ASSERT_EQ(pages.size(), 3u);
    ASSERT_EQ(pages[0].lines.size(), 40u);
    ASSERT_EQ(pages[1].lines.size(), 40u);
    ASSERT_EQ(pages[2].lines.size(), 21u);

    // Page 1: the title row, rows 1 to 39; page 2: rows 40 to 79; page 3: rows 80 to 100, each
    // line with its blanks as the widths 10 and 17 make them.
    EXPECT_EQ(pages[0].lines[0].text, HeaderLine);
    for (int i = 1; i < 101; ++i) {
        const auto& line = pages[static_cast<std::size_t>(i / 40)].lines[static_cast<std::size_t>(i % 40)];
        ASSERT_EQ(line.text, rowLine(i)) << "row " << i;
    }

    // The lines lie one line height apart, and at the same heights on every page; the first
    // begins below the top margin and the last ends above the bottom margin.
    const double step = layout.lineHeight * 72.0 / out.printing.printer().resolution();
    for (const PdfPage& page : pages) {
        for (std::size_t k = 0; k < page.lines.size(); ++k)
            EXPECT_NEAR(page.lines[k].top, pages[0].lines[0].top + double(k) * step, 0.02);
        EXPECT_GT(page.lines.front().top, 10.0);
        EXPECT_LT(page.lines.back().bottom, page.height - 10.0);
    }
    // The first line stands on a baseline one line height below the top of the printable area
    // (10 points down): its descenders end a little below that, well above a second line.
    EXPECT_GT(pages[0].lines[0].bottom, 10.0 + step);
    EXPECT_LT(pages[0].lines[0].bottom, 10.0 + 1.5 * step);
}

TEST(PrintTable, TitleAndOneEmptyRowPrintOnePageOfTwoLines)
{
    PdfPrinting out;
    TableModel table;   // the title row and one empty row
    ASSERT_TRUE(out.printing.printTable(table));
    const auto pages = out.pages();
    ASSERT_EQ(pages.size(), 1u);
    // The second line holds only blanks, which leave no text in the file.
    ASSERT_EQ(pages[0].lines.size(), 1u);
    EXPECT_EQ(pages[0].lines[0].text, EmptyTableHeaderLine);
    EXPECT_EQ(tablePrintLine(table, 1, tablePrintColumns(table)), blanks(77));
}

TEST(PrintTable, ChosenPagesOnly)
{
    PdfPrinting out;
    out.useLinesPerPage(40);
    out.answerWith([&](QDialog&) {
        out.printing.printer().setPrintRange(QPrinter::PageRange);
        out.printing.printer().setFromTo(2, 2);
        return int(QDialog::Accepted);
    });
    TableModel table;
    printfixtures::fillTable(table, 100);
    ASSERT_TRUE(out.printing.printTable(table));
    const auto pages = out.pages();
    ASSERT_EQ(pages.size(), 1u);
    ASSERT_EQ(pages[0].lines.size(), 40u);
    EXPECT_EQ(pages[0].lines.front().text, rowLine(40));
    EXPECT_EQ(pages[0].lines.back().text, rowLine(79));

    // Pages past the end start no job at all.
    QFile::remove(out.pdf);
    out.answerWith([&](QDialog&) {
        out.printing.printer().setFromTo(5, 6);
        return int(QDialog::Accepted);
    });
    EXPECT_TRUE(out.printing.printTable(table));
    EXPECT_FALSE(QFile::exists(out.pdf));
}

TEST(PrintTable, APrinterThatCannotStartIsAnError)
{
    PdfPrinting out;
    out.printing.printer().setOutputFileName(out.dir.filePath(QStringLiteral("no/such/dir/x.pdf")));
    TableModel table;
    try {
        out.printing.printTable(table);
        ADD_FAILURE() << "printed to a folder that does not exist";
    } catch (const PrintError& e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).contains(QStringLiteral("no/such/dir/x.pdf")))
            << e.what();
    }
}

TEST(PrintTable, CancelPrintsNothingAndTheDialogOffersANamedFile)
{
    Printing printing;
    printing.printer().setOutputFormat(QPrinter::PdfFormat);   // as on a machine without printers
    QString offered;
    bool offersFile = false;
    printing.setDialogRunner([&](QDialog& d) {
        auto& dialog = dynamic_cast<QPrintDialog&>(d);
        offersFile = dialog.testOption(QAbstractPrintDialog::PrintToFile);
        offered = dialog.printer()->outputFileName();
        return int(QDialog::Rejected);
    });
    TableModel table;
    EXPECT_FALSE(printing.printTable(table));
    EXPECT_TRUE(offersFile);
    const QString home = QDir(QDir::homePath()).filePath(QStringLiteral("print.pdf"));
    EXPECT_EQ(offered, home);

    // A name the user chose stays; Cancel writes nothing.
    QTemporaryDir dir;
    const QString kept = dir.filePath(QStringLiteral("kept.pdf"));
    printing.printer().setOutputFileName(kept);
    EXPECT_FALSE(printing.printTable(table));
    EXPECT_EQ(offered, kept);
    EXPECT_FALSE(QFile::exists(kept));
}

TEST(PrintGraph, SettingsWithoutFourPagesThenThePrintDialogOnTheSamePrinter)
{
    PdfPrinting out;
    Chart chart;
    chart.resize(1000, 700);
    fixtures::fillDefault(chart, 600, 600);
    chart.SetAllowAxisPage(true);   // so that one page remains to be seen
    chart.Redraw();
    QSignalSpy ended(&chart, &Chart::OnCustomizeDlg);

    QStringList shownPages;
    bool pagesOffDuringDialog = false;
    QPrinter* printDialogPrinter = nullptr;
    bool printDialogOffersFile = false;
    QPageLayout::Orientation offered = QPageLayout::Portrait;
    int dialogs = 0;
    chart.setDialogRunner([&](QDialog& d) {
        ++dialogs;
        if (auto* settings = dynamic_cast<ChartCustomizeDialog*>(&d)) {
            for (int i = 0; i < settings->pages()->count(); ++i)
                shownPages << settings->pages()->tabText(i);
            pagesOffDuringDialog = !chart.AllowFontPage() && !chart.AllowPage1() &&
                                   !chart.AllowPage2() && !chart.AllowSubsetsPage() &&
                                   chart.AllowAxisPage();
            return int(QDialog::Rejected);   // Cancel still leads to the print dialog
        }
        auto& print = dynamic_cast<QPrintDialog&>(d);
        printDialogPrinter = print.printer();
        printDialogOffersFile = print.testOption(QAbstractPrintDialog::PrintToFile);
        offered = print.printer()->pageLayout().orientation();
        return int(QDialog::Accepted);
    });

    out.printing.printGraph(chart);

    EXPECT_EQ(dialogs, 2);
    EXPECT_TRUE(pagesOffDuringDialog);
    EXPECT_EQ(shownPages, QStringList{QStringLiteral("Axis")});
    EXPECT_EQ(ended.count(), 1);
    EXPECT_EQ(chart.CustomizeAccepted(), 0);
    EXPECT_TRUE(chart.AllowFontPage() && chart.AllowPage1() && chart.AllowPage2() &&
                chart.AllowSubsetsPage() && chart.AllowAxisPage());
    EXPECT_EQ(printDialogPrinter, &out.printing.printer());
    EXPECT_TRUE(printDialogOffersFile);
    // A graph is offered landscape; the printer is portrait again for the next table.
    EXPECT_EQ(offered, QPageLayout::Landscape);
    EXPECT_EQ(out.printing.printer().pageLayout().orientation(), QPageLayout::Portrait);

    const auto pages = out.pages();
    ASSERT_EQ(pages.size(), 1u);
    const PdfPage& page = pages[0];
    // The labels keep their size against the page: no text taller than 3 % of it.
    ASSERT_FALSE(page.lines.empty());
    for (const auto& line : page.lines)
        EXPECT_LT(line.bottom - line.top, 0.03 * page.height) << line.text.toStdString();
    // Four equal panes, as on the screen: their top labels "100" lie evenly apart, and the
    // dates under the last pane about a pane further down.
    std::vector<double> paneTops;
    double timeLabels = 0;
    for (const auto& line : page.lines) {
        if (line.text.startsWith(QLatin1String("100")))
            paneTops.push_back(line.top);
        if (line.text.contains(QLatin1String("Mar 2024")) && timeLabels == 0)
            timeLabels = line.top;
    }
    ASSERT_EQ(paneTops.size(), 4u);
    ASSERT_GT(timeLabels, paneTops[3]);
    const double pane = paneTops[1] - paneTops[0];
    EXPECT_NEAR(paneTops[2] - paneTops[1], pane, 0.05 * pane);
    EXPECT_NEAR(paneTops[3] - paneTops[2], pane, 0.05 * pane);
    EXPECT_NEAR(timeLabels - paneTops[3], pane, 0.15 * pane);
}

TEST(PrinterSetup, TheChosenPageServesLaterPrintouts)
{
    PdfPrinting out;
    // The page set-up dialog works on the run's printer; what the user chooses there stays.
    out.answerWith([&](QDialog& d) {
        auto& setup = dynamic_cast<QPageSetupDialog&>(d);
        EXPECT_EQ(setup.printer(), &out.printing.printer());
        setup.printer()->setPageLayout(printfixtures::pageOfLines(
            25, Printing::tableLineHeight(*setup.printer()), setup.printer()->resolution()));
        return int(QDialog::Accepted);
    });
    ASSERT_TRUE(out.printing.printerSetup());
    EXPECT_EQ(out.dialogs, (std::vector<QString>{QStringLiteral("PrinterSetupDialog1")}));

    out.answerWith([](QDialog&) { return int(QDialog::Accepted); });
    TableModel table;
    printfixtures::fillTable(table, 60);
    ASSERT_TRUE(out.printing.printTable(table));
    const auto pages = out.pages();
    ASSERT_EQ(pages.size(), 3u);   // 61 lines, 25 to a page
    EXPECT_EQ(pages[2].lines.size(), 11u);

    // A cancelled set-up changes nothing.
    out.answerWith([](QDialog&) { return int(QDialog::Rejected); });
    EXPECT_FALSE(out.printing.printerSetup());
    EXPECT_EQ(Printing::tableLayout(out.printing.printer()).linesPerPage, 25);
}

TEST(PrinterSetup, GraphsStayLandscapeUnlessTheOrientationWasChangedThere)
{
    PdfPrinting out;
    Chart chart;
    fixtures::fillDefault(chart, 50, 50);
    std::vector<QPageLayout::Orientation> offered;
    chart.setDialogRunner([&](QDialog& d) {
        if (auto* print = dynamic_cast<QPrintDialog*>(&d))
            offered.push_back(print->printer()->pageLayout().orientation());
        return int(QDialog::Rejected);
    });
    const auto setUp = [&](std::optional<QPageLayout::Orientation> choose) {
        out.answerWith([choose](QDialog& d) {
            if (choose)
                dynamic_cast<QPageSetupDialog&>(d).printer()->setPageOrientation(*choose);
            return int(QDialog::Accepted);
        });
        ASSERT_TRUE(out.printing.printerSetup());
    };
    QPrinter& printer = out.printing.printer();
    ASSERT_EQ(printer.pageLayout().orientation(), QPageLayout::Portrait);

    // OK with the orientation as it was: graphs landscape, tables as they were.
    setUp(std::nullopt);
    out.printing.printGraph(chart);
    EXPECT_EQ(offered.back(), QPageLayout::Landscape);
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Portrait);

    // Changed to landscape and later back to portrait: graphs follow the user's choice.
    setUp(QPageLayout::Landscape);
    out.printing.printGraph(chart);
    EXPECT_EQ(offered.back(), QPageLayout::Landscape);
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);
    setUp(QPageLayout::Portrait);
    setUp(std::nullopt);   // a later OK without a change keeps that choice
    out.printing.printGraph(chart);
    EXPECT_EQ(offered.back(), QPageLayout::Portrait);
    EXPECT_EQ(offered.size(), 3u);
}

TEST(PrintGraph, ASettingsDialogWithoutAPageIsLeftOutAndWithItTheTemplateQuestion)
{
    PdfPrinting out;
    Chart chart;
    fixtures::fillDefault(chart, 50, 50);   // no axis page, as without a template
    ASSERT_FALSE(chart.AllowAxisPage());
    QSignalSpy ended(&chart, &Chart::OnCustomizeDlg);
    QStringList shown;
    chart.setDialogRunner([&](QDialog& d) {
        shown << d.objectName();
        return int(QDialog::Accepted);
    });
    out.printing.printGraph(chart);
    EXPECT_EQ(shown, QStringList{QStringLiteral("ChartPrintDialog")});
    EXPECT_EQ(ended.count(), 0);
    EXPECT_EQ(out.pages().size(), 1u);
    EXPECT_TRUE(chart.AllowFontPage() && chart.AllowPage1() && chart.AllowPage2() &&
                chart.AllowSubsetsPage());
}

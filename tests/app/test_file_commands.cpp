// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's file commands end to end: a graph saved as text and CSV, opened into a table
// window and turned back into a graph under a point and a comma locale; the range dialog's rules
// and the file type change through the real dialogs; what a table file holds in the window; the
// collection saved and reopened; the progress windows' Cancel; one command at a time.

#include "FileShell.h"
#include "files/FileFixtures.h"

#include "base/NullReading.h"
#include "files/FileTypes.h"
#include "files/TableModel.h"
#include "files/TextExport.h"
#include "graph/GraphFile.h"

#include <qcustomplot.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QTableView>
#include <QTest>
#include <QTime>
#include <QToolButton>

#include <cmath>

using namespace fileshell;
using filefixtures::readAll;
using filefixtures::writeAll;

namespace {

QList<QByteArray> linesOf(const QByteArray& bytes)
{
    QList<QByteArray> lines = bytes.split('\n');
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    return lines;
}

// The graph windows whose caption is caption, newest last.
QList<TfrmGraph*> graphsCalled(FileShell& s, const QString& caption)
{
    QList<TfrmGraph*> out;
    for (TfrmGraph* g : s.w->Graphs().Windows())
        if (g->windowTitle() == caption)
            out << g;
    return out;
}

// A graph saved under name as text or CSV (range "All"), opened as a table and turned into a
// graph, equals the original: values to a tenth ("OL" for what lies past the limits), times to
// the second.
void roundTrip(const QString& name, const QLocale& locale)
{
    FileShell s(locale);
    const ChartState original = filefixtures::recordedChart(600, 600);
    s.graphOf(original);
    const QString path = s.path(name);
    s.answer({file(path), all()});
    s.save();
    ASSERT_TRUE(QFileInfo::exists(path)) << s.shown.join(',').toStdString();
    EXPECT_EQ(linesOf(readAll(path)).size(), 600);

    s.openFile(path);
    auto* list = s.currentAs<TfrmList>();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->windowTitle(), path);
    EXPECT_EQ(list->Table().gridRowCount(), 601);
    EXPECT_TRUE(s.w->btnOutputToGraph->isEnabled());
    s.w->btnOutputToGraph->click();
    const QList<TfrmGraph*> made = graphsCalled(s, path);
    ASSERT_EQ(made.size(), 1);
    const ChartData& back = made.front()->Chart1->state().data;
    ASSERT_EQ(back.subsets(), 4);
    ASSERT_EQ(back.points(), 600);
    const ChartData& d = original.data;
    for (int p = 0; p < 600; ++p)
        for (int c = 0; c < 4; ++c) {
            ASSERT_NEAR(back.x(c, p), d.x(c, p), 0.5 * DateTime::OneSecond) << p;
            const float v = d.y(c, p);
            if (isOverLimit(v))
                ASSERT_EQ(back.y(c, p), NullReading) << c << ' ' << p;
            else
                ASSERT_NEAR(back.y(c, p), v, 0.05 + 1e-4) << c << ' ' << p;
        }
    // The graph of the table: four subsets split into panes, its statistics shown.
    EXPECT_FALSE(made.front()->txtMax[0]->text().isEmpty());
    EXPECT_TRUE(s.answers.asked.isEmpty()) << s.answers.asked.join('|').toStdString();
}

} // namespace

TEST(FileCommands, GraphRoundTripsThroughTextWithADecimalPoint)
{
    roundTrip(QStringLiteral("run.txt"), QLocale(QLocale::English, QLocale::UnitedStates));
}

TEST(FileCommands, GraphRoundTripsThroughCsvWithADecimalPoint)
{
    roundTrip(QStringLiteral("run.csv"), QLocale(QLocale::English, QLocale::UnitedKingdom));
}

TEST(FileCommands, GraphRoundTripsThroughTextWithADecimalComma)
{
    roundTrip(QStringLiteral("run.TXT"), QLocale(QLocale::German, QLocale::Germany));
}

// A .csv name typed where the decimal separator is a comma: the values are quoted and read back
// whole.
TEST(FileCommands, GraphRoundTripsThroughCsvWithADecimalComma)
{
    roundTrip(QStringLiteral("run.csv"), QLocale(QLocale::German, QLocale::Germany));
}

// With a decimal comma the CSV type is not offered and the open choice says so.
TEST(FileCommands, ADecimalCommaTakesTheCsvTypeAway)
{
    FileShell s(QLocale(QLocale::German, QLocale::Germany));
    s.graphOf(filefixtures::recordedChart(10, 10));
    QStringList filters;
    s.answer({[&](QDialog& d) {
        filters = dynamic_cast<QFileDialog&>(d).nameFilters();
        return int(QDialog::Rejected);
    }});
    s.save();
    EXPECT_EQ(filters, (QStringList{"Graph file(*.ghf,only for KOLVA) (*.GHF *.ghf)",
                                    "TXT file(*.txt,data seperated by tab) (*.TXT *.txt)"}));
    QString second;
    s.answer({[&](QDialog& d) {
        second = dynamic_cast<TfrmOpenSave&>(d).btnOpenSingleSet->text();
        return int(QDialog::Rejected);
    }});
    s.open();
    EXPECT_EQ(second, "Open single data flle(*.TXT,*.GHF)");
}

TEST(FileCommands, RangeDialogRulesAndAnInvalidInteger)
{
    FileShell s;
    s.graphOf(filefixtures::recordedChart(100, 100));
    const auto exported = [&](const QString& from, const QString& to) {
        const QString path = s.path(QStringLiteral("r%1_%2.csv").arg(from, to));
        s.answer({file(path), range(from, to)});
        s.save();
        return linesOf(readAll(path));
    };
    const auto firstTime = [](const QList<QByteArray>& lines) {
        return lines.isEmpty() ? QByteArray() : lines.front().split(',').value(1);
    };
    QList<QByteArray> lines = exported(QStringLiteral("50"), QStringLiteral("10"));
    EXPECT_EQ(lines.size(), 41);
    EXPECT_EQ(firstTime(lines), "10:00:09 AM");   // point 10 is a second after point 9
    lines = exported(QStringLiteral("0"), QStringLiteral("5"));
    EXPECT_EQ(lines.size(), 5);
    EXPECT_EQ(firstTime(lines), "10:00:00 AM");
    lines = exported(QStringLiteral("-3"), QStringLiteral("7"));
    EXPECT_EQ(lines.size(), 5);
    EXPECT_EQ(firstTime(lines), "10:00:02 AM");
    EXPECT_EQ(exported(QStringLiteral("90"), QStringLiteral("500")).size(), 11);
    EXPECT_TRUE(exported(QStringLiteral("150"), QStringLiteral("200")).isEmpty());
    EXPECT_TRUE(s.answers.asked.isEmpty());

    // Not an integer: the message, and no file at all.
    const QString bad = s.path(QStringLiteral("bad.csv"));
    s.answer({file(bad), range(QStringLiteral("1x"), QStringLiteral("5"))});
    s.save();
    EXPECT_EQ(s.answers.asked, QStringList{"invalid integer"});
    EXPECT_FALSE(QFileInfo::exists(bad));
}

// A recording of 500 points of which 120 were taken exports 120 lines; the limits are compared
// on the float value.
TEST(FileCommands, ExportStopsAtTheFirstUntakenPointAndWritesOverLimitsAsOL)
{
    FileShell s;
    ChartState st = filefixtures::recordedChart(500, 120);
    st.data.setY(0, 0, 2500.0f);
    st.data.setY(1, 0, 2500.1f);
    st.data.setY(2, 0, -328.0f);
    st.data.setY(3, 0, -328.1f);
    s.graphOf(st);
    const QString path = s.path(QStringLiteral("rt.txt"));
    s.answer({file(path), all()});
    s.save();
    const QList<QByteArray> lines = linesOf(readAll(path));
    ASSERT_EQ(lines.size(), 120);
    EXPECT_EQ(lines.front(), "3/14/2024\t10:00:00 AM\t2500.0\tOL\t-328.0\tOL\r");
}

// Choosing the CSV type in the real save dialog while the name box holds run1.txt makes it
// run1.CSV, and the name decides what is written.
TEST(FileCommands, TheTypeChangePutsTheTypesExtensionIntoTheName)
{
    FileShell s;
    s.graphOf(filefixtures::recordedChart(20, 20));
    QString boxed, chosen;
    s.answer({[&](QDialog& d) {
                  auto& fd = dynamic_cast<QFileDialog&>(d);
                  fd.selectFile(s.path(QStringLiteral("run1.txt")));
                  auto* types = fd.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
                  EXPECT_NE(types, nullptr);
                  if (!types)
                      return int(QDialog::Rejected);
                  types->setCurrentIndex(2);
                  emit types->activated(2);
                  emit types->textActivated(types->itemText(2));
                  boxed = fd.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
                  chosen = fd.selectedFiles().value(0);
                  return int(QDialog::Accepted);
              },
              all()});
    s.save();
    EXPECT_EQ(boxed, "run1.CSV");
    EXPECT_EQ(chosen, s.path(QStringLiteral("run1.CSV")));
    EXPECT_EQ(linesOf(readAll(chosen)).size(), 20);
    EXPECT_TRUE(readAll(chosen).startsWith("3/14/2024,10:00:00 AM,"));
}

// A name typed without an extension becomes a graph file; an extension the commands do not know
// saves nothing and says so.
TEST(FileCommands, GraphFilesByDefaultAndUnknownExtensionsAreTold)
{
    FileShell s;
    const ChartState st = filefixtures::recordedChart(30, 30);
    s.graphOf(st);
    s.answer({file(s.path(QStringLiteral("plain")))});
    s.save();
    ChartState back;
    readGraphFile(back, s.path(QStringLiteral("plain.GHF")));
    EXPECT_EQ(back.data, st.data);

    s.answer({file(s.path(QStringLiteral("run.dat")))});
    s.save();
    EXPECT_FALSE(QFileInfo::exists(s.path(QStringLiteral("run.dat"))));
    ASSERT_EQ(s.answers.asked.size(), 1);
    EXPECT_TRUE(s.answers.asked[0].contains(QStringLiteral("run.dat")));
}

// An opened graph file: a plain window captioned with the full name at the top left, as wide as
// the main window, 40 pixels less than the area; its split box and tools follow the file.
TEST(FileCommands, AGraphFileOpensInItsOwnWindow)
{
    FileShell s;
    ChartState st = filefixtures::recordedChart(50, 50);
    st.settings.axes[0].multiAxesProportions = 1.0;   // one axis: not split
    // Annotated in an earlier run: a text and a cross.
    st.graphAnnotations.resize(6);
    st.graphAnnotations[4] = {sg::sgAnnotText, st.data.x(0, 10), 30.0, QStringLiteral("lid"), 0};
    st.graphAnnotations[5] = {sg::sgAnnotCross, st.data.x(0, 20), 40.0, QString(), 0};
    const QString path = s.path(QStringLiteral("g.ghf"));
    writeGraphFile(st, path);
    s.openFile(path);
    TfrmGraph* g = s.currentAs<TfrmGraph>();
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->windowTitle(), path);
    EXPECT_EQ(g->Role(), GraphRole::Plain);
    EXPECT_EQ(s.current()->geometry(),
              QRect(0, 0, s.w->width(), s.w->MdiArea->height() - 40));
    EXPECT_FALSE(g->chkSplit->isChecked());
    EXPECT_TRUE(g->ToolButton5->isEnabled());
    EXPECT_TRUE(g->Chart1->AllowGraphAnnotHotSpots());
    EXPECT_EQ(g->Chart1->AllowDataLabels(), sg::sgNoDataLabels);
    EXPECT_EQ(g->Chart1->state().data, st.data);
    EXPECT_FALSE(g->txtMin[2]->text().isEmpty());

    // A cross placed on it takes the chart's next free index, whatever this run has counted:
    // the annotations the file holds stay.
    ASSERT_EQ(s.w->Annotations().AnnotationCounter, 3);
    ASSERT_EQ(st.graphAnnotations, g->Chart1->state().graphAnnotations);
    g->ToolButton5->click();
    QTest::mouseClick(g->Chart1->plotForTests(), Qt::LeftButton, {},
                      g->Chart1->GraphArea().center());
    EXPECT_EQ(s.w->Annotations().AnnotationCounter, 6);
    const auto& placed = g->Chart1->state().graphAnnotations;
    ASSERT_EQ(placed.size(), 7u);
    EXPECT_EQ(placed[4], st.graphAnnotations[4]);
    EXPECT_EQ(placed[5], st.graphAnnotations[5]);
    EXPECT_EQ(placed[6].type, sg::sgAnnotCross);
    g->ToolButton4->click();

    // A split graph keeps its split box ticked and its tools off.
    st.settings.axes[0].multiAxesProportions = 0.25;
    st.settings.axes[1].multiAxesSubsets = 1;
    writeGraphFile(st, path);
    QString leftInBox = QStringLiteral("?");
    s.answer({choose(OpenSaveChoice::SingleSet), [&](QDialog& d) {
                  // Open starts with an empty name, in the folder of the file opened last.
                  auto& fd = dynamic_cast<QFileDialog&>(d);
                  leftInBox = fd.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
                  EXPECT_EQ(fd.directory().absolutePath(), QDir(s.path(QString())).absolutePath());
                  return file(path)(d);
              }});
    s.open();
    EXPECT_EQ(leftInBox, "");
    g = s.currentAs<TfrmGraph>();
    EXPECT_TRUE(g->chkSplit->isChecked());
    EXPECT_FALSE(g->ToolButton5->isEnabled());
    EXPECT_FALSE(g->ToolButton9->isEnabled());
}

// What the table window shows of a file: the row numbers, three fields filling Date, Time and T1,
// eight fields cut to six, a line of 200 characters cut to 179 and the last row read.
TEST(FileCommands, TableFilesFillTheColumnsAsTheirFieldsSay)
{
    FileShell s;
    const QString path = s.path(QStringLiteral("t.csv"));
    const QByteArray longLine = "3/14/2024,10:00:02 AM," + QByteArray(178, '7');
    ASSERT_TRUE(writeAll(path, "3/14/2024,10:00:00 AM,21.5\r\n"
                               "3/14/2024,10:00:01 AM,1,2,3,4,5,6\r\n" +
                                   longLine + "\r\n3/14/2024,10:00:03 AM,9,9,9,9\r\n"));
    s.openFile(path);
    auto* list = s.currentAs<TfrmList>();
    ASSERT_NE(list, nullptr);
    // As large as a graph file's window, not a corner's minimum.
    EXPECT_EQ(s.current()->geometry(), QRect(0, 0, s.w->width(), s.w->MdiArea->height() - 40));
    const TableModel& t = list->Table();
    ASSERT_EQ(t.gridRowCount(), 4);
    EXPECT_EQ(t.cell(0, 3), "T1");
    EXPECT_EQ(t.cell(1, 0), "1");
    EXPECT_EQ(t.cell(1, 3), "21.5");
    EXPECT_EQ(t.cell(1, 4), "");
    EXPECT_EQ(t.cell(2, 6), "4");
    EXPECT_EQ(t.cell(3, 0), "3");
    EXPECT_EQ(t.cell(3, 1).size() + t.cell(3, 2).size() + t.cell(3, 3).size() + 2, 179);
    // The grid: a view over the table, 18-pixel rows.
    EXPECT_EQ(list->Grid1->model(), &t);
    EXPECT_EQ(list->Grid1->rowHeight(0), TfrmList::RowHeight);
    EXPECT_EQ(list->Grid1->model()->rowCount(), 3);
}

TEST(FileCommands, OutputToGraphOnlyFromATableWithData)
{
    FileShell s;
    // A graph window active: nothing at all.
    s.graphOf(filefixtures::recordedChart(10, 10));
    const int before = s.windows();
    s.w->btnOutputToGraphClick();
    EXPECT_EQ(s.windows(), before);

    TfrmList* empty = s.w->Files().CreateTableWindow(QStringLiteral("empty"));
    ASSERT_EQ(s.currentAs<TfrmList>(), empty);
    // The tool button follows the active child: on for a table window, off for a graph window.
    EXPECT_TRUE(s.w->btnOutputToGraph->isEnabled());
    s.w->MdiArea->setActiveSubWindow(GraphWindows::SubWindowOf(*s.w->RealTimeWindow));
    EXPECT_FALSE(s.w->btnOutputToGraph->isEnabled());
    s.w->MdiArea->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(empty->parentWidget()));
    EXPECT_TRUE(s.w->btnOutputToGraph->isEnabled());
    s.w->btnOutputToGraph->click();
    EXPECT_EQ(s.answers.asked, QStringList{"No data to graph !"});
    EXPECT_EQ(s.windows(), before + 1);

    // A last row whose date does not convert: the message and an empty graph window.
    const QString path = s.path(QStringLiteral("dates.txt"));
    ASSERT_TRUE(writeAll(path, "3/14/2024\t10:00:00 AM\t1\t2\t3\t4\r\n"
                               "14.03.2024\t10:00:01\t1\t2\t3\t4\r\n"));
    s.openFile(path);
    s.answers.asked.clear();
    s.w->btnOutputToGraphClick();
    ASSERT_EQ(s.answers.asked.size(), 1);
    EXPECT_TRUE(s.answers.asked[0].contains(QStringLiteral("14.03.2024 10:00:01")));
    const QList<TfrmGraph*> made = graphsCalled(s, path);
    ASSERT_EQ(made.size(), 1);
    EXPECT_TRUE(made.front()->isVisible());
    EXPECT_EQ(made.front()->Chart1->XDataII(0, 0), 0.0);
}

// "Output Tabular to graph" lets events run after every row. The table window closed meanwhile
// leaves the graph to be finished from the rows it had; the program closed meanwhile ends it.
TEST(FileCommands, ClosingTheTableOrTheProgramWhileItIsGraphed)
{
    FileShell s;
    const QString path = s.path(QStringLiteral("rows.txt"));
    QByteArray bytes;
    for (int i = 0; i < 3000; ++i)
        bytes += "3/14/2024\t" + QTime(10, 0).addSecs(i).toString("h:mm:ss AP").toLatin1() +
                 "\t1\t2\t3\t4\r\n";
    ASSERT_TRUE(writeAll(path, bytes));
    s.openFile(path);
    ASSERT_NE(s.currentAs<TfrmList>(), nullptr);
    atFirstLine([&] {
        for (QMdiSubWindow* sub : s.w->MdiArea->subWindowList())
            if (qobject_cast<TfrmList*>(sub->widget()))
                sub->close();
    });
    s.w->btnOutputToGraphClick();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const QList<TfrmGraph*> made = graphsCalled(s, path);
    ASSERT_EQ(made.size(), 1);
    const Chart& chart = *made.front()->Chart1;
    ASSERT_EQ(chart.Points(), 3000);
    EXPECT_NE(chart.XDataII(3, 2999), 0.0);
    EXPECT_EQ(chart.YData(3, 2999), 4.0f);

    s.openFile(path);
    atFirstLine([&] { s.w->close(); });
    s.w->btnOutputToGraphClick();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(s.windows(), 0);
    EXPECT_EQ(progressWindow(QStringLiteral("Graphing Progress")), nullptr);
}

// Cancel in the progress window: the lines written before it remain, and the save has not
// happened.
TEST(FileCommands, CancelDuringAnExportKeepsWhatWasWrittenAndIsNoSave)
{
    FileShell s;
    s.graphOf(filefixtures::recordedChart(3000, 3000));
    const QString path = s.path(QStringLiteral("c.csv"));
    QString caption, text;
    int bar = -1;
    s.answer({file(path), [&](QDialog& d) {
                  atFirstLine([&] {
                      TfrmScope* p = progressWindow(QStringLiteral("Saving Progress"));
                      ASSERT_NE(p, nullptr);
                      caption = p->windowTitle();
                      text = p->SText1->text();
                      bar = p->Progress1->maximum();
                      p->BitBtn2->click();
                  });
                  return all()(d);
              }});
    QMdiSubWindow* sub = s.current();
    EXPECT_FALSE(s.w->Files().Save(sub));
    EXPECT_EQ(caption, "Saving Progress");
    EXPECT_EQ(text, "saving.....");
    EXPECT_EQ(bar, 3000);
    EXPECT_EQ(linesOf(readAll(path)).size(), 1);
    EXPECT_EQ(progressWindow(QStringLiteral("Saving Progress")), nullptr);
}

TEST(FileCommands, CancelDuringAnOpeningKeepsTheRowsRead)
{
    FileShell s;
    const QString path = s.path(QStringLiteral("big.txt"));
    QByteArray bytes;
    for (int i = 0; i < 2000; ++i)
        bytes += "3/14/2024\t10:00:00 AM\t1\t2\t3\t4\r\n";
    ASSERT_TRUE(writeAll(path, bytes));
    QString counter;
    s.answer({choose(OpenSaveChoice::SingleSet), [&](QDialog& d) {
                  atFirstLine([&] {
                      TfrmScope* p = progressWindow(QStringLiteral("Open Progress"));
                      ASSERT_NE(p, nullptr);
                      counter = p->SText1->text();
                      EXPECT_FALSE(p->Progress1->isVisible());
                      p->BitBtn2->click();
                  });
                  return file(path)(d);
              }});
    s.open();
    EXPECT_EQ(counter, "1");
    auto* list = s.currentAs<TfrmList>();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->Table().gridRowCount(), 2);
}

// While a loop runs, the main window's commands are reachable: they are refused and the loop
// goes on undisturbed. A table window closed during its own reading is no harm.
TEST(FileCommands, ASecondCommandDuringALoopIsRefused)
{
    FileShell s;
    TfrmGraph* g = s.graphOf(filefixtures::recordedChart(2000, 2000));
    const QString path = s.path(QStringLiteral("x.txt"));
    s.answer({file(path), [&](QDialog& d) {
                  atFirstLine([&] {
                      EXPECT_TRUE(s.w->Files().Busy());
                      s.w->Save1->trigger();
                      s.w->Open1->trigger();
                      s.w->btnOutputToGraphClick();
                      EXPECT_FALSE(s.w->SaveGraph(*g->Chart1));
                  });
                  return all()(d);
              }});
    s.save();
    EXPECT_EQ(s.shown, (QStringList{"SaveDialog1", "frmScope"}));
    EXPECT_EQ(linesOf(readAll(path)).size(), 2000);
    EXPECT_FALSE(s.w->Files().Busy());

    QByteArray bytes;
    for (int i = 0; i < 2000; ++i)
        bytes += "3/14/2024\t10:00:00 AM\t1\t2\t3\t4\r\n";
    ASSERT_TRUE(writeAll(path, bytes));
    const int before = s.windows();
    s.answer({choose(OpenSaveChoice::SingleSet), [&](QDialog& d) {
                  atFirstLine([&] {
                      if (s.currentAs<TfrmList>())
                          s.current()->close();
                  });
                  return file(path)(d);
              }});
    s.open();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(s.windows(), before);
    EXPECT_EQ(progressWindow(QStringLiteral("Open Progress")), nullptr);
}

// The dialogs start in the user's documents folder the first time, then where the user last
// chose a file; that folder is in the settings at once (a program killed later keeps it), and a
// folder that has gone since gives the documents folder again.
TEST(FileCommands, DialogsStartWhereTheUserLastChoseAFile)
{
    FileShell s;
    const QString docs = s.path(QStringLiteral("My Documents"));
    const QString elsewhere = s.path(QStringLiteral("runs/march"));
    ASSERT_TRUE(QDir().mkpath(docs) && QDir().mkpath(elsewhere));
    ASSERT_TRUE(writeAll(s.settings.path() + QStringLiteral("/user-dirs.dirs"),
                         "XDG_DOCUMENTS_DIR=\"" + docs.toUtf8() + "\"\n"));
    const QString graph = elsewhere + QStringLiteral("/g.ghf");
    writeGraphFile(filefixtures::recordedChart(5, 5), graph);

    QStringList startedIn;
    const auto folderThen = [&](Reply then) {
        return [&startedIn, then](QDialog& d) {
            startedIn << QDir(dynamic_cast<QFileDialog&>(d).directory()).absolutePath();
            return then(d);
        };
    };
    s.answer({choose(OpenSaveChoice::SingleSet), folderThen(file(graph))});
    s.open();
    ASSERT_NE(s.currentAs<TfrmGraph>(), nullptr);
    s.answer({folderThen(cancel())});
    s.save();
    ASSERT_EQ(startedIn.size(), 2);
    EXPECT_EQ(startedIn[0], QDir(docs).absolutePath());
    EXPECT_EQ(startedIn[1], QDir(elsewhere).absolutePath());
    const QSettings stored(QSettings::NativeFormat, QSettings::UserScope, "KOLVA", "KOLVA");
    EXPECT_EQ(QDir(stored.value("LastFolder").toString()).absolutePath(),
              QDir(elsewhere).absolutePath());

    ASSERT_TRUE(QDir(s.path(QStringLiteral("runs"))).removeRecursively());
    s.answer({choose(OpenSaveChoice::SingleSet), folderThen(cancel())});
    s.open();
    ASSERT_EQ(startedIn.size(), 3);
    EXPECT_EQ(startedIn[2], QDir(docs).absolutePath());
}

// SPDX-License-Identifier: GPL-3.0-or-later
// What goes wrong with files, through the main window's commands: bad text, CSV and graph files
// give their outcome or a clear message and leave the open windows alone; a save that fails is
// told with the file's name and never looks like a good one (the window stays, its mark stays);
// the real-time graph's questions save for real, and a completed save ends the recording's
// journal.

#include "FileShell.h"
#include "files/FileFixtures.h"
#include "support/FileSizeLimit.h"

#include "base/DateTime.h"
#include "app/RecorderWiring.h"
#include "files/TableModel.h"
#include "graph/GraphFile.h"
#include "graph/USetupRealtime.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QToolButton>

#include <tuple>

using namespace fileshell;
using filefixtures::readAll;
using filefixtures::writeAll;

namespace {

QString fieldsLine(int fields)
{
    QStringList f;
    for (int i = 0; i < fields; ++i)
        f << QString::number(i);
    return f.join(QLatin1Char(','));
}

// The open windows with their captions and what their charts and tables hold.
QStringList openWindows(const FileShell& s)
{
    QStringList out;
    for (QMdiSubWindow* sub : s.w->MdiArea->subWindowList()) {
        QString text = sub->widget()->windowTitle();
        if (auto* g = qobject_cast<TfrmGraph*>(sub->widget()))
            text += QStringLiteral(" %1x%2").arg(g->Chart1->Subsets()).arg(g->Chart1->Points());
        if (auto* l = qobject_cast<TfrmList*>(sub->widget()))
            text += QStringLiteral(" %1 rows").arg(l->Table().gridRowCount());
        out << text;
    }
    return out;
}

// The bytes this process has read from files so far (Linux).
qint64 bytesReadSoFar()
{
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : io.readAll().split('\n'))
        if (line.startsWith("rchar:"))
            return line.mid(6).trimmed().toLongLong();
    return -1;
}

} // namespace

// Each bad table file opens a table window with what can be read of it, and nothing breaks.
TEST(FileFailures, BadTableFilesOpenAsFarAsTheyRead)
{
    FileShell s;
    s.graphOf(filefixtures::recordedChart(40, 40), QStringLiteral("kept"));
    const QStringList before = openWindows(s);
    QByteArray binary(4096, '\0');
    for (int i = 0; i < binary.size(); ++i)
        binary[i] = char((i * 131) ^ (i >> 3));
    const QByteArray latin1 = "3/14/2024,10:00:00 AM,\xB0""C,21.5\r\n";
    const struct {
        const char* name;
        QByteArray bytes;
        int rows;   // data rows in the window (an empty table has one empty row); -1 any
    } files[] = {
        {"empty.csv", QByteArray(), 1},
        {"binary.csv", binary, -1},
        {"latin1.csv", latin1, 1},
        {"long.csv", QByteArray(10000, 'x') + ",1\r\n" + QByteArray(10000, '5') + "\r\n", 1},
        {"noseparator.txt", "3/14/2024 10:00:00 AM 21.5\r\n3/14/2024\t1\r\n", 1},
        {"onefield.csv", fieldsLine(1).toUtf8() + "\r\n", 1},
        {"eightfields.csv", (fieldsLine(8) + "\r\n" + fieldsLine(8)).toUtf8(), 2},
        {"baddates.csv", "yesterday,noon,1,2,3,4\r\n", 1},
    };
    for (const auto& f : files) {
        const QString path = s.path(QString::fromLatin1(f.name));
        ASSERT_TRUE(writeAll(path, f.bytes));
        s.openFile(path);
        auto* list = s.currentAs<TfrmList>();
        ASSERT_NE(list, nullptr) << f.name;
        EXPECT_EQ(list->windowTitle(), path);
        if (f.rows >= 0) {
            EXPECT_EQ(list->Table().gridRowCount(), f.rows + 1) << f.name;
        }
        EXPECT_TRUE(s.answers.asked.isEmpty()) << f.name;
        // Turned into a graph: the message of the kind of file, never a crash.
        s.w->btnOutputToGraphClick();
        s.answers.asked.clear();
        list->parentWidget()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        while (s.windows() > before.size()) {   // the graph windows made from bad tables
            s.w->MdiArea->subWindowList().back()->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }
    EXPECT_EQ(openWindows(s), before);
    // The Latin-1 byte is read as the degree sign; the eight fields fill six columns.
    s.openFile(s.path(QStringLiteral("latin1.csv")));
    EXPECT_EQ(s.currentAs<TfrmList>()->Table().cell(1, 3), QStringLiteral("\u00B0C"));
    s.openFile(s.path(QStringLiteral("eightfields.csv")));
    EXPECT_EQ(s.currentAs<TfrmList>()->Table().cell(2, 6), "5");
}

TEST(FileFailures, TableFilesThatCannotBeReadAreToldAndOpenNothing)
{
    FileShell s;
    const int before = s.windows();
    const QString missing = s.path(QStringLiteral("gone.txt"));
    s.openFile(missing);
    ASSERT_EQ(s.answers.asked.size(), 1);
    EXPECT_TRUE(s.answers.asked[0].contains(QDir::toNativeSeparators(missing)));
    EXPECT_EQ(s.windows(), before);

    // An extension the command does not open.
    s.answers.asked.clear();
    ASSERT_TRUE(writeAll(s.path(QStringLiteral("notes.doc")), "x"));
    s.openFile(s.path(QStringLiteral("notes.doc")));
    ASSERT_EQ(s.answers.asked.size(), 1);
    EXPECT_TRUE(s.answers.asked[0].contains(QStringLiteral("notes.doc")));
    EXPECT_EQ(s.windows(), before);
}

// A bad graph file: the error box with the file's name and reason, and no window.
TEST(FileFailures, BadGraphFilesGiveTheErrorBoxAndNoWindow)
{
    FileShell s;
    const int before = s.windows();
    QByteArray good;
    {
        const QString path = s.path(QStringLiteral("good.ghf"));
        writeGraphFile(filefixtures::recordedChart(20, 20), path);
        good = readAll(path);
    }
    QByteArray flipped = good;
    flipped[flipped.size() / 2] = char(flipped[flipped.size() / 2] ^ 0x55);
    const QList<QByteArray> bad = {QByteArray("abc"), good.left(good.size() - 10),
                                   QByteArray("\x10\x00\x00\x00", 4) + QByteArray(16, 'z'),
                                   flipped, QByteArray(4, '\xFF')};
    for (int i = 0; i < bad.size(); ++i) {
        const QString path = s.path(QStringLiteral("bad%1.ghf").arg(i));
        ASSERT_TRUE(writeAll(path, bad[i]));
        s.answers.errors.clear();
        s.openFile(path);
        ASSERT_EQ(s.answers.errors.size(), 1) << i;
        EXPECT_TRUE(s.answers.errors[0].contains(QDir::toNativeSeparators(path))) << i;
        EXPECT_EQ(s.windows(), before) << i;
    }
    EXPECT_FALSE(s.w->Files().Busy());

    // Large files named .ghf (sparse, so that they take no disk): one that is no graph, and one
    // that starts as a graph but claims more than a chart can hold. Both are refused from their
    // first bytes, without being read into memory.
    QByteArray claim("KOLVACHT", 8);
    for (const quint32 v : {ChartImageVersion, quint32(MaxChartImageBytes + 1000 - 20), 0u})
        claim.append(reinterpret_cast<const char*>(&v), 4);
    const QList<std::pair<QByteArray, QString>> large = {
        {QByteArray(16, 'x'), QStringLiteral("not a graph")},
        {claim, QStringLiteral("larger than any chart")}};
    for (const auto& [head, says] : large) {
        const qint64 size = head == claim ? MaxChartImageBytes + 1004 : 600'000'000;
        const QString path = s.path(QStringLiteral("large.ghf"));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        const quint32 n = quint32(size - 4);
        f.write(reinterpret_cast<const char*>(&n), 4);
        f.write(head);
        ASSERT_TRUE(f.resize(size));
        f.close();
        const qint64 readBefore = bytesReadSoFar();
        s.answers.errors.clear();
        s.openFile(path);
        const qint64 read = bytesReadSoFar() - readBefore;
        ASSERT_EQ(s.answers.errors.size(), 1);
        EXPECT_TRUE(s.answers.errors[0].contains(says)) << s.answers.errors[0].toStdString();
        EXPECT_LT(read, 10'000'000) << "bytes read";
        ASSERT_TRUE(QFile::remove(path));
    }
}

// Saves that fail are told with the name and the reason, and return "not saved".
TEST(FileFailures, FailedSavesAreToldAndAreNoSave)
{
    FileShell s;
    TfrmGraph* g = s.graphOf(filefixtures::recordedChart(30, 30));
    QDir().mkpath(s.path(QStringLiteral("folder.txt")));
    const QString intoFolder = s.path(QStringLiteral("folder.txt"));
    s.answer({file(intoFolder), all()});
    EXPECT_FALSE(s.w->SaveGraph(*g->Chart1));
    ASSERT_EQ(s.answers.asked.size(), 1);
    EXPECT_TRUE(s.answers.asked[0].contains(QDir::toNativeSeparators(intoFolder)));

    const QString nowhere = s.path(QStringLiteral("none/x.ghf"));
    s.answer({file(nowhere)});
    EXPECT_FALSE(s.w->SaveGraph(*g->Chart1));
    ASSERT_EQ(s.answers.errors.size(), 1);
    EXPECT_TRUE(s.answers.errors[0].contains(QDir::toNativeSeparators(nowhere)));

    // A table whose file cannot be made.
    s.answers.asked.clear();
    s.w->Files().CreateTableWindow(QStringLiteral("t"));
    const QString tableNowhere = s.path(QStringLiteral("none/t.csv"));
    s.answer({file(tableNowhere), all()});
    EXPECT_FALSE(s.w->Files().Save(s.current()));
    ASSERT_EQ(s.answers.asked.size(), 1);
    EXPECT_TRUE(s.answers.asked[0].contains(QDir::toNativeSeparators(tableNowhere)));
    // A text export that fails on the way (the disk fills up) leaves the file it was to replace
    // whole.
    const QString kept = s.path(QStringLiteral("kept.txt"));
    ASSERT_TRUE(writeAll(kept, "the old export\r\n"));
    s.answers.asked.clear();
    s.answer({file(kept), all()});
    bool exported = true;
    {
        const FileSizeLimit disk(300);
        exported = s.w->SaveGraph(*g->Chart1);
    }
    EXPECT_FALSE(exported);
    EXPECT_EQ(readAll(kept), "the old export\r\n");
    ASSERT_EQ(s.answers.asked.size(), 1);
    EXPECT_TRUE(s.answers.asked[0].contains(QDir::toNativeSeparators(kept)));
    EXPECT_EQ(QDir(s.path(QString())).entryList({"kept.txt*"}, QDir::Files),
              QStringList{"kept.txt"});
    // A graph file written over an existing one that fails leaves the old one whole.
    const QString old = s.path(QStringLiteral("old.ghf"));
    ASSERT_TRUE(writeAll(old, "the old graph"));
    QFile::setPermissions(s.path(QString()), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    s.answer({file(old)});
    const bool saved = s.w->SaveGraph(*g->Chart1);
    QFile::setPermissions(s.path(QString()), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                 QFileDevice::ExeOwner);
    if (::geteuid() != 0) {   // root writes anywhere
        EXPECT_FALSE(saved);
        EXPECT_EQ(readAll(old), "the old graph");
    }
}

namespace {

// The main window with a meter that answers, a recorder whose set-up dialog asks for count
// samples, and a finished recording of three samples.
struct Recorded : FileShell {
    Recorded()
    {
        w->RealTime().SetDialogRunner([](QDialog& d) {
            auto& dialog = dynamic_cast<TfrmSetupRealTime&>(d);
            dialog.SetCountText(QStringLiteral("3"));
            return int(QDialog::Accepted);
        });
        w->Link().State().Connected = true;
        w->MeterConnected(QStringLiteral("/dev/ttyUSB0"));
        w->Run1->trigger();
        const double t = DateTime::now();
        for (int i = 0; i < 3; ++i)
            w->RealTime().SampleDue(t + i * DateTime::OneSecond);
        EXPECT_FALSE(w->Recorder().RealTimeRecording);
        EXPECT_TRUE(w->Unsaved().RealTimeUnsaved);
    }
    TfrmGraph& rt() const { return *w->RealTimeWindow; }
    QStringList journals() const
    {
        return QDir(data.path(QStringLiteral("journal"))).entryList({"*.csv"}, QDir::Files);
    }
};

} // namespace

// "Save Real-Time Graph ?" answered Yes: a failed save keeps the window, its mark and the
// journal; a good one writes the file, and the journal goes with the window.
TEST(FileFailures, TheRealTimeWindowStaysWhenItsSaveFails)
{
    Recorded s;
    ASSERT_EQ(s.journals().size(), 1);
    s.answers.choices = {Answer::Yes};
    s.answer({file(s.path(QStringLiteral("none/rt.ghf")))});
    GraphWindows::SubWindowOf(s.rt())->close();
    EXPECT_TRUE(s.w->RealTimeWindow);
    EXPECT_TRUE(s.w->Unsaved().RealTimeUnsaved);
    EXPECT_EQ(s.answers.errors.size(), 1);
    EXPECT_EQ(s.journals().size(), 1);

    // Cancel in the save dialog: not saved either.
    s.answers.choices = {Answer::Yes};
    s.answer({cancel()});
    GraphWindows::SubWindowOf(s.rt())->close();
    EXPECT_TRUE(s.w->RealTimeWindow);
    EXPECT_EQ(s.journals().size(), 1);

    const QString path = s.path(QStringLiteral("rt.csv"));
    s.answers.choices = {Answer::Yes};
    s.answer({file(path), all()});
    GraphWindows::SubWindowOf(s.rt())->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(s.w->RealTimeWindow.isNull());
    EXPECT_FALSE(s.w->Unsaved().RealTimeUnsaved);
    EXPECT_EQ(readAll(path).count('\n'), 3);
    EXPECT_TRUE(s.journals().isEmpty());
}

// The real-time questions save for real: Clear answered Yes writes the graph file first.
TEST(FileFailures, TheRealTimeClearQuestionSavesForReal)
{
    Recorded s;
    s.answers.questionAnswer = true;
    const QString path = s.path(QStringLiteral("cleared.ghf"));
    s.answer({file(path)});
    s.rt().tbntClr->click();
    ChartState back;
    readGraphFile(back, path);
    EXPECT_NE(back.data.x(0, 2), 0.0);
    EXPECT_EQ(s.rt().Chart1->XDataII(0, 0), 0.0);   // cleared after the save
    EXPECT_TRUE(s.journals().isEmpty());
}

// File, Save of the real-time window after the recording: the samples are safe in the file and
// the journal goes; a cancelled save or an export of part of the points keeps it.
TEST(FileFailures, ACompletedSaveOfTheRealTimeChartEndsItsJournal)
{
    Recorded s;
    s.w->MdiArea->setActiveSubWindow(GraphWindows::SubWindowOf(s.rt()));
    s.answer({cancel()});
    s.save();
    EXPECT_EQ(s.journals().size(), 1);
    const QString path = s.path(QStringLiteral("kept.txt"));
    s.answer({file(path), [&](QDialog& d) {
                  atFirstLine([] {
                      if (TfrmScope* p = progressWindow(QStringLiteral("Saving Progress")))
                          p->BitBtn2->click();
                  });
                  return all()(d);
              }});
    s.save();
    EXPECT_EQ(s.journals().size(), 1);   // cancelled after its first line: no save
    // Points 1 to 2 of 3, or an empty range past the end: the file is written, but the recording
    // is not saved. Its journal stays, and so does its mark: the closing question's Yes with such
    // an export keeps the window.
    for (const auto& [from, to, lines] : {std::tuple{"1", "2", 2}, std::tuple{"5", "9", 0}}) {
        s.answer({file(path), range(from, to)});
        s.save();
        EXPECT_EQ(readAll(path).count('\n'), lines);
        EXPECT_EQ(s.journals().size(), 1) << from;
    }
    s.answers.choices = {Answer::Yes};
    s.answer({file(path), range("1", "2")});
    GraphWindows::SubWindowOf(s.rt())->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(s.w->RealTimeWindow);
    EXPECT_TRUE(s.w->Unsaved().RealTimeUnsaved);
    EXPECT_EQ(s.journals().size(), 1);
    s.answer({file(path), all()});
    s.save();
    EXPECT_EQ(readAll(path).count('\n'), 3);
    EXPECT_TRUE(s.journals().isEmpty());
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Reading text and CSV files into a table: the field splitting, where reading stops, Cancel,
// text decoding, and input that is not a table at all.
#include "FileFixtures.h"
#include "TempFolder.h"
#include "files/TableReader.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QElapsedTimer>

#include <random>

using namespace filefixtures;

namespace {

TextFileResult readBytes(const QByteArray& bytes, TableModel& t, QChar sep = QLatin1Char(','),
                         const LineProgress& progress = {})
{
    QByteArray copy = bytes;
    QBuffer buf(&copy);
    buf.open(QIODevice::ReadOnly);
    return readTable(buf, sep, t, progress);
}

QStringList row(const TableModel& t, int r)
{
    QStringList cells;
    for (int c = 0; c < TableModel::Columns; ++c)
        cells.append(t.cell(r, c));
    return cells;
}

QStringList cells(std::initializer_list<const char*> texts)
{
    QStringList out;
    for (const char* t : texts)
        out.append(QString::fromUtf8(t));
    return out;
}

} // namespace

TEST(TableReader, FieldsGoIntoColumnsOneToSixWithTheRowNumberInFront)
{
    TableModel t;
    const TextFileResult r = readBytes("3/14/2012,10:05:30,23.5,OL,-12.0,1000.0\r\n"   // graph line
                                       "3/14/2012,10:05:31,1,2,3,4,\r\n"               // table line
                                       "d,t,v\r\n"                                     // three fields
                                       "a,b,c,d,e,f,g,h\r\n"                           // eight
                                       ",,\r\n",
                                       t);
    EXPECT_EQ(r.lines, 5);
    ASSERT_EQ(t.gridRowCount(), 6);
    EXPECT_EQ(row(t, 0), cells({"No", "Date", "Time", "T1", "T2", "T3", "T4"}));
    EXPECT_EQ(row(t, 1), cells({"1", "3/14/2012", "10:05:30", "23.5", "OL", "-12.0", "1000.0"}));
    EXPECT_EQ(row(t, 2), cells({"2", "3/14/2012", "10:05:31", "1", "2", "3", "4"}));
    EXPECT_EQ(row(t, 3), cells({"3", "d", "t", "v", "", "", ""}));
    EXPECT_EQ(row(t, 4), cells({"4", "a", "b", "c", "d", "e", "f"}));
    EXPECT_EQ(row(t, 5), cells({"5", "", "", "", "", "", ""}));
}

TEST(TableReader, ReadingEndsAtALineWithoutSeparator)
{
    TableModel t;
    EXPECT_EQ(readBytes("a\tb\r\n\r\nc\td\r\n", t, QLatin1Char('\t')).lines, 1);   // empty line
    EXPECT_EQ(readBytes("a,b\nno separator here\nc,d\n", t).lines, 1);
    EXPECT_EQ(readBytes("a\tb\n", t).lines, 0);   // tabs in a CSV file are no separators
    EXPECT_EQ(t.gridRowCount(), 2);                // the one empty data row stays
    EXPECT_EQ(t.cell(1, 1), QString());
    // Line ends of every kind; the last line may lack its own.
    EXPECT_EQ(readBytes("a,b\r\nc,d\ne,f\rg,h", t).lines, 4);
    EXPECT_EQ(t.cell(4, 2), "h");
    EXPECT_EQ(readBytes("", t).lines, 0);
}

TEST(TableReader, ALongLineGivesItsFirst179CharactersAndEndsTheReading)
{
    TableModel t;
    QByteArray line = "3/14/2012,10:05:30,";
    line += QByteArray(200 - line.size(), '7');
    ASSERT_EQ(line.size(), 200);
    EXPECT_EQ(readBytes(line + "\r\n1,2\r\n", t).lines, 1);
    EXPECT_EQ(t.cell(1, 3).size(), 179 - 19);
    // Exactly 179 characters is a normal line.
    EXPECT_EQ(readBytes(line.left(179) + "\r\n1,2\r\n", t).lines, 2);
    // Characters, not bytes: 179 two-byte letters fit.
    const QByteArray wide = "x," + QString(177, QChar(0xE9)).toUtf8();
    EXPECT_EQ(readBytes(wide + "\n1,2\n", t).lines, 2);
    EXPECT_EQ(t.cell(1, 2), QString(177, QChar(0xE9)));
    // A separator only after character 179 does not count.
    EXPECT_EQ(readBytes(QByteArray(179, 'x') + ",y\n", t).lines, 0);
    // 10,000 characters, without a line end and with one.
    EXPECT_EQ(readBytes(QByteArray(10000, ','), t).lines, 1);
    EXPECT_EQ(readBytes("a,b\n" + QByteArray(10000, 'a') + ",b\nc,d\n", t).lines, 1);
}

TEST(TableReader, CancelStopsAfterTheRowDuringWhichItWasPressed)
{
    TableModel t;
    QByteArray bytes;
    for (int i = 0; i < 100; ++i)
        bytes += "d,t,1,2,3,4\r\n";
    std::vector<int> counts;
    const TextFileResult r = readBytes(bytes, t, QLatin1Char(','), [&](int n) {
        counts.push_back(n);
        return n == 42;
    });
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(r.lines, 42);
    EXPECT_EQ(t.gridRowCount(), 43);
    EXPECT_EQ(t.cell(42, 0), "42");
    ASSERT_EQ(counts.size(), 42u);
    EXPECT_EQ(counts[9], 10);
}

TEST(TableReader, Utf8WithLatin1ForOtherBytes)
{
    EXPECT_EQ(decodeText("23.5 \xc2\xb0" "C"), QStringLiteral("23.5 \u00b0C"));   // UTF-8
    EXPECT_EQ(decodeText("23.5 \xb0" "C"), QStringLiteral("23.5 \u00b0C"));       // Latin-1
    EXPECT_EQ(decodeText("\xe2\x82\xac \xf0\x9f\x8c\xa1"), QStringLiteral("\u20ac \U0001F321"));
    // Overlong forms, surrogates and cut sequences are not UTF-8: byte by byte.
    EXPECT_EQ(decodeText("\xc0\xaf"), QStringLiteral("\u00c0\u00af"));
    EXPECT_EQ(decodeText("\xed\xa0\x80"), QStringLiteral("\u00ed\u00a0\u0080"));
    EXPECT_EQ(decodeText("a\xe2\x82"), QStringLiteral("a\u00e2\u0082"));

    TableModel t;
    EXPECT_EQ(readBytes("\xef\xbb\xbf" "M\xfcller,T\xc3\xbcr\n", t).lines, 1);   // BOM skipped
    EXPECT_EQ(t.cell(1, 1), QStringLiteral("M\u00fcller"));
    EXPECT_EQ(t.cell(1, 2), QStringLiteral("T\u00fcr"));
}

TEST(TableReader, BinaryFilesGiveWhatTheirBytesSayAndNothingBreaks)
{
    TableModel t;
    // A picture: its first "line" holds no comma, so nothing is read.
    EXPECT_EQ(readBytes(QByteArray::fromHex("89504e470d0a1a0a0000000d49484452"), t).lines, 0);
    // Zeros and control bytes around commas are cells like any other.
    const QByteArray bytes("\x00\x01,\x02\x00\x7f,\xff\xfe\n", 10);
    EXPECT_EQ(readBytes(bytes, t).lines, 1);
    EXPECT_EQ(t.cell(1, 1), QString::fromLatin1("\x00\x01", 2));
    EXPECT_EQ(t.cell(1, 3), QStringLiteral("\u00ff\u00fe"));
    // UTF-16 is not read as such: its bytes become Latin-1 characters, NULs included, and the
    // NUL between its CR and LF is a line without separator.
    const QByteArray utf16 = QByteArray("\xff\xfe", 2) +
                             QByteArray(reinterpret_cast<const char*>(u"a,b\r\n"), 10);
    EXPECT_EQ(readBytes(utf16, t).lines, 1);
    EXPECT_EQ(t.cell(1, 1), QString::fromLatin1("\xff\xfe" "a\x00", 4));
}

TEST(TableReader, FilesThatCannotBeOpenedAreNamedAndCsvOrTextByExtension)
{
    TempDataFolder tmp;
    TableModel t;
    const TextFileResult missing = readTableFile(tmp.path("none.csv"), t);
    EXPECT_EQ(missing.status, TextFileStatus::CannotOpen);
    EXPECT_TRUE(textFileStatusText(missing).contains(QStringLiteral("none.csv")));
    ASSERT_TRUE(writeAll(tmp.path("a.CSV"), "1,2\n"));
    EXPECT_EQ(readTableFile(tmp.path("a.CSV"), t).lines, 1);
    ASSERT_TRUE(writeAll(tmp.path("a.txt"), "1,2\n"));
    EXPECT_EQ(readTableFile(tmp.path("a.txt"), t).lines, 0);
}

// Random bytes, random text-like lines and mutations of good files, for a few seconds: never a
// crash, never a row that breaks the reader's promises.
TEST(TableReader, FuzzNeverBreaksItsPromises)
{
    std::mt19937 rng(20261209);
    std::uniform_int_distribution<int> byte(0, 255), len(0, 3000), kind(0, 3);
    const QByteArray alphabet = "0123456789.,:/ \t\r\nOL-aZ\xc3\xa9\xff";
    std::uniform_int_distribution<int> pick(0, int(alphabet.size()) - 1);
    QByteArray good;
    for (int i = 0; i < 30; ++i)
        good += "3/14/2012,10:05:30,23.5,OL,-12.0,1000.0\r\n";
    QElapsedTimer clock;
    clock.start();
    int runs = 0;
    while (clock.elapsed() < 3000) {
        QByteArray in;
        const int k = kind(rng);
        const int n = len(rng);
        if (k == 0) {
            for (int i = 0; i < n; ++i)
                in += char(byte(rng));
        } else if (k == 1) {
            for (int i = 0; i < n; ++i)
                in += alphabet[pick(rng)];
        } else {
            in = good;
            for (int i = 0; i < 1 + n % 8; ++i)
                in[std::uniform_int_distribution<int>(0, int(in.size()) - 1)(rng)] = char(byte(rng));
        }
        TableModel t;
        const TextFileResult r = readBytes(in, t, k == 3 ? QLatin1Char('\t') : QLatin1Char(','));
        ASSERT_EQ(t.gridRowCount(), std::max(r.lines, 1) + 1);
        for (int row = 1; row <= r.lines; ++row) {
            ASSERT_EQ(t.cell(row, 0), QString::number(row));
            qsizetype total = 0;
            for (int c = 1; c < TableModel::Columns; ++c)
                total += t.cellView(row, c).size();
            ASSERT_LE(total, MaxLineLength);
        }
        ++runs;
    }
    EXPECT_GT(runs, 100);
}

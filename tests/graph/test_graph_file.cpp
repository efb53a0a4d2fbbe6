// SPDX-License-Identifier: GPL-3.0-or-later
// The graph file: its byte layout, replacing files safely, and refusing short, damaged or
// foreign files with the file's name and a reason while the chart stays as it was.
#include "StateFixtures.h"
#include "TempFolder.h"
#include "graph/GraphFile.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

#include <random>

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray lengthField(std::uint32_t n)
{
    QByteArray b(4, 0);
    for (int i = 0; i < 4; ++i)
        b[i] = static_cast<char>((n >> (8 * i)) & 0xFF);
    return b;
}

// Reads name into a state that starts as a known chart; returns the error text, "" on success.
std::string readInto(ChartState& st, const QString& name)
{
    try {
        readGraphFile(st, name);
    } catch (const ChartFileError& e) {
        return e.what();
    }
    return {};
}

} // namespace

TEST(GraphFile, LengthLowByteFirstThenTheBlock)
{
    TempDataFolder tmp;
    const QString name = tmp.path(QStringLiteral("block.ghf"));
    const QByteArray block(1000, '\x5A');
    writeGraphBlock(name, block);
    const QByteArray file = readAll(name);
    ASSERT_EQ(file.size(), 1004);
    EXPECT_EQ(file.left(4), QByteArray::fromHex("E8030000"));
    EXPECT_EQ(file.mid(4), block);
    EXPECT_EQ(readGraphBlock(name), block);
}

TEST(GraphFile, WritingOverALongerFileLeavesExactlyTheNewOne)
{
    TempDataFolder tmp;
    const QString name = tmp.path(QStringLiteral("g.ghf"));
    writeAll(name, QByteArray(50000, 'q'));
    const ChartState st = richState();
    writeGraphFile(st, name);
    const QByteArray image = encodeChartImage(st);
    EXPECT_EQ(readAll(name).size(), 4 + image.size());
    ChartState back;
    readGraphFile(back, name);
    EXPECT_TRUE(back == st);
}

TEST(GraphFile, AFailedWriteKeepsTheExistingFileAndNamesIt)
{
    TempDataFolder tmp;
    const QString missing = tmp.path(QStringLiteral("no-such-folder/g.ghf"));
    try {
        writeGraphFile(richState(), missing);
        FAIL() << "writing into a missing folder succeeded";
    } catch (const ChartFileError& e) {
        EXPECT_NE(QString::fromUtf8(e.what()).indexOf(QStringLiteral("no-such-folder")), -1);
        EXPECT_NE(QString::fromUtf8(e.what()).indexOf(QStringLiteral("Cannot create")), -1);
    }
    // A read-only folder: the old file survives untouched.
    const QString dir = tmp.path(QStringLiteral("ro"));
    QDir().mkpath(dir);
    const QString name = dir + QStringLiteral("/old.ghf");
    writeAll(name, QByteArray("precious"));
    QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    if (QFileInfo(dir).isWritable() == false && ::geteuid() != 0) {
        EXPECT_THROW(writeGraphFile(richState(), name), ChartFileError);
        EXPECT_EQ(readAll(name), QByteArray("precious"));
    }
    QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST(GraphFile, BadFilesAreRefusedAndTheChartStaysAsItWas)
{
    TempDataFolder tmp;
    const ChartState original = richState();
    const QByteArray image = encodeChartImage(original);
    QByteArray future = image;
    future[8] = static_cast<char>(ChartImageVersion + 1);
    std::mt19937 rng(7);
    QByteArray random(600, 0);
    for (char& c : random)
        c = static_cast<char>(rng());

    struct Case {
        const char* name;
        QByteArray bytes;
        const char* expect;
    };
    const Case cases[] = {
        {"empty", QByteArray(), "too short"},
        {"three bytes", QByteArray("\x01\x02\x03", 3), "too short"},
        {"truncated", (lengthField(image.size()) + image).left(image.size() / 2), "shorter than its length"},
        {"huge length", lengthField(0xFFFFFFFFu) + image, "shorter than its length"},
        {"random", random, ""},
        {"future", lengthField(future.size()) + future, "newer version"},
        {"foreign image", lengthField(8) + QByteArray("GIF89a..", 8), "not a graph"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString name = tmp.path(QStringLiteral("bad.ghf"));
        writeAll(name, c.bytes);
        ChartState st = original;
        const std::string err = readInto(st, name);
        EXPECT_FALSE(err.empty());
        EXPECT_NE(err.find("bad.ghf"), std::string::npos) << err;
        EXPECT_NE(err.find(c.expect), std::string::npos) << err;
        EXPECT_TRUE(st == original);
    }
    ChartState st = original;
    const std::string err = readInto(st, tmp.path(QStringLiteral("absent.ghf")));
    EXPECT_NE(err.find("Cannot open file"), std::string::npos) << err;
    EXPECT_NE(err.find("absent.ghf"), std::string::npos) << err;
}

TEST(GraphFile, RandomisedFilesNeverCrashOrChangeTheChartWhenRefused)
{
    TempDataFolder tmp;
    ChartState small = richState();
    small.data.resize(2, 10);
    const QByteArray good = encodeChartImage(small);
    const QByteArray goodFile = lengthField(good.size()) + good;
    const QString name = tmp.path(QStringLiteral("fuzz.ghf"));
    std::mt19937 rng(99);
    QElapsedTimer timer;
    timer.start();
    int rounds = 0;
    for (; timer.elapsed() < 1500 && rounds < 20000; ++rounds) {
        QByteArray bytes = goodFile;
        const int kind = rounds % 4;
        if (kind == 0) {
            bytes.resize(std::uniform_int_distribution<int>(0, 64)(rng));
            for (char& c : bytes)
                c = static_cast<char>(rng());
        } else if (kind == 1) {
            bytes.truncate(std::uniform_int_distribution<int>(0, static_cast<int>(bytes.size()))(rng));
        } else if (kind == 2) {
            bytes.replace(0, 4, lengthField(static_cast<std::uint32_t>(rng())));
        } else {
            const int at = std::uniform_int_distribution<int>(0, static_cast<int>(bytes.size()) - 1)(rng);
            bytes[at] = static_cast<char>(rng());
        }
        writeAll(name, bytes);
        ChartState st = small;
        if (!readInto(st, name).empty()) {
            ASSERT_TRUE(st == small);
        }
    }
    EXPECT_GT(rounds, 100);
}

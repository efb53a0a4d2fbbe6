// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/GraphFile.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <functional>

namespace {

QString shown(const QString& name)
{
    return QDir::toNativeSeparators(name);
}

[[noreturn]] void fail(const QString& what, const QString& name, const QString& reason)
{
    throw ChartFileError(QStringLiteral("%1 \"%2\". %3").arg(what, shown(name), reason));
}

} // namespace

void writeGraphBlock(const QString& name, const QByteArray& image)
{
    if (static_cast<quint64>(image.size()) > 0xFFFFFFFFull)
        fail(QStringLiteral("Cannot write file"), name, QStringLiteral("The graph is too large."));
    QSaveFile file(name);
    // No direct write fallback: a failed write must never destroy the file that is there.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        fail(QStringLiteral("Cannot create file"), name, file.errorString());
    const auto n = static_cast<quint32>(image.size());
    const char length[4] = {static_cast<char>(n & 0xFF), static_cast<char>((n >> 8) & 0xFF),
                            static_cast<char>((n >> 16) & 0xFF), static_cast<char>((n >> 24) & 0xFF)};
    // A failure to write out what waits in the buffer shows only in the flush, not in commit().
    if (file.write(length, 4) != 4 || file.write(image) != image.size() || !file.flush()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        fail(QStringLiteral("Cannot write file"), name, reason);
    }
    if (!file.commit())
        fail(QStringLiteral("Cannot write file"), name, file.errorString());
}

namespace {

// Reads the block of a graph file. head, when given, is shown the first bytes of the block (at
// most ChartImageHeaderSize) and the block's length before the rest is read, and may refuse it
// by throwing.
QByteArray readBlock(const QString& name,
                     const std::function<void(QByteArrayView head, quint64 length)>& head)
{
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("Cannot open file"), name, file.errorString());
    unsigned char length[4];
    if (file.read(reinterpret_cast<char*>(length), 4) != 4)
        fail(QStringLiteral("Read error in file"), name,
             QStringLiteral("The file is too short to be a graph file."));
    const quint64 n = quint64(length[0]) | quint64(length[1]) << 8 | quint64(length[2]) << 16 |
                      quint64(length[3]) << 24;
    const qint64 rest = file.size() - 4;
    if (rest < 0 || n > static_cast<quint64>(rest))
        fail(QStringLiteral("Read error in file"), name,
             QStringLiteral("The file is shorter than its length field says (%1 bytes announced, "
                            "%2 present).")
                 .arg(n)
                 .arg(std::max<qint64>(rest, 0)));
    QByteArray block = file.read(static_cast<qint64>(std::min<quint64>(n, ChartImageHeaderSize)));
    if (head)
        head(block, n);
    if (static_cast<quint64>(block.size()) < n)
        block += file.read(static_cast<qint64>(n) - block.size());
    if (static_cast<quint64>(block.size()) != n)
        fail(QStringLiteral("Read error in file"), name, file.errorString());
    return block;
}

[[noreturn]] void failToRead(const QString& name, const ChartFileError& e)
{
    throw ChartFileError(QStringLiteral("Cannot read the graph file \"%1\". %2")
                             .arg(shown(name), e.text()));
}

} // namespace

QByteArray readGraphBlock(const QString& name)
{
    return readBlock(name, {});
}

void writeGraphFile(const ChartState& state, const QString& name)
{
    QByteArray image;
    try {
        image = encodeChartImage(state);
    } catch (const ChartFileError& e) {
        fail(QStringLiteral("Cannot write file"), name, e.text());
    }
    writeGraphBlock(name, image);
}

void readGraphFile(ChartState& state, const QString& name)
{
    // The image's header is looked at before the rest is read: a large file that is no graph,
    // or claims more than a chart can hold, is refused without being read into memory.
    const QByteArray block = readBlock(name, [&](QByteArrayView head, quint64 length) {
        try {
            checkChartImageHead(head, length);
        } catch (const ChartFileError& e) {
            failToRead(name, e);
        }
    });
    try {
        state = decodeChartImage(block);
    } catch (const ChartFileError& e) {
        failToRead(name, e);
    }
}

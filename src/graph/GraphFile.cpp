// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/GraphFile.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

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
    if (file.write(length, 4) != 4 || file.write(image) != image.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        fail(QStringLiteral("Cannot write file"), name, reason);
    }
    if (!file.commit())
        fail(QStringLiteral("Cannot write file"), name, file.errorString());
}

QByteArray readGraphBlock(const QString& name)
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
    QByteArray block = file.read(static_cast<qint64>(n));
    if (static_cast<quint64>(block.size()) != n)
        fail(QStringLiteral("Read error in file"), name, file.errorString());
    return block;
}

void writeGraphFile(const ChartState& state, const QString& name)
{
    writeGraphBlock(name, encodeChartImage(state));
}

void readGraphFile(ChartState& state, const QString& name)
{
    const QByteArray block = readGraphBlock(name);
    try {
        state = decodeChartImage(block);
    } catch (const ChartFileError& e) {
        throw ChartFileError(QStringLiteral("Cannot read the graph file \"%1\". %2")
                                 .arg(shown(name), e.text()));
    }
}

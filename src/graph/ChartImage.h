// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The chart image: the complete chart state as one byte block.
//
// Layout (all numbers little-endian):
//   0   8  signature "KOLVACHT"
//   8   4  version (ChartImageVersion)
//  12   4  payload length n
//  16   4  CRC-32 of the payload
//  20   n  payload: settings, data, annotations; from version 2 the data's unit after them
// Decoding checks the signature, the version, the length and the check value before it looks
// at the payload, and every count inside the payload against the bytes that remain before it
// allocates anything.

#include "graph/ChartState.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <stdexcept>

constexpr std::uint32_t ChartImageVersion = 2;
constexpr int ChartImageHeaderSize = 20;

// A chart image or graph file that cannot be used. what() is the text for the user (UTF-8).
class ChartFileError : public std::runtime_error {
public:
    explicit ChartFileError(const QString& text) : std::runtime_error(text.toStdString()) {}
    QString text() const { return QString::fromUtf8(what()); }
};

// The largest image the chart's limits allow: every data cell (an 8-byte time and a 4-byte
// value), every annotation and vertical line at its fixed size, and MaxChartTextBytes for the
// settings and all texts (titles, labels, annotation texts). Larger images are neither written
// nor read.
constexpr std::int64_t MaxChartTextBytes = 64 * 1024 * 1024;
constexpr std::int64_t MaxChartImageBytes =
    ChartImageHeaderSize + 12 * std::int64_t(ChartLimits::MaxCells) +
    28 * std::int64_t(ChartLimits::MaxAnnotations) + 16 * std::int64_t(ChartLimits::MaxVertLines) +
    MaxChartTextBytes;

// Throws ChartFileError (the text for the user) when an image of `size` bytes that starts with
// head (its first ChartImageHeaderSize bytes, or all of it when it is shorter) cannot be a sound
// image: no signature, an unknown version, a payload length that does not fit the size, or a
// size beyond MaxChartImageBytes. A reader checks this before it reads the rest.
void checkChartImageHead(QByteArrayView head, std::uint64_t size);

// Throws ChartFileError when the image is larger than MaxChartImageBytes.
QByteArray encodeChartImage(const ChartState& state);
// Throws ChartFileError for anything but a sound image of a known version.
ChartState decodeChartImage(const QByteArray& image);

std::uint32_t crc32(const char* data, std::size_t size);

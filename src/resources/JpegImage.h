// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// JPEG decoding with libjpeg, for the pictures kept as JPEG in the program's resources.

#include <QByteArray>
#include <QImage>
#include <QString>

// Decodes a whole JPEG file held in memory. A damaged, truncated or unsupported picture gives a
// null image and, when error is given, libjpeg's message; it never ends the program.
QImage decodeJpeg(const QByteArray& data, QString* error = nullptr);

// Decodes a JPEG file from a path or a Qt resource (":/..."); throws std::runtime_error with the
// reason when the file is missing or the picture cannot be decoded.
QImage loadJpeg(const QString& path);

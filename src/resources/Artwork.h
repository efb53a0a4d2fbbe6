// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's pictures, kept as Qt resources under ":/artwork/" (drawn by tools/artwork):
// the meter's face (a JPEG decoded with libjpeg), the LCD marks, the battery bitmaps BAT0 to
// BAT3 and the CROSS cursor; and the tool-bar icons under ":/icons/".

#include <QCursor>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>
#include <QStyle>

#include <array>

namespace Artwork {

// The meter's face, 160 x 495. Throws std::runtime_error when the picture cannot be decoded.
QImage facePicture();
// A mark by name ("MAX", "MIN", "AVG", "HOLD", "K", "J", "E", "T", "REC", "FULL", "AUTOOFF",
// "DEGC", "DEGF"); a null pixmap for an unknown name.
QPixmap mark(const QString& name);
// BAT0 to BAT3, empty to full, indexed by the battery level.
std::array<QPixmap, 4> batteryPictures();
// The CROSS cursor (32 x 32, hot spot at the top left corner) of the graph windows.
QCursor crossCursor();
// A tool-bar icon of the program's own set (":/icons/NAME.svg"), or the style's standard icon
// when it cannot be loaded.
QIcon toolIcon(const QWidget* w, const char* name, QStyle::StandardPixmap fallback);
// The program's own icon (the one the desktop file names), the icon of every window.
QIcon programIcon();

} // namespace Artwork

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The drawings of the artwork program.

#include <QImage>

#include <map>
#include <QString>

// The meter's face, 160 x 495 pixels.
QImage drawFace();
// The small pictures: LCD marks, battery bitmaps and the CROSS cursor, by file name.
std::map<QString, QImage> drawSmallPictures();

// SPDX-License-Identifier: GPL-3.0-or-later
#include "resources/Artwork.h"

#include "resources/JpegImage.h"

#include <QWidget>

namespace Artwork {

QImage facePicture()
{
    return loadJpeg(QStringLiteral(":/artwork/face.jpg"));
}

QPixmap mark(const QString& name)
{
    return QPixmap(QStringLiteral(":/artwork/%1.png").arg(name));
}

std::array<QPixmap, 4> batteryPictures()
{
    std::array<QPixmap, 4> pictures;
    for (int level = 0; level < 4; ++level)
        pictures[std::size_t(level)] = mark(QStringLiteral("BAT%1").arg(level));
    return pictures;
}

QCursor crossCursor()
{
    return QCursor(mark(QStringLiteral("CROSS")), 0, 0);
}

QIcon toolIcon(const QWidget* w, const char* name, QStyle::StandardPixmap fallback)
{
    QIcon icon(QStringLiteral(":/icons/%1.svg").arg(QString::fromLatin1(name)));
    if (icon.isNull() || icon.pixmap(24, 24).isNull())
        return w->style()->standardIcon(fallback);
    return icon;
}

QIcon programIcon()
{
    return QIcon(QStringLiteral(":/icons/kolva.svg"));
}

} // namespace Artwork

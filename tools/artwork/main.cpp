// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the front panel's artwork into the folder given as the first argument.

#include "Art.h"

#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QTextStream>

namespace {

QImage contactSheet(const QImage& face, const std::map<QString, QImage>& small)
{
    QImage sheet(160 + 320 + 260 + 40, 990 + 20, QImage::Format_RGB32);
    sheet.fill(QColor(0xc0, 0xc4, 0xb0));
    QPainter p(&sheet);
    p.drawImage(10, 10, face);
    p.drawImage(QRect(180, 10, 320, 990), face);
    int x = 520, y = 10;
    for (const auto& [name, image] : small) {
        p.drawImage(QRect(x, y, image.width() * 4, image.height() * 4), image);
        p.drawText(x, y + image.height() * 4 + 12, name);
        y += image.height() * 4 + 22;
        if (y > 900) {
            y = 10;
            x += 140;
        }
    }
    return sheet;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc < 2) {
        err << "usage: kolva-artwork OUTPUT_FOLDER\n";
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(out.path())) {
        err << "cannot create " << out.path() << "\n";
        return 1;
    }
    const QImage face = drawFace();
    const auto small = drawSmallPictures();
    bool ok = face.save(out.filePath(QStringLiteral("face.jpg")), "JPG", 92);
    for (const auto& [name, image] : small)
        ok = image.save(out.filePath(name + QStringLiteral(".png")), "PNG") && ok;
    // Optional second argument: a contact sheet to look at (face at 1x and 2x, marks at 4x).
    if (argc >= 3)
        ok = contactSheet(face, small).save(QString::fromLocal8Bit(argv[2])) && ok;
    if (!ok) {
        err << "writing the pictures failed\n";
        return 1;
    }
    return 0;
}

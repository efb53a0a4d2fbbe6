// SPDX-License-Identifier: GPL-3.0-or-later
// The small pictures: the LCD's marks (dark segments on a transparent background), the battery
// bitmaps BAT0 to BAT3 and the CROSS cursor. The marks are drawn pixel by pixel from a small
// 5 x 7 LCD font so that they stay crisp at their tiny sizes.

#include "Art.h"

#include <QPainter>
#include <QPainterPath>

#include <vector>

namespace {

const QColor kSegment(0x1d, 0x24, 0x1a);

// Glyphs of the LCD font, rows top to bottom, '#' lit.
std::vector<const char*> glyph(QChar c)
{
    switch (c.unicode()) {
    case 'A': return {".##.", "#..#", "#..#", "####", "#..#", "#..#", "#..#"};
    case 'C': return {".###", "#...", "#...", "#...", "#...", "#...", ".###"};
    case 'D': return {"###.", "#..#", "#..#", "#..#", "#..#", "#..#", "###."};
    case 'E': return {"####", "#...", "#...", "###.", "#...", "#...", "####"};
    case 'F': return {"####", "#...", "#...", "###.", "#...", "#...", "#..."};
    case 'G': return {".###", "#...", "#...", "#.##", "#..#", "#..#", ".###"};
    case 'H': return {"#..#", "#..#", "#..#", "####", "#..#", "#..#", "#..#"};
    case 'I': return {"###", ".#.", ".#.", ".#.", ".#.", ".#.", "###"};
    case 'L': return {"#...", "#...", "#...", "#...", "#...", "#...", "####"};
    case 'M': return {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"};
    case 'N': return {"#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"};
    case 'O': return {".##.", "#..#", "#..#", "#..#", "#..#", "#..#", ".##."};
    case 'R': return {"###.", "#..#", "#..#", "###.", "#.#.", "#..#", "#..#"};
    case 'U': return {"#..#", "#..#", "#..#", "#..#", "#..#", "#..#", ".##."};
    case 'V': return {"#...#", "#...#", "#...#", "#...#", ".#.#.", ".#.#.", "..#.."};
    case 'X': return {"#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"};
    default: return {};
    }
}

QImage transparent(int w, int h)
{
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    return img;
}

// Writes text in the LCD font, one pixel between letters, centred in the image.
QImage lcdWord(const QString& text, int w, int h)
{
    QImage img = transparent(w, h);
    int total = -1;
    for (QChar c : text)
        total += int(std::string_view(glyph(c).front()).size()) + 1;
    int x = (w - total) / 2;
    const int y0 = (h - 7) / 2 + ((h - 7) % 2);
    for (QChar c : text) {
        const auto rows = glyph(c);
        for (int r = 0; r < 7; ++r)
            for (int i = 0; rows[std::size_t(r)][i]; ++i)
                if (rows[std::size_t(r)][i] == '#')
                    img.setPixelColor(x + i, y0 + r, kSegment);
        x += int(std::string_view(rows.front()).size()) + 1;
    }
    return img;
}

// A mark drawn from rows of '#' and '.', exactly the image's size.
QImage pixelArt(const std::vector<const char*>& rows)
{
    const int h = int(rows.size());
    const int w = int(std::string_view(rows.front()).size());
    QImage img = transparent(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (rows[std::size_t(y)][x] == '#')
                img.setPixelColor(x, y, kSegment);
    return img;
}

// A thermocouple type letter: a bold letter filling the mark.
QImage typeLetter(const QString& letter, int w, int h)
{
    QImage img = transparent(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setWeight(QFont::Bold);
    f.setPixelSize(qMin(h, 14));
    p.setFont(f);
    p.setPen(kSegment);
    // Left-aligned, so that the letter keeps clear of the row names to its right.
    p.drawText(QRect(1, 0, w - 1, h), Qt::AlignLeft | Qt::AlignVCenter, letter);
    return img;
}

QImage battery(int level)
{
    // 19 x 8: a body with its terminal on the left, three bars filling from the terminal side.
    QImage img = transparent(19, 8);
    for (int x = 2; x < 19; ++x) {
        img.setPixelColor(x, 0, kSegment);
        img.setPixelColor(x, 7, kSegment);
    }
    for (int y = 0; y < 8; ++y) {
        img.setPixelColor(2, y, kSegment);
        img.setPixelColor(18, y, kSegment);
    }
    for (int y = 2; y < 6; ++y) {
        img.setPixelColor(0, y, kSegment);
        img.setPixelColor(1, y, kSegment);
    }
    for (int bar = 0; bar < level; ++bar)
        for (int x = 4 + bar * 5; x < 4 + bar * 5 + 4; ++x)
            for (int y = 2; y < 6; ++y)
                img.setPixelColor(x, y, kSegment);
    return img;
}

QImage crossCursor()
{
    // The hot spot is the top left pixel: the tip of a small arrow, with a cross hair beside it
    // that tells the user a click places something.
    QImage img = transparent(32, 32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    QPainterPath arrow;
    arrow.moveTo(0, 0);
    arrow.lineTo(0, 13);
    arrow.lineTo(3, 10);
    arrow.lineTo(6, 16);
    arrow.lineTo(8, 15);
    arrow.lineTo(5, 9);
    arrow.lineTo(9, 9);
    arrow.closeSubpath();
    p.setPen(QPen(Qt::white, 1));
    p.setBrush(Qt::black);
    p.drawPath(arrow);
    const QPoint c(21, 21);
    p.setPen(QPen(Qt::white, 3));
    p.drawLine(c.x() - 7, c.y(), c.x() + 7, c.y());
    p.drawLine(c.x(), c.y() - 7, c.x(), c.y() + 7);
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(c.x() - 6, c.y(), c.x() + 6, c.y());
    p.drawLine(c.x(), c.y() - 6, c.x(), c.y() + 6);
    return img;
}

} // namespace

std::map<QString, QImage> drawSmallPictures()
{
    std::map<QString, QImage> m;
    m[QStringLiteral("MIN")] = lcdWord(QStringLiteral("MIN"), 15, 8);
    m[QStringLiteral("MAX")] = lcdWord(QStringLiteral("MAX"), 19, 8);
    m[QStringLiteral("AVG")] = lcdWord(QStringLiteral("AVG"), 17, 8);
    m[QStringLiteral("REC")] = lcdWord(QStringLiteral("REC"), 16, 8);
    m[QStringLiteral("FULL")] = lcdWord(QStringLiteral("FULL"), 19, 8);
    m[QStringLiteral("HOLD")] = pixelArt({
        "##########", "#........#", "#.##..##.#", "#.##..##.#", "#.######.#",
        "#.######.#", "#.##..##.#", "#.##..##.#", "#........#", "##########"});
    m[QStringLiteral("AUTOOFF")] = pixelArt({
        "......##......", "...#..##..#...", "..##..##..##..", ".##...##...##.",
        "##....##....##", "##....##....##", "##..........##", "##..........##",
        "##..........##", ".##........##.", "..###....###..", "...########...",
        ".....####.....", ".............."});
    m[QStringLiteral("DEGC")] = pixelArt({
        ".##......", "#..#.....", ".##......", "....####.", "...#....#", "...#.....",
        "...#.....", "...#.....", "...#....#", "....####.", "........."});
    m[QStringLiteral("DEGF")] = pixelArt({
        ".##......", "#..#.....", ".##......", "...######", "...#.....", "...#.....",
        "...#####.", "...#.....", "...#.....", "...#.....", "........."});
    m[QStringLiteral("K")] = typeLetter(QStringLiteral("K"), 18, 18);
    m[QStringLiteral("J")] = typeLetter(QStringLiteral("J"), 16, 15);
    m[QStringLiteral("E")] = typeLetter(QStringLiteral("E"), 16, 12);
    m[QStringLiteral("T")] = typeLetter(QStringLiteral("T"), 17, 14);
    for (int level = 0; level < 4; ++level)
        m[QStringLiteral("BAT%1").arg(level)] = battery(level);
    m[QStringLiteral("CROSS")] = crossCursor();
    return m;
}

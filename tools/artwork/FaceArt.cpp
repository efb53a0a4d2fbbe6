// SPDX-License-Identifier: GPL-3.0-or-later
// The meter's face: a dark moulded case with the brand, the LCD window, six keys and the four
// thermocouple sockets. The keys and the LCD sit where the panel window puts its hot areas and
// display elements.

#include "Art.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 495;

QFont font(double px, int weight = QFont::Bold, bool condensed = true)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(qMax(1, qRound(px)));
    f.setWeight(QFont::Weight(weight));
    if (condensed)
        f.setStretch(QFont::SemiCondensed);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

void drawCase(QPainter& p)
{
    p.fillRect(0, 0, kWidth, kHeight, Qt::white);
    const QRectF body(1.5, 1.5, kWidth - 3, kHeight - 3);
    QLinearGradient g(0, 0, kWidth, 0);
    g.setColorAt(0.0, QColor(0x26, 0x28, 0x2c));
    g.setColorAt(0.12, QColor(0x3a, 0x3d, 0x43));
    g.setColorAt(0.5, QColor(0x33, 0x36, 0x3b));
    g.setColorAt(0.88, QColor(0x2c, 0x2e, 0x33));
    g.setColorAt(1.0, QColor(0x1a, 0x1b, 0x1e));
    p.setPen(QPen(QColor(0x0b, 0x0b, 0x0c), 1.5));
    p.setBrush(g);
    p.drawRoundedRect(body, 16, 16);
    // Moulded rim: a soft highlight inside the outline.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 40), 1.0));
    p.drawRoundedRect(body.adjusted(2, 2, -2, -2), 14, 14);
    // The rubber grip on both flanks.
    for (int side = 0; side < 2; ++side) {
        const qreal x = side == 0 ? 3.5 : kWidth - 7.5;
        QLinearGradient grip(x, 0, x + 4, 0);
        grip.setColorAt(0, QColor(0x14, 0x15, 0x17));
        grip.setColorAt(1, QColor(0x24, 0x26, 0x29));
        p.setPen(Qt::NoPen);
        p.setBrush(grip);
        p.drawRoundedRect(QRectF(x, 226, 4, 200), 2, 2);
    }
}

void drawBrand(QPainter& p)
{
    // A brushed-metal name plate across the top.
    const QRectF plate(12, 10, kWidth - 24, 50);
    QLinearGradient g(0, plate.top(), 0, plate.bottom());
    g.setColorAt(0, QColor(0x4a, 0x4e, 0x55));
    g.setColorAt(1, QColor(0x2e, 0x31, 0x36));
    p.setPen(QPen(QColor(0x17, 0x18, 0x1a), 1));
    p.setBrush(g);
    p.drawRoundedRect(plate, 8, 8);

    p.setPen(QColor(0xf2, 0xf2, 0xee));
    QFont brand = font(21, QFont::Black, false);
    brand.setItalic(true);
    brand.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
    p.setFont(brand);
    p.drawText(QRectF(plate.left(), 12, plate.width(), 26), Qt::AlignCenter, QStringLiteral("KOLVA"));
    // An accent line under the brand.
    p.setPen(QPen(QColor(0xe0, 0x8a, 0x1c), 2));
    p.drawLine(QPointF(44, 39.5), QPointF(116, 39.5));
    p.setPen(QColor(0xc8, 0xcb, 0xcf));
    p.setFont(font(7.2, QFont::Bold));
    p.drawText(QRectF(plate.left(), 41, plate.width(), 9), Qt::AlignCenter,
               QStringLiteral("4-CHANNEL THERMOMETER"));
    p.setPen(QColor(0x9a, 0x9e, 0xa4));
    p.setFont(font(6.5, QFont::DemiBold));
    p.drawText(QRectF(plate.left(), 50, plate.width(), 8), Qt::AlignCenter,
               QStringLiteral("MODEL 461  DATALOGGER"));
}

void drawDisplayWindow(QPainter& p)
{
    // Black bezel around the glass.
    const QRectF bezel(2.5, 67.5, kWidth - 5, 150);
    p.setPen(QPen(QColor(0x08, 0x08, 0x09), 1));
    QLinearGradient b(0, bezel.top(), 0, bezel.bottom());
    b.setColorAt(0, QColor(0x10, 0x11, 0x13));
    b.setColorAt(1, QColor(0x1c, 0x1d, 0x20));
    p.setBrush(b);
    p.drawRoundedRect(bezel, 7, 7);

    // The LCD glass: greenish grey, slightly darker towards the bottom.
    const QRectF glass(5, 74, 147, 138);
    QLinearGradient lcd(0, glass.top(), 0, glass.bottom());
    lcd.setColorAt(0, QColor(0xc4, 0xcc, 0xb5));
    lcd.setColorAt(1, QColor(0xae, 0xb8, 0xa0));
    p.setPen(Qt::NoPen);
    p.setBrush(lcd);
    p.drawRoundedRect(glass, 3, 3);
    // Inner shadow along the top and left edges, a glint along the right.
    p.setPen(QPen(QColor(0x6f, 0x77, 0x66, 170), 1));
    p.drawLine(QPointF(7, 74.5), QPointF(150, 74.5));
    p.drawLine(QPointF(5.5, 76), QPointF(5.5, 210));
    p.setPen(QPen(QColor(255, 255, 255, 60), 1));
    p.drawLine(QPointF(151.5, 77), QPointF(151.5, 209));
    // Faint printed row dividers on the glass, as on the meter's own LCD.
    p.setPen(QPen(QColor(0x8e, 0x97, 0x82, 120), 1, Qt::DotLine));
    for (int y : {119, 148, 177})
        p.drawLine(QPointF(48, y + 0.5), QPointF(138, y + 0.5));
}

struct Key {
    QRect area;
    QColor top, bottom;
};

void drawKeyBody(QPainter& p, const Key& k)
{
    const QRectF r = QRectF(k.area).adjusted(1, 1, -1, -2);
    // Drop shadow into the case.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 150));
    p.drawRoundedRect(r.translated(0, 2), 6, 6);
    QLinearGradient g(0, r.top(), 0, r.bottom());
    g.setColorAt(0, k.top);
    g.setColorAt(1, k.bottom);
    p.setPen(QPen(QColor(0x0e, 0x0f, 0x10), 1));
    p.setBrush(g);
    p.drawRoundedRect(r, 6, 6);
    // Highlight on the upper edge of the rubber key.
    p.setPen(QPen(QColor(255, 255, 255, 70), 1));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(r.left() + 2, r.top() + 1, r.width() - 4, 8), 20 * 16, 140 * 16);
}

void keyText(QPainter& p, const QRect& area, const QString& text, double px, const QColor& c)
{
    p.setPen(c);
    p.setFont(font(px));
    p.drawText(QRectF(area).adjusted(1, 0, -1, -1), Qt::AlignCenter, text);
}

void drawPowerSymbol(QPainter& p, const QRect& area)
{
    const QPointF c = QRectF(area).center() - QPointF(0, 0.5);
    p.setPen(QPen(QColor(0xf4, 0xf4, 0xf4), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(c.x() - 5, c.y() - 4.5, 10, 10), 120 * 16, 300 * 16);
    p.drawLine(QPointF(c.x(), c.y() - 6), QPointF(c.x(), c.y() + 0.5));
}

void drawKeys(QPainter& p)
{
    // The recessed key field.
    p.setPen(QPen(QColor(0x12, 0x13, 0x15), 1));
    QLinearGradient field(0, 226, 0, 352);
    field.setColorAt(0, QColor(0x22, 0x24, 0x27));
    field.setColorAt(1, QColor(0x2b, 0x2d, 0x31));
    p.setBrush(field);
    p.drawRoundedRect(QRectF(34.5, 227.5, 98, 124), 12, 12);

    const QColor grey1(0x7a, 0x7f, 0x87), grey2(0x4d, 0x51, 0x57);
    const QColor white(0xf4, 0xf4, 0xf0);
    const Key close{QRect(48, 237, 31, 23), QColor(0xd0, 0x3a, 0x2e), QColor(0x8e, 0x1e, 0x17)};
    const Key mma{QRect(85, 239, 37, 28), grey1, grey2};
    const Key rec{QRect(45, 273, 34, 31), grey1, grey2};
    const Key hold{QRect(87, 273, 35, 28), QColor(0xe8, 0x9a, 0x2a), QColor(0xb0, 0x64, 0x10)};
    const Key diff{QRect(47, 313, 33, 28), grey1, grey2};
    const Key cf{QRect(86, 312, 35, 29), grey1, grey2};
    for (const Key* k : {&close, &mma, &rec, &hold, &diff, &cf})
        drawKeyBody(p, *k);

    drawPowerSymbol(p, close.area);
    p.setPen(white);
    p.setFont(font(6.6));
    p.drawText(QRectF(mma.area).adjusted(0, 3, 0, -15), Qt::AlignCenter, QStringLiteral("MAX MIN"));
    p.drawText(QRectF(mma.area).adjusted(0, 11, 0, -7), Qt::AlignCenter, QStringLiteral("AVG"));
    // REC: the red dot of a recorder above its name.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xe5, 0x33, 0x2a));
    p.drawEllipse(QPointF(rec.area.center().x() + 0.5, rec.area.top() + 9.5), 3, 3);
    keyText(p, rec.area.adjusted(0, 10, 0, 0), QStringLiteral("REC"), 8, white);
    keyText(p, hold.area, QStringLiteral("HOLD"), 8, QColor(0x1a, 0x12, 0x08));
    keyText(p, diff.area, QStringLiteral("T1-T2"), 7.6, white);
    keyText(p, cf.area, QStringLiteral("°C/°F"), 7.6, white);
}

void drawInputPanel(QPainter& p)
{
    // Printed rating text on the lower body.
    p.setPen(QColor(0xb6, 0xba, 0xc0));
    p.setFont(font(6.4, QFont::DemiBold));
    p.drawText(QRectF(0, 362, kWidth, 9), Qt::AlignCenter, QStringLiteral("THERMOCOUPLE  K / J / E / T"));
    p.setPen(QColor(0x8a, 0x8e, 0x94));
    p.drawText(QRectF(0, 372, kWidth, 9), Qt::AlignCenter, QStringLiteral("RS-232  \u2022  MEMORY  \u2022  4 INPUTS"));
    // Moulded ridges of the grip area.
    for (int i = 0; i < 5; ++i) {
        const qreal y = 390.5 + i * 5;
        p.setPen(QPen(QColor(0x16, 0x17, 0x19), 1));
        p.drawLine(QPointF(30, y), QPointF(130, y));
        p.setPen(QPen(QColor(255, 255, 255, 28), 1));
        p.drawLine(QPointF(30, y + 1), QPointF(130, y + 1));
    }

    // The four miniature thermocouple sockets along the bottom.
    const qreal pitch = 37.0, first = 24.5;
    for (int n = 0; n < 4; ++n) {
        const qreal cx = first + n * pitch;
        p.setPen(QColor(0xe8, 0xe8, 0xe4));
        p.setFont(font(8));
        p.drawText(QRectF(cx - 15, 424, 30, 10), Qt::AlignCenter, QStringLiteral("T%1").arg(n + 1));
        // Recess.
        const QRectF recess(cx - 16, 437, 32, 40);
        p.setPen(QPen(QColor(0x0c, 0x0c, 0x0d), 1));
        p.setBrush(QColor(0x17, 0x18, 0x1a));
        p.drawRoundedRect(recess, 4, 4);
        // Yellow socket face (type K colour code).
        const QRectF face(cx - 13, 441, 26, 24);
        QLinearGradient y(0, face.top(), 0, face.bottom());
        y.setColorAt(0, QColor(0xf3, 0xd0, 0x38));
        y.setColorAt(1, QColor(0xc9, 0x9f, 0x14));
        p.setPen(QPen(QColor(0x6e, 0x56, 0x08), 1));
        p.setBrush(y);
        p.drawRoundedRect(face, 2.5, 2.5);
        // Two blade slots of different widths (polarised), with + and -.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x1a, 0x14, 0x04));
        p.drawRect(QRectF(cx - 8, 446, 3, 13));
        p.drawRect(QRectF(cx + 4, 446, 4.5, 13));
        p.setPen(QColor(0x5a, 0x44, 0x05));
        p.setFont(font(5.5));
        p.drawText(QRectF(cx - 11, 459, 9, 6), Qt::AlignCenter, QStringLiteral("+"));
        p.drawText(QRectF(cx + 2, 459, 9, 6), Qt::AlignCenter, QStringLiteral("\u2212"));
    }
    // The bottom edge of the case, a little lighter where it catches the light.
    p.setPen(QPen(QColor(255, 255, 255, 35), 1));
    p.drawLine(QPointF(18, 484.5), QPointF(142, 484.5));
}

} // namespace

QImage drawFace()
{
    // Drawn at four times the size and scaled down, so that thin lines and small text come
    // out smooth.
    constexpr int s = 4;
    QImage big(kWidth * s, kHeight * s, QImage::Format_RGB32);
    {
        QPainter p(&big);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.scale(s, s);
        drawCase(p);
        drawBrand(p);
        drawDisplayWindow(p);
        drawKeys(p);
        drawInputPanel(p);
    }
    return big.scaled(kWidth, kHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

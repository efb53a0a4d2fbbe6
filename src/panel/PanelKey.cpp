// SPDX-License-Identifier: GPL-3.0-or-later
#include "panel/PanelKey.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include <algorithm>

PanelKey::PanelKey(const QString& name, const QRect& area, QWidget* parent) : QLabel(parent)
{
    setObjectName(name);
    setGeometry(area);
    setCursor(Qt::PointingHandCursor);
}

void PanelKey::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    pressed_ = true;
    sincePress_.start();
    update();
    emit mouseDown(event->button());
}

void PanelKey::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    pressed_ = false;
    const qint64 shown = sincePress_.isValid() ? sincePress_.elapsed() : kShownPressedMs;
    if (shown < kShownPressedMs) {
        lingering_ = true;
        QTimer::singleShot(int(kShownPressedMs - shown), this, [this] {
            lingering_ = false;
            update();
        });
    }
    update();
    emit mouseUp(event->button());
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

// Pressed in: the painted key darkens and gets a shadow along its top and left edges.
void PanelKey::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (!ShowsPressed())
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(1, 1, -1, -1);
    const qreal radius = std::min(r.width(), r.height()) / 4;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 70));
    p.drawRoundedRect(r, radius, radius);
    QPen edge(QColor(0, 0, 0, 120), 2);
    p.setPen(edge);
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(r.adjusted(1, 1, 0, 0), radius, radius);
}

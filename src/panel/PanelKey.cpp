// SPDX-License-Identifier: GPL-3.0-or-later
#include "panel/PanelKey.h"

#include <QMouseEvent>

PanelKey::PanelKey(const QString& name, const QRect& area, QWidget* parent) : QLabel(parent)
{
    setObjectName(name);
    setGeometry(area);
    setCursor(Qt::PointingHandCursor);
}

void PanelKey::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    emit mouseDown(event->button());
}

void PanelKey::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    emit mouseUp(event->button());
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

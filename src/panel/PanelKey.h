// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A hot area over a key painted on the meter's face: an empty image that reports the mouse
// going down and up on it and a click (left button pressed and released on the key).

#include <QLabel>

class PanelKey : public QLabel {
    Q_OBJECT
public:
    explicit PanelKey(const QString& name, const QRect& area, QWidget* parent);

signals:
    void mouseDown(Qt::MouseButton button);
    void mouseUp(Qt::MouseButton button);
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A hot area over a key painted on the meter's face: an empty image that reports the mouse
// going down and up on it and a click (left button pressed and released on the key). While the
// mouse holds it down, and for a moment after a quick click, it shows the key pressed in.

#include <QElapsedTimer>
#include <QLabel>

class PanelKey : public QLabel {
    Q_OBJECT
public:
    // A quick click shows the key pressed at least this long.
    static constexpr int kShownPressedMs = 150;

    explicit PanelKey(const QString& name, const QRect& area, QWidget* parent);

    bool ShowsPressed() const { return pressed_ || lingering_; }

signals:
    void mouseDown(Qt::MouseButton button);
    void mouseUp(Qt::MouseButton button);
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool pressed_ = false;
    bool lingering_ = false;
    QElapsedTimer sincePress_;
};

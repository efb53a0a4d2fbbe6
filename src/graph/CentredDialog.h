#pragma once
// Dialogs that open centred on the screen (call from their showEvent).

#include <QScreen>
#include <QWidget>

inline void centreOnScreen(QWidget& w)
{
    if (const QScreen* screen = w.screen()) {
        QRect r = w.frameGeometry();
        r.moveCenter(screen->availableGeometry().center());
        w.move(r.topLeft());
    }
}

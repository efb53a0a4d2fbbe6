#pragma once
// Pieces every small dialog of the graph windows shares: the OK and Cancel buttons, and the
// placement centred on the screen (call from the dialog's showEvent).

#include <QDialog>
#include <QPushButton>
#include <QScreen>

// "OK" (the default button, accepts) and "Cancel" (rejects), named btnOK and btnCancel.
inline void createOkCancel(QDialog& dialog, QPushButton*& ok, QPushButton*& cancel)
{
    ok = new QPushButton(QStringLiteral("OK"), &dialog);
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setDefault(true);
    cancel = new QPushButton(QStringLiteral("Cancel"), &dialog);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
}

inline void centreOnScreen(QWidget& w)
{
    if (const QScreen* screen = w.screen()) {
        QRect r = w.frameGeometry();
        r.moveCenter(screen->availableGeometry().center());
        w.move(r.topLeft());
    }
}

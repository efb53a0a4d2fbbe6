// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Pieces every small dialog of the program shares: the OK and Cancel buttons and their row, the
// placement centred on the screen (call from the dialog's showEvent), and the runner that shows
// a dialog of fields and gives them back.

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>

#include <functional>
#include <initializer_list>
#include <optional>

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

// The buttons at the right of a row of their own, in the order given.
inline QHBoxLayout* buttonRow(std::initializer_list<QPushButton*> buttons)
{
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    for (QPushButton* b : buttons)
        row->addWidget(b);
    return row;
}

inline void centreOnScreen(QWidget& w)
{
    if (const QScreen* screen = w.screen()) {
        QRect r = w.frameGeometry();
        r.moveCenter(screen->availableGeometry().center());
        w.move(r.topLeft());
    }
}

// Shows a Dialog (with setFields() and fields()) filled with the initial fields through run
// (default: exec()); the fields on Accepted, nullopt otherwise.
template <class Dialog, class Fields>
std::function<std::optional<Fields>(const Fields&)>
fieldsDialog(QWidget* parent, std::function<int(QDialog&)> run)
{
    return [parent, run](const Fields& initial) -> std::optional<Fields> {
        Dialog dialog(parent);
        dialog.setFields(initial);
        if ((run ? run(dialog) : dialog.exec()) != QDialog::Accepted)
            return std::nullopt;
        return dialog.fields();
    };
}

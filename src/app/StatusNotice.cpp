// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/StatusNotice.h"

#include <QStatusBar>

#include <algorithm>

StatusNotice::StatusNotice(QStatusBar& bar, const QString& objectName) : QLabel(&bar)
{
    setObjectName(objectName);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setContentsMargins(4, 0, 4, 0);
    setStyleSheet(QStringLiteral("color: #b00000;"));
    hide();
    bar.addPermanentWidget(this, 1);
}

void StatusNotice::Show(const QString& text)
{
    full_ = text;
    setToolTip(text);
    elide();
    setVisible(!text.isEmpty());
}

void StatusNotice::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    elide();
}

void StatusNotice::elide()
{
    const int room = std::max(0, contentsRect().width() - 4);
    setText(fontMetrics().elidedText(full_, Qt::ElideMiddle, room));
}

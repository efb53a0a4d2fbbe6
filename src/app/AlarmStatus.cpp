// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AlarmStatus.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QStatusBar>
#include <QToolButton>

namespace {
const QString kAlerting = QStringLiteral(
    "QLabel { background: #c00000; color: white; font-weight: bold; padding: 1px 6px; }");
const QString kAcknowledged =
    QStringLiteral("QLabel { color: #c00000; font-weight: bold; padding: 1px 6px; }");
} // namespace

AlarmStatus::AlarmStatus(QStatusBar& bar, int after, QAction& acknowledge) : QWidget(&bar)
{
    setObjectName(QStringLiteral("AlarmStatus"));
    lblAlarms = new QLabel(this);
    lblAlarms->setObjectName(QStringLiteral("lblAlarms"));
    lblAlarms->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    lblAlarms->setTextFormat(Qt::PlainText);
    btnAcknowledge = new QToolButton(this);
    btnAcknowledge->setObjectName(QStringLiteral("btnAcknowledge"));
    btnAcknowledge->setDefaultAction(&acknowledge);
    btnAcknowledge->setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(4);
    row->addWidget(lblAlarms, 1);
    row->addWidget(btnAcknowledge);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    hide();
    bar.insertWidget(after, this, 1);
}

void AlarmStatus::Show(const QStringList& texts, bool unacknowledged)
{
    full_ = texts.join(QStringLiteral(";  "));
    alerting_ = unacknowledged && !texts.isEmpty();
    lblAlarms->setStyleSheet(alerting_ ? kAlerting : kAcknowledged);
    lblAlarms->setToolTip(texts.join(QLatin1Char('\n')));
    btnAcknowledge->setVisible(alerting_);
    elide();
    setVisible(!texts.isEmpty());
}

QString AlarmStatus::Text() const
{
    return full_;
}

void AlarmStatus::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    elide();
}

void AlarmStatus::elide()
{
    const int room = std::max(0, lblAlarms->contentsRect().width() - 14);
    lblAlarms->setText(room > 0 ? lblAlarms->fontMetrics().elidedText(full_, Qt::ElideRight, room) : full_);
}

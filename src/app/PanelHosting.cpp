// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/PanelHosting.h"

#include "app/LinkWiring.h"
#include "panel/UPanel.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSettings>
#include <QTimer>

namespace {

const QString kPanelScale = QStringLiteral("PanelScale");

// The settings store of the program (as Settings.cpp opens it).
QSettings settingsStore()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("KOLVA"),
                     QStringLiteral("KOLVA"));
}

// The scale the user chose last, kept in the settings at once; until then the screen's.
double panelScale(const QScreen* screen)
{
    bool ok = false;
    const double chosen = settingsStore().value(kPanelScale).toDouble(&ok);
    return ok && chosen > 0 ? chosen : TfrmPanel::ScreenScale(screen);
}

void rememberPanelScale(double scale)
{
    QSettings s = settingsStore();
    s.setValue(kPanelScale, scale);
    s.sync();
}

} // namespace

PanelHosting::PanelHosting(QMdiArea& area, QPointer<TfrmPanel>& panel, LinkWiring& link,
                           QTimer& maxMinTimer, const std::array<QPixmap, 4>& batteryPictures,
                           Hooks hooks)
    : area_(area), panel_(panel), link_(link), maxMinTimer_(maxMinTimer),
      batteryPictures_(batteryPictures), hooks_(std::move(hooks))
{
}

QMdiSubWindow* PanelHosting::SubWindow() const
{
    return subWindow_;
}

void PanelHosting::ShowPanel()
{
    if (panel_ && subWindow_) {
        subWindow_->showNormal();
        area_.setActiveSubWindow(subWindow_);
    } else {
        create();
    }
    if (hooks_.shown)
        hooks_.shown(true);
}

void PanelHosting::create()
{
    auto* sub = new QMdiSubWindow(&area_, Qt::FramelessWindowHint);
    sub->setObjectName(QStringLiteral("PanelSubWindow"));
    sub->setAttribute(Qt::WA_DeleteOnClose);
    auto* panel = new TfrmPanel(*this, batteryPictures_, sub);
    sub->setWidget(panel);
    sub->setWindowTitle(panel->windowTitle());
    area_.addSubWindow(sub);
    panel->SetScale(panelScale(area_.screen()));
    QObject::connect(panel, &TfrmPanel::scaleChosen, panel, &rememberPanelScale);
    sub->adjustSize();
    sub->move(0, 0);
    sub->show();
    panel_ = panel;
    subWindow_ = sub;
    // However the sub-window goes, the reference goes with it.
    QObject::connect(sub, &QObject::destroyed, &area_, [this] { forget(); });
    panel->SetNoConnectionVisible(noConnection_);
}

void PanelHosting::forget()
{
    panel_.clear();
    maxMinTimer_.stop();
    if (hooks_.shown)
        hooks_.shown(false);
}

void PanelHosting::SetNoConnectionVisible(bool on)
{
    noConnection_ = on;
    if (panel_)
        panel_->SetNoConnectionVisible(on);
}

void PanelHosting::SendKey(char letter)
{
    if (hooks_.keysAllowed && !hooks_.keysAllowed())
        return;
    link_.SendKey(letter);
}

bool PanelHosting::IsConnected() const
{
    return link_.State().Connected;
}

bool PanelHosting::InMaxMinTick() const
{
    return link_.InMaxMinTick();
}

void PanelHosting::PanelActivated()
{
    if (hooks_.activated)
        hooks_.activated();
}

void PanelHosting::PanelClosed()
{
    forget();
    // The panel closed on its own: its empty sub-window follows, once the close has finished.
    if (subWindow_ && !closing_)
        QMetaObject::invokeMethod(subWindow_.data(), &QWidget::close, Qt::QueuedConnection);
    subWindow_.clear();
}

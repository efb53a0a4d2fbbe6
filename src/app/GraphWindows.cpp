// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/GraphWindows.h"

#include "base/DateTime.h"
#include "graph/Chart.h"
#include "graph/GraphCommands.h"
#include "graph/UGraph.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTableWidget>

#include <algorithm>

GraphWindows::GraphWindows(QMdiArea& area, IGraphHost& host, QPointer<TfrmGraph>& realTime,
                           QPointer<TfrmGraph>& logger)
    : area_(area), host_(host), realTime_(realTime), logger_(logger)
{
}

TfrmGraph* GraphWindows::Create(const QString& caption)
{
    auto* sub = new QMdiSubWindow(&area_);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    auto* window = new TfrmGraph(host_, caption, sub);
    sub->setWidget(window);
    sub->setObjectName(QStringLiteral("GraphSubWindow"));
    area_.addSubWindow(sub);
    return window;
}

QMdiSubWindow* GraphWindows::SubWindowOf(const TfrmGraph& window)
{
    return qobject_cast<QMdiSubWindow*>(window.parentWidget());
}

void GraphWindows::PlaceAsOpenedFile(QMdiSubWindow& sub, const QMdiArea& area)
{
    const QWidget* main = area.window();
    sub.setGeometry(0, 0, main ? main->width() : area.width(), std::max(area.height() - 40, 100));
}

void GraphWindows::PlaceAsOpenedFile(TfrmGraph& window) const
{
    if (QMdiSubWindow* sub = SubWindowOf(window))
        PlaceAsOpenedFile(*sub, area_);
}

void GraphWindows::Show(TfrmGraph& window)
{
    if (QMdiSubWindow* sub = SubWindowOf(window)) {
        sub->show();
        area_.setActiveSubWindow(sub);
    }
}

void GraphWindows::Restore(TfrmGraph& window)
{
    if (QMdiSubWindow* sub = SubWindowOf(window)) {
        sub->showNormal();
        area_.setActiveSubWindow(sub);
    }
}

TfrmGraph* GraphWindows::openOnce(QPointer<TfrmGraph>& slot, const QString& caption,
                                   const std::function<void(TfrmGraph&)>& prepare)
{
    if (slot) {
        Restore(*slot);
        return slot;
    }
    TfrmGraph* w = Create(caption);
    slot = w;
    prepare(*w);
    w->ApplySplitRule();
    Show(*w);
    return w;
}

TfrmGraph* GraphWindows::OpenRealTime(int realTimeRate, const MessageFn& notice)
{
    return openOnce(realTime_, kRealTimeCaption, [&](TfrmGraph& w) {
        if (QMdiSubWindow* sub = SubWindowOf(w))
            sub->move(sub->x(), 0);
        w.ShowClearButton(true);
        const double now = DateTime::now();
        Chart& c = *w.Chart1;
        PrepareChart(c, 4, 50, -10, now + 110 * DateTime::OneSecond, now, 100, notice);
        c.SetNoRandomPointsToExport(true);
        c.SetFocalRect(false);
        c.SetAllowBar(false);
        // Consecutive samples are always joined, however far apart in time.
        c.SetLineGapThreshold(1e20);
        w.pnlSamplingRate->setEnabled(true);
        w.SetRateIndexes(realTimeRate / 60, realTimeRate % 60);
    });
}

TfrmGraph* GraphWindows::OpenLogger(const MessageFn& notice)
{
    return openOnce(logger_, kLoggerCaption, [&](TfrmGraph& w) {
        if (QMdiSubWindow* sub = SubWindowOf(w))
            sub->setGeometry(0, 0, area_.width(), std::max(area_.height() - 60, 100));
        w.ShowDataSets(true);
        const double now = DateTime::now();
        PrepareChart(*w.Chart1, 1, 130, 30, now + 500 * DateTime::OneSecond, now, 500, notice);
        w.Chart1->SetAllowGraphAnnotHotSpots(true);
    });
}

QList<TfrmGraph*> GraphWindows::Windows() const
{
    QList<TfrmGraph*> list;
    for (QMdiSubWindow* sub : area_.subWindowList())
        if (auto* w = qobject_cast<TfrmGraph*>(sub->widget()))
            list << w;
    return list;
}

bool GraphWindows::AskAllToClose()
{
    // A question lets the event loop run (a save dialog): a window may go meanwhile.
    QList<QPointer<TfrmGraph>> windows;
    for (TfrmGraph* w : Windows())
        windows << w;
    for (int i = 0; i < windows.size(); ++i) {
        if (windows[i] && !windows[i]->AskToClose()) {
            for (int k = 0; k < i; ++k)
                if (windows[k])
                    windows[k]->ForgetCloseAnswer();
            return false;
        }
    }
    return true;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The graph windows of the main window: each in its own sub-window of the MDI area, freed when
// it closes; at most one real-time window ("Real-Time Graph") and one logger window
// ("DataLogger"), whose references the main window owns; plain windows as many as wanted.
// Closing the program asks every graph window first.

#include "base/Questions.h"

#include <QList>
#include <QPointer>
#include <QString>

#include <functional>

class IGraphHost;
class QMdiArea;
class QMdiSubWindow;
class TfrmGraph;

class GraphWindows {
public:
    GraphWindows(QMdiArea& area, IGraphHost& host, QPointer<TfrmGraph>& realTime,
                 QPointer<TfrmGraph>& logger);

    // A new graph window with the caption, in its own sub-window, not yet shown (Show() when
    // its chart is ready). Its role follows from the caption.
    TfrmGraph* Create(const QString& caption);
    void Show(TfrmGraph& window);
    // Brings a window back from minimised or maximised and makes it the active one.
    void Restore(TfrmGraph& window);
    static QMdiSubWindow* SubWindowOf(const TfrmGraph& window);
    // The place of a window opened from a file (a graph or table file, a recovered recording):
    // the top left of the area, as wide as the main window, as high as the area less 40 pixels.
    static void PlaceAsOpenedFile(QMdiSubWindow& sub, const QMdiArea& area);
    void PlaceAsOpenedFile(TfrmGraph& window) const;

    // The real-time window: created and prepared when there is none (4 subsets, Y -10 to 50,
    // X from now to now + 110 s, 100 points; Clear shown; samples always joined; the
    // sampling-rate boxes enabled and showing realTimeRate), else restored.
    // notice shows the missing-template message.
    TfrmGraph* OpenRealTime(int realTimeRate, const MessageFn& notice);
    // The logger window: created and prepared when there is none (the data sets pane shown,
    // the whole width of the area, 60 pixels less than its height, 1 subset, Y 30 to 130,
    // X from now to now + 500 s, 500 points), else restored.
    TfrmGraph* OpenLogger(const MessageFn& notice);

    QList<TfrmGraph*> Windows() const;
    // The closing questions of every graph window, in the area's order. On the first refusal
    // the others are not asked, the answers given so far are dropped, and false is returned.
    bool AskAllToClose();

private:
    // The window of slot, restored, or a new one with caption, prepared and shown.
    TfrmGraph* openOnce(QPointer<TfrmGraph>& slot, const QString& caption,
                        const std::function<void(TfrmGraph&)>& prepare);

    QMdiArea& area_;
    IGraphHost& host_;
    QPointer<TfrmGraph>& realTime_;
    QPointer<TfrmGraph>& logger_;
};

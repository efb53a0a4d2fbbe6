// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The windows around a file loop, both the form TfrmScope made for one use: the range dialog of
// the text exports ("Save File": all points or rows, or a range typed in) and the progress
// window of the exports, the opening of a table and the graphing of a table.
//
// The progress window is shown without being modal. Its hook for the loop (a LineProgress) shows
// the count, lets pending events run after every line, so that the windows stay painted and
// Cancel can be pressed, and ends the loop on Cancel or when the window the loop works for has
// gone meanwhile. A counter in SText1 is repainted at most every CounterRepaintMs; the bar
// repaints itself when its length changes.

#include "files/TextExport.h"
#include "base/Questions.h"
#include "logger/UScope.h"

#include <QElapsedTimer>
#include <QPointer>

#include <functional>
#include <optional>

class QDialog;
class QWidget;

using DialogRunner = std::function<int(QDialog& dialog)>;

// The range dialog over points or rows 1..last. nullopt when it was cancelled, or when a text
// was not an integer: message then said "invalid integer".
std::optional<ExportRange> askExportRange(QWidget* parent, int last, const DialogRunner& run,
                                          const MessageFn& message);

class FileProgress {
public:
    static constexpr int CounterRepaintMs = 40;
    enum class Shows { Bar, Counter };

    // barMaximum < 0: no bar.
    FileProgress(QWidget* parent, const QString& caption, const QString& text, int barMaximum,
                 bool cancellable);
    ~FileProgress();   // closes and destroys the window
    FileProgress(const FileProgress&) = delete;
    FileProgress& operator=(const FileProgress&) = delete;

    // The loop's hook. stillThere: false once the window the loop reads or fills has gone.
    LineProgress Lines(Shows shows, std::function<bool()> stillThere);

    TfrmScope* Window() const { return window_; }

private:
    bool line(Shows shows, int done, const std::function<bool()>& stillThere);

    QPointer<TfrmScope> window_;
    QElapsedTimer sinceCounter_;
};

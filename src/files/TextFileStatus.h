// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the line-by-line file loops (text and CSV export, table import) share: the injected
// progress and the outcome of one file with its single text for the user.

#include <QString>

#include <functional>

// Called once per line or row with the number done so far: the window shows it (bar position or
// counter), lets pending events run so that it stays painted and its Cancel button can be
// pressed, and returns true when Cancel was pressed. The loop then stops after that line, and
// what was written or read up to there remains. An empty function never cancels.
using LineProgress = std::function<bool(int done)>;

enum class TextFileStatus {
    Ok,
    CannotCreate,   // an export file cannot be created
    CannotWrite,    // a line could not be written (disk full, I/O error)
    CannotOpen,     // a file to import cannot be opened
};

struct TextFileResult {
    TextFileStatus status = TextFileStatus::Ok;
    QString fileName;
    QString reason;          // the system's reason when status is not Ok
    int lines = 0;           // lines written or rows read
    bool cancelled = false;  // the user pressed Cancel
    bool ok() const { return status == TextFileStatus::Ok; }
};

// "" for Ok; otherwise what happened, with the file's name and the reason.
QString textFileStatusText(const TextFileResult& result);

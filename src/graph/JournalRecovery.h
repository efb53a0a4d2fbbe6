// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Recovery at start-up: every journal still in the journal folder belongs to a recording that
// ended without the user's choice (a crash, a power cut, a kill), unless a running copy of the
// program holds it locked (it is writing it, or keeps it for its user): those are skipped. Each
// other journal is offered with a question naming its start time and sample count: Yes opens its
// samples as a graph window and moves the journal to journal/recovered/ so that it is not offered
// again, where it stays until the recording is saved (kept); No keeps it for the next start. A
// journal without a single sample has nothing to offer and is moved aside without a question.
// The window itself is made by the caller (open).

#include "base/Questions.h"
#include "graph/RecordingJournal.h"

#include <functional>

struct RecoveryHooks {
    QuestionFn ask;        // Yes/No: true opens the recording
    MessageFn message;     // a journal that cannot be read or moved aside
    // Opens the recovered samples as a graph window. False when it could not: the journal stays.
    std::function<bool(const RecoveredJournal&)> open;
    // The journal of the recording just opened lies now at path (in recovered/, or where it was
    // when it could not be moved).
    std::function<void(const QString& path)> kept;
};

// Offers the pending journals of folder, oldest first, except `busy` (the journal of a recording
// that is being written). Returns how many were opened.
int offerPendingJournals(const RecoveryHooks& hooks, const QString& folder = journalFolder(),
                         const QString& busy = QString());

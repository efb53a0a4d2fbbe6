// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/JournalRecovery.h"

#include <QFileInfo>
#include <QLockFile>

namespace {

bool samePath(const QString& a, const QString& b)
{
    return !a.isEmpty() && !b.isEmpty() &&
           QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

// Where the journal lies afterwards.
QString moveAside(const QString& path, const MessageFn& message)
{
    QString reason;
    QString movedTo = path;
    const JournalStatus status = moveToRecovered(path, &reason, &movedTo);
    if (status != JournalStatus::Ok && message)
        message(journalStatusText(status, path, reason));
    return movedTo;
}

} // namespace

int offerPendingJournals(const RecoveryHooks& hooks, const QString& folder, const QString& busy)
{
    int opened = 0;
    for (const QString& path : pendingJournals(folder)) {
        if (samePath(path, busy))
            continue;
        // A journal that another running copy of the program writes, or still keeps for its
        // user, is none of this copy's business. Held while it is offered and moved aside.
        QLockFile lock(journalLockPath(path));
        if (!takeJournalLock(lock))
            continue;
        const RecoveredJournal r = readJournal(path);
        if (r.status != JournalStatus::Ok) {
            if (hooks.message)
                hooks.message(journalStatusText(r.status, path, r.reason));
            continue;
        }
        if (r.samples.empty()) {
            moveAside(path, hooks.message);
            continue;
        }
        if (!hooks.ask || !hooks.ask(journalQuestionText(r.info)))
            continue;
        if (!hooks.open || !hooks.open(r))
            continue;
        ++opened;
        const QString movedTo = moveAside(path, hooks.message);
        if (hooks.kept)
            hooks.kept(movedTo);
    }
    return opened;
}

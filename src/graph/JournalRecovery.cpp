// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/JournalRecovery.h"

#include <QFileInfo>

namespace {

bool samePath(const QString& a, const QString& b)
{
    return !a.isEmpty() && !b.isEmpty() &&
           QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

void moveAside(const QString& path, const MessageFn& message)
{
    QString reason;
    const JournalStatus status = moveToRecovered(path, &reason);
    if (status != JournalStatus::Ok && message)
        message(journalStatusText(status, path, reason));
}

} // namespace

int offerPendingJournals(const RecoveryHooks& hooks, const QString& folder, const QString& busy)
{
    int opened = 0;
    for (const QString& path : pendingJournals(folder)) {
        if (samePath(path, busy))
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
        moveAside(path, hooks.message);
    }
    return opened;
}

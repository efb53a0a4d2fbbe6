// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The recording journal: every sample of a real-time recording also goes to a file of its own in
// dataFolder()/journal/, so that a crash, a kill or a power cut does not take the recording with
// it. The file is machine CSV (files/MachineCsv.h) with one comment line in front:
//
//   # KOLVA real-time recording start=2026-12-09T10:15:30.000+01:00 rate=2 count=2000 unit=C
//   time,T1,T2,T3,T4,unit
//   2026-12-09T10:15:30.000+01:00,23.5,24.25,,1000,C
//
// The comment line is the recovery record; the unit in it is the one at Run, each line has the
// unit of its own sample. Journals of earlier versions (no unit column) are still recovered.
//
// Each line is handed to the operating system before append() returns (an unbuffered write), so
// a killed program loses nothing; the file is synced to the disk when data have waited
// SyncIntervalMs, so a power cut loses at most that much. The syncs run on a thread of their own
// (graph/JournalSyncer.h), so a slow disk never delays a sample; a failed sync is reported at the
// next call. The recorder calls syncIfDue() from its one-second tick so that this holds while no
// samples come (a lost meter).
//
// A journal is locked (a QLockFile beside it, "<name>.csv.lock") from start() until discard() or
// the end of the program, so that another running copy of the program never offers it as the
// journal of a crashed recording; the recovery skips locked journals. A crashed program's lock is
// stale and taken over.
//
// Life of a journal, driven by the recorder:
//   start()   at Run: a new file named after the start date and time;
//   append()  with every sample that goes into the chart;
//   finish()  at Stop: synced and closed, the file stays;
//   discard() when the data leave the program's care by the user's choice (saved, or a question
//             that throws them away answered No): the file is removed, and only a file this
//             journal created.
// A journal still there at the next start-up belongs to a recording that ended otherwise; see
// pendingJournals() and readJournal() below.
//
// A journal that cannot be written (no folder, disk full) reports once through the reporter and
// is then left alone: the recording goes on in the chart without it.

#include "files/MachineCsv.h"
#include "base/Clock.h"
#include "graph/JournalSyncer.h"

#include <QFile>
#include <QLockFile>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct ChartState;

enum class JournalStatus {
    Ok,
    CannotCreateFolder,   // the journal folder (or journal/recovered) cannot be made
    CannotCreate,         // the journal file cannot be created
    CannotWrite,          // a line could not be written (disk full, I/O error)
    CannotSync,           // the data could not be synced to the disk
    CannotRead,           // a journal cannot be opened for recovery
    CannotMove,           // a recovered journal cannot be moved to journal/recovered
};

// The text for the user, for every status (empty for Ok).
QString journalStatusText(JournalStatus status, const QString& path, const QString& reason);

// dataPath("journal")
QString journalFolder();

// What the comment line records about a recording.
struct JournalHeader {
    double startTime = 0.0;   // local date-time, days
    int rateSeconds = 0;
    int requestedCount = 0;
    bool celsius = true;      // the meter's unit at the start
    bool unitKnown = true;    // false once readings of both units were recorded ("unit=?")
};

class RecordingJournal {
public:
    static constexpr std::int64_t SyncIntervalMs = 5000;
    using Reporter = std::function<void(const QString& text)>;

    // report is called once per recording, at its first failure, with journalStatusText().
    // sync makes a file durable (tests play a slow or failing disk); the system's by default.
    explicit RecordingJournal(const IClock& clock, Reporter report = {},
                              QString folder = journalFolder(), JournalSyncer::SyncFn sync = {});
    // Closes the file and keeps it, waits for its last sync and releases its lock.
    ~RecordingJournal();
    RecordingJournal(const RecordingJournal&) = delete;
    RecordingJournal& operator=(const RecordingJournal&) = delete;

    // Starts the journal of a new recording. A journal still open is finished first (its file
    // stays). Returns the status, which is also reported.
    JournalStatus start(const JournalHeader& header);
    // One sample line with the unit of its readings, handed to the system before it returns;
    // nothing when no journal is being written.
    void append(double time, float t1, float t2, float t3, float t4, TemperatureUnit unit);
    // The recording now holds readings of both units: the comment line says "unit=?" from now
    // on (each line keeps its own unit). Nothing when no journal is being written.
    void unitUnknown();
    // Asks for a sync when written data have waited SyncIntervalMs or longer, and reports a sync
    // that failed meanwhile. Never waits for the disk.
    void syncIfDue();
    // Asks for the last sync and closes; the file stays, and so does its lock.
    void finish();
    // Closes and removes the file of the current recording, and releases its lock. A file this
    // journal did not create (its creation failed) is left alone. False when it could not be
    // removed.
    bool discard();

    bool writing() const { return file_ != nullptr; }
    QString path() const { return path_; }   // "" before the first start and after discard
    JournalStatus status() const { return status_; }
    QString statusText() const { return journalStatusText(status_, path_, reason_); }
    // The syncs asked for so far.
    int syncCount() const { return syncs_; }
    // Waits until the syncs asked for have ended and reports a failure among them (tests).
    void waitForSyncs();

private:
    void fail(JournalStatus status, const QString& reason);
    bool sync();
    void collectSyncs();
    void releaseLock();

    const IClock& clock_;
    Reporter report_;
    QString folder_;
    QString path_;
    std::unique_ptr<QFile> file_;
    std::unique_ptr<QLockFile> lock_;
    bool ownsFile_ = false;   // path_ is a file this journal created and has not removed
    std::uint64_t fileNumber_ = 0;
    JournalStatus status_ = JournalStatus::Ok;
    QString reason_;
    bool dirty_ = false;
    std::int64_t lastSyncMs_ = 0;
    qint64 unitAt_ = -1;   // where the comment line's unit letter lies in the file
    int syncs_ = 0;
    JournalSyncer syncer_;
};

// The comment line of a journal, and reading it back.
QString journalComment(const JournalHeader& header);
std::optional<JournalHeader> parseJournalComment(const QString& comment);

// ---- Recovery at start-up ----

struct JournalInfo {
    QString path;
    JournalHeader header;       // start time from the file name when the comment line is lost
    bool headerKnown = false;   // the comment line was there and readable
    int sampleCount = 0;
    int skippedLines = 0;       // damaged lines that were left out
};

struct RecoveredJournal {
    JournalStatus status = JournalStatus::Ok;
    QString reason;
    JournalInfo info;
    std::vector<MachineSample> samples;   // every whole line before and around the damage
};

// The journals of recordings that ended without the user's choice, oldest first (the
// recovered/ folder is not looked at). Journals that a running program holds locked are among
// them: see takeJournalLock().
QStringList pendingJournals(const QString& folder = journalFolder());
// The lock beside a journal. takeJournalLock() takes it (a crashed program's is taken over) and
// is false when a running program holds it: the journal is in use.
QString journalLockPath(const QString& journal);
bool takeJournalLock(QLockFile& lock);
// Reads a journal with damage tolerance: a cut last line, garbage and an empty file are fine.
RecoveredJournal readJournal(const QString& path);
// Moves a journal to folder/recovered/ so that it is not offered again; *movedTo is where it
// went.
JournalStatus moveToRecovered(const QString& path, QString* reason = nullptr,
                              QString* movedTo = nullptr);

// Texts for the recovery question and the window.
QString journalQuestionText(const JournalInfo& info);
QString journalCaption(const JournalInfo& info);

// Writes the samples into a chart prepared with 4 subsets and samples.size() points: point k of
// subset c is sample k's time and channel c.
void fillChartFromJournal(ChartState& prepared, const std::vector<MachineSample>& samples);

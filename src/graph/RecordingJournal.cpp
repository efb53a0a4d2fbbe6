// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/RecordingJournal.h"

#include "base/DataFolder.h"
#include "base/DateTime.h"
#include "base/LocaleText.h"
#include "graph/ChartState.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

const QString kNameFormat = QStringLiteral("yyyy-MM-dd_HH-mm-ss");
const QString kRecovered = QStringLiteral("recovered");

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString fileNameFor(double startTime, int attempt)
{
    QString name = DateTime::toQDateTime(startTime).toString(kNameFormat);
    if (attempt > 0)
        name += QStringLiteral("_%1").arg(attempt + 1);
    return name + QStringLiteral(".csv");
}

std::optional<double> timeFromFileName(const QString& path)
{
    const QString base = QFileInfo(path).completeBaseName().left(kNameFormat.size());
    const QDateTime dt = QDateTime::fromString(base, kNameFormat);
    if (!dt.isValid())
        return std::nullopt;
    return DateTime::fromQDateTime(dt);
}

#ifdef Q_OS_UNIX
// Makes the new directory entry itself durable.
void syncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}
#else
void syncFolder(const QString&) {}
#endif

} // namespace

QString journalStatusText(JournalStatus status, const QString& path, const QString& reason)
{
    const char* text = "";
    bool recordingGoesOn = true;   // failures while recording; the others are at start-up
    switch (status) {
    case JournalStatus::Ok: return {};
    case JournalStatus::CannotCreateFolder:
        text = "The recording journal folder \"%1\" cannot be created: %2.";
        break;
    case JournalStatus::CannotCreate:
        text = "The recording journal \"%1\" cannot be created: %2.";
        break;
    case JournalStatus::CannotWrite:
        text = "The recording journal \"%1\" cannot be written: %2.";
        break;
    case JournalStatus::CannotSync:
        text = "The recording journal \"%1\" cannot be saved to the disk: %2.";
        break;
    case JournalStatus::CannotRead:
        text = "The recording journal \"%1\" cannot be read: %2.";
        recordingGoesOn = false;
        break;
    case JournalStatus::CannotMove:
        text = "The recording journal \"%1\" cannot be moved to the folder of recovered "
               "journals: %2.";
        recordingGoesOn = false;
        break;
    }
    QString out = QString::fromLatin1(text).arg(shown(path), reason);
    if (recordingGoesOn)
        out += QStringLiteral(" The recording goes on without it.");
    return out;
}

QString journalFolder()
{
    return dataPath(QStringLiteral("journal"));
}

QString journalComment(const JournalHeader& h)
{
    return QStringLiteral("KOLVA real-time recording start=%1 rate=%2 count=%3 unit=%4")
        .arg(QString::fromLatin1(MachineCsv::timeText(h.startTime)))
        .arg(h.rateSeconds)
        .arg(h.requestedCount)
        .arg(!h.unitKnown ? QLatin1Char('?') : h.celsius ? QLatin1Char('C') : QLatin1Char('F'));
}

std::optional<JournalHeader> parseJournalComment(const QString& comment)
{
    static const QRegularExpression re(QStringLiteral(
        "^KOLVA real-time recording start=(\\S+) rate=(\\d{1,9}) count=(\\d{1,9}) unit=([CF?])$"));
    const QRegularExpressionMatch m = re.match(comment);
    if (!m.hasMatch())
        return std::nullopt;
    const auto start = MachineCsv::parseTime(m.captured(1).toLatin1());
    if (!start)
        return std::nullopt;
    JournalHeader h;
    h.startTime = *start;
    h.rateSeconds = m.captured(2).toInt();
    h.requestedCount = m.captured(3).toInt();
    h.unitKnown = m.captured(4) != QLatin1String("?");
    h.celsius = m.captured(4) != QLatin1String("F");
    return h;
}

RecordingJournal::RecordingJournal(const IClock& clock, Reporter report, QString folder,
                                   JournalSyncer::SyncFn sync)
    : clock_(clock), report_(std::move(report)), folder_(std::move(folder)),
      syncer_(std::move(sync))
{
}

RecordingJournal::~RecordingJournal()
{
    finish();
}

void RecordingJournal::fail(JournalStatus status, const QString& reason)
{
    file_.reset();
    status_ = status;
    reason_ = reason;
    if (report_)
        report_(statusText());
}

void RecordingJournal::releaseLock()
{
    lock_.reset();   // unlocks and removes the lock file
}

JournalStatus RecordingJournal::start(const JournalHeader& header)
{
    collectSyncs();
    finish();
    releaseLock();
    path_.clear();
    ownsFile_ = false;
    ++fileNumber_;
    status_ = JournalStatus::Ok;
    reason_.clear();
    dirty_ = false;

    if (!QDir().mkpath(folder_)) {
        path_ = folder_;
        fail(JournalStatus::CannotCreateFolder,
             QFileInfo(folder_).exists() ? QStringLiteral("it is not a folder")
                                         : QStringLiteral("the location is not writable"));
        return status_;
    }
    const QDir dir(folder_);
    auto file = std::make_unique<QFile>();
    for (int attempt = 0; attempt < 100; ++attempt) {
        path_ = dir.filePath(fileNameFor(header.startTime, attempt));
        // Locked before it exists, so that no other copy of the program can take it for a
        // crashed recording's journal.
        auto lock = std::make_unique<QLockFile>(journalLockPath(path_));
        lock->setStaleLockTime(0);
        if (!lock->tryLock(0)) {
            if (lock->error() == QLockFile::LockFailedError)
                continue;   // another copy's journal of the same second
            lock.reset();   // no lock can be made here; the file will tell why
        }
        file->setFileName(path_);
        if (file->open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
            lock_ = std::move(lock);
            break;
        }
        if (!QFileInfo::exists(path_)) {
            fail(JournalStatus::CannotCreate, file->errorString());
            return status_;
        }
    }
    if (!file->isOpen()) {
        fail(JournalStatus::CannotCreate, QStringLiteral("too many journals of the same second"));
        return status_;
    }
    file_ = std::move(file);
    ownsFile_ = true;
    const QByteArray comment = MachineCsv::comment(journalComment(header));
    const QByteArray head = comment + MachineCsv::header();
    unitAt_ = comment.size() - 2;   // the letter before the line's end
    if (file_->write(head) != head.size()) {
        // A journal without its header holds nothing worth offering later.
        const QString reason = file_->errorString();
        file_.reset();
        QFile::remove(path_);
        ownsFile_ = false;
        releaseLock();
        fail(JournalStatus::CannotWrite, reason);
        return status_;
    }
    dirty_ = true;
    if (!sync())
        return status_;
    syncFolder(folder_);
    return status_;
}

void RecordingJournal::append(double time, float t1, float t2, float t3, float t4,
                              TemperatureUnit unit)
{
    if (!file_)
        return;
    const QByteArray l = MachineCsv::line(MachineSample{time, {t1, t2, t3, t4}, unit});
    if (file_->write(l) != l.size()) {
        fail(JournalStatus::CannotWrite, file_->errorString());
        return;
    }
    dirty_ = true;
    syncIfDue();
}

void RecordingJournal::unitUnknown()
{
    if (!file_ || unitAt_ < 0)
        return;
    const qint64 end = file_->pos();
    if (!file_->seek(unitAt_) || file_->write("?", 1) != 1 || !file_->seek(end)) {
        fail(JournalStatus::CannotWrite, file_->errorString());
        return;
    }
    dirty_ = true;
}

void RecordingJournal::syncIfDue()
{
    collectSyncs();
    if (file_ && dirty_ && clock_.TickMs() - lastSyncMs_ >= SyncIntervalMs)
        sync();
}

// Hands the file to the syncer: what was written so far becomes durable without waiting here.
bool RecordingJournal::sync()
{
    if (!file_)
        return false;
    const int error = syncer_.request(file_->handle(), fileNumber_);
    lastSyncMs_ = clock_.TickMs();
    if (error != 0) {
        fail(JournalStatus::CannotSync, QString::fromLocal8Bit(std::strerror(error)));
        return false;
    }
    dirty_ = false;
    ++syncs_;
    return true;
}

void RecordingJournal::collectSyncs()
{
    const JournalSyncer::Outcome o = syncer_.collect();
    if (o.error != 0 && status_ == JournalStatus::Ok)
        fail(JournalStatus::CannotSync, QString::fromLocal8Bit(std::strerror(o.error)));
}

void RecordingJournal::waitForSyncs()
{
    syncer_.waitIdle();
    collectSyncs();
}

void RecordingJournal::finish()
{
    if (!file_)
        return;
    if (dirty_ && !sync())
        return;
    file_->close();
    file_.reset();
}

bool RecordingJournal::discard()
{
    file_.reset();
    dirty_ = false;
    bool removed = true;
    if (ownsFile_) {
        removed = !QFileInfo::exists(path_) || QFile::remove(path_);
        ownsFile_ = !removed;
    }
    if (removed) {
        path_.clear();
        releaseLock();
    }
    return removed;
}

QString journalLockPath(const QString& journal)
{
    return journal + QStringLiteral(".lock");
}

bool takeJournalLock(QLockFile& lock)
{
    lock.setStaleLockTime(0);
    // Where no lock can be made at all (read-only media) no running program writes either.
    return lock.tryLock(0) || lock.error() != QLockFile::LockFailedError;
}

// ---- Recovery ----

QStringList pendingJournals(const QString& folder)
{
    const QDir dir(folder);
    QStringList out;
    const QStringList names =
        dir.entryList({QStringLiteral("*.csv")}, QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& n : names)
        out.append(dir.filePath(n));
    return out;
}

RecoveredJournal readJournal(const QString& path)
{
    RecoveredJournal r;
    r.info.path = path;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        r.status = JournalStatus::CannotRead;
        r.reason = file.errorString();
        return r;
    }
    const QByteArray bytes = file.readAll();
    MachineCsv::Content content = MachineCsv::read(bytes);
    std::optional<JournalHeader> header;
    if (!content.comments.isEmpty())
        header = parseJournalComment(content.comments.front());
    // A comment line that is not ours counts as damage.
    r.info.skippedLines = content.skippedLines + (content.comments.isEmpty() || header ? 0 : 1);
    r.info.headerKnown = header.has_value();
    if (header) {
        r.info.header = *header;
    } else if (const auto t = timeFromFileName(path)) {
        r.info.header.startTime = *t;
    } else if (!content.samples.empty()) {
        r.info.header.startTime = content.samples.front().time;
    }
    // Journals written before the unit column carry the unit of the whole recording in their
    // comment line (unless it says "?").
    if (!content.unitColumn && header && header->unitKnown)
        for (MachineSample& s : content.samples)
            if (s.unit == TemperatureUnit::Unknown)
                s.unit = unitOf(header->celsius);
    r.info.sampleCount = static_cast<int>(content.samples.size());
    r.samples = std::move(content.samples);
    return r;
}

JournalStatus moveToRecovered(const QString& path, QString* reason, QString* movedTo)
{
    const QFileInfo info(path);
    const QDir target(info.dir().filePath(kRecovered));
    if (!QDir().mkpath(target.path())) {
        if (reason)
            *reason = QStringLiteral("the folder \"%1\" cannot be created").arg(shown(target.path()));
        return JournalStatus::CannotCreateFolder;
    }
    QString dest = target.filePath(info.fileName());
    for (int n = 2; QFileInfo::exists(dest) && n < 1000; ++n)
        dest = target.filePath(QStringLiteral("%1_%2.%3")
                                   .arg(info.completeBaseName())
                                   .arg(n)
                                   .arg(info.suffix()));
    QFile file(path);
    if (!file.rename(dest)) {
        if (reason)
            *reason = file.errorString();
        return JournalStatus::CannotMove;
    }
    if (movedTo)
        *movedTo = dest;
    return JournalStatus::Ok;
}

QString journalQuestionText(const JournalInfo& info)
{
    QString text = QStringLiteral("A real-time recording started on %1 was not saved: %2 samples "
                                  "are kept in its journal.")
                       .arg(LocaleText::dateTimeText(info.header.startTime))
                       .arg(info.sampleCount);
    if (info.skippedLines > 0)
        text += QStringLiteral(" %1 damaged line(s) of the journal were skipped.")
                    .arg(info.skippedLines);
    return text + QStringLiteral("\nDo you want to open it ?");
}

QString journalCaption(const JournalInfo& info)
{
    return QStringLiteral("Recovered recording of %1")
        .arg(LocaleText::dateTimeText(info.header.startTime));
}

void fillChartFromJournal(ChartState& prepared, const std::vector<MachineSample>& samples)
{
    ChartData& d = prepared.data;
    const int n = std::min<int>(d.points(), static_cast<int>(samples.size()));
    for (int k = 0; k < n; ++k) {
        const MachineSample& s = samples[static_cast<std::size_t>(k)];
        for (int c = 0; c < 4; ++c) {
            d.setX(c, k, s.time);
            d.setY(c, k, s.values[static_cast<std::size_t>(c)]);
        }
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Syncs the recording journal to the disk on a thread of its own, so that a slow disk or a
// network folder never holds up the window's timer tick. The journal's lines are written (handed
// to the operating system) before a sync is asked for; the sync only makes them durable.
//
// A request hands over a duplicate of the file's descriptor, so the journal may close its file
// at once. Requests for the same file that wait while another sync runs are served by one sync,
// which covers everything written before it starts: a disk that keeps up syncs as often as asked,
// one that does not is never more than one sync behind. The outcome is collected on the caller's
// thread.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>

class JournalSyncer {
public:
    // Makes what was written to the descriptor durable; 0, or the errno of the failure. The
    // default is fdatasync() (fsync() where there is none).
    using SyncFn = std::function<int(int fd)>;

    explicit JournalSyncer(SyncFn sync = {});
    // Waits for the syncs asked for: a journal closed at the program's end is on the disk.
    ~JournalSyncer();
    JournalSyncer(const JournalSyncer&) = delete;
    JournalSyncer& operator=(const JournalSyncer&) = delete;

    // Asks for a sync of the file behind fd; file tells the files apart (requests for the same
    // file may be served by one sync). 0, or the errno when the descriptor cannot be duplicated.
    int request(int fd, std::uint64_t file);

    // The syncs that ended since the last call, and the errno of the first that failed (0).
    struct Outcome {
        int done = 0;
        int error = 0;
    };
    Outcome collect();
    // Waits until every sync asked for has ended.
    void waitIdle();

private:
    struct Request {
        int fd = -1;
        std::uint64_t file = 0;
    };
    void run();

    SyncFn sync_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<Request> queue_;
    bool running_ = false;   // a sync is under way
    bool stopping_ = false;
    Outcome outcome_;
    std::thread thread_;
};

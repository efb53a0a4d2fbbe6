// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/PortAccessCheck.h"

#include "app/PortAccess.h"

#include <QMetaObject>

#include <mutex>
#include <thread>

// What a look-up's thread shares with the object: the answer is posted only while the object
// lives (the destructor clears it under the lock).
struct PortAccessCheck::Channel {
    std::mutex lock;
    PortAccessCheck* owner = nullptr;
};

namespace {
// getpwuid, getgrgid and getpwnam use static buffers: one look-up at a time.
std::mutex& lookupLock()
{
    static std::mutex m;
    return m;
}
} // namespace

PortAccessCheck::PortAccessCheck(Lookup lookup, QObject* parent)
    : QObject(parent), lookup_(lookup ? std::move(lookup) : Lookup(&portAccessProblem)),
      channel_(std::make_shared<Channel>())
{
    channel_->owner = this;
}

PortAccessCheck::~PortAccessCheck()
{
    const std::lock_guard guard(channel_->lock);
    channel_->owner = nullptr;
}

void PortAccessCheck::Check(const QString& device)
{
    if (pending_.contains(device))
        return;
    pending_.insert(device);
    std::thread([channel = channel_, lookup = lookup_, device] {
        QString problem;
        {
            const std::lock_guard guard(lookupLock());
            problem = lookup(device);
        }
        const std::lock_guard guard(channel->lock);
        if (PortAccessCheck* owner = channel->owner)
            QMetaObject::invokeMethod(
                owner,
                [owner, device, problem] {
                    owner->pending_.remove(device);
                    emit owner->Checked(device, problem);
                },
                Qt::QueuedConnection);
    }).detach();
}

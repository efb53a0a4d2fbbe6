// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The permission check of serial devices (PortAccess.h) away from the window's thread: it asks
// the system's user and group databases, which may sit on a network (LDAP, NIS) and take
// seconds. Each device is looked up on a thread of its own, one look-up at a time across the
// program (the databases' functions are not reentrant); the answer comes back through Checked
// on the thread that owns this object. A device whose look-up is still running is not asked
// again; a look-up that never ends holds up nothing but itself.

#include <QObject>
#include <QSet>
#include <QString>

#include <functional>
#include <memory>

class PortAccessCheck final : public QObject {
    Q_OBJECT
public:
    // The look-up: the user's text for what keeps the device from being opened, "" for nothing.
    using Lookup = std::function<QString(const QString& device)>;

    explicit PortAccessCheck(Lookup lookup = {}, QObject* parent = nullptr);
    ~PortAccessCheck() override;

    // Starts a look-up of device unless one is running; returns at once.
    void Check(const QString& device);
    bool Pending(const QString& device) const { return pending_.contains(device); }

signals:
    void Checked(const QString& device, const QString& problem);

private:
    struct Channel;
    Lookup lookup_;
    std::shared_ptr<Channel> channel_;
    QSet<QString> pending_;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Why a serial device cannot be opened when the system's permissions are the cause: the device,
// and what the user must do, usually join the group that owns it ("dialout" on most systems,
// but the text names the device's real group). The program's window shows the text in its status
// bar and in the port list's tool tip; kolva-cli prints it.
//
// The facts are gathered from the system (stat, access, the process's groups, the group
// database) by portAccessFacts(); the decision and the text are pure functions of them, so tests
// give them any situation.

#include <QString>

enum class PortAccessStatus {
    Ok,            // nothing in the permissions stands in the way (the device may still be busy)
    Missing,       // there is no such device
    NeedsGroup,    // members of the device's group may open it, and the user is not one
    NeedsNewLogin, // the user was added to that group after this login session began
    OwnerOnly,     // only the device's owner may open it
    Denied,        // the system refuses for another reason (a folder on the way, an ACL, ...)
};

struct PortAccessFacts {
    QString device;
    bool exists = false;          // false only when the system says there is no such file
    bool accessible = false;      // this process may open it for reading and writing
    bool statusKnown = false;     // owner, group and mode below were read
    unsigned mode = 0;            // permission bits and file type (st_mode)
    QString ownerName;            // the owner's user name, or its number
    QString groupName;            // the owning group's name, or its number
    bool processInGroup = false;  // the owning group is among this process's groups
    bool userListedInGroup = false; // the group database makes the user a member of it
    QString userName;             // the user this process runs as
};

// What the system says about device and this process.
PortAccessFacts portAccessFacts(const QString& device);

PortAccessStatus portAccessStatus(const PortAccessFacts& facts);

// The user's text for the status of these facts; "" for Ok.
QString portAccessText(const PortAccessFacts& facts);

// portAccessText(portAccessFacts(device)): "" when the permissions let this process open it.
QString portAccessProblem(const QString& device);

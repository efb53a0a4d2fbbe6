// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/PortAccess.h"

#include <QDir>
#include <QFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>
#endif

namespace {

constexpr unsigned kGroupReadWrite = 0060;

// "crw-rw----" as ls shows it.
QString modeText(unsigned mode)
{
    QString text;
#ifdef Q_OS_UNIX
    text += S_ISCHR(mode) ? QLatin1Char('c') : S_ISDIR(mode) ? QLatin1Char('d') : QLatin1Char('-');
#else
    text += QLatin1Char('-');
#endif
    static const char letters[] = "rwx";
    for (int shift = 6; shift >= 0; shift -= 3)
        for (int bit = 0; bit < 3; ++bit)
            text += (mode >> (shift + 2 - bit)) & 1u ? QLatin1Char(letters[bit]) : QLatin1Char('-');
    return text;
}

#ifdef Q_OS_UNIX
QString userNameOf(uid_t uid)
{
    if (const passwd* pw = getpwuid(uid))
        return QString::fromLocal8Bit(pw->pw_name);
    return QString::number(uid);
}

bool processHasGroup(gid_t gid)
{
    if (getegid() == gid)
        return true;
    const int n = getgroups(0, nullptr);
    if (n <= 0)
        return false;
    std::vector<gid_t> list(static_cast<std::size_t>(n));
    const int got = getgroups(n, list.data());
    for (int i = 0; i < got; ++i)
        if (list[static_cast<std::size_t>(i)] == gid)
            return true;
    return false;
}

// The group database (and the user's primary group) make the user a member.
bool userListed(const QByteArray& user, gid_t gid)
{
    if (const passwd* pw = getpwnam(user.constData()); pw && pw->pw_gid == gid)
        return true;
    const group* gr = getgrgid(gid);
    if (!gr)
        return false;
    for (char** member = gr->gr_mem; member && *member; ++member)
        if (user == *member)
            return true;
    return false;
}
#endif

} // namespace

PortAccessFacts portAccessFacts(const QString& device)
{
    PortAccessFacts f;
    f.device = device;
#ifdef Q_OS_UNIX
    const QByteArray path = QFile::encodeName(device);
    f.userName = userNameOf(geteuid());
    struct stat st {};
    if (::stat(path.constData(), &st) != 0) {
        // Only "no such file" means it is missing; a folder on the way that may not be searched
        // hides whether it exists.
        f.exists = errno != ENOENT && errno != ENOTDIR;
        return f;
    }
    f.exists = true;
    f.accessible = ::access(path.constData(), R_OK | W_OK) == 0;
    f.statusKnown = true;
    f.mode = unsigned(st.st_mode);
    f.ownerName = userNameOf(st.st_uid);
    if (const group* gr = getgrgid(st.st_gid))
        f.groupName = QString::fromLocal8Bit(gr->gr_name);
    else
        f.groupName = QString::number(st.st_gid);
    f.processInGroup = processHasGroup(st.st_gid);
    f.userListedInGroup = userListed(f.userName.toLocal8Bit(), st.st_gid);
#else
    f.exists = QFile::exists(device) || device.startsWith(QLatin1String("\\\\.\\"));
    f.accessible = true;
#endif
    return f;
}

PortAccessStatus portAccessStatus(const PortAccessFacts& f)
{
    if (!f.exists)
        return PortAccessStatus::Missing;
    if (f.accessible)
        return PortAccessStatus::Ok;
    if (!f.statusKnown)
        return PortAccessStatus::Denied;
    if ((f.mode & kGroupReadWrite) == kGroupReadWrite && !f.processInGroup)
        return f.userListedInGroup ? PortAccessStatus::NeedsNewLogin : PortAccessStatus::NeedsGroup;
    if ((f.mode & kGroupReadWrite) != kGroupReadWrite && f.ownerName != f.userName)
        return PortAccessStatus::OwnerOnly;
    return PortAccessStatus::Denied;
}

QString portAccessText(const PortAccessFacts& f)
{
    const QString device = QDir::toNativeSeparators(f.device);
    const QString onlyGroup =
        QStringLiteral("Permission denied: %1 may only be opened by members of the group \"%2\".")
            .arg(device, f.groupName);
    switch (portAccessStatus(f)) {
    case PortAccessStatus::Ok:
        return {};
    case PortAccessStatus::Missing:
        return QStringLiteral("The serial device %1 does not exist.").arg(device);
    case PortAccessStatus::NeedsGroup:
        return onlyGroup
            + QStringLiteral(" Add the user %1 to it (sudo usermod -aG %2 %1), then log out and "
                             "in again.")
                  .arg(f.userName, f.groupName);
    case PortAccessStatus::NeedsNewLogin:
        return onlyGroup
            + QStringLiteral(" The user %1 is a member, but this login session began before it "
                             "was added: log out and in again.")
                  .arg(f.userName);
    case PortAccessStatus::OwnerOnly:
        return QStringLiteral("Permission denied: %1 (%2) may only be opened by its owner \"%3\".")
            .arg(device, modeText(f.mode), f.ownerName);
    case PortAccessStatus::Denied:
        return QStringLiteral("Permission denied: the user %1 may not open %2.")
            .arg(f.userName, device);
    }
    return {};
}

QString portAccessProblem(const QString& device)
{
    return portAccessText(portAccessFacts(device));
}

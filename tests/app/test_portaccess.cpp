// SPDX-License-Identifier: GPL-3.0-or-later
// Why a serial device cannot be opened: the decision and its text from given facts (every case a
// user meets), and the facts the system gives for real files.
#include "base/InstallLayout.h"
#include "app/PortAccess.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace {

// /dev/ttyUSB0 crw-rw---- root:dialout, seen by the user "ann" who is not in the group.
PortAccessFacts deniedUsbAdapter()
{
    PortAccessFacts f;
    f.device = QStringLiteral("/dev/ttyUSB0");
    f.exists = true;
    f.accessible = false;
    f.statusKnown = true;
    f.mode = S_IFCHR | 0660;
    f.ownerName = QStringLiteral("root");
    f.groupName = QStringLiteral("dialout");
    f.userName = QStringLiteral("ann");
    return f;
}

} // namespace

TEST(PortAccess, TheReasonNamesTheDeviceAndWhatTheUserMustDo)
{
    PortAccessFacts f = deniedUsbAdapter();
    EXPECT_EQ(portAccessStatus(f), PortAccessStatus::NeedsGroup);
    EXPECT_EQ(portAccessText(f).toStdString(),
              "Permission denied: /dev/ttyUSB0 may only be opened by members of the group "
              "\"dialout\". Add the user ann to it (sudo usermod -aG dialout ann), then log out "
              "and in again.");

    // Systems that give serial devices to another group: the text names that group.
    f.groupName = QStringLiteral("uucp");
    EXPECT_TRUE(portAccessText(f).contains(QStringLiteral("group \"uucp\"")));
    EXPECT_TRUE(portAccessText(f).contains(QStringLiteral("usermod -aG uucp ann")));
    EXPECT_FALSE(portAccessText(f).contains(QStringLiteral("dialout")));

    // Added to the group, but this session began before.
    f.userListedInGroup = true;
    EXPECT_EQ(portAccessStatus(f), PortAccessStatus::NeedsNewLogin);
    EXPECT_TRUE(portAccessText(f).contains(QStringLiteral("log out and in again")));
    EXPECT_FALSE(portAccessText(f).contains(QStringLiteral("usermod")));
}

TEST(PortAccess, OtherCasesGetTheirOwnReasonAndAnOpenableDeviceNone)
{
    PortAccessFacts f = deniedUsbAdapter();
    f.accessible = true;
    EXPECT_EQ(portAccessStatus(f), PortAccessStatus::Ok);
    EXPECT_TRUE(portAccessText(f).isEmpty());

    f = deniedUsbAdapter();
    f.exists = false;
    f.statusKnown = false;
    EXPECT_EQ(portAccessText(f).toStdString(), "The serial device /dev/ttyUSB0 does not exist.");

    // Only its owner may open it: joining a group would not help.
    f = deniedUsbAdapter();
    f.mode = S_IFCHR | 0600;
    EXPECT_EQ(portAccessStatus(f), PortAccessStatus::OwnerOnly);
    EXPECT_TRUE(portAccessText(f).contains(QStringLiteral("/dev/ttyUSB0 (crw-------)")));
    EXPECT_TRUE(portAccessText(f).contains(QStringLiteral("owner \"root\"")));

    // In the group and still refused (an ACL, a read-only mount): no advice that cannot help.
    f = deniedUsbAdapter();
    f.processInGroup = true;
    EXPECT_EQ(portAccessStatus(f), PortAccessStatus::Denied);
    EXPECT_FALSE(portAccessText(f).contains(QStringLiteral("usermod")));

    // A folder on the way may not be searched: whether it exists is not known.
    f = deniedUsbAdapter();
    f.statusKnown = false;
    EXPECT_EQ(portAccessStatus(f), PortAccessStatus::Denied);
}

TEST(PortAccess, FactsOfRealFiles)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("tty"));
    QFile(file).open(QIODevice::WriteOnly);
    const PortAccessFacts present = portAccessFacts(file);
    EXPECT_TRUE(present.exists);
    EXPECT_TRUE(present.statusKnown);
    EXPECT_TRUE(present.accessible);
    EXPECT_FALSE(present.userName.isEmpty());
    EXPECT_TRUE(portAccessProblem(file).isEmpty());

    EXPECT_FALSE(portAccessFacts(dir.filePath(QStringLiteral("none"))).exists);
    // Below a file rather than a folder.
    EXPECT_FALSE(portAccessFacts(file + QStringLiteral("/x")).exists);
    EXPECT_EQ(portAccessStatus(portAccessFacts(dir.filePath(QStringLiteral("none")))),
              PortAccessStatus::Missing);
}

TEST(InstallLayout, TheGuideIsFoundBesideTheProgramOrInTheInstalledTree)
{
    QTemporaryDir prefix;
    const QDir root(prefix.path());
    root.mkpath(QStringLiteral("bin"));
    const QString bin = root.filePath(QStringLiteral("bin"));
    const QString beside = QDir(bin).filePath(QStringLiteral("KOLVAHELP.htm"));

    // Nothing installed: the path beside the program, for the message that names it.
    EXPECT_EQ(helpFilePath(bin), beside);
    EXPECT_FALSE(runsInstalled(bin));

    root.mkpath(QStringLiteral("share/doc/kolva"));
    QFile(root.filePath(QStringLiteral("share/doc/kolva/KOLVAHELP.htm"))).open(QIODevice::WriteOnly);
    EXPECT_EQ(helpFilePath(bin), root.filePath(QStringLiteral("share/doc/kolva/KOLVAHELP.htm")));

    root.mkpath(QStringLiteral("share/kolva"));
    QFile(root.filePath(QStringLiteral("share/kolva/KOLVAHELP.htm"))).open(QIODevice::WriteOnly);
    EXPECT_EQ(helpFilePath(bin), root.filePath(QStringLiteral("share/kolva/KOLVAHELP.htm")));
    EXPECT_TRUE(runsInstalled(bin));
    EXPECT_EQ(installedShareFolder(bin), root.filePath(QStringLiteral("share/kolva")));

    // A portable copy or a build tree keeps its guide beside the program.
    QFile(beside).open(QIODevice::WriteOnly);
    EXPECT_EQ(helpFilePath(bin), beside);

    // A folder that is not called bin is never an installed tree.
    root.mkpath(QStringLiteral("build/share/kolva"));
    root.mkpath(QStringLiteral("build/out"));
    EXPECT_FALSE(runsInstalled(root.filePath(QStringLiteral("build/out"))));
}

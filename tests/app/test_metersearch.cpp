// SPDX-License-Identifier: GPL-3.0-or-later
// The start-up search for the meter, over in-memory ports: which devices are tried, what they
// are sent, which one is kept, and what the window is told afterwards.

#include "FakePorts.h"

#include "app/MeterSearch.h"
#include "link/LiveFrame.h"
#include "link/LiveLink.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace {

const QByteArray kIdentify = QByteArray::fromHex("024b0000000000000003");

struct RecordingView final : ILinkView {
    QStringList log;
    void MeterConnected(const QString& path) override { log << QStringLiteral("connected ") + path; }
    void MeterLost(const QString& path) override { log << QStringLiteral("lost ") + path; }
};

struct Search {
    FakePorts ports;
    QStringList progress;
    QList<int> selections;
    int waitedMs = 0;

    MeterSearchResult run(const QStringList& list, int lastConnected)
    {
        MeterSearchHooks hooks;
        hooks.waitWithMessages = [this](int ms) { waitedMs += ms; };
        hooks.showProgress = [this](const QString& t) { progress << t; };
        hooks.selectItem = [this](int i) { selections << i; };
        return SearchMeter(ports, list, lastConnected, hooks);
    }
};

const QStringList kFour{"/dev/ttyA", "/dev/ttyB", "/dev/ttyC", "/dev/ttyD"};

} // namespace

TEST(MeterSearch, MeterOnThirdOfFourIsKeptOpenAndTheRestAreLeftAlone)
{
    Search s;
    for (const QString& d : kFour)
        s.ports.devices[d] = FakeDevice{};
    s.ports.devices["/dev/ttyA"].reply = "ERR?";
    s.ports.devices["/dev/ttyC"].reply = "461\r\n";

    const MeterSearchResult r = s.run(kFour, 0);

    EXPECT_TRUE(r.found);
    EXPECT_EQ(r.selectedIndex, 2);
    EXPECT_EQ(r.lastConnectedPort, 2);
    EXPECT_EQ(r.devicePath, "/dev/ttyC");
    EXPECT_TRUE(s.ports.Active());
    EXPECT_EQ(s.ports.DeviceName(), "/dev/ttyC");
    for (const char* d : {"/dev/ttyA", "/dev/ttyB"}) {
        const FakeDevice& dev = s.ports.devices[d];
        EXPECT_EQ(dev.openCount, 1) << d;
        EXPECT_EQ(dev.closeCount, 1) << d;
        EXPECT_EQ(dev.written, kIdentify) << d;
    }
    EXPECT_EQ(s.ports.devices["/dev/ttyC"].written, kIdentify);
    EXPECT_EQ(s.ports.devices["/dev/ttyC"].closeCount, 0);
    EXPECT_EQ(s.ports.devices["/dev/ttyD"].openCount, 0);
    EXPECT_TRUE(s.ports.devices["/dev/ttyD"].written.isEmpty());
    EXPECT_EQ(s.selections, (QList<int>{0, 1, 2}));
    EXPECT_EQ(s.progress, (QStringList{"Searching Meter on /dev/ttyA", "Searching Meter on /dev/ttyB",
                                       "Searching Meter on /dev/ttyC"}));
    EXPECT_EQ(s.waitedMs, 3 * (300 + 300 + 500));
}

TEST(MeterSearch, RepliesThatIdentifyTheMeter)
{
    EXPECT_TRUE(isMeterReply("461A"));
    EXPECT_TRUE(isMeterReply("x461"));
    EXPECT_TRUE(isMeterReply(QByteArray("\0" "461", 4)));
    EXPECT_TRUE(isMeterReply("4610000000"));
    EXPECT_FALSE(isMeterReply("461"));       // three bytes are not enough
    EXPECT_FALSE(isMeterReply("4 61"));
    EXPECT_FALSE(isMeterReply("xx461"));     // "461" must stand among the first four
    EXPECT_FALSE(isMeterReply(QByteArray()));
}

TEST(MeterSearch, ShortOrForeignRepliesAndUnopenableDevicesAreSkipped)
{
    Search s;
    const QStringList list{"/dev/short", "/dev/foreign", "/dev/locked", "/dev/broken", "/dev/meter"};
    s.ports.devices["/dev/short"].reply = "461";
    s.ports.devices["/dev/foreign"].reply = "OK\r\n";
    s.ports.devices["/dev/locked"].opens = false;
    s.ports.devices["/dev/broken"].failWrite = true;
    s.ports.devices["/dev/meter"].reply = "K461";

    const MeterSearchResult r = s.run(list, 0);

    EXPECT_TRUE(r.found);
    EXPECT_EQ(r.selectedIndex, 4);
    EXPECT_EQ(s.ports.devices["/dev/short"].closeCount, 1);
    EXPECT_EQ(s.ports.devices["/dev/foreign"].closeCount, 1);
    EXPECT_EQ(s.ports.devices["/dev/locked"].openCount, 0);
    EXPECT_EQ(s.ports.devices["/dev/broken"].closeCount, 1); // a failing write is not the end
}

TEST(MeterSearch, NoMeterPreselectsTheRememberedPortOrTheFirstAndLeavesItClosed)
{
    {
        Search s;
        const QStringList three{"/dev/a", "/dev/b", "/dev/c"};
        for (const QString& d : three)
            s.ports.devices[d].reply = "????";
        const MeterSearchResult r = s.run(three, 7);
        EXPECT_FALSE(r.found);
        EXPECT_EQ(r.lastConnectedPort, 0);
        EXPECT_EQ(r.selectedIndex, 0);
        EXPECT_EQ(r.devicePath, "/dev/a");
        EXPECT_EQ(s.selections.last(), 0);
        EXPECT_FALSE(s.ports.Active());
    }
    {
        Search s;
        const QStringList three{"/dev/a", "/dev/b", "/dev/c"};
        const MeterSearchResult r = s.run(three, 2); // none of them opens
        EXPECT_FALSE(r.found);
        EXPECT_EQ(r.lastConnectedPort, 2);
        EXPECT_EQ(r.devicePath, "/dev/c");
        EXPECT_EQ(s.ports.DeviceName(), "/dev/c");
    }
    {
        Search s;
        const MeterSearchResult r = s.run({"/dev/a"}, -3);
        EXPECT_EQ(r.lastConnectedPort, 0);
    }
}

TEST(MeterSearch, NoPortsAtAllLeavesThePlaceholderDeviceAndWaitsForNothing)
{
    Search s;
    const MeterSearchResult r = s.run({}, 0);
    EXPECT_FALSE(r.found);
    EXPECT_EQ(r.selectedIndex, -1);
    EXPECT_EQ(r.devicePath, "ComPort");
    EXPECT_EQ(s.waitedMs, 0);
    EXPECT_TRUE(s.progress.isEmpty());
    EXPECT_FALSE(s.ports.Active());
}

TEST(MeterSearch, CancelledSearchStopsTryingDevices)
{
    Search s;
    for (const QString& d : kFour)
        s.ports.devices[d].reply = "nope";
    bool cancel = false;
    MeterSearchHooks hooks;
    hooks.waitWithMessages = [&](int) {};
    hooks.selectItem = [&](int i) { cancel = cancel || i == 1; };
    hooks.cancelled = [&] { return cancel; };
    const MeterSearchResult r = SearchMeter(s.ports, kFour, 0, hooks);
    EXPECT_FALSE(r.found);
    EXPECT_EQ(s.ports.devices["/dev/ttyC"].openCount, 0);
    EXPECT_FALSE(s.ports.Active());
}

TEST(MeterSearch, AfterTheSearchTheStreamStartsOnlyOnAnOpenPort)
{
    const QByteArray startStream = QByteArray::fromHex("02610000000000000003");
    {
        Search s;
        s.ports.devices["/dev/m"].reply = "461 ";
        const MeterSearchResult r = s.run({"/dev/m"}, 0);
        RecordingView view;
        LinkState link;
        ApplySearchResult(r, s.ports, view, link);
        EXPECT_TRUE(link.Connected);
        EXPECT_EQ(view.log, QStringList{"connected /dev/m"});
        EXPECT_EQ(s.ports.devices["/dev/m"].written.right(10), startStream);
        EXPECT_EQ(s.ports.InputCount(), 0); // the identification reply was purged
    }
    {
        Search s;
        const MeterSearchResult r = s.run({"/dev/x", "/dev/y"}, 1);
        RecordingView view;
        LinkState link;
        link.Connected = true;
        ApplySearchResult(r, s.ports, view, link);
        EXPECT_FALSE(link.Connected);
        EXPECT_EQ(view.log, QStringList{"lost /dev/y"});
        EXPECT_TRUE(s.ports.devices["/dev/y"].written.isEmpty());
    }
}

TEST(MeterSearch, PortListPutsExtraPathsAfterTheSystemsAndDropsDuplicates)
{
    EXPECT_EQ(buildPortList({"/dev/ttyUSB0", "/dev/ttyACM0"}, {"/dev/pts/4", "/dev/ttyUSB0", ""}),
              (QStringList{"/dev/ttyUSB0", "/dev/ttyACM0", "/dev/pts/4"}));
    EXPECT_TRUE(buildPortList({}, {}).isEmpty());
}

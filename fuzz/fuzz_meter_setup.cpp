// SPDX-License-Identifier: GPL-3.0-or-later
// The meter set-up's exchanges (handshake, clock, interval, erase, defaults, reading the meter's
// information or its header page alone, as the erase question does) against a meter whose every
// reply comes from the fuzzer's bytes (ReplyScript).
// The first bytes choose one to four operations in a row; an interval takes its two texts from
// the input.
#include "FuzzSupport.h"
#include "ReplyScript.h"

#include "base/SilentAbort.h"
#include "logger/MeterSetup.h"
#include "tools/sim/MeterModel.h"

#include <vector>

namespace {

sim::MeterModel& unusedMeter()
{
    // The line is cut: the simulated meter itself never hears or says anything here.
    static sim::MeterModel meter;
    return meter;
}

QString shortText(FuzzInput& in)
{
    return QString::fromLatin1(in.bytes(in.byte() % 4));
}

void checkInfo(const MeterInfo& info)
{
    if (info.firmwareVersion)
        FUZZ_CHECK(*info.firmwareVersion >= -128 && *info.firmwareVersion <= 127, "a version no byte gives");
    if (info.meterTime)
        FUZZ_CHECK(isDateTime(*info.meterTime), "a meter clock that is no date-time");
    if (info.header) {
        FUZZ_CHECK(info.header->dataSets >= 0 && info.header->dataSets <= 0xFFFF
                       && info.header->usedLength >= 0 && info.header->usedLength <= 0xFFFFFF,
                   "a header field wider than its bytes");
        const int free = memoryAvailable(info.header->usedLength);
        FUZZ_CHECK(free >= 0 && free <= kMemoryForSamples / 8, "free memory beyond the meter's");
    }
    const MeterInfoTexts t = meterInfoTexts(info);
    FUZZ_CHECK(t.firmwareVersion.isEmpty() != info.firmwareVersion.has_value()
                   && t.meterTime.isEmpty() != info.meterTime.has_value()
                   && t.interval.isEmpty() != info.header.has_value(),
               "a text for a field that was not read, or none for one that was");
    for (const QString& g : t.gains)
        FUZZ_CHECK(g.isEmpty() != info.header.has_value(), "a gain text that does not follow the header");
    FUZZ_CHECK(meterInfoLines(t).size() >= 6, "the information lines are missing");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    std::vector<int> operations(1 + in.byte() % 4);
    for (int& op : operations)
        op = in.byte() % 7;

    ManualClock clock(45000.5);
    sim::SimPort port(unusedMeter(), clock, QStringLiteral("/dev/ttyUSB0"));
    port.setLineCut(true);
    port.Open();
    ReplyScript meter(in, port, clock);
    int busyDepth = 0;
    MeterSetup setup(port,
                     DownloadServices{[&](int ms) { meter.advance(ms + 1); }, [&] { meter.advance(10); }, &clock},
                     [&](bool on) {
                         FUZZ_CHECK(on == (busyDepth == 0), "the busy cursor shown twice or hidden twice");
                         busyDepth += on ? 1 : -1;
                     });

    try {
        for (const int op : operations) {
            const std::size_t before = meter.commands().size();
            switch (op) {
            case 0:
                setup.MeterHandshake();
                break;
            case 1: {
                const ClockResult r = setup.AdjustMeterTime();
                FUZZ_CHECK(r.status == ClockStatus::Ok || r.status == ClockStatus::NoRequestReply
                               || r.status == ClockStatus::WrongRequestReply || r.status == ClockStatus::NoDataReply
                               || r.status == ClockStatus::NoReadBackReply,
                           "a clock status that the exchange does not give");
                FUZZ_CHECK(!setupMessage(r).isEmpty() && labelGreen(r) == (r.status == ClockStatus::Ok),
                           "a clock outcome without its message or colour");
                break;
            }
            case 2: {
                const QString minutes = shortText(in), seconds = shortText(in);
                const IntervalStatus s = setup.AdjustRecordingInterval(minutes, seconds);
                const bool valid = Setup::intervalBytes(minutes, seconds).has_value();
                FUZZ_CHECK((s == IntervalStatus::InvalidInput) == !valid, "an interval refused or taken wrongly");
                FUZZ_CHECK(valid || meter.commands().size() == before, "an invalid interval was sent");
                FUZZ_CHECK(!setupMessage(s).isEmpty(), "an interval outcome without its message");
                break;
            }
            case 3:
                FUZZ_CHECK(!setupMessage(setup.EraseMeterMemory()).isEmpty(), "an erase outcome without its message");
                break;
            case 4:
                FUZZ_CHECK(!setupMessage(setup.SetMeterDefaults()).isEmpty(), "an outcome without its message");
                break;
            case 5:
                checkInfo(setup.ReadMeterInfo());
                break;
            default: {
                MeterInfo info;
                info.header = setup.ReadHeaderPage();
                checkInfo(info);
                const auto sets = info.header ? std::optional<int>(info.header->dataSets) : std::nullopt;
                FUZZ_CHECK(!eraseQuestion(EraseBy::EraseButton, sets).isEmpty(), "an erase question without its text");
                break;
            }
            }
            FUZZ_CHECK(busyDepth == 0, "the busy cursor stays after an operation");
        }
    } catch (const SilentAbort&) {
        // The port raises it for a read of more than waits, or an operation on a closed port.
        FUZZ_CHECK(false, "a port operation that the port refused");
    }
    return 0;
}

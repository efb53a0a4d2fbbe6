// SPDX-License-Identifier: GPL-3.0-or-later
// The live byte stream through the receive handler (the frame reader) and the decoder, as the
// main window runs them. The first byte sets how many bytes each receive event finds waiting,
// the second the locale of the panel's texts; the rest is the stream from the meter.
//
// The frames handed out must be exactly those that a plain scan of the whole stream finds (a good
// frame at a 0x02 is taken whole, anything else costs one byte), whatever the pieces it came in;
// the decoded readings must be what two bytes of tenths can give, and every value text must read
// back as its value.
#include "FuzzSupport.h"

#include "link/LiveDecoder.h"
#include "link/LiveLink.h"
#include "tools/sim/MeterModel.h"
#include "tools/sim/SimPort.h"

#include <vector>

namespace {

struct CountingView : ILinkView {
    void MeterConnected(const QString&) override { ++connected; }
    void MeterLost(const QString&) override { ++lost; }
    int connected = 0, lost = 0;
};

sim::MeterModel& unusedMeter()
{
    static sim::MeterModel meter;
    return meter;
}

std::vector<LiveFrame> plainScan(const QByteArray& stream)
{
    std::vector<LiveFrame> out;
    const auto* p = reinterpret_cast<const std::uint8_t*>(stream.constData());
    const auto n = std::size_t(stream.size());
    for (std::size_t i = 0; i + kLiveFrameLength <= n;) {
        if (isGoodLiveFrame(p + i)) {
            LiveFrame f;
            std::copy_n(p + i, kLiveFrameLength, f.begin());
            out.push_back(f);
            i += kLiveFrameLength;
        } else {
            ++i;
        }
    }
    return out;
}

bool isTenths(float v)
{
    return std::isfinite(v) && v >= -3276.8f && v <= 3276.7f;
}

bool isStamp(const QString& s)
{
    return s == QLatin1String("- - - -")
        || (s.size() == 5 && (s[2] == QLatin1Char('-') || s[2] == QLatin1Char(':')));
}

// A value label shows a number that reads back in the locale, a mark, or (in the statistic
// modes) the stamp of the statistic.
void checkValueText(const std::optional<QString>& text, const QLocale& locale)
{
    if (!text || text->isEmpty() || *text == QLatin1String("-OL-") || isStamp(*text))
        return;
    bool ok = false;
    const double v = locale.toDouble(*text, &ok);
    FUZZ_CHECK(ok && std::abs(v) < 6553.6, "a value text that does not read back as a value");
}

void checkStamp(const QString& s)
{
    FUZZ_CHECK(isStamp(s), "a stamp text of the wrong form");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    const int piece = 1 + in.byte();
    const QLocale locale = in.byte() & 1 ? QLocale(QLocale::German, QLocale::Germany) : QLocale::c();
    const QByteArray stream = in.rest();

    ManualClock clock;
    sim::SimPort port(unusedMeter(), clock, QStringLiteral("/dev/ttyUSB0"));
    port.setLineCut(true);
    port.Open();
    CountingView view;
    LiveReading reading;
    DecoderState state;
    std::vector<LiveFrame> frames;
    LiveLink link(port, view, LinkHooks{[&](const LiveFrame& f) {
                                            frames.push_back(f);
                                            const PanelDisplay d = DecodeLiveFrame(f, reading, state, locale);
                                            for (float v : reading.Channel)
                                                FUZZ_CHECK(isTenths(v), "a channel reading no two bytes give");
                                            FUZZ_CHECK(isTenths(reading.MaxValue) && isTenths(reading.MinValue)
                                                           && isTenths(reading.AvgValue),
                                                       "a statistic no two bytes give");
                                            FUZZ_CHECK(reading.Mode <= 7 && reading.Battery <= 3
                                                           && reading.Thermocouple <= 15 && d.battery <= 3,
                                                       "a status field wider than its bits");
                                            for (const auto& stamps : {reading.MaxStamp, reading.MinStamp, reading.AvgStamp})
                                                for (const QString& s : stamps)
                                                    checkStamp(s);
                                            for (const auto& text : d.value)
                                                checkValueText(text, locale);
                                        },
                                        [] { return false; }, [](double) {}});

    for (qsizetype at = 0; at < stream.size(); at += piece) {
        port.inject(stream.mid(at, piece));
        // One receive event takes at most 256 bytes: the next one comes while some are left.
        while (port.InputCount() > 0)
            link.Comm1RxChar();
        FUZZ_CHECK(!link.State().InReceive, "the receive handler stays marked busy");
        FUZZ_CHECK(link.State().ReceiveBuffer.size() < qsizetype(kLiveFrameLength),
                   "a whole frame's worth of bytes left waiting");
    }
    link.Comm1RxChar();

    FUZZ_CHECK(frames == plainScan(stream), "the frames differ from a plain scan of the stream");
    FUZZ_CHECK(view.connected == (frames.empty() ? 0 : 1) && view.lost == 0, "connected more than once");
    return 0;
}

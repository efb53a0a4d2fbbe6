// SPDX-License-Identifier: GPL-3.0-or-later
// A graph file (.ghf) as Open reads it: the length field, the chart image's header, check value
// and payload, then what a graph window does with a chart it has opened (the statistics boxes,
// the text export's lines) and a save that must read back as the same chart.
//
// The first byte's bit 0 seals the input: the rest is then a payload, wrapped in a length field
// and a header of format 1 or 2 (bit 1) with the right length and check value, so that the
// fuzzer reaches the payload's fields instead of stopping at the check value. Without it the
// rest is the file as it stands.
#include "FuzzSupport.h"

#include "files/TextExport.h"
#include "graph/ChartImage.h"
#include "graph/GraphFile.h"
#include "graph/GraphStatistics.h"

#include <QDir>

namespace {

QByteArray sealed(const QByteArray& payload, std::uint32_t version)
{
    QByteArray image("KOLVACHT");
    const auto put = [&image](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            image.append(char((v >> (8 * i)) & 0xFF));
    };
    put(version);
    put(std::uint32_t(payload.size()));
    put(crc32(payload.constData(), std::size_t(payload.size())));
    image += payload;
    QByteArray file;
    const auto n = std::uint32_t(image.size());
    for (int i = 0; i < 4; ++i)
        file.append(char((n >> (8 * i)) & 0xFF));
    return file + image;
}

struct Boxes : IStatisticsBoxes {
    void SetMaxText(int, const QString& t) override { texts += t.isNull() ? 0 : 1; ++calls; }
    void SetMinText(int, const QString& t) override { texts += t.isNull() ? 0 : 1; ++calls; }
    void SetAvgText(int, const QString& t) override { texts += t.isNull() ? 0 : 1; ++calls; }
    void SetStartTimeText(const QString&) override {}
    void SetDataNoText(const QString& t) override { texts += t.isNull() ? 0 : 1; ++calls; }
    void SetRateIndexes(int m, int s) override
    {
        FUZZ_CHECK(m >= -1 && m <= 60 && s >= -1 && s <= 59, "a rate box index past its items");
    }
    int texts = 0, calls = 0;
};

void checkChart(const ChartState& c)
{
    const ChartData& d = c.data;
    FUZZ_CHECK(d.subsets() >= 1 && d.subsets() <= ChartLimits::MaxSubsets && d.points() >= 0
                   && d.xs().size() == std::size_t(d.subsets()) * std::size_t(d.points())
                   && d.ys().size() == d.xs().size(),
               "data cells that do not match the chart's shape");
    for (const double x : d.xs())
        FUZZ_CHECK(std::isfinite(x), "an X value that is not finite");
    for (const float y : d.ys())
        FUZZ_CHECK(std::isfinite(y), "a Y value that is not finite");
    FUZZ_CHECK(std::isfinite(d.nullValue()), "a null value that is not finite");
    for (const GraphAnnotation& a : c.graphAnnotations)
        FUZZ_CHECK(std::isfinite(a.x) && std::isfinite(a.y), "an annotation at no place");
    FUZZ_CHECK(c.settings.workingAxis >= 0 && c.settings.workingAxis < int(c.settings.axes.size()),
               "a working axis that does not exist");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    const std::uint8_t flags = in.byte();
    const QByteArray file = flags & 1 ? sealed(in.rest(), flags & 2 ? 2 : 1) : in.rest();
    const QString path = QDir(scratchFolder()).filePath(QStringLiteral("fuzz.ghf"));
    FUZZ_CHECK(writeFile(path, file), "the scratch file cannot be written");

    ChartState chart;
    chart.unit = QStringLiteral("kept");
    try {
        readGraphFile(chart, path);
    } catch (const ChartFileError& e) {
        FUZZ_CHECK(!e.text().isEmpty() && chart.unit == QLatin1String("kept"),
                   "a refused file without a reason, or one that changed the chart");
        return 0;
    }
    checkChart(chart);

    const ChartStatistics stats = computeChartStatistics(chart.data);
    FUZZ_CHECK(stats.points == chart.data.points(), "statistics of another number of points");
    for (const ChannelStatistics& ch : stats.channels) {
        FUZZ_CHECK(ch.count >= 0 && ch.count <= stats.points, "more values averaged than there are points");
        FUZZ_CHECK(!ch.average() || std::isfinite(*ch.average()), "an average that is not finite");
    }
    Boxes boxes;
    showChartStatistics(stats, boxes);
    FUZZ_CHECK(boxes.texts == boxes.calls, "a statistics box without its text");

    static const LocaleText::DateTimeFormat format;
    const ChartData& d = chart.data;
    for (int p = 0; p < std::min(d.points(), 32); ++p) {
        const QByteArray line = graphExportLine(d.x(0, p), {d.y(0, p), d.y(1, p), d.y(2, p), d.y(3, p)},
                                                QLatin1Char('\t'), format);
        FUZZ_CHECK(line.endsWith("\r\n") && line.count('\t') == 5, "an export line without its fields");
    }

    FUZZ_CHECK(decodeChartImage(encodeChartImage(chart)) == chart, "a saved chart reads back as another");
    return 0;
}

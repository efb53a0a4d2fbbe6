// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/ChartImage.h"

#include "graph/ByteStream.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace {

constexpr char Signature[8] = {'K', 'O', 'L', 'V', 'A', 'C', 'H', 'T'};

// The fields of each record in their stored order. One list serves the encoder and the decoder,
// so the two never drift apart.

template <class IO, class T>
    requires std::is_same_v<std::remove_const_t<T>, QString> ||
             std::is_same_v<std::remove_const_t<T>, QRgb>
void fields(IO& io, T& v)
{
    io(v);
}

template <class IO, class A>
    requires std::is_same_v<std::remove_const_t<A>, ChartAxis>
void fields(IO& io, A& a)
{
    io(a.manualScaleControlY);
    io(a.manualMinY);
    io(a.manualMaxY);
    io(a.yAxisLabel);
    io(a.multiAxesSubsets);
    io(a.multiAxesProportions);
}

template <class IO, class G>
    requires std::is_same_v<std::remove_const_t<G>, GraphAnnotation>
void fields(IO& io, G& g)
{
    io(g.type);
    io(g.x);
    io(g.y);
    io(g.text);
    io(g.color);
}

template <class IO, class L>
    requires std::is_same_v<std::remove_const_t<L>, VertLineAnnotation>
void fields(IO& io, L& l)
{
    io(l.x);
    io(l.text);
    io(l.color);
}

template <class IO, class S>
    requires std::is_same_v<std::remove_const_t<S>, ChartSettings>
void fields(IO& io, S& s)
{
    io(s.mainTitle);
    io(s.subTitle);
    io(s.xAxisLabel);
    io.list(s.subsetLabels, 4, ChartLimits::MaxSubsets);
    io.list(s.subsetColors, 4, ChartLimits::MaxSubsets);
    io(s.mainTitleFont);
    io(s.subTitleFont);
    io(s.labelFont);
    io(s.gridStyle);
    io(s.gridLineControl);
    io(s.graphForeColor);
    io(s.graphBackColor);
    io(s.deskColor);
    io(s.textColor);
    io(s.lineWidth);
    io(s.dateTimeMode);
    io(s.usingXDataII);
    io(s.manualScaleControlX);
    io(s.manualMinX);
    io(s.manualMaxX);
    io(s.workingAxis);
    io.list(s.axes, 29, ChartLimits::MaxAxes);
    io(s.multiAxesSeparators);
    io(s.allowZooming);
    io(s.scrollingHorzZoom);
    io(s.scrollingVertZoom);
    io(s.showGraphAnnotations);
    io(s.graphAnnotationTextSize);
    io(s.allowGraphAnnotHotSpots);
    io(s.showVertLineAnnotations);
    io(s.allowVertLineAnnotHotSpots);
    io(s.lineAnnotationTextSize);
    io(s.lineGapThreshold);
    io(s.allowDataLabels);
    io(s.allowDataHotSpots);
    io(s.subsetByPoint);
    io(s.prepareImages);
    io(s.noHelp);
    io(s.allowPopup);
    io(s.noRandomPointsToExport);
    io(s.focalRect);
    io(s.allowBar);
    io(s.arrowCursor);
    io(s.allowAxisPage);
    io(s.allowFontPage);
    io(s.allowPage1);
    io(s.allowPage2);
    io(s.allowSubsetsPage);
}

// Writing and reading through the same field lists.
struct Encoder {
    ByteWriter& w;
    void operator()(const int& v) { w.put<std::int32_t>(v); }
    void operator()(const double& v) { w.put<double>(v); }
    void operator()(const bool& v) { w.putBool(v); }
    void operator()(const QRgb& v) { w.put<std::uint32_t>(v); }
    void operator()(const QString& v) { w.putString(v); }
    template <class T>
    void list(const std::vector<T>& v, std::size_t /*minBytes*/, std::size_t /*limit*/)
    {
        w.put<std::uint32_t>(static_cast<std::uint32_t>(v.size()));
        for (const T& e : v)
            fields(*this, e);
    }
};

struct Decoder {
    ByteReader& r;
    void operator()(int& v) { v = r.get<std::int32_t>(); }
    void operator()(double& v) { v = r.getFinite(); }
    void operator()(bool& v) { v = r.getBool(); }
    void operator()(QRgb& v) { v = r.get<std::uint32_t>(); }
    void operator()(QString& v) { v = r.getString(); }
    template <class T>
    void list(std::vector<T>& v, std::size_t minBytes, std::size_t limit)
    {
        const std::size_t n = r.getCount(minBytes, limit);
        v.assign(n, T{});
        for (T& e : v)
            fields(*this, e);
    }
};

void check(bool ok, const char* what)
{
    if (!ok)
        throw ByteStreamError(what);
}

// Values that the renderer and the accessors rely on.
void validate(const ChartSettings& s)
{
    check(s.axes.size() == static_cast<std::size_t>(ChartLimits::MaxAxes), "wrong number of axes");
    check(s.workingAxis >= 0 && s.workingAxis < ChartLimits::MaxAxes, "working axis out of range");
    for (const ChartAxis& a : s.axes) {
        check(a.multiAxesSubsets >= 0 && a.multiAxesSubsets <= ChartLimits::MaxSubsets,
              "axis subset count out of range");
        check(a.multiAxesProportions >= 0 && a.multiAxesProportions <= 1.0,
              "axis proportion out of range");
    }
    check(s.graphAnnotationTextSize > 0 && s.graphAnnotationTextSize <= 1000 &&
              s.lineAnnotationTextSize > 0 && s.lineAnnotationTextSize <= 1000,
          "text size out of range");
    check(s.lineWidth >= 0 && s.lineWidth <= 20, "line width out of range");
}

} // namespace

std::uint32_t crc32(const char* data, std::size_t size)
{
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i)
        c = table[(c ^ p[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

QByteArray encodeChartImage(const ChartState& state)
{
    QByteArray payload;
    const std::size_t cells = state.data.xs().size();
    payload.reserve(static_cast<qsizetype>(cells * 12 + 4096));
    ByteWriter w(payload);
    Encoder enc{w};
    fields(enc, state.settings);
    w.put<std::int32_t>(state.data.subsets());
    w.put<std::int32_t>(state.data.points());
    w.put<float>(state.data.nullValue());
    w.putArray(state.data.xs());
    w.putArray(state.data.ys());
    enc.list(state.graphAnnotations, 0, 0);
    enc.list(state.vertLineAnnotations, 0, 0);
    w.putString(state.unit);

    if (ChartImageHeaderSize + payload.size() > MaxChartImageBytes)
        throw ChartFileError(QStringLiteral("The graph is too large: it holds more than a chart "
                                            "can show."));
    QByteArray image;
    image.reserve(ChartImageHeaderSize + payload.size());
    image.append(Signature, sizeof Signature);
    ByteWriter h(image);
    h.put<std::uint32_t>(ChartImageVersion);
    h.put<std::uint32_t>(static_cast<std::uint32_t>(payload.size()));
    h.put<std::uint32_t>(crc32(payload.constData(), static_cast<std::size_t>(payload.size())));
    image.append(payload);
    return image;
}

void checkChartImageHead(QByteArrayView head, std::uint64_t size)
{
    if (size < static_cast<std::uint64_t>(ChartImageHeaderSize) ||
        head.size() < ChartImageHeaderSize ||
        std::memcmp(head.data(), Signature, sizeof Signature) != 0)
        throw ChartFileError(QStringLiteral("This is not a graph saved by this program."));
    ByteReader header(head.data() + sizeof Signature, ChartImageHeaderSize - sizeof Signature);
    const auto version = header.get<std::uint32_t>();
    const auto length = header.get<std::uint32_t>();
    if (version > ChartImageVersion)
        throw ChartFileError(
            QStringLiteral("This graph was saved by a newer version of the program (format %1); "
                           "this version reads format %2.")
                .arg(version)
                .arg(ChartImageVersion));
    if (version == 0)
        throw ChartFileError(QStringLiteral("The graph is damaged: its format number is wrong."));
    const std::uint64_t payloadSize = size - static_cast<std::uint64_t>(ChartImageHeaderSize);
    if (length > payloadSize)
        throw ChartFileError(QStringLiteral("The graph is incomplete: it is shorter than it says."));
    if (length < payloadSize)
        throw ChartFileError(QStringLiteral("The graph is damaged: it is longer than it says."));
    if (size > static_cast<std::uint64_t>(MaxChartImageBytes))
        throw ChartFileError(QStringLiteral("The graph is damaged: it is larger than any chart "
                                            "can be (%1 bytes).")
                                 .arg(size));
}

ChartState decodeChartImage(const QByteArray& image)
{
    const auto size = static_cast<std::size_t>(image.size());
    checkChartImageHead(QByteArrayView(image).first(std::min<qsizetype>(image.size(),
                                                                          ChartImageHeaderSize)),
                        size);
    const std::size_t payloadSize = size - static_cast<std::size_t>(ChartImageHeaderSize);
    ByteReader header(image.constData() + sizeof Signature, ChartImageHeaderSize - sizeof Signature);
    const auto version = header.get<std::uint32_t>();
    header.get<std::uint32_t>();   // the payload length, checked above
    const auto checkValue = header.get<std::uint32_t>();
    const char* payload = image.constData() + ChartImageHeaderSize;
    if (crc32(payload, payloadSize) != checkValue)
        throw ChartFileError(
            QStringLiteral("The graph is damaged: its check value does not match its content."));

    try {
        ByteReader r(payload, payloadSize);
        Decoder dec{r};
        ChartState state;
        fields(dec, state.settings);
        validate(state.settings);
        const int subsets = r.getInt(1, ChartLimits::MaxSubsets);
        const int points = r.getInt(0, ChartLimits::MaxPoints);
        const std::size_t cells =
            static_cast<std::size_t>(subsets) * static_cast<std::size_t>(points);
        check(cells <= ChartLimits::MaxCells, "too many data cells");
        const float null = r.get<float>();
        auto xs = r.getArray<double>(cells);
        auto ys = r.getArray<float>(cells);
        // The program never keeps a reading or a time that is not a number; statistics, texts and
        // the axes rely on that.
        const auto finite = [](auto v) { return std::isfinite(v); };
        check(std::isfinite(null) && std::all_of(xs.begin(), xs.end(), finite) &&
                  std::all_of(ys.begin(), ys.end(), finite),
              "a data value is not finite");
        state.data.setNullValue(null);
        state.data.adopt(subsets, points, std::move(xs), std::move(ys));
        dec.list(state.graphAnnotations, 28, ChartLimits::MaxAnnotations);
        dec.list(state.vertLineAnnotations, 16, ChartLimits::MaxVertLines);
        if (version >= 2)
            state.unit = r.getString();
        check(r.left() == 0, "unexpected bytes at the end");
        return state;
    } catch (const std::exception& e) {
        throw ChartFileError(QStringLiteral("The graph is damaged: %1.").arg(QString::fromUtf8(e.what())));
    }
}

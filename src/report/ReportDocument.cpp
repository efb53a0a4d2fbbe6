// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/ReportDocument.h"

#include "base/DateTime.h"
#include "base/LocaleText.h"
#include "base/WholeFile.h"
#include "files/ChartSamples.h"
#include "graph/ChartState.h"
#include "graph/GraphStatistics.h"
#include "report/ReportMetadata.h"
#include "report/ReportPlot.h"

#include <QBuffer>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include <functional>
#include <memory>

namespace {

constexpr int kChannels = 4;

struct Fonts {
    QFont body, bold, small, heading, title, mono;
};

Fonts reportFonts()
{
    Fonts f;
    f.body = QGuiApplication::font();
    // Latin text unshaped: no ligatures, whose single glyphs ("fi") a reader's search or copy of
    // the text would not find as the two letters.
    f.body.setStyleHint(QFont::SansSerif, QFont::PreferNoShaping);
    f.body.setPointSizeF(9.0);
    f.bold = f.body;
    f.bold.setBold(true);
    f.small = f.body;
    f.small.setPointSizeF(7.5);
    f.heading = f.bold;
    f.heading.setPointSizeF(11.5);
    f.title = f.bold;
    f.title.setPointSizeF(16.0);
    f.mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    f.mono.setPointSizeF(8.5);
    f.mono.setBold(true);
    f.mono.setStyleStrategy(QFont::PreferNoShaping);
    return f;
}

// A piece of the page flow: its height and how it paints itself with its top at y.
struct Block {
    using Paint = std::function<void(QPainter&, double y)>;
    Block(double h, Paint p, bool keep = false) : height(h), paint(std::move(p)), keepWithNext(keep) {}

    double height = 0.0;
    Paint paint;
    bool keepWithNext = false;                // never the last piece on a page
    std::shared_ptr<const Block> header;      // painted above it when it opens a page
};

struct Placed {
    const Block* block;
    double y;
};

class Flow {
public:
    Flow(QPainter& painter, const Fonts& fonts, double width)
        : p_(painter), fonts_(fonts), width_(width)
    {
    }

    double width() const { return width_; }
    double pt(double points) const { return points * p_.device()->logicalDpiY() / 72.0; }
    std::vector<Block>& blocks() { return blocks_; }

    void space(double points)
    {
        const double h = pt(points);
        blocks_.emplace_back(h, [](QPainter&, double) {});
    }

    void heading(const QString& text)
    {
        space(8);
        const QFont f = fonts_.heading;
        const double h = textHeight(f, text, width_) + pt(3);
        blocks_.emplace_back(h,
                           [f, text, w = width_, this](QPainter& p, double y) {
                               p.setFont(f);
                               p.setPen(Qt::black);
                               p.drawText(QRectF(0, y, w, 1e6), Qt::TextWordWrap, text);
                               p.setPen(QPen(QColor(150, 150, 150), pt(0.5)));
                               const double line = y + textHeight(f, text, w) + pt(1);
                               p.drawLine(QPointF(0, line), QPointF(w, line));
                           },
                           true);
    }

    // A paragraph per line of text, wrapped at the width.
    void paragraph(const QString& text, const QFont& font, QColor color = Qt::black)
    {
        for (const QString& line : text.split(QLatin1Char('\n'))) {
            const QString t = line.isEmpty() ? QStringLiteral(" ") : line;
            const double h = textHeight(font, t, width_) + pt(1.5);
            blocks_.emplace_back(h, [font, t, color, w = width_](QPainter& p, double y) {
                p.setFont(font);
                p.setPen(color);
                p.drawText(QRectF(0, y, w, 1e6), Qt::TextWordWrap, t);
            });
        }
    }

    // A table: column widths as parts of the width; a header row (bold, shaded) repeated on
    // every page the table runs on, when there is one.
    void table(const QStringList& header, const std::vector<QStringList>& rows,
               std::vector<double> parts, bool labelColumn = false)
    {
        double total = 0;
        for (double v : parts)
            total += v;
        std::vector<double> widths;
        for (double v : parts)
            widths.push_back(width_ * v / total);
        std::shared_ptr<const Block> head;
        if (!header.isEmpty()) {
            auto b = std::make_shared<Block>(row(header, widths, fonts_.bold, true, false));
            b->keepWithNext = true;
            head = b;
            blocks_.push_back(*b);
        }
        for (const QStringList& cells : rows) {
            Block b = row(cells, widths, fonts_.body, false, labelColumn);
            b.header = head;
            blocks_.push_back(std::move(b));
        }
    }

    double textHeight(const QFont& font, const QString& text, double width) const
    {
        p_.setFont(font);
        return p_.boundingRect(QRectF(0, 0, width, 1e6), Qt::TextWordWrap, text).height();
    }

private:
    Block row(const QStringList& cells, const std::vector<double>& widths, const QFont& font,
              bool shaded, bool labelColumn)
    {
        const double pad = pt(2.5);
        double h = 0;
        for (std::size_t c = 0; c < widths.size() && c < std::size_t(cells.size()); ++c) {
            const QFont& f = labelColumn && c == 0 ? fonts_.bold : font;
            h = std::max(h, textHeight(f, cells[qsizetype(c)], widths[c] - 2 * pad));
        }
        h += 2 * pad;
        const QFont bold = fonts_.bold;
        const double line = pt(0.4);
        return Block(h, [cells, widths, font, bold, shaded, labelColumn, pad, h, line](QPainter& p,
                                                                                   double y) {
                    double x = 0;
                    double total = 0;
                    for (double w : widths)
                        total += w;
                    if (shaded)
                        p.fillRect(QRectF(0, y, total, h), QColor(232, 232, 232));
                    for (std::size_t c = 0; c < widths.size(); ++c) {
                        if (c < std::size_t(cells.size())) {
                            p.setFont(labelColumn && c == 0 ? bold : font);
                            p.setPen(Qt::black);
                            p.drawText(QRectF(x + pad, y + pad, widths[c] - 2 * pad, h - 2 * pad),
                                       Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop,
                                       cells[qsizetype(c)]);
                        }
                        x += widths[c];
                    }
                    p.setPen(QPen(QColor(190, 190, 190), line));
                    p.drawLine(QPointF(0, y + h), QPointF(total, y + h));
                });
    }

    QPainter& p_;
    const Fonts& fonts_;
    double width_;
    std::vector<Block> blocks_;
};

std::vector<std::vector<Placed>> layOut(const std::vector<Block>& blocks, double height)
{
    std::vector<std::vector<Placed>> pages(1);
    double y = 0;
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const Block& b = blocks[i];
        double need = b.height;
        // A piece kept with the next one moves to the next page with it (a heading with the
        // first row of its table).
        for (std::size_t j = i; j + 1 < blocks.size() && blocks[j].keepWithNext; ++j)
            need += blocks[j + 1].height;
        if (y > 0 && y + std::min(need, height) > height) {
            pages.emplace_back();
            y = 0;
        }
        if (y == 0 && b.header) {
            pages.back().push_back({b.header.get(), y});
            y += b.header->height;
        }
        pages.back().push_back({&b, y});
        y += b.height;
    }
    return pages;
}

QString channelName(const ChartState& chart, int s)
{
    const QString label = chart.settings.subsetLabel(s).trimmed();
    return label.isEmpty() ? QStringLiteral("T%1").arg(s + 1) : label;
}

QString madeText(double made)
{
    const int offset = DateTime::toQDateTime(made).offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return QStringLiteral("%1 UTC%2%3:%4")
        .arg(LocaleText::dateTimeText(made), offset < 0 ? QStringLiteral("-") : QStringLiteral("+"))
        .arg(minutes / 60, 2, 10, QLatin1Char('0'))
        .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString timeOrNone(const std::optional<double>& t)
{
    return t ? LocaleText::dateTimeText(*t) : QStringLiteral("none");
}

// The statistics over the filled points, as the graph window computes them for a whole chart.
ChartStatistics filledStatistics(const ChartData& data, int filled)
{
    if (filled == data.points())
        return computeChartStatistics(data);
    ChartData part = data;
    part.resize(data.subsets(), filled);
    return computeChartStatistics(part);
}

bool anyReading(const ChartData& data, int filled)
{
    for (int s = 0; s < data.subsets(); ++s)
        for (int p = 0; p < filled; ++p) {
            const float y = data.y(s, p);
            if (y != data.nullValue() && y < kMissingThreshold)
                return true;
        }
    return false;
}

void measuredSection(Flow& flow, const ReportSource& src, const ChartState& chart)
{
    flow.heading(QStringLiteral("What was measured"));
    std::vector<QStringList> rows;
    for (const ReportFact& f : src.measured)
        rows.push_back({f.label, f.value});
    rows.push_back({QStringLiteral("Unit"),
                    chart.unit.isEmpty() ? QStringLiteral("not recorded with the data") : chart.unit});
    QStringList names;
    for (int s = 0; s < chart.data.subsets(); ++s)
        names << channelName(chart, s);
    rows.push_back({QStringLiteral("Channels"), names.join(QStringLiteral(", "))});
    flow.table({}, rows, {0.26, 0.74}, true);
}

void statisticsSection(Flow& flow, const Fonts& fonts, const ChartState& chart, int filled)
{
    flow.heading(QStringLiteral("Statistics"));
    const ChartStatistics stats = filledStatistics(chart.data, filled);
    if (filled == 0)
        flow.paragraph(QStringLiteral("The graph holds no samples: there is nothing to count."),
                       fonts.body);
    else if (!anyReading(chart.data, filled))
        flow.paragraph(QStringLiteral("All %1 samples of the graph are missing readings: no "
                                      "maximum, minimum or average can be given.")
                           .arg(filled),
                       fonts.body);
    const QString rate =
        stats.minutesIndex >= 0 && stats.secondsIndex >= 0
            ? QStringLiteral("%1:%2 (mm:ss)")
                  .arg(stats.minutesIndex, 2, 10, QLatin1Char('0'))
                  .arg(stats.secondsIndex, 2, 10, QLatin1Char('0'))
            : QStringLiteral("not a whole number of seconds below 61 minutes");
    flow.table({},
               {{QStringLiteral("Start Time"),
                 stats.startTime ? LocaleText::dateTimeText(*stats.startTime) : QString()},
                {QStringLiteral("Sampling Rate"), filled > 1 ? rate : QStringLiteral("-")},
                {QStringLiteral("Data No."), QString::number(stats.points)}},
               {0.26, 0.74}, true);
    flow.space(4);
    std::vector<QStringList> rows;
    for (int s = 0; s < std::min(chart.data.subsets(), kChannels); ++s) {
        const ChannelStatistics& c = stats.channels[std::size_t(s)];
        rows.push_back({channelName(chart, s), StatText::extreme(c.maximum, c.timeOfMaximum),
                        StatText::extreme(c.minimum, c.timeOfMinimum),
                        StatText::average(c.average(), 1)});
    }
    flow.table({QStringLiteral("Channel"), QStringLiteral("MAX"), QStringLiteral("MIN"),
                QStringLiteral("AVG")},
               rows, {0.16, 0.34, 0.34, 0.16});
    flow.paragraph(QStringLiteral("MAX and MIN: the value and when it was first reached; OL: "
                                  "beyond the meter's range or no reading; ****: no reading to "
                                  "average."),
                   fonts.small, QColor(70, 70, 70));
}

void cursorSection(Flow& flow, const Fonts& fonts, const ReportSource& src)
{
    if (!src.cursors)
        return;
    const auto [a, b] = *src.cursors;
    flow.heading(QStringLiteral("Between the measuring cursors"));
    const qint64 ms = std::llround(std::abs(b - a) * DateTime::SecondsPerDay * 1000.0);
    flow.paragraph(QStringLiteral("From A at %1 to B at %2 (%3:%4:%5).")
                       .arg(LocaleText::dateTimeText(a), LocaleText::dateTimeText(b))
                       .arg(ms / 3600000)
                       .arg((ms / 60000) % 60, 2, 10, QLatin1Char('0'))
                       .arg((ms / 1000) % 60, 2, 10, QLatin1Char('0')),
                   fonts.body);
    // One column per channel, one row per figure: the figures are many, the channels four.
    const ReportTable& t = src.cursorFigures;
    if (t.header.isEmpty())
        return;
    QStringList header{QStringLiteral("Figure")};
    for (const QStringList& r : t.rows)
        header << (r.isEmpty() ? QString() : r.front());
    std::vector<QStringList> rows;
    for (qsizetype c = 1; c < t.header.size(); ++c) {
        QString title = t.header[c];
        title.replace(QLatin1Char('\n'), QLatin1Char(' '));
        QStringList row{title};
        for (const QStringList& r : t.rows)
            row << (c < r.size() ? r[c] : QString());
        rows.push_back(row);
    }
    std::vector<double> parts{0.32};
    for (std::size_t k = 0; k < t.rows.size(); ++k)
        parts.push_back(0.68 / double(std::max<std::size_t>(t.rows.size(), 1)));
    flow.table(header, rows, parts, true);
}

void annotationSection(Flow& flow, const Fonts& fonts, const ChartState& chart, int filled)
{
    flow.heading(QStringLiteral("Annotations"));
    const ChartData& d = chart.data;
    double first = 0, last = 0;
    if (filled > 0) {
        first = d.x(0, 0);
        last = d.x(0, filled - 1);
    }
    std::vector<QStringList> rows;
    for (std::size_t i = 0; i < chart.graphAnnotations.size(); ++i) {
        const GraphAnnotation& a = chart.graphAnnotations[i];
        const bool cross = a.type == sg::sgAnnotCross;
        // Hidden (an empty text) or cleared away (moved before the data).
        if ((!cross && a.text.trimmed().isEmpty()) || filled == 0 || a.x < first - 1e-9
            || a.x > last + 1e-9)
            continue;
        QString text = a.text;
        text.replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(QLatin1Char('\r'), QLatin1Char(' '));
        text.replace(QLatin1Char('\n'), QLatin1Char(' '));
        const QString kind = i == 2 ? QStringLiteral("data point")
                             : cross ? QStringLiteral("cross")
                                     : QStringLiteral("text");
        rows.push_back({LocaleText::dateTimeText(a.x), LocaleText::fixed(a.y, 1), kind, text});
    }
    if (rows.empty()) {
        flow.paragraph(QStringLiteral("The graph has no annotations."), fonts.body);
        return;
    }
    flow.table({QStringLiteral("Time"), QStringLiteral("Value"), QStringLiteral("Kind"),
                QStringLiteral("Text")},
               rows, {0.27, 0.1, 0.12, 0.51});
}

void alarmSection(Flow& flow, const Fonts& fonts, const ReportSource& src, const DataFingerprint& f)
{
    flow.heading(QStringLiteral("Alarm events"));
    if (src.alarms.rows.empty()) {
        flow.paragraph(f.first ? QStringLiteral("The alarm log holds no event from %1 to %2.")
                                     .arg(LocaleText::dateTimeText(*f.first),
                                          LocaleText::dateTimeText(*f.last))
                               : QStringLiteral("The data have no time span to look for alarms in."),
                       fonts.body);
        return;
    }
    std::vector<double> parts;
    for (qsizetype c = 0; c < src.alarms.header.size(); ++c)
        parts.push_back(c == 0 ? 2.2 : c == 1 ? 1.4 : 1.0); // the time, "Acknowledged"
    flow.table(src.alarms.header, src.alarms.rows, parts);
}

// Kept together, so it stands whole on the last page.
void fingerprintSection(Flow& flow, const Fonts& fonts, const DataFingerprint& f)
{
    flow.heading(QStringLiteral("Data fingerprint"));
    const QString intro =
        QStringLiteral("SHA-256 of the readings as machine CSV (the header time,T1,T2,T3,T4,unit "
                       "and one line per sample: the bytes that kolva-cli export writes for these "
                       "data):");
    const QString hex = QString::fromLatin1(f.sha256);
    const QString facts = QStringLiteral("Samples: %1    First: %2    Last: %3")
                              .arg(f.samples)
                              .arg(timeOrNone(f.first), timeOrNone(f.last));
    const QString check = QStringLiteral("To check a data file against this report: kolva-cli "
                                         "verify REPORT.pdf FILE");
    const double w = flow.width();
    const double gap = flow.pt(3);
    const double h1 = flow.textHeight(fonts.body, intro, w);
    const double h2 = flow.textHeight(fonts.mono, hex, w);
    const double h3 = flow.textHeight(fonts.body, facts, w);
    const double h4 = flow.textHeight(fonts.small, check, w);
    flow.blocks().emplace_back(
        h1 + h2 + h3 + h4 + 3 * gap, [=](QPainter& p, double y) {
             p.setPen(Qt::black);
             p.setFont(fonts.body);
             p.drawText(QRectF(0, y, w, h1), Qt::TextWordWrap, intro);
             p.setFont(fonts.mono);
             p.drawText(QRectF(0, y + h1 + gap, w, h2), Qt::TextWordWrap, hex);
             p.setFont(fonts.body);
             p.drawText(QRectF(0, y + h1 + h2 + 2 * gap, w, h3), Qt::TextWordWrap, facts);
             p.setFont(fonts.small);
             p.setPen(QColor(70, 70, 70));
             p.drawText(QRectF(0, y + h1 + h2 + h3 + 3 * gap, w, h4), Qt::TextWordWrap, check);
         });
}

void paintFrame(QPainter& p, const Fonts& fonts, const QRectF& page, double headerHeight,
                double footerHeight, const QString& title, int n, int m, const QString& program,
                const QString& made)
{
    const double line = page.height() * 0.0004 + 0.5;
    p.setPen(Qt::black);
    p.setFont(fonts.bold);
    const QString pageText = QStringLiteral("Page %1 of %2").arg(n).arg(m);
    const double pageWidth = QFontMetricsF(fonts.bold, p.device()).horizontalAdvance(pageText);
    const double titleWidth = page.width() - pageWidth - headerHeight;
    p.drawText(QRectF(page.left(), page.top(), titleWidth, headerHeight * 0.7),
               Qt::AlignLeft | Qt::AlignVCenter,
               QFontMetricsF(fonts.bold, p.device()).elidedText(title, Qt::ElideRight, titleWidth));
    p.drawText(QRectF(page.right() - pageWidth, page.top(), pageWidth, headerHeight * 0.7),
               Qt::AlignRight | Qt::AlignVCenter, pageText);
    p.setPen(QPen(QColor(120, 120, 120), line));
    p.drawLine(QPointF(page.left(), page.top() + headerHeight * 0.75),
               QPointF(page.right(), page.top() + headerHeight * 0.75));

    const double top = page.bottom() - footerHeight * 0.75;
    p.drawLine(QPointF(page.left(), top), QPointF(page.right(), top));
    p.setPen(QColor(60, 60, 60));
    p.setFont(fonts.small);
    const QString madeLine = QStringLiteral("Report made %1").arg(made);
    const double madeWidth = QFontMetricsF(fonts.small, p.device()).horizontalAdvance(madeLine);
    p.drawText(QRectF(page.left(), top, page.width() - madeWidth, footerHeight * 0.75),
               Qt::AlignLeft | Qt::AlignVCenter, program);
    p.drawText(QRectF(page.right() - madeWidth, top, madeWidth, footerHeight * 0.75),
               Qt::AlignRight | Qt::AlignVCenter, madeLine);
}

} // namespace

QString reportProgramName()
{
    return QStringLiteral("KOLVA Four Channel Thermometer Software %1")
        .arg(QStringLiteral(KOLVA_VERSION));
}

QPageSize reportPageSize(const QLocale& locale)
{
    return QPageSize(locale.measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter
                                                                             : QPageSize::A4);
}

DataFingerprint reportFingerprint(const ReportSource& source)
{
    if (source.samples)
        return fingerprintOf(*source.samples);
    if (!source.chart)
        return fingerprintOf({});
    return fingerprintOf(chartSamples(*source.chart));
}

int paintReport(const ReportSource& src, QPainter& p, QPagedPaintDevice& device)
{
    static const ChartState kEmpty;
    const ChartState& chart = src.chart ? *src.chart : kEmpty;
    const DataFingerprint fingerprint = reportFingerprint(src);
    const int filled = filledPoints(chart.data);
    const Fonts fonts = reportFonts();

    const QRectF page(QPointF(0, 0),
                      device.pageLayout().paintRectPixels(device.logicalDpiX()).size());
    const double pt = device.logicalDpiY() / 72.0;
    const double headerHeight = QFontMetricsF(fonts.bold, &device).height() * 1.6 + 4 * pt;
    const double footerHeight = QFontMetricsF(fonts.small, &device).height() * 1.6 + 4 * pt;
    const double contentTop = page.top() + headerHeight + 6 * pt;
    const double contentHeight = page.height() - headerHeight - footerHeight - 12 * pt;

    Flow flow(p, fonts, page.width());
    const QString title = src.title.trimmed().isEmpty() ? QStringLiteral("Temperature report")
                                                        : src.title.trimmed();
    flow.paragraph(title, fonts.title);
    if (!src.operatorName.trimmed().isEmpty())
        flow.paragraph(QStringLiteral("Operator: %1").arg(src.operatorName.trimmed()), fonts.body);
    if (!src.notes.trimmed().isEmpty()) {
        flow.space(3);
        flow.paragraph(src.notes.trimmed(), fonts.body);
    }
    measuredSection(flow, src, chart);

    flow.heading(QStringLiteral("Chart"));
    const double chartHeight = std::min(page.width() * 0.62, contentHeight * 0.6);
    ReportPlotOptions plot;
    plot.font = fonts.body;
    plot.unit = chart.unit;
    plot.points = filled;
    plot.cursors = src.cursors;
    flow.blocks().emplace_back(chartHeight, [&chart, plot, w = page.width(), chartHeight](
                                                QPainter& painter, double y) {
        drawReportPlot(painter, QRectF(0, y, w, chartHeight), chart, plot);
    });

    statisticsSection(flow, fonts, chart, filled);
    cursorSection(flow, fonts, src);
    annotationSection(flow, fonts, chart, filled);
    alarmSection(flow, fonts, src, fingerprint);
    fingerprintSection(flow, fonts, fingerprint);

    const auto pages = layOut(flow.blocks(), contentHeight);
    const int m = int(pages.size());
    const QString program = src.program.isEmpty() ? reportProgramName() : src.program;
    const QString made = madeText(src.made);
    for (int i = 0; i < m; ++i) {
        if (i > 0)
            device.newPage();
        paintFrame(p, fonts, page, headerHeight, footerHeight, title, i + 1, m, program, made);
        for (const Placed& placed : pages[std::size_t(i)]) {
            p.save();
            p.setClipRect(QRectF(0, contentTop, page.width(), contentHeight + 2 * pt));
            placed.block->paint(p, contentTop + placed.y);
            p.restore();
        }
    }
    return m;
}

QByteArray reportPdf(const ReportSource& source, const QLocale& locale)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageLayout(QPageLayout(reportPageSize(locale), QPageLayout::Portrait,
                                         QMarginsF(18, 15, 18, 12), QPageLayout::Millimeter));
        writer.setResolution(1200);
        const QString title = source.title.trimmed().isEmpty()
                                  ? QStringLiteral("Temperature report")
                                  : source.title.trimmed();
        const QString program = source.program.isEmpty() ? reportProgramName() : source.program;
        writer.setTitle(title);
        writer.setCreator(program);
        writer.setDocumentXmpMetadata(reportXmp(
            {title, source.operatorName.trimmed(), program, source.made, reportFingerprint(source)}));
        QPainter painter(&writer);
        paintReport(source, painter, writer);
    }
    return buffer.data();
}

QString writeReportPdf(const ReportSource& source, const QString& path, const QLocale& locale)
{
    return writeFileWhole(path, reportPdf(source, locale));
}

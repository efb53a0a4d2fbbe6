// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/GraphTemplate.h"

#include "base/DataFolder.h"
#include "graph/GraphFile.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>
#include <limits>

QString graphTemplatePath()
{
    return dataPath(QStringLiteral("template/graph.ghf"));
}

void applyChartDefaults(ChartSettings& s, int subsets, float maxY, float minY)
{
    s.showVertLineAnnotations = true;
    s.allowVertLineAnnotHotSpots = true;
    s.lineAnnotationTextSize = 80;
    s.lineAnnotationTextSize = 100;
    s.showGraphAnnotations = true;
    s.graphAnnotationTextSize = 100;
    // A click on a data point places the data point marker; the chart's settings dialog turns
    // it off, and a template keeps the choice.
    s.allowDataHotSpots = true;
    s.gridStyle = sg::sgDot;
    s.mainTitle.clear();
    s.subTitle = QStringLiteral(" ");
    s.subsetLabels = {QStringLiteral("T1"), QStringLiteral("T2"), QStringLiteral("T3"),
                      QStringLiteral("T4")};
    s.dateTimeMode = sg::sgVBDateTime;
    s.usingXDataII = true;
    s.xAxisLabel = QStringLiteral("Time");
    s.allowZooming = sg::sgHorzPlusVertZooming;
    s.scrollingHorzZoom = true;
    s.scrollingVertZoom = true;
    s.graphForeColor = qRgb(0, 128, 0);
    s.graphBackColor = qRgb(0, 0, 0);
    s.deskColor = qRgb(192, 192, 192);
    s.textColor = qRgb(0, 0, 0);
    s.subsetColors = {qRgb(0, 0, 255), qRgb(0, 255, 255), qRgb(0, 255, 0), qRgb(255, 0, 255)};
    s.allowAxisPage = false;
    s.arrowCursor = sg::sgArrowCursor;
    s.multiAxesSeparators = sg::sgThinLine;
    for (int i = 0; i < 4; ++i) {
        s.axes[static_cast<std::size_t>(i)].multiAxesSubsets = 1;
        s.axes[static_cast<std::size_t>(i)].multiAxesProportions = 0.25;
    }
    for (int i = 0; i < subsets && i < ChartLimits::MaxAxes; ++i) {
        ChartAxis& a = s.axes[static_cast<std::size_t>(i)];
        a.yAxisLabel.clear();
        a.manualScaleControlY = sg::sgManualMinAndMax;
        a.manualMinY = minY;
        a.manualMaxY = maxY;
    }
}

namespace {

void applyVertLineDefaults(std::vector<VertLineAnnotation>& lines)
{
    growTo(lines, 1, ChartLimits::MaxVertLines);
    lines[0].color = qRgb(0, 0, 255);
    lines[1].color = qRgb(255, 0, 0);
}

} // namespace

void prepareChartState(ChartState& state, int subsets, float maxY, float minY, double maxX,
                       double minX, int points, const PrepareHooks& hooks)
{
    bool haveTemplate = false;
    if (QFileInfo::exists(hooks.templatePath)) {
        try {
            readGraphFile(state, hooks.templatePath);
            haveTemplate = true;
        } catch (const ChartFileError& e) {
            // A damaged template must not keep every graph from opening: say why and go on with
            // the defaults, so that a sound template can be saved again.
            if (hooks.reportError)
                hooks.reportError(e.text());
        }
    }
    // The template's look, not the unit of the data it was saved with: the caller knows that.
    state.unit.clear();
    ChartSettings& s = state.settings;
    s.prepareImages = true;
    state.data.setNullValue(ChartNullReading);
    s.subsetByPoint = false;
    state.data.resize(subsets, points);
    s.noHelp = true;
    s.allowPopup = false;
    state.data.reset();
    if (minX != 0) {
        s.manualScaleControlX = sg::sgManualMinAndMax;
        s.manualMinX = minX;
        s.manualMaxX = maxX;
    }
    s.allowDataLabels = sg::sgNoDataLabels;
    if (!haveTemplate) {
        if (QFileInfo::exists(hooks.templatePath) == false && hooks.message)
            hooks.message(QStringLiteral("Can not fine the file ") + hooks.templatePath +
                          QStringLiteral(" to initialize the graph ,it will use default setting. "
                                         "You can click Graph Option button , then make some "
                                         "change and save."));
        applyChartDefaults(s, subsets, maxY, minY);
        applyVertLineDefaults(state.vertLineAnnotations);
    }
    s.workingAxis = 0;
    s.allowGraphAnnotHotSpots = true;
}

bool setUpGraphTemplate(const QString& templatePath)
{
    const QString folder = QFileInfo(templatePath).absolutePath();
    if (QFileInfo::exists(folder))
        return true;
    if (!QDir().mkpath(folder))
        return false;
    ChartState defaults;
    prepareChartState(defaults, 4, kFirstTemplateMaxY, kFirstTemplateMinY, 0, 0, 0,
                      {templatePath, {}, {}});
    try {
        writeGraphFile(defaults, templatePath);
    } catch (const ChartFileError&) {
        return false;
    }
    return true;
}

ScaleFields currentScale(const ChartSettings& s)
{
    const auto truncated = [](double v) {
        const double t = std::trunc(v);
        const double lo = std::numeric_limits<int>::min();
        const double hi = std::numeric_limits<int>::max();
        return QString::number(static_cast<int>(std::clamp(t, lo, hi)));
    };
    ScaleFields f;
    for (std::size_t k = 0; k < 4; ++k) {
        f.min[k] = truncated(s.axes[k].manualMinY);
        f.max[k] = truncated(s.axes[k].manualMaxY);
    }
    return f;
}

ScaleResult changeScale(ChartState& state, const ScaleDialogRunner& dialog,
                        const MessageFn& message, const QString& templatePath)
{
    const std::optional<ScaleFields> entered = dialog(currentScale(state.settings));
    if (!entered)
        return ScaleResult::Cancelled;
    std::array<int, 4> mins{};
    std::array<int, 4> maxs{};
    QString errorText;
    bool valid = true;
    const auto convert = [&](const QString& text, int& out) {
        bool ok = false;
        out = text.trimmed().toInt(&ok, 10);
        if (!ok) {
            valid = false;
            errorText = text;
        }
    };
    for (int k = 3; k >= 0; --k) {
        const auto i = static_cast<std::size_t>(k);
        convert(entered->max[i], maxs[i]);
        convert(entered->min[i], mins[i]);
    }
    if (!valid) {
        if (message)
            message(errorText + QStringLiteral(" is invalid."));
        return ScaleResult::Invalid;
    }
    ChartSettings& s = state.settings;
    for (int k = 0; k < 4; ++k) {
        s.workingAxis = k;
        s.axis().manualMinY = mins[static_cast<std::size_t>(k)];
        s.axis().manualMaxY = maxs[static_cast<std::size_t>(k)];
    }
    s.workingAxis = 0;
    if (entered->save)
        writeGraphFile(state, templatePath);
    return ScaleResult::Changed;
}

bool offerTemplateSave(const ChartState& state, bool customizeAccepted, const QuestionFn& ask,
                       const QString& templatePath)
{
    if (!customizeAccepted || !ask || !ask(QStringLiteral("Do you want to save the changes ?")))
        return false;
    writeGraphFile(state, templatePath);
    return true;
}

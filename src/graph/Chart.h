// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Chart: the chart component every graph window holds. It keeps the chart's whole state
// (ChartState) and draws it with QCustomPlot; nothing outside graph/ touches QCustomPlot.
//
// Naming. Properties carry the names the graph windows use:
//   - a plain property is read with Name() and written with SetName(value): MainTitle(),
//     SetMainTitle("..."), ManualMinX(), SetManualMinX(t);
//   - an indexed property takes the index first: SubsetColors(i) / SetSubsetColors(i, c),
//     XDataII(s, p) / SetXDataII(s, p, t), GraphAnnotationText(i) / SetGraphAnnotationText(i, t);
//   - the Y axis properties ManualScaleControlY, ManualMinY, ManualMaxY and YAxisLabel address
//     the axis chosen with SetWorkingAxis(i);
//   - actions run through PEactions(sg::sgResetImage, ...); Redraw() is sgResetImage followed
//     by sgInvalidateImage;
//   - events are the signals OnClick, OnMouseMove, OnZoomIn, OnDataHotSpot, OnGraphHotSpot,
//     OnGraphAnnotHotSpot and OnCustomizeDlg.
// Writing through an indexed annotation property past the end adds entries up to that index.
// Changes show after a redraw.

#include "graph/ChartPlot.h"
#include "graph/ChartState.h"
#include "graph/FitY.h"

#include <QByteArray>
#include <QColor>
#include <QCursor>
#include <QPointF>
#include <QWidget>

#include <functional>
#include <optional>
#include <memory>
#include <optional>

class QCustomPlot;
class QDialog;
class QMouseEvent;
class QPrinter;
class QRubberBand;
class QScrollBar;

#define KOLVA_CHART_PROPERTY(Type, Name, field)                                                   \
    Type Name() const { return state_.settings.field; }                                          \
    void Set##Name(Type v) { state_.settings.field = v; }

#define KOLVA_CHART_COLOR(Name, field)                                                           \
    QColor Name() const { return QColor::fromRgb(state_.settings.field); }                       \
    void Set##Name(const QColor& c) { state_.settings.field = c.rgb(); }

class Chart : public QWidget {
    Q_OBJECT
public:
    explicit Chart(QWidget* parent = nullptr);
    ~Chart() override;

    // The whole state. mutableState() lets a caller change anything; the next redraw then
    // rebuilds everything from it.
    const ChartState& state() const { return state_; }
    ChartState& mutableState();

    // Data.
    int Subsets() const { return state_.data.subsets(); }
    void SetSubsets(int n);
    int Points() const { return state_.data.points(); }
    void SetPoints(int n);
    double XDataII(int s, int p) const { return state_.data.x(s, p); }
    void SetXDataII(int s, int p, double t);
    float YData(int s, int p) const { return state_.data.y(s, p); }
    void SetYData(int s, int p, float v);
    // Whole arrays, laid out as SubsetByPoint says.
    void SetXDataArray(const double* values, std::size_t count);
    void SetYDataArray(const float* values, std::size_t count);
    float NullDataValueY() const { return state_.data.nullValue(); }
    void SetNullDataValueY(float v);
    // X 0 and the null Y in every cell.
    void ResetData();
    // The unit of the data ("°C", "°F" or empty); shown with the Y axes after a redraw.
    QString Unit() const { return state_.unit; }
    void SetUnit(const QString& unit) { state_.unit = unit; }

    // Y axes.
    int WorkingAxis() const { return state_.settings.workingAxis; }
    void SetWorkingAxis(int axis);
    KOLVA_CHART_PROPERTY(int, ManualScaleControlY, axis().manualScaleControlY)
    KOLVA_CHART_PROPERTY(double, ManualMinY, axis().manualMinY)
    KOLVA_CHART_PROPERTY(double, ManualMaxY, axis().manualMaxY)
    KOLVA_CHART_PROPERTY(QString, YAxisLabel, axis().yAxisLabel)
    int MultiAxesSubsets(int axis) const;
    void SetMultiAxesSubsets(int axis, int n);
    double MultiAxesProportions(int axis) const;
    void SetMultiAxesProportions(int axis, double share);
    // Removes the split: all subsets on axis 0, which gets the whole height.
    void ClearMultiAxes();

    // Plain settings.
    KOLVA_CHART_PROPERTY(QString, MainTitle, mainTitle)
    KOLVA_CHART_PROPERTY(QString, SubTitle, subTitle)
    KOLVA_CHART_PROPERTY(QString, XAxisLabel, xAxisLabel)
    KOLVA_CHART_PROPERTY(QString, MainTitleFont, mainTitleFont)
    KOLVA_CHART_PROPERTY(QString, SubTitleFont, subTitleFont)
    KOLVA_CHART_PROPERTY(QString, LabelFont, labelFont)
    KOLVA_CHART_PROPERTY(int, GridStyle, gridStyle)
    KOLVA_CHART_PROPERTY(int, GridLineControl, gridLineControl)
    KOLVA_CHART_PROPERTY(int, LineWidth, lineWidth)
    KOLVA_CHART_PROPERTY(int, DateTimeMode, dateTimeMode)
    KOLVA_CHART_PROPERTY(bool, UsingXDataII, usingXDataII)
    KOLVA_CHART_PROPERTY(int, ManualScaleControlX, manualScaleControlX)
    KOLVA_CHART_PROPERTY(double, ManualMinX, manualMinX)
    KOLVA_CHART_PROPERTY(double, ManualMaxX, manualMaxX)
    KOLVA_CHART_PROPERTY(int, MultiAxesSeparators, multiAxesSeparators)
    KOLVA_CHART_PROPERTY(int, AllowZooming, allowZooming)
    KOLVA_CHART_PROPERTY(bool, ScrollingHorzZoom, scrollingHorzZoom)
    KOLVA_CHART_PROPERTY(bool, ScrollingVertZoom, scrollingVertZoom)
    KOLVA_CHART_PROPERTY(bool, ShowGraphAnnotations, showGraphAnnotations)
    KOLVA_CHART_PROPERTY(int, GraphAnnotationTextSize, graphAnnotationTextSize)
    KOLVA_CHART_PROPERTY(bool, AllowGraphAnnotHotSpots, allowGraphAnnotHotSpots)
    KOLVA_CHART_PROPERTY(bool, ShowVertLineAnnotations, showVertLineAnnotations)
    KOLVA_CHART_PROPERTY(bool, AllowVertLineAnnotHotSpots, allowVertLineAnnotHotSpots)
    KOLVA_CHART_PROPERTY(int, LineAnnotationTextSize, lineAnnotationTextSize)
    KOLVA_CHART_PROPERTY(double, LineGapThreshold, lineGapThreshold)
    KOLVA_CHART_PROPERTY(int, AllowDataLabels, allowDataLabels)
    KOLVA_CHART_PROPERTY(bool, AllowDataHotSpots, allowDataHotSpots)
    KOLVA_CHART_PROPERTY(bool, SubsetByPoint, subsetByPoint)
    KOLVA_CHART_PROPERTY(bool, PrepareImages, prepareImages)
    KOLVA_CHART_PROPERTY(bool, NoHelp, noHelp)
    KOLVA_CHART_PROPERTY(bool, AllowPopup, allowPopup)
    KOLVA_CHART_PROPERTY(bool, NoRandomPointsToExport, noRandomPointsToExport)
    KOLVA_CHART_PROPERTY(bool, FocalRect, focalRect)
    KOLVA_CHART_PROPERTY(bool, AllowBar, allowBar)
    KOLVA_CHART_PROPERTY(bool, AllowAxisPage, allowAxisPage)
    KOLVA_CHART_PROPERTY(bool, AllowFontPage, allowFontPage)
    KOLVA_CHART_PROPERTY(bool, AllowPage1, allowPage1)
    KOLVA_CHART_PROPERTY(bool, AllowPage2, allowPage2)
    KOLVA_CHART_PROPERTY(bool, AllowSubsetsPage, allowSubsetsPage)
    KOLVA_CHART_COLOR(GraphForeColor, graphForeColor)
    KOLVA_CHART_COLOR(GraphBackColor, graphBackColor)
    KOLVA_CHART_COLOR(DeskColor, deskColor)
    KOLVA_CHART_COLOR(TextColor, textColor)

    QString SubsetLabels(int s) const { return state_.settings.subsetLabel(s); }
    void SetSubsetLabels(int s, const QString& label);
    QColor SubsetColors(int s) const { return QColor::fromRgb(state_.settings.subsetColor(s)); }
    void SetSubsetColors(int s, const QColor& c);

    // Graph annotations by index (type 0 text only, 2 cross; position in data coordinates of
    // axis 0).
    int GraphAnnotationCount() const { return static_cast<int>(state_.graphAnnotations.size()); }
    // The whole list; changing it needs no rebuild of the data, only a redraw.
    std::vector<GraphAnnotation>& GraphAnnotations() { return state_.graphAnnotations; }
    int GraphAnnotationType(int i) const { return annotation(i).type; }
    void SetGraphAnnotationType(int i, int type);
    double GraphAnnotationX(int i) const { return annotation(i).x; }
    void SetGraphAnnotationX(int i, double x);
    double GraphAnnotationY(int i) const { return annotation(i).y; }
    void SetGraphAnnotationY(int i, double y);
    QString GraphAnnotationText(int i) const { return annotation(i).text; }
    void SetGraphAnnotationText(int i, const QString& text);
    QColor GraphAnnotationColor(int i) const { return QColor::fromRgb(annotation(i).color); }
    void SetGraphAnnotationColor(int i, const QColor& c);

    // Vertical line annotations by index: X in data coordinates, a text and a colour.
    int VertLineAnnotationCount() const
    {
        return static_cast<int>(state_.vertLineAnnotations.size());
    }
    double VertLineAnnotation(int i) const { return vertLine(i).x; }
    void SetVertLineAnnotation(int i, double x);
    QString VertLineAnnotationText(int i) const { return vertLine(i).text; }
    void SetVertLineAnnotationText(int i, const QString& text);
    QColor VertLineAnnotationColor(int i) const { return QColor::fromRgb(vertLine(i).color); }
    void SetVertLineAnnotationColor(int i, const QColor& c);

    // Pointer: 1 the arrow, 2 the text-mode cursor, 3 the cursor given to SetCustomCursor.
    int ArrowCursor() const { return state_.settings.arrowCursor; }
    void SetArrowCursor(int kind);
    void SetCustomCursor(const QCursor& cursor);   // also sets ArrowCursor 3

    // Actions.
    int PEnarg1 = 0;
    int PEnarg2 = 0;
    void PEactions(sg::Action action);
    void Redraw();       // sgResetImage, then sgInvalidateImage
    void UndoZoom();     // sgUndoZoom
    // A zoom or a fit is in force.
    bool IsZoomed() const { return zoom_.active || !fitY_.empty(); }
    // "Fit Y": every pane's Y extent fitted to the data in view, until UndoZoom. Shown at once.
    void FitY();
    // While a recording runs: each pane's Y extent follows its data, changed only when they
    // leave it or fill too little of it. Does nothing while the user's own zoom is in force.
    // True when an extent changed (shown at the next redraw).
    bool FollowY();
    // The Y extent a fit gave pane (in the split's order), if any.
    std::optional<YExtent> FittedY(int pane) const;
    // Zooms to a data rectangle as a drag over pane `axis` would; for tests and keyboard use.
    void ZoomTo(int axis, double minX, double maxX, double minY, double maxY);

    // The chart image.
    QByteArray StoreChartImage() const;
    // Throws ChartFileError and leaves the chart as it was when the image is not sound.
    void LoadChartImage(const QByteArray& image);
    // Replaces the whole state, as loading an image does.
    void LoadState(ChartState state);

    // Mouse and geometry, in this widget's pixels.
    QPoint LastMousePoint() const { return lastMouse_; }
    QRect GraphArea() const;
    QPointF PixelToData(int axis, QPoint pixel) const;   // (X date-time, Y) on that axis
    // (X date-time, Y) on the axis of the pane under the pixel (in a split chart each pane has
    // its own Y axis); nullopt outside every pane.
    std::optional<QPointF> PixelToDataUnder(QPoint pixel) const;
    QPoint DataToPixel(int axis, double x, double y) const;

    // The settings dialog's result: 1 accepted, 0 not.
    int CustomizeAccepted() const { return customizeAccepted_; }

    // How the settings and print dialogs are shown; tests replace the default exec().
    using DialogRunner = std::function<int(QDialog& dialog)>;
    void setDialogRunner(DialogRunner runner) { runDialog_ = std::move(runner); }
    // The settings dialog on its own: accepted settings apply, then OnCustomizeDlg.
    void Customize();
    // The print dialog on printer (its "print to file" offered), then this chart on one page of
    // it. The printer keeps what the user chose in the dialog.
    void PrintDialog(QPrinter& printer);
    // The same on a landscape printer of its own.
    void PrintDialog();
    // Prints the chart on one page of printer, scaled to the page.
    void printTo(QPrinter& printer);

    QCustomPlot* plotForTests() const { return plot_; }

signals:
    void OnClick();
    void OnMouseMove();
    void OnZoomIn();
    void OnDataHotSpot(bool dblClick, int subsetIndex, int pointIndex);
    void OnGraphHotSpot();
    void OnGraphAnnotHotSpot(bool dblClick, int nIndex);
    void OnCustomizeDlg();
    // The unit shown changed (after a redraw).
    void unitChanged(const QString& unit);

private:
    struct Zoom {
        bool active = false;
        double minX = 0, maxX = 0;
        int pane = -1;          // pane whose Y range is zoomed, -1 none
        double minY = 0, maxY = 0;
    };

    const GraphAnnotation& annotation(int i) const;
    GraphAnnotation* annotationSlot(int i);
    const ::VertLineAnnotation& vertLine(int i) const;
    ::VertLineAnnotation* vertLineSlot(int i);
    void markCell(int s, int p);
    void markAll();
    void applyCursor();
    void resetImage(bool reinit);
    void applyRanges();
    void clearView();
    // Calls f(pane, subsets of the pane, X range in view) for every pane.
    template <class F>
    void forEachPane(F&& f) const;
    void zoomPane(int pane, double minX, double maxX, double minY, double maxY);
    void updateScrollBars();

    void mousePress(QMouseEvent* e);
    void mouseMove(QMouseEvent* e);
    void mouseRelease(QMouseEvent* e);
    void mouseDoubleClick(QMouseEvent* e);
    void hotSpots(QPoint p, bool dblClick);
    void horzScrolled(int value);
    void vertScrolled(int value);

    ChartState state_;
    QCustomPlot* plot_ = nullptr;
    QScrollBar* hbar_ = nullptr;
    QScrollBar* vbar_ = nullptr;
    QRubberBand* band_ = nullptr;
    std::unique_ptr<ChartPlot> view_;
    ChartDirty dirty_;
    Zoom zoom_;
    std::vector<std::optional<YExtent>> fitY_;   // per pane while a fit is in force, else empty
    QString shownUnit_;
    QPoint lastMouse_;
    QPoint pressAt_;
    bool pressed_ = false;
    int customizeAccepted_ = 0;
    QCursor customCursor_;
    DialogRunner runDialog_;
    bool scrolling_ = false;
};

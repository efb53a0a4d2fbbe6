// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/Chart.h"

#include "graph/ChartCustomizeDialog.h"
#include "graph/ChartImage.h"

#include <qcustomplot.h>

#include <QGridLayout>
#include <QMouseEvent>
#include <QPicture>
#include <QPrintDialog>
#include <QPrinter>
#include <QRubberBand>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace {
constexpr int ScrollSteps = 10000;
constexpr int DragPixels = 4;
} // namespace

Chart::Chart(QWidget* parent) : QWidget(parent)
{
    plot_ = new QCustomPlot(this);
    plot_->setObjectName(QStringLiteral("ChartPlot"));
    plot_->setMouseTracking(true);
    hbar_ = new QScrollBar(Qt::Horizontal, this);
    vbar_ = new QScrollBar(Qt::Vertical, this);
    hbar_->hide();
    vbar_->hide();
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    grid->addWidget(plot_, 0, 0);
    grid->addWidget(vbar_, 0, 1);
    grid->addWidget(hbar_, 1, 0);
    band_ = new QRubberBand(QRubberBand::Rectangle, plot_);
    view_ = std::make_unique<ChartPlot>(plot_);
    runDialog_ = [](QDialog& d) { return d.exec(); };

    connect(plot_, &QCustomPlot::mousePress, this, &Chart::mousePress);
    connect(plot_, &QCustomPlot::mouseMove, this, &Chart::mouseMove);
    connect(plot_, &QCustomPlot::mouseRelease, this, &Chart::mouseRelease);
    connect(plot_, &QCustomPlot::mouseDoubleClick, this, &Chart::mouseDoubleClick);
    connect(hbar_, &QScrollBar::valueChanged, this, &Chart::horzScrolled);
    connect(vbar_, &QScrollBar::valueChanged, this, &Chart::vertScrolled);
    Redraw();
}

Chart::~Chart() = default;

ChartState& Chart::mutableState()
{
    markAll();
    return state_;
}

void Chart::markAll()
{
    dirty_.all = true;
}

void Chart::markCell(int s, int p)
{
    // A write outside the cells is ignored by the data; it must not reach the renderer either.
    if (state_.data.valid(s, p))
        dirty_.mark(s, p);
}

// ---- data -------------------------------------------------------------------------------------

void Chart::SetSubsets(int n)
{
    state_.data.resize(n, state_.data.points());
    markAll();
}

void Chart::SetPoints(int n)
{
    state_.data.resize(state_.data.subsets(), n);
    markAll();
}

void Chart::SetXDataII(int s, int p, double t)
{
    state_.data.setX(s, p, t);
    markCell(s, p);
}

void Chart::SetYData(int s, int p, float v)
{
    state_.data.setY(s, p, v);
    markCell(s, p);
}

void Chart::SetXDataArray(const double* values, std::size_t count)
{
    state_.data.setXArray(values, count, state_.settings.subsetByPoint);
    markAll();
}

void Chart::SetYDataArray(const float* values, std::size_t count)
{
    state_.data.setYArray(values, count, state_.settings.subsetByPoint);
    markAll();
}

void Chart::SetNullDataValueY(float v)
{
    state_.data.setNullValue(v);
    markAll();
}

void Chart::ResetData()
{
    state_.data.reset();
    markAll();
}

// ---- axes ------------------------------------------------------------------------------------

void Chart::SetWorkingAxis(int axis)
{
    if (axis >= 0 && axis < ChartLimits::MaxAxes)
        state_.settings.workingAxis = axis;
}

int Chart::MultiAxesSubsets(int axis) const
{
    if (axis < 0 || axis >= ChartLimits::MaxAxes)
        return 0;
    return state_.settings.axes[static_cast<std::size_t>(axis)].multiAxesSubsets;
}

void Chart::SetMultiAxesSubsets(int axis, int n)
{
    if (axis >= 0 && axis < ChartLimits::MaxAxes)
        state_.settings.axes[static_cast<std::size_t>(axis)].multiAxesSubsets =
            std::clamp(n, 0, ChartLimits::MaxSubsets);
}

double Chart::MultiAxesProportions(int axis) const
{
    if (axis < 0 || axis >= ChartLimits::MaxAxes)
        return 0;
    return state_.settings.axes[static_cast<std::size_t>(axis)].multiAxesProportions;
}

void Chart::SetMultiAxesProportions(int axis, double share)
{
    if (axis >= 0 && axis < ChartLimits::MaxAxes && std::isfinite(share))
        state_.settings.axes[static_cast<std::size_t>(axis)].multiAxesProportions =
            std::clamp(share, 0.0, 1.0);
}

void Chart::ClearMultiAxes()
{
    for (ChartAxis& a : state_.settings.axes) {
        a.multiAxesSubsets = 0;
        a.multiAxesProportions = 0;
    }
    state_.settings.axes[0].multiAxesProportions = 1.0;
}

// ---- subsets and annotations -------------------------------------------------------------------

void Chart::SetSubsetLabels(int s, const QString& label)
{
    if (QString* slot = growTo(state_.settings.subsetLabels, s, ChartLimits::MaxSubsets))
        *slot = label;
}

void Chart::SetSubsetColors(int s, const QColor& c)
{
    auto& colors = state_.settings.subsetColors;
    if (s < 0 || s >= ChartLimits::MaxSubsets)
        return;
    while (static_cast<int>(colors.size()) <= s)
        colors.push_back(state_.settings.subsetColor(static_cast<int>(colors.size())));
    colors[static_cast<std::size_t>(s)] = c.rgb();
}

const GraphAnnotation& Chart::annotation(int i) const
{
    static const GraphAnnotation none;
    if (i < 0 || i >= GraphAnnotationCount())
        return none;
    return state_.graphAnnotations[static_cast<std::size_t>(i)];
}

GraphAnnotation* Chart::annotationSlot(int i)
{
    return growTo(state_.graphAnnotations, i, ChartLimits::MaxAnnotations);
}

void Chart::SetGraphAnnotationType(int i, int type)
{
    if (auto* a = annotationSlot(i))
        a->type = type == sg::sgAnnotCross ? sg::sgAnnotCross : sg::sgAnnotText;
}

void Chart::SetGraphAnnotationX(int i, double x)
{
    if (auto* a = annotationSlot(i))
        a->x = x;
}

void Chart::SetGraphAnnotationY(int i, double y)
{
    if (auto* a = annotationSlot(i))
        a->y = y;
}

void Chart::SetGraphAnnotationText(int i, const QString& text)
{
    if (auto* a = annotationSlot(i))
        a->text = text;
}

void Chart::SetGraphAnnotationColor(int i, const QColor& c)
{
    if (auto* a = annotationSlot(i))
        a->color = c.rgb();
}

const ::VertLineAnnotation& Chart::vertLine(int i) const
{
    static const ::VertLineAnnotation none;
    if (i < 0 || i >= VertLineAnnotationCount())
        return none;
    return state_.vertLineAnnotations[static_cast<std::size_t>(i)];
}

::VertLineAnnotation* Chart::vertLineSlot(int i)
{
    return growTo(state_.vertLineAnnotations, i, ChartLimits::MaxVertLines);
}

void Chart::SetVertLineAnnotation(int i, double x)
{
    if (auto* l = vertLineSlot(i))
        l->x = x;
}

void Chart::SetVertLineAnnotationText(int i, const QString& text)
{
    if (auto* l = vertLineSlot(i))
        l->text = text;
}

void Chart::SetVertLineAnnotationColor(int i, const QColor& c)
{
    if (auto* l = vertLineSlot(i))
        l->color = c.rgb();
}

// ---- cursor ----------------------------------------------------------------------------------

void Chart::SetArrowCursor(int kind)
{
    state_.settings.arrowCursor = kind;
    applyCursor();
}

void Chart::SetCustomCursor(const QCursor& cursor)
{
    customCursor_ = cursor;
    SetArrowCursor(sg::sgCustomCursor);
}

void Chart::applyCursor()
{
    switch (state_.settings.arrowCursor) {
    case sg::sgTextCursor:
        plot_->setCursor(Qt::IBeamCursor);
        break;
    case sg::sgCustomCursor:
        plot_->setCursor(customCursor_);
        break;
    default:
        plot_->setCursor(Qt::ArrowCursor);
    }
}

// ---- actions ---------------------------------------------------------------------------------

void Chart::PEactions(sg::Action action)
{
    switch (action) {
    case sg::sgResetImage:
        resetImage(false);
        break;
    case sg::sgInvalidateImage:
        plot_->replot();
        break;
    case sg::sgReinitAndReset:
        resetImage(true);
        plot_->replot();
        break;
    case sg::sgUndoZoom:
        UndoZoom();
        break;
    case sg::sgCustomize:
        Customize();
        break;
    case sg::sgPrintDialog:
        PrintDialog();
        break;
    }
}

void Chart::Redraw()
{
    PEactions(sg::sgResetImage);
    PEactions(sg::sgInvalidateImage);
}

void Chart::resetImage(bool reinit)
{
    const int panesBefore = view_->paneCount();
    view_->sync(state_, dirty_, reinit);
    if (zoom_.pane >= view_->paneCount() || panesBefore != view_->paneCount())
        zoom_.pane = -1;
    // A fit belongs to the panes it was made for.
    if (panesBefore != view_->paneCount())
        fitY_.clear();
    applyRanges();
    applyCursor();
    if (state_.unit != shownUnit_) {
        shownUnit_ = state_.unit;
        emit unitChanged(shownUnit_);
    }
}

void Chart::applyRanges()
{
    ChartView v = view_->fullView(state_);
    for (std::size_t pane = 0; pane < fitY_.size() && pane < v.y.size(); ++pane)
        if (const auto& fit = fitY_[pane])
            v.y[pane] = {fit->lo, fit->hi};
    if (zoom_.active) {
        v.minX = zoom_.minX;
        v.maxX = zoom_.maxX;
        if (zoom_.pane >= 0 && static_cast<std::size_t>(zoom_.pane) < v.y.size())
            v.y[static_cast<std::size_t>(zoom_.pane)] = {zoom_.minY, zoom_.maxY};
    }
    view_->applyView(v);
    view_->showOutOfView(state_, v);
    updateScrollBars();
}

void Chart::clearView()
{
    zoom_ = Zoom{};
    fitY_.clear();
}

void Chart::UndoZoom()
{
    clearView();
    applyRanges();
    plot_->replot();
}

template <class F>
void Chart::forEachPane(F&& f) const
{
    ChartView v = view_->fullView(state_);
    if (zoom_.active) {
        v.minX = zoom_.minX;
        v.maxX = zoom_.maxX;
    }
    for (int pane = 0; pane < view_->paneCount(); ++pane)
        f(pane, view_->paneSubsets(pane), v.minX, v.maxX);
}

void Chart::FitY()
{
    // The data as they stand, drawn where they stand.
    resetImage(false);
    std::vector<std::optional<YExtent>> fits(static_cast<std::size_t>(view_->paneCount()));
    forEachPane([&](int pane, const std::vector<int>& subsets, double minX, double maxX) {
        if (const auto data = FitY::dataExtent(state_.data, subsets, minX, maxX))
            fits[static_cast<std::size_t>(pane)] = FitY::fitted(*data);
    });
    // Nothing in view to fit to: the view stays as it is.
    if (std::none_of(fits.begin(), fits.end(), [](const auto& f) { return f.has_value(); }))
        return;
    // The fit replaces a pane's dragged Y range; the X range of a zoom stays.
    zoom_.pane = -1;
    fitY_ = std::move(fits);
    applyRanges();
    plot_->replot();
}

bool Chart::FollowY()
{
    if (zoom_.active)
        return false;
    std::vector<std::optional<YExtent>> fits = fitY_;
    fits.resize(static_cast<std::size_t>(view_->paneCount()));
    bool changed = false;
    forEachPane([&](int pane, const std::vector<int>& subsets, double minX, double maxX) {
        const auto data = FitY::dataExtent(state_.data, subsets, minX, maxX);
        if (!data)
            return;
        auto& fit = fits[static_cast<std::size_t>(pane)];
        if (const auto next = FitY::follow(fit, *data)) {
            fit = next;
            changed = true;
        }
    });
    if (changed)
        fitY_ = std::move(fits);
    return changed;
}

std::optional<YExtent> Chart::FittedY(int pane) const
{
    if (pane < 0 || static_cast<std::size_t>(pane) >= fitY_.size())
        return std::nullopt;
    return fitY_[static_cast<std::size_t>(pane)];
}

void Chart::ZoomTo(int axis, double minX, double maxX, double minY, double maxY)
{
    zoomPane(view_->paneOfAxis(axis), minX, maxX, minY, maxY);
}

void Chart::zoomPane(int pane, double minX, double maxX, double minY, double maxY)
{
    const int mode = state_.settings.allowZooming;
    if (mode == sg::sgNoZooming)
        return;
    const ChartView full = view_->fullView(state_);
    Zoom z = zoom_;
    if (!z.active) {
        z.minX = full.minX;
        z.maxX = full.maxX;
    }
    if (mode == sg::sgHorzZooming || mode == sg::sgHorzPlusVertZooming) {
        z.minX = std::min(minX, maxX);
        z.maxX = std::max(minX, maxX);
    }
    if (mode == sg::sgVertZooming || mode == sg::sgHorzPlusVertZooming) {
        z.pane = pane;
        z.minY = std::min(minY, maxY);
        z.maxY = std::max(minY, maxY);
    }
    if (z.maxX - z.minX <= 0 || (z.pane >= 0 && z.maxY - z.minY <= 0))
        return;
    z.active = true;
    zoom_ = z;
    applyRanges();
    plot_->replot();
    emit OnZoomIn();
}

namespace {

// The scroll bar for a window [lo, hi] within [fullLo, fullHi].
void placeScrollBar(QScrollBar* bar, bool show, double lo, double hi, double fullLo, double fullHi,
                    bool inverted)
{
    const double width = fullHi - fullLo;
    if (!show || width <= 0 || hi - lo >= width) {
        bar->hide();
        return;
    }
    const int page = std::max(1, static_cast<int>(std::lround(ScrollSteps * (hi - lo) / width)));
    const int max = std::max(0, ScrollSteps - page);
    double pos = ScrollSteps * (lo - fullLo) / width;
    if (inverted)
        pos = ScrollSteps * (fullHi - hi) / width;
    const QSignalBlocker block(bar);
    bar->setRange(0, max);
    bar->setPageStep(page);
    bar->setSingleStep(std::max(1, page / 10));
    bar->setValue(std::clamp(static_cast<int>(std::lround(pos)), 0, max));
    bar->show();
}

} // namespace

void Chart::updateScrollBars()
{
    if (scrolling_)
        return;
    const ChartView full = view_->fullView(state_);
    placeScrollBar(hbar_, zoom_.active && state_.settings.scrollingHorzZoom, zoom_.minX,
                   zoom_.maxX, std::min(full.minX, zoom_.minX), std::max(full.maxX, zoom_.maxX),
                   false);
    const bool vert = zoom_.active && zoom_.pane >= 0 && state_.settings.scrollingVertZoom &&
                      static_cast<std::size_t>(zoom_.pane) < full.y.size();
    if (vert) {
        const auto [lo, hi] = full.y[static_cast<std::size_t>(zoom_.pane)];
        placeScrollBar(vbar_, true, zoom_.minY, zoom_.maxY, std::min(lo, zoom_.minY),
                       std::max(hi, zoom_.maxY), true);
    } else {
        vbar_->hide();
    }
}

void Chart::horzScrolled(int value)
{
    if (!zoom_.active)
        return;
    const ChartView full = view_->fullView(state_);
    const double lo = std::min(full.minX, zoom_.minX);
    const double hi = std::max(full.maxX, zoom_.maxX);
    const double width = zoom_.maxX - zoom_.minX;
    zoom_.minX = lo + (hi - lo) * value / ScrollSteps;
    zoom_.maxX = zoom_.minX + width;
    scrolling_ = true;
    applyRanges();
    scrolling_ = false;
    plot_->replot();
}

void Chart::vertScrolled(int value)
{
    if (!zoom_.active || zoom_.pane < 0)
        return;
    const ChartView full = view_->fullView(state_);
    const auto [flo, fhi] = full.y[static_cast<std::size_t>(zoom_.pane)];
    const double lo = std::min(flo, zoom_.minY);
    const double hi = std::max(fhi, zoom_.maxY);
    const double height = zoom_.maxY - zoom_.minY;
    zoom_.maxY = hi - (hi - lo) * value / ScrollSteps;
    zoom_.minY = zoom_.maxY - height;
    scrolling_ = true;
    applyRanges();
    scrolling_ = false;
    plot_->replot();
}

// ---- image -----------------------------------------------------------------------------------

QByteArray Chart::StoreChartImage() const
{
    return encodeChartImage(state_);
}

void Chart::LoadChartImage(const QByteArray& image)
{
    LoadState(decodeChartImage(image));
}

void Chart::LoadState(ChartState state)
{
    state_ = std::move(state);
    clearView();
    markAll();
    resetImage(true);
    plot_->replot();
}

// ---- geometry --------------------------------------------------------------------------------

QRect Chart::GraphArea() const
{
    return view_->graphArea().translated(plot_->pos());
}

QPointF Chart::PixelToData(int axis, QPoint pixel) const
{
    return view_->pixelToData(view_->paneOfAxis(axis), pixel - plot_->pos());
}

std::optional<QPointF> Chart::PixelToDataUnder(QPoint pixel) const
{
    const QPoint at = pixel - plot_->pos();
    const int pane = view_->paneAt(at);
    if (pane < 0)
        return std::nullopt;
    return view_->pixelToData(pane, at);
}

QPoint Chart::DataToPixel(int axis, double x, double y) const
{
    return view_->dataToPixel(view_->paneOfAxis(axis), x, y) + plot_->pos();
}

// ---- mouse -----------------------------------------------------------------------------------

void Chart::mousePress(QMouseEvent* e)
{
    lastMouse_ = e->position().toPoint() + plot_->pos();
    if (e->button() == Qt::LeftButton) {
        pressed_ = true;
        pressAt_ = e->position().toPoint();
    }
}

void Chart::mouseMove(QMouseEvent* e)
{
    const QPoint at = e->position().toPoint();
    lastMouse_ = at + plot_->pos();
    const int pane = view_->paneAt(pressAt_);
    if (pressed_ && state_.settings.allowZooming != sg::sgNoZooming && pane >= 0 &&
        (at - pressAt_).manhattanLength() > DragPixels) {
        const QRect area = view_->paneRect(pane);
        QRect r = QRect(pressAt_, at).normalized().intersected(area);
        if (state_.settings.allowZooming == sg::sgHorzZooming)
            r = QRect(r.left(), area.top(), r.width(), area.height());
        else if (state_.settings.allowZooming == sg::sgVertZooming)
            r = QRect(area.left(), r.top(), area.width(), r.height());
        band_->setGeometry(r);
        band_->show();
    }
    if (!pressed_ && state_.settings.allowGraphAnnotHotSpots &&
        view_->annotationAt(state_, at) >= 0)
        emit OnGraphHotSpot();
    emit OnMouseMove();
}

void Chart::mouseRelease(QMouseEvent* e)
{
    const QPoint at = e->position().toPoint();
    lastMouse_ = at + plot_->pos();
    const bool wasPressed = pressed_;
    pressed_ = false;
    if (band_->isVisible()) {
        const QRect r = band_->geometry();
        band_->hide();
        const int pane = view_->paneAt(r.center());
        if (pane >= 0 && r.width() > DragPixels && r.height() > DragPixels) {
            zoomPane(pane, view_->pixelToDays(pane, r.left()), view_->pixelToDays(pane, r.right()),
                     view_->pixelToValue(pane, r.bottom()), view_->pixelToValue(pane, r.top()));
        }
        return;
    }
    if (!wasPressed)
        return;
    emit OnClick();
    hotSpots(at, false);
}

void Chart::mouseDoubleClick(QMouseEvent* e)
{
    const QPoint at = e->position().toPoint();
    lastMouse_ = at + plot_->pos();
    pressed_ = false;
    hotSpots(at, true);
}

void Chart::hotSpots(QPoint p, bool dblClick)
{
    if (state_.settings.allowGraphAnnotHotSpots) {
        const int index = view_->annotationAt(state_, p);
        if (index >= 0) {
            emit OnGraphAnnotHotSpot(dblClick, index);
            return;
        }
    }
    if (state_.settings.allowDataHotSpots) {
        if (const auto hit = view_->dataPointAt(state_, p))
            emit OnDataHotSpot(dblClick, hit->first, hit->second);
    }
}

// ---- dialogs and printing --------------------------------------------------------------------

void Chart::Customize()
{
    ChartCustomizeDialog dialog(state_, this);
    customizeAccepted_ = runDialog_(dialog) == QDialog::Accepted ? 1 : 0;
    if (customizeAccepted_) {
        state_.settings = dialog.settings();
        clearView();
        markAll();
        Redraw();
    }
    emit OnCustomizeDlg();
}

void Chart::PrintDialog(QPrinter& printer)
{
    QPrintDialog dialog(&printer, this);
    dialog.setObjectName(QStringLiteral("ChartPrintDialog"));
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);   // the chart is one page
    if (runDialog_(dialog) == QDialog::Accepted)
        printTo(printer);
}

void Chart::PrintDialog()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    PrintDialog(printer);
}

void Chart::printTo(QPrinter& printer)
{
    // Laid out at the size it has on screen (at least a readable size) and recorded at the
    // screen's resolution, so that the fonts keep their size against the lines, then scaled to
    // the page as vector drawing.
    const int w = std::max(width(), 1000);
    const int h = std::max(height(), 620);
    QPicture picture;
    {
        QCPPainter recorder(&picture);
        recorder.setMode(QCPPainter::pmVectorized);
        recorder.setMode(QCPPainter::pmNoCaching);
        view_->toPainter(recorder, w, h);
    }
    QPainter painter;
    if (!painter.begin(&printer))
        throw ChartFileError(QStringLiteral("The chart cannot be printed: the printer could not be started."));
    const QRect page(0, 0, printer.width(), printer.height());
    const double scale = std::min(page.width() / double(w), page.height() / double(h));
    // The picture plays back already scaled from its resolution to the printer's.
    painter.scale(scale * picture.logicalDpiX() / printer.logicalDpiX(),
                  scale * picture.logicalDpiY() / printer.logicalDpiY());
    painter.drawPicture(0, 0, picture);
    painter.end();
}

// SPDX-License-Identifier: GPL-3.0-or-later
// The graph window's handlers: tools and panels, split view and zoom, the read-out, the chart's
// settings and the Y axis, fonts, statistics and annotations, and the rules for closing.

#include "graph/UGraph.h"


#include "base/ErrorBox.h"
#include "graph/Annotations.h"
#include "graph/Chart.h"
#include "graph/DataSetsGrid.h"
#include "graph/GraphCommands.h"
#include "graph/UAnnoEdit.h"
#include "resources/Artwork.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QToolButton>

namespace {

void showText(QLineEdit* box, const QString& text)
{
    box->setText(text);
    box->setCursorPosition(0); // a text too long for its box shows its start
}

// A save that fails says why and counts as not saved; a silent abort says nothing.
template <class F>
bool saved(F&& save)
{
    try {
        return save();
    } catch (const SilentAbort&) {
    } catch (const std::exception& e) {
        showStandardError(QString::fromUtf8(e.what()));
    }
    return false;
}

} // namespace

TfrmGraph::TfrmGraph(IGraphHost& host, const QString& caption, QWidget* parent)
    : QWidget(parent), host_(host), runDialog_([](QDialog& d) { return d.exec(); })
{
    setObjectName(QStringLiteral("frmGraph"));
    setWindowTitle(caption);
    CreateForm();
    ConnectHandlers();
    FormCreate();
    // A window made inside its sub-window sees no parent change.
    watchSubWindow();
}

TfrmGraph::~TfrmGraph() = default;

void TfrmGraph::ConnectHandlers()
{
    connect(ToolButton1, &QToolButton::clicked, this, &TfrmGraph::ToolButton1Click);
    connect(ToolButton2, &QToolButton::clicked, this, &TfrmGraph::ToolButton2Click);
    connect(ToolButton4, &QToolButton::clicked, this, &TfrmGraph::ToolButton4Click);
    connect(ToolButton5, &QToolButton::clicked, this, &TfrmGraph::ToolButton5Click);
    connect(ToolButton9, &QToolButton::clicked, this, &TfrmGraph::ToolButton9Click);
    connect(ToolButton15, &QToolButton::clicked, this, &TfrmGraph::ToolButton15Click);
    connect(tbntClr, &QToolButton::clicked, this, &TfrmGraph::tbntClrClick);
    connect(UndoZoom, &QToolButton::clicked, this, &TfrmGraph::UndoZoomClick);
    connect(btnFitY, &QToolButton::clicked, this, &TfrmGraph::btnFitYClick);
    connect(btnFollowY, &QToolButton::clicked, this, &TfrmGraph::btnFollowYClick);
    // Any change of the box runs the split, whoever makes it (a graph file sets it on opening).
    connect(chkSplit, &QCheckBox::toggled, this, &TfrmGraph::chkSplitClick);
    connect(Button1, &QPushButton::clicked, this, &TfrmGraph::Button1Click);
    connect(btnChangeScale, &QPushButton::clicked, this, &TfrmGraph::btnChangeScaleClick);
    connect(Button3, &QPushButton::clicked, this, &TfrmGraph::Button3Click);
    connect(Button2, &QPushButton::clicked, this, &TfrmGraph::Button2Click);
    // Only the user's choice is a rate change; RefreshStatistics sets the boxes quietly.
    connect(ComboBox1, &QComboBox::activated, this, &TfrmGraph::ComboBox1Change);
    connect(ComboBox2, &QComboBox::activated, this, &TfrmGraph::ComboBox1Change);
    connect(Grid2, &QTableWidget::cellClicked, this, &TfrmGraph::Grid2Click);
    // Moving through the list with the keyboard chooses a set as a click does.
    connect(static_cast<DataSetsGrid*>(Grid2), &DataSetsGrid::rowChosenByKey, this,
            &TfrmGraph::Grid2Click);

    connect(Chart1, &Chart::OnClick, this, &TfrmGraph::Chart1Click);
    connect(Chart1, &Chart::OnMouseMove, this, &TfrmGraph::Chart1MouseMove);
    connect(Chart1, &Chart::OnZoomIn, this, &TfrmGraph::Chart1ZoomIn);
    connect(Chart1, &Chart::OnDataHotSpot, this, &TfrmGraph::Chart1DataHotSpot);
    connect(Chart1, &Chart::OnGraphHotSpot, this, &TfrmGraph::Chart1GraphHotSpot);
    connect(Chart1, &Chart::OnGraphAnnotHotSpot, this, &TfrmGraph::Chart1GraphAnnotHotSpot);
    connect(Chart1, &Chart::OnCustomizeDlg, this, &TfrmGraph::Chart1CustomizeDlg);
    connect(Chart1, &Chart::unitChanged, this, &TfrmGraph::ShowUnit);

    pnlGraph->installEventFilter(this);
    Splitter1->installEventFilter(this);
    Chart1->installEventFilter(this);
}

void TfrmGraph::SetDialogRunner(DialogRunner runner)
{
    runDialog_ = std::move(runner);
    Chart1->setDialogRunner(runDialog_);
}

int TfrmGraph::runDialog(QDialog& dialog)
{
    return runDialog_(dialog);
}

// ---- window events ---------------------------------------------------------------------------

void TfrmGraph::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        FormShow();
    pnlGraphResize();
}

void TfrmGraph::FormShow()
{
    setTool(AnnotationTool::Normal);
}

bool TfrmGraph::event(QEvent* event)
{
    if (event->type() == QEvent::ParentChange)
        watchSubWindow();
    return QWidget::event(event);
}

void TfrmGraph::watchSubWindow()
{
    disconnect(activation_);
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        activation_ = connect(sub, &QMdiSubWindow::aboutToActivate, this, &TfrmGraph::FormActivate);
}

void TfrmGraph::FormActivate()
{
    host_.GraphActivated(*this);
    // The mode is shared: another window may have changed it since this one was active.
    syncToolButtons();
}

bool TfrmGraph::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Splitter1 && event->type() == QEvent::Resize)
        placeDataSets();
    if ((watched == pnlGraph && event->type() == QEvent::Resize) ||
        (watched == Chart1 && (event->type() == QEvent::Move || event->type() == QEvent::Resize)))
        pnlGraphResize();
    return QWidget::eventFilter(watched, event);
}

void TfrmGraph::pnlGraphResize()
{
    Panel12->move(Chart1->geometry().topLeft());
    Panel12->raise();
}

// ---- closing ---------------------------------------------------------------------------------

// The logger window asks about an unsaved download, the real-time window and a recovered
// recording about unsaved samples; any other plain window always closes.
bool TfrmGraph::FormCloseQuery()
{
    discardOnClose_ = nullptr;
    UnsavedMarks& marks = host_.Unsaved();
    bool* mark = nullptr;
    QString question;
    std::function<bool()> save;
    switch (Role()) {
    case GraphRole::Logger:
        mark = &marks.LoggerDataUnsaved;
        question = QStringLiteral("Save DataLogger Data ?");
        save = [this] { return host_.SaveWindow(*this); };
        break;
    case GraphRole::RealTime:
        mark = &marks.RealTimeUnsaved;
        question = QStringLiteral("Save Real-Time Graph ?");
        save = [this] { return host_.SaveGraph(*Chart1); };
        break;
    case GraphRole::Plain:
        if (!unsavedRecording_)
            return true;
        mark = &unsavedRecording_;
        question = QStringLiteral("Save Real-Time Graph ?");
        save = [this] { return host_.SaveGraph(*Chart1); };
        break;
    }
    if (!*mark)
        return true;
    BringToFront();
    const ChoiceFn& choice = host_.Prompts().choice;
    switch (choice ? choice(question) : choiceBox(this)(question)) {
    case Answer::Cancel:
        return false;
    case Answer::No:
        // The data are given up when the window really closes: should the close not happen
        // (another window refuses the program's end), they are still unsaved.
        discardOnClose_ = mark;
        return true;
    case Answer::Yes:
        // Data that could not be saved keep their window and their mark.
        if (!saved(save))
            return false;
        *mark = false;
        return true;
    }
    return false;
}

void TfrmGraph::BringToFront()
{
    auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget());
    if (!sub) {
        raise();
        return;
    }
    if (sub->isMinimized())
        sub->showNormal();
    if (QMdiArea* area = sub->mdiArea())
        area->setActiveSubWindow(sub);
    sub->raise();
}

bool TfrmGraph::AskToClose()
{
    closeApproved_ = FormCloseQuery();
    return closeApproved_;
}

void TfrmGraph::closeEvent(QCloseEvent* event)
{
    if (!closeApproved_ && !FormCloseQuery()) {
        event->ignore();
        return;
    }
    closeApproved_ = false;
    event->accept();
    FormClose();
}

void TfrmGraph::FormClose()
{
    if (closed_)
        return;
    closed_ = true;
    if (discardOnClose_)
        *discardOnClose_ = false;
    switch (Role()) {
    case GraphRole::Logger:
        host_.LoggerGraphClosed(*this);
        break;
    case GraphRole::RealTime:
        host_.RealTimeGraphClosed(*this);
        break;
    case GraphRole::Plain:
        break;
    }
}

// ---- panels ----------------------------------------------------------------------------------

void TfrmGraph::ToolButton1Click()
{
    pnlGraphStatistic->setVisible(ToolButton1->isChecked());
    pnlGraphResize();
}

void TfrmGraph::ToolButton2Click()
{
    pnlStatistic->setVisible(ToolButton2->isChecked());
    Chart1->SetShowVertLineAnnotations(ToolButton2->isChecked());
    Chart1->Redraw();
    pnlGraphResize();
}

void TfrmGraph::ShowClearButton(bool on)
{
    tbntClrAction_->setVisible(on);
}

void TfrmGraph::Button3Click()
{
    if (runDialog(*FontDialog1) != QDialog::Accepted)
        return;
    const QFont font = FontDialog1->currentFont();
    pnlStatistic->setFont(font);
    pnlGraphStatistic->setFont(font);
    FitTextBoxes();
}

// ---- tools and annotations -------------------------------------------------------------------

void TfrmGraph::setTool(AnnotationTool tool)
{
    host_.Annotations().AnnotationMode = tool;
    syncToolButtons();
}

// The pressed tool and the chart's cursor show the shared mode; on a split chart, where nothing
// can be drawn, they show the normal cursor.
void TfrmGraph::syncToolButtons()
{
    AnnotationTool shown = host_.Annotations().AnnotationMode;
    if (!Annotations::allowed(Chart1->state().settings))
        shown = AnnotationTool::Normal;
    switch (shown) {
    case AnnotationTool::Normal:
        ToolButton4->setChecked(true);
        Chart1->SetArrowCursor(sg::sgArrowCursor);
        break;
    case AnnotationTool::Cross:
        ToolButton5->setChecked(true);
        Chart1->SetCustomCursor(Artwork::crossCursor());
        break;
    case AnnotationTool::Text:
        ToolButton9->setChecked(true);
        Chart1->SetArrowCursor(sg::sgTextCursor);
        break;
    }
}

void TfrmGraph::ToolButton4Click()
{
    setTool(AnnotationTool::Normal);
}

void TfrmGraph::ToolButton5Click()
{
    setTool(AnnotationTool::Cross);
}

void TfrmGraph::ToolButton9Click()
{
    setTool(AnnotationTool::Text);
}

void TfrmGraph::ApplySplitRule()
{
    const bool on = Annotations::allowed(Chart1->state().settings);
    ToolButton5->setEnabled(on);
    ToolButton9->setEnabled(on);
}

void TfrmGraph::Chart1Click()
{
    AnnotationState& shared = host_.Annotations();
    // A split chart takes no annotations, whatever mode another window left behind.
    if (!Annotations::allowed(Chart1->state().settings))
        return;
    const std::optional<QPoint> p =
        Annotations::clickPoint(shared.AnnotationMode, Chart1->LastMousePoint(), Chart1->GraphArea());
    if (!p)
        return;
    const QPointF at = Chart1->PixelToData(0, *p);
    if (shared.AnnotationMode == AnnotationTool::Text) {
        TfrmAnnoEdit dialog(this);
        if (runDialog(dialog) != QDialog::Accepted)
            return;
        Annotations::add(Chart1->GraphAnnotations(), shared, sg::sgAnnotText, at,
                         dialog.Edit1->text());
    } else {
        Annotations::add(Chart1->GraphAnnotations(), shared, sg::sgAnnotCross, at, QString());
    }
    Chart1->Redraw();
}

void TfrmGraph::Chart1GraphAnnotHotSpot(bool dblClick, int nIndex)
{
    if (!dblClick)
        return;
    Annotations::hide(Chart1->GraphAnnotations(), nIndex);
    Chart1->Redraw();
}

void TfrmGraph::Chart1DataHotSpot(bool, int subsetIndex, int pointIndex)
{
    Annotations::markDataPoint(Chart1->GraphAnnotations(), Chart1->state().data, subsetIndex,
                               pointIndex);
    Chart1->Redraw();
}

void TfrmGraph::Chart1GraphHotSpot()
{
    Chart1->setToolTip(QStringLiteral("Double click to delete."));
}

void TfrmGraph::ToolButton15Click()
{
    if (runDialog(*ColorDialog1) != QDialog::Accepted)
        return;
    AnnotationState& shared = host_.Annotations();
    const QRgb color = ColorDialog1->currentColor().rgb();
    Annotations::setColor(Chart1->GraphAnnotations(), shared.AnnotationCounter, color);
    shared.AnnoColor = color;
    Chart1->Redraw();
}

void TfrmGraph::Button2Click()
{
    AnnotationState& shared = host_.Annotations();
    const auto positions = Annotations::maxMinPositions(Chart1->GraphArea());
    for (int j = 0; j < 4; ++j) {
        const auto i = std::size_t(j);
        const QString text =
            Annotations::maxMinText(j, txtMax[i]->text(), txtMin[i]->text(), txtAvg[i]->text());
        Annotations::add(Chart1->GraphAnnotations(), shared, sg::sgAnnotText,
                         Chart1->PixelToData(0, positions[i]), text);
    }
    Chart1->Redraw();
}

// ---- split, zoom, read-out -------------------------------------------------------------------

void TfrmGraph::chkSplitClick()
{
    if (chkSplit->isChecked()) {
        for (int axis = 0; axis < 4; ++axis) {
            Chart1->SetMultiAxesSubsets(axis, 1);
            Chart1->SetMultiAxesProportions(axis, 0.25);
        }
        ToolButton5->setEnabled(false);
        ToolButton9->setEnabled(false);
        setTool(AnnotationTool::Normal);
    } else {
        Chart1->ClearMultiAxes();
        ToolButton5->setEnabled(true);
        ToolButton9->setEnabled(true);
    }
    Chart1->Redraw();
    Chart1->PEactions(sg::sgReinitAndReset);
}

void TfrmGraph::Chart1ZoomIn()
{
    UndoZoom->setEnabled(true);
}

void TfrmGraph::UndoZoomClick()
{
    Chart1->PEactions(sg::sgUndoZoom);
    Chart1->PEnarg1 = 0;
    Chart1->PEnarg2 = 0;
    Chart1->PEactions(sg::sgResetImage);
    UndoZoom->setEnabled(false);
}

void TfrmGraph::btnFitYClick()
{
    Chart1->FitY();
    UndoZoom->setEnabled(Chart1->IsZoomed());
}

void TfrmGraph::btnFollowYClick()
{
    emit followYToggled(btnFollowY->isChecked());
}

void TfrmGraph::ShowFollowY(bool on, bool pressed)
{
    btnFollowYAction_->setVisible(on);
    btnFollowY->setChecked(pressed);
}

void TfrmGraph::KeepDataInView()
{
    if (!btnFollowYAction_->isVisible() || !btnFollowY->isChecked())
        return;
    if (Chart1->FollowY())
        UndoZoom->setEnabled(true);
}

void TfrmGraph::Chart1MouseMove()
{
    const QPoint p = Chart1->LastMousePoint();
    if (!Chart1->GraphArea().contains(p))
        return;
    // In split view each pane has its own Y axis: the value is read on the pane under the mouse.
    const std::optional<QPointF> at = Chart1->PixelToDataUnder(p);
    if (!at)
        return;
    Panel12->setText(readOutText(at->x(), at->y()));
}

// ---- chart settings, Y axis ------------------------------------------------------------------

void TfrmGraph::Button1Click()
{
    const double minX = Chart1->ManualMinX();
    const double maxX = Chart1->ManualMaxX();
    // The chart's own dialog; when it closes the chart reports Chart1CustomizeDlg.
    Chart1->PEactions(sg::sgCustomize);
    shareWorkingAxisExtent(Chart1->mutableState().settings, Chart1->Subsets(), minX, maxX);
    Chart1->PEactions(sg::sgUndoZoom);
    UndoZoom->setEnabled(false);
    Chart1->Redraw();
}

void TfrmGraph::Chart1CustomizeDlg()
{
    guarded([this] { OfferTemplateSave(*Chart1, host_.Prompts().question); });
}

void TfrmGraph::btnChangeScaleClick()
{
    guarded([this] {
        ChangeScale(*Chart1, setupScaleDialog(this, runDialog_), host_.Prompts().message);
    });
}

// ---- statistics ------------------------------------------------------------------------------

void TfrmGraph::RefreshStatistics()
{
    showChartStatistics(computeChartStatistics(Chart1->state().data), *this);
}

void TfrmGraph::ShowUnit(const QString& unit)
{
    lblUnit->setText(QStringLiteral("Readings in ") + unit);
    lblUnit->setVisible(!unit.isEmpty());
}

void TfrmGraph::SetMaxText(int channel, const QString& text)
{
    if (channel >= 0 && channel < 4)
        showText(txtMax[std::size_t(channel)], text);
}

void TfrmGraph::SetMinText(int channel, const QString& text)
{
    if (channel >= 0 && channel < 4)
        showText(txtMin[std::size_t(channel)], text);
}

void TfrmGraph::SetAvgText(int channel, const QString& text)
{
    if (channel >= 0 && channel < 4)
        showText(txtAvg[std::size_t(channel)], text);
}

void TfrmGraph::SetStartTimeText(const QString& text)
{
    showText(txtStartTime, text);
}

void TfrmGraph::SetDataNoText(const QString& text)
{
    showText(txtDataNo, text);
}

void TfrmGraph::SetRateIndexes(int minutesIndex, int secondsIndex)
{
    ComboBox1->setCurrentIndex(minutesIndex < ComboBox1->count() ? minutesIndex : -1);
    ComboBox2->setCurrentIndex(secondsIndex < ComboBox2->count() ? secondsIndex : -1);
}

// ---- hooks for the commands around the window ------------------------------------------------

void TfrmGraph::tbntClrClick()
{
    emit clearRequested();
}

void TfrmGraph::ComboBox1Change()
{
    emit samplingRateChanged();
}

void TfrmGraph::Grid2Click()
{
    emit grid2Clicked(Grid2->currentRow());
}

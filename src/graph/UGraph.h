// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TfrmGraph: the window of every graph in the program (real-time, data logger, opened files,
// tables turned into graphs). One chart with its tool bar, a statistic panel above it and one
// below it, and, in the logger window, the list of data sets on the left. The role is told by
// the caption (graph/GraphWindowRules.h). The main window puts the window into a
// QMdiSubWindow that is freed when it closes.
//
// The window keeps no state of its own beyond its widgets: the chart holds the data, the shared
// annotation state and the unsaved marks come from the host (IGraphHost). The rules it follows
// live in the core (GraphStatistics, Annotations, GraphWindowRules, GraphTemplate).
//
// Hooks for the commands built around the window: clearRequested (the real-time Clear),
// samplingRateChanged (the user changed ComboBox1 or ComboBox2), grid2Clicked (a row of the
// data sets list). The statistic boxes are written through IStatisticsBoxes.

#include "graph/GraphHost.h"
#include "graph/GraphStatistics.h"
#include "graph/GraphWindowRules.h"

#include <QMetaObject>
#include <QWidget>

#include <array>
#include <functional>

class Chart;
class QAction;
class QButtonGroup;
class QCheckBox;
class QColorDialog;
class QComboBox;
class QDialog;
class QFontDialog;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QSplitter;
class QTableWidget;
class QToolBar;
class QToolButton;

class TfrmGraph : public QWidget, public IStatisticsBoxes {
    Q_OBJECT
public:
    TfrmGraph(IGraphHost& host, const QString& caption, QWidget* parent = nullptr);
    ~TfrmGraph() override;

    GraphRole Role() const { return graphRoleOf(windowTitle()); }

    // Every modal dialog of the window (annotation text, colour, font, Y axis, the chart's
    // settings) is shown through this; by default QDialog::exec(). Tests replace it.
    using DialogRunner = std::function<int(QDialog& dialog)>;
    void SetDialogRunner(DialogRunner runner);

    // Recomputes the statistics from the chart and shows them.
    void RefreshStatistics();
    // The cross and text tools are enabled only on an unsplit chart. Called by every creator
    // after PrepareChart or after loading a graph file.
    void ApplySplitRule();
    // tbntClr, shown only in the real-time window.
    void ShowClearButton(bool on);
    // pnlDataSets at its designed width, shown only in the logger window.
    void ShowDataSets(bool on);
    // btnFollowY, shown only in the real-time window, pressed or not.
    void ShowFollowY(bool on, bool pressed);
    // A sample has come while a recording runs: with btnFollowY pressed, the Y extents follow
    // the data.
    void KeepDataInView();

    // IStatisticsBoxes: the twelve boxes, txtStartTime, txtDataNo and the rate boxes.
    void SetMaxText(int channel, const QString& text) override;
    void SetMinText(int channel, const QString& text) override;
    void SetAvgText(int channel, const QString& text) override;
    void SetStartTimeText(const QString& text) override;
    void SetDataNoText(const QString& text) override;
    void SetRateIndexes(int minutesIndex, int secondsIndex) override;

    // A recording recovered from its journal: unsaved until it is saved in full, and closing
    // the window asks "Save Real-Time Graph ?" as the real-time window does.
    void SetUnsavedRecording(bool on) { unsavedRecording_ = on; }
    bool UnsavedRecording() const { return unsavedRecording_; }

    // The closing questions; false keeps the window open.
    bool FormCloseQuery();
    // Asked by the main window before it closes: the answer is kept, so that the close that
    // follows does not ask again. ForgetCloseAnswer() when the main window stays open.
    bool AskToClose();
    // Back from minimised, the active child of the area and in front of the others: a
    // question about the window is asked with the window in view.
    void BringToFront();
    void ForgetCloseAnswer()
    {
        closeApproved_ = false;
        discardOnClose_ = nullptr;
    }

    // The widgets, named as on the form.
    QSplitter* Splitter1 = nullptr;
    QFrame* pnlDataSets = nullptr;
    QLabel* lblDataSets = nullptr;
    QTableWidget* Grid2 = nullptr;
    QWidget* pnlRight = nullptr;
    QSplitter* Splitter2 = nullptr;
    QWidget* pnlGraph = nullptr;
    QToolBar* ToolBar1 = nullptr;
    QToolButton* ToolButton1 = nullptr;
    QToolButton* ToolButton2 = nullptr;
    QToolButton* ToolButton4 = nullptr;
    QToolButton* ToolButton5 = nullptr;
    QToolButton* ToolButton9 = nullptr;
    QToolButton* ToolButton15 = nullptr;
    QToolButton* tbntClr = nullptr;
    QToolButton* UndoZoom = nullptr;
    QToolButton* btnFitY = nullptr;      // "Fit Y": each pane's Y extent to its data
    QToolButton* btnFollowY = nullptr;   // keeps fitting while a recording runs
    QCheckBox* chkSplit = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* btnChangeScale = nullptr;
    QPushButton* Button3 = nullptr;
    QFrame* pnlGraphStatistic = nullptr;
    QLineEdit* txtStartTime = nullptr;
    QWidget* pnlSamplingRate = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QComboBox* ComboBox2 = nullptr;
    QLineEdit* txtDataNo = nullptr;
    QPushButton* Button2 = nullptr;
    Chart* Chart1 = nullptr;
    QLabel* Panel12 = nullptr;
    QFrame* pnlStatistic = nullptr;
    std::array<QLineEdit*, 4> txtMax{};   // txtT1Max .. txtT4Max
    std::array<QLineEdit*, 4> txtMin{};   // txtT1Min .. txtT4Min
    std::array<QLineEdit*, 4> txtAvg{};   // txtT1Avg .. txtT4Avg
    QLabel* lblUnit = nullptr;            // the unit of the data, hidden when it is not known
    QColorDialog* ColorDialog1 = nullptr;
    QFontDialog* FontDialog1 = nullptr;
    QButtonGroup* cursorTools = nullptr;  // ToolButton4, ToolButton5, ToolButton9

signals:
    void clearRequested();
    void samplingRateChanged();
    void grid2Clicked(int row);
    // The user pressed or released btnFollowY.
    void followYToggled(bool on);

public slots:
    void FormCreate();
    void FormShow();
    void FormActivate();
    void FormClose();
    void ToolButton1Click();
    void ToolButton2Click();
    void ToolButton4Click();
    void ToolButton5Click();
    void ToolButton9Click();
    void ToolButton15Click();
    void tbntClrClick();
    void ComboBox1Change();
    void UndoZoomClick();
    void btnFitYClick();
    void btnFollowYClick();
    void ShowUnit(const QString& unit);
    void Chart1ZoomIn();
    void chkSplitClick();
    void Button1Click();
    void Chart1CustomizeDlg();
    void btnChangeScaleClick();
    void Button2Click();
    void Button3Click();
    void Chart1MouseMove();
    void Chart1Click();
    void Chart1GraphAnnotHotSpot(bool dblClick, int nIndex);
    void Chart1DataHotSpot(bool dblClick, int subsetIndex, int pointIndex);
    void Chart1GraphHotSpot();
    void pnlGraphResize();
    void Grid2Click();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Construction of the form (UGraphForm.cpp).
    void CreateForm();
    QWidget* CreateDataSetsPane();
    QWidget* CreateGraphPane();
    void CreateToolBar();
    QFrame* CreateGraphStatistic();
    QFrame* CreateStatistic();
    void ConnectHandlers();
    // Minimum widths that show the longest texts of the boxes and the read-out in full.
    void FitTextBoxes();
    void placeDataSets();

    void setTool(AnnotationTool tool);
    void syncToolButtons();
    int runDialog(QDialog& dialog);
    void watchSubWindow();

    IGraphHost& host_;
    DialogRunner runDialog_;
    QAction* tbntClrAction_ = nullptr;
    QAction* btnFollowYAction_ = nullptr;
    bool closed_ = false;
    bool dataSetsToPlace_ = false;
    bool closeApproved_ = false;
    bool* discardOnClose_ = nullptr; // the unsaved mark given up when the window closes
    bool unsavedRecording_ = false;
    QMetaObject::Connection activation_;
};

// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's form: menus, tool bar and status bar, laid out as the user knows them.

#include "app/UMain.h"

#include "app/MeterSearch.h"
#include "app/StatusNotice.h"
#include "resources/Artwork.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

namespace {

constexpr int kToolBarHeight = 36;
constexpr int kStatusPanel0Min = 150;
constexpr int kStatusPanel1Min = 50;

} // namespace

void TfrmMain::CreateMenus()
{
    auto item = [this](QMenu* menu, const char* name, const QString& caption, auto slot,
                       const QKeySequence& shortcut = {}) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        if (!shortcut.isEmpty())
            a->setShortcut(shortcut);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    auto menu = [this](const char* name, const QString& caption) {
        QMenu* m = menuBar()->addMenu(caption);
        m->setObjectName(QString::fromLatin1(name));
        m->menuAction()->setObjectName(QString::fromLatin1(name) + QStringLiteral("Item"));
        return m;
    };

    File1 = menu("File1", QStringLiteral("&File"));
    Open1 = item(File1, "Open1", QStringLiteral("&Open"), &TfrmMain::Open1Click, QKeySequence::Open);
    Save1 = item(File1, "Save1", QStringLiteral("&Save"), &TfrmMain::Save1Click, QKeySequence::Save);
    File1->addSeparator();
    Print1 = item(File1, "Print1", QStringLiteral("&Print"), &TfrmMain::btnPrintClick,
                  QKeySequence::Print);
    PrinterSetup1 = item(File1, "PrinterSetup1", QStringLiteral("&Printer Setup"),
                         &TfrmMain::PrinterSetup1Click);
    File1->addSeparator();
    Exit1 = item(File1, "Exit1", QStringLiteral("E&xit"), &TfrmMain::Exit1Click);

    RealTime1 = menu("RealTime1", QStringLiteral("Real Time"));
    Run1 = item(RealTime1, "Run1", QStringLiteral("Run"), &TfrmMain::btnRunClick,
                QKeySequence(Qt::Key_F5));
    Stop1 = item(RealTime1, "Stop1", QStringLiteral("Stop"), &TfrmMain::btnStopClick,
                 QKeySequence(Qt::Key_F6));
    Run1->setEnabled(false);
    Stop1->setEnabled(false);
    RealTime1->addSeparator();
    Alarms1 = item(RealTime1, "Alarms1", QStringLiteral("&Alarms..."), &TfrmMain::Alarms1Click);
    AcknowledgeAlarms1 = item(RealTime1, "AcknowledgeAlarms1", QStringLiteral("Ac&knowledge Alarms"),
                              &TfrmMain::AcknowledgeAlarms1Click,
                              QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A));
    AcknowledgeAlarms1->setIconText(QStringLiteral("Acknowledge"));
    AcknowledgeAlarms1->setToolTip(QStringLiteral("Acknowledge the alarms (Ctrl+Shift+A)"));

    DataLogger1 = menu("DataLogger1", QStringLiteral("&Data Logger"));
    LoadData1 = item(DataLogger1, "LoadData1", QStringLiteral("&Load "), &TfrmMain::LoadData1Click);
    Setup1 = item(DataLogger1, "Setup1", QStringLiteral("&Setup"), &TfrmMain::Setup1Click);
    Setup1->setVisible(false);

    View1 = menu("View1", QStringLiteral("&View"));
    ControlPanel1 = item(View1, "ControlPanel1", QStringLiteral("&Control Panel"),
                         &TfrmMain::ControlPanel1Click);
    RealTimeGraph1 = item(View1, "RealTimeGraph1", QStringLiteral("Real Time &Graph"),
                          &TfrmMain::RealTimeGraph1Click);
    for (QAction* a : {ControlPanel1, RealTimeGraph1}) {
        a->setCheckable(true);
        a->setChecked(true);
    }

    Window1 = menu("Window1", QStringLiteral("&Window"));
    Tile1 = item(Window1, "Tile1", QStringLiteral("&Tile"), &TfrmMain::Tile1Click);
    Cascade1 = item(Window1, "Cascade1", QStringLiteral("&Cascade"), &TfrmMain::Cascade1Click);
    connect(Window1, &QMenu::aboutToShow, this, &TfrmMain::UpdateWindowMenu);

    Help1 = menu("Help1", QStringLiteral("&Help"));
    Contents1 = item(Help1, "Contents1", QStringLiteral("&Contents"), &TfrmMain::Contents1Click,
                     QKeySequence::HelpContents);
    Help1->addSeparator();
    About1 = item(Help1, "About1", QStringLiteral("&About"), &TfrmMain::About1Click);
}

// "&Window": Tile and Cascade, then the open child windows, the active one checked.
void TfrmMain::UpdateWindowMenu()
{
    for (QAction* a : windowListActions_) {
        Window1->removeAction(a);
        a->deleteLater();
    }
    windowListActions_.clear();
    const QList<QMdiSubWindow*> windows = MdiArea->subWindowList();
    if (windows.isEmpty())
        return;
    windowListActions_ << Window1->addSeparator();
    int n = 0;
    for (QMdiSubWindow* w : windows) {
        QString title = w->windowTitle();
        if (title.isEmpty() && w->widget())
            title = w->widget()->windowTitle();
        QAction* a = Window1->addAction(QStringLiteral("&%1 %2").arg(++n).arg(title));
        a->setCheckable(true);
        a->setChecked(w == MdiArea->activeSubWindow());
        connect(a, &QAction::triggered, this, [this, sub = QPointer<QMdiSubWindow>(w)] {
            if (sub) {
                if (sub->isMinimized())
                    sub->showNormal();
                MdiArea->setActiveSubWindow(sub);
            }
        });
        windowListActions_ << a;
    }
}

void TfrmMain::CreateToolBar()
{
    Panel1 = new QToolBar(QStringLiteral("Tools"), this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setMovable(false);
    Panel1->setFloatable(false);
    Panel1->setFixedHeight(kToolBarHeight);
    Panel1->setIconSize(QSize(24, 24));
    Panel1->setContextMenuPolicy(Qt::PreventContextMenu);
    addToolBar(Qt::TopToolBarArea, Panel1);

    auto place = [this](QToolButton* b, const char* name, const QString& hint) {
        b->setObjectName(QString::fromLatin1(name));
        b->setAccessibleName(hint);
        b->setAutoRaise(true);
        b->setFixedSize(32, 32);
        Panel1->addWidget(b);
        return b;
    };
    // The button of a menu command: the item's action, with the button's hint and icon.
    auto command = [this, place](const char* name, QAction* action, const QString& hint,
                                 const char* icon, QStyle::StandardPixmap fallback) {
        action->setIcon(Artwork::toolIcon(this, icon, fallback));
        action->setIconVisibleInMenu(false);
        action->setToolTip(hint);
        action->setStatusTip(hint);
        auto* b = new QToolButton(Panel1);
        b->setDefaultAction(action);
        return place(b, name, hint);
    };

    SpeedButton1 = command("SpeedButton1", Open1, QStringLiteral("Open File"), "open",
                           QStyle::SP_DialogOpenButton);
    SpeedButton2 = command("SpeedButton2", Save1, QStringLiteral("Save to file"), "save",
                           QStyle::SP_DialogSaveButton);
    btnPrint = command("btnPrint", Print1, QStringLiteral("Print"), "print", QStyle::SP_FileIcon);
    Panel1->addSeparator();
    btnDataLogger = command("btnDataLogger", LoadData1, QStringLiteral("Data Logger"), "datalogger",
                            QStyle::SP_ArrowDown);
    // A command of the tool bar only.
    const QString outputHint = QStringLiteral("Output Tabular to graph");
    btnOutputToGraph = place(new QToolButton(Panel1), "btnOutputToGraph", outputHint);
    btnOutputToGraph->setToolTip(outputHint);
    btnOutputToGraph->setStatusTip(outputHint);
    btnOutputToGraph->setIcon(
        Artwork::toolIcon(this, "tabletograph", QStyle::SP_FileDialogDetailedView));
    btnOutputToGraph->setEnabled(false);
    connect(btnOutputToGraph, &QToolButton::clicked, this, &TfrmMain::btnOutputToGraphClick);
    Panel1->addSeparator();
    btnRun = command("btnRun", Run1, QStringLiteral("Start Graphing Real Time Data"), "run",
                     QStyle::SP_MediaPlay);
    btnStop = command("btnStop", Stop1, QStringLiteral("Stop Graphing Real Time Data"), "stop",
                      QStyle::SP_MediaStop);
    btnAlarms = command("btnAlarms", Alarms1, QStringLiteral("Alarms on the live readings"), "alarms",
                        QStyle::SP_MessageBoxWarning);
    Panel1->addSeparator();
    SpeedButton8 = command("SpeedButton8", Contents1, QStringLiteral("Help"), "help",
                           QStyle::SP_DialogHelpButton);

    Panel1->addSeparator();
    ComboBoxDeviceName = new QComboBox(Panel1);
    ComboBoxDeviceName->setObjectName(QStringLiteral("ComboBoxDeviceName"));
    ComboBoxDeviceName->setMinimumContentsLength(16);
    ComboBoxDeviceName->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    ComboBoxDeviceName->setPlaceholderText(kNoPortText);
    ComboBoxDeviceName->setToolTip(QStringLiteral("Serial port of the meter"));
    // activated: only the user's choice, not the search's own selection.
    connect(ComboBoxDeviceName, &QComboBox::activated, this, &TfrmMain::ComboBoxDeviceNameChange);
    Panel1->addWidget(ComboBoxDeviceName);
}

void TfrmMain::CreateStatusBar()
{
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    setStatusBar(StatusBar1);
    const QFontMetrics fm(StatusBar1->font());
    const std::array<int, 2> widths{
        std::max(kStatusPanel0Min, fm.horizontalAdvance(QStringLiteral("/dev/ttyUSB0 ")) * 2),
        std::max(kStatusPanel1Min, fm.horizontalAdvance(QStringLiteral("Off Connection")) + 16)};
    for (int i = 0; i < 2; ++i) {
        auto* label = new QLabel(StatusBar1);
        label->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        label->setMinimumWidth(widths[std::size_t(i)]);
        label->setFrameShape(QFrame::StyledPanel);
        label->setFrameShadow(QFrame::Sunken);
        label->setContentsMargins(4, 0, 4, 0);
        StatusBar1->addWidget(label);
        StatusPanels[std::size_t(i)] = label;
    }
    PortAccessNotice = new StatusNotice(*StatusBar1, QStringLiteral("PortAccessNotice"));
}

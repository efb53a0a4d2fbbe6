// SPDX-License-Identifier: GPL-3.0-or-later
// The graph window's form: the data sets pane, the tool bar, the two statistic panels, the chart
// and its read-out. Sizes are designed at 120 dots per inch and scaled to the screen's; boxes
// that show texts are at least as wide as their longest text in the font they have.

#include "graph/UGraph.h"


#include "base/DateTime.h"
#include "base/LocaleText.h"
#include "graph/Chart.h"
#include "graph/DataSetsGrid.h"
#include "resources/Artwork.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QScrollBar>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kDesignDpi = 120.0;

// A size of the design, in this screen's pixels.
int scaled(const QWidget* w, int designPx)
{
    return int(std::lround(designPx * w->logicalDpiY() / kDesignDpi));
}

// Titles and design widths of the data sets list, with the widest content each column gets
// ("" for the date, which follows the user's short date format).
struct GridColumn {
    const char* title;
    int width;
    const char* widest;
};
constexpr GridColumn kGrid2Columns[] = {
    {"Set", 25, "888"},         {"DATE", 60, ""},           {"TIME", 60, "88:88:88"},
    {"Rate", 65, "88:88"},      {"Nums", 40, "88888"},      {"Unit", 40, "C"},
    {"Couple", 40, "K"},        {"T1 Offset", 60, "-88.8"}, {"T2 Offset", 60, "-88.8"},
    {"T3 Offset", 60, "-88.8"}, {"T4 Offset", 60, "-88.8"},
};

// The widest texts the boxes show: a four-digit reading at a late, wide date and time.
double sampleTime()
{
    return DateTime::fromQDateTime(QDateTime(QDate(2026, 12, 28), QTime(22, 58, 58)));
}

QLineEdit* readOnlyBox(QWidget* parent, const QString& name, const QString& text = {})
{
    auto* box = new QLineEdit(text, parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::ClickFocus);
    return box;
}

QLabel* label(QWidget* parent, const QString& text, const QString& name = {})
{
    auto* l = new QLabel(text, parent);
    if (!name.isEmpty())
        l->setObjectName(name);
    return l;
}

// Width that shows text in full in a line edit with the box's font.
int boxWidthFor(const QLineEdit* box, const QString& text)
{
    constexpr int kFrameAndMargins = 16;
    return box->fontMetrics().horizontalAdvance(text) + kFrameAndMargins;
}

QStringList twoDigitItems()
{
    QStringList items;
    for (int i = 0; i <= 60; ++i)
        items << QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0'));
    return items;
}

} // namespace

void TfrmGraph::CreateForm()
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    Splitter1 = new QSplitter(Qt::Horizontal, this);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setHandleWidth(1);
    Splitter1->setChildrenCollapsible(false);
    layout->addWidget(Splitter1);

    Splitter1->addWidget(CreateDataSetsPane());
    pnlRight = new QWidget(Splitter1);
    pnlRight->setObjectName(QStringLiteral("pnlRight"));
    Splitter1->addWidget(pnlRight);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);

    auto* right = new QVBoxLayout(pnlRight);
    right->setContentsMargins(0, 0, 0, 0);
    Splitter2 = new QSplitter(Qt::Vertical, pnlRight);
    Splitter2->setObjectName(QStringLiteral("Splitter2"));
    Splitter2->setChildrenCollapsible(false);
    right->addWidget(Splitter2);
    Splitter2->addWidget(CreateGraphPane());
    Splitter2->addWidget(CreateStatistic());
    Splitter2->setStretchFactor(0, 1);
    Splitter2->setStretchFactor(1, 0);

    ColorDialog1 = new QColorDialog(this);
    ColorDialog1->setObjectName(QStringLiteral("ColorDialog1"));
    FontDialog1 = new QFontDialog(this);
    FontDialog1->setObjectName(QStringLiteral("FontDialog1"));
    const bool tahoma = QFontDatabase::families().contains(QStringLiteral("Tahoma"));
    FontDialog1->setCurrentFont(tahoma ? QFont(QStringLiteral("Tahoma")) : QGuiApplication::font());

    FitTextBoxes();
    // The statistic panel opens at its designed height, or taller when its rows need it.
    const int statistic = std::max(scaled(this, 130), pnlStatistic->sizeHint().height());
    Splitter2->setSizes({std::max(1, height() - statistic), statistic});
}

QWidget* TfrmGraph::CreateDataSetsPane()
{
    pnlDataSets = new QFrame(Splitter1);
    pnlDataSets->setObjectName(QStringLiteral("pnlDataSets"));
    auto* layout = new QVBoxLayout(pnlDataSets);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    lblDataSets = label(pnlDataSets, QStringLiteral("Data Sets"), QStringLiteral("lblDataSets"));
    lblDataSets->setAlignment(Qt::AlignCenter);
    lblDataSets->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    lblDataSets->setMinimumHeight(lblDataSets->fontMetrics().height() + 6);
    layout->addWidget(lblDataSets);

    Grid2 = new DataSetsGrid(1, int(std::size(kGrid2Columns)), pnlDataSets);
    Grid2->setObjectName(QStringLiteral("Grid2"));
    Grid2->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid2->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid2->verticalHeader()->hide();
    Grid2->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    Grid2->horizontalHeader()->setHighlightSections(false);
    Grid2->viewport()->setCursor(Qt::PointingHandCursor);
    Grid2->verticalHeader()->setDefaultSectionSize(Grid2->fontMetrics().height() + 6);
    layout->addWidget(Grid2, 1);

    pnlDataSets->setMinimumWidth(scaled(this, 120));
    pnlDataSets->hide();
    return pnlDataSets;
}

QWidget* TfrmGraph::CreateGraphPane()
{
    pnlGraph = new QWidget(Splitter2);
    pnlGraph->setObjectName(QStringLiteral("pnlGraph"));
    auto* layout = new QVBoxLayout(pnlGraph);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    CreateToolBar();
    layout->addWidget(ToolBar1);
    layout->addWidget(CreateGraphStatistic());

    Chart1 = new Chart(pnlGraph);
    Chart1->setObjectName(QStringLiteral("Chart1"));
    Chart1->setMinimumSize(scaled(this, 200), scaled(this, 120));
    layout->addWidget(Chart1, 1);

    // The read-out floats over the chart's top-left corner; pnlGraphResize keeps it there.
    Panel12 = new QLabel(pnlGraph);
    Panel12->setObjectName(QStringLiteral("Panel12"));
    Panel12->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Panel12->setAutoFillBackground(true);
    Panel12->setContentsMargins(3, 0, 3, 0);
    Panel12->raise();
    return pnlGraph;
}

void TfrmGraph::CreateToolBar()
{
    ToolBar1 = new QToolBar(pnlGraph);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setIconSize(QSize(20, 20));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);

    auto tool = [this](const char* name, const QString& hint, const char* icon,
                       QStyle::StandardPixmap fallback, bool checkable) {
        auto* b = new QToolButton(ToolBar1);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(hint);
        b->setAccessibleName(hint);
        b->setIcon(Artwork::toolIcon(this, icon, fallback));
        b->setCheckable(checkable);
        b->setAutoRaise(true);
        ToolBar1->addWidget(b);
        return b;
    };
    auto button = [this](const char* name, const QString& caption, const QString& hint) {
        auto* b = new QPushButton(caption, ToolBar1);
        b->setObjectName(QString::fromLatin1(name));
        if (!hint.isEmpty())
            b->setToolTip(hint);
        b->setFocusPolicy(Qt::TabFocus);
        ToolBar1->addWidget(b);
        return b;
    };

    ToolButton1 = tool("ToolButton1", QStringLiteral("Toggle Graph Statistic"), "graphstatistic",
                       QStyle::SP_FileDialogInfoView, true);
    ToolButton2 = tool("ToolButton2", QStringLiteral("Toggle Line Cursor Statistic"),
                       "linestatistic", QStyle::SP_FileDialogDetailedView, true);
    ToolButton1->setChecked(true);
    ToolButton2->setChecked(true);
    ToolBar1->addSeparator();
    ToolButton4 = tool("ToolButton4", QStringLiteral("Normal Cursor"), "normalcursor",
                       QStyle::SP_ArrowUp, true);
    ToolButton5 = tool("ToolButton5", QStringLiteral("Draw A Cross On Graph"), "cross",
                       QStyle::SP_DialogCloseButton, true);
    ToolButton9 = tool("ToolButton9", QStringLiteral("Text"), "text", QStyle::SP_FileIcon, true);
    cursorTools = new QButtonGroup(this);
    cursorTools->setExclusive(true);
    for (QToolButton* b : {ToolButton4, ToolButton5, ToolButton9})
        cursorTools->addButton(b);
    ToolButton4->setChecked(true);
    ToolButton15 = tool("ToolButton15", QStringLiteral("Set Annotation Color"), "annotationcolor",
                        QStyle::SP_DesktopIcon, false);
    ToolBar1->addSeparator();
    ToolBar1->addSeparator();
    tbntClr = tool("tbntClr", QStringLiteral("Clear"), "clear", QStyle::SP_DialogResetButton, false);
    // Shown only in the real-time window (ShowClearButton): a tool-bar widget is shown and
    // hidden through its action.
    tbntClrAction_ = ToolBar1->actions().last();
    tbntClrAction_->setVisible(false);
    UndoZoom = tool("UndoZoom", QStringLiteral("Undo Zoom"), "undozoom", QStyle::SP_ArrowBack,
                    false);
    UndoZoom->setEnabled(false);
    btnFitY = tool("btnFitY", QStringLiteral("Fit Y"), "fity", QStyle::SP_ArrowUp, false);
    btnFollowY = tool("btnFollowY", QStringLiteral("Keep Fitting Y While Recording"), "followy",
                      QStyle::SP_BrowserReload, true);
    btnFollowYAction_ = ToolBar1->actions().last();
    btnFollowYAction_->setVisible(false);

    chkSplit = new QCheckBox(QStringLiteral("Split"), ToolBar1);
    chkSplit->setObjectName(QStringLiteral("chkSplit"));
    chkSplit->setChecked(true);
    ToolBar1->addWidget(chkSplit);
    Button1 = button("Button1", QStringLiteral("Graph Option"), QStringLiteral("Graph Customization"));
    btnChangeScale =
        button("btnChangeScale", QStringLiteral("Y Axis"),
               QStringLiteral("set the maximum and minimum extent of the left y axis."));
    Button3 = button("Button3", QStringLiteral("Font"), QString());
}

QFrame* TfrmGraph::CreateGraphStatistic()
{
    pnlGraphStatistic = new QFrame(pnlGraph);
    pnlGraphStatistic->setObjectName(QStringLiteral("pnlGraphStatistic"));
    pnlGraphStatistic->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    pnlGraphStatistic->setMinimumHeight(scaled(this, 40));
    auto* row = new QHBoxLayout(pnlGraphStatistic);
    row->setContentsMargins(6, 2, 6, 2);

    row->addWidget(label(pnlGraphStatistic, QStringLiteral("Start Time")));
    txtStartTime = readOnlyBox(pnlGraphStatistic, QStringLiteral("txtStartTime"));
    row->addWidget(txtStartTime);
    row->addSpacing(8);

    row->addWidget(label(pnlGraphStatistic, QStringLiteral("Sampling\nRate")));
    pnlSamplingRate = new QWidget(pnlGraphStatistic);
    pnlSamplingRate->setObjectName(QStringLiteral("pnlSamplingRate"));
    auto* rate = new QHBoxLayout(pnlSamplingRate);
    rate->setContentsMargins(0, 0, 0, 0);
    ComboBox1 = new QComboBox(pnlSamplingRate);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox2 = new QComboBox(pnlSamplingRate);
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    for (QComboBox* box : {ComboBox1, ComboBox2}) {
        box->addItems(twoDigitItems());
        box->setMaxVisibleItems(16);
        rate->addWidget(box);
    }
    ComboBox1->setCurrentIndex(0);
    ComboBox2->setCurrentIndex(2);
    rate->addWidget(label(pnlSamplingRate, QStringLiteral("mm:ss")));
    pnlSamplingRate->setEnabled(false);
    row->addWidget(pnlSamplingRate);
    row->addSpacing(8);

    row->addWidget(label(pnlGraphStatistic, QStringLiteral("Data No.")));
    txtDataNo = readOnlyBox(pnlGraphStatistic, QStringLiteral("txtDataNo"), QStringLiteral("0"));
    row->addWidget(txtDataNo);
    row->addSpacing(8);

    Button2 = new QPushButton(QStringLiteral("Show MAX/MIN on Graph"), pnlGraphStatistic);
    Button2->setObjectName(QStringLiteral("Button2"));
    row->addWidget(Button2);
    row->addStretch(1);
    return pnlGraphStatistic;
}

QFrame* TfrmGraph::CreateStatistic()
{
    pnlStatistic = new QFrame(Splitter2);
    pnlStatistic->setObjectName(QStringLiteral("pnlStatistic"));
    pnlStatistic->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    auto* grid = new QGridLayout(pnlStatistic);
    grid->setContentsMargins(8, 4, 8, 4);
    grid->setVerticalSpacing(3);
    grid->setHorizontalSpacing(6);
    for (int j = 0; j < 4; ++j) {
        const auto i = std::size_t(j);
        const QString t = QStringLiteral("T%1").arg(j + 1);
        grid->addWidget(label(pnlStatistic, t + QStringLiteral(" MAX ")), j, 0);
        txtMax[i] = readOnlyBox(pnlStatistic, QStringLiteral("txt%1Max").arg(t));
        grid->addWidget(txtMax[i], j, 1);
        grid->addWidget(label(pnlStatistic, QStringLiteral("MIN")), j, 2, Qt::AlignRight);
        txtMin[i] = readOnlyBox(pnlStatistic, QStringLiteral("txt%1Min").arg(t));
        grid->addWidget(txtMin[i], j, 3);
        grid->addWidget(label(pnlStatistic, QStringLiteral("AVG")), j, 4, Qt::AlignRight);
        txtAvg[i] = readOnlyBox(pnlStatistic, QStringLiteral("txt%1Avg").arg(t),
                                StatText::kInitialAverage);
        grid->addWidget(txtAvg[i], j, 5);
    }
    lblUnit = label(pnlStatistic, QString(), QStringLiteral("lblUnit"));
    lblUnit->setContentsMargins(12, 0, 0, 0);
    lblUnit->hide();
    grid->addWidget(lblUnit, 0, 6, 4, 1, Qt::AlignLeft | Qt::AlignVCenter);
    grid->setColumnStretch(6, 1);
    return pnlStatistic;
}

void TfrmGraph::ShowDataSets(bool on)
{
    pnlDataSets->setVisible(on);
    dataSetsToPlace_ = on;
    placeDataSets();
}

// The pane gets its designed width once the splitter knows its own (it may not be laid out
// yet when the pane is shown); where the window has room, it is as wide as all its columns, up
// to two fifths of the window.
void TfrmGraph::placeDataSets()
{
    int columns = 2 * Grid2->frameWidth() + Grid2->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < Grid2->columnCount(); ++c)
        columns += Grid2->columnWidth(c);
    const int margins = pnlDataSets->contentsMargins().left() + pnlDataSets->contentsMargins().right() +
                        (pnlDataSets->layout() ? pnlDataSets->layout()->contentsMargins().left() +
                                                     pnlDataSets->layout()->contentsMargins().right()
                                               : 0);
    const int pane = std::max(scaled(this, 346), std::min(columns + margins, Splitter1->width() * 2 / 5));
    if (!dataSetsToPlace_ || Splitter1->width() <= pane)
        return;
    dataSetsToPlace_ = false;
    Splitter1->setSizes({pane, Splitter1->width() - pane - Splitter1->handleWidth()});
}

void TfrmGraph::FitTextBoxes()
{
    const double t = sampleTime();
    const QString extreme = StatText::extreme(-2888.8f, t);
    const QString average = LocaleText::fixed(-2888.888, 3);
    for (int j = 0; j < 4; ++j) {
        const auto i = std::size_t(j);
        txtMax[i]->setMinimumWidth(boxWidthFor(txtMax[i], extreme));
        txtMin[i]->setMinimumWidth(boxWidthFor(txtMin[i], extreme));
        txtAvg[i]->setMinimumWidth(boxWidthFor(txtAvg[i], average));
    }
    txtStartTime->setMinimumWidth(boxWidthFor(txtStartTime, LocaleText::dateTimeText(t)));
    txtDataNo->setMinimumWidth(boxWidthFor(txtDataNo, QStringLiteral("8888888")));
    txtDataNo->setMaximumWidth(txtDataNo->minimumWidth());

    const QFontMetrics fm = Panel12->fontMetrics();
    Panel12->resize(std::max(scaled(this, 167),
                             fm.horizontalAdvance(QStringLiteral("-2888.8@") +
                                                  LocaleText::timeText(t)) + 10),
                    std::max(scaled(this, 21), fm.height() + 4));
}

// The titles and widths of the data sets list (no narrower than its titles); the annotation
// colour dialog starts at the current annotation colour.
void TfrmGraph::FormCreate()
{
    const QFontMetrics header = Grid2->horizontalHeader()->fontMetrics();
    const QFontMetrics cells = Grid2->fontMetrics();
    constexpr int kCellMargins = 12;
    for (int c = 0; c < int(std::size(kGrid2Columns)); ++c) {
        const GridColumn& col = kGrid2Columns[c];
        const QString title = QString::fromLatin1(col.title);
        const QString widest =
            *col.widest ? QString::fromLatin1(col.widest) : LocaleText::dateText(sampleTime());
        Grid2->setHorizontalHeaderItem(c, new QTableWidgetItem(title));
        Grid2->setColumnWidth(c, std::max({scaled(this, col.width),
                                           header.horizontalAdvance(title) + kCellMargins,
                                           cells.horizontalAdvance(widest) + kCellMargins}));
    }
    ColorDialog1->setCurrentColor(QColor::fromRgb(host_.Annotations().AnnoColor));
}

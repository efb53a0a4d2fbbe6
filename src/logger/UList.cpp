// SPDX-License-Identifier: GPL-3.0-or-later
#include "logger/UList.h"

#include "files/TableModel.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QMdiSubWindow>
#include <QTableView>
#include <QVBoxLayout>

namespace {

// Widest texts of each column as a file of the program holds them.
const char* const kSampleTexts[TableModel::Columns] = {
    "100000", "00/00/00000", "00:00:00 PM", "-0000.0", "-0000.0", "-0000.0", "-0000.0"};

} // namespace

TfrmList::TfrmList(const QString& caption, std::function<void()> activated, QWidget* parent)
    : QWidget(parent), activated_(std::move(activated))
{
    setObjectName(QStringLiteral("frmList"));
    setWindowTitle(caption);
    table_ = new TableModel(this);
    table_->setObjectName(QStringLiteral("Grid1Model"));

    Grid1 = new QTableView(this);
    Grid1->setObjectName(QStringLiteral("Grid1"));
    Grid1->setModel(table_);
    Grid1->setShowGrid(true);
    Grid1->setSelectionMode(QAbstractItemView::ContiguousSelection);
    Grid1->setSelectionBehavior(QAbstractItemView::SelectItems);
    Grid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid1->setWordWrap(false);
    Grid1->setCornerButtonEnabled(false);
    QHeaderView* rows = Grid1->verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(RowHeight);
    rows->hide();   // column 0 holds the row numbers
    QHeaderView* columns = Grid1->horizontalHeader();
    columns->setSectionResizeMode(QHeaderView::Interactive);
    columns->setHighlightSections(false);
    columns->setStretchLastSection(false);
    sizeColumns();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Grid1);
    resize(columns->length() + 24, 24 * RowHeight);
    watchSubWindow();
}

TfrmList::~TfrmList() = default;

void TfrmList::sizeColumns()
{
    const QFontMetrics fm(Grid1->font());
    for (int c = 0; c < TableModel::Columns; ++c) {
        const int text = std::max(fm.horizontalAdvance(QString::fromLatin1(kSampleTexts[c])),
                                  fm.horizontalAdvance(TableModel::title(c)));
        Grid1->setColumnWidth(c, text + 16);
    }
}

bool TfrmList::event(QEvent* event)
{
    if (event->type() == QEvent::ParentChange)
        watchSubWindow();
    return QWidget::event(event);
}

void TfrmList::watchSubWindow()
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        connect(sub, &QMdiSubWindow::aboutToActivate, this, &TfrmList::FormActivate,
                Qt::UniqueConnection);
}

void TfrmList::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

// The title row: the model's titles, whatever a header change did to them.
void TfrmList::FormShow()
{
    table_->headerDataChanged(Qt::Horizontal, 0, TableModel::Columns - 1);
}

void TfrmList::FormActivate()
{
    if (activated_)
        activated_();
}

void TfrmList::closeEvent(QCloseEvent* event)
{
    event->accept();
    FormClose();
}

// The window goes with its sub-window, which frees itself once closed.
void TfrmList::FormClose()
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->setAttribute(Qt::WA_DeleteOnClose);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/MeasurePane.h"

#include "base/LocaleText.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

constexpr char kUnreadable[] = "unreadable";

// The number in a level box, in the user's format or with a point; nullopt when empty or not a
// number.
std::optional<double> levelOf(const QLineEdit* box)
{
    const QString text = box->text().trimmed();
    if (text.isEmpty())
        return std::nullopt;
    bool ok = false;
    double v = QLocale().toDouble(text, &ok);
    if (!ok)
        v = QLocale::c().toDouble(text, &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

QLineEdit* levelBox(QWidget* parent, const char* name, const QString& hint)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setToolTip(hint);
    box->setAccessibleName(hint);
    box->setFixedWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("-8888.8")) + 16);
    return box;
}

QLabel* label(QWidget* parent, const QString& text)
{
    return new QLabel(text, parent);
}

} // namespace

MeasurePane::MeasurePane(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("pnlMeasure"));
    setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(6, 3, 6, 3);
    column->setSpacing(3);

    auto* row = new QHBoxLayout;
    row->setSpacing(4);
    row->addWidget(label(this, QStringLiteral("Threshold")));
    edtThreshold = levelBox(this, "edtThreshold", QStringLiteral("Threshold"));
    row->addWidget(edtThreshold);
    row->addSpacing(8);
    row->addWidget(label(this, QStringLiteral("Band")));
    edtBandLow = levelBox(this, "edtBandLow", QStringLiteral("Band low"));
    row->addWidget(edtBandLow);
    row->addWidget(label(this, QStringLiteral("to")));
    edtBandHigh = levelBox(this, "edtBandHigh", QStringLiteral("Band high"));
    row->addWidget(edtBandHigh);
    row->addSpacing(8);
    row->addWidget(label(this, QStringLiteral("Base")));
    edtBase = levelBox(this, "edtBase", QStringLiteral("Base of the degree-minutes"));
    row->addWidget(edtBase);
    row->addSpacing(8);
    row->addWidget(label(this, QStringLiteral("Window")));
    spnWindow = new QSpinBox(this);
    spnWindow->setObjectName(QStringLiteral("spnWindow"));
    spnWindow->setToolTip(QStringLiteral("Window of the steepest rise and fall"));
    spnWindow->setRange(1, 86400);
    spnWindow->setValue(int(MeasureOptions{}.windowSeconds));
    spnWindow->setSuffix(QStringLiteral(" s"));
    row->addWidget(spnWindow);
    row->addSpacing(8);
    btnMeasureCopy = new QPushButton(QStringLiteral("Copy"), this);
    btnMeasureCopy->setObjectName(QStringLiteral("btnMeasureCopy"));
    btnMeasureCopy->setToolTip(QStringLiteral("Copy the table, for a spreadsheet"));
    row->addWidget(btnMeasureCopy);
    btnMeasureHide = new QPushButton(QStringLiteral("Hide"), this);
    btnMeasureHide->setObjectName(QStringLiteral("btnMeasureHide"));
    btnMeasureHide->setToolTip(QStringLiteral("Hide the measuring pane (the cursors stay)"));
    row->addWidget(btnMeasureHide);
    row->addStretch(1);
    column->addLayout(row);

    gridMeasure = new QTableWidget(this);
    gridMeasure->setObjectName(QStringLiteral("gridMeasure"));
    gridMeasure->setEditTriggers(QAbstractItemView::NoEditTriggers);
    gridMeasure->verticalHeader()->hide();
    gridMeasure->horizontalHeader()->setHighlightSections(false);
    gridMeasure->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    gridMeasure->verticalHeader()->setDefaultSectionSize(gridMeasure->fontMetrics().height() + 6);
    gridMeasure->setMinimumHeight(gridMeasure->verticalHeader()->defaultSectionSize() * 2);
    column->addWidget(gridMeasure, 1);

    for (QLineEdit* box : {edtThreshold, edtBandLow, edtBandHigh, edtBase})
        connect(box, &QLineEdit::textChanged, this, [this, box] { levelEdited(box); });
    connect(spnWindow, &QSpinBox::valueChanged, this, &MeasurePane::optionsChanged);
    connect(btnMeasureCopy, &QPushButton::clicked, this, &MeasurePane::btnMeasureCopyClick);
    connect(btnMeasureHide, &QPushButton::clicked, this, &MeasurePane::hideRequested);
}

void MeasurePane::levelEdited(QLineEdit* box)
{
    // A text that is no number is shown in red and sets nothing.
    const bool unreadable = !box->text().trimmed().isEmpty() && !levelOf(box);
    if (box->property(kUnreadable).toBool() != unreadable) {
        box->setProperty(kUnreadable, unreadable);
        box->setStyleSheet(unreadable ? QStringLiteral("color: #c62828") : QString());
    }
    emit optionsChanged();
}

MeasureOptions MeasurePane::Options() const
{
    MeasureOptions o;
    o.windowSeconds = spnWindow->value();
    o.threshold = levelOf(edtThreshold);
    const auto low = levelOf(edtBandLow);
    const auto high = levelOf(edtBandHigh);
    if (low && high) {
        o.bandLow = std::min(*low, *high);
        o.bandHigh = std::max(*low, *high);
    }
    o.base = levelOf(edtBase);
    return o;
}

void MeasurePane::ShowMeasure(const SpanMeasure& measure, const QStringList& names,
                              const QString& unit)
{
    MeasureTextStyle style;
    style.locale = QLocale();
    const bool dates = std::floor(measure.from) != std::floor(measure.to);
    style.timeText = [dates](double t) {
        return dates ? LocaleText::dateTimeText(t) : LocaleText::timeText(t);
    };
    showTable(measureTable(measure, Options(), names, unit, style));
}

void MeasurePane::showTable(const MeasureTable& table)
{
    // A new set of columns is laid out afresh; otherwise columns grow with their texts but do
    // not shrink while the cursors move, so that the table does not jump under the user's eyes.
    const bool newColumns = table.header.size() != table_.header.size();
    QTableWidget* g = gridMeasure;
    if (newColumns)
        g->setColumnCount(int(table.header.size()));
    if (table.header != table_.header)
        g->setHorizontalHeaderLabels(table.header);
    table_ = table;
    const QFontMetrics fm = g->fontMetrics();
    const auto grow = [&](int c, const QString& text) {
        int needed = 0;
        for (const QString& line : text.split(QLatin1Char('\n')))
            needed = std::max(needed, fm.horizontalAdvance(line) + 14);
        if (!newColumns && needed > g->columnWidth(c))
            g->setColumnWidth(c, needed);
    };
    for (int c = 0; c < table.header.size(); ++c)
        grow(c, table.header[c]);
    if (g->rowCount() != int(table.rows.size()))
        g->setRowCount(int(table.rows.size()));
    for (int r = 0; r < int(table.rows.size()); ++r) {
        const QStringList& cells = table.rows[std::size_t(r)];
        for (int c = 0; c < cells.size() && c < g->columnCount(); ++c) {
            QTableWidgetItem* item = g->item(r, c);
            if (!item) {
                item = new QTableWidgetItem;
                item->setTextAlignment(c == 0 ? Qt::AlignLeft | Qt::AlignVCenter
                                              : Qt::AlignRight | Qt::AlignVCenter);
                g->setItem(r, c, item);
            }
            if (item->text() != cells[c])
                item->setText(cells[c]);
            grow(c, cells[c]);
        }
    }
    if (newColumns) {
        g->resizeColumnsToContents();
        updateGeometry();
    }
}

QSize MeasurePane::sizeHint() const
{
    const QTableWidget* g = gridMeasure;
    // The titles take two lines.
    const int header = std::max(g->horizontalHeader()->sizeHint().height(),
                                2 * g->horizontalHeader()->fontMetrics().lineSpacing() + 10);
    const int table = header +
                      g->verticalHeader()->defaultSectionSize() * std::max(g->rowCount(), 4) +
                      g->horizontalScrollBar()->sizeHint().height() + 2 * g->frameWidth() + 2;
    const QMargins m = layout()->contentsMargins();
    const int controls = btnMeasureCopy->sizeHint().height();
    return {QFrame::sizeHint().width(), m.top() + controls + layout()->spacing() + table + m.bottom()};
}

QString MeasurePane::TableText() const
{
    return tabSeparated(table_);
}

void MeasurePane::btnMeasureCopyClick()
{
    QApplication::clipboard()->setText(TableText());
}

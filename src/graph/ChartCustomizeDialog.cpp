// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/ChartCustomizeDialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFontDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QIcon swatch(QRgb colour)
{
    QPixmap pm(28, 14);
    pm.fill(QColor::fromRgb(colour));
    return QIcon(pm);
}

QString fontText(const QString& description)
{
    if (description.isEmpty())
        return QStringLiteral("Default");
    QFont f;
    f.fromString(description);
    return QStringLiteral("%1, %2 pt%3").arg(f.family()).arg(f.pointSizeF()).arg(f.bold() ? QStringLiteral(", bold") : QString());
}

} // namespace

ChartCustomizeDialog::ChartCustomizeDialog(const ChartState& state, QWidget* parent)
    : QDialog(parent), s_(state.settings)
{
    setObjectName(QStringLiteral("ChartCustomizeDialog"));
    setWindowTitle(QStringLiteral("Graph Customization"));
    const int subsets = state.data.subsets();
    while (static_cast<int>(s_.subsetColors.size()) < subsets)
        s_.subsetColors.push_back(s_.subsetColor(static_cast<int>(s_.subsetColors.size())));

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("tabs"));
    if (s_.allowPage1)
        tabs_->addTab(generalPage(), QStringLiteral("General"));
    if (s_.allowSubsetsPage)
        tabs_->addTab(subsetsPage(subsets), QStringLiteral("Subsets"));
    if (s_.allowAxisPage)
        tabs_->addTab(axisPage(std::clamp(subsets, 1, ChartLimits::MaxAxes)), QStringLiteral("Axis"));
    if (s_.allowFontPage)
        tabs_->addTab(fontPage(), QStringLiteral("Fonts"));
    if (s_.allowPage2)
        tabs_->addTab(colourPage(), QStringLiteral("Colors"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttons"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    if (tabs_->count() == 0) {
        tabs_->hide();
        auto* none = new QLabel(QStringLiteral("The graph's settings are not offered here. "
                                               "Press OK to go on."),
                                this);
        none->setObjectName(QStringLiteral("lblNoPages"));
        layout->addWidget(none);
    } else {
        layout->addWidget(tabs_);
    }
    layout->addWidget(buttons);
}

QWidget* ChartCustomizeDialog::generalPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("Page1"));
    auto* form = new QFormLayout(page);
    mainTitle_ = new QLineEdit(s_.mainTitle, page);
    mainTitle_->setObjectName(QStringLiteral("edtMainTitle"));
    subTitle_ = new QLineEdit(s_.subTitle, page);
    subTitle_->setObjectName(QStringLiteral("edtSubTitle"));
    xAxisLabel_ = new QLineEdit(s_.xAxisLabel, page);
    xAxisLabel_->setObjectName(QStringLiteral("edtXAxisLabel"));
    gridStyle_ = new QComboBox(page);
    gridStyle_->setObjectName(QStringLiteral("cmbGridStyle"));
    gridStyle_->addItems({QStringLiteral("Thin"), QStringLiteral("Thick"), QStringLiteral("Dotted"),
                          QStringLiteral("Dashed")});
    gridStyle_->setCurrentIndex(std::clamp(s_.gridStyle, 0, 3));
    gridLines_ = new QComboBox(page);
    gridLines_->setObjectName(QStringLiteral("cmbGridLines"));
    gridLines_->addItems({QStringLiteral("Both"), QStringLiteral("Horizontal only"),
                          QStringLiteral("Vertical only"), QStringLiteral("None")});
    gridLines_->setCurrentIndex(std::clamp(s_.gridLineControl, 0, 3));
    lineWidth_ = new QSpinBox(page);
    lineWidth_->setObjectName(QStringLiteral("spnLineWidth"));
    lineWidth_->setRange(1, 10);
    lineWidth_->setValue(std::clamp(s_.lineWidth, 1, 10));
    form->addRow(QStringLiteral("Main title"), mainTitle_);
    form->addRow(QStringLiteral("Subtitle"), subTitle_);
    form->addRow(QStringLiteral("X axis label"), xAxisLabel_);
    form->addRow(QStringLiteral("Grid style"), gridStyle_);
    form->addRow(QStringLiteral("Grid lines"), gridLines_);
    form->addRow(QStringLiteral("Line width"), lineWidth_);
    dataHotSpots_ = new QCheckBox(QStringLiteral("A click on a data point marks it with its time and value"), page);
    dataHotSpots_->setObjectName(QStringLiteral("chkDataHotSpots"));
    dataHotSpots_->setChecked(s_.allowDataHotSpots);
    form->addRow(QStringLiteral("Data points"), dataHotSpots_);
    return page;
}

QPushButton* ChartCustomizeDialog::colourButton(const QString& name, QRgb& colour)
{
    auto* b = new QPushButton;
    b->setObjectName(name);
    b->setIcon(swatch(colour));
    b->setText(QStringLiteral("Change..."));
    connect(b, &QPushButton::clicked, this, [this, b, &colour] {
        const QColor c = QColorDialog::getColor(QColor::fromRgb(colour), this);
        if (c.isValid()) {
            colour = c.rgb();
            b->setIcon(swatch(colour));
        }
    });
    return b;
}

QPushButton* ChartCustomizeDialog::fontButton(const QString& name, QString& font)
{
    auto* b = new QPushButton(fontText(font));
    b->setObjectName(name);
    connect(b, &QPushButton::clicked, this, [this, b, &font] {
        QFont current;
        if (!font.isEmpty())
            current.fromString(font);
        bool ok = false;
        const QFont f = QFontDialog::getFont(&ok, current, this);
        if (ok) {
            font = f.toString();
            b->setText(fontText(font));
        }
    });
    return b;
}

QWidget* ChartCustomizeDialog::colourPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("Page2"));
    auto* form = new QFormLayout(page);
    form->addRow(QStringLiteral("Window background"), colourButton(QStringLiteral("btnDeskColor"), s_.deskColor));
    form->addRow(QStringLiteral("Graph background"), colourButton(QStringLiteral("btnGraphBackColor"), s_.graphBackColor));
    form->addRow(QStringLiteral("Grid"), colourButton(QStringLiteral("btnGraphForeColor"), s_.graphForeColor));
    form->addRow(QStringLiteral("Text"), colourButton(QStringLiteral("btnTextColor"), s_.textColor));
    return page;
}

QWidget* ChartCustomizeDialog::fontPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("FontPage"));
    auto* form = new QFormLayout(page);
    form->addRow(QStringLiteral("Main title"), fontButton(QStringLiteral("btnMainTitleFont"), s_.mainTitleFont));
    form->addRow(QStringLiteral("Subtitle"), fontButton(QStringLiteral("btnSubTitleFont"), s_.subTitleFont));
    form->addRow(QStringLiteral("Labels and legend"), fontButton(QStringLiteral("btnLabelFont"), s_.labelFont));
    return page;
}

QWidget* ChartCustomizeDialog::subsetsPage(int subsets)
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("SubsetsPage"));
    auto* grid = new QGridLayout(page);
    grid->addWidget(new QLabel(QStringLiteral("Subset")), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Label")), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Color")), 0, 2);
    for (int s = 0; s < subsets; ++s) {
        grid->addWidget(new QLabel(QString::number(s + 1)), s + 1, 0);
        auto* label = new QLineEdit(s_.subsetLabel(s));
        label->setObjectName(QStringLiteral("edtSubsetLabel%1").arg(s));
        subsetLabels_.push_back(label);
        grid->addWidget(label, s + 1, 1);
        grid->addWidget(colourButton(QStringLiteral("btnSubsetColor%1").arg(s),
                                     s_.subsetColors[static_cast<std::size_t>(s)]),
                        s + 1, 2);
    }
    grid->setRowStretch(subsets + 1, 1);
    return page;
}

QWidget* ChartCustomizeDialog::axisPage(int axes)
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("AxisPage"));
    auto* grid = new QGridLayout(page);
    const QStringList heads{QStringLiteral("Axis"), QStringLiteral("Fixed extent"),
                            QStringLiteral("Minimum"), QStringLiteral("Maximum"),
                            QStringLiteral("Label")};
    for (int c = 0; c < heads.size(); ++c)
        grid->addWidget(new QLabel(heads[c]), 0, c);
    for (int i = 0; i < axes; ++i) {
        const ChartAxis& a = s_.axes[static_cast<std::size_t>(i)];
        AxisRow row{new QCheckBox, new QDoubleSpinBox, new QDoubleSpinBox, new QLineEdit(a.yAxisLabel)};
        row.manual->setObjectName(QStringLiteral("chkManualY%1").arg(i));
        row.manual->setChecked(a.manualScaleControlY == sg::sgManualMinAndMax);
        for (QDoubleSpinBox* b : {row.min, row.max}) {
            b->setRange(-1e6, 1e6);
            b->setDecimals(1);
        }
        row.min->setObjectName(QStringLiteral("spnMinY%1").arg(i));
        row.max->setObjectName(QStringLiteral("spnMaxY%1").arg(i));
        row.label->setObjectName(QStringLiteral("edtYAxisLabel%1").arg(i));
        row.min->setValue(a.manualMinY);
        row.max->setValue(a.manualMaxY);
        grid->addWidget(new QLabel(QString::number(i + 1)), i + 1, 0);
        grid->addWidget(row.manual, i + 1, 1);
        grid->addWidget(row.min, i + 1, 2);
        grid->addWidget(row.max, i + 1, 3);
        grid->addWidget(row.label, i + 1, 4);
        axisRows_.push_back(row);
    }
    grid->setRowStretch(axes + 1, 1);
    return page;
}

ChartSettings ChartCustomizeDialog::settings() const
{
    ChartSettings s = s_;
    if (mainTitle_) {
        s.mainTitle = mainTitle_->text();
        s.subTitle = subTitle_->text();
        s.xAxisLabel = xAxisLabel_->text();
        s.gridStyle = gridStyle_->currentIndex();
        s.gridLineControl = gridLines_->currentIndex();
        s.lineWidth = lineWidth_->value();
        s.allowDataHotSpots = dataHotSpots_->isChecked();
    }
    for (std::size_t i = 0; i < subsetLabels_.size(); ++i) {
        if (s.subsetLabels.size() <= i)
            s.subsetLabels.resize(i + 1);
        s.subsetLabels[i] = subsetLabels_[i]->text();
    }
    for (std::size_t i = 0; i < axisRows_.size(); ++i) {
        ChartAxis& a = s.axes[i];
        const AxisRow& r = axisRows_[i];
        if (r.manual->isChecked())
            a.manualScaleControlY = sg::sgManualMinAndMax;
        else if (a.manualScaleControlY == sg::sgManualMinAndMax)
            a.manualScaleControlY = sg::sgNone;
        a.manualMinY = r.min->value();
        a.manualMaxY = r.max->value();
        a.yAxisLabel = r.label->text();
    }
    return s;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarms/UAlarms.h"

#include "base/DialogParts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

struct RowInfo {
    const char* name;       // in object names: chkHigh1, edtHighLimit1, ...
    const char* caption;
    AlarmKind kind;
    double limit;           // defaults of a row without a rule
    double hysteresis;
};
constexpr std::array<RowInfo, TfrmAlarms::RowCount> kRows{{
    {"High", "High limit, above", AlarmKind::Above, 100.0, 1.0},
    {"Low", "Low limit, below", AlarmKind::Below, 0.0, 1.0},
    {"Rise", "Rising faster than", AlarmKind::Rise, 5.0, 1.0},
    {"Fall", "Falling faster than", AlarmKind::Fall, 5.0, 1.0},
    {"None", "No reading (probe out, over range)", AlarmKind::NoReading, 0.0, 0.0},
}};
constexpr double kDefaultWindow = 60.0;

QString named(const char* prefix, const char* row, const char* part, int channel)
{
    return QString::fromLatin1(prefix) + QString::fromLatin1(row) + QString::fromLatin1(part)
           + QString::number(channel + 1);
}

QDoubleSpinBox* number(QWidget* parent, const QString& name, double lo, double hi)
{
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(name);
    box->setDecimals(1);
    box->setRange(lo, hi);
    box->setAlignment(Qt::AlignRight);
    box->setAccelerated(true);
    return box;
}

QSpinBox* seconds(QWidget* parent, const QString& name, int lo, int hi)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(lo, hi);
    box->setSuffix(QStringLiteral(" s"));
    box->setAlignment(Qt::AlignRight);
    box->setAccelerated(true);
    return box;
}

QLabel* heading(QWidget* parent, const QString& text)
{
    auto* l = new QLabel(text, parent);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

} // namespace

TfrmAlarms::TfrmAlarms(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAlarms"));
    setWindowTitle(QStringLiteral("Alarms"));
    setModal(true);

    auto* intro = new QLabel(
        QStringLiteral("An alarm starts when its condition has held for the time given, and ends when "
                       "the reading is back inside the limit by the hysteresis. Rates are degrees per "
                       "minute, measured over the window."),
        this);
    intro->setWordWrap(true);

    tabChannels = new QTabWidget(this);
    tabChannels->setObjectName(QStringLiteral("tabChannels"));
    for (int ch = 0; ch < 4; ++ch)
        tabChannels->addTab(createChannelTab(ch), Alarm::channelName(ch));

    chkLost = new QCheckBox(QStringLiteral("Meter lost (no frames for three seconds)"), this);
    chkLost->setObjectName(QStringLiteral("chkLost"));
    edtLostFor = seconds(this, QStringLiteral("edtLostFor"), 0, int(Alarm::kMaxMinSeconds));
    auto* lostRow = new QHBoxLayout;
    lostRow->addWidget(chkLost);
    lostRow->addStretch(1);
    lostRow->addWidget(new QLabel(QStringLiteral("for at least"), this));
    lostRow->addWidget(edtLostFor);

    chkSound = new QCheckBox(QStringLiteral("Sound until the alarm is acknowledged"), this);
    chkSound->setObjectName(QStringLiteral("chkSound"));

    createOkCancel(*this, btnOK, btnCancel);
    QHBoxLayout* buttons = buttonRow({btnOK, btnCancel});

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(tabChannels);
    layout->addLayout(lostRow);
    layout->addWidget(chkSound);
    layout->addLayout(buttons);

    connect(chkLost, &QCheckBox::toggled, this, &TfrmAlarms::updateEnabled);
    setFields(AlarmConfig{});
}

QWidget* TfrmAlarms::createChannelTab(int channel)
{
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("tabT%1").arg(channel + 1));
    ChannelTab& tab = channels[std::size_t(channel)];
    auto* grid = new QGridLayout(page);
    grid->setHorizontalSpacing(10);

    tab.unit = new QComboBox(page);
    tab.unit->setObjectName(QStringLiteral("cmbUnit%1").arg(channel + 1));
    tab.unit->addItems({Alarm::unitText(TempUnit::Celsius), Alarm::unitText(TempUnit::Fahrenheit)});
    auto* unitRow = new QHBoxLayout;
    unitRow->addWidget(new QLabel(QStringLiteral("Limits of %1 in").arg(Alarm::channelName(channel)), page));
    unitRow->addWidget(tab.unit);
    unitRow->addStretch(1);
    grid->addLayout(unitRow, 0, 0, 1, 5);

    grid->addWidget(heading(page, QStringLiteral("Alarm")), 1, 0);
    grid->addWidget(heading(page, QStringLiteral("Limit")), 1, 1);
    grid->addWidget(heading(page, QStringLiteral("Measured over")), 1, 2);
    grid->addWidget(heading(page, QStringLiteral("Hysteresis")), 1, 3);
    grid->addWidget(heading(page, QStringLiteral("For at least")), 1, 4);

    for (int r = 0; r < RowCount; ++r) {
        const RowInfo& info = kRows[std::size_t(r)];
        RuleRow& row = tab.rows[std::size_t(r)];
        const int y = r + 2;
        row.on = new QCheckBox(QString::fromLatin1(info.caption), page);
        row.on->setObjectName(named("chk", info.name, "", channel));
        grid->addWidget(row.on, y, 0);
        const bool rate = info.kind == AlarmKind::Rise || info.kind == AlarmKind::Fall;
        if (info.kind != AlarmKind::NoReading) {
            row.limit = number(page, named("edt", info.name, "Limit", channel),
                               rate ? 0.1 : -Alarm::kMaxLimit, Alarm::kMaxLimit);
            row.hysteresis = number(page, named("edt", info.name, "Hyst", channel), 0.0,
                                    Alarm::kMaxLimit);
            grid->addWidget(row.limit, y, 1);
            grid->addWidget(row.hysteresis, y, 3);
        }
        if (rate) {
            row.window = seconds(page, named("edt", info.name, "Window", channel),
                                 int(Alarm::kMinWindowSeconds), int(Alarm::kMaxWindowSeconds));
            grid->addWidget(row.window, y, 2);
        }
        row.minSeconds = seconds(page, named("edt", info.name, "For", channel), 0,
                                 int(Alarm::kMaxMinSeconds));
        grid->addWidget(row.minSeconds, y, 4);
        connect(row.on, &QCheckBox::toggled, this, &TfrmAlarms::updateEnabled);
    }
    grid->setRowStretch(RowCount + 2, 1);
    grid->setColumnStretch(0, 1);
    connect(tab.unit, &QComboBox::currentIndexChanged, this, [this, channel] { unitChanged(channel); });
    return page;
}

void TfrmAlarms::setFields(const AlarmConfig& config)
{
    for (int ch = 0; ch < 4; ++ch) {
        ChannelTab& tab = channels[std::size_t(ch)];
        // The unit of the channel's first rule with a limit.
        TempUnit unit = TempUnit::Celsius;
        for (const AlarmRule& rule : config.rules)
            if (rule.channel == ch && rule.hasLimit()) {
                unit = rule.unit;
                break;
            }
        shownUnit_[std::size_t(ch)] = unit;
        {
            const QSignalBlocker quiet(tab.unit);
            tab.unit->setCurrentIndex(unit == TempUnit::Celsius ? 0 : 1);
        }
        for (int r = 0; r < RowCount; ++r) {
            const RowInfo& info = kRows[std::size_t(r)];
            RuleRow& row = tab.rows[std::size_t(r)];
            const AlarmRule* found = nullptr;
            for (const AlarmRule& rule : config.rules)
                if (rule.channel == ch && rule.kind == info.kind) {
                    found = &rule;
                    break;
                }
            row.on->setChecked(found != nullptr);
            const auto convert = [&](double v, bool level) {
                return !found || found->unit == unit ? v
                       : level ? Alarm::convert(v, found->unit, unit)
                               : Alarm::convertRate(v, found->unit, unit);
            };
            const bool rate = info.kind == AlarmKind::Rise || info.kind == AlarmKind::Fall;
            if (row.limit) {
                row.limit->setValue(found ? convert(found->limit, !rate) : info.limit);
                row.hysteresis->setValue(found ? convert(found->hysteresis, false) : info.hysteresis);
            }
            if (row.window)
                row.window->setValue(int(std::lround(found ? found->windowSeconds : kDefaultWindow)));
            row.minSeconds->setValue(int(std::lround(found ? found->minSeconds : 0.0)));
        }
        unitChanged(ch);
    }
    const AlarmRule* lost = nullptr;
    for (const AlarmRule& rule : config.rules)
        if (rule.kind == AlarmKind::MeterLost) {
            lost = &rule;
            break;
        }
    chkLost->setChecked(lost != nullptr);
    edtLostFor->setValue(int(std::lround(lost ? lost->minSeconds : 0.0)));
    chkSound->setChecked(config.sound);
    updateEnabled();
}

AlarmConfig TfrmAlarms::fields() const
{
    AlarmConfig config;
    for (int ch = 0; ch < 4; ++ch) {
        const ChannelTab& tab = channels[std::size_t(ch)];
        const TempUnit unit = tab.unit->currentIndex() == 1 ? TempUnit::Fahrenheit : TempUnit::Celsius;
        for (int r = 0; r < RowCount; ++r) {
            const RuleRow& row = tab.rows[std::size_t(r)];
            if (!row.on->isChecked())
                continue;
            AlarmRule rule;
            rule.kind = kRows[std::size_t(r)].kind;
            rule.channel = ch;
            rule.unit = unit;
            if (row.limit) {
                rule.limit = row.limit->value();
                rule.hysteresis = row.hysteresis->value();
            }
            if (row.window)
                rule.windowSeconds = row.window->value();
            rule.minSeconds = row.minSeconds->value();
            config.rules.push_back(rule);
        }
    }
    if (chkLost->isChecked()) {
        AlarmRule lost;
        lost.kind = AlarmKind::MeterLost;
        lost.minSeconds = edtLostFor->value();
        config.rules.push_back(lost);
    }
    config.sound = chkSound->isChecked();
    return config;
}

// The numbers follow the unit: the same limits, in the other unit.
void TfrmAlarms::unitChanged(int channel)
{
    ChannelTab& tab = channels[std::size_t(channel)];
    const TempUnit to = tab.unit->currentIndex() == 1 ? TempUnit::Fahrenheit : TempUnit::Celsius;
    const TempUnit from = shownUnit_[std::size_t(channel)];
    const QString unit = QLatin1Char(' ') + Alarm::unitText(to);
    for (int r = 0; r < RowCount; ++r) {
        RuleRow& row = tab.rows[std::size_t(r)];
        if (!row.limit)
            continue;
        const bool rate = row.window != nullptr;
        if (from != to) {
            row.limit->setValue(rate ? Alarm::convertRate(row.limit->value(), from, to)
                                     : Alarm::convert(row.limit->value(), from, to));
            row.hysteresis->setValue(Alarm::convertRate(row.hysteresis->value(), from, to));
        }
        row.limit->setSuffix(rate ? unit + QStringLiteral("/min") : unit);
        row.hysteresis->setSuffix(rate ? unit + QStringLiteral("/min") : unit);
    }
    shownUnit_[std::size_t(channel)] = to;
}

// A row's numbers are there to change only while it is checked; a tab says how many rules it has.
void TfrmAlarms::updateEnabled()
{
    for (int ch = 0; ch < 4; ++ch) {
        int on = 0;
        for (RuleRow& row : channels[std::size_t(ch)].rows) {
            const bool checked = row.on->isChecked();
            on += checked ? 1 : 0;
            for (QWidget* w : std::initializer_list<QWidget*>{row.limit, row.window, row.hysteresis,
                                                               row.minSeconds})
                if (w)
                    w->setEnabled(checked);
        }
        tabChannels->setTabText(ch, on ? QStringLiteral("%1 (%2)").arg(Alarm::channelName(ch)).arg(on)
                                       : Alarm::channelName(ch));
    }
    edtLostFor->setEnabled(chkLost->isChecked());
}

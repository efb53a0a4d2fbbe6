// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/USetupScale.h"

#include "base/DialogParts.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLineEdit* makeBox(QWidget* parent, const QString& name)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setMaximumWidth(90);
    e->setAlignment(Qt::AlignRight);
    return e;
}

// One channel's group: "MIN" and "MAX" with their boxes.
QGroupBox* channelGroup(QWidget* parent, const QString& title, QLineEdit* min, QLineEdit* max)
{
    auto* g = new QGroupBox(title, parent);
    g->setObjectName(QStringLiteral("grp") + title);
    auto* grid = new QGridLayout(g);
    grid->addWidget(new QLabel(QStringLiteral("MIN"), g), 0, 0);
    grid->addWidget(min, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("MAX"), g), 1, 0);
    grid->addWidget(max, 1, 1);
    return g;
}

} // namespace

TfrmSetupScale::TfrmSetupScale(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmSetupScale"));
    setWindowTitle(QStringLiteral("Y Axis Maximum And Minimum Scale Setup"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setModal(true);

    GroupBox1 = new QGroupBox(QStringLiteral("Y Axis Maximum And Minimum Scale Setup"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    edtT1Min = makeBox(GroupBox1, QStringLiteral("edtT1Min"));
    edtT1Max = makeBox(GroupBox1, QStringLiteral("edtT1Max"));
    edtT2Min = makeBox(GroupBox1, QStringLiteral("edtT2Min"));
    edtT2Max = makeBox(GroupBox1, QStringLiteral("edtT2Max"));
    edtT3Min = makeBox(GroupBox1, QStringLiteral("edtT3Min"));
    edtT3Max = makeBox(GroupBox1, QStringLiteral("edtT3Max"));
    edtT4Min = makeBox(GroupBox1, QStringLiteral("edtT4Min"));
    edtT4Max = makeBox(GroupBox1, QStringLiteral("edtT4Max"));
    auto* groups = new QGridLayout(GroupBox1);
    groups->addWidget(channelGroup(GroupBox1, QStringLiteral("T1"), edtT1Min, edtT1Max), 0, 0);
    groups->addWidget(channelGroup(GroupBox1, QStringLiteral("T2"), edtT2Min, edtT2Max), 1, 0);
    groups->addWidget(channelGroup(GroupBox1, QStringLiteral("T3"), edtT3Min, edtT3Max), 0, 1);
    groups->addWidget(channelGroup(GroupBox1, QStringLiteral("T4"), edtT4Min, edtT4Max), 1, 1);

    chkSave = new QCheckBox(QStringLiteral("Save this setting "), this);
    chkSave->setObjectName(QStringLiteral("chkSave"));
    chkSave->setChecked(false);
    createOkCancel(*this, btnOK, btnCancel);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(chkSave);
    bottom->addStretch(1);
    bottom->addWidget(btnOK);
    bottom->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox1);
    layout->addLayout(bottom);
}

QLineEdit* TfrmSetupScale::minBox(int k) const
{
    QLineEdit* const boxes[] = {edtT1Min, edtT2Min, edtT3Min, edtT4Min};
    return boxes[k];
}

QLineEdit* TfrmSetupScale::maxBox(int k) const
{
    QLineEdit* const boxes[] = {edtT1Max, edtT2Max, edtT3Max, edtT4Max};
    return boxes[k];
}

void TfrmSetupScale::setFields(const ScaleFields& f)
{
    for (int k = 0; k < 4; ++k) {
        minBox(k)->setText(f.min[static_cast<std::size_t>(k)]);
        maxBox(k)->setText(f.max[static_cast<std::size_t>(k)]);
    }
    chkSave->setChecked(f.save);
}

ScaleFields TfrmSetupScale::fields() const
{
    ScaleFields f;
    for (int k = 0; k < 4; ++k) {
        f.min[static_cast<std::size_t>(k)] = minBox(k)->text();
        f.max[static_cast<std::size_t>(k)] = maxBox(k)->text();
    }
    f.save = chkSave->isChecked();
    return f;
}

void TfrmSetupScale::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    centreOnScreen(*this);
}

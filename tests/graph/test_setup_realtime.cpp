// SPDX-License-Identifier: GPL-3.0-or-later
// The real-time set-up dialog as the user works with it: what it opens with, the period text in
// its two forms, 00:00 becoming 00:02, the count field that takes only digits, Enter for Start.
#include "graph/USetupRealtime.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

void choose(QComboBox* box, int index)
{
    box->setCurrentIndex(index);
    emit box->activated(index);
}

} // namespace

TEST(SetupRealTime, OpensAsTheRecorderAsksAndShowsThePeriodInBothForms)
{
    TfrmSetupRealTime d;
    EXPECT_EQ(d.windowTitle(), "Real-Time Setup");
    EXPECT_TRUE(d.isModal());
    EXPECT_TRUE(d.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(d.btnStart->isDefault());
    EXPECT_EQ(d.btnStart->text(), "Start");
    EXPECT_EQ(d.btnCancel->text(), "Cancel");
    EXPECT_TRUE(d.edtPeriod->isReadOnly());
    QStringList labels;
    for (const QLabel* l : {d.Label1, d.Label2, d.Label3, d.Label4, d.Label5, d.Label6})
        labels << l->text();
    EXPECT_EQ(labels, (QStringList{"Real-Time data no to be recorded",
                                   "(Adjust the number to meet your need)",
                                   "Real -Time Sampling Rate", "mm:ss", "Recording Period",
                                   "HH:MM:SS"}));
    ASSERT_EQ(d.ComboBox1->count(), 61);
    EXPECT_EQ(d.ComboBox1->itemText(0), "00");
    EXPECT_EQ(d.ComboBox2->itemText(60), "60");
    EXPECT_EQ(d.CountText(), " 2000");

    d.setFields({QStringLiteral(" 2000"), 0, 2, QStringLiteral("1:6:40")});
    EXPECT_EQ(d.edtPeriod->text(), "1:6:40");
    choose(d.ComboBox1, 1);   // 01:02
    EXPECT_EQ(d.edtPeriod->text(), "34:26:40");
    choose(d.ComboBox1, 0);
    EXPECT_EQ(d.edtPeriod->text(), "1:06:40");
    // 00:00 becomes 00:02.
    choose(d.ComboBox2, 0);
    EXPECT_EQ(d.ComboBox1->currentText(), "00");
    EXPECT_EQ(d.ComboBox2->currentText(), "02");
    EXPECT_EQ(d.edtPeriod->text(), "1:06:40");
    // Editing the count alone leaves the period as it was until a box changes.
    d.SetCountText(QStringLiteral("   10"));
    EXPECT_EQ(d.edtPeriod->text(), "1:06:40");
    choose(d.ComboBox2, 30);
    EXPECT_EQ(d.edtPeriod->text(), "0:05:00");
    EXPECT_EQ(d.fields(), (RealTimeSetupFields{QStringLiteral("   10"), 0, 30, "0:05:00"}));
}

TEST(SetupRealTime, TheCountTakesFiveDigitsAndNothingElseAndEnterStarts)
{
    TfrmSetupRealTime d;
    d.show();
    QLineEdit* e = d.edtRealTimeNo;
    e->setFocus();
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Delete);
    EXPECT_EQ(d.CountText(), "     ");   // blanks only: the recorder's message shows them
    EXPECT_EQ(e->displayText(), "     "); // and the user sees them as blanks, not underscores
    e->setCursorPosition(0);
    QTest::keyClicks(e, QStringLiteral("1-2a+34567"));
    EXPECT_EQ(d.CountText().trimmed(), "12345");
    EXPECT_EQ(d.CountText().size(), 5);

    QTest::keyClick(e, Qt::Key_Return);
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_FALSE(d.isVisible());
}

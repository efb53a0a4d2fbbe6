// SPDX-License-Identifier: GPL-3.0-or-later
// Preparing charts from the template or the defaults, the Y axis dialog's logic and keeping
// settings as the template.
#include "TempFolder.h"
#include "graph/GraphFile.h"
#include "graph/GraphTemplate.h"

#include <gtest/gtest.h>

#include <QFile>

namespace {

struct Recorder {
    QStringList messages;
    MessageFn fn()
    {
        return [this](const QString& t) { messages << t; };
    }
};

PrepareHooks hooks(const QString& path, Recorder& msg, Recorder& err)
{
    return PrepareHooks{path, msg.fn(), err.fn()};
}

constexpr double Now = 45365.5;
constexpr double Sec = 1.0 / 86400.0;

} // namespace

TEST(PrepareChart, WithoutTemplateSaysSoAndUsesTheDefaults)
{
    TempDataFolder tmp;
    Recorder msg, err;
    ChartState st;
    st.data.resize(2, 5);
    st.data.setY(0, 0, 12.0f);
    prepareChartState(st, 4, 50, -10, Now + 110 * Sec, Now, 100,
                      hooks(graphTemplatePath(), msg, err));

    ASSERT_EQ(msg.messages.size(), 1);
    EXPECT_EQ(msg.messages[0],
              QStringLiteral("Can not fine the file ") + tmp.path(QStringLiteral("template/graph.ghf")) +
                  QStringLiteral(" to initialize the graph ,it will use default setting. You can "
                                 "click Graph Option button , then make some change and save."));
    EXPECT_TRUE(err.messages.isEmpty());

    const ChartSettings& s = st.settings;
    EXPECT_EQ(st.data.subsets(), 4);
    EXPECT_EQ(st.data.points(), 100);
    for (int c = 0; c < 4; ++c)
        for (int p : {0, 99}) {
            EXPECT_EQ(st.data.y(c, p), 9999.0f);
            EXPECT_EQ(st.data.x(c, p), 0.0);
        }
    // Four stacked panes of equal height, each axis from the caller's minimum to maximum.
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(s.axes[i].multiAxesSubsets, 1);
        EXPECT_DOUBLE_EQ(s.axes[i].multiAxesProportions, 0.25);
        EXPECT_EQ(s.axes[i].manualScaleControlY, sg::sgManualMinAndMax);
        EXPECT_DOUBLE_EQ(s.axes[i].manualMinY, -10);
        EXPECT_DOUBLE_EQ(s.axes[i].manualMaxY, 50);
    }
    EXPECT_EQ(s.subsetColors, (std::vector<QRgb>{qRgb(0, 0, 255), qRgb(0, 255, 255), qRgb(0, 255, 0), qRgb(255, 0, 255)}));
    EXPECT_EQ(s.graphBackColor, qRgb(0, 0, 0));
    EXPECT_EQ(s.graphForeColor, qRgb(0, 128, 0));
    EXPECT_EQ(s.deskColor, qRgb(192, 192, 192));
    EXPECT_EQ(s.gridStyle, sg::sgDot);
    EXPECT_EQ(s.subTitle, QStringLiteral(" "));
    EXPECT_EQ(s.xAxisLabel, QStringLiteral("Time"));
    EXPECT_EQ(s.lineAnnotationTextSize, 100);
    EXPECT_FALSE(s.allowAxisPage);
    EXPECT_EQ(s.manualScaleControlX, sg::sgManualMinAndMax);
    EXPECT_DOUBLE_EQ(s.manualMinX, Now);
    EXPECT_DOUBLE_EQ(s.manualMaxX, Now + 110 * Sec);
    EXPECT_FALSE(s.subsetByPoint);
    EXPECT_TRUE(s.allowGraphAnnotHotSpots);
    EXPECT_EQ(s.workingAxis, 0);
    ASSERT_GE(st.vertLineAnnotations.size(), 2u);
    EXPECT_EQ(st.vertLineAnnotations[0].color, qRgb(0, 0, 255));
    EXPECT_EQ(st.vertLineAnnotations[1].color, qRgb(255, 0, 0));

    // Every preparation without a template says it again.
    prepareChartState(st, 1, 130, 30, Now + 500 * Sec, Now, 500, hooks(graphTemplatePath(), msg, err));
    EXPECT_EQ(msg.messages.size(), 2);
}

TEST(PrepareChart, WithTemplateKeepsItsLookAndExtentsButTakesTheCallersData)
{
    TempDataFolder tmp;
    tmp.makeTemplateFolder();
    ChartState tpl;
    applyChartDefaults(tpl.settings, 4, 300, 100);
    tpl.settings.mainTitle = QStringLiteral("From template");
    tpl.settings.subsetColors[1] = qRgb(9, 9, 9);
    tpl.data.resize(4, 3);
    tpl.data.setY(0, 0, 5);
    tpl.settings.manualMinX = 1;
    tpl.settings.manualMaxX = 2;
    tpl.unit = QStringLiteral("°F");   // the data it was saved with
    writeGraphFile(tpl, graphTemplatePath());

    Recorder msg, err;
    ChartState st;
    prepareChartState(st, 4, 50, -10, Now + 110 * Sec, Now, 100, hooks(graphTemplatePath(), msg, err));
    EXPECT_TRUE(msg.messages.isEmpty());
    EXPECT_TRUE(err.messages.isEmpty());
    EXPECT_EQ(st.settings.mainTitle, QStringLiteral("From template"));
    EXPECT_EQ(st.settings.subsetColors[1], qRgb(9, 9, 9));
    EXPECT_DOUBLE_EQ(st.settings.axes[0].manualMinY, 100);   // not the caller's -10
    EXPECT_DOUBLE_EQ(st.settings.axes[3].manualMaxY, 300);
    EXPECT_EQ(st.data.points(), 100);
    EXPECT_EQ(st.data.y(0, 0), 9999.0f);
    EXPECT_DOUBLE_EQ(st.settings.manualMinX, Now);
    EXPECT_TRUE(st.unit.isEmpty());   // the new data's unit is the caller's to give
    // A zero X minimum leaves the template's X extent alone.
    prepareChartState(st, 4, 50, -10, 0, 0, 10, hooks(graphTemplatePath(), msg, err));
    EXPECT_DOUBLE_EQ(st.settings.manualMinX, 1);
}

TEST(PrepareChart, ADamagedTemplateIsReportedAndTheDefaultsApply)
{
    TempDataFolder tmp;
    tmp.makeTemplateFolder();
    QFile f(graphTemplatePath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("\x10\x00\x00\x00garbage", 11);
    f.close();
    Recorder msg, err;
    ChartState st;
    prepareChartState(st, 4, 50, -10, Now + 1, Now, 10, hooks(graphTemplatePath(), msg, err));
    ASSERT_EQ(err.messages.size(), 1);
    EXPECT_NE(err.messages[0].indexOf(QStringLiteral("graph.ghf")), -1);
    EXPECT_TRUE(msg.messages.isEmpty());
    EXPECT_DOUBLE_EQ(st.settings.axes[2].manualMaxY, 50);
    EXPECT_EQ(st.settings.gridStyle, sg::sgDot);
}

namespace {

ChartState scaledState()
{
    ChartState st;
    applyChartDefaults(st.settings, 4, 50, -10);
    st.settings.axes[0].manualMaxY = 12.7;
    st.settings.axes[0].manualMinY = -3.9;
    return st;
}

ScaleDialogRunner typing(std::function<void(ScaleFields&)> edit, ScaleFields* shown = nullptr)
{
    return [edit, shown](const ScaleFields& initial) -> std::optional<ScaleFields> {
        if (shown)
            *shown = initial;
        ScaleFields f = initial;
        edit(f);
        return f;
    };
}

} // namespace

TEST(YAxisDialog, ShowsExtentsTruncatedTowardZero)
{
    const ScaleFields f = currentScale(scaledState().settings);
    EXPECT_EQ(f.max[0], QStringLiteral("12"));
    EXPECT_EQ(f.min[0], QStringLiteral("-3"));
    EXPECT_EQ(f.max[3], QStringLiteral("50"));
    EXPECT_FALSE(f.save);
}

TEST(YAxisDialog, NamesTheLastBadBoxInCheckingOrderAndChangesNothing)
{
    TempDataFolder tmp;
    ChartState st = scaledState();
    st.settings.workingAxis = 2;
    const ChartState before = st;
    Recorder msg;
    const auto r = changeScale(st, typing([](ScaleFields& f) {
                                   f.max[0] = QStringLiteral("abc");   // T1 MAX
                                   f.min[2] = QStringLiteral("x");     // T3 MIN
                                   f.min[1] = QStringLiteral("7");
                               }),
                               msg.fn(), graphTemplatePath());
    EXPECT_EQ(r, ScaleResult::Invalid);
    EXPECT_EQ(msg.messages, QStringList{QStringLiteral("abc is invalid.")});
    EXPECT_TRUE(st == before);

    // Decimals are not integers either.
    changeScale(st, typing([](ScaleFields& f) { f.min[3] = QStringLiteral("1.5"); }), msg.fn(),
                graphTemplatePath());
    EXPECT_EQ(msg.messages.last(), QStringLiteral("1.5 is invalid."));
}

TEST(YAxisDialog, AppliesEntriesAsTypedEvenAMinimumAboveItsMaximum)
{
    TempDataFolder tmp;
    ChartState st = scaledState();
    st.settings.axes[1].manualScaleControlY = sg::sgNone;
    Recorder msg;
    const auto r = changeScale(st, typing([](ScaleFields& f) {
                                   f.min[1] = QStringLiteral("50");
                                   f.max[1] = QStringLiteral("20");
                                   f.max[3] = QStringLiteral(" 77 ");
                               }),
                               msg.fn(), graphTemplatePath());
    EXPECT_EQ(r, ScaleResult::Changed);
    EXPECT_TRUE(msg.messages.isEmpty());
    EXPECT_DOUBLE_EQ(st.settings.axes[1].manualMinY, 50);
    EXPECT_DOUBLE_EQ(st.settings.axes[1].manualMaxY, 20);
    EXPECT_DOUBLE_EQ(st.settings.axes[3].manualMaxY, 77);
    // Unedited boxes write back their truncated values; the control mode is left alone.
    EXPECT_DOUBLE_EQ(st.settings.axes[0].manualMaxY, 12);
    EXPECT_DOUBLE_EQ(st.settings.axes[0].manualMinY, -3);
    EXPECT_EQ(st.settings.axes[1].manualScaleControlY, sg::sgNone);
    EXPECT_EQ(st.settings.workingAxis, 0);
    EXPECT_FALSE(QFile::exists(graphTemplatePath()));
}

TEST(YAxisDialog, CancelChangesNothing)
{
    ChartState st = scaledState();
    const ChartState before = st;
    Recorder msg;
    const auto r = changeScale(st, [](const ScaleFields&) { return std::optional<ScaleFields>(); },
                               msg.fn(), QStringLiteral("/nonexistent/t.ghf"));
    EXPECT_EQ(r, ScaleResult::Cancelled);
    EXPECT_TRUE(st == before);
    EXPECT_TRUE(msg.messages.isEmpty());
}

TEST(YAxisDialog, SaveThisSettingMakesTheNextChartUseTheNewExtents)
{
    TempDataFolder tmp;
    tmp.makeTemplateFolder();
    ChartState st = scaledState();
    Recorder msg, err;
    changeScale(st, typing([](ScaleFields& f) {
                    f.min[0] = QStringLiteral("5");
                    f.max[0] = QStringLiteral("95");
                    f.save = true;
                }),
                msg.fn(), graphTemplatePath());
    ASSERT_TRUE(QFile::exists(graphTemplatePath()));
    ChartState next;
    prepareChartState(next, 4, 50, -10, Now + 1, Now, 10, hooks(graphTemplatePath(), msg, err));
    EXPECT_TRUE(msg.messages.isEmpty());
    EXPECT_DOUBLE_EQ(next.settings.axes[0].manualMinY, 5);
    EXPECT_DOUBLE_EQ(next.settings.axes[0].manualMaxY, 95);
}

TEST(YAxisDialog, SaveWithoutTemplateFolderFailsWithTheFileError)
{
    TempDataFolder tmp;   // no "template" folder: the program does not create it
    ChartState st = scaledState();
    Recorder msg;
    EXPECT_THROW(changeScale(st, typing([](ScaleFields& f) { f.save = true; }), msg.fn(),
                             graphTemplatePath()),
                 ChartFileError);
}

TEST(TemplateQuestion, AsksOnlyAfterAcceptedChangesAndWritesOnYes)
{
    TempDataFolder tmp;
    tmp.makeTemplateFolder();
    ChartState st = scaledState();
    QStringList asked;
    const auto answer = [&asked](bool yes) {
        return [&asked, yes](const QString& q) {
            asked << q;
            return yes;
        };
    };
    EXPECT_FALSE(offerTemplateSave(st, false, answer(true), graphTemplatePath()));
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_FALSE(offerTemplateSave(st, true, answer(false), graphTemplatePath()));
    EXPECT_EQ(asked, QStringList{QStringLiteral("Do you want to save the changes ?")});
    EXPECT_FALSE(QFile::exists(graphTemplatePath()));
    EXPECT_TRUE(offerTemplateSave(st, true, answer(true), graphTemplatePath()));
    ChartState back;
    readGraphFile(back, graphTemplatePath());
    EXPECT_TRUE(back.settings == st.settings);
}

#include "chart/rank_chart.h"

#include <gtest/gtest.h>

#include "fake_ui.h"

namespace quillet {
namespace {

class RankChart : public ::testing::Test {
protected:
    RankChart() : ui(&events) { BindRankChartHandlers(events); }
    void fillWeek(int week, const std::array<std::string, 7>& ranks) {
        for (int day = 1; day <= 7; ++day) {
            ui.type(GridBox(week, day), ranks[static_cast<size_t>(day - 1)]);
        }
    }
    EventTable events;
    FakeUi ui;
};

TEST_F(RankChart, WithNoPeriodChosenDrawingChangesNothing) {
    ui.click("按钮2");
    ChartModel chart = ui.chart();
    ChartModel initial;
    EXPECT_EQ(chart.seriesCount(), 1);
    EXPECT_EQ(chart.seriesName(0), "周期图");
    EXPECT_EQ(chart.pointCount(), 1);
    EXPECT_EQ(chart.value(0, 0), initial.value(0, 0));
}

TEST_F(RankChart, ChoosingAPeriodEmptiesAllBoxesAndShowsItsWeeks) {
    for (int week = 1; week <= 4; ++week) {
        for (int day = 1; day <= 7; ++day) {
            EXPECT_FALSE(ui.visible(GridBox(week, day)));
        }
    }
    fillWeek(1, {"1", "2", "3", "4", "5", "6", "7"});
    fillWeek(4, {"9", "9", "9", "9", "9", "9", "9"});
    for (int choice : {1, 3, 0}) {
        ui.chooseComboEntry("组合框周期", choice);
        for (int week = 1; week <= 4; ++week) {
            for (int day = 1; day <= 7; ++day) {
                EXPECT_EQ(ui.GetControlText(GridBox(week, day)), "");
                EXPECT_EQ(ui.visible(GridBox(week, day)), week <= choice + 1)
                    << "choice " << choice << " week " << week;
            }
        }
    }
}

TEST_F(RankChart, TwoEmptyWeeksDrawTwoSeriesAtZero) {
    ui.chooseComboEntry("组合框周期", 1);
    ui.click("按钮2");
    ChartModel chart = ui.chart();
    ASSERT_EQ(chart.seriesCount(), 2);
    EXPECT_EQ(chart.seriesName(0), "第一周图");
    EXPECT_EQ(chart.seriesColour(0), 255u);
    EXPECT_EQ(chart.seriesName(1), "第二周图");
    EXPECT_EQ(chart.seriesColour(1), 65280u);
    EXPECT_EQ(chart.pointCount(), 7);
    EXPECT_EQ(chart.pointLabels(),
              (std::vector<std::string>{"周一", "周二", "周三", "周四", "周五", "周六", "周天"}));
    for (int series = 0; series < 2; ++series) {
        for (int point = 0; point < 7; ++point) {
            EXPECT_EQ(chart.value(series, point), 0.0);
        }
    }
    EXPECT_EQ(chart.valueMax(), 200);
    EXPECT_EQ(chart.divisions(), 10);
    EXPECT_EQ(chart.xAxisTitle(), "星期");
    EXPECT_EQ(chart.title(), "产品排名曲线图");  // kept as the window defines it
    EXPECT_EQ(chart.yAxisTitle(), "名");
}

TEST_F(RankChart, EachBoxFeedsItsOwnPointAsTheLeadingInteger) {
    ui.chooseComboEntry("组合框周期", 3);
    fillWeek(1, {"3.7", "－5", "１２", " 8", "abc", "250", "+4"});
    fillWeek(4, {"41", "42", "43", "44", "45", "46", "47"});
    ui.click("按钮2");
    ChartModel chart = ui.chart();
    ASSERT_EQ(chart.seriesCount(), 4);
    double week1[] = {3, 0, 12, 8, 0, 250, 4};
    for (int point = 0; point < 7; ++point) {
        EXPECT_EQ(chart.value(0, point), week1[point]) << point;
        EXPECT_EQ(chart.value(3, point), 41 + point);
    }
    EXPECT_EQ(chart.seriesName(2), "第三周图");
    EXPECT_EQ(chart.seriesColour(2), 16711824u);
    EXPECT_EQ(chart.seriesName(3), "第四周图");
    EXPECT_EQ(chart.seriesColour(3), 16711680u);

    // One week after four leaves a single series.
    ui.chooseComboEntry("组合框周期", 0);
    ui.click("按钮2");
    EXPECT_EQ(ui.chart().seriesCount(), 1);
    EXPECT_EQ(ui.chart().seriesName(0), "第一周图");
}

TEST_F(RankChart, CloudAnalysisOnlyAnnouncesALaterVersion) {
    ui.click("按钮3");
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, "下个版本更新");
    EXPECT_EQ(ui.messages()[0].caption, "信息：");
}

}  // namespace
}  // namespace quillet

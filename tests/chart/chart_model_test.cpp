// The chart settings and the limits the chart enforces.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "chart/chart_model.h"

namespace quillet {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(ChartModel, StartsAsTheWindowDefinesIt) {
    ChartModel m;
    EXPECT_EQ(m.title(), "产品排名曲线图");
    EXPECT_EQ(m.xAxisTitle(), "星期");
    EXPECT_EQ(m.yAxisTitle(), "名");
    EXPECT_EQ(m.valueMax(), 200);
    EXPECT_EQ(m.divisions(), 10);
    ASSERT_EQ(m.seriesCount(), 1);
    ASSERT_EQ(m.pointCount(), 1);
    EXPECT_EQ(m.seriesName(0), "周期图");
    EXPECT_EQ(m.seriesColour(0), 255u);
    EXPECT_EQ(m.pointLabel(0), "周一");
    EXPECT_EQ(m.value(0, 0), 1);
    EXPECT_EQ(m.currentSeries(), 0);
    EXPECT_EQ(m.currentPoint(), 0);
}

// Each numeric setting with what the model keeps of it. Infinities, NaN and huge numbers must
// clamp, never reach an int conversion.
struct LimitRow {
    ChartNumber setting;
    double given;
    double kept;
};

double readBack(const ChartModel& m, ChartNumber setting) {
    switch (setting) {
        case ChartNumber::ValueMax:
            return m.valueMax();
        case ChartNumber::Divisions:
            return m.divisions();
        case ChartNumber::PointCount:
            return m.pointCount();
        case ChartNumber::SeriesCount:
            return m.seriesCount();
        case ChartNumber::CurrentSeries:
            return m.currentSeries();
        case ChartNumber::CurrentPoint:
            return m.currentPoint();
        case ChartNumber::SeriesColour:
            return m.seriesColour(m.currentSeries());
        case ChartNumber::Value:
            return m.value(m.currentSeries(), m.currentPoint());
    }
    return -1;
}

class ChartLimits : public ::testing::TestWithParam<LimitRow> {};

TEST_P(ChartLimits, KeepsTheClampedValue) {
    ChartModel m;
    // Four series of seven points, current series 2 and point 5, so index rules are visible.
    m.set(ChartNumber::PointCount, 7);
    m.set(ChartNumber::SeriesCount, 4);
    m.set(ChartNumber::CurrentSeries, 2);
    m.set(ChartNumber::CurrentPoint, 5);
    const LimitRow row = GetParam();
    m.set(row.setting, row.given);
    EXPECT_EQ(readBack(m, row.setting), row.kept);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ChartLimits,
    ::testing::Values(
        LimitRow{ChartNumber::ValueMax, 250.5, 250.5}, LimitRow{ChartNumber::ValueMax, 0, 0},
        LimitRow{ChartNumber::ValueMax, -1, 0}, LimitRow{ChartNumber::ValueMax, kNaN, 0},
        LimitRow{ChartNumber::ValueMax, 10000001, 10000000},
        LimitRow{ChartNumber::ValueMax, kInf, 10000000}, LimitRow{ChartNumber::Divisions, 7.9, 7},
        LimitRow{ChartNumber::Divisions, 0, 1}, LimitRow{ChartNumber::Divisions, -kInf, 1},
        LimitRow{ChartNumber::Divisions, kNaN, 1}, LimitRow{ChartNumber::Divisions, 101, 100},
        LimitRow{ChartNumber::Divisions, 1e300, 100}, LimitRow{ChartNumber::PointCount, 0, 1},
        LimitRow{ChartNumber::PointCount, 100, 100}, LimitRow{ChartNumber::PointCount, 1e12, 100},
        LimitRow{ChartNumber::SeriesCount, -3, 1}, LimitRow{ChartNumber::SeriesCount, 250, 100},
        LimitRow{ChartNumber::SeriesCount, kInf, 100}, LimitRow{ChartNumber::CurrentSeries, 3, 3},
        LimitRow{ChartNumber::CurrentSeries, 3.9, 3}, LimitRow{ChartNumber::CurrentSeries, 4, 0},
        LimitRow{ChartNumber::CurrentSeries, -1, 0}, LimitRow{ChartNumber::CurrentSeries, kNaN, 0},
        LimitRow{ChartNumber::CurrentSeries, 1e300, 0}, LimitRow{ChartNumber::CurrentPoint, 6, 6},
        LimitRow{ChartNumber::CurrentPoint, 7, 0}, LimitRow{ChartNumber::CurrentPoint, -0.5, 0},
        LimitRow{ChartNumber::SeriesColour, 255, 255},
        LimitRow{ChartNumber::SeriesColour, 16711824, 16711824},
        LimitRow{ChartNumber::SeriesColour, 0x01FF0000, 0xFF0000},  // flag byte dropped
        LimitRow{ChartNumber::SeriesColour, -1, 0}, LimitRow{ChartNumber::SeriesColour, kNaN, 0},
        LimitRow{ChartNumber::Value, 3.5, 3.5}, LimitRow{ChartNumber::Value, 0, 0},
        LimitRow{ChartNumber::Value, -0.1, 0}, LimitRow{ChartNumber::Value, kNaN, 0},
        LimitRow{ChartNumber::Value, -kInf, 0}, LimitRow{ChartNumber::Value, 10000000.5, 10000000},
        LimitRow{ChartNumber::Value, kInf, 10000000}));

TEST(ChartModel, CountsMakeTheFirstSeriesOrPointCurrent) {
    ChartModel m;
    m.set(ChartNumber::PointCount, 7);
    m.set(ChartNumber::SeriesCount, 3);
    m.set(ChartNumber::CurrentSeries, 2);
    m.set(ChartNumber::CurrentPoint, 4);
    m.set(ChartNumber::PointCount, 7);
    EXPECT_EQ(m.currentPoint(), 0);
    EXPECT_EQ(m.currentSeries(), 2);
    m.set(ChartNumber::CurrentPoint, 4);
    m.set(ChartNumber::SeriesCount, 3);
    EXPECT_EQ(m.currentSeries(), 0);
    EXPECT_EQ(m.currentPoint(), 4);
}

TEST(ChartModel, SettingsAddressTheCurrentSeriesAndPoint) {
    ChartModel m;
    m.set(ChartNumber::PointCount, 7);
    m.set(ChartNumber::SeriesCount, 2);
    m.set(ChartNumber::CurrentSeries, 1);
    m.set(ChartNumber::SeriesColour, 65280);
    m.set(ChartText::SeriesName, "第二周图");
    m.set(ChartNumber::CurrentPoint, 6);
    m.set(ChartText::PointLabel, "周天");
    m.set(ChartNumber::Value, 42);
    EXPECT_EQ(m.seriesName(1), "第二周图");
    EXPECT_EQ(m.seriesColour(1), 65280u);
    EXPECT_EQ(m.pointLabel(6), "周天");
    EXPECT_EQ(m.value(1, 6), 42);
    // Nothing else moved: series 0 keeps its name and colour, other cells are 0.
    EXPECT_EQ(m.seriesName(0), "周期图");
    EXPECT_EQ(m.seriesColour(0), 255u);
    EXPECT_EQ(m.value(0, 6), 0);
    EXPECT_EQ(m.value(1, 5), 0);
    m.set(ChartText::Title, "T");
    m.set(ChartText::XAxisTitle, "X");
    m.set(ChartText::YAxisTitle, "Y");
    EXPECT_EQ(m.title(), "T");
    EXPECT_EQ(m.xAxisTitle(), "X");
    EXPECT_EQ(m.yAxisTitle(), "Y");
}

TEST(ChartModel, ResizingKeepsWhatFitsAndStartsNewCellsEmpty) {
    ChartModel m;  // series 0 "周期图", point 0 "周一" = 1
    m.set(ChartNumber::PointCount, 3);
    m.set(ChartNumber::SeriesCount, 2);
    EXPECT_EQ(m.value(0, 0), 1);
    EXPECT_EQ(m.pointLabel(0), "周一");
    EXPECT_EQ(m.pointLabel(2), "");
    EXPECT_EQ(m.value(1, 2), 0);
    EXPECT_EQ(m.seriesName(1), "");
    // Shrinking drops cells; growing again brings them back empty.
    m.set(ChartNumber::CurrentSeries, 1);
    m.set(ChartNumber::CurrentPoint, 2);
    m.set(ChartNumber::Value, 9);
    m.set(ChartNumber::SeriesCount, 1);
    m.set(ChartNumber::SeriesCount, 2);
    EXPECT_EQ(m.value(1, 2), 0);
    m.set(ChartNumber::PointCount, 1);
    ASSERT_EQ(m.series()[0].values.size(), 1u);
    EXPECT_EQ(m.value(0, 2), 0);  // out of range reads 0
    EXPECT_EQ(m.seriesName(-1), "");
    EXPECT_EQ(m.pointLabel(5), "");
}

}  // namespace
}  // namespace quillet

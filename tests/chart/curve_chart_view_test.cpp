// The curve chart control over Qt Charts: what it draws follows every setting at once.
#include <gtest/gtest.h>

#include <QBarCategoryAxis>
#include <QChart>
#include <QLegend>
#include <QLineSeries>
#include <QValueAxis>

#include "chart/qt/curve_chart_view.h"

namespace quillet {
namespace {

QList<QLineSeries*> lines(const CurveChartView& view) {
    QList<QLineSeries*> result;
    for (QAbstractSeries* s : view.chart()->series()) {
        result << qobject_cast<QLineSeries*>(s);
    }
    return result;
}

TEST(CurveChartView, StartsAsTheWindowDefinesIt) {
    CurveChartView view;
    EXPECT_EQ(view.chart()->title(), "产品排名曲线图");
    EXPECT_EQ(view.categoryAxis()->titleText(), "星期");
    EXPECT_EQ(view.valueAxis()->titleText(), "名");
    EXPECT_EQ(view.valueAxis()->min(), 0);
    EXPECT_EQ(view.valueAxis()->max(), 200);
    EXPECT_EQ(view.valueAxis()->tickCount(), 11);
    EXPECT_EQ(view.categoryAxis()->categories(), QStringList({"周一"}));
    EXPECT_TRUE(view.chart()->legend()->isVisible());
    const auto all = lines(view);
    ASSERT_EQ(all.size(), 1);
    EXPECT_EQ(all[0]->name(), "周期图");
    EXPECT_EQ(all[0]->color(), QColor(255, 0, 0));
    EXPECT_TRUE(all[0]->pointLabelsVisible());
    EXPECT_EQ(all[0]->points(), QList<QPointF>({QPointF(0, 1)}));
}

TEST(CurveChartView, WindowsColourValuesKeepRedInTheLowestByte) {
    struct Case {
        std::uint32_t value;
        QColor colour;
    };
    for (const Case& c : {Case{255, QColor(255, 0, 0)}, Case{65280, QColor(0, 255, 0)},
                          Case{16711824, QColor(144, 0, 255)}, Case{16711680, QColor(0, 0, 255)}}) {
        EXPECT_EQ(CurveChartView::toQColor(c.value), c.colour) << c.value;
    }
}

// What the rank-grid handler does: seven days, `weeks` series, values from the boxes.
void drawWeeks(CurveChartView& view, int weeks, double (*rank)(int week, int day)) {
    static const char* names[] = {"第一周图", "第二周图", "第三周图", "第四周图"};
    static const double colours[] = {255, 65280, 16711824, 16711680};
    static const char* days[] = {"周一", "周二", "周三", "周四", "周五", "周六", "周天"};
    view.apply(ChartNumber::ValueMax, 200);
    view.apply(ChartNumber::Divisions, 10);
    view.apply(ChartText::XAxisTitle, std::string("星期"));
    view.apply(ChartNumber::PointCount, 7);
    view.apply(ChartNumber::SeriesCount, weeks);
    for (int w = 0; w < weeks; ++w) {
        view.apply(ChartNumber::CurrentSeries, w);
        view.apply(ChartNumber::SeriesColour, colours[w]);
        view.apply(ChartText::SeriesName, std::string(names[w]));
        for (int d = 0; d < 7; ++d) {
            view.apply(ChartNumber::CurrentPoint, d);
            view.apply(ChartText::PointLabel, std::string(days[d]));
            view.apply(ChartNumber::Value, rank(w, d));
        }
    }
}

TEST(CurveChartView, DrawsTwoAndFourWeeksAndBackToOne) {
    CurveChartView view;
    drawWeeks(view, 2, [](int, int) { return 0.0; });
    auto all = lines(view);
    ASSERT_EQ(all.size(), 2);
    EXPECT_EQ(all[0]->name(), "第一周图");
    EXPECT_EQ(all[0]->color(), QColor(255, 0, 0));
    EXPECT_EQ(all[1]->name(), "第二周图");
    EXPECT_EQ(all[1]->color(), QColor(0, 255, 0));
    for (QLineSeries* line : all) {
        ASSERT_EQ(line->count(), 7);
        for (int d = 0; d < 7; ++d) {
            EXPECT_EQ(line->at(d), QPointF(d, 0));
        }
    }
    EXPECT_EQ(view.categoryAxis()->categories(),
              QStringList({"周一", "周二", "周三", "周四", "周五", "周六", "周天"}));

    drawWeeks(view, 4, [](int w, int d) { return 10.0 * (w + 1) + d; });
    all = lines(view);
    ASSERT_EQ(all.size(), 4);
    EXPECT_EQ(all[2]->color(), QColor(144, 0, 255));
    EXPECT_EQ(all[3]->name(), "第四周图");
    EXPECT_EQ(all[3]->at(0), QPointF(0, 40));  // week 4 Monday
    EXPECT_EQ(all[3]->at(6), QPointF(6, 46));  // week 4 Sunday

    drawWeeks(view, 1, [](int, int d) { return 1.0 * d; });
    all = lines(view);
    ASSERT_EQ(all.size(), 1);
    EXPECT_EQ(all[0]->at(6), QPointF(6, 6));
}

TEST(CurveChartView, RepeatedOrEmptyLabelsStillGiveOneCategoryPerPoint) {
    // The category axis refuses a label it already has; every point must keep its own place.
    CurveChartView view;
    view.apply(ChartNumber::PointCount, 5);
    EXPECT_EQ(view.categoryAxis()->count(), 5);
    view.apply(ChartNumber::CurrentPoint, 3);
    view.apply(ChartText::PointLabel, QString("周一"));
    EXPECT_EQ(view.categoryAxis()->count(), 5);
    EXPECT_TRUE(view.categoryAxis()->at(3).startsWith("周一"));
}

TEST(CurveChartView, ValueAxisAndClampedValuesFollowTheModel) {
    CurveChartView view;
    view.apply(ChartNumber::ValueMax, 50);
    view.apply(ChartNumber::Divisions, 5);
    EXPECT_EQ(view.valueAxis()->max(), 50);
    EXPECT_EQ(view.valueAxis()->tickCount(), 6);
    view.apply(ChartNumber::Value, -7);
    EXPECT_EQ(lines(view)[0]->at(0), QPointF(0, 0));
    view.apply(ChartNumber::Value, 80);  // above the axis maximum: passed on as it is
    EXPECT_EQ(lines(view)[0]->at(0), QPointF(0, 80));
    EXPECT_EQ(view.model().value(0, 0), 80);
}

TEST(CurveChartView, ExtremeSettingsStillDraw) {
    CurveChartView view;
    view.resize(688, 288);
    view.apply(ChartNumber::ValueMax, 0);
    view.apply(ChartNumber::Divisions, 100);
    view.apply(ChartNumber::PointCount, 100);
    view.apply(ChartNumber::SeriesCount, 100);
    view.apply(ChartNumber::CurrentSeries, 99);
    view.apply(ChartNumber::CurrentPoint, 99);
    view.apply(ChartNumber::Value, 1e300);
    EXPECT_EQ(lines(view).size(), 100);
    EXPECT_EQ(lines(view)[99]->at(99), QPointF(99, 10000000));
    EXPECT_FALSE(view.grab().isNull());
}

}  // namespace
}  // namespace quillet

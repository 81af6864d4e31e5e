#include "chart/rank_chart.h"

#include <array>
#include <cstdint>

#include "text/read_int.h"

namespace quillet {

namespace {

const std::string kChart = "排名曲线图";
const std::string kPeriod = "组合框周期";
constexpr int kWeeks = 4;
constexpr int kDays = 7;

struct Week {
    const char* name;
    std::uint32_t colour;  // Windows order: red in the lowest byte
};
constexpr std::array<Week, kWeeks> kWeekSeries{{
    {"第一周图", 255},       // red
    {"第二周图", 65280},     // green
    {"第三周图", 16711824},  // violet
    {"第四周图", 16711680},  // blue
}};
constexpr std::array<const char*, kDays> kDayNames{"周一", "周二", "周三", "周四",
                                                   "周五", "周六", "周天"};

}  // namespace

std::string GridBox(int week, int day) {
    return "bjk" + std::to_string(week) + "_z" + std::to_string(day);
}

void ChoosePeriod(Ui& ui) {
    int weeks = ui.ComboSelectedIndex(kPeriod) + 1;
    for (int week = 1; week <= kWeeks; ++week) {
        for (int day = 1; day <= kDays; ++day) {
            ui.SetControlText(GridBox(week, day), "");
        }
    }
    for (int week = 1; week <= kWeeks; ++week) {
        for (int day = 1; day <= kDays; ++day) {
            ui.SetControlVisible(GridBox(week, day), week <= weeks);
        }
    }
}

void DrawRankChart(Ui& ui) {
    int selection = ui.ComboSelectedIndex(kPeriod);
    if (selection < 0) {
        return;
    }
    int weeks = selection + 1;
    ui.ChartSet(kChart, ChartNumber::ValueMax, 200);
    ui.ChartSet(kChart, ChartNumber::Divisions, 10);
    ui.ChartSet(kChart, ChartText::XAxisTitle, "星期");
    ui.ChartSet(kChart, ChartNumber::PointCount, kDays);
    ui.ChartSet(kChart, ChartNumber::SeriesCount, weeks);
    for (int week = 1; week <= weeks; ++week) {
        const Week& series = kWeekSeries[static_cast<size_t>(week - 1)];
        ui.ChartSet(kChart, ChartNumber::CurrentSeries, week - 1);
        ui.ChartSet(kChart, ChartNumber::SeriesColour, series.colour);
        ui.ChartSet(kChart, ChartText::SeriesName, series.name);
        for (int day = 1; day <= kDays; ++day) {
            ui.ChartSet(kChart, ChartNumber::CurrentPoint, day - 1);
            ui.ChartSet(kChart, ChartText::PointLabel, kDayNames[static_cast<size_t>(day - 1)]);
            double rank = static_cast<double>(ReadInt(ui.GetControlText(GridBox(week, day))));
            ui.ChartSet(kChart, ChartNumber::Value, rank);
        }
    }
}

void AnnounceCloudAnalysis(Ui& ui) {
    ui.ShowMessage("下个版本更新");
}

void BindRankChartHandlers(EventTable& events) {
    events.bind(kPeriod, Event::Chosen, ChoosePeriod);
    events.bind("按钮2", Event::Clicked, DrawRankChart);
    events.bind("按钮3", Event::Clicked, AnnounceCloudAnalysis);
}

}  // namespace quillet

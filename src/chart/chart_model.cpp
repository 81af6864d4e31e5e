#include "chart/chart_model.h"

#include <cmath>

namespace quillet {

namespace {

// Clamps into [low, high] before converting, so NaN, infinities and huge numbers never reach an
// int conversion (which would be undefined). NaN takes the lower limit.
int clampCount(double value, int low, int high) {
    if (std::isnan(value) || value < low) {
        return low;
    }
    if (value > high) {
        return high;
    }
    return static_cast<int>(value);
}

// An index setting: anything outside 0..count-1 (after dropping the fraction) chooses 0.
int chooseIndex(double value, int count) {
    if (std::isnan(value) || value < 0 || value >= count) {
        return 0;
    }
    return static_cast<int>(value);
}

std::uint32_t toColour(double value) {
    if (std::isnan(value) || value < 0) {
        return 0;
    }
    if (value > 0xFFFFFFFF) {
        return 0xFFFFFF;
    }
    // Only the three colour bytes mean anything; the top byte of a Windows colour is a flag.
    return static_cast<std::uint32_t>(value) & 0xFFFFFFu;
}

}  // namespace

ChartModel::ChartModel()
    : title_("产品排名曲线图"),
      xAxisTitle_("星期"),
      yAxisTitle_("名"),
      valueMax_(200),
      divisions_(10),
      pointLabels_{"周一"},
      series_{Series{"周期图", 255, {1.0}}} {}

double ChartModel::clampValue(double value) {
    if (std::isnan(value) || value < 0) {
        return 0;
    }
    return value > kValueLimit ? kValueLimit : value;
}

void ChartModel::set(ChartNumber setting, double value) {
    switch (setting) {
        case ChartNumber::ValueMax:
            valueMax_ = clampValue(value);
            break;
        case ChartNumber::Divisions:
            divisions_ = clampCount(value, 1, kMaxDivisions);
            break;
        case ChartNumber::PointCount: {
            const int count = clampCount(value, 1, kMaxPoints);
            pointLabels_.resize(count);
            for (Series& s : series_) {
                s.values.resize(count, 0.0);
            }
            currentPoint_ = 0;
            break;
        }
        case ChartNumber::SeriesCount:
            series_.resize(clampCount(value, 1, kMaxSeries),
                           Series{{}, 0, std::vector<double>(pointLabels_.size(), 0.0)});
            currentSeries_ = 0;
            break;
        case ChartNumber::CurrentSeries:
            currentSeries_ = chooseIndex(value, seriesCount());
            break;
        case ChartNumber::CurrentPoint:
            currentPoint_ = chooseIndex(value, pointCount());
            break;
        case ChartNumber::SeriesColour:
            series_[currentSeries_].colour = toColour(value);
            break;
        case ChartNumber::Value:
            series_[currentSeries_].values[currentPoint_] = clampValue(value);
            break;
    }
}

void ChartModel::set(ChartText setting, const std::string& text) {
    switch (setting) {
        case ChartText::Title:
            title_ = text;
            break;
        case ChartText::XAxisTitle:
            xAxisTitle_ = text;
            break;
        case ChartText::YAxisTitle:
            yAxisTitle_ = text;
            break;
        case ChartText::SeriesName:
            series_[currentSeries_].name = text;
            break;
        case ChartText::PointLabel:
            pointLabels_[currentPoint_] = text;
            break;
    }
}

std::string ChartModel::pointLabel(int point) const {
    return point >= 0 && point < pointCount() ? pointLabels_[point] : std::string();
}

std::string ChartModel::seriesName(int series) const {
    return series >= 0 && series < seriesCount() ? series_[series].name : std::string();
}

std::uint32_t ChartModel::seriesColour(int series) const {
    return series >= 0 && series < seriesCount() ? series_[series].colour : 0;
}

double ChartModel::value(int series, int point) const {
    if (series < 0 || series >= seriesCount() || point < 0 || point >= pointCount()) {
        return 0;
    }
    return series_[series].values[point];
}

}  // namespace quillet

#pragma once
// The settings of the curve chart as plain data, with the limits the chart enforces. The Qt view
// draws from this model; handlers change it only through set().

#include <cstdint>
#include <string>
#include <vector>

#include "ui/ui.h"

namespace quillet {

class ChartModel {
public:
    static constexpr double kValueLimit = 10000000.0;
    static constexpr int kMaxDivisions = 100;
    static constexpr int kMaxPoints = 100;
    static constexpr int kMaxSeries = 100;

    struct Series {
        std::string name;
        std::uint32_t colour = 0;    // Windows colour value: red in the lowest byte
        std::vector<double> values;  // one per point
    };

    // Starts as the window defines the chart: one red series "周期图" with one point "周一" at 1.
    ChartModel();

    void set(ChartNumber setting, double value);
    void set(ChartText setting, const std::string& text);

    const std::string& title() const { return title_; }
    const std::string& xAxisTitle() const { return xAxisTitle_; }
    const std::string& yAxisTitle() const { return yAxisTitle_; }
    double valueMax() const { return valueMax_; }
    int divisions() const { return divisions_; }
    int pointCount() const { return static_cast<int>(pointLabels_.size()); }
    int seriesCount() const { return static_cast<int>(series_.size()); }
    int currentSeries() const { return currentSeries_; }
    int currentPoint() const { return currentPoint_; }
    const std::vector<std::string>& pointLabels() const { return pointLabels_; }
    const std::vector<Series>& series() const { return series_; }

    // Out-of-range indices give the empty text or 0.
    std::string pointLabel(int point) const;
    std::string seriesName(int series) const;
    std::uint32_t seriesColour(int series) const;
    double value(int series, int point) const;

    // The stored form of a value: NaN and negatives become 0, anything above the limit the limit.
    static double clampValue(double value);

private:
    std::string title_;
    std::string xAxisTitle_;
    std::string yAxisTitle_;
    double valueMax_;
    int divisions_;
    std::vector<std::string> pointLabels_;
    std::vector<Series> series_;
    int currentSeries_ = 0;
    int currentPoint_ = 0;
};

}  // namespace quillet

#pragma once
// The curve chart control: a Qt Charts view drawn from a ChartModel. Every apply() changes the
// model and the drawing at once.

#include <QChartView>
#include <QColor>
#include <QString>
#include <cstdint>
#include <string>

#include "chart/chart_model.h"

class QBarCategoryAxis;
class QValueAxis;
class QLineSeries;

namespace quillet {

class CurveChartView : public QChartView {
    Q_OBJECT

public:
    explicit CurveChartView(QWidget* parent = nullptr);

    void apply(ChartNumber setting, double value);
    void apply(ChartText setting, const QString& text);
    void apply(ChartText setting, const std::string& text);

    const ChartModel& model() const { return model_; }

    // Windows colour values keep red in the lowest byte.
    static QColor toQColor(std::uint32_t windowsColour);

    QBarCategoryAxis* categoryAxis() const { return xAxis_; }
    QValueAxis* valueAxis() const { return yAxis_; }

private:
    void rebuildSeries();
    void updateCategories();
    void updateValueAxis();
    void styleSeries(QLineSeries* line, const ChartModel::Series& data);
    QLineSeries* lineAt(int index) const;

    ChartModel model_;
    QBarCategoryAxis* xAxis_;
    QValueAxis* yAxis_;
};

}  // namespace quillet

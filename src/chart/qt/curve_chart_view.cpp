#include "chart/qt/curve_chart_view.h"

#include <QBarCategoryAxis>
#include <QChart>
#include <QLegend>
#include <QLineSeries>
#include <QPen>
#include <QValueAxis>

namespace quillet {

namespace {

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

CurveChartView::CurveChartView(QWidget* parent)
    : QChartView(new QChart(), parent), xAxis_(new QBarCategoryAxis()), yAxis_(new QValueAxis()) {
    setRenderHint(QPainter::Antialiasing);
    QChart* c = chart();
    c->setMargins(QMargins(4, 4, 4, 4));
    c->legend()->setVisible(true);
    c->legend()->setAlignment(Qt::AlignRight);
    c->addAxis(xAxis_, Qt::AlignBottom);
    c->addAxis(yAxis_, Qt::AlignLeft);
    yAxis_->setLabelFormat("%.10g");
    c->setTitle(fromUtf8(model_.title()));
    xAxis_->setTitleText(fromUtf8(model_.xAxisTitle()));
    yAxis_->setTitleText(fromUtf8(model_.yAxisTitle()));
    updateValueAxis();
    rebuildSeries();
}

QColor CurveChartView::toQColor(std::uint32_t windowsColour) {
    return QColor(static_cast<int>(windowsColour & 0xFF),
                  static_cast<int>((windowsColour >> 8) & 0xFF),
                  static_cast<int>((windowsColour >> 16) & 0xFF));
}

void CurveChartView::apply(ChartNumber setting, double value) {
    model_.set(setting, value);
    switch (setting) {
        case ChartNumber::ValueMax:
        case ChartNumber::Divisions:
            updateValueAxis();
            break;
        case ChartNumber::PointCount:
        case ChartNumber::SeriesCount:
            rebuildSeries();
            break;
        case ChartNumber::CurrentSeries:
        case ChartNumber::CurrentPoint:
            break;  // only chooses what later settings address
        case ChartNumber::SeriesColour: {
            const int s = model_.currentSeries();
            styleSeries(lineAt(s), model_.series()[s]);
            break;
        }
        case ChartNumber::Value: {
            const int s = model_.currentSeries();
            const int p = model_.currentPoint();
            if (QLineSeries* line = lineAt(s)) {
                line->replace(p, QPointF(p, model_.value(s, p)));
            }
            break;
        }
    }
}

void CurveChartView::apply(ChartText setting, const std::string& text) {
    model_.set(setting, text);
    const QString shown = fromUtf8(text);
    switch (setting) {
        case ChartText::Title:
            chart()->setTitle(shown);
            break;
        case ChartText::XAxisTitle:
            xAxis_->setTitleText(shown);
            break;
        case ChartText::YAxisTitle:
            yAxis_->setTitleText(shown);
            break;
        case ChartText::SeriesName:
            if (QLineSeries* line = lineAt(model_.currentSeries())) {
                line->setName(shown);
            }
            break;
        case ChartText::PointLabel:
            updateCategories();
            break;
    }
}

void CurveChartView::apply(ChartText setting, const QString& text) {
    apply(setting, text.toStdString());
}

QLineSeries* CurveChartView::lineAt(int index) const {
    const QList<QAbstractSeries*> all = chart()->series();
    if (index < 0 || index >= all.size()) {
        return nullptr;
    }
    return static_cast<QLineSeries*>(all[index]);
}

void CurveChartView::styleSeries(QLineSeries* line, const ChartModel::Series& data) {
    if (line == nullptr) {
        return;
    }
    QPen pen(toQColor(data.colour));
    pen.setWidth(2);
    line->setPen(pen);
    line->setPointLabelsColor(pen.color());
}

void CurveChartView::updateValueAxis() {
    // A maximum of 0 would make an empty range, which the axis refuses; keep a sliver above 0.
    const double max = model_.valueMax() > 0 ? model_.valueMax() : 1e-9;
    yAxis_->setRange(0, max);
    yAxis_->setTickCount(model_.divisions() + 1);
}

void CurveChartView::updateCategories() {
    // The category axis silently drops a label equal to one it already has, which would shift
    // every later point; invisible zero-width spaces keep repeated (or empty) labels distinct.
    QStringList labels;
    for (const std::string& label : model_.pointLabels()) {
        QString shown = fromUtf8(label);
        while (labels.contains(shown)) {
            shown += QChar(0x200B);
        }
        labels.append(shown);
    }
    xAxis_->setCategories(labels);
}

void CurveChartView::rebuildSeries() {
    QChart* c = chart();
    c->removeAllSeries();
    for (const ChartModel::Series& data : model_.series()) {
        auto* line = new QLineSeries();
        line->setName(fromUtf8(data.name));
        for (int p = 0; p < static_cast<int>(data.values.size()); ++p) {
            line->append(p, data.values[p]);
        }
        line->setPointsVisible(true);
        line->setPointLabelsVisible(true);
        line->setPointLabelsFormat("@yPoint");
        c->addSeries(line);
        line->attachAxis(xAxis_);
        line->attachAxis(yAxis_);
        styleSeries(line, data);
    }
    updateCategories();
}

}  // namespace quillet

#pragma once

#include "platform/chart/ChartAxis.h"
#include "platform/chart/GanttSeries.h"

#include <QList>
#include <QObject>

#include <functional>

// A chart model: four axes and one Gantt series. It does the range arithmetic; ChartPainter
// draws it and ChartWidget shows it. changed() follows every visible change.
class Chart : public QObject
{
    Q_OBJECT

public:
    explicit Chart(QObject* parent = nullptr);
    ~Chart() override;

    ChartAxis& bottomAxis() { return m_bottom; }
    ChartAxis& leftAxis() { return m_left; }
    ChartAxis& topAxis() { return m_top; }
    ChartAxis& rightAxis() { return m_right; }
    const ChartAxis& bottomAxis() const { return m_bottom; }
    const ChartAxis& leftAxis() const { return m_left; }
    const ChartAxis& topAxis() const { return m_top; }
    const ChartAxis& rightAxis() const { return m_right; }
    GanttSeries& series() { return m_series; }
    const GanttSeries& series() const { return m_series; }

    // Percentage zoom of all four axes: with d = (hi - lo) * (percent - 100) / 100 each range
    // becomes lo + d .. hi - d (120 keeps the middle 60 %, 80 widens to 140 %).
    void zoomPercent(double percent);

    // Next-label hook for value labels. Called with stop = true and labelValue = the previous label
    // (the axis minimum at first); to place a label, set labelValue and stop = false. Leaving stop
    // true on the first call (labelIndex 0) keeps the engine's own labels for that axis.
    std::function<void(ChartAxis& axis, int labelIndex, double& labelValue, bool& stop)> onGetNextAxisLabel;

    // Values where the axis's labels go, ascending, all within minimum..maximum: the hook's while it
    // advances (at most maxLabels), else multiples of the increment.
    QList<double> axisLabels(const ChartAxis& axis);
    static constexpr int maxLabels = 10000;

    // Tells the views to repaint (also after onGetNextAxisLabel or a label font changed).
    void refresh() { emit changed(); }

signals:
    void changed();

private:
    QList<double> ownLabels(const ChartAxis& axis) const;
    ChartAxis* owned(const ChartAxis& axis);

    ChartAxis m_bottom{ChartAxis::Orientation::Horizontal};
    ChartAxis m_left{ChartAxis::Orientation::Vertical};
    ChartAxis m_top{ChartAxis::Orientation::Horizontal};
    ChartAxis m_right{ChartAxis::Orientation::Vertical};
    GanttSeries m_series;
    bool m_notifying = false;
};

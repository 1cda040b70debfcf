#pragma once

#include "platform/chart/ChartPainter.h"

#include <QPoint>
#include <QWidget>

#include <optional>

class Chart;

// Shows a Chart. Left drag top-left to bottom-right zooms to the rectangle, left drag to the left
// undoes the mouse zoom; right drag scrolls; a click on a bar emits seriesClicked().
class ChartWidget : public QWidget
{
    Q_OBJECT

public:
    // The chart must outlive the widget.
    explicit ChartWidget(Chart* chart, QWidget* parent = nullptr);

    Chart* chart() const { return m_chart; }
    // The painter of the last layout, for mapping positions (kept in step with the widget's size).
    const ChartPainter& chartPainter();

signals:
    void seriesClicked(int index, Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);
    void mouseMoved(Qt::KeyboardModifiers modifiers, QPoint pos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    struct SavedRanges
    {
        double bottomMin, bottomMax, leftMin, leftMax;
        bool bottomAutomatic, leftAutomatic;
    };
    void zoomTo(QPoint from, QPoint to);
    void undoZoom();
    void scrollBy(QPoint from, QPoint to);

    Chart* m_chart;
    ChartPainter m_painter;
    Qt::MouseButton m_dragButton = Qt::NoButton;
    QPoint m_pressPos;
    QPoint m_lastPos;
    bool m_dragging = false;
    std::optional<SavedRanges> m_beforeZoom;
};

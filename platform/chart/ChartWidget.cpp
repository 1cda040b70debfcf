#include "platform/chart/ChartWidget.h"

#include "platform/chart/Chart.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

ChartWidget::ChartWidget(Chart* chart, QWidget* parent) : QWidget(parent), m_chart(chart), m_painter(*chart)
{
    setAccessibleName(QStringLiteral("Chart"));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(m_chart, &Chart::changed, this, qOverload<>(&QWidget::update));
}

const ChartPainter& ChartWidget::chartPainter()
{
    m_painter.setGeometry(QRectF(rect()), 1.0);
    return m_painter;
}

void ChartWidget::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    m_painter.paint(p, QRectF(rect()), 1.0);
    if (m_dragging && m_dragButton == Qt::LeftButton) {
        // The rectangle being dragged out for a zoom.
        p.setPen(QPen(Qt::black, 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRect(m_pressPos, m_lastPos).normalized());
    }
}

void ChartWidget::mousePressEvent(QMouseEvent* event)
{
    if (m_dragButton != Qt::NoButton)
        return; // a second button during a drag is ignored
    m_dragButton = event->button();
    m_pressPos = m_lastPos = event->position().toPoint();
    m_dragging = false;
}

void ChartWidget::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    emit mouseMoved(event->modifiers(), pos);
    if (m_dragButton == Qt::NoButton)
        return;
    if (!m_dragging && (pos - m_pressPos).manhattanLength() >= QApplication::startDragDistance())
        m_dragging = true;
    if (!m_dragging)
        return;
    if (m_dragButton == Qt::RightButton)
        scrollBy(m_lastPos, pos);
    m_lastPos = pos;
    if (m_dragButton == Qt::LeftButton)
        update();
}

void ChartWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != m_dragButton)
        return;
    const QPoint pos = event->position().toPoint();
    const Qt::MouseButton button = m_dragButton;
    const bool dragged =
        m_dragging || (pos - m_pressPos).manhattanLength() >= QApplication::startDragDistance();
    m_dragButton = Qt::NoButton;
    m_dragging = false;
    if (!dragged) {
        const int index = chartPainter().pointAt(QPointF(pos));
        if (index >= 0)
            emit seriesClicked(index, button, event->modifiers(), pos);
        return;
    }
    if (button == Qt::LeftButton) {
        if (pos.x() < m_pressPos.x())
            undoZoom();
        else if (pos.x() > m_pressPos.x() && pos.y() > m_pressPos.y())
            zoomTo(m_pressPos, pos);
        update();
    } else if (button == Qt::RightButton) {
        scrollBy(m_lastPos, pos);
    }
}

void ChartWidget::zoomTo(QPoint from, QPoint to)
{
    const ChartPainter& painter = chartPainter();
    const double x1 = painter.xValue(from.x()), x2 = painter.xValue(to.x());
    const double y1 = painter.yValue(from.y()), y2 = painter.yValue(to.y());
    ChartAxis& bottom = m_chart->bottomAxis();
    ChartAxis& left = m_chart->leftAxis();
    if (!m_beforeZoom)
        m_beforeZoom = SavedRanges{bottom.minimum(), bottom.maximum(),   left.minimum(),
                                   left.maximum(),   bottom.automatic(), left.automatic()};
    bottom.setMinMax(x1, x2);
    left.setMinMax(y1, y2);
}

void ChartWidget::undoZoom()
{
    if (!m_beforeZoom)
        return;
    const SavedRanges saved = *m_beforeZoom;
    m_beforeZoom.reset();
    ChartAxis& bottom = m_chart->bottomAxis();
    ChartAxis& left = m_chart->leftAxis();
    bottom.setMinMax(saved.bottomMin, saved.bottomMax);
    if (saved.bottomAutomatic)
        bottom.setAutomatic(true);
    left.setMinMax(saved.leftMin, saved.leftMax);
    if (saved.leftAutomatic)
        left.setAutomatic(true);
}

void ChartWidget::scrollBy(QPoint from, QPoint to)
{
    if (from == to)
        return;
    // The picture follows the mouse: the values under the two positions give the shift.
    const ChartPainter& painter = chartPainter();
    const double dx = painter.xValue(from.x()) - painter.xValue(to.x());
    const double dy = painter.yValue(from.y()) - painter.yValue(to.y());
    ChartAxis& bottom = m_chart->bottomAxis();
    ChartAxis& left = m_chart->leftAxis();
    if (dx != 0)
        bottom.setMinMax(bottom.minimum() + dx, bottom.maximum() + dx);
    if (dy != 0)
        left.setMinMax(left.minimum() + dy, left.maximum() + dy);
}

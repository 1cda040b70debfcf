#include "platform/chart/ChartPainter.h"

#include "platform/chart/Chart.h"
#include "platform/core/Exception.h"
#include "platform/core/FormatSettings.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

// Everything is laid out and drawn in screen pixels inside the target rectangle; paint() scales
// the painter by pixelSize, so a page in millimetres gets the same picture as the screen.

namespace {

constexpr double borderWidth = 2;  // the frame around the chart
constexpr double depthPercent = 2; // the 3-D depth, as a part of the smaller side of the chart
constexpr double tickLength = 4;
constexpr double labelGap = 2;
constexpr double maxLeftLabelPart = 0.4; // left labels never take more of the width than this
const QColor wallShadow(0xd8, 0xd8, 0xd8);
const QColor gridColor(0xc8, 0xc8, 0xc8);
const QColor axisColor(0x40, 0x40, 0x40);

// The axis's label font in pixels: point sizes are taken at 96 pixels per inch on every device.
QFont pixelFont(const ChartAxis& axis)
{
    QFont font = axis.labelFont();
    if (font.pointSizeF() > 0)
        font.setPixelSize(std::max(1, int(std::lround(font.pointSizeF() * 96.0 / 72.0))));
    return font;
}

QString valueText(const ChartAxis& axis, double value)
{
    if (!axis.dateTime())
        return QString::number(value, 'g', 10);
    try {
        const QString format =
            axis.dateTimeFormat().isEmpty() ? QStringLiteral("ddddd") : axis.dateTimeFormat();
        return Format::formatDateTime(format, value);
    } catch (const Exception&) {
        return QString(); // a value outside the calendar gets no text rather than stopping the paint
    }
}

double safeRange(double lo, double hi)
{
    const double r = hi - lo;
    return r > 0 ? r : 1.0;
}

} // namespace

ChartPainter::ChartPainter(Chart& chart) : m_chart(chart) {}

QColor ChartPainter::barColor(quint32 colorRef, int transparencyPercent)
{
    QColor c = fromColorRef(colorRef);
    c.setAlpha(int(std::lround(255.0 * (100 - std::clamp(transparencyPercent, 0, 100)) / 100.0)));
    return c;
}

void ChartPainter::setGeometry(const QRectF& rect, double pixelSize)
{
    m_rect = rect;
    m_pixelSize = pixelSize > 0 && std::isfinite(pixelSize) ? pixelSize : 1.0;
    layout();
}

void ChartPainter::layout()
{
    const double w = m_rect.width() / m_pixelSize;
    const double h = m_rect.height() / m_pixelSize;
    const ChartAxis& left = m_chart.leftAxis();
    const ChartAxis& bottom = m_chart.bottomAxis();

    double leftWidth = 0;
    if (left.visible()) {
        const QFontMetricsF fm(pixelFont(left));
        const double lo = std::min(left.minimum(), left.maximum());
        const double hi = std::max(left.minimum(), left.maximum());
        if (left.labelStyle() == ChartAxis::LabelStyle::Text) {
            const GanttSeries& s = m_chart.series();
            for (int i = 0; i < s.count(); ++i)
                if (s.y(i) >= lo && s.y(i) <= hi)
                    leftWidth = std::max(leftWidth, fm.horizontalAdvance(s.label(i)));
        } else {
            leftWidth = std::max(fm.horizontalAdvance(valueText(left, lo)),
                                 fm.horizontalAdvance(valueText(left, hi)));
        }
        leftWidth = std::min(leftWidth + tickLength + 2 * labelGap, w * maxLeftLabelPart);
    }
    double bottomHeight = 0;
    if (bottom.visible())
        bottomHeight = QFontMetricsF(pixelFont(bottom)).height() + tickLength + labelGap;

    m_depth = std::max(1.0, std::round(std::min(w, h) * depthPercent / 100));
    const QRectF plotPx(borderWidth + leftWidth, borderWidth + m_depth,
                        std::max(1.0, w - 2 * borderWidth - leftWidth - m_depth),
                        std::max(1.0, h - 2 * borderWidth - bottomHeight - m_depth));
    m_plotPx = plotPx;
    m_plot = QRectF(m_rect.topLeft() + plotPx.topLeft() * m_pixelSize, plotPx.size() * m_pixelSize);
}

double ChartPainter::mapX(double value) const
{
    const ChartAxis& a = m_chart.bottomAxis();
    const double lo = a.minimum();
    const double f = (value - lo) / safeRange(lo, a.maximum());
    return a.inverted() ? m_plotPx.right() - f * m_plotPx.width() : m_plotPx.left() + f * m_plotPx.width();
}

double ChartPainter::mapY(double value) const
{
    const ChartAxis& a = m_chart.leftAxis();
    const double lo = a.minimum();
    const double f = (value - lo) / safeRange(lo, a.maximum());
    return a.inverted() ? m_plotPx.top() + f * m_plotPx.height() : m_plotPx.bottom() - f * m_plotPx.height();
}

QPointF ChartPainter::toPixel(double x, double y) const
{
    return m_rect.topLeft() + QPointF(mapX(x), mapY(y)) * m_pixelSize;
}

double ChartPainter::xValue(double px) const
{
    const ChartAxis& a = m_chart.bottomAxis();
    const double local = (px - m_rect.left()) / m_pixelSize;
    double f = (local - m_plotPx.left()) / m_plotPx.width();
    if (a.inverted())
        f = 1 - f;
    return a.minimum() + f * safeRange(a.minimum(), a.maximum());
}

double ChartPainter::yValue(double py) const
{
    const ChartAxis& a = m_chart.leftAxis();
    const double local = (py - m_rect.top()) / m_pixelSize;
    double f = (local - m_plotPx.top()) / m_plotPx.height();
    if (!a.inverted())
        f = 1 - f;
    return a.minimum() + f * safeRange(a.minimum(), a.maximum());
}

QRectF ChartPainter::barRect(int i) const
{
    const GanttSeries& s = m_chart.series();
    const double x1 = mapX(s.start(i));
    const double x2 = mapX(s.end(i));
    const double yc = mapY(s.y(i));
    const double half = s.barHalfHeight();
    return QRectF(std::min(x1, x2), yc - half, std::fabs(x2 - x1), 2 * half);
}

int ChartPainter::pointAt(QPointF pos) const
{
    const QPointF local = (pos - m_rect.topLeft()) / m_pixelSize;
    if (!m_plotPx.contains(local))
        return -1;
    const GanttSeries& s = m_chart.series();
    const ChartAxis& bottom = m_chart.bottomAxis();
    const auto [first, last] = s.candidatesIn(bottom.minimum(), bottom.maximum());
    int best = -1;
    double bestDistance = 0;
    for (int i = first; i < last; ++i) {
        const QRectF r = barRect(i);
        // A bar from a point in time to the same point is a line; give it a pixel to be hit.
        const QRectF hit = r.width() < 1 ? r.adjusted(-0.5, 0, 0.5, 0) : r;
        if (!hit.contains(local))
            continue;
        const double distance = std::fabs(r.center().y() - local.y());
        if (best < 0 || distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

void ChartPainter::paint(QPainter& painter, const QRectF& rect, double pixelSize)
{
    setGeometry(rect, pixelSize);
    painter.save();
    painter.translate(m_rect.topLeft());
    painter.scale(m_pixelSize, m_pixelSize);
    const QRectF whole(0, 0, m_rect.width() / m_pixelSize, m_rect.height() / m_pixelSize);
    painter.setClipRect(whole);
    painter.fillRect(whole, Qt::white);

    paintWalls(painter);
    paintGrid(painter);
    paintBars(painter);
    paintLeftLabels(painter);
    paintBottomLabels(painter);

    painter.setClipping(false);
    painter.setPen(QPen(axisColor, borderWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(whole.adjusted(borderWidth / 2, borderWidth / 2, -borderWidth / 2, -borderWidth / 2));
    painter.restore();
}

void ChartPainter::paintWalls(QPainter& p) const
{
    // The back wall sits m_depth up and to the right of the plot; the strips between them give
    // the depth without drawing side walls.
    const QRectF& r = m_plotPx;
    const double d = m_depth;
    p.setPen(Qt::NoPen);
    p.setBrush(wallShadow);
    p.drawPolygon(
        QPolygonF({r.topLeft(), r.topLeft() + QPointF(d, -d), r.topRight() + QPointF(d, -d), r.topRight()}));
    p.drawPolygon(QPolygonF(
        {r.topRight(), r.topRight() + QPointF(d, -d), r.bottomRight() + QPointF(d, -d), r.bottomRight()}));
    p.fillRect(r, Qt::white);
    p.setPen(QPen(axisColor, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r);
}

void ChartPainter::paintGrid(QPainter& p) const
{

    p.save();
    p.setClipRect(m_plotPx);
    p.setPen(QPen(gridColor, 1, Qt::DotLine));
    const ChartAxis& bottom = m_chart.bottomAxis();
    if (bottom.gridVisible())
        for (double v : m_chart.axisLabels(bottom)) {
            const double x = mapX(v);
            p.drawLine(QPointF(x, m_plotPx.top()), QPointF(x, m_plotPx.bottom()));
        }
    const ChartAxis& left = m_chart.leftAxis();
    if (left.gridVisible()) {
        const auto line = [&](double v) {
            const double y = mapY(v);
            p.drawLine(QPointF(m_plotPx.left(), y), QPointF(m_plotPx.right(), y));
        };
        if (left.labelStyle() == ChartAxis::LabelStyle::Text) {
            // A line on every row that has a label, as the labels themselves.
            const GanttSeries& s = m_chart.series();
            const double lo = std::min(left.minimum(), left.maximum());
            const double hi = std::max(left.minimum(), left.maximum());
            for (int i = 0; i < s.count(); ++i)
                if (s.y(i) >= lo && s.y(i) <= hi)
                    line(s.y(i));
        } else {
            for (double v : m_chart.axisLabels(left))
                line(v);
        }
    }
    p.restore();
}

void ChartPainter::paintBars(QPainter& p)
{
    m_barsDrawn = 0;
    const GanttSeries& s = m_chart.series();
    const ChartAxis& bottom = m_chart.bottomAxis();
    const auto [first, last] = s.candidatesIn(std::min(bottom.minimum(), bottom.maximum()),
                                              std::max(bottom.minimum(), bottom.maximum()));
    p.save();
    p.setClipRect(m_plotPx);
    quint32 lastColor = 0;
    bool haveColor = false;
    for (int i = first; i < last; ++i) {
        QRectF r = barRect(i);
        if (r.right() < m_plotPx.left() || r.left() > m_plotPx.right() || r.bottom() < m_plotPx.top() ||
            r.top() > m_plotPx.bottom())
            continue;
        // Far outside the plot the positions grow without bound; draw only the part in view.
        r = r.intersected(m_plotPx.adjusted(-1, -1, 1, 1));
        if (!haveColor || s.color(i) != lastColor) {
            const QColor c = barColor(s.color(i), s.transparency());
            p.setBrush(c);
            p.setPen(QPen(c.darker(150), 1));
            lastColor = s.color(i);
            haveColor = true;
        }
        p.drawRect(r);
        ++m_barsDrawn;
    }
    p.restore();
}

void ChartPainter::paintBottomLabels(QPainter& p) const
{
    const ChartAxis& axis = m_chart.bottomAxis();
    if (!axis.visible())
        return;

    const QFont font = pixelFont(axis);
    const QFontMetricsF fm(font);
    p.setFont(font);
    p.setPen(axisColor);
    const double y = m_plotPx.bottom();
    double lastRight = -1e300;
    for (double v : m_chart.axisLabels(axis)) {
        const double x = mapX(v);
        const QString text = valueText(axis, v);
        const double tw = fm.horizontalAdvance(text);
        QRectF box(x - tw / 2, y + tickLength + labelGap / 2, tw, fm.height());
        // Keep labels at the ends inside the chart.
        if (box.left() < 0)
            box.moveLeft(0);
        if (box.right() > m_rect.width() / m_pixelSize)
            box.moveRight(m_rect.width() / m_pixelSize);
        if (axis.labelSeparation() > 0 && box.left() < lastRight + axis.labelSeparation())
            continue;
        p.drawLine(QPointF(x, y), QPointF(x, y + tickLength));
        p.drawText(box, Qt::AlignCenter, text);
        lastRight = box.right();
    }
}

void ChartPainter::paintLeftLabels(QPainter& p) const
{
    const ChartAxis& axis = m_chart.leftAxis();
    if (!axis.visible())
        return;
    const QFont font = pixelFont(axis);
    const QFontMetricsF fm(font);
    p.setFont(font);
    p.setPen(axisColor);
    const double right = m_plotPx.left() - tickLength - labelGap;
    const double lo = std::min(axis.minimum(), axis.maximum());
    const double hi = std::max(axis.minimum(), axis.maximum());
    double lastEdge = 1e300; // the other end of the last label drawn, for labelSeparation
    auto draw = [&](double v, const QString& text) {
        const double yc = mapY(v);
        const QRectF box(0, yc - fm.height() / 2, std::max(0.0, right), fm.height());
        if (axis.labelSeparation() > 0 && std::fabs(yc - lastEdge) < fm.height() + axis.labelSeparation())
            return;
        p.drawLine(QPointF(m_plotPx.left() - tickLength, yc), QPointF(m_plotPx.left(), yc));
        p.drawText(box, Qt::AlignRight | Qt::AlignVCenter, text);
        lastEdge = yc;
    };
    if (axis.labelStyle() == ChartAxis::LabelStyle::Text) {
        const GanttSeries& s = m_chart.series();
        for (int i = 0; i < s.count(); ++i)
            if (s.y(i) >= lo && s.y(i) <= hi)
                draw(s.y(i), s.label(i));
    } else {

        for (double v : m_chart.axisLabels(axis))
            draw(v, valueText(axis, v));
    }
}

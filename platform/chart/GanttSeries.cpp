#include "platform/chart/GanttSeries.h"

#include "platform/core/Exception.h"

#include <algorithm>
#include <cmath>

QColor fromColorRef(quint32 colorRef)
{
    return QColor(int(colorRef & 0xFF), int((colorRef >> 8) & 0xFF), int((colorRef >> 16) & 0xFF));
}

void GanttSeries::setMarksVisible(bool on)
{
    m_marksVisible = on;
    notify();
}

void GanttSeries::setTransparency(int percent)
{
    m_transparency = std::clamp(percent, 0, 100);
    notify();
}

void GanttSeries::setBarHalfHeight(int pixels)
{
    m_barHalfHeight = std::max(0, pixels);
    notify();
}

void GanttSeries::clear()
{
    m_points.clear();
    m_minX = m_maxX = m_minY = m_maxY = 0;
    m_maxForward = m_maxBackward = 0;
    notify();
}

int GanttSeries::add(double start, double end, double y, const QString& label, quint32 color)
{
    // A value that is not a number would break the order by start and every extent.
    if (!std::isfinite(start) || !std::isfinite(end) || !std::isfinite(y))
        throw Exception(QStringLiteral("Bar values must be finite numbers"));
    const auto at = std::upper_bound(m_points.cbegin(), m_points.cend(), start,
                                     [](double s, const Point& p) { return s < p.start; });
    const int index = int(at - m_points.cbegin());
    const bool first = m_points.isEmpty();
    m_points.insert(index, Point{start, end, y, label, color});

    const double lo = std::fmin(start, end), hi = std::fmax(start, end);
    if (first) {
        m_minX = lo;
        m_maxX = hi;
        m_minY = m_maxY = y;
    } else {
        m_minX = std::fmin(m_minX, lo);
        m_maxX = std::fmax(m_maxX, hi);
        m_minY = std::fmin(m_minY, y);
        m_maxY = std::fmax(m_maxY, y);
    }
    if (end - start > m_maxForward)
        m_maxForward = end - start;
    if (start - end > m_maxBackward)
        m_maxBackward = start - end;
    notify();
    return index;
}

std::pair<int, int> GanttSeries::candidatesIn(double lo, double hi) const
{
    // A bar reaches into lo..hi only if its start lies within lo - longest forward bar ..
    // hi + longest backward bar; the points are sorted by start, so that is one slice.
    const double from = lo - m_maxForward;
    const double to = hi + m_maxBackward;
    const auto first = std::lower_bound(m_points.cbegin(), m_points.cend(), from,
                                        [](const Point& p, double v) { return p.start < v; });
    const auto last =
        std::upper_bound(first, m_points.cend(), to, [](double v, const Point& p) { return v < p.start; });
    return {int(first - m_points.cbegin()), int(last - m_points.cbegin())};
}

bool GanttSeries::xExtent(double& lo, double& hi) const
{
    if (m_points.isEmpty())
        return false;
    lo = m_minX;
    hi = m_maxX;
    return true;
}

bool GanttSeries::yExtent(double& lo, double& hi) const
{
    if (m_points.isEmpty())
        return false;
    lo = m_minY;
    hi = m_maxY;
    return true;
}

void GanttSeries::notify()
{
    if (m_changed)
        m_changed();
}

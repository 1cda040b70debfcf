#include "platform/chart/ChartAxis.h"

#include "platform/chart/GanttSeries.h"
#include "platform/core/Exception.h"

#include <cmath>
#include <utility>

namespace {

const char* const minMaxMessage = "Axis minimum must be less than or equal to its maximum";

void requireFinite(double value)
{
    if (!std::isfinite(value))
        throw Exception(QStringLiteral("Axis value must be a finite number"));
}

} // namespace

ChartAxis::ChartAxis(Orientation orientation)
    : m_orientation(orientation), m_labelFont(QStringLiteral("Arial"), 8)
{
}

double ChartAxis::automaticValue(bool wantMinimum) const
{
    double lo = 0, hi = 0;
    const bool any = m_series && (isHorizontal() ? m_series->xExtent(lo, hi) : m_series->yExtent(lo, hi));
    if (!any)
        return wantMinimum ? m_minimum : m_maximum;
    // Rows get half a row of room so the first and last bars are whole; a single instant or row
    // gets some room on both sides so the range is never empty.
    double margin = isHorizontal() ? 0.0 : 0.5;
    if (hi - lo < smallestRange)
        margin = 0.5;
    return wantMinimum ? lo - margin : hi + margin;
}

double ChartAxis::minimum() const
{
    return m_automaticMinimum ? automaticValue(true) : m_minimum;
}

double ChartAxis::maximum() const
{
    return m_automaticMaximum ? automaticValue(false) : m_maximum;
}

void ChartAxis::setAutomatic(bool on)
{
    // Switching off keeps the range in view; switching on lets the series decide again.
    m_minimum = minimum();
    m_maximum = maximum();
    m_automaticMinimum = on;
    m_automaticMaximum = on;
    notify();
}

void ChartAxis::setAutomaticMinimum(bool on)
{
    m_minimum = minimum();
    m_automaticMinimum = on;
    notify();
}

void ChartAxis::setAutomaticMaximum(bool on)
{
    m_maximum = maximum();
    m_automaticMaximum = on;
    notify();
}

void ChartAxis::setMinimum(double value)
{
    requireFinite(value);
    if (value > maximum())
        throw Exception(QString::fromLatin1(minMaxMessage));
    m_maximum = maximum();
    m_minimum = value;
    m_automaticMinimum = false;
    notify();
}

void ChartAxis::setMaximum(double value)
{
    requireFinite(value);
    if (value < minimum())
        throw Exception(QString::fromLatin1(minMaxMessage));
    m_minimum = minimum();
    m_maximum = value;
    m_automaticMaximum = false;
    notify();
}

void ChartAxis::setMinMax(double a, double b)
{
    requireFinite(a);
    requireFinite(b);
    if (a > b)
        std::swap(a, b);
    if (b - a < smallestRange)
        b = a + smallestRange;
    m_minimum = a;
    m_maximum = b;
    m_automaticMinimum = false;
    m_automaticMaximum = false;
    notify();
}

void ChartAxis::setInverted(bool on)
{
    m_inverted = on;
    notify();
}

void ChartAxis::setVisible(bool on)
{
    m_visible = on;
    notify();
}

void ChartAxis::setGridVisible(bool on)
{
    m_gridVisible = on;
    notify();
}

void ChartAxis::setDateTime(bool on)
{
    m_dateTime = on;
    notify();
}

void ChartAxis::setDateTimeFormat(const QString& format)
{
    m_dateTimeFormat = format;
    notify();
}

void ChartAxis::setIncrement(double step)
{
    m_increment = std::isfinite(step) && step > 0 ? step : 0.0;
    notify();
}

void ChartAxis::setRoundFirstLabel(bool on)
{
    m_roundFirstLabel = on;
    notify();
}

void ChartAxis::setLabelStyle(LabelStyle style)
{
    m_labelStyle = style;
    notify();
}

void ChartAxis::setLabelFont(const QFont& font)
{
    m_labelFont = font;
    notify();
}

void ChartAxis::setLabelSeparation(int separation)
{
    m_labelSeparation = separation < 0 ? 0 : separation;
    notify();
}

void ChartAxis::notify()
{
    if (m_changed)
        m_changed();
}

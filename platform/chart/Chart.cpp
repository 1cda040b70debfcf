#include "platform/chart/Chart.h"

#include <cmath>

Chart::Chart(QObject* parent) : QObject(parent)
{
    m_bottom.m_series = &m_series;
    m_left.m_series = &m_series;
    const auto notify = [this] {
        // zoomPercent() changes four axes and tells once.
        if (!m_notifying)
            emit changed();
    };
    for (ChartAxis* axis : {&m_bottom, &m_left, &m_top, &m_right})
        axis->m_changed = notify;
    m_series.m_changed = notify;
}

Chart::~Chart() = default;

void Chart::zoomPercent(double percent)
{
    m_notifying = true;
    try {
        for (ChartAxis* axis : {&m_bottom, &m_left, &m_top, &m_right}) {
            const double lo = axis->minimum();
            const double hi = axis->maximum();
            const double d = (hi - lo) * (percent - 100) / 100;
            axis->setMinMax(lo + d, hi - d);
        }
    } catch (...) {
        m_notifying = false;
        emit changed();
        throw;
    }
    m_notifying = false;
    emit changed();
}

ChartAxis* Chart::owned(const ChartAxis& axis)
{
    for (ChartAxis* a : {&m_bottom, &m_left, &m_top, &m_right})
        if (a == &axis)
            return a;
    return nullptr;
}

QList<double> Chart::axisLabels(const ChartAxis& axis)
{
    const double lo = axis.minimum();
    const double hi = axis.maximum();
    ChartAxis* mine = owned(axis);
    if (!onGetNextAxisLabel || !mine)
        return ownLabels(axis);

    QList<double> labels;
    double value = lo;
    for (int index = 0; index < maxLabels; ++index) {
        bool stop = true;
        double next = value;
        onGetNextAxisLabel(*mine, index, next, stop);
        if (stop) {
            if (index == 0)
                return ownLabels(axis); // the hook leaves this axis to the engine
            break;
        }
        // A hook that does not move forward would be asked forever.
        if (!(next > value) || next > hi)
            break;
        if (next >= lo)
            labels.append(next);
        value = next;
    }
    return labels;
}

QList<double> Chart::ownLabels(const ChartAxis& axis) const
{
    QList<double> labels;
    const double lo = axis.minimum();
    const double hi = axis.maximum();
    const double range = hi - lo;
    if (!(range > 0))
        return labels;
    double step = axis.increment();
    if (step <= 0 || range / step > 50) {
        // About ten labels on a step of 1, 2 or 5 times a power of ten, never finer than asked for.
        const double rough = range / 10;
        const double power = std::pow(10.0, std::floor(std::log10(rough)));
        double nice = power;
        for (double f : {1.0, 2.0, 5.0, 10.0}) {
            nice = f * power;
            if (nice >= rough)
                break;
        }
        step = std::max(step, nice);
    }
    double first = axis.roundFirstLabel() ? std::ceil(lo / step) * step : lo;
    for (int i = 0; i < maxLabels; ++i) {
        const double v = first + i * step;
        if (v > hi + range * 1e-12)
            break;
        labels.append(v);
    }
    return labels;
}

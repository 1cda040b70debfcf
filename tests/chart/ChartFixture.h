#pragma once

#include "platform/chart/Chart.h"
#include "platform/core/DateTime.h"

// A chart set up as the scheduling window sets its Gantt view, with three bars on 2024 dates:
// row 1 yellow 2 to 5 May, row 2 blue 4 May 12:00 to 10 May, row 3 green 15 to 20 May.
inline void setUpPlanChart(Chart& chart)
{
    using namespace DateTimeUtil;
    ChartAxis& bottom = chart.bottomAxis();
    bottom.setDateTime(true);
    bottom.setDateTimeFormat(QStringLiteral("yy-mm-dd"));
    bottom.setIncrement(7);
    bottom.setRoundFirstLabel(false);
    bottom.setAutomatic(false);
    bottom.setMaximum(encodeDate(2024, 5, 31));
    bottom.setMinimum(encodeDate(2024, 4, 25));
    ChartAxis& left = chart.leftAxis();
    left.setAutomatic(false);
    left.setMinMax(0, 30);
    left.setInverted(true);
    left.setLabelStyle(ChartAxis::LabelStyle::Text);
    left.setLabelFont(QFont(QStringLiteral("Times New Roman"), 9));
    left.setLabelSeparation(0);
    left.setRoundFirstLabel(false);
    chart.topAxis().setVisible(false);
    GanttSeries& s = chart.series();
    s.setMarksVisible(false);
    s.setTransparency(37);
    s.setBarHalfHeight(8);
    chart.onGetNextAxisLabel = [&chart](ChartAxis& axis, int, double& value, bool& stop) {
        if (&axis != &chart.bottomAxis())
            return;
        int year = 0, month = 0, day = 0;
        decodeDate(value, year, month, day);
        if (++month > 12) {
            month = 1;
            ++year;
        }
        value = encodeDate(year, month, 1);
        stop = false;
    };
    s.add(encodeDate(2024, 5, 2), encodeDate(2024, 5, 5), 1, QStringLiteral("Flight out"), 0x00FFFF);
    s.add(encodeDate(2024, 5, 4) + 0.5, encodeDate(2024, 5, 10), 2, QStringLiteral("Hotel Lisbon"), 0xFF0000);
    s.add(encodeDate(2024, 5, 15), encodeDate(2024, 5, 20), 3, QStringLiteral("Walking tour"), 0x008000);
}

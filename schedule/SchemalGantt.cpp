// The scheduling window's chart: the bottom axis range it starts with and the rebuild from
// the table.

#include "Schemal.h"

void TfmSchemal::setInitialChartRange()
{
    // Maximum first, then minimum: a chart refuses a minimum above the current maximum.
    const DateTime today = DateTimeUtil::today();
    ChartBottomMaximum = today + 30;
    ChartBottomMinimum = today - 30;
}

void TfmSchemal::ChartUpdate(QObject* /*Sender*/)
{
    // Rebuilding the bars from the table comes with the chart component.
}

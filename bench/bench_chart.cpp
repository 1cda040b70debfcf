// Times the Gantt chart painter with many bars and prints milliseconds per paint. No assertions.
//
//   bench_chart [bars] [paints]      (default 10000 bars, 100 paints)

#include "platform/chart/Chart.h"
#include "platform/chart/ChartPainter.h"
#include "platform/core/DateTime.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <cstdlib>

namespace {

// A plan like the window's: one bar per event in start order, row = position, a date axis
// labelled on the first of each month, rows inverted with their names at the left.
void fill(Chart& chart, int bars)
{
    using namespace DateTimeUtil;
    ChartAxis& bottom = chart.bottomAxis();
    bottom.setDateTime(true);
    bottom.setDateTimeFormat(QStringLiteral("yy-mm-dd"));
    bottom.setRoundFirstLabel(false);
    ChartAxis& left = chart.leftAxis();
    left.setInverted(true);
    left.setLabelStyle(ChartAxis::LabelStyle::Text);
    left.setLabelFont(QFont(QStringLiteral("Times New Roman"), 9));
    left.setLabelSeparation(0);
    chart.topAxis().setVisible(false);
    chart.series().setMarksVisible(false);
    chart.series().setTransparency(37);
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
    const double first = encodeDate(2024, 1, 1);
    const quint32 colors[] = {0x00FFFF, 0xFF0000, 0x008000};
    for (int i = 0; i < bars; ++i) {
        const double start = first + i * 0.5 + (i % 4) * 0.125;
        chart.series().add(start, start + 1 + i % 5, i + 1, QStringLiteral("Event %1").arg(i + 1),
                           colors[i % 3]);
    }
}

double msPerPaint(Chart& chart, int paints, int& barsDrawn)
{
    QImage image(1300, 600, QImage::Format_ARGB32_Premultiplied);
    ChartPainter painter(chart);
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < paints; ++i) {
        QPainter p(&image);
        painter.paint(p, QRectF(image.rect()));
    }
    barsDrawn = painter.barsDrawn();
    return double(timer.nsecsElapsed()) / 1e6 / paints;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int bars = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int paints = argc > 2 ? std::atoi(argv[2]) : 100;
    if (bars < 1 || paints < 1) {
        std::fprintf(stderr, "usage: bench_chart [bars] [paints]\n");
        return 2;
    }

    Chart chart;
    fill(chart, bars);
    int drawn = 0;

    // The window's view: 60 days and 30 rows in the middle of the plan.
    const double middle = chart.series().start(bars / 2);
    chart.bottomAxis().setMinMax(middle - 30, middle + 30);
    chart.leftAxis().setMinMax(bars / 2 - 15, bars / 2 + 15);
    const double zoomed = msPerPaint(chart, paints, drawn);
    std::printf("zoomed (60 days, 30 rows) %8.3f ms per paint, %d bars drawn of %d\n", zoomed, drawn, bars);

    // Everything in view: the worst case, every bar and every label drawn.
    chart.bottomAxis().setAutomatic(true);
    chart.leftAxis().setAutomatic(true);
    const double whole = msPerPaint(chart, std::max(1, paints / 10), drawn);
    std::printf("whole plan in view        %8.3f ms per paint, %d bars drawn of %d\n", whole, drawn, bars);
    return 0;
}

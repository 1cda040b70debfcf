#include "ChartFixture.h"
#include "platform/chart/ChartWidget.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QtTest>

using namespace DateTimeUtil;

namespace {

void send(QWidget& w, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons,
          Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QMouseEvent event(type, QPointF(pos), w.mapToGlobal(QPointF(pos)), button, buttons, modifiers);
    QApplication::sendEvent(&w, &event);
}

// Press at one point, move there in a few steps, release.
void drag(QWidget& w, Qt::MouseButton button, QPoint from, QPoint to)
{
    send(w, QEvent::MouseButtonPress, from, button, button);
    for (int step = 1; step <= 4; ++step)
        send(w, QEvent::MouseMove, from + (to - from) * step / 4, Qt::NoButton, button);
    send(w, QEvent::MouseButtonRelease, to, button, Qt::NoButton);
}

} // namespace

class TestChartWidget : public QObject
{
    Q_OBJECT

private slots:
    void clickOnBarEmitsItsIndex_data();
    void clickOnBarEmitsItsIndex();
    void leftDragZoomsToRectangleAndBackDragUndoes();
    void rightDragScrolls();
    void mouseMoveIsTold();
    void paintsTheBars();
};

void TestChartWidget::clickOnBarEmitsItsIndex_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("expected"); // -1: no signal

    QTest::newRow("yellow bar") << encodeDate(2024, 5, 3) << 1.0 << int(Qt::LeftButton) << 0;
    QTest::newRow("blue bar") << encodeDate(2024, 5, 6) << 2.0 << int(Qt::LeftButton) << 1;
    QTest::newRow("green bar, right button") << encodeDate(2024, 5, 18) << 3.0 << int(Qt::RightButton) << 2;
    QTest::newRow("no bar there") << encodeDate(2024, 5, 25) << 3.0 << int(Qt::LeftButton) << -1;
}

void TestChartWidget::clickOnBarEmitsItsIndex()
{
    QFETCH(double, x);
    QFETCH(double, y);
    QFETCH(int, button);
    QFETCH(int, expected);

    Chart chart;
    setUpPlanChart(chart);
    ChartWidget w(&chart);
    w.resize(1000, 500);
    w.show();
    QCOMPARE(w.accessibleName(), QStringLiteral("Chart"));
    const QPoint pos = w.chartPainter().toPixel(x, y).toPoint();
    QSignalSpy clicked(&w, &ChartWidget::seriesClicked);
    const double min = chart.bottomAxis().minimum();
    QTest::mouseClick(&w, Qt::MouseButton(button), Qt::ShiftModifier, pos);
    QCOMPARE(chart.bottomAxis().minimum(), min); // a click is not a zoom
    if (expected < 0) {
        QCOMPARE(clicked.count(), 0);
        return;
    }
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(clicked.at(0).at(0).toInt(), expected);
    QCOMPARE(clicked.at(0).at(1).value<Qt::MouseButton>(), Qt::MouseButton(button));
    QCOMPARE(clicked.at(0).at(2).value<Qt::KeyboardModifiers>(), Qt::KeyboardModifiers(Qt::ShiftModifier));
    QCOMPARE(clicked.at(0).at(3).toPoint(), pos);
}

void TestChartWidget::leftDragZoomsToRectangleAndBackDragUndoes()
{
    Chart chart;
    setUpPlanChart(chart);
    ChartWidget w(&chart);
    w.resize(1000, 500);
    w.show();
    const ChartPainter& painter = w.chartPainter();
    const QPoint from = painter.toPixel(encodeDate(2024, 5, 2), 1).toPoint();
    const QPoint to = painter.toPixel(encodeDate(2024, 5, 12), 6).toPoint();
    const double x1 = painter.xValue(from.x()), x2 = painter.xValue(to.x());
    const double y1 = painter.yValue(from.y()), y2 = painter.yValue(to.y());
    QSignalSpy clicked(&w, &ChartWidget::seriesClicked);

    drag(w, Qt::LeftButton, from, to);
    QCOMPARE(clicked.count(), 0);
    QCOMPARE(chart.bottomAxis().minimum(), x1);
    QCOMPARE(chart.bottomAxis().maximum(), x2);
    QCOMPARE(chart.leftAxis().minimum(), y1);
    QCOMPARE(chart.leftAxis().maximum(), y2);
    QVERIFY(qAbs(x1 - encodeDate(2024, 5, 2)) < 0.05 && qAbs(y2 - 6) < 0.1);

    // A second zoom inside the first, then one drag to the left goes back to before the first.
    drag(w, Qt::LeftButton, QPoint(300, 100), QPoint(600, 300));
    QVERIFY(chart.bottomAxis().maximum() - chart.bottomAxis().minimum() < x2 - x1);
    drag(w, Qt::LeftButton, QPoint(600, 300), QPoint(300, 100));
    QCOMPARE(chart.bottomAxis().minimum(), encodeDate(2024, 4, 25));
    QCOMPARE(chart.bottomAxis().maximum(), encodeDate(2024, 5, 31));
    QCOMPARE(chart.leftAxis().minimum(), 0.0);
    QCOMPARE(chart.leftAxis().maximum(), 30.0);
    QVERIFY(!chart.bottomAxis().automatic());
}

void TestChartWidget::rightDragScrolls()
{
    Chart chart;
    setUpPlanChart(chart);
    chart.leftAxis().setVisible(false); // the plot keeps its place while the rows move
    ChartWidget w(&chart);
    w.resize(1000, 500);
    w.show();
    const QRectF plot = w.chartPainter().plotRect();
    const double dayWidth = plot.width() / 36;
    const double rowHeight = plot.height() / 30;

    // Dragging the picture left by 5 days and up by 3 rows brings later dates and rows into view.
    const QPoint from(600, 300);
    const QPoint to = from - QPoint(qRound(5 * dayWidth), qRound(3 * rowHeight));
    const double dx = (from.x() - to.x()) / dayWidth;
    const double dy = (from.y() - to.y()) / rowHeight;
    QSignalSpy clicked(&w, &ChartWidget::seriesClicked);
    drag(w, Qt::RightButton, from, to);
    QCOMPARE(clicked.count(), 0);
    QVERIFY(qAbs(chart.bottomAxis().minimum() - (encodeDate(2024, 4, 25) + dx)) < 1e-9);
    QVERIFY(qAbs(chart.bottomAxis().maximum() - (encodeDate(2024, 5, 31) + dx)) < 1e-9);
    QVERIFY(qAbs(chart.leftAxis().minimum() - dy) < 1e-9);
    QVERIFY(qAbs(chart.leftAxis().maximum() - (30 + dy)) < 1e-9);
    QVERIFY(dx > 4.9 && dx < 5.1 && dy > 2.8 && dy < 3.2);
}

void TestChartWidget::mouseMoveIsTold()
{
    Chart chart;
    ChartWidget w(&chart);
    w.resize(300, 200);
    QSignalSpy moved(&w, &ChartWidget::mouseMoved);
    send(w, QEvent::MouseMove, QPoint(40, 50), Qt::NoButton, Qt::NoButton, Qt::ControlModifier);
    QCOMPARE(moved.count(), 1);
    QCOMPARE(moved.at(0).at(0).value<Qt::KeyboardModifiers>(), Qt::KeyboardModifiers(Qt::ControlModifier));
    QCOMPARE(moved.at(0).at(1).toPoint(), QPoint(40, 50));
}

void TestChartWidget::paintsTheBars()
{
    Chart chart;
    setUpPlanChart(chart);
    ChartWidget w(&chart);
    w.resize(1000, 500);
    const QImage image = w.grab().toImage();
    const ChartPainter& painter = w.chartPainter();
    const QColor yellow =
        image.pixelColor(painter.toPixel(encodeDate(2024, 5, 3), 1).toPoint() + QPoint(0, 3));
    const QColor blue = image.pixelColor(painter.toPixel(encodeDate(2024, 5, 7), 2).toPoint() + QPoint(0, 3));
    const QColor green =
        image.pixelColor(painter.toPixel(encodeDate(2024, 5, 17), 3).toPoint() + QPoint(0, 3));
    QVERIFY2(yellow.red() > 230 && yellow.green() > 230 && yellow.blue() < 130, qPrintable(yellow.name()));
    QVERIFY2(blue.blue() > 230 && blue.red() < 130 && blue.green() < 130, qPrintable(blue.name()));
    QVERIFY2(green.green() > 150 && green.red() < 130 && green.blue() < 130, qPrintable(green.name()));

    // A change of the model shows on the next paint.
    chart.series().clear();
    const QImage after = w.grab().toImage();
    QCOMPARE(after.pixelColor(painter.toPixel(encodeDate(2024, 5, 3), 1).toPoint() + QPoint(0, 3)),
             QColor(Qt::white));
}

QTEST_MAIN(TestChartWidget)
#include "tst_chartwidget.moc"

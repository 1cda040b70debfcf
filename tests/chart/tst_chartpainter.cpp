#include "ChartFixture.h"
#include "platform/chart/ChartPainter.h"

#include <QImage>
#include <QPainter>
#include <QtTest>

using namespace DateTimeUtil;

class TestChartPainter : public QObject
{
    Q_OBJECT

private slots:
    void mapsValuesToPixels_data();
    void mapsValuesToPixels();
    void invertedAxisPutsRowOneAtTheTop();
    void scalesWithPixelSize();
    void drawsOnlyVisibleBars_data();
    void drawsOnlyVisibleBars();
    void hitTest_data();
    void hitTest();
    void overlappingBarsHitNearestRow();
    void barsShowTheirColours_data();
    void barsShowTheirColours();
    void emptyChartPaints();
};

void TestChartPainter::mapsValuesToPixels_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::addColumn<double>("fx"); // expected part of the plot width from its left edge
    QTest::addColumn<double>("fy"); // expected part of the plot height from its top edge

    QTest::newRow("minimum, top row line") << 0.0 << 0.0 << 0.0 << 0.0;
    QTest::newRow("maximum, bottom") << 100.0 << 30.0 << 1.0 << 1.0;
    QTest::newRow("quarter, row 3") << 25.0 << 3.0 << 0.25 << 0.1;
    QTest::newRow("before the range") << -50.0 << 45.0 << -0.5 << 1.5;
}

void TestChartPainter::mapsValuesToPixels()
{
    QFETCH(double, x);
    QFETCH(double, y);
    QFETCH(double, fx);
    QFETCH(double, fy);

    Chart chart;
    chart.bottomAxis().setMinMax(0, 100);
    chart.leftAxis().setMinMax(0, 30);
    chart.leftAxis().setInverted(true);
    ChartPainter painter(chart);
    painter.setGeometry(QRectF(10, 20, 1000, 600));
    const QRectF plot = painter.plotRect();
    QVERIFY(QRectF(10, 20, 1000, 600).contains(plot));
    QVERIFY(plot.width() > 800 && plot.height() > 450);

    const QPointF p = painter.toPixel(x, y);
    QVERIFY(qAbs(p.x() - (plot.left() + fx * plot.width())) < 1e-9);
    QVERIFY(qAbs(p.y() - (plot.top() + fy * plot.height())) < 1e-9);
    QVERIFY(qAbs(painter.xValue(p.x()) - x) < 1e-9);
    QVERIFY(qAbs(painter.yValue(p.y()) - y) < 1e-9);
}

void TestChartPainter::invertedAxisPutsRowOneAtTheTop()
{
    Chart chart;
    setUpPlanChart(chart);
    ChartPainter painter(chart);
    painter.setGeometry(QRectF(0, 0, 1300, 600));
    const QRectF plot = painter.plotRect();
    const double row = plot.height() / 30;
    QVERIFY(qAbs(painter.toPixel(0, 1).y() - (plot.top() + row)) < 1e-9);
    QVERIFY(painter.toPixel(0, 1).y() < painter.toPixel(0, 2).y());

    // A bar's ends are at its start and end instants, 10:00 included.
    const double start = encodeDate(2024, 5, 1) + encodeTime(10, 0, 0);
    const double end = encodeDate(2024, 5, 3) + encodeTime(18, 30, 0);
    const double dayWidth = plot.width() / (encodeDate(2024, 5, 31) - encodeDate(2024, 4, 25));
    QVERIFY(qAbs(painter.toPixel(start, 1).x() - (plot.left() + (6 + 10.0 / 24) * dayWidth)) < 1e-6);
    QVERIFY(qAbs(painter.toPixel(end, 1).x() - (plot.left() + (8 + 18.5 / 24) * dayWidth)) < 1e-6);

    chart.leftAxis().setInverted(false);
    painter.setGeometry(QRectF(0, 0, 1300, 600));
    QVERIFY(painter.toPixel(0, 1).y() > painter.toPixel(0, 2).y());
}

void TestChartPainter::scalesWithPixelSize()
{
    // The same chart on a page in millimetres (a quarter of a unit per pixel) is the screen
    // picture scaled down.
    Chart chart;
    setUpPlanChart(chart);
    ChartPainter screen(chart);
    screen.setGeometry(QRectF(0, 0, 1000, 600), 1.0);
    ChartPainter page(chart);
    page.setGeometry(QRectF(5, 7, 250, 150), 0.25);
    const QRectF s = screen.plotRect();
    const QRectF p = page.plotRect();
    QVERIFY(qAbs(p.left() - (5 + s.left() / 4)) < 1e-9);
    QVERIFY(qAbs(p.top() - (7 + s.top() / 4)) < 1e-9);
    QVERIFY(qAbs(p.width() - s.width() / 4) < 1e-9);
    QVERIFY(qAbs(p.height() - s.height() / 4) < 1e-9);
    const double x = encodeDate(2024, 5, 15);
    QVERIFY(qAbs(page.toPixel(x, 3).x() - (5 + screen.toPixel(x, 3).x() / 4)) < 1e-9);
    // The bar reaches 8 pixels, 2 units, above its row line.
    const QPointF row3 = page.toPixel(encodeDate(2024, 5, 17), 3);
    QCOMPARE(page.pointAt(row3 + QPointF(0, -1.9)), 2);
    QCOMPARE(page.pointAt(row3 + QPointF(0, -2.1)), -1);
}

void TestChartPainter::drawsOnlyVisibleBars_data()
{
    QTest::addColumn<double>("lo");
    QTest::addColumn<double>("hi");
    QTest::addColumn<double>("rowLo");
    QTest::addColumn<double>("rowHi");
    QTest::addColumn<int>("expected");

    // Bar i runs from i to i + 1 on row i + 1.
    QTest::newRow("ten days, every row") << 100.5 << 110.5 << 0.0 << 2000.0 << 11;
    QTest::newRow("ten days, rows out of view") << 100.5 << 110.5 << 500.0 << 600.0 << 0;
    QTest::newRow("rows limit") << 0.0 << 1000.0 << 0.0 << 20.0 << 20;
    QTest::newRow("before every bar") << -50.0 << -10.0 << 0.0 << 2000.0 << 0;
    QTest::newRow("after every bar") << 1500.0 << 1600.0 << 0.0 << 2000.0 << 0;
}

void TestChartPainter::drawsOnlyVisibleBars()
{
    QFETCH(double, lo);
    QFETCH(double, hi);
    QFETCH(double, rowLo);
    QFETCH(double, rowHi);
    QFETCH(int, expected);

    Chart chart;
    for (int i = 0; i < 1000; ++i)
        chart.series().add(i, i + 1, i + 1, QString::number(i), 0x00FFFF);
    chart.bottomAxis().setMinMax(lo, hi);
    chart.leftAxis().setMinMax(rowLo, rowHi);
    chart.leftAxis().setInverted(true);
    QImage image(800, 400, QImage::Format_RGB32);
    QPainter p(&image);
    ChartPainter painter(chart);
    painter.paint(p, QRectF(image.rect()));
    // Bars 8 pixels high reach 8 pixels past the row range, so near a row edge one more may show.
    QVERIFY2(painter.barsDrawn() >= expected && painter.barsDrawn() <= expected + 1,
             qPrintable(QString::number(painter.barsDrawn())));
}

void TestChartPainter::hitTest_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::addColumn<int>("expected");

    QTest::newRow("middle of the yellow bar") << encodeDate(2024, 5, 3) + 0.5 << 1.0 << 0;
    QTest::newRow("blue bar, off its row line") << encodeDate(2024, 5, 8) << 2.2 << 1;
    QTest::newRow("green bar at its end") << encodeDate(2024, 5, 20) - 0.01 << 3.0 << 2;
    QTest::newRow("after the green bar") << encodeDate(2024, 5, 21) << 3.0 << -1;
    QTest::newRow("empty row") << encodeDate(2024, 5, 3) << 10.0 << -1;
    QTest::newRow("before every bar") << encodeDate(2024, 4, 26) << 1.0 << -1;
}

void TestChartPainter::hitTest()
{
    QFETCH(double, x);
    QFETCH(double, y);
    QFETCH(int, expected);

    Chart chart;
    setUpPlanChart(chart);
    ChartPainter painter(chart);
    painter.setGeometry(QRectF(0, 0, 1300, 600));
    QCOMPARE(painter.pointAt(painter.toPixel(x, y)), expected);
    QCOMPARE(painter.pointAt(QPointF(-5, -5)), -1);
}

void TestChartPainter::overlappingBarsHitNearestRow()
{
    // With 300 rows in view the 16-pixel bars overlap; a click goes to the row nearest to it.
    Chart chart;
    for (int i = 0; i < 300; ++i)
        chart.series().add(10, 20, i + 1, QString(), 0);
    chart.bottomAxis().setMinMax(0, 30);
    chart.leftAxis().setMinMax(0, 301);
    chart.leftAxis().setInverted(true);
    ChartPainter painter(chart);
    painter.setGeometry(QRectF(0, 0, 800, 600));
    for (int row : {1, 150, 299})
        QCOMPARE(painter.pointAt(painter.toPixel(15, row)), row - 1);
}

void TestChartPainter::barsShowTheirColours_data()
{
    QTest::addColumn<QDate>("day");
    QTest::addColumn<int>("row");
    QTest::addColumn<QColor>("expected");

    // 37 % transparent on white: each channel is 0.63 of its own plus 0.37 of 255.
    QTest::newRow("yellow, planned") << QDate(2024, 5, 3) << 1 << QColor(255, 255, 94);
    QTest::newRow("blue, booked") << QDate(2024, 5, 7) << 2 << QColor(94, 94, 255);
    QTest::newRow("green, paid") << QDate(2024, 5, 17) << 3 << QColor(94, 175, 94);
    QTest::newRow("white where no bar is") << QDate(2024, 5, 25) << 2 << QColor(255, 255, 255);
}

void TestChartPainter::barsShowTheirColours()
{
    QFETCH(QDate, day);
    QFETCH(int, row);
    QFETCH(QColor, expected);

    Chart chart;
    setUpPlanChart(chart);
    QImage image(1300, 600, QImage::Format_RGB32);
    image.fill(Qt::black);
    {
        QPainter p(&image);
        ChartPainter painter(chart);
        painter.paint(p, QRectF(image.rect()));
        QCOMPARE(painter.barsDrawn(), 3);
        // The sample is taken a few pixels below the row line, off the row's grid line.
        const QPointF at = painter.toPixel(fromQDate(day) + 0.3, row) + QPointF(0, 3);
        const QColor got = image.pixelColor(at.toPoint());
        QVERIFY2(qAbs(got.red() - expected.red()) <= 2 && qAbs(got.green() - expected.green()) <= 2 &&
                     qAbs(got.blue() - expected.blue()) <= 2,
                 qPrintable(got.name()));
    }
    const QByteArray out = qgetenv("FERNGROVE_CHART_PNG");
    if (!out.isEmpty())
        image.save(QString::fromLocal8Bit(out));
}

void TestChartPainter::emptyChartPaints()
{
    // No bars, automatic axes with nothing to follow, a zero-size target: nothing breaks.
    Chart chart;
    ChartPainter painter(chart);
    QImage image(200, 100, QImage::Format_RGB32);
    QPainter p(&image);
    painter.paint(p, QRectF(image.rect()));
    QCOMPARE(painter.barsDrawn(), 0);
    QCOMPARE(image.pixelColor(100, 50), QColor(Qt::white));
    painter.paint(p, QRectF(0, 0, 0, 0));
    QCOMPARE(painter.pointAt(QPointF(0, 0)), -1);
}

QTEST_MAIN(TestChartPainter)
#include "tst_chartpainter.moc"

#include "platform/chart/Chart.h"
#include "platform/core/DateTime.h"
#include "platform/core/Exception.h"

#include <QSignalSpy>
#include <QtTest>

#include <cmath>

using namespace DateTimeUtil;

namespace {

// The scheduling window's label rule for the bottom axis: the first day of the month after the
// previous label. Other axes are left to the engine (stop stays true).
void firstOfNextMonth(Chart& chart, ChartAxis& axis, double& labelValue, bool& stop)
{
    if (&axis != &chart.bottomAxis())
        return;
    int year = 0, month = 0, day = 0;
    decodeDate(labelValue, year, month, day);
    day = 1;
    month = month + 1;
    if (month > 12) {
        month = 1;
        year = year + 1;
    }
    labelValue = encodeDate(year, month, day);
    stop = false;
}

} // namespace

class TestChartModel : public QObject
{
    Q_OBJECT

private slots:
    void setMinimumAboveMaximumIsRefused_data();
    void setMinimumAboveMaximumIsRefused();
    void maximumFirstThenMinimumWorks();
    void nonFiniteValuesAreRefused();
    void setMinMax_data();
    void setMinMax();
    void automaticRangeFollowsSeries();
    void switchingAutomaticOffKeepsRange();
    void zoomPercent_data();
    void zoomPercent();
    void zoomWorksOnAllFourAxesAndTellsOnce();
    void hookLabels_data();
    void hookLabels();
    void hookThatDoesNotAdvanceTerminates_data();
    void hookThatDoesNotAdvanceTerminates();
    void hookLeavingStopKeepsOwnLabels();
    void ownLabels_data();
    void ownLabels();
    void pointsStayOrderedByStart();
    void addRefusesNonFiniteValues();
    void candidatesCoverEveryVisibleBar_data();
    void candidatesCoverEveryVisibleBar();
    void seriesChangesAreTold();
    void colorRefs_data();
    void colorRefs();
};

void TestChartModel::setMinimumAboveMaximumIsRefused_data()
{
    QTest::addColumn<double>("maximum");
    QTest::addColumn<double>("minimum");
    QTest::addColumn<bool>("refused");

    QTest::newRow("above") << 0.0 << 45000.0 << true;
    QTest::newRow("just above") << 10.0 << 10.000001 << true;
    QTest::newRow("equal is allowed") << 10.0 << 10.0 << false;
    QTest::newRow("below") << 10.0 << -5.0 << false;
}

void TestChartModel::setMinimumAboveMaximumIsRefused()
{
    QFETCH(double, maximum);
    QFETCH(double, minimum);
    QFETCH(bool, refused);

    Chart chart;
    ChartAxis& axis = chart.bottomAxis();
    axis.setAutomatic(false);
    axis.setMinMax(-100, maximum);
    bool threw = false;
    try {
        axis.setMinimum(minimum);
    } catch (const Exception& e) {
        threw = true;
        QCOMPARE(e.message(), QStringLiteral("Axis minimum must be less than or equal to its maximum"));
    }
    QCOMPARE(threw, refused);
    QCOMPARE(axis.minimum(), refused ? -100.0 : minimum);
    QCOMPARE(axis.maximum(), maximum);
}

void TestChartModel::maximumFirstThenMinimumWorks()
{
    // The window's initial range on a fresh axis: maximum first, then minimum.
    const double today = encodeDate(2024, 5, 10);
    Chart chart;
    ChartAxis& axis = chart.bottomAxis();
    axis.setAutomatic(false);
    axis.setMaximum(today + 30);
    axis.setMinimum(today - 30);
    QCOMPARE(axis.minimum(), today - 30);
    QCOMPARE(axis.maximum(), today + 30);
    QVERIFY(!axis.automatic());

    // The other order on the same fresh axis is refused, and so is a maximum below the minimum.
    Chart other;
    other.bottomAxis().setAutomatic(false);
    QVERIFY_THROWS_EXCEPTION(Exception, other.bottomAxis().setMinimum(today - 30));
    QVERIFY_THROWS_EXCEPTION(Exception, axis.setMaximum(today - 31));
    QCOMPARE(axis.maximum(), today + 30);
}

void TestChartModel::nonFiniteValuesAreRefused()
{
    Chart chart;
    ChartAxis& axis = chart.leftAxis();
    axis.setMinMax(0, 30);
    QVERIFY_THROWS_EXCEPTION(Exception, axis.setMinMax(qQNaN(), 5));
    QVERIFY_THROWS_EXCEPTION(Exception, axis.setMinMax(0, qInf()));
    QVERIFY_THROWS_EXCEPTION(Exception, axis.setMinimum(qQNaN()));
    QVERIFY_THROWS_EXCEPTION(Exception, axis.setMaximum(qQNaN()));
    QCOMPARE(axis.minimum(), 0.0);
    QCOMPARE(axis.maximum(), 30.0);
}

void TestChartModel::setMinMax_data()
{
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<double>("minimum");
    QTest::addColumn<double>("maximum");

    QTest::newRow("in order") << 10.0 << 20.0 << 10.0 << 20.0;
    QTest::newRow("reversed pair is swapped") << 20.0 << 10.0 << 10.0 << 20.0;
    QTest::newRow("negative") << -3.5 << -7.25 << -7.25 << -3.5;
    QTest::newRow("empty range widened") << 5.0 << 5.0 << 5.0 << 5.0 + ChartAxis::smallestRange;
    QTest::newRow("too narrow widened") << 5.0 << 5.0 + 1e-12 << 5.0 << 5.0 + ChartAxis::smallestRange;
    QTest::newRow("reversed and narrow") << 1.0 + 1e-12 << 1.0 << 1.0 << 1.0 + ChartAxis::smallestRange;
}

void TestChartModel::setMinMax()
{
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(double, minimum);
    QFETCH(double, maximum);

    Chart chart;
    chart.series().add(0, 100, 1, QStringLiteral("x"), 0);
    ChartAxis& axis = chart.bottomAxis();
    QVERIFY(axis.automatic());
    QSignalSpy changed(&chart, &Chart::changed);
    axis.setMinMax(a, b);
    QVERIFY(!axis.automatic());
    QVERIFY(!axis.automaticMinimum());
    QVERIFY(!axis.automaticMaximum());
    QCOMPARE(axis.minimum(), minimum);
    QCOMPARE(axis.maximum(), maximum);
    QVERIFY(axis.maximum() - axis.minimum() >= ChartAxis::smallestRange);
    QCOMPARE(changed.count(), 1);
}

void TestChartModel::automaticRangeFollowsSeries()
{
    Chart chart;
    GanttSeries& s = chart.series();
    s.add(100.25, 103.5, 2, QStringLiteral("b"), 0);
    s.add(90.0, 95.0, 1, QStringLiteral("a"), 0);
    s.add(120.0, 110.0, 3, QStringLiteral("end before start"), 0);
    // Bottom: earliest to latest of all bar values; left: the rows with half a row of room.
    QCOMPARE(chart.bottomAxis().minimum(), 90.0);
    QCOMPARE(chart.bottomAxis().maximum(), 120.0);
    QCOMPARE(chart.leftAxis().minimum(), 0.5);
    QCOMPARE(chart.leftAxis().maximum(), 3.5);

    // A single instant still gets a range.
    Chart one;
    one.series().add(50, 50, 1, QStringLiteral("x"), 0);
    QVERIFY(one.bottomAxis().maximum() - one.bottomAxis().minimum() > 0);
    QVERIFY(one.bottomAxis().minimum() <= 50 && one.bottomAxis().maximum() >= 50);
}

void TestChartModel::switchingAutomaticOffKeepsRange()
{
    Chart chart;
    chart.series().add(10, 20, 1, QStringLiteral("a"), 0);
    chart.bottomAxis().setAutomatic(false);
    chart.series().add(0, 40, 2, QStringLiteral("b"), 0);
    QCOMPARE(chart.bottomAxis().minimum(), 10.0);
    QCOMPARE(chart.bottomAxis().maximum(), 20.0);
    chart.bottomAxis().setAutomatic(true);
    QCOMPARE(chart.bottomAxis().minimum(), 0.0);
    QCOMPARE(chart.bottomAxis().maximum(), 40.0);
}

void TestChartModel::zoomPercent_data()
{
    QTest::addColumn<double>("lo");
    QTest::addColumn<double>("hi");
    QTest::addColumn<QList<double>>("percents");
    QTest::addColumn<double>("expectedLo");
    QTest::addColumn<double>("expectedHi");

    QTest::newRow("zoom in keeps the middle 36 of 60") << 0.0 << 60.0 << QList<double>{120} << 12.0 << 48.0;
    QTest::newRow("zoom out widens 60 to 84") << 0.0 << 60.0 << QList<double>{80} << -12.0 << 72.0;
    QTest::newRow("in then out leaves 0.84") << 0.0 << 60.0 << QList<double>{120, 80} << 4.8 << 55.2;
    QTest::newRow("100 changes nothing") << 3.0 << 9.0 << QList<double>{100} << 3.0 << 9.0;
    QTest::newRow("dates around today") << 45396.0 << 45456.0 << QList<double>{120} << 45408.0 << 45444.0;
}

void TestChartModel::zoomPercent()
{
    QFETCH(double, lo);
    QFETCH(double, hi);
    QFETCH(QList<double>, percents);
    QFETCH(double, expectedLo);
    QFETCH(double, expectedHi);

    Chart chart;
    chart.bottomAxis().setMinMax(lo, hi);
    for (double p : percents)
        chart.zoomPercent(p);
    QVERIFY(qAbs(chart.bottomAxis().minimum() - expectedLo) < 1e-9);
    QVERIFY(qAbs(chart.bottomAxis().maximum() - expectedHi) < 1e-9);
}

void TestChartModel::zoomWorksOnAllFourAxesAndTellsOnce()
{
    Chart chart;
    chart.bottomAxis().setMinMax(0, 60);
    chart.leftAxis().setMinMax(0, 30);
    chart.topAxis().setMinMax(100, 200);
    chart.rightAxis().setMinMax(-10, 10);
    QSignalSpy changed(&chart, &Chart::changed);
    chart.zoomPercent(120);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(chart.bottomAxis().minimum(), 12.0);
    QCOMPARE(chart.bottomAxis().maximum(), 48.0);
    QCOMPARE(chart.leftAxis().minimum(), 6.0);
    QCOMPARE(chart.leftAxis().maximum(), 24.0);
    QCOMPARE(chart.topAxis().minimum(), 120.0);
    QCOMPARE(chart.topAxis().maximum(), 180.0);
    QCOMPARE(chart.rightAxis().minimum(), -6.0);
    QCOMPARE(chart.rightAxis().maximum(), 6.0);
}

void TestChartModel::hookLabels_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QList<QDate>>("labels");

    QTest::newRow("15 April to 14 June")
        << QDate(2024, 4, 15) << QDate(2024, 6, 14) << QList<QDate>{QDate(2024, 5, 1), QDate(2024, 6, 1)};
    QTest::newRow("3 to 20 March: none") << QDate(2024, 3, 3) << QDate(2024, 3, 20) << QList<QDate>{};
    QTest::newRow("minimum on a first gets no label there")
        << QDate(2024, 3, 1) << QDate(2024, 4, 30) << QList<QDate>{QDate(2024, 4, 1)};
    QTest::newRow("maximum on a first gets one")
        << QDate(2024, 3, 10) << QDate(2024, 4, 1) << QList<QDate>{QDate(2024, 4, 1)};
    QTest::newRow("over the new year")
        << QDate(2024, 11, 20) << QDate(2025, 2, 2)
        << QList<QDate>{QDate(2024, 12, 1), QDate(2025, 1, 1), QDate(2025, 2, 1)};
}

void TestChartModel::hookLabels()
{
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QList<QDate>, labels);

    Chart chart;
    QList<int> indexes;
    chart.onGetNextAxisLabel = [&](ChartAxis& axis, int labelIndex, double& value, bool& stop) {
        indexes.append(labelIndex);
        firstOfNextMonth(chart, axis, value, stop);
    };
    chart.bottomAxis().setMinMax(fromQDate(from) + 0.25, fromQDate(to) + 0.0);
    if (from.day() == 1)
        chart.bottomAxis().setMinMax(fromQDate(from), fromQDate(to));
    QList<QDate> got;
    for (double v : chart.axisLabels(chart.bottomAxis()))
        got.append(toQDate(v));
    QCOMPARE(got, labels);
    // The running index counts from 0.
    QVERIFY(!indexes.isEmpty());
    for (int i = 0; i < indexes.size(); ++i)
        QCOMPARE(indexes.at(i), i);
}

void TestChartModel::hookThatDoesNotAdvanceTerminates_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("expectedCount");

    QTest::newRow("returns its input") << 0 << 0;
    QTest::newRow("goes backwards") << 1 << 0;
    QTest::newRow("creeps forward") << 2 << Chart::maxLabels;
    QTest::newRow("gives NaN") << 3 << 0;
}

void TestChartModel::hookThatDoesNotAdvanceTerminates()
{
    QFETCH(int, kind);
    QFETCH(int, expectedCount);

    Chart chart;
    int calls = 0;
    chart.onGetNextAxisLabel = [&](ChartAxis&, int, double& value, bool& stop) {
        ++calls;
        stop = false;
        if (kind == 1)
            value -= 1;
        else if (kind == 2)
            value += 1e-9;
        else if (kind == 3)
            value = qQNaN();
    };
    chart.bottomAxis().setMinMax(0, 1);
    QCOMPARE(chart.axisLabels(chart.bottomAxis()).size(), expectedCount);
    QVERIFY(calls <= Chart::maxLabels);
}

void TestChartModel::hookLeavingStopKeepsOwnLabels()
{
    Chart chart;
    chart.onGetNextAxisLabel = [&](ChartAxis& axis, int, double& value, bool& stop) {
        firstOfNextMonth(chart, axis, value, stop);
    };
    chart.leftAxis().setMinMax(0, 30);
    chart.leftAxis().setIncrement(10);
    QCOMPARE(chart.axisLabels(chart.leftAxis()), (QList<double>{0, 10, 20, 30}));
}

void TestChartModel::ownLabels_data()
{
    QTest::addColumn<double>("lo");
    QTest::addColumn<double>("hi");
    QTest::addColumn<double>("increment");
    QTest::addColumn<bool>("round");
    QTest::addColumn<QList<double>>("labels");

    QTest::newRow("weekly, first not rounded")
        << 100.5 << 122.0 << 7.0 << false << QList<double>{100.5, 107.5, 114.5, 121.5};
    QTest::newRow("weekly, first rounded") << 100.5 << 122.0 << 7.0 << true << QList<double>{105, 112, 119};
    QTest::newRow("chosen step of 5")
        << 0.0 << 30.0 << 0.0 << true << QList<double>{0, 5, 10, 15, 20, 25, 30};
    QTest::newRow("step too fine is widened")
        << 0.0 << 1000.0 << 1.0 << true
        << QList<double>{0, 100, 200, 300, 400, 500, 600, 700, 800, 900, 1000};
}

void TestChartModel::ownLabels()
{
    QFETCH(double, lo);
    QFETCH(double, hi);
    QFETCH(double, increment);
    QFETCH(bool, round);
    QFETCH(QList<double>, labels);

    Chart chart;
    ChartAxis& axis = chart.bottomAxis();
    axis.setMinMax(lo, hi);
    axis.setIncrement(increment);
    axis.setRoundFirstLabel(round);
    QCOMPARE(chart.axisLabels(axis), labels);
}

void TestChartModel::pointsStayOrderedByStart()
{
    Chart chart;
    GanttSeries& s = chart.series();
    s.setMarksVisible(false);
    QCOMPARE(s.add(5, 6, 1, QStringLiteral("five a"), 0), 0);
    QCOMPARE(s.add(3, 4, 2, QStringLiteral("three a"), 0), 0);
    QCOMPARE(s.add(5, 7, 3, QStringLiteral("five b"), 0), 2);
    QCOMPARE(s.add(1, 2, 4, QStringLiteral("one"), 0), 0);
    QCOMPARE(s.add(3, 3.5, 5, QStringLiteral("three b"), 0x008000), 2);
    QCOMPARE(s.add(9, 1, 6, QStringLiteral("nine, ends before"), 0), 5);

    const QStringList expected{QStringLiteral("one"),     QStringLiteral("three a"),
                               QStringLiteral("three b"), QStringLiteral("five a"),
                               QStringLiteral("five b"),  QStringLiteral("nine, ends before")};
    QCOMPARE(s.count(), int(expected.size()));
    for (int i = 0; i < s.count(); ++i)
        QCOMPARE(s.label(i), expected.at(i));
    QCOMPARE(s.start(2), 3.0);
    QCOMPARE(s.end(2), 3.5);
    QCOMPARE(s.y(2), 5.0);
    QCOMPARE(s.color(2), quint32(0x008000));
    QCOMPARE(s.end(5), 1.0); // kept as given

    s.clear();
    QCOMPARE(s.count(), 0);
    QCOMPARE(s.add(2, 3, 1, QStringLiteral("after clear"), 0), 0);
}

void TestChartModel::addRefusesNonFiniteValues()
{
    Chart chart;
    GanttSeries& s = chart.series();
    QVERIFY_THROWS_EXCEPTION(Exception, s.add(qQNaN(), 1, 1, QString(), 0));
    QVERIFY_THROWS_EXCEPTION(Exception, s.add(0, qInf(), 1, QString(), 0));
    QVERIFY_THROWS_EXCEPTION(Exception, s.add(0, 1, qQNaN(), QString(), 0));
    QCOMPARE(s.count(), 0);
}

void TestChartModel::candidatesCoverEveryVisibleBar_data()
{
    QTest::addColumn<double>("lo");
    QTest::addColumn<double>("hi");
    QTest::addColumn<bool>("longBars");

    for (bool longBars : {false, true}) {
        const char* tag = longBars ? ", with long bars" : "";
        QTest::addRow("early%s", tag) << 0.0 << 10.0 << longBars;
        QTest::addRow("middle%s", tag) << 500.0 << 520.0 << longBars;
        QTest::addRow("late%s", tag) << 990.0 << 2000.0 << longBars;
        QTest::addRow("before all%s", tag) << -100.0 << -50.0 << longBars;
        QTest::addRow("a point%s", tag) << 700.0 << 700.0 << longBars;
    }
}

void TestChartModel::candidatesCoverEveryVisibleBar()
{
    QFETCH(double, lo);
    QFETCH(double, hi);
    QFETCH(bool, longBars);

    // Bars two days long; optionally one long bar and one whose end lies before its start.
    Chart chart;
    GanttSeries& s = chart.series();
    for (int i = 0; i < 1000; ++i)
        s.add(i, i + 2, i + 1, QString(), 0);
    if (longBars) {
        s.add(200, 600, 1, QStringLiteral("long"), 0);
        s.add(900, 690, 1, QStringLiteral("backwards"), 0);
    }

    const auto [first, last] = s.candidatesIn(lo, hi);
    int visible = 0;
    for (int i = 0; i < s.count(); ++i) {
        const bool reaches = std::fmin(s.start(i), s.end(i)) <= hi && std::fmax(s.start(i), s.end(i)) >= lo;
        if (reaches) {
            ++visible;
            QVERIFY2(i >= first && i < last, qPrintable(QStringLiteral("bar %1 missed").arg(i)));
        }
    }
    // With bars of one length the slice is exactly the bars in view.
    if (!longBars)
        QCOMPARE(last - first, visible);
}

void TestChartModel::seriesChangesAreTold()
{
    Chart chart;
    QSignalSpy changed(&chart, &Chart::changed);
    chart.series().add(1, 2, 1, QStringLiteral("a"), 0);
    chart.series().clear();
    chart.leftAxis().setInverted(true);
    QCOMPARE(changed.count(), 3);
}

void TestChartModel::colorRefs_data()
{
    QTest::addColumn<quint32>("colorRef");
    QTest::addColumn<QColor>("color");

    QTest::newRow("yellow") << quint32(0x00FFFF) << QColor(255, 255, 0);
    QTest::newRow("blue") << quint32(0xFF0000) << QColor(0, 0, 255);
    QTest::newRow("green") << quint32(0x008000) << QColor(0, 128, 0);
    QTest::newRow("red") << quint32(0x0000FF) << QColor(255, 0, 0);
    QTest::newRow("mixed") << quint32(0x123456) << QColor(0x56, 0x34, 0x12);
}

void TestChartModel::colorRefs()
{
    QFETCH(quint32, colorRef);
    QFETCH(QColor, color);
    QCOMPARE(fromColorRef(colorRef), color);
}

QTEST_GUILESS_MAIN(TestChartModel)
#include "tst_chartmodel.moc"

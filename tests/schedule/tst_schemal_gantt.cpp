// The scheduling window's chart: its settings, the bars built from the table, the pan and zoom
// buttons, the monthly date labels of the bottom axis and the graphics panel.

#include "tst_schemal_fixture.h"

#include "platform/chart/Chart.h"
#include "platform/chart/ChartWidget.h"
#include "platform/ui/TestMain.h"

#include <QLabel>
#include <QToolButton>

namespace {

using F = SchemalFixture;

ChartAxis& bottomOf(TfmSchemal* w)
{
    return w->Chart1->chart()->bottomAxis();
}

ChartAxis& leftOf(TfmSchemal* w)
{
    return w->Chart1->chart()->leftAxis();
}

QStringList barLabels(const GanttSeries& s)
{
    QStringList out;
    for (int i = 0; i < s.count(); ++i)
        out << s.label(i);
    return out;
}

QToolButton* button(TfmSchemal* w, const QString& name)
{
    return w->pnlGrafik->findChild<QToolButton*>(name);
}

void press(QToolButton* b)
{
    QVERIFY(b);
    QTest::mouseClick(b, Qt::LeftButton);
}

} // namespace

class TestSchemalGantt : public QObject
{
    Q_OBJECT
private slots:
    void chartCarriesItsDesignSettings();
    void anEmptyProjectLeavesTheChartEmpty();
    void barColoursTellBookedAndPaid_data();
    void barColoursTellBookedAndPaid();
    void barsRunFromStartInstantToEndInstant_data();
    void barsRunFromStartInstantToEndInstant();
    void rowsFollowTheStartOrderAndEqualStartsTheIndexOrder();
    void anEventWithoutStartDateIsDrawnAtDayZero();
    void rebuildReturnsToTheCurrentEventAndIndex();
    void savingAnEventOutsideTheRangeAddsItsBarAndKeepsTheRange();
    void deletingAnEventRemovesItsBar();
    void panButtonsMoveTheDateRangeByATenth_data();
    void panButtonsMoveTheDateRangeByATenth();
    void threePanDownPressesBringRowsNineToThirtyNineIntoView();
    void zoomButtonsCutOrAddAFifthAtEachEnd_data();
    void zoomButtonsCutOrAddAFifthAtEachEnd();
    void zoomInThenOutLeavesFourFifthsOfTheRange();
    void bottomLabelsFallOnTheFirstOfEachMonth_data();
    void bottomLabelsFallOnTheFirstOfEachMonth();
    void otherAxesKeepTheirOwnLabels();
    void graphicsPanelHoldsSixNamedButtons_data();
    void graphicsPanelHoldsSixNamedButtons();
};

void TestSchemalGantt::chartCarriesItsDesignSettings()
{
    F f;
    f.createProject();
    TfmSchemal* w = f.open();
    Chart* chart = w->Chart1->chart();

    QCOMPARE(w->Series1, &chart->series());
    const ChartAxis& bottom = chart->bottomAxis();
    QVERIFY(bottom.dateTime());
    QCOMPARE(bottom.dateTimeFormat(), QStringLiteral("yy-mm-dd"));
    QCOMPARE(bottom.increment(), 7.0);
    QVERIFY(!bottom.roundFirstLabel());
    QVERIFY(!bottom.automaticMinimum());
    QVERIFY(!bottom.automaticMaximum());

    const ChartAxis& left = chart->leftAxis();
    QVERIFY(!left.automaticMinimum());
    QVERIFY(!left.automaticMaximum());
    QCOMPARE(left.minimum(), 0.0);
    QCOMPARE(left.maximum(), 30.0);
    QVERIFY(left.inverted());
    QCOMPARE(left.labelStyle(), ChartAxis::LabelStyle::Text);
    QCOMPARE(left.labelFont().family(), QStringLiteral("Times New Roman"));
    QCOMPARE(left.labelFont().pointSize(), 9);
    QCOMPARE(left.labelSeparation(), 0);
    QVERIFY(!left.roundFirstLabel());

    QVERIFY(!chart->topAxis().visible());
    QVERIFY(chart->rightAxis().visible());

    QVERIFY(!w->Series1->marksVisible());
    QCOMPARE(w->Series1->transparency(), 37);
    QCOMPARE(w->Series1->barHalfHeight(), 8);
}

void TestSchemalGantt::anEmptyProjectLeavesTheChartEmpty()
{
    F f;
    f.createProject();
    TfmSchemal* w = f.open();
    QCOMPARE(w->Series1->count(), 0);
    // The range stays the one creation set; nothing follows an empty series.
    QCOMPARE(bottomOf(w).minimum(), F::today() - 30);
    QCOMPARE(bottomOf(w).maximum(), F::today() + 30);
}

void TestSchemalGantt::barColoursTellBookedAndPaid_data()
{
    QTest::addColumn<bool>("booked");
    QTest::addColumn<bool>("paid");
    QTest::addColumn<quint32>("colour");
    QTest::newRow("neither: yellow") << false << false << quint32(0x00FFFF);
    QTest::newRow("booked: blue") << true << false << quint32(0xFF0000);
    QTest::newRow("paid: green") << false << true << quint32(0x008000);
    QTest::newRow("booked and paid: green") << true << true << quint32(0x008000);
}

void TestSchemalGantt::barColoursTellBookedAndPaid()
{
    QFETCH(bool, booked);
    QFETCH(bool, paid);
    QFETCH(quint32, colour);
    F f;
    f.createProject();
    f.addEvent(QStringLiteral("Hotel"), F::day(5, 20) + F::at(15, 0), F::day(5, 22) + F::at(11, 0), QString(),
               booked, paid);
    TfmSchemal* w = f.open();

    QCOMPARE(w->Series1->count(), 1);
    QCOMPARE(w->Series1->color(0), colour);
    QCOMPARE(w->Series1->y(0), 1.0);
    QCOMPARE(w->Series1->label(0), QStringLiteral("Hotel"));
}

void TestSchemalGantt::barsRunFromStartInstantToEndInstant_data()
{
    QTest::addColumn<DateTime>("start");
    QTest::addColumn<DateTime>("end");
    QTest::newRow("1 May 10:00 to 3 May 18:30")
        << F::day(5, 1) + F::at(10, 0) << F::day(5, 3) + F::at(18, 30);
    QTest::newRow("end before start is kept") << F::day(5, 9) + F::at(12, 0) << F::day(5, 7) + F::at(9, 45);
    QTest::newRow("within one hour") << F::day(5, 15) + F::at(8, 0) << F::day(5, 15) + F::at(8, 30);
}

void TestSchemalGantt::barsRunFromStartInstantToEndInstant()
{
    QFETCH(DateTime, start);
    QFETCH(DateTime, end);
    F f;
    f.createProject();
    f.addEvent(QStringLiteral("Trip"), start, end);
    TfmSchemal* w = f.open();

    QCOMPARE(w->Series1->count(), 1);
    QCOMPARE(w->Series1->start(0), start);
    QCOMPARE(w->Series1->end(0), end);
}

void TestSchemalGantt::rowsFollowTheStartOrderAndEqualStartsTheIndexOrder()
{
    F f;
    f.createProject();
    // Stored out of start order; the three at 09:00 on 10 May tie on the Start index and keep
    // the order they were stored in, which is not the order of their names.
    f.addEvent(QStringLiteral("Late"), F::day(5, 30) + F::at(7, 0), F::day(5, 30) + F::at(8, 0));
    f.addEvent(QStringLiteral("Charlie"), F::day(5, 10) + F::at(9, 0), F::day(5, 10) + F::at(10, 0));
    f.addEvent(QStringLiteral("Alpha"), F::day(5, 10) + F::at(9, 0), F::day(5, 11) + F::at(10, 0));
    f.addEvent(QStringLiteral("Bravo"), F::day(5, 10) + F::at(9, 0), F::day(5, 12) + F::at(10, 0));
    f.addEvent(QStringLiteral("Early"), F::day(5, 2) + F::at(23, 0), F::day(5, 3) + F::at(1, 0));
    TfmSchemal* w = f.open();

    QCOMPARE(barLabels(*w->Series1), (QStringList{"Early", "Charlie", "Alpha", "Bravo", "Late"}));
    for (int i = 0; i < w->Series1->count(); ++i)
        QCOMPARE(w->Series1->y(i), double(i + 1));
    QCOMPARE(w->Series1->end(2), F::day(5, 11) + F::at(10, 0)); // each bar carries its own event
}

void TestSchemalGantt::anEventWithoutStartDateIsDrawnAtDayZero()
{
    F f;
    f.createProject();
    {
        Table t;
        t.setDatabaseName(f.folder());
        t.setTableName(ProjectFile);
        t.open();
        t.append();
        t.fieldByName(QStringLiteral("Event")).setAsString(QStringLiteral("Undated"));
        t.post();
        t.close();
    }
    TfmSchemal* w = f.open();

    // Start date empty, Start time 00:00:00; End date empty, End time 23:59:59.
    QCOMPARE(w->Series1->count(), 1);
    QCOMPARE(w->Series1->start(0), 0.0);
    QCOMPARE(w->Series1->end(0), DateTimeUtil::encodeTime(23, 59, 59));
}

void TestSchemalGantt::rebuildReturnsToTheCurrentEventAndIndex()
{
    F f;
    f.createProject();
    f.addEvent(QStringLiteral("Museum"), F::day(5, 17) + F::at(10, 0), F::day(5, 17) + F::at(12, 0));
    f.addEvent(QStringLiteral("Beach"), F::day(5, 18) + F::at(10, 0), F::day(5, 18) + F::at(18, 0));
    f.addEvent(QStringLiteral("Zoo"), F::day(5, 16) + F::at(10, 0), F::day(5, 16) + F::at(16, 0));
    TfmSchemal* w = f.open();
    // Opening stands on the first event by name; the rebuild went back to it.
    QCOMPARE(w->dbSchedule->fieldByName(QStringLiteral("Event")).asString(), QStringLiteral("Beach"));
    QCOMPARE(w->dbedEvent->text(), QStringLiteral("Beach"));

    // With the primary index in force and another event current, a rebuild still draws in
    // start order and leaves both the order and the event as they were.
    w->dbSchedule->setIndexName(QString());
    w->dbSchedule->last();
    QCOMPARE(w->dbedEvent->text(), QStringLiteral("Zoo"));
    w->ChartUpdate(w);
    QCOMPARE(barLabels(*w->Series1), (QStringList{"Zoo", "Museum", "Beach"}));
    QCOMPARE(w->dbSchedule->indexName(), QString());
    QCOMPARE(w->dbSchedule->fieldByName(QStringLiteral("Event")).asString(), QStringLiteral("Zoo"));
    QCOMPARE(w->dbedEvent->text(), QStringLiteral("Zoo"));
    QCOMPARE(w->dbSchedule->state(), TableState::Browse);
    // A second rebuild does not add to the first.
    w->ChartUpdate(w);
    QCOMPARE(w->Series1->count(), 3);
}

void TestSchemalGantt::savingAnEventOutsideTheRangeAddsItsBarAndKeepsTheRange()
{
    F f;
    f.createProject();
    f.addEvent(QStringLiteral("Museum"), F::day(5, 17) + F::at(10, 0), F::day(5, 17) + F::at(12, 0));
    TfmSchemal* w = f.open();
    press(w->sbRight); // a range the user chose
    const double lo = bottomOf(w).minimum();
    const double hi = bottomOf(w).maximum();

    F::click(w->btnNew);
    QTest::keyClicks(w->dbedEvent, QStringLiteral("Autumn fair"));
    F::pickDate(w->dtpStartDate, QDate(2024, 10, 3));
    F::pickDate(w->dtpEndDate, QDate(2024, 10, 4));
    F::click(w->btnSave);

    QVERIFY(f.dialogs.calls().isEmpty());
    QCOMPARE(barLabels(*w->Series1), (QStringList{"Museum", "Autumn fair"}));
    QCOMPARE(w->Series1->start(1), DateTimeUtil::encodeDate(2024, 10, 3));
    QVERIFY(w->Series1->start(1) > hi);
    QCOMPARE(bottomOf(w).minimum(), lo);
    QCOMPARE(bottomOf(w).maximum(), hi);
}

void TestSchemalGantt::deletingAnEventRemovesItsBar()
{
    F f;
    f.createProject();
    f.addEvent(QStringLiteral("Museum"), F::day(5, 17) + F::at(10, 0), F::day(5, 17) + F::at(12, 0));
    f.addEvent(QStringLiteral("Beach"), F::day(5, 18) + F::at(10, 0), F::day(5, 18) + F::at(18, 0));
    TfmSchemal* w = f.open();
    QCOMPARE(w->Series1->count(), 2);

    QVERIFY(w->SelectEvent(QStringLiteral("Beach"), F::day(5, 18)));
    f.dialogs.answerConfirm(true);
    F::click(w->btnDelete);
    QCOMPARE(barLabels(*w->Series1), (QStringList{"Museum"}));
    QCOMPARE(w->Series1->y(0), 1.0);
}

void TestSchemalGantt::panButtonsMoveTheDateRangeByATenth_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("presses");
    QTest::addColumn<double>("lo");
    QTest::addColumn<double>("hi");
    QTest::newRow("right once") << "sbRight" << 1 << -24.0 << 36.0;
    QTest::newRow("left once") << "sbLeft" << 1 << -36.0 << 24.0;
    QTest::newRow("right twice") << "sbRight" << 2 << -18.0 << 42.0;
}

void TestSchemalGantt::panButtonsMoveTheDateRangeByATenth()
{
    QFETCH(QString, name);
    QFETCH(int, presses);
    QFETCH(double, lo);
    QFETCH(double, hi);
    F f;
    f.createProject();
    TfmSchemal* w = f.open();

    for (int i = 0; i < presses; ++i)
        press(button(w, name));
    QCOMPARE(bottomOf(w).minimum(), F::today() + lo);
    QCOMPARE(bottomOf(w).maximum(), F::today() + hi);
    // Horizontal pans leave the rows alone.
    QCOMPARE(leftOf(w).minimum(), 0.0);
    QCOMPARE(leftOf(w).maximum(), 30.0);
}

void TestSchemalGantt::threePanDownPressesBringRowsNineToThirtyNineIntoView()
{
    F f;
    f.createProject();
    for (int i = 0; i < 40; ++i)
        f.addEvent(QStringLiteral("Stop %1").arg(i + 1), F::day(5, 1) + i * 0.25,
                   F::day(5, 1) + i * 0.25 + 0.2);
    TfmSchemal* w = f.open();
    QCOMPARE(w->Series1->count(), 40);
    QCOMPARE(w->Series1->y(39), 40.0);

    for (int i = 0; i < 3; ++i)
        press(w->sbDown);
    QCOMPARE(leftOf(w).minimum(), 9.0);
    QCOMPARE(leftOf(w).maximum(), 39.0);
    QCOMPARE(bottomOf(w).minimum(), F::today() - 30); // vertical pans leave the dates alone

    // "Pan up" brings the earlier rows back.
    for (int i = 0; i < 3; ++i)
        press(w->sbUp);
    QCOMPARE(leftOf(w).minimum(), 0.0);
    QCOMPARE(leftOf(w).maximum(), 30.0);
}

void TestSchemalGantt::zoomButtonsCutOrAddAFifthAtEachEnd_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<double>("lo");
    QTest::addColumn<double>("hi");
    QTest::addColumn<double>("top");
    QTest::addColumn<double>("bottom");
    // 60 days keep the middle 36, or widen to 84; rows 0..30 become 6..24, or -6..36.
    QTest::newRow("zoom in") << "sbZoomIn" << -18.0 << 18.0 << 6.0 << 24.0;
    QTest::newRow("zoom out") << "sbZoomOut" << -42.0 << 42.0 << -6.0 << 36.0;
}

void TestSchemalGantt::zoomButtonsCutOrAddAFifthAtEachEnd()
{
    QFETCH(QString, name);
    QFETCH(double, lo);
    QFETCH(double, hi);
    QFETCH(double, top);
    QFETCH(double, bottom);
    F f;
    f.createProject();
    TfmSchemal* w = f.open();

    press(button(w, name));
    QCOMPARE(bottomOf(w).minimum(), F::today() + lo);
    QCOMPARE(bottomOf(w).maximum(), F::today() + hi);
    QCOMPARE(leftOf(w).minimum(), top);
    QCOMPARE(leftOf(w).maximum(), bottom);
}

void TestSchemalGantt::zoomInThenOutLeavesFourFifthsOfTheRange()
{
    F f;
    f.createProject();
    TfmSchemal* w = f.open();
    press(w->sbZoomIn);
    press(w->sbZoomOut);
    // 0.6 x 1.4 = 0.84 of 60 days, about the same middle.
    QCOMPARE(bottomOf(w).range(), 60 * 0.84);
    QCOMPARE(bottomOf(w).minimum(), F::today() - 30 * 0.84);
}

void TestSchemalGantt::bottomLabelsFallOnTheFirstOfEachMonth_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QList<QDate>>("labels");
    QTest::newRow("15 April to 14 June")
        << QDate(2024, 4, 15) << QDate(2024, 6, 14) << QList<QDate>{QDate(2024, 5, 1), QDate(2024, 6, 1)};
    QTest::newRow("3 to 20 March: none") << QDate(2024, 3, 3) << QDate(2024, 3, 20) << QList<QDate>{};
    QTest::newRow("a first of the month gets none")
        << QDate(2024, 5, 1) << QDate(2024, 6, 10) << QList<QDate>{QDate(2024, 6, 1)};
    QTest::newRow("over the year's end")
        << QDate(2024, 11, 20) << QDate(2025, 2, 1)
        << QList<QDate>{QDate(2024, 12, 1), QDate(2025, 1, 1), QDate(2025, 2, 1)};
}

void TestSchemalGantt::bottomLabelsFallOnTheFirstOfEachMonth()
{
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QList<QDate>, labels);
    F f;
    f.createProject();
    TfmSchemal* w = f.open();

    bottomOf(w).setMinMax(DateTimeUtil::fromQDate(from), DateTimeUtil::fromQDate(to));
    QList<DateTime> expected;
    for (const QDate& d : labels)
        expected << DateTimeUtil::fromQDate(d);
    QCOMPARE(w->Chart1->chart()->axisLabels(bottomOf(w)), expected);
}

void TestSchemalGantt::otherAxesKeepTheirOwnLabels()
{
    F f;
    f.createProject();
    TfmSchemal* w = f.open();
    Chart* chart = w->Chart1->chart();

    for (ChartAxis* axis : {&chart->leftAxis(), &chart->topAxis(), &chart->rightAxis()}) {
        double value = 45000.5;
        bool stop = true;
        w->Chart1GetNextAxisLabel(*axis, 0, value, stop);
        QCOMPARE(value, 45000.5);
        QVERIFY(stop);
    }
    // The bottom axis takes the first of the next month, from any time of day; December wraps.
    double value = DateTimeUtil::encodeDate(2024, 12, 31) + F::at(18, 0);
    bool stop = true;
    w->Chart1GetNextAxisLabel(bottomOf(w), 3, value, stop);
    QCOMPARE(value, DateTimeUtil::encodeDate(2025, 1, 1));
    QVERIFY(!stop);
}

void TestSchemalGantt::graphicsPanelHoldsSixNamedButtons_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("bounds");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<QSize>("picture");
    QTest::newRow("sbZoomIn") << "sbZoomIn" << QRect(5, 21, 50, 30) << "Zoom in" << QSize(48, 22);
    QTest::newRow("sbUp") << "sbUp" << QRect(75, 21, 30, 46) << "Pan up" << QSize(23, 34);
    QTest::newRow("sbZoomOut") << "sbZoomOut" << QRect(125, 21, 50, 30) << "Zoom out" << QSize(48, 22);
    QTest::newRow("sbLeft") << "sbLeft" << QRect(25, 56, 50, 28) << "Pan  left" << QSize(34, 23);
    QTest::newRow("sbRight") << "sbRight" << QRect(105, 56, 50, 28) << "Pan right" << QSize(34, 23);
    QTest::newRow("sbDown") << "sbDown" << QRect(75, 66, 30, 46) << "Pan down" << QSize(23, 34);
}

void TestSchemalGantt::graphicsPanelHoldsSixNamedButtons()
{
    QFETCH(QString, name);
    QFETCH(QRect, bounds);
    QFETCH(QString, hint);
    QFETCH(QSize, picture);
    F f;
    f.createProject();
    TfmSchemal* w = f.open();

    QToolButton* b = button(w, name);
    QVERIFY(b);
    QCOMPARE(b->parentWidget(), w->pnlGrafik);
    QCOMPARE(b->geometry(), bounds);
    QCOMPARE(b->toolTip(), hint);
    QCOMPARE(b->accessibleName(), hint);
    QVERIFY(b->text().isEmpty()); // a picture, no caption
    QCOMPARE(b->iconSize(), picture);
    const QPixmap shown = b->icon().pixmap(picture);
    QCOMPARE(shown.size(), picture);
    // Something is drawn, and not over the whole picture.
    const QImage image = shown.toImage();
    int inked = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            inked += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
    QVERIFY(inked > picture.width() * picture.height() / 10);
    QVERIFY(inked < picture.width() * picture.height());
    QVERIFY(b->isVisible());

    // "Graphics" runs centred across the panel's top.
    QCOMPARE(w->lbGrafik->text(), QStringLiteral("Graphics"));
    QCOMPARE(w->lbGrafik->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
    QCOMPARE(w->lbGrafik->x(), 0);
    QCOMPARE(w->lbGrafik->width(), w->pnlGrafik->width());
    QVERIFY(w->lbGrafik->geometry().bottom() < 21);
}

FERNGROVE_TEST_MAIN(TestSchemalGantt)
#include "tst_schemal_gantt.moc"

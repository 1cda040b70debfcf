// Clicking a bar of the scheduling window's chart: the event it names becomes current and is
// loaded for editing; the event left behind is stored first; a bar without a matching event
// shows the search error box.

#include "tst_schemal_fixture.h"

#include "platform/chart/Chart.h"
#include "platform/chart/ChartWidget.h"
#include "platform/ui/TestMain.h"

#include <QCheckBox>
#include <QLineEdit>

namespace {

using F = SchemalFixture;

const QString kSearchError = QStringLiteral("Error in database search!\n\r(Error 1 in Shemal)");

QString current(TfmSchemal* w, const char* field)
{
    return w->dbSchedule->fieldByName(QLatin1String(field)).asString();
}

// Clicks the middle of bar i on the chart widget, as the user does; false when that spot is
// not on the bar (then nothing was clicked).
bool clickBar(TfmSchemal* w, int i)
{
    const GanttSeries& s = *w->Series1;
    const ChartPainter& painter = w->Chart1->chartPainter();
    const QPoint spot = painter.toPixel((s.start(i) + s.end(i)) / 2, s.y(i)).toPoint();
    if (painter.pointAt(QPointF(spot)) != i)
        return false;
    QTest::mouseClick(w->Chart1, Qt::LeftButton, Qt::NoModifier, spot);
    return true;
}

} // namespace

class TestSchemalGanttClick : public QObject
{
    Q_OBJECT
private slots:
    void clickingABarLoadsItsEventForEditing();
    void clickingEitherBarOfOneNameAndDateSelectsTheEarlierEvent_data();
    void clickingEitherBarOfOneNameAndDateSelectsTheEarlierEvent();
    void aClickAfterEditingTheCostStoresTheCostFirst();
    void aClickAfterChangingOnlyAPickerDropsTheChange();
    void aClickThatCannotLeaveAnUnnamedEventStops();
    void aBarWithoutStartDateFindsNoEventAndShowsTheSearchError();
    void aBarWhoseEventWasRenamedSinceTheRebuildShowsTheSearchError();
    void aClickKeepsTheOrderInForce();
    void movingTheMouseOverTheChartChangesNothing();
};

void TestSchemalGanttClick::clickingABarLoadsItsEventForEditing()
{
    F f;
    f.createProject();
    f.addEvent(QStringLiteral("Museum"), F::day(5, 17) + F::at(10, 0), F::day(5, 17) + F::at(12, 0));
    f.addEvent(QStringLiteral("Ferry"), F::day(5, 20) + F::at(9, 15), F::day(5, 22) + F::at(17, 0),
               QStringLiteral("80"), true, false);
    TfmSchemal* w = f.open();
    QVERIFY(!w->btnDelete->isEnabled());
    QCOMPARE(current(w, "Event"), QStringLiteral("Ferry")); // the first by name

    QVERIFY(clickBar(w, 0));
    QCOMPARE(current(w, "Event"), QStringLiteral("Museum"));
    QCOMPARE(w->dbedEvent->text(), QStringLiteral("Museum"));

    QVERIFY(clickBar(w, 1));
    QVERIFY(f.dialogs.calls().isEmpty());
    QCOMPARE(current(w, "Event"), QStringLiteral("Ferry"));
    QCOMPARE(w->dbSchedule->state(), TableState::Edit);
    QVERIFY(!w->dbSchedule->modified());
    QVERIFY(w->btnDelete->isEnabled());
    QCOMPARE(w->dtpStartDate->date(), F::day(5, 20));
    QCOMPARE(w->dtpStartTime->value(), F::at(9, 15));
    QCOMPARE(w->dtpEndDate->value(), F::day(5, 22));
    QCOMPARE(w->dtpEndTime->value(), F::at(17, 0));
    QCOMPARE(w->dbedEvent->text(), QStringLiteral("Ferry"));
    QVERIFY(w->cbdbBooked->isChecked());
}

void TestSchemalGanttClick::clickingEitherBarOfOneNameAndDateSelectsTheEarlierEvent_data()
{
    QTest::addColumn<int>("bar");
    QTest::newRow("the 08:00 bar") << 0;
    QTest::newRow("the 14:00 bar") << 1;
}

void TestSchemalGanttClick::clickingEitherBarOfOneNameAndDateSelectsTheEarlierEvent()
{
    QFETCH(int, bar);
    F f;
    f.createProject();
    f.addEvent(QStringLiteral("Guided walk"), F::day(5, 16) + F::at(14, 0), F::day(5, 16) + F::at(16, 0));
    f.addEvent(QStringLiteral("Guided walk"), F::day(5, 16) + F::at(8, 0), F::day(5, 16) + F::at(10, 0));
    f.addEvent(QStringLiteral("Aquarium"), F::day(5, 14) + F::at(8, 0), F::day(5, 14) + F::at(10, 0));
    TfmSchemal* w = f.open();
    QCOMPARE(w->Series1->start(bar + 1), F::day(5, 16) + F::at(bar == 0 ? 8 : 14, 0));

    QVERIFY(clickBar(w, bar + 1));
    QVERIFY(f.dialogs.calls().isEmpty());
    QCOMPARE(current(w, "Event"), QStringLiteral("Guided walk"));
    QCOMPARE(w->dbSchedule->fieldByName(QStringLiteral("Start time")).asDateTime(), F::at(8, 0));
    QCOMPARE(w->dtpStartTime->value(), F::at(8, 0));
    QCOMPARE(w->dtpEndTime->value(), F::at(10, 0));
}

void TestSchemalGanttClick::aClickAfterEditingTheCostStoresTheCostFirst()
{
    F f;
    f.createProject();
    f.addEvent(QStringLiteral("Museum"), F::day(5, 17) + F::at(10, 0), F::day(5, 17) + F::at(12, 0),
               QStringLiteral("12"));
    f.addEvent(QStringLiteral("Beach"), F::day(5, 18) + F::at(10, 0), F::day(5, 18) + F::at(18, 0));
    TfmSchemal* w = f.open();

    QVERIFY(clickBar(w, 0));
    F::retype(w->dbedCost, QStringLiteral("125"));
    QVERIFY(clickBar(w, 1));
    QVERIFY(f.dialogs.calls().isEmpty());
    QCOMPARE(current(w, "Event"), QStringLiteral("Beach"));
    QCOMPARE(w->dbSchedule->state(), TableState::Edit);

    const QList<EventText> rows = f.stored();
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0][0], QStringLiteral("Museum"));
    QCOMPARE(rows[0][5].toDouble(), 125.0);
}

void TestSchemalGanttClick::aClickAfterChangingOnlyAPickerDropsTheChange()
{
    F f;
    f.createProject();
    f.addEvent(QStringLiteral("Museum"), F::day(5, 17) + F::at(10, 0), F::day(5, 17) + F::at(12, 0));
    f.addEvent(QStringLiteral("Beach"), F::day(5, 18) + F::at(10, 0), F::day(5, 18) + F::at(18, 0));
    TfmSchemal* w = f.open();

    QVERIFY(clickBar(w, 0));
    F::pickTime(w->dtpStartTime, QTime(11, 30));
    QVERIFY(clickBar(w, 1));
    QCOMPARE(w->dtpStartTime->value(), F::at(10, 0)); // the clicked event's own time

    const QList<EventText> rows = f.stored();
    QCOMPARE(rows[0][0], QStringLiteral("Museum"));
    QCOMPARE(rows[0][2], QStringLiteral("10:00:00"));
}

void TestSchemalGanttClick::aClickThatCannotLeaveAnUnnamedEventStops()
{
    F f;
    f.createProject();
    f.addEvent(QStringLiteral("Museum"), F::day(5, 17) + F::at(10, 0), F::day(5, 17) + F::at(12, 0));
    f.addEvent(QStringLiteral("Beach"), F::day(5, 18) + F::at(10, 0), F::day(5, 18) + F::at(18, 0));
    TfmSchemal* w = f.open();

    QVERIFY(clickBar(w, 0));
    F::retype(w->dbedEvent, QString());
    QVERIFY(clickBar(w, 1));

    // The engine's message in the default error box, and no search error after it.
    QCOMPARE(f.dialogs.textsOf(DialogKind::DefaultError),
             (QStringList{QStringLiteral("Field 'Event' must have a value.")}));
    QCOMPARE(f.dialogs.calls().size(), 1);
    QCOMPARE(w->dbSchedule->state(), TableState::Edit);
    QCOMPARE(w->dbSchedule->fieldByName(QStringLiteral("Start date")).asDateTime(), F::day(5, 17));
    QCOMPARE(w->dtpStartDate->date(), F::day(5, 17)); // the pickers still hold the first event
}

void TestSchemalGanttClick::aBarWithoutStartDateFindsNoEventAndShowsTheSearchError()
{
    F f;
    f.createProject();
    f.addEvent(QStringLiteral("Museum"), F::day(5, 17) + F::at(10, 0), F::day(5, 17) + F::at(12, 0));
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
    QCOMPARE(w->Series1->label(0), QStringLiteral("Undated"));
    QCOMPARE(w->Series1->start(0), 0.0);
    w->Chart1->chart()->bottomAxis().setMinMax(-2, 3); // the user scrolls back to day 0

    QVERIFY(clickBar(w, 0));
    QCOMPARE(f.dialogs.calls().size(), 1);
    const DialogRequest box = f.dialogs.calls().constFirst();
    QCOMPARE(box.kind, DialogKind::Error);
    QCOMPARE(box.text, kSearchError);
    QCOMPARE(box.caption, QStringLiteral("Error"));
    QCOMPARE(box.icon, DialogIcon::Error);
    // Nothing else changed: the first event by name is still current and browsing.
    QCOMPARE(current(w, "Event"), QStringLiteral("Museum"));
    QCOMPARE(w->dbSchedule->state(), TableState::Browse);
    QVERIFY(!w->btnDelete->isEnabled());
    QCOMPARE(w->dtpStartDate->value(), F::today());
}

void TestSchemalGanttClick::aBarWhoseEventWasRenamedSinceTheRebuildShowsTheSearchError()
{
    F f;
    f.createProject();
    f.addEvent(QStringLiteral("Museum"), F::day(5, 17) + F::at(10, 0), F::day(5, 17) + F::at(12, 0));
    f.addEvent(QStringLiteral("Beach"), F::day(5, 18) + F::at(10, 0), F::day(5, 18) + F::at(18, 0));
    TfmSchemal* w = f.open();

    // Renamed and stored by leaving it; the bars follow only Save and Delete.
    QVERIFY(clickBar(w, 0));
    F::retype(w->dbedEvent, QStringLiteral("Art museum"));
    QVERIFY(clickBar(w, 1));
    QCOMPARE(current(w, "Event"), QStringLiteral("Beach"));
    QCOMPARE(w->Series1->label(0), QStringLiteral("Museum"));

    QVERIFY(clickBar(w, 0));
    QCOMPARE(f.dialogs.textsOf(DialogKind::Error), (QStringList{kSearchError}));
    QCOMPARE(current(w, "Event"), QStringLiteral("Beach"));
}

void TestSchemalGanttClick::aClickKeepsTheOrderInForce()
{
    F f;
    f.createProject();
    f.addEvent(QStringLiteral("Museum"), F::day(5, 17) + F::at(10, 0), F::day(5, 17) + F::at(12, 0));
    f.addEvent(QStringLiteral("Beach"), F::day(5, 18) + F::at(10, 0), F::day(5, 18) + F::at(18, 0));
    TfmSchemal* w = f.open();
    QCOMPARE(w->dbSchedule->indexName(), QStringLiteral("Start"));

    QVERIFY(clickBar(w, 1));
    QCOMPARE(w->dbSchedule->indexName(), QStringLiteral("Start"));
    QCOMPARE(w->dbSchedule->recNo(), 2);
}

void TestSchemalGanttClick::movingTheMouseOverTheChartChangesNothing()
{
    F f;
    f.createProject();
    f.addEvent(QStringLiteral("Museum"), F::day(5, 17) + F::at(10, 0), F::day(5, 17) + F::at(12, 0));
    TfmSchemal* w = f.open();
    const QPoint overBar =
        w->Chart1->chartPainter().toPixel(F::day(5, 17) + F::at(11, 0), w->Series1->y(0)).toPoint();

    QTest::mouseMove(w->Chart1, overBar);
    QTest::mouseMove(w->Chart1, overBar + QPoint(30, 5));
    QVERIFY(f.dialogs.calls().isEmpty());
    QCOMPARE(w->dbSchedule->state(), TableState::Browse);
    QCOMPARE(w->Chart1->chart()->bottomAxis().minimum(), F::today() - 30);
    QVERIFY(!w->btnDelete->isEnabled());
}

FERNGROVE_TEST_MAIN(TestSchemalGanttClick)
#include "tst_schemal_gantt_click.moc"

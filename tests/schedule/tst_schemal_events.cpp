// Scenario tests of the scheduling window's event commands, driven through its real widgets:
// New, Save, Delete, the weekday label, selecting an event as a bar click does, and the
// refusals the table makes.

#include "tst_schemal_fixture.h"

#include "platform/ui/TestMain.h"

#include <QCheckBox>
#include <QLineEdit>

namespace {

using F = SchemalFixture;

EventText row(const QString& name, const QString& startDate, const QString& startTime, const QString& endDate,
              const QString& endTime, const QString& cost = QString(),
              const QString& booked = QStringLiteral("False"), const QString& paid = QStringLiteral("False"),
              const QString& day = QString())
{
    return {name, startDate, startTime, endDate, endTime, cost, booked, paid, day};
}

} // namespace

class TestSchemalEvents : public QObject
{
    Q_OBJECT
private slots:
    void typicalRequestStoresWhatWasEntered();
    void newThenSaveUntouchedStoresUnspecified0Today();
    void theSameUntouchedEventTwiceIsRefused();
    void saveOnAProjectWithoutEventsBeforeNewIsRefused();
    void emptiedNameOfTheThirdEventBecomesUnspecified3();
    void weekdayFollowsTheUsersStartDate_data();
    void weekdayFollowsTheUsersStartDate();
    void weekdayIgnoresProgrammaticChanges();
    void selectingAnEventLoadsItsPickersAndEditMode();
    void selectingAnotherEventLosesAPickerChangeAndKeepsACostChange();
    void selectingAnEventThatIsNotThereChangesNothing();
    void newWhileAnEventIsEditedKeepsItsName();
    void deleteAnsweredNoStoresTheNewEventWithoutDates();
    void deleteAnsweredYesRemovesTheEventAndStoresTheNextOne();
    void deletingTheLastEventLeavesARefusedEmptyEvent();
    void namesStopAtFiftyCharacters();
    void aNameDifferingOnlyInCaseIsAnotherEvent();
    void aCostThatIsNotANumberIsRefused();
    void anEndBeforeTheStartIsStoredAsEntered();
};

void TestSchemalEvents::typicalRequestStoresWhatWasEntered()
{
    F f;
    f.createProject();
    TfmSchemal* w = f.open();

    F::click(w->btnNew);
    QCOMPARE(w->dbSchedule->state(), TableState::Insert);
    QVERIFY(w->btnDelete->isEnabled());
    QTest::keyClicks(w->dbedEvent, QStringLiteral("Flight to Rome"));
    F::pickDate(w->dtpStartDate, QDate(2024, 5, 20));
    F::pickTime(w->dtpStartTime, QTime(8, 30));
    F::pickDate(w->dtpEndDate, QDate(2024, 5, 20));
    F::pickTime(w->dtpEndTime, QTime(11, 15));
    QTest::keyClicks(w->dbedCost, QStringLiteral("450.50"));
    QTest::mouseClick(w->cbdbBooked, Qt::LeftButton);
    QVERIFY(w->cbdbBooked->isChecked());
    F::click(w->btnSave);

    QVERIFY(f.dialogs.calls().isEmpty());
    QCOMPARE(w->dbSchedule->state(), TableState::Browse);
    QCOMPARE(w->dbedEvent->text(), QStringLiteral("Flight to Rome"));
    QCOMPARE(f.stored(), (QList<EventText>{row("Flight to Rome", "2024-05-20", "08:30:00", "2024-05-20",
                                               "11:15:00", "450.5", "True", "False", "Mon")}));
}

void TestSchemalEvents::newThenSaveUntouchedStoresUnspecified0Today()
{
    F f;
    f.createProject();
    TfmSchemal* w = f.open();

    F::click(w->btnNew);
    F::click(w->btnSave);

    QVERIFY(f.dialogs.calls().isEmpty());
    QCOMPARE(w->dbedEvent->text(), QStringLiteral("Unspecified 0"));
    // End time 24.0 keeps only its time of day: 00:00:00, not the default 23:59:59.
    QCOMPARE(f.stored(),
             (QList<EventText>{row("Unspecified 0", "2024-05-15", "00:00:00", "2024-05-15", "00:00:00")}));
}

void TestSchemalEvents::theSameUntouchedEventTwiceIsRefused()
{
    F f;
    f.createProject();
    TfmSchemal* w = f.open();

    F::click(w->btnNew);
    F::click(w->btnSave);
    F::click(w->btnNew);
    F::click(w->btnSave);

    const QStringList errors = f.dialogs.textsOf(DialogKind::DefaultError);
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors[0].startsWith(QStringLiteral("Key violation")), qPrintable(errors[0]));
    QVERIFY(errors[0].endsWith(QLatin1Char('.')));
    // The refused event stays new, with what was entered, for the user to correct.
    QCOMPARE(w->dbSchedule->state(), TableState::Insert);
    QCOMPARE(w->dbedEvent->text(), QStringLiteral("Unspecified 0"));
    QCOMPARE(w->dbSchedule->fieldByName(QStringLiteral("Event")).asString(), QStringLiteral("Unspecified 0"));

    // Corrected, it is stored.
    F::retype(w->dbedEvent, QStringLiteral("Second"));
    F::click(w->btnSave);
    QCOMPARE(f.dialogs.textsOf(DialogKind::DefaultError).size(), 1);
    const QList<EventText> stored = f.stored();
    QCOMPARE(stored.size(), 2);
    QCOMPARE(stored[0][0] + QLatin1Char('|') + stored[1][0], QStringLiteral("Unspecified 0|Second"));
}

void TestSchemalEvents::saveOnAProjectWithoutEventsBeforeNewIsRefused()
{
    F f;
    f.createProject();
    TfmSchemal* w = f.open();

    // Save begins an event itself; that empties the name box again, so the name is missing.
    F::click(w->btnSave);
    QCOMPARE(f.dialogs.textsOf(DialogKind::DefaultError),
             QStringList{QStringLiteral("Field 'Event' must have a value.")});
    QCOMPARE(w->dbSchedule->state(), TableState::Insert);
    QVERIFY(w->dbedEvent->text().isEmpty());
    QVERIFY(f.stored().isEmpty());
}

void TestSchemalEvents::emptiedNameOfTheThirdEventBecomesUnspecified3()
{
    F f;
    f.createProject();
    f.addEvent(QStringLiteral("Zoo"), F::day(5, 1) + F::at(9, 0), F::day(5, 1) + F::at(12, 0));
    f.addEvent(QStringLiteral("Alps"), F::day(5, 3) + F::at(7, 0), F::day(5, 4) + F::at(18, 0));
    f.addEvent(QStringLiteral("Market"), F::day(5, 5) + F::at(10, 0), F::day(5, 5) + F::at(11, 30));
    f.addEvent(QStringLiteral("Beach"), F::day(5, 7) + F::at(14, 0), F::day(5, 7) + F::at(17, 0));
    TfmSchemal* w = f.open();

    QVERIFY(w->SelectEvent(QStringLiteral("Market"), F::day(5, 5)));
    F::retype(w->dbedEvent, QString());
    F::click(w->btnSave);

    QVERIFY(f.dialogs.calls().isEmpty());
    QCOMPARE(f.stored(), (QList<EventText>{
                             row("Zoo", "2024-05-01", "09:00:00", "2024-05-01", "12:00:00"),
                             row("Alps", "2024-05-03", "07:00:00", "2024-05-04", "18:00:00"),
                             row("Unspecified 3", "2024-05-05", "10:00:00", "2024-05-05", "11:30:00"),
                             row("Beach", "2024-05-07", "14:00:00", "2024-05-07", "17:00:00"),
                         }));
}

void TestSchemalEvents::weekdayFollowsTheUsersStartDate_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("day");
    QTest::newRow("Monday") << QDate(2024, 5, 20) << "Mon";
    QTest::newRow("Tuesday") << QDate(2024, 5, 21) << "Tue";
    QTest::newRow("Wednesday is Wen") << QDate(2024, 5, 22) << "Wen";
    QTest::newRow("Thursday") << QDate(2024, 5, 23) << "Thu";
    QTest::newRow("Friday") << QDate(2024, 5, 24) << "Fri";
    QTest::newRow("Saturday") << QDate(2024, 5, 25) << "Sat";
    QTest::newRow("Sunday") << QDate(2024, 5, 26) << "Sun";
}

void TestSchemalEvents::weekdayFollowsTheUsersStartDate()
{
    QFETCH(QDate, date);
    QFETCH(QString, day);
    F f;
    f.createProject();
    TfmSchemal* w = f.open();

    F::pickDate(w->dtpStartDate, date);
    QCOMPARE(w->edStartDay->text(), day);

    // The end date has nothing to do with the label.
    F::pickDate(w->dtpEndDate, date.addDays(1));
    QCOMPARE(w->edStartDay->text(), day);

    // Saved with the event.
    F::click(w->btnNew);
    QTest::keyClicks(w->dbedEvent, QStringLiteral("Walk"));
    F::click(w->btnSave);
    QVERIFY(f.dialogs.calls().isEmpty());
    QCOMPARE(f.stored().value(0).value(8), day);
}

void TestSchemalEvents::weekdayIgnoresProgrammaticChanges()
{
    F f;
    f.createProject();
    f.addEvent(QStringLiteral("Opera"), F::day(5, 19) + F::at(19, 0), F::day(5, 19) + F::at(22, 0));
    TfmSchemal* w = f.open();

    // Creation set the date without a label; so does loading an event without one.
    QVERIFY(w->edStartDay->text().isEmpty());
    QVERIFY(w->SelectEvent(QStringLiteral("Opera"), F::day(5, 19)));
    QCOMPARE(w->dtpStartDate->date(), F::day(5, 19));
    QVERIFY(w->edStartDay->text().isEmpty());
    w->dtpStartDate->setValue(F::day(5, 22));
    QVERIFY(w->edStartDay->text().isEmpty());

    // Typed by the user: one step up in the first part of the date (the month: 22 June 2024
    // is a Saturday).
    QTest::keyClick(w->dtpStartDate->editor(), Qt::Key_Up);
    QCOMPARE(w->dtpStartDate->date(), F::day(6, 22));
    QCOMPARE(w->edStartDay->text(), QStringLiteral("Sat"));
}

void TestSchemalEvents::selectingAnEventLoadsItsPickersAndEditMode()
{
    F f;
    f.createProject();
    f.addEvent(QStringLiteral("Ferry"), F::day(5, 2) + F::at(6, 45), F::day(5, 3) + F::at(9, 5),
               QStringLiteral("80"), true, false);
    TfmSchemal* w = f.open();
    QVERIFY(!w->btnDelete->isEnabled());

    QVERIFY(w->SelectEvent(QStringLiteral("Ferry"), F::day(5, 2) + F::at(6, 45)));
    QCOMPARE(w->dbSchedule->state(), TableState::Edit);
    QVERIFY(!w->dbSchedule->modified());
    QVERIFY(w->btnDelete->isEnabled());
    QCOMPARE(w->dtpStartDate->date(), F::day(5, 2));
    QCOMPARE(w->dtpStartTime->value(), F::at(6, 45));
    QCOMPARE(w->dtpEndDate->value(), F::day(5, 3));
    QCOMPARE(w->dtpEndTime->value(), F::at(9, 5));
    QCOMPARE(w->dbedEvent->text(), QStringLiteral("Ferry"));
    QVERIFY(w->cbdbBooked->isChecked());
    QVERIFY(f.dialogs.calls().isEmpty());
}

void TestSchemalEvents::selectingAnotherEventLosesAPickerChangeAndKeepsACostChange()
{
    F f;
    f.createProject();
    f.addEvent(QStringLiteral("Hotel"), F::day(5, 1) + F::at(15, 0), F::day(5, 4) + F::at(11, 0));
    f.addEvent(QStringLiteral("Train"), F::day(5, 4) + F::at(12, 0), F::day(5, 4) + F::at(16, 0));
    TfmSchemal* w = f.open();

    // A picker is not bound: its change goes only with Save.
    QVERIFY(w->SelectEvent(QStringLiteral("Hotel"), F::day(5, 1)));
    F::pickTime(w->dtpStartTime, QTime(16, 0));
    QVERIFY(w->SelectEvent(QStringLiteral("Train"), F::day(5, 4)));
    QCOMPARE(w->dtpStartTime->value(), F::at(12, 0));

    // The cost box is bound: leaving the event stores its change.
    QVERIFY(w->SelectEvent(QStringLiteral("Hotel"), F::day(5, 1)));
    QCOMPARE(w->dtpStartTime->value(), F::at(15, 0));
    QTest::keyClicks(w->dbedCost, QStringLiteral("320"));
    QVERIFY(w->SelectEvent(QStringLiteral("Train"), F::day(5, 4)));
    QCOMPARE(w->dbedEvent->text(), QStringLiteral("Train"));

    QVERIFY(f.dialogs.calls().isEmpty());
    QCOMPARE(f.stored(), (QList<EventText>{
                             row("Hotel", "2024-05-01", "15:00:00", "2024-05-04", "11:00:00", "320"),
                             row("Train", "2024-05-04", "12:00:00", "2024-05-04", "16:00:00"),
                         }));
}

void TestSchemalEvents::selectingAnEventThatIsNotThereChangesNothing()
{
    F f;
    f.createProject();
    f.addEvent(QStringLiteral("Hotel"), F::day(5, 1) + F::at(15, 0), F::day(5, 4) + F::at(11, 0));
    TfmSchemal* w = f.open();

    QVERIFY(!w->SelectEvent(QStringLiteral("Hotel"), F::day(5, 2)));
    QVERIFY(!w->SelectEvent(QStringLiteral("hotel"), F::day(5, 1)));
    QCOMPARE(w->dbSchedule->state(), TableState::Browse);
    QVERIFY(!w->btnDelete->isEnabled());
    QCOMPARE(w->dtpStartDate->value(), F::today());
    QCOMPARE(w->dbedEvent->text(), QStringLiteral("Hotel"));
}

void TestSchemalEvents::newWhileAnEventIsEditedKeepsItsName()
{
    F f;
    f.createProject();
    f.addEvent(QStringLiteral("Hotel"), F::day(5, 1) + F::at(15, 0), F::day(5, 4) + F::at(11, 0));
    TfmSchemal* w = f.open();

    QVERIFY(w->SelectEvent(QStringLiteral("Hotel"), F::day(5, 1)));
    F::click(w->btnNew);
    QCOMPARE(w->dbSchedule->state(), TableState::Insert);
    QVERIFY(w->dbedEvent->text().isEmpty());
    QTest::keyClicks(w->dbedEvent, QStringLiteral("Taxi"));
    F::click(w->btnSave);

    QVERIFY(f.dialogs.calls().isEmpty());
    const QList<EventText> stored = f.stored();
    QCOMPARE(stored.size(), 2);
    QCOMPARE(stored[0][0], QStringLiteral("Hotel"));
    // The pickers still held Hotel's values: New does not touch them.
    QCOMPARE(stored[1], row("Taxi", "2024-05-01", "15:00:00", "2024-05-04", "11:00:00"));
}

void TestSchemalEvents::deleteAnsweredNoStoresTheNewEventWithoutDates()
{
    F f;
    f.createProject();
    TfmSchemal* w = f.open();

    F::click(w->btnNew);
    QTest::keyClicks(w->dbedEvent, QStringLiteral("Guide"));
    f.dialogs.answerConfirm(false);
    F::click(w->btnDelete);

    const QList<DialogRequest> asked = f.dialogs.callsOf(DialogKind::Confirmation);
    QCOMPARE(asked.size(), 1);
    QCOMPARE(asked[0].text, QStringLiteral("Do you want to delete this event?"));
    QCOMPARE(f.dialogs.calls().size(), 1);
    QCOMPARE(w->dbSchedule->state(), TableState::Browse);
    // Only Save writes the pickers: the event keeps the field defaults.
    QCOMPARE(f.stored(), (QList<EventText>{row("Guide", "", "00:00:00", "", "23:59:59")}));
}

void TestSchemalEvents::deleteAnsweredYesRemovesTheEventAndStoresTheNextOne()
{
    F f;
    f.createProject();
    f.addEvent(QStringLiteral("Hotel"), F::day(5, 1) + F::at(15, 0), F::day(5, 4) + F::at(11, 0));
    f.addEvent(QStringLiteral("Train"), F::day(5, 4) + F::at(12, 0), F::day(5, 4) + F::at(16, 0));
    TfmSchemal* w = f.open();

    QVERIFY(w->SelectEvent(QStringLiteral("Hotel"), F::day(5, 1)));
    f.dialogs.answerConfirm(true);
    F::click(w->btnDelete);

    QCOMPARE(f.dialogs.calls().size(), 1);
    QCOMPARE(w->dbSchedule->state(), TableState::Browse);
    QCOMPARE(w->dbSchedule->recordCount(), 1);
    QCOMPARE(w->dbedEvent->text(), QStringLiteral("Train"));
    QCOMPARE(f.stored(),
             (QList<EventText>{row("Train", "2024-05-04", "12:00:00", "2024-05-04", "16:00:00")}));
}

void TestSchemalEvents::deletingTheLastEventLeavesARefusedEmptyEvent()
{
    F f;
    f.createProject();
    f.addEvent(QStringLiteral("Hotel"), F::day(5, 1) + F::at(15, 0), F::day(5, 4) + F::at(11, 0));
    TfmSchemal* w = f.open();

    QVERIFY(w->SelectEvent(QStringLiteral("Hotel"), F::day(5, 1)));
    f.dialogs.answerConfirm(true);
    F::click(w->btnDelete);

    // The deletion stands; the empty event begun after it cannot be stored.
    QCOMPARE(f.dialogs.textsOf(DialogKind::DefaultError),
             QStringList{QStringLiteral("Field 'Event' must have a value.")});
    QCOMPARE(w->dbSchedule->state(), TableState::Insert);
    QCOMPARE(w->dbSchedule->recordCount(), 0);
    QVERIFY(w->dbedEvent->text().isEmpty());

    // Nobody changed the empty event: it disappears when the table leaves it, so closing
    // neither complains nor stores it.
    w->mnAter->trigger();
    QVERIFY(!w->isVisible());
    QCOMPARE(f.dialogs.calls().size(), 2);
    QVERIFY(f.stored().isEmpty());
}

void TestSchemalEvents::namesStopAtFiftyCharacters()
{
    F f;
    f.createProject();
    TfmSchemal* w = f.open();

    F::click(w->btnNew);
    const QString typed = QStringLiteral("A very long name of an event that goes on and on beyond fifty");
    QVERIFY(typed.size() > 50);
    QTest::keyClicks(w->dbedEvent, typed);
    QCOMPARE(w->dbedEvent->text(), typed.left(50));
    F::click(w->btnSave);

    QVERIFY(f.dialogs.calls().isEmpty());
    QCOMPARE(f.stored().value(0).value(0), typed.left(50));
}

void TestSchemalEvents::aNameDifferingOnlyInCaseIsAnotherEvent()
{
    F f;
    f.createProject();
    f.addEvent(QStringLiteral("Dinner"), F::today(), F::today());
    TfmSchemal* w = f.open();

    // Same date and time as the stored one (today, 00:00): only the letter case differs.
    F::click(w->btnNew);
    QTest::keyClicks(w->dbedEvent, QStringLiteral("dinner"));
    F::click(w->btnSave);

    QVERIFY(f.dialogs.calls().isEmpty());
    QStringList names;
    for (const EventText& e : f.stored())
        names << e[0];
    names.sort();
    QCOMPARE(names, (QStringList{QStringLiteral("Dinner"), QStringLiteral("dinner")}));
}

void TestSchemalEvents::aCostThatIsNotANumberIsRefused()
{
    F f;
    f.createProject();
    f.addEvent(QStringLiteral("Hotel"), F::day(5, 1) + F::at(15, 0), F::day(5, 4) + F::at(11, 0),
               QStringLiteral("210"));
    TfmSchemal* w = f.open();

    QVERIFY(w->SelectEvent(QStringLiteral("Hotel"), F::day(5, 1)));
    F::retype(w->dbedCost, QStringLiteral("abc"));
    F::click(w->btnSave);

    const QStringList errors = f.dialogs.textsOf(DialogKind::DefaultError);
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors[0].startsWith(QStringLiteral("'abc' is not a valid")), qPrintable(errors[0]));
    // The field keeps its value, the box the typed text, the event its edit mode.
    QCOMPARE(w->dbSchedule->state(), TableState::Edit);
    QCOMPARE(w->dbSchedule->fieldByName(QStringLiteral("Cost")).asString(), QStringLiteral("210"));
    QCOMPARE(w->dbedCost->text(), QStringLiteral("abc"));
    QCOMPARE(f.stored().value(0).value(5), QStringLiteral("210"));
}

void TestSchemalEvents::anEndBeforeTheStartIsStoredAsEntered()
{
    F f;
    f.createProject();
    TfmSchemal* w = f.open();

    F::click(w->btnNew);
    QTest::keyClicks(w->dbedEvent, QStringLiteral("Backwards"));
    F::pickDate(w->dtpStartDate, QDate(2024, 5, 20));
    F::pickTime(w->dtpStartTime, QTime(18, 0));
    F::pickDate(w->dtpEndDate, QDate(2024, 5, 18));
    F::pickTime(w->dtpEndTime, QTime(7, 0));
    F::click(w->btnSave);

    QVERIFY(f.dialogs.calls().isEmpty());
    QCOMPARE(f.stored(), (QList<EventText>{row("Backwards", "2024-05-20", "18:00:00", "2024-05-18",
                                               "07:00:00", QString(), "False", "False", "Mon")}));
}

FERNGROVE_TEST_MAIN(TestSchemalEvents)
#include "tst_schemal_events.moc"

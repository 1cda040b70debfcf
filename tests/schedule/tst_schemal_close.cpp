// Closing the scheduling window: unnamed events are purged, a current event that cannot be
// stored keeps the window open, Exit ends the showing with cancel; and help asks for topic 100.

#include "tst_schemal_fixture.h"

#include "platform/ui/TestMain.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>

namespace {

using F = SchemalFixture;

// Stores an event that has no name (possible only in a table without the name requirement).
void addUnnamed(DateTime start)
{
    Table t;
    t.setDatabaseName(ProjectDir);
    t.setTableName(ProjectFile);
    t.open();
    t.append();
    t.fieldByName(QStringLiteral("Start date")).setAsDateTime(start);
    t.fieldByName(QStringLiteral("Cost")).setAsString(QStringLiteral("5"));
    t.post();
    t.close();
}

QStringList names(const QList<EventText>& events)
{
    QStringList out;
    for (const EventText& e : events)
        out << e.value(0);
    return out;
}

// Counts the bound controls' reloads while a handler runs.
class ReloadCounter : public DataLink
{
public:
    void recordChanged() override { ++moves; }
    int moves = 0;
};

} // namespace

class TestSchemalClose : public QObject
{
    Q_OBJECT
private slots:
    void exitPurgesUnnamedEventsAndKeepsTheRest_data();
    void exitPurgesUnnamedEventsAndKeepsTheRest();
    void purgeWalksWithTheControlsDetached();
    void closingStoresAChangedCurrentEvent();
    void closingIsRefusedWhileTheCurrentEventCannotBeStored();
    void closingWithAnInvalidCostInTheBoxIsRefused();
    void escapeDoesNotCloseTheWindow();
    void helpAsksForTopic100();
};

void TestSchemalClose::exitPurgesUnnamedEventsAndKeepsTheRest_data()
{
    QTest::addColumn<bool>("byFrame"); // closed by the window frame instead of "Exit"
    QTest::newRow("Exit") << false;
    QTest::newRow("window frame") << true;
}

void TestSchemalClose::exitPurgesUnnamedEventsAndKeepsTheRest()
{
    QFETCH(bool, byFrame);
    F f;
    f.createProjectWithoutNameRequirement();
    addUnnamed(F::day(5, 1));
    f.addEvent(QStringLiteral("Hotel"), F::day(5, 2), F::day(5, 3));
    addUnnamed(F::day(5, 4));
    addUnnamed(F::day(5, 5));
    f.addEvent(QStringLiteral("Train"), F::day(5, 6), F::day(5, 6));
    addUnnamed(F::day(5, 7)); // the last in every order
    TfmSchemal* w = f.open();
    QCOMPARE(w->dbSchedule->recordCount(), 6);

    if (byFrame)
        QVERIFY(w->close());
    else
        w->mnAter->trigger();

    QVERIFY(!w->isVisible());
    QCOMPARE(w->result(), int(QDialog::Rejected));
    QVERIFY(f.dialogs.calls().isEmpty());
    QCOMPARE(names(f.stored()), (QStringList{QStringLiteral("Hotel"), QStringLiteral("Train")}));
}

void TestSchemalClose::purgeWalksWithTheControlsDetached()
{
    F f;
    f.createProjectWithoutNameRequirement();
    for (int d = 1; d <= 5; ++d)
        f.addEvent(QStringLiteral("Event %1").arg(d), F::day(5, d), F::day(5, d));
    addUnnamed(F::day(5, 6));
    TfmSchemal* w = f.open();

    // A link that stays on the source sees the walk; the window's controls are taken off it
    // for the walk and put back afterwards, showing the event the table then stands on.
    ReloadCounter counter;
    counter.setDataSource(w->dsSchedule);
    QVERIFY(w->PurgeUnnamedEvents());
    QVERIFY(counter.moves >= 5);
    for (DataLink* link :
         std::initializer_list<DataLink*>{w->dbedEvent, w->dbedCost, w->cbdbBooked, w->cbdbPaid})
        QCOMPARE(link->dataSource(), w->dsSchedule);
    QCOMPARE(w->dbSchedule->recordCount(), 5);
    QCOMPARE(w->dbedEvent->text(), w->dbSchedule->fieldByName(QStringLiteral("Event")).asString());
    QVERIFY(w->dbSchedule->eof());
}

void TestSchemalClose::closingStoresAChangedCurrentEvent()
{
    F f;
    f.createProject();
    f.addEvent(QStringLiteral("Hotel"), F::day(5, 2), F::day(5, 3));
    TfmSchemal* w = f.open();

    // Typed into the bound boxes and not handed over yet: closing stores it all the same.
    QVERIFY(w->SelectEvent(QStringLiteral("Hotel"), F::day(5, 2)));
    F::retype(w->dbedEvent, QStringLiteral("Grand Hotel"));
    QTest::keyClicks(w->dbedCost, QStringLiteral("99"));
    w->mnAter->trigger();

    QVERIFY(!w->isVisible());
    QVERIFY(f.dialogs.calls().isEmpty());
    const QList<EventText> stored = f.stored();
    QCOMPARE(stored.size(), 1);
    QCOMPARE(stored[0][0], QStringLiteral("Grand Hotel"));
    QCOMPARE(stored[0][5], QStringLiteral("99"));
}

void TestSchemalClose::closingIsRefusedWhileTheCurrentEventCannotBeStored()
{
    F f;
    f.createProject();
    f.addEvent(QStringLiteral("Hotel"), F::day(5, 2), F::day(5, 3));
    TfmSchemal* w = f.open();

    F::click(w->btnNew);
    QTest::keyClicks(w->dbedCost, QStringLiteral("12"));
    w->mnAter->trigger();

    QCOMPARE(f.dialogs.textsOf(DialogKind::DefaultError),
             QStringList{QStringLiteral("Field 'Event' must have a value.")});
    QVERIFY(w->isVisible());
    QCOMPARE(w->dbSchedule->state(), TableState::Insert);
    // The controls follow the table again and show what is pending.
    for (DataLink* link :
         std::initializer_list<DataLink*>{w->dbedEvent, w->dbedCost, w->cbdbBooked, w->cbdbPaid})
        QCOMPARE(link->dataSource(), w->dsSchedule);
    QVERIFY2(w->dbedCost->text().contains(QStringLiteral("12")), qPrintable(w->dbedCost->text()));

    // The window stays usable: named, the event is stored and the window closes.
    QTest::keyClicks(w->dbedEvent, QStringLiteral("Deposit"));
    QCOMPARE(w->dbedEvent->text(), QStringLiteral("Deposit"));
    w->mnAter->trigger();
    QVERIFY(!w->isVisible());
    QCOMPARE(f.dialogs.calls().size(), 1);
    const QList<EventText> stored = f.stored();
    // Never saved, the new event has no start date and comes first in start order.
    QCOMPARE(names(stored), (QStringList{QStringLiteral("Deposit"), QStringLiteral("Hotel")}));
    QCOMPARE(stored[0][5], QStringLiteral("12"));
}

void TestSchemalClose::closingWithAnInvalidCostInTheBoxIsRefused()
{
    F f;
    f.createProject();
    f.addEvent(QStringLiteral("Hotel"), F::day(5, 2), F::day(5, 3), QStringLiteral("40"));
    TfmSchemal* w = f.open();

    QVERIFY(w->SelectEvent(QStringLiteral("Hotel"), F::day(5, 2)));
    F::retype(w->dbedCost, QStringLiteral("forty"));
    QVERIFY(!w->close());

    const QStringList errors = f.dialogs.textsOf(DialogKind::DefaultError);
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors[0].startsWith(QStringLiteral("'forty' is not a valid")), qPrintable(errors[0]));
    QVERIFY(w->isVisible());
    for (DataLink* link :
         std::initializer_list<DataLink*>{w->dbedEvent, w->dbedCost, w->cbdbBooked, w->cbdbPaid})
        QCOMPARE(link->dataSource(), w->dsSchedule);
    QCOMPARE(f.stored().value(0).value(5), QStringLiteral("40"));
}

void TestSchemalClose::escapeDoesNotCloseTheWindow()
{
    F f;
    f.createProject();
    TfmSchemal* w = f.open();
    QTest::keyClick(w, Qt::Key_Escape);
    QVERIFY(w->isVisible());
    QVERIFY(f.dialogs.calls().isEmpty());
}

void TestSchemalClose::helpAsksForTopic100()
{
    F f;
    f.createProject();
    QList<int> asked;
    Application::setHelpHandler([&asked](int context) { asked << context; });
    TfmSchemal* w = f.open();

    w->mnHjalp->trigger();
    QTest::keyClick(w->dbedCost, Qt::Key_F1);
    Application::setHelpHandler({});

    QCOMPARE(asked, (QList<int>{100, 100}));
    QVERIFY(w->isVisible());
    QVERIFY(f.dialogs.calls().isEmpty());
}

FERNGROVE_TEST_MAIN(TestSchemalClose)
#include "tst_schemal_close.moc"

// Row orders, navigation, row numbers, bookmarks, key search, deletion and filters.

#include "tst_table_fixture.h"

#include "platform/core/FormatSettings.h"

#include <QRandomGenerator>
#include <algorithm>
#include <map>

namespace {

const QString Event = QStringLiteral("Event");

// Events added in this order: names, dates and times scrambled.
void addSample(ProjectTable& t)
{
    t.add(QStringLiteral("Museum"), day(2026, 5, 3), at(10));   // 1
    t.add(QStringLiteral("Ferry"), day(2026, 5, 2), at(14));    // 2
    t.add(QStringLiteral("Ferry"), day(2026, 5, 1), at(8));     // 3
    t.add(QStringLiteral("alpine hut"), day(2026, 5, 2), at(9)); // 4
    t.add(QStringLiteral("Bus"), day(2026, 5, 2), at(14));      // 5, same start as 2
    t.add(QStringLiteral("Ferry"), day(2026, 5, 2), at(9));     // 6
    t.add(QStringLiteral("Zoo"), QVariant(), QVariant());       // 7, no start date
}

struct SavedFormats
{
    FormatSettings saved = formatSettings();
    ~SavedFormats() { formatSettings() = saved; }
};

} // namespace

class TestTableNavigation : public QObject
{
    Q_OBJECT
private slots:
    void shouldOrderRowsByTheIndexInForce_data();
    void shouldOrderRowsByTheIndexInForce();
    void shouldKeepTheCurrentRowAcrossIndexChanges();
    void shouldRefuseAnUnknownIndex();
    void shouldNumberRowsInTheCurrentOrder_data();
    void shouldNumberRowsInTheCurrentOrder();
    void shouldStopAtBothEnds();
    void shouldReturnToABookmarkInAnyOrder();
    void shouldFindByPartialKeyOnThePrimaryIndexWhileStartIsInForce_data();
    void shouldFindByPartialKeyOnThePrimaryIndexWhileStartIsInForce();
    void shouldNotMoveWhenNoKeyMatches();
    void shouldMoveToTheNeighbourAfterADelete_data();
    void shouldMoveToTheNeighbourAfterADelete();
    void shouldCancelANewRowInsteadOfDeletingIt();
    void shouldRefuseAnEmptyNewRowAfterTheLastRowIsDeleted();
    void shouldKeepOrdersSortedThroughManyChanges();
    void shouldFilterByDateRangeInclusively_data();
    void shouldFilterByDateRangeInclusively();
    void shouldRefuseABadFilterWhenItTakesEffect();
    void shouldKeepAnEditedRowThatLeftTheFilterUntilLeft();
    void shouldReuseACachedOrderAndRebuildAStaleOne();
};

void TestTableNavigation::shouldOrderRowsByTheIndexInForce_data()
{
    QTest::addColumn<QString>("index");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QList<double>>("starts");
    // Names by code units: capitals before small letters; then date, then time.
    QTest::newRow("primary") << QString()
                             << QStringList{"Bus", "Ferry", "Ferry", "Ferry", "Museum", "Zoo", "alpine hut"}
                             << QList<double>{day(2026, 5, 2) + at(14), day(2026, 5, 1) + at(8), day(2026, 5, 2) + at(9),
                                              day(2026, 5, 2) + at(14), day(2026, 5, 3) + at(10), 0.0, day(2026, 5, 2) + at(9)};
    // An empty start first; equal starts in the order they were added (Ferry before Bus).
    QTest::newRow("Start") << QStringLiteral("Start")
                           << QStringList{"Zoo", "Ferry", "alpine hut", "Ferry", "Ferry", "Bus", "Museum"}
                           << QList<double>{0.0, day(2026, 5, 1) + at(8), day(2026, 5, 2) + at(9), day(2026, 5, 2) + at(9),
                                            day(2026, 5, 2) + at(14), day(2026, 5, 2) + at(14), day(2026, 5, 3) + at(10)};
    QTest::newRow("Recno") << QStringLiteral("Recno")
                           << QStringList{"Museum", "Ferry", "Ferry", "alpine hut", "Bus", "Ferry", "Zoo"} << QList<double>{};
}

void TestTableNavigation::shouldOrderRowsByTheIndexInForce()
{
    QFETCH(QString, index);
    QFETCH(QStringList, names);
    QFETCH(QList<double>, starts);
    ProjectTable t;
    addSample(t);
    t->setIndexName(index);
    QCOMPARE(t.names(), names);
    if (!starts.isEmpty()) {
        QList<double> got;
        for (t->first(); !t->eof(); t->next())
            got.append(t->fieldByName(QStringLiteral("Start date")).asDateTime() + t->fieldByName(QStringLiteral("Start time")).asDateTime());
        QCOMPARE(got, starts);
    }
    // The same after reopening, whether the order comes from the cache or is rebuilt.
    t->close();
    t->open();
    QCOMPARE(t.names(), names);
}

void TestTableNavigation::shouldKeepTheCurrentRowAcrossIndexChanges()
{
    ProjectTable t;
    addSample(t);
    QVERIFY(t->findKey({QStringLiteral("Museum")}));
    QCOMPARE(t->recNo(), 5);
    t->setIndexName(QStringLiteral("Start"));
    QCOMPARE(t->indexName(), QStringLiteral("Start"));
    QCOMPARE(t.current(), QStringLiteral("Museum"));
    QCOMPARE(t->recNo(), 7);
    t->prior();
    QCOMPARE(t.current(), QStringLiteral("Bus"));
    t->setIndexName(QString());
    QCOMPARE(t.current(), QStringLiteral("Bus"));
    QCOMPARE(t->recNo(), 1);
}

void TestTableNavigation::shouldRefuseAnUnknownIndex()
{
    ProjectTable t;
    addSample(t);
    t->setIndexName(QStringLiteral("Start"));
    FG_VERIFY_THROWS_MESSAGE(EDatabaseError, t->setIndexName(QStringLiteral("End")), QStringLiteral("Index 'End' not found"));
    QCOMPARE(t->indexName(), QStringLiteral("Start"));
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, t->findKeyOnIndex(QStringLiteral("End"), {1.0}));
}

void TestTableNavigation::shouldNumberRowsInTheCurrentOrder_data()
{
    QTest::addColumn<QString>("index");
    QTest::addColumn<QString>("name");
    QTest::addColumn<double>("date");
    QTest::addColumn<int>("recNo");
    QTest::newRow("primary, first") << QString() << "Bus" << day(2026, 5, 2) << 1;
    QTest::newRow("primary, third Ferry") << QString() << "Ferry" << day(2026, 5, 2) << 3;
    QTest::newRow("Start, third row") << QStringLiteral("Start") << "alpine hut" << day(2026, 5, 2) << 3;
    QTest::newRow("Start, last") << QStringLiteral("Start") << "Museum" << day(2026, 5, 3) << 7;
}

void TestTableNavigation::shouldNumberRowsInTheCurrentOrder()
{
    QFETCH(QString, index);
    QFETCH(QString, name);
    QFETCH(double, date);
    QFETCH(int, recNo);
    ProjectTable t;
    addSample(t);
    t->setIndexName(index);
    QVERIFY(t->findKeyOnIndex(QString(), {name, date}));
    QCOMPARE(t->recNo(), recNo);
    QCOMPARE(t->recordCount(), 7);
    t->append();
    QCOMPARE(t->recNo(), 0);
}

void TestTableNavigation::shouldStopAtBothEnds()
{
    ProjectTable t;
    t.add(QStringLiteral("A"), day(2026, 5, 1));
    t.add(QStringLiteral("B"), day(2026, 5, 1));
    t->first();
    QVERIFY(t->bof() && !t->eof());
    t->prior();
    QVERIFY(t->bof());
    QCOMPARE(t.current(), QStringLiteral("A"));
    t->next();
    QVERIFY(!t->bof() && !t->eof());
    t->next();
    QVERIFY(t->eof());
    QCOMPARE(t.current(), QStringLiteral("B"));
    t->last();
    QVERIFY(t->eof() && !t->bof());
    QCOMPARE(t.current(), QStringLiteral("B"));
}

void TestTableNavigation::shouldReturnToABookmarkInAnyOrder()
{
    ProjectTable t;
    addSample(t);
    QVERIFY(t->findKey({QStringLiteral("Bus")}));
    const Bookmark bus = t->bookmark();
    QVERIFY(bus != 0 && t->bookmarkValid(bus));
    t->setIndexName(QStringLiteral("Start"));
    t->first();
    QCOMPARE(t.current(), QStringLiteral("Zoo"));
    t->gotoBookmark(bus);
    QCOMPARE(t.current(), QStringLiteral("Bus"));
    QCOMPARE(t->recNo(), 6);
    t->freeBookmark(bus);
    // A bookmark of a deleted row is refused and nothing moves.
    t->deleteRecord();
    const QString now = t.current();
    QVERIFY(!t->bookmarkValid(bus));
    FG_VERIFY_THROWS_MESSAGE(EDatabaseError, t->gotoBookmark(bus), QStringLiteral("Record not found"));
    QCOMPARE(t.current(), now);
}

void TestTableNavigation::shouldFindByPartialKeyOnThePrimaryIndexWhileStartIsInForce_data()
{
    QTest::addColumn<QVariantList>("key");
    QTest::addColumn<double>("foundTime");
    // The bar click gives the name and the start instant; only its date is part of the key.
    QTest::newRow("date of the 14:00 bar") << QVariantList{QStringLiteral("Ferry"), day(2026, 5, 2) + at(14)} << at(9);
    QTest::newRow("date alone") << QVariantList{QStringLiteral("Ferry"), day(2026, 5, 2)} << at(9);
    QTest::newRow("name alone") << QVariantList{QStringLiteral("Ferry")} << at(8);
    QTest::newRow("whole key") << QVariantList{QStringLiteral("Ferry"), day(2026, 5, 2), at(14)} << at(14);
    QTest::newRow("date as QDate") << QVariantList{QStringLiteral("Ferry"), QDate(2026, 5, 2)} << at(9);
}

void TestTableNavigation::shouldFindByPartialKeyOnThePrimaryIndexWhileStartIsInForce()
{
    QFETCH(QVariantList, key);
    QFETCH(double, foundTime);
    ProjectTable t;
    addSample(t); // Ferry on 2 May at 14:00 was added before Ferry on 2 May at 09:00
    t->setIndexName(QStringLiteral("Start"));
    t->first();
    QVERIFY(t->findKeyOnIndex(QString(), key));
    QCOMPARE(t->indexName(), QStringLiteral("Start"));
    QCOMPARE(t.current(), QStringLiteral("Ferry"));
    QCOMPARE(t->fieldByName(QStringLiteral("Start time")).asDateTime(), foundTime);
    // Navigation goes on in the order in force.
    const int n = t->recNo();
    t->next();
    QCOMPARE(t->recNo(), n + 1);
}

void TestTableNavigation::shouldNotMoveWhenNoKeyMatches()
{
    ProjectTable t;
    addSample(t);
    QVERIFY(t->findKey({QStringLiteral("Museum")}));
    QVERIFY(!t->findKey({QStringLiteral("ferry")}));                   // case matters
    QVERIFY(!t->findKey({QStringLiteral("Ferry"), day(2026, 5, 9)}));
    QVERIFY(!t->findKey({QStringLiteral("Zoo"), 0.0}));                // an empty date is not day 0
    QVERIFY(t->findKey({QStringLiteral("Zoo"), QVariant()}));           // but an empty key value finds it
    QVERIFY(t->findKey({QStringLiteral("Museum")}));
    QVERIFY(!t->findKey({QString(50, QLatin1Char('M')) + QLatin1String("useum")}));
    QCOMPARE(t.current(), QStringLiteral("Museum"));
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, t->findKey({QStringLiteral("a"), 1.0, 0.5, 4}));
}

void TestTableNavigation::shouldMoveToTheNeighbourAfterADelete_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("deleted");
    QTest::addColumn<QString>("current");
    QTest::addColumn<bool>("eof");
    QTest::newRow("middle row: the next one") << 3 << "B" << "C" << false;
    QTest::newRow("first row: the next one") << 3 << "A" << "B" << false;
    QTest::newRow("last row: the one before") << 3 << "C" << "B" << true;
    QTest::newRow("only row: none") << 1 << "A" << "" << true;
}

void TestTableNavigation::shouldMoveToTheNeighbourAfterADelete()
{
    QFETCH(int, rows);
    QFETCH(QString, deleted);
    QFETCH(QString, current);
    QFETCH(bool, eof);
    ProjectTable t;
    for (int i = 0; i < rows; ++i)
        t.add(QString(QLatin1Char(char('A' + i))), day(2026, 5, 1));
    QVERIFY(t->findKey({deleted}));
    t->edit(); // a pending edit goes with the row
    t->fieldByName(QStringLiteral("Day")).setAsString(QStringLiteral("Mon"));
    t->deleteRecord();
    QCOMPARE(t->state(), TableState::Browse);
    QCOMPARE(t.current(), current);
    QCOMPARE(t->eof(), eof);
    QCOMPARE(t->recordCount(), rows - 1);
    QVERIFY(!t.names().contains(deleted));
}

void TestTableNavigation::shouldCancelANewRowInsteadOfDeletingIt()
{
    ProjectTable t;
    t.add(QStringLiteral("A"), day(2026, 5, 1));
    t.add(QStringLiteral("B"), day(2026, 5, 1));
    QVERIFY(t->findKey({QStringLiteral("A")}));
    t->append();
    t->fieldByName(Event).setAsString(QStringLiteral("New"));
    QVERIFY(t->modified());
    t->deleteRecord();
    QCOMPARE(t->state(), TableState::Browse);
    QVERIFY(!t->modified());
    QCOMPARE(t.names(), (QStringList{"A", "B"}));
}

void TestTableNavigation::shouldRefuseAnEmptyNewRowAfterTheLastRowIsDeleted()
{
    // Deleting the last event, then edit and post: the new, empty row is refused and stays in
    // Insert; leaving it unchanged drops it.
    ProjectTable t;
    t.add(QStringLiteral("A"), day(2026, 5, 1));
    t->deleteRecord();
    QVERIFY(t->isEmpty());
    QVERIFY(t->eof() && t->bof());
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, t->deleteRecord());
    t->edit();
    QCOMPARE(t->state(), TableState::Insert);
    FG_VERIFY_THROWS_MESSAGE(EDatabaseError, t->post(), QStringLiteral("Field 'Event' must have a value"));
    QCOMPARE(t->state(), TableState::Insert);
    t->first();
    QCOMPARE(t->state(), TableState::Browse);
    QCOMPARE(t->recordCount(), 0);
}

void TestTableNavigation::shouldKeepOrdersSortedThroughManyChanges()
{
    // Random appends, edits and deletes; after each step every order equals a fresh sort.
    ProjectTable t;
    QRandomGenerator rng(20261211);
    std::map<qint64, std::tuple<QString, double, double>> model; // RecordID -> key
    for (int step = 0; step < 300; ++step) {
        const int action = rng.bounded(10);
        const QString name = QString(QLatin1Char(char('A' + rng.bounded(4))));
        const double date = day(2026, 5, 1 + rng.bounded(3));
        const double time = at(rng.bounded(3) * 6);
        if (action < 6 || model.empty()) {
            t->append();
        } else {
            auto it = model.begin();
            std::advance(it, rng.bounded(int(model.size())));
            t->gotoBookmark(it->first);
            if (action == 9) {
                t->deleteRecord();
                model.erase(it);
                continue;
            }
            t->edit();
        }
        t->fieldByName(Event).setAsString(name);
        t->fieldByName(QStringLiteral("Start date")).setAsDateTime(date);
        t->fieldByName(QStringLiteral("Start time")).setAsDateTime(time);
        try {
            t->post();
            model[t->bookmark()] = {name, date, time};
        } catch (const EDatabaseError&) {
            t->cancel(); // a duplicate key
        }
    }
    QCOMPARE(t->recordCount(), int(model.size()));
    using Key = std::tuple<QString, double, double, qint64>;
    std::vector<Key> primary, start;
    for (const auto& [id, k] : model) {
        primary.emplace_back(std::get<0>(k), std::get<1>(k), std::get<2>(k), id);
        start.emplace_back(QString(), std::get<1>(k), std::get<2>(k), id);
    }
    std::sort(primary.begin(), primary.end());
    std::sort(start.begin(), start.end());
    for (const auto& [index, expected] : {std::pair{QString(), primary}, std::pair{QStringLiteral("Start"), start}}) {
        t->setIndexName(index);
        std::vector<qint64> got, want;
        for (t->first(); !t->eof(); t->next())
            got.push_back(t->bookmark());
        for (const Key& k : expected)
            want.push_back(std::get<3>(k));
        QCOMPARE(got, want);
    }
}

void TestTableNavigation::shouldFilterByDateRangeInclusively_data()
{
    QTest::addColumn<QString>("shortDateFormat");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QString>("expression");
    QTest::newRow("United States") << "M/d/yyyy" << "/" << "\"Start date\" >= '5/2/2026'and \"Start date\" <= '5/3/2026'";
    QTest::newRow("Sweden") << "yyyy-MM-dd" << "-" << "\"Start date\" >= '2026-05-02'and \"Start date\" <= '2026-05-03'";
}

void TestTableNavigation::shouldFilterByDateRangeInclusively()
{
    QFETCH(QString, shortDateFormat);
    QFETCH(QString, separator);
    QFETCH(QString, expression);
    SavedFormats restore;
    formatSettings().shortDateFormat = shortDateFormat;
    formatSettings().dateSeparator = separator.at(0);
    ProjectTable t;
    addSample(t);
    t->setIndexName(QStringLiteral("Start"));
    // As the print dialog builds it: the short date of each bound, "and" right after the quote.
    auto quoted = [](double d) { return QLatin1Char('\'') + Format::formatDateTime(formatSettings().shortDateFormat, d) + QLatin1Char('\''); };
    const QString built = QLatin1String("\"Start date\" >= ") + quoted(day(2026, 5, 2)) + QLatin1String("and \"Start date\" <= ")
        + quoted(day(2026, 5, 3));
    QCOMPARE(built, expression);
    t->setFiltered(true);
    t->setFilter(built);
    QCOMPARE(t->recordCount(), 5);
    QCOMPARE(t.names(), (QStringList{"alpine hut", "Ferry", "Ferry", "Bus", "Museum"}));
    t->last();
    QCOMPARE(t->recNo(), 5);
    t->first();
    QCOMPARE(t->recNo(), 1);
    // Only passing rows can be reached.
    QVERIFY(!t->findKey({day(2026, 5, 1)})); // Ferry on 1 May is filtered out
    QVERIFY(t->findKeyOnIndex(QString(), {QStringLiteral("Ferry")}));
    QCOMPARE(t->fieldByName(QStringLiteral("Start date")).asDateTime(), day(2026, 5, 2));
    t->setFiltered(false);
    QCOMPARE(t->recordCount(), 7);
    QCOMPARE(t->filter(), built); // the expression stays set
}

void TestTableNavigation::shouldRefuseABadFilterWhenItTakesEffect()
{
    SavedFormats restore;
    formatSettings() = FormatSettings::defaults();
    ProjectTable t;
    addSample(t);
    const QString bad = QStringLiteral("\"Start date\" >= '2026-05-02'");
    t->setFilter(bad); // not in effect yet
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, t->setFiltered(true));
    QVERIFY(!t->filtered());
    QCOMPARE(t->recordCount(), 7);
    t->setFilter(QStringLiteral("\"Start date\" >= '5/2/2026'"));
    t->setFiltered(true);
    QCOMPARE(t->recordCount(), 5);
    FG_VERIFY_THROWS_MESSAGE(EDatabaseError, t->setFilter(QStringLiteral("\"Start dat\" >= '5/2/2026'")),
                             QStringLiteral("Field 'Start dat' not found"));
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, t->setFilter(QStringLiteral("\"Start date\" >=")));
    QCOMPARE(t->filter(), QStringLiteral("\"Start date\" >= '5/2/2026'"));
    QCOMPARE(t->recordCount(), 5);
}

void TestTableNavigation::shouldKeepAnEditedRowThatLeftTheFilterUntilLeft()
{
    SavedFormats restore;
    formatSettings() = FormatSettings::defaults();
    ProjectTable t;
    addSample(t);
    t->setIndexName(QStringLiteral("Start"));
    t->setFilter(QStringLiteral("\"Start date\" = '5/2/2026'"));
    t->setFiltered(true);
    t->first();
    t->next();
    QCOMPARE(t->recNo(), 2);
    QCOMPARE(t.current(), QStringLiteral("Ferry"));
    QCOMPARE(t->fieldByName(QStringLiteral("Start time")).asDateTime(), at(9));
    t->edit();
    t->fieldByName(QStringLiteral("Start date")).setAsDateTime(day(2026, 6, 1));
    t->post();
    // Stored, no longer passing, still current.
    QCOMPARE(t.current(), QStringLiteral("Ferry"));
    QCOMPARE(t->fieldByName(QStringLiteral("Start date")).asDateTime(), day(2026, 6, 1));
    QCOMPARE(t->recordCount(), 3);
    t->next(); // it now sorts last in Start order: nothing passing lies after it
    QVERIFY(t->eof());
    t->prior(); // back among the rows that pass
    QCOMPARE(t.current(), QStringLiteral("Bus"));
    QCOMPARE(t.names(), (QStringList{"alpine hut", "Ferry", "Bus"}));
}

void TestTableNavigation::shouldReuseACachedOrderAndRebuildAStaleOne()
{
    ProjectTable t;
    addSample(t);
    t->close();
    // A second table object changes the rows while the first one is closed: its order cache
    // then no longer matches and must be rebuilt.
    {
        Table other;
        other.setDatabaseName(t.dir.path());
        other.setTableName(QStringLiteral("Trip.dat"));
        other.open();
        QVERIFY(other.findKey({QStringLiteral("Bus")}));
        other.deleteRecord();
        other.append();
        other.fieldByName(Event).setAsString(QStringLiteral("Aquarium"));
        other.post();
        other.close();
    }
    t->open();
    QCOMPARE(t.names(), (QStringList{"Aquarium", "Ferry", "Ferry", "Ferry", "Museum", "Zoo", "alpine hut"}));
    t->close();
    t->open();
    QCOMPARE(t.names(), (QStringList{"Aquarium", "Ferry", "Ferry", "Ferry", "Museum", "Zoo", "alpine hut"}));
}

QTEST_GUILESS_MAIN(TestTableNavigation)
#include "tst_table_navigation.moc"

// Data sources and links: what bound controls are told, the hand-over of their text before a
// post or before leaving a row, automatic edit, and clean detaching.

#include "tst_table_fixture.h"

#include "platform/table/DataSource.h"

#include <functional>

using TableOp = std::function<void(Table&)>;
Q_DECLARE_METATYPE(TableOp)

namespace {

// A bound control's stand-in: records every notification; on "update data" it writes its
// pending text, if any, into its field (as a bound edit does).
class RecordingLink : public DataLink
{
public:
    QStringList log;
    QString field = QStringLiteral("Event");
    std::optional<QString> pending;
    std::function<void()> onRecordChanged;

    void activeChanged() override { log.append(QStringLiteral("active")); }
    void recordChanged() override
    {
        log.append(QStringLiteral("record"));
        if (onRecordChanged)
            onRecordChanged();
    }
    void stateChanged() override { log.append(QStringLiteral("state")); }
    void updateData() override
    {
        log.append(QStringLiteral("update"));
        if (pending) {
            dataSource()->dataSet()->fieldByName(field).setAsString(*pending);
            pending.reset();
        }
    }
};

} // namespace

class TestDataSource : public QObject
{
    Q_OBJECT
private slots:
    void shouldTellLinksWhatHappened_data();
    void shouldTellLinksWhatHappened();
    void shouldHandOverTextBeforePosting();
    void shouldDropAnUnchangedNewRowAndPostAChangedOne_data();
    void shouldDropAnUnchangedNewRowAndPostAChangedOne();
    void shouldNotMoveWhenLeavingARowIsRefused_data();
    void shouldNotMoveWhenLeavingARowIsRefused();
    void shouldEditAutomatically_data();
    void shouldEditAutomatically();
    void shouldStaySilentDuringAScan();
    void shouldDetachWhenEitherSideIsDestroyed();
    void shouldSurviveALinkDetachingDuringANotification();
};

void TestDataSource::shouldTellLinksWhatHappened_data()
{
    QTest::addColumn<TableOp>("op");
    QTest::addColumn<QStringList>("log");
    QTest::newRow("close") << TableOp([](Table& t) { t.close(); }) << QStringList{"state", "active"};
    QTest::newRow("next") << TableOp([](Table& t) { t.next(); }) << QStringList{"record"};
    QTest::newRow("next at the end") << TableOp([](Table& t) { t.last(); t.next(); }) << QStringList{"record"};
    QTest::newRow("edit") << TableOp([](Table& t) { t.edit(); }) << QStringList{"state", "record"};
    QTest::newRow("append") << TableOp([](Table& t) { t.append(); }) << QStringList{"state", "record"};
    QTest::newRow("cancel an edit") << TableOp([](Table& t) { t.edit(); t.cancel(); })
                                    << QStringList{"state", "record", "state", "record"};
    QTest::newRow("post") << TableOp([](Table& t) {
        t.edit();
        t.fieldByName(QStringLiteral("Day")).setAsString(QStringLiteral("Mon"));
        t.post();
    }) << QStringList{"state", "record", "update", "state", "record"};
    QTest::newRow("delete") << TableOp([](Table& t) { t.deleteRecord(); }) << QStringList{"record"};
    QTest::newRow("index change") << TableOp([](Table& t) { t.setIndexName(QStringLiteral("Start")); }) << QStringList{"record"};
    QTest::newRow("leaving an unchanged edit") << TableOp([](Table& t) { t.edit(); t.next(); })
                                               << QStringList{"state", "record", "update", "state", "record", "record"};
}

void TestDataSource::shouldTellLinksWhatHappened()
{
    QFETCH(TableOp, op);
    QFETCH(QStringList, log);
    ProjectTable t;
    t.add(QStringLiteral("A"), day(2026, 5, 1));
    t.add(QStringLiteral("B"), day(2026, 5, 1));
    t->first();
    DataSource ds;
    ds.setDataSet(t.table.get());
    RecordingLink link;
    link.setDataSource(&ds);
    QCOMPARE(link.dataSource(), &ds);
    op(*t);
    QCOMPARE(link.log, log);
}

void TestDataSource::shouldHandOverTextBeforePosting()
{
    ProjectTable t;
    DataSource ds;
    ds.setDataSet(t.table.get());
    RecordingLink link;
    link.setDataSource(&ds);
    t->append();
    link.pending = QStringLiteral("Typed name");
    t->post(); // "Event" is required: only the handed-over text lets the post through
    QCOMPARE(t->state(), TableState::Browse);
    QCOMPARE(t.current(), QStringLiteral("Typed name"));
    QVERIFY(link.log.indexOf(QStringLiteral("update")) >= 0);
    QVERIFY(link.log.indexOf(QStringLiteral("update")) < link.log.lastIndexOf(QStringLiteral("state")));
}

void TestDataSource::shouldDropAnUnchangedNewRowAndPostAChangedOne_data()
{
    QTest::addColumn<bool>("typed");
    QTest::newRow("nobody typed") << false;
    QTest::newRow("a name was typed") << true;
}

void TestDataSource::shouldDropAnUnchangedNewRowAndPostAChangedOne()
{
    QFETCH(bool, typed);
    ProjectTable t;
    t.add(QStringLiteral("A"), day(2026, 5, 1));
    DataSource ds;
    ds.setDataSet(t.table.get());
    RecordingLink link;
    link.setDataSource(&ds);
    t->append();
    if (typed)
        link.pending = QStringLiteral("New");
    t->checkBrowseMode();
    QCOMPARE(t->state(), TableState::Browse);
    QCOMPARE(t->recordCount(), typed ? 2 : 1);
    QCOMPARE(t.current(), typed ? QStringLiteral("New") : QStringLiteral("A"));
    QCOMPARE(link.log.count(QStringLiteral("update")), 1);
}

void TestDataSource::shouldNotMoveWhenLeavingARowIsRefused_data()
{
    QTest::addColumn<TableOp>("op");
    QTest::newRow("first") << TableOp([](Table& t) { t.first(); });
    QTest::newRow("next") << TableOp([](Table& t) { t.next(); });
    QTest::newRow("prior") << TableOp([](Table& t) { t.prior(); });
    QTest::newRow("last") << TableOp([](Table& t) { t.last(); });
    QTest::newRow("append") << TableOp([](Table& t) { t.append(); });
    QTest::newRow("index change") << TableOp([](Table& t) { t.setIndexName(QStringLiteral("Start")); });
    QTest::newRow("key search") << TableOp([](Table& t) { t.findKeyOnIndex(QString(), {QStringLiteral("A")}); });
    QTest::newRow("bookmark") << TableOp([](Table& t) { t.gotoBookmark(1); });
    QTest::newRow("filter on") << TableOp([](Table& t) { t.setFiltered(true); });
}

void TestDataSource::shouldNotMoveWhenLeavingARowIsRefused()
{
    QFETCH(TableOp, op);
    ProjectTable t;
    t.add(QStringLiteral("A"), day(2026, 5, 1));
    t.add(QStringLiteral("B"), day(2026, 5, 2));
    t.add(QStringLiteral("C"), day(2026, 5, 3));
    QVERIFY(t->findKey({QStringLiteral("B")}));
    DataSource ds;
    ds.setDataSet(t.table.get());
    RecordingLink link;
    link.setDataSource(&ds);
    t->edit();
    link.pending = QString(); // the user emptied the name box
    FG_VERIFY_THROWS_MESSAGE(EDatabaseError, op(*t), QStringLiteral("Field 'Event' must have a value"));
    QCOMPARE(t->state(), TableState::Edit);
    QVERIFY(t->fieldByName(QStringLiteral("Event")).isNull());
    QCOMPARE(t->indexName(), QString());
    QVERIFY(!t->filtered());
    t->cancel();
    QCOMPARE(t.current(), QStringLiteral("B"));
}

void TestDataSource::shouldEditAutomatically_data()
{
    QTest::addColumn<bool>("autoEdit");
    QTest::addColumn<bool>("empty");
    QTest::addColumn<bool>("editing");
    QTest::addColumn<int>("state");
    QTest::newRow("rows, auto edit") << true << false << true << int(TableState::Edit);
    QTest::newRow("no rows, auto edit: a new row") << true << true << true << int(TableState::Insert);
    QTest::newRow("auto edit off") << false << false << false << int(TableState::Browse);
}

void TestDataSource::shouldEditAutomatically()
{
    QFETCH(bool, autoEdit);
    QFETCH(bool, empty);
    QFETCH(bool, editing);
    QFETCH(int, state);
    ProjectTable t;
    if (!empty)
        t.add(QStringLiteral("A"), day(2026, 5, 1));
    DataSource ds;
    QVERIFY(!ds.edit()); // no table
    ds.setDataSet(t.table.get());
    QVERIFY(ds.autoEdit());
    ds.setAutoEdit(autoEdit);
    QCOMPARE(ds.edit(), editing);
    QCOMPARE(int(t->state()), state);
    QCOMPARE(ds.edit(), editing); // a second call changes nothing
    QCOMPARE(int(t->state()), state);
}

void TestDataSource::shouldStaySilentDuringAScan()
{
    ProjectTable t;
    for (const char* n : {"A", "B", "C"})
        t.add(QLatin1String(n), day(2026, 5, 1));
    DataSource ds;
    ds.setDataSet(t.table.get());
    RecordingLink link;
    link.setDataSource(&ds);
    t->disableControls();
    t->disableControls();
    QStringList names;
    for (t->first(); !t->eof(); t->next())
        names.append(t.current());
    t->edit();
    t->cancel();
    t->enableControls();
    QVERIFY(link.log.isEmpty()); // still disabled once
    t->enableControls();
    QCOMPARE(names, (QStringList{"A", "B", "C"}));
    QCOMPARE(link.log, (QStringList{"state", "record"}));
    t->enableControls(); // unbalanced: ignored
    t->next();
    QCOMPARE(link.log.size(), 2);
}

void TestDataSource::shouldDetachWhenEitherSideIsDestroyed()
{
    // Run under AddressSanitizer: any dangling pointer shows as a use after free.
    auto table = std::make_unique<ProjectTable>();
    auto ds = std::make_unique<DataSource>();
    auto link = std::make_unique<RecordingLink>();
    ds->setDataSet(table->table.get());
    link->setDataSource(ds.get());

    link.reset();            // a link goes first
    (*table)->append();      // the source has nobody to tell
    (*table)->cancel();

    link = std::make_unique<RecordingLink>();
    link->setDataSource(ds.get());
    ds.reset();              // the source goes: its link is detached
    QVERIFY(link->dataSource() == nullptr);

    ds = std::make_unique<DataSource>();
    ds->setDataSet(table->table.get());
    link->setDataSource(ds.get());
    link->log.clear();
    table.reset();           // the table goes: the source forgets it, the link hears it
    QVERIFY(ds->dataSet() == nullptr);
    QCOMPARE(link->log.last(), QStringLiteral("active"));
    QVERIFY(!ds->edit());
    link.reset();
    ds.reset();
}

void TestDataSource::shouldSurviveALinkDetachingDuringANotification()
{
    ProjectTable t;
    t.add(QStringLiteral("A"), day(2026, 5, 1));
    t.add(QStringLiteral("B"), day(2026, 5, 1));
    DataSource ds;
    ds.setDataSet(t.table.get());
    auto first = std::make_unique<RecordingLink>();
    auto second = std::make_unique<RecordingLink>();
    first->setDataSource(&ds);
    second->setDataSource(&ds);
    first->onRecordChanged = [&second] { second.reset(); }; // destroys a link not yet told
    t->first();
    QVERIFY(!second);
    QCOMPARE(first->log, QStringList{"record"});
    t->next();
    QCOMPARE(first->log.size(), 2);
}

QTEST_GUILESS_MAIN(TestDataSource)
#include "tst_datasource.moc"

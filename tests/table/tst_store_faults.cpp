// I/O errors and a full disk at every write and sync of a post and a delete: the call throws a
// clear error, the call has no effect (in memory and after reopening), and the store goes on.

#include "support/StoreTestSupport.h"

#include "platform/core/Exception.h"
#include "platform/table/FaultFileSystem.h"

#include <QTest>
#include <functional>

using namespace StoreTest;

namespace {

using Action = std::function<void(TableStore&)>;

quint32 slotOf(TableStore& store, qint64 id)
{
    for (const auto& row : store.rows())
        if (row.values[RecordID].toLongLong() == id)
            return row.slot;
    throw std::logic_error("no row with that id");
}

// Three rows: 1 with a two-block document, 2 without, 3 with a small one.
void fillTable(MemoryFileSystem& memory)
{
    memory.addFolder(kFolder);
    TableStore::create(memory, kDat, projectSchema());
    auto store = TableStore::open(memory, kDat);
    store->insert(projectRow("One", 1, 0.1, QByteArray(700, 'a')));
    store->insert(projectRow("Two", 2, 0.2));
    store->insert(projectRow("Three", 3, 0.3, QByteArray(30, 'c')));
}

} // namespace

Q_DECLARE_METATYPE(Action)

class TestStoreFaults : public QObject
{
    Q_OBJECT

private:
    void addActions()
    {
        QTest::addColumn<Action>("setup");
        QTest::addColumn<Action>("action");
        const Action none = [](TableStore&) {};
        QTest::newRow("insert into a new slot with a document")
            << none << Action([](TableStore& s) { s.insert(projectRow("New", 9, 0.9, QByteArray(1100, 'n'))); });
        QTest::newRow("insert into a new slot without a document")
            << none << Action([](TableStore& s) { s.insert(projectRow("New", 9, 0.9)); });
        QTest::newRow("insert into a freed slot")
            << Action([](TableStore& s) { s.remove(slotOf(s, 2)); })
            << Action([](TableStore& s) { s.insert(projectRow("New", 9, 0.9, QByteArray(600, 'n'))); });
        QTest::newRow("update replacing a document")
            << none << Action([](TableStore& s) { s.update(slotOf(s, 1), projectRow("One", 1, 0.1, QByteArray(900, 'u'))); });
        QTest::newRow("update adding a document")
            << none << Action([](TableStore& s) { s.update(slotOf(s, 2), projectRow("Two", 2, 0.2, QByteArray(10, 'u'))); });
        QTest::newRow("update dropping a document")
            << none << Action([](TableStore& s) { s.update(slotOf(s, 3), projectRow("Three", 3, 0.3)); });
        QTest::newRow("update of text only")
            << none << Action([](TableStore& s) { s.update(slotOf(s, 2), projectRow(QStringLiteral("Zwei ü"), 2, 0.2)); });
        QTest::newRow("delete") << none << Action([](TableStore& s) { s.remove(slotOf(s, 1)); });
        QTest::newRow("delete of the newest row") << none << Action([](TableStore& s) { s.remove(slotOf(s, 3)); });
    }

    // Runs the action once without faults: its writes and syncs, and the rows after it.
    static std::pair<int, QStringList> dryRun(const Action& setup, const Action& action)
    {
        MemoryFileSystem memory;
        fillTable(memory);
        FaultFileSystem fault(memory);
        auto store = TableStore::open(fault, kDat);
        setup(*store);
        fault.clearFaults();
        action(*store);
        return {fault.operationCount(), describe(*store)};
    }

private slots:
    void shouldFailCleanlyAndGoOn_data() { addActions(); }
    void shouldFailCleanlyAndGoOn()
    {
        QFETCH(Action, setup);
        QFETCH(Action, action);
        const auto [operations, after] = dryRun(setup, action);
        QVERIFY(operations >= 2 && operations <= 4); // at most two syncs, each after its writes
        const struct
        {
            FaultFileSystem::Error error;
            const char* text;
        } errors[] = {{FaultFileSystem::Error::Io, "Input/output error"},
                      {FaultFileSystem::Error::NoSpace, "No space left on device"}};
        const FaultFileSystem::PartialWrite effects[] = {FaultFileSystem::PartialWrite::None,
                                                          FaultFileSystem::PartialWrite::Half,
                                                          FaultFileSystem::PartialWrite::All};
        for (int at = 1; at <= operations; ++at) {
            for (const auto& e : errors) {
                for (const auto effect : effects) {
                    const QString where = QStringLiteral("operation %1, %2, effect %3").arg(at).arg(e.text).arg(int(effect));
                    MemoryFileSystem memory;
                    fillTable(memory);
                    FaultFileSystem fault(memory);
                    auto store = TableStore::open(fault, kDat);
                    setup(*store);
                    const QStringList before = describe(*store);
                    fault.clearFaults();
                    fault.failAt(at, e.error, effect);
                    try {
                        action(*store);
                        QFAIL(qPrintable(where + ": no error"));
                    } catch (const EDatabaseError& error) {
                        QVERIFY2(error.message().contains(QLatin1String(e.text)), qPrintable(error.message()));
                        QVERIFY2(error.message().contains(QLatin1String("/db/Trip.")), qPrintable(error.message()));
                    }
                    QVERIFY2(describe(*store) == before, qPrintable(where + ": memory changed"));
                    QVERIFY2(describe(*TableStore::open(memory, kDat)) == before, qPrintable(where + ": files changed"));
                    action(*store); // the retry succeeds and does exactly what the call would have done
                    QVERIFY2(describe(*store) == after, qPrintable(where + ": retry"));
                    QVERIFY2(describe(*TableStore::open(memory, kDat)) == after, qPrintable(where + ": retry on disk"));
                }
            }
        }
    }

    void shouldRefuseChangesUntilAFailedWriteIsUndone_data() { addActions(); }
    void shouldRefuseChangesUntilAFailedWriteIsUndone()
    {
        QFETCH(Action, setup);
        QFETCH(Action, action);
        const auto [operations, after] = dryRun(setup, action);
        for (int at = 1; at <= operations; ++at) {
            const QString where = QStringLiteral("operation %1").arg(at);
            MemoryFileSystem memory;
            fillTable(memory);
            FaultFileSystem fault(memory);
            auto store = TableStore::open(fault, kDat);
            setup(*store);
            const QStringList before = describe(*store);
            fault.clearFaults();
            // The disk stays full: the commit's bytes may stay on disk since wiping them fails too.
            fault.failAt(at, FaultFileSystem::Error::NoSpace, FaultFileSystem::PartialWrite::All, true);
            QVERIFY_THROWS_EXCEPTION(EDatabaseError, action(*store));
            QVERIFY_THROWS_EXCEPTION(EDatabaseError, action(*store));
            QVERIFY2(describe(*store) == before, qPrintable(where));
            // Whatever reached the disk is one whole state, never a mix.
            const QStringList onDisk = describe(*TableStore::open(memory, kDat));
            QVERIFY2(onDisk == before || onDisk == after, qPrintable(where));
            fault.clearFaults(); // space again
            action(*store);
            QVERIFY2(describe(*store) == after, qPrintable(where));
            QVERIFY2(describe(*TableStore::open(memory, kDat)) == after, qPrintable(where));
        }
    }

    void shouldNotCreateAHalfTableWhenTheDiskIsFull()
    {
        int total = 0;
        {
            MemoryFileSystem memory;
            memory.addFolder(kFolder);
            FaultFileSystem fault(memory);
            TableStore::create(fault, kDat, projectSchema());
            total = fault.operationCount();
        }
        for (int at = 1; at <= total; ++at) {
            MemoryFileSystem memory;
            memory.addFolder(kFolder);
            FaultFileSystem fault(memory);
            fault.failAt(at, FaultFileSystem::Error::NoSpace, FaultFileSystem::PartialWrite::Half);
            try {
                TableStore::create(fault, kDat, projectSchema());
                QFAIL("no error");
            } catch (const EDatabaseError& e) {
                QVERIFY2(e.message().startsWith("Cannot create the table 'Trip.dat' in the folder '/db': "),
                         qPrintable(e.message()));
                QVERIFY(e.message().contains("No space left on device"));
            }
            QCOMPARE(memory.files(), QStringList());
            TableStore::create(memory, kDat, projectSchema()); // nothing in the way afterwards
        }
    }
};

QTEST_GUILESS_MAIN(TestStoreFaults)
#include "tst_store_faults.moc"

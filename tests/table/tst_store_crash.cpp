// Crash safety: the machine stops after every write and sync of a run of posts in turn, under
// every crash model of the fault-injecting file system. The files must open afterwards and
// hold every call that returned, and the call in flight entirely or not at all.

#include "support/StoreTestSupport.h"

#include "platform/core/Exception.h"
#include "platform/table/FaultFileSystem.h"

#include <QTest>
#include <functional>

using namespace StoreTest;

namespace {

QByteArray bytes(int length, char seed)
{
    QByteArray d(length, Qt::Uninitialized);
    for (int i = 0; i < length; ++i)
        d[i] = char(seed ^ (i * 13));
    return d;
}

quint32 slotOf(TableStore& store, qint64 id)
{
    for (const auto& row : store.rows())
        if (row.values[RecordID].toLongLong() == id)
            return row.slot;
    throw std::logic_error("no row with that id");
}

QVariant documentOf(TableStore& store, qint64 id)
{
    for (const auto& row : store.rows())
        if (row.values[RecordID].toLongLong() == id)
            return row.values[Document];
    return {};
}

using Step = std::function<void(TableStore&)>;

// Inserts, updates with and without documents, deletes (also of the row with the highest id)
// and a cached index order, in an order that reuses slots and document blocks.
std::vector<Step> workload()
{
    return {
        [](TableStore& s) { s.insert(projectRow("Flight", 46000, 0.25, bytes(1500, 'a'))); },
        [](TableStore& s) { s.insert(projectRow("Hotel", 46001, 0.5)); },
        [](TableStore& s) { s.insert(projectRow(QStringLiteral("東京 tour"), 46002, 0.75, bytes(10, 'c'))); },
        [](TableStore& s) { s.update(slotOf(s, 1), projectRow("Flight", 46000, 0.25, bytes(700, 'd'))); },
        [](TableStore& s) { s.update(slotOf(s, 2), projectRow("Hotel", 46001, 0.5, bytes(2000, 'e'))); },
        [](TableStore& s) { s.update(slotOf(s, 3), projectRow("Tour renamed", 46002, 0.75, documentOf(s, 3))); },
        [](TableStore& s) {
            std::vector<quint32> inSlotOrder;
            for (const auto& row : s.rows())
                inSlotOrder.push_back(row.slot);
            s.saveIndexOrder({inSlotOrder, inSlotOrder, inSlotOrder});
        },
        [](TableStore& s) { s.remove(slotOf(s, 2)); },
        [](TableStore& s) { s.insert(projectRow("Museum", 46003, 0.1, bytes(600, 'f'))); },
        [](TableStore& s) { s.update(slotOf(s, 1), projectRow("Flight", 46000, 0.25)); },
        [](TableStore& s) { s.remove(slotOf(s, 3)); },
        [](TableStore& s) { s.remove(slotOf(s, 4)); },
        [](TableStore& s) { s.insert(projectRow("Dinner", 46004, 0.8, QByteArray())); },
        [](TableStore& s) { s.update(slotOf(s, 5), projectRow("Dinner", 46004, 0.8, bytes(513, 'g'))); },
    };
}

struct Reference
{
    std::vector<QStringList> states; // states[k]: the rows after k steps returned
    std::vector<qint64> highestIds;   // highest RecordID issued after k steps
    int operations = 0;               // writes and syncs of the whole run
};

qint64 highestId(TableStore& store, qint64 before)
{
    for (const auto& row : store.rows())
        before = std::max(before, row.values[RecordID].toLongLong());
    return before;
}

Reference runWithoutFaults()
{
    MemoryFileSystem memory;
    memory.addFolder(kFolder);
    TableStore::create(memory, kDat, projectSchema());
    FaultFileSystem fault(memory);
    auto store = TableStore::open(fault, kDat);
    Reference ref;
    ref.states.push_back(describe(*store));
    ref.highestIds.push_back(0);
    for (const Step& step : workload()) {
        step(*store);
        ref.states.push_back(describe(*store));
        ref.highestIds.push_back(highestId(*store, ref.highestIds.back()));
    }
    ref.operations = fault.operationCount();
    return ref;
}

} // namespace

class TestStoreCrash : public QObject
{
    Q_OBJECT

private slots:
    void shouldKeepEveryReturnedPostAfterACrash_data()
    {
        QTest::addColumn<int>("keep");
        QTest::addColumn<quint32>("seed");
        QTest::newRow("unsynced writes lost") << int(FaultFileSystem::CrashKeep::Nothing) << 1u;
        QTest::newRow("unsynced writes kept") << int(FaultFileSystem::CrashKeep::Everything) << 1u;
        QTest::newRow("last write torn") << int(FaultFileSystem::CrashKeep::TornLast) << 1u;
        for (quint32 seed = 1; seed <= 6; ++seed)
            QTest::addRow("random %u", seed) << int(FaultFileSystem::CrashKeep::Random) << seed;
    }
    void shouldKeepEveryReturnedPostAfterACrash()
    {
        QFETCH(int, keep);
        QFETCH(quint32, seed);
        static const Reference ref = runWithoutFaults();
        QVERIFY(ref.operations > 20);
        const auto steps = workload();
        for (int crashAt = 1; crashAt <= ref.operations; ++crashAt) {
            MemoryFileSystem memory;
            memory.addFolder(kFolder);
            TableStore::create(memory, kDat, projectSchema());
            size_t returned = 0;
            {
                FaultFileSystem fault(memory);
                fault.crashAfter(crashAt, FaultFileSystem::CrashKeep(keep), seed + quint32(crashAt));
                auto store = TableStore::open(fault, kDat);
                try {
                    for (; returned < steps.size(); ++returned)
                        steps[returned](*store);
                } catch (const EDatabaseError&) {
                    QVERIFY(fault.crashed());
                }
                QVERIFY(fault.crashed() || crashAt == ref.operations);
            }
            const QString where = QStringLiteral("crash after operation %1, %2 steps returned").arg(crashAt).arg(returned);
            std::unique_ptr<TableStore> reopened;
            try {
                reopened = TableStore::open(memory, kDat);
            } catch (const EDatabaseError& e) {
                QFAIL(qPrintable(where + QStringLiteral(": ") + e.message()));
            }
            const QStringList got = describe(*reopened);
            const bool before = got == ref.states[returned];
            const bool after = returned + 1 < ref.states.size() && got == ref.states[returned + 1];
            if (!before && !after) {
                qWarning() << "got" << got << "expected" << ref.states[returned];
                QFAIL(qPrintable(where + QStringLiteral(": the rows are neither the state before nor after the step in flight")));
            }
            // The index cache never claims a state it was not written for.
            if (const auto order = reopened->loadIndexOrder()) {
                for (const auto& list : *order)
                    QCOMPARE(list.size(), reopened->rows().size());
            }
            // The table goes on: a new row gets a new id, and survives another reopen.
            const qint64 id = reopened->insert(projectRow("After", 47000, 0.5, bytes(900, 'z'))).values[RecordID].toLongLong();
            QVERIFY2(id > ref.highestIds[returned], qPrintable(where));
            const QStringList afterInsert = describe(*reopened);
            reopened.reset();
            QCOMPARE(describe(*TableStore::open(memory, kDat)), afterInsert);
        }
    }

    void shouldLeaveNoHalfTableWhenCreationCrashes_data()
    {
        QTest::addColumn<int>("keep");
        QTest::newRow("unsynced writes lost") << int(FaultFileSystem::CrashKeep::Nothing);
        QTest::newRow("last write torn") << int(FaultFileSystem::CrashKeep::TornLast);
    }
    void shouldLeaveNoHalfTableWhenCreationCrashes()
    {
        QFETCH(int, keep);
        int total = 0;
        {
            MemoryFileSystem memory;
            memory.addFolder(kFolder);
            FaultFileSystem fault(memory);
            TableStore::create(fault, kDat, projectSchema());
            total = fault.operationCount();
        }
        QCOMPARE(total, 7); // three writes, three syncs, the folder
        for (int crashAt = 1; crashAt <= total; ++crashAt) {
            MemoryFileSystem memory;
            memory.addFolder(kFolder);
            FaultFileSystem fault(memory);
            fault.crashAfter(crashAt, FaultFileSystem::CrashKeep(keep));
            bool created = true;
            try {
                TableStore::create(fault, kDat, projectSchema());
            } catch (const EDatabaseError&) {
                created = false;
            }
            QCOMPARE(created, crashAt == total);
            // Either a clean error or a usable empty table; never a crash or stray rows.
            try {
                auto store = TableStore::open(memory, kDat);
                QVERIFY(store->rows().empty());
                store->insert(projectRow("x"));
            } catch (const EDatabaseError& e) {
                QVERIFY(!created);
                QVERIFY(!e.message().isEmpty());
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestStoreCrash)
#include "tst_store_crash.moc"

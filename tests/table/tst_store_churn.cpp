// Many changes in a row: the store against a plain model of its slots, index orders against
// a fresh sort, a table walked in Start order after keys moved, and the two ways of computing
// the checksum.

#include "support/StoreTestSupport.h"
#include "tst_table_fixture.h"

#include "platform/table/IndexOrder.h"
#include "platform/table/StoreFormat.h"

#include <QRandomGenerator>
#include <QTest>
#include <algorithm>
#include <map>

using namespace StoreTest;

namespace {

QByteArray documentOf(int length, char seed)
{
    QByteArray d(length, Qt::Uninitialized);
    for (int i = 0; i < length; ++i)
        d[i] = char(seed + i * 3);
    return d;
}

// The event names of the live rows in slot order, as a model expects them.
QStringList namesOf(const std::map<quint32, QString>& model)
{
    QStringList names;
    for (const auto& [slot, name] : model)
        names << QStringLiteral("%1:%2").arg(slot).arg(name);
    return names;
}

QStringList namesOf(const TableStore& store)
{
    QStringList names;
    for (const TableStore::Row& row : store.rows())
        names << QStringLiteral("%1:%2").arg(row.slot).arg(row.values[Event].toString());
    return names;
}

} // namespace

class TestStoreChurn : public QObject
{
    Q_OBJECT

private slots:
    void checksumInstructionMatchesTables_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<quint32>("expected"); // 0: only compare the two ways
        QTest::newRow("check value") << QByteArray("123456789") << quint32(0xE3069283);
        QTest::newRow("empty") << QByteArray() << quint32(0);
        QTest::newRow("32 zero bytes") << QByteArray(32, '\0') << quint32(0x8A9136AA);
        QTest::newRow("one byte") << QByteArray("a") << quint32(0);
        QTest::newRow("seven bytes") << QByteArray("abcdefg") << quint32(0);
        QTest::newRow("a row copy's size") << documentOf(358, 'q') << quint32(0);
        QTest::newRow("a document") << documentOf(4099, 'z') << quint32(0);
    }

    void checksumInstructionMatchesTables()
    {
        QFETCH(QByteArray, data);
        QFETCH(quint32, expected);
        if (expected != 0)
            QCOMPARE(StoreFormat::crc32cPortable(data.constData(), data.size()), expected);
        // Every start offset within a word, so unaligned reads and short tails are covered.
        for (int offset = 0; offset < 8 && offset <= data.size(); ++offset) {
            const char* p = data.constData() + offset;
            const qsizetype n = data.size() - offset;
            QCOMPARE(StoreFormat::crc32c(p, n), StoreFormat::crc32cPortable(p, n));
        }
        // Continuing a checksum gives the checksum of the whole.
        const qsizetype half = data.size() / 2;
        QCOMPARE(StoreFormat::crc32c(data.constData() + half, data.size() - half,
                                     StoreFormat::crc32c(data.constData(), half)),
                 StoreFormat::crc32cPortable(data.constData(), data.size()));
    }

    // Inserts, updates and deletes at random; after each step and after a reopen the store
    // holds exactly the model's rows, in slot order, and reuses the lowest free slot.
    void randomChangesMatchAModel_data()
    {
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<int>("steps");
        QTest::newRow("mostly inserts") << quint32(1) << 300;
        QTest::newRow("churn") << quint32(7) << 600;
        QTest::newRow("another churn") << quint32(42) << 600;
    }

    void randomChangesMatchAModel()
    {
        QFETCH(quint32, seed);
        QFETCH(int, steps);
        MemoryFileSystem fs;
        fs.addFolder(kFolder);
        TableStore::create(fs, kDat, projectSchema());
        auto store = TableStore::open(fs, kDat);
        std::map<quint32, QString> model;
        QRandomGenerator rnd(seed);
        int named = 0;
        for (int step = 0; step < steps; ++step) {
            const int what = int(rnd.bounded(10));
            if (model.empty() || what < 5) {
                quint32 expectedSlot = 0;
                while (model.count(expectedSlot))
                    ++expectedSlot;
                const QString name = QStringLiteral("E%1").arg(++named);
                const QVariant doc = rnd.bounded(3) == 0 ? QVariant(documentOf(int(rnd.bounded(1500)), 'a')) : QVariant();
                const TableStore::Row& row = store->insert(projectRow(name, 46000, 0.5, doc));
                QCOMPARE(row.slot, expectedSlot);
                model[row.slot] = name;
            } else {
                auto it = model.begin();
                std::advance(it, rnd.bounded(int(model.size())));
                if (what < 8) {
                    const QString name = it->second + QLatin1Char('u');
                    const TableStore::Row& row = store->update(it->first, projectRow(name));
                    QCOMPARE(row.slot, it->first);
                    QCOMPARE(row.values[Event].toString(), name);
                    it->second = name;
                } else {
                    store->remove(it->first);
                    model.erase(it);
                }
            }
            if (step % 50 == 0)
                QCOMPARE(namesOf(*store), namesOf(model));
        }
        QCOMPARE(namesOf(*store), namesOf(model));
        // A removed or never used slot refuses changes.
        quint32 free = 0;
        while (model.count(free))
            ++free;
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, store->remove(free));
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, store->update(free, projectRow(QStringLiteral("x"))));
        QCOMPARE(namesOf(*store), namesOf(model));
        // Every document still reads back, and the reopened store holds the same rows.
        const QStringList before = describe(*store);
        store.reset();
        auto reopened = TableStore::open(fs, kDat);
        QCOMPARE(namesOf(*reopened), namesOf(model));
        QCOMPARE(describe(*reopened), before);
    }

    // A row taken while the rows are listed keeps its values through an update of itself.
    void updateKeepsTheListedRowsInStep()
    {
        MemoryFileSystem fs;
        fs.addFolder(kFolder);
        TableStore::create(fs, kDat, projectSchema());
        auto store = TableStore::open(fs, kDat);
        for (int i = 0; i < 5; ++i)
            store->insert(projectRow(QStringLiteral("E%1").arg(i)));
        QCOMPARE(store->rows().size(), size_t(5));
        store->update(3, projectRow(QStringLiteral("Changed")));
        QCOMPARE(store->rows().at(3).values[Event].toString(), QStringLiteral("Changed"));
        store->remove(1);
        QCOMPARE(namesOf(*store), QStringList({QStringLiteral("0:E0"), QStringLiteral("2:E2"),
                                               QStringLiteral("3:Changed"), QStringLiteral("4:E4")}));
    }

    // Freed document blocks are found again, lowest first, also below blocks still in use.
    void freedDocumentBlocksAreReusedLowestFirst()
    {
        MemoryFileSystem fs;
        fs.addFolder(kFolder);
        TableStore::create(fs, kDat, projectSchema());
        auto store = TableStore::open(fs, kDat);
        const auto firstBlockOf = [&](quint32 slot) {
            for (const TableStore::Row& row : store->rows())
                if (row.slot == slot)
                    return row.values[Document].value<BlobRef>().firstBlock;
            return quint32(0xffffffff);
        };
        for (int i = 0; i < 4; ++i) // two blocks each: 0-1, 2-3, 4-5, 6-7
            store->insert(projectRow(QStringLiteral("E%1").arg(i), 46000, 0.5, documentOf(1000, char('a' + i))));
        QCOMPARE(firstBlockOf(3), quint32(6));
        store->remove(2);
        store->remove(0);
        // Free now: blocks 0-1 and 4-5. One block takes block 0; two blocks do not fit the one
        // left at 1, so they take 4-5; then one block takes 1, and the next goes after the end.
        store->insert(projectRow(QStringLiteral("Small"), 46000, 0.5, documentOf(100, 's')));
        QCOMPARE(firstBlockOf(0), quint32(0));
        store->insert(projectRow(QStringLiteral("Pair"), 46000, 0.5, documentOf(900, 'p')));
        QCOMPARE(firstBlockOf(2), quint32(4));
        store->insert(projectRow(QStringLiteral("Single"), 46000, 0.5, documentOf(10, 'o')));
        QCOMPARE(firstBlockOf(4), quint32(1));
        store->insert(projectRow(QStringLiteral("Tail"), 46000, 0.5, documentOf(512, 't')));
        QCOMPARE(firstBlockOf(5), quint32(8));
        const QStringList before = describe(*store);
        store.reset();
        QCOMPARE(describe(*TableStore::open(fs, kDat)), before);
    }

    // Rows whose keys change move to their new place; the order equals a fresh sort.
    void repositionKeepsTheOrderSorted_data()
    {
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<int>("rows");
        QTest::newRow("few rows, many ties") << quint32(3) << 8;
        QTest::newRow("more rows") << quint32(11) << 200;
    }

    void repositionKeepsTheOrderSorted()
    {
        QFETCH(quint32, seed);
        QFETCH(int, rows);
        QRandomGenerator rnd(seed);
        std::vector<TableRow> storage(static_cast<size_t>(rows));
        std::vector<TableRow*> all;
        for (int i = 0; i < rows; ++i) {
            TableRow& r = storage[size_t(i)];
            r.recordId = i + 1;
            r.values = {QVariant(double(rnd.bounded(5))), QVariant(QStringLiteral("n%1").arg(rnd.bounded(4)))};
            if (rnd.bounded(6) == 0)
                r.values[0] = QVariant(); // empty keys sort first
            all.push_back(&r);
        }
        IndexOrder order(IndexDef{QStringLiteral("Start"), QStringLiteral("D;N"), ixNone, QString()}, {0, 1},
                         {FieldType::Date, FieldType::String});
        order.build(all);
        for (int step = 0; step < 4 * rows; ++step) {
            const int pos = int(rnd.bounded(rows));
            TableRow* row = order.at(pos);
            row->values[0] = rnd.bounded(6) == 0 ? QVariant() : QVariant(double(rnd.bounded(5)));
            if (rnd.bounded(2) == 0)
                row->values[1] = QStringLiteral("n%1").arg(rnd.bounded(4));
            const int now = order.reposition(pos);
            QCOMPARE(order.at(now), row);
            QCOMPARE(order.positionOf(*row), now);
        }
        IndexOrder fresh(order.def(), order.fieldPositions(), {FieldType::Date, FieldType::String});
        fresh.build(all);
        QVERIFY(order.rows() == fresh.rows());
        for (int i = 1; i < rows; ++i)
            QVERIFY(order.compare(*order.at(i - 1), *order.at(i)) < 0);
    }

    // In a table: changing a start date moves the event in Start order, changing only the
    // cost leaves it where it was, and a reopen (through the cached order) agrees.
    void changedStartMovesTheEventInStartOrder_data()
    {
        QTest::addColumn<QString>("event");
        QTest::addColumn<int>("newDay"); // 0: change the cost only
        QTest::addColumn<QStringList>("expected");
        const QStringList abcd{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D")};
        QTest::newRow("to the front") << QStringLiteral("C") << 1 << QStringList{"C", "A", "B", "D"};
        QTest::newRow("to the end") << QStringLiteral("A") << 28 << QStringList{"B", "C", "D", "A"};
        QTest::newRow("one step on") << QStringLiteral("B") << 16 << QStringList{"A", "C", "B", "D"};
        QTest::newRow("same place") << QStringLiteral("B") << 11 << abcd;
        QTest::newRow("cost only") << QStringLiteral("D") << 0 << abcd;
        QTest::newRow("tie, later id") << QStringLiteral("A") << 15 << QStringList{"B", "A", "C", "D"};
    }

    void changedStartMovesTheEventInStartOrder()
    {
        QFETCH(QString, event);
        QFETCH(int, newDay);
        QFETCH(QStringList, expected);
        ProjectTable t;
        t->setIndexName(QStringLiteral("Start"));
        const QStringList names{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D")};
        for (int i = 0; i < names.size(); ++i)
            t.add(names[i], day(2030, 1, 5 + 5 * i), at(9)); // days 5, 10, 15, 20
        QVERIFY(t->findKeyOnIndex(QString(), {event}));
        t->edit();
        if (newDay > 0)
            t->fieldByName(QStringLiteral("Start date")).setValue(day(2030, 1, newDay));
        else
            t->fieldByName(QStringLiteral("Cost")).setValue(QVariant::fromValue(Currency::fromUnits(5)));
        t->post();
        QCOMPARE(t->fieldByName(QStringLiteral("Event")).asString(), event);
        const auto walk = [&] {
            QStringList seen;
            for (t->first(); !t->eof(); t->next())
                seen << t->fieldByName(QStringLiteral("Event")).asString();
            return seen;
        };
        QCOMPARE(walk(), expected);
        t->close();
        t->open();
        QCOMPARE(walk(), expected);
    }
};

QTEST_GUILESS_MAIN(TestStoreChurn)
#include "tst_store_churn.moc"

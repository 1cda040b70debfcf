// Damaged and foreign files: every truncation of each file of a small table, a flipped bit in
// every header byte and every body byte. Opening throws a database error, or the index cache is
// reported stale, or a damaged row copy gives way to its slot's older copy; never a crash and
// never a value the table did not hold.

#include "support/StoreTestSupport.h"

#include "platform/core/Exception.h"
#include "platform/table/StoreFormat.h"

#include <QSet>
#include <QTest>

using namespace StoreTest;

namespace {

QString slotKey(const QString& line) { return line.section(QLatin1Char('|'), 0, 0); }

QString withoutDocument(const QString& line)
{
    QStringList parts = line.split(QLatin1Char('|'));
    for (QString& p : parts)
        if (p.startsWith(QLatin1String("doc:")))
            p = QStringLiteral("doc:error");
    return parts.join(QLatin1Char('|'));
}

struct Fixture
{
    MemoryFileSystem memory;
    QStringList paths = tableFilePaths(kDat);
    QStringList finalRows;
    std::vector<std::vector<quint32>> savedOrder;
    QHash<QString, QSet<QString>> history; // per slot: every row it held after a commit
    QSet<QString> deletedSlots;

    Fixture()
    {
        memory.addFolder(kFolder);
        TableStore::create(memory, kDat, projectSchema());
        auto store = TableStore::open(memory, kDat);
        const auto note = [&] {
            for (const QString& line : describe(*store))
                history[slotKey(line)].insert(line);
        };
        store->insert(projectRow("Flight", 46000, 0.25, QByteArray(1500, 'a')));
        note();
        store->insert(projectRow("Hotel", 46001, 0.5));
        note();
        store->insert(projectRow(QStringLiteral("東京"), 46002, 0.75, QByteArray(10, 'c')));
        note();
        store->update(0, projectRow("Flight", 46000, 0.3, QByteArray(700, 'd')));
        note();
        store->remove(1);
        deletedSlots.insert(QStringLiteral("1"));
        note();
        RowValues renamed = projectRow("Tokyo", 46002, 0.75);
        renamed[Document] = store->rows().at(1).values[Document];
        store->update(2, renamed);
        note();
        finalRows = describe(*store);
        savedOrder = {{2, 0}, {0, 2}, {0, 2}};
        store->saveIndexOrder(savedOrder);
    }

    QByteArray file(int i) const { return memory.fileData(paths[i]); }
};

} // namespace

class TestStoreDamage : public QObject
{
    Q_OBJECT

private:
    // Opens the table in fs and checks the outcome is one the rules allow; returns true when it opened.
    bool checkOutcome(Fixture& f, MemoryFileSystem& fs, const QString& what)
    {
        std::unique_ptr<TableStore> store;
        try {
            store = TableStore::open(fs, kDat);
        } catch (const EDatabaseError& e) {
            if (!e.message().contains(QLatin1String("Trip."))) {
                qWarning() << what << e.message();
                QTest::qFail("the message does not name the file", __FILE__, __LINE__);
            }
            return false;
        }
        const QStringList rows = describe(*store, true);
        QSet<QString> present;
        for (const QString& line : rows) {
            const QString slot = slotKey(line);
            present.insert(slot);
            bool known = f.history.value(slot).contains(line);
            if (!known && line.contains(QLatin1String("doc:error")))
                for (const QString& h : f.history.value(slot))
                    known = known || withoutDocument(h) == line;
            if (!known) {
                qWarning() << what << "row" << line;
                QTest::qFail("a row the table never held", __FILE__, __LINE__);
                return true;
            }
        }
        for (const QString& line : f.finalRows) {
            const QString slot = slotKey(line);
            if (!present.contains(slot) && !f.deletedSlots.contains(slot)) {
                qWarning() << what << "lost slot" << slot;
                QTest::qFail("a row vanished silently", __FILE__, __LINE__);
                return true;
            }
        }
        if (const auto order = store->loadIndexOrder()) {
            // The cache describes row order; a document that fails its checksum does not change that.
            QStringList expected, got;
            for (const QString& line : f.finalRows)
                expected << withoutDocument(line);
            for (const QString& line : rows)
                got << withoutDocument(line);
            if (*order != f.savedOrder || got != expected) {
                qWarning() << what << "index cache accepted for other rows";
                QTest::qFail("stale index cache accepted", __FILE__, __LINE__);
            }
        }
        return true;
    }

private slots:
    void shouldSurviveEveryTruncation_data()
    {
        QTest::addColumn<int>("file");
        QTest::newRow(".dat") << 0;
        QTest::newRow(".idx") << 1;
        QTest::newRow(".blb") << 2;
    }
    void shouldSurviveEveryTruncation()
    {
        QFETCH(int, file);
        Fixture f;
        const QByteArray whole = f.file(file);
        for (qsizetype length = 0; length < whole.size(); ++length) {
            MemoryFileSystem fs = f.memory;
            fs.setFileData(f.paths[file], whole.left(length));
            const QString what = QStringLiteral("cut to %1").arg(length);
            const bool ok = checkOutcome(f, fs, what);
            if (QTest::currentTestFailed())
                return;
            if (file == 1) { // only a cache: the rows are all there, the cache is stale
                QVERIFY2(ok, qPrintable(what));
                auto store = TableStore::open(fs, kDat);
                QCOMPARE(describe(*store), f.finalRows);
                QVERIFY(!store->loadIndexOrder());
            }
            if (length < StoreFormat::kDatSchemaOffset && file == 0)
                QVERIFY2(!ok, qPrintable(what));
        }
    }

    void shouldSurviveAFlippedBitAnywhere_data()
    {
        QTest::addColumn<int>("file");
        QTest::newRow(".dat") << 0;
        QTest::newRow(".idx") << 1;
        QTest::newRow(".blb") << 2;
    }
    void shouldSurviveAFlippedBitAnywhere()
    {
        QFETCH(int, file);
        Fixture f;
        const QByteArray whole = f.file(file);
        const qsizetype datHeaderEnd = StoreFormat::kDatSchemaOffset
                                       + StoreFormat::get<quint32>(f.file(0).constData() + StoreFormat::kDatSchemaLengthOffset)
                                       + StoreFormat::kCrcSize;
        for (qsizetype at = 0; at < whole.size(); ++at) {
            MemoryFileSystem fs = f.memory;
            QByteArray damaged = whole;
            damaged[at] = char(damaged[at] ^ (1 << (at % 8)));
            fs.setFileData(f.paths[file], damaged);
            const QString what = QStringLiteral("bit flipped at %1").arg(at);
            const bool ok = checkOutcome(f, fs, what);
            if (QTest::currentTestFailed())
                return;
            if (file == 0 && at < datHeaderEnd)
                QVERIFY2(!ok, qPrintable(what + ": header damage must be refused"));
            if (file == 2 && at < StoreFormat::kBlbHeaderUsed)
                QVERIFY2(!ok, qPrintable(what + ": header damage must be refused"));
            if (file == 1) {
                QVERIFY2(ok, qPrintable(what));
                QVERIFY(!TableStore::open(fs, kDat)->loadIndexOrder());
            }
        }
    }

    void shouldFallBackToTheOlderCopyOfADamagedRow()
    {
        Fixture f;
        // Slot 0's newest copy is copy 1 (the update); damage its name.
        QByteArray dat = f.file(0);
        auto store0 = TableStore::open(f.memory, kDat);
        const int copySize = StoreFormat::copySize(store0->schema());
        store0.reset();
        const qsizetype slotBase = StoreFormat::get<quint32>(dat.constData() + StoreFormat::kHeaderSizeOffset);
        dat[slotBase + copySize + StoreFormat::kCopyPayloadOffset + 5] ^= 0x20;
        f.memory.setFileData(f.paths[0], dat);
        auto store = TableStore::open(f.memory, kDat);
        const RowValues& row = store->rows().at(0).values;
        QCOMPARE(row[StartTime].toDouble(), 0.25); // the values before the update
        QCOMPARE(store->readBlob(row[Document].value<BlobRef>()), QByteArray(1500, 'a'));
        QVERIFY(!store->loadIndexOrder()); // the state differs from the one the cache was written for
    }

    void shouldRefuseForeignFiles_data()
    {
        QTest::addColumn<int>("file");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty .dat") << 0 << QByteArray() << "Table file 'Trip.dat' is not a Ferngrove table";
        QTest::newRow("text as .dat") << 0 << QByteArray("Event;Start date\nFlight;2026-01-01\n")
                                      << "Table file 'Trip.dat' is not a Ferngrove table";
        QTest::newRow("blb as .dat") << 0 << QByteArray("FernBLB\x1a") + QByteArray(600, '\0')
                                     << "Table file 'Trip.dat' is not a Ferngrove table";
        QTest::newRow("empty .blb") << 2 << QByteArray() << "Table file 'Trip.blb' is not a Ferngrove table";
        QTest::newRow("png as .blb") << 2 << QByteArray("\x89PNG\r\n\x1a\n") + QByteArray(100, 'x')
                                     << "Table file 'Trip.blb' is not a Ferngrove table";
    }
    void shouldRefuseForeignFiles()
    {
        QFETCH(int, file);
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        Fixture f;
        f.memory.setFileData(f.paths[file], content);
        try {
            TableStore::open(f.memory, kDat);
            QFAIL("no error");
        } catch (const EDatabaseError& e) {
            QCOMPARE(e.message(), message);
        }
    }

    void shouldRefuseANewerFormat()
    {
        Fixture f;
        QByteArray dat = f.file(0);
        const qsizetype crcAt = StoreFormat::kDatSchemaOffset
                                + StoreFormat::get<quint32>(dat.constData() + StoreFormat::kDatSchemaLengthOffset);
        StoreFormat::put<quint32>(dat.data() + StoreFormat::kVersionOffset, 2);
        StoreFormat::put<quint32>(dat.data() + crcAt, StoreFormat::crc32c(dat.constData(), crcAt));
        f.memory.setFileData(f.paths[0], dat);
        try {
            TableStore::open(f.memory, kDat);
            QFAIL("no error");
        } catch (const EDatabaseError& e) {
            QCOMPARE(e.message(), QStringLiteral("Table file 'Trip.dat' has format version 2; this program reads version 1"));
        }
    }

    void shouldNeedTheDocumentFileButNotTheIndexFile()
    {
        Fixture f;
        MemoryFileSystem noIdx = f.memory;
        noIdx.remove(f.paths[1]);
        auto store = TableStore::open(noIdx, kDat);
        QCOMPARE(describe(*store), f.finalRows);
        QVERIFY(!store->loadIndexOrder());
        f.memory.remove(f.paths[2]);
        try {
            TableStore::open(f.memory, kDat);
            QFAIL("no error");
        } catch (const EDatabaseError& e) {
            QCOMPARE(e.message(), QStringLiteral("The table file '/db/Trip.blb' is missing"));
        }
    }

    void shouldCheckTheCrcAgainstKnownValues()
    {
        // The standard check value of CRC-32C, and an empty input.
        QCOMPARE(StoreFormat::crc32c(QByteArray("123456789")), 0xE3069283u);
        QCOMPARE(StoreFormat::crc32c(QByteArray()), 0u);
        const QByteArray long1(1000, 'x');
        QCOMPARE(StoreFormat::crc32c(long1.constData() + 3, 997),
                 StoreFormat::crc32c(long1.constData() + 10, 990, StoreFormat::crc32c(long1.constData() + 3, 7)));
    }
};

QTEST_GUILESS_MAIN(TestStoreDamage)
#include "tst_store_damage.moc"

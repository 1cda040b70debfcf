// The table store's main paths: file names, create and open, posts that survive a reopen,
// documents, row identifiers, text fields, the cached index order.

#include "support/StoreTestSupport.h"

#include "platform/core/Currency.h"
#include "platform/core/Exception.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace StoreTest;

namespace {

QByteArray documentOf(int length, char seed)
{
    QByteArray d(length, Qt::Uninitialized);
    for (int i = 0; i < length; ++i)
        d[i] = char(seed + i * 7);
    return d;
}

} // namespace

class TestStore : public QObject
{
    Q_OBJECT

private:
    // Runs each test on the memory file system or on real files in a temporary folder.
    FileSystem& fs()
    {
        return m_real ? realFileSystem() : static_cast<FileSystem&>(m_memory);
    }
    QString dat(const QString& name = QStringLiteral("Trip.dat")) const
    {
        return (m_real ? m_dir->path() : kFolder) + QLatin1Char('/') + name;
    }
    void useFileSystem()
    {
        QFETCH_GLOBAL(bool, real);
        m_real = real;
        m_memory = MemoryFileSystem();
        m_memory.addFolder(kFolder);
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    bool m_real = false;
    MemoryFileSystem m_memory;
    std::unique_ptr<QTemporaryDir> m_dir;

private slots:
    void initTestCase_data()
    {
        QTest::addColumn<bool>("real");
        QTest::newRow("memory") << false;
        QTest::newRow("files") << true;
    }
    void init() { useFileSystem(); }

    void tableFilePathsCutAtTheLastDot_data()
    {
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("base");
        QTest::newRow("with .dat") << "/x/Trip.dat" << "/x/Trip";
        QTest::newRow("without extension") << "/x/Trip" << "/x/Trip";
        QTest::newRow("two dots") << "/x/a.b.dat" << "/x/a.b";
        QTest::newRow("dot in folder only") << "/x.y/Trip" << "/x.y/Trip";
        QTest::newRow("other extension") << "/x/Trip.txt" << "/x/Trip";
        QTest::newRow("no folder") << "Trip.dat" << "Trip";
    }
    void tableFilePathsCutAtTheLastDot()
    {
        QFETCH(QString, given);
        QFETCH(QString, base);
        QCOMPARE(tableFilePaths(given), (QStringList{base + ".dat", base + ".idx", base + ".blb"}));
    }

    void shouldCreateAnEmptyTableAndReadItsDefinitionBack()
    {
        TableSchema given = projectSchema();
        given.properties.description = QStringLiteral("Résumé 東京");
        TableStore::create(fs(), dat(), given);
        for (const QString& p : tableFilePaths(dat()))
            QVERIFY2(fs().exists(p), qPrintable(p));

        auto store = TableStore::open(fs(), dat());
        TableSchema expected = given;
        FieldDef id;
        id.number = 12;
        id.name = QStringLiteral("RecordID");
        id.type = FieldType::AutoInc;
        expected.fields.append(id);
        QCOMPARE(store->schema(), expected);
        QVERIFY(store->rows().empty());
        QCOMPARE(store->schema().fieldIndex("RecordID"), 11);
        QCOMPARE(store->schema().fieldIndex("start DATE"), 1);
    }

    void shouldOpenATableNamedWithoutExtension()
    {
        TableStore::create(fs(), dat(QStringLiteral("a.b.dat")), projectSchema());
        QVERIFY(fs().exists(dat(QStringLiteral("a.b.blb"))));
        TableStore::create(fs(), dat(QStringLiteral("Plan")), projectSchema());
        auto store = TableStore::open(fs(), dat(QStringLiteral("Plan.dat")));
        store->insert(projectRow("x"));
        QCOMPARE(TableStore::open(fs(), dat(QStringLiteral("Plan")))->rows().size(), size_t(1));
    }

    void shouldKeepExactlyWhatWasCommittedAcrossReopen()
    {
        TableStore::create(fs(), dat(), projectSchema());
        QStringList before;
        {
            auto store = TableStore::open(fs(), dat());
            const QByteArray long1 = documentOf(1500, 'a'); // three blocks
            const quint32 a = store->insert(projectRow("Flight", 46000, 0.25, long1)).slot;
            const quint32 b = store->insert(projectRow("Hotel", 46001, 0.5, QByteArray())).slot; // empty document
            const quint32 c = store->insert(projectRow("Museum", 46002, 0.75, documentOf(10, 'm'))).slot;
            const quint32 d = store->insert(projectRow("Dinner", 46003, 0.8)).slot; // no document
            QCOMPARE(store->readBlob(store->rows()[0].values[Document].value<BlobRef>()), long1);

            // Replace a document, keep one by its reference, drop one, delete a row.
            store->update(a, projectRow("Flight", 46000, 0.25, documentOf(700, 'z')));
            RowValues keep = projectRow("Hotel renamed", 46001, 0.5);
            keep[Document] = store->rows()[1].values[Document];
            store->update(b, keep);
            store->update(c, projectRow("Museum", 46002, 0.75));
            store->remove(d);
            before = describe(*store);
        }
        QCOMPARE(before.size(), 3);
        QVERIFY(before[0].contains(QString::fromLatin1(documentOf(700, 'z').toHex())));
        QVERIFY(before[1].contains("Hotel renamed|") && before[1].contains("|doc:|"));
        auto reopened = TableStore::open(fs(), dat());
        QCOMPARE(describe(*reopened), before);
    }

    void shouldStoreEveryFieldTypeExactly()
    {
        TableStore::create(fs(), dat(), projectSchema());
        RowValues v = projectRow("All", -693593.0, 0.999988425925926, documentOf(512, 'q'));
        v[EndDate] = 2958465.0;
        v[Finished] = QVariant();
        v[Cost] = QVariant::fromValue(Currency::fromUnits(-922337203685477580));
        v[Booked] = true;
        v[Paid] = false;
        v[Day] = QString();
        {
            auto store = TableStore::open(fs(), dat());
            store->insert(v);
        }
        auto store = TableStore::open(fs(), dat());
        const RowValues& got = store->rows().at(0).values;
        QCOMPARE(got[StartDate].toDouble(), -693593.0);
        QCOMPARE(got[StartTime].toDouble(), 0.999988425925926);
        QCOMPARE(got[EndDate].toDouble(), 2958465.0);
        QVERIFY(got[Finished].isNull());
        QCOMPARE(got[Cost].value<Currency>().units, -922337203685477580);
        QCOMPARE(got[Booked].toBool(), true);
        QCOMPARE(got[Paid].toBool(), false);
        QCOMPARE(got[Day].metaType(), QMetaType::fromType<QString>()); // empty text, not an empty field
        QVERIFY(got[Day].toString().isEmpty());
        QCOMPARE(got[RecordID].toLongLong(), 1);
        QCOMPARE(store->readBlob(got[Document].value<BlobRef>()), documentOf(512, 'q'));
    }

    void shouldNeverReuseARecordId()
    {
        TableStore::create(fs(), dat(), projectSchema());
        {
            auto store = TableStore::open(fs(), dat());
            for (int i = 1; i <= 3; ++i)
                QCOMPARE(store->insert(projectRow(QString::number(i))).values[RecordID].toLongLong(), i);
            store->remove(store->rows().back().slot); // the row with the highest id
        }
        {
            auto store = TableStore::open(fs(), dat());
            QCOMPARE(store->insert(projectRow("4")).values[RecordID].toLongLong(), 4);
            while (!store->rows().empty())
                store->remove(store->rows().front().slot);
        }
        auto store = TableStore::open(fs(), dat());
        QVERIFY(store->rows().empty());
        const TableStore::Row& row = store->insert(projectRow("5"));
        QCOMPARE(row.values[RecordID].toLongLong(), 5);
        QCOMPARE(row.slot, 0u); // the slot is reused, the id is not
    }

    void shouldStartRecordIdsAfterTheGivenLastValue()
    {
        TableSchema s = projectSchema();
        s.properties.lastAutoIncValue = 41;
        TableStore::create(fs(), dat(), s);
        auto store = TableStore::open(fs(), dat());
        QCOMPARE(store->insert(projectRow("x")).values[RecordID].toLongLong(), 42);
    }

    void shouldKeepTextExactly_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("accents") << QStringLiteral("Café in Zürich, é ü");
        QTest::newRow("cjk") << QStringLiteral("東京");
        QTest::newRow("50 cjk") << QString(50, QChar(0x6771));
        QTest::newRow("50 emoji") << QString::fromUtf8("😀").repeated(50);
        QTest::newRow("case") << QStringLiteral("tokyo TOKYO");
        QTest::newRow("empty") << QString(QLatin1String(""));
    }
    void shouldKeepTextExactly()
    {
        QFETCH(QString, text);
        TableStore::create(fs(), dat(), projectSchema());
        TableStore::open(fs(), dat())->insert(projectRow(text));
        QCOMPARE(TableStore::open(fs(), dat())->rows().at(0).values[Event].toString(), text);
    }

    void shouldRefuseValuesTheFieldCannotHold_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("message");
        QTest::newRow("51 characters") << int(Event) << QVariant(QString(51, QLatin1Char('x')))
                                       << "Field 'Event' takes at most 50 characters, not 51";
        QTest::newRow("11 characters") << int(Day) << QVariant(QString(11, QChar(0x6771)))
                                       << "Field 'Day' takes at most 10 characters, not 11";
        QTest::newRow("number as text") << int(Event) << QVariant(5) << "Field 'Event' cannot hold a value of type int";
        QTest::newRow("text as date") << int(StartDate) << QVariant(QStringLiteral("x"))
                                      << "Field 'Start date' cannot hold a value of type QString";
        QTest::newRow("double as money") << int(Cost) << QVariant(1.5) << "Field 'Cost' cannot hold a value of type double";
        QTest::newRow("text as document") << int(Document) << QVariant(QStringLiteral("{\\rtf1}"))
                                          << "Field 'Document' cannot hold a value of type QString";
    }
    void shouldRefuseValuesTheFieldCannotHold()
    {
        QFETCH(int, field);
        QFETCH(QVariant, value);
        QFETCH(QString, message);
        TableStore::create(fs(), dat(), projectSchema());
        auto store = TableStore::open(fs(), dat());
        const quint32 slot = store->insert(projectRow("ok")).slot;
        const QStringList before = describe(*store);
        RowValues v = projectRow("ok");
        v[field] = value;
        for (int round = 0; round < 2; ++round) {
            try {
                if (round == 0)
                    store->insert(v);
                else
                    store->update(slot, v);
                QFAIL("no error");
            } catch (const EDatabaseError& e) {
                QCOMPARE(e.message(), message);
            }
        }
        QCOMPARE(describe(*store), before);
        QCOMPARE(describe(*TableStore::open(fs(), dat())), before);
    }

    void shouldRefuseChangesToSlotsWithoutARow()
    {
        TableStore::create(fs(), dat(), projectSchema());
        auto store = TableStore::open(fs(), dat());
        const quint32 slot = store->insert(projectRow("a")).slot;
        store->remove(slot);
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, store->update(slot, projectRow("b")));
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, store->remove(slot));
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, store->remove(99));
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, store->insert(RowValues(3)));
    }

    void shouldCopyADocumentReferencedFromAnotherRow()
    {
        TableStore::create(fs(), dat(), projectSchema());
        auto store = TableStore::open(fs(), dat());
        const quint32 a = store->insert(projectRow("a", 1, 0, documentOf(600, 'a'))).slot;
        const QVariant refA = store->rows().at(0).values[Document];
        const quint32 b = store->insert(projectRow("b", 1, 0, refA)).slot;
        const BlobRef refB = store->rows().at(1).values[Document].value<BlobRef>();
        QVERIFY(refB.firstBlock != refA.value<BlobRef>().firstBlock);
        store->remove(a); // frees a's blocks; b keeps its own copy
        store->insert(projectRow("c", 1, 0, documentOf(600, 'c')));
        auto reopened = TableStore::open(fs(), dat());
        QCOMPARE(reopened->readBlob(reopened->rows().at(1).values[Document].value<BlobRef>()), documentOf(600, 'a'));
        QCOMPARE(reopened->rows().at(1).slot, b);
    }

    void shouldReuseFreedDocumentBlocks()
    {
        TableStore::create(fs(), dat(), projectSchema());
        auto store = TableStore::open(fs(), dat());
        const quint32 slot = store->insert(projectRow("a", 1, 0, documentOf(2000, 'a'))).slot;
        for (int i = 0; i < 20; ++i)
            store->update(slot, projectRow("a", 1, 0, documentOf(2000, char('b' + i))));
        // Two documents of four blocks at most ever live at once during an update.
        auto blb = fs().open(tableFilePaths(dat())[2], FileSystem::OpenMode::ReadOnly);
        QVERIFY2(blb->size() <= 512 + 8 * 512, qPrintable(QString::number(blb->size())));
        QCOMPARE(TableStore::open(fs(), dat())->readBlob(store->rows().at(0).values[Document].value<BlobRef>()),
                 documentOf(2000, char('b' + 19)));
    }

    void shouldRefuseToCreateOverAnExistingTable_data()
    {
        QTest::addColumn<int>("existing"); // which of the three files exists; -1 all of them
        QTest::newRow("whole table") << -1;
        QTest::newRow(".dat only") << 0;
        QTest::newRow(".idx only") << 1;
        QTest::newRow(".blb only") << 2;
    }
    void shouldRefuseToCreateOverAnExistingTable()
    {
        QFETCH(int, existing);
        const QStringList paths = tableFilePaths(dat());
        QList<QByteArray> before;
        if (existing < 0) {
            TableStore::create(fs(), dat(), projectSchema());
            TableStore::open(fs(), dat())->insert(projectRow("Old row", 1, 0, documentOf(100, 'o')));
        } else {
            fs().open(paths[existing], FileSystem::OpenMode::CreateNew)->write(0, "keep me");
        }
        for (const QString& p : paths) {
            if (!fs().exists(p)) {
                before << QByteArray();
                continue;
            }
            auto f = fs().open(p, FileSystem::OpenMode::ReadOnly);
            before << f->read(0, f->size());
        }
        try {
            TableStore::create(fs(), dat(), projectSchema());
            QFAIL("no error");
        } catch (const EDatabaseError& e) {
            QCOMPARE(e.message(), QStringLiteral("The table 'Trip.dat' already exists"));
        }
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(fs().exists(paths[i]), existing < 0 || existing == i);
            if (fs().exists(paths[i])) {
                auto f = fs().open(paths[i], FileSystem::OpenMode::ReadOnly);
                QCOMPARE(f->read(0, f->size()), before[i]);
            }
        }
        if (existing < 0)
            QCOMPARE(TableStore::open(fs(), dat())->rows().at(0).values[Event].toString(), QStringLiteral("Old row"));
    }

    void shouldNameTheFolderThatIsMissing()
    {
        const QString path = dat(QStringLiteral("missing/Trip.dat"));
        try {
            TableStore::create(fs(), path, projectSchema());
            QFAIL("no error");
        } catch (const EDatabaseError& e) {
            QVERIFY2(e.message().contains(QStringLiteral("'%1'").arg(dat(QStringLiteral("missing")))), qPrintable(e.message()));
            QVERIFY(e.message().contains(QStringLiteral("does not exist")));
        }
    }

    void shouldNameAFolderThatCannotBeWritten()
    {
        if (m_real)
            QSKIP("needs a folder that refuses new files; the memory file system provides one (root ignores modes)");
        m_memory.setFolderReadOnly(kFolder, true);
        try {
            TableStore::create(fs(), dat(), projectSchema());
            QFAIL("no error");
        } catch (const EDatabaseError& e) {
            QVERIFY2(e.message().startsWith(QStringLiteral("Cannot create the table 'Trip.dat' in the folder '/db'")),
                     qPrintable(e.message()));
            QVERIFY(e.message().contains(QStringLiteral("Permission denied")));
        }
        QVERIFY(m_memory.files().isEmpty());
    }

    void shouldRefuseSchemasItCannotStore_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("repeated field name") << 0;
        QTest::newRow("text without size") << 1;
        QTest::newRow("index on a missing field") << 2;
        QTest::newRow("two primary indexes") << 3;
        QTest::newRow("encrypted") << 4;
        QTest::newRow("odd block size") << 5;
    }
    void shouldRefuseSchemasItCannotStore()
    {
        QFETCH(int, kind);
        TableSchema s = projectSchema();
        switch (kind) {
        case 0: s.fields[1].name = QStringLiteral("EVENT"); break;
        case 1: s.fields[0].size = 0; break;
        case 2: s.indexes[2].fields = QStringLiteral("Start date;Nothing"); break;
        case 3: s.indexes[1].options |= ixPrimary; break;
        case 4: s.properties.encrypted = true; break;
        case 5: s.properties.blobBlockSize = 500; break;
        }
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, TableStore::create(fs(), dat(), s));
        QVERIFY(!fs().exists(dat()));
    }

    void shouldRefuseToOpenAMissingTable()
    {
        try {
            TableStore::open(fs(), dat());
            QFAIL("no error");
        } catch (const EDatabaseError& e) {
            QVERIFY(e.message().contains(QStringLiteral("Trip.dat")));
        }
    }

    void shouldCacheTheIndexOrderForTheStateItWasWrittenFor()
    {
        TableStore::create(fs(), dat(), projectSchema());
        auto store = TableStore::open(fs(), dat());
        QVERIFY(store->loadIndexOrder().has_value()); // a new table's .idx matches its empty .dat
        const quint32 a = store->insert(projectRow("b")).slot;
        const quint32 b = store->insert(projectRow("a")).slot;
        QVERIFY(!store->loadIndexOrder().has_value()); // stale now
        const std::vector<std::vector<quint32>> order{{b, a}, {a, b}, {a, b}};
        store->saveIndexOrder(order);
        QCOMPARE(store->loadIndexOrder().value(), order);
        store.reset();
        store = TableStore::open(fs(), dat());
        QCOMPARE(store->loadIndexOrder().value(), order);
        store->update(a, projectRow("c"));
        QVERIFY(!store->loadIndexOrder().has_value());
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, store->saveIndexOrder({{a, b}}));
        fs().remove(tableFilePaths(dat())[1]);
        QVERIFY(!store->loadIndexOrder().has_value());
        store->saveIndexOrder(order); // writes a new one
        QCOMPARE(store->loadIndexOrder().value(), order);
    }

    void shouldIgnoreTheIndexFileOfAnotherTable()
    {
        TableStore::create(fs(), dat(), projectSchema());
        TableStore::create(fs(), dat(QStringLiteral("Other.dat")), projectSchema());
        const QStringList mine = tableFilePaths(dat());
        const QStringList other = tableFilePaths(dat(QStringLiteral("Other.dat")));
        auto src = fs().open(other[1], FileSystem::OpenMode::ReadOnly);
        const QByteArray foreignIdx = src->read(0, src->size());
        fs().open(mine[1], FileSystem::OpenMode::ReadWrite)->write(0, foreignIdx);
        QVERIFY(!TableStore::open(fs(), dat())->loadIndexOrder().has_value());
        // A .blb of another table is refused.
        auto blb = fs().open(other[2], FileSystem::OpenMode::ReadOnly);
        fs().open(mine[2], FileSystem::OpenMode::ReadWrite)->write(0, blb->read(0, blb->size()));
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, TableStore::open(fs(), dat()));
    }
};

QTEST_GUILESS_MAIN(TestStore)
#include "tst_store.moc"

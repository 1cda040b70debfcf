// The check command and the store-level check behind it: a sound table, each kind of damage,
// the notes that are not damage, and files that are no table at all.

#include "CliTestSupport.h"

#include "platform/table/StoreFiles.h"
#include "platform/table/StoreFormat.h"
#include "platform/table/Table.h"
#include "platform/table/TableCheck.h"

#include <QTemporaryDir>
#include <functional>

using namespace CliTest;
using namespace StoreFormat;

namespace {

// Where things lie in the small table's files.
struct Layout
{
    qint64 slotBase = 0;
    int copySize = 0;
    qint64 copyAt(int slot, int copy) const { return slotBase + qint64(slot) * 2 * copySize + qint64(copy) * copySize; }
};

Layout layoutOf(const QString& dat)
{
    auto file = realFileSystem().open(dat, FileSystem::OpenMode::ReadOnly);
    const DatHeader h = readDatHeader(*file, dat);
    return Layout{h.slotBase, h.copySize};
}

QString sibling(const QString& dat, const char* ext)
{
    return dat.left(dat.size() - 4) + QLatin1String(ext);
}

void flipByte(const QString& path, qint64 at)
{
    QByteArray b = readFile(path);
    QVERIFY(at < b.size());
    b[at] = char(b[at] ^ 0x5a);
    writeFile(path, b);
}

void refreshIdxChecksum(QByteArray& idx)
{
    put<quint32>(idx.data() + idx.size() - kCrcSize, crc32c(idx.constData(), idx.size() - kCrcSize));
}

// Changes the first row's cost through the engine, so its slot holds two valid copies (copy 1
// newer), and closes the table, which writes the index cache for that state.
void updateFirstSlot(const QString& dat)
{
    Table t;
    t.setDatabaseName(QFileInfo(dat).path());
    t.setTableName(QFileInfo(dat).fileName());
    t.setIndexName(QStringLiteral("Recno"));
    t.open();
    t.first();
    t.edit();
    t.fieldByName(QStringLiteral("Cost")).setAsCurrency(Currency::fromUnits(990000));
    t.post();
    t.close();
}

// Offset in the .idx file of the first entry of the list of index number k.
qint64 idxListAt(const QByteArray& idx, int k, quint32* count)
{
    Reader r(idx.constData() + kIdxFixedSize, idx.size() - kIdxFixedSize - kCrcSize);
    for (int i = 0;; ++i) {
        readIndexDef(r);
        const quint32 n = r.u32();
        if (i == k) {
            *count = n;
            return kIdxFixedSize + r.pos();
        }
        r.skip(qsizetype(n) * 4);
    }
}

} // namespace

using Damage = std::function<void(const QString& dat)>;
Q_DECLARE_METATYPE(Damage)

class TestTableCheck : public QObject
{
    Q_OBJECT
private slots:
    void shouldFindASoundTable();
    void shouldTellEachKindOfDamage_data();
    void shouldTellEachKindOfDamage();
    void shouldReportEveryFinding();
    void shouldNotChangeADamagedTable();
};

void TestTableCheck::shouldFindASoundTable()
{
    QTemporaryDir dir;
    const QString dat = makeSmallTable(dir.path());
    updateFirstSlot(dat);
    const Result r = run({QStringLiteral("check"), dat});
    QCOMPARE(r.code, 0);
    QVERIFY(r.err.isEmpty());
    QCOMPARE(r.out, QByteArray("Trip.dat is sound: 4 rows (4 slots, 0 deleted), 1 documents of 74 bytes, 3 indexes\n"));

    const TableCheckResult result = checkTableFiles(realFileSystem(), dat);
    QCOMPARE(result.verdict(), TableCheckResult::Verdict::Sound);
    QVERIFY(result.findings.isEmpty());
}

void TestTableCheck::shouldTellEachKindOfDamage_data()
{
    QTest::addColumn<Damage>("damage");
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("found");

    // Row copies.
    QTest::newRow("a byte of a slot's only copy") << Damage([](const QString& dat) {
        flipByte(dat, layoutOf(dat).copyAt(1, 0) + 40);
    }) << 1 << QByteArray("DAMAGE: Trip.dat: row slot 1 has no readable copy (copy 0 fails its checksum, copy 1 never written)");
    QTest::newRow("a byte of a stale copy") << Damage([](const QString& dat) {
        updateFirstSlot(dat);
        flipByte(dat, layoutOf(dat).copyAt(0, 0) + 30);
    }) << 1 << QByteArray("copy 0 of row slot 0 fails its checksum, though no write to it can have been pending");
    QTest::newRow("a byte of a committed newest copy") << Damage([](const QString& dat) {
        updateFirstSlot(dat);
        flipByte(dat, layoutOf(dat).copyAt(0, 1) + 30);
    }) << 1 << QByteArray("records as committed: the row's newest state is lost");
    QTest::newRow("the row count of the newest copy") << Damage([](const QString& dat) {
        // A copy whose checksum holds but which says it belongs to another slot.
        const Layout l = layoutOf(dat);
        QByteArray b = readFile(dat);
        char* copy = b.data() + l.copyAt(2, 0);
        put<quint32>(copy + kCopySlotOffset, 7);
        put<quint32>(copy + l.copySize - kCopyTrailerSize, crc32c(copy, l.copySize - kCopyTrailerSize));
        writeFile(dat, b);
    }) << 1 << QByteArray("passes its checksum but names slot 7");
    QTest::newRow("the last row cut off") << Damage([](const QString& dat) {
        QFile f(dat);
        QVERIFY(f.resize(f.size() - layoutOf(dat).copySize - 100));
    }) << 1 << QByteArray("Trip.idx records write 4, but the newest write here is 3");
    QTest::newRow("the header") << Damage([](const QString& dat) { flipByte(dat, 100); }) << 1
                                << QByteArray("DAMAGE: Trip.dat: the header fails its checksum");

    // Documents.
    QTest::newRow(".blb cut short") << Damage([](const QString& dat) {
        QFile f(sibling(dat, ".blb"));
        QVERIFY(f.resize(f.size() - 500));
    }) << 1 << QByteArray("lies past the end of the file");
    QTest::newRow("a document's byte") << Damage([](const QString& dat) { flipByte(sibling(dat, ".blb"), 512 + 10); })
                                       << 1 << QByteArray("DAMAGE: Trip.blb: the document of row slot 1 (field 'Document', blocks 0..) fails its checksum");
    QTest::newRow(".blb missing") << Damage([](const QString& dat) { QFile::remove(sibling(dat, ".blb")); }) << 1
                                  << QByteArray("the document file is missing");
    QTest::newRow(".blb of another table") << Damage([](const QString& dat) {
        flipByte(sibling(dat, ".blb"), kTableIdOffset);
        QByteArray b = readFile(sibling(dat, ".blb"));
        put<quint32>(b.data() + kBlbHeaderCrcOffset, crc32c(b.constData(), kBlbHeaderCrcOffset));
        writeFile(sibling(dat, ".blb"), b);
    }) << 1 << QByteArray("belongs to another table");

    // The index cache.
    QTest::newRow(".idx entries swapped") << Damage([](const QString& dat) {
        QByteArray idx = readFile(sibling(dat, ".idx"));
        quint32 n = 0;
        const qint64 at = idxListAt(idx, 2, &n); // Start
        QCOMPARE(n, 4u);
        const quint32 a = get<quint32>(idx.constData() + at);
        put<quint32>(idx.data() + at, get<quint32>(idx.constData() + at + 4));
        put<quint32>(idx.data() + at + 4, a);
        refreshIdxChecksum(idx);
        writeFile(sibling(dat, ".idx"), idx);
    }) << 1 << QByteArray("DAMAGE: Trip.idx: index 'Start' of the cache is out of key order at entry 1");
    QTest::newRow(".idx entry of no row") << Damage([](const QString& dat) {
        QByteArray idx = readFile(sibling(dat, ".idx"));
        quint32 n = 0;
        put<quint32>(idx.data() + idxListAt(idx, 0, &n) + 8, 9);
        refreshIdxChecksum(idx);
        writeFile(sibling(dat, ".idx"), idx);
    }) << 1 << QByteArray("index 'primary' of the cache lists slot 9, which holds no row");
    QTest::newRow(".idx entry twice") << Damage([](const QString& dat) {
        QByteArray idx = readFile(sibling(dat, ".idx"));
        quint32 n = 0;
        const qint64 at = idxListAt(idx, 1, &n); // Recno
        put<quint32>(idx.data() + at + 4, get<quint32>(idx.constData() + at));
        refreshIdxChecksum(idx);
        writeFile(sibling(dat, ".idx"), idx);
    }) << 1 << QByteArray("index 'Recno' of the cache lists slot 0 twice");

    // Notes: the table is sound.
    QTest::newRow("a torn last write") << Damage([](const QString& dat) {
        // What a crash while rewriting slot 0 leaves: the next write number, the rest cut short.
        const Layout l = layoutOf(dat);
        QByteArray b = readFile(dat);
        char* copy = b.data() + l.copyAt(0, 1);
        put<quint64>(copy + kCopySeqOffset, 5);
        std::memset(copy + 8, 0x33, 60);
        writeFile(dat, b);
    }) << 0 << QByteArray("note: Trip.dat: copy 1 of row slot 0 is torn");
    QTest::newRow("a torn append") << Damage([](const QString& dat) {
        const Layout l = layoutOf(dat);
        QFile::remove(sibling(dat, ".idx")); // the crash came before the table was closed
        QByteArray b = readFile(dat);
        b.append(QByteArray(l.copySize / 2, '\x44'));
        writeFile(dat, b);
    }) << 0 << QByteArray("note: Trip.dat: row slot 4 was being added when a write stopped");
    QTest::newRow(".idx stale") << Damage([](const QString& dat) {
        const QByteArray old = readFile(sibling(dat, ".idx"));
        updateFirstSlot(dat);
        writeFile(sibling(dat, ".idx"), old);
    }) << 0 << QByteArray("note: Trip.idx: the index cache describes an older state of the rows (write 4, now 5)");
    QTest::newRow(".idx torn") << Damage([](const QString& dat) { flipByte(sibling(dat, ".idx"), 80); }) << 0
                               << QByteArray("note: Trip.idx: the index cache fails its checksum");
    QTest::newRow(".idx missing") << Damage([](const QString& dat) { QFile::remove(sibling(dat, ".idx")); }) << 0
                                  << QByteArray("note: Trip.idx: the index cache is missing");

    // Not a table.
    QTest::newRow("text file") << Damage([](const QString& dat) { writeFile(dat, "Event,Start date\n"); }) << 2
                               << QByteArray("UNREADABLE: Trip.dat: not a table data file");
    QTest::newRow("empty file") << Damage([](const QString& dat) { writeFile(dat, QByteArray()); }) << 2
                                << QByteArray("not a table data file");
    QTest::newRow("missing") << Damage([](const QString& dat) { QFile::remove(dat); }) << 2
                             << QByteArray("UNREADABLE: Trip.dat: the file does not exist");
    QTest::newRow("another format version") << Damage([](const QString& dat) {
        QByteArray b = readFile(dat);
        put<quint32>(b.data() + kVersionOffset, 9);
        const qint64 crcAt = kDatSchemaOffset + get<quint32>(b.constData() + kDatSchemaLengthOffset);
        put<quint32>(b.data() + crcAt, crc32c(b.constData(), crcAt));
        writeFile(dat, b);
    }) << 2 << QByteArray("format version 9; this program reads version 1");
}

void TestTableCheck::shouldTellEachKindOfDamage()
{
    QFETCH(Damage, damage);
    QFETCH(int, code);
    QFETCH(QByteArray, found);
    QTemporaryDir dir;
    const QString dat = makeSmallTable(dir.path());
    damage(dat);
    const Result r = run({QStringLiteral("check"), dat});
    QVERIFY2(r.out.contains(found), r.out);
    QCOMPARE(r.code, code);
    if (code == 0) {
        QVERIFY(r.out.contains("Trip.dat is sound"));
        QVERIFY(r.err.isEmpty());
        // What the check calls sound, the engine opens.
        Table t;
        t.setDatabaseName(dir.path());
        t.setTableName(QStringLiteral("Trip.dat"));
        t.open();
        QCOMPARE(t.recordCount(), 4);
    } else {
        QVERIFY2(oneLine(r.err), r.err);
        QVERIFY2(r.err.contains(code == 1 ? "is damaged" : "Trip.dat: "), r.err);
    }
}

void TestTableCheck::shouldReportEveryFinding()
{
    QTemporaryDir dir;
    const QString dat = makeSmallTable(dir.path());
    flipByte(dat, layoutOf(dat).copyAt(0, 0) + 40);
    flipByte(dat, layoutOf(dat).copyAt(2, 0) + 40);
    flipByte(sibling(dat, ".blb"), 530);
    const TableCheckResult result = checkTableFiles(realFileSystem(), dat);
    QCOMPARE(result.verdict(), TableCheckResult::Verdict::Damaged);
    QStringList texts;
    for (const TableCheckFinding& f : result.findings)
        if (f.kind == TableCheckFinding::Kind::Damage)
            texts << f.file + QLatin1String(": ") + f.text;
    QCOMPARE(texts.size(), 4);
    QVERIFY(texts[0].startsWith(QLatin1String("Trip.dat: row slot 0 has no readable copy")));
    QVERIFY(texts[1].startsWith(QLatin1String("Trip.dat: row slot 2 has no readable copy")));
    QVERIFY(texts[2].startsWith(QLatin1String("Trip.blb: the document of row slot 1")));
    // The cache was written for the newest write, with rows that no longer stand.
    QVERIFY2(texts[3].endsWith(QLatin1String("for other rows (4 rows, 2 readable): committed rows are lost")),
             qPrintable(texts[3]));
    QCOMPARE(result.rows, 2u);
}

void TestTableCheck::shouldNotChangeADamagedTable()
{
    QTemporaryDir dir;
    const QString dat = makeSmallTable(dir.path());
    updateFirstSlot(dat);
    flipByte(dat, layoutOf(dat).copyAt(0, 1) + 30);
    QFile::remove(sibling(dat, ".idx"));
    const QList<QByteArray> before = tableBytes(dat);
    for (const char* command : {"check", "dump", "ics"})
        run({QLatin1String(command), dat});
    QCOMPARE(tableBytes(dat), before);
    QVERIFY(!QFile::exists(sibling(dat, ".idx")));
}

QTEST_GUILESS_MAIN(TestTableCheck)
#include "tst_table_check.moc"

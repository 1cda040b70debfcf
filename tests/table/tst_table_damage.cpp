// Damaged files opened through the Table: every truncation of each of the three files, a
// flipped bit in every header byte and in a sample of body bytes. Opening gives a database
// error naming the file, or the table opens with its index orders rebuilt, or a damaged row
// copy gives way to the older copy of its slot; every index walks each row once, and a change
// afterwards either succeeds or raises a database error. Never a crash or a value the table
// did not hold.

#include "tst_table_fixture.h"
#include "tst_table_rows.h"

#include "platform/table/MemoryFileSystem.h"
#include "platform/table/TableStore.h"

#include <QHash>
#include <QSet>

namespace {

const QString kFolder = QStringLiteral("/db");
const QStringList kIndexes{QString(), QStringLiteral("Recno"), QStringLiteral("Start")};

QString withoutDocument(QString line)
{
    QStringList parts = line.split(QLatin1Char('|'));
    for (QString& p : parts)
        if (p.startsWith(QLatin1String("doc:")) && p != QLatin1String("doc:none"))
            p = QStringLiteral("doc:error");
    return parts.join(QLatin1Char('|'));
}

qint64 idOf(const QString& line) { return line.section(QLatin1Char('|'), 0, 0).toLongLong(); }

void openOn(Table& t, FileSystem& fs)
{
    t.setFileSystem(&fs);
    t.setDatabaseName(kFolder);
    t.setTableName(QStringLiteral("Trip.dat"));
    t.open();
}

// Four rows, each written twice (so every slot holds two copies), one of them then deleted.
struct Fixture
{
    MemoryFileSystem memory;
    QStringList paths = tableFilePaths(kFolder + QStringLiteral("/Trip.dat"));
    QHash<qint64, QSet<QString>> history; // per RecordID: every state it had after a commit
    QStringList finalRows;
    QHash<QString, QList<qint64>> orders;

    Fixture()
    {
        memory.addFolder(kFolder);
        Table t;
        t.setFileSystem(&memory);
        t.setDatabaseName(kFolder);
        t.setTableName(QStringLiteral("Trip.dat"));
        defineProjectTable(t);
        t.createTable(projectProperties());
        t.open();
        const auto note = [&] {
            for (const QString& line : describeRows(t))
                history[idOf(line)].insert(line);
            t.setIndexName(QString());
        };
        const auto add = [&](const QString& name, double date, const QByteArray& doc) {
            t.append();
            t.fieldByName(QStringLiteral("Event")).setAsString(name);
            t.fieldByName(QStringLiteral("Start date")).setValue(date);
            if (!doc.isNull())
                t.fieldByName(QStringLiteral("Document")).setAsBytes(doc);
            t.post();
            note();
        };
        const auto change = [&](const QString& name, const QString& field, const QVariant& value) {
            QVERIFY(t.findKey({name}));
            t.edit();
            t.fieldByName(field).setValue(value);
            t.post();
            note();
        };
        add(QStringLiteral("Flight"), day(2026, 12, 1), QByteArray(1500, 'a'));
        add(QStringLiteral("Hotel"), day(2026, 12, 2), QByteArray());
        add(QStringLiteral("東京"), day(2026, 12, 3), QByteArray(10, 'c'));
        add(QStringLiteral("Museum"), day(2026, 11, 30), QByteArray());
        change(QStringLiteral("Flight"), QStringLiteral("Document"), QByteArray(700, 'd'));
        change(QStringLiteral("Hotel"), QStringLiteral("Event"), QStringLiteral("Hotel B"));
        change(QStringLiteral("東京"), QStringLiteral("Start time"), at(9, 30));
        change(QStringLiteral("Museum"), QStringLiteral("Document"), QByteArray(513, 'm'));
        QVERIFY(t.findKey({QStringLiteral("Hotel B")}));
        t.deleteRecord();
        finalRows = describeRows(t);
        for (const QString& index : kIndexes)
            orders[index] = orderOf(t, index);
        t.close();
    }
};

} // namespace

class TestTableDamage : public QObject
{
    Q_OBJECT

private:
    // How the damaged tables came out, so a run shows each path was taken.
    struct Outcomes
    {
        int refused = 0, whole = 0, olderCopies = 0, documentErrors = 0;
    } m_seen;

    // Opens the table from fs and checks the outcome is one of those allowed.
    void checkOutcome(Fixture& f, MemoryFileSystem& fs, const QString& what, bool mustOpen, bool mustRefuse)
    {
        Table t;
        try {
            openOn(t, fs);
        } catch (const EDatabaseError& e) {
            QVERIFY2(!mustOpen, qPrintable(what + ": " + e.message()));
            QVERIFY2(e.message().contains(QLatin1String("Trip.")), qPrintable(what + ": the error does not name the file: " + e.message()));
            ++m_seen.refused;
            return;
        }
        QVERIFY2(!mustRefuse, qPrintable(what + ": damage accepted"));
        const QStringList rows = describeRows(t, true);
        QSet<qint64> present;
        for (const QString& line : rows) {
            const qint64 id = idOf(line);
            present.insert(id);
            bool known = f.history.value(id).contains(line);
            for (const QString& h : f.history.value(id))
                known = known || (line.contains(QLatin1String("doc:error")) && withoutDocument(h) == line);
            QVERIFY2(known, qPrintable(what + ": a row the table never held: " + line));
        }
        for (const QString& line : f.finalRows)
            QVERIFY2(present.contains(idOf(line)), qPrintable(what + ": a row vanished: " + line));
        QStringList plain, finalPlain;
        for (const QString& line : rows)
            plain << withoutDocument(line);
        for (const QString& line : f.finalRows)
            finalPlain << withoutDocument(line);
        ++(rows == f.finalRows ? m_seen.whole : plain == finalPlain ? m_seen.documentErrors : m_seen.olderCopies);
        for (const QString& index : kIndexes) {
            const QList<qint64> order = orderOf(t, index);
            QVERIFY2(order.size() == rows.size() && QSet<qint64>(order.begin(), order.end()) == present,
                     qPrintable(what + ": index '" + index + "' does not list each row once"));
            if (plain == finalPlain)
                QVERIFY2(order == f.orders.value(index), qPrintable(what + ": index '" + index + "' in a wrong order"));
        }
        // The table takes changes, or refuses them with a database error.
        try {
            t.append();
            t.fieldByName(QStringLiteral("Event")).setAsString(QStringLiteral("After"));
            t.post();
            t.setIndexName(QString());
            QVERIFY2(t.findKey({QStringLiteral("After")}), qPrintable(what + ": the new row is not found"));
        } catch (const EDatabaseError&) {
        }
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
        m_seen = {};
        const QByteArray whole = f.memory.fileData(f.paths[file]);
        QVERIFY(!whole.isEmpty());
        for (qsizetype length = 0; length < whole.size(); ++length) {
            MemoryFileSystem fs = f.memory;
            fs.setFileData(f.paths[file], whole.left(length));
            // A cut order cache is rebuilt; a cut .blb or .dat header is refused.
            checkOutcome(f, fs, QStringLiteral("cut to %1").arg(length), file == 1, file != 1 && length < 512);
            if (QTest::currentTestFailed())
                return;
        }
        QVERIFY(file == 1 ? m_seen.whole == whole.size() : m_seen.refused > 0);
    }

    void shouldSurviveAFlippedBit_data()
    {
        QTest::addColumn<int>("file");
        QTest::addColumn<int>("headerEnd");
        QTest::newRow(".dat") << 0 << 512;
        QTest::newRow(".idx") << 1 << 0;
        QTest::newRow(".blb") << 2 << 52;
    }
    void shouldSurviveAFlippedBit()
    {
        QFETCH(int, file);
        QFETCH(int, headerEnd);
        Fixture f;
        m_seen = {};
        const QByteArray whole = f.memory.fileData(f.paths[file]);
        // Every header byte (the .idx is all header: every byte), then a sample of the body.
        for (qsizetype at = 0; at < whole.size(); at += (file == 1 || at < headerEnd) ? 1 : 7) {
            MemoryFileSystem fs = f.memory;
            QByteArray damaged = whole;
            damaged[at] = char(damaged[at] ^ (1 << (at % 8)));
            fs.setFileData(f.paths[file], damaged);
            const bool checkedHeader = (file == 2 && at < headerEnd);
            checkOutcome(f, fs, QStringLiteral("bit flipped at %1").arg(at), file == 1, checkedHeader);
            if (QTest::currentTestFailed())
                return;
        }
        qInfo("refused %d, whole %d, older row copies %d, unreadable documents %d", m_seen.refused, m_seen.whole,
              m_seen.olderCopies, m_seen.documentErrors);
        if (file == 0)
            QVERIFY(m_seen.refused > 0 && m_seen.olderCopies > 0);
        if (file == 1)
            QVERIFY(m_seen.refused == 0 && m_seen.olderCopies == 0);
        if (file == 2)
            QVERIFY(m_seen.refused > 0 && m_seen.documentErrors > 0);
    }
};

QTEST_GUILESS_MAIN(TestTableDamage)
#include "tst_table_damage.moc"

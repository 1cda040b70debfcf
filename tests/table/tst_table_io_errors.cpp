// A table whose files fail at every write and sync of a post and a delete, with an I/O error
// or a full disk: the call raises a database error naming the file and the cause, the table
// stays open and usable, and the rows committed before are intact in memory and after a reopen.

#include "tst_table_fixture.h"
#include "tst_table_rows.h"

#include "platform/table/FaultFileSystem.h"
#include "platform/table/MemoryFileSystem.h"

#include <functional>

namespace {

using Action = std::function<void(Table&)>;

const QString kFolder = QStringLiteral("/db");

QByteArray bytes(int length, char seed)
{
    QByteArray d(length, Qt::Uninitialized);
    for (int i = 0; i < length; ++i)
        d[i] = char(seed ^ (i * 7));
    return d;
}

void setEvent(Table& t, const QString& name) { t.fieldByName(QStringLiteral("Event")).setAsString(name); }

// Three rows: One with a two-block document, Two without, Three with a small one.
void fill(MemoryFileSystem& memory)
{
    memory.addFolder(kFolder);
    Table t;
    t.setFileSystem(&memory);
    t.setDatabaseName(kFolder);
    t.setTableName(QStringLiteral("Trip.dat"));
    defineProjectTable(t);
    t.createTable(projectProperties());
    t.open();
    const struct
    {
        const char* name;
        QByteArray document;
    } rows[] = {{"One", bytes(700, 'a')}, {"Two", QByteArray()}, {"Three", bytes(30, 'c')}};
    for (const auto& r : rows) {
        t.append();
        setEvent(t, QLatin1String(r.name));
        if (!r.document.isNull())
            t.fieldByName(QStringLiteral("Document")).setAsBytes(r.document);
        t.post();
    }
    t.close();
}

void openOn(Table& t, FileSystem& fs)
{
    t.setFileSystem(&fs);
    t.setDatabaseName(kFolder);
    t.setTableName(QStringLiteral("Trip.dat"));
    t.open();
}

Action editOf(const char* name, std::function<void(Table&)> change)
{
    return [name, change](Table& t) {
        t.setIndexName(QString());
        QVERIFY(t.findKey({QLatin1String(name)}));
        t.edit();
        change(t);
        t.post();
    };
}

} // namespace

Q_DECLARE_METATYPE(Action)

class TestTableIoErrors : public QObject
{
    Q_OBJECT
private slots:
    void shouldRefuseAFailedChangeAndGoOn_data();
    void shouldRefuseAFailedChangeAndGoOn();
    void shouldRefuseChangesWhileTheDiskStaysFull();
};

void TestTableIoErrors::shouldRefuseAFailedChangeAndGoOn_data()
{
    QTest::addColumn<Action>("action");
    QTest::newRow("insert with a document") << Action([](Table& t) {
        t.append();
        setEvent(t, QStringLiteral("New"));
        t.fieldByName(QStringLiteral("Document")).setAsBytes(bytes(1100, 'n'));
        t.post();
    });
    QTest::newRow("insert without a document") << Action([](Table& t) {
        t.append();
        setEvent(t, QStringLiteral("New"));
        t.post();
    });
    QTest::newRow("edit replacing a document")
        << editOf("One", [](Table& t) { t.fieldByName(QStringLiteral("Document")).setAsBytes(bytes(900, 'u')); });
    QTest::newRow("edit adding a document")
        << editOf("Two", [](Table& t) { t.fieldByName(QStringLiteral("Document")).setAsBytes(bytes(10, 'u')); });
    QTest::newRow("edit dropping a document") << editOf("Three", [](Table& t) { t.fieldByName(QStringLiteral("Document")).clear(); });
    QTest::newRow("edit moving a row in the order") << editOf("Two", [](Table& t) { setEvent(t, QStringLiteral("Zwei ü")); });
    QTest::newRow("delete") << Action([](Table& t) {
        t.setIndexName(QString());
        QVERIFY(t.findKey({QStringLiteral("One")}));
        t.deleteRecord();
    });
    QTest::newRow("delete of the newest row") << Action([](Table& t) {
        t.setIndexName(QStringLiteral("Recno"));
        t.last();
        t.prior();
        t.next(); // on the last row, eof cleared
        t.deleteRecord();
    });
}

void TestTableIoErrors::shouldRefuseAFailedChangeAndGoOn()
{
    QFETCH(Action, action);
    // A run without faults: how many writes and syncs the change makes, and the rows after it.
    int operations = 0;
    QStringList before, after;
    {
        MemoryFileSystem memory;
        fill(memory);
        FaultFileSystem fault(memory);
        Table t;
        openOn(t, fault);
        before = describeRows(t);
        fault.clearFaults();
        action(t);
        operations = fault.operationCount();
        after = describeRows(t);
    }
    QVERIFY(operations >= 2);
    QVERIFY(after != before);

    const struct
    {
        FaultFileSystem::Error error;
        const char* text;
    } errors[] = {{FaultFileSystem::Error::Io, "Input/output error"}, {FaultFileSystem::Error::NoSpace, "No space left on device"}};
    const FaultFileSystem::PartialWrite effects[] = {FaultFileSystem::PartialWrite::None, FaultFileSystem::PartialWrite::Half,
                                                      FaultFileSystem::PartialWrite::All};
    for (int at = 1; at <= operations; ++at) {
        for (const auto& e : errors) {
            for (const auto effect : effects) {
                const QString where = QStringLiteral("operation %1 of %2, %3, effect %4").arg(at).arg(operations).arg(e.text).arg(int(effect));
                MemoryFileSystem memory;
                fill(memory);
                FaultFileSystem fault(memory);
                Table t;
                openOn(t, fault);
                fault.clearFaults();
                fault.failAt(at, e.error, effect);
                try {
                    action(t);
                    QFAIL(qPrintable(where + ": no error"));
                } catch (const EDatabaseError& error) {
                    QVERIFY2(error.message().contains(QLatin1String(e.text)), qPrintable(where + ": " + error.message()));
                    QVERIFY2(error.message().contains(QLatin1String("/db/Trip.")), qPrintable(where + ": " + error.message()));
                }
                QVERIFY2(t.active(), qPrintable(where));
                // A refused post keeps the row being edited; the user may cancel it.
                if (t.state() != TableState::Browse)
                    t.cancel();
                QVERIFY2(describeRows(t) == before, qPrintable(where + ": rows in memory changed"));
                {
                    Table reopened;
                    openOn(reopened, memory);
                    QVERIFY2(describeRows(reopened) == before, qPrintable(where + ": rows on disk changed"));
                }
                // The table goes on: the same change now succeeds, and is all that changed.
                action(t);
                QVERIFY2(describeRows(t) == after, qPrintable(where + ": the retry"));
                t.close();
                Table reopened;
                openOn(reopened, memory);
                QVERIFY2(describeRows(reopened) == after, qPrintable(where + ": the retry on disk"));
                for (const QString& index : {QString(), QStringLiteral("Start")})
                    QCOMPARE(orderOf(reopened, index).size(), after.size());
            }
        }
    }
}

void TestTableIoErrors::shouldRefuseChangesWhileTheDiskStaysFull()
{
    MemoryFileSystem memory;
    fill(memory);
    FaultFileSystem fault(memory);
    Table t;
    openOn(t, fault);
    const QStringList before = describeRows(t);
    fault.clearFaults();
    // The write of the row and every write after it fail: undoing the half-written copy fails too.
    fault.failAt(1, FaultFileSystem::Error::NoSpace, FaultFileSystem::PartialWrite::Half, true);
    t.append();
    setEvent(t, QStringLiteral("New"));
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, t.post());
    QCOMPARE(t.state(), TableState::Insert);
    t.cancel();
    t.setIndexName(QString());
    QVERIFY(t.findKey({QStringLiteral("Two")}));
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, t.deleteRecord());
    QCOMPARE(describeRows(t), before);
    // Room again: the next change goes through.
    fault.clearFaults();
    t.setIndexName(QString());
    QVERIFY(t.findKey({QStringLiteral("Two")}));
    t.deleteRecord();
    t.close();
    Table reopened;
    openOn(reopened, memory);
    QStringList expected = before;
    expected.removeAt(1);
    QCOMPARE(describeRows(reopened), expected);
}

QTEST_GUILESS_MAIN(TestTableIoErrors)
#include "tst_table_io_errors.moc"

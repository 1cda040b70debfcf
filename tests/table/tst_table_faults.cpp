// The table when its files fail: a refused write changes nothing in memory, and the order
// cache (.idx) failing to be written never stops a close.

#include "tst_table_fixture.h"

#include "platform/table/MemoryFileSystem.h"

namespace {

// Memory files whose writes fail on demand, per file extension.
class FailingFileSystem : public FileSystem
{
public:
    MemoryFileSystem inner;
    QString failing; // ".dat", ".idx", ".blb" or empty

    std::unique_ptr<File> open(const QString& path, OpenMode mode) override
    {
        return std::make_unique<FailingFile>(inner.open(path, mode), *this, path);
    }
    bool exists(const QString& path) override { return inner.exists(path); }
    bool remove(const QString& path) override { return inner.remove(path); }
    void syncFolder(const QString& folder) override { inner.syncFolder(folder); }

private:
    class FailingFile : public File
    {
    public:
        FailingFile(std::unique_ptr<File> f, FailingFileSystem& fs, QString path)
            : m_file(std::move(f)), m_fs(fs), m_path(std::move(path)) {}
        qint64 size() override { return m_file->size(); }
        QByteArray read(qint64 offset, qint64 length) override { return m_file->read(offset, length); }
        void write(qint64 offset, const QByteArray& data) override { check(); m_file->write(offset, data); }
        void truncate(qint64 length) override { check(); m_file->truncate(length); }
        void sync() override { check(); m_file->sync(); }

    private:
        void check()
        {
            if (!m_fs.failing.isEmpty() && m_path.endsWith(m_fs.failing))
                throw EDatabaseError(m_path + QLatin1String(": No space left on device"));
        }
        std::unique_ptr<File> m_file;
        FailingFileSystem& m_fs;
        QString m_path;
    };
};

struct MemoryTable
{
    FailingFileSystem fs;
    Table table;

    MemoryTable()
    {
        fs.inner.addFolder(QStringLiteral("/p"));
        table.setFileSystem(&fs);
        table.setDatabaseName(QStringLiteral("/p"));
        table.setTableName(QStringLiteral("Trip.dat"));
        defineProjectTable(table);
        table.createTable(projectProperties());
        table.open();
        for (const char* n : {"C", "A", "B"}) {
            table.append();
            table.fieldByName(QStringLiteral("Event")).setAsString(QLatin1String(n));
            table.post();
        }
        table.first();
    }

    QStringList names()
    {
        QStringList out;
        for (table.first(); !table.eof(); table.next())
            out.append(table.fieldByName(QStringLiteral("Event")).asString());
        return out;
    }
};

} // namespace

class TestTableFaults : public QObject
{
    Q_OBJECT
private slots:
    void shouldCloseWhenTheOrderCacheCannotBeWritten();
    void shouldKeepTheRowBeingPostedWhenTheWriteFails_data();
    void shouldKeepTheRowBeingPostedWhenTheWriteFails();
    void shouldKeepARowWhoseDeleteFails();
};

void TestTableFaults::shouldCloseWhenTheOrderCacheCannotBeWritten()
{
    MemoryTable m;
    m.fs.failing = QStringLiteral(".idx");
    m.table.close(); // must not throw
    QVERIFY(!m.table.active());
    QCOMPARE(m.table.state(), TableState::Inactive);
    m.fs.failing.clear();
    m.table.open();
    QCOMPARE(m.names(), (QStringList{"A", "B", "C"}));
    m.table.setIndexName(QStringLiteral("Recno"));
    QCOMPARE(m.names(), (QStringList{"C", "A", "B"}));
}

void TestTableFaults::shouldKeepTheRowBeingPostedWhenTheWriteFails_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("inserting");
    QTest::addColumn<bool>("withDocument");
    QTest::newRow("insert, rows file full") << ".dat" << true << false;
    QTest::newRow("edit, rows file full") << ".dat" << false << false;
    QTest::newRow("insert with a document, documents file full") << ".blb" << true << true;
    QTest::newRow("edit with a document, documents file full") << ".blb" << false << true;
}

void TestTableFaults::shouldKeepTheRowBeingPostedWhenTheWriteFails()
{
    QFETCH(QString, file);
    QFETCH(bool, inserting);
    QFETCH(bool, withDocument);
    MemoryTable m;
    if (inserting)
        m.table.append();
    else
        m.table.edit();
    m.table.fieldByName(QStringLiteral("Event")).setAsString(QStringLiteral("Z"));
    if (withDocument)
        m.table.fieldByName(QStringLiteral("Document")).setAsBytes(QByteArray(2000, 'x'));
    m.fs.failing = file;
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, m.table.post());
    QCOMPARE(m.table.state(), inserting ? TableState::Insert : TableState::Edit);
    QCOMPARE(m.table.fieldByName(QStringLiteral("Event")).asString(), QStringLiteral("Z"));
    QCOMPARE(m.table.recordCount(), 3);
    m.fs.failing.clear();
    m.table.post(); // the user tries again once there is room
    const QStringList expected = inserting ? QStringList{"A", "B", "C", "Z"} : QStringList{"B", "C", "Z"};
    QCOMPARE(m.names(), expected);
    m.table.close();
    m.table.open();
    QCOMPARE(m.names(), expected);
    if (withDocument) {
        QVERIFY(m.table.findKey({QStringLiteral("Z")}));
        QCOMPARE(m.table.fieldByName(QStringLiteral("Document")).asBytes(), QByteArray(2000, 'x'));
    }
}

void TestTableFaults::shouldKeepARowWhoseDeleteFails()
{
    MemoryTable m;
    QVERIFY(m.table.findKey({QStringLiteral("B")}));
    m.fs.failing = QStringLiteral(".dat");
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, m.table.deleteRecord());
    QCOMPARE(m.table.fieldByName(QStringLiteral("Event")).asString(), QStringLiteral("B"));
    QCOMPARE(m.table.recordCount(), 3);
    m.fs.failing.clear();
    m.table.deleteRecord();
    QCOMPARE(m.names(), (QStringList{"A", "C"}));
}

QTEST_GUILESS_MAIN(TestTableFaults)
#include "tst_table_faults.moc"

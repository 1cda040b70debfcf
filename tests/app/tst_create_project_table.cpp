// Creating project tables through the data module: the files, the schema, the indexes, the
// table properties, the defaults of a new row and the refusals.

#include "platform/core/Exception.h"
#include "platform/table/Table.h"
#include "platform/ui/TestMain.h"
#include "storage/Service.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(FieldType)

class TestCreateProjectTable : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { m_service = new TdmService(this); }

    void shouldCreateTheThreeFilesOfAnEmptyTable();
    void shouldDefineTheFieldsInOrder_data();
    void shouldDefineTheFieldsInOrder();
    void shouldDefineTheIndexesAndProperties();
    void shouldGiveANewRowTheDefaults();
    void shouldRefuseAnExistingTableAndKeepItsRows();
    void shouldRefuseAFolderThatCannotBeWritten_data();
    void shouldRefuseAFolderThatCannotBeWritten();
    void shouldReplaceTheDefinitionsOnTheNextCall();
    void shouldRefuseADuplicateKeyOnly();

private:
    static void openTable(Table& table, const QString& folder, const QString& fileName)
    {
        table.setDatabaseName(folder);
        table.setTableName(fileName);
        table.open();
    }
    TdmService* m_service = nullptr;
};

void TestCreateProjectTable::shouldCreateTheThreeFilesOfAnEmptyTable()
{
    QTemporaryDir dir;
    QVERIFY(m_service->CreateProjectTable(dir.path(), QStringLiteral("Trip.dat")));
    for (const char* name : {"Trip.dat", "Trip.idx", "Trip.blb"})
        QVERIFY2(QFile::exists(dir.filePath(QLatin1String(name))), name);

    // The component is left closed, still naming the new table.
    QVERIFY(!m_service->dbBase->active());
    QCOMPARE(m_service->dbBase->databaseName(), dir.path());
    QCOMPARE(m_service->dbBase->tableName(), QStringLiteral("Trip.dat"));

    Table table;
    openTable(table, dir.path(), QStringLiteral("Trip.dat"));
    QCOMPARE(table.recordCount(), 0);
}

void TestCreateProjectTable::shouldDefineTheFieldsInOrder_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("name");
    QTest::addColumn<FieldType>("type");
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("required");
    QTest::addColumn<QString>("defaultValue");
    QTest::newRow("Event") << 1 << "Event" << FieldType::String << 50 << true << "";
    QTest::newRow("Start date") << 2 << "Start date" << FieldType::Date << 0 << false << "";
    QTest::newRow("Start time") << 3 << "Start time" << FieldType::Time << 0 << false << "00:00:00";
    QTest::newRow("End date") << 4 << "End date" << FieldType::Date << 0 << false << "";
    QTest::newRow("End time") << 5 << "End time" << FieldType::Time << 0 << false << "23:59:59";
    QTest::newRow("Document") << 6 << "Document" << FieldType::Blob << 0 << false << "";
    QTest::newRow("Finished") << 7 << "Finished" << FieldType::Date << 0 << false << "";
    QTest::newRow("Cost") << 8 << "Cost" << FieldType::Currency << 0 << false << "";
    QTest::newRow("Booked") << 9 << "Booked" << FieldType::Boolean << 0 << false << "False";
    QTest::newRow("Paid") << 10 << "Paid" << FieldType::Boolean << 0 << false << "False";
    QTest::newRow("Day") << 11 << "Day" << FieldType::String << 10 << false << "";
}

void TestCreateProjectTable::shouldDefineTheFieldsInOrder()
{
    QFETCH(int, number);
    QFETCH(QString, name);
    QFETCH(FieldType, type);
    QFETCH(int, size);
    QFETCH(bool, required);
    QFETCH(QString, defaultValue);

    QTemporaryDir dir;
    m_service->CreateProjectTable(dir.path(), QStringLiteral("Trip.dat"));
    Table table;
    openTable(table, dir.path(), QStringLiteral("Trip.dat"));
    const TableSchema& schema = table.schema();
    QVERIFY(schema.fields.size() >= 11);
    const FieldDef& def = schema.fields[number - 1];
    QCOMPARE(def.name, name);
    QCOMPARE(def.type, type);
    if (type == FieldType::String)
        QCOMPARE(def.size, size);
    QCOMPARE(def.required, required);
    QCOMPARE(def.defaultValue, defaultValue);
    QVERIFY(def.minimum.isEmpty() && def.maximum.isEmpty() && def.description.isEmpty());
}

void TestCreateProjectTable::shouldDefineTheIndexesAndProperties()
{
    QTemporaryDir dir;
    m_service->CreateProjectTable(dir.path(), QStringLiteral("Trip.dat"));
    Table table;
    openTable(table, dir.path(), QStringLiteral("Trip.dat"));
    const TableSchema& schema = table.schema();

    const QList<IndexDef> expected{
        {QString(), QStringLiteral("Event;Start date;Start time"), ixPrimary | ixUnique, QString()},
        {QStringLiteral("Recno"), QStringLiteral("RecordID"), ixUnique, QString()},
        {QStringLiteral("Start"), QStringLiteral("Start date;Start time"), ixNone, QString()},
    };
    QCOMPARE(schema.indexes, expected);

    const TableProperties& p = schema.properties;
    QCOMPARE(p.localeId, 0);
    QCOMPARE(p.userMajorVersion, 2);
    QCOMPARE(p.userMinorVersion, 0);
    QCOMPARE(p.encrypted, false);
    QCOMPARE(p.description, QString());
    QCOMPARE(p.indexPageSize, 4096);
    QCOMPARE(p.blobBlockSize, 512);
}

void TestCreateProjectTable::shouldGiveANewRowTheDefaults()
{
    QTemporaryDir dir;
    m_service->CreateProjectTable(dir.path(), QStringLiteral("Trip.dat"));
    Table table;
    openTable(table, dir.path(), QStringLiteral("Trip.dat"));
    table.append();
    QCOMPARE(table.state(), TableState::Insert);
    QCOMPARE(table.fieldByName(QStringLiteral("Start time")).asDateTime(), 0.0);
    QVERIFY(!table.fieldByName(QStringLiteral("Start time")).isNull());
    const double endTime = (23 * 3600 + 59 * 60 + 59) / 86400.0;
    QVERIFY(qAbs(table.fieldByName(QStringLiteral("End time")).asDateTime() - endTime) < 1e-9);
    QCOMPARE(table.fieldByName(QStringLiteral("Booked")).value(), QVariant(false));
    QCOMPARE(table.fieldByName(QStringLiteral("Paid")).value(), QVariant(false));
    for (const char* empty : {"Event", "Start date", "End date", "Document", "Finished", "Cost", "Day"})
        QVERIFY2(table.fieldByName(QLatin1String(empty)).isNull(), empty);
    table.cancel();
}

void TestCreateProjectTable::shouldRefuseAnExistingTableAndKeepItsRows()
{
    QTemporaryDir dir;
    m_service->CreateProjectTable(dir.path(), QStringLiteral("Trip.dat"));
    {
        Table table;
        openTable(table, dir.path(), QStringLiteral("Trip.dat"));
        table.append();
        table.fieldByName(QStringLiteral("Event")).setAsString(QStringLiteral("Flight"));
        table.post();
    }
    try {
        m_service->CreateProjectTable(dir.path(), QStringLiteral("Trip.dat"));
        QFAIL("creating over an existing table must fail");
    } catch (const EDatabaseError& e) {
        QCOMPARE(e.message(), QStringLiteral("The table 'Trip.dat' already exists"));
    }
    Table table;
    openTable(table, dir.path(), QStringLiteral("Trip.dat"));
    QCOMPARE(table.recordCount(), 1);
    table.first();
    QCOMPARE(table.fieldByName(QStringLiteral("Event")).asString(), QStringLiteral("Flight"));
}

void TestCreateProjectTable::shouldRefuseAFolderThatCannotBeWritten_data()
{
    QTest::addColumn<QString>("folder"); // relative to a fresh temporary folder
    QTest::newRow("missing folder") << "missing";
    QTest::newRow("under a regular file") << "file.txt/sub";
}

void TestCreateProjectTable::shouldRefuseAFolderThatCannotBeWritten()
{
    QFETCH(QString, folder);
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("file.txt")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const QString target = dir.filePath(folder);
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, m_service->CreateProjectTable(target, QStringLiteral("Trip.dat")));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"file.txt"});
}

void TestCreateProjectTable::shouldReplaceTheDefinitionsOnTheNextCall()
{
    QTemporaryDir dir;
    m_service->CreateProjectTable(dir.path(), QStringLiteral("A.dat"));
    m_service->CreateProjectTable(dir.path(), QStringLiteral("B.dat"));
    QCOMPARE(m_service->dbBase->fieldDefs().size(), 11);
    QCOMPARE(m_service->dbBase->indexDefs().size(), 3);
    QCOMPARE(m_service->dbBase->tableName(), QStringLiteral("B.dat"));
}

void TestCreateProjectTable::shouldRefuseADuplicateKeyOnly()
{
    QTemporaryDir dir;
    m_service->CreateProjectTable(dir.path(), QStringLiteral("Trip.dat"));
    Table table;
    openTable(table, dir.path(), QStringLiteral("Trip.dat"));
    auto add = [&table](const QString& name, double startTime) {
        table.append();
        table.fieldByName(QStringLiteral("Event")).setAsString(name);
        table.fieldByName(QStringLiteral("Start date")).setAsDateTime(46000);
        table.fieldByName(QStringLiteral("Start time")).setAsDateTime(startTime);
        table.post();
    };
    add(QStringLiteral("Flight"), 0.25);
    add(QStringLiteral("flight"), 0.25); // letter case makes another key
    add(QStringLiteral("Flight"), 0.5);
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, add(QStringLiteral("Flight"), 0.25));
    table.cancel();
    QCOMPARE(table.recordCount(), 3);
}

FERNGROVE_TEST_MAIN(TestCreateProjectTable)
#include "tst_create_project_table.moc"

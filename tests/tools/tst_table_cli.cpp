// The tool's create, import and dump commands and its handling of wrong arguments, on real
// files in a temporary folder.

#include "CliTestSupport.h"

#include "platform/core/DateTime.h"
#include "platform/table/StoreFiles.h"
#include "platform/table/Table.h"
#include "storage/Service.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

using namespace CliTest;

class TestTableCli : public QObject
{
    Q_OBJECT
private slots:
    void shouldCreateTheSameTableAsNewProject();
    void shouldCreateWithDatAddedAndRefuseNoName();
    void shouldRefuseToCreateOverAnExistingTable();
    void shouldImportRowsWithTheirValues();
    void shouldRefuseARowAndKeepTheRowsBeforeIt_data();
    void shouldRefuseARowAndKeepTheRowsBeforeIt();
    void shouldRefuseBadInputBeforeAddingAnyRow_data();
    void shouldRefuseBadInputBeforeAddingAnyRow();
    void shouldDumpInBothOrdersAsCsv_data();
    void shouldDumpInBothOrdersAsCsv();
    void shouldDumpAsJson();
    void shouldDumpWithAFilter();
    void shouldImportWhatItDumped();
    void shouldImportTheDemoTrip();
    void shouldAnswerWrongArgumentsWithOneLine_data();
    void shouldAnswerWrongArgumentsWithOneLine();
    void shouldNotChangeFilesWhenReading_data();
    void shouldNotChangeFilesWhenReading();

private:
    // Event names of the table in the order of an index.
    static QStringList events(const QString& dat, const QString& index = QString())
    {
        Table t;
        t.setDatabaseName(QFileInfo(dat).path());
        t.setTableName(QFileInfo(dat).fileName());
        t.setIndexName(index);
        t.open();
        QStringList names;
        for (t.first(); !t.eof(); t.next())
            names << t.fieldByName(QStringLiteral("Event")).asString();
        return names;
    }
};

void TestTableCli::shouldCreateTheSameTableAsNewProject()
{
    QTemporaryDir dir;
    const Result r = run({QStringLiteral("create"), dir.filePath(QStringLiteral("Tool.dat"))});
    QCOMPARE(r.code, 0);
    QVERIFY(r.err.isEmpty());
    TdmService service;
    QVERIFY(service.CreateProjectTable(dir.path(), QStringLiteral("Program.dat")));

    const auto header = [&](const QString& name) {
        auto file = realFileSystem().open(dir.filePath(name), FileSystem::OpenMode::ReadOnly);
        return readDatHeader(*file, dir.filePath(name));
    };
    const DatHeader tool = header(QStringLiteral("Tool.dat"));
    const DatHeader program = header(QStringLiteral("Program.dat"));
    QCOMPARE(tool.schema, program.schema);
    QCOMPARE(tool.copySize, program.copySize);
    QCOMPARE(tool.slotBase, program.slotBase);
    // What "New project" gives, stated here as well: eleven fields and RecordID, three
    // indexes, user version 2.0, pages of 4096 and document blocks of 512.
    QCOMPARE(tool.schema.fields.size(), 12);
    QCOMPARE(tool.schema.fields.at(8).name, QStringLiteral("Booked"));
    QCOMPARE(tool.schema.indexes.size(), 3);
    QCOMPARE(tool.schema.indexes.at(2).fields, QStringLiteral("Start date;Start time"));
    QCOMPARE(tool.schema.properties.userMajorVersion, 2);
    QCOMPARE(tool.schema.properties.userMinorVersion, 0);
    QCOMPARE(tool.schema.properties.indexPageSize, 4096);
    QCOMPARE(tool.schema.properties.blobBlockSize, 512);
    for (const char* ext : {".dat", ".idx", ".blb"})
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("Tool") + QLatin1String(ext))));
    QCOMPARE(events(dir.filePath(QStringLiteral("Tool.dat"))), QStringList());
}

void TestTableCli::shouldCreateWithDatAddedAndRefuseNoName()
{
    QTemporaryDir dir;
    QCOMPARE(run({QStringLiteral("create"), dir.filePath(QStringLiteral("Plain"))}).code, 0);
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("Plain.dat"))));

    const Result r = run({QStringLiteral("create"), dir.filePath(QStringLiteral("NoName.dat"))});
    QCOMPARE(r.code, 1);
    QVERIFY(oneLine(r.err));
    QVERIFY(r.err.contains("Invalid project name."));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("NoName.dat"))));
    // Only the exact name is refused, as in the main window.
    QCOMPARE(run({QStringLiteral("create"), dir.filePath(QStringLiteral("noname.dat"))}).code, 0);
}

void TestTableCli::shouldRefuseToCreateOverAnExistingTable()
{
    QTemporaryDir dir;
    const QString dat = makeSmallTable(dir.path());
    const QList<QByteArray> before = tableBytes(dat);
    const Result r = run({QStringLiteral("create"), dat});
    QCOMPARE(r.code, 1);
    QVERIFY(oneLine(r.err));
    QVERIFY2(r.err.contains("The table 'Trip.dat' already exists"), r.err);
    QCOMPARE(tableBytes(dat), before);

    const Result missing = run({QStringLiteral("create"), dir.filePath(QStringLiteral("nowhere/Trip.dat"))});
    QCOMPARE(missing.code, 1);
    QVERIFY(oneLine(missing.err));
    QVERIFY2(missing.err.contains("nowhere"), missing.err);
}

void TestTableCli::shouldImportRowsWithTheirValues()
{
    QTemporaryDir dir;
    const QString dat = makeSmallTable(dir.path());
    Table t;
    t.setDatabaseName(dir.path());
    t.setTableName(QStringLiteral("Trip.dat"));
    t.setIndexName(QStringLiteral("Start"));
    t.open();
    QCOMPARE(t.recordCount(), 4);
    t.first();
    QCOMPARE(t.fieldByName(QStringLiteral("Event")).asString(), QStringLiteral("Museum"));
    QCOMPARE(t.fieldByName(QStringLiteral("Start date")).asDateTime(), DateTimeUtil::encodeDate(2026, 7, 5));
    QCOMPARE(t.fieldByName(QStringLiteral("Start time")).asDateTime(), DateTimeUtil::encodeTime(14, 0, 0));
    QVERIFY(t.fieldByName(QStringLiteral("Cost")).isNull()); // an empty cell leaves the field empty
    QCOMPARE(t.fieldByName(QStringLiteral("Day")).asString(), QStringLiteral("Sun"));
    t.next();
    QCOMPARE(t.fieldByName(QStringLiteral("Event")).asString(), QStringLiteral("Ferry"));
    QCOMPARE(t.fieldByName(QStringLiteral("Cost")).asCurrency(), Currency::fromUnits(3402500));
    QCOMPARE(t.fieldByName(QStringLiteral("Booked")).asBoolean(), true);
    QCOMPARE(t.fieldByName(QStringLiteral("Paid")).asBoolean(), true);
    QCOMPARE(t.fieldByName(QStringLiteral("End time")).asDateTime(), DateTimeUtil::encodeTime(11, 0, 0));
    QVERIFY(t.fieldByName(QStringLiteral("Document")).asBytes().startsWith("{\\rtf1\\ansi{\\fonttbl"));
    QCOMPARE(t.fieldByName(QStringLiteral("Day")).asString(), QStringLiteral("Mon"));
    t.next();
    QCOMPARE(t.fieldByName(QStringLiteral("Event")).asString(), QStringLiteral("Dinner"));
    QCOMPARE(t.fieldByName(QStringLiteral("Cost")).asCurrency(), Currency::fromUnits(1));
    t.next();
    QCOMPARE(t.fieldByName(QStringLiteral("Day")).asString(), QStringLiteral("Wen")); // Wednesday
    QCOMPARE(t.fieldByName(QStringLiteral("Booked")).asBoolean(), true);
    QCOMPARE(t.fieldByName(QStringLiteral("Paid")).asBoolean(), false);
}

void TestTableCli::shouldRefuseARowAndKeepTheRowsBeforeIt_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QStringList>("kept");
    QTest::addColumn<QByteArray>("message");
    QTest::newRow("duplicate of name, start date and time")
        << QByteArray("Event,Start date,Start time\nA,2026-07-01,09:00\nB,2026-07-01,09:00\nA,2026-07-01,09:00\nC,2026-07-02,\n")
        << QStringList{QStringLiteral("A"), QStringLiteral("B")} << QByteArray("row 3 (line 4) refused: Key violation");
    QTest::newRow("empty name")
        << QByteArray("Start date,Event\n2026-07-01,A\n2026-07-02,\n2026-07-03,C\n") << QStringList{QStringLiteral("A")}
        << QByteArray("row 2 (line 3) refused: Field 'Event' must have a value");
    QTest::newRow("duplicate of a row already in the table")
        << QByteArray("Event,Start date,Start time\nMuseum,2026-07-08,10:00\n") << QStringList()
        << QByteArray("row 1 (line 2) refused: Key violation");
}

void TestTableCli::shouldRefuseARowAndKeepTheRowsBeforeIt()
{
    QFETCH(QByteArray, csv);
    QFETCH(QStringList, kept);
    QFETCH(QByteArray, message);
    QTemporaryDir dir;
    const QString dat = makeSmallTable(dir.path());
    const QStringList before = events(dat);
    const QString csvPath = dir.filePath(QStringLiteral("more.csv"));
    writeFile(csvPath, csv);
    const Result r = run({QStringLiteral("import"), dat, csvPath});
    QCOMPARE(r.code, 1);
    QVERIFY2(oneLine(r.err), r.err);
    QVERIFY2(r.err.contains(message), r.err);
    QStringList expected = before + kept;
    expected.sort();
    QStringList now = events(dat);
    now.sort();
    QCOMPARE(now, expected);
    QCOMPARE(run({QStringLiteral("check"), dat}).code, 0);
}

void TestTableCli::shouldRefuseBadInputBeforeAddingAnyRow_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QByteArray>("message");
    QTest::newRow("unknown column") << QByteArray("Event,Colour\nA,red\n") << QByteArray("unknown column 'Colour'");
    QTest::newRow("column twice") << QByteArray("Event,event\nA,B\n") << QByteArray("the column 'Event' appears twice");
    QTest::newRow("regional date") << QByteArray("Event,Start date\nA,2026-07-01\nB,7/2/2026\n")
                                   << QByteArray("row 2 (line 3): Start date '7/2/2026' is not a date");
    QTest::newRow("date that does not exist") << QByteArray("Event,End date\nA,2026-02-30\n")
                                              << QByteArray("End date '2026-02-30' is not a date");
    QTest::newRow("time") << QByteArray("Event,Start time\nA,25:00\n") << QByteArray("Start time '25:00' is not a time");
    QTest::newRow("decimal comma") << QByteArray("Event,Cost\nA,\"12,50\"\n") << QByteArray("Cost '12,50' is not an amount");
    QTest::newRow("five decimals") << QByteArray("Event,Cost\nA,1.00001\n") << QByteArray("Cost '1.00001' is not an amount");
    QTest::newRow("boolean") << QByteArray("Event,Paid\nA,yes\n") << QByteArray("Paid 'yes' is not True or False");
    QTest::newRow("document not RTF") << QByteArray("Event,Document\nA,hello\n") << QByteArray("Document is not RTF");
    QTest::newRow("name too long") << QByteArray("Event\n" + QByteArray(51, 'x') + "\n")
                                   << QByteArray("Event is longer than 50 characters");
    QTest::newRow("field count") << QByteArray("Event,Paid\nA,True,x\n") << QByteArray("3 fields where the header has 2");
    QTest::newRow("open quote") << QByteArray("Event\n\"A\nB\n") << QByteArray("line 2: a quoted field is never closed");
    QTest::newRow("not UTF-8") << QByteArray("Event\nCaf\xe9\n") << QByteArray("is not UTF-8 text");
}

void TestTableCli::shouldRefuseBadInputBeforeAddingAnyRow()
{
    QFETCH(QByteArray, csv);
    QFETCH(QByteArray, message);
    QTemporaryDir dir;
    const QString dat = makeSmallTable(dir.path());
    const QList<QByteArray> before = tableBytes(dat);
    const QString csvPath = dir.filePath(QStringLiteral("bad.csv"));
    writeFile(csvPath, csv);
    const Result r = run({QStringLiteral("import"), dat, csvPath});
    QCOMPARE(r.code, 1);
    QVERIFY2(oneLine(r.err), r.err);
    QVERIFY2(r.err.contains(message), r.err);
    QCOMPARE(tableBytes(dat), before);
}

void TestTableCli::shouldDumpInBothOrdersAsCsv_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("expected");
    const QByteArray header = "Event,Start date,Start time,End date,End time,Cost,Booked,Paid,Day,Document\r\n";
    const QByteArray museum5 = "Museum,2026-07-05,14:00:00,2026-07-05,16:00:00,,False,False,Sun,\r\n";
    const QByteArray ferry = "Ferry,2026-07-06,09:15:00,2026-07-06,11:00:00,340.25,True,True,Mon,\"{\\rtf1\\ansi{\\fonttbl{\\f0 "
                             "Arial;}}\\b Pier 3\\b0\\par\r\nCafe, \\i deck\\i0\\par\r\n}\"\r\n";
    const QByteArray dinner = "Dinner,2026-07-06,19:00:00,2026-07-06,21:00:00,0.0001,False,False,Mon,\r\n";
    const QByteArray museum8 = "Museum,2026-07-08,10:00:00,2026-07-08,12:30:00,12.50,True,False,Wen,\r\n";
    QTest::newRow("primary by default") << QStringList() << header + dinner + ferry + museum5 + museum8;
    QTest::newRow("primary named") << QStringList{QStringLiteral("--index"), QStringLiteral("primary")}
                                   << header + dinner + ferry + museum5 + museum8;
    QTest::newRow("Start") << QStringList{QStringLiteral("--index"), QStringLiteral("Start"), QStringLiteral("--format=csv")}
                           << header + museum5 + ferry + dinner + museum8;
}

void TestTableCli::shouldDumpInBothOrdersAsCsv()
{
    QFETCH(QStringList, options);
    QFETCH(QByteArray, expected);
    QTemporaryDir dir;
    const QString dat = makeSmallTable(dir.path());
    const Result r = run(QStringList{QStringLiteral("dump"), dat} + options);
    QCOMPARE(r.code, 0);
    QVERIFY(r.err.isEmpty());
    QCOMPARE(r.out, expected);
}

void TestTableCli::shouldDumpAsJson()
{
    QTemporaryDir dir;
    const QString dat = makeSmallTable(dir.path());
    const Result r = run({QStringLiteral("dump"), dat, QStringLiteral("--format"), QStringLiteral("json"),
                          QStringLiteral("--index"), QStringLiteral("Start")});
    QCOMPARE(r.code, 0);
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(r.out, &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
    const QJsonArray rows = doc.array();
    QCOMPARE(rows.size(), 4);
    const QJsonObject first = rows.at(0).toObject();
    QCOMPARE(first.value(QStringLiteral("Event")).toString(), QStringLiteral("Museum"));
    QCOMPARE(first.value(QStringLiteral("Start date")).toString(), QStringLiteral("2026-07-05"));
    QVERIFY(first.value(QStringLiteral("Cost")).isNull());
    QVERIFY(first.value(QStringLiteral("Document")).isNull());
    const QJsonObject ferry = rows.at(1).toObject();
    QCOMPARE(ferry.value(QStringLiteral("Start time")).toString(), QStringLiteral("09:15:00"));
    QCOMPARE(ferry.value(QStringLiteral("Cost")).toDouble(), 340.25);
    QCOMPARE(ferry.value(QStringLiteral("Booked")).toBool(), true);
    QCOMPARE(ferry.value(QStringLiteral("Day")).toString(), QStringLiteral("Mon"));
    QVERIFY(ferry.value(QStringLiteral("Document")).toString().startsWith(QLatin1String("{\\rtf1")));
    QCOMPARE(rows.at(3).toObject().value(QStringLiteral("Day")).toString(), QStringLiteral("Wen"));
}

void TestTableCli::shouldDumpWithAFilter()
{
    QTemporaryDir dir;
    const QString dat = makeSmallTable(dir.path());
    // Date constants are in the regional short date format (M/d/yyyy in a test run).
    const Result r = run({QStringLiteral("dump"), dat, QStringLiteral("--index"), QStringLiteral("Start"),
                          QStringLiteral("--filter"),
                          QStringLiteral("\"Start date\" >= '7/6/2026' and \"Booked\" = True")});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.out.contains("\r\nFerry,2026-07-06"), r.out);
    QVERIFY(r.out.contains("\r\nMuseum,2026-07-08"));
    QVERIFY(!r.out.contains("Dinner"));
    QVERIFY(!r.out.contains("2026-07-05"));

    const Result bad = run({QStringLiteral("dump"), dat, QStringLiteral("--filter"), QStringLiteral("\"Colour\" = 'red'")});
    QCOMPARE(bad.code, 1);
    QVERIFY2(oneLine(bad.err), bad.err);
    QVERIFY2(bad.err.contains("Field 'Colour' not found"), bad.err);
}

void TestTableCli::shouldImportWhatItDumped()
{
    QTemporaryDir dir;
    const QString dat = makeSmallTable(dir.path());
    const Result dumped = run({QStringLiteral("dump"), dat});
    const QString csv = dir.filePath(QStringLiteral("dumped.csv"));
    writeFile(csv, dumped.out);
    const QString copy = dir.filePath(QStringLiteral("Copy.dat"));
    QCOMPARE(run({QStringLiteral("create"), copy}).code, 0);
    const Result imported = run({QStringLiteral("import"), copy, csv});
    QCOMPARE(imported.code, 0);
    QCOMPARE(imported.out, QByteArray("Imported 4 rows into Copy.dat\n"));
    QCOMPARE(run({QStringLiteral("dump"), copy}).out, dumped.out);
}

void TestTableCli::shouldImportTheDemoTrip()
{
    const QString csv = qEnvironmentVariable("FERNGROVE_SOURCE_DIR") + QLatin1String("/demo/trip.csv");
    QVERIFY2(QFile::exists(csv), qPrintable(csv));
    QTemporaryDir dir;
    const QString dat = dir.filePath(QStringLiteral("Trip.dat"));
    QCOMPARE(run({QStringLiteral("create"), dat}).code, 0);
    const Result r = run({QStringLiteral("import"), dat, csv});
    QVERIFY2(r.code == 0, r.err);
    QCOMPARE(run({QStringLiteral("check"), dat}).code, 0);

    Table t;
    t.setDatabaseName(dir.path());
    t.setTableName(QStringLiteral("Trip.dat"));
    t.setIndexName(QStringLiteral("Start"));
    t.open();
    QVERIFY(t.recordCount() >= 10 && t.recordCount() <= 15);
    int booked = 0, paid = 0, documents = 0;
    for (t.first(); !t.eof(); t.next()) {
        booked += t.fieldByName(QStringLiteral("Booked")).asBoolean();
        paid += t.fieldByName(QStringLiteral("Paid")).asBoolean();
        const QByteArray doc = t.fieldByName(QStringLiteral("Document")).asBytes();
        if (!doc.isEmpty()) {
            ++documents;
            QVERIFY(doc.startsWith("{\\rtf1\\ansi"));
            QVERIFY(doc.contains("\\b0") && doc.contains("\\i0") && doc.contains("\\pnlvlblt"));
        }
    }
    QVERIFY(booked > 0 && booked < t.recordCount());
    QVERIFY(paid > 0 && paid < booked);
    QCOMPARE(documents, 2);
    t.first();
    const DateTime firstDay = t.fieldByName(QStringLiteral("Start date")).asDateTime();
    t.last();
    const double days = t.fieldByName(QStringLiteral("Start date")).asDateTime() - firstDay;
    QVERIFY2(days >= 10 && days <= 21, qPrintable(QString::number(days)));
}

void TestTableCli::shouldAnswerWrongArgumentsWithOneLine_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("message");
    const QString t = QStringLiteral("TABLE");
    QTest::newRow("nothing") << QStringList() << 2 << QByteArray("no command given");
    QTest::newRow("unknown command") << QStringList{QStringLiteral("drop"), t} << 2 << QByteArray("unknown command 'drop'");
    QTest::newRow("create without a name") << QStringList{QStringLiteral("create")} << 2 << QByteArray("expected 1 argument, got 0");
    QTest::newRow("import one argument") << QStringList{QStringLiteral("import"), t} << 2 << QByteArray("expected 2 arguments, got 1");
    QTest::newRow("unknown option") << QStringList{QStringLiteral("dump"), t, QStringLiteral("--sort"), QStringLiteral("x")} << 2
                                    << QByteArray("unknown option '--sort'");
    QTest::newRow("short option") << QStringList{QStringLiteral("dump"), t, QStringLiteral("-f")} << 2
                                  << QByteArray("unknown option '-f'");
    QTest::newRow("option without value") << QStringList{QStringLiteral("dump"), t, QStringLiteral("--format")} << 2
                                          << QByteArray("'--format' needs a value");
    QTest::newRow("bad format") << QStringList{QStringLiteral("dump"), t, QStringLiteral("--format"), QStringLiteral("xml")} << 2
                                << QByteArray("--format takes csv or json");
    QTest::newRow("option twice") << QStringList{QStringLiteral("dump"), t, QStringLiteral("--index=Start"),
                                                 QStringLiteral("--index=Start")}
                                  << 2 << QByteArray("given twice");
    QTest::newRow("unknown index") << QStringList{QStringLiteral("dump"), t, QStringLiteral("--index"), QStringLiteral("End")} << 1
                                   << QByteArray("Index 'End' not found");
    QTest::newRow("bad ics date") << QStringList{QStringLiteral("ics"), t, QStringLiteral("--from"), QStringLiteral("1/7/2026")}
                                  << 2 << QByteArray("--from takes a date yyyy-mm-dd");
    QTest::newRow("ics range backwards") << QStringList{QStringLiteral("ics"), t, QStringLiteral("--from=2026-07-02"),
                                                        QStringLiteral("--to=2026-07-01")}
                                         << 2 << QByteArray("--to lies before --from");
    QTest::newRow("missing table") << QStringList{QStringLiteral("dump"), QStringLiteral("MISSING")} << 1 << QByteArray("does not exist");
    QTest::newRow("missing csv") << QStringList{QStringLiteral("import"), t, QStringLiteral("MISSING")} << 1
                                 << QByteArray("does not exist");
    QTest::newRow("ics of a missing table") << QStringList{QStringLiteral("ics"), QStringLiteral("MISSING")} << 1
                                            << QByteArray("does not exist");
    QTest::newRow("dump of a damaged table") << QStringList{QStringLiteral("dump"), QStringLiteral("DAMAGED")} << 1
                                             << QByteArray("is damaged");
}

void TestTableCli::shouldAnswerWrongArgumentsWithOneLine()
{
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QByteArray, message);
    QTemporaryDir dir;
    const QString dat = makeSmallTable(dir.path());
    const QString damaged = dir.filePath(QStringLiteral("Damaged.dat"));
    QCOMPARE(run({QStringLiteral("create"), damaged}).code, 0);
    QByteArray bytes = readFile(damaged);
    bytes[20] = char(bytes[20] ^ 0x01); // inside the header: its checksum fails
    writeFile(damaged, bytes);
    for (QString& a : args) {
        a.replace(QLatin1String("TABLE"), dat);
        a.replace(QLatin1String("MISSING"), dir.filePath(QStringLiteral("Missing.dat")));
        a.replace(QLatin1String("DAMAGED"), damaged);
    }
    const QList<QByteArray> before = tableBytes(dat);
    const Result r = run(args);
    QCOMPARE(r.code, code);
    QVERIFY2(oneLine(r.err), r.err);
    QVERIFY2(r.err.startsWith("ferngrove-table: "), r.err);
    QVERIFY2(r.err.contains(message), r.err);
    QVERIFY(r.out.isEmpty());
    QCOMPARE(tableBytes(dat), before);
}

void TestTableCli::shouldNotChangeFilesWhenReading_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("staleIndex");
    for (bool stale : {false, true}) {
        const char* tag = stale ? " with a stale index cache" : "";
        QTest::addRow("dump%s", tag) << QStringList{QStringLiteral("dump"), QStringLiteral("TABLE")} << stale;
        QTest::addRow("dump Start json%s", tag) << QStringList{QStringLiteral("dump"), QStringLiteral("TABLE"),
                                                               QStringLiteral("--index=Start"), QStringLiteral("--format=json")}
                                                << stale;
        QTest::addRow("check%s", tag) << QStringList{QStringLiteral("check"), QStringLiteral("TABLE")} << stale;
        QTest::addRow("ics%s", tag) << QStringList{QStringLiteral("ics"), QStringLiteral("TABLE")} << stale;
    }
}

void TestTableCli::shouldNotChangeFilesWhenReading()
{
    QFETCH(QStringList, args);
    QFETCH(bool, staleIndex);
    QTemporaryDir dir;
    const QString dat = makeSmallTable(dir.path());
    if (staleIndex) {
        // A post whose table was never closed leaves the cache behind: open would rebuild it.
        QFile::remove(dir.filePath(QStringLiteral("Trip.idx")));
    }
    args.replaceInStrings(QStringLiteral("TABLE"), dat);
    const QList<QByteArray> before = tableBytes(dat);
    const Result r = run(args);
    QCOMPARE(r.code, 0);
    QCOMPARE(tableBytes(dat), before);
    QCOMPARE(QFile::exists(dir.filePath(QStringLiteral("Trip.idx"))), !staleIndex);
}

QTEST_GUILESS_MAIN(TestTableCli)
#include "tst_table_cli.moc"

// The table: creation, new-row defaults, field access and conversion, posting rules and
// what a reopened table holds.

#include "tst_table_fixture.h"

#include "platform/core/FormatSettings.h"

#include <QFile>
#include <functional>

using TableOp = std::function<void(Table&)>;
Q_DECLARE_METATYPE(TableOp)

class TestTable : public QObject
{
    Q_OBJECT
private slots:
    void shouldCreateAnEmptyTableWithItsRowIdentifier();
    void shouldRefuseToCreateOverAnExistingTable();
    void shouldFillTheDefaultsOfANewRow();
    void shouldRefuseAnEmptyRequiredField();
    void shouldCheckThePrimaryKeyOnPost_data();
    void shouldCheckThePrimaryKeyOnPost();
    void shouldRefuseAChangeThatDuplicatesAnotherRow();
    void shouldCutStringsToTheFieldSizeInCharacters_data();
    void shouldCutStringsToTheFieldSizeInCharacters();
    void shouldNameAMissingField();
    void shouldRefuseWorkOnAClosedTable_data();
    void shouldRefuseWorkOnAClosedTable();
    void shouldRefuseWritingWhileBrowsing();
    void shouldKeepTheOldValueOnAConversionError_data();
    void shouldKeepTheOldValueOnAConversionError();
    void shouldKeepTheDatePartOrTheTimePart_data();
    void shouldKeepTheDatePartOrTheTimePart();
    void shouldGiveFieldTexts();
    void shouldHoldExactlyWhatWasPostedAfterReopening();
    void shouldBeginANewRowWhenEditingAnEmptyTable();
};

void TestTable::shouldCreateAnEmptyTableWithItsRowIdentifier()
{
    ProjectTable t;
    for (const char* ext : {"dat", "idx", "blb"})
        QVERIFY2(QFile::exists(t.dir.filePath(QStringLiteral("Trip.") + QLatin1String(ext))), ext);
    QCOMPARE(t->state(), TableState::Browse);
    QCOMPARE(t->recordCount(), 0);
    QVERIFY(t->eof() && t->bof());
    QCOMPARE(t->fieldCount(), 12);
    QCOMPARE(t->field(11).fieldName(), QStringLiteral("RecordID"));
    QCOMPARE(t->field(11).dataType(), FieldType::AutoInc);
    QCOMPARE(t->schema().indexes.size(), 3);
    QCOMPARE(t->schema().properties.userMajorVersion, 2);
}

void TestTable::shouldRefuseToCreateOverAnExistingTable()
{
    ProjectTable t;
    t.add(QStringLiteral("Ferry"), day(2026, 5, 1));
    t->close();
    Table other;
    other.setDatabaseName(t.dir.path());
    other.setTableName(QStringLiteral("Trip.dat"));
    defineProjectTable(other);
    QVERIFY(other.exists());
    FG_VERIFY_THROWS_MESSAGE(EDatabaseError, other.createTable(projectProperties()),
                             QStringLiteral("The table 'Trip.dat' already exists"));
    t->open();
    QCOMPARE(t.names(), QStringList{QStringLiteral("Ferry")});
}

void TestTable::shouldFillTheDefaultsOfANewRow()
{
    ProjectTable t;
    t->append();
    QCOMPARE(t->state(), TableState::Insert);
    QCOMPARE(t->recNo(), 0);
    QVERIFY(!t->modified());
    QVERIFY(!t->fieldByName(QStringLiteral("Start time")).isNull());
    QCOMPARE(t->fieldByName(QStringLiteral("Start time")).asDateTime(), 0.0);
    QCOMPARE(t->fieldByName(QStringLiteral("End time")).asDateTime(), DateTimeUtil::encodeTime(23, 59, 59));
    for (const char* flag : {"Booked", "Paid"}) {
        QVERIFY(!t->fieldByName(QLatin1String(flag)).isNull());
        QCOMPARE(t->fieldByName(QLatin1String(flag)).asBoolean(), false);
    }
    for (const char* empty : {"Event", "Start date", "End date", "Document", "Finished", "Cost", "Day", "RecordID"})
        QVERIFY2(t->fieldByName(QLatin1String(empty)).isNull(), empty);
}

void TestTable::shouldRefuseAnEmptyRequiredField()
{
    ProjectTable t;
    t->append();
    t->fieldByName(QStringLiteral("Cost")).setAsString(QStringLiteral("12.5"));
    FG_VERIFY_THROWS_MESSAGE(EDatabaseError, t->post(), QStringLiteral("Field 'Event' must have a value"));
    QCOMPARE(t->state(), TableState::Insert);
    QCOMPARE(t->fieldByName(QStringLiteral("Cost")).asCurrency(), Currency::fromUnits(125000));
    QVERIFY(t->modified());
    // An emptied name counts as empty.
    t->fieldByName(QStringLiteral("Event")).setAsString(QString());
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, t->post());
    QCOMPARE(t->recordCount(), 0);
}

void TestTable::shouldCheckThePrimaryKeyOnPost_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<double>("date");
    QTest::addColumn<double>("time");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("same name, date and time") << "Ferry" << day(2026, 5, 1) << at(8) << false;
    QTest::newRow("same name at another time") << "Ferry" << day(2026, 5, 1) << at(14) << true;
    QTest::newRow("same name on another date") << "Ferry" << day(2026, 5, 2) << at(8) << true;
    QTest::newRow("name differing only in case") << "ferry" << day(2026, 5, 1) << at(8) << true;
    QTest::newRow("name with a trailing blank") << "Ferry " << day(2026, 5, 1) << at(8) << true;
}

void TestTable::shouldCheckThePrimaryKeyOnPost()
{
    QFETCH(QString, name);
    QFETCH(double, date);
    QFETCH(double, time);
    QFETCH(bool, accepted);
    ProjectTable t;
    t.add(QStringLiteral("Ferry"), day(2026, 5, 1), at(8));
    t->append();
    t->fieldByName(QStringLiteral("Event")).setAsString(name);
    t->fieldByName(QStringLiteral("Start date")).setAsDateTime(date);
    t->fieldByName(QStringLiteral("Start time")).setAsDateTime(time);
    if (accepted) {
        t->post();
        QCOMPARE(t->recordCount(), 2);
        QCOMPARE(t.current(), name);
        return;
    }
    FG_VERIFY_THROWS_MESSAGE(EDatabaseError, t->post(),
                             QStringLiteral("Key violation: another row already has the same Event, Start date and Start time"));
    QCOMPARE(t->state(), TableState::Insert);
    QCOMPARE(t.current(), name);
    QCOMPARE(t->recordCount(), 1);
}

void TestTable::shouldRefuseAChangeThatDuplicatesAnotherRow()
{
    ProjectTable t;
    t.add(QStringLiteral("Ferry"), day(2026, 5, 1), at(8));
    t.add(QStringLiteral("Ferry"), day(2026, 5, 1), at(14));
    t->edit();
    t->fieldByName(QStringLiteral("Start time")).setAsDateTime(at(8));
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, t->post());
    QCOMPARE(t->state(), TableState::Edit);
    // Posting a row unchanged is no violation of its own key.
    t->fieldByName(QStringLiteral("Start time")).setAsDateTime(at(14));
    t->post();
    QCOMPARE(t->state(), TableState::Browse);
    QCOMPARE(t->recordCount(), 2);
}

void TestTable::shouldCutStringsToTheFieldSizeInCharacters_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("stored");
    const QString fifty = QString(50, QLatin1Char('x'));
    QTest::newRow("49 characters") << QString(49, QLatin1Char('x')) << QString(49, QLatin1Char('x'));
    QTest::newRow("50 characters") << fifty << fifty;
    QTest::newRow("51 characters") << fifty + QLatin1Char('y') << fifty;
    QTest::newRow("80 letters outside ASCII") << QString(80, QChar(0x00e5)) << QString(50, QChar(0x00e5));
    QString emoji;
    for (int i = 0; i < 60; ++i)
        emoji += QString::fromUcs4(U"\U0001F6A2");
    QTest::newRow("60 characters beyond the BMP") << emoji << emoji.left(100);
}

void TestTable::shouldCutStringsToTheFieldSizeInCharacters()
{
    QFETCH(QString, name);
    QFETCH(QString, stored);
    ProjectTable t;
    t.add(name, day(2026, 5, 1));
    QCOMPARE(t.current(), stored);
    t->close();
    t->open();
    QCOMPARE(t.current(), stored);
}

void TestTable::shouldNameAMissingField()
{
    ProjectTable t;
    FG_VERIFY_THROWS_MESSAGE(EDatabaseError, t->fieldByName(QStringLiteral("Evnt")), QStringLiteral("Field 'Evnt' not found"));
    QVERIFY(t->findField(QStringLiteral("Start day")) == nullptr);
    FG_VERIFY_THROWS_MESSAGE(EDatabaseError, t->fieldValue(QStringLiteral("Start day")), QStringLiteral("Field 'Start day' not found"));
    QCOMPARE(&t->fieldByName(QStringLiteral("start DATE")), &t->fieldByName(QStringLiteral("Start date")));
}

void TestTable::shouldRefuseWorkOnAClosedTable_data()
{
    QTest::addColumn<TableOp>("op");
    QTest::addColumn<bool>("everOpened");
    const QList<QPair<const char*, TableOp>> ops = {
        {"first", [](Table& t) { t.first(); }},
        {"next", [](Table& t) { t.next(); }},
        {"prior", [](Table& t) { t.prior(); }},
        {"last", [](Table& t) { t.last(); }},
        {"append", [](Table& t) { t.append(); }},
        {"edit", [](Table& t) { t.edit(); }},
        {"post", [](Table& t) { t.post(); }},
        {"cancel", [](Table& t) { t.cancel(); }},
        {"delete", [](Table& t) { t.deleteRecord(); }},
        {"checkBrowseMode", [](Table& t) { t.checkBrowseMode(); }},
        {"findKey", [](Table& t) { t.findKey({QStringLiteral("Ferry")}); }},
        {"findKeyOnIndex", [](Table& t) { t.findKeyOnIndex(QString(), {QStringLiteral("Ferry")}); }},
        {"gotoBookmark", [](Table& t) { t.gotoBookmark(1); }},
        {"write a field", [](Table& t) { t.fieldByName(QStringLiteral("Event")).setAsString(QStringLiteral("x")); }},
    };
    for (const auto& [name, op] : ops) {
        QTest::addRow("%s, after close", name) << op << true;
        if (QByteArray(name) != "write a field") // fields exist once the table has been opened
            QTest::addRow("%s, never opened", name) << op << false;
    }
}

void TestTable::shouldRefuseWorkOnAClosedTable()
{
    QFETCH(TableOp, op);
    QFETCH(bool, everOpened);
    ProjectTable t(everOpened);
    if (everOpened) {
        t.add(QStringLiteral("Ferry"), day(2026, 5, 1));
        t->close();
    }
    QVERIFY(!t->active());
    FG_VERIFY_THROWS_MESSAGE(EDatabaseError, op(*t), QStringLiteral("Cannot perform this operation on a closed dataset"));
    QCOMPARE(t->state(), TableState::Inactive);
    QCOMPARE(t->recordCount(), 0);
}

void TestTable::shouldRefuseWritingWhileBrowsing()
{
    ProjectTable t;
    t.add(QStringLiteral("Ferry"), day(2026, 5, 1));
    FG_VERIFY_THROWS_MESSAGE(EDatabaseError, t->fieldByName(QStringLiteral("Event")).setAsString(QStringLiteral("Bus")),
                             QStringLiteral("Dataset not in edit or insert mode"));
    QCOMPARE(t.current(), QStringLiteral("Ferry"));
    t->edit();
    FG_VERIFY_THROWS_MESSAGE(EDatabaseError, t->fieldByName(QStringLiteral("RecordID")).setValue(7),
                             QStringLiteral("Field 'RecordID' cannot be modified"));
}

void TestTable::shouldKeepTheOldValueOnAConversionError_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("good");
    QTest::addColumn<QString>("bad");
    QTest::newRow("currency, letters") << "Cost" << "12.5" << "abc";
    QTest::newRow("currency, trailing letters") << "Cost" << "12.5" << "12.5x";
    QTest::newRow("date, no such day") << "Start date" << "5/1/2026" << "2/30/2026";
    QTest::newRow("date, words") << "Start date" << "5/1/2026" << "tomorrow";
    QTest::newRow("time, out of range") << "Start time" << "8:00:00 AM" << "25:99";
    QTest::newRow("boolean, neither") << "Booked" << "True" << "maybe";
}

void TestTable::shouldKeepTheOldValueOnAConversionError()
{
    QFETCH(QString, field);
    QFETCH(QString, good);
    QFETCH(QString, bad);
    const FormatSettings saved = formatSettings();
    formatSettings() = FormatSettings::defaults();
    ProjectTable t;
    t->append();
    Field& f = t->fieldByName(field);
    f.setAsString(good);
    const QVariant before = f.value();
    QVERIFY(!before.isNull());
    QVERIFY_THROWS_EXCEPTION(EConvertError, f.setAsString(bad));
    QCOMPARE(f.value(), before);
    formatSettings() = saved;
}

void TestTable::shouldKeepTheDatePartOrTheTimePart_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("given");
    QTest::addColumn<double>("kept");
    const double instant = day(2026, 5, 1) + at(14, 30);
    QTest::newRow("date of a date-time") << "Start date" << QVariant(instant) << day(2026, 5, 1);
    QTest::newRow("time of a date-time") << "Start time" << QVariant(instant) << at(14, 30);
    QTest::newRow("24:00 is midnight") << "End time" << QVariant(24.0) << 0.0;
    QTest::newRow("date of a QDateTime") << "End date" << QVariant(QDateTime(QDate(2026, 5, 3), QTime(18, 30)))
                                         << day(2026, 5, 3);
    QTest::newRow("time of a QTime") << "End time" << QVariant(QTime(18, 30)) << at(18, 30);
}

void TestTable::shouldKeepTheDatePartOrTheTimePart()
{
    QFETCH(QString, field);
    QFETCH(QVariant, given);
    QFETCH(double, kept);
    ProjectTable t;
    t->append();
    t->fieldByName(field).setValue(given);
    QCOMPARE(t->fieldByName(field).asDateTime(), kept);
}

void TestTable::shouldGiveFieldTexts()
{
    const FormatSettings saved = formatSettings();
    formatSettings() = FormatSettings::defaults();
    ProjectTable t;
    t->append();
    t->fieldByName(QStringLiteral("Event")).setAsString(QStringLiteral("Ferry"));
    t->fieldByName(QStringLiteral("Cost")).setAsString(QStringLiteral("1234.5"));
    t->fieldByName(QStringLiteral("Start date")).setAsDateTime(day(2026, 5, 1));
    t->fieldByName(QStringLiteral("Booked")).setAsBoolean(true);
    Field& cost = t->fieldByName(QStringLiteral("Cost"));
    QCOMPARE(cost.asString(), QStringLiteral("1234.5"));
    QCOMPARE(cost.editText(), QStringLiteral("1234.50"));
    QCOMPARE(cost.displayText(), QStringLiteral("$1,234.50"));
    QCOMPARE(t->fieldByName(QStringLiteral("Start date")).asString(), QStringLiteral("5/1/2026"));
    QCOMPARE(t->fieldByName(QStringLiteral("Booked")).asString(), QStringLiteral("True"));
    QCOMPARE(t->fieldByName(QStringLiteral("Paid")).asString(), QStringLiteral("False"));
    QCOMPARE(t->fieldByName(QStringLiteral("End date")).asString(), QString());
    QCOMPARE(t->fieldByName(QStringLiteral("End date")).asDateTime(), 0.0);
    formatSettings() = saved;
}

void TestTable::shouldHoldExactlyWhatWasPostedAfterReopening()
{
    ProjectTable t;
    const QByteArray rtf1 = QByteArrayLiteral("{\\rtf1\\ansi Ferry to \\'e5land\\par}");
    QByteArray rtf2(3000, '\0');
    for (int i = 0; i < rtf2.size(); ++i)
        rtf2[i] = char(i * 7);
    auto addFull = [&](const QString& name, double date, double cost, const QByteArray& doc) {
        t->append();
        t->fieldByName(QStringLiteral("Event")).setAsString(name);
        t->fieldByName(QStringLiteral("Start date")).setAsDateTime(date);
        t->fieldByName(QStringLiteral("Start time")).setAsDateTime(at(9, 15));
        t->fieldByName(QStringLiteral("End date")).setAsDateTime(date + 1);
        t->fieldByName(QStringLiteral("Cost")).setAsCurrency(Currency::fromDouble(cost));
        t->fieldByName(QStringLiteral("Paid")).setAsBoolean(true);
        t->fieldByName(QStringLiteral("Day")).setAsString(QStringLiteral("Wen"));
        if (!doc.isEmpty())
            t->fieldByName(QStringLiteral("Document")).setAsBytes(doc);
        t->post();
    };
    addFull(QStringLiteral("Ferry"), day(2026, 5, 6), 12.5, rtf1);
    addFull(QStringLiteral("Hotel"), day(2026, 5, 7), 300, QByteArray());
    addFull(QStringLiteral("Museum"), day(2026, 5, 8), 20, rtf1);
    // Change one, delete one, drop an edit and a new row.
    QVERIFY(t->findKey({QStringLiteral("Hotel")}));
    t->edit();
    t->fieldByName(QStringLiteral("Document")).setAsBytes(rtf2);
    t->fieldByName(QStringLiteral("Cost")).setAsString(QStringLiteral("310.25"));
    t->post();
    QVERIFY(t->findKey({QStringLiteral("Museum")}));
    t->deleteRecord();
    QVERIFY(t->findKey({QStringLiteral("Ferry")}));
    t->edit();
    t->fieldByName(QStringLiteral("Cost")).setAsString(QStringLiteral("99"));
    t->cancel();
    t->append();
    t->fieldByName(QStringLiteral("Event")).setAsString(QStringLiteral("Dropped"));
    t->cancel();
    t->close();

    t->open();
    QCOMPARE(t.names(), (QStringList{QStringLiteral("Ferry"), QStringLiteral("Hotel")}));
    struct Expected { const char* name; double date; qint64 cost; QByteArray doc; };
    const Expected expected[] = {{"Ferry", day(2026, 5, 6), 125000, rtf1}, {"Hotel", day(2026, 5, 7), 3102500, rtf2}};
    t->first();
    for (const Expected& e : expected) {
        QCOMPARE(t.current(), QLatin1String(e.name));
        QCOMPARE(t->fieldByName(QStringLiteral("Start date")).asDateTime(), e.date);
        QCOMPARE(t->fieldByName(QStringLiteral("Start time")).asDateTime(), at(9, 15));
        QCOMPARE(t->fieldByName(QStringLiteral("End date")).asDateTime(), e.date + 1);
        QCOMPARE(t->fieldByName(QStringLiteral("End time")).asDateTime(), DateTimeUtil::encodeTime(23, 59, 59));
        QCOMPARE(t->fieldByName(QStringLiteral("Cost")).asCurrency().units, e.cost);
        QCOMPARE(t->fieldByName(QStringLiteral("Booked")).asBoolean(), false);
        QCOMPARE(t->fieldByName(QStringLiteral("Paid")).asBoolean(), true);
        QCOMPARE(t->fieldByName(QStringLiteral("Day")).asString(), QStringLiteral("Wen"));
        QVERIFY(t->fieldByName(QStringLiteral("Finished")).isNull());
        QCOMPARE(t->fieldByName(QStringLiteral("Document")).asBytes(), e.doc);
        t->next();
    }
    QVERIFY(t->eof());
}

void TestTable::shouldBeginANewRowWhenEditingAnEmptyTable()
{
    ProjectTable t;
    t->edit();
    QCOMPARE(t->state(), TableState::Insert);
    QCOMPARE(t->fieldByName(QStringLiteral("End time")).asDateTime(), DateTimeUtil::encodeTime(23, 59, 59));
    // ... and edit on a table with rows edits the current one.
    t->fieldByName(QStringLiteral("Event")).setAsString(QStringLiteral("Ferry"));
    t->post();
    t->edit();
    QCOMPARE(t->state(), TableState::Edit);
    QCOMPARE(t.current(), QStringLiteral("Ferry"));
    QCOMPARE(t->recNo(), 1);
}

QTEST_GUILESS_MAIN(TestTable)
#include "tst_table.moc"

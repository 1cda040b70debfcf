// The bound check box on a real project table: ticked is "True", unticked "False"; a click
// while browsing enters edit first and is refused when the row cannot be edited.

#include "platform/table/DataSource.h"
#include "platform/ui/Application.h"
#include "platform/ui/DbControls.h"
#include "platform/ui/ScriptedDialogs.h"
#include "platform/ui/TestMain.h"
#include "tests/table/tst_table_fixture.h"

#include <QTest>

namespace {

const QString kBooked = QStringLiteral("Booked");
const QString kEvent = QStringLiteral("Event");

struct Form
{
    ProjectTable table;
    DataSource source;
    DbCheckBox booked;

    Form()
    {
        booked.setText(kBooked);
        source.setDataSet(table.table.get());
        booked.setDataSource(&source);
        booked.setDataField(kBooked);
        booked.adjustSize();
        booked.show();
    }

    // Stores an event; an empty booked text leaves the field empty.
    void add(const QString& event, const QString& bookedText)
    {
        table->append();
        table->fieldByName(kEvent).setAsString(event);
        table->fieldByName(kBooked).setAsString(bookedText);
        table->post();
    }

    QString stored() { return table->fieldByName(kBooked).asString(); }

    void click() { QTest::mouseClick(&booked, Qt::LeftButton, {}, booked.rect().center()); }
};

} // namespace

Q_DECLARE_METATYPE(TableState)

class TestDbCheckBox : public QObject
{
    Q_OBJECT
private slots:
    void shouldShowTheFieldOfTheCurrentRow_data();
    void shouldShowTheFieldOfTheCurrentRow();
    void shouldEnterEditOnAClickAndPostTheNewValue_data();
    void shouldEnterEditOnAClickAndPostTheNewValue();
    void shouldToggleWithTheSpaceKey();
    void shouldBeginANewRowOnAnEmptyTable();
    void shouldDropAnUnpostedClickWhenTheRowIsReloaded();
    void shouldRefuseClicksWhileClosed();
    void shouldRefuseClicksWhenAutomaticEditIsOff();
    void shouldStoreTheChangeWhenTheRowIsLeft();
    void shouldDropTheChangeOnEscape();
};

void TestDbCheckBox::shouldShowTheFieldOfTheCurrentRow_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("checked");
    QTest::newRow("True") << QStringLiteral("True") << true;
    QTest::newRow("False") << QStringLiteral("False") << false;
    QTest::newRow("empty") << QString() << false;
}

void TestDbCheckBox::shouldShowTheFieldOfTheCurrentRow()
{
    QFETCH(QString, value);
    QFETCH(bool, checked);

    Form f;
    f.add(QStringLiteral("A"), QStringLiteral("True"));
    f.add(QStringLiteral("B"), value);
    f.table->first();
    QVERIFY(f.booked.isChecked());
    f.table->next();
    QCOMPARE(f.booked.isChecked(), checked);
    QVERIFY(!f.booked.isModified());
    QVERIFY(f.booked.isEnabled());
}

void TestDbCheckBox::shouldEnterEditOnAClickAndPostTheNewValue_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::newRow("tick") << QStringLiteral("False") << QStringLiteral("True");
    QTest::newRow("untick") << QStringLiteral("True") << QStringLiteral("False");
    QTest::newRow("tick an empty field") << QString() << QStringLiteral("True");
}

void TestDbCheckBox::shouldEnterEditOnAClickAndPostTheNewValue()
{
    QFETCH(QString, before);
    QFETCH(QString, after);

    Form f;
    f.add(QStringLiteral("A"), before);
    f.table->first();
    QCOMPARE(f.table->state(), TableState::Browse);
    f.click();
    QCOMPARE(f.table->state(), TableState::Edit);
    QCOMPARE(f.booked.isChecked(), after == QLatin1String("True"));
    QVERIFY(f.booked.isModified());
    // Handed to the field on the post, not before.
    QCOMPARE(f.stored(), before);
    f.table->post();
    QCOMPARE(f.stored(), after);
    QCOMPARE(f.table->state(), TableState::Browse);
    QVERIFY(!f.booked.isModified());
}

void TestDbCheckBox::shouldToggleWithTheSpaceKey()
{
    Form f;
    f.add(QStringLiteral("A"), QStringLiteral("False"));
    f.table->first();
    QTest::keyClick(&f.booked, Qt::Key_Space);
    QCOMPARE(f.table->state(), TableState::Edit);
    QVERIFY(f.booked.isChecked());
    f.table->post();
    QCOMPARE(f.stored(), QStringLiteral("True"));
}

void TestDbCheckBox::shouldBeginANewRowOnAnEmptyTable()
{
    Form f;
    f.click();
    QCOMPARE(f.table->state(), TableState::Insert);
    QVERIFY(f.booked.isChecked());
    f.table->fieldByName(kEvent).setAsString(QStringLiteral("New"));
    f.table->post();
    QCOMPARE(f.table->recordCount(), 1);
    QCOMPARE(f.stored(), QStringLiteral("True"));
}

void TestDbCheckBox::shouldDropAnUnpostedClickWhenTheRowIsReloaded()
{
    Form f;
    f.add(QStringLiteral("A"), QStringLiteral("False"));
    f.table->first();
    f.click();
    QVERIFY(f.booked.isChecked());
    f.table->cancel();
    QVERIFY(!f.booked.isChecked());
    QVERIFY(!f.booked.isModified());
    QCOMPARE(f.stored(), QStringLiteral("False"));
}

void TestDbCheckBox::shouldRefuseClicksWhileClosed()
{
    ScriptedDialogs dialogs;
    Form f;
    f.add(QStringLiteral("A"), QStringLiteral("True"));
    f.table->close();
    QVERIFY(!f.booked.isChecked());
    QVERIFY(f.booked.isEnabled());
    f.click();
    QVERIFY(!f.booked.isChecked());
    QVERIFY(!f.booked.isModified());
    QVERIFY(dialogs.calls().isEmpty());
    f.table->open();
    QVERIFY(f.booked.isChecked());
}

void TestDbCheckBox::shouldRefuseClicksWhenAutomaticEditIsOff()
{
    Form f;
    f.add(QStringLiteral("A"), QStringLiteral("False"));
    f.table->first();
    f.source.setAutoEdit(false);
    f.click();
    QVERIFY(!f.booked.isChecked());
    QCOMPARE(f.table->state(), TableState::Browse);
}

void TestDbCheckBox::shouldStoreTheChangeWhenTheRowIsLeft()
{
    // A click is a change: leaving the row stores it rather than dropping the edit.
    Form f;
    f.add(QStringLiteral("A"), QStringLiteral("False"));
    f.add(QStringLiteral("B"), QStringLiteral("False"));
    f.table->first();
    f.click();
    f.table->next();
    QVERIFY(!f.booked.isChecked());
    f.table->first();
    QCOMPARE(f.table.current(), QStringLiteral("A"));
    QCOMPARE(f.stored(), QStringLiteral("True"));
    QVERIFY(f.booked.isChecked());
}

void TestDbCheckBox::shouldDropTheChangeOnEscape()
{
    Form f;
    f.add(QStringLiteral("A"), QStringLiteral("False"));
    f.table->first();
    f.click();
    QTest::keyClick(&f.booked, Qt::Key_Escape);
    QVERIFY(!f.booked.isChecked());
    QCOMPARE(f.table->state(), TableState::Edit);
    QVERIFY(!f.table->modified());
}

FERNGROVE_TEST_MAIN(TestDbCheckBox)
#include "tst_dbcheckbox.moc"

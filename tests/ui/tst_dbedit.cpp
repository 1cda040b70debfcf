// The bound edit on a real project table: what it shows, when typing enters edit, how its
// text reaches the field, and what happens to text the field refuses.

#include "platform/core/Exception.h"
#include "platform/core/FormatSettings.h"
#include "platform/table/DataSource.h"
#include "platform/ui/Application.h"
#include "platform/ui/DbControls.h"
#include "platform/ui/ScriptedDialogs.h"
#include "platform/ui/TestMain.h"
#include "tests/core/RegionalSettings.h"
#include "tests/table/tst_table_fixture.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

namespace {

const QString kEvent = QStringLiteral("Event");
const QString kCost = QStringLiteral("Cost");

// A window with a name box and a cost box bound to a project table, and a plain box to move
// the focus to.
struct Form
{
    ProjectTable table;
    DataSource source;
    QWidget window;
    DbEdit* name = new DbEdit(&window);
    DbEdit* cost = new DbEdit(&window);
    QLineEdit* other = new QLineEdit(&window);

    Form()
    {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(name);
        layout->addWidget(cost);
        layout->addWidget(other);
        source.setDataSet(table.table.get());
        name->setDataSource(&source);
        name->setDataField(kEvent);
        cost->setDataSource(&source);
        cost->setDataField(kCost);
    }

    // Appends and stores an event with a name and a cost.
    void add(const QString& event, const QString& costText = QString())
    {
        table->append();
        table->fieldByName(kEvent).setAsString(event);
        if (!costText.isEmpty())
            table->fieldByName(kCost).setAsString(costText);
        table->post();
    }

    QString stored(const QString& field) { return table->fieldByName(field).asString(); }

    bool showActive()
    {
        window.show();
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    }
};

} // namespace

Q_DECLARE_METATYPE(TableState)

class TestDbEdit : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        formatSettings() = RegionalSettings::us();
        DateTimeUtil::setFixedClock(DateTimeUtil::encodeDate(2024, 3, 15));
    }
    void cleanup() { DateTimeUtil::clearFixedClock(); }

    void shouldShowTheCurrentRowAndFollowMoves();
    void shouldDropTypedTextWhenTheRowIsReloaded();
    void shouldHandTypedTextToTheRowItLeaves();
    void shouldEnterEditOnlyForKeysThatChangeText_data();
    void shouldEnterEditOnlyForKeysThatChangeText();
    void shouldApplyTheKeyToTheFieldsText();
    void shouldBeginANewRowWhenTypingOnAnEmptyTable();
    void shouldHandTheTextToTheFieldBeforeAPost();
    void shouldRefuseTextTheFieldCannotTake_data();
    void shouldRefuseTextTheFieldCannotTake();
    void shouldShowCurrencyForDisplayAndForEditing();
    void shouldStopAtTheFieldsSize_data();
    void shouldStopAtTheFieldsSize();
    void shouldBeEmptyAndTakeNoTypingWhileClosed();
    void shouldFollowTheTableWhenItOpensAndCloses();
    void shouldDiscardTypedTextOnEscape();
    void shouldRefuseTypingWhenAutomaticEditIsOff();
    void shouldHandPendingTextOverWhenDetached();
    void shouldEnterEditForAPasteThatBypassesTheKeys();
    void shouldHandTextSetByTheWindowToTheField();
    void shouldDropTextSetWhileBrowsingWhenTheRowEntersEdit();
};

void TestDbEdit::shouldShowTheCurrentRowAndFollowMoves()
{
    Form f;
    f.add(QStringLiteral("Alpha"), QStringLiteral("10"));
    f.add(QStringLiteral("Beta"), QStringLiteral("2.5"));
    f.table->first();
    QCOMPARE(f.name->text(), QStringLiteral("Alpha"));
    QCOMPARE(f.cost->text(), QStringLiteral("$10.00"));
    QVERIFY(!f.name->isReadOnly());
    QCOMPARE(f.name->maxLength(), 50);
    f.table->next();
    QCOMPARE(f.name->text(), QStringLiteral("Beta"));
    QCOMPARE(f.cost->text(), QStringLiteral("$2.50"));
    QVERIFY(!f.name->isModified());
}

void TestDbEdit::shouldDropTypedTextWhenTheRowIsReloaded()
{
    // GIVEN a row in edit with a name typed into the box
    Form f;
    f.add(QStringLiteral("Alpha"));
    f.table->first();
    QTest::keyClicks(f.name, QStringLiteral("xyz"));
    QCOMPARE(f.name->text(), QStringLiteral("Alphaxyz"));
    QVERIFY(f.name->isModified());
    // WHEN the row's edit is dropped
    f.table->cancel();
    // THEN the box shows the stored name again
    QCOMPARE(f.name->text(), QStringLiteral("Alpha"));
    QVERIFY(!f.name->isModified());
    QCOMPARE(f.stored(kEvent), QStringLiteral("Alpha"));
}

void TestDbEdit::shouldHandTypedTextToTheRowItLeaves()
{
    Form f;
    f.add(QStringLiteral("Alpha"));
    f.add(QStringLiteral("Beta"));
    f.table->first();
    QTest::keyClicks(f.name, QStringLiteral("2"));
    // A new row: the row being left keeps the typed name, the box shows the new row's.
    f.table->append();
    QCOMPARE(f.table->state(), TableState::Insert);
    QCOMPARE(f.name->text(), QString());
    f.table->cancel();
    QCOMPARE(f.table.names(), (QStringList{QStringLiteral("Alpha2"), QStringLiteral("Beta")}));
}

void TestDbEdit::shouldEnterEditOnlyForKeysThatChangeText_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<TableState>("state");
    QTest::addColumn<QString>("text");

    const int none = Qt::NoModifier;
    QTest::newRow("letter") << int(Qt::Key_X) << none << TableState::Edit << QStringLiteral("Alphax");
    QTest::newRow("space") << int(Qt::Key_Space) << none << TableState::Edit << QStringLiteral("Alpha ");
    QTest::newRow("backspace") << int(Qt::Key_Backspace) << none << TableState::Edit
                               << QStringLiteral("Alph");
    QTest::newRow("delete after Home")
        << int(Qt::Key_Delete) << none << TableState::Edit << QStringLiteral("lpha");
    QTest::newRow("left arrow") << int(Qt::Key_Left) << none << TableState::Browse << QStringLiteral("Alpha");
    QTest::newRow("home") << int(Qt::Key_Home) << none << TableState::Browse << QStringLiteral("Alpha");
    QTest::newRow("tab") << int(Qt::Key_Tab) << none << TableState::Browse << QStringLiteral("Alpha");
    QTest::newRow("return") << int(Qt::Key_Return) << none << TableState::Browse << QStringLiteral("Alpha");
    QTest::newRow("copy") << int(Qt::Key_C) << int(Qt::ControlModifier) << TableState::Browse
                          << QStringLiteral("Alpha");
    QTest::newRow("select all") << int(Qt::Key_A) << int(Qt::ControlModifier) << TableState::Browse
                                << QStringLiteral("Alpha");
}

void TestDbEdit::shouldEnterEditOnlyForKeysThatChangeText()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(TableState, state);
    QFETCH(QString, text);

    Form f;
    f.add(QStringLiteral("Alpha"));
    f.table->first();
    if (key == Qt::Key_Delete)
        f.name->home(false);
    QTest::keyClick(f.name, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(f.table->state(), state);
    QCOMPARE(f.name->text(), text);
    QCOMPARE(f.name->isModified(), state == TableState::Edit);
}

void TestDbEdit::shouldApplyTheKeyToTheFieldsText()
{
    // The box shows the display text of the cost while it has no focus; entering edit
    // reloads the edit text first, and the key then acts on that.
    Form f;
    f.add(QStringLiteral("Alpha"), QStringLiteral("1234.5"));
    f.table->first();
    QVERIFY(f.showActive());
    f.cost->setFocus();
    QTRY_VERIFY(f.cost->hasFocus());
    QCOMPARE(f.cost->text(), QStringLiteral("1234.50"));
    f.cost->end(false);
    QTest::keyClick(f.cost, Qt::Key_Backspace);
    QTest::keyClicks(f.cost, QStringLiteral("9"));
    QCOMPARE(f.cost->text(), QStringLiteral("1234.59"));
    f.table->post();
    QCOMPARE(f.stored(kCost), QStringLiteral("1234.59"));
}

void TestDbEdit::shouldBeginANewRowWhenTypingOnAnEmptyTable()
{
    Form f;
    QVERIFY(f.table->isEmpty());
    QTest::keyClicks(f.name, QStringLiteral("First"));
    QCOMPARE(f.table->state(), TableState::Insert);
    QCOMPARE(f.name->text(), QStringLiteral("First"));
    f.table->post();
    QCOMPARE(f.table->recordCount(), 1);
    QCOMPARE(f.stored(kEvent), QStringLiteral("First"));
    QCOMPARE(f.stored(QStringLiteral("End time")), QStringLiteral("11:59:59 PM"));
}

void TestDbEdit::shouldHandTheTextToTheFieldBeforeAPost()
{
    Form f;
    f.add(QStringLiteral("Alpha"), QStringLiteral("1"));
    f.table->first();
    QTest::keyClicks(f.name, QStringLiteral(" trip"));
    // Not written while typing: the field still has its value until the hand-over.
    QCOMPARE(f.stored(kEvent), QStringLiteral("Alpha"));
    f.cost->selectAll();
    QTest::keyClicks(f.cost, QStringLiteral("5"));
    f.table->post();
    QCOMPARE(f.table->state(), TableState::Browse);
    QCOMPARE(f.stored(kEvent), QStringLiteral("Alpha trip"));
    QCOMPARE(f.name->text(), QStringLiteral("Alpha trip"));
    QCOMPARE(f.table->fieldByName(kCost).asCurrency(), Currency::fromUnits(50000));
    QCOMPARE(f.cost->text(), QStringLiteral("$5.00"));
}

void TestDbEdit::shouldRefuseTextTheFieldCannotTake_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::newRow("letters") << QStringLiteral("abc")
                             << QStringLiteral("'abc' is not a valid currency value");
    QTest::newRow("two points") << QStringLiteral("1.2.3")
                                << QStringLiteral("'1.2.3' is not a valid currency value");
}

void TestDbEdit::shouldRefuseTextTheFieldCannotTake()
{
    QFETCH(QString, typed);
    QFETCH(QString, message);

    Form f;
    f.add(QStringLiteral("Alpha"), QStringLiteral("12"));
    f.table->first();
    QVERIFY(f.showActive());
    f.other->setFocus();
    QTRY_VERIFY(f.other->hasFocus());
    f.table->edit();
    f.cost->selectAll();
    QTest::keyClicks(f.cost, typed);
    QCOMPARE(f.cost->text(), typed);

    FG_VERIFY_THROWS_MESSAGE(EConvertError, f.table->post(), message);
    // The row stays in edit with its old cost; the box keeps the text, selected, with the focus.
    QCOMPARE(f.table->state(), TableState::Edit);
    QCOMPARE(f.table->fieldByName(kCost).asCurrency(), Currency::fromUnits(120000));
    QCOMPARE(f.cost->text(), typed);
    QVERIFY(f.cost->isModified());
    QTRY_VERIFY(f.cost->hasFocus());
    QCOMPARE(f.cost->selectedText(), typed);

    // Leaving the row is refused the same way, and a corrected text is then stored.
    FG_VERIFY_THROWS_MESSAGE(EConvertError, f.table->first(), message);
    f.cost->selectAll();
    QTest::keyClicks(f.cost, QStringLiteral("7.25"));
    f.table->post();
    QCOMPARE(f.table->fieldByName(kCost).asCurrency(), Currency::fromUnits(72500));
}

void TestDbEdit::shouldShowCurrencyForDisplayAndForEditing()
{
    Form f;
    f.add(QStringLiteral("Alpha"), QStringLiteral("1234.5"));
    f.table->first();
    QVERIFY(f.showActive());
    f.other->setFocus();
    QTRY_VERIFY(f.other->hasFocus());
    QCOMPARE(f.cost->text(), QStringLiteral("$1,234.50"));
    QTest::keyClick(f.other, Qt::Key_Backtab, Qt::ShiftModifier);
    QTRY_VERIFY(f.cost->hasFocus());
    QCOMPARE(f.cost->text(), QStringLiteral("1234.50"));
    // A tab into the box selects all of the edit text.
    QCOMPARE(f.cost->selectedText(), QStringLiteral("1234.50"));
    QVERIFY(f.table->state() == TableState::Browse);
    f.other->setFocus();
    QTRY_VERIFY(f.other->hasFocus());
    QCOMPARE(f.cost->text(), QStringLiteral("$1,234.50"));

    // Swedish settings place the symbol after the amount.
    formatSettings() = RegionalSettings::sweden();
    f.table->first();
    QCOMPARE(f.cost->text(), QStringLiteral("1\u00A0234,50 kr"));
}

void TestDbEdit::shouldStopAtTheFieldsSize_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("size");
    QTest::newRow("Event") << kEvent << 50;
    QTest::newRow("Day") << QStringLiteral("Day") << 10;
}

void TestDbEdit::shouldStopAtTheFieldsSize()
{
    QFETCH(QString, field);
    QFETCH(int, size);

    Form f;
    f.add(QStringLiteral("Alpha"));
    f.table->first();
    f.name->setDataField(field);
    QCOMPARE(f.name->maxLength(), size);
    const QString sixty = QString(60, QLatin1Char('x'));
    QGuiApplication::clipboard()->setText(sixty);
    f.name->selectAll();
    QTest::keyClick(f.name, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(f.table->state(), TableState::Edit);
    QCOMPARE(f.name->text(), sixty.left(size));
    // Typing past the limit changes nothing.
    QTest::keyClicks(f.name, QStringLiteral("yy"));
    QCOMPARE(f.name->text(), sixty.left(size));
    f.table->post();
    QCOMPARE(f.stored(field), sixty.left(size));
}

void TestDbEdit::shouldBeEmptyAndTakeNoTypingWhileClosed()
{
    ScriptedDialogs dialogs;
    Form f;
    f.add(QStringLiteral("Alpha"));
    f.table->close();
    QCOMPARE(f.name->text(), QString());
    QVERIFY(f.name->isReadOnly());
    QCOMPARE(f.name->field(), nullptr);
    QTest::keyClicks(f.name, QStringLiteral("abc"));
    QTest::keyClick(f.name, Qt::Key_Backspace);
    QCOMPARE(f.name->text(), QString());
    QVERIFY(!f.name->isModified());
    QCOMPARE(f.table->state(), TableState::Inactive);
    QVERIFY(dialogs.calls().isEmpty());

    // A box without a source is the same.
    DbEdit loose;
    loose.setDataField(kEvent);
    QVERIFY(loose.isReadOnly());
    QTest::keyClicks(&loose, QStringLiteral("abc"));
    QCOMPARE(loose.text(), QString());
}

void TestDbEdit::shouldFollowTheTableWhenItOpensAndCloses()
{
    Form f;
    f.add(QStringLiteral("Alpha"), QStringLiteral("3"));
    f.table->close();
    QCOMPARE(f.cost->text(), QString());
    f.table->open();
    QCOMPARE(f.name->text(), QStringLiteral("Alpha"));
    QCOMPARE(f.cost->text(), QStringLiteral("$3.00"));
    QVERIFY(!f.name->isReadOnly());
}

void TestDbEdit::shouldDiscardTypedTextOnEscape()
{
    Form f;
    f.add(QStringLiteral("Alpha"));
    f.table->first();
    QTest::keyClicks(f.name, QStringLiteral("zz"));
    QTest::keyClick(f.name, Qt::Key_Escape);
    QCOMPARE(f.name->text(), QStringLiteral("Alpha"));
    QVERIFY(!f.name->isModified());
    // The row stays in edit with nothing changed; leaving it drops the edit.
    QCOMPARE(f.table->state(), TableState::Edit);
    QVERIFY(!f.table->modified());
    f.table->checkBrowseMode();
    QCOMPARE(f.stored(kEvent), QStringLiteral("Alpha"));
}

void TestDbEdit::shouldRefuseTypingWhenAutomaticEditIsOff()
{
    Form f;
    f.add(QStringLiteral("Alpha"));
    f.table->first();
    f.source.setAutoEdit(false);
    QTest::keyClicks(f.name, QStringLiteral("x"));
    QCOMPARE(f.name->text(), QStringLiteral("Alpha"));
    QCOMPARE(f.table->state(), TableState::Browse);
    // In edit the box takes typing again.
    f.table->edit();
    QTest::keyClicks(f.name, QStringLiteral("x"));
    QCOMPARE(f.name->text(), QStringLiteral("Alphax"));
}

void TestDbEdit::shouldHandPendingTextOverWhenDetached()
{
    Form f;
    f.add(QStringLiteral("Alpha"));
    f.table->first();
    QTest::keyClicks(f.cost, QStringLiteral("8"));
    f.cost->setDataSource(nullptr);
    QCOMPARE(f.cost->text(), QString());
    QVERIFY(f.cost->isReadOnly());
    QVERIFY(f.table->modified());
    f.table->post();
    QCOMPARE(f.stored(kCost), QStringLiteral("8"));
    // Attached again, it shows the row.
    f.cost->setDataSource(&f.source);
    QCOMPARE(f.cost->text(), QStringLiteral("$8.00"));
}

void TestDbEdit::shouldEnterEditForAPasteThatBypassesTheKeys()
{
    // A paste from the context menu calls paste() directly.
    Form f;
    f.add(QStringLiteral("Alpha"));
    f.table->first();
    QGuiApplication::clipboard()->setText(QStringLiteral("!"));
    f.name->end(false);
    f.name->paste();
    QCOMPARE(f.table->state(), TableState::Edit);
    QCOMPARE(f.name->text(), QStringLiteral("Alpha!"));
    QVERIFY(f.name->isModified());
    f.table->post();
    QCOMPARE(f.stored(kEvent), QStringLiteral("Alpha!"));
}

void TestDbEdit::shouldHandTextSetByTheWindowToTheField()
{
    // A row in edit whose name the window replaces: the post stores the new name.
    Form f;
    f.add(QStringLiteral("Alpha"));
    f.add(QStringLiteral("Beta"));
    f.table->first();
    f.table->next();
    f.table->edit();
    f.name->setText(QStringLiteral("Unspecified 2"));
    QVERIFY(f.name->isModified());
    f.table->post();
    QCOMPARE(f.table.names(), (QStringList{QStringLiteral("Alpha"), QStringLiteral("Unspecified 2")}));
}

void TestDbEdit::shouldDropTextSetWhileBrowsingWhenTheRowEntersEdit()
{
    // On a table without rows, text set by the window is emptied again by the new row the
    // edit begins, so the post is refused for the empty name.
    Form f;
    f.name->setText(QStringLiteral("Unspecified 0"));
    QCOMPARE(f.table->state(), TableState::Browse);
    f.table->edit();
    QCOMPARE(f.table->state(), TableState::Insert);
    QCOMPARE(f.name->text(), QString());
    FG_VERIFY_THROWS_MESSAGE(EDatabaseError, f.table->post(),
                             QStringLiteral("Field 'Event' must have a value"));
    QCOMPARE(f.table->state(), TableState::Insert);
}

FERNGROVE_TEST_MAIN(TestDbEdit)
#include "tst_dbedit.moc"

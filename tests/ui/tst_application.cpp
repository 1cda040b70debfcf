// The default error box, the handler guard and help requests of the application object.

#include "platform/core/Exception.h"
#include "platform/ui/Application.h"
#include "platform/ui/ScriptedDialogs.h"
#include "platform/ui/TestMain.h"

#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <stdexcept>

namespace {

// Raises an error from its event handler, as a faulty window would.
class ThrowingObject : public QObject
{
public:
    static constexpr QEvent::Type kThrow = QEvent::Type(QEvent::User + 1);
    int handled = 0;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() == kThrow)
            throw EDatabaseError(QStringLiteral("Field 'Event' must have a value"));
        if (e->type() == QEvent::User) {
            ++handled;
            return true;
        }
        return QObject::event(e);
    }
};

class Emitter : public QObject
{
    Q_OBJECT
signals:
    void fired();
};

} // namespace

class TestApplication : public QObject
{
    Q_OBJECT
private slots:
    void init() { Application::setTitle(QStringLiteral("Ferngrove")); }
    void cleanup() { Application::setHelpHandler({}); }

    void shouldAppendFullStopByTheLastCharacter_data();
    void shouldAppendFullStopByTheLastCharacter();
    void shouldShowSlotErrorInDefaultErrorBoxAndGoOn();
    void shouldShowStdExceptionText();
    void shouldCatchErrorsOfEventHandlersInNotify();
    void shouldSkipRestOfGuardedRoutine();
    void shouldRouteHelpRequestsToTheHandler();
    void shouldAskForTheWindowsContextOnF1_data();
    void shouldAskForTheWindowsContextOnF1();
    void shouldShowHelpErrorsOnF1();
};

void TestApplication::shouldAppendFullStopByTheLastCharacter_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("plain word") << "Error" << "Error.";
    QTest::newRow("full stop stays") << "Done." << "Done.";
    QTest::newRow("question mark sorts after") << "Why?" << "Why?.";
    QTest::newRow("exclamation sorts before") << "Wow!" << "Wow!";
    QTest::newRow("comma sorts before") << "x," << "x,";
    QTest::newRow("hyphen sorts before") << "a-" << "a-";
    QTest::newRow("blank sorts before") << "a " << "a ";
    QTest::newRow("empty stays empty") << "" << "";
    QTest::newRow("line break stays") << "ends\r\n" << "ends\r\n";
    QTest::newRow("quote sorts before") << "The table 'x.dat'" << "The table 'x.dat'";
    QTest::newRow("non-Latin letter") << QString::fromUtf8("東京") << QString::fromUtf8("東京.");
    QTest::newRow("slash sorts after") << "a/" << "a/.";
}

void TestApplication::shouldAppendFullStopByTheLastCharacter()
{
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QCOMPARE(Application::errorBoxText(message), shown);

    ScriptedDialogs dialogs;
    Application::showErrorText(message);
    QCOMPARE(dialogs.calls().size(), 1);
    QCOMPARE(dialogs.calls()[0].text, shown);
}

void TestApplication::shouldShowSlotErrorInDefaultErrorBoxAndGoOn()
{
    // GIVEN a handler that fails on its first call only
    ScriptedDialogs dialogs;
    Emitter emitter;
    int calls = 0;
    connectHandler(&emitter, &Emitter::fired, &emitter, [&calls] {
        if (++calls == 1)
            throw Exception(QStringLiteral("The table 'Trip.dat' already exists"));
    });

    // WHEN the signal fires twice
    emit emitter.fired();
    emit emitter.fired();

    // THEN the error was shown once in the default error box and the second call ran
    QCOMPARE(calls, 2);
    QCOMPARE(dialogs.calls().size(), 1);
    const DialogRequest box = dialogs.calls()[0];
    QCOMPARE(box.kind, DialogKind::DefaultError);
    QCOMPARE(box.text, QStringLiteral("The table 'Trip.dat' already exists."));
    QCOMPARE(box.caption, QStringLiteral("Ferngrove"));
    QCOMPARE(box.icon, DialogIcon::Stop);
}

void TestApplication::shouldShowStdExceptionText()
{
    ScriptedDialogs dialogs;
    Application::setTitle(QStringLiteral("Planner"));
    QVERIFY(!Application::guard([] { throw std::runtime_error("disk full"); }));
    QCOMPARE(dialogs.textsOf(DialogKind::DefaultError), QStringList{QStringLiteral("disk full.")});
    QCOMPARE(dialogs.calls()[0].caption, QStringLiteral("Planner"));
}

void TestApplication::shouldCatchErrorsOfEventHandlersInNotify()
{
    // GIVEN an object whose handler throws
    ScriptedDialogs dialogs;
    ThrowingObject target;

    // WHEN a failing event is sent and one is posted, then a good one follows
    QEvent bad(ThrowingObject::kThrow);
    QCoreApplication::sendEvent(&target, &bad);
    QCoreApplication::postEvent(&target, new QEvent(ThrowingObject::kThrow));
    QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
    QCoreApplication::processEvents();

    // THEN both errors were shown and the program went on to the next event
    QCOMPARE(dialogs.textsOf(DialogKind::DefaultError),
             QStringList({QStringLiteral("Field 'Event' must have a value."),
                          QStringLiteral("Field 'Event' must have a value.")}));
    QCOMPARE(target.handled, 1);
}

void TestApplication::shouldSkipRestOfGuardedRoutine()
{
    ScriptedDialogs dialogs;
    QStringList steps;
    const bool ran = Application::guard([&steps] {
        steps << QStringLiteral("first");
        throw Exception(QStringLiteral("Bitmap image is not valid"));
        steps << QStringLiteral("second");
    });
    QVERIFY(!ran);
    QCOMPARE(steps, QStringList{QStringLiteral("first")});
    QCOMPARE(dialogs.textsOf(DialogKind::DefaultError), QStringList{QStringLiteral("Bitmap image is not valid.")});

    QVERIFY(Application::guard([&steps] { steps << QStringLiteral("again"); }));
    QCOMPARE(dialogs.calls().size(), 1);
}

void TestApplication::shouldRouteHelpRequestsToTheHandler()
{
    QList<int> asked;
    QVERIFY(!Application::helpContext(100)); // nobody serves help yet
    Application::setHelpHandler([&asked](int context) { asked << context; });
    QVERIFY(Application::helpContext(100));
    QVERIFY(!Application::helpContext(0));
    QCOMPARE(asked, QList<int>{100});
}

void TestApplication::shouldAskForTheWindowsContextOnF1_data()
{
    QTest::addColumn<int>("windowContext");
    QTest::addColumn<int>("editContext");
    QTest::addColumn<QList<int>>("asked");
    QTest::newRow("window's number") << 100 << 0 << QList<int>{100};
    QTest::newRow("control's own number first") << 100 << 7 << QList<int>{7};
    QTest::newRow("no number, no request") << 0 << 0 << QList<int>{};
}

void TestApplication::shouldAskForTheWindowsContextOnF1()
{
    QFETCH(int, windowContext);
    QFETCH(int, editContext);
    QFETCH(QList<int>, asked);

    QList<int> requests;
    Application::setHelpHandler([&requests](int context) { requests << context; });
    QWidget window;
    auto* edit = new QLineEdit(&window);
    (new QVBoxLayout(&window))->addWidget(edit);
    Application::setHelpContext(&window, windowContext);
    Application::setHelpContext(edit, editContext);
    window.show();

    QTest::keyClick(edit, Qt::Key_F1);
    QCOMPARE(requests, asked);
    QVERIFY(edit->text().isEmpty());
}

void TestApplication::shouldShowHelpErrorsOnF1()
{
    ScriptedDialogs dialogs;
    Application::setHelpHandler([](int) {
        throw Exception(QStringLiteral("The help file '/x/Help/Ferngrove.chm' was not found."));
    });
    QWidget window;
    Application::setHelpContext(&window, 100);
    window.show();
    QTest::keyClick(&window, Qt::Key_F1);
    QCOMPARE(dialogs.textsOf(DialogKind::DefaultError),
             QStringList{QStringLiteral("The help file '/x/Help/Ferngrove.chm' was not found.")});
}

FERNGROVE_TEST_MAIN(TestApplication)
#include "tst_application.moc"

// "Scheduling" in the main window: the scheduling window is created owned by the main window,
// kept in fmSchemal while it is shown modally, and released when the showing ends.

#include "tst_schemal_fixture.h"

#include "app/Start.h"
#include "platform/ui/TestMain.h"

#include <QAction>
#include <QPointer>
#include <QTimer>
#include <functional>

namespace {

using F = SchemalFixture;

// What the test saw while the window was shown modally.
struct Showing
{
    QPointer<TfmSchemal> window;
    bool modal = false;
    bool visible = false;
    bool activeModal = false;
    QWidget* owner = nullptr;
    int events = -1;
    QPoint centre;
    QPoint ownerCentre;
    bool forced = false; // the safety net had to end the showing
};

// Runs "Scheduling" from the main window; inside the modal showing, act() looks at fmSchemal
// and closes it. A safety net ends a showing that act() failed to close, so a fault shows as
// a failure rather than a test that never ends.
Showing runScheduling(TfmStart& main, const std::function<void(TfmSchemal*)>& act)
{
    Showing seen;
    QTimer::singleShot(0, &main, [&seen, &act] {
        TfmSchemal* w = fmSchemal;
        seen.window = w;
        if (!w)
            return;
        seen.modal = w->isModal();
        seen.visible = w->isVisible();
        seen.activeModal = QApplication::activeModalWidget() == w;
        seen.owner = w->parentWidget();
        seen.events = w->dbSchedule->recordCount();
        seen.centre = w->frameGeometry().center();
        seen.ownerCentre = w->parentWidget()->frameGeometry().center();
        act(w);
        if (w->isVisible()) {
            seen.forced = true;
            w->done(QDialog::Rejected);
        }
    });
    main.mnSchemalaggning->trigger();
    return seen;
}

} // namespace

class TestSchemalStart : public QObject
{
    Q_OBJECT
private slots:
    void schedulingShowsTheWindowModallyAndReleasesIt();
    void everySchedulingCreatesAFreshWindow();
    void schedulingOnAFileThatCannotBeOpened();
};

void TestSchemalStart::schedulingShowsTheWindowModallyAndReleasesIt()
{
    F f;
    f.createProject();
    f.addEvent(QStringLiteral("Hotel"), F::day(5, 2), F::day(5, 3));
    TfmStart main;
    main.show();

    const Showing seen = runScheduling(main, [](TfmSchemal* w) { w->mnAter->trigger(); });

    QVERIFY(seen.window);
    QVERIFY(!seen.forced);
    QVERIFY(seen.modal && seen.visible && seen.activeModal);
    QCOMPARE(seen.owner, &main);
    QCOMPARE(seen.events, 1);
    // Centred on the main window (a centre of an even size rounds by a pixel).
    QVERIFY((seen.centre - seen.ownerCentre).manhattanLength() <= 2);
    QVERIFY(f.dialogs.calls().isEmpty());

    // Cleared at once; freed once the pending messages are handled.
    QVERIFY(!fmSchemal);
    QVERIFY(!seen.window->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(seen.window.isNull());
}

void TestSchemalStart::everySchedulingCreatesAFreshWindow()
{
    F f;
    f.createProject();
    TfmStart main;
    main.show();

    // The first showing begins an event and leaves the name box with a name; the second
    // starts afresh from creation.
    const Showing first = runScheduling(main, [](TfmSchemal* w) {
        F::click(w->btnNew);
        QTest::keyClicks(w->dbedEvent, QStringLiteral("Museum"));
        F::pickDate(w->dtpStartDate, QDate(2024, 5, 22));
        F::click(w->btnSave);
        w->mnAter->trigger();
    });
    QVERIFY(!first.forced);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(first.window.isNull());

    QString weekday = QStringLiteral("unset");
    const Showing second = runScheduling(main, [&weekday](TfmSchemal* w) {
        weekday = w->edStartDay->text();
        w->mnAter->trigger();
    });
    QVERIFY(!second.forced);
    QCOMPARE(second.events, 1);
    QVERIFY(weekday.isEmpty());
    QVERIFY(!fmSchemal);
    QVERIFY(f.dialogs.calls().isEmpty());
    QCOMPARE(f.stored().value(0).value(8), QStringLiteral("Wen"));
}

void TestSchemalStart::schedulingOnAFileThatCannotBeOpened()
{
    F f(QStringLiteral("Gone.dat")); // never created
    TfmStart main;
    main.show();

    const Showing seen = runScheduling(main, [](TfmSchemal* w) { w->mnAter->trigger(); });

    QVERIFY(seen.window);
    QVERIFY(!seen.forced);
    QVERIFY(seen.visible);
    QCOMPARE(seen.events, 0);
    QCOMPARE(f.dialogs.textsOf(DialogKind::Message),
             QStringList{QStringLiteral("Error in database.\r\n(Wrong file?)")});
    QCOMPARE(f.dialogs.calls().size(), 1);
    QVERIFY(!fmSchemal);
}

FERNGROVE_TEST_MAIN(TestSchemalStart)
#include "tst_schemal_start.moc"

// The scheduling window as it opens: components, captions, sizes, the creation layout, tab
// order, the initial pickers and chart range, the project label, and a table that cannot be
// opened.

#include "tst_schemal_fixture.h"

#include "platform/chart/Chart.h"
#include "platform/chart/ChartWidget.h"
#include "platform/ui/TestMain.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>

class TestSchemalWindow : public QObject
{
    Q_OBJECT
private slots:
    void componentsCarryTheirNamesCaptionsAndSizes();
    void menuBarHasExitPrintAndHelp();
    void controlsArePlacedByTheCreationLayout();
    void chartFillsTheWidthBelowTheGraphicsPanel();
    void labelsNameTheirControls();
    void tabOrderFollowsTheListAndStartDateHasTheFocus();
    void pickersStartTodayAtMidnightAndTheWeekdayBoxEmpty();
    void chartRangeStartsThirtyDaysEitherSideOfToday();
    void projectLabelShowsTheFileNameUpToItsLastDot_data();
    void projectLabelShowsTheFileNameUpToItsLastDot();
    void openingEmptiesOutputModeAndSetsHelpContext();
    void openingStandsOnTheFirstEventByName();
    void tableThatCannotBeOpened_data();
    void tableThatCannotBeOpened();
};

void TestSchemalWindow::componentsCarryTheirNamesCaptionsAndSizes()
{
    SchemalFixture f;
    f.createProject();
    TfmSchemal* w = f.open();

    QCOMPARE(w->windowTitle(), QStringLiteral("Scheduling"));
    QVERIFY(w->isModal());
    QCOMPARE(w->frameGeometry().size(), QSize(1353, 800));
    QCOMPARE(w->font().family(), QStringLiteral("MS Sans Serif"));
    QCOMPARE(w->font().pointSize(), 8);

    const QList<std::pair<const char*, QString>> captions = {
        {"lbEvent", "Event"},          {"lbCost", "Cost"},          {"lbStartDate", "Start date"},
        {"lbStartTime", "Start time"}, {"lbStartDay", "Start day"}, {"lbEndDate", "End date"},
        {"lbEndTime", "End time"},     {"lbGrafik", "Graphics"},    {"lbProject", "Trip"},
    };
    for (const auto& [name, caption] : captions) {
        const QLabel* label = w->findChild<QLabel*>(QLatin1String(name));
        QVERIFY2(label, name);
        QCOMPARE(label->text(), caption);
    }
    const QList<std::tuple<QPushButton*, QString, QSize, bool>> buttons = {
        {w->btnNew, "New", {50, 21}, true},
        {w->btnSave, "Save", {50, 25}, true},
        {w->btnDelete, "Delete", {50, 25}, false},
        {w->btnDocument, "Document show", {125, 25}, true},
    };
    for (const auto& [button, caption, size, enabled] : buttons) {
        QCOMPARE(button->text(), caption);
        QCOMPARE(button->size(), size);
        QCOMPARE(button->isEnabled(), enabled);
    }
    QCOMPARE(w->cbdbBooked->text(), QStringLiteral("Booked"));
    QCOMPARE(w->cbdbPaid->text(), QStringLiteral("Paid"));
    QCOMPARE(w->pnlGrafik->size(), QSize(181, 118));
    QCOMPARE(w->lbGrafik->parentWidget(), w->pnlGrafik);
    QCOMPARE(w->lbProject->font().pointSize(), 14);
    QVERIFY(w->lbProject->font().bold());
    for (DateTimePicker* p : {w->dtpStartDate, w->dtpStartTime, w->dtpEndDate, w->dtpEndTime})
        QCOMPARE(p->font().pointSize(), 10);
    QCOMPARE(w->dtpStartDate->kind(), DateTimePicker::Kind::Date);
    QCOMPARE(w->dtpEndDate->kind(), DateTimePicker::Kind::Date);
    QCOMPARE(w->dtpStartTime->kind(), DateTimePicker::Kind::Time);
    QCOMPARE(w->dtpEndTime->kind(), DateTimePicker::Kind::Time);
    QVERIFY(w->edStartDay->isReadOnly());
    QVERIFY(!(w->edStartDay->focusPolicy() & Qt::TabFocus));
    QVERIFY(!(w->btnNew->focusPolicy() & Qt::TabFocus));

    // Bindings: the four bound controls follow dsSchedule over dbSchedule.
    QCOMPARE(w->dsSchedule->dataSet(), w->dbSchedule);
    QVERIFY(w->dsSchedule->autoEdit());
    QCOMPARE(w->dbedEvent->dataField(), QStringLiteral("Event"));
    QCOMPARE(w->dbedCost->dataField(), QStringLiteral("Cost"));
    QCOMPARE(w->cbdbBooked->dataField(), QStringLiteral("Booked"));
    QCOMPARE(w->cbdbPaid->dataField(), QStringLiteral("Paid"));
    for (DataLink* link :
         std::initializer_list<DataLink*>{w->dbedEvent, w->dbedCost, w->cbdbBooked, w->cbdbPaid})
        QCOMPARE(link->dataSource(), w->dsSchedule);
    QCOMPARE(w->dbedEvent->maxLength(), 50);

    QVERIFY(w->Chart1->isVisible());
    QCOMPARE(w->Chart1->objectName(), QStringLiteral("Chart1"));
    QCOMPARE(w->Chart1->palette().color(QPalette::Window), QColor(Qt::white));
    QVERIFY(!w->pnlEditor->isVisible());
    QCOMPARE(w->pnlEditor->parentWidget(), w->pnlMain);
    QCOMPARE(w->dbSchedule->objectName(), QStringLiteral("dbSchedule"));
    QCOMPARE(w->dsSchedule->objectName(), QStringLiteral("dsSchedule"));
    QCOMPARE(w->VerticalGap, 5);
    QCOMPARE(w->HorizontalGap, 10);
    QVERIFY(f.dialogs.calls().isEmpty());
}

void TestSchemalWindow::menuBarHasExitPrintAndHelp()
{
    SchemalFixture f;
    f.createProject();
    TfmSchemal* w = f.open();

    QCOMPARE(w->layout()->menuBar(), w->MainMenu1);
    const QList<QAction*> bar = w->MainMenu1->actions();
    QCOMPARE(bar, (QList<QAction*>{w->mnAter, w->mnUtskrift->menuAction(), w->mnHjalp}));
    QCOMPARE(w->mnAter->text(), QStringLiteral("Exit"));
    QCOMPARE(w->mnUtskrift->title(), QStringLiteral("Print"));
    QCOMPARE(w->mnHjalp->text(), QStringLiteral("Help"));
    QVERIFY(!w->mnAter->menu());
    QVERIFY(!w->mnHjalp->menu());
    QCOMPARE(w->mnUtskrift->actions(), (QList<QAction*>{w->mnPaper, w->mnPdf}));
    QCOMPARE(w->mnPaper->text(), QStringLiteral("Print"));
    QCOMPARE(w->mnPdf->text(), QStringLiteral("Pdf"));
    for (const char* name : {"mnAter", "mnUtskrift", "mnPaper", "mnPdf", "mnHjalp"})
        QVERIFY2(w->findChild<QObject*>(QLatin1String(name)), name);
    for (QAction* a : {w->mnPaper, w->mnPdf})
        QVERIFY(a->isVisible() && a->isEnabled());

    // The print routes are not there yet: both items do nothing and ask nothing.
    w->mnPaper->trigger();
    w->mnPdf->trigger();
    QVERIFY(w->isVisible());
    QVERIFY(f.dialogs.calls().isEmpty());
}

void TestSchemalWindow::controlsArePlacedByTheCreationLayout()
{
    SchemalFixture f;
    f.createProject();
    TfmSchemal* w = f.open();
    const int vg = 5;
    const int hg = 10;
    auto below = [](const QWidget* x) { return x->y() + x->height() + 5; };
    auto directlyBelow = [](const QWidget* x) { return x->y() + x->height(); };
    auto rightOf = [](const QWidget* x) { return x->x() + x->width() + 10; };

    // Fixed by the button sizes alone.
    QCOMPARE(w->btnNew->pos(), QPoint(10, 5));
    QCOMPARE(w->btnSave->pos(), QPoint(10, 31));
    QCOMPARE(w->btnDelete->pos(), QPoint(10, 61));
    QCOMPARE(w->lbEvent->pos(), QPoint(70, 5));

    // The rest follows the table from the controls' own sizes.
    const QList<std::tuple<QWidget*, QPoint>> expected = {
        {w->dbedEvent, {w->lbEvent->x(), directlyBelow(w->lbEvent)}},
        {w->lbCost, {w->lbEvent->x(), below(w->dbedEvent)}},
        {w->dbedCost, {w->lbEvent->x(), directlyBelow(w->lbCost)}},
        {w->cbdbBooked, {w->lbEvent->x(), below(w->dbedCost)}},
        {w->cbdbPaid, {w->lbEvent->x(), directlyBelow(w->cbdbBooked)}},
        {w->lbStartDate, {rightOf(w->dbedEvent), vg}},
        {w->dtpStartDate, {w->lbStartDate->x(), directlyBelow(w->lbStartDate)}},
        {w->lbStartTime, {w->lbStartDate->x(), below(w->dtpStartDate)}},
        {w->dtpStartTime, {w->lbStartDate->x(), directlyBelow(w->lbStartTime)}},
        {w->lbStartDay, {w->lbStartDate->x(), below(w->dtpStartTime)}},
        {w->edStartDay, {w->lbStartDate->x(), directlyBelow(w->lbStartDay)}},
        {w->lbEndDate, {rightOf(w->dtpStartDate), vg}},
        {w->dtpEndDate, {w->lbEndDate->x(), directlyBelow(w->lbEndDate)}},
        {w->lbEndTime, {w->lbEndDate->x(), below(w->dtpEndDate)}},
        {w->dtpEndTime, {w->lbEndDate->x(), directlyBelow(w->lbEndTime)}},
        {w->btnDocument, {rightOf(w->dtpEndDate), vg}},
        {w->pnlGrafik, {rightOf(w->btnDocument), vg}},
    };
    for (const auto& [control, pos] : expected)
        QCOMPARE(std::pair(control->objectName(), control->pos()), std::pair(control->objectName(), pos));
    for (QWidget* c : {static_cast<QWidget*>(w->btnNew), static_cast<QWidget*>(w->dbedEvent),
                       static_cast<QWidget*>(w->pnlGrafik), static_cast<QWidget*>(w->lbProject)})
        QCOMPARE(c->parentWidget(), w->pnlMain);

    // The project label keeps the left edge it was given before its caption was set.
    QCOMPARE(w->lbProject->x(), w->pnlGrafik->x() + 181 + 3 * hg);
    QFont projectFont = w->lbProject->font();
    const int designHeight = QFontMetrics(projectFont).height();
    QVERIFY(qAbs(w->lbProject->y() - (vg + 118 / 2 - designHeight / 2)) <= 1);

    // Everything above the chart fits in the window's width.
    QVERIFY(w->lbProject->geometry().right() < w->pnlMain->width());
}

void TestSchemalWindow::chartFillsTheWidthBelowTheGraphicsPanel()
{
    SchemalFixture f;
    f.createProject();
    TfmSchemal* w = f.open();

    const QSize panel = w->pnlMain->size();
    QCOMPARE(w->pnlMain->geometry().bottom(), w->height() - 1);
    QCOMPARE(w->Chart1->geometry(), QRect(0, panel.height() - (panel.height() - 118 - 10), panel.width(),
                                          panel.height() - 118 - 10));
    QCOMPARE(w->pnlEditor->geometry(), QRect(QPoint(0, 0), panel));

    // Every size change keeps the chart on the bottom edge and the editor panel over pnlMain.
    w->resize(1000, 600);
    const QSize smaller = w->pnlMain->size();
    QVERIFY(smaller.height() < panel.height());
    QCOMPARE(w->Chart1->geometry(), QRect(0, 128, smaller.width(), smaller.height() - 128));
    QCOMPARE(w->pnlEditor->geometry(), QRect(QPoint(0, 0), smaller));
    // The controls above the chart stay where creation put them.
    QCOMPARE(w->btnDelete->pos(), QPoint(10, 61));
}

void TestSchemalWindow::labelsNameTheirControls()
{
    SchemalFixture f;
    f.createProject();
    TfmSchemal* w = f.open();

    const QList<std::tuple<QLabel*, QWidget*, QString>> pairs = {
        {w->lbEvent, w->dbedEvent, "Event"},
        {w->lbCost, w->dbedCost, "Cost"},
        {w->lbStartDate, w->dtpStartDate, "Start date"},
        {w->lbStartTime, w->dtpStartTime, "Start time"},
        {w->lbStartDay, w->edStartDay, "Start day"},
        {w->lbEndDate, w->dtpEndDate, "End date"},
        {w->lbEndTime, w->dtpEndTime, "End time"},
    };
    for (const auto& [label, control, name] : pairs) {
        QCOMPARE(label->buddy(), control);
        QCOMPARE(control->accessibleName(), name);
    }
    // What a reader announces for a picker is the editor inside it.
    QCOMPARE(w->dtpStartDate->editor()->accessibleName(), QStringLiteral("Start date"));
    QCOMPARE(w->dtpEndTime->editor()->accessibleName(), QStringLiteral("End time"));
}

void TestSchemalWindow::tabOrderFollowsTheListAndStartDateHasTheFocus()
{
    SchemalFixture f;
    f.createProject();
    TfmSchemal* w = f.open();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    QVERIFY(w->dtpStartDate->isAncestorOf(QApplication::focusWidget()));

    // The controls Tab reaches, in the order of the focus chain (Delete is still disabled, New
    // and the weekday box are no tab stops, the chart and the panels take no focus themselves).
    const QList<QWidget*> mine = {w->dtpStartDate, w->btnNew,     w->Chart1,     w->pnlGrafik,
                                  w->dtpStartTime, w->dtpEndTime, w->dtpEndDate, w->btnDocument,
                                  w->btnDelete,    w->dbedCost,   w->cbdbBooked, w->cbdbPaid,
                                  w->dbedEvent,    w->pnlEditor,  w->btnSave,    w->edStartDay};
    auto ownerOf = [&mine](QWidget* x) -> QWidget* {
        for (QWidget* c : mine)
            if (c == x || c->isAncestorOf(x))
                return c;
        return nullptr;
    };
    QList<QWidget*> reached;
    QWidget* start = w->dtpStartDate->editor();
    QWidget* x = start;
    do {
        QWidget* owner = ownerOf(x);
        const bool tabStop = (x->focusPolicy() & Qt::TabFocus) && x->isEnabled() && x->isVisibleTo(w);
        if (owner && tabStop && (reached.isEmpty() || reached.last() != owner))
            reached << owner;
        x = x->nextInFocusChain();
    } while (x != start && reached.size() < 40);
    // The picker's editor and the line edit inside it are both in the chain: the walk ends
    // on the picker it began with.
    if (reached.size() > 1 && reached.last() == reached.first())
        reached.removeLast();
    const QList<QWidget*> expected = {w->dtpStartDate, w->dtpStartTime, w->dtpEndTime, w->dtpEndDate,
                                      w->btnDocument,  w->dbedCost,     w->cbdbBooked, w->cbdbPaid,
                                      w->dbedEvent,    w->btnSave};
    QStringList got, want;
    for (QWidget* c : reached)
        got << c->objectName();
    for (QWidget* c : expected)
        want << c->objectName();
    QCOMPARE(got.join(QLatin1Char(' ')), want.join(QLatin1Char(' ')));
}

void TestSchemalWindow::pickersStartTodayAtMidnightAndTheWeekdayBoxEmpty()
{
    SchemalFixture f;
    f.createProject();
    TfmSchemal* w = f.open();

    // The clock says 13:45, but the date pickers hold today at 00:00.
    QCOMPARE(w->dtpStartDate->value(), SchemalFixture::today());
    QCOMPARE(w->dtpEndDate->value(), SchemalFixture::today());
    QCOMPARE(w->dtpStartTime->value(), 0.0);
    QCOMPARE(w->dtpEndTime->value(), 24.0);
    QCOMPARE(w->dtpStartTime->editor()->time(), QTime(0, 0));
    QCOMPARE(w->dtpEndTime->editor()->time(), QTime(0, 0));
    QCOMPARE(w->dtpStartDate->editor()->date(), QDate(2024, 5, 15));
    QVERIFY(w->edStartDay->text().isEmpty());
}

void TestSchemalWindow::chartRangeStartsThirtyDaysEitherSideOfToday()
{
    SchemalFixture f;
    f.createProject();
    TfmSchemal* w = f.open();
    QCOMPARE(w->Chart1->chart()->bottomAxis().minimum(), SchemalFixture::day(4, 15));
    QCOMPARE(w->Chart1->chart()->bottomAxis().maximum(), SchemalFixture::day(6, 14));
}

void TestSchemalWindow::projectLabelShowsTheFileNameUpToItsLastDot_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("label");
    QTest::newRow("plain") << "Trip.dat"
                           << "Trip";
    QTest::newRow("dot in the name") << "my.trip.dat"
                                     << "my.trip";
}

void TestSchemalWindow::projectLabelShowsTheFileNameUpToItsLastDot()
{
    QFETCH(QString, file);
    QFETCH(QString, label);
    SchemalFixture f(file);
    f.createProject();
    TfmSchemal* w = f.open();
    QCOMPARE(w->lbProject->text(), label);
    // The label sized itself to the new caption.
    QCOMPARE(w->lbProject->width(), w->lbProject->sizeHint().width());
}

void TestSchemalWindow::openingEmptiesOutputModeAndSetsHelpContext()
{
    SchemalFixture f;
    f.createProject();
    QCOMPARE(OutputMode, QStringLiteral("Paper"));
    TfmSchemal* w = f.open();
    QVERIFY(OutputMode.isEmpty());
    QCOMPARE(Application::helpContextOf(w), 100);
    QCOMPARE(Application::helpContextOf(w->dbedCost), 100);
    QVERIFY(w->dbSchedule->active());
    QCOMPARE(w->dbSchedule->indexName(), QStringLiteral("Start"));
    QCOMPARE(w->dbSchedule->state(), TableState::Browse);
    QCOMPARE(w->dbSchedule->dataFilePath(), f.folder() + QStringLiteral("/Trip.dat"));
}

void TestSchemalWindow::openingStandsOnTheFirstEventByName()
{
    SchemalFixture f;
    f.createProject();
    f.addEvent(QStringLiteral("Museum"), SchemalFixture::day(5, 2), SchemalFixture::day(5, 2),
               QStringLiteral("12"), true, false);
    f.addEvent(QStringLiteral("Ferry"), SchemalFixture::day(5, 9), SchemalFixture::day(5, 9), QString(),
               false, true);
    TfmSchemal* w = f.open();

    // The first event by name, then start, although the Start order is in force.
    QCOMPARE(w->dbedEvent->text(), QStringLiteral("Ferry"));
    QVERIFY(w->dbedCost->text().isEmpty());
    QVERIFY(!w->cbdbBooked->isChecked());
    QVERIFY(w->cbdbPaid->isChecked());
    QCOMPARE(w->dbSchedule->recNo(), 2);
    // The pickers do not follow it.
    QCOMPARE(w->dtpStartDate->value(), SchemalFixture::today());
    QVERIFY(w->edStartDay->text().isEmpty());
    QVERIFY(f.dialogs.calls().isEmpty());
}

void TestSchemalWindow::tableThatCannotBeOpened_data()
{
    QTest::addColumn<QByteArray>("content"); // empty: no file at all
    QTest::newRow("missing file") << QByteArray();
    QTest::newRow("foreign file") << QByteArray("This is not a table of events at all.\n");
}

void TestSchemalWindow::tableThatCannotBeOpened()
{
    QFETCH(QByteArray, content);
    SchemalFixture f;
    if (!content.isEmpty()) {
        QFile file(f.folder() + QStringLiteral("/Trip.dat"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    TfmSchemal* w = f.open();

    QCOMPARE(f.dialogs.calls().size(), 1);
    QCOMPARE(f.dialogs.calls()[0].kind, DialogKind::Message);
    QCOMPARE(f.dialogs.calls()[0].text, QStringLiteral("Error in database.\r\n(Wrong file?)"));
    QVERIFY(w->isVisible());
    QVERIFY(!w->dbSchedule->active());
    // Creation ended at the table: no project name, no help context, OutputMode untouched;
    // the pickers and the chart range were set before it.
    QCOMPARE(w->lbProject->text(), QStringLiteral("Project"));
    QCOMPARE(Application::helpContextOf(w), 0);
    QCOMPARE(OutputMode, QStringLiteral("Paper"));
    QCOMPARE(w->dtpStartDate->value(), SchemalFixture::today());
    QCOMPARE(w->Chart1->chart()->bottomAxis().maximum(), SchemalFixture::today() + 30);

    // The bound controls are empty and take no typing; Delete stays disabled.
    QTest::keyClicks(w->dbedEvent, QStringLiteral("Dinner"));
    QVERIFY(w->dbedEvent->text().isEmpty());
    QVERIFY(w->dbedCost->text().isEmpty());
    QVERIFY(!w->btnDelete->isEnabled());
    f.dialogs.takeCalls();

    // New and Save stop with the engine's message in the default error box.
    SchemalFixture::click(w->btnNew);
    SchemalFixture::click(w->btnSave);
    const QString closed = QStringLiteral("Cannot perform this operation on a closed dataset.");
    QCOMPARE(f.dialogs.textsOf(DialogKind::DefaultError), (QStringList{closed, closed}));
    QCOMPARE(f.dialogs.calls().size(), 2);
    QVERIFY(!w->btnDelete->isEnabled());

    // Exit simply closes the window.
    w->mnAter->trigger();
    QVERIFY(!w->isVisible());
    QCOMPARE(w->result(), int(QDialog::Rejected));
    QCOMPARE(f.dialogs.calls().size(), 2);
}

FERNGROVE_TEST_MAIN(TestSchemalWindow)
#include "tst_schemal_window.moc"

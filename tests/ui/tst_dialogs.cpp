// Message boxes and file dialogs through Dialogs: what each kind shows, the scripted answers,
// the file dialog components and the real dialogs driven on screen.

#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/ScriptedDialogs.h"
#include "platform/ui/TestMain.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

Q_DECLARE_METATYPE(DialogKind)
Q_DECLARE_METATYPE(DialogIcon)

namespace {

// Runs action on the next modal dialog of type T once it is shown.
template <typename T>
void whenShown(std::function<void(T*)> action)
{
    QTimer::singleShot(0, [action] {
        T* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!dialog) {
            whenShown<T>(action);
            return;
        }
        action(dialog);
    });
}

} // namespace

class TestDialogs : public QObject
{
    Q_OBJECT
private slots:
    void init() { Application::setTitle(QStringLiteral("Ferngrove")); }

    void shouldConvertFilters_data();
    void shouldConvertFilters();
    void shouldResolveTypedNames_data();
    void shouldResolveTypedNames();
    void shouldShowEachKindWithItsCaptionAndIcon_data();
    void shouldShowEachKindWithItsCaptionAndIcon();
    void shouldAnswerConfirmationsFromTheQueue();
    void shouldFailTheTestWhenNoAnswerIsQueued();
    void shouldKeepTheChosenPathInTheComponent();
    void shouldKeepTheNameWhenCancelled();
    void shouldAddTheDefaultExtensionToTheShownName();

    void realBoxesShowTitleIconAndOk_data();
    void realBoxesShowTitleIconAndOk();
    void realConfirmationClosedCountsAsNo();
    void realConfirmationYes();
    void realSaveDialogAddsExtensionWithoutOverwritePrompt();
    void realOpenDialogAcceptsAMissingFile();
};

void TestDialogs::shouldConvertFilters_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("qt");
    QTest::newRow("one pair") << "Databases|*.dat" << "Databases (*.dat)";
    QTest::newRow("two pairs") << "PDF files|*.pdf|All|*.*" << "PDF files (*.pdf);;All (*.*)";
    QTest::newRow("several patterns") << "Pictures|*.bmp;*.png" << "Pictures (*.bmp *.png)";
    QTest::newRow("empty") << "" << "";
}

void TestDialogs::shouldConvertFilters()
{
    QFETCH(QString, filter);
    QFETCH(QString, qt);
    QCOMPARE(Dialogs::toQtFilter(filter), qt);
}

void TestDialogs::shouldResolveTypedNames_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("ext");
    QTest::addColumn<QString>("path");
    QTest::newRow("name gets extension") << "NoName" << "/p" << "dat" << "/p/NoName.dat";
    QTest::newRow("own extension kept") << "a.b" << "/p" << "dat" << "/p/a.b";
    QTest::newRow("no default extension") << "Trip" << "/p" << "" << "/p/Trip";
    QTest::newRow("absolute path") << "/q/Trip" << "/p" << "dat" << "/q/Trip.dat";
    QTest::newRow("dot in folder only") << "/q.r/Trip" << "/p" << "dat" << "/q.r/Trip.dat";
    QTest::newRow("nothing typed") << "" << "/p" << "dat" << "";
}

void TestDialogs::shouldResolveTypedNames()
{
    QFETCH(QString, typed);
    QFETCH(QString, folder);
    QFETCH(QString, ext);
    QFETCH(QString, path);
    QCOMPARE(Dialogs::resolveTypedName(typed, folder, ext), path);
}

void TestDialogs::shouldShowEachKindWithItsCaptionAndIcon_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<DialogKind>("kind");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<DialogIcon>("icon");
    QTest::newRow("plain message") << 0 << DialogKind::Message << "Ferngrove" << DialogIcon::None;
    QTest::newRow("confirmation") << 1 << DialogKind::Confirmation << "Confirm" << DialogIcon::Question;
    QTest::newRow("error box") << 2 << DialogKind::Error << "Error" << DialogIcon::Error;
    QTest::newRow("default error box") << 3 << DialogKind::DefaultError << "Ferngrove" << DialogIcon::Stop;
}

void TestDialogs::shouldShowEachKindWithItsCaptionAndIcon()
{
    QFETCH(int, which);
    QFETCH(DialogKind, kind);
    QFETCH(QString, caption);
    QFETCH(DialogIcon, icon);

    ScriptedDialogs dialogs;
    const QString text = QStringLiteral("Error in database.\r\n(Wrong file?)");
    switch (which) {
    case 0: Dialogs::instance().showMessage(text); break;
    case 1:
        dialogs.answerConfirm(true);
        QVERIFY(Dialogs::instance().confirm(text));
        break;
    case 2: Dialogs::instance().errorBox(text); break;
    case 3: Dialogs::instance().defaultErrorBox(text); break;
    }
    QCOMPARE(dialogs.calls().size(), 1);
    const DialogRequest r = dialogs.calls()[0];
    QCOMPARE(r.kind, kind);
    QCOMPARE(r.text, text);
    QCOMPARE(r.caption, caption);
    QCOMPARE(r.icon, icon);
}

void TestDialogs::shouldAnswerConfirmationsFromTheQueue()
{
    ScriptedDialogs dialogs;
    dialogs.answerConfirm(true);
    dialogs.answerConfirm(false);
    QVERIFY(Dialogs::instance().confirm(QStringLiteral("Delete project?")));
    QVERIFY(!Dialogs::instance().confirm(QStringLiteral("Delete project?")));
    QCOMPARE(dialogs.pendingAnswers(), 0);
    QCOMPARE(dialogs.textsOf(DialogKind::Confirmation).size(), 2);
}

void TestDialogs::shouldFailTheTestWhenNoAnswerIsQueued()
{
    ScriptedDialogs dialogs;
    QEXPECT_FAIL("", "a question with nothing queued must fail the test", Continue);
    const bool yes = Dialogs::instance().confirm(QStringLiteral("Delete project?"));
    QVERIFY(!yes);
    QCOMPARE(dialogs.calls().size(), 1);
}

void TestDialogs::shouldKeepTheChosenPathInTheComponent()
{
    ScriptedDialogs dialogs;
    OpenDialog open;
    open.setFilter(QStringLiteral("Databases|*.dat"));
    open.setInitialDir(QStringLiteral("/home/u/Projects"));
    dialogs.answerFile(QStringLiteral("Trip.dat"));
    dialogs.answerFileAsShown();

    QVERIFY(open.execute());
    QCOMPARE(open.fileName(), QStringLiteral("/home/u/Projects/Trip.dat"));
    QVERIFY(open.execute());
    QCOMPARE(open.fileName(), QStringLiteral("/home/u/Projects/Trip.dat"));

    const QList<DialogRequest> calls = dialogs.callsOf(DialogKind::OpenFile);
    QCOMPARE(calls.size(), 2);
    QCOMPARE(calls[0].filter, QStringLiteral("Databases|*.dat"));
    QCOMPARE(calls[0].initialDir, QStringLiteral("/home/u/Projects"));
    QCOMPARE(calls[0].fileName, QString());
    QCOMPARE(calls[1].fileName, QStringLiteral("/home/u/Projects/Trip.dat"));
}

void TestDialogs::shouldKeepTheNameWhenCancelled()
{
    ScriptedDialogs dialogs;
    SaveDialog save;
    save.setFileName(QStringLiteral("NoName"));
    dialogs.answerCancel();
    QVERIFY(!save.execute());
    QCOMPARE(save.fileName(), QStringLiteral("NoName"));
    QCOMPARE(dialogs.calls()[0].kind, DialogKind::SaveFile);
}

void TestDialogs::shouldAddTheDefaultExtensionToTheShownName()
{
    ScriptedDialogs dialogs;
    SaveDialog save;
    save.setInitialDir(QStringLiteral("/p"));
    save.setDefaultExt(QStringLiteral("dat"));
    save.setFileName(QStringLiteral("NoName"));
    dialogs.answerFileAsShown();
    QVERIFY(save.execute());
    QCOMPARE(save.fileName(), QStringLiteral("/p/NoName.dat"));
    QCOMPARE(dialogs.calls()[0].defaultExt, QStringLiteral("dat"));
}

void TestDialogs::realBoxesShowTitleIconAndOk_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("icon");
    QTest::newRow("plain message") << 0 << "Ferngrove" << int(QMessageBox::NoIcon);
    QTest::newRow("error box") << 1 << "Error" << int(QMessageBox::Critical);
    QTest::newRow("default error box") << 2 << "Ferngrove" << int(QMessageBox::Critical);
}

void TestDialogs::realBoxesShowTitleIconAndOk()
{
    QFETCH(int, which);
    QFETCH(QString, title);
    QFETCH(int, icon);

    QString shownTitle, shownText;
    int shownIcon = -1;
    QMessageBox::StandardButtons buttons;
    whenShown<QMessageBox>([&](QMessageBox* box) {
        shownTitle = box->windowTitle();
        shownText = box->text();
        shownIcon = int(box->icon());
        buttons = box->standardButtons();
        box->button(QMessageBox::Ok)->click();
    });
    const QString text = QStringLiteral("Invalid project name.");
    switch (which) {
    case 0: Dialogs::instance().showMessage(text); break;
    case 1: Dialogs::instance().errorBox(text); break;
    case 2: Dialogs::instance().defaultErrorBox(text); break;
    }
    QCOMPARE(shownTitle, title);
    QCOMPARE(shownText, text);
    QCOMPARE(shownIcon, icon);
    QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

void TestDialogs::realConfirmationClosedCountsAsNo()
{
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    whenShown<QMessageBox>([&](QMessageBox* box) {
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        box->close(); // closed by its frame
    });
    QVERIFY(!Dialogs::instance().confirm(QStringLiteral("Delete project?")));
    QCOMPARE(title, QStringLiteral("Confirm"));
    QCOMPARE(text, QStringLiteral("Delete project?"));
    QCOMPARE(icon, QMessageBox::Question);
}

void TestDialogs::realConfirmationYes()
{
    whenShown<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
    QVERIFY(Dialogs::instance().confirm(QStringLiteral("Delete project?")));
}

void TestDialogs::realSaveDialogAddsExtensionWithoutOverwritePrompt()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile existing(dir.filePath(QStringLiteral("Trip.dat")));
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.close();

    bool noPrompt = false;
    QString filters;
    whenShown<QFileDialog>([&](QFileDialog* dialog) {
        noPrompt = dialog->testOption(QFileDialog::DontConfirmOverwrite);
        filters = dialog->nameFilters().join(QStringLiteral(";;"));
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (edit)
            edit->setText(QStringLiteral("Trip"));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    const std::optional<QString> chosen =
        Dialogs::instance().saveFile(QStringLiteral("Databases|*.dat"), dir.path(), QStringLiteral("NoName"), QStringLiteral("dat"));
    QVERIFY(noPrompt);
    QCOMPARE(filters, QStringLiteral("Databases (*.dat)"));
    QVERIFY(chosen.has_value());
    QCOMPARE(*chosen, dir.filePath(QStringLiteral("Trip.dat")));
}

void TestDialogs::realOpenDialogAcceptsAMissingFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    whenShown<QFileDialog>([](QFileDialog* dialog) {
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (edit)
            edit->setText(QStringLiteral("Missing.dat"));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    const std::optional<QString> chosen = Dialogs::instance().openFile(QStringLiteral("Databases|*.dat"), dir.path(), QString());
    QVERIFY(chosen.has_value());
    QCOMPARE(*chosen, dir.filePath(QStringLiteral("Missing.dat")));
}

FERNGROVE_TEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"

// Scenario tests of the main window's menu: open, create and delete projects, scheduling
// without a project, help and exit, driven through the real menu actions.

#include "StartFixture.h"
#include "schedule/Schemal.h"

#include "platform/ui/TestMain.h"

#include <QAction>
#include <QTimer>
#include <algorithm>

class TestStartMenu : public QObject
{
    Q_OBJECT
private slots:
    void newProjectRefusesNoNameExactly_data();
    void newProjectRefusesNoNameExactly();
    void newProjectOverAnExistingOneKeepsItsRows();
    void newProjectInAFolderThatCannotBeWritten_data();
    void newProjectInAFolderThatCannotBeWritten();
    void newProjectWithQuotesAndNonLatinLetters_data();
    void newProjectWithQuotesAndNonLatinLetters();
    void newProjectCancelledChangesNothing();
    void openProjectKeepsThePathForNextTime();
    void deleteProjectRemovesTheThreeFiles_data();
    void deleteProjectRemovesTheThreeFiles();
    void deleteProjectAnsweredNoOrCancelledDeletesNothing_data();
    void deleteProjectAnsweredNoOrCancelledDeletesNothing();
    void schedulingWithoutAProjectShowsTheMessage();
    void schedulingWithAProjectAsksNothing();
    void helpShowsWhatIsMissing_data();
    void helpShowsWhatIsMissing();
    void helpStartsTheViewerWithTheHelpFile();
    void exitEndsTheMessageLoop();
};

void TestStartMenu::newProjectRefusesNoNameExactly_data()
{
    QTest::addColumn<QString>("typed"); // empty: the initial name accepted as shown
    QTest::addColumn<bool>("refused");
    QTest::addColumn<QString>("fileName");
    QTest::newRow("initial name") << "" << true << "NoName.dat";
    QTest::newRow("typed with extension") << "NoName.dat" << true << "NoName.dat";
    QTest::newRow("small letters") << "noname" << false << "noname.dat";
    QTest::newRow("other letter case") << "NONAME.dat" << false << "NONAME.dat";
}

void TestStartMenu::newProjectRefusesNoNameExactly()
{
    QFETCH(QString, typed);
    QFETCH(bool, refused);
    QFETCH(QString, fileName);

    StartFixture f;
    QVERIFY(f.makeProjectsFolder());
    TfmStart* w = f.start();
    typed.isEmpty() ? f.dialogs.answerFileAsShown() : f.dialogs.answerFile(typed);

    w->mnOpenNew->trigger();

    const QList<DialogRequest> save = f.dialogs.callsOf(DialogKind::SaveFile);
    QCOMPARE(save.size(), 1);
    QCOMPARE(save[0].filter, QStringLiteral("Databases|*.dat"));
    QCOMPARE(save[0].initialDir, f.projects());
    QCOMPARE(save[0].fileName, QStringLiteral("NoName"));
    QCOMPARE(save[0].defaultExt, QStringLiteral("dat"));
    const QString base = fileName.left(fileName.size() - 4);
    if (refused) {
        QCOMPARE(f.dialogs.textsOf(DialogKind::Message), QStringList{QStringLiteral("Invalid project name.")});
        QCOMPARE(f.dialogs.calls()[1].caption, QStringLiteral("Ferngrove"));
        QVERIFY(ProjectDir.isEmpty());
        QVERIFY(ProjectFile.isEmpty());
        QVERIFY(!QFile::exists(f.projectPath(fileName)));
    } else {
        QCOMPARE(f.dialogs.calls().size(), 1);
        QVERIFY(StartFixture::projectFilesExist(f.projects(), base));
        QCOMPARE(ProjectDir, f.projects());
        QCOMPARE(ProjectFile, fileName);
        QCOMPARE(StartFixture::rowCount(ProjectDir, ProjectFile), 0);
    }
    // The dialog keeps the chosen path for the next showing.
    QCOMPARE(w->SaveDialog1->fileName(), f.projectPath(fileName));
}

void TestStartMenu::newProjectOverAnExistingOneKeepsItsRows()
{
    // GIVEN a project Trip with one event, and another project current
    StartFixture f;
    QVERIFY(f.makeProjectsFolder());
    QVERIFY(dmService->CreateProjectTable(f.projects(), QStringLiteral("Trip.dat")));
    StartFixture::addEvent(f.projects(), QStringLiteral("Trip.dat"), QStringLiteral("Flight"));
    ProjectDir = QStringLiteral("/elsewhere");
    ProjectFile = QStringLiteral("Other.dat");
    TfmStart* w = f.start();

    // WHEN a new project of that name is asked for
    f.dialogs.answerFile(QStringLiteral("Trip"));
    w->mnOpenNew->trigger();

    // THEN the engine's refusal is shown, the old rows survive and Trip is current
    QCOMPARE(f.dialogs.textsOf(DialogKind::DefaultError),
             QStringList{QStringLiteral("The table 'Trip.dat' already exists.")});
    QCOMPARE(f.dialogs.callsOf(DialogKind::DefaultError)[0].icon, DialogIcon::Stop);
    QCOMPARE(StartFixture::rowCount(f.projects(), QStringLiteral("Trip.dat")), 1);
    QCOMPARE(ProjectDir, f.projects());
    QCOMPARE(ProjectFile, QStringLiteral("Trip.dat"));
}

void TestStartMenu::newProjectInAFolderThatCannotBeWritten_data()
{
    // Run as root, a read-only folder is still writable; a path under a regular file or a
    // missing folder cannot be written by anyone.
    QTest::addColumn<QString>("typed"); // relative to AppDir
    QTest::newRow("missing Projects folder") << "Projects/Trip";
    QTest::newRow("missing folder") << "nowhere/deeper/Trip";
    QTest::newRow("folder is a file") << "file.txt/sub/Trip";
}

void TestStartMenu::newProjectInAFolderThatCannotBeWritten()
{
    QFETCH(QString, typed);
    StartFixture f;
    QVERIFY(StartFixture::writeFile(f.appDir() + QStringLiteral("/file.txt")));
    TfmStart* w = f.start();
    const QString chosen = f.appDir() + QLatin1Char('/') + typed + QStringLiteral(".dat");

    f.dialogs.answerFile(chosen);
    w->mnOpenNew->trigger();

    const QStringList errors = f.dialogs.textsOf(DialogKind::DefaultError);
    QCOMPARE(errors.size(), 1);
    // The message names the folder that could not take the table.
    QVERIFY2(errors[0].contains(QFileInfo(chosen).absolutePath()) && errors[0].endsWith(QLatin1Char('.')),
             qPrintable(errors[0]));
    QCOMPARE(ProjectDir, QFileInfo(chosen).absolutePath());
    QCOMPARE(ProjectFile, QStringLiteral("Trip.dat"));
    QVERIFY(!QFile::exists(chosen));

    // The program goes on: a project in AppDir itself is created next.
    f.dialogs.answerFile(f.appDir() + QStringLiteral("/Next"));
    w->mnOpenNew->trigger();
    QCOMPARE(f.dialogs.textsOf(DialogKind::DefaultError).size(), 1);
    QVERIFY(StartFixture::projectFilesExist(f.appDir(), QStringLiteral("Next")));
}

void TestStartMenu::newProjectWithQuotesAndNonLatinLetters_data()
{
    QTest::addColumn<QString>("base");
    QTest::newRow("quotes and a ring") << QStringLiteral("Resa till Åre \"2027\"");
    QTest::newRow("Japanese") << QStringLiteral("東京");
    QTest::newRow("apostrophe") << QStringLiteral("Kim's trip");
}

void TestStartMenu::newProjectWithQuotesAndNonLatinLetters()
{
    QFETCH(QString, base);
    StartFixture f;
    QVERIFY(f.makeProjectsFolder());
    TfmStart* w = f.start();
    f.dialogs.answerFile(base + QStringLiteral(".dat"));
    w->mnOpenNew->trigger();

    QCOMPARE(f.dialogs.calls().size(), 1);
    QVERIFY(StartFixture::projectFilesExist(f.projects(), base));
    QCOMPARE(ProjectFile, base + QStringLiteral(".dat"));
    QCOMPARE(StartFixture::rowCount(ProjectDir, ProjectFile), 0);
}

void TestStartMenu::newProjectCancelledChangesNothing()
{
    StartFixture f;
    QVERIFY(f.makeProjectsFolder());
    ProjectDir = QStringLiteral("/kept");
    ProjectFile = QStringLiteral("Kept.dat");
    TfmStart* w = f.start();
    f.dialogs.answerCancel();
    w->mnOpenNew->trigger();
    QCOMPARE(ProjectDir, QStringLiteral("/kept"));
    QCOMPARE(ProjectFile, QStringLiteral("Kept.dat"));
    QCOMPARE(QDir(f.projects()).entryList(QDir::Files), QStringList());
    QCOMPARE(w->SaveDialog1->fileName(), QStringLiteral("NoName"));
}

void TestStartMenu::openProjectKeepsThePathForNextTime()
{
    StartFixture f;
    QVERIFY(f.makeProjectsFolder());
    TfmStart* w = f.start();

    // A name of a file that does not exist is taken without looking at it.
    f.dialogs.answerFile(QStringLiteral("my.trip.dat"));
    w->mnOpenOld->trigger();
    QCOMPARE(ProjectDir, f.projects());
    QCOMPARE(ProjectFile, QStringLiteral("my.trip.dat"));

    f.dialogs.answerCancel();
    w->mnOpenOld->trigger();
    QCOMPARE(ProjectFile, QStringLiteral("my.trip.dat"));

    const QList<DialogRequest> open = f.dialogs.callsOf(DialogKind::OpenFile);
    QCOMPARE(open.size(), 2);
    QCOMPARE(open[0].filter, QStringLiteral("Databases|*.dat"));
    QCOMPARE(open[0].initialDir, f.projects());
    QCOMPARE(open[0].fileName, QString());
    QCOMPARE(open[1].fileName, f.projectPath(QStringLiteral("my.trip.dat")));
}

void TestStartMenu::deleteProjectRemovesTheThreeFiles_data()
{
    QTest::addColumn<QString>("picked");
    QTest::addColumn<QString>("base");
    QTest::addColumn<QStringList>("present"); // the project's own files before deleting
    QTest::addColumn<QStringList>("left");
    const QStringList all{".dat", ".idx", ".blb"};
    QTest::newRow("dotted name") << "a.b.dat" << "a.b" << all << QStringList{"a.dat", "a.idx", "a.b.txt"};
    QTest::newRow("picked without extension") << "Trip" << "Trip" << all << QStringList{"Trip.txt", "Trip2.dat"};
    QTest::newRow("index file missing") << "Solo.dat" << "Solo" << QStringList{".dat", ".blb"} << QStringList{};
}

void TestStartMenu::deleteProjectRemovesTheThreeFiles()
{
    QFETCH(QString, picked);
    QFETCH(QString, base);
    QFETCH(QStringList, present);
    QFETCH(QStringList, left);

    StartFixture f;
    QVERIFY(f.makeProjectsFolder());
    for (const QString& ext : present)
        QVERIFY(StartFixture::writeFile(f.projectPath(base + ext)));
    for (const QString& name : left)
        QVERIFY(StartFixture::writeFile(f.projectPath(name)));
    ProjectDir = f.projects();
    ProjectFile = base + QStringLiteral(".dat");
    TfmStart* w = f.start();

    f.dialogs.answerFile(picked);
    f.dialogs.answerConfirm(true);
    w->mnDelete->trigger();

    QCOMPARE(f.dialogs.textsOf(DialogKind::Confirmation), QStringList{QStringLiteral("Delete project?")});
    QCOMPARE(f.dialogs.callsOf(DialogKind::Confirmation)[0].caption, QStringLiteral("Confirm"));
    QCOMPARE(f.dialogs.calls().size(), 2); // no message follows, also for missing files
    QStringList remaining = QDir(f.projects()).entryList(QDir::Files);
    remaining.sort();
    left.sort();
    QCOMPARE(remaining, left);
    // Deleting the current project leaves it current.
    QCOMPARE(ProjectFile, base + QStringLiteral(".dat"));
    QCOMPARE(w->OpenDialog1->fileName(), QString());
}

void TestStartMenu::deleteProjectAnsweredNoOrCancelledDeletesNothing_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::newRow("answered No") << false;
    QTest::newRow("dialog cancelled") << true;
}

void TestStartMenu::deleteProjectAnsweredNoOrCancelledDeletesNothing()
{
    QFETCH(bool, cancel);
    StartFixture f;
    QVERIFY(f.makeProjectsFolder());
    for (const char* ext : {".dat", ".idx", ".blb"})
        QVERIFY(StartFixture::writeFile(f.projectPath(QStringLiteral("Trip") + QLatin1String(ext))));
    TfmStart* w = f.start();

    // An earlier Open leaves its path in the shared dialog.
    f.dialogs.answerFile(QStringLiteral("Trip.dat"));
    w->mnOpenOld->trigger();
    QCOMPARE(w->OpenDialog1->fileName(), f.projectPath(QStringLiteral("Trip.dat")));

    if (cancel) {
        f.dialogs.answerCancel();
    } else {
        f.dialogs.answerFileAsShown();
        f.dialogs.answerConfirm(false);
    }
    w->mnDelete->trigger();

    QCOMPARE(f.dialogs.callsOf(DialogKind::Confirmation).size(), cancel ? 0 : 1);
    QCOMPARE(QDir(f.projects()).entryList(QDir::Files).size(), 3);
    QCOMPARE(w->OpenDialog1->fileName(), QString());

    // The next Open starts with an empty name.
    f.dialogs.answerCancel();
    w->mnOpenOld->trigger();
    QCOMPARE(f.dialogs.callsOf(DialogKind::OpenFile).last().fileName, QString());
}

void TestStartMenu::schedulingWithoutAProjectShowsTheMessage()
{
    StartFixture f;
    TfmStart* w = f.start();
    w->mnSchemalaggning->trigger();
    QCOMPARE(f.dialogs.textsOf(DialogKind::Message),
             QStringList{QStringLiteral("You have to open a project or start a new.")});
    QCOMPARE(f.dialogs.calls().size(), 1);
    const QWidgetList tops = QApplication::topLevelWidgets();
    QVERIFY(std::none_of(tops.begin(), tops.end(),
                         [w](QWidget* t) { return t->isVisible() && t != w; }));
}

void TestStartMenu::schedulingWithAProjectAsksNothing()
{
    StartFixture f;
    QVERIFY(f.makeProjectsFolder());
    QVERIFY(dmService->CreateProjectTable(f.projects(), QStringLiteral("Trip.dat")));
    ProjectDir = f.projects();
    ProjectFile = QStringLiteral("Trip.dat");
    TfmStart* w = f.start();
    // The scheduling window is shown modally: close it from inside its showing.
    bool shown = false;
    QTimer::singleShot(0, w, [&shown] {
        shown = fmSchemal && fmSchemal->isVisible();
        if (fmSchemal)
            fmSchemal->done(QDialog::Rejected);
    });
    w->mnSchemalaggning->trigger();
    QVERIFY(shown);
    QCOMPARE(f.dialogs.calls().size(), 0);
}

void TestStartMenu::helpShowsWhatIsMissing_data()
{
    QTest::addColumn<bool>("helpFileThere");
    QTest::addColumn<bool>("byF1");
    QTest::addColumn<QString>("message");
    QTest::newRow("no help file, menu") << false << false << "The help file '%1' was not found.";
    QTest::newRow("no help file, F1") << false << true << "The help file '%1' was not found.";
    QTest::newRow("no viewer, menu") << true << false
                                     << "No help viewer is installed to show '%1' (for example xchm or kchmviewer).";
}

void TestStartMenu::helpShowsWhatIsMissing()
{
    QFETCH(bool, helpFileThere);
    QFETCH(bool, byF1);
    QFETCH(QString, message);

    StartFixture f;
    const QString chm = f.appDir() + QStringLiteral("/Help/Ferngrove.chm");
    if (helpFileThere) {
        QVERIFY(QDir(f.appDir()).mkdir(QStringLiteral("Help")));
        QVERIFY(StartFixture::writeFile(chm));
    }
    TfmStart* w = f.start();
    if (byF1)
        QTest::keyClick(w, Qt::Key_F1);
    else
        w->mnHelp->trigger();

    QCOMPARE(f.dialogs.textsOf(DialogKind::DefaultError), QStringList{message.arg(chm)});
    QVERIFY(f.shell.calls().isEmpty());
}

void TestStartMenu::helpStartsTheViewerWithTheHelpFile()
{
    StartFixture f;
    QVERIFY(QDir(f.appDir()).mkdir(QStringLiteral("Help")));
    const QString chm = f.appDir() + QStringLiteral("/Help/Ferngrove.chm");
    QVERIFY(StartFixture::writeFile(chm));
    f.shell.addProgram(QStringLiteral("xchm"), QStringLiteral("/usr/bin/xchm"));
    f.shell.setDefaultResult(ShellResult::Started);
    TfmStart* w = f.start();
    QCOMPARE(w->HelpRouter1->helpFile(), chm);
    QCOMPARE(w->HelpRouter1->helpType(), HelpType::HtmlHelp);

    w->mnHelp->trigger();
    QCOMPARE(f.dialogs.calls().size(), 0);
    QCOMPARE(f.shell.calls().size(), 1);
    QCOMPARE(f.shell.calls()[0].fileName, QStringLiteral("/usr/bin/xchm"));
    QCOMPARE(f.shell.calls()[0].parameters, chm);
}

void TestStartMenu::exitEndsTheMessageLoop()
{
    StartFixture f;
    TfmStart* w = f.start();
    bool timedOut = false;
    QTimer::singleShot(0, w, [w] { w->mnStang->trigger(); });
    QTimer guardTimer;
    guardTimer.setSingleShot(true);
    connect(&guardTimer, &QTimer::timeout, this, [&timedOut] {
        timedOut = true;
        QCoreApplication::exit(1);
    });
    guardTimer.start(20000);
    const int code = QCoreApplication::exec();
    QVERIFY(!timedOut);
    QCOMPARE(code, 0);
}

FERNGROVE_TEST_MAIN(TestStartMenu)
#include "tst_start_menu.moc"

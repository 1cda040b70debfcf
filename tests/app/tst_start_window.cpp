// The main window as it opens: components, start-up values, the logo and the placing of the
// logo and the program name when the window's size changes.

#include "StartFixture.h"

#include "platform/ui/TestMain.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>

class TestStartWindow : public QObject
{
    Q_OBJECT
private slots:
    void shouldOpenWithTheComponentsAndNames();
    void shouldOpenTheMenuFromTheKeyboard();
    void shouldSetTheStartUpValuesFromTheCurrentFolder();
    void shouldKeepThePictureEmptyWithoutALogo();
    void shouldShowAValidLogoAtItsSize();
    void shouldReportALogoThatIsNoPictureAndStillOpen();
    void shouldIgnoreAFolderNamedLikeTheLogo();
    void shouldPlaceLogoAndNameByTheOuterSize_data();
    void shouldPlaceLogoAndNameByTheOuterSize();
};

void TestStartWindow::shouldOpenWithTheComponentsAndNames()
{
    StartFixture f;
    TfmStart* w = f.start();

    QCOMPARE(w->windowTitle(), QStringLiteral("Ferngrove"));
    QCOMPARE(w->frameGeometry().size(), QSize(1086, 925));
    if (const QScreen* s = w->screen())
        QVERIFY((w->frameGeometry().center() - s->availableGeometry().center()).manhattanLength() <= 2);
    QCOMPARE(w->font().family(), QStringLiteral("MS Sans Serif"));
    QCOMPARE(w->font().pointSize(), 8);
    QCOMPARE(w->menuBar(), w->MainMenu1);
    QCOMPARE(w->centralWidget(), w->Panel1);

    // The menu bar: Archive, Schedules, and Help acting directly.
    const QList<QAction*> top = w->MainMenu1->actions();
    QCOMPARE(top.size(), 3);
    QCOMPARE(top[0]->menu(), w->mnArkiv);
    QCOMPARE(top[0]->text(), QStringLiteral("Archive"));
    QCOMPARE(top[1]->menu(), w->Schema1);
    QCOMPARE(top[1]->text(), QStringLiteral("Schedules"));
    QCOMPARE(top[2], w->mnHelp);
    QVERIFY(!w->mnHelp->menu());
    QCOMPARE(w->mnHelp->text(), QStringLiteral("Help"));

    const QStringList archive{"mnOpenOld:Open project", "mnOpenNew:New project", "mnDelete:Delete project",
                              "mnStang:Exit"};
    QStringList seen;
    for (QAction* a : w->mnArkiv->actions())
        seen << a->objectName() + QLatin1Char(':') + a->text();
    QCOMPARE(seen, archive);
    QCOMPARE(w->Schema1->actions(), QList<QAction*>{w->mnSchemalaggning});
    QCOMPARE(w->mnSchemalaggning->text(), QStringLiteral("Scheduling"));

    for (const char* name : {"MainMenu1", "mnArkiv", "Schema1", "Panel1", "lbProgram", "Image1"})
        QVERIFY2(w->findChild<QWidget*>(QLatin1String(name)), name);
    for (const char* name : {"mnOpenOld", "mnOpenNew", "mnDelete", "mnStang", "mnSchemalaggning", "mnHelp"})
        QVERIFY2(w->findChild<QAction*>(QLatin1String(name)), name);
    QCOMPARE(w->OpenDialog1->objectName(), QStringLiteral("OpenDialog1"));
    QCOMPARE(w->SaveDialog1->objectName(), QStringLiteral("SaveDialog1"));
    QCOMPARE(w->Image1->accessibleName(), QStringLiteral("Logo"));
    QCOMPARE(w->mnArkiv->accessibleName(), QStringLiteral("Archive"));

    QCOMPARE(w->lbProgram->text(), QStringLiteral("Ferngrove"));
    QCOMPARE(w->lbProgram->font().family(), QStringLiteral("Century Schoolbook"));
    QCOMPARE(w->lbProgram->font().pointSize(), 14);
    QCOMPARE(w->lbProgram->size(), w->lbProgram->sizeHint());

    QCOMPARE(w->OpenDialog1->filter(), QStringLiteral("Databases|*.dat"));
    QCOMPARE(w->OpenDialog1->fileName(), QString());
    QCOMPARE(w->SaveDialog1->filter(), QStringLiteral("Databases|*.dat"));
    QCOMPARE(w->SaveDialog1->defaultExt(), QStringLiteral("dat"));
    QCOMPARE(w->SaveDialog1->fileName(), QStringLiteral("NoName"));
    QCOMPARE(w->HelpRouter1->cshelpFile(), QStringLiteral("CSHelp.txt"));
    QVERIFY(!w->HelpRouter1->validateId());
    QCOMPARE(f.dialogs.calls().size(), 0);
}

void TestStartWindow::shouldOpenTheMenuFromTheKeyboard()
{
    StartFixture f;
    TfmStart* w = f.start();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    QVERIFY(!w->mnArkiv->isVisible());
    QTest::keyClick(w, Qt::Key_F10);
    QVERIFY(w->mnArkiv->isVisible());
    QCOMPARE(w->MainMenu1->activeAction(), w->mnArkiv->menuAction());
    w->mnArkiv->hide();
}

void TestStartWindow::shouldSetTheStartUpValuesFromTheCurrentFolder()
{
    // The current folder, not the program's own folder, is AppDir; a missing Projects folder
    // is not reported and still given to the dialogs.
    StartFixture f;
    TfmStart* w = f.start();
    QCOMPARE(AppDir, f.appDir());
    QVERIFY(AppDir != QCoreApplication::applicationDirPath());
    QCOMPARE(ProjectsDir, f.projects());
    QVERIFY(!QFileInfo::exists(ProjectsDir));
    QCOMPARE(w->OpenDialog1->initialDir(), f.projects());
    QCOMPARE(w->SaveDialog1->initialDir(), f.projects());
    QCOMPARE(w->HelpRouter1->helpFile(), f.appDir() + QStringLiteral("/Help/Ferngrove.chm"));
    QCOMPARE(w->HelpRouter1->helpType(), HelpType::HtmlHelp);
    QCOMPARE(CountryCode, GetCountryCode());
    QCOMPARE(CountryCode.size(), 2);
    QCOMPARE(Application::helpContextOf(w), 100);
    QVERIFY(ProjectDir.isEmpty());
    QVERIFY(ProjectFile.isEmpty());
    QCOMPARE(f.dialogs.calls().size(), 0);
}

void TestStartWindow::shouldKeepThePictureEmptyWithoutALogo()
{
    StartFixture f;
    QVERIFY(f.makeProjectsFolder());
    TfmStart* w = f.start();
    QVERIFY(w->Image1->pixmap().isNull());
    QCOMPARE(w->Image1->size(), QSize(310, 305)); // the design size
    QCOMPARE(f.dialogs.calls().size(), 0);
}

void TestStartWindow::shouldShowAValidLogoAtItsSize()
{
    StartFixture f;
    QVERIFY(f.makeProjectsFolder());
    QVERIFY(StartFixture::writeBitmap(f.projectPath(QStringLiteral("Logo.bmp")), QSize(200, 120)));
    TfmStart* w = f.start();
    QCOMPARE(w->Image1->pixmap().size(), QSize(200, 120));
    QCOMPARE(w->Image1->size(), QSize(200, 120));
    QCOMPARE(Application::helpContextOf(w), 100);
    QCOMPARE(f.dialogs.calls().size(), 0);
}

void TestStartWindow::shouldReportALogoThatIsNoPictureAndStillOpen()
{
    StartFixture f;
    QVERIFY(f.makeProjectsFolder());
    const QString logo = f.projectPath(QStringLiteral("Logo.bmp"));
    QVERIFY(StartFixture::writeFile(logo, QByteArrayLiteral("this is no picture")));
    TfmStart* w = f.start();

    const QList<DialogRequest> errors = f.dialogs.callsOf(DialogKind::DefaultError);
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors[0].text.contains(logo), qPrintable(errors[0].text));
    QCOMPARE(errors[0].caption, QStringLiteral("Ferngrove"));
    QVERIFY(w->isVisible());
    QVERIFY(w->Image1->pixmap().isNull());
    QCOMPARE(Application::helpContextOf(w), 0); // the step after the logo was skipped
    QCOMPARE(ProjectsDir, f.projects());          // the steps before it ran
}

void TestStartWindow::shouldIgnoreAFolderNamedLikeTheLogo()
{
    StartFixture f;
    QVERIFY(f.makeProjectsFolder());
    QVERIFY(QDir(f.projects()).mkdir(QStringLiteral("Logo.bmp")));
    TfmStart* w = f.start();
    QVERIFY(w->Image1->pixmap().isNull());
    QCOMPARE(f.dialogs.calls().size(), 0);
    QCOMPARE(Application::helpContextOf(w), 100);
}

void TestStartWindow::shouldPlaceLogoAndNameByTheOuterSize_data()
{
    QTest::addColumn<QSize>("outer");
    QTest::addColumn<QSize>("logo"); // empty: no logo, the design size counts
    QTest::addColumn<QPoint>("imagePos");
    QTest::newRow("start size") << QSize(1086, 925) << QSize(311, 305) << QPoint(387, 206);
    QTest::newRow("smaller") << QSize(801, 600) << QSize(311, 305) << QPoint(245, 98);
    QTest::newRow("narrower than the logo") << QSize(150, 400) << QSize(311, 305) << QPoint(-80, 31);
    QTest::newRow("lower than the logo") << QSize(400, 199) << QSize(311, 305) << QPoint(44, -35);
    QTest::newRow("no logo") << QSize(1000, 700) << QSize() << QPoint(345, 131);
}

void TestStartWindow::shouldPlaceLogoAndNameByTheOuterSize()
{
    QFETCH(QSize, outer);
    QFETCH(QSize, logo);
    QFETCH(QPoint, imagePos);

    StartFixture f;
    QVERIFY(f.makeProjectsFolder());
    if (logo.isValid())
        QVERIFY(StartFixture::writeBitmap(f.projectPath(QStringLiteral("Logo.bmp")), logo));
    TfmStart* w = f.start();
    w->setMinimumSize(1, 1);
    const QSize frame = w->frameGeometry().size() - w->geometry().size();
    w->resize(outer - frame);
    QCoreApplication::processEvents();
    QCOMPARE(w->frameGeometry().size(), outer);

    QCOMPARE(w->Image1->pos(), imagePos);
    QCOMPARE(w->lbProgram->y(), imagePos.y() + w->Image1->height());
    // The label is as wide as its text; truncation toward zero as for the picture.
    const int labelLeft = (outer.width() - w->lbProgram->width()) / 2;
    QCOMPARE(w->lbProgram->x(), labelLeft);
    QCOMPARE(w->Image1->parentWidget(), w->Panel1);
}

FERNGROVE_TEST_MAIN(TestStartWindow)
#include "tst_start_window.moc"

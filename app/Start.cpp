#include "Start.h"

#include "platform/os/HelpRouter.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "schedule/Schemal.h"
#include "storage/Service.h"

#include "platform/core/Exception.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QScopeGuard>
#include <QScreen>
#include <QShortcut>

TfmStart* fmStart = nullptr;

namespace {

constexpr int kHelpContext = 100;
const QString kProjectFilter = QStringLiteral("Databases|*.dat");

} // namespace

TfmStart::TfmStart(QWidget* parent) : QMainWindow(parent)
{
    createComponents();
    Application::guard([this] { FormCreate(); });
}

TfmStart::~TfmStart()
{
    Application::setHelpHandler({});
    if (fmStart == this)
        fmStart = nullptr;
}

void TfmStart::createComponents()
{
    setObjectName(QStringLiteral("fmStart"));
    setWindowTitle(QStringLiteral("Ferngrove"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    resize(1086, 925);

    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    setMenuBar(MainMenu1);

    mnArkiv = MainMenu1->addMenu(QStringLiteral("Archive"));
    mnArkiv->setObjectName(QStringLiteral("mnArkiv"));
    mnArkiv->setAccessibleName(QStringLiteral("Archive"));
    mnOpenOld = mnArkiv->addAction(QStringLiteral("Open project"));
    mnOpenOld->setObjectName(QStringLiteral("mnOpenOld"));
    mnOpenNew = mnArkiv->addAction(QStringLiteral("New project"));
    mnOpenNew->setObjectName(QStringLiteral("mnOpenNew"));
    mnDelete = mnArkiv->addAction(QStringLiteral("Delete project"));
    mnDelete->setObjectName(QStringLiteral("mnDelete"));
    mnStang = mnArkiv->addAction(QStringLiteral("Exit"));
    mnStang->setObjectName(QStringLiteral("mnStang"));

    Schema1 = MainMenu1->addMenu(QStringLiteral("Schedules"));
    Schema1->setObjectName(QStringLiteral("Schema1"));
    Schema1->setAccessibleName(QStringLiteral("Schedules"));
    mnSchemalaggning = Schema1->addAction(QStringLiteral("Scheduling"));
    mnSchemalaggning->setObjectName(QStringLiteral("mnSchemalaggning"));

    // Help sits on the menu bar itself and acts when clicked.
    mnHelp = MainMenu1->addAction(QStringLiteral("Help"));
    mnHelp->setObjectName(QStringLiteral("mnHelp"));

    // Menu items are announced by their text; the status tip repeats it for tools that read it.
    for (QAction* a : {mnOpenOld, mnOpenNew, mnDelete, mnStang, mnSchemalaggning, mnHelp})
        a->setStatusTip(a->text());

    // F10 opens the menu bar, so the whole window works from the keyboard.
    auto* menuKey = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(menuKey, &QShortcut::activated, this, [this] { MainMenu1->setActiveAction(mnArkiv->menuAction()); });

    connectHandler(mnOpenOld, &QAction::triggered, this, [this] { mnOpenOldClick(); });
    connectHandler(mnOpenNew, &QAction::triggered, this, [this] { mnOpenNewClick(); });
    connectHandler(mnDelete, &QAction::triggered, this, [this] { mnDeleteClick(); });
    connectHandler(mnStang, &QAction::triggered, this, [this] { mnStangClick(); });
    connectHandler(mnSchemalaggning, &QAction::triggered, this, [this] { mnSchemalaggningClick(); });
    connectHandler(mnHelp, &QAction::triggered, this, [this] { mnHelpClick(); });

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Raised);
    setCentralWidget(Panel1);

    Image1 = new QLabel(Panel1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setAccessibleName(QStringLiteral("Logo"));
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setGeometry(0, 0, 310, 305);

    lbProgram = new QLabel(QStringLiteral("Ferngrove"), Panel1);
    lbProgram->setObjectName(QStringLiteral("lbProgram"));
    lbProgram->setFont(QFont(QStringLiteral("Century Schoolbook"), 14));
    lbProgram->setForegroundRole(QPalette::WindowText);
    lbProgram->adjustSize();

    OpenDialog1 = new OpenDialog(this);
    OpenDialog1->setObjectName(QStringLiteral("OpenDialog1"));
    OpenDialog1->setFilter(kProjectFilter);

    SaveDialog1 = new SaveDialog(this);
    SaveDialog1->setObjectName(QStringLiteral("SaveDialog1"));
    SaveDialog1->setFilter(kProjectFilter);
    SaveDialog1->setDefaultExt(QStringLiteral("dat"));
    SaveDialog1->setFileName(QStringLiteral("NoName"));

    HelpRouter1 = std::make_unique<HelpRouter>();
    HelpRouter1->setCshelpFile(QStringLiteral("CSHelp.txt"));
    HelpRouter1->setValidateId(false);
    Application::setHelpHandler([this](int context) { HelpRouter1->showHelp(context); });
}

void TfmStart::FormCreate()
{
    AppDir = QDir::currentPath();
    ProjectsDir = AppDir + QStringLiteral("/Projects");
    ReloadFormatSettings();
    CountryCode = GetCountryCode();
    OpenDialog1->setInitialDir(ProjectsDir);
    SaveDialog1->setInitialDir(ProjectsDir);
    HelpRouter1->setHelpFile(AppDir + QStringLiteral("/Help/Ferngrove.chm"));
    HelpRouter1->setHelpType(HelpType::HtmlHelp);

    const QString logo = ProjectsDir + QStringLiteral("/Logo.bmp");
    if (QFileInfo(logo).isFile()) {
        QImage picture;
        if (!picture.load(logo, "BMP"))
            throw Exception(QStringLiteral("The logo '%1' is not a valid bitmap picture").arg(logo));
        Image1->setPixmap(QPixmap::fromImage(picture));
        Image1->resize(picture.size()); // the picture box sizes itself to its picture
    }

    Application::setHelpContext(this, kHelpContext);
}

void TfmStart::FormResize()
{
    // The outer size is used although the positions are within Panel1. C++ division
    // truncates toward zero, as the layout wants: a window 161 pixels narrower than the
    // logo puts it at -80, not -81.
    const int w = frameGeometry().width();
    const int h = frameGeometry().height();
    const int imageTop = (h - Image1->height()) / 3;
    Image1->move((w - Image1->width()) / 2, imageTop);
    lbProgram->move((w - lbProgram->width()) / 2, imageTop + Image1->height());
}

void TfmStart::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    Application::guard([this] { FormResize(); });
}

void TfmStart::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_placed)
        return;
    m_placed = true;
    placeAtStart();
}

void TfmStart::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    // A window manager reports its frame only after the first showing; the outer size is
    // set again once, when the frame becomes known.
    if (m_placed && !m_frameKnown && frameGeometry().size() != geometry().size())
        placeAtStart();
}

void TfmStart::placeAtStart()
{
    // The outer size is 1086 x 925 and the window starts in the middle of the screen.
    const QSize outer(1086, 925);
    const QSize frame = frameGeometry().size() - geometry().size();
    m_frameKnown = !frame.isNull();
    resize(outer - frame);
    if (const QScreen* s = screen())
        move(s->availableGeometry().center() - QPoint(outer.width() / 2, outer.height() / 2));
}

void TfmStart::mnOpenOldClick()
{
    if (!OpenDialog1->execute())
        return;
    const QFileInfo chosen(OpenDialog1->fileName());
    ProjectDir = chosen.absolutePath();
    ProjectFile = chosen.fileName();
}

void TfmStart::mnOpenNewClick()
{
    if (!SaveDialog1->execute())
        return;
    const QFileInfo chosen(SaveDialog1->fileName());
    // Case-sensitive on purpose: "noname.dat" is a valid project name.
    if (chosen.fileName() == QLatin1String("NoName.dat")) {
        Dialogs::instance().showMessage(QStringLiteral("Invalid project name."));
        return;
    }
    // The chosen path becomes current before creating, so it stays current when creation
    // fails (for example over an existing project, which is left intact).
    ProjectDir = chosen.absolutePath();
    ProjectFile = chosen.fileName();
    dmService->CreateProjectTable(ProjectDir, ProjectFile);
}

void TfmStart::mnDeleteClick()
{
    if (OpenDialog1->execute() && Dialogs::instance().confirm(QStringLiteral("Delete project?"))) {
        const QFileInfo chosen(OpenDialog1->fileName());
        const QString base = chosen.absolutePath() + QLatin1Char('/') + CutAtLastChar(chosen.fileName(), QStringLiteral("."));
        // A missing or locked file is skipped; the next one is still tried.
        for (const char* ext : {".dat", ".idx", ".blb"})
            QFile::remove(base + QLatin1String(ext));
    }
    OpenDialog1->setFileName(QString());
}

void TfmStart::mnSchemalaggningClick()
{
    if (ProjectDir.isEmpty()) {
        Dialogs::instance().showMessage(QStringLiteral("You have to open a project or start a new."));
        return;
    }
    ShowSchedulingWindow();
}

void TfmStart::ShowSchedulingWindow()
{
    auto* window = new TfmSchemal(this);
    fmSchemal = window;
    // Released also when an error ends the showing: freed once the messages already queued
    // for it have been handled.
    const auto release = qScopeGuard([window] {
        fmSchemal = nullptr;
        window->deleteLater();
    });
    window->exec();
}

void TfmStart::mnHelpClick()
{
    Application::helpContext(kHelpContext);
}

void TfmStart::mnStangClick()
{
    QCoreApplication::quit();
}

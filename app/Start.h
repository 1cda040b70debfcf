#pragma once

#include <QMainWindow>
#include <memory>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QMenuBar;
class HelpRouter;
class OpenDialog;
class SaveDialog;

// The main window: the program's name and logo, and the menu that chooses, creates and
// deletes projects, opens the scheduling window, asks for help and ends the program.
class TfmStart : public QMainWindow
{
    Q_OBJECT
public:
    // Builds the window and runs FormCreate (under the default error guard).
    explicit TfmStart(QWidget* parent = nullptr);
    ~TfmStart() override;

    QMenuBar* MainMenu1;
    QMenu* mnArkiv;
    QAction* mnOpenOld;
    QAction* mnOpenNew;
    QAction* mnDelete;
    QAction* mnStang;
    QMenu* Schema1;
    QAction* mnSchemalaggning;
    QAction* mnHelp;
    QFrame* Panel1;
    QLabel* lbProgram;
    QLabel* Image1;
    OpenDialog* OpenDialog1;
    SaveDialog* SaveDialog1;
    std::unique_ptr<HelpRouter> HelpRouter1;

    // Sets the folders, regional formats, country code, dialogs' folder and help file, and
    // loads the logo; an error stops it (shown in the default error box).
    void FormCreate();
    // Centres the logo and the name under it by the window's outer size.
    void FormResize();

    void mnOpenOldClick();
    void mnOpenNewClick();
    void mnDeleteClick();
    void mnSchemalaggningClick();
    void mnHelpClick();
    void mnStangClick();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void createComponents();
    // Creates the scheduling window on the current project and shows it modally.
    void ShowSchedulingWindow();
    // Gives the window its outer start size and centres it on the screen.
    void placeAtStart();
    bool m_placed = false;
    bool m_frameKnown = false;
};

extern TfmStart* fmStart;

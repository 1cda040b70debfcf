#pragma once

#include "platform/core/DateTime.h"

#include <QDialog>
#include <QString>

class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class DataSource;
class DateTimePicker;
class DbCheckBox;
class DbEdit;
class Table;

// The scheduling window: opens the current project's table (ProjectDir, ProjectFile), shows
// one event at a time in a row of edit controls, begins, stores and deletes events, and hosts
// the chart of the project. Created per "Scheduling" command and shown modally.
class TfmSchemal : public QDialog
{
    Q_OBJECT
public:
    // Builds the components and runs FormCreate under the default error guard, so an error
    // while opening still leaves a window that opens.
    explicit TfmSchemal(QWidget* owner = nullptr);
    ~TfmSchemal() override;

    // Gaps between the controls of the creation layout, in pixels.
    int VerticalGap = 0;
    int HorizontalGap = 0;

    QMenuBar* MainMenu1;
    QAction* mnAter;   // "Exit", on the bar itself
    QMenu* mnUtskrift; // "Print"
    QAction* mnPaper;  // "Print" > "Print"
    QAction* mnPdf;    // "Print" > "Pdf"
    QAction* mnHjalp;  // "Help", on the bar itself
    QFrame* pnlMain;
    QLabel* lbEvent;
    DbEdit* dbedEvent;
    QLabel* lbCost;
    DbEdit* dbedCost;
    DbCheckBox* cbdbBooked;
    DbCheckBox* cbdbPaid;
    QLabel* lbStartDate;
    DateTimePicker* dtpStartDate;
    QLabel* lbStartTime;
    DateTimePicker* dtpStartTime;
    QLabel* lbStartDay;
    QLineEdit* edStartDay;
    QLabel* lbEndDate;
    DateTimePicker* dtpEndDate;
    QLabel* lbEndTime;
    DateTimePicker* dtpEndTime;
    QPushButton* btnNew;
    QPushButton* btnSave;
    QPushButton* btnDelete;
    QPushButton* btnDocument;
    QFrame* pnlGrafik;
    QLabel* lbGrafik;
    QLabel* lbProject;
    QWidget* Chart1;   // white placeholder until the chart component takes its place
    QFrame* pnlEditor; // the document editor's panel, hidden
    Table* dbSchedule;
    DataSource* dsSchedule;

    // The chart's bottom (date) axis range in day counts; the print dialog takes its default
    // dates from it.
    double ChartBottomMinimum = 0;
    double ChartBottomMaximum = 0;

    // Gaps, layout, pickers, chart range, opens the table (a database error shows
    // "Error in database.\r\n(Wrong file?)" and ends it), Start index, chart, OutputMode,
    // project label, help context.
    void FormCreate();
    // Chart height and the editor panel's bounds after every size change.
    void FormResize();
    // Deletes the unnamed events before the window closes; an error refuses the close.
    void FormClose();

    void mnAterClick();
    void mnHjalpClick();
    // The Print menu; the print-planning dialog is not part of the window yet.
    void mnUtskriftClick();
    void mnPdfClick();
    // Begins a new event at the end of the table and focuses the name box.
    void btnNewClick();
    // Names an unnamed event "Unspecified <record number>", writes the pickers and the
    // weekday into the current event, posts it and rebuilds the chart.
    void btnSaveClick();
    // Deletes the current event after confirmation; whatever the answer, stores the event
    // that is then current (edit and post) and rebuilds the chart.
    void btnRadera1Click();
    // The weekday of the start date chosen by the user ("Mon" .. "Sun", Wednesday "Wen").
    void dtpStartDateChange();

    // Copies the current event's dates, times and weekday into the pickers and the weekday
    // box and puts the event into edit mode. Always true.
    bool LoadEventControls();
    // Enables Delete, the four pickers, the cost box and the two check boxes. Always true.
    bool EnableEditControls();
    // Deletes every event whose name is empty, with the bound controls detached meanwhile.
    // Always true; an error of the table (a current event that cannot be stored) propagates.
    bool PurgeUnnamedEvents();
    // Makes the first event in primary-index order with this name and start date current and
    // loads it for editing (LoadEventControls, EnableEditControls), as a click on its bar does.
    // False when there is no such event; nothing changes then.
    bool SelectEvent(const QString& name, DateTime startDate);

    // Rebuilds the chart from the table and returns to the current event.
    void ChartUpdate(QObject* Sender);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createComponents();
    void createMenu();
    void createEventControls();
    void createSideControls();
    void setTabOrderAndNames();
    void connectHandlers();
    // The creation layout: positions in pnlMain from the controls' current sizes.
    void layoutControls();
    // Keeps Chart1 on the bottom edge of pnlMain, full width, at its current height.
    void alignChart();
    // The bottom axis range at creation: today - 30 to today + 30.
    void setInitialChartRange();
    // Gives the window its outer size and centres it on its owner (or the screen).
    void placeAtStart();
    // Detaches (nullptr) or reattaches the bound controls.
    void attachBoundControls(DataSource* source);
    // Stores the current event; when the name is missing the name box gets the focus.
    void postEvent();
    bool m_placed = false;
    bool m_frameKnown = false;
};

// The scheduling window while it is shown; nullptr otherwise.
extern TfmSchemal* fmSchemal;

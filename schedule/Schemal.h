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
class QToolButton;
class ChartAxis;
class ChartWidget;
class DataSource;
class DateTimePicker;
class DbCheckBox;
class DbEdit;
class GanttSeries;
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
    QToolButton* sbZoomIn; // the pan and zoom buttons on pnlGrafik
    QToolButton* sbUp;
    QToolButton* sbZoomOut;
    QToolButton* sbLeft;
    QToolButton* sbRight;
    QToolButton* sbDown;
    QLabel* lbProject;
    // The Gantt chart of the project; its model (axes, series) is Chart1->chart(). The bottom
    // axis range (day counts) gives the print dialog its default dates.
    ChartWidget* Chart1;
    GanttSeries* Series1; // the chart's only series: one bar per event
    QFrame* pnlEditor;    // the document editor's panel, hidden
    Table* dbSchedule;
    DataSource* dsSchedule;

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

    // Rebuilds the bars from the table in Start order (row k = k-th event, label Event, yellow,
    // blue when booked, green when paid) and returns to the current event and index.
    void ChartUpdate(QObject* Sender);
    // Shifts one axis by Percent of its range.
    void PanAxis(ChartAxis& Axis, double Percent);
    // Shifts the top and then the bottom axis, or the left and then the right axis.
    void PanHorizontal(double Percent);
    void PanVertical(double Percent);
    // Pan by a tenth (left/up -10, right/down +10); zoom in 120 %, out 80 %.
    void sbLeftClick();
    void sbRightClick();
    void sbUpClick();
    void sbDownClick();
    void sbZoomInClick();
    void sbZoomOutClick();
    // The chart's next-label hook: on the bottom axis the first day of the month after
    // LabelValue; other axes are left alone.
    void Chart1GetNextAxisLabel(ChartAxis& Sender, int LabelIndex, double& LabelValue, bool& Stop);
    // A click on bar ValueIndex selects its event (name and start date) for editing; no match
    // shows "Error in database search!\n\r(Error 1 in Shemal)" in an error box.
    void Series1Click(int ValueIndex);
    // Does nothing.
    void Chart1MouseMove();

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
    // The chart with its design settings, and the six buttons of pnlGrafik.
    void createChart();
    void createGraphicsButtons();
    void connectChartHandlers();
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

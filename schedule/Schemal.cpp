// The scheduling window: components, the creation layout, resizing, opening and closing.
// The event commands are in SchemalEvents.cpp, the chart's part in SchemalGantt.cpp.

#include "Schemal.h"

#include "platform/chart/ChartWidget.h"
#include "platform/core/Exception.h"
#include "platform/table/DataSource.h"
#include "platform/table/Table.h"
#include "platform/ui/Application.h"
#include "platform/ui/DateTimePicker.h"
#include "platform/ui/DbControls.h"
#include "platform/ui/Dialogs.h"
#include "storage/Service.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

TfmSchemal* fmSchemal = nullptr;

namespace {

constexpr int kHelpContext = 100;
constexpr int kOuterWidth = 1353;
constexpr int kOuterHeight = 800;

QFont windowFont()
{
    return QFont(QStringLiteral("MS Sans Serif"), 8);
}

QFont pickerFont()
{
    return QFont(QStringLiteral("MS Sans Serif"), 10);
}

QLabel* makeLabel(const char* name, const QString& caption, QWidget* parent)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    label->adjustSize(); // labels size themselves to their caption
    return label;
}

QPushButton* makeButton(const char* name, const QString& caption, QSize size, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    // Enter in an edit box must not press a button, as it would in a toolkit dialog.
    button->setAutoDefault(false);
    button->setDefault(false);
    button->resize(size);
    return button;
}

DateTimePicker* makePicker(const char* name, DateTimePicker::Kind kind, QWidget* parent)
{
    auto* picker = new DateTimePicker(kind, parent);
    picker->setObjectName(QLatin1String(name));
    picker->setFont(pickerFont());
    picker->resize(186, 24);
    return picker;
}

} // namespace

TfmSchemal::TfmSchemal(QWidget* owner) : QDialog(owner)
{
    createComponents();
    // The design size, so that creation lays out against it before the first showing.
    resize(kOuterWidth, kOuterHeight);
    layout()->activate();
    Application::guard([this] { FormCreate(); });
    dtpStartDate->setFocus();
}

TfmSchemal::~TfmSchemal()
{
    if (fmSchemal == this)
        fmSchemal = nullptr;
}

void TfmSchemal::createComponents()
{
    setObjectName(QStringLiteral("fmSchemal"));
    setWindowTitle(QStringLiteral("Scheduling"));
    setFont(windowFont());
    setModal(true);

    dbSchedule = new Table(this);
    dbSchedule->setObjectName(QStringLiteral("dbSchedule"));
    // New events start from the field defaults: the engine's append never copies the current row.
    dsSchedule = new DataSource(this);
    dsSchedule->setObjectName(QStringLiteral("dsSchedule"));
    dsSchedule->setDataSet(dbSchedule);
    dsSchedule->setAutoEdit(true);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    createMenu();
    outer->setMenuBar(MainMenu1);

    pnlMain = new QFrame(this);
    pnlMain->setObjectName(QStringLiteral("pnlMain"));
    pnlMain->setFrameShape(QFrame::Panel);
    pnlMain->setFrameShadow(QFrame::Raised);
    pnlMain->installEventFilter(this);
    outer->addWidget(pnlMain);

    createEventControls();
    createSideControls();
    setTabOrderAndNames();
    connectHandlers();
}

void TfmSchemal::createMenu()
{
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    // Exit and Help sit on the bar itself and act when clicked.
    mnAter = MainMenu1->addAction(QStringLiteral("Exit"));
    mnAter->setObjectName(QStringLiteral("mnAter"));
    mnUtskrift = MainMenu1->addMenu(QStringLiteral("Print"));
    mnUtskrift->setObjectName(QStringLiteral("mnUtskrift"));
    mnUtskrift->setAccessibleName(QStringLiteral("Print"));
    mnPaper = mnUtskrift->addAction(QStringLiteral("Print"));
    mnPaper->setObjectName(QStringLiteral("mnPaper"));
    mnPdf = mnUtskrift->addAction(QStringLiteral("Pdf"));
    mnPdf->setObjectName(QStringLiteral("mnPdf"));
    mnHjalp = MainMenu1->addAction(QStringLiteral("Help"));
    mnHjalp->setObjectName(QStringLiteral("mnHjalp"));
    for (QAction* a : {mnAter, mnPaper, mnPdf, mnHjalp})
        a->setStatusTip(a->text());
}

void TfmSchemal::createEventControls()
{
    btnNew = makeButton("btnNew", QStringLiteral("New"), QSize(50, 21), pnlMain);
    btnNew->setFocusPolicy(Qt::ClickFocus); // not a tab stop
    btnSave = makeButton("btnSave", QStringLiteral("Save"), QSize(50, 25), pnlMain);
    btnDelete = makeButton("btnDelete", QStringLiteral("Delete"), QSize(50, 25), pnlMain);
    btnDelete->setEnabled(false);

    lbEvent = makeLabel("lbEvent", QStringLiteral("Event"), pnlMain);
    dbedEvent = new DbEdit(pnlMain);
    dbedEvent->setObjectName(QStringLiteral("dbedEvent"));
    dbedEvent->resize(250, 21);
    dbedEvent->setDataField(QStringLiteral("Event"));
    dbedEvent->setDataSource(dsSchedule);

    lbCost = makeLabel("lbCost", QStringLiteral("Cost"), pnlMain);
    dbedCost = new DbEdit(pnlMain);
    dbedCost->setObjectName(QStringLiteral("dbedCost"));
    dbedCost->resize(121, 21);
    dbedCost->setDataField(QStringLiteral("Cost"));
    dbedCost->setDataSource(dsSchedule);

    cbdbBooked = new DbCheckBox(pnlMain);
    cbdbBooked->setObjectName(QStringLiteral("cbdbBooked"));
    cbdbBooked->setText(QStringLiteral("Booked"));
    cbdbBooked->resize(97, 17);
    cbdbBooked->setDataField(QStringLiteral("Booked"));
    cbdbBooked->setValueChecked(QStringLiteral("True"));
    cbdbBooked->setValueUnchecked(QStringLiteral("False"));
    cbdbBooked->setDataSource(dsSchedule);

    cbdbPaid = new DbCheckBox(pnlMain);
    cbdbPaid->setObjectName(QStringLiteral("cbdbPaid"));
    cbdbPaid->setText(QStringLiteral("Paid"));
    cbdbPaid->resize(97, 17);
    cbdbPaid->setDataField(QStringLiteral("Paid"));
    cbdbPaid->setValueChecked(QStringLiteral("True"));
    cbdbPaid->setValueUnchecked(QStringLiteral("False"));
    cbdbPaid->setDataSource(dsSchedule);

    lbStartDate = makeLabel("lbStartDate", QStringLiteral("Start date"), pnlMain);
    dtpStartDate = makePicker("dtpStartDate", DateTimePicker::Kind::Date, pnlMain);
    lbStartTime = makeLabel("lbStartTime", QStringLiteral("Start time"), pnlMain);
    dtpStartTime = makePicker("dtpStartTime", DateTimePicker::Kind::Time, pnlMain);
    lbStartDay = makeLabel("lbStartDay", QStringLiteral("Start day"), pnlMain);
    edStartDay = new QLineEdit(pnlMain);
    edStartDay->setObjectName(QStringLiteral("edStartDay"));
    edStartDay->setReadOnly(true);
    edStartDay->setFocusPolicy(Qt::ClickFocus); // not a tab stop
    edStartDay->resize(81, 21);
    lbEndDate = makeLabel("lbEndDate", QStringLiteral("End date"), pnlMain);
    dtpEndDate = makePicker("dtpEndDate", DateTimePicker::Kind::Date, pnlMain);
    lbEndTime = makeLabel("lbEndTime", QStringLiteral("End time"), pnlMain);
    dtpEndTime = makePicker("dtpEndTime", DateTimePicker::Kind::Time, pnlMain);
}

void TfmSchemal::createSideControls()
{
    btnDocument = makeButton("btnDocument", QStringLiteral("Document show"), QSize(125, 25), pnlMain);

    pnlGrafik = new QFrame(pnlMain);
    pnlGrafik->setObjectName(QStringLiteral("pnlGrafik"));
    pnlGrafik->setFrameShape(QFrame::Panel);
    pnlGrafik->setFrameShadow(QFrame::Raised);
    pnlGrafik->resize(181, 118);
    lbGrafik = makeLabel("lbGrafik", QStringLiteral("Graphics"), pnlGrafik);
    // Centred across the top of the panel.
    lbGrafik->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lbGrafik->setGeometry(0, 4, pnlGrafik->width(), lbGrafik->height());

    lbProject = makeLabel("lbProject", QStringLiteral("Project"), pnlMain);
    QFont projectFont(QStringLiteral("MS Sans Serif"), 14);
    projectFont.setBold(true);
    lbProject->setFont(projectFont);
    lbProject->adjustSize();

    createGraphicsButtons();
    createChart();

    // Created last, so that it lies above everything on pnlMain when the document is shown.
    pnlEditor = new QFrame(pnlMain);
    pnlEditor->setObjectName(QStringLiteral("pnlEditor"));
    pnlEditor->setFrameShape(QFrame::Panel);
    pnlEditor->setFrameShadow(QFrame::Raised);
    pnlEditor->hide();
}

void TfmSchemal::setTabOrderAndNames()
{
    // Screen readers announce each control by its label.
    const std::pair<QLabel*, QWidget*> buddies[] = {
        {lbEvent, dbedEvent},
        {lbCost, dbedCost},
        {lbStartDay, edStartDay},
    };
    for (const auto& [label, control] : buddies) {
        label->setBuddy(control);
        control->setAccessibleName(label->text());
    }
    // A picker also names the editor inside it, which is what a reader announces.
    const std::pair<QLabel*, DateTimePicker*> pickers[] = {
        {lbStartDate, dtpStartDate},
        {lbStartTime, dtpStartTime},
        {lbEndDate, dtpEndDate},
        {lbEndTime, dtpEndTime},
    };
    for (const auto& [label, picker] : pickers) {
        label->setBuddy(picker);
        picker->setAccessibleName(label->text());
    }
    pnlGrafik->setAccessibleName(lbGrafik->text());

    // New and the weekday box are in the order but no tab stops, so Tab passes them by.
    const QWidgetList order = {dtpStartDate, btnNew,      Chart1,    pnlGrafik, dtpStartTime, dtpEndTime,
                               dtpEndDate,   btnDocument, btnDelete, dbedCost,  cbdbBooked,   cbdbPaid,
                               dbedEvent,    pnlEditor,   btnSave,   edStartDay};
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void TfmSchemal::connectHandlers()
{
    connectHandler(mnAter, &QAction::triggered, this, [this] { mnAterClick(); });
    connectHandler(mnPaper, &QAction::triggered, this, [this] { mnUtskriftClick(); });
    connectHandler(mnPdf, &QAction::triggered, this, [this] { mnPdfClick(); });
    connectHandler(mnHjalp, &QAction::triggered, this, [this] { mnHjalpClick(); });
    connectHandler(btnNew, &QPushButton::clicked, this, [this] { btnNewClick(); });
    connectHandler(btnSave, &QPushButton::clicked, this, [this] { btnSaveClick(); });
    connectHandler(btnDelete, &QPushButton::clicked, this, [this] { btnRadera1Click(); });
    connectHandler(dtpStartDate, &DateTimePicker::userChanged, this, [this] { dtpStartDateChange(); });
    connectChartHandlers();
}

void TfmSchemal::FormCreate()
{
    VerticalGap = 5;
    HorizontalGap = 10;
    layoutControls();

    // Both time pickers show 00:00:00; the end time holds 24 whole days, not the field
    // default 23:59:59.
    const DateTime today = DateTimeUtil::today();
    dtpStartDate->setValue(today);
    dtpEndDate->setValue(today);
    dtpStartTime->setValue(0);
    dtpEndTime->setValue(24.0);

    setInitialChartRange();

    if (!dbSchedule->active()) {
        dbSchedule->setDatabaseName(ProjectDir);
        dbSchedule->setTableName(ProjectFile);
        try {
            dbSchedule->open();
        } catch (const EDatabaseError&) {
            // The one place where the program catches an error itself; the window still opens.
            Dialogs::instance().showMessage(QStringLiteral("Error in database.\r\n(Wrong file?)"));
            return;
        }
    }
    dbSchedule->setIndexName(QStringLiteral("Start"));
    if (!dbSchedule->isEmpty())
        ChartUpdate(this);
    OutputMode.clear();
    lbProject->setText(CutAtLastChar(ProjectFile, QStringLiteral(".")));
    lbProject->adjustSize(); // keeps its left edge
    Application::setHelpContext(this, kHelpContext);
}

void TfmSchemal::layoutControls()
{
    const int vg = VerticalGap;
    const int hg = HorizontalGap;
    auto below = [vg](const QWidget* w) { return w->y() + w->height() + vg; };
    auto directlyBelow = [](const QWidget* w) { return w->y() + w->height(); };
    auto rightOf = [hg](const QWidget* w) { return w->x() + w->width() + hg; };

    btnNew->move(hg, vg);
    btnSave->move(btnNew->x(), below(btnNew));
    btnDelete->move(btnNew->x(), below(btnSave));
    lbEvent->move(rightOf(btnNew), vg);
    dbedEvent->move(lbEvent->x(), directlyBelow(lbEvent));
    lbCost->move(lbEvent->x(), below(dbedEvent));
    dbedCost->move(lbEvent->x(), directlyBelow(lbCost));
    cbdbBooked->move(lbEvent->x(), below(dbedCost));
    cbdbPaid->move(lbEvent->x(), directlyBelow(cbdbBooked));
    lbStartDate->move(rightOf(dbedEvent), vg);
    dtpStartDate->move(lbStartDate->x(), directlyBelow(lbStartDate));
    lbStartTime->move(lbStartDate->x(), below(dtpStartDate));
    dtpStartTime->move(lbStartTime->x(), directlyBelow(lbStartTime));
    lbStartDay->move(lbStartDate->x(), below(dtpStartTime));
    edStartDay->move(lbStartDate->x(), directlyBelow(lbStartDay));
    lbEndDate->move(rightOf(dtpStartDate), vg);
    dtpEndDate->move(lbEndDate->x(), directlyBelow(lbEndDate));
    lbEndTime->move(lbEndDate->x(), below(dtpEndDate));
    dtpEndTime->move(lbEndTime->x(), directlyBelow(lbEndTime));
    btnDocument->move(rightOf(dtpEndDate), vg);
    pnlGrafik->move(rightOf(btnDocument), vg);
    lbProject->move(pnlGrafik->x() + pnlGrafik->width() + 3 * hg,
                    vg + pnlGrafik->height() / 2 - lbProject->height() / 2);

    // At creation the chart takes the window's outer height less the graphics panel and two gaps.
    Chart1->resize(Chart1->width(), frameGeometry().height() - pnlGrafik->height() - 2 * vg);
    alignChart();
}

void TfmSchemal::alignChart()
{
    Chart1->setGeometry(0, pnlMain->height() - Chart1->height(), pnlMain->width(), Chart1->height());
}

void TfmSchemal::FormResize()
{
    Chart1->resize(Chart1->width(), pnlMain->height() - pnlGrafik->height() - 2 * VerticalGap);
    alignChart();
    // pnlEditor lies on pnlMain, whose own top and left are 0 in the client area under the
    // menu bar: the panel covers the whole work area.
    pnlEditor->setGeometry(0, 0, pnlMain->width(), pnlMain->height());
}

void TfmSchemal::FormClose()
{
    // A window whose table never opened has nothing to purge and simply closes.
    if (dbSchedule->active())
        PurgeUnnamedEvents();
}

void TfmSchemal::mnAterClick()
{
    close(); // the modal showing ends with the result cancel (Rejected)
}

void TfmSchemal::mnHjalpClick()
{
    Application::helpContext(kHelpContext);
}

void TfmSchemal::mnUtskriftClick()
{
    // The print-planning dialog on paper is not part of the window yet.
}

void TfmSchemal::mnPdfClick()
{
    // The print-planning dialog to a PDF file is not part of the window yet.
}

void TfmSchemal::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_placed)
        return;
    m_placed = true;
    placeAtStart();
}

void TfmSchemal::placeAtStart()
{
    const QSize outer(kOuterWidth, kOuterHeight);
    const QSize frame = frameGeometry().size() - geometry().size();
    m_frameKnown = !frame.isNull();
    resize(outer - frame);
    QPoint centre;
    if (const QWidget* owner = parentWidget())
        centre = owner->window()->frameGeometry().center();
    else if (const QScreen* s = screen())
        centre = s->availableGeometry().center();
    else
        return;
    move(centre - QPoint(outer.width() / 2, outer.height() / 2));
}

void TfmSchemal::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    // A window manager reports the frame only after the first showing; the outer size and
    // place are set again once, when it becomes known.
    if (m_placed && !m_frameKnown && frameGeometry().size() != geometry().size())
        placeAtStart();
    Application::guard([this] { FormResize(); });
}

void TfmSchemal::closeEvent(QCloseEvent* event)
{
    if (!Application::guard([this] { FormClose(); })) {
        event->ignore(); // the current event could not be stored: the window stays open
        return;
    }
    QDialog::closeEvent(event); // ends the modal showing with Rejected
}

void TfmSchemal::keyPressEvent(QKeyEvent* event)
{
    // Escape does not close the window: closing always goes through FormClose.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TfmSchemal::eventFilter(QObject* watched, QEvent* event)
{
    // The chart stays on pnlMain's bottom edge whatever resizes the panel.
    if (watched == pnlMain && event->type() == QEvent::Resize)
        alignChart();
    return QDialog::eventFilter(watched, event);
}

// The scheduling window's chart: its settings, the bottom axis range it starts with, the
// rebuild from the table, the pan and zoom buttons, the monthly date labels and the bar click.

#include "Schemal.h"

#include "GraphicsButtons.h"

#include "platform/chart/Chart.h"
#include "platform/chart/ChartWidget.h"
#include "platform/core/Exception.h"
#include "platform/table/Table.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"

#include <QFrame>
#include <QToolButton>

namespace {

// Bar colours, 0x00BBGGRR.
constexpr quint32 kYellow = 0x00FFFF;
constexpr quint32 kBlue = 0xFF0000;
constexpr quint32 kGreen = 0x008000;

// Keeps the bound controls still while a walk over the table runs, and lets them show the
// current event again once it is over, also when the walk stops with an error.
class ControlsDisabled
{
public:
    explicit ControlsDisabled(Table& table) : m_table(table) { m_table.disableControls(); }
    ~ControlsDisabled() { m_table.enableControls(); }
    ControlsDisabled(const ControlsDisabled&) = delete;
    ControlsDisabled& operator=(const ControlsDisabled&) = delete;

private:
    Table& m_table;
};

QToolButton* makeSpeedButton(const char* name, const QString& hint, const QRect& bounds,
                             const QPixmap& picture, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(bounds);
    button->setIcon(QIcon(picture));
    button->setIconSize(picture.size());
    button->setToolTip(hint);
    button->setAccessibleName(hint);
    // Like every speed button it takes no focus: the tab order passes over the panel.
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

void TfmSchemal::createChart()
{
    auto* chart = new Chart(this);
    chart->setObjectName(QStringLiteral("Chart1Model"));
    Chart1 = new ChartWidget(chart, pnlMain);
    Chart1->setObjectName(QStringLiteral("Chart1"));
    Chart1->setAccessibleName(QStringLiteral("Schedule chart"));
    QPalette white = Chart1->palette();
    white.setColor(QPalette::Window, Qt::white);
    Chart1->setPalette(white);
    Chart1->setAutoFillBackground(true);
    Series1 = &chart->series();

    // The bottom axis carries the dates; its range is set by the window.
    ChartAxis& bottom = chart->bottomAxis();
    bottom.setDateTime(true);
    bottom.setDateTimeFormat(QStringLiteral("yy-mm-dd"));
    bottom.setIncrement(7);
    bottom.setRoundFirstLabel(false);

    // The left axis counts rows from the top and names each row by its bar's text.
    ChartAxis& left = chart->leftAxis();
    left.setMinMax(0, 30);
    left.setInverted(true);
    left.setLabelStyle(ChartAxis::LabelStyle::Text);
    left.setLabelFont(QFont(QStringLiteral("Times New Roman"), 9));
    left.setLabelSeparation(0); // every name drawn, however crowded
    left.setRoundFirstLabel(false);

    chart->topAxis().setVisible(false);

    Series1->setMarksVisible(false);
    Series1->setBarHalfHeight(8);
    Series1->setTransparency(37);

    chart->onGetNextAxisLabel = [this](ChartAxis& axis, int labelIndex, double& labelValue, bool& stop) {
        Chart1GetNextAxisLabel(axis, labelIndex, labelValue, stop);
    };
}

void TfmSchemal::createGraphicsButtons()
{
    using GraphicsButtons::arrowPicture;
    using GraphicsButtons::zoomPicture;
    sbZoomIn = makeSpeedButton("sbZoomIn", QStringLiteral("Zoom in"), QRect(5, 21, 50, 30), zoomPicture(true),
                               pnlGrafik);
    sbUp = makeSpeedButton("sbUp", QStringLiteral("Pan up"), QRect(75, 21, 30, 46), arrowPicture(Qt::UpArrow),
                           pnlGrafik);
    sbZoomOut = makeSpeedButton("sbZoomOut", QStringLiteral("Zoom out"), QRect(125, 21, 50, 30),
                                zoomPicture(false), pnlGrafik);
    // Two blanks in this hint, as the button has always shown it.
    sbLeft = makeSpeedButton("sbLeft", QStringLiteral("Pan  left"), QRect(25, 56, 50, 28),
                             arrowPicture(Qt::LeftArrow), pnlGrafik);
    sbRight = makeSpeedButton("sbRight", QStringLiteral("Pan right"), QRect(105, 56, 50, 28),
                              arrowPicture(Qt::RightArrow), pnlGrafik);
    sbDown = makeSpeedButton("sbDown", QStringLiteral("Pan down"), QRect(75, 66, 30, 46),
                             arrowPicture(Qt::DownArrow), pnlGrafik);
}

void TfmSchemal::connectChartHandlers()
{
    connectHandler(sbLeft, &QToolButton::clicked, this, [this] { sbLeftClick(); });
    connectHandler(sbRight, &QToolButton::clicked, this, [this] { sbRightClick(); });
    connectHandler(sbUp, &QToolButton::clicked, this, [this] { sbUpClick(); });
    connectHandler(sbDown, &QToolButton::clicked, this, [this] { sbDownClick(); });
    connectHandler(sbZoomIn, &QToolButton::clicked, this, [this] { sbZoomInClick(); });
    connectHandler(sbZoomOut, &QToolButton::clicked, this, [this] { sbZoomOutClick(); });
    // The click needs the bar's index, so it is guarded here rather than through connectHandler.
    connect(Chart1, &ChartWidget::seriesClicked, this,
            [this](int index) { Application::guard([this, index] { Series1Click(index); }); });
    connectHandler(Chart1, &ChartWidget::mouseMoved, this, [this] { Chart1MouseMove(); });
}

void TfmSchemal::setInitialChartRange()
{
    // Maximum first, then minimum: the axis refuses a minimum above its current maximum.
    const DateTime today = DateTimeUtil::today();
    ChartAxis& bottom = Chart1->chart()->bottomAxis();
    bottom.setAutomatic(false);
    bottom.setMaximum(today + 30);
    bottom.setMinimum(today - 30);
}

void TfmSchemal::ChartUpdate(QObject* /*Sender*/)
{
    Table& t = *dbSchedule;
    // The walk comes back to the event it started on, so the bound controls need not follow it.
    const ControlsDisabled still(t);
    const Bookmark mark = t.bookmark(); // 0 on a table without events or while inserting
    int row = 1;
    const QString savedIndex = t.indexName();
    t.setIndexName(QStringLiteral("Start"));
    t.first();
    Series1->setMarksVisible(false);
    Series1->clear();
    while (!t.eof()) {
        const QString label = t.fieldByName(QStringLiteral("Event")).asString();
        quint32 colour = kYellow;
        if (t.fieldByName(QStringLiteral("Booked")).asBoolean())
            colour = kBlue;
        if (t.fieldByName(QStringLiteral("Paid")).asBoolean())
            colour = kGreen;
        // Empty fields read as 0, so an event without dates is drawn at day 0.
        const DateTime start = t.fieldByName(QStringLiteral("Start date")).asDateTime() +
                               t.fieldByName(QStringLiteral("Start time")).asDateTime();
        const DateTime end = t.fieldByName(QStringLiteral("End date")).asDateTime() +
                             t.fieldByName(QStringLiteral("End time")).asDateTime();
        Series1->add(start, end, row, label, colour);
        t.next();
        ++row;
    }
    t.setIndexName(savedIndex);
    if (mark != 0) {
        t.gotoBookmark(mark);
        t.freeBookmark(mark);
    }
}

void TfmSchemal::PanAxis(ChartAxis& Axis, double Percent)
{
    const double lo = Axis.minimum();
    const double hi = Axis.maximum();
    const double shift = (hi - lo) / (100 / Percent);
    Axis.setMinMax(lo + shift, hi + shift);
}

void TfmSchemal::PanHorizontal(double Percent)
{
    Chart* chart = Chart1->chart();
    PanAxis(chart->topAxis(), Percent);
    PanAxis(chart->bottomAxis(), Percent);
}

void TfmSchemal::PanVertical(double Percent)
{
    Chart* chart = Chart1->chart();
    PanAxis(chart->leftAxis(), Percent);
    PanAxis(chart->rightAxis(), Percent);
}

void TfmSchemal::sbLeftClick()
{
    PanHorizontal(-10);
}

void TfmSchemal::sbRightClick()
{
    PanHorizontal(10);
}

void TfmSchemal::sbUpClick()
{
    PanVertical(-10); // the left axis is inverted: earlier rows come back from above
}

void TfmSchemal::sbDownClick()
{
    PanVertical(10);
}

void TfmSchemal::sbZoomInClick()
{
    Chart1->chart()->zoomPercent(120);
    Chart1->update();
}

void TfmSchemal::sbZoomOutClick()
{
    Chart1->chart()->zoomPercent(80);
    Chart1->update();
}

void TfmSchemal::Chart1GetNextAxisLabel(ChartAxis& Sender, int /*LabelIndex*/, double& LabelValue, bool& Stop)
{
    if (&Sender != &Chart1->chart()->bottomAxis())
        return; // the other axes keep their own labels
    int year = 0, month = 0, day = 0;
    DateTime next = 0;
    try {
        DateTimeUtil::decodeDate(LabelValue, year, month, day);
        month += 1;
        if (month > 12) {
            month = 1;
            year += 1;
        }
        next = DateTimeUtil::encodeDate(year, month, 1);
    } catch (const Exception&) {
        // Panned past the calendar's ends: no further month to label. The hook runs while the
        // chart paints, where an error must not escape.
        return;
    }
    LabelValue = next;
    Stop = false;
}

void TfmSchemal::Series1Click(int ValueIndex)
{
    if (ValueIndex < 0 || ValueIndex >= Series1->count())
        return;
    const QString label = Series1->label(ValueIndex);
    const DateTime start = Series1->start(ValueIndex);
    // Leaving the current event first may be refused (an emptied name): that error goes to
    // the default error box and the click ends there.
    if (!SelectEvent(label, DateTimeUtil::dateOf(start)))
        Dialogs::instance().errorBox(QStringLiteral("Error in database search!\n\r(Error 1 in Shemal)"));
}

void TfmSchemal::Chart1MouseMove()
{
    // Nothing follows the mouse over the chart.
}

// The date-time picker: the value it holds, which changes it tells of, and how it shows the
// value by the regional formats.

#include "platform/core/DateTime.h"
#include "platform/core/Exception.h"
#include "platform/core/FormatSettings.h"
#include "platform/ui/Application.h"
#include "platform/ui/DateTimePicker.h"
#include "platform/ui/TestMain.h"
#include "tests/core/RegionalSettings.h"

#include <QAbstractItemView>
#include <QCalendarWidget>
#include <QDateTimeEdit>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <cmath>
#include <limits>

Q_DECLARE_METATYPE(DateTimePicker::Kind)

namespace {

using Kind = DateTimePicker::Kind;

DateTime ymd(int y, int m, int d)
{
    return DateTimeUtil::encodeDate(y, m, d);
}

DateTime hms(int h, int m, int s = 0)
{
    return DateTimeUtil::encodeTime(h, m, s);
}

// A shown, active window holding one picker, so its editor can take the focus and keys.
struct Window
{
    QWidget window;
    DateTimePicker* picker;

    explicit Window(Kind kind) : picker(new DateTimePicker(kind, &window))
    {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(picker);
    }

    bool focusPicker()
    {
        window.show();
        window.activateWindow();
        if (!QTest::qWaitForWindowActive(&window))
            return false;
        picker->setFocus();
        return QTest::qWaitFor([this] { return picker->editor()->hasFocus(); });
    }
};

} // namespace

class TestDateTimePicker : public QObject
{
    Q_OBJECT
private slots:
    void init() { formatSettings() = RegionalSettings::us(); }

    void shouldConvertFormats_data();
    void shouldConvertFormats();
    void shouldShowTheValueByTheRegionalFormat_data();
    void shouldShowTheValueByTheRegionalFormat();
    void shouldNotSignalChangesMadeBySetters_data();
    void shouldNotSignalChangesMadeBySetters();
    void shouldHoldTwentyFourWholeDaysAndShowMidnight();
    void shouldKeepTheTimeOfDayWhenTheDateIsSet_data();
    void shouldKeepTheTimeOfDayWhenTheDateIsSet();
    void shouldKeepTheDateWhenTheTimeIsSet();
    void shouldSignalAndFollowTheUserOnADatePicker();
    void shouldSignalAndFollowTheUserOnATimePicker();
    void shouldSignalADateChosenInTheCalendar();
    void shouldRefuseAValueOutsideTheCalendar_data();
    void shouldRefuseAValueOutsideTheCalendar();
    void shouldFallBackWhenTheFormatShowsNothing();
    void shouldPassFocusAndNameToTheEditor();
};

void TestDateTimePicker::shouldConvertFormats_data()
{
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("qt");

    // clang-format off
    QTest::newRow("US short date") << "us" << "M/d/yyyy" << "M'/'d'/'yyyy";
    QTest::newRow("Swedish short date") << "se" << "yyyy-MM-dd" << "yyyy'-'MM'-'dd";
    QTest::newRow("German short date") << "de" << "dd.MM.yyyy" << "dd'.'MM'.'yyyy";
    QTest::newRow("slash is the date separator") << "se" << "yy/m/d" << "yy'-'M'-'d";
    QTest::newRow("US long time") << "us" << "h:mm:ss AMPM" << "h':'mm':'ss' 'AP";
    QTest::newRow("24-hour long time") << "se" << "HH:mm:ss" << "hh':'mm':'ss";
    QTest::newRow("m after h across a separator") << "us" << "hh:m" << "hh':'m";
    QTest::newRow("n is the minute") << "us" << "hh:nn" << "hh':'mm";
    QTest::newRow("m without an hour is the month") << "us" << "mm:ss" << "MM':'ss";
    QTest::newRow("month and day names") << "us" << "dddd, mmmm d" << "dddd', 'MMMM' 'd";
    QTest::newRow("short names, short year") << "us" << "ddd d mmm yy" << "ddd' 'd' 'MMM' 'yy";
    QTest::newRow("y and yyy") << "us" << "y|yyy" << "yy'|'yyyy";
    QTest::newRow("quoted text") << "se" << "'den 'd MMMM yyyy" << "'den 'd' 'MMMM' 'yyyy";
    QTest::newRow("double quotes") << "us" << "d\"th\"" << "d'th'";
    QTest::newRow("a quote in quoted text") << "us" << "d\"'\"" << "d''";
    QTest::newRow("a quote inside words") << "us" << "d \"o'clock'\"" << "d' o''clock'''";
    QTest::newRow("quotes first") << "us" << "\"''x\"d" << "'''''x'd";
    QTest::newRow("lower-case marker") << "us" << "h:mm am/pm" << "h':'mm' 'ap";
    QTest::newRow("marker first") << "us" << "AMPM h:mm" << "AP' 'h':'mm";
    QTest::newRow("letters that are no format") << "us" << "d x q" << "d' x q'";
    QTest::newRow("era prints nothing") << "us" << "gg yyyy" << "' 'yyyy";
    QTest::newRow("short date inside") << "us" << "ddddd" << "M'/'d'/'yyyy";
    QTest::newRow("long time inside") << "se" << "tt" << "hh':'mm':'ss";
    // clang-format on
}

void TestDateTimePicker::shouldConvertFormats()
{
    QFETCH(QString, settings);
    QFETCH(QString, format);
    QFETCH(QString, qt);

    formatSettings() = RegionalSettings::byName(settings);
    const QString converted = DateTimePicker::qtDisplayFormat(format);
    QCOMPARE(converted, qt);

    // Qt's own rendering agrees with ours for English names (Qt's format strings use the C
    // locale's), so the conversion keeps the meaning of every letter.
    if (settings == QLatin1String("us")) {
        const DateTime value = ymd(2024, 3, 5) + hms(14, 7, 9);
        const QString qtText = QLocale::c().toString(DateTimeUtil::toQDateTime(value), converted);
        QCOMPARE(qtText, Format::formatDateTime(format, value));
    }
}

void TestDateTimePicker::shouldShowTheValueByTheRegionalFormat_data()
{
    QTest::addColumn<QString>("settings");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");

    const double value = ymd(2024, 3, 5) + hms(14, 7, 9);
    QTest::newRow("US date") << "us" << Kind::Date << value << "3/5/2024";
    QTest::newRow("Swedish date") << "se" << Kind::Date << value << "2024-03-05";
    QTest::newRow("German date") << "de" << Kind::Date << value << "05.03.2024";
    QTest::newRow("US time") << "us" << Kind::Time << value << "2:07:09 PM";
    QTest::newRow("US morning") << "us" << Kind::Time << hms(9, 30) << "9:30:00 AM";
    QTest::newRow("Swedish time") << "se" << Kind::Time << value << "14:07:09";
    QTest::newRow("date before day 0") << "se" << Kind::Date << -1.25 << "1899-12-29";
    QTest::newRow("time before day 0") << "se" << Kind::Time << -1.25 << "06:00:00";
}

void TestDateTimePicker::shouldShowTheValueByTheRegionalFormat()
{
    QFETCH(QString, settings);
    QFETCH(Kind, kind);
    QFETCH(double, value);
    QFETCH(QString, text);

    formatSettings() = RegionalSettings::byName(settings);
    DateTimePicker picker(kind);
    picker.setValue(value);
    QCOMPARE(picker.text(), text);
    QCOMPARE(picker.value(), value);
    if (kind == Kind::Date)
        QVERIFY(picker.editor()->calendarPopup());

    // Settings read again after a change are shown at once.
    formatSettings() = RegionalSettings::sweden();
    picker.applyFormatSettings();
    QCOMPARE(picker.text(),
             Format::formatDateTime(
                 kind == Kind::Date ? QStringLiteral("yyyy-mm-dd") : QStringLiteral("hh:nn:ss"), value));
}

void TestDateTimePicker::shouldNotSignalChangesMadeBySetters_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::newRow("date") << Kind::Date;
    QTest::newRow("time") << Kind::Time;
}

void TestDateTimePicker::shouldNotSignalChangesMadeBySetters()
{
    QFETCH(Kind, kind);

    Window w(kind);
    QSignalSpy changed(w.picker, &DateTimePicker::userChanged);
    w.picker->setValue(ymd(2024, 3, 5) + hms(8, 0));
    w.picker->setDate(ymd(2025, 1, 2));
    w.picker->setTime(hms(17, 45));
    w.picker->setValue(24.0);
    formatSettings() = RegionalSettings::sweden();
    w.picker->applyFormatSettings();
    QCOMPARE(changed.count(), 0);
    QCOMPARE(w.picker->value(), 24.0);
}

void TestDateTimePicker::shouldHoldTwentyFourWholeDaysAndShowMidnight()
{
    formatSettings() = RegionalSettings::sweden();
    DateTimePicker endTime(Kind::Time);
    endTime.setValue(24.0);
    QCOMPARE(endTime.value(), 24.0);
    QCOMPARE(endTime.text(), QStringLiteral("00:00:00"));
    QCOMPARE(endTime.date(), 24.0);
    QCOMPARE(endTime.time(), 0.0);

    formatSettings() = RegionalSettings::us();
    endTime.applyFormatSettings();
    QCOMPARE(endTime.text(), QStringLiteral("12:00:00 AM"));
    QCOMPARE(endTime.value(), 24.0);
}

void TestDateTimePicker::shouldKeepTheTimeOfDayWhenTheDateIsSet_data()
{
    QTest::addColumn<double>("before");
    QTest::addColumn<double>("date");
    QTest::addColumn<double>("after");

    QTest::newRow("time of day stays")
        << ymd(2024, 3, 5) + hms(6, 0) << ymd(2025, 7, 1) + hms(23, 0) << ymd(2025, 7, 1) + hms(6, 0);
    QTest::newRow("midnight") << ymd(2024, 3, 5) << ymd(2025, 7, 1) << ymd(2025, 7, 1);
    QTest::newRow("24 whole days") << 24.0 << ymd(2025, 7, 1) << ymd(2025, 7, 1);
    QTest::newRow("a date before day 0") << hms(6, 0) << -1.0 << -1.25;
}

void TestDateTimePicker::shouldKeepTheTimeOfDayWhenTheDateIsSet()
{
    QFETCH(double, before);
    QFETCH(double, date);
    QFETCH(double, after);

    DateTimePicker picker(Kind::Date);
    picker.setValue(before);
    picker.setDate(date);
    QCOMPARE(picker.value(), after);
    QCOMPARE(picker.date(), DateTimeUtil::dateOf(date));
    QCOMPARE(picker.time(), DateTimeUtil::timeOf(before));
}

void TestDateTimePicker::shouldKeepTheDateWhenTheTimeIsSet()
{
    formatSettings() = RegionalSettings::sweden();
    DateTimePicker picker(Kind::Time);
    picker.setValue(ymd(2024, 3, 5) + hms(6, 0));
    picker.setTime(ymd(1999, 1, 1) + hms(13, 15));
    QCOMPARE(picker.value(), ymd(2024, 3, 5) + hms(13, 15));
    QCOMPARE(picker.text(), QStringLiteral("13:15:00"));
}

void TestDateTimePicker::shouldSignalAndFollowTheUserOnADatePicker()
{
    formatSettings() = RegionalSettings::sweden();
    Window w(Kind::Date);
    w.picker->setValue(ymd(2024, 3, 5) + hms(6, 0));
    QVERIFY(w.focusPicker());
    QSignalSpy changed(w.picker, &DateTimePicker::userChanged);
    // The cursor stands in the year: one step up.
    w.picker->editor()->setCurrentSection(QDateTimeEdit::YearSection);
    QTest::keyClick(w.picker->editor(), Qt::Key_Up);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(w.picker->value(), ymd(2025, 3, 5) + hms(6, 0));
    QCOMPARE(w.picker->text(), QStringLiteral("2025-03-05"));

    // Typed digits over the selected day.
    w.picker->editor()->setSelectedSection(QDateTimeEdit::DaySection);
    QTest::keyClicks(w.picker->editor(), QStringLiteral("19"));
    QVERIFY(changed.count() >= 2);
    QCOMPARE(w.picker->value(), ymd(2025, 3, 19) + hms(6, 0));
}

void TestDateTimePicker::shouldSignalAndFollowTheUserOnATimePicker()
{
    formatSettings() = RegionalSettings::sweden();
    Window w(Kind::Time);
    w.picker->setValue(24.0);
    QVERIFY(w.focusPicker());
    QSignalSpy changed(w.picker, &DateTimePicker::userChanged);
    w.picker->editor()->setSelectedSection(QDateTimeEdit::HourSection);
    QTest::keyClicks(w.picker->editor(), QStringLiteral("13"));
    QVERIFY(changed.count() >= 1);
    // The fraction follows the editor; the whole days stay.
    QCOMPARE(w.picker->value(), 24.0 + hms(13, 0));
    QCOMPARE(w.picker->time(), hms(13, 0));
    QCOMPARE(w.picker->text(), QStringLiteral("13:00:00"));
}

void TestDateTimePicker::shouldSignalADateChosenInTheCalendar()
{
    formatSettings() = RegionalSettings::sweden();
    Window w(Kind::Date);
    w.picker->setValue(ymd(2024, 3, 5) + hms(18, 0));
    QVERIFY(w.focusPicker());
    QSignalSpy changed(w.picker, &DateTimePicker::userChanged);
    // The drop-down button opens the calendar; the arrow moves to the next day and Return
    // chooses it.
    QDateTimeEdit* editor = w.picker->editor();
    QTest::mouseClick(editor, Qt::LeftButton, {}, QPoint(editor->width() - 4, editor->height() / 2));
    QCalendarWidget* calendar = w.picker->editor()->calendarWidget();
    QTRY_VERIFY(calendar->isVisible());
    auto* view = calendar->findChild<QAbstractItemView*>();
    QVERIFY(view);
    QTest::keyClick(view, Qt::Key_Right);
    QTest::keyClick(view, Qt::Key_Return);
    QTRY_VERIFY(!calendar->isVisible());
    QVERIFY(changed.count() >= 1);
    QCOMPARE(w.picker->value(), ymd(2024, 3, 6) + hms(18, 0));
    QCOMPARE(w.picker->text(), QStringLiteral("2024-03-06"));
}

void TestDateTimePicker::shouldRefuseAValueOutsideTheCalendar_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<double>("value");
    QTest::newRow("NaN date") << Kind::Date << std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("NaN time") << Kind::Time << std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("after 9999") << Kind::Date << 3e6;
    QTest::newRow("before year 1") << Kind::Date << -7e5;
}

void TestDateTimePicker::shouldRefuseAValueOutsideTheCalendar()
{
    QFETCH(Kind, kind);
    QFETCH(double, value);

    DateTimePicker picker(kind);
    picker.setValue(ymd(2024, 3, 5) + hms(6, 0));
    const QString shown = picker.text();
    QVERIFY_THROWS_EXCEPTION(EConvertError, picker.setValue(value));
    QCOMPARE(picker.value(), ymd(2024, 3, 5) + hms(6, 0));
    QCOMPARE(picker.text(), shown);
}

void TestDateTimePicker::shouldFallBackWhenTheFormatShowsNothing()
{
    // An unreadable locale leaves a short date format of one blank.
    formatSettings() = RegionalSettings::unreadable();
    DateTimePicker picker(Kind::Date);
    picker.setValue(ymd(2024, 3, 5));
    QCOMPARE(picker.text(), QStringLiteral("2024-03-05"));
}

void TestDateTimePicker::shouldPassFocusAndNameToTheEditor()
{
    QWidget window;
    auto* label = new QLabel(QStringLiteral("&Start date"), &window);
    auto* picker = new DateTimePicker(Kind::Date, &window);
    auto* time = new DateTimePicker(Kind::Time, &window);
    label->setBuddy(picker);
    time->setAccessibleName(QStringLiteral("Start time"));
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(label);
    layout->addWidget(picker);
    layout->addWidget(time);
    QFont font = picker->font();
    font.setPointSize(10);
    picker->setFont(font);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    QCOMPARE(picker->focusProxy(), picker->editor());
    picker->setFocus();
    QTRY_VERIFY(picker->editor()->hasFocus());
    QVERIFY(picker->hasFocus());
    QCOMPARE(picker->editor()->accessibleName(), QStringLiteral("Start date"));
    QCOMPARE(time->editor()->accessibleName(), QStringLiteral("Start time"));
    QCOMPARE(picker->editor()->font().pointSize(), 10);
    // Tab moves on to the next picker.
    QTest::keyClick(picker->editor(), Qt::Key_Tab);
    QTRY_VERIFY(time->editor()->hasFocus());
}

FERNGROVE_TEST_MAIN(TestDateTimePicker)
#include "tst_datetimepicker.moc"

#include "platform/core/DateTime.h"
#include "platform/core/Exception.h"

#include <QtTest>

#include <cmath>
#include <limits>

using namespace DateTimeUtil;

class TestDateTime : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { clearFixedClock(); }

    void encodeDate_data();
    void encodeDate();
    void encodeDateRefusesImpossibleDates_data();
    void encodeDateRefusesImpossibleDates();
    void encodeTime_data();
    void encodeTime();
    void encodeTimeRefusesOutOfRange_data();
    void encodeTimeRefusesOutOfRange();
    void decode_data();
    void decode();
    void decodeRefusesValuesOutsideTheCalendar_data();
    void decodeRefusesValuesOutsideTheCalendar();
    void qDateTimeRoundTrip_data();
    void qDateTimeRoundTrip();
    void fromQtRefusesInvalidValues();
    void dateOfAndTimeOf_data();
    void dateOfAndTimeOf();
    void weekday_data();
    void weekday();
    void fixedClock();
};

void TestDateTime::encodeDate_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<double>("expected");
    QTest::newRow("day zero") << QDate(1899, 12, 30) << 0.0;
    QTest::newRow("day one") << QDate(1899, 12, 31) << 1.0;
    QTest::newRow("day before zero") << QDate(1899, 12, 29) << -1.0;
    QTest::newRow("1900 has no 29 February") << QDate(1900, 3, 1) << 61.0;
    QTest::newRow("2024-05-01") << QDate(2024, 5, 1) << 45413.0;
    QTest::newRow("2026-12-09") << QDate(2026, 12, 9) << 46365.0;
    QTest::newRow("first day") << QDate(1, 1, 1) << -693593.0;
    QTest::newRow("last day") << QDate(9999, 12, 31) << 2958465.0;
}

void TestDateTime::encodeDate()
{
    QFETCH(QDate, date);
    QFETCH(double, expected);
    QCOMPARE(DateTimeUtil::encodeDate(date.year(), date.month(), date.day()), expected);
    QCOMPARE(fromQDate(date), expected);
    QCOMPARE(toQDate(expected), date);
}

void TestDateTime::encodeDateRefusesImpossibleDates_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::newRow("29 February of a common year") << 2023 << 2 << 29;
    QTest::newRow("month 13") << 2024 << 13 << 1;
    QTest::newRow("day 0") << 2024 << 1 << 0;
    QTest::newRow("year 0") << 0 << 1 << 1;
    QTest::newRow("year 10000") << 10000 << 1 << 1;
}

void TestDateTime::encodeDateRefusesImpossibleDates()
{
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    QVERIFY_THROWS_EXCEPTION(EConvertError, DateTimeUtil::encodeDate(year, month, day));
}

void TestDateTime::encodeTime_data()
{
    QTest::addColumn<int>("hour");
    QTest::addColumn<int>("minute");
    QTest::addColumn<int>("second");
    QTest::addColumn<int>("msec");
    QTest::addColumn<double>("expected");
    QTest::newRow("midnight") << 0 << 0 << 0 << 0 << 0.0;
    QTest::newRow("six") << 6 << 0 << 0 << 0 << 0.25;
    QTest::newRow("noon") << 12 << 0 << 0 << 0 << 0.5;
    QTest::newRow("end of day") << 24 << 0 << 0 << 0 << 1.0;
    QTest::newRow("08:05") << 8 << 5 << 0 << 0 << (8 * 60 + 5) / 1440.0;
    QTest::newRow("last millisecond") << 23 << 59 << 59 << 999 << 86399999 / 86400000.0;
}

void TestDateTime::encodeTime()
{
    QFETCH(int, hour);
    QFETCH(int, minute);
    QFETCH(int, second);
    QFETCH(int, msec);
    QFETCH(double, expected);
    QCOMPARE(DateTimeUtil::encodeTime(hour, minute, second, msec), expected);
}

void TestDateTime::encodeTimeRefusesOutOfRange_data()
{
    QTest::addColumn<int>("hour");
    QTest::addColumn<int>("minute");
    QTest::addColumn<int>("second");
    QTest::addColumn<int>("msec");
    QTest::newRow("24 with minutes") << 24 << 1 << 0 << 0;
    QTest::newRow("24 with a millisecond") << 24 << 0 << 0 << 1;
    QTest::newRow("hour 25") << 25 << 0 << 0 << 0;
    QTest::newRow("negative hour") << -1 << 0 << 0 << 0;
    QTest::newRow("minute 60") << 10 << 60 << 0 << 0;
    QTest::newRow("second 60") << 10 << 0 << 60 << 0;
    QTest::newRow("msec 1000") << 10 << 0 << 0 << 1000;
}

void TestDateTime::encodeTimeRefusesOutOfRange()
{
    QFETCH(int, hour);
    QFETCH(int, minute);
    QFETCH(int, second);
    QFETCH(int, msec);
    QVERIFY_THROWS_EXCEPTION(EConvertError, DateTimeUtil::encodeTime(hour, minute, second, msec));
}

void TestDateTime::decode_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QTime>("time");
    QTest::newRow("day zero") << 0.0 << QDate(1899, 12, 30) << QTime(0, 0);
    QTest::newRow("a whole day") << 1.0 << QDate(1899, 12, 31) << QTime(0, 0);
    QTest::newRow("noon") << 45413.5 << QDate(2024, 5, 1) << QTime(12, 0);
    QTest::newRow("08:05 as a sum") << 45413.0 + (8 * 60 + 5) / 1440.0 << QDate(2024, 5, 1) << QTime(8, 5);
    QTest::newRow("before day zero: date toward zero, time from the absolute fraction")
        << -1.25 << QDate(1899, 12, 29) << QTime(6, 0);
    QTest::newRow("just below day zero") << -0.25 << QDate(1899, 12, 30) << QTime(6, 0);
    QTest::newRow("last millisecond of a day") << 0.99999999 << QDate(1899, 12, 30) << QTime(23, 59, 59, 999);
    QTest::newRow("rounds up to the next day, never 24:00")
        << 0.999999999999 << QDate(1899, 12, 31) << QTime(0, 0);
    QTest::newRow("one third of a second") << 1.0 / 259200.0 << QDate(1899, 12, 30) << QTime(0, 0, 0, 333);
    QTest::newRow("first day of the calendar") << -693593.5 << QDate(1, 1, 1) << QTime(12, 0);
    QTest::newRow("last moment of the calendar") << 2958465.0 + 86399999 / 86400000.0 << QDate(9999, 12, 31) << QTime(23, 59, 59, 999);
}

void TestDateTime::decode()
{
    QFETCH(double, value);
    QFETCH(QDate, date);
    QFETCH(QTime, time);
    QCOMPARE(toQDate(value), date);
    QCOMPARE(toQTime(value), time);
    QCOMPARE(toQDateTime(value), QDateTime(date, time));
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
    decodeDate(value, y, mo, d);
    decodeTime(value, h, mi, s, ms);
    QCOMPARE(QDate(y, mo, d), date);
    QCOMPARE(QTime(h, mi, s, ms), time);
}

void TestDateTime::decodeRefusesValuesOutsideTheCalendar_data()
{
    QTest::addColumn<double>("value");
    QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity();
    QTest::newRow("after 9999") << 2958466.0;
    QTest::newRow("before year 1") << -693594.0;
    QTest::newRow("huge") << 1e300;
}

void TestDateTime::decodeRefusesValuesOutsideTheCalendar()
{
    QFETCH(double, value);
    QVERIFY_THROWS_EXCEPTION(EConvertError, toQDate(value));
    QVERIFY_THROWS_EXCEPTION(EConvertError, toQTime(value));
    QVERIFY_THROWS_EXCEPTION(EConvertError, DateTimeUtil::dayOfTheWeek(value));
}

void TestDateTime::qDateTimeRoundTrip_data()
{
    QTest::addColumn<QDateTime>("dateTime");
    QTest::addColumn<double>("value");
    QTest::newRow("after day zero") << QDateTime(QDate(2024, 5, 1), QTime(18, 0)) << 45413.75;
    QTest::newRow("before day zero") << QDateTime(QDate(1899, 12, 29), QTime(6, 0)) << -1.25;
    QTest::newRow("day zero") << QDateTime(QDate(1899, 12, 30), QTime(6, 0)) << 0.25;
    QTest::newRow("far past") << QDateTime(QDate(1066, 10, 14), QTime(9, 30)) << -304324.0 - 9.5 / 24;
}

void TestDateTime::qDateTimeRoundTrip()
{
    QFETCH(QDateTime, dateTime);
    QFETCH(double, value);
    QCOMPARE(fromQDateTime(dateTime), value);
    QCOMPARE(toQDateTime(value), dateTime);
}

void TestDateTime::fromQtRefusesInvalidValues()
{
    QVERIFY_THROWS_EXCEPTION(EConvertError, fromQDate(QDate()));
    QVERIFY_THROWS_EXCEPTION(EConvertError, fromQTime(QTime()));
    QVERIFY_THROWS_EXCEPTION(EConvertError, fromQDateTime(QDateTime()));
}

void TestDateTime::dateOfAndTimeOf_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("date");
    QTest::addColumn<double>("time");
    QTest::newRow("positive") << 2.75 << 2.0 << 0.75;
    QTest::newRow("negative") << -1.25 << -1.0 << 0.25;
    QTest::newRow("whole") << 45413.0 << 45413.0 << 0.0;
}

void TestDateTime::dateOfAndTimeOf()
{
    QFETCH(double, value);
    QFETCH(double, date);
    QFETCH(double, time);
    QCOMPARE(dateOf(value), date);
    QCOMPARE(timeOf(value), time);
}

void TestDateTime::weekday_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("weekday");
    QTest::newRow("2026-12-09 is a Wednesday") << 46365.0 << 3;
    QTest::newRow("late evening keeps the day") << 46365.99 << 3;
    QTest::newRow("day zero is a Saturday") << 0.0 << 6;
    QTest::newRow("2023-12-31 is a Sunday") << 45291.0 << 7;
    QTest::newRow("2024-01-01 is a Monday") << 45292.0 << 1;
    QTest::newRow("1899-12-29 is a Friday") << -1.25 << 5;
}

void TestDateTime::weekday()
{
    QFETCH(double, value);
    QFETCH(int, weekday);
    QCOMPARE(DateTimeUtil::dayOfTheWeek(value), weekday);
}

void TestDateTime::fixedClock()
{
    setFixedClock(46365.75);
    QCOMPARE(now(), 46365.75);
    QCOMPARE(today(), 46365.0);

    clearFixedClock();
    // Back on the system clock: today is the system's date (allowing for midnight passing).
    const qint64 lag = QDate::currentDate().daysTo(toQDate(today()));
    QVERIFY2(lag == 0 || lag == 1, qPrintable(QString::number(lag)));
    QCOMPARE(timeOf(today()), 0.0);
}

QTEST_APPLESS_MAIN(TestDateTime)
#include "tst_datetime.moc"

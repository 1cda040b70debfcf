#include "RegionalSettings.h"
#include "platform/core/Exception.h"

#include <QtTest>

using namespace DateTimeUtil;

// Parsing is checked with the clock fixed on 2026-12-11, so two-digit years and dates typed
// without a year have one answer.
class TestDateParse : public QObject
{
    Q_OBJECT

private slots:
    void init() { setFixedClock(encodeDate(2026, 12, 11) + 0.5); }
    void cleanup() { clearFixedClock(); }

    void dates_data();
    void dates();
    void dateRoundTrip_data();
    void dateRoundTrip();
    void times_data();
    void times();
    void dateTimes_data();
    void dateTimes();
    void dateTimeToStrRoundTrip_data();
    void dateTimeToStrRoundTrip();
    void failedParseLeavesValue();
    void strToRaisesConvertErrors();
};

void TestDateParse::dates_data()
{
    QTest::addColumn<QString>("region");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("expected"); // invalid: the text is refused

    QTest::newRow("us m/d/yyyy") << "us" << "5/1/2024" << QDate(2024, 5, 1);
    QTest::newRow("us padded") << "us" << "05/01/2024" << QDate(2024, 5, 1);
    QTest::newRow("us blanks around") << "us" << "  5 / 1 / 2024 " << QDate(2024, 5, 1);
    QTest::newRow("us two-digit year this century") << "us" << "5/1/24" << QDate(2024, 5, 1);
    QTest::newRow("us two-digit year, 50 years back") << "us" << "5/1/76" << QDate(1976, 5, 1);
    QTest::newRow("us two-digit year, 49 years on") << "us" << "5/1/75" << QDate(2075, 5, 1);
    QTest::newRow("us year 00") << "us" << "1/1/00" << QDate(2000, 1, 1);
    QTest::newRow("us four-digit year is kept") << "us" << "1/1/0024" << QDate(24, 1, 1);
    QTest::newRow("us without a year is this year") << "us" << "5/1" << QDate(2026, 5, 1);
    QTest::newRow("us leap day") << "us" << "2/29/2024" << QDate(2024, 2, 29);
    QTest::newRow("us no leap day in 2023") << "us" << "2/29/2023" << QDate();
    QTest::newRow("us month 13") << "us" << "13/1/2024" << QDate();
    QTest::newRow("us day 0") << "us" << "1/0/2024" << QDate();
    QTest::newRow("us wrong separator") << "us" << "5-1-2024" << QDate();
    QTest::newRow("us empty") << "us" << "" << QDate();
    QTest::newRow("us blanks") << "us" << "   " << QDate();
    QTest::newRow("us letters") << "us" << "abc" << QDate();
    QTest::newRow("us a lone number") << "us" << "5" << QDate();
    QTest::newRow("us missing part") << "us" << "5//2024" << QDate();
    QTest::newRow("us trailing separator") << "us" << "5/1/" << QDate();
    QTest::newRow("us trailing text") << "us" << "5/1/2024x" << QDate();
    QTest::newRow("us a time is not a date") << "us" << "5/1/2024 8:00" << QDate();
    QTest::newRow("us five-digit year") << "us" << "5/1/20245" << QDate();
    QTest::newRow("us huge number") << "us" << "99999999999999999999/1/2024" << QDate();
    QTest::newRow("us negative") << "us" << "-5/1/2024" << QDate();

    QTest::newRow("se yyyy-mm-dd") << "se" << "2024-05-01" << QDate(2024, 5, 1);
    QTest::newRow("se two-digit year first") << "se" << "24-5-1" << QDate(2024, 5, 1);
    QTest::newRow("se month and day without a year") << "se" << "05-01" << QDate(2026, 5, 1);
    QTest::newRow("se slashes refused") << "se" << "2024/05/01" << QDate();

    QTest::newRow("de dd.mm.yyyy") << "de" << "01.05.2024" << QDate(2024, 5, 1);
    QTest::newRow("de unpadded") << "de" << "1.5.2024" << QDate(2024, 5, 1);
    QTest::newRow("de day and month") << "de" << "1.5" << QDate(2026, 5, 1);
    QTest::newRow("de 31 April") << "de" << "31.4.2024" << QDate();
    QTest::newRow("de us text refused") << "de" << "5/1/2024" << QDate();

    QTest::newRow("blank separator, no order in the format") << "unreadable" << "5  1 2024" << QDate(2024, 5, 1);
    QTest::newRow("blank separator refuses slashes") << "unreadable" << "5/1/2024" << QDate();
}

void TestDateParse::dates()
{
    QFETCH(QString, region);
    QFETCH(QString, text);
    QFETCH(QDate, expected);
    DateTime value = -7;
    const bool ok = Format::tryStrToDate(text, value, RegionalSettings::byName(region));
    QCOMPARE(ok, expected.isValid());
    if (ok)
        QCOMPARE(toQDate(value), expected);
    else
        QCOMPARE(value, -7.0);
}

void TestDateParse::dateRoundTrip_data()
{
    QTest::addColumn<QString>("region");
    QTest::addColumn<QDate>("date");
    const char* regions[] = {"us", "se", "de"};
    const QDate dates[] = {QDate(1899, 12, 30), QDate(1899, 12, 29), QDate(2024, 2, 29), QDate(2026, 12, 9),
                           QDate(1, 1, 1),      QDate(9999, 12, 31)};
    for (const char* region : regions)
        for (const QDate& date : dates)
            QTest::addRow("%s %s", region, qPrintable(date.toString(Qt::ISODate))) << QString::fromLatin1(region)
                                                                                    << date;
}

void TestDateParse::dateRoundTrip()
{
    QFETCH(QString, region);
    QFETCH(QDate, date);
    const FormatSettings fs = RegionalSettings::byName(region);
    const DateTime value = fromQDate(date);
    const QString text = Format::formatDateTime(fs.shortDateFormat, value, fs);
    DateTime back = 0;
    QVERIFY2(Format::tryStrToDate(text, back, fs), qPrintable(text));
    QCOMPARE(back, value);
}

void TestDateParse::times_data()
{
    QTest::addColumn<QString>("region");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QTime>("expected"); // invalid: the text is refused

    QTest::newRow("hours and minutes") << "us" << "8:05" << QTime(8, 5);
    QTest::newRow("with seconds") << "us" << "08:05:09" << QTime(8, 5, 9);
    QTest::newRow("with a fraction of a second") << "us" << "8:05:09.5" << QTime(8, 5, 9, 500);
    QTest::newRow("with milliseconds") << "us" << "8:05:09.007" << QTime(8, 5, 9, 7);
    QTest::newRow("24-hour") << "us" << "20:05" << QTime(20, 5);
    QTest::newRow("PM") << "us" << "8:05 PM" << QTime(20, 5);
    QTest::newRow("pm in lower case, no blank") << "us" << "8:05pm" << QTime(20, 5);
    QTest::newRow("12 AM is midnight") << "us" << "12:00 AM" << QTime(0, 0);
    QTest::newRow("12 PM is noon") << "us" << "12:30 PM" << QTime(12, 30);
    QTest::newRow("hour and marker only") << "us" << "8 PM" << QTime(20, 0);
    QTest::newRow("marker first") << "us" << "PM 8:05" << QTime(20, 5);
    QTest::newRow("13 PM") << "us" << "13:00 PM" << QTime();
    QTest::newRow("24:00") << "us" << "24:00" << QTime();
    QTest::newRow("minute 60") << "us" << "8:60" << QTime();
    QTest::newRow("second 60") << "us" << "8:00:60" << QTime();
    QTest::newRow("a lone number") << "us" << "8" << QTime();
    QTest::newRow("three-digit hour") << "us" << "008:00" << QTime();
    QTest::newRow("two markers") << "us" << "AM 8:00 PM" << QTime();
    QTest::newRow("empty") << "us" << "" << QTime();
    QTest::newRow("letters") << "us" << "abc" << QTime();
    QTest::newRow("trailing separator") << "us" << "8:" << QTime();
    QTest::newRow("a date is not a time") << "us" << "5/1/2024" << QTime();

    QTest::newRow("se regional afternoon marker") << "se" << "8:05 em" << QTime(20, 5);
    QTest::newRow("se seconds fraction by comma") << "se" << "08:05:09,25" << QTime(8, 5, 9, 250);
    QTest::newRow("de 24-hour, no markers") << "de" << "20:05:09" << QTime(20, 5, 9);
    QTest::newRow("de English marker still read") << "de" << "8:05 PM" << QTime(20, 5);
}

void TestDateParse::times()
{
    QFETCH(QString, region);
    QFETCH(QString, text);
    QFETCH(QTime, expected);
    DateTime value = -7;
    const bool ok = Format::tryStrToTime(text, value, RegionalSettings::byName(region));
    QCOMPARE(ok, expected.isValid());
    if (ok) {
        QCOMPARE(dateOf(value), 0.0);
        QCOMPARE(toQTime(value), expected);
    } else {
        QCOMPARE(value, -7.0);
    }
}

void TestDateParse::dateTimes_data()
{
    QTest::addColumn<QString>("region");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("expected");
    const DateTime may1 = encodeDate(2024, 5, 1);
    QTest::newRow("date and time") << "us" << "5/1/2024 8:05 PM" << true << may1 + encodeTime(20, 5, 0);
    QTest::newRow("date only") << "us" << "5/1/2024" << true << may1;
    QTest::newRow("time only") << "us" << "8:05" << true << encodeTime(8, 5, 0);
    QTest::newRow("date without year and time") << "us" << "5/1 8:05" << true
                                                << encodeDate(2026, 5, 1) + encodeTime(8, 5, 0);
    QTest::newRow("before day zero") << "us" << "12/29/1899 6:00 AM" << true << -1.25;
    QTest::newRow("trailing text") << "us" << "5/1/2024 8:05 x" << false << 0.0;
    QTest::newRow("bad time") << "us" << "5/1/2024 25:00" << false << 0.0;
    QTest::newRow("empty") << "us" << "" << false << 0.0;
    QTest::newRow("se date and time") << "se" << "2024-05-01 20:05:09" << true << may1 + encodeTime(20, 5, 9);
    QTest::newRow("de date and time") << "de" << "01.05.2024 20:05" << true << may1 + encodeTime(20, 5, 0);
}

void TestDateParse::dateTimes()
{
    QFETCH(QString, region);
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(double, expected);
    DateTime value = 0;
    QCOMPARE(Format::tryStrToDateTime(text, value, RegionalSettings::byName(region)), ok);
    if (ok)
        QCOMPARE(value, expected);
}

void TestDateParse::dateTimeToStrRoundTrip_data()
{
    QTest::addColumn<QString>("region");
    QTest::addColumn<double>("value");
    const char* regions[] = {"us", "se", "de"};
    const double values[] = {0.0,   0.5,   -1.25, encodeDate(2024, 5, 1) + encodeTime(23, 59, 59),
                             45413, 46365.25};
    for (const char* region : regions)
        for (double value : values)
            QTest::addRow("%s %g", region, value) << QString::fromLatin1(region) << value;
}

void TestDateParse::dateTimeToStrRoundTrip()
{
    QFETCH(QString, region);
    QFETCH(double, value);
    const FormatSettings fs = RegionalSettings::byName(region);
    const QString text = Format::dateTimeToStr(value, fs);
    DateTime back = 0;
    QVERIFY2(Format::tryStrToDateTime(text, back, fs), qPrintable(text));
    QCOMPARE(toQDateTime(back), toQDateTime(value));
}

void TestDateParse::failedParseLeavesValue()
{
    DateTime value = 123.5;
    QVERIFY(!Format::tryStrToDateTime(QStringLiteral("5/1/2024 8:99"), value, RegionalSettings::us()));
    QCOMPARE(value, 123.5);
}

void TestDateParse::strToRaisesConvertErrors()
{
    const FormatSettings fs = RegionalSettings::us();
    QCOMPARE(Format::strToDate(QStringLiteral("5/1/2024"), fs), encodeDate(2024, 5, 1));
    QCOMPARE(Format::strToTime(QStringLiteral("6:00 AM"), fs), 0.25);
    QCOMPARE(Format::strToDateTime(QStringLiteral("12/30/1899 6:00 AM"), fs), 0.25);
    try {
        Format::strToDate(QStringLiteral("abc"), fs);
        QFAIL("no error for abc");
    } catch (const EConvertError& e) {
        QCOMPARE(e.message(), QStringLiteral("'abc' is not a valid date"));
    }
    try {
        Format::strToTime(QStringLiteral("25:00"), fs);
        QFAIL("no error for 25:00");
    } catch (const EConvertError& e) {
        QCOMPARE(e.message(), QStringLiteral("'25:00' is not a valid time"));
    }
    try {
        Format::strToDateTime(QStringLiteral("x"), fs);
        QFAIL("no error for x");
    } catch (const EConvertError& e) {
        QCOMPARE(e.message(), QStringLiteral("'x' is not a valid date and time"));
    }
}

QTEST_APPLESS_MAIN(TestDateParse)
#include "tst_dateparse.moc"

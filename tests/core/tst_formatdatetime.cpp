#include "RegionalSettings.h"

#include <QtTest>

using namespace DateTimeUtil;

namespace {

DateTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0)
{
    return encodeDate(y, mo, d) + encodeTime(h, mi, s, ms);
}

} // namespace

class TestFormatDateTime : public QObject
{
    Q_OBJECT

private slots:
    void formats_data();
    void formats();
    void regionalFormats_data();
    void regionalFormats();
    void selfReferringFormatsEnd();
    void dateTimeToStr_data();
    void dateTimeToStr();
    void defaultsAreUnitedStates();
    void processWideSettingsAreUsed();
};

void TestFormatDateTime::formats_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");
    const DateTime may1 = at(2024, 5, 1, 8, 5);
    const DateTime sep3 = at(2024, 9, 3, 8, 5, 9, 7);
    const DateTime evening = at(2024, 9, 3, 20, 5, 9);

    QTest::newRow("chart label yy-mm-dd") << "yy-mm-dd" << may1 << "24-05-01";
    QTest::newRow("list time hh:mm") << "hh:mm" << may1 << "08:05";
    QTest::newRow("long time h:mm:ss AMPM") << "h:mm:ss AMPM" << may1 << "8:05:00 AM";
    QTest::newRow("short time in the evening") << "h:mm AMPM" << evening << "8:05 PM";
    QTest::newRow("letters in any case") << "YY-MM-DD HH:MM" << may1 << "24-05-01 08:05";
    QTest::newRow("24-hour clock without a marker") << "h:mm" << evening << "20:05";
    QTest::newRow("midnight on a 12-hour clock") << "h AMPM" << at(2024, 1, 1) << "12 AM";
    QTest::newRow("noon on a 12-hour clock") << "hh AMPM" << at(2024, 1, 1, 12) << "12 PM";
    QTest::newRow("marker before the time") << "AMPM h:nn" << evening << "PM 8:05";
    QTest::newRow("am/pm in lower case") << "h am/pm" << evening << "8 pm";
    QTest::newRow("AM/PM in upper case") << "h AM/PM" << may1 << "8 AM";
    QTest::newRow("a/p") << "ha/p" << evening << "8p";
    QTest::newRow("A/P") << "hA/P" << may1 << "8A";
    QTest::newRow("a lone a is a letter") << "a h" << may1 << "a 8";
    QTest::newRow("minutes by n") << "n nn" << may1 << "5 05";
    QTest::newRow("m after h across a separator is minutes") << "hh.mm" << may1 << "08.05";
    QTest::newRow("m after h across a literal is minutes") << "h \"o'clock\" m" << may1 << "8 o'clock 5";
    QTest::newRow("month, then minutes") << "mm/dd hh:mm" << may1 << "05/01 08:05";
    QTest::newRow("m after a minute is the month") << "hh:mm:mm" << may1 << "08:05:05";
    QTest::newRow("mmm after h is the month name") << "h mmm" << sep3 << "8 Sep";
    QTest::newRow("day and month numbers") << "d/m/yyyy" << sep3 << "3/9/2024";
    QTest::newRow("padded day and month") << "dd/mm/yyyy" << sep3 << "03/09/2024";
    QTest::newRow("day names") << "ddd dddd" << sep3 << "Tue Tuesday";
    QTest::newRow("month names") << "mmm mmmm" << sep3 << "Sep September";
    QTest::newRow("short date") << "ddddd" << sep3 << "9/3/2024";
    QTest::newRow("long date") << "dddddd" << sep3 << "Tuesday, September 3, 2024";
    QTest::newRow("seven d are the long date") << "ddddddd" << sep3 << "Tuesday, September 3, 2024";
    QTest::newRow("one y is two digits") << "y" << sep3 << "24";
    QTest::newRow("three y are four digits") << "yyy" << sep3 << "2024";
    QTest::newRow("year below 1000") << "yyyy yy" << at(987, 6, 5) << "0987 87";
    QTest::newRow("seconds and milliseconds") << "s ss z zzz" << sep3 << "9 09 7 007";
    QTest::newRow("everything") << "yyyy-mm-dd hh:nn:ss.zzz" << sep3 << "2024-09-03 08:05:09.007";
    QTest::newRow("short and long time") << "t|tt" << evening << "8:05 PM|8:05:09 PM";
    QTest::newRow("c with a time") << "c" << evening << "9/3/2024 8:05:09 PM";
    QTest::newRow("c at midnight") << "c" << at(2024, 9, 3) << "9/3/2024";
    QTest::newRow("empty format is c") << "" << evening << "9/3/2024 8:05:09 PM";
    QTest::newRow("double-quoted literal") << "\"dd mm\" dd" << sep3 << "dd mm 03";
    QTest::newRow("unclosed quote runs to the end") << "d 'mm yy" << sep3 << "3 mm yy";
    QTest::newRow("other letters as written") << "dd-Qx" << sep3 << "03-Qx";
    QTest::newRow("era year") << "e/mm/dd" << sep3 << "2024/09/03";
    QTest::newRow("era name prints nothing") << "gg yyyy" << sep3 << " 2024";
    QTest::newRow("day zero") << "yyyy-mm-dd hh:nn" << 0.0 << "1899-12-30 00:00";
    QTest::newRow("before day zero") << "yyyy-mm-dd hh:nn" << -1.25 << "1899-12-29 06:00";
    QTest::newRow("never 24:00") << "yyyy-mm-dd hh:nn:ss" << 0.999999999999 << "1899-12-31 00:00:00";
}

void TestFormatDateTime::formats()
{
    QFETCH(QString, format);
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(Format::formatDateTime(format, value, RegionalSettings::us()), expected);
}

void TestFormatDateTime::regionalFormats_data()
{
    QTest::addColumn<QString>("region");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("expected");
    QTest::newRow("se short date") << "se" << "ddddd" << "2024-09-03";
    QTest::newRow("se long date") << "se" << "dddddd" << "den 3 september 2024";
    QTest::newRow("se c") << "se" << "c" << "2024-09-03 20:05:09";
    QTest::newRow("se / prints the date separator") << "se" << "yyyy/mm/dd" << "2024-09-03";
    QTest::newRow("se AMPM prints the regional marker") << "se" << "h:nn AMPM" << "8:05 em";
    QTest::newRow("de short date") << "de" << "ddddd" << "03.09.2024";
    QTest::newRow("de c") << "de" << "c" << "03.09.2024 20:05:09";
    QTest::newRow("de / prints the date separator") << "de" << "dd/mm/yy" << "03.09.24";
    QTest::newRow("de empty markers") << "de" << "hh:nn AMPM" << "08:05 ";
}

void TestFormatDateTime::regionalFormats()
{
    QFETCH(QString, region);
    QFETCH(QString, format);
    QFETCH(QString, expected);
    QCOMPARE(Format::formatDateTime(format, at(2024, 9, 3, 20, 5, 9), RegionalSettings::byName(region)), expected);
}

void TestFormatDateTime::selfReferringFormatsEnd()
{
    // A short date format that names itself must not expand forever.
    FormatSettings fs = RegionalSettings::us();
    fs.shortDateFormat = QStringLiteral("ddddd|");
    fs.longTimeFormat = QStringLiteral("c");
    const QString text = Format::formatDateTime(QStringLiteral("c"), at(2024, 9, 3, 8), fs);
    QVERIFY2(text.startsWith(QStringLiteral("|||")), qPrintable(text));
    QVERIFY2(text.size() < 64, qPrintable(text));

    // A time separator setting also applies to ':' inside the regional formats.
    fs = RegionalSettings::us();
    fs.timeSeparator = QLatin1Char('.');
    QCOMPARE(Format::formatDateTime(QStringLiteral("tt"), at(2024, 9, 3, 8, 5, 9), fs), QStringLiteral("8.05.09 AM"));
}

void TestFormatDateTime::dateTimeToStr_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("time only: day zero is shown") << 0.5 << "12/30/1899 12:00:00 PM";
    QTest::newRow("date only") << 45413.0 << "5/1/2024";
    QTest::newRow("before day zero") << -1.25 << "12/29/1899 6:00:00 AM";
    QTest::newRow("milliseconds alone do not add a time") << at(2024, 5, 1, 0, 0, 0, 500) << "5/1/2024";
}

void TestFormatDateTime::dateTimeToStr()
{
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(Format::dateTimeToStr(value, RegionalSettings::us()), expected);
}

void TestFormatDateTime::defaultsAreUnitedStates()
{
    const FormatSettings fs = FormatSettings::defaults();
    QCOMPARE(fs.currencyString, QStringLiteral("$"));
    QCOMPARE(fs.currencyFormat, 0);
    QCOMPARE(fs.negCurrFormat, 0);
    QCOMPARE(fs.thousandSeparator, QLatin1Char(','));
    QCOMPARE(fs.decimalSeparator, QLatin1Char('.'));
    QCOMPARE(fs.currencyDecimals, 2);
    QCOMPARE(fs.dateSeparator, QLatin1Char('/'));
    QCOMPARE(fs.shortDateFormat, QStringLiteral("M/d/yyyy"));
    QCOMPARE(fs.longDateFormat, QStringLiteral("dddd, MMMM d, yyyy"));
    QCOMPARE(fs.timeSeparator, QLatin1Char(':'));
    QCOMPARE(fs.timeAMString, QStringLiteral("AM"));
    QCOMPARE(fs.timePMString, QStringLiteral("PM"));
    QCOMPARE(fs.shortTimeFormat, QStringLiteral("h:mm AMPM"));
    QCOMPARE(fs.longTimeFormat, QStringLiteral("h:mm:ss AMPM"));
    QCOMPARE(fs.listSeparator, QLatin1Char(','));
    QCOMPARE(fs.shortMonthNames.size(), 12);
    QCOMPARE(fs.longMonthNames.value(11), QStringLiteral("December"));
    QCOMPARE(fs.shortDayNames.size(), 7);
    QCOMPARE(fs.longDayNames.value(0), QStringLiteral("Sunday"));
}

void TestFormatDateTime::processWideSettingsAreUsed()
{
    FormatSettings& global = formatSettings();
    QCOMPARE(&global, &formatSettings());
    const FormatSettings saved = global;
    global = RegionalSettings::germany();
    QCOMPARE(Format::formatDateTime(QStringLiteral("ddddd"), at(2024, 9, 3)), QStringLiteral("03.09.2024"));
    global = saved;
    QCOMPARE(Format::formatDateTime(QStringLiteral("ddddd"), at(2024, 9, 3)), QStringLiteral("9/3/2024"));
}

QTEST_APPLESS_MAIN(TestFormatDateTime)
#include "tst_formatdatetime.moc"

#include "FormatSettings.h"

FormatSettings FormatSettings::defaults()
{
    FormatSettings fs;
    fs.currencyString = QStringLiteral("$");
    fs.currencyFormat = 0;
    fs.negCurrFormat = 0;
    fs.thousandSeparator = QLatin1Char(',');
    fs.decimalSeparator = QLatin1Char('.');
    fs.currencyDecimals = 2;
    fs.dateSeparator = QLatin1Char('/');
    fs.shortDateFormat = QStringLiteral("M/d/yyyy");
    fs.longDateFormat = QStringLiteral("dddd, MMMM d, yyyy");
    fs.timeSeparator = QLatin1Char(':');
    fs.timeAMString = QStringLiteral("AM");
    fs.timePMString = QStringLiteral("PM");
    fs.shortTimeFormat = QStringLiteral("h:mm AMPM");
    fs.longTimeFormat = QStringLiteral("h:mm:ss AMPM");
    fs.listSeparator = QLatin1Char(',');
    fs.shortMonthNames = {QStringLiteral("Jan"), QStringLiteral("Feb"), QStringLiteral("Mar"),
                          QStringLiteral("Apr"), QStringLiteral("May"), QStringLiteral("Jun"),
                          QStringLiteral("Jul"), QStringLiteral("Aug"), QStringLiteral("Sep"),
                          QStringLiteral("Oct"), QStringLiteral("Nov"), QStringLiteral("Dec")};
    fs.longMonthNames = {QStringLiteral("January"), QStringLiteral("February"), QStringLiteral("March"),
                         QStringLiteral("April"),   QStringLiteral("May"),      QStringLiteral("June"),
                         QStringLiteral("July"),    QStringLiteral("August"),   QStringLiteral("September"),
                         QStringLiteral("October"), QStringLiteral("November"), QStringLiteral("December")};
    fs.shortDayNames = {QStringLiteral("Sun"), QStringLiteral("Mon"), QStringLiteral("Tue"),
                        QStringLiteral("Wed"), QStringLiteral("Thu"), QStringLiteral("Fri"),
                        QStringLiteral("Sat")};
    fs.longDayNames = {QStringLiteral("Sunday"),    QStringLiteral("Monday"),   QStringLiteral("Tuesday"),
                       QStringLiteral("Wednesday"), QStringLiteral("Thursday"), QStringLiteral("Friday"),
                       QStringLiteral("Saturday")};
    return fs;
}

FormatSettings& formatSettings()
{
    static FormatSettings settings = FormatSettings::defaults();
    return settings;
}

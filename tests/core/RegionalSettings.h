#pragma once

#include "platform/core/FormatSettings.h"

// Regional settings built by hand for the tests: United States (the defaults), Sweden, Germany.
namespace RegionalSettings {

inline FormatSettings us()
{
    return FormatSettings::defaults();
}

inline FormatSettings sweden()
{
    FormatSettings fs = FormatSettings::defaults();
    fs.currencyString = QStringLiteral("kr");
    fs.currencyFormat = 3;
    fs.negCurrFormat = 8;
    fs.thousandSeparator = QChar(0x00A0);
    fs.decimalSeparator = QLatin1Char(',');
    fs.currencyDecimals = 2;
    fs.dateSeparator = QLatin1Char('-');
    fs.shortDateFormat = QStringLiteral("yyyy-MM-dd");
    fs.longDateFormat = QStringLiteral("'den 'd MMMM yyyy");
    fs.timeSeparator = QLatin1Char(':');
    fs.timeAMString = QStringLiteral("fm");
    fs.timePMString = QStringLiteral("em");
    fs.shortTimeFormat = QStringLiteral("HH:mm");
    fs.longTimeFormat = QStringLiteral("HH:mm:ss");
    fs.listSeparator = QLatin1Char(';');
    fs.longMonthNames = {QStringLiteral("januari"), QStringLiteral("februari"), QStringLiteral("mars"),
                         QStringLiteral("april"),   QStringLiteral("maj"),      QStringLiteral("juni"),
                         QStringLiteral("juli"),    QStringLiteral("augusti"),  QStringLiteral("september"),
                         QStringLiteral("oktober"), QStringLiteral("november"), QStringLiteral("december")};
    return fs;
}

inline FormatSettings germany()
{
    FormatSettings fs = FormatSettings::defaults();
    fs.currencyString = QStringLiteral("€");
    fs.currencyFormat = 3;
    fs.negCurrFormat = 8;
    fs.thousandSeparator = QLatin1Char('.');
    fs.decimalSeparator = QLatin1Char(',');
    fs.currencyDecimals = 2;
    fs.dateSeparator = QLatin1Char('.');
    fs.shortDateFormat = QStringLiteral("dd.MM.yyyy");
    fs.longDateFormat = QStringLiteral("dddd, d. MMMM yyyy");
    fs.timeSeparator = QLatin1Char(':');
    fs.timeAMString = QString();
    fs.timePMString = QString();
    fs.shortTimeFormat = QStringLiteral("HH:mm");
    fs.longTimeFormat = QStringLiteral("HH:mm:ss");
    fs.listSeparator = QLatin1Char(';');
    return fs;
}

// What start-up is left with when the locale cannot be read: both separators a blank.
inline FormatSettings unreadable()
{
    FormatSettings fs = FormatSettings::defaults();
    fs.currencyString = QString();
    fs.thousandSeparator = QLatin1Char(' ');
    fs.decimalSeparator = QLatin1Char(' ');
    fs.currencyDecimals = 0;
    fs.dateSeparator = QLatin1Char(' ');
    fs.shortDateFormat = QStringLiteral(" ");
    return fs;
}

inline FormatSettings byName(const QString& name)
{
    if (name == QLatin1String("unreadable"))
        return unreadable();
    if (name == QLatin1String("se"))
        return sweden();
    if (name == QLatin1String("de"))
        return germany();
    return us();
}

} // namespace RegionalSettings

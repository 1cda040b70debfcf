#pragma once

#include "Currency.h"
#include "DateTime.h"

#include <QString>
#include <QStringList>

// The process-wide regional format settings that every formatting and parsing uses.
// The first fifteen are the ones the regional-formats routine overwrites at start-up;
// the month and day names keep what was read when the process started.
struct FormatSettings
{
    QString currencyString;      // e.g. "$", "kr", "€"
    int currencyFormat = 0;      // 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $"
    int negCurrFormat = 0;       // the class library's 16 negative patterns, 0 "($1)" ... 15 "(1 $)"
    QChar thousandSeparator = QLatin1Char(',');
    QChar decimalSeparator = QLatin1Char('.');
    int currencyDecimals = 2;
    QChar dateSeparator = QLatin1Char('/');
    QString shortDateFormat = QStringLiteral("M/d/yyyy");
    QString longDateFormat = QStringLiteral("dddd, MMMM d, yyyy");
    QChar timeSeparator = QLatin1Char(':');
    QString timeAMString = QStringLiteral("AM");
    QString timePMString = QStringLiteral("PM");
    QString shortTimeFormat = QStringLiteral("h:mm AMPM");
    QString longTimeFormat = QStringLiteral("h:mm:ss AMPM");
    QChar listSeparator = QLatin1Char(',');

    QStringList shortMonthNames; // 12 entries, January first
    QStringList longMonthNames;
    QStringList shortDayNames;   // 7 entries, Sunday first (as the class library orders them)
    QStringList longDayNames;

    // The settings every run starts from: an English (United States) set, until start-up
    // reads the user's locale.
    static FormatSettings defaults();
};

// The one set the whole process uses.
FormatSettings& formatSettings();

namespace Format {

// Formats a value by a class-library format string: letters case-insensitive; d dd ddd dddd
// ddddd (short date) dddddd (long date); m mm mmm mmmm (month, or minutes straight after
// h/hh); yy yyyy; h hh; n nn; s ss; z zzz; t (short time) tt (long time); c; AMPM, am/pm, a/p;
// "/" and ":" print the date and time separators; text in '...' or "..." is literal.
// y is yy, yyy is yyyy; h/hh give a 12-hour clock when the format has an AM/PM marker; e is the
// year and g prints nothing; an empty format is "c"; other characters print as written.
// Throws EConvertError for a value outside 0001-01-01 to 9999-12-31 (see DateTime.h).
QString formatDateTime(const QString& format, DateTime value, const FormatSettings& fs = formatSettings());

// Parses a date written in the short date format (the order of d, m and y in it, the date
// separator; a year of one or two digits is taken from 50 years before this year to 49 after;
// two numbers are day and month of this year; blanks around the parts are allowed). Returns false
// (value untouched) on text that is not a date, a date that does not exist or trailing text.
bool tryStrToDate(const QString& text, DateTime& value, const FormatSettings& fs = formatSettings());
// Parses a time by the time separator: hours and minutes, optional seconds with an optional
// fraction after the decimal separator, and an AM/PM marker (the regional one or "AM"/"PM", any
// case) before or after; with a marker an hour alone will do and hours run 0-12, else 0-23.
bool tryStrToTime(const QString& text, DateTime& value, const FormatSettings& fs = formatSettings());
// A date, a time, or a date followed by a time.
bool tryStrToDateTime(const QString& text, DateTime& value, const FormatSettings& fs = formatSettings());

// As the three above, but throw EConvertError ("'abc' is not a valid date", "... time",
// "... date and time") on text that does not parse.
DateTime strToDate(const QString& text, const FormatSettings& fs = formatSettings());
DateTime strToTime(const QString& text, const FormatSettings& fs = formatSettings());
DateTime strToDateTime(const QString& text, const FormatSettings& fs = formatSettings());

// The default text of a date-time value: the short date, then the long time unless it is
// midnight ("c" format).
QString dateTimeToStr(DateTime value, const FormatSettings& fs = formatSettings());

// A number with the regional decimal separator and no thousands separators, rounded to 15
// significant digits without trailing zeros; from 1E15 up and below 0.0001 in exponent form
// ("1E15", "1,5E-5"); "NAN", "INF", "-INF".
QString floatToStr(double value, const FormatSettings& fs = formatSettings());
// The regional currency text: symbol placed by currencyFormat / negCurrFormat, thousands
// separators, currencyDecimals decimals (rounded half away from zero; an amount that rounds to
// zero shows no sign). Pattern numbers out of range count as 0.
QString currencyToDisplayText(Currency value, const FormatSettings& fs = formatSettings());
// The edit text of a currency: fixed, currencyDecimals decimals, no symbol, no thousands separators.
QString currencyToEditText(Currency value, const FormatSettings& fs = formatSettings());
// Text typed by a user: an optional sign, digits with the regional decimal separator
// (thousands separators and the currency symbol are accepted and ignored), optional exponent.
// Returns false on anything else (value untouched). Currency rounds half away from zero to a
// ten-thousandth and refuses amounts beyond ±922337203685477.5807; a float refuses overflow.
bool tryStrToCurrency(const QString& text, Currency& value, const FormatSettings& fs = formatSettings());
bool tryStrToFloat(const QString& text, double& value, const FormatSettings& fs = formatSettings());
// As the two above, but throw EConvertError ("'abc' is not a valid floating point value").
Currency strToCurrency(const QString& text, const FormatSettings& fs = formatSettings());
double strToFloat(const QString& text, const FormatSettings& fs = formatSettings());

} // namespace Format

#include "Exception.h"
#include "FormatSettings.h"

namespace Format {

namespace {

enum class DateOrder
{
    MonthDayYear,
    DayMonthYear,
    YearMonthDay
};

// The order of day, month and year is the order of their first letters in the short date format.
DateOrder dateOrder(const QString& shortDateFormat)
{
    for (qsizetype i = 0; i < shortDateFormat.size(); ++i) {
        const QChar c = shortDateFormat.at(i);
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            const qsizetype close = shortDateFormat.indexOf(c, i + 1);
            if (close < 0)
                break;
            i = close;
            continue;
        }
        switch (c.toUpper().unicode()) {
        case u'D':
            return DateOrder::DayMonthYear;
        case u'M':
            return DateOrder::MonthDayYear;
        case u'Y':
            return DateOrder::YearMonthDay;
        default:
            break;
        }
    }
    return DateOrder::MonthDayYear;
}

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QChar(0x00A0) || c == QLatin1Char('\t');
}

// Reads a typed date or time from left to right.
class Scanner
{
public:
    explicit Scanner(const QString& text) : m_text(text) {}

    qsizetype pos = 0;

    bool atEnd() const { return pos >= m_text.size(); }
    void skipBlanks()
    {
        while (!atEnd() && isBlank(m_text.at(pos)))
            ++pos;
    }
    // Up to maxDigits decimal digits; at least one.
    bool number(int& value, int& digits, int maxDigits)
    {
        value = 0;
        digits = 0;
        while (!atEnd() && m_text.at(pos).isDigit() && m_text.at(pos).unicode() < 128) {
            if (++digits > maxDigits)
                return false;
            value = value * 10 + (m_text.at(pos).unicode() - u'0');
            ++pos;
        }
        return digits > 0;
    }
    // A separator, with blanks around it allowed; a blank separator is one or more blanks.
    bool separator(QChar sep)
    {
        if (isBlank(sep)) {
            const qsizetype start = pos;
            skipBlanks();
            return pos > start;
        }
        skipBlanks();
        if (atEnd() || m_text.at(pos) != sep)
            return false;
        ++pos;
        skipBlanks();
        return true;
    }
    bool peekSeparator(QChar sep)
    {
        const qsizetype saved = pos;
        const bool found = separator(sep) && !atEnd() && m_text.at(pos).isDigit();
        pos = saved;
        return found;
    }
    bool word(const QString& w)
    {
        if (w.isEmpty() || !QStringView(m_text).mid(pos).startsWith(w, Qt::CaseInsensitive))
            return false;
        pos += w.size();
        return true;
    }

private:
    const QString& m_text;
};

// A year written with one or two digits lies in the hundred years from 50 before this year.
int expandYear(int year, int digits)
{
    if (digits > 2)
        return year;
    int thisYear = 0, month = 0, day = 0;
    DateTimeUtil::decodeDate(DateTimeUtil::today(), thisYear, month, day);
    const int pivot = thisYear - 50;
    int result = pivot / 100 * 100 + year;
    if (result < pivot)
        result += 100;
    return result;
}

bool scanDate(Scanner& s, const FormatSettings& fs, DateTime& value)
{
    s.skipBlanks();
    int n[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    if (!s.number(n[0], digits[0], 4) || !s.separator(fs.dateSeparator) || !s.number(n[1], digits[1], 4))
        return false;
    int count = 2;
    if (s.peekSeparator(fs.dateSeparator)) {
        s.separator(fs.dateSeparator);
        if (!s.number(n[2], digits[2], 4))
            return false;
        count = 3;
    }
    int year = 0, month = 0, day = 0, yearDigits = 4;
    const DateOrder order = dateOrder(fs.shortDateFormat);
    if (count == 2) {
        // Without a year: day and month in the format's order, this year.
        int thisMonth = 0, thisDay = 0;
        DateTimeUtil::decodeDate(DateTimeUtil::today(), year, thisMonth, thisDay);
        if (order == DateOrder::DayMonthYear) {
            day = n[0];
            month = n[1];
        } else {
            month = n[0];
            day = n[1];
        }
    } else {
        switch (order) {
        case DateOrder::MonthDayYear:
            month = n[0], day = n[1], year = n[2], yearDigits = digits[2];
            break;
        case DateOrder::DayMonthYear:
            day = n[0], month = n[1], year = n[2], yearDigits = digits[2];
            break;
        case DateOrder::YearMonthDay:
            year = n[0], month = n[1], day = n[2], yearDigits = digits[0];
            break;
        }
        year = expandYear(year, yearDigits);
    }
    if (year < 1 || year > 9999 || !QDate::isValid(year, month, day))
        return false;
    value = DateTimeUtil::encodeDate(year, month, day);
    return true;
}

// Returns 0 for none, 1 for morning, 2 for afternoon.
int scanHalfDayMarker(Scanner& s, const FormatSettings& fs)
{
    // The longest marker that matches wins, so "AM" is not taken for the start of a longer one.
    const QStringList markers = {fs.timeAMString, fs.timePMString, QStringLiteral("AM"),
                                 QStringLiteral("PM")};
    const int kinds[] = {1, 2, 1, 2};
    int best = -1;
    for (int k = 0; k < 4; ++k) {
        const QString& m = markers.at(k);
        if (m.isEmpty())
            continue;
        const qsizetype saved = s.pos;
        if (s.word(m) && (best < 0 || m.size() > markers.at(best).size()))
            best = k;
        s.pos = saved;
    }
    if (best < 0)
        return 0;
    s.word(markers.at(best));
    return kinds[best];
}

bool scanTime(Scanner& s, const FormatSettings& fs, DateTime& value)
{
    s.skipBlanks();
    int marker = scanHalfDayMarker(s, fs);
    s.skipBlanks();
    int hour = 0, minute = 0, second = 0, msec = 0, digits = 0;
    if (!s.number(hour, digits, 2))
        return false;
    bool hasMinutes = false;
    if (s.peekSeparator(fs.timeSeparator)) {
        s.separator(fs.timeSeparator);
        if (!s.number(minute, digits, 2))
            return false;
        hasMinutes = true;
        if (s.peekSeparator(fs.timeSeparator)) {
            s.separator(fs.timeSeparator);
            if (!s.number(second, digits, 2))
                return false;
            if (s.peekSeparator(fs.decimalSeparator)) {
                s.separator(fs.decimalSeparator);
                if (!s.number(msec, digits, 3))
                    return false;
                for (; digits < 3; ++digits)
                    msec *= 10; // a fraction of a second: ".5" is 500 ms
            }
        }
    }
    s.skipBlanks();
    if (marker == 0)
        marker = scanHalfDayMarker(s, fs);
    if (!hasMinutes && marker == 0)
        return false; // a lone number is not a time
    if (minute > 59 || second > 59)
        return false;
    if (marker != 0) {
        if (hour > 12)
            return false;
        hour %= 12;
        if (marker == 2)
            hour += 12;
    } else if (hour > 23) {
        return false;
    }
    value = DateTimeUtil::encodeTime(hour, minute, second, msec);
    return true;
}

// Text that is one date (or one time) and nothing but blanks after it.
template <typename ScanFn>
bool scanWhole(const QString& text, DateTime& value, const FormatSettings& fs, ScanFn scan)
{
    Scanner s(text);
    DateTime result = 0;
    if (!scan(s, fs, result))
        return false;
    s.skipBlanks();
    if (!s.atEnd())
        return false;
    value = result;
    return true;
}

} // namespace

bool tryStrToDate(const QString& text, DateTime& value, const FormatSettings& fs)
{
    return scanWhole(text, value, fs, scanDate);
}

bool tryStrToTime(const QString& text, DateTime& value, const FormatSettings& fs)
{
    return scanWhole(text, value, fs, scanTime);
}

bool tryStrToDateTime(const QString& text, DateTime& value, const FormatSettings& fs)
{
    Scanner s(text);
    DateTime date = 0;
    if (scanDate(s, fs, date)) {
        s.skipBlanks();
        if (s.atEnd()) {
            value = date;
            return true;
        }
        DateTime time = 0;
        if (!scanTime(s, fs, time))
            return false;
        s.skipBlanks();
        if (!s.atEnd())
            return false;
        // Before day 0 the time is the absolute fraction, so it is subtracted.
        value = date < 0 ? date - time : date + time;
        return true;
    }
    return tryStrToTime(text, value, fs);
}

DateTime strToDate(const QString& text, const FormatSettings& fs)
{
    DateTime value = 0;
    if (!tryStrToDate(text, value, fs))
        throw EConvertError(QStringLiteral("'%1' is not a valid date").arg(text));
    return value;
}

DateTime strToTime(const QString& text, const FormatSettings& fs)
{
    DateTime value = 0;
    if (!tryStrToTime(text, value, fs))
        throw EConvertError(QStringLiteral("'%1' is not a valid time").arg(text));
    return value;
}

DateTime strToDateTime(const QString& text, const FormatSettings& fs)
{
    DateTime value = 0;
    if (!tryStrToDateTime(text, value, fs))
        throw EConvertError(QStringLiteral("'%1' is not a valid date and time").arg(text));
    return value;
}

} // namespace Format

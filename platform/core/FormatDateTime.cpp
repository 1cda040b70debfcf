#include "FormatSettings.h"

namespace Format {

namespace {

// A short date format that itself contains "ddddd" (or a time format with "t") would otherwise
// expand forever; nested formats deeper than this print nothing.
constexpr int MaxNesting = 3;

struct Parts
{
    int year = 0, month = 0, day = 0, dayOfWeek = 0; // dayOfWeek: ISO, Monday 1
    int hour = 0, minute = 0, second = 0, msec = 0;
};

bool startsWithAt(const QString& text, qsizetype at, QLatin1StringView what)
{
    return QStringView(text).mid(at).startsWith(what, Qt::CaseInsensitive);
}

// Index past the closing quote of a quoted literal starting at `at` (or the end of the text).
qsizetype skipQuoted(const QString& format, qsizetype at)
{
    const qsizetype close = format.indexOf(format.at(at), at + 1);
    return close < 0 ? format.size() : close + 1;
}

bool isQuote(QChar c)
{
    return c == QLatin1Char('\'') || c == QLatin1Char('"');
}

// A format prints a 12-hour clock when it carries an AM/PM marker anywhere outside quotes.
bool hasHalfDayMarker(const QString& format)
{
    for (qsizetype i = 0; i < format.size();) {
        if (isQuote(format.at(i))) {
            i = skipQuoted(format, i);
            continue;
        }
        if (startsWithAt(format, i, QLatin1StringView("ampm")) ||
            startsWithAt(format, i, QLatin1StringView("am/pm")) ||
            startsWithAt(format, i, QLatin1StringView("a/p")))
            return true;
        ++i;
    }
    return false;
}

QString padded(int number, int width)
{
    return QStringLiteral("%1").arg(number, width, 10, QLatin1Char('0'));
}

QString nameAt(const QStringList& names, int index)
{
    return index >= 0 && index < names.size() ? names.at(index) : QString();
}

class Writer
{
public:
    Writer(const FormatSettings& fs, const Parts& parts) : m_fs(fs), m_p(parts) {}

    void append(const QString& format, int depth);
    QString result() const { return m_out; }

private:
    void appendShortDateAndTime(int depth);
    bool appendHalfDayMarker(const QString& format, qsizetype& i);

    const FormatSettings& m_fs;
    const Parts& m_p;
    QString m_out;
};

void Writer::appendShortDateAndTime(int depth)
{
    append(m_fs.shortDateFormat, depth + 1);
    if (m_p.hour != 0 || m_p.minute != 0 || m_p.second != 0) {
        m_out += QLatin1Char(' ');
        append(m_fs.longTimeFormat, depth + 1);
    }
}

// "AMPM" prints the regional markers; "am/pm" and "a/p" print their own letters in the case
// they are written. Returns false (and consumes nothing) when no marker starts at i.
bool Writer::appendHalfDayMarker(const QString& format, qsizetype& i)
{
    const bool morning = m_p.hour < 12;
    if (startsWithAt(format, i, QLatin1StringView("ampm"))) {
        m_out += morning ? m_fs.timeAMString : m_fs.timePMString;
        i += 4;
    } else if (startsWithAt(format, i, QLatin1StringView("am/pm"))) {
        m_out += morning ? format.mid(i, 2) : format.mid(i + 3, 2);
        i += 5;
    } else if (startsWithAt(format, i, QLatin1StringView("a/p"))) {
        m_out += morning ? format.at(i) : format.at(i + 2);
        i += 3;
    } else {
        return false;
    }
    return true;
}

void Writer::append(const QString& format, int depth)
{
    if (depth > MaxNesting)
        return;
    const bool twelveHour = hasHalfDayMarker(format);
    QChar lastToken; // the last letter token; an m after h/hh means minutes
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format.at(i);
        if (isQuote(c)) {
            // An unclosed quote makes the rest of the format literal.
            const qsizetype close = format.indexOf(c, i + 1);
            const qsizetype end = close < 0 ? format.size() : close;
            m_out += format.mid(i + 1, end - i - 1);
            i = close < 0 ? format.size() : close + 1;
            continue;
        }
        const char16_t u = c.toUpper().unicode();
        if (u < u'A' || u > u'Z') {
            if (c == QLatin1Char('/'))
                m_out += m_fs.dateSeparator;
            else if (c == QLatin1Char(':'))
                m_out += m_fs.timeSeparator;
            else
                m_out += c;
            ++i;
            continue;
        }
        if (u == u'A') {
            if (!appendHalfDayMarker(format, i))
                m_out += format.at(i++);
            lastToken = QLatin1Char('A');
            continue;
        }
        qsizetype n = 1;
        while (i + n < format.size() && format.at(i + n).toUpper().unicode() == u)
            ++n;
        switch (u) {
        case u'Y':
            m_out += n <= 2 ? padded(m_p.year % 100, 2) : padded(m_p.year, 4);
            break;
        case u'M':
            if (lastToken == QLatin1Char('H') && n <= 2)
                m_out += n == 1 ? QString::number(m_p.minute) : padded(m_p.minute, 2);
            else if (n <= 2)
                m_out += n == 1 ? QString::number(m_p.month) : padded(m_p.month, 2);
            else
                m_out += nameAt(n == 3 ? m_fs.shortMonthNames : m_fs.longMonthNames, m_p.month - 1);
            break;
        case u'D':
            if (n <= 2)
                m_out += n == 1 ? QString::number(m_p.day) : padded(m_p.day, 2);
            else if (n <= 4)
                m_out += nameAt(n == 3 ? m_fs.shortDayNames : m_fs.longDayNames, m_p.dayOfWeek % 7);
            else
                append(n == 5 ? m_fs.shortDateFormat : m_fs.longDateFormat, depth + 1);
            break;
        case u'H': {
            int hour = m_p.hour;
            if (twelveHour) {
                hour %= 12;
                if (hour == 0)
                    hour = 12;
            }
            m_out += n == 1 ? QString::number(hour) : padded(hour, 2);
            break;
        }
        case u'N':
            m_out += n == 1 ? QString::number(m_p.minute) : padded(m_p.minute, 2);
            break;
        case u'S':
            m_out += n == 1 ? QString::number(m_p.second) : padded(m_p.second, 2);
            break;
        case u'Z':
            m_out += n == 1 ? QString::number(m_p.msec) : padded(m_p.msec, 3);
            break;
        case u'T':
            append(n == 1 ? m_fs.shortTimeFormat : m_fs.longTimeFormat, depth + 1);
            break;
        case u'C':
            for (qsizetype k = 0; k < n; ++k)
                appendShortDateAndTime(depth);
            break;
        case u'E': // year of the era: our calendar has one era, so it is the year
            m_out += n == 1 ? QString::number(m_p.year) : padded(m_p.year, 2);
            break;
        case u'G': // era name: none in the Gregorian calendar
            break;
        default:
            m_out += format.mid(i, n);
            break;
        }
        lastToken = QChar(u);
        i += n;
    }
}

} // namespace

QString formatDateTime(const QString& format, DateTime value, const FormatSettings& fs)
{
    const QDate date = DateTimeUtil::toQDate(value);
    Parts parts;
    parts.year = date.year();
    parts.month = date.month();
    parts.day = date.day();
    parts.dayOfWeek = date.dayOfWeek();
    DateTimeUtil::decodeTime(value, parts.hour, parts.minute, parts.second, parts.msec);
    Writer writer(fs, parts);
    writer.append(format.isEmpty() ? QStringLiteral("c") : format, 0);
    return writer.result();
}

QString dateTimeToStr(DateTime value, const FormatSettings& fs)
{
    return formatDateTime(QStringLiteral("c"), value, fs);
}

} // namespace Format

#include "DateTime.h"

#include "Exception.h"

#include <cmath>
#include <optional>

namespace DateTimeUtil {

namespace {

constexpr qint64 MsecsPerDay = 86400000;

QDate dayZero()
{
    return QDate(1899, 12, 30);
}

// A value split the way the class library splits it: the day count is the whole part taken
// toward zero, the time of day comes from the absolute fraction (-1.25 is 1899-12-29 06:00).
// Both are taken from one count of milliseconds, so a fraction that rounds up to a whole day
// moves the date on instead of giving a time of 24:00.
struct Split
{
    qint64 days = 0;
    int msecs = 0;
};

Split split(DateTime value)
{
    // Only 0001-01-01 to 9999-12-31 are dates; anything else (and NaN) is refused rather than
    // overflowing the millisecond count.
    if (!(value > -693594.0 && value < 2958466.0))
        throw EConvertError(QStringLiteral("Invalid date-time value"));
    const double magnitude = std::fabs(value);
    const qint64 total = std::llround(magnitude * double(MsecsPerDay));
    Split s;
    s.days = total / MsecsPerDay;
    s.msecs = int(total % MsecsPerDay);
    if (value < 0)
        s.days = -s.days;
    return s;
}

std::optional<DateTime> fixedClock;

} // namespace

DateTime encodeDate(int year, int month, int day)
{
    const QDate date(year, month, day);
    if (year < 1 || year > 9999 || !date.isValid())
        throw EConvertError(QStringLiteral("Invalid argument to date encode"));
    return DateTime(dayZero().daysTo(date));
}

DateTime encodeTime(int hour, int minute, int second, int msec)
{
    const bool midnightAtEnd = hour == 24 && minute == 0 && second == 0 && msec == 0;
    if (!midnightAtEnd && (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
                           msec < 0 || msec > 999))
        throw EConvertError(QStringLiteral("Invalid argument to time encode"));
    const qint64 ms = ((qint64(hour) * 60 + minute) * 60 + second) * 1000 + msec;
    return double(ms) / double(MsecsPerDay);
}

DateTime fromQDate(const QDate& date)
{
    if (!date.isValid())
        throw EConvertError(QStringLiteral("Invalid argument to date encode"));
    return encodeDate(date.year(), date.month(), date.day());
}

DateTime fromQTime(const QTime& time)
{
    if (!time.isValid())
        throw EConvertError(QStringLiteral("Invalid argument to time encode"));
    return double(time.msecsSinceStartOfDay()) / double(MsecsPerDay);
}

DateTime fromQDateTime(const QDateTime& dateTime)
{
    const DateTime date = fromQDate(dateTime.date());
    const DateTime time = fromQTime(dateTime.time());
    // Before day 0 the time is kept as the absolute fraction, so it is subtracted.
    return date < 0 ? date - time : date + time;
}

QDate toQDate(DateTime value)
{
    return dayZero().addDays(split(value).days);
}

QTime toQTime(DateTime value)
{
    return QTime::fromMSecsSinceStartOfDay(split(value).msecs);
}

QDateTime toQDateTime(DateTime value)
{
    const Split s = split(value);
    return QDateTime(dayZero().addDays(s.days), QTime::fromMSecsSinceStartOfDay(s.msecs));
}

void decodeDate(DateTime value, int& year, int& month, int& day)
{
    const QDate date = toQDate(value);
    year = date.year();
    month = date.month();
    day = date.day();
}

void decodeTime(DateTime value, int& hour, int& minute, int& second, int& msec)
{
    const int ms = split(value).msecs;
    hour = ms / 3600000;
    minute = ms / 60000 % 60;
    second = ms / 1000 % 60;
    msec = ms % 1000;
}

DateTime dateOf(DateTime value)
{
    return std::trunc(value);
}

DateTime timeOf(DateTime value)
{
    return std::fabs(value - std::trunc(value));
}

int dayOfTheWeek(DateTime value)
{
    return toQDate(value).dayOfWeek();
}

DateTime now()
{
    if (fixedClock)
        return *fixedClock;
    return fromQDateTime(QDateTime::currentDateTime());
}

DateTime today()
{
    return dateOf(now());
}

void setFixedClock(DateTime value)
{
    fixedClock = value;
}

void clearFixedClock()
{
    fixedClock.reset();
}

} // namespace DateTimeUtil

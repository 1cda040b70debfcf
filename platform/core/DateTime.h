#pragma once

#include <QDate>
#include <QDateTime>
#include <QTime>

// A date and time as the class library keeps it: whole days since 30 December 1899
// plus the time of day as a fraction (0.5 is noon). Day 0 is 1899-12-30.
// Before day 0 the whole part (toward zero) is the date and the absolute fraction the time:
// -1.25 is 1899-12-29 06:00. Valid dates are 0001-01-01 to 9999-12-31.
using DateTime = double;

namespace DateTimeUtil {

// Day count of a calendar date (time of day 0). Throws EConvertError for a date that does not exist.
DateTime encodeDate(int year, int month, int day);
// Fraction of a day; hour may be 24 (gives 1.0) when the rest is 0. Throws EConvertError otherwise.
DateTime encodeTime(int hour, int minute, int second, int msec = 0);
// These three throw EConvertError for an invalid QDate/QTime.
DateTime fromQDate(const QDate& date);
DateTime fromQTime(const QTime& time);
DateTime fromQDateTime(const QDateTime& dateTime);
// The decoders round the value to the millisecond first, so a fraction just below a whole day
// (0.99999999999) moves to the next date at 00:00 and never gives 24:00. They throw
// EConvertError for NaN and values outside 0001-01-01 to 9999-12-31.
// The calendar date of a value: its whole part taken toward zero (-1.25 gives 1899-12-29).
QDate toQDate(DateTime value);
// The time of day of a value; 24.0 and other whole days give 00:00.
QTime toQTime(DateTime value);
// Date and time in local time (Qt's default), so it compares equal to QDateTime(date, time).
QDateTime toQDateTime(DateTime value);
void decodeDate(DateTime value, int& year, int& month, int& day);
void decodeTime(DateTime value, int& hour, int& minute, int& second, int& msec);
// Whole part only (the date of a value).
DateTime dateOf(DateTime value);
// Fraction only (the time of day of a value): the absolute fraction, always in [0, 1).
DateTime timeOf(DateTime value);
// ISO weekday of the date of a value: Monday 1 to Sunday 7.
int dayOfTheWeek(DateTime value);

// "Today" and "now" come from a clock that tests can set.
DateTime now();
DateTime today(); // now() without its time of day
// Fix the clock at a value (tests); clearFixedClock() returns to the system clock.
void setFixedClock(DateTime value);
void clearFixedClock();

} // namespace DateTimeUtil

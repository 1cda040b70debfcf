#pragma once

#include <QDate>
#include <QDateTime>
#include <QTime>

// A date and time as the class library keeps it: whole days since 30 December 1899
// plus the time of day as a fraction (0.5 is noon). Day 0 is 1899-12-30.
using DateTime = double;

namespace DateTimeUtil {

// Day count of a calendar date (time of day 0).
DateTime encodeDate(int year, int month, int day);
// Fraction of a day; hour may be 24 (gives 1.0).
DateTime encodeTime(int hour, int minute, int second, int msec = 0);
DateTime fromQDate(const QDate& date);
DateTime fromQTime(const QTime& time);
DateTime fromQDateTime(const QDateTime& dateTime);
// The calendar date of a day count (its whole part, rounded toward minus infinity for
// negative values with a time of day, as the class library does).
QDate toQDate(DateTime value);
// The time of day of a value, rounded to the millisecond; 24.0 and other whole days give 00:00.
QTime toQTime(DateTime value);
QDateTime toQDateTime(DateTime value);
void decodeDate(DateTime value, int& year, int& month, int& day);
void decodeTime(DateTime value, int& hour, int& minute, int& second, int& msec);
// Whole part only (the date of a value).
DateTime dateOf(DateTime value);
// Fraction only (the time of day of a value), always in [0, 1).
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

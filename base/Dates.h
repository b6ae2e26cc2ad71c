// Dates as the finance data stores them: a double counting days since
// 30 December 1899, the fraction being the time of day. The whole day of a
// date is its integer part, truncated toward zero. Calendar arithmetic uses
// std::chrono's civil calendar types.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>

using Date = double;

struct CivilDate {
  int year = 1899;
  unsigned month = 12;  // 1..12
  unsigned day = 30;    // 1..31
};

// The date of a calendar day at midnight.
Date EncodeDate(int year, unsigned month, unsigned day);
// The calendar day of a date (its whole day).
CivilDate DecodeDate(Date date);
// The whole day of a date, truncated toward zero.
inline Date WholeDay(Date date) {
  return std::trunc(date);
}
// ISO weekday of a date: 1 Monday ... 7 Sunday.
unsigned DayOfWeek(Date date);
// Number of days of a month of the Gregorian calendar.
unsigned DaysInMonth(int year, unsigned month);
// First and last day of the month that contains `date`.
Date FirstDayOfMonth(Date date);
Date LastDayOfMonth(Date date);

// "YYYY-MM-DD", with "THH:MM:SS" added when `withTime` and the date has a
// time of day.
std::string FormatIsoDate(Date date, bool withTime = false);
// Reads "YYYY-MM-DD"; false for anything else or an impossible day.
bool ParseIsoDate(const std::string& text, Date& out);

// A date in the regional short format with a four-digit year. The window
// program installs the regional formatter; until then dates read YYYY-MM-DD.
std::string FormatShortDate(Date date);
using DateFormatter = std::string (*)(Date date);
void SetShortDateFormatter(DateFormatter formatter);

// The current local date and time, from a process clock that tests and the
// command-line tool can pin.
Date Now();
// Today's whole day.
Date Today();
// Pins the clock to `date` (Now() then returns exactly it).
void SetClock(Date date);
// Lets the clock follow the system time again.
void ResetClock();

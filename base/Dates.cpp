#include "Dates.h"

#include <time.h>

#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <optional>

namespace {

using std::chrono::day;
using std::chrono::days;
using std::chrono::month;
using std::chrono::sys_days;
using std::chrono::year;
using std::chrono::year_month_day;

constexpr sys_days kEpoch = sys_days{year{1899} / 12 / 30};

std::optional<Date> g_pinnedClock;             // set while tests or --today pin the clock
DateFormatter g_shortDateFormatter = nullptr;  // the regional short date, once installed

// Day number clamped to what the civil calendar can represent.
long WholeDayNumber(Date date) {
  if (!std::isfinite(date)) return 0;
  double d = std::trunc(date);
  if (d > 3e6) d = 3e6;
  if (d < -3e6) d = -3e6;
  return static_cast<long>(d);
}

}  // namespace

Date EncodeDate(int y, unsigned m, unsigned d) {
  sys_days sd{year{y} / month{m} / day{d}};
  return static_cast<Date>((sd - kEpoch).count());
}

CivilDate DecodeDate(Date date) {
  year_month_day ymd{kEpoch + days{WholeDayNumber(date)}};
  return CivilDate{static_cast<int>(ymd.year()), static_cast<unsigned>(ymd.month()),
                   static_cast<unsigned>(ymd.day())};
}

unsigned DayOfWeek(Date date) {
  std::chrono::weekday wd{kEpoch + days{WholeDayNumber(date)}};
  return wd.iso_encoding();
}

unsigned DaysInMonth(int y, unsigned m) {
  std::chrono::year_month_day_last last{year{y} / month{m} / std::chrono::last};
  return static_cast<unsigned>(last.day());
}

Date FirstDayOfMonth(Date date) {
  CivilDate c = DecodeDate(date);
  return EncodeDate(c.year, c.month, 1);
}

Date LastDayOfMonth(Date date) {
  CivilDate c = DecodeDate(date);
  return EncodeDate(c.year, c.month, DaysInMonth(c.year, c.month));
}

std::string FormatIsoDate(Date date, bool withTime) {
  CivilDate c = DecodeDate(date);
  char buf[40];
  std::snprintf(buf, sizeof buf, "%04d-%02u-%02u", c.year, c.month, c.day);
  std::string text = buf;
  double fraction = std::isfinite(date) ? std::fabs(date - std::trunc(date)) : 0.0;
  long seconds = std::lround(fraction * 86400.0);
  if (withTime && seconds > 0 && seconds < 86400) {
    std::snprintf(buf, sizeof buf, "T%02ld:%02ld:%02ld", seconds / 3600, seconds / 60 % 60,
                  seconds % 60);
    text += buf;
  }
  return text;
}

bool ParseIsoDate(const std::string& text, Date& out) {
  // Digits exactly where they belong: no blanks or signs inside a field.
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
  for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
  auto number = [&](std::size_t at, std::size_t length) {
    int n = 0;
    for (std::size_t i = at; i < at + length; ++i) n = n * 10 + (text[i] - '0');
    return n;
  };
  const int y = number(0, 4);
  const auto m = static_cast<unsigned>(number(5, 2));
  const auto d = static_cast<unsigned>(number(8, 2));
  year_month_day ymd{year{y}, month{m}, day{d}};
  if (!ymd.ok()) return false;
  out = EncodeDate(y, m, d);
  return true;
}

std::string FormatShortDate(Date date) {
  return g_shortDateFormatter ? g_shortDateFormatter(date) : FormatIsoDate(date);
}

void SetShortDateFormatter(DateFormatter formatter) {
  g_shortDateFormatter = formatter;
}

Date Now() {
  if (g_pinnedClock) return *g_pinnedClock;
  // The local wall-clock time is the one place the C library is asked: the
  // standard library of this compiler has no time-zone database yet.
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  tm local{};
  localtime_r(&ts.tv_sec, &local);
  Date d = EncodeDate(local.tm_year + 1900, static_cast<unsigned>(local.tm_mon + 1),
                      static_cast<unsigned>(local.tm_mday));
  return d + (local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec) / 86400.0;
}

Date Today() {
  return WholeDay(Now());
}

void SetClock(Date date) {
  g_pinnedClock = date;
}

void ResetClock() {
  g_pinnedClock.reset();
}

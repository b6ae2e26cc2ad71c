#include "Occurrences.h"

#include <algorithm>
#include <cmath>

#include "Dates.h"

namespace {

// Days a schedule may name: years 1 to 9999. A date outside gives no
// occurrence rather than an endless walk.
bool IsPlausibleDay(Date day) {
  return day >= -693593.0 && day <= 2958465.0;
}

// Every day from the day after `last` (but not before `from`) to `end` for
// which `falls` holds.
template <class Falls>
std::vector<TOccurrence> EachDay(Date last, Date from, Date end, Falls falls) {
  std::vector<TOccurrence> days;
  for (Date day = std::max(last + 1, from); day <= end; day += 1)
    if (falls(day)) days.push_back({day, day});
  return days;
}

std::vector<TOccurrence> Once(const ScheduleRecord& s, Date last, Date from, Date end, Date today) {
  const Date day = WholeDay(s.onceDate);
  if (last < day && day <= end && day >= from) return {{s.onceDate, today}};
  return {};
}

// Every n days counted from the last processed date, time of day included.
std::vector<TOccurrence> EveryNDays(const ScheduleRecord& s, Date last, Date from, Date end) {
  const int n = s.period;
  if (n == 0) return {};
  std::vector<TOccurrence> days;
  const long count = static_cast<long>(end - last);
  long k = n;
  if (from > last + n) k = static_cast<long>(std::ceil((from - last) / n)) * n;
  for (; k <= count; k += n) {
    const Date day = s.lastProcessed + static_cast<double>(k);
    days.push_back({day, day});
  }
  return days;
}

std::vector<TOccurrence> Weekly(const ScheduleRecord& s, Date last, Date from, Date end) {
  return EachDay(last, from, end, [&](Date day) { return s.weekdays[DayOfWeek(day) - 1] != 0; });
}

// On the code's day of every N-th month, counted from the month after the
// last processed day.
std::vector<TOccurrence> Monthly(const ScheduleRecord& s, Date last, Date from, Date end) {
  const unsigned dayOfMonth = static_cast<unsigned>(MonthlyDay(s.period));
  const int months = MonthlyMonths(s.period);
  const int startMonth = static_cast<int>(DecodeDate(last + 1).month);
  return EachDay(last, from, end, [&](Date day) {
    const CivilDate c = DecodeDate(day);
    return c.day == dayOfMonth && (startMonth - static_cast<int>(c.month)) % months == 0;
  });
}

}  // namespace

std::vector<TOccurrence> ScheduleOccurrences(const ScheduleRecord& s, Date from, Date end,
                                             Date today) {
  const Date last = WholeDay(s.lastProcessed);
  end = WholeDay(end);
  if (s.kind == kScheduleOnce) return Once(s, last, from, end, today);
  if (!IsPlausibleDay(last) || !IsPlausibleDay(end)) return {};
  switch (s.kind) {
    case kScheduleEveryNDays:
      return EveryNDays(s, last, from, end);
    case kScheduleWeekly:
      return Weekly(s, last, from, end);
    case kScheduleMonthly:
      return Monthly(s, last, from, end);
    default:
      return {};
  }
}

bool NextOccurrence(const ScheduleRecord& s, Date& day) {
  const Date last = WholeDay(s.lastProcessed);
  // Weekly and monthly schedules repeat within a year: a day of the month
  // that exists in a chosen month comes within thirteen months.
  Date end = last + 400;
  if (s.kind == kScheduleOnce) end = std::max(end, WholeDay(s.onceDate));
  if (s.kind == kScheduleEveryNDays) end += s.period;
  const std::vector<TOccurrence> next = ScheduleOccurrences(s, last, end, last);
  if (next.empty()) return false;
  day = next.front().day;
  return true;
}

#include "IntervalLogic.h"

#include <algorithm>

namespace {

// The same day in the month `months` away, cut to that month's length.
Date ShiftMonths(Date date, int months) {
  const CivilDate c = DecodeDate(date);
  int index = c.year * 12 + static_cast<int>(c.month) - 1 + months;
  const int year = index / 12;
  const unsigned month = static_cast<unsigned>(index % 12) + 1;
  return EncodeDate(year, month, std::min(c.day, DaysInMonth(year, month)));
}

}  // namespace

bool IsWholeMonths(Date begin, Date end) {
  return DecodeDate(begin).day == 1 && WholeDay(end) == LastDayOfMonth(end);
}

TInterval StepMonth(Date begin, Date end, int direction) {
  if (IsWholeMonths(begin, end))
    return {FirstDayOfMonth(ShiftMonths(begin, direction)),
            LastDayOfMonth(ShiftMonths(FirstDayOfMonth(end), direction))};
  return {ShiftMonths(begin, direction), ShiftMonths(end, direction)};
}

std::string IntervalCaption(Date begin, Date end, const std::array<std::string, 12>& monthNames) {
  const CivilDate b = DecodeDate(begin), e = DecodeDate(end);
  if (b.year == e.year && b.month == e.month && IsWholeMonths(begin, end))
    return monthNames[b.month - 1] + ", " + std::to_string(b.year);
  return FormatShortDate(begin) + " - " + FormatShortDate(end);
}

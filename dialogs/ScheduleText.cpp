#include "ScheduleText.h"

#include <charconv>

#include "Dates.h"

std::string ScheduleSummary(const ScheduleRecord& record, const TScheduleWords& words) {
  switch (record.kind) {
    case kScheduleOnce:
      return words.once + " " + FormatShortDate(record.onceDate);
    case kScheduleEveryNDays:
      return words.every + " " + std::to_string(record.period) + " " + words.days;
    case kScheduleWeekly: {
      std::string text = words.everyWeek;
      bool first = true;
      for (size_t i = 0; i < 7; ++i) {
        if (record.weekdays[i] == 0) continue;
        text += first ? " " : ", ";
        text += words.weekdays[i];
        first = false;
      }
      return text;
    }
    case kScheduleMonthly:
      return words.everyMonthDay + " " + words.month + " " +
             std::to_string(MonthlyMonths(record.period)) + " " + words.day + " " +
             std::to_string(MonthlyDay(record.period));
    default:
      return words.notSet;
  }
}

int ScheduleNumber(const std::string& text) {
  size_t begin = text.find_first_not_of(' ');
  size_t end = text.find_last_not_of(' ');
  if (begin == std::string::npos) return 0;
  const char* first = text.data() + begin;
  const char* last = text.data() + end + 1;
  if (*first == '+') ++first;
  int value = 0;
  const auto [ptr, ec] = std::from_chars(first, last, value);
  return ec == std::errc() && ptr == last ? value : 0;
}

bool ScheduleNumberAccepted(const std::string& text, int limit) {
  const int value = ScheduleNumber(text);
  return value > 0 && (limit == 0 || value < limit);
}

namespace {

// A confirmed number: what the box reads, 1 when it reads as nothing.
int NumberOr1(const std::string& text) {
  const int value = ScheduleNumber(text);
  return value == 0 ? 1 : value;
}

}  // namespace

void ConfirmSchedule(const TScheduleInput& input, Date today, ScheduleRecord& record) {
  switch (input.kind) {
    case kScheduleOnce:
      record.kind = kScheduleOnce;
      record.onceDate = input.onceDate;
      break;
    case kScheduleEveryNDays:
      record.kind = kScheduleEveryNDays;
      record.period = static_cast<std::uint16_t>(NumberOr1(input.everyDay));
      record.lastProcessed = WholeDay(input.firstDate) - record.period;
      return;
    case kScheduleWeekly:
      record.kind = kScheduleWeekly;
      for (size_t i = 0; i < 7; ++i) record.weekdays[i] = input.weekdays[i] ? 1 : 0;
      break;
    case kScheduleMonthly:
      record.kind = kScheduleMonthly;
      record.period =
          static_cast<std::uint16_t>(NumberOr1(input.monthDay) + 50 * NumberOr1(input.monthMonth));
      break;
    default:
      record.kind = kScheduleNotSet;
      break;
  }
  record.lastProcessed = WholeDay(today);
}

#include "ScheduleText.h"

#include <charconv>

#include "Dates.h"
#include "Occurrences.h"

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

TScheduleWords LocalizedScheduleWords(
    const std::function<std::string(std::uint32_t id, const std::string& fallback)>& lookup) {
  static const char* const kWeekdays[7] = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                                           "Friday", "Saturday", "Sunday"};
  TScheduleWords words;
  std::string* const texts[] = {&words.notSet,    &words.once,          &words.every, &words.days,
                                &words.everyWeek, &words.everyMonthDay, &words.month, &words.day};
  for (std::uint32_t i = 0; i < std::size(texts); ++i) *texts[i] = lookup(2041 + i, *texts[i]);
  for (std::uint32_t i = 0; i < 7; ++i) words.weekdays[i] = lookup(200 + i, kWeekdays[i]);
  return words;
}

std::string ScheduleToolTip(const ScheduleRecord& record, const TScheduleWords& words,
                            const std::string& nextDue, const std::string& noneLeft) {
  std::string text = ScheduleSummary(record, words);
  if (!HasScheduleKind(record)) return text;
  Date day = 0.0;
  if (!NextOccurrence(record, day)) return text + "\n" + noneLeft;
  std::string line = nextDue;
  const std::size_t at = line.find("%1");
  const std::string date = FormatShortDate(day);
  if (at == std::string::npos)
    line += " " + date;
  else
    line.replace(at, 2, date);
  return text + "\n" + line;
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

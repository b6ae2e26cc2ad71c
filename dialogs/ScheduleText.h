// The schedule of a planned transaction as the schedule editor confirms it
// and as the transaction editor summarizes it in one line.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "Records.h"

// The localized words of the summary line (UTF-8).
struct TScheduleWords {
  std::string notSet = "Not set";
  std::string once = "Once:";
  std::string every = "Every";
  std::string days = "Day(s)";
  std::string everyWeek = "Every week:";
  std::string everyMonthDay = "Every day of month(s).";
  std::string month = "Month:";
  std::string day = "day:";
  std::array<std::string, 7> weekdays;  // Monday first
};

// One line describing `record`: "Once: <short date>", "Every 3 Day(s)",
// "Every week: Monday, Thursday", "Every day of month(s). Month: 1 day: 15",
// or "Not set" for kind 0 and anything unknown.
std::string ScheduleSummary(const ScheduleRecord& record, const TScheduleWords& words);

// The words of the summary line in the user's language: `lookup` gives the
// text of a language-file id, or the default it is handed.
TScheduleWords LocalizedScheduleWords(
    const std::function<std::string(std::uint32_t id, const std::string& fallback)>& lookup);

// The tool tip of a planned transaction: its schedule in words and, on a
// second line, `nextDue` with "%1" replaced by the short date of the day it
// falls due next, or `noneLeft` when no occurrence is left. A schedule that
// is not set has its words only.
std::string ScheduleToolTip(const ScheduleRecord& record, const TScheduleWords& words,
                            const std::string& nextDue, const std::string& noneLeft);

// What the schedule editor holds when the user confirms it.
struct TScheduleInput {
  std::uint8_t kind = kScheduleNotSet;
  Date onceDate = 0.0;
  std::string everyDay;  // N of "every N days"
  Date firstDate = 0.0;  // first day of "every N days"
  std::array<bool, 7> weekdays{};
  std::string monthDay;
  std::string monthMonth;
};

// Writes the confirmed choice into `record`. Only the fields of the chosen
// kind change; the last processed date becomes the first date minus N for
// "every N days" and `today` for every other kind. Numbers that do not read
// count as 1.
void ConfirmSchedule(const TScheduleInput& input, Date today, ScheduleRecord& record);

// A typed number of the schedule editor: its value, 0 when it is none.
int ScheduleNumber(const std::string& text);
// True when a box may keep `text`: a number of at least 1 and, when
// `limit` is not 0, below `limit`.
bool ScheduleNumberAccepted(const std::string& text, int limit);

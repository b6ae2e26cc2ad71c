// The schedule summary line and the confirmation of the schedule editor, as
// plain functions.
#include <gtest/gtest.h>

#include <cstring>

#include "Dates.h"
#include "ScheduleText.h"

namespace {

TScheduleWords Words() {
  TScheduleWords words;
  words.weekdays = {"Monday", "Tuesday", "Wednesday", "Thusday", "Friday", "Saturday", "Sunday"};
  return words;
}

ScheduleRecord Record(std::uint8_t kind, std::uint16_t period = 0) {
  ScheduleRecord record = DefaultScheduleRecord();
  record.kind = kind;
  record.period = period;
  return record;
}

}  // namespace

TEST(ScheduleSummary, NamesEveryKind) {
  const TScheduleWords words = Words();
  ScheduleRecord once = Record(kScheduleOnce);
  once.onceDate = EncodeDate(2007, 5, 5);
  EXPECT_EQ(ScheduleSummary(once, words), "Once: " + FormatShortDate(EncodeDate(2007, 5, 5)));
  EXPECT_EQ(ScheduleSummary(Record(kScheduleEveryNDays, 3), words), "Every 3 Day(s)");
  EXPECT_EQ(ScheduleSummary(Record(kScheduleNotSet, 3), words), "Not set");
  EXPECT_EQ(ScheduleSummary(Record(9, 3), words), "Not set");

  struct Row {
    std::uint16_t period;
    const char* text;
  };
  for (const Row& row : {Row{65, "Every day of month(s). Month: 1 day: 15"},
                         Row{151, "Every day of month(s). Month: 3 day: 1"},
                         Row{631, "Every day of month(s). Month: 12 day: 31"},
                         Row{20, "Every day of month(s). Month: 1 day: 20"}}) {
    EXPECT_EQ(ScheduleSummary(Record(kScheduleMonthly, row.period), words), row.text) << row.period;
  }
}

TEST(ScheduleSummary, ListsTheChosenWeekdaysMondayFirst) {
  const TScheduleWords words = Words();
  ScheduleRecord weekly = Record(kScheduleWeekly);
  EXPECT_EQ(ScheduleSummary(weekly, words), "Every week:");
  weekly.weekdays[3] = 1;
  weekly.weekdays[0] = 1;
  EXPECT_EQ(ScheduleSummary(weekly, words), "Every week: Monday, Thusday");
  std::memset(weekly.weekdays, 0, 7);
  weekly.weekdays[6] = 1;
  EXPECT_EQ(ScheduleSummary(weekly, words), "Every week: Sunday");
}

TEST(ScheduleConfirm, EveryNDaysStartsOnTheFirstDay) {
  ScheduleRecord record = DefaultScheduleRecord();
  TScheduleInput input;
  input.kind = kScheduleEveryNDays;
  input.everyDay = "7";
  input.firstDate = EncodeDate(2007, 5, 10) + 0.75;
  ConfirmSchedule(input, EncodeDate(2007, 5, 4), record);
  EXPECT_EQ(record.kind, kScheduleEveryNDays);
  EXPECT_EQ(record.period, 7);
  EXPECT_EQ(record.lastProcessed, EncodeDate(2007, 5, 3));

  input.everyDay = "";  // unreadable: every day
  ConfirmSchedule(input, EncodeDate(2007, 5, 4), record);
  EXPECT_EQ(record.period, 1);
  EXPECT_EQ(record.lastProcessed, EncodeDate(2007, 5, 9));
}

TEST(ScheduleConfirm, OtherKindsChangeOnlyTheirFieldsAndStampToday) {
  ScheduleRecord record = Record(kScheduleMonthly, 65);
  record.weekdays[2] = 1;
  record.lastProcessed = EncodeDate(2006, 1, 1);
  const Date today = EncodeDate(2007, 5, 4) + 0.5;

  TScheduleInput input;
  input.kind = kScheduleOnce;
  input.onceDate = EncodeDate(2007, 6, 1);
  ConfirmSchedule(input, today, record);
  EXPECT_EQ(record.kind, kScheduleOnce);
  EXPECT_EQ(record.onceDate, EncodeDate(2007, 6, 1));
  EXPECT_EQ(record.period, 65);
  EXPECT_EQ(record.weekdays[2], 1);
  EXPECT_EQ(record.lastProcessed, EncodeDate(2007, 5, 4));

  input.kind = kScheduleMonthly;
  input.monthDay = "15";
  input.monthMonth = "1";
  ConfirmSchedule(input, today, record);
  EXPECT_EQ(record.period, 65);
  input.monthDay = "x";
  input.monthMonth = "";
  ConfirmSchedule(input, today, record);
  EXPECT_EQ(record.period, 51);
  input.monthDay = "31";
  input.monthMonth = "999";
  ConfirmSchedule(input, today, record);
  EXPECT_EQ(record.period, 31 + 50 * 999);
  EXPECT_EQ(record.onceDate, EncodeDate(2007, 6, 1));

  input.kind = kScheduleWeekly;
  input.weekdays = {false, true, false, false, false, false, true};
  ConfirmSchedule(input, today, record);
  EXPECT_EQ(record.kind, kScheduleWeekly);
  const std::uint8_t expected[7] = {0, 1, 0, 0, 0, 0, 1};
  EXPECT_EQ(std::memcmp(record.weekdays, expected, 7), 0);

  input.kind = kScheduleNotSet;
  ConfirmSchedule(input, today, record);
  EXPECT_EQ(record.kind, kScheduleNotSet);
  EXPECT_EQ(record.period, 31 + 50 * 999);
}

TEST(ScheduleConfirm, TypedNumbersMustBePositiveAndBelowTheLimit) {
  EXPECT_TRUE(ScheduleNumberAccepted("31", 32));
  EXPECT_FALSE(ScheduleNumberAccepted("32", 32));
  EXPECT_TRUE(ScheduleNumberAccepted("9999", 0));
  for (const char* text : {"", "0", "-3", "abc", "1a", "00"}) {
    EXPECT_FALSE(ScheduleNumberAccepted(text, 0)) << text;
  }
  EXPECT_EQ(ScheduleNumber("12"), 12);
  EXPECT_EQ(ScheduleNumber("x"), 0);
}

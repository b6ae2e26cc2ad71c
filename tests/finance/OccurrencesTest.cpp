// Occurrences of a schedule worked out alone: the window's first day cuts
// every kind the same way, damaged dates give none.
#include <gtest/gtest.h>

#include "FinanceTestUtil.h"
#include "Occurrences.h"

namespace {

ScheduleRecord Schedule(std::uint8_t kind, Date last, std::uint16_t period = 0) {
  ScheduleRecord s;
  s.kind = kind;
  s.lastProcessed = last;
  s.period = period;
  return s;
}

}  // namespace

TEST(Occurrences, DaysBetweenTheLastProcessedOrTheWindowStartAndTheEnd) {
  const Date today = D(2024, 6, 30);
  ScheduleRecord weekly = Schedule(kScheduleWeekly, D(2024, 5, 31));
  weekly.weekdays[0] = 1;  // Mondays
  ScheduleRecord once = Schedule(kScheduleOnce, D(2024, 5, 31));
  once.onceDate = D(2024, 6, 5) + 0.5;
  struct Case {
    const char* name;
    ScheduleRecord schedule;
    Date from, end;
    std::vector<Date> days;
  } cases[] = {
      {"every 10 days, time of day kept",
       Schedule(kScheduleEveryNDays, D(2024, 5, 31) + 0.25, 10),
       D(2024, 1, 1),
       D(2024, 6, 30),
       {D(2024, 6, 10) + 0.25, D(2024, 6, 20) + 0.25, D(2024, 6, 30) + 0.25}},
      {"every 10 days from a later window",
       Schedule(kScheduleEveryNDays, D(2024, 5, 31), 10),
       D(2024, 6, 11),
       D(2024, 6, 30),
       {D(2024, 6, 20), D(2024, 6, 30)}},
      {"mondays in the window",
       weekly,
       D(2024, 6, 11),
       D(2024, 6, 24),
       {D(2024, 6, 17), D(2024, 6, 24)}},
      {"every second month on the 5th",
       Schedule(kScheduleMonthly, D(2024, 5, 31), 105),
       D(2024, 1, 1),
       D(2024, 10, 31),
       {D(2024, 6, 5), D(2024, 8, 5), D(2024, 10, 5)}},
      {"once inside", once, D(2024, 1, 1), D(2024, 6, 30), {D(2024, 6, 5) + 0.5}},
      {"once before the window", once, D(2024, 6, 6), D(2024, 6, 30), {}},
      {"period 0",
       Schedule(kScheduleEveryNDays, D(2024, 5, 31)),
       D(2024, 1, 1),
       D(2024, 6, 30),
       {}},
      {"damaged last processed date",
       Schedule(kScheduleMonthly, -1e12, 5),
       D(2024, 1, 1),
       D(2024, 6, 30),
       {}},
      {"no kind", Schedule(kScheduleNotSet, D(2024, 5, 31)), D(2024, 1, 1), D(2024, 6, 30), {}},
      {"unknown kind", Schedule(7, D(2024, 5, 31), 1), D(2024, 1, 1), D(2024, 6, 30), {}},
  };
  for (const Case& c : cases) {
    std::vector<Date> days;
    for (const TOccurrence& o : ScheduleOccurrences(c.schedule, c.from, c.end, today)) {
      days.push_back(o.day);
      EXPECT_EQ(o.processed, c.schedule.kind == kScheduleOnce ? today : o.day) << c.name;
    }
    EXPECT_EQ(days, c.days) << c.name;
  }
}

TEST(Occurrences, NextDueDayIsTheFirstAfterTheLastProcessed) {
  ScheduleRecord once = Schedule(kScheduleOnce, D(2007, 5, 1));
  once.onceDate = D(2007, 5, 5);
  ScheduleRecord onceDone = once;
  onceDone.lastProcessed = D(2007, 5, 5);
  ScheduleRecord monFri = Schedule(kScheduleWeekly, D(2007, 5, 4));  // a Friday
  monFri.weekdays[0] = monFri.weekdays[4] = 1;
  struct Case {
    const char* name;
    ScheduleRecord schedule;
    Date next;  // 0: none
  } cases[] = {
      {"once, ahead", once, D(2007, 5, 5)},
      {"once, done", onceDone, 0},
      {"every 7 days", Schedule(kScheduleEveryNDays, D(2007, 4, 24), 7), D(2007, 5, 1)},
      {"every 1000 days", Schedule(kScheduleEveryNDays, D(2007, 4, 24), 1000), D(2010, 1, 18)},
      {"Monday and Friday", monFri, D(2007, 5, 7)},
      {"weekly without a day", Schedule(kScheduleWeekly, D(2007, 5, 4)), 0},
      {"31st every 2 months", Schedule(kScheduleMonthly, D(2007, 1, 31), 31 + 2 * 50),
       D(2007, 8, 31)},
      {"overdue", Schedule(kScheduleMonthly, D(2001, 1, 1), 15 + 50), D(2001, 1, 15)},
      {"30th of February only", Schedule(kScheduleMonthly, D(2007, 1, 31), 30 + 12 * 50), 0},
      {"not set", Schedule(kScheduleNotSet, D(2007, 5, 4)), 0},
  };
  for (const Case& c : cases) {
    Date day = 0;
    EXPECT_EQ(NextOccurrence(c.schedule, day), c.next != 0) << c.name;
    if (c.next != 0) {
      EXPECT_EQ(day, c.next) << c.name;
    }
  }
}

// The scheduler's worked examples through `pardow-cli apply` with a pinned
// today: which occurrences become transactions, with which dates, and how far
// the planned transaction is processed afterwards.
#include <gtest/gtest.h>

#include "CliTestUtil.h"
#include "VltBuilder.h"

namespace {

using Strings = std::vector<std::string>;

class SchedulerTest : public testing::Test {
 protected:
  // A file with one account and the planned expense `t` (from the account
  // unless `t` says otherwise) on schedule `s`.
  std::string OnePlanned(const ScheduleSpec& s, TxSpec t = {}) {
    CVltBuilder b(Day(2007, 5, 1), Day(2007, 5, 31));
    const std::uint32_t dollar = b.Currency("$", "Dollar");
    account_ = b.Account("A", dollar);
    if (t.from == 0 && t.to == 0) t.from = account_;
    if (t.amountOut == 0) t.amountOut = t.amountIn = 50000;
    plannedId_ = b.Planned(t, s);
    const std::string file = TempFile("db.vlt");
    b.Write(file);
    return file;
  }
  Strings AppliedDates(const std::string& file, const std::string& today) {
    return Dates(Apply(file, today)["added"]);
  }
  std::string LastProcessed(const std::string& file) {
    return Dump(file)["planned"][0]["schedule"]["lastProcessed"];
  }
  std::uint32_t account_ = 0;
  std::uint32_t plannedId_ = 0;
};

ScheduleSpec Schedule(std::uint8_t kind, double lastProcessed) {
  ScheduleSpec s;
  s.kind = kind;
  s.lastProcessed = lastProcessed;
  return s;
}

TEST_F(SchedulerTest, EverySevenDaysFromTheFirstDay) {
  ScheduleSpec s = Schedule(2, Day(2007, 4, 24));  // first day 1 May, minus 7
  s.period = 7;
  const std::string file = OnePlanned(s);
  EXPECT_EQ(AppliedDates(file, "2007-05-20"), (Strings{"2007-05-01", "2007-05-08", "2007-05-15"}));
  EXPECT_EQ(LastProcessed(file), "2007-05-15");
  EXPECT_EQ(AppliedDates(file, "2007-05-21"), Strings{});
  EXPECT_EQ(AppliedDates(file, "2007-05-22"), Strings{"2007-05-22"});
}

TEST_F(SchedulerTest, WeekdaysStartAfterTheDayOfCreation) {
  ScheduleSpec s = Schedule(3, Day(2007, 5, 4));  // created on Friday 4 May
  s.weekdays = {1, 0, 0, 0, 1, 0, 0};             // Monday and Friday
  const std::string file = OnePlanned(s);
  EXPECT_EQ(AppliedDates(file, "2007-05-07"), Strings{"2007-05-07"});
  EXPECT_EQ(AppliedDates(file, "2007-05-14"), (Strings{"2007-05-11", "2007-05-14"}));
  EXPECT_EQ(LastProcessed(file), "2007-05-14");
}

TEST_F(SchedulerTest, DayThirtyOneSkipsMonthsWithoutIt) {
  ScheduleSpec s = Schedule(4, Day(2007, 1, 1));
  s.period = 31 + 50 * 1;
  const std::string file = OnePlanned(s);
  EXPECT_EQ(AppliedDates(file, "2007-04-30"), (Strings{"2007-01-31", "2007-03-31"}));
}

TEST_F(SchedulerTest, EveryTwoMonthsCountsFromTheMonthAfterTheLastProcessedDay) {
  ScheduleSpec s = Schedule(4, Day(2007, 1, 15));
  s.period = 31 + 50 * 2;
  const std::string file = OnePlanned(s);
  EXPECT_EQ(AppliedDates(file, "2007-01-31"), Strings{"2007-01-31"});
  EXPECT_EQ(LastProcessed(file), "2007-01-31");
  // From February on: April and June have no 31st, March does not match.
  EXPECT_EQ(AppliedDates(file, "2007-08-31"), Strings{"2007-08-31"});
}

TEST_F(SchedulerTest, EveryFiveMonthsComparesMonthNumbersWithinTheYear) {
  ScheduleSpec s = Schedule(4, Day(2007, 1, 5));
  s.period = 10 + 50 * 5;
  const std::string file = OnePlanned(s);
  EXPECT_EQ(AppliedDates(file, "2008-12-31"), (Strings{"2007-01-10", "2007-06-10", "2007-11-10",
                                                       "2008-01-10", "2008-06-10", "2008-11-10"}));
}

TEST_F(SchedulerTest, OnceForTomorrowIsForecastThenExecutedAtTheFirstApplyAfterIt) {
  ScheduleSpec s = Schedule(1, Day(2007, 5, 15));
  s.onceDate = Day(2007, 5, 16);
  const std::string file = OnePlanned(s);
  EXPECT_EQ(AppliedDates(file, "2007-05-15"), Strings{});
  EXPECT_EQ(ById(Dump(file, "2007-05-15")["accounts"], account_)["plannedOut"], 50000);
  EXPECT_EQ(AppliedDates(file, "2007-05-18"), Strings{"2007-05-16"});
  EXPECT_EQ(LastProcessed(file), "2007-05-18");  // the day of the apply
  EXPECT_EQ(AppliedDates(file, "2007-06-30"), Strings{});
  EXPECT_EQ(ById(Dump(file)["accounts"], account_)["plannedOut"], 0);
}

TEST_F(SchedulerTest, OnceOnItsLastProcessedDayNeverFires) {
  ScheduleSpec s = Schedule(1, Day(2007, 5, 15));  // created today for today
  s.onceDate = Day(2007, 5, 15);
  EXPECT_EQ(AppliedDates(OnePlanned(s), "2010-01-01"), Strings{});
}

TEST_F(SchedulerTest, NotSetAndUnknownKindsAreNeverExecuted) {
  for (std::uint8_t kind : {0, 5, 200}) {
    const std::string file = OnePlanned(Schedule(kind, Day(2007, 1, 1)));
    EXPECT_EQ(AppliedDates(file, "2010-01-01"), Strings{}) << int{kind};
    EXPECT_EQ(ById(Dump(file)["accounts"], account_)["plannedOut"], 50000) << int{kind};
  }
}

TEST_F(SchedulerTest, EveryZeroDaysHasNoOccurrence) {
  ScheduleSpec s = Schedule(2, Day(2007, 1, 1));
  s.period = 0;
  const std::string file = OnePlanned(s);
  EXPECT_EQ(AppliedDates(file, "2007-05-15"), Strings{});
  EXPECT_EQ(ById(Dump(file)["accounts"], account_)["plannedOut"], 0);
  EXPECT_EQ(LastProcessed(file), "2007-01-01");
}

TEST_F(SchedulerTest, ExecutedTransactionCopiesThePlannedFieldsOnAWholeDay) {
  ScheduleSpec s = Schedule(2, Day(2007, 5, 1, 0.5));  // last processed at noon
  s.period = 1;
  TxSpec t;
  t.date = Day(2001, 1, 1);  // not used by the scheduler
  t.from = 999;              // a dangling account is copied as it is
  t.to = 998;
  t.amountOut = 1000000;
  t.amountIn = 123;  // a transfer keeps both amounts, no rate applied
  t.quantity = 3.5f;
  t.member = 201;
  t.category = 202;
  t.section = 203;
  t.description = "Rent";
  t.comment = "flat 4";
  const std::string file = OnePlanned(s, t);
  Json added = Apply(file, "2007-05-02")["added"];
  ASSERT_EQ(added.size(), 1u);
  const Json& x = added[0];
  EXPECT_EQ(x["date"], "2007-05-02");
  EXPECT_EQ(x["from"], 999);
  EXPECT_EQ(x["to"], 998);
  EXPECT_EQ(x["amountOut"], 1000000);
  EXPECT_EQ(x["amountIn"], 123);
  EXPECT_EQ(x["quantity"], 3.5);
  EXPECT_EQ(x["member"], 201);
  EXPECT_EQ(x["category"], 202);
  EXPECT_EQ(x["section"], 203);
  EXPECT_EQ(x["description"], "Rent");
  EXPECT_EQ(x["comment"], "flat 4");
  EXPECT_GT(x["id"].get<std::uint32_t>(), plannedId_);
  // The transaction is stored: a dump shows the same, and the plan stays.
  Json d = Dump(file);
  EXPECT_EQ(d["transactions"][0], x);
  EXPECT_EQ(d["planned"].size(), 1u);
}

TEST_F(SchedulerTest, ALongOverdueScheduleProducesEveryMissedOccurrenceOnce) {
  ScheduleSpec s = Schedule(2, Day(2000, 1, 1));
  s.period = 1;
  const std::string file = OnePlanned(s);
  Json added = Apply(file, "2009-12-31")["added"];
  EXPECT_EQ(added.size(), static_cast<std::size_t>(Day(2009, 12, 31) - Day(2000, 1, 1)));
  EXPECT_EQ(added.front()["date"], "2000-01-02");
  EXPECT_EQ(added.back()["date"], "2009-12-31");
  EXPECT_EQ(Dump(file)["transactions"].size(), added.size());
}

}  // namespace

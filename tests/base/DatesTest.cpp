// Day numbers against the calendar, whole days, ISO texts and the clock.
#include <gtest/gtest.h>

#include "Dates.h"

TEST(Dates, DayNumbersMatchTheCalendar) {
  struct Case {
    int y;
    unsigned m, d;
    double number;
    unsigned weekday;
  } cases[] = {{1899, 12, 30, 0, 6},    {1899, 12, 31, 1, 7},   {1900, 1, 1, 2, 1},
               {2000, 2, 29, 36585, 2}, {2007, 5, 5, 39207, 6}, {1899, 12, 29, -1, 5}};
  for (const Case& c : cases) {
    EXPECT_EQ(EncodeDate(c.y, c.m, c.d), c.number) << c.y << "-" << c.m << "-" << c.d;
    // A time of day does not change the day (negative dates truncate toward zero).
    CivilDate back = DecodeDate(c.number + (c.number >= 0 ? 0.75 : 0.0));
    EXPECT_EQ(back.year, c.y);
    EXPECT_EQ(back.month, c.m);
    EXPECT_EQ(back.day, c.d);
    EXPECT_EQ(DayOfWeek(c.number), c.weekday);
  }
}

TEST(Dates, WholeDayTruncatesTowardZeroAndMonthsHaveTheirLength) {
  EXPECT_EQ(WholeDay(39207.999), 39207.0);
  EXPECT_EQ(WholeDay(-1.5), -1.0);
  EXPECT_EQ(DaysInMonth(2000, 2), 29u);
  EXPECT_EQ(DaysInMonth(1900, 2), 28u);
  EXPECT_EQ(DaysInMonth(2007, 4), 30u);
  EXPECT_EQ(FirstDayOfMonth(EncodeDate(2008, 2, 17) + 0.3), EncodeDate(2008, 2, 1));
  EXPECT_EQ(LastDayOfMonth(EncodeDate(2008, 2, 17)), EncodeDate(2008, 2, 29));
}

TEST(Dates, IsoTexts) {
  EXPECT_EQ(FormatIsoDate(EncodeDate(2007, 5, 5) + 0.5), "2007-05-05");
  EXPECT_EQ(FormatIsoDate(EncodeDate(2007, 5, 5) + 0.5, true), "2007-05-05T12:00:00");
  EXPECT_EQ(FormatIsoDate(EncodeDate(2007, 5, 5), true), "2007-05-05");
  Date d = 0;
  EXPECT_TRUE(ParseIsoDate("2024-02-29", d));
  EXPECT_EQ(d, EncodeDate(2024, 2, 29));
  for (const char* bad : {"2023-02-29", "2024-13-01", "2024-1-1", "tomorrow", "2024-01-01x",
                          "2024- 5-15", " 024-05-15", "+024-05-15", "-024-05-15", "2024-05-+1"})
    EXPECT_FALSE(ParseIsoDate(bad, d)) << bad;
}

TEST(Dates, ClockCanBePinned) {
  SetClock(EncodeDate(2010, 1, 2) + 0.25);
  EXPECT_EQ(Today(), EncodeDate(2010, 1, 2));
  EXPECT_EQ(Now(), EncodeDate(2010, 1, 2) + 0.25);
  ResetClock();
  EXPECT_GT(Today(), EncodeDate(2020, 1, 1));
}

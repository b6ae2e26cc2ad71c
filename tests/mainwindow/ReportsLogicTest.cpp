// The reports window's decisions: the period of each report and the donut's
// grouping of small categories.
#include <gtest/gtest.h>

#include "ReportsLogic.h"

namespace {

TEST(ReportsLogic, MonthlyReportWidensOneMonthToTwelve) {
  const Date mar1 = EncodeDate(2026, 3, 1), mar31 = EncodeDate(2026, 3, 31);
  struct Case {
    TReportKind kind;
    Date begin, end, from, to;
  } cases[] = {
      {kReportMonthly, mar1, mar31, EncodeDate(2025, 4, 1), mar31},
      {kReportMonthly, EncodeDate(2026, 1, 10), EncodeDate(2026, 1, 20), EncodeDate(2025, 2, 1),
       EncodeDate(2026, 1, 31)},
      {kReportMonthly, mar1, EncodeDate(2026, 5, 31), mar1, EncodeDate(2026, 5, 31)},
      {kReportCategories, mar1, mar31, mar1, mar31},
  };
  for (const Case& c : cases) {
    const TInterval p = ReportPeriod(c.kind, c.begin, c.end);
    EXPECT_EQ(p.begin, c.from) << FormatIsoDate(c.begin);
    EXPECT_EQ(p.end, c.to) << FormatIsoDate(c.begin);
  }
}

TEST(ReportsLogic, DonutGroupsTheSmallestAsOtherAndShowsAParentsOwnSpending) {
  TCategoryReport r;
  // Top level: five categories, the first with two subcategories and 5 of its own.
  r.categories = {{201, 2, "A", 5, 65},  {211, 201, "A1", 40, 40}, {212, 201, "A2", 20, 20},
                  {202, 2, "B", 30, 30}, {203, 2, "C", 3, 3},      {204, 2, "D", 2, 2},
                  {0, 0, "", 1, 1}};
  for (TCategoryFigure& f : r.categories)
    if (f.parent < 100) f.parent = 0;
  TReportTexts texts;
  texts[kRtOther] = "Other";
  texts[kRtNoCategory] = "None";
  const std::vector<TSlice> top = DonutSlices(r, 0, 4, texts);
  ASSERT_EQ(top.size(), 4u);
  EXPECT_EQ(top[0].name, "A");
  EXPECT_TRUE(top[0].drillable);
  EXPECT_FALSE(top[1].drillable);
  EXPECT_TRUE(top[3].other);
  EXPECT_EQ(top[2].name, "C");
  EXPECT_EQ(top[3].amount, 2 + 1);  // D and no category
  EXPECT_EQ(DonutSlices(r, 0, 10, texts).back().name, "None");

  const std::vector<TSlice> inside = DonutSlices(r, 201, 8, texts);
  ASSERT_EQ(inside.size(), 3u);
  EXPECT_EQ(inside[2].name, "A");  // booked on A itself
  EXPECT_EQ(inside[2].amount, 5);
}

TEST(ReportsLogic, SharesUseTheUsersDecimalSeparator) {
  EXPECT_EQ(ShareText(1, 3, "."), "33.3 %");
  EXPECT_EQ(ShareText(2, 3, ","), "66,7 %");
  EXPECT_EQ(ShareText(5, 0, ","), "");
}

}  // namespace

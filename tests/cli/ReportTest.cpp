// pardow-cli report: the reports' figures as JSON, for the period given or
// the file's working interval, and refusals of bad arguments.
#include <gtest/gtest.h>

#include "CliTestUtil.h"
#include "VltBuilder.h"

namespace {

std::string ReportFile() {
  CVltBuilder b(Day(2007, 5, 1), Day(2007, 5, 31));
  const std::uint32_t dollar = b.Currency("$", "Dollar");
  const std::uint32_t euro = b.Currency("E", "Euro");
  b.Rate(euro, dollar, 2.0);
  const std::uint32_t cash = b.Account("Cash", dollar);
  const std::uint32_t bank = b.Account("Bank", euro);
  const std::uint32_t food = b.SubType("Food", 2);
  const std::uint32_t fruit = b.SubType("Fruit", food);
  auto spend = [&](double date, std::uint32_t from, std::int64_t amount, std::uint32_t category) {
    TxSpec t;
    t.date = date;
    t.from = from;
    t.amountOut = t.amountIn = amount;
    t.category = category;
    b.Transaction(t);
  };
  spend(Day(2007, 5, 2), cash, 100000, fruit);  // $10
  spend(Day(2007, 5, 3), bank, 50000, food);    // 5 E = $10
  spend(Day(2007, 6, 3), cash, 70000, food);    // June
  const std::string file = TempFile("report.vlt");
  b.Write(file);
  return file;
}

TEST(ReportCommand, PrintsTheFiguresOfThePeriodInTheBaseCurrency) {
  const std::string file = ReportFile();
  struct Case {
    std::vector<std::string> period;
    std::int64_t total;
  } cases[] = {
      {{}, 200000},                                              // the working interval: May
      {{"--from", "2007-05-01", "--to", "2007-06-30"}, 270000},  // May and June
      {{"--from", "2007-05-03", "--to", "2007-05-03"}, 100000},  // one day
  };
  for (const Case& c : cases) {
    std::vector<std::string> args{"report", "categories", file};
    args.insert(args.end(), c.period.begin(), c.period.end());
    const CliResult r = RunCli(args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const Json j = Json::parse(r.out);
    EXPECT_EQ(j["currency"]["name"], "$");
    EXPECT_EQ(j["total"], c.total);
    EXPECT_EQ(j["categories"][0]["name"], "Food");
    EXPECT_EQ(j["categories"][0]["total"], c.total);
  }
  const Json monthly = Json::parse(
      RunCli({"report", "monthly", file, "--from", "2007-04-15", "--to", "2007-06-01"}).out);
  ASSERT_EQ(monthly["months"].size(), 3u);
  EXPECT_EQ(monthly["months"][1]["month"], "2007-05");
  EXPECT_EQ(monthly["months"][1]["expense"], 200000);
  for (const char* name : {"balance", "members", "budget"})
    EXPECT_EQ(RunCli({"report", name, file}).exitCode, 0) << name;
}

TEST(ReportCommand, MonthlyWithoutDatesShowsTheTwelveMonthsOfTheWindow) {
  const std::string file = ReportFile();  // working interval: May 2007
  struct Case {
    std::vector<std::string> period;
    const char *from, *to, *firstMonth;
    std::size_t months;
  } cases[] = {
      {{}, "2006-06-01", "2007-05-31", "2006-06", 12},
      {{"--from", "2007-05-01", "--to", "2007-05-31"}, "2007-05-01", "2007-05-31", "2007-05", 1},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args{"report", "monthly", file};
    args.insert(args.end(), c.period.begin(), c.period.end());
    const CliResult r = RunCli(args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const Json j = Json::parse(r.out);
    EXPECT_EQ(j["from"], c.from);
    EXPECT_EQ(j["to"], c.to);
    ASSERT_EQ(j["months"].size(), c.months);
    EXPECT_EQ(j["months"][0]["month"], c.firstMonth);
    EXPECT_EQ(j["months"][c.months - 1]["expense"], 200000);  // May
  }
}

TEST(ReportCommand, RefusesBadArguments) {
  const std::string file = ReportFile();
  const std::vector<std::vector<std::string>> bad = {
      {"report", "nonsense", file},
      {"report", "categories", file, "--from", "2007-13-01"},
      {"report", "categories", file, "--from", "2007-05-31", "--to", "2007-05-01"},
      {"report", "categories", file, "--to"},
      {"report", "categories"},
  };
  for (const auto& args : bad) {
    const CliResult r = RunCli(args);
    EXPECT_EQ(r.exitCode, 2) << args.back();
    EXPECT_TRUE(r.out.empty()) << args.back();
  }
}

}  // namespace

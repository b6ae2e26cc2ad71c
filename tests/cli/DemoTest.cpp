// The demo database: the same seed and today give the same file, and it holds
// everything it promises.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "CliTestUtil.h"

namespace {

const char kToday[] = "2024-05-15";

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

std::string MakeDemo(const std::string& name, const std::vector<std::string>& options) {
  const std::string file = TempFile(name);
  std::vector<std::string> args = {"--today", kToday, "demo", file};
  args.insert(args.end(), options.begin(), options.end());
  CliResult r = RunCli(args);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  return file;
}

TEST(DemoTest, SameSeedAndTodayGiveTheSameFile) {
  const std::string a = MakeDemo("a.vlt", {"--transactions", "400", "--seed", "3"});
  const std::string b = MakeDemo("b.vlt", {"--transactions", "400", "--seed", "3"});
  const std::string c = MakeDemo("c.vlt", {"--transactions", "400", "--seed", "4"});
  EXPECT_EQ(Bytes(a), Bytes(b));
  EXPECT_EQ(Dump(a, kToday), Dump(b, kToday));
  EXPECT_NE(Dump(a, kToday)["transactions"], Dump(c, kToday)["transactions"]);
}

TEST(DemoTest, RefusesBadOptions) {
  const std::string file = TempFile("bad.vlt");
  for (const std::vector<std::string>& options : {std::vector<std::string>{"--transactions", "12x"},
                                                  {"--transactions", "-5"},
                                                  {"--transactions", "10000001"},
                                                  {"--seed"},
                                                  {"--colour", "red"}}) {
    std::vector<std::string> args = {"demo", file};
    args.insert(args.end(), options.begin(), options.end());
    EXPECT_EQ(RunCli(args).exitCode, 2) << options[0];
  }
}

TEST(DemoTest, ZeroTransactionsStillGivesTheDirectoriesAndPlans) {
  Json d = Dump(MakeDemo("zero.vlt", {"--transactions", "0"}), kToday);
  EXPECT_TRUE(d["transactions"].empty());
  EXPECT_EQ(d["accounts"].size(), 5u);
  EXPECT_FALSE(d["planned"].empty());
}

class DemoContentTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    // One file per process: ctest runs the cases of this suite side by side.
    file_ = new std::string(testing::TempDir() + "cli-demo-default-" + std::to_string(getpid()) +
                            ".vlt");
    std::remove(file_->c_str());
    CliResult r = RunCli({"--today", kToday, "demo", *file_});  // the default size
    ASSERT_EQ(r.exitCode, 0) << r.err;
    dump_ = new Json(Dump(*file_, kToday));
  }
  static void TearDownTestSuite() {
    std::remove(file_->c_str());
    delete file_;
    delete dump_;
  }
  static const Json& D() { return *dump_; }

  // Depth of a subtype below its root (a top-level subtype has depth 1), and
  // the root it hangs from.
  static std::pair<int, std::uint32_t> DepthAndRoot(std::uint32_t id) {
    int depth = 0;
    while (id > 100 && depth < 50) {
      id = ById(D()["subtypes"], id)["parent"];
      ++depth;
    }
    return {depth, id};
  }
  static std::uint32_t CurrencyOf(std::uint32_t account) {
    return ById(D()["accounts"], account)["currency"];
  }
  // The rate from currency a to b as the program reads it.
  static double RateBetween(std::uint32_t a, std::uint32_t b) {
    for (const Json& r : D()["rates"]) {
      if (r["a"] == a && r["b"] == b) return r["rate"];
      if (r["a"] == b && r["b"] == a) return 1.0 / r["rate"].get<double>();
    }
    return 1.0;
  }

  static std::string* file_;
  static Json* dump_;
};
std::string* DemoContentTest::file_ = nullptr;
Json* DemoContentTest::dump_ = nullptr;

TEST_F(DemoContentTest, ThreeThousandTransactionsOverTheTwoYearsUpToToday) {
  const Json& t = D()["transactions"];
  ASSERT_EQ(t.size(), 3000u);
  std::string first = "9999", last = "0000";
  int withTime = 0;
  for (const Json& x : t) {
    const std::string date = x["date"];
    first = std::min(first, date.substr(0, 10));
    last = std::max(last, date.substr(0, 10));
    withTime += date.size() > 10;
  }
  EXPECT_EQ(first, "2022-05-16");  // 730 days before today
  EXPECT_EQ(last, kToday);
  EXPECT_GT(withTime, 0);
}

TEST_F(DemoContentTest, CurrenciesRatesAndAccounts) {
  EXPECT_EQ(D()["currencies"].size(), 3u);
  EXPECT_EQ(D()["rates"].size(), 3u);
  for (const Json& r : D()["rates"]) EXPECT_NE(r["rate"], 1.0);
  ASSERT_EQ(D()["accounts"].size(), 5u);
  int budgets = 0;
  std::set<std::uint32_t> currencies;
  for (const Json& a : D()["accounts"]) {
    EXPECT_NE(a["comment"], "") << a["name"];
    budgets += a["budget"]["enabled"].get<bool>();
    currencies.insert(a["currency"].get<std::uint32_t>());
    if (a["budget"]["enabled"]) {
      EXPECT_GT(a["budget"]["sum"], 0);
      EXPECT_GT(a["budgetUsed"], 0);
    }
  }
  EXPECT_EQ(budgets, 1);
  EXPECT_EQ(currencies.size(), 3u);
}

TEST_F(DemoContentTest, CategoryTreesAreThreeLevelsDeepWithMembersAndSections) {
  std::map<std::uint32_t, int> deepest;  // root -> deepest level below it
  int showQuantity = 0;
  for (const Json& s : D()["subtypes"]) {
    auto [depth, root] = DepthAndRoot(s["id"]);
    deepest[root] = std::max(deepest[root], depth);
    showQuantity += s["showQuantity"].get<bool>();
  }
  EXPECT_EQ(deepest[1], 3);  // income
  EXPECT_EQ(deepest[2], 3);  // expense
  EXPECT_GE(deepest[3], 1);  // transfer
  EXPECT_GE(deepest[5], 1);  // sections
  EXPECT_GE(deepest[6], 1);  // family members
  EXPECT_GT(showQuantity, 0);
}

TEST_F(DemoContentTest, TransactionsOfEveryKindWithRepeatingDescriptions) {
  std::map<std::string, int> uses;
  int incomes = 0, expenses = 0, crossCurrency = 0, members = 0, sections = 0, comments = 0;
  for (const Json& x : D()["transactions"]) {
    const std::uint32_t from = x["from"], to = x["to"];
    ++uses[x["description"]];
    incomes += from == 0;
    expenses += to == 0;
    members += x["member"] != 0;
    sections += x["section"] != 0;
    comments += x["comment"] != "";
    if (from == 0 || to == 0 || CurrencyOf(from) == CurrencyOf(to)) continue;
    ++crossCurrency;
    // amount in = amount out at the rate rounded to four decimals, cut to
    // four decimals
    const std::int64_t rate = std::llround(RateBetween(CurrencyOf(from), CurrencyOf(to)) * 10000);
    EXPECT_EQ(x["amountIn"], x["amountOut"].get<std::int64_t>() * rate / 10000) << x;
  }
  EXPECT_GT(incomes, 20);
  EXPECT_GT(expenses, 2000);
  EXPECT_GT(crossCurrency, 20);
  EXPECT_GT(members, 0);
  EXPECT_GT(sections, 0);
  EXPECT_GT(comments, 0);
  int oftenUsed = 0;
  for (const auto& [text, n] : uses) oftenUsed += n >= 30;
  EXPECT_GE(oftenUsed, 20);
  EXPECT_LT(uses.size(), 60u);
}

TEST_F(DemoContentTest, PlannedTransactionsOfEveryScheduleKindStartAfterToday) {
  std::set<int> kinds;
  for (const Json& p : D()["planned"]) {
    const Json& s = p["schedule"];
    kinds.insert(s["kind"].get<int>());
    switch (s["kind"].get<int>()) {
      case 1:
        EXPECT_GT(s["onceDate"], kToday);
        break;
      case 2:
        EXPECT_GE(s["period"], 1);
        break;
      case 3:
        EXPECT_NE(s["weekdays"], Json::parse("[0,0,0,0,0,0,0]"));
        break;
      case 4:
        EXPECT_GE(s["period"].get<int>() % 50, 1);
        EXPECT_LE(s["period"].get<int>() % 50, 31);
        EXPECT_GE(s["period"].get<int>() / 50, 1);
        break;
    }
  }
  EXPECT_EQ(kinds, (std::set<int>{0, 1, 2, 3, 4}));
}

TEST_F(DemoContentTest, PlansFallDueOnlyAfterToday) {
  const std::string copy = TempFile("copy.vlt");
  std::ofstream(copy, std::ios::binary) << Bytes(*file_);
  EXPECT_TRUE(Apply(copy, kToday)["added"].empty());
  // Two months on, every executable plan has produced something.
  std::set<std::string> due;
  for (const Json& p : D()["planned"])
    if (p["schedule"]["kind"] != 0) due.insert(p["description"].get<std::string>());
  std::set<std::string> executed;
  const Json later = Apply(copy, "2024-07-16");
  for (const Json& x : later["added"]) executed.insert(x["description"].get<std::string>());
  EXPECT_EQ(executed, due);
}

}  // namespace

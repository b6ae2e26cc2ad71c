// pardow-cli find: what it prints for a query and how it exits.
#include <gtest/gtest.h>

#include "CliTestUtil.h"
#include "VltBuilder.h"

namespace {

class FindCliTest : public testing::Test {
 protected:
  void SetUp() override {
    file = TempFile("find.vlt");
    CVltBuilder b(Day(2026, 1, 1), Day(2026, 1, 31));
    const std::uint32_t usd = b.Currency("USD", "Dollar");
    const std::uint32_t cash = b.Account("Cash", usd);
    const std::uint32_t food = b.SubType("Food", 2);
    fruit = b.SubType("Fruit", food);
    auto add = [&](double day, std::uint32_t from, std::uint32_t to, std::int64_t amount,
                   std::uint32_t category, const char* text, const char* comment) {
      TxSpec t;
      t.date = day;
      t.from = from;
      t.to = to;
      t.amountOut = t.amountIn = amount;
      t.category = category;
      t.description = text;
      t.comment = comment;
      return b.Transaction(t);
    };
    apples = add(Day(2026, 1, 9), cash, 0, 125000, fruit, "Äpfel", "");
    add(Day(2026, 1, 2), cash, 0, 99000, food, "Bread", "apfel strudel");
    add(Day(2026, 1, 5), 0, cash, 5000000, 0, "Salary", "");
    b.Write(file);
  }
  Json Find(std::vector<std::string> args) {
    args.insert(args.begin(), {"find", file});
    const CliResult r = RunCli(args);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return Json::parse(r.out);
  }
  std::string file;
  std::uint32_t fruit = 0, apples = 0;
};

TEST_F(FindCliTest, PrintsMatchesAsDumpDoesWithCountAndSum) {
  const Json all = Find({"--text", "APFEL"});
  EXPECT_EQ(all["count"], 2);
  EXPECT_EQ(all["sum"], -224000);
  EXPECT_EQ(Dates(all["transactions"]), (std::vector<std::string>{"2026-01-02", "2026-01-09"}));
  const Json dumped = ById(Dump(file)["transactions"], apples);
  EXPECT_EQ(all["transactions"][1], dumped);
  const Json exact = Find({"--min", "12.50", "--max", "12.5", "--kind", "expenses"});
  EXPECT_EQ(exact["count"], 1);
  EXPECT_EQ(exact["transactions"][0]["description"], "Äpfel");
  EXPECT_EQ(Find({"--category", std::to_string(fruit), "--no-subcategories"})["count"], 1);
  EXPECT_EQ(Find({"--from", "2026-01-03", "--to", "2026-01-05"})["sum"], 5000000);
}

TEST_F(FindCliTest, BadArgumentsExitWithTwoAndAMissingFileWithOne) {
  const std::vector<std::vector<std::string>> bad = {
      {"find"},
      {"find", file, "--min", "-5"},
      {"find", file, "--max", "1,5"},
      {"find", file, "--min", "20", "--max", "10"},
      {"find", file, "--from", "2026-13-01"},
      {"find", file, "--account", "x"},
      {"find", file, "--kind", "gifts"},
      {"find", file, "--no-subcategories"},
      {"find", file, "--text"},
      {"find", file, "--colour", "red"},
      {"find", file, file},
  };
  for (const auto& args : bad) {
    const CliResult r = RunCli(args);
    EXPECT_EQ(r.exitCode, 2) << args.back();
    EXPECT_TRUE(r.out.empty());
  }
  EXPECT_EQ(RunCli({"find", TempFile("missing.vlt")}).exitCode, 1);
}

}  // namespace

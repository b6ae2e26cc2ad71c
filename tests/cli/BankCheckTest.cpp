// pardow-cli check-balance: what it prints, what it remembers and how it exits.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "CliTestUtil.h"

namespace {

// A new database (account 103) with an income and an expense.
class BankCheckCliTest : public testing::Test {
 protected:
  void SetUp() override {
    file = TempFile("check.vlt");
    // Left by a database of that name deleted outside the program: not the new one's.
    std::ofstream(file + ".companion") << "Pardow companion 1\nagreed\t103\t2026-01-20\t0\n";
    ASSERT_EQ(RunCli({"create", file}).exitCode, 0);
    Add("2026-01-02", 0, 103, 10000000, "Start");
    Add("2026-01-15", 103, 0, 1234500, "Rent");
  }

  void Add(const char* date, int from, int to, std::int64_t amount, const char* description) {
    const Json t = {{"date", date},       {"from", from},
                    {"to", to},           {"amountOut", amount},
                    {"amountIn", amount}, {"quantity", 1},
                    {"member", 0},        {"category", 0},
                    {"section", 0},       {"description", description},
                    {"comment", ""}};
    ASSERT_EQ(RunCli({"add-transaction", file, t.dump()}).exitCode, 0);
  }

  CliResult Check(const std::string& date, const std::string& balance) {
    return RunCli(
        {"check-balance", file, "--account", "103", "--date", date, "--balance", balance});
  }

  std::string file;
};

TEST_F(BankCheckCliTest, DifferenceExitsOneAgreementIsRemembered) {
  struct Case {
    const char *date, *balance;
    int exitCode;
    std::int64_t difference;
    const char* lastAgreed;  // null: none
    std::size_t transactions;
  } cases[] = {
      {"2026-01-31", "876.50", 1, -500, nullptr, 2},
      {"2026-01-14", "1,000", 0, 0, nullptr, 1},  // remembered
      {"2026-01-31", "-12.00", 1, -8885500, "2026-01-14", 1},
      {"2026-01-31", "876.55", 0, 0, "2026-01-14", 1},
      {"2026-02-28", "876.55", 0, 0, "2026-01-31", 0},
  };
  for (const Case& c : cases) {
    const CliResult r = Check(c.date, c.balance);
    SCOPED_TRACE(std::string(c.date) + " " + c.balance + ": " + r.err);
    EXPECT_EQ(r.exitCode, c.exitCode);
    const Json out = Json::parse(r.out, nullptr, false);
    ASSERT_TRUE(out.is_object());
    EXPECT_EQ(out["account"], 103);
    EXPECT_EQ(out["date"], c.date);
    EXPECT_EQ(out["books"].get<std::int64_t>() + out["difference"].get<std::int64_t>(),
              out["bank"].get<std::int64_t>());
    EXPECT_EQ(out["difference"], c.difference);
    EXPECT_EQ(out["lastAgreed"], c.lastAgreed ? Json(c.lastAgreed) : Json());
    EXPECT_EQ(out["transactions"].size(), c.transactions);
  }
  const Json last = Json::parse(Check("2026-01-20", "0").out);
  EXPECT_EQ(last["transactions"][0], (Json{{"id", last["transactions"][0]["id"]},
                                           {"date", "2026-01-15"},
                                           {"amount", -1234500},
                                           {"description", "Rent"}}));
}

TEST_F(BankCheckCliTest, BadArgumentsExitTwoAndAFailedWriteOne) {
  const std::vector<std::vector<std::string>> bad = {
      {"check-balance", file, "--account", "103", "--date", "2026-01-31"},
      {"check-balance", file, "--account", "103", "--date", "2026-01-31", "--balance", "1.234"},
      {"check-balance", file, "--account", "103", "--date", "2026-02-30", "--balance", "1"},
      {"--today", "2026-01-30", "check-balance", file, "--account", "103", "--date", "2026-01-31",
       "--balance", "1"},  // a day still to come
      {"check-balance", file, "--account", "x", "--date", "2026-01-31", "--balance", "1"},
      {"check-balance", file, "--account", "9999", "--date", "2026-01-31", "--balance", "1"},
      {"check-balance", file, "--account", "103", "--date", "2026-01-31", "--balance", "1",
       "--what", "2"},
  };
  for (const auto& args : bad) {
    const CliResult r = RunCli(args);
    EXPECT_EQ(r.exitCode, 2) << args[2] << " " << args[3] << ": " << r.err;
    EXPECT_EQ(r.out, "");
  }
  EXPECT_EQ(RunCli({"check-balance", file + ".none", "--account", "103", "--date", "2026-01-31",
                    "--balance", "1"})
                .exitCode,
            1);

  // The companion cannot be written where a folder holds its temporary name.
  std::filesystem::create_directory(file + ".companion.tmp");
  const CliResult r = Check("2026-01-31", "876.55");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find(".companion.tmp"), std::string::npos) << r.err;
  EXPECT_FALSE(std::filesystem::exists(file + ".companion"));
}

}  // namespace

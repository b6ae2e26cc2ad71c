// pardow-cli's categorizing rules: keeping them, their order, what a bad
// rule is told, and how an import and apply-rules use them beside what the
// stored transactions teach.
#include <gtest/gtest.h>

#include <fstream>

#include "CliTestUtil.h"

namespace {

class RulesCliTest : public testing::Test {
 protected:
  void SetUp() override {
    file = TempFile("rules.vlt");
    ASSERT_EQ(RunCli({"create", file}).exitCode, 0);
    food = Id(RunCli({"add-subtype", file, R"({"name": "Food", "parent": 2})"}));
    power = Id(RunCli({"add-subtype", file, R"({"name": "Power", "parent": 2})"}));
    anna = Id(RunCli({"add-subtype", file, R"({"name": "Anna", "parent": 6})"}));
    // Two earlier payments to the bakery, categorized by hand.
    for (const char* date : {"2026-01-03", "2026-01-10"})
      ASSERT_EQ(RunCli({"add-transaction", file,
                        Json{{"date", date},
                             {"from", 103},
                             {"amountOut", 45000},
                             {"amountIn", 45000},
                             {"category", food},
                             {"description", std::string("KARTE Baeckerei Kornblume ") + date}}
                            .dump()})
                    .exitCode,
                0);
  }

  static std::uint32_t Id(const CliResult& r) {
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return r.exitCode == 0 ? Json::parse(r.out)["id"].get<std::uint32_t>() : 0;
  }

  std::string file;
  std::uint32_t food = 0, power = 0, anna = 0;
};

TEST_F(RulesCliTest, RulesAreKeptInOrderAndBadOnesRefused) {
  const std::uint32_t a = Id(RunCli({"add-rule", file,
                                     Json{{"match", {{"text", "stadtwerke"}}},
                                          {"set", {{"category", power}, {"description", "Power"}}}}
                                         .dump()}));
  const std::uint32_t b = Id(RunCli({"add-rule", file,
                                     Json{{"match", {{"text", "anna"}, {"mode", "words"}}},
                                          {"set", {{"member", anna}}},
                                          {"position", 1}}
                                         .dump()}));
  const std::vector<std::string> bad = {
      R"({"match": {"text": "(x", "mode": "regex"}, "set": {"category": 120}})",
      R"({"match": {"text": "x"}, "set": {"category": 999}})",
      R"({"match": {"text": "x"}, "set": {"member": 103}})",
      R"({"match": {"text": ""}, "set": {"category": 120}})",
      R"({"match": {"text": "x"}, "set": {}})",
      R"({"match": {"text": "x", "mode": "fuzzy"}, "set": {"category": 120}})",
      R"({"match": {"text": "x", "amountMin": 5, "amountMax": 4}, "set": {"category": 120}})",
      R"({"match": {"text": "x"}, "set": {"category": 120}, "colour": "red"})",
      R"({"id": 1, "match": {"text": "x"}, "set": {"category": 120}})",
      "not json"};
  for (const std::string& input : bad)
    EXPECT_EQ(RunCli({"add-rule", file, input}).exitCode, 2) << input;
  ASSERT_EQ(RunCli({"edit-rule", file, Json{{"id", a}, {"position", 1}}.dump()}).exitCode, 0);
  EXPECT_EQ(RunCli({"edit-rule", file, R"({"id": 99, "position": 1})"}).exitCode, 2);
  Json rules = Json::parse(RunCli({"rules", file}).out);
  ASSERT_EQ(rules.size(), 2u);
  EXPECT_EQ(std::make_pair(rules[0]["id"], rules[1]["id"]), std::make_pair(Json(a), Json(b)));
  EXPECT_EQ(rules[0]["set"]["description"], "Power");
  ASSERT_EQ(RunCli({"delete-rule", file, std::to_string(a)}).exitCode, 0);
  EXPECT_EQ(RunCli({"delete-rule", file, std::to_string(a)}).exitCode, 2);
  rules = Json::parse(RunCli({"rules", file}).out);
  ASSERT_EQ(rules.size(), 1u);
  EXPECT_EQ(rules[0]["position"], 1);
}

// A rule's category, the one learned from the bakery's earlier payments,
// and the file's own category, which always wins.
TEST_F(RulesCliTest, ImportCategorizesByRuleThenHistoryAndTheFileWins) {
  Id(RunCli({"add-rule", file,
             Json{{"match", {{"text", "stadtwerke"}}},
                  {"set", {{"category", power}, {"description", "Stadtwerke"}}}}
                 .dump()}));
  const std::string statement = TempFile("month.csv");
  std::ofstream(statement) << "Date;Text;Amount;Category\n"
                              "2026-02-01;SEPA STADTWERKE 4711;-60.00;\n"
                              "2026-02-03;KARTE BAECKEREI KORNBLUME 0203;-4.20;\n"
                              "2026-02-04;Unknown shop;-9.00;\n"
                              "2026-02-05;Stadtwerke refund;-1.00;Food\n";
  const std::vector<std::string> import = {
      "import", file, statement, "--account", "103", "--columns", "date,description,sum,category"};
  std::vector<std::string> plain = import;
  plain.push_back("--no-categorize");
  plain.push_back("--dry-run");
  EXPECT_TRUE(Json::parse(RunCli(plain).out)["categorized"].empty());
  const CliResult r = RunCli(import);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const Json categorized = Json::parse(r.out)["categorized"];
  ASSERT_EQ(categorized.size(), 3u) << categorized;
  EXPECT_EQ(categorized[0]["reason"], "rule 1: 'stadtwerke'");
  EXPECT_EQ(categorized[1]["reason"], "like 2 earlier transactions");
  // The rule cleans the description; the category stays the file's.
  EXPECT_EQ(categorized[2]["reason"], "from the file; rule 1: 'stadtwerke'");
  const Json stored = Dump(file)["transactions"];
  ASSERT_EQ(stored.size(), 6u);
  EXPECT_EQ(std::make_pair(stored[2]["description"], stored[2]["category"]),
            std::make_pair(Json("Stadtwerke"), Json(power)));
  EXPECT_EQ(stored[3]["category"], food);
  EXPECT_EQ(stored[4]["category"], 0);
  EXPECT_EQ(stored[5]["category"], food);  // from the file

  // apply-rules gives stored transactions what the rules set.
  Id(RunCli({"add-rule", file,
             Json{{"match", {{"text", "unknown shop"}}}, {"set", {{"category", food}}}}.dump()}));
  Json applied = Json::parse(RunCli({"apply-rules", file, "--dry-run"}).out);
  EXPECT_EQ(applied["count"], 2);  // the shop, and the refund the first rule claims
  EXPECT_EQ(Dump(file)["transactions"][4]["category"], 0);
  applied = Json::parse(RunCli({"apply-rules", file, "--from", "2026-02-04"}).out);
  EXPECT_EQ(applied["count"], 2);
  EXPECT_EQ(Dump(file)["transactions"][4]["category"], food);
}

}  // namespace

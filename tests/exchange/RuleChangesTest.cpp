// Applying the rules to stored transactions as one change, and taking that
// change back; what a rule may name in a database.
#include "FinanceTestUtil.h"
#include "RuleChanges.h"

namespace {

class RuleChangesTest : public FinanceTest {
 protected:
  void SetUp() override {
    FinanceTest::SetUp();
    cash = Account("Cash");
    food = SubType("Food", kExpenseRoot);
    salary = SubType("Salary", kIncomeRoot);
    anna = SubType("Anna", kMemberRoot);
    home = SubType("Home", kSectionRoot);
  }
  std::uint32_t Add(Date date, bool expense, const std::string& description,
                    const std::string& comment = "", std::uint32_t category = 0) {
    CTransactionItem t;
    t.description = description;
    t.comment = comment;
    t.record.date = date;
    (expense ? t.record.fromAccount : t.record.toAccount) = cash;
    t.record.amountOut = t.record.amountIn = 45000;
    t.record.categoryId = category;
    return db.AddTransaction(t);
  }
  static CImportRule Rule(const std::string& text, CRuleSet set) {
    CImportRule rule;
    rule.match.text = text;
    rule.set = std::move(set);
    return rule;
  }
  // What a transaction holds apart from where its texts are kept.
  std::tuple<std::string, std::string, std::uint32_t, std::uint32_t, std::uint32_t, Date> Held(
      std::uint32_t id) {
    CTransactionItem t;
    db.GetTransaction(id, t);
    const TransactionRecord& r = t.record;
    return {t.description, t.comment, r.categoryId, r.memberId, r.sectionId, r.date};
  }

  std::uint32_t cash = 0, food = 0, salary = 0, anna = 0, home = 0;
};

TEST_F(RuleChangesTest, ApplyChangesThePeriodsMatchesAndUndoGivesBackEachValue) {
  const std::uint32_t bakery = Add(D(2026, 3, 2), true, "KARTE BAECKEREI 0302", "early");
  const std::uint32_t done = Add(D(2026, 3, 3), true, "BAECKEREI", "", food);  // already so
  const std::uint32_t pay = Add(D(2026, 3, 31), false, "Lohn Baeckerei Maerz");
  const std::uint32_t before = Add(D(2026, 2, 28), true, "BAECKEREI");  // outside the period
  const std::uint32_t other = Add(D(2026, 3, 5), true, "Kino");
  const std::uint32_t transfer = Move(D(2026, 3, 6), cash, Account("Bank"), 10, -1, "BAECKEREI");
  const std::vector<CImportRule> rules = {
      Rule("lohn", {salary, anna, 0, ""}),
      Rule("baeckerei", {food, 0, home, "Bakery"}),  // an expense category
  };
  const CRuleMatcher matcher(rules);
  const auto held = [&] {
    std::vector<decltype(Held(0))> all;
    for (std::uint32_t id : {bakery, done, pay, before, other, transfer}) all.push_back(Held(id));
    return all;
  };
  const auto original = held();

  const std::vector<CRuleChange> changes =
      PlanRuleChanges(db, matcher, D(2026, 3, 1), D(2026, 3, 31) + 0.9);
  ASSERT_EQ(changes.size(), 3u);
  EXPECT_EQ(CRuleSubjects(db, D(2026, 3, 1), D(2026, 3, 31)).CountChanges(matcher), 3u);
  EXPECT_EQ(changes[0].after.id, bakery);
  EXPECT_EQ(changes[1].after.id, done);  // the section and description are still new
  EXPECT_EQ(changes[2].after.id, pay);
  std::size_t written = 0;
  ASSERT_TRUE(StoreRuleChanges(db, changes, false, &written));
  EXPECT_EQ(written, 3u);
  EXPECT_EQ(Held(bakery), std::make_tuple(std::string("Bakery"), std::string("early"), food, 0u,
                                          home, D(2026, 3, 2)));
  EXPECT_EQ(Held(pay), std::make_tuple(std::string("Lohn Baeckerei Maerz"), std::string(), salary,
                                       anna, 0u, D(2026, 3, 31)));
  EXPECT_EQ(held()[3], original[3]);
  EXPECT_EQ(held()[4], original[4]);
  EXPECT_EQ(held()[5], original[5]);
  EXPECT_TRUE(PlanRuleChanges(db, matcher, D(2026, 3, 1), D(2026, 3, 31)).empty());

  Reopen();  // the change and its undo are on disk, not only in memory
  ASSERT_TRUE(StoreRuleChanges(db, changes, true, &written));
  EXPECT_EQ(written, 3u);
  EXPECT_EQ(held(), original);
  Reopen();
  EXPECT_EQ(held(), original);
}

TEST_F(RuleChangesTest, AGoneTransactionStopsTheRunAndSaysHowFarItGot) {
  const std::uint32_t a = Add(D(2026, 3, 2), true, "Kiosk");
  const std::uint32_t b = Add(D(2026, 3, 3), true, "Kiosk");
  const std::uint32_t c = Add(D(2026, 3, 4), true, "Kiosk");
  const CRuleMatcher matcher({Rule("kiosk", {food, 0, 0, ""})});
  const std::vector<CRuleChange> changes = PlanRuleChanges(db, matcher, -1e9, 1e9);
  ASSERT_EQ(changes.size(), 3u);
  ASSERT_TRUE(db.DelTransaction(b));
  std::size_t written = 9;
  EXPECT_FALSE(StoreRuleChanges(db, changes, false, &written));
  EXPECT_EQ(written, 1u);
  EXPECT_EQ(std::get<2>(Held(a)), food);
  EXPECT_EQ(std::get<2>(Held(c)), 0u);
}

TEST_F(RuleChangesTest, ProblemsHaveAKindAndTheCommandLinesWords) {
  const std::uint32_t account = cash;
  const auto with = [](CImportRule rule, auto change) {
    change(rule);
    return rule;
  };
  const struct {
    CImportRule rule;
    ERuleProblem kind;
    const char* text;
  } cases[] = {
      {Rule(" ", {food, 0, 0, ""}), ERuleProblem::kNoText, "the rule has no text to match"},
      {with(Rule("x", {food, 0, 0, ""}),
            [](CImportRule& r) { r.match.amountMin = 5, r.match.amountMax = 4; }),
       ERuleProblem::kMinAboveMax, "the smallest amount is above the largest"},
      {with(Rule("x", {food, 0, 0, ""}), [](CImportRule& r) { r.match.amountMin = -5; }),
       ERuleProblem::kSignedAmount, "amounts are without their sign"},
      {with(Rule("(x", {food, 0, 0, ""}), [](CImportRule& r) { r.match.mode = ERuleMode::kRegex; }),
       ERuleProblem::kBadRegex, nullptr},
      {Rule("x", {}), ERuleProblem::kSetsNothing, "the rule sets nothing"},
      {Rule("x", {kExpenseRoot, 0, 0, ""}), ERuleProblem::kNoCategory, "there is no category 2"},
      {Rule("x", {anna, 0, 0, ""}), ERuleProblem::kNoCategory, nullptr},
      {Rule("x", {0, home, 0, ""}), ERuleProblem::kNoMember, nullptr},
      {Rule("x", {0, 0, 999, ""}), ERuleProblem::kNoSection, "there is no section 999"},
      {with(Rule("x", {0, 0, home, ""}), [](CImportRule& r) { r.match.account = 999; }),
       ERuleProblem::kNoAccount, "there is no account 999"},
      {with(Rule("x", {salary, anna, home, "Pay"}),
            [&](CImportRule& r) { r.match.account = account; }),
       ERuleProblem::kNone, ""},
  };
  for (const auto& c : cases) {
    const CRuleProblem problem = RuleReferenceProblem(db, c.rule);
    EXPECT_EQ(problem.kind, c.kind) << problem.text;
    if (c.text != nullptr) {
      EXPECT_EQ(problem.text, c.text);
    }
  }
  const CRuleProblem regex = RuleUsageProblem(cases[3].rule);
  EXPECT_EQ(regex.text, RuleProblem(cases[3].rule));
  EXPECT_FALSE(regex.detail.empty());
}

}  // namespace

// Finding transactions over the whole database: one small database and a
// table of queries with the descriptions they must find, in date order.
#include "FinanceTestUtil.h"
#include "Find.h"
#include "Numbertexts.h"
#include "Textcodec.h"

namespace {

class FindTest : public FinanceTest {
 protected:
  void SetUp() override {
    FinanceTest::SetUp();
    giro = Account("Giro");
    savings = Account("Savings");
    food = SubType("Food", kExpenseRoot);
    bakery = SubType("Bakery", food);
    car = SubType("Car", kExpenseRoot);
    child = SubType("Child", kMemberRoot);
    Add(D(2026, 1, 5), giro, 0, 12.5, "Bread and rolls", "Müller bakery", bakery);
    Add(D(2026, 1, 3), giro, 0, 80, "Supermarket", "weekly FOOD", food);
    Add(D(2026, 2, 1), 0, giro, 2000, "Salary January", "", 0);
    Add(D(2026, 2, 2), giro, savings, 150, "To savings", "Rolls-Royce fund", 0);
    Add(D(2026, 2, 10), giro, 0, 200, "Crème brûlée course", "", 0, child);
    Add(D(2026, 3, 1), savings, 0, 100.01, "Tyres", "", car);
    // A text written on Windows with a Cyrillic code page: "Хлеб" (bread).
    Add(D(2026, 3, 2), giro, 0, 3, "\xD5\xEB\xE5\xE1", "ЁЛКА", food);
  }

  void Add(Date day, std::uint32_t from, std::uint32_t to, double amount, const std::string& text,
           const std::string& comment, std::uint32_t category, std::uint32_t member = 0) {
    CTransactionItem t;
    t.record.date = day;
    t.record.fromAccount = from;
    t.record.toAccount = to;
    t.record.amountOut = t.record.amountIn = M(amount);
    t.record.categoryId = category;
    t.record.memberId = member;
    t.description = text;
    t.comment = comment;
    ASSERT_NE(db.AddTransaction(t), 0u);
  }

  std::vector<std::string> Found(const CFindQuery& q) {
    std::vector<std::string> texts;
    for (std::uint32_t id : index.Find(db, q).ids) {
      CTransactionItem t;
      texts.push_back(StoredToUtf8(db.GetTransaction(id, t).description));
    }
    return texts;
  }
  static CFindQuery Text(const std::string& text) {
    CFindQuery q;
    q.text = text;
    return q;
  }
  static CFindQuery Amount(const std::string& text) {
    CFindQuery q;
    EXPECT_TRUE(ParseAmountCondition(text, ReadPlain, q)) << text;
    return q;
  }
  static std::optional<Money> ReadPlain(const std::string& text) {
    const TTypedAmount a = ReadTypedAmount(text, 2, NumberFormat());
    return a.state == TTypedAmountState::kComplete ? std::optional<Money>(a.value) : std::nullopt;
  }

  std::uint32_t giro = 0, savings = 0, food = 0, bakery = 0, car = 0, child = 0;
  CFindIndex index;
};

using Names = std::vector<std::string>;

TEST_F(FindTest, TextWordsAreFoundInAnyOrderWithoutCaseOrAccents) {
  const std::pair<const char*, Names> cases[] = {
      {"rolls", {"Bread and rolls", "To savings"}},
      {"ROLLS bread", {"Bread and rolls"}},
      {"muller", {"Bread and rolls"}},
      {"MÜLLER", {"Bread and rolls"}},
      {"creme brulee", {"Crème brûlée course"}},
      {"food", {"Supermarket"}},  // the comment counts, the category name does not
      {"хлеб", {"Хлеб"}},         // stored as Windows-1251
      {"елка", {"Хлеб"}},         // ё counts as е
      {"bread rolls nothing", {}},
      {"  ",
       {"Supermarket", "Bread and rolls", "Salary January", "To savings", "Crème brûlée course",
        "Tyres", "Хлеб"}},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(Found(Text(text)), expected) << text;
}

TEST_F(FindTest, AmountConditionsBoundTheAmount) {
  const std::pair<const char*, Names> cases[] = {
      {"12.50", {"Bread and rolls"}},
      {"12.5", {"Bread and rolls"}},
      {"100..200", {"To savings", "Crème brûlée course", "Tyres"}},
      {"..12.5", {"Bread and rolls", "Хлеб"}},
      {">100", {"Salary January", "To savings", "Crème brûlée course", "Tyres"}},
      {">=200", {"Salary January", "Crème brûlée course"}},
      {"<12.50", {"Хлеб"}},
      {"<=12.50", {"Bread and rolls", "Хлеб"}},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(Found(Amount(text)), expected) << text;
  CFindQuery q;
  for (const char* bad : {"abc", "..", "1..x", "<0", ">", "-5"})
    EXPECT_FALSE(ParseAmountCondition(bad, ReadPlain, q)) << bad;
  EXPECT_FALSE(q.minAmount || q.maxAmount);
}

TEST_F(FindTest, CategoryKindDatesMemberAndAccountNarrowTheResult) {
  CFindQuery withSub, without, expenses, transfers, february, member, fromSavings;
  withSub.category = without.category = food;
  without.subCategories = false;
  expenses.kind = EFindKind::kExpenses;
  transfers.kind = EFindKind::kTransfers;
  february.from = D(2026, 2, 1) + 0.7;  // whole days count
  february.to = D(2026, 2, 28);
  member.member = child;
  fromSavings.account = savings;
  EXPECT_EQ(Found(withSub), (Names{"Supermarket", "Bread and rolls", "Хлеб"}));
  EXPECT_EQ(Found(without), (Names{"Supermarket", "Хлеб"}));
  EXPECT_EQ(Found(expenses),
            (Names{"Supermarket", "Bread and rolls", "Crème brûlée course", "Tyres", "Хлеб"}));
  EXPECT_EQ(Found(transfers), Names{"To savings"});
  EXPECT_EQ(Found(february), (Names{"Salary January", "To savings", "Crème brûlée course"}));
  EXPECT_EQ(Found(member), Names{"Crème brûlée course"});
  EXPECT_EQ(Found(fromSavings), (Names{"To savings", "Tyres"}));
}

TEST_F(FindTest, SumCountsIncomesUpExpensesDownAndTransfersByTheAccount) {
  CFindQuery all, giroOnly, transfers;
  giroOnly.account = giro;
  transfers.kind = EFindKind::kTransfers;
  EXPECT_EQ(index.Find(db, all).sum, M(2000 - 12.5 - 80 - 200 - 100.01 - 3));
  EXPECT_EQ(index.Find(db, giroOnly).sum, M(2000 - 12.5 - 80 - 150 - 200 - 3));
  EXPECT_EQ(index.Find(db, transfers).sum, M(150));
}

TEST_F(FindTest, ManyNewTextsReadTogetherAreFoundAsSingleOnes) {
  for (int i = 0; i < 300; ++i)
    Add(D(2025, 6, 1), giro, 0, 1, "Filler " + std::to_string(i), i % 2 ? "ODD" : "", 0);
  const std::pair<const char*, Names> cases[] = {
      {"rolls", {"Bread and rolls", "To savings"}}, {"MÜLLER bread", {"Bread and rolls"}},
      {"creme brulee", {"Crème brûlée course"}},    {"хлеб елка", {"Хлеб"}},
      {"filler 299 odd", {"Filler 299"}},           {"filler 298 odd", {}},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(Found(Text(text)), expected) << text;
}

TEST_F(FindTest, TwoThreadsFindWhatOneFinds) {
  const std::uint32_t euro = Account("Euro", 102);
  Add(D(2026, 4, 1), euro, 0, 7, "Rolls in Paris", "", food);
  // An edited text is read by the querying thread, not by the walking ones.
  CTransactionItem t;
  db.GetTransaction(index.Find(db, Text("tyres")).ids.at(0), t);
  t.description = "Winter tyres";
  ASSERT_EQ(db.EditTransaction(t), 1);
  CFindQuery fromGiro, euros, inFood;
  fromGiro.account = giro;
  euros.account = euro;
  inFood.category = food;
  for (const CFindQuery& q : {Text(""), Text("rolls"), Text("winter"), Text("zebra"), fromGiro,
                              euros, inFood, Amount(">50")}) {
    // Texts not folded yet, then folded ones.
    CFindIndex::SetTwoThreadsFrom(0);
    const CFindResult unread = index.Find(db, q);
    CFindIndex::SetTwoThreadsFrom(SIZE_MAX);
    const CFindResult one = index.Find(db, q);
    CFindIndex::SetTwoThreadsFrom(0);
    for (const CFindResult& two : {unread, index.Find(db, q)}) {
      EXPECT_EQ(two.ids, one.ids) << q.text;
      EXPECT_EQ(two.sum, one.sum) << q.text;
      EXPECT_EQ(two.currency, one.currency) << q.text;
    }
  }
  CFindIndex::SetTwoThreadsFrom(std::size_t{1} << 16);
  EXPECT_EQ(index.Find(db, euros).currency, 102u);
  EXPECT_EQ(index.Find(db, Text("rolls")).currency, 0u) << "dollars and euros";
}

TEST_F(FindTest, EditedTextsAreFoundByTheirNewWordsAlsoInReusedTextSlots) {
  const std::uint32_t id = index.Find(db, Text("tyres")).ids.at(0);
  auto edit = [&](const char* text) {
    CTransactionItem t;
    db.GetTransaction(id, t);
    t.description = text;
    ASSERT_EQ(db.EditTransaction(t), 1);
  };
  for (const char* text : {"Winter tyres", "Wheels"}) {
    edit(text);
    EXPECT_EQ(Found(Text(text)), Names{text});
  }
  EXPECT_EQ(Found(Text("tyres")), Names{});
  // The texts freed above become free slots at the next open; new texts
  // are stored in them under their old ids, which the pool logs.
  Reopen();
  EXPECT_EQ(Found(Text("wheels")), Names{"Wheels"});
  const std::uint64_t before = db.GetStringGeneration();
  edit("Rims");
  edit("Hubcaps");
  std::vector<std::uint32_t> reused;
  ASSERT_TRUE(db.ReusedStringsSince(before, reused));
  EXPECT_EQ(reused.size(), 2u);
  EXPECT_EQ(Found(Text("wheels")), Names{});
  EXPECT_EQ(Found(Text("hubcaps")), Names{"Hubcaps"});
  ASSERT_TRUE(db.DelTransaction(id));
  EXPECT_EQ(Found(Text("hubcaps")), Names{});
  EXPECT_EQ(Found(Text("rolls bread")), Names{"Bread and rolls"});
}

}  // namespace

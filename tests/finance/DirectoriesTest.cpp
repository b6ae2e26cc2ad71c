// Currencies, accounts and subtype trees: byte-order lists and the two ways
// of deleting a subtype, and moving one under another parent.
#include <cerrno>

#include "FinanceTestUtil.h"

namespace {
std::vector<std::string> Names(const TSubTypeItems& items) {
  std::vector<std::string> names;
  for (const CSubTypeItem& s : items) names.push_back(s.name);
  return names;
}
}  // namespace

TEST_F(FinanceTest, ListsSortByBytes) {
  EXPECT_EQ(db.GetAccountItems().at(0).name, "Cash");
  Account("b");
  Account("B");
  Account("a");
  Account("Bb");
  std::vector<std::string> names;
  for (const CAccountItem& a : db.GetAccountItems()) names.push_back(a.name);
  EXPECT_EQ(names, (std::vector<std::string>{"B", "Bb", "Cash", "a", "b"}));
  Currency("\xd0\xaf", "\xd0\xaf\xd0\xbd");  // non-ASCII sorts after ASCII
  Currency("A", "Austral");
  std::vector<std::string> currencies;
  for (const CCurrencyItem& c : db.GetCurrencyItems()) currencies.push_back(c.fullName);
  EXPECT_EQ(currencies,
            (std::vector<std::string>{"Austral", "Dollar", "Euro", "\xd0\xaf\xd0\xbd"}));
}

TEST_F(FinanceTest, DirectoryItemsKeepEveryStoredField) {
  CAccountItem a;
  a.name = "Card";
  a.comment = "Visa";
  a.record.currencyId = 102;
  a.record.carried1 = 77;
  a.record.budgetEnabled = 1;
  a.record.budgetStart = D(2007, 1, 1);
  a.record.budgetSum = M(300);
  const std::uint32_t id = db.AddAccount(a);
  Reopen();
  CAccountItem back;
  db.GetAccount(id, back);
  EXPECT_EQ(back.comment, "Visa");
  EXPECT_EQ(back.record.carried1, 77u);
  EXPECT_EQ(back.record.budgetSum, M(300));
  EXPECT_EQ(back.balance, 0);
  EXPECT_EQ(db.GetAccountCurrency(id), 102u);
  EXPECT_EQ(db.GetAccountCurrency(9999), 0u);
  back.name = "Card 2";
  EXPECT_EQ(db.EditAccount(back), 1);
  EXPECT_EQ(db.GetAccount(id, back).name, "Card 2");
  EXPECT_EQ(back.record.budgetStart, D(2007, 1, 1));
  EXPECT_TRUE(db.DelCurrency(102));
  CCurrencyItem gone;
  EXPECT_EQ(db.GetCurrency(102, gone).id, 0u);
  EXPECT_EQ(db.GetAccountCurrency(id), 102u) << "references dangle, nothing is enforced";
}

TEST_F(FinanceTest, DeletingACurrencyDeletesItsExchangeRates) {
  const std::uint32_t pound = Currency("\xc2\xa3", "Pound");
  ASSERT_TRUE(db.SetExchangeRate(101, 102, 0.9));
  ASSERT_TRUE(db.SetExchangeRate(pound, 101, 1.25));
  ASSERT_TRUE(db.SetExchangeRate(pound, 102, 1.15));
  ASSERT_TRUE(db.DelCurrency(102));
  for (bool reopened : {false, true}) {
    SCOPED_TRACE(reopened);
    ASSERT_EQ(db.ExchangeRates().size(), 1u);
    EXPECT_EQ(db.GetExchangeRateItems().size(), 1u);
    EXPECT_DOUBLE_EQ(db.GetExchangeRate(pound, 101), 1.25);
    EXPECT_EQ(db.GetExchangeRate(101, 102), 1.0) << "no rate left for the deleted currency";
    Reopen();
  }
  EXPECT_FALSE(db.DelCurrency(102));
  EXPECT_EQ(db.ExchangeRates().size(), 1u);
}

TEST_F(FinanceTest, SubTypeListsHoldDirectChildrenOnly) {
  const std::uint32_t food = SubType("Food", kExpenseRoot);
  SubType("Salary", kIncomeRoot);
  SubType("Bread", food);
  SubType("Car", kExpenseRoot);
  EXPECT_EQ(Names(db.GetSubTypeItems(kExpenseRoot)), (std::vector<std::string>{"Car", "Food"}));
  EXPECT_EQ(Names(db.GetSubTypeItems(food)), std::vector<std::string>{"Bread"});
  EXPECT_EQ(Names(db.GetSubTypeItems(kIncomeRoot)), std::vector<std::string>{"Salary"});
}

TEST_F(FinanceTest, DeletingASubTypeLiftsOrRemovesItsChildren) {
  const std::uint32_t a = SubType("A", kExpenseRoot);
  const std::uint32_t b = SubType("B", a);
  const std::uint32_t c = SubType("C", b);
  const std::uint32_t d = SubType("D", c);
  const std::uint32_t t = Move(D(2007, 5, 2), 103, 0, 1);
  CTransactionItem item;
  db.GetTransaction(t, item);
  item.record.categoryId = b;
  db.EditTransaction(item);

  ASSERT_TRUE(db.DelSubType(b, false));
  EXPECT_EQ(Names(db.GetSubTypeItems(a)), std::vector<std::string>{"C"});
  EXPECT_EQ(Names(db.GetSubTypeItems(c)), std::vector<std::string>{"D"});
  CSubTypeItem gone;
  EXPECT_EQ(db.GetSubType(b, gone).id, 0u);
  EXPECT_EQ(db.GetTransaction(t, item).record.categoryId, b) << "the category id stays";

  const std::size_t strings = db.GetStringCount();
  ASSERT_TRUE(db.DelSubType(a, true));
  EXPECT_TRUE(db.SubTypes().empty());
  EXPECT_EQ(db.GetStringCount(), strings - 3) << "every descendant's name is freed";
  EXPECT_EQ(db.GetSubType(d, gone).id, 0u);
  EXPECT_FALSE(db.DelSubType(a, true));
}

// A subtype moves with its subtree under another parent of its own tree; a
// move into itself, into its subtree or into another tree is refused and
// writes nothing; a move that the file cannot take is reported.
TEST_F(FinanceTest, MovingASubTypeKeepsItsTreeAndRefusesLoops) {
  using M = CDataBase::TSubTypeMove;
  const std::uint32_t food = SubType("Food", kExpenseRoot);
  const std::uint32_t bread = SubType("Bread", food);
  const std::uint32_t rye = SubType("Rye", bread);
  const std::uint32_t car = SubType("Car", kExpenseRoot);
  const std::uint32_t salary = SubType("Salary", kIncomeRoot);
  const std::uint32_t anna = SubType("Anna", kMemberRoot);
  struct Case {
    std::uint32_t id, parent;
    M result;
    std::uint32_t parentAfter;
  } cases[] = {
      {bread, car, M::Moved, car},   // with Rye below it
      {bread, bread, M::Loop, car},  // under itself
      {bread, rye, M::Loop, car},    // under its own child
      {food, kExpenseRoot, M::Moved, kExpenseRoot},
      {car, food, M::Moved, food},  // a grandparent under a top item
      {bread, kExpenseRoot, M::Moved, kExpenseRoot},
      {bread, salary, M::OtherTree, kExpenseRoot},  // income is another tree
      {anna, kSectionRoot, M::OtherTree, kMemberRoot},
      {bread, 4, M::OtherTree, kExpenseRoot},  // no tree has code 4
      {bread, 9999, M::NoSuchItem, kExpenseRoot},
      {9999, food, M::NoSuchItem, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(db.MoveSubType(c.id, c.parent), c.result) << c.id << " under " << c.parent;
    CSubTypeItem item;
    EXPECT_EQ(db.GetSubType(c.id, item).record.parentId, c.parentAfter) << c.id;
  }
  Reopen();
  CSubTypeItem item;
  EXPECT_EQ(db.GetSubType(rye, item).record.parentId, bread);
  EXPECT_EQ(item.name, "Rye");
  EXPECT_EQ(db.GetSubType(car, item).record.parentId, food);
  EXPECT_EQ(db.SubTypeRoot(rye), kExpenseRoot);

  int writes = 0;  // the open check's probe passes, the record's write fails
  SetWriteFaultHook(
      [&writes](const std::string&, const char*) { return ++writes > 1 ? ENOSPC : 0; });
  EXPECT_EQ(db.MoveSubType(rye, food), M::WriteFailed);
  SetWriteFaultHook({});
  EXPECT_NE(db.GetLastWriteError(), "");
  EXPECT_EQ(db.GetSubType(rye, item).record.parentId, bread);
}

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "BulkEditLogic.h"
#include "DialogsTestUtil.h"
#include "Filestream.h"

namespace {

// Two expenses and an income in dollars, a transfer, a category of each kind,
// a member and a section.
struct CBulkFixture : CTestBase {
  CBulkFixture() {
    food = AddSubType("Food", kExpenseRoot);
    salary = AddSubType("Salary", kIncomeRoot);
    moves = AddSubType("Moves", kTransferRoot);
    anna = AddSubType("Anna", kMemberRoot);
    home = AddSubType("Home", kSectionRoot);
    bread = AddExpense("Bread", 2.5);
    milk = AddExpense("Milk", 1.2);
    CTransactionItem income;
    income.description = "Pay";
    income.record.toAccount = bank;
    income.record.amountIn = income.record.amountOut = M(1000);
    pay = db.AddTransaction(income);
    CTransactionItem transfer;
    transfer.description = "Save";
    transfer.record.fromAccount = bank;
    transfer.record.toAccount = savings;
    transfer.record.amountOut = M(100);
    transfer.record.amountIn = M(80);
    save = db.AddTransaction(transfer);
  }
  TransactionRecord Record(std::uint32_t id) {
    CTransactionItem item;
    return db.GetTransaction(id, item).record;
  }
  std::uint32_t food, salary, moves, anna, home, bread, milk, pay, save;
};

TEST(BulkEditLogic, SetFieldsChangeAndBlankFieldsKeepEachTransactionsOwn) {
  CBulkFixture f;
  CTransactionItem item;
  f.db.GetTransaction(f.milk, item);
  item.record.sectionId = f.home;
  item.comment = "Fresh";
  ASSERT_EQ(f.db.EditTransaction(item), 1);
  TBulkChange change;
  change.category = f.food;
  change.member = f.anna;
  change.account = f.bank;  // same currency as Cash
  const TBulkResult result = ApplyBulkEdit(f.db, kTransactionKind, {f.bread, f.milk}, change);
  ASSERT_TRUE(result.Complete(2));
  for (std::uint32_t id : {f.bread, f.milk}) {
    const TransactionRecord r = f.Record(id);
    EXPECT_EQ(r.categoryId, f.food);
    EXPECT_EQ(r.memberId, f.anna);
    EXPECT_EQ(r.fromAccount, f.bank);
    EXPECT_EQ(r.toAccount, 0u);
  }
  EXPECT_EQ(f.Record(f.milk).sectionId, f.home);  // left blank: kept
  EXPECT_EQ(f.Record(f.bread).sectionId, 0u);
  EXPECT_EQ(f.db.GetTransaction(f.milk, item).comment, "Fresh");
  EXPECT_EQ(item.description, "Milk");
  EXPECT_EQ(item.record.amountOut, M(1.2));
}

TEST(BulkEditLogic, ACategoryOrAccountThatDoesNotFitEveryTransactionChangesNone) {
  CBulkFixture f;
  struct Case {
    const char* name;
    TBulkChange change;
    std::vector<std::uint32_t> ids;
    TBulkRefusal why;
    std::size_t refused;
  };
  const Case cases[] = {
      {"expense category on an income",
       {f.food, 0, 0, 0},
       {f.bread, f.pay},
       TBulkRefusal::kCategoryKind,
       1},
      {"income category on expenses",
       {f.salary, 0, 0, 0},
       {f.bread, f.milk},
       TBulkRefusal::kCategoryKind,
       2},
      {"transfer category on an expense",
       {f.moves, 0, 0, 0},
       {f.save, f.bread},
       TBulkRefusal::kCategoryKind,
       1},
      {"account of a transfer",
       {0, 0, 0, f.bank},
       {f.bread, f.save},
       TBulkRefusal::kTransferAccount,
       1},
      {"account in another currency",
       {0, 0, 0, f.savings},
       {f.bread, f.milk},
       TBulkRefusal::kOtherCurrency,
       2},
      {"member as category", {f.anna, 0, 0, 0}, {f.bread, f.milk}, TBulkRefusal::kNoSuchChoice, 2},
      {"section as member", {0, f.home, 0, 0}, {f.bread, f.milk}, TBulkRefusal::kNoSuchChoice, 2},
      {"a deleted transaction", {0, f.anna, 0, 0}, {f.bread, 999}, TBulkRefusal::kGone, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::uint64_t size = f.db.GetFileSize();
    const TBulkResult result = ApplyBulkEdit(f.db, kTransactionKind, c.ids, c.change);
    ASSERT_EQ(result.refused.size(), c.refused);
    EXPECT_EQ(result.refused[0].why, c.why);
    EXPECT_TRUE(result.stored.empty());
    EXPECT_EQ(f.db.GetFileSize(), size);
    for (std::uint32_t id : {f.bread, f.milk, f.pay, f.save}) {
      const TransactionRecord r = f.Record(id);
      EXPECT_EQ(r.categoryId + r.memberId + r.sectionId, 0u);
    }
    EXPECT_NE(BulkRefusalText(result.refused).find('\n'), std::string::npos);
  }
  // Each kind takes a category of its own kind, a transfer any member.
  TBulkChange change;
  change.category = f.moves;
  change.member = f.anna;
  EXPECT_TRUE(ApplyBulkEdit(f.db, kTransactionKind, {f.save}, change).Complete(1));
  EXPECT_EQ(f.Record(f.save).categoryId, f.moves);
}

TEST(BulkEditLogic, ABulkChangeIsSyncedOnceAndAFailedWriteStopsIt) {
  CBulkFixture f;
  std::vector<std::uint32_t> ids;
  for (int k = 0; k < 20; ++k) ids.push_back(f.AddExpense("Item", 1 + k));
  int syncs = 0;
  int writes = 0;
  int failAt = 0;  // the write that fails, 0 for none
  SetWriteFaultHook([&](const std::string&, const char* what) {
    if (std::strcmp(what, "cannot sync") == 0) return ++syncs, 0;
    return ++writes == failAt ? ENOSPC : 0;
  });
  TBulkChange change;
  change.category = f.food;
  TBulkResult result = ApplyBulkEdit(f.db, kTransactionKind, ids, change);
  EXPECT_TRUE(result.Complete(ids.size()));
  EXPECT_EQ(syncs, 1);

  syncs = writes = 0;
  failAt = 12;  // a write in the middle of the run
  change.category = 0;
  change.section = f.home;
  result = ApplyBulkEdit(f.db, kTransactionKind, ids, change);
  EXPECT_FALSE(result.writeError.empty());
  EXPECT_TRUE(result.synced);
  EXPECT_EQ(syncs, 1);  // what was written is put on the medium
  ASSERT_GT(result.stored.size(), 0u);
  ASSERT_LT(result.stored.size(), ids.size());
  // Exactly the ones reported stored hold the change, the first ones in order.
  for (std::size_t k = 0; k < ids.size(); ++k)
    EXPECT_EQ(f.Record(ids[k]).sectionId, k < result.stored.size() ? f.home : 0u) << k;
  EXPECT_EQ(result.stored.back(), ids[result.stored.size() - 1]);
  EXPECT_NE(BulkFailureText(result, false).find(result.writeError), std::string::npos);

  syncs = writes = 0;
  failAt = 0;
  result = ApplyBulkDelete(f.db, kTransactionKind, ids);
  SetWriteFaultHook({});
  EXPECT_TRUE(result.Complete(ids.size()));
  EXPECT_EQ(syncs, 1);
  for (std::uint32_t id : ids) EXPECT_EQ(f.db.Transactions().Find(id), nullptr);
}

TEST(BulkEditLogic, PlannedTransactionsKeepTheirSchedule) {
  CBulkFixture f;
  CPlnTransactionItem planned;
  planned.description = "Rent";
  planned.record.schedule.kind = kScheduleMonthly;
  planned.record.schedule.period = 1;
  planned.record.transaction.fromAccount = f.cash;
  planned.record.transaction.amountOut = planned.record.transaction.amountIn = M(500);
  const std::uint32_t rent = f.db.AddPlnTransaction(planned);
  TBulkChange change;
  change.category = f.food;
  ASSERT_TRUE(ApplyBulkEdit(f.db, kPlnTransactionKind, {rent}, change).Complete(1));
  CPlnTransactionItem item;
  f.db.GetPlnTransaction(rent, item);
  EXPECT_EQ(item.record.transaction.categoryId, f.food);
  EXPECT_EQ(item.record.schedule.kind, kScheduleMonthly);
  EXPECT_EQ(item.description, "Rent");
  // A transaction id is not a planned transaction.
  EXPECT_EQ(ApplyBulkEdit(f.db, kPlnTransactionKind, {f.bread}, change).refused.size(), 1u);
}

}  // namespace

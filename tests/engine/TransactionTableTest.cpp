// The compact transaction table must give back every record bit for bit,
// whether it holds it compactly or whole.
#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <limits>

#include "Records.h"

namespace {

TransactionRecord Expense(double date, Money amount) {
  TransactionRecord r;
  r.date = date;
  r.fromAccount = 103;
  r.amountOut = r.amountIn = amount;
  r.quantity = 1.0f;
  r.categoryId = 140;
  r.sectionId = 174;
  r.descriptionId = 900;
  return r;
}

bool SameBytes(const TransactionRecord& a, const TransactionRecord& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

struct Case {
  const char* what;
  TransactionRecord record;
  bool whole;  // held in the overflow list
};

TEST(TransactionTable, GivesBackEveryRecordExactly) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  TransactionRecord transfer = Expense(46000.5, 1000000);
  transfer.toAccount = 108;
  transfer.amountIn = 1171234;  // another currency
  TransactionRecord oddQuantity = Expense(46000, 5);
  oddQuantity.quantity = std::bit_cast<float>(0x7fc01234u);  // a NaN with a payload
  TransactionRecord commented = Expense(46000 + 754.0 / 1440, -17);
  commented.commentId = 901;
  commented.memberId = 181;
  const Case cases[] = {
      {"whole day", Expense(46000, 57000), false},
      {"a minute of the day", Expense(46000 + 671.0 / 1440, 21000), false},
      {"minutes made from seconds", Expense(46000 + (11 * 3600 + 33 * 60) / 86400.0, 1), false},
      {"before day 0 with a time", Expense(-700.25, 1), false},
      {"a negative amount, a comment, a member", commented, false},
      {"a NaN quantity", oddQuantity, false},
      {"seconds in the time", Expense(46000 + 41.0 / 86400, 1), true},
      {"a date far out", Expense(3.0e7, 1), true},
      {"a NaN date", Expense(nan, 1), true},
      {"minus zero", Expense(-0.0, 1), true},
      {"an amount beyond 32 bits", Expense(46000, Money{1} << 40), true},
      {"two amounts", transfer, true},
  };
  TTransactionIndexes table;
  std::uint32_t id = 100;
  for (const Case& c : cases) {
    CTransactionIndex entry;
    entry.position = 1024 + ++id;
    entry.record = c.record;
    ASSERT_TRUE(table.Insert(id, entry)) << c.what;
  }
  EXPECT_EQ(table.OverflowCount(), 6u);
  id = 100;
  for (const Case& c : cases) {
    const auto entry = table.Find(++id);
    ASSERT_TRUE(entry) << c.what;
    EXPECT_TRUE(SameBytes(entry->record, c.record)) << c.what;
    EXPECT_EQ(entry->position, 1024 + id) << c.what;
    EXPECT_EQ(std::bit_cast<std::uint64_t>(table.DateOf(entry)),
              std::bit_cast<std::uint64_t>(c.record.date))
        << c.what;
  }
  // Changing a record between the two forms, and erasing, reuses the
  // overflow list instead of growing it.
  auto last = table.Find(id);
  table.SetRecord(last, Expense(46001, 3));
  EXPECT_EQ(table.OverflowCount(), 5u);
  EXPECT_TRUE(SameBytes(table.Find(id)->record, Expense(46001, 3)));
  table.SetRecord(table.Find(101), transfer);
  EXPECT_TRUE(table.Erase(107));
  EXPECT_EQ(table.OverflowCount(), 5u);
  EXPECT_TRUE(SameBytes(table.Find(101)->record, transfer));
  EXPECT_FALSE(table.Find(107));
  CTransactionIndex again;
  again.position = 5000;
  again.record = transfer;
  EXPECT_FALSE(table.Insert(101, again)) << "an id that is present";
  EXPECT_EQ(table.OverflowCount(), 5u);
}

TEST(TransactionTable, HoldsRecordsWholeOnceAPaletteIsFull) {
  TTransactionIndexes table;
  for (std::uint32_t i = 0; i < 0x10000 + 10; ++i) {
    CTransactionIndex entry;
    entry.position = 1024 + i;
    entry.record = Expense(46000, 1);
    entry.record.quantity = static_cast<float>(i);
    table.LoadAppend(100 + i, entry);
  }
  table.FinishLoad();
  EXPECT_EQ(table.OverflowCount(), 11u);  // 65,535 distinct quantities fit
  CTransactionIndex known;                // a quantity met before still fits
  known.position = 9999;
  known.record = Expense(46000, 1);
  known.record.quantity = 70.0f;
  ASSERT_TRUE(table.Insert(1, known));
  EXPECT_EQ(table.OverflowCount(), 11u);
  ASSERT_TRUE(table.Erase(1));
  std::uint32_t i = 0;
  for (auto [id, entry] : table) {
    ASSERT_EQ(id, 100 + i);
    ASSERT_EQ(entry->record.quantity, static_cast<float>(i)) << id;
    ++i;
  }
  EXPECT_EQ(i, 0x10000u + 10);
}

TEST(TransactionTable, TakesOverALaterHalfExactly) {
  // The second half of a file, loaded on its own (sharing the tables of
  // combinations and quantities, or with tables of its own), then taken
  // over: large enough for its pages to be moved, with records held whole.
  auto record = [](std::uint32_t i) {
    TransactionRecord r = Expense(46000 + i % 700 + (i % 3) / 1440.0, 1 + i);
    r.quantity = static_cast<float>(i % 301);
    r.categoryId = 140 + i % 7;
    if (i % 997 == 0) r.amountIn = 5;  // two amounts: held whole
    return r;
  };
  for (const bool shared : {true, false}) {
    TTransactionIndexes first, second;
    if (shared) second.SharePalettesOf(first);
    constexpr std::uint32_t kHalf = 120'000;
    for (std::uint32_t i = 0; i < 2 * kHalf; ++i) {
      CTransactionIndex entry;
      entry.position = 1024 + i;
      entry.record = record(i);
      (i < kHalf ? first : second).LoadAppend(100 + i, entry);
    }
    first.LoadAppendFrom(second);
    first.FinishLoad();
    ASSERT_EQ(first.size(), 2 * kHalf) << shared;
    EXPECT_EQ(first.OverflowCount(), 2 * kHalf / 997 + 1) << shared;
    std::uint32_t i = 0;
    for (auto [id, entry] : first) {
      ASSERT_EQ(id, 100 + i) << shared;
      ASSERT_EQ(entry->position, 1024 + i) << shared;
      ASSERT_TRUE(SameBytes(entry->record, record(i))) << shared << ", record " << i;
      ++i;
    }
    EXPECT_TRUE(SameBytes(first.Find(100 + kHalf + 997 * 3)->record, record(kHalf + 997 * 3)));
  }
}

}  // namespace

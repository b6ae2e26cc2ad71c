// Reading QIF files: accounts, categories, splits, transfers kept once and
// the date and amount variants programs write.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <sstream>
#include <tuple>

#include "Convert.h"
#include "Exporter.h"
#include "Omrindb.h"
#include "Platform.h"
#include "Qif.h"
#include "SubTypePaths.h"
#include "TempFolder.h"

namespace {

const CForeignTransaction* WithPayee(const CForeignBook& book, const std::string& payee) {
  for (const CForeignTransaction& t : book.transactions)
    if (t.payee == payee) return &t;
  return nullptr;
}

// Two accounts, a category list, an opening balance, a transfer in both
// lists, a split with a transfer part and an investment record.
const std::string kTwoAccounts =
    "!Option:AutoSwitch\n!Account\nNChecking\nTBank\n^\nNSavings\nTBank\n^\n"
    "!Clear:AutoSwitch\n"
    "!Type:Cat\nNFood:Bakery\nE\n^\nNSalary\nI\n^\n"
    "!Account\nNChecking\nTBank\n^\n!Type:Bank\n"
    "D1/ 1'26\nT100.00\nPOpening Balance\nL[Checking]\n^\n"
    "D1/15'26\nT-1,234.56\nPRent\nLHousing:Rent/Home\n^\n"
    "D1/20'26\nT-50.00\nPTo savings\nL[Savings]\n^\n"
    "D1/21'26\nT-30.00\nPMarket\nLFood:Bakery\nSFood:Bakery\nEbread\n$-10.00\n"
    "S[Savings]\n$-15.00\nSFood:Fruit\n$-5.00\n^\n"
    "!Account\nNSavings\nTBank\n^\n!Type:Bank\n"
    "D1/20'26\nT50.00\nPFrom checking\nL[Checking]\n^\n"
    "D1/31'26\nT2.00\nPInterest\nLInterest income\n^\n"
    "!Type:Invst\nD1/2'26\nNBuy\n^\n";

TEST(Qif, MultiAccountFileKeepsEachTransferOnceAndOpeningBalances) {
  const CForeignRead read = ReadQif(kTwoAccounts);
  ASSERT_TRUE(read.ok) << read.ErrorText();
  const CForeignBook& book = read.book;
  ASSERT_EQ(book.accounts.size(), 2u);
  EXPECT_EQ(book.accounts[0].opening, 100 * kMoneyOne);
  EXPECT_EQ(book.accounts[1].opening, 0);
  // The transfer of 50.00 is in both lists and kept once, from checking.
  ASSERT_EQ(book.transactions.size(), 4u);
  EXPECT_EQ(WithPayee(book, "From checking"), nullptr);
  const CForeignTransaction* transfer = WithPayee(book, "To savings");
  ASSERT_NE(transfer, nullptr);
  EXPECT_EQ(transfer->lines[0].transferAccount, "Savings");
  EXPECT_EQ(transfer->lines[0].counterAmount, 50 * kMoneyOne);
  const CForeignTransaction* rent = WithPayee(book, "Rent");
  ASSERT_NE(rent, nullptr);
  EXPECT_EQ(rent->date, EncodeDate(2026, 1, 15));
  EXPECT_EQ(rent->Amount(), -12345600);
  EXPECT_EQ(rent->lines[0].category, "Housing:Rent");  // the class is not kept
  // A split: three parts, one of them a transfer, adding up to the total.
  const CForeignTransaction* market = WithPayee(book, "Market");
  ASSERT_NE(market, nullptr);
  ASSERT_EQ(market->lines.size(), 3u);
  EXPECT_EQ(market->lines[0].memo, "bread");
  EXPECT_EQ(market->lines[1].transferAccount, "Savings");
  EXPECT_EQ(market->Amount(), -30 * kMoneyOne);
  // Listed categories keep their kind; others take the sign of their amount.
  std::map<std::string, bool> income;
  for (const CForeignCategory& c : book.categories) income[c.path] = c.income;
  EXPECT_EQ(income, (std::map<std::string, bool>{{"Food:Bakery", false},
                                                 {"Salary", true},
                                                 {"Housing:Rent", false},
                                                 {"Food:Fruit", false},
                                                 {"Interest income", true}}));
  ASSERT_EQ(book.notImported.size(), 1u);
  EXPECT_EQ(book.notImported[0].kind, EForeignNote::kQifOtherRecords);
  EXPECT_EQ(book.notImported[0].detail, "Type:Invst");
}

TEST(Qif, DateAndAmountVariants) {
  struct Case {
    const char* dates;  // two D lines' texts
    const char* amount;
    std::optional<EDateOrder> order;
    Date first;
    Money money;
    bool undecided;
  } const cases[] = {
      {"31.12.1999|01.02.2000", "-1.234,50", {}, EncodeDate(1999, 12, 31), -12345000, false},
      {"2026-01-31|2026-02-01", "-5,70", {}, EncodeDate(2026, 1, 31), -57000, false},
      {"12/31/99|1/2/00", "1,000.25", {}, EncodeDate(1999, 12, 31), 10002500, false},
      {"01/02/2026|03/04/2026", "7", {}, 0, 0, true},
      {"01/02/2026|03/04/2026", "7", EDateOrder::kDmy, EncodeDate(2026, 2, 1), 70000, false},
  };
  for (const Case& c : cases) {
    const std::string dates = c.dates;
    const std::size_t bar = dates.find('|');
    const std::string file = "!Type:Cash\nD" + dates.substr(0, bar) + "\nT" + c.amount + "\n^\nD" +
                             dates.substr(bar + 1) + "\nT1\n^\n";
    CQifOptions options;
    options.dateOrder = c.order;
    const CForeignRead read = ReadQif(file, options);
    EXPECT_EQ(read.dateOrderUndecided, c.undecided) << c.dates;
    if (c.undecided) continue;
    ASSERT_TRUE(read.ok) << c.dates << ": " << read.ErrorText();
    EXPECT_EQ(read.book.accounts[0].name, "QIF account");
    EXPECT_EQ(read.book.transactions[0].date, c.first) << c.dates;
    EXPECT_EQ(read.book.transactions[0].Amount(), c.money) << c.dates;
  }
}

TEST(Qif, BadFilesAreRefusedWithTheLine) {
  struct Case {
    std::string file;
    const char* error;
  } const cases[] = {
      {"Date,Amount\n2026-01-01,5\n", "Line 1: This is not a QIF file."},
      {"!Type:Bank\nD2026-13-45\nT5\n^\n", "Line 2: The date '2026-13-45'"},
      {"!Type:Bank\nD1066-10-14\nT5\n^\n", "Line 2: The date '1066-10-14'"},
      {"!Type:Bank\nD2026-01-01\nT5.00001\n^\n", "Line 3: The amount '5.00001'"},
      {"!Type:Bank\nD2026-01-01\nT5\nL" + std::string(40, 'a') +
           [] {
             std::string deep;
             for (int i = 0; i < 40; ++i) deep += ":x";
             return deep;
           }() +
           "\n^\n",
       "Line 2: The category 'aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa:x:x:x:x:x:x:x:x:x:x\u2026' "
       "nests deeper than 32 levels."},
  };
  for (const Case& c : cases) {
    const CForeignRead read = ReadQif(c.file);
    EXPECT_FALSE(read.ok);
    EXPECT_EQ(read.ErrorText().rfind(c.error, 0), 0u) << read.ErrorText();
  }
}

// What does not come over is told once for each reason, with its count
// and what it is about.
TEST(Qif, WhatStaysBehindIsGroupedByReason) {
  const CForeignRead read = ReadQif(
      "!Type:Bank\nD2026-01-05\nT-10\nL[Alpha]\n^\nD2026-01-06\nT-20\nL[Beta]\n^\n"
      "D2026-01-07\nT-30\nSFood\n$-20\n^\nD2026-01-08\nT-9\nL[Alpha]\n^\n"
      "!Type:Memorized\nT5\n^\nT6\n^\n!Type:Prices\nX\n^\n");
  ASSERT_TRUE(read.ok) << read.ErrorText();
  std::vector<std::string> texts;
  for (const CForeignNote& note : SummarizeBook(read.book, {}).notImported)
    texts.push_back(NoteText(note));
  EXPECT_EQ(texts, (std::vector<std::string>{
                       "1 split whose parts do not add up to its total (line 10): the rest is "
                       "kept without a category",
                       "2 accounts have no list of their own in the file and are made from the "
                       "transfers to them only: Alpha, Beta",
                       "2 records of !Type:Memorized (investments, prices, classes and memorized "
                       "transactions do not come over)",
                       "1 record of !Type:Prices (investments, prices, classes and memorized "
                       "transactions do not come over)"}));
}

// The book in a new database: every account's balance as the source's, a
// split as linked transactions, the opening balance on its day; a failure
// leaves no file, an existing file is never written over.
TEST(Qif, ConvertsIntoANewDatabaseWithEqualBalances) {
  const CForeignRead read = ReadQif(kTwoAccounts);
  ASSERT_TRUE(read.ok) << read.ErrorText();
  CTempFolder folder;
  const std::string path = folder.Path("new.vlt");
  CConvertOptions options;
  options.currency = "EUR";
  const CConvertResult result = ConvertBook(read.book, path, options);
  ASSERT_TRUE(result.ok) << result.error;
  ASSERT_EQ(result.checks.size(), 2u);
  EXPECT_EQ(result.checks[0].stored, 100 * kMoneyOne - 12345600 - 50 * kMoneyOne - 30 * kMoneyOne);
  EXPECT_EQ(result.checks[1].stored, 50 * kMoneyOne + 15 * kMoneyOne + 2 * kMoneyOne);
  EXPECT_EQ(result.transactions, 7u);  // the opening balance, and a split in three
  CDataBase db;
  ASSERT_TRUE(db.Open(path));
  std::vector<std::pair<std::string, std::string>> texts;
  for (auto [id, entry] : db.Transactions()) {
    CTransactionItem item;
    db.GetTransaction(id, item);
    texts.emplace_back(item.description, item.comment);
    if (item.description == "Opening balance") {
      EXPECT_EQ(item.record.date, EncodeDate(2026, 1, 1));
    }
    EXPECT_EQ(db.GetAccountCurrency(item.record.fromAccount != 0 ? item.record.fromAccount
                                                                 : item.record.toAccount),
              102u);
  }
  EXPECT_NE(
      std::find(texts.begin(), texts.end(),
                std::make_pair(std::string("Market"), std::string("split 2 of 3 of 'Market'"))),
      texts.end());
  db.Close();
  EXPECT_FALSE(ConvertBook(read.book, path, options).ok);  // exists: left as it is
  ASSERT_TRUE(db.Open(path));
  EXPECT_EQ(db.Transactions().size(), 7u);
  db.Close();
  const std::string nowhere = folder.Path("missing/new.vlt");
  EXPECT_FALSE(ConvertBook(read.book, nowhere, options).ok);
  EXPECT_FALSE(FileExists(nowhere));
}

// Pardow -> QIF -> Pardow keeps every account's balance and every
// transaction's day, amount, description and category.
TEST(Qif, RoundTripKeepsBalancesAndCategories) {
  CTempFolder folder;
  const CForeignRead first = ReadQif(kTwoAccounts);
  ASSERT_TRUE(first.ok) << first.ErrorText();
  ASSERT_TRUE(ConvertBook(first.book, folder.Path("a.vlt"), {}).ok);
  const auto contents = [](const std::string& path) {
    CDataBase db;
    EXPECT_TRUE(db.Open(path));
    const CSubTypePaths paths(db);
    std::multiset<std::tuple<std::string, Date, Money, Money, std::string>> all;
    for (auto [id, entry] : db.Transactions()) {
      CTransactionItem item;
      db.GetTransaction(id, item);
      all.emplace(item.description, item.record.date, item.record.amountOut, item.record.amountIn,
                  paths.PathOf(item.record.categoryId));
    }
    std::ostringstream qif;
    EXPECT_TRUE(WriteQif(db, 1, 0, 0, qif));
    return std::make_pair(all, qif.str());
  };
  const auto [before, qif] = contents(folder.Path("a.vlt"));
  CQifOptions options;
  options.dateOrder = EDateOrder::kMdy;
  const CForeignRead again = ReadQif(qif, options);
  ASSERT_TRUE(again.ok) << again.ErrorText();
  const CConvertResult result = ConvertBook(again.book, folder.Path("b.vlt"), {});
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(result.checks.size(), 2u);
  EXPECT_EQ(contents(folder.Path("b.vlt")).first, before);
}

}  // namespace

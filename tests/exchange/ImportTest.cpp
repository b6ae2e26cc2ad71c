// Importing statements into a database: the plan, duplicates, applying,
// failures and undo.
#include <fstream>
#include <functional>
#include <iterator>

#include "FileSizeLimit.h"
#include "FinanceTestUtil.h"
#include "Importer.h"

namespace {

// A bank's CSV: a header, quoted descriptions with separators and line
// breaks, day-first dates, comma decimals with point groups, a category.
const char kBankCsv[] =
    "Buchungstag;Text;Betrag;Kategorie\r\n"
    "03.01.2024;\"Bakery; Main St.\";-4,50;Food:Bread\r\n"
    "03.01.2024;\"Bakery; Main St.\";-4,50;Food:Bread\r\n"
    "15.01.2024;\"Salary\nJanuary\";2.345,67;\r\n"
    "31.02.2024;Nowhere;-1,00;\r\n"
    "20.01.2024;Rounding;-0,12345;\r\n"
    "21.01.2024;Nothing;0,00;\r\n";

class ImportTest : public FinanceTest {
 protected:
  void SetUp() override {
    FinanceTest::SetUp();
    account = Account("Giro");
    csv = dir.Path("bank.csv");
    std::ofstream(csv, std::ios::binary) << kBankCsv;
  }

  CImportOptions Options(const CSourceTable& table) {
    CImportOptions o;
    o.account = account;
    o.kind = EImportKind::kAuto;
    o.createCategories = true;
    o.firstRow = GuessFirstRow(table);
    o.columns = SuggestColumns(table, o.firstRow, EDateOrder::kYmd, '.');
    o.columns[3].type = EColumnType::kCategory;
    return o;
  }

  // Reads bank.csv and stores every row of it.
  CImportResult ImportBankCsv() {
    const CSourceTable table = Read(csv);
    const CImportOptions options = Options(table);
    CFitIdStore fitIds(path);
    return ApplyImport(db, PlanImport(db, table, options, fitIds), options, fitIds);
  }

  CSourceTable Read(const std::string& file, std::size_t maxRows = 0) {
    CSourceTable table;
    std::string error;
    CReadOptions read{';', ETextEncoding::kUtf8, maxRows};
    EXPECT_TRUE(ReadDelimitedFile(file, read, table, error)) << error;
    return table;
  }

  std::uint32_t account = 0;
  std::string csv;
};

TEST_F(ImportTest, BankCsvIsPlannedRowByRowWithReasons) {
  const CSourceTable table = Read(csv);
  const CImportOptions options = Options(table);
  EXPECT_EQ(options.firstRow, 2u);
  EXPECT_EQ(options.columns[0].type, EColumnType::kDate);
  EXPECT_EQ(options.columns[0].date.order, EDateOrder::kDmy);
  EXPECT_EQ(options.columns[1].type, EColumnType::kDescription);
  EXPECT_EQ(options.columns[2].type, EColumnType::kSum);
  EXPECT_EQ(options.columns[2].amount.decimal, ',');

  const CImportPlan plan = PlanImport(db, table, options, CFitIdStore(path));
  ASSERT_EQ(plan.rows.size(), 6u);
  EXPECT_EQ(plan.CountOf(ERowStatus::kNew), 3u);
  EXPECT_EQ(plan.CountOf(ERowStatus::kRefused), 3u);
  const CPlannedRow& bread = plan.rows[0];
  EXPECT_EQ(bread.line, 2u);
  EXPECT_EQ(plan.Description(bread), "Bakery; Main St.");
  EXPECT_EQ(bread.record.fromAccount, account);
  EXPECT_EQ(bread.record.amountOut, M(4.5));
  EXPECT_NE(plan.Reason(bread).find("creates category"), std::string::npos);
  const CPlannedRow& salary = plan.rows[2];
  EXPECT_EQ(salary.record.toAccount, account);
  EXPECT_EQ(salary.record.amountIn, M(2345.67));
  EXPECT_EQ(plan.Description(salary), "Salary\nJanuary");
  // Lines: a quoted line break moves the rows after it down a line.
  EXPECT_EQ(plan.rows[3].line, 6u);
  EXPECT_NE(plan.Reason(plan.rows[3]).find("not a date"), std::string::npos);
  EXPECT_NE(plan.Reason(plan.rows[4]).find("four decimals"), std::string::npos);
  EXPECT_EQ(plan.Reason(plan.rows[5]), "the amount is 0");
}

TEST_F(ImportTest, AppliedImportIsFoundAgainAndUndoneWhole) {
  const CImportResult result = ImportBankCsv();
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(result.transactions.size(), 3u);
  EXPECT_EQ(result.subtypes.size(), 2u);  // Food, Food:Bread
  CTransactionItem stored;
  db.GetTransaction(result.transactions[0], stored);
  EXPECT_EQ(stored.record.categoryId, result.subtypes[1]);
  EXPECT_EQ(stored.record.date, D(2024, 1, 3));

  // The same file again: every row a duplicate, the two equal bakery rows
  // matching the two stored ones (not one twice).
  Reopen();
  const CSourceTable table = Read(csv);
  const CImportPlan again = PlanImport(db, table, Options(table), CFitIdStore(path));
  EXPECT_EQ(again.CountOf(ERowStatus::kDuplicate), 3u);
  EXPECT_EQ(again.CountIncluded(), 0u);

  std::string error;
  ASSERT_TRUE(UndoImport(db, result.transactions, result.subtypes, error)) << error;
  EXPECT_EQ(db.Transactions().size(), 0u);
  for (std::uint32_t id : result.subtypes) EXPECT_EQ(db.SubTypes().Find(id), nullptr);
}

TEST_F(ImportTest, UndoTellsWhatChangedSinceAndKeepsItWhenAsked) {
  const CImportResult result = ImportBankCsv();
  ASSERT_TRUE(result.ok) << result.error;
  ASSERT_EQ(result.transactions.size(), 3u);  // bread, bread, salary
  ASSERT_EQ(result.fingerprints.size(), 3u);
  Reopen();
  struct Case {
    const char* edit;
    std::function<void(CTransactionItem&)> change;
    bool changed;
  } const cases[] = {
      {"the description", [](CTransactionItem& t) { t.description += "!"; }, true},
      {"nothing, stored again", [](CTransactionItem&) {}, false},
      {"the day", [](CTransactionItem& t) { t.record.date += 1; }, true},
  };
  std::vector<std::uint32_t> changed;
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    CTransactionItem t;
    db.GetTransaction(result.transactions[i], t);
    cases[i].change(t);
    ASSERT_EQ(db.EditTransaction(t), 1) << cases[i].edit;
    if (cases[i].changed) changed.push_back(result.transactions[i]);
  }
  CImportChanges changes = FindChangedSinceImport(db, result.transactions, result.fingerprints);
  EXPECT_TRUE(changes.known);
  EXPECT_EQ(changes.remaining, 3u);
  EXPECT_EQ(changes.changed, changed);
  // Without fingerprints (an import remembered before they were kept)
  // nothing can be told.
  changes = FindChangedSinceImport(db, result.transactions, {});
  EXPECT_FALSE(changes.known);
  EXPECT_TRUE(changes.changed.empty());

  // Undone keeping the changed ones: they stay with the categories they use.
  std::string error;
  ASSERT_TRUE(UndoImport(db, result.transactions, result.subtypes, error, changed)) << error;
  EXPECT_EQ(db.Transactions().size(), 2u);
  for (std::uint32_t id : changed) EXPECT_NE(db.Transactions().Find(id), nullptr);
  for (std::uint32_t id : result.subtypes) EXPECT_NE(db.SubTypes().Find(id), nullptr);
}

TEST_F(ImportTest, MissingCategoryIsRefusedUnlessCreated) {
  const CSourceTable table = Read(csv);
  CImportOptions options = Options(table);
  options.createCategories = false;
  const CImportPlan plan = PlanImport(db, table, options, CFitIdStore(path));
  EXPECT_EQ(plan.rows[0].status, ERowStatus::kRefused);
  EXPECT_EQ(plan.Reason(plan.rows[0]), "category \"Food:Bread\" does not exist");
  // Kind Expense takes every amount as an expense; rows of the rarer sign
  // say so.
  options.createCategories = true;
  options.kind = EImportKind::kExpense;
  const CImportPlan expenses = PlanImport(db, table, options, CFitIdStore(path));
  EXPECT_EQ(expenses.rows[2].record.fromAccount, account);
  EXPECT_EQ(expenses.Reason(expenses.rows[2]),
            "its sign differs from most rows; taken as an expense");
  EXPECT_EQ(expenses.Reason(expenses.rows[0]), "creates category \"Food:Bread\"");
}

TEST_F(ImportTest, FailedWriteStopsWithWholeRowsOnly) {
  const CSourceTable table = Read(csv);
  const CImportOptions options = Options(table);
  CFitIdStore fitIds(path);
  const CImportPlan plan = PlanImport(db, table, options, fitIds);
  CImportResult result;
  {
    CFileSizeLimit full(db.GetFileSize() + 200);  // room for a few records only
    result = ApplyImport(db, plan, options, fitIds);
  }
  EXPECT_FALSE(result.ok);
  EXPECT_FALSE(result.error.empty());
  Reopen();
  EXPECT_EQ(db.Transactions().size(), result.transactions.size());
  for (std::uint32_t id : result.transactions) {
    CTransactionItem t;
    db.GetTransaction(id, t);
    EXPECT_EQ(t.description, "Bakery; Main St.");
  }
}

TEST_F(ImportTest, OfxStatementIsRecognisedByItsTransactionIds) {
  const std::string ofx = dir.Path("statement.ofx");
  auto writeOfx = [&](const char* coffeeName) {
    std::ofstream(ofx) << "OFXHEADER:100\nDATA:OFXSGML\nVERSION:102\nSECURITY:NONE\n"
                          "ENCODING:USASCII\nCHARSET:1252\nCOMPRESSION:NONE\nOLDFILEUID:NONE\n"
                          "NEWFILEUID:NONE\n\n<OFX><SIGNONMSGSRSV1><SONRS><STATUS><CODE>0"
                          "<SEVERITY>INFO</STATUS><DTSERVER>20240201<LANGUAGE>ENG</SONRS>"
                          "</SIGNONMSGSRSV1><BANKMSGSRSV1><STMTTRNRS><TRNUID>1<STATUS><CODE>0"
                          "<SEVERITY>INFO</STATUS><STMTRS><CURDEF>EUR"
                          "<BANKACCTFROM><BANKID>1<ACCTID>42<ACCTTYPE>CHECKING</BANKACCTFROM>"
                          "<BANKTRANLIST><DTSTART>20240101<DTEND>20240131"
                          "<STMTTRN><TRNTYPE>DEBIT<DTPOSTED>20240105<TRNAMT>-3.20<FITID>A1<NAME>"
                       << coffeeName
                       << "</STMTTRN><STMTTRN><TRNTYPE>DEBIT<DTPOSTED>20240105<TRNAMT>-3.20"
                          "<FITID>A2<NAME>Coffee</STMTTRN>"
                          "<STMTTRN><TRNTYPE>CREDIT<DTPOSTED>20240131230000[-5:EST]"
                          "<DTUSER>20240129<TRNAMT>100.00<FITID>A3"
                          "<NAME>Refund<MEMO>order 7</STMTTRN>"
                          "</BANKTRANLIST><LEDGERBAL><BALAMT>93.60<DTASOF>20240131</LEDGERBAL></"
                          "STMTRS></STMTTRNRS></BANKMSGSRSV1></OFX>\n";
  };
  writeOfx("Coffee");
  CSourceTable table;
  std::string error;
  ASSERT_TRUE(ReadOfxFile(ofx, table, error)) << error;
  ASSERT_EQ(table.rows.size(), 3u);
  EXPECT_EQ(table.fitIds, (std::vector<std::string>{"A1", "A2", "A3"}));
  // The day the bank printed, whatever the time and zone after it.
  EXPECT_EQ(table.rows[0].fields[0], "2024-01-05");
  EXPECT_EQ(table.rows[2].fields[0], "2024-01-31");
  // The day the user made it, where the statement gives one.
  CSourceTable byUser;
  ASSERT_TRUE(ReadOfxFile(ofx, byUser, error, EOfxDate::kUser)) << error;
  EXPECT_EQ(byUser.rows[0].fields[0], "2024-01-05");
  EXPECT_EQ(byUser.rows[2].fields[0], "2024-01-29");
  CImportOptions options;
  options.account = account;
  options.kind = EImportKind::kAuto;
  options.columns = OfxColumns();
  CFitIdStore fitIds(path);
  // What the statement says of itself, and the bank's balance agreeing.
  EXPECT_EQ(table.statement.format, "OFX");
  EXPECT_EQ(table.statement.account, "42");
  EXPECT_EQ(table.statement.currency, "EUR");
  EXPECT_EQ(table.statement.start, "2024-01-01");
  EXPECT_EQ(table.statement.end, "2024-01-31");
  CImportPlan plan = PlanImport(db, table, options, fitIds);
  EXPECT_TRUE(plan.balance.known);
  EXPECT_EQ(plan.balance.day, EncodeDate(2024, 1, 31));
  EXPECT_EQ(plan.balance.bank, M(93.6));
  EXPECT_EQ(plan.balance.difference, 0);
  EXPECT_EQ(plan.CountOf(ERowStatus::kNew), 3u);  // two equal coffees, two FITIDs
  EXPECT_EQ(plan.Comment(plan.rows[2]), "order 7");
  EXPECT_EQ(plan.rows[2].record.amountIn, M(100));
  ASSERT_TRUE(ApplyImport(db, plan, options, fitIds).ok);

  // The bank renamed a payee: the FITID still finds it.
  writeOfx("COFFEE SHOP 12");
  ASSERT_TRUE(ReadOfxFile(ofx, table, error));
  plan = PlanImport(db, table, options, CFitIdStore(path));
  EXPECT_EQ(plan.CountOf(ERowStatus::kDuplicate), 3u);
  EXPECT_NE(plan.Reason(plan.rows[0]).find("FITID A1"), std::string::npos);
}

// A Balance column gives the bank's balance at the end of the statement's
// last day, whichever way the statement runs; a row left out shows as the
// difference and is named first.
TEST_F(ImportTest, BalanceColumnIsCheckedAgainstTheBooks) {
  Move(EncodeDate(2024, 1, 2), account, 0, 1, -1, "Earlier");  // books before: -1
  const struct {
    const char* rows;
    Money bank, books;
    std::size_t suspect;  // index of the first suspect row, or 99
  } cases[] = {
      {"05.01.2024;Shop;-10,00;-11,00;\n06.01.2024;Pay;20,00;9,00;\n", M(9), M(9), 99},
      // Newest first; two rows on the last day: the day's first row closes it.
      {"06.01.2024;Shop;-5,00;4,00;\n06.01.2024;Pay;20,00;9,00;\n05.01.2024;Shop;-10,00;-11,00;\n",
       M(4), M(4), 99},
      // A row refused for its category is missing from the books.
      {"05.01.2024;Shop;-10,00;-11,00;\n05.01.2024;Fee;-7,00;-18,00;Nowhere\n"
       "06.01.2024;Pay;20,00;2,00;\n",
       M(2), M(9), 1},
  };
  for (const auto& c : cases) {
    std::ofstream(csv, std::ios::binary) << "Date;Text;Amount;Balance;Category\n" << c.rows;
    const CSourceTable table = Read(csv);
    CImportOptions options = Options(table);
    options.createCategories = false;
    options.columns[3].type = EColumnType::kBalance;
    options.columns[4].type = EColumnType::kCategory;
    const CImportPlan plan = PlanImport(db, table, options, CFitIdStore(path));
    SCOPED_TRACE(c.rows);
    ASSERT_TRUE(plan.balance.known);
    EXPECT_EQ(plan.balance.day, EncodeDate(2024, 1, 6));
    EXPECT_EQ(plan.balance.bank, c.bank);
    EXPECT_EQ(plan.balance.books, c.books);
    EXPECT_EQ(plan.balance.difference, c.bank - c.books);
    if (c.suspect == 99) {
      EXPECT_TRUE(plan.balance.suspects.empty());
    } else {
      ASSERT_FALSE(plan.balance.suspects.empty());
      EXPECT_EQ(plan.balance.suspects[0], c.suspect);
    }
  }
}

TEST(ImportIds, RangesKeepEveryId) {
  std::vector<std::uint32_t> ids{105, 100, 101, 102, 4000000000u, 104};
  EXPECT_EQ(IdRangesText(ids), "100-102,104-105,4000000000");
  std::vector<std::uint32_t> back;
  ASSERT_TRUE(ParseIdRanges("100-102,104-105,4000000000", back));
  EXPECT_EQ(back, (std::vector<std::uint32_t>{100, 101, 102, 104, 105, 4000000000u}));
  for (const char* bad : {"1-", "5-3", "1,,2", "x", "1-4294967295"})
    EXPECT_FALSE(ParseIdRanges(bad, back)) << bad;
}

}  // namespace

// Writing transactions as delimited text and as a journal.
#include <sstream>

#include "Delimited.h"
#include "Exporter.h"
#include "FinanceTestUtil.h"

namespace {

class ExportTest : public FinanceTest {
 protected:
  void SetUp() override {
    FinanceTest::SetUp();
    giro = Account("Giro");
    cash = Account("Cash; pocket");
    food = SubType("Food", kExpenseRoot);
    bread = SubType("Bread", food);
    CTransactionItem t;
    t.record.date = D(2024, 1, 3);
    t.record.fromAccount = giro;
    t.record.amountOut = t.record.amountIn = M(4.5);
    t.record.quantity = 2;
    t.record.categoryId = bread;
    t.description = "Bakery \"Sun\", Main St.";
    t.comment = "two\nloaves";
    db.AddTransaction(t);
    Move(D(2024, 1, 15), 0, giro, 2345.67, -1, "Salary");
    Move(D(2024, 1, 20), giro, cash, 100, -1, "To the pocket");
    Move(D(2024, 2, 1), giro, 0, 1, -1, "February");
    options.begin = D(2024, 1, 1);
    options.end = D(2024, 1, 31);
    options.separator = ';';
    for (int f = 0; f < kExportFieldCount; ++f)
      options.fields.push_back(static_cast<EExportField>(f));
  }

  std::string Csv() {
    std::ostringstream out;
    EXPECT_TRUE(WriteDelimited(db, options, out));
    return out.str();
  }

  std::uint32_t giro = 0, cash = 0, food = 0, bread = 0;
  CExportOptions options;
};

TEST_F(ExportTest, RowsCarryEveryFieldQuotedAndSigned) {
  options.kind = EExportKind::kAll;
  EXPECT_EQ(
      Csv(),
      "Date;Description;Quantity;Sum;Price;Notes;Category;Family member;Section;Account;"
      "Currency;Amount in;Currency in\r\n"
      "2024-01-03;\"Bakery \"\"Sun\"\", Main St.\";2.00;-4.50;-2.25;\"two\nloaves\";"
      "Food:Bread;;;Giro;$;;\r\n"
      "2024-01-15;Salary;1.00;2345.67;2345.67;;;;;Giro;$;;\r\n"
      "2024-01-20;To the pocket;1.00;-100.00;-100.00;;;;;\"Giro > Cash; pocket\";$;100.00;$\r\n");
}

TEST_F(ExportTest, TransferAcrossCurrenciesCarriesBothAmountsAndCurrencies) {
  const std::uint32_t savings = Account("Savings", 102);  // in euros
  Move(D(2024, 1, 25), giro, savings, 100, 92.5, "To savings");
  Move(D(2024, 1, 26), 0, savings, 10, -1, "Interest");
  options.kind = EExportKind::kAll;
  options.fields = {EExportField::kDescription, EExportField::kSum, EExportField::kCurrency,
                    EExportField::kAmountIn, EExportField::kCurrencyIn};
  const std::string header = "Description;Sum;Currency;Amount in;Currency in\r\n";
  struct Case {
    std::uint32_t account;
    const char* rows;
  } const cases[] = {
      {0,
       "\"Bakery \"\"Sun\"\", Main St.\";-4.50;$;;\r\n"
       "Salary;2345.67;$;;\r\n"
       "To the pocket;-100.00;$;100.00;$\r\n"
       "To savings;-100.00;$;92.50;\xe2\x82\xac\r\n"
       "Interest;10.00;\xe2\x82\xac;;\r\n"},
      // Seen from the receiving account the Sum is what came in.
      {savings,
       "To savings;92.50;\xe2\x82\xac;92.50;\xe2\x82\xac\r\n"
       "Interest;10.00;\xe2\x82\xac;;\r\n"},
  };
  for (const Case& c : cases) {
    options.account = c.account;
    EXPECT_EQ(Csv(), header + c.rows) << c.account;
  }
}

TEST_F(ExportTest, KindAccountAndCategoryChooseTheRows) {
  options.fields = {EExportField::kDescription, EExportField::kSum};
  struct Case {
    EExportKind kind;
    std::uint32_t* account;
    std::uint32_t* category;
    bool withSub;
    const char* rows;
  } const cases[] = {
      {EExportKind::kExpenses, nullptr, nullptr, true,
       "\"Bakery \"\"Sun\"\", Main St.\";-4.50\r\n"},
      {EExportKind::kIncomes, nullptr, nullptr, true, "Salary;2345.67\r\n"},
      {EExportKind::kAll, &cash, nullptr, true, "To the pocket;100.00\r\n"},
      {EExportKind::kExpenses, nullptr, &food, false, ""},
      {EExportKind::kExpenses, nullptr, &food, true, "\"Bakery \"\"Sun\"\", Main St.\";-4.50\r\n"},
  };
  for (const Case& c : cases) {
    options.kind = c.kind;
    options.account = c.account ? *c.account : 0;
    options.category = c.category ? *c.category : 0;
    options.withSubcategories = c.withSub;
    EXPECT_EQ(Csv(), std::string("Description;Sum\r\n") + c.rows);
  }
  options.kind = EExportKind::kExpenses;
  options.pointDecimal = false;
  options.regional.decimalSeparator = ",";
  options.category = 0;
  options.fields = {EExportField::kSum};
  EXPECT_EQ(Csv(), "Sum\r\n-4,50\r\n");
}

TEST_F(ExportTest, JournalBalancesEveryEntry) {
  std::ostringstream out;
  ASSERT_TRUE(WriteJournal(db, 1, 0, 0, out));
  const std::string journal = out.str();
  EXPECT_NE(journal.find("2024-01-03 * Bakery \"Sun\", Main St.\n    ; two\n    ; loaves\n"
                         "    Expenses:Food:Bread  4.50 "),
            std::string::npos)
      << journal;
  EXPECT_NE(journal.find("    Assets:Cash, pocket  100.00 "), std::string::npos) << journal;
  EXPECT_NE(journal.find("    Expenses:Uncategorized  1.00 "), std::string::npos) << journal;
  EXPECT_NE(journal.find("    Income:Uncategorized  -2345.67 "), std::string::npos) << journal;
}

TEST_F(ExportTest, FileIsReplacedWholeOrNotAtAll) {
  const std::string file = dir.Path("out.csv");
  std::string error;
  ASSERT_TRUE(WriteFileAtomically(
      file, [&](std::ostream& o) { return WriteDelimited(db, options, o); }, error));
  EXPECT_FALSE(WriteFileAtomically(
      file, [](std::ostream&) { return false; }, error));
  EXPECT_FALSE(error.empty());
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(file, 0, bytes, error));
  EXPECT_EQ(bytes.substr(0, 5), "Date;");
  EXPECT_FALSE(WriteFileAtomically(
      dir.Path("no/such/dir.csv"), [](std::ostream&) { return true; }, error));
}

}  // namespace

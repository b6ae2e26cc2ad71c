// The export and import windows' plain decisions: the first-row rule, the
// custom separator, columns kept as text and the import offered for
// undoing.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>

#include "ExportLogic.h"
#include "ImportLogic.h"

TEST(ExchangeLogic, FirstRowBoxTakesOnlyRowsTheUpDownReaches) {
  struct Case {
    const char* text;
    bool accepted;
  } cases[] = {{"1", true},   {"32767", true}, {"007", true},    {"0", false},
               {"", false},   {"00", false},   {"32768", false}, {"-1", false},
               {" 2", false}, {"2a", false},   {"100000", false}};
  for (const Case& c : cases) EXPECT_EQ(FirstRowAccepted(c.text), c.accepted) << c.text;
}

TEST(ExchangeLogic, CustomSeparatorIsOnePrintableByteOtherThanAQuote) {
  struct Case {
    const char* custom;
    bool accepted;
  } cases[] = {{"|", true},   {" ", true},   {"", false},        {"||", false},
               {"\"", false}, {"\t", false}, {"\xC3\xA9", false}};
  for (const Case& c : cases) {
    char separator = 0;
    EXPECT_EQ(SeparatorOf(kSeparatorCustom, c.custom, separator), c.accepted) << c.custom;
    if (c.accepted) {
      EXPECT_EQ(separator, c.custom[0]);
    }
  }
  char separator = 0;
  EXPECT_TRUE(SeparatorOf(kSeparatorTab, "", separator));
  EXPECT_EQ(separator, '\t');
  EXPECT_EQ(ChoiceOfSeparator('|'), kSeparatorCustom);
}

TEST(ExchangeLogic, ColumnsKeptAsTextComeBackWithTheirFormats) {
  std::vector<CColumnFormat> columns(5);
  columns[0].type = EColumnType::kDate;
  columns[0].date.order = EDateOrder::kMdy;
  columns[1].type = EColumnType::kSum;
  columns[1].amount = {',', ' '};
  columns[1].role = ESumRole::kCredit;
  columns[2].type = EColumnType::kQuantity;
  columns[2].amount = {'.', 0};
  columns[3].type = EColumnType::kMember;
  columns[4].type = EColumnType::kNone;
  for (const CColumnFormat& c : columns) {
    CColumnFormat back;
    ASSERT_TRUE(ParseColumnFormatText(ColumnFormatText(c), back)) << ColumnFormatText(c);
    EXPECT_EQ(back.type, c.type);
    EXPECT_EQ(back.date.order, c.date.order);
    EXPECT_EQ(back.amount.decimal, c.amount.decimal);
    EXPECT_EQ(back.amount.group, c.amount.group);
    EXPECT_EQ(back.role, c.role);
  }
  CColumnFormat unread;
  EXPECT_FALSE(ParseColumnFormatText("", unread));
  EXPECT_FALSE(ParseColumnFormatText("amount;.n", unread));
  // A damaged format falls back to the default instead of a mark that
  // groups and separates decimals at once.
  ASSERT_TRUE(ParseColumnFormatText("sum;..;debit", unread));
  EXPECT_EQ(unread.amount.decimal, '.');
  EXPECT_EQ(unread.amount.group, 0);
  EXPECT_EQ(unread.role, ESumRole::kDebit);
}

TEST(ExchangeLogic, UndoIsOfferedForTheSameDatabaseFileOnly) {
  QTemporaryDir dir;
  const std::string base = dir.path().toStdString();
  std::filesystem::create_directories(base + "/sub");
  TLastImport last{"bank.csv", base + "/home.vlt", {101, 102}, {}};
  EXPECT_TRUE(CanUndoImport(last, base + "/sub/../home.vlt"));
  EXPECT_FALSE(CanUndoImport(last, base + "/other.vlt"));
  EXPECT_FALSE(CanUndoImport(last, ""));
  last.transactions.clear();
  EXPECT_FALSE(CanUndoImport(last, base + "/home.vlt"));
}

TEST(ExchangeLogic, DateOrderOfTheRegionalPattern) {
  EXPECT_EQ(DateOrderOfPattern("dd.MM.yyyy"), EDateOrder::kDmy);
  EXPECT_EQ(DateOrderOfPattern("M/d/yy"), EDateOrder::kMdy);
  EXPECT_EQ(DateOrderOfPattern("yyyy-MM-dd"), EDateOrder::kYmd);
  EXPECT_EQ(DateOrderOfPattern(""), EDateOrder::kYmd);
}

// The export and import windows' plain decisions: the first-row rule, the
// custom separator, columns kept as text and the import offered for
// undoing.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>

#include "ExportLogic.h"
#include "ImportLogic.h"
#include "Include.h"
#include "Settingsstorage.h"

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
  std::vector<CColumnFormat> columns(6);
  columns[0].type = EColumnType::kDate;
  columns[0].date.order = EDateOrder::kMdy;
  columns[1].type = EColumnType::kSum;
  columns[1].amount = {',', ' '};
  columns[1].role = ESumRole::kCredit;
  columns[2].type = EColumnType::kQuantity;
  columns[2].amount = {'.', 0};
  columns[3].type = EColumnType::kMember;
  columns[4].type = EColumnType::kNone;
  columns[5].type = EColumnType::kMark;
  columns[5].outMark = "D;%3B";
  for (const CColumnFormat& c : columns) {
    CColumnFormat back;
    ASSERT_TRUE(ParseColumnFormatText(ColumnFormatText(c), back)) << ColumnFormatText(c);
    EXPECT_EQ(back.type, c.type);
    EXPECT_EQ(back.date.order, c.date.order);
    EXPECT_EQ(back.amount.decimal, c.amount.decimal);
    EXPECT_EQ(back.amount.group, c.amount.group);
    EXPECT_EQ(back.role, c.role);
    EXPECT_EQ(back.outMark, c.outMark);
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
  TLastImport last{"bank.csv", base + "/home.vlt", {101, 102}, {}, {}};
  EXPECT_TRUE(CanUndoImport(last, base + "/sub/../home.vlt"));
  EXPECT_FALSE(CanUndoImport(last, base + "/other.vlt"));
  EXPECT_FALSE(CanUndoImport(last, ""));
  last.transactions.clear();
  EXPECT_FALSE(CanUndoImport(last, base + "/home.vlt"));
}

TEST(ExchangeLogic, UndoQuestionCountsWhatGoesAndWhatChangedSince) {
  struct Case {
    const char* language;
    std::size_t remaining, changed;
    const char* deleted;  // how the first paragraph counts
    const char* since;    // the second paragraph, "" for none
  } const cases[] = {
      {"english", 1, 0, "Its 1 transaction is deleted", ""},
      {"english", 4, 1, "Its 4 transactions are deleted",
       "1 of the 4 transactions was changed after the import."},
      {"english", 4, 2, "Its 4 transactions are deleted",
       "2 of the 4 transactions were changed after the import."},
      {"english", 1, 1, "Its 1 transaction is deleted",
       "The transaction was changed after the import."},
      {"german", 1, 0, "Seine 1 Buchung wird gel\xC3\xB6scht", ""},
      {"german", 4, 1, "Seine 4 Buchungen werden gel\xC3\xB6scht",
       "1 der 4 Buchungen wurde nach dem Import ge\xC3\xA4ndert."},
      {"german", 3, 3, "Seine 3 Buchungen werden gel\xC3\xB6scht",
       "Alle 3 Buchungen wurden nach dem Import ge\xC3\xA4ndert."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.language) + " " + std::to_string(c.changed));
    InitLocalization(PARDOW_SOURCE_DIR "/resources/Lang/" + std::string(c.language) + ".txt");
    CImportChanges changes;
    changes.remaining = c.remaining;
    changes.changed.assign(c.changed, 101);
    const std::string question = UndoImportQuestion("bank.csv", changes);
    EXPECT_NE(question.find("bank.csv"), std::string::npos) << question;
    EXPECT_NE(question.find(c.deleted), std::string::npos) << question;
    const std::size_t second = question.find("\n\n");
    EXPECT_EQ(second == std::string::npos, *c.since == 0) << question;
    if (second != std::string::npos) {
      EXPECT_EQ(question.substr(second + 2, std::string(c.since).size()), c.since) << question;
    }
  }
  FreeLocalization("");

  // The fingerprints are kept in the order of the kept (sorted) ids.
  QTemporaryDir dir;
  Settings::CSettingsStorage settings(dir.filePath("s.ini").toStdString(), true);
  ASSERT_TRUE(StoreLastImport(settings, {"bank.csv", "home.vlt", {105, 101, 103}, {}, {5, 1, 3}}));
  TLastImport last = LoadLastImport(settings);
  EXPECT_EQ(last.transactions, (std::vector<std::uint32_t>{101, 103, 105}));
  EXPECT_EQ(last.fingerprints, (std::vector<std::uint64_t>{1, 3, 5}));
  ASSERT_TRUE(settings.SetString(kLastImportFingerprints, "1,3"));  // one missing
  EXPECT_TRUE(LoadLastImport(settings).fingerprints.empty());
  // A huge import keeps its ids but no fingerprints.
  TLastImport huge{"big.csv", "home.vlt", {}, {}, {}};
  for (std::uint32_t id = 101; id <= 101 + kMaxRememberedFingerprints; ++id) {
    huge.transactions.push_back(id);
    huge.fingerprints.push_back(id);
  }
  ASSERT_TRUE(StoreLastImport(settings, huge));
  EXPECT_EQ(LoadLastImport(settings).transactions.size(), huge.transactions.size());
  EXPECT_TRUE(LoadLastImport(settings).fingerprints.empty());
}

TEST(ExchangeLogic, CountTextsTakeTheFormOfTheirNumber) {
  CImportPlan plan;
  for (int i = 0; i < 4; ++i) plan.rows.push_back(CPlannedRow{});
  plan.rows[1].status = ERowStatus::kDuplicate;
  plan.rows[2].status = plan.rows[3].status = ERowStatus::kRefused;
  struct Case {
    const char* language;
    EExchangeCount what;
    std::size_t count;
    const char* text;
  } const cases[] = {
      {"english", EExchangeCount::kImported, 1, "1 transaction was imported from %2."},
      {"english", EExchangeCount::kSubtypesCreated, 1,
       "1 category, member or section was created."},
      {"english", EExchangeCount::kToImport, 0,
       "0 transactions will be imported (the checked rows)."},
      {"english", EExchangeCount::kWritten, 1, "1 transaction was written to %2."},
      {"german", EExchangeCount::kImported, 1, "1 Buchung wurde aus %2 importiert."},
      {"german", EExchangeCount::kColumns, 3, "Text mit Trennzeichen, 3 Spalten"},
      {"german", EExchangeCount::kWritten, 2, "2 Buchungen wurden in %2 geschrieben."},
  };
  for (const Case& c : cases) {
    InitLocalization(PARDOW_SOURCE_DIR "/resources/Lang/" + std::string(c.language) + ".txt");
    EXPECT_EQ(ExchangeCountText(c.what, c.count), c.text) << c.language;
  }
  EXPECT_EQ(PlanCountsText(plan), "1 neu, 1 Duplikat, 2 abgelehnt");
  // Where a category comes from, piece by piece; a rule's own text as it is.
  EXPECT_EQ(CategorySourceText("from the file; rule 12: 'a; b'"),
            "aus der Datei; Regel 12: 'a; b'");
  EXPECT_EQ(CategorySourceText("like 14 earlier transactions"), "wie 14 frühere Buchungen");
  EXPECT_EQ(CategorySourceText("rule x: 'y'"), "rule x: 'y'");
  InitLocalization(PARDOW_SOURCE_DIR "/resources/Lang/english.txt");
  EXPECT_EQ(PlanCountsText(plan), "1 new, 1 duplicate, 2 refused");
  FreeLocalization("");
}

TEST(ExchangeLogic, DateOrderOfTheRegionalPattern) {
  EXPECT_EQ(DateOrderOfPattern("dd.MM.yyyy"), EDateOrder::kDmy);
  EXPECT_EQ(DateOrderOfPattern("M/d/yy"), EDateOrder::kMdy);
  EXPECT_EQ(DateOrderOfPattern("yyyy-MM-dd"), EDateOrder::kYmd);
  EXPECT_EQ(DateOrderOfPattern(""), EDateOrder::kYmd);
}

// The companion file beside a database: what it keeps, what it does with a
// damaged or an old file, and that a failed write is a failure.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "Companion.h"
#include "FileSizeLimit.h"
#include "Importer.h"
#include "TempFolder.h"

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

class CompanionTest : public testing::Test {
 protected:
  CTempFolder dir;
  const std::string db = dir.Path("home.vlt");
  const std::string file = CCompanion::PathFor(db);
};

TEST_F(CompanionTest, AwkwardTextsAndUnknownKindsRoundTrip) {
  const std::vector<std::string> ids{"plain", "tab\there", "line\nbreak\r\n", "back\\slash\\t",
                                     "\\",    " spaces ",  "ünïcödé",         ""};
  // A newer version's records: kept as they are, in their order.
  WriteAll(file, "Pardow companion 2\ntag\tAmazon\\t*\tFood\n\ntag-v2\t\t\tx\\q\n");
  std::string error;
  ASSERT_TRUE(UpdateCompanion(
      db,
      [&](CCompanion& c) {
        for (std::size_t i = 0; i < ids.size(); ++i) c.AddFitId(7, ids[i], 100 + i);
        c.AddAgreed({7, EncodeDate(2026, 1, 31) + 0.75, -123456789012});
        CImportRule rule;
        rule.id = c.NextRuleId();
        rule.match = {"REWE\t48213 \\d+",
                      ERuleField::kComment,
                      ERuleMode::kRegex,
                      true,
                      0,
                      std::nullopt,
                      ERuleKind::kIncome,
                      7};
        rule.set = {120, 0, 130, "Rewe\nMarkt"};
        c.Rules().push_back(rule);
      },
      error))
      << error;

  CCompanion back;
  ASSERT_TRUE(back.Load(db).Fine());
  for (std::size_t i = 0; i < ids.size(); ++i) EXPECT_EQ(back.FindFitId(7, ids[i]), 100 + i);
  EXPECT_EQ(back.FindFitId(8, "plain"), 0u);
  EXPECT_TRUE(back.HasFitIdTransaction(103));
  ASSERT_TRUE(back.LastAgreed(7));
  EXPECT_EQ(back.LastAgreed(7)->day, EncodeDate(2026, 1, 31));
  EXPECT_EQ(back.LastAgreed(7)->balance, -123456789012);
  EXPECT_EQ(back.UnknownLines(),
            (std::vector<std::string>{"tag\tAmazon\\t*\tFood", "tag-v2\t\t\tx\\q"}));
  ASSERT_EQ(back.Rules().size(), 1u);
  const CImportRule& rule = back.Rules()[0];
  EXPECT_EQ(std::make_tuple(rule.id, rule.match.text, rule.match.field, rule.match.mode,
                            rule.match.caseSensitive, rule.match.amountMin, rule.match.amountMax,
                            rule.match.kind, rule.match.account),
            std::make_tuple(1u, std::string("REWE\t48213 \\d+"), ERuleField::kComment,
                            ERuleMode::kRegex, true, std::optional<Money>(0),
                            std::optional<Money>(), ERuleKind::kIncome, 7u));
  EXPECT_EQ(
      std::make_tuple(rule.set.category, rule.set.member, rule.set.section, rule.set.description),
      std::make_tuple(120u, 0u, 130u, std::string("Rewe\nMarkt")));
  EXPECT_EQ(back.NextRuleId(), 2u);
  const std::string text = ReadAll(file);
  EXPECT_EQ(text.rfind("Pardow companion 1\n", 0), 0u);
  EXPECT_NE(text.find("fitid\t7\tline\\nbreak\\r\\n\t102\n"), std::string::npos);
  EXPECT_NE(text.find("agreed\t7\t2026-01-31\t-123456789012\n"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(file + ".tmp"));
}

TEST_F(CompanionTest, MissingFileIsEmpty) {
  CCompanion c;
  const CCompanionLoad load = c.Load(db);
  EXPECT_TRUE(load.Fine());
  EXPECT_EQ(c.FindFitId(1, "x"), 0u);
  EXPECT_FALSE(c.LastAgreed(1));
  EXPECT_FALSE(std::filesystem::exists(file));  // reading writes nothing
}

TEST_F(CompanionTest, LastAgreedIsTheLatestBeforeTheDay) {
  CCompanion c;
  c.Load(db);
  c.AddAgreed({3, EncodeDate(2026, 1, 31), 500});
  c.AddAgreed({3, EncodeDate(2026, 3, 31), 900});
  c.AddAgreed({3, EncodeDate(2026, 1, 31), 600});  // the same day again replaces
  c.AddAgreed({4, EncodeDate(2026, 2, 28), 1});
  EXPECT_EQ(c.LastAgreed(3)->balance, 900);
  EXPECT_EQ(c.LastAgreed(3, EncodeDate(2026, 3, 31))->balance, 600);
  EXPECT_FALSE(c.LastAgreed(3, EncodeDate(2026, 1, 31)));
  EXPECT_FALSE(c.LastAgreed(2));
  EXPECT_FALSE(c.LastAgreed(5));
}

TEST_F(CompanionTest, DamagedFileIsMovedAsideReportedAndStartedAfresh) {
  struct Case {
    const char* bytes;
    const char* reason;
  };
  const Case cases[] = {
      {"", "the file is empty"},
      {"Pardow companion\nfitid\t1\tA\t5\n", "line 1 is not"},
      {"\x7f"
       "ELF\x02\x01",
       "line 1 is not"},
      {"Pardow companion 1\nfitid\t1\tA\n", "line 2 cannot be read"},
      {"Pardow companion 1\nfitid\t1\tA\t5\nfitid\t1\tB\\x\t6\n", "line 3 cannot be read"},
      {"Pardow companion 1\nagreed\t1\t2026-02-30\t5\n", "line 2 cannot be read"},
      {"Pardow companion 1\nagreed\t1\t2026-02-03\t5.0\n", "line 2 cannot be read"},
      {"Pardow companion 1\n\tno kind\n", "line 2 cannot be read"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason);
    WriteAll(file, c.bytes);
    WriteAll(file + ".damaged", "an earlier damaged copy");
    CCompanion companion;
    const CCompanionLoad load = companion.Load(db);
    EXPECT_TRUE(load.damaged);
    EXPECT_NE(load.reason.find(c.reason), std::string::npos) << load.reason;
    EXPECT_EQ(load.asidePath, file + ".damaged.2");
    EXPECT_EQ(ReadAll(file + ".damaged.2"), c.bytes);
    EXPECT_EQ(ReadAll(file + ".damaged"), "an earlier damaged copy");
    EXPECT_EQ(companion.FindFitId(1, "A"), 0u);
    EXPECT_NE(CompanionLoadText(load).find(file + ".damaged.2"), std::string::npos);
    std::string error;
    companion.AddFitId(1, "C", 9);
    ASSERT_TRUE(companion.Save(error)) << error;
    CCompanion fresh;
    EXPECT_TRUE(fresh.Load(db).Fine());
    EXPECT_EQ(fresh.FindFitId(1, "C"), 9u);
    std::filesystem::remove(file + ".damaged.2");
  }
}

TEST_F(CompanionTest, OldFitIdFileMovesInAfterTheFirstWrite) {
  const std::string old = CCompanion::OldFitIdPathFor(db);
  WriteAll(old, "5\tA%091\t200\n5\t100%25\t201\n6\tB\t202\n7\tcut-by-a-cr");
  CFitIdStore store(db);
  EXPECT_EQ(store.Find(5, "A\t1"), 200u);
  EXPECT_EQ(store.Find(5, "100%"), 201u);
  EXPECT_TRUE(store.HasTransaction(202));
  EXPECT_TRUE(std::filesystem::exists(old));  // reading alone changes no file
  std::string error;
  ASSERT_TRUE(store.Add({{6, "C", 203}}, error)) << error;
  EXPECT_FALSE(std::filesystem::exists(old));
  CFitIdStore again(db);
  EXPECT_EQ(again.Find(5, "A\t1"), 200u);
  EXPECT_EQ(again.Find(6, "C"), 203u);
  EXPECT_EQ(CFitIdStore::PathFor(db), file);
}

TEST_F(CompanionTest, FailedWriteIsReportedAndKeepsTheOldFile) {
  WriteAll(CCompanion::OldFitIdPathFor(db), "5\tA\t200\n");
  CFitIdStore store(db);
  std::string error;
  {
    CFileSizeLimit full(20);  // the header fits, the records do not
    EXPECT_FALSE(store.Add({{6, "a long FITID that does not fit", 203}}, error));
  }
  EXPECT_NE(error.find(file + ".tmp"), std::string::npos) << error;
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_FALSE(std::filesystem::exists(file + ".tmp"));
  EXPECT_TRUE(std::filesystem::exists(CCompanion::OldFitIdPathFor(db)));

  // A companion that cannot be read is not overwritten.
  std::filesystem::create_directory(file);
  CCompanion c;
  EXPECT_TRUE(c.Load(db).unreadable);
  EXPECT_FALSE(c.Save(error));
  EXPECT_TRUE(std::filesystem::is_directory(file));
}

TEST_F(CompanionTest, TravelsWithTheDatabase) {
  const std::string other = dir.Path("other.vlt");
  WriteAll(file, "Pardow companion 1\nfitid\t1\tA\t5\n");
  WriteAll(CCompanion::PathFor(other), "Pardow companion 1\nfitid\t1\tstale\t6\n");
  std::string error;
  ASSERT_TRUE(CopyCompanion(db, other, error)) << error;
  EXPECT_EQ(ReadAll(CCompanion::PathFor(other)), ReadAll(file));

  const std::string moved = dir.Path("moved.vlt");
  ASSERT_TRUE(MoveCompanion(db, moved, error)) << error;
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_EQ(ReadAll(CCompanion::PathFor(moved)), "Pardow companion 1\nfitid\t1\tA\t5\n");

  // A database without a companion leaves none at the target.
  ASSERT_TRUE(CopyCompanion(db, other, error)) << error;
  EXPECT_FALSE(std::filesystem::exists(CCompanion::PathFor(other)));

  WriteAll(CCompanion::OldFitIdPathFor(moved), "1\tB\t7\n");
  ASSERT_TRUE(DeleteCompanion(moved, error)) << error;
  EXPECT_FALSE(std::filesystem::exists(CCompanion::PathFor(moved)));
  EXPECT_FALSE(std::filesystem::exists(CCompanion::OldFitIdPathFor(moved)));
  EXPECT_TRUE(DeleteCompanion(moved, error));  // nothing there: nothing to do
}

}  // namespace

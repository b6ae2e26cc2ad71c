#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>
#include <random>
#include <string>

#include "Include.h"
#include "Localizationkit.h"
#include "ServicesTestUtil.h"

using Localization::CLocalizationKit;

namespace {

class LocalizationKitTest : public testing::Test {
 protected:
  void TearDown() override { FreeLocalization(""); }
  // Writes `bytes` as a language file and returns its path.
  std::string LangFile(const std::string& bytes, const std::string& name = "lang.txt") {
    WriteBytes(PathIn(FDir, name), bytes);
    return PathIn(FDir, name);
  }
  QTemporaryDir FDir;
  LogCapture FLog;
};

TEST_F(LocalizationKitTest, ReadsEveryFormOfEntryWithoutLogLines) {
  CLocalizationKit kit(
      LangFile("; 1003 = \"a comment, even with an entry\"\n"
               "\n"
               "2000 = \"Transaction\"\n"
               "2001= \"no first blank\"\n"
               "2002 =\"no second blank\"\n"
               "2003=\"no blanks\"\n"
               "   2004 = \"leading blanks\"\n"
               "==2005 = \"leading equals signs\"\n"
               "2006 = \"text\" and a remark after the quote\n"
               "2007 = \"no closing quote\r\n"
               "\r\n"
               "2008\n"
               "2009 = \"\"\n"
               "2010 \"id, blank, quote\"\n"
               "2011 = \"Show\\Hide; = 'signs' stay\"\n"
               "4294967295 = \"largest id\""));  // no line end after the last line
  EXPECT_TRUE(FLog.Problems().empty());
  const CLocalizationKit::TextMap expected = {{2000, "Transaction"},
                                              {2001, "no first blank"},
                                              {2002, "no second blank"},
                                              {2003, "no blanks"},
                                              {2004, "leading blanks"},
                                              {2005, "leading equals signs"},
                                              {2006, "text"},
                                              {2007, "no closing quote"},
                                              {2008, ""},
                                              {2009, ""},
                                              {2010, "id, blank, quote"},
                                              {2011, "Show\\Hide; = 'signs' stay"},
                                              {4294967295u, "largest id"}};
  EXPECT_EQ(kit.GetTexts(), expected);
  EXPECT_EQ(kit.GetText(2009, "default"), "");  // an empty text is a text
  EXPECT_EQ(kit.GetText(1003, "default"), "default");
}

TEST_F(LocalizationKitTest, BadLinesAndDuplicatesAreReportedWithTheirLineNumbers) {
  CLocalizationKit kit(
      LangFile("2000 = \"first\"\n"
               "2000 = \"second\"\n"
               "; comment\n"
               "\n"
               "Hello = \"word as id\"\n"      // line 5
               "-7 = \"negative\"\n"           // line 6
               "4294967296 = \"too large\"\n"  // line 7
               "   \n"                         // line 8: blanks only
               "= \"no id\"\n"                 // line 9
               "3 = \"three\"\n"));
  EXPECT_EQ(FLog.Problems(),
            (std::vector<std::string>{"[LocKit] Dublicate ID = 2000 in string 2",
                                      "[LocKit] Error in string 5", "[LocKit] Error in string 6",
                                      "[LocKit] Error in string 7", "[LocKit] Error in string 8",
                                      "[LocKit] Error in string 9"}));
  EXPECT_EQ(kit.GetText(2000, "x"), "second");
  EXPECT_EQ(kit.GetTexts().size(), 2u);
}

TEST_F(LocalizationKitTest, MissingFileLogsItsPathAndLookupsGiveTheirDefaults) {
  for (const std::string& path : {PathIn(FDir, "Lang/klingon.txt"), FDir.path().toStdString()}) {
    CLocalizationKit kit(path);
    EXPECT_FALSE(kit.IsFileRead());
    EXPECT_TRUE(FLog.Contains(3, "[LocKit] Can't open file: " + path));
    EXPECT_EQ(kit.GetText(1, "OK"), "OK");
  }
}

TEST_F(LocalizationKitTest, OverlongLineIsSkippedAndTheRestStillLoads) {
  const std::string longest = "1 = \"" + std::string(1017, 'a') + "\"";
  ASSERT_EQ(longest.size(), Localization::kMaxLineLength);
  std::string cyrillic;
  for (int i = 0; i < 1000; ++i) cyrillic += "ж";  // 2000 bytes but 1000 characters
  CLocalizationKit kit(LangFile(longest + "\n" +   // line 1
                                "2 = \"" + std::string(2000, 'b') + "\"\n" +  // line 2
                                "3 = \"" + std::string(1018, 'c') + "\"\n" +  // line 3: 1024
                                "4 = \"" + cyrillic + "\"\n"));
  EXPECT_EQ(FLog.Problems(),
            (std::vector<std::string>{"[LocKit] Error in string 2", "[LocKit] Error in string 3"}));
  EXPECT_EQ(kit.GetText(1, ""), std::string(1017, 'a'));
  EXPECT_EQ(kit.GetText(2, "none"), "none");
  EXPECT_EQ(kit.GetText(4, ""), cyrillic);
}

TEST_F(LocalizationKitTest, Windows1251AndByteOrderMarkedFilesAreRead) {
  CLocalizationKit cp1251(LangFile("1 = \"\xCE\xCA\"\n2 = \"\xCE\xF2\xEC\xE5\xED\xE0\"\n"));
  EXPECT_EQ(cp1251.GetText(2, ""), "Отмена");
  CLocalizationKit bom(
      LangFile("\xEF\xBB\xBF"
               "1 = \"OK\"\n"));
  EXPECT_EQ(bom.GetText(1, ""), "OK");
  EXPECT_TRUE(FLog.Problems().empty());
}

TEST_F(LocalizationKitTest, MissingTextsKeepTheLastDefaultAndDumpAsALanguageFile) {
  CLocalizationKit kit(LangFile("1 = \"OK\"\n"));
  const std::string dump = PathIn(FDir, "missing.txt");
  kit.WriteMissingTexts(dump);
  EXPECT_FALSE(std::filesystem::exists(dump));  // nothing missing: no file
  EXPECT_EQ(kit.GetText(2000, "Transaction"), "Transaction");
  EXPECT_EQ(kit.GetText(2000, "Transfer"), "Transfer");
  EXPECT_EQ(kit.GetText(5, "Edit"), "Edit");
  EXPECT_EQ(kit.GetText(1, "ignored"), "OK");
  kit.WriteMissingTexts(dump);
  EXPECT_EQ(ReadBytes(dump), "5 = \"Edit\"\r\n2000 = \"Transfer\"\r\n");
  CLocalizationKit reread(dump);
  EXPECT_EQ(reread.GetTexts(), kit.GetMissingTexts());
  EXPECT_TRUE(FLog.Problems().empty());
}

TEST_F(LocalizationKitTest, RandomBytesNeverCrashTheParser) {
  std::mt19937 random(20070506);
  std::string alphabet =
      "0123456789 =\";\r\n\t\xD0\xBF\xFF"
      "ab";
  alphabet += '\0';
  for (int round = 0; round < 300; ++round) {
    std::string bytes(random() % 3000, ' ');
    for (char& c : bytes) c = alphabet[random() % alphabet.size()];
    CLocalizationKit kit(LangFile(bytes));
    for (const auto& [id, text] : kit.GetTexts()) {
      EXPECT_EQ(text.find_first_of(std::string("\"\n\0", 3)), std::string::npos);
    }
  }
}

TEST_F(LocalizationKitTest, GlobalKitIsReplacedAndFreedWithItsDump) {
  EXPECT_EQ(GetLocalizedText(1, "OK"), "OK");  // no kit: the default, silently
  EXPECT_TRUE(FLog.lines.empty());
  InitLocalization(LangFile("1 = \"Fine\"\n", "a.txt"));
  EXPECT_EQ(GetLocalizedText(2, "Cancel"), "Cancel");
  InitLocalization(LangFile("1 = \"Gut\"\n", "b.txt"));  // the old kit goes without a dump
  EXPECT_EQ(GetLocalizedText(1, "OK"), "Gut");
  EXPECT_TRUE(GetLocalizationKit()->GetMissingTexts().empty());
  EXPECT_EQ(FLog.lines[1],
            std::make_pair(std::uint8_t{1}, std::string("LocalizationKit uninitialized")));
  GetLocalizedText(3, "New");
  FreeLocalization(PathIn(FDir, "dump.txt"));
  EXPECT_EQ(GetLocalizationKit(), nullptr);
  EXPECT_EQ(ReadBytes(PathIn(FDir, "dump.txt")), "3 = \"New\"\r\n");
}

// Counted texts: the rule of the language picks the form; "%1" is the count.
TEST_F(LocalizationKitTest, CountedTextsTakeTheFormTheirLanguageRuleGives) {
  struct Case {
    const char* rule;
    long long count;
    const char* form;
  };
  const Case cases[] = {
      {"one-other", 1, "a"},      {"one-other", 0, "b"},      {"one-other", 21, "b"},
      {"zero-one-other", 0, "a"}, {"zero-one-other", 2, "b"}, {"one-few-many", 21, "a"},
      {"one-few-many", 11, "c"},  {"one-few-many", 3, "b"},   {"one-few-many", 14, "c"},
      {"one-few-many", 102, "b"}, {"one-few-many", 5, "c"},   {"one-few-many", -1, "a"}};
  for (const Case& c : cases) {
    EXPECT_EQ(Localization::ChoosePluralForm("a|b|c", c.count, c.rule), c.form)
        << c.rule << " " << c.count;
  }
  EXPECT_EQ(Localization::ChoosePluralForm("only", 5, "one-few-many"), "only");
  EXPECT_EQ(Localization::ChoosePluralForm("a|b", 5, "one-few-many"), "b");  // fewer forms
  EXPECT_EQ(GetLocalizedCount(7, "%1 row|%1 rows", 1), "1 row");             // no kit: English rule
  InitLocalization(
      LangFile("90 = \"one-few-many\"\n7 = \"%1 строка|%1 строки|%1 строк\"\n", "r.txt"));
  EXPECT_EQ(GetLocalizedCount(7, "%1 row|%1 rows", 22), "22 строки");
  EXPECT_EQ(GetLocalizedCount(7, "%1 row|%1 rows", 25), "25 строк");
  FreeLocalization("");
}

}  // namespace

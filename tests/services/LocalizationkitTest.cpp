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
  // Writes `bytes` as a language file and returns its path.
  std::string LangFile(const std::string& bytes, const std::string& name = "lang.txt") {
    const std::string path = PathIn(FDir, name);
    WriteBytes(path, bytes);
    return path;
  }

  QTemporaryDir FDir;
  LogCapture FLog;
};

TEST_F(LocalizationKitTest, ReadsEveryFormOfEntryWithoutLogLines) {
  CLocalizationKit kit(LangFile(
      "2000 = \"Transaction\"\n"
      "2001= \"no first blank\"\n"
      "2002 =\"no second blank\"\n"
      "2003=\"no blanks\"\n"
      "   2004 = \"leading blanks\"\n"
      "==2005 = \"leading equals signs\"\n"
      "2006 = \"text\" and a remark after the quote\n"
      "2007 = \"no closing quote\n"
      "2008\n"
      "2009 = \"\"\n"
      "2010 \"id, blank, quote\"\n"
      "2011 = no quotes at all\n"
      "2012 = \"Show\\Hide; = signs and 'apostrophes' stay\"\n"
      "4294967295 = \"largest id\"\n"));
  EXPECT_TRUE(FLog.Problems().empty());
  EXPECT_EQ(kit.GetText(2000, "x"), "Transaction");
  EXPECT_EQ(kit.GetText(2001, "x"), "no first blank");
  EXPECT_EQ(kit.GetText(2002, "x"), "no second blank");
  EXPECT_EQ(kit.GetText(2003, "x"), "no blanks");
  EXPECT_EQ(kit.GetText(2004, "x"), "leading blanks");
  EXPECT_EQ(kit.GetText(2005, "x"), "leading equals signs");
  EXPECT_EQ(kit.GetText(2006, "x"), "text");
  EXPECT_EQ(kit.GetText(2007, "x"), "no closing quote");
  EXPECT_EQ(kit.GetText(2008, "x"), "");
  EXPECT_EQ(kit.GetText(2009, "x"), "");
  EXPECT_EQ(kit.GetText(2010, "x"), "id, blank, quote");
  EXPECT_EQ(kit.GetText(2011, "x"), "");
  EXPECT_EQ(kit.GetText(2012, "x"), "Show\\Hide; = signs and 'apostrophes' stay");
  EXPECT_EQ(kit.GetText(4294967295u, "x"), "largest id");
  EXPECT_TRUE(kit.GetMissingTexts().empty());  // ids defined empty are not missing
}

TEST_F(LocalizationKitTest, CommentsAndEmptyLinesAreSkipped) {
  CLocalizationKit kit(LangFile(
      "; Main window\n"
      ";1003 = \"commented out\"\n"
      "\n"
      "1004 = \"kept\"\n"
      "\n"));
  EXPECT_TRUE(FLog.Problems().empty());
  EXPECT_EQ(kit.GetTexts().size(), 1u);
  EXPECT_EQ(kit.GetText(1003, "default"), "default");
  EXPECT_EQ(kit.GetText(1004, "default"), "kept");
}

TEST_F(LocalizationKitTest, CrLfFilesLoadLikeLfFiles) {
  CLocalizationKit kit(LangFile(
      "; comment\r\n"
      "\r\n"
      "1 = \"OK\"\r\n"
      "2 = \"unclosed\r\n"
      "3 = \"last\""));  // no line end at all after the last line
  EXPECT_TRUE(FLog.Problems().empty());
  EXPECT_EQ(kit.GetText(1, ""), "OK");
  EXPECT_EQ(kit.GetText(2, ""), "unclosed");  // no carriage return in the text
  EXPECT_EQ(kit.GetText(3, ""), "last");
}

TEST_F(LocalizationKitTest, DuplicateIdIsReportedAndTheLaterLineWins) {
  CLocalizationKit kit(LangFile("2000 = \"first\"\n2000 = \"second\"\n"));
  ASSERT_EQ(FLog.Problems().size(), 1u);
  EXPECT_TRUE(FLog.Contains(3, "[LocKit] Dublicate ID = 2000 in string 2"));
  EXPECT_EQ(kit.GetText(2000, "x"), "second");
}

TEST_F(LocalizationKitTest, LinesWithoutANumberAreReportedWithTheirLineNumber) {
  CLocalizationKit kit(LangFile(
      "1 = \"one\"\n"
      "; comment\n"
      "\n"
      "2 = \"two\"\n"
      "Hello = \"word as id\"\n"      // line 5
      "-7 = \"negative\"\n"           // line 6
      "4294967296 = \"too large\"\n"  // line 7
      "12a = \"letters\"\n"           // line 8
      "   \n"                         // line 9: blanks only
      "= \"no id\"\n"                 // line 10
      "3 = \"three\"\n"));
  EXPECT_EQ(FLog.Problems().size(), 6u);
  for (int line : {5, 6, 7, 8, 9, 10}) {
    EXPECT_TRUE(FLog.Contains(3, "[LocKit] Error in string " + std::to_string(line))) << line;
  }
  EXPECT_EQ(kit.GetTexts().size(), 3u);
  EXPECT_EQ(kit.GetText(3, ""), "three");
}

TEST_F(LocalizationKitTest, MissingFileLogsItsPathAndEveryLookupGivesItsDefault) {
  const std::string path = PathIn(FDir, "Lang/klingon.txt");
  CLocalizationKit kit(path);
  EXPECT_FALSE(kit.IsFileRead());
  EXPECT_TRUE(FLog.Contains(3, "[LocKit] Can't open file: " + path));
  EXPECT_EQ(kit.GetText(1, "OK"), "OK");

  LogCapture log;
  CLocalizationKit folder(FDir.path().toStdString());
  EXPECT_FALSE(folder.IsFileRead());
  EXPECT_TRUE(log.Contains(3, "[LocKit] Can't open file: " + FDir.path().toStdString()));
}

TEST_F(LocalizationKitTest, EmptyFileOpensWithoutTexts) {
  CLocalizationKit kit(LangFile(""));
  EXPECT_TRUE(kit.IsFileRead());
  EXPECT_TRUE(kit.GetTexts().empty());
  EXPECT_TRUE(FLog.Problems().empty());
}

TEST_F(LocalizationKitTest, OverlongLineIsSkippedAndTheRestStillLoads) {
  const std::string longest = "1 = \"" + std::string(1023 - 6, 'a') + "\"";
  ASSERT_EQ(longest.size(), Localization::kMaxLineLength);
  CLocalizationKit kit(LangFile(longest + "\n" +                             // line 1
                                "2 = \"" + std::string(2000, 'b') + "\"\n" +  // line 2
                                "3 = \"" + std::string(1018, 'c') + "\"\n" +  // line 3: 1024
                                "4 = \"after\"\n"));
  EXPECT_EQ(kit.GetText(1, ""), std::string(1017, 'a'));
  EXPECT_EQ(kit.GetText(2, "none"), "none");
  EXPECT_EQ(kit.GetText(3, "none"), "none");
  EXPECT_EQ(kit.GetText(4, ""), "after");
  EXPECT_EQ(FLog.Problems().size(), 2u);
  EXPECT_TRUE(FLog.Contains(3, "[LocKit] Error in string 2"));
  EXPECT_TRUE(FLog.Contains(3, "[LocKit] Error in string 3"));
}

TEST_F(LocalizationKitTest, LineLimitCountsCharactersNotBytes) {
  std::string cyrillic;
  for (int i = 0; i < 1000; ++i) cyrillic += "ж";  // 2000 bytes, 1000 characters
  CLocalizationKit kit(LangFile("7 = \"" + cyrillic + "\"\n"));
  EXPECT_TRUE(FLog.Problems().empty());
  EXPECT_EQ(kit.GetText(7, ""), cyrillic);
}

TEST_F(LocalizationKitTest, Windows1251FileIsReadAsCyrillic) {
  CLocalizationKit kit(LangFile("1 = \"\xCE\xCA\"\n2 = \"\xCE\xF2\xEC\xE5\xED\xE0\"\n"));
  EXPECT_EQ(kit.GetText(1, ""), "ОК");
  EXPECT_EQ(kit.GetText(2, ""), "Отмена");
}

TEST_F(LocalizationKitTest, ByteOrderMarkIsIgnored) {
  CLocalizationKit kit(LangFile("\xEF\xBB\xBF" "1 = \"OK\"\n"));
  EXPECT_TRUE(FLog.Problems().empty());
  EXPECT_EQ(kit.GetText(1, ""), "OK");
}

TEST_F(LocalizationKitTest, MissingTextsKeepTheLastDefaultAndDumpInLanguageFileSyntax) {
  CLocalizationKit kit(LangFile("1 = \"OK\"\n"));
  EXPECT_EQ(kit.GetText(2000, "Transaction"), "Transaction");
  EXPECT_EQ(kit.GetText(2000, "Transfer"), "Transfer");
  EXPECT_EQ(kit.GetText(5, "Edit"), "Edit");
  EXPECT_EQ(kit.GetText(1, "ignored"), "OK");
  EXPECT_EQ(kit.GetMissingTexts().size(), 2u);
  EXPECT_EQ(kit.GetMissingTexts().at(2000), "Transfer");

  const std::string dump = PathIn(FDir, "missing.txt");
  kit.WriteMissingTexts(dump);
  EXPECT_EQ(ReadBytes(dump), "5 = \"Edit\"\r\n2000 = \"Transfer\"\r\n");

  // The dump is a language file.
  LogCapture log;
  CLocalizationKit reread(dump);
  EXPECT_TRUE(log.Problems().empty());
  EXPECT_EQ(reread.GetTexts(), kit.GetMissingTexts());
}

TEST_F(LocalizationKitTest, NothingMissingWritesNoDumpFile) {
  CLocalizationKit kit(LangFile("1 = \"OK\"\n"));
  kit.GetText(1, "OK");
  const std::string dump = PathIn(FDir, "missing.txt");
  kit.WriteMissingTexts(dump);
  EXPECT_FALSE(std::filesystem::exists(dump));
}

TEST_F(LocalizationKitTest, BannersMarkConstructionAndDestruction) {
  { CLocalizationKit kit(LangFile("")); }
  ASSERT_EQ(FLog.lines.size(), 2u);
  EXPECT_EQ(FLog.lines[0], std::make_pair(std::uint8_t{1}, std::string("LocalizationKit v1.0 initialized")));
  EXPECT_EQ(FLog.lines[1], std::make_pair(std::uint8_t{1}, std::string("LocalizationKit uninitialized")));
}

TEST_F(LocalizationKitTest, RandomBytesNeverCrashTheParser) {
  std::mt19937 random(20070506);
  std::string alphabet = "0123456789 =\";\r\n\t\xD0\xBF\xFF" "ab";
  alphabet += '\0';
  for (int round = 0; round < 300; ++round) {
    std::string bytes;
    const int length = static_cast<int>(random() % 3000);
    for (int i = 0; i < length; ++i) bytes += alphabet[random() % alphabet.size()];
    CLocalizationKit kit(LangFile(bytes));
    for (const auto& [id, text] : kit.GetTexts()) {
      EXPECT_EQ(text.find('"'), std::string::npos);
      EXPECT_EQ(text.find('\n'), std::string::npos);
      EXPECT_EQ(text.find('\0'), std::string::npos);
    }
  }
}

// The process-wide kit behind GetLocalizedText.
class GlobalLocalizationTest : public LocalizationKitTest {
 protected:
  void TearDown() override { FreeLocalization(""); }
};

TEST_F(GlobalLocalizationTest, WithoutAKitLookupsGiveTheirDefaultsSilently) {
  FreeLocalization("");
  EXPECT_EQ(GetLocalizationKit(), nullptr);
  EXPECT_EQ(GetLocalizedText(1, "OK"), "OK");
  FreeLocalization(PathIn(FDir, "dump.txt"));  // nothing to free, nothing written
  EXPECT_FALSE(std::filesystem::exists(PathIn(FDir, "dump.txt")));
  EXPECT_TRUE(FLog.lines.empty());
}

TEST_F(GlobalLocalizationTest, InitReplacesTheKitWithoutWritingItsMissingTexts) {
  InitLocalization(LangFile("1 = \"Fine\"\n", "a.txt"));
  EXPECT_EQ(GetLocalizedText(1, "OK"), "Fine");
  EXPECT_EQ(GetLocalizedText(2, "Cancel"), "Cancel");
  InitLocalization(LangFile("1 = \"Gut\"\n", "b.txt"));
  EXPECT_EQ(GetLocalizedText(1, "OK"), "Gut");
  ASSERT_NE(GetLocalizationKit(), nullptr);
  EXPECT_TRUE(GetLocalizationKit()->GetMissingTexts().empty());
  EXPECT_EQ(FLog.lines.size(), 3u);  // initialized, uninitialized, initialized
  EXPECT_EQ(FLog.lines[1].second, "LocalizationKit uninitialized");
}

TEST_F(GlobalLocalizationTest, FreeWithADumpPathWritesTheMissingTexts) {
  InitLocalization(LangFile("", "a.txt"));
  GetLocalizedText(3, "New");
  const std::string dump = PathIn(FDir, "dump.txt");
  FreeLocalization(dump);
  EXPECT_EQ(GetLocalizationKit(), nullptr);
  EXPECT_EQ(ReadBytes(dump), "3 = \"New\"\r\n");
  EXPECT_EQ(GetLocalizedText(3, "Neu"), "Neu");
}

}  // namespace

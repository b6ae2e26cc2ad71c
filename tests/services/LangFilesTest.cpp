#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "Localizationkit.h"
#include "ServicesTestUtil.h"

using Localization::CLocalizationKit;

namespace {

const std::string kLangDir = PARDOW_LANG_DIR;

void AddRange(std::vector<std::uint32_t>& ids, std::uint32_t first, std::uint32_t last) {
  for (std::uint32_t id = first; id <= last; ++id) ids.push_back(id);
}

// Every id the windows look up.
std::vector<std::uint32_t> WindowIds() {
  std::vector<std::uint32_t> ids;
  AddRange(ids, 1, 15);
  ids.push_back(17);
  ids.push_back(20);
  AddRange(ids, 100, 111);     // month names
  AddRange(ids, 200, 206);     // weekday names
  AddRange(ids, 1003, 1085);   // main window, spare numbers included
  AddRange(ids, 2000, 2025);   // transaction editor
  AddRange(ids, 2030, 2048);
  AddRange(ids, 3000, 3003);   // currencies
  AddRange(ids, 4000, 4001);   // currency editor
  AddRange(ids, 5000, 5002);   // accounts
  AddRange(ids, 6000, 6006);   // account editor
  AddRange(ids, 7000, 7009);   // categories
  AddRange(ids, 8000, 8001);   // subtype editor
  ids.push_back(10000);        // about box
  AddRange(ids, 10002, 10003);
  AddRange(ids, 12000, 12004);  // application settings
  AddRange(ids, 13001, 13003);  // custom interval picker
  AddRange(ids, 14000, 14005);  // database manager
  AddRange(ids, 15000, 15001);  // password prompt
  AddRange(ids, 16000, 16006);  // database settings
  AddRange(ids, 17000, 17008);  // schedule editor
  ids.push_back(20000);         // subtype picker
  AddRange(ids, 21000, 21001);  // reports
  AddRange(ids, 22000, 22002);  // exchange rate
  return ids;
}

class LangFilesTest : public testing::TestWithParam<const char*> {};

TEST_P(LangFilesTest, LoadsWithoutASingleLogLine) {
  LogCapture log;
  { CLocalizationKit kit(kLangDir + "/" + GetParam()); }
  ASSERT_EQ(log.lines.size(), 2u);  // the two banners
  EXPECT_TRUE(log.Problems().empty());
}

TEST_P(LangFilesTest, DefinesEveryWindowText) {
  LogCapture log;
  CLocalizationKit kit(kLangDir + "/" + GetParam());
  for (std::uint32_t id : WindowIds()) {
    EXPECT_TRUE(kit.GetTexts().count(id)) << GetParam() << " lacks " << id;
  }
  EXPECT_EQ(kit.GetTexts().size(), WindowIds().size());
}

INSTANTIATE_TEST_SUITE_P(Shipped, LangFilesTest, testing::Values("english.txt", "german.txt"));

TEST(LangFilesContentTest, EnglishHoldsTheDefaultsAndGermanItsTranslation) {
  LogCapture log;
  CLocalizationKit english(kLangDir + "/english.txt");
  CLocalizationKit german(kLangDir + "/german.txt");
  EXPECT_EQ(english.GetText(1, ""), "OK");
  EXPECT_EQ(english.GetText(2000, ""), "Transaction");
  EXPECT_EQ(english.GetText(1019, ""), "Show\\Hide Sections");
  EXPECT_EQ(english.GetText(1061, ""), "Check for New Version? (Internet connection required)");
  EXPECT_EQ(english.GetText(1048, ""), "Pardow report. Time interval:");
  EXPECT_EQ(english.GetText(100, ""), "January");
  EXPECT_EQ(german.GetText(6, ""), "Löschen");
  EXPECT_EQ(german.GetText(102, ""), "März");
  for (std::uint32_t id : WindowIds()) {
    // A text left empty in English (hints, spare numbers) stays empty in German.
    EXPECT_EQ(english.GetText(id, "").empty(), german.GetText(id, "").empty()) << id;
  }
}

}  // namespace

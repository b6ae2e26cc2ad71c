#include <gtest/gtest.h>

#include <cctype>
#include <set>

#include "Localizationkit.h"
#include "ServicesTestUtil.h"

using Localization::CLocalizationKit;

namespace {

const std::string kLangDir = PARDOW_LANG_DIR;

// Every id the windows look up, as inclusive ranges.
std::vector<std::uint32_t> WindowIds() {
  const std::pair<std::uint32_t, std::uint32_t> ranges[] = {
      {1, 15},        {17, 17},       {20, 20},       {90, 90},       {100, 111},
      {200, 206},     {1003, 1085},   {2000, 2025},   {2030, 2049},   {3000, 3003},
      {4000, 4001},   {5000, 5002},   {6000, 6006},   {7000, 7009},   {8000, 8001},
      {10000, 10000}, {10002, 10003}, {12000, 12004}, {13001, 13003}, {14000, 14005},
      {15000, 15001}, {16000, 16006}, {17000, 17008}, {20000, 20000}, {21000, 21041},
      {22000, 22002}, {24000, 24013}, {24100, 24102}, {24110, 24111}, {24120, 24121},
      {24140, 24147}, {24200, 24203}, {30200, 30205}, {30210, 30218}};
  std::vector<std::uint32_t> ids;
  for (auto [first, last] : ranges) {
    for (std::uint32_t id = first; id <= last; ++id) ids.push_back(id);
  }
  return ids;
}

class LangFilesTest : public testing::TestWithParam<const char*> {};

// Every language defines every window text, and exactly the ids English
// defines: an id added for a new text is added to every language file.
TEST_P(LangFilesTest, LoadsWithoutALogLineAndDefinesEveryWindowText) {
  LogCapture log;
  CLocalizationKit kit(kLangDir + "/" + GetParam());
  EXPECT_EQ(log.lines.size(), 1u);  // the banner only
  for (std::uint32_t id : WindowIds()) EXPECT_TRUE(kit.GetTexts().count(id)) << id;
  CLocalizationKit english(kLangDir + "/english.txt");
  for (const auto& [id, text] : english.GetTexts()) EXPECT_TRUE(kit.GetTexts().count(id)) << id;
  EXPECT_EQ(kit.GetTexts().size(), english.GetTexts().size());
}

// The menus open from the keyboard: every menu title and item carries an
// access key ('&' before a letter), none taken twice where they compete.
TEST_P(LangFilesTest, MenuTextsCarryDistinctAccessKeys) {
  CLocalizationKit kit(kLangDir + "/" + GetParam());
  const std::vector<std::vector<std::uint32_t>> groups = {
      {1030, 1033, 30210, 1063, 12, 4, 10, 5, 6},  // the menu bar and the buttons beside the tree
      {1050, 1031, 1032, 7},                       // File
      {4, 10, 5, 6, 30218, 24200},                 // Transaction
      {30211, 30212, 30213, 30214, 30215},         // Lists
      {1057, 1062, 1064, 30216, 30217},            // Tools
      {1053, 1034, 1056, 1036}};                   // Help
  for (const auto& group : groups) {
    std::set<std::string> keys;
    for (std::uint32_t id : group) {
      const std::string text = kit.GetText(id, "");
      const size_t amp = text.find('&');
      ASSERT_TRUE(amp != std::string::npos && amp + 1 < text.size()) << id << " " << text;
      std::string key =
          text.substr(amp + 1, (static_cast<unsigned char>(text[amp + 1]) < 0x80) ? 1 : 2);
      if (key.size() == 1) key[0] = static_cast<char>(std::tolower(key[0]));
      EXPECT_TRUE(keys.insert(key).second) << id << " " << text;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Shipped, LangFilesTest, testing::Values("english.txt", "german.txt"));

TEST(LangFilesContentTest, EnglishHoldsTheDefaultsAndGermanTranslatesThem) {
  CLocalizationKit english(kLangDir + "/english.txt");
  CLocalizationKit german(kLangDir + "/german.txt");
  EXPECT_EQ(english.GetText(2000, ""), "Transaction");
  EXPECT_EQ(english.GetText(1019, ""), "Show\\Hide Sections");
  EXPECT_EQ(english.GetText(1061, ""), "Check for New Version? (Internet connection required)");
  EXPECT_EQ(german.GetText(6, ""), "&Löschen");
  for (std::uint32_t id : WindowIds()) {
    // Texts left empty in English (hints, spare numbers) stay empty in German.
    EXPECT_EQ(english.GetText(id, "").empty(), german.GetText(id, "").empty()) << id;
  }
}

}  // namespace

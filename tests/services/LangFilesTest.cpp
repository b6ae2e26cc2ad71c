#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

#include "Localizationkit.h"
#include "ServicesTestUtil.h"
#include "TempFolder.h"
#include "Textcodec.h"

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
      {24140, 24147}, {24200, 24203}, {30200, 30205}, {30210, 30218}, {30400, 30411}};
  std::vector<std::uint32_t> ids;
  for (auto [first, last] : ranges) {
    for (std::uint32_t id = first; id <= last; ++id) ids.push_back(id);
  }
  return ids;
}

// `utf8` in the Windows Cyrillic code page, by the inverse of the codec's
// table; false when a character has no byte there.
bool Utf8ToWindows1251(const std::string& utf8, std::string& out) {
  std::map<std::string, char> byteOf;
  for (int b = 0x80; b <= 0xFF; ++b) {
    const std::string one(1, static_cast<char>(b));
    byteOf[Cp1251ToUtf8(one)] = one[0];
  }
  out.clear();
  for (size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    const std::string character = utf8.substr(i, length);
    i += length;
    if (length == 1) {
      out += character;
    } else if (auto it = byteOf.find(character); it != byteOf.end()) {
      out += it->second;
    } else {
      return false;
    }
  }
  return true;
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
      {4, 10, 5, 6, 30218, 24200, 30600},          // Transaction
      {30211, 30212, 30213, 30214, 30215},         // Lists
      {1057, 1062, 1064, 30701, 30216, 30217},     // Tools
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

// Every language names itself for the language list, names a locale for its
// dates, and credits its translator; counted texts give the forms its
// plural rule asks for.
TEST_P(LangFilesTest, NamesItselfItsLocaleAndItsTranslator) {
  CLocalizationKit kit(kLangDir + "/" + GetParam());
  EXPECT_NE(kit.GetText(30400, ""), "");
  EXPECT_NE(kit.GetText(30409, ""), "");
  EXPECT_NE(kit.GetText(10003, "Name"), "Name");
  EXPECT_EQ(Localization::ReadLanguageFileText(kLangDir + "/" + GetParam(), 30400),
            kit.GetText(30400, ""));
  const std::string rule = kit.GetText(Localization::kPluralRuleId, "");
  const size_t forms = rule == "one-few-many" ? 3 : 2;
  for (std::uint32_t id : {24101u, 24111u, 30621u}) {
    const std::string text = kit.GetText(id, "");
    EXPECT_EQ(static_cast<size_t>(std::count(text.begin(), text.end(), '|')) + 1, forms) << id;
  }
}

INSTANTIATE_TEST_SUITE_P(Shipped, LangFilesTest,
                         testing::Values("english.txt", "german.txt", "french.txt", "spanish.txt",
                                         "russian.txt"));

// A Russian file saved in the Windows Cyrillic code page reads as the same
// texts as the shipped UTF-8 one.
TEST(LangFilesContentTest, RussianSavedAsWindows1251ReadsTheSame) {
  CTempFolder temp;
  std::ifstream in(kLangDir + "/russian.txt", std::ios::binary);
  const std::string utf8((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string cp1251;
  ASSERT_TRUE(Utf8ToWindows1251(utf8, cp1251));
  EXPECT_NE(cp1251, utf8);
  std::ofstream(temp.Path("russian.txt"), std::ios::binary) << cp1251;
  CLocalizationKit shipped(kLangDir + "/russian.txt");
  CLocalizationKit saved(temp.Path("russian.txt"));
  EXPECT_EQ(saved.GetTexts(), shipped.GetTexts());
  EXPECT_EQ(saved.GetText(30400, ""), "Русский");
}

TEST(LangFilesContentTest, EnglishHoldsTheDefaultsAndGermanTranslatesThem) {
  CLocalizationKit english(kLangDir + "/english.txt");
  CLocalizationKit german(kLangDir + "/german.txt");
  EXPECT_EQ(english.GetText(2000, ""), "Transaction");
  EXPECT_EQ(english.GetText(1019, ""), "Show\\Hide Sections");
  EXPECT_EQ(english.GetText(1061, ""), "Check for New Version? (Internet connection required)");
  EXPECT_EQ(german.GetText(6, ""), "&Löschen");
  EXPECT_EQ(english.GetText(203, ""), "Thursday");
  for (std::uint32_t id : WindowIds()) {
    // Texts left empty in English (hints, spare numbers) stay empty in German.
    EXPECT_EQ(english.GetText(id, "").empty(), german.GetText(id, "").empty()) << id;
  }
}

}  // namespace

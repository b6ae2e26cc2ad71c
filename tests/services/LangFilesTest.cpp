#include <gtest/gtest.h>

#include "Localizationkit.h"
#include "ServicesTestUtil.h"

using Localization::CLocalizationKit;

namespace {

const std::string kLangDir = PARDOW_LANG_DIR;

// Every id the windows look up, as inclusive ranges.
std::vector<std::uint32_t> WindowIds() {
  const std::pair<std::uint32_t, std::uint32_t> ranges[] = {
      {1, 15},        {17, 17},       {20, 20},       {100, 111},     {200, 206},
      {1003, 1085},   {2000, 2025},   {2030, 2049},   {3000, 3003},   {4000, 4001},
      {5000, 5002},   {6000, 6006},   {7000, 7009},   {8000, 8001},   {10000, 10000},
      {10002, 10003}, {12000, 12004}, {13001, 13003}, {14000, 14005}, {15000, 15001},
      {16000, 16006}, {17000, 17008}, {20000, 20000}, {21000, 21001}, {22000, 22002},
      {24000, 24013}};
  std::vector<std::uint32_t> ids;
  for (auto [first, last] : ranges) {
    for (std::uint32_t id = first; id <= last; ++id) ids.push_back(id);
  }
  return ids;
}

class LangFilesTest : public testing::TestWithParam<const char*> {};

TEST_P(LangFilesTest, LoadsWithoutALogLineAndDefinesEveryWindowText) {
  LogCapture log;
  CLocalizationKit kit(kLangDir + "/" + GetParam());
  EXPECT_EQ(log.lines.size(), 1u);  // the banner only
  for (std::uint32_t id : WindowIds()) EXPECT_TRUE(kit.GetTexts().count(id)) << id;
  EXPECT_EQ(kit.GetTexts().size(), WindowIds().size());
}

INSTANTIATE_TEST_SUITE_P(Shipped, LangFilesTest, testing::Values("english.txt", "german.txt"));

TEST(LangFilesContentTest, EnglishHoldsTheDefaultsAndGermanTranslatesThem) {
  CLocalizationKit english(kLangDir + "/english.txt");
  CLocalizationKit german(kLangDir + "/german.txt");
  EXPECT_EQ(english.GetText(2000, ""), "Transaction");
  EXPECT_EQ(english.GetText(1019, ""), "Show\\Hide Sections");
  EXPECT_EQ(english.GetText(1061, ""), "Check for New Version? (Internet connection required)");
  EXPECT_EQ(german.GetText(6, ""), "Löschen");
  for (std::uint32_t id : WindowIds()) {
    // Texts left empty in English (hints, spare numbers) stay empty in German.
    EXPECT_EQ(english.GetText(id, "").empty(), german.GetText(id, "").empty()) << id;
  }
}

}  // namespace

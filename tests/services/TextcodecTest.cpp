#include <gtest/gtest.h>

#include <QString>

#include <set>
#include <string>

#include "Textcodec.h"

namespace {

// "Привет, мир" as Windows-1251 bytes.
const std::string kCp1251Hello = "\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0";

TEST(TextcodecTest, ValidUtf8IsReadAsUtf8) {
  const std::string utf8 = "Привет, Grüße €";
  EXPECT_EQ(StoredToUtf8(utf8), utf8);
  EXPECT_EQ(StoredToQString(utf8), QString::fromUtf8("Привет, Grüße €"));
  EXPECT_EQ(StoredToUtf8("plain ascii"), "plain ascii");
}

TEST(TextcodecTest, OtherBytesAreReadAsWindows1251) {
  EXPECT_EQ(StoredToUtf8(kCp1251Hello), "Привет, мир");
  EXPECT_EQ(StoredToQString(kCp1251Hello), QString::fromUtf8("Привет, мир"));
  // The letters outside А..я and the typographic signs of the code page.
  EXPECT_EQ(StoredToUtf8("\xA8\xB8\xB9\x88\x96\x97\xAB\xBB\xA5\xB4\xAA\xBA\xAF\xBF\xB2\xB3"),
            "Ёё№€–—«»ҐґЄєЇїІі");
}

TEST(TextcodecTest, EveryHighByteOfTheCodePageIsItsOwnCharacter) {
  std::set<QString> seen;
  for (int b = 0x80; b <= 0xFF; ++b) {
    const QString text = StoredToQString(std::string(1, static_cast<char>(b)));
    ASSERT_EQ(text.size(), 1) << b;
    seen.insert(text);
  }
  EXPECT_EQ(seen.size(), 128u);
  for (int b = 0xC0; b <= 0xFF; ++b) {
    EXPECT_EQ(StoredToQString(std::string(1, static_cast<char>(b))).at(0).unicode(),
              0x0410 + (b - 0xC0));
  }
  // The byte the code page leaves undefined is kept, not dropped.
  EXPECT_EQ(StoredToQString("\x98").at(0).unicode(), 0x0098);
  EXPECT_EQ(StoredToQString("\xA0").at(0).unicode(), 0x00A0);
}

TEST(TextcodecTest, MalformedUtf8IsNotTakenForUtf8) {
  EXPECT_TRUE(IsValidUtf8(""));
  EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x98\x80"));           // U+1F600
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));                  // overlong '/'
  EXPECT_FALSE(IsValidUtf8("\xE0\x80\xAF"));              // overlong, three bytes
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));              // surrogate
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));          // above U+10FFFF
  EXPECT_FALSE(IsValidUtf8("abc\xD0"));                   // cut off at the end
  EXPECT_FALSE(IsValidUtf8("\x80"));                      // stray continuation
  EXPECT_FALSE(IsValidUtf8("\xD0\xBF\xD1"));              // cut off after a valid letter
  // One byte of a Windows-1251 text that happens to be a valid UTF-8 lead
  // followed by a non-continuation: the whole text is Windows-1251.
  EXPECT_EQ(StoredToUtf8("\xD0\xEE\xEC"), "Ром");
}

TEST(TextcodecTest, TypedTextsAreStoredAsUtf8) {
  const QString typed = QString::fromUtf8("Ёлка € 1 000");
  const std::string stored = QStringToStored(typed);
  EXPECT_EQ(stored, "Ёлка € 1 000");
  EXPECT_EQ(StoredToQString(stored), typed);
}

}  // namespace

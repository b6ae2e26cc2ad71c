#include <gtest/gtest.h>

#include "Textcodec.h"

namespace {

TEST(TextcodecTest, Utf8IsReadAsUtf8AndEverythingElseAsWindows1251) {
  EXPECT_EQ(StoredToUtf8("Привет, Grüße €"), "Привет, Grüße €");
  EXPECT_EQ(StoredToUtf8("\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0"), "Привет, мир");
  EXPECT_EQ(StoredToUtf8("\xA8\xB8\xB9\x88\x96\x97\xAB\xBB\xA5\xB4\xAA\xBA\xAF\xBF\xB2\xB3"),
            "Ёё№€–—«»ҐґЄєЇїІі");
  // A valid UTF-8 lead byte followed by a non-continuation: the text is Windows-1251.
  EXPECT_EQ(StoredToUtf8("\xD0\xEE\xEC"), "Ром");
}

TEST(TextcodecTest, MalformedUtf8IsNotTakenForUtf8) {
  EXPECT_TRUE(IsValidUtf8(""));
  EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x98\x80"));  // U+1F600
  for (const char* bad : {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "abc\xD0",
                          "\x80", "\xD0\xBF\xD1"}) {
    EXPECT_FALSE(IsValidUtf8(bad)) << bad;  // overlong, surrogate, too large, cut off, stray
  }
}

}  // namespace

#include <gtest/gtest.h>

#include <set>

#include "Qtexts.h"

namespace {

TEST(QtextsTest, TypedTextsAreStoredAsUtf8AndStoredBytesShownByTheCodecRule) {
  const QString typed = QString::fromUtf8("Ёлка € 1 000");
  EXPECT_EQ(QStringToStored(typed), "Ёлка € 1 000");
  EXPECT_EQ(StoredToQString("\xC5\xEB\xEA\xE0"), QString::fromUtf8("Елка"));
  EXPECT_EQ(Q("Grüße"), QString::fromUtf8("Grüße"));
}

TEST(QtextsTest, EveryHighByteIsItsOwnCharacter) {
  std::set<char16_t> seen;
  for (int b = 0x80; b <= 0xFF; ++b) {
    const QString text = StoredToQString(std::string(1, static_cast<char>(b)));
    ASSERT_EQ(text.size(), 1) << b;
    seen.insert(text.at(0).unicode());
    if (b >= 0xC0) {
      EXPECT_EQ(text.at(0).unicode(), 0x0410 + (b - 0xC0));
    }
  }
  EXPECT_EQ(seen.size(), 128u);
  EXPECT_TRUE(seen.count(0x0098));  // the byte the code page leaves undefined is kept
}

}  // namespace

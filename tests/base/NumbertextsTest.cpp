#include <gtest/gtest.h>

#include "Numbertexts.h"

namespace {

// The separators come from the format value alone, multi-byte ones included.
TEST(NumbertextsTest, TextsFollowTheGivenFormat) {
  const NumberFormat russian{",", ",", "\xC2\xA0", true};
  const NumberFormat plain{".", ",", " ", false};
  EXPECT_EQ(MoneyToStr(12345678900, russian),
            "1\xC2\xA0"
            "234\xC2\xA0"
            "567,89");
  EXPECT_EQ(MoneyToStr(12345678900, plain), "1234567.89");
  EXPECT_EQ(RateToStr(12345, russian), "1,2345");
  EXPECT_EQ(QuantityToStr(25000, russian), "2,5");
  std::uint8_t error = 77;
  EXPECT_EQ(StrToMoney("1\xC2\xA0"
                       "234,5",
                       error, 2, russian),
            12345000);
  EXPECT_EQ(error, kMoneyTextOk);
  EXPECT_EQ(StrToMoney("1,234.5", error, 2, NumberFormat{}), 12345000);
  EXPECT_EQ(error, kMoneyTextOk);
  EXPECT_EQ(StrToMoney("12,5", error, 2, plain), 125000);  // the other decimal mark
}

}  // namespace

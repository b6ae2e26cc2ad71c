// The two overflow rules of a product of amounts, and wrapping sums.
#include <gtest/gtest.h>

#include "Money.h"

TEST(MoneyArithmetic, ProductsBeyondTheRangeClampOrCountAsZero) {
  constexpr Money kMax = INT64_MAX, kMin = INT64_MIN;
  struct Case {
    Money a, b, c, clamped, orZero;
  } cases[] = {
      {M(40), kMoneyOne, M(3), 133333, 133333},  // truncated toward zero
      {M(-40), kMoneyOne, M(3), -133333, -133333},
      {5, 5, 0, 0, 0},  // no divisor
      {M(99999999999), M(99999999999), kMoneyOne, kMax, 0},
      {M(-99999999999), M(99999999999), kMoneyOne, kMin, 0},
      {kMax, kMoneyOne, kMoneyOne, kMax, kMax},  // wide in the middle, fits at the end
      {kMin, -1, 1, kMax, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MulDivClamped(c.a, c.b, c.c), c.clamped) << c.a << " x " << c.b << " / " << c.c;
    EXPECT_EQ(MulDivOrZero(c.a, c.b, c.c), c.orZero) << c.a << " x " << c.b << " / " << c.c;
  }
  EXPECT_EQ(WrapAdd(INT64_MAX, 1), INT64_MIN);
  EXPECT_EQ(WrapSub(INT64_MIN, 1), INT64_MAX);
}

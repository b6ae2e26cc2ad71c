// Money amounts in the tests, written in whole units.
#pragma once

#include <cmath>

#include "Moneytype.h"

// `units` as a money amount (fixed point, four decimals), rounded.
inline Money M(double units) {
  return std::llround(units * kMoneyOne);
}

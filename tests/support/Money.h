// Money amounts in the tests, written in whole units.
#pragma once

#include <cmath>

#include "Include.h"

// `units` as a money amount (fixed point, four decimals), rounded.
inline Money M(double units) {
  return std::llround(units * 10000);
}

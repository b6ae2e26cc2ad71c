// Money amounts: fixed point with four decimals. Quantities and exchange
// rates are handled as money amounts while they are formatted or parsed.
#pragma once

#include <cstdint>

using Money = std::int64_t;

// The amount that stands for 1.0.
inline constexpr Money kMoneyOne = 10000;

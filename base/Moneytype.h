// Money amounts: fixed point with four decimals. Quantities and exchange
// rates are handled as money amounts while they are formatted or parsed.
#pragma once

#include <cstdint>

using Money = std::int64_t;

// The amount that stands for 1.0.
inline constexpr Money kMoneyOne = 10000;

// A signed 128-bit integer for products of two amounts that must not
// overflow before they are divided or clamped. The compiler extension is
// named here once; `__extension__` keeps pedantic builds quiet about it.
__extension__ typedef __int128 WideMoney;

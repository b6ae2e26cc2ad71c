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

// Sums of amounts wrap around instead of overflowing: a damaged file must
// never make the arithmetic undefined.
constexpr Money WrapAdd(Money a, Money b) {
  return static_cast<Money>(static_cast<std::uint64_t>(a) + static_cast<std::uint64_t>(b));
}
constexpr Money WrapSub(Money a, Money b) {
  return static_cast<Money>(static_cast<std::uint64_t>(a) - static_cast<std::uint64_t>(b));
}

constexpr bool FitsMoney(WideMoney value) {
  return value >= static_cast<WideMoney>(INT64_MIN) && value <= static_cast<WideMoney>(INT64_MAX);
}

// The nearest amount to `value`: the end of the range when it does not fit.
constexpr Money ClampMoney(WideMoney value) {
  if (value > static_cast<WideMoney>(INT64_MAX)) return INT64_MAX;
  if (value < static_cast<WideMoney>(INT64_MIN)) return INT64_MIN;
  return static_cast<Money>(value);
}

// a x b / c in 128 bits, truncated toward zero; 0 when c is 0. Amounts of
// eleven digits times a price leave the range of Money before the division.
constexpr WideMoney WideMulDiv(Money a, Money b, Money c) {
  return c == 0 ? 0 : static_cast<WideMoney>(a) * b / c;
}

// Two rules for a product that leaves the range of Money: a box the user
// types into shows the nearest end of the range (and the typing is refused
// before it gets there); a converted figure that cannot be an amount counts
// as 0 rather than as a wrong large number.
constexpr Money MulDivClamped(Money a, Money b, Money c) {
  return ClampMoney(WideMulDiv(a, b, c));
}
constexpr Money MulDivOrZero(Money a, Money b, Money c) {
  const WideMoney value = WideMulDiv(a, b, c);
  return FitsMoney(value) ? static_cast<Money>(value) : 0;
}

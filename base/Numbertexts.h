// Money amounts and numbers as the user reads and types them. The regional
// separators come in as a NumberFormat value; nothing here reads settings.
// Texts in and out are UTF-8.
#pragma once

#include <cstdint>
#include <string>

#include "Moneytype.h"

// The separators of a regional number format, as UTF-8 (a separator may be a
// non-ASCII character such as a no-break space).
// The default is the English format: "1,234.56".
struct NumberFormat {
  std::string decimalSeparator = ".";
  // The other mark a user may type for it; the decimal mark itself when the
  // other mark groups digits.
  std::string altDecimalSeparator = ".";
  std::string groupSeparator = ",";  // a blank when the format does not group
  bool digitGrouping = true;         // false: numbers are written without groups
};

// A file format version as people read it: 230 -> "2.30", 205 -> "2.05".
std::string FormatVersion(int version);

// What StrToMoney reports in `errorOut`.
constexpr std::uint8_t kMoneyTextOk = 0;
constexpr std::uint8_t kMoneyTextEmpty = 254;
constexpr std::uint8_t kMoneyTextInvalid = 255;

// Reads a typed amount with `decimals` fraction digits (2 for amounts and
// prices, 3 or 4 for quantities and rates). Digits are collected; blanks and
// the format's group separator are skipped; the decimal separator or the
// alternative one starts the fraction, of which the first `decimals`
// characters are read and the rest ignored (extra digits are cut off, not
// rounded). Any other character, a minus sign included, sets errorOut to
// kMoneyTextInvalid and is skipped, so the result is never negative. An empty
// text gives 0 with kMoneyTextEmpty. An amount beyond the range of Money
// gives 0 with kMoneyTextInvalid. Never fails otherwise.
Money StrToMoney(const std::string& text, std::uint8_t& errorOut, int decimals,
                 const NumberFormat& format);
// n as a money amount (n * kMoneyOne).
Money IntToMoney(std::int32_t n);
// x * kMoneyOne rounded to the nearest integer, halves to even. Not-a-number
// gives 0; values beyond the range of Money are clamped to it.
Money FloatToMoney(double x);

// Amounts, prices and balances: sign, digit groups, the decimal separator and
// exactly two decimals, rounded half away from zero ("1,234.57", "0.00").
std::string MoneyToStr(Money amount, const NumberFormat& format);
// Quantities and computed rates: the shortest form with at most four
// decimals, no digit groups ("1", "2.5", "1.2345").
std::string QuantityToStr(Money amount, const NumberFormat& format);
// Exchange rates: as MoneyToStr with exactly four decimals ("1.0000").
std::string RateToStr(Money amount, const NumberFormat& format);

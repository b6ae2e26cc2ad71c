// Money amounts and numbers as the user reads and types them. The regional
// separators come in as a NumberFormat value; nothing here reads settings.
// Texts in and out are UTF-8.
#pragma once

#include <cstdint>
#include <optional>
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
// How a text typed into an amount box reads. Unlike StrToMoney, which
// skips group separators wherever they stand, a typed text is read only when
// each digit group it marks has three digits, so that no text shows one
// number and stores another ("5,7" in a format that groups with "," is not
// 57).
enum class TTypedAmountState : std::uint8_t {
  kEmpty,       // nothing but blanks
  kComplete,    // reads as `value`
  kUnfinished,  // grouped by threes but for the last group, of one or two digits, that ends
                // the text ("1,23" on the way to "1,234"): shown, but read as nothing yet
  kMisgrouped,  // a group separator or blank stands between digits that are not groups of three
  kInvalid,     // any other character, a minus sign, a second decimal separator, more than
                // `decimals` fraction digits, or an amount beyond the range of Money
};
struct TTypedAmount {
  TTypedAmountState state = TTypedAmountState::kEmpty;
  Money value = 0;  // meaningful only for kComplete
};
// Reads `text`: blanks may lead or trail; digits may be grouped by threes
// with the group separator or a blank, and one group separator may end the
// text; the decimal separator or the alternative one is followed by at most
// `decimals` digits.
TTypedAmount ReadTypedAmount(const std::string& text, int decimals, const NumberFormat& format);
// `text` with the group separators and blanks before its decimal separator
// taken out ("1,23.5" -> "123.5").
std::string DropDigitGroups(const std::string& text, const NumberFormat& format);

// What an amount box keeps when typing or pasting turns its text `before`
// into `after`: `after` itself when it is empty, unfinished or reads as an
// amount (see ReadTypedAmount) of at most `maxDigits` digits, more only when it holds no
// more digits than `before` (so a long amount the program filled in can
// still be corrected); `after` without its digit groups when a deletion left
// them misplaced ("1,234" less its 4 shows "123"); nothing when the change is
// refused.
std::optional<std::string> TypedAmountText(const std::string& before, const std::string& after,
                                           int decimals, int maxDigits, const NumberFormat& format);

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

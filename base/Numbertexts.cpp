#include "Numbertexts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

std::string FormatVersion(int version) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%d.%02d", version / 100, std::abs(version % 100));
  return buf;
}

// --- Money texts -------------------------------------------------------------

namespace {

constexpr Money kMoneyMax = std::numeric_limits<Money>::max();
constexpr Money kMoneyMin = std::numeric_limits<Money>::min();

// Length in bytes of the UTF-8 character that starts at text[i]; a byte that
// does not start a well-formed character counts as one character by itself.
size_t CharLength(const std::string& text, size_t i) {
  const auto c = static_cast<unsigned char>(text[i]);
  size_t len = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
  if (i + len > text.size()) return 1;
  for (size_t k = 1; k < len; ++k) {
    if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 1;
  }
  return len;
}

bool IsDigit(const std::string& ch) {
  return ch.size() == 1 && ch[0] >= '0' && ch[0] <= '9';
}

// Digits as an integer; false when they do not fit.
bool DigitsToInt(const std::string& digits, Money& out) {
  Money value = 0;
  for (char c : digits) {
    const int d = c - '0';
    if (value > (kMoneyMax - d) / 10) return false;
    value = value * 10 + d;
  }
  out = value;
  return true;
}

// |amount| as text with `decimals` decimals, rounded half away from zero, the
// integer part grouped by threes when `grouped`.
std::string FormatFixed(Money amount, int decimals, bool grouped, const NumberFormat& format) {
  std::uint64_t magnitude =
      amount < 0 ? 0 - static_cast<std::uint64_t>(amount) : static_cast<std::uint64_t>(amount);
  std::uint64_t divisor = 1;
  for (int i = decimals; i < 4; ++i) divisor *= 10;
  std::uint64_t units = magnitude / divisor;
  if (divisor > 1 && magnitude % divisor >= divisor / 2) ++units;  // half away from zero
  std::uint64_t scale = 1;
  for (int i = 0; i < decimals; ++i) scale *= 10;
  const std::string integer = std::to_string(units / scale);
  std::string fraction = std::to_string(units % scale);
  fraction.insert(0, static_cast<size_t>(decimals) - fraction.size(), '0');

  std::string text = units != 0 && amount < 0 ? "-" : "";
  const bool group = grouped && format.digitGrouping;
  for (size_t i = 0; i < integer.size(); ++i) {
    if (group && i > 0 && (integer.size() - i) % 3 == 0) text += format.groupSeparator;
    text += integer[i];
  }
  if (decimals > 0) text += format.decimalSeparator + fraction;
  return text;
}

}  // namespace

Money StrToMoney(const std::string& text, std::uint8_t& errorOut, int decimals,
                 const NumberFormat& format) {
  if (text.empty()) {
    errorOut = kMoneyTextEmpty;
    return 0;
  }
  errorOut = kMoneyTextOk;
  const std::string& decimal = format.decimalSeparator;
  const std::string& altDecimal = format.altDecimalSeparator;
  const std::string& group = format.groupSeparator;

  // Digits beyond the fourth decimal hardly matter; the cap keeps the
  // fraction within 64 bits.
  decimals = std::min(decimals, 18);
  std::string integerDigits = "0";
  std::string fractionDigits(static_cast<size_t>(std::max(decimals, 1)), '0');
  double scale = 0.1;
  for (int i = 2; i <= decimals; ++i) scale *= 0.1;

  size_t i = 0;
  bool hasFraction = false;
  while (i < text.size()) {
    const std::string ch = text.substr(i, CharLength(text, i));
    i += ch.size();
    if (IsDigit(ch)) {
      integerDigits += ch;
    } else if (ch == decimal || ch == altDecimal) {
      hasFraction = true;
      break;
    } else if (ch != " " && ch != group) {
      errorOut = kMoneyTextInvalid;
    }
  }

  Money integer = 0;
  if (!DigitsToInt(integerDigits, integer) || integer > kMoneyMax / kMoneyOne) {
    errorOut = kMoneyTextInvalid;
    return 0;
  }
  Money result = integer * kMoneyOne;
  if (!hasFraction) return result;

  for (int k = 0; k < decimals && i < text.size(); ++k) {
    const std::string ch = text.substr(i, CharLength(text, i));
    i += ch.size();
    if (IsDigit(ch)) {
      fractionDigits[static_cast<size_t>(k)] = ch[0];
    } else {
      errorOut = kMoneyTextInvalid;
    }
  }
  Money fraction = 0;
  DigitsToInt(fractionDigits, fraction);  // at most 18 digits: always fits
  const Money fractionMoney = static_cast<Money>(std::nearbyint(fraction * scale * kMoneyOne));
  if (result > kMoneyMax - fractionMoney) {
    errorOut = kMoneyTextInvalid;
    return 0;
  }
  return result + fractionMoney;
}

TTypedAmount ReadTypedAmount(const std::string& text, int decimals, const NumberFormat& format) {
  using S = TTypedAmountState;
  size_t begin = text.find_first_not_of(' ');
  if (begin == std::string::npos) return {S::kEmpty, 0};
  const size_t end = text.find_last_not_of(' ') + 1;
  const std::string body = text.substr(begin, end - begin);

  std::string integerDigits;
  std::string fractionDigits;
  std::vector<size_t> groups;  // digits of each group of the integer part
  size_t group = 0;
  bool grouped = false;
  bool inFraction = false;
  for (size_t i = 0; i < body.size();) {
    const std::string ch = body.substr(i, CharLength(body, i));
    i += ch.size();
    if (IsDigit(ch)) {
      if (inFraction) {
        fractionDigits += ch;
      } else {
        integerDigits += ch;
        ++group;
      }
    } else if (inFraction) {
      return {S::kInvalid, 0};  // a second separator, a group mark or a letter in the fraction
    } else if (ch == format.decimalSeparator || ch == format.altDecimalSeparator) {
      inFraction = true;
    } else if (ch == " " || ch == format.groupSeparator) {
      groups.push_back(group);
      group = 0;
      grouped = true;
    } else {
      return {S::kInvalid, 0};
    }
  }
  groups.push_back(group);
  if (static_cast<int>(fractionDigits.size()) > std::max(decimals, 0)) return {S::kInvalid, 0};
  // A group separator typed last holds no digits yet: "5," reads as 5, and
  // the digit after it is refused unless three follow.
  if (!inFraction && groups.size() > 1 && groups.back() == 0) {
    groups.pop_back();
    grouped = groups.size() > 1;
  }

  bool wellGrouped = true;
  bool unfinished = false;
  if (grouped) {
    wellGrouped = groups[0] >= 1 && groups[0] <= 3;
    for (size_t k = 1; k + 1 < groups.size(); ++k) wellGrouped = wellGrouped && groups[k] == 3;
    unfinished = wellGrouped && !inFraction && groups.back() < 3;
    wellGrouped = wellGrouped && groups.back() == 3;
  }

  Money integer = 0;
  if (!DigitsToInt(integerDigits, integer) || integer > kMoneyMax / kMoneyOne)
    return {S::kInvalid, 0};
  Money fraction = 0;
  std::string scaled = fractionDigits.substr(0, 4);
  scaled.resize(4, '0');
  DigitsToInt(scaled, fraction);
  if (integer * kMoneyOne > kMoneyMax - fraction) return {S::kInvalid, 0};
  if (unfinished) return {S::kUnfinished, 0};
  if (!wellGrouped) return {S::kMisgrouped, 0};
  return {S::kComplete, integer * kMoneyOne + fraction};
}

std::string DropDigitGroups(const std::string& text, const NumberFormat& format) {
  std::string result;
  bool inFraction = false;
  for (size_t i = 0; i < text.size();) {
    const std::string ch = text.substr(i, CharLength(text, i));
    i += ch.size();
    if (ch == format.decimalSeparator || ch == format.altDecimalSeparator) inFraction = true;
    if (inFraction || (ch != " " && ch != format.groupSeparator)) result += ch;
  }
  return result;
}

std::optional<std::string> TypedAmountText(const std::string& before, const std::string& after,
                                           int decimals, int maxDigits,
                                           const NumberFormat& format) {
  auto digits = [](const std::string& text) {
    return static_cast<int>(
        std::count_if(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }));
  };
  std::string text = after;
  TTypedAmountState state = ReadTypedAmount(text, decimals, format).state;
  if (state != TTypedAmountState::kComplete && state != TTypedAmountState::kEmpty &&
      after.size() < before.size()) {
    text = DropDigitGroups(after, format);
    state = ReadTypedAmount(text, decimals, format).state;
  }
  if (state != TTypedAmountState::kComplete && state != TTypedAmountState::kEmpty &&
      state != TTypedAmountState::kUnfinished)
    return std::nullopt;
  if (digits(text) > maxDigits && digits(text) > digits(before)) return std::nullopt;
  return text;
}

Money IntToMoney(std::int32_t n) {
  return static_cast<Money>(n) * kMoneyOne;
}

Money FloatToMoney(double x) {
  if (std::isnan(x)) return 0;
  const double scaled = std::nearbyint(x * kMoneyOne);
  // 2^63 is exactly representable; anything at or above it does not fit.
  if (scaled >= 9223372036854775808.0) return kMoneyMax;
  if (scaled < -9223372036854775808.0) return kMoneyMin;
  return static_cast<Money>(scaled);
}

std::string MoneyToStr(Money amount, const NumberFormat& format) {
  return FormatFixed(amount, 2, true, format);
}

std::string RateToStr(Money amount, const NumberFormat& format) {
  return FormatFixed(amount, 4, true, format);
}

std::string QuantityToStr(Money amount, const NumberFormat& format) {
  std::string text = FormatFixed(amount, 4, false, format);
  const std::string& decimal = format.decimalSeparator;
  // Drop trailing zeros of the fraction, and the separator when nothing is left.
  while (!text.empty() && text.back() == '0') text.pop_back();
  if (text.size() >= decimal.size() &&
      text.compare(text.size() - decimal.size(), decimal.size(), decimal) == 0) {
    text.resize(text.size() - decimal.size());
  }
  return text;
}

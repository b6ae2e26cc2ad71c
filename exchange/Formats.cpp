// Reading and detecting the date and amount styles of statement cells.
#include "Formats.h"

#include <array>
#include <cctype>

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Blanks a cell may carry: space, tab, no-break space, narrow no-break space.
std::size_t BlankAt(std::string_view s, std::size_t i) {
  if (i >= s.size()) return 0;
  if (s[i] == ' ' || s[i] == '\t') return 1;
  if (s.substr(i, 2) == "\xC2\xA0") return 2;
  if (s.substr(i, 3) == "\xE2\x80\xAF") return 3;
  return 0;
}
std::size_t BlankBefore(std::string_view s) {
  if (s.empty()) return 0;
  if (s.back() == ' ' || s.back() == '\t') return 1;
  if (s.size() >= 2 && s.substr(s.size() - 2) == "\xC2\xA0") return 2;
  if (s.size() >= 3 && s.substr(s.size() - 3) == "\xE2\x80\xAF") return 3;
  return 0;
}
std::string_view Trim(std::string_view s) {
  while (std::size_t n = BlankAt(s, 0)) s.remove_prefix(n);
  while (std::size_t n = BlankBefore(s)) s.remove_suffix(n);
  return s;
}

// Reads up to `maxDigits` digits at `i`; false when there are none.
bool ReadNumber(std::string_view s, std::size_t& i, int maxDigits, int& value, int& digits) {
  value = 0;
  digits = 0;
  while (i < s.size() && IsDigit(s[i]) && digits < maxDigits) {
    value = value * 10 + (s[i] - '0');
    ++digits;
    ++i;
  }
  return digits > 0 && (i >= s.size() || !IsDigit(s[i]));
}

bool IsDatePartSeparator(char c) {
  return c == '.' || c == '/' || c == '-' || c == ' ';
}

}  // namespace

std::string DateStyleText(const CDateStyle& style) {
  switch (style.order) {
    case EDateOrder::kYmd:
      return "YYYY-MM-DD";
    case EDateOrder::kDmy:
      return "DD.MM.YYYY";
    case EDateOrder::kMdy:
      return "MM/DD/YYYY";
  }
  return "YYYY-MM-DD";
}

std::string AmountStyleText(const CAmountStyle& style) {
  std::string text = "1";
  if (style.group != 0) text += style.group;
  text += "234";
  text += style.decimal;
  text += "56";
  return text;
}

bool ParseDateCell(std::string_view cell, const CDateStyle& style, Date& out) {
  std::string_view s = Trim(cell);
  std::array<int, 3> part{};
  std::array<int, 3> digits{};
  std::size_t i = 0;
  if (style.order == EDateOrder::kYmd && s.size() >= 8 && IsDigit(s[4])) {
    // YYYYMMDD, as statements in the OFX format write dates.
    for (int k = 0; k < 8; ++k)
      if (!IsDigit(s[static_cast<std::size_t>(k)])) return false;
    auto num = [&](std::size_t at, std::size_t n) {
      int v = 0;
      for (std::size_t k = at; k < at + n; ++k) v = v * 10 + (s[k] - '0');
      return v;
    };
    part = {num(0, 4), num(4, 2), num(6, 2)};
    digits = {4, 2, 2};
    i = 8;
    if (i < s.size() && IsDigit(s[i])) i = s.size();  // a time (HHMMSS) follows
  } else {
    for (int k = 0; k < 3; ++k) {
      if (k > 0) {
        if (i >= s.size() || !IsDatePartSeparator(s[i])) return false;
        ++i;
      }
      if (!ReadNumber(s, i, 4, part[k], digits[k])) return false;
    }
  }
  // Only a time of day may follow the date.
  if (i < s.size() && s[i] != ' ' && s[i] != 'T') return false;
  int year = 0, month = 0, day = 0, yearDigits = 0;
  switch (style.order) {
    case EDateOrder::kYmd:
      year = part[0], month = part[1], day = part[2], yearDigits = digits[0];
      if (yearDigits != 4) return false;
      break;
    case EDateOrder::kDmy:
      day = part[0], month = part[1], year = part[2], yearDigits = digits[2];
      break;
    case EDateOrder::kMdy:
      month = part[0], day = part[1], year = part[2], yearDigits = digits[2];
      break;
  }
  if (yearDigits == 2)
    year += year >= 70 ? 1900 : 2000;
  else if (yearDigits != 4)
    return false;
  if (month < 1 || month > 12 || day < 1 || year < 1900) return false;
  if (static_cast<unsigned>(day) > DaysInMonth(year, static_cast<unsigned>(month))) return false;
  out = EncodeDate(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
  return true;
}

namespace {

// Currency signs a statement may write beside an amount.
constexpr std::string_view kCurrencySigns[] = {"$",
                                               "\xE2\x82\xAC" /* € */,
                                               "\xC2\xA3" /* £ */,
                                               "\xC2\xA5" /* ¥ */,
                                               "\xE2\x82\xBD" /* ₽ */,
                                               "\xE2\x82\xB4" /* ₴ */,
                                               "\xE2\x82\xB9" /* ₹ */,
                                               "\xE2\x82\xBA" /* ₺ */,
                                               "\xE2\x82\xA9" /* ₩ */,
                                               "\xE2\x82\xAA" /* ₪ */};

bool IsUpper(char c) {
  return c >= 'A' && c <= 'Z';
}

// The length of a currency sign or three-letter code (EUR, USD) at the
// start (`atEnd` false) or the end of `s`; 0 when there is none. Any other
// text beside a number makes the cell something else than an amount.
std::size_t CurrencyMark(std::string_view s, bool atEnd) {
  for (std::string_view sign : kCurrencySigns)
    if (s.size() >= sign.size() &&
        s.substr(atEnd ? s.size() - sign.size() : 0, sign.size()) == sign)
      return sign.size();
  if (s.size() < 3) return 0;
  const std::string_view code = s.substr(atEnd ? s.size() - 3 : 0, 3);
  const bool letters = IsUpper(code[0]) && IsUpper(code[1]) && IsUpper(code[2]);
  // The code stands apart from any letter next to it.
  const std::size_t next = atEnd ? s.size() - 4 : 3;
  const bool alone = s.size() == 3 || !std::isalpha(static_cast<unsigned char>(s[next]));
  return letters && alone ? 3 : 0;
}

// Strips what surrounds the number: blanks, signs, parentheses, and one
// currency sign or code on either side. `negative` tells whether a minus or
// parentheses were met.
bool StripAround(std::string_view& s, bool& negative, std::string& why) {
  negative = false;
  int signs = 0;
  bool frontMark = false, backMark = false;
  for (bool changed = true; changed;) {
    changed = false;
    s = Trim(s);
    if (s.empty()) break;
    if (s.front() == '(' && s.back() == ')' && s.size() >= 2) {
      s = s.substr(1, s.size() - 2);
      negative = true, ++signs, changed = true;
    } else if (s.front() == '-' || s.front() == '+') {
      negative = negative || s.front() == '-';
      s.remove_prefix(1), ++signs, changed = true;
    } else if (s.substr(0, 3) == "\xE2\x88\x92") {  // U+2212 minus sign
      s.remove_prefix(3), negative = true, ++signs, changed = true;
    } else if (s.back() == '-') {
      s.remove_suffix(1), negative = true, ++signs, changed = true;
    } else if (std::size_t n = frontMark ? 0 : CurrencyMark(s, false)) {
      s.remove_prefix(n), frontMark = changed = true;
    } else if (std::size_t m = backMark ? 0 : CurrencyMark(s, true)) {
      s.remove_suffix(m), backMark = changed = true;
    }
  }
  if (signs > 1) {
    why = "more than one sign";
    return false;
  }
  return true;
}

}  // namespace

bool ParseAmountCell(std::string_view cell, const CAmountStyle& style, Money& out,
                     std::string& why) {
  std::string_view s = Trim(cell);
  if (s.empty()) {
    why = "no amount";
    return false;
  }
  bool negative = false;
  if (!StripAround(s, negative, why)) return false;
  // Digits of the whole part (groups checked), then the decimals.
  std::string whole, fraction;
  bool inFraction = false;
  std::vector<std::size_t> groups{0};  // digits per group of the whole part
  for (std::size_t i = 0; i < s.size();) {
    const char c = s[i];
    if (IsDigit(c)) {
      (inFraction ? fraction : whole) += c;
      if (!inFraction) ++groups.back();
      ++i;
    } else if (c == style.decimal && !inFraction) {
      inFraction = true;
      ++i;
    } else if (!inFraction && style.group != 0 &&
               (c == style.group || (style.group == ' ' && BlankAt(s, i)))) {
      groups.push_back(0);
      i += style.group == ' ' ? BlankAt(s, i) : 1;
    } else {
      why = "\"" + std::string(cell) + "\" is not an amount written as " + AmountStyleText(style);
      return false;
    }
  }
  bool groupsOk = groups.front() >= 1 && groups.front() <= 3;
  for (std::size_t g = 1; g < groups.size(); ++g) groupsOk = groupsOk && groups[g] == 3;
  if (whole.empty() && fraction.empty()) {
    why = "\"" + std::string(cell) + "\" holds no digits";
    return false;
  }
  if (groups.size() > 1 && !groupsOk) {
    why = "\"" + std::string(cell) + "\" is not an amount written as " + AmountStyleText(style);
    return false;
  }
  if (fraction.size() > 4) {
    why = "\"" + std::string(cell) + "\" has more than four decimals";
    return false;
  }
  while (!whole.empty() && whole.front() == '0') whole.erase(0, 1);
  if (whole.size() > 15) {
    why = "\"" + std::string(cell) + "\" is too large";
    return false;
  }
  fraction.resize(4, '0');
  WideMoney value = 0;
  for (char c : whole + fraction) value = value * 10 + (c - '0');
  if (negative) value = -value;
  if (!FitsMoney(value)) {
    why = "\"" + std::string(cell) + "\" is too large";
    return false;
  }
  out = static_cast<Money>(value);
  return true;
}

CDateDetection DetectDateStyle(const std::vector<std::string_view>& cells, EDateOrder fallback) {
  constexpr std::array<EDateOrder, 3> orders{EDateOrder::kYmd, EDateOrder::kDmy, EDateOrder::kMdy};
  std::array<std::size_t, 3> read{};
  std::size_t nonEmpty = 0;
  for (std::string_view cell : cells) {
    if (Trim(cell).empty()) continue;
    ++nonEmpty;
    for (std::size_t k = 0; k < orders.size(); ++k) {
      Date d;
      if (ParseDateCell(cell, CDateStyle{orders[k]}, d)) ++read[k];
    }
  }
  CDateDetection result;
  std::size_t best = 0, full = 0;
  for (std::size_t k = 0; k < orders.size(); ++k) {
    if (read[k] == nonEmpty && nonEmpty > 0) ++full;
    if (read[k] > read[best]) best = k;
  }
  result.readsAll = nonEmpty > 0 && read[best] == nonEmpty;
  result.ambiguous = full > 1;
  result.style.order = orders[best];
  const auto fb = static_cast<std::size_t>(fallback);
  if (result.readsAll && read[fb] == nonEmpty) result.style.order = fallback;
  return result;
}

CAmountDetection DetectAmountStyle(const std::vector<std::string_view>& cells,
                                   char fallbackDecimal) {
  int pointDecimal = 0, commaDecimal = 0;
  bool blanks = false, apostrophes = false, points = false, commas = false;
  for (std::string_view cell : cells) {
    std::string_view s = Trim(cell);
    bool negative;
    std::string why;
    if (!StripAround(s, negative, why)) continue;
    const std::size_t lastPoint = s.rfind('.'), lastComma = s.rfind(',');
    const bool hasPoint = lastPoint != std::string_view::npos;
    const bool hasComma = lastComma != std::string_view::npos;
    points = points || hasPoint;
    commas = commas || hasComma;
    apostrophes = apostrophes || s.find('\'') != std::string_view::npos;
    for (std::size_t i = 0; i < s.size(); ++i) blanks = blanks || BlankAt(s, i) != 0;
    if (hasPoint && hasComma) {
      (lastPoint > lastComma ? pointDecimal : commaDecimal) += 10;
      continue;
    }
    const std::size_t last = hasPoint ? lastPoint : lastComma;
    if (last == std::string_view::npos) continue;
    const char mark = s[last];
    if (s.find(mark) != last) {  // the mark twice: it groups digits
      (mark == '.' ? commaDecimal : pointDecimal) += 10;
      continue;
    }
    const std::size_t after = s.size() - last - 1;
    if (after != 3) (mark == '.' ? pointDecimal : commaDecimal) += 1;
  }
  CAmountDetection result;
  char decimal = fallbackDecimal == ',' ? ',' : '.';
  if (pointDecimal != commaDecimal) decimal = pointDecimal > commaDecimal ? '.' : ',';
  result.style.decimal = decimal;
  if (apostrophes)
    result.style.group = '\'';
  else if ((decimal == '.' && commas) || (decimal == ',' && points))
    result.style.group = decimal == '.' ? ',' : '.';
  else if (blanks)
    result.style.group = ' ';
  std::size_t nonEmpty = 0, read = 0;
  for (std::string_view cell : cells) {
    if (Trim(cell).empty()) continue;
    ++nonEmpty;
    Money m;
    std::string why;
    if (ParseAmountCell(cell, result.style, m, why)) ++read;
  }
  result.readsAll = nonEmpty > 0 && read == nonEmpty;
  return result;
}

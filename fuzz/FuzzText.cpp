// Typed and stored texts: money amounts, ISO dates and stored bytes. The
// first byte picks the number of decimals; the rest is the text. Checks the
// promises the parsers make for any input.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "Dates.h"
#include "Numbertexts.h"
#include "Textcodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const int decimals = data[0] % 5;
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);

  std::uint8_t error = 0;
  const Money amount = StrToMoney(text, error, decimals, NumberFormat{});
  if (amount < 0) std::abort();  // never negative
  if (error != kMoneyTextOk && error != kMoneyTextEmpty && error != kMoneyTextInvalid) std::abort();
  if (text.empty() != (error == kMoneyTextEmpty)) std::abort();
  // Digits past `decimals` are cut off, so the amount is a whole number of
  // the smallest unit read.
  static const Money kUnit[] = {10000, 1000, 100, 10, 1};
  if (amount % kUnit[decimals] != 0) std::abort();

  Date day = 0;
  if (ParseIsoDate(text, day) && FormatIsoDate(day) != text) std::abort();

  const std::string shown = StoredToUtf8(text);
  if (!IsValidUtf8(shown)) std::abort();
  if (IsValidUtf8(text) && shown != text) std::abort();
  return 0;
}

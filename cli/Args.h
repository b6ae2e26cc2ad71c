// Reading the values of pardow-cli's options.
#pragma once

#include <charconv>
#include <cstdint>
#include <string>

// A whole number (digits only, nothing before or after them) that fits.
inline bool ParseWholeNumber(const std::string& text, std::uint32_t& out) {
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, out);
  return !text.empty() && ec == std::errc() && ptr == end;
}

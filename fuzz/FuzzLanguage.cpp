// Arbitrary bytes as a language file. Whatever the file, reading it must not
// crash, and every text it yields is UTF-8 without a quote, line end or zero
// byte, at most one line long.
#include <cstdint>
#include <cstdlib>

#include "FuzzScratch.h"
#include "Localizationkit.h"
#include "Logger.h"
#include "Textcodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool quiet = [] {
    SetLogTap([](std::uint8_t, const std::string&) {});
    return true;
  }();
  (void)quiet;
  CFuzzScratch scratch("lang", data, size);
  Localization::CLocalizationKit kit(scratch.Path());
  if (!kit.IsFileRead()) std::abort();
  for (const auto& [id, text] : kit.GetTexts()) {
    if (!IsValidUtf8(text)) std::abort();
    if (text.find_first_of(std::string("\"\n\0", 3)) != std::string::npos) std::abort();
    if (text.size() > 4 * Localization::kMaxLineLength) std::abort();
    if (kit.GetText(id, "fallback") != text) std::abort();
  }
  return 0;
}

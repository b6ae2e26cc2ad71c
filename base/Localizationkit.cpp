#include "Localizationkit.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string_view>
#include <utility>

#include "Logger.h"
#include "Textcodec.h"

namespace Localization {

namespace {

// Reads a decimal id; nothing for an empty token, a sign, any non-digit or a
// value beyond 32 bits.
std::optional<std::uint32_t> ParseId(std::string_view token) {
  if (token.empty() || token.size() > 10) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : token) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (value > UINT32_MAX) return std::nullopt;
  return static_cast<std::uint32_t>(value);
}

// Characters of a UTF-8 text (continuation bytes do not count).
size_t CharacterCount(std::string_view text) {
  size_t count = 0;
  for (char c : text) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
  }
  return count;
}

// Which form of a counted text `count` takes under `rule` (0 = first).
size_t PluralFormIndex(long long count, const std::string& rule) {
  const unsigned long long n = count < 0 ? 0ULL - static_cast<unsigned long long>(count)
                                         : static_cast<unsigned long long>(count);
  if (rule == "one-few-many") {
    if (n % 10 == 1 && n % 100 != 11) return 0;
    if (n % 10 >= 2 && n % 10 <= 4 && (n % 100 < 12 || n % 100 > 14)) return 1;
    return 2;
  }
  if (rule == "zero-one-other") return n <= 1 ? 0 : 1;
  return n == 1 ? 0 : 1;
}

// An entry line split into its id and its text: the id is the first token
// (leading blanks and equals signs skipped, ended by a blank or an equals
// sign, which is consumed with it); the text stands between the first double
// quote after that and the next one (to the end of the line without a
// closing quote, empty without any). Nothing when the id is no number.
std::optional<std::pair<std::uint32_t, std::string>> SplitEntry(const std::string& line) {
  size_t start = line.find_first_not_of(" =");
  if (start == std::string::npos) start = line.size();
  size_t stop = line.find_first_of(" =", start);
  if (stop == std::string::npos) stop = line.size();
  std::optional<std::uint32_t> id = ParseId(std::string_view(line).substr(start, stop - start));
  if (!id) return std::nullopt;
  std::string value;
  const size_t open = stop < line.size() ? line.find('"', stop + 1) : std::string::npos;
  if (open != std::string::npos) {
    const size_t close = line.find('"', open + 1);
    value =
        line.substr(open + 1, close == std::string::npos ? std::string::npos : close - open - 1);
  }
  return std::pair{*id, value};
}

}  // namespace

std::string ChoosePluralForm(const std::string& forms, long long count, const std::string& rule) {
  size_t index = PluralFormIndex(count, rule);
  size_t begin = 0;
  for (size_t bar = forms.find('|'); bar != std::string::npos && index > 0;
       bar = forms.find('|', begin), --index) {
    begin = bar + 1;
  }
  size_t end = forms.find('|', begin);
  return forms.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

CLocalizationKit::CLocalizationKit(const std::string& path) {
  LogDetail("LocalizationKit v1.0 initialized");
  ReadFile(path);
}

CLocalizationKit::~CLocalizationKit() {
  FTexts.clear();
  FMissing.clear();
  LogDetail("LocalizationKit uninitialized");
}

std::string CLocalizationKit::GetText(std::uint32_t id, const std::string& defaultText) {
  auto it = FTexts.find(id);
  if (it != FTexts.end()) return it->second;
  FMissing[id] = defaultText;
  return defaultText;
}

void CLocalizationKit::WriteMissingTexts(const std::string& path) const {
  if (FMissing.empty()) return;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  for (const auto& [id, text] : FMissing) {
    out << id << " = \"" << text << "\"\r\n";
  }
  out.flush();
  if (!out) LogError("[LocKit] Can't write file: " + path);
}

void CLocalizationKit::ReadFile(const std::string& path) {
  std::error_code error;
  std::ifstream in;
  // A folder opens as a stream on Linux but reads nothing: it is no file.
  if (!std::filesystem::is_directory(path, error)) in.open(path, std::ios::binary);
  if (!in.is_open()) {
    LogError("[LocKit] Can't open file: " + path);
    return;
  }
  FFileRead = true;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string text = StoredToUtf8(bytes);
  // A byte order mark some editors put in front of UTF-8 files.
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);

  size_t lineNumber = 0;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    ++lineNumber;
    // Tolerate CR LF line ends, and stop a line at a zero byte as a C text would.
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (size_t zero = line.find('\0'); zero != std::string::npos) line.resize(zero);
    if (CharacterCount(line) > kMaxLineLength) {
      // Longer than a line may be: reported and skipped like any bad line, so
      // the entries after it still load.
      LogError("[LocKit] Error in string " + std::to_string(lineNumber));
      continue;
    }
    if (line.empty() || line[0] == ';') continue;
    ParseLine(line, lineNumber);
  }
}

void CLocalizationKit::ParseLine(const std::string& line, size_t lineNumber) {
  std::optional<std::pair<std::uint32_t, std::string>> entry = SplitEntry(line);
  if (!entry) {
    LogError("[LocKit] Error in string " + std::to_string(lineNumber));
    return;
  }
  const auto& [id, value] = *entry;
  if (FTexts.count(id)) {
    LogError("[LocKit] Dublicate ID = " + std::to_string(id) + " in string " +
             std::to_string(lineNumber));
  }
  FTexts[id] = value;
}

std::string ReadLanguageFileText(const std::string& path, std::uint32_t id) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) return {};
  std::ifstream in(path, std::ios::binary);
  if (!in.is_open()) return {};
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string text = StoredToUtf8(bytes);
  std::string found;
  for (size_t pos = 0; pos < text.size();) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == ';') continue;
    if (auto entry = SplitEntry(line); entry && entry->first == id) found = entry->second;
  }
  return found;  // the last definition wins, as in a kit
}

}  // namespace Localization

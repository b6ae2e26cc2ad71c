// The localization kit: every text a window shows is fetched by a numeric id
// from a language file, with the English text built into the program as the
// fallback.
//
// Language file syntax, one entry per line:
//   2000 = "Transaction"
// The id is the first token (leading blanks and equals signs skipped; it ends
// at the next blank or equals sign); the text is what stands between the
// first double quote after that and the next double quote (to the end of the
// line when the closing quote is missing; empty when there is no quote at
// all). Empty lines and lines starting with ';' are skipped. A line may hold
// at most 1023 characters. A file is read as UTF-8 when it is valid UTF-8 and
// as Windows-1251 otherwise; texts are kept as UTF-8.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace Localization {

// Longest line a language file may hold, in characters, without its line end.
constexpr size_t kMaxLineLength = 1023;

// Id of a language file's plural rule: "one-other" (the default: English,
// German, Spanish), "zero-one-other" (French: 0 and 1 take the singular) or
// "one-few-many" (Russian and other East Slavic languages).
constexpr std::uint32_t kPluralRuleId = 90;

// A counted text holds its forms separated by '|' in the order of the rule's
// names ("%1 account|%1 accounts"). Returns the form for `count` under `rule`;
// a text with fewer forms than the rule names gives its last form, a text
// without '|' is its only form.
std::string ChoosePluralForm(const std::string& forms, long long count, const std::string& rule);

// Id of a language file's own name ("Deutsch"), shown in the language list.
constexpr std::uint32_t kLanguageNameId = 30400;

// The text of `id` in the language file at `path`, read without a kit and
// without log lines (the language list reads each file's name so); empty
// when the file cannot be read or does not define `id`.
std::string ReadLanguageFileText(const std::string& path, std::uint32_t id);

class CLocalizationKit {
 public:
  using TextMap = std::map<std::uint32_t, std::string>;

  // Logs the banner and reads the language file at `path`. Always succeeds:
  // problems of the file only produce log lines, and a file that cannot be
  // opened leaves no texts.
  explicit CLocalizationKit(const std::string& path);
  ~CLocalizationKit();
  CLocalizationKit(const CLocalizationKit&) = delete;
  CLocalizationKit& operator=(const CLocalizationKit&) = delete;

  // The text of `id` from the file. When the file lacks it, remembers
  // `defaultText` as the missing text of `id` (the last request wins) and
  // returns `defaultText`. An id defined with an empty text gives "".
  std::string GetText(std::uint32_t id, const std::string& defaultText);

  // Writes every missing id with its default text to `path`, in language-file
  // syntax and ascending id order, with CR LF line ends. Creates no file when
  // nothing is missing.
  void WriteMissingTexts(const std::string& path) const;

  // True when the file could be opened (an empty file opens too).
  bool IsFileRead() const { return FFileRead; }
  const TextMap& GetTexts() const { return FTexts; }
  const TextMap& GetMissingTexts() const { return FMissing; }

 private:
  void ReadFile(const std::string& path);
  void ParseLine(const std::string& line, size_t lineNumber);

  TextMap FTexts;          // what the language file defines
  TextMap FMissing;        // ids asked for but not defined, with their last default
  bool FFileRead = false;  // the language file could be opened
};

}  // namespace Localization

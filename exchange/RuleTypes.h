// The user's categorizing rules as they are kept (in the companion file)
// and edited: what a rule matches and what it sets.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "Moneytype.h"

enum class ERuleField : std::uint8_t { kDescription, kComment, kAny };
enum class ERuleMode : std::uint8_t { kContains, kWords, kRegex };
enum class ERuleKind : std::uint8_t { kAny, kExpense, kIncome };

struct CRuleMatch {
  std::string text;  // UTF-8
  ERuleField field = ERuleField::kAny;
  ERuleMode mode = ERuleMode::kContains;
  bool caseSensitive = false;                 // and accent-sensitive
  std::optional<Money> amountMin, amountMax;  // the amount without its sign
  ERuleKind kind = ERuleKind::kAny;
  std::uint32_t account = 0;  // 0: any
};

struct CRuleSet {
  std::uint32_t category = 0, member = 0, section = 0;  // 0: left as it is
  std::string description;                              // "": left as it is
};

struct CImportRule {
  std::uint32_t id = 0;
  CRuleMatch match;
  CRuleSet set;
};

// The names the companion file and the command line use ("description",
// "comment", "any"; "contains", "words", "regex"; "any", "expense",
// "income"), and back (false for another name).
const char* RuleFieldName(ERuleField field);
const char* RuleModeName(ERuleMode mode);
const char* RuleKindName(ERuleKind kind);
bool RuleFieldFromName(std::string_view name, ERuleField& field);
bool RuleModeFromName(std::string_view name, ERuleMode& mode);
bool RuleKindFromName(std::string_view name, ERuleKind& kind);

// The decisions of the rules window and the rule editor: a rule made from a
// transaction's row, how a rule reads in the list, how its amounts are
// typed, what the user is told about a rule that cannot be kept, and the
// changes of the rules in the companion file.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Companion.h"
#include "Omrindb.h"
#include "RuleChanges.h"

// The words a rule made from a description looks for: its leading words,
// up to the first that holds a digit (a number, a date, a card or reference
// code), at most five, without the punctuation around them ("REWE SAGT
// DANKE 48213 HAMBURG" -> "REWE SAGT DANKE"). Leading codes are skipped
// ("4711 STADTWERKE" -> "STADTWERKE"). UTF-8; empty when no word is left.
std::string RuleTextFromDescription(std::string_view storedDescription);

// The rule a transaction's row suggests: its description's leading words as
// whole words of the description, the row's kind, and the row's category,
// member and section as what it sets. The row's amount and account are not
// made conditions (a shop's payments differ in both); the user may add
// them in the editor.
CImportRule RuleFromRow(std::string_view description, Money amount, bool expense,
                        std::uint32_t account, std::uint32_t category, std::uint32_t member,
                        std::uint32_t section);

// What the user is told about `problem`, in the user's language.
std::string RuleProblemText(const CRuleProblem& problem);

// A rule's amount as its box shows it: two decimals, or up to four when
// the amount has more (so that an unchanged box stores the same amount).
std::string RuleAmountText(Money amount);
// Reads an amount box in the user's number format: empty is no bound;
// false when the text is not a whole amount without a sign.
bool ReadRuleAmount(const std::string& text, std::optional<Money>& amount);
// What the user is told about an amount box that does not read.
std::string RuleAmountProblemText();

// How the rules read in the list: what a rule matches and what it sets,
// with names instead of ids.
class CRuleDescriber {
 public:
  explicit CRuleDescriber(CDataBase& db);
  std::string Matches(const CImportRule& rule) const;
  std::string Sets(const CImportRule& rule) const;

 private:
  std::string SubTypeName(std::uint32_t id) const;
  CDataBase& db_;
  std::map<std::uint32_t, std::string> accounts_;  // name by id (UTF-8)
};

// Changes of the rules kept beside `databaseFile`, each saved at once.
// False with the reason in `error` when the file could not be written
// (then the file holds what it held before).
// Appends `rule`, giving it the next free id (written back into `rule`).
bool AppendRule(const std::string& databaseFile, CImportRule& rule, std::string& error);
// Replaces the rule with `rule`'s id, keeping its place.
bool ReplaceRule(const std::string& databaseFile, const CImportRule& rule, std::string& error);
bool DeleteRule(const std::string& databaseFile, std::uint32_t id, std::string& error);
// Moves the rule one place up (`delta` -1) or down (+1); one at the end
// stays.
bool MoveRule(const std::string& databaseFile, std::uint32_t id, int delta, std::string& error);

// What the user is told when a batch of rule changes (or their undo) could
// not be stored whole: how many were, and the file's reason.
std::string RuleStoreFailureText(std::size_t written, const std::string& reason);

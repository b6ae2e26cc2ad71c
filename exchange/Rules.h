// Categorizing transactions: the user's rules (text in the description or
// comment, an amount range, a kind and an account give a category, member,
// section and a clean description), kept in the companion file in the
// user's order, and proposals learned from the transactions already stored.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "Omrindb.h"
#include "RuleTypes.h"

// Why a rule cannot be used (an empty text, a regular expression that does
// not compile, a range whose minimum is above its maximum); "" when it can.
std::string RuleProblem(const CImportRule& rule);

// What a transaction offers a rule: its texts as stored, the amount
// without its sign, whether it is an expense, its account.
struct CRuleSubject {
  std::string_view description, comment;
  Money amount = 0;
  bool expense = true;
  std::uint32_t account = 0;
};

// Rules compiled for matching, in their order.
class CRuleMatcher {
 public:
  explicit CRuleMatcher(const std::vector<CImportRule>& rules);
  ~CRuleMatcher();
  CRuleMatcher(const CRuleMatcher&) = delete;
  CRuleMatcher& operator=(const CRuleMatcher&) = delete;
  // The index of the first rule that matches, or -1.
  int FirstMatch(const CRuleSubject& subject) const;
  const CImportRule& Rule(int index) const;

 private:
  struct CCompiled;
  std::vector<CImportRule> rules_;  // a copy: the caller's may be gone before a match
  std::vector<CCompiled> compiled_;
};

// What earlier transactions of the same kind with the same counterparty
// carried: the description's and comment's words, weighed by how rare they
// are (numbers, codes and words found everywhere count little), find the
// earlier transactions most like a new one; their category, member and
// section are proposed when at least two of them agree and they are the
// clear majority. The same account's transactions come first.
struct CLearnedProposal {
  std::uint32_t category = 0, member = 0, section = 0;
  std::size_t support = 0;  // how many earlier transactions carried it
};

class CCategoryLearner {
 public:
  // How many transactions learning reads at most, the newest: the habits of
  // years of the busiest books, learnt in a fraction of a second.
  static constexpr std::size_t kNewest = 1'000'000;

  // Learns from the newest `newest` stored transactions with a category.
  explicit CCategoryLearner(CDataBase& db, std::size_t newest = kNewest);
  ~CCategoryLearner();
  CCategoryLearner(const CCategoryLearner&) = delete;
  CCategoryLearner& operator=(const CCategoryLearner&) = delete;
  // A proposal for a transaction; none without real support.
  std::optional<CLearnedProposal> Propose(const CRuleSubject& subject) const;

 private:
  struct CData;
  std::unique_ptr<CData> data_;
};

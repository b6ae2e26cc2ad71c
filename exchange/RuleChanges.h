// The categorizing rules against one database: whether a rule can be kept
// for it (what it names must be there), and giving the stored expenses and
// incomes of a period what the first matching rule sets, as one change that
// can be taken back as a whole.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Omrindb.h"
#include "Rules.h"

// Why a rule cannot be kept, as a kind a window names in its own words.
enum class ERuleProblem : std::uint8_t {
  kNone,
  kNoText,        // nothing to match
  kMinAboveMax,   // the smallest amount is above the largest
  kSignedAmount,  // an amount with a sign
  kBadRegex,      // the regular expression does not compile (`detail` says why)
  kSetsNothing,   // no category, member, section or description to set
  kNoCategory,    // the category is not an income or expense category of the database
  kNoMember,      // the family member is not there
  kNoSection,     // the section is not there
  kNoAccount,     // the account is not there
  kOther,         // a reason this list does not know yet (`text` says it)
};

struct CRuleProblem {
  ERuleProblem kind = ERuleProblem::kNone;
  std::string text;    // in English, as the command line reports it; "" for kNone
  std::string detail;  // the regular expression's complaint for kBadRegex
  explicit operator bool() const { return kind != ERuleProblem::kNone; }
};

// RuleProblem's reason with its kind.
CRuleProblem RuleUsageProblem(const CImportRule& rule);
// The same, then a category, family member, section or account the rule
// names that `db` does not hold as such.
CRuleProblem RuleReferenceProblem(CDataBase& db, const CImportRule& rule);

// One transaction a rule changes: as stored, and as the rule leaves it.
struct CRuleChange {
  CTransactionItem before, after;
};

// The expenses and incomes dated from..to (whole days, both included) that
// the first rule of `matcher` matching them changes, in id order. A rule's
// category goes only to transactions of its kind (an income keeps its
// category under a rule that sets an expense category); a transaction the
// rule leaves as it is, is not listed.
std::vector<CRuleChange> PlanRuleChanges(CDataBase& db, const CRuleMatcher& matcher, Date from,
                                         Date to);

// The expenses and incomes of a period with their texts, read once, for
// trying rules on them again and again (a rule while it is edited). Valid
// while the database holds the same transactions.
class CRuleSubjects {
 public:
  CRuleSubjects(CDataBase& db, Date from, Date to);
  ~CRuleSubjects();
  CRuleSubjects(const CRuleSubjects&) = delete;
  CRuleSubjects& operator=(const CRuleSubjects&) = delete;
  // What PlanRuleChanges gives for them.
  std::vector<CRuleChange> Plan(const CRuleMatcher& matcher) const;
  // How many Plan would list, without reading the transactions again.
  std::size_t CountChanges(const CRuleMatcher& matcher) const;

 private:
  struct CEntry;
  template <class Use>
  void ForEachChange(const CRuleMatcher& matcher, Use use) const;
  CDataBase& db_;
  std::vector<CEntry> entries_;  // in id order
  std::string texts_;            // every entry's description and comment, one after the other
};

// Stores every change's `after` (or, with `undo`, its `before`: the values
// stored before the change) in one batch, synced at its end. Only the
// category, member, section and description are written; the rest of each
// transaction stays as stored now. False when a transaction is no longer
// stored or a write or the final sync failed (GetLastWriteError says why
// when the file failed); the first failure stops the run. `written` (may be
// null) receives how many were written before that.
bool StoreRuleChanges(CDataBase& db, const std::vector<CRuleChange>& changes, bool undo,
                      std::size_t* written = nullptr);

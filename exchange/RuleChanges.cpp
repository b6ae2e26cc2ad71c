#include "RuleChanges.h"

#include <unordered_map>

namespace {

// RuleProblem's texts, and the kinds they stand for.
constexpr const char* kRegexPrefix = "the regular expression does not read: ";
const struct {
  const char* text;
  ERuleProblem kind;
} kUsageTexts[] = {
    {"the rule has no text to match", ERuleProblem::kNoText},
    {"the smallest amount is above the largest", ERuleProblem::kMinAboveMax},
    {"amounts are without their sign", ERuleProblem::kSignedAmount},
    {"the rule sets nothing", ERuleProblem::kSetsNothing},
};

CRuleProblem Problem(ERuleProblem kind, std::string text) {
  return {kind, std::move(text), {}};
}

// Whether `id` is a subtype stored under `root` (a root code itself is not).
bool InTree(CDataBase& db, std::uint32_t id, std::uint32_t root) {
  return id > kFirstFreeId && db.SubTypeRoot(id) == root;
}

// The kinds the rules know: an expense leaves an account for none, an
// income enters one from none; transfers are left alone.
bool IsRuleExpense(const TransactionRecord& r) {
  return r.fromAccount != 0 && r.toAccount == 0;
}
bool IsRuleIncome(const TransactionRecord& r) {
  return r.fromAccount == 0 && r.toAccount != 0;
}

}  // namespace

CRuleProblem RuleUsageProblem(const CImportRule& rule) {
  std::string text = RuleProblem(rule);
  if (text.empty()) return {};
  if (text.rfind(kRegexPrefix, 0) == 0) {
    CRuleProblem problem = Problem(ERuleProblem::kBadRegex, text);
    problem.detail = text.substr(std::string(kRegexPrefix).size());
    return problem;
  }
  for (const auto& known : kUsageTexts)
    if (text == known.text) return Problem(known.kind, std::move(text));
  return Problem(ERuleProblem::kOther, std::move(text));
}

CRuleProblem RuleReferenceProblem(CDataBase& db, const CImportRule& rule) {
  if (CRuleProblem problem = RuleUsageProblem(rule)) return problem;
  const CRuleSet& set = rule.set;
  if (set.category != 0 && !InTree(db, set.category, kExpenseRoot) &&
      !InTree(db, set.category, kIncomeRoot))
    return Problem(ERuleProblem::kNoCategory,
                   "there is no category " + std::to_string(set.category));
  if (set.member != 0 && !InTree(db, set.member, kMemberRoot))
    return Problem(ERuleProblem::kNoMember,
                   "there is no family member " + std::to_string(set.member));
  if (set.section != 0 && !InTree(db, set.section, kSectionRoot))
    return Problem(ERuleProblem::kNoSection, "there is no section " + std::to_string(set.section));
  if (rule.match.account != 0 && db.Accounts().Find(rule.match.account) == nullptr)
    return Problem(ERuleProblem::kNoAccount,
                   "there is no account " + std::to_string(rule.match.account));
  return {};
}

std::vector<CRuleChange> PlanRuleChanges(CDataBase& db, const CRuleMatcher& matcher, Date from,
                                         Date to) {
  // The transactions of the period first, from their records alone; then
  // their texts, read in a few large reads rather than one for each.
  std::vector<std::uint32_t> candidates, stringIds;
  const Date first = WholeDay(from), last = WholeDay(to);
  for (auto [id, entry] : db.Transactions()) {
    const TransactionRecord& r = entry->record;
    const Date day = WholeDay(r.date);
    if ((!IsRuleExpense(r) && !IsRuleIncome(r)) || day < first || day > last) continue;
    candidates.push_back(id);
    for (std::uint32_t text : {r.descriptionId, r.commentId})
      if (text != 0) stringIds.push_back(text);
  }
  std::unordered_map<std::uint32_t, std::string> texts;
  db.ReadStrings(std::move(stringIds),
                 [&](std::uint32_t text, std::string_view stored) { texts.emplace(text, stored); });
  const auto textOf = [&](std::uint32_t text) -> std::string_view {
    const auto it = texts.find(text);
    return it == texts.end() ? std::string_view() : std::string_view(it->second);
  };

  std::vector<CRuleChange> changes;
  for (std::uint32_t id : candidates) {
    const TransactionRecord& r = db.Transactions().Find(id)->record;
    const bool expense = IsRuleExpense(r);
    const int index = matcher.FirstMatch({textOf(r.descriptionId), textOf(r.commentId), r.amountOut,
                                          expense, expense ? r.fromAccount : r.toAccount});
    if (index < 0) continue;
    const CRuleSet& set = matcher.Rule(index).set;
    CRuleChange change;
    db.GetTransaction(id, change.before);
    change.after = change.before;
    TransactionRecord& changed = change.after.record;
    if (set.category != 0 && InTree(db, set.category, expense ? kExpenseRoot : kIncomeRoot))
      changed.categoryId = set.category;
    if (set.member != 0) changed.memberId = set.member;
    if (set.section != 0) changed.sectionId = set.section;
    if (!set.description.empty()) change.after.description = set.description;
    if (changed.categoryId != r.categoryId || changed.memberId != r.memberId ||
        changed.sectionId != r.sectionId || change.after.description != change.before.description)
      changes.push_back(std::move(change));
  }
  return changes;
}

bool StoreRuleChanges(CDataBase& db, const std::vector<CRuleChange>& changes, bool undo,
                      std::size_t* written) {
  std::size_t count = 0;
  bool stored = true;
  db.BeginBatch();
  for (const CRuleChange& change : changes) {
    const CTransactionItem& wanted = undo ? change.before : change.after;
    const CTransactionIndex* entry = db.Transactions().Find(wanted.id);
    if (entry == nullptr) {
      stored = false;
      break;
    }
    // The fields a rule sets, on the transaction as it is stored now.
    TransactionRecord record = entry->record;
    record.categoryId = wanted.record.categoryId;
    record.memberId = wanted.record.memberId;
    record.sectionId = wanted.record.sectionId;
    const std::string description = db.GetString(record.descriptionId);
    if (description == wanted.description) {
      // Only the record: the texts stay where they are.
      stored = db.EditTransactionFields(kTransactionKind, wanted.id, record) == 1;
    } else {
      CTransactionItem item;
      db.GetTransaction(wanted.id, item);
      item.record = record;
      item.description = wanted.description;
      stored = db.EditTransaction(item) == 1;
    }
    if (!stored) break;
    ++count;
  }
  stored = db.EndBatch("Apply rules") && stored;
  if (written != nullptr) *written = count;
  return stored;
}

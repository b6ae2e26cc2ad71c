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

// ---- Trying rules on the transactions ----

struct CRuleSubjects::CEntry {
  std::uint32_t id = 0;
  TransactionRecord record;
  std::size_t description = 0, descriptionSize = 0;  // in texts_
  std::size_t comment = 0, commentSize = 0;
};

CRuleSubjects::CRuleSubjects(CDataBase& db, Date from, Date to) : db_(db) {
  // The transactions of the period first, from their records alone; then
  // their texts, read in a few large reads rather than one for each.
  std::vector<std::uint32_t> stringIds;
  std::unordered_map<std::uint32_t, std::pair<std::size_t, bool>> ofString;  // entry, comment?
  const Date first = WholeDay(from), last = WholeDay(to);
  for (auto [id, entry] : db.Transactions()) {
    const TransactionRecord r = entry->record;
    const Date day = WholeDay(r.date);
    if ((!IsRuleExpense(r) && !IsRuleIncome(r)) || day < first || day > last) continue;
    for (bool comment : {false, true}) {
      const std::uint32_t text = comment ? r.commentId : r.descriptionId;
      if (text != 0 && ofString.emplace(text, std::make_pair(entries_.size(), comment)).second)
        stringIds.push_back(text);
    }
    entries_.push_back({id, r, 0, 0, 0, 0});
  }
  db.ReadStrings(std::move(stringIds), [&](std::uint32_t text, std::string_view stored) {
    const auto [index, comment] = ofString[text];
    CEntry& e = entries_[index];
    (comment ? e.comment : e.description) = texts_.size();
    (comment ? e.commentSize : e.descriptionSize) = stored.size();
    texts_.append(stored);
  });
}

CRuleSubjects::~CRuleSubjects() = default;

template <class Use>
void CRuleSubjects::ForEachChange(const CRuleMatcher& matcher, Use use) const {
  std::unordered_map<std::uint32_t, std::uint32_t> roots;  // category -> its tree's root
  const auto rootOf = [&](std::uint32_t category) {
    auto [it, added] = roots.emplace(category, 0);
    if (added) it->second = category > kFirstFreeId ? db_.SubTypeRoot(category) : 0;
    return it->second;
  };
  const std::string_view texts = texts_;
  for (const CEntry& e : entries_) {
    const TransactionRecord& r = e.record;
    const bool expense = IsRuleExpense(r);
    const std::string_view description = texts.substr(e.description, e.descriptionSize);
    const int index =
        matcher.FirstMatch({description, texts.substr(e.comment, e.commentSize), r.amountOut,
                            expense, expense ? r.fromAccount : r.toAccount});
    if (index < 0) continue;
    const CRuleSet& set = matcher.Rule(index).set;
    TransactionRecord changed = r;
    if (set.category != 0 && rootOf(set.category) == (expense ? kExpenseRoot : kIncomeRoot))
      changed.categoryId = set.category;
    if (set.member != 0) changed.memberId = set.member;
    if (set.section != 0) changed.sectionId = set.section;
    const bool renamed = !set.description.empty() && set.description != description;
    if (renamed || changed.categoryId != r.categoryId || changed.memberId != r.memberId ||
        changed.sectionId != r.sectionId)
      use(e.id, changed, renamed ? &set.description : nullptr);
  }
}

std::vector<CRuleChange> CRuleSubjects::Plan(const CRuleMatcher& matcher) const {
  std::vector<CRuleChange> changes;
  ForEachChange(matcher, [&](std::uint32_t id, const TransactionRecord& changed,
                             const std::string* description) {
    CRuleChange change;
    db_.GetTransaction(id, change.before);
    change.after = change.before;
    change.after.record.categoryId = changed.categoryId;
    change.after.record.memberId = changed.memberId;
    change.after.record.sectionId = changed.sectionId;
    if (description != nullptr) change.after.description = *description;
    changes.push_back(std::move(change));
  });
  return changes;
}

std::size_t CRuleSubjects::CountChanges(const CRuleMatcher& matcher) const {
  std::size_t count = 0;
  ForEachChange(matcher,
                [&](std::uint32_t, const TransactionRecord&, const std::string*) { ++count; });
  return count;
}

std::vector<CRuleChange> PlanRuleChanges(CDataBase& db, const CRuleMatcher& matcher, Date from,
                                         Date to) {
  return CRuleSubjects(db, from, to).Plan(matcher);
}

bool StoreRuleChanges(CDataBase& db, const std::vector<CRuleChange>& changes, bool undo,
                      std::size_t* written) {
  std::size_t count = 0;
  bool stored = true;
  CDataBase::CChangeScope step(db, EChangeKind::kApplyRules, {}, changes.size());
  db.BeginBatch();
  for (const CRuleChange& change : changes) {
    const CTransactionItem& wanted = undo ? change.before : change.after;
    const auto entry = db.Transactions().Find(wanted.id);
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

// Rules and learned proposals for categorizing transactions.
#include "Rules.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <regex>
#include <tuple>

#include "Folding.h"
#include "Textcodec.h"

namespace {

constexpr std::array<const char*, 3> kFieldNames{"description", "comment", "any"};
constexpr std::array<const char*, 3> kModeNames{"contains", "words", "regex"};
constexpr std::array<const char*, 3> kKindNames{"any", "expense", "income"};

template <class E, std::size_t N>
bool FromName(const std::array<const char*, N>& names, std::string_view name, E& value) {
  for (std::size_t i = 0; i < N; ++i)
    if (name == names[i]) {
      value = static_cast<E>(i);
      return true;
    }
  return false;
}

// Whether `words` (folded, blank-separated) stand in `text` as whole words,
// one after the other.
bool HasWords(std::string_view text, const std::vector<std::string_view>& words) {
  const std::vector<std::string_view> have = FoldedWords(text);
  if (words.empty() || have.size() < words.size()) return false;
  for (std::size_t i = 0; i + words.size() <= have.size(); ++i)
    if (std::equal(words.begin(), words.end(), have.begin() + static_cast<std::ptrdiff_t>(i)))
      return true;
  return false;
}

}  // namespace

const char* RuleFieldName(ERuleField field) {
  return kFieldNames[static_cast<std::size_t>(field)];
}
const char* RuleModeName(ERuleMode mode) {
  return kModeNames[static_cast<std::size_t>(mode)];
}
const char* RuleKindName(ERuleKind kind) {
  return kKindNames[static_cast<std::size_t>(kind)];
}
bool RuleFieldFromName(std::string_view name, ERuleField& field) {
  return FromName(kFieldNames, name, field);
}
bool RuleModeFromName(std::string_view name, ERuleMode& mode) {
  return FromName(kModeNames, name, mode);
}
bool RuleKindFromName(std::string_view name, ERuleKind& kind) {
  return FromName(kKindNames, name, kind);
}

std::string RuleProblem(const CImportRule& rule) {
  const CRuleMatch& m = rule.match;
  if (m.text.find_first_not_of(" \t") == std::string::npos) return "the rule has no text to match";
  if (m.amountMin && m.amountMax && *m.amountMin > *m.amountMax)
    return "the smallest amount is above the largest";
  if ((m.amountMin && *m.amountMin < 0) || (m.amountMax && *m.amountMax < 0))
    return "amounts are without their sign";
  if (m.mode == ERuleMode::kRegex) {
    try {
      std::regex(m.text, std::regex::ECMAScript);
    } catch (const std::regex_error& e) {
      return std::string("the regular expression does not read: ") + e.what();
    }
  }
  if (rule.set.category == 0 && rule.set.member == 0 && rule.set.section == 0 &&
      rule.set.description.empty())
    return "the rule sets nothing";
  return {};
}

// ---- Matching ----

struct CRuleMatcher::CCompiled {
  const CImportRule* rule = nullptr;
  bool usable = false;
  std::string text;                     // folded unless case-sensitive
  std::vector<std::string_view> words;  // of `text`, for whole-word rules
  std::optional<std::regex> regex;
};

CRuleMatcher::CRuleMatcher(const std::vector<CImportRule>& rules) {
  compiled_.resize(rules.size());
  for (std::size_t i = 0; i < rules.size(); ++i) {
    CCompiled& c = compiled_[i];
    c.rule = &rules[i];
    c.usable = RuleProblem(rules[i]).empty();
    if (!c.usable) continue;
    const CRuleMatch& m = rules[i].match;
    c.text = m.caseSensitive ? m.text : FoldText(m.text);
    if (m.mode == ERuleMode::kRegex) {
      auto flags = std::regex::ECMAScript;
      if (!m.caseSensitive) flags |= std::regex::icase;
      c.regex.emplace(c.text, flags);
    }
  }
  // The views of whole-word rules point into `text`, which no longer moves.
  for (CCompiled& c : compiled_)
    if (c.usable && c.rule->match.mode == ERuleMode::kWords) c.words = FoldedWords(c.text);
}

CRuleMatcher::~CRuleMatcher() = default;

const CImportRule& CRuleMatcher::Rule(int index) const {
  return *compiled_[static_cast<std::size_t>(index)].rule;
}

int CRuleMatcher::FirstMatch(const CRuleSubject& subject) const {
  // The subject's texts, folded once, and only when a rule needs them.
  std::optional<std::string> folded[2];
  const std::string_view stored[2] = {subject.description, subject.comment};
  for (std::size_t i = 0; i < compiled_.size(); ++i) {
    const CCompiled& c = compiled_[i];
    if (!c.usable) continue;
    const CRuleMatch& m = c.rule->match;
    if (m.account != 0 && m.account != subject.account) continue;
    if (m.kind == ERuleKind::kExpense && !subject.expense) continue;
    if (m.kind == ERuleKind::kIncome && subject.expense) continue;
    if (m.amountMin && subject.amount < *m.amountMin) continue;
    if (m.amountMax && subject.amount > *m.amountMax) continue;
    bool matched = false;
    for (int f = 0; f < 2 && !matched; ++f) {
      if (m.field == ERuleField::kDescription && f == 1) continue;
      if (m.field == ERuleField::kComment && f == 0) continue;
      std::string_view text = stored[f];
      std::string kept;
      if (m.caseSensitive) {
        kept = StoredToUtf8(text);
        text = kept;
      } else {
        if (!folded[f]) folded[f] = FoldText(stored[f]);
        text = *folded[f];
      }
      switch (m.mode) {
        case ERuleMode::kContains:
          matched = text.find(c.text) != std::string_view::npos;
          break;
        case ERuleMode::kWords:
          matched = HasWords(text, c.words);
          break;
        case ERuleMode::kRegex:
          matched = std::regex_search(text.begin(), text.end(), *c.regex);
          break;
      }
    }
    if (matched) return static_cast<int>(i);
  }
  return -1;
}

// ---- Learning from the stored transactions ----

namespace {

// The words that tell a counterparty, as hashes: words of the folded text;
// words with digits (dates, amounts, card and reference numbers) and single
// letters tell nothing. Appended to `words`.
void AddTellingWords(std::string_view stored, std::vector<std::uint64_t>& words) {
  const std::string folded = FoldText(stored);
  for (std::string_view word : FoldedWords(folded)) {
    if (word.size() < 2) continue;
    if (std::any_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; }))
      continue;
    words.push_back(std::hash<std::string_view>()(word));
  }
}

// A transaction's words, once each.
void Unique(std::vector<std::uint64_t>& words) {
  std::sort(words.begin(), words.end());
  words.erase(std::unique(words.begin(), words.end()), words.end());
}

struct CWordStats {
  std::uint32_t count = 0;                                      // transactions with the word
  std::vector<std::pair<std::uint32_t, std::uint32_t>> labels;  // label, transactions
  void Add(std::uint32_t label) {
    ++count;
    for (auto& [l, n] : labels)
      if (l == label) {
        ++n;
        return;
      }
    labels.emplace_back(label, 1);
  }
};

// Statistics of one kind (expenses or incomes), of all accounts or of one.
struct CWordBook {
  std::size_t transactions = 0;
  std::unordered_map<std::uint64_t, CWordStats> words;  // by the word's hash
};

}  // namespace

struct CCategoryLearner::CData {
  std::vector<CLearnedProposal> labels;
  std::map<std::tuple<std::uint32_t, std::uint32_t, std::uint32_t>, std::uint32_t> labelIndex;
  CWordBook all[2];                                 // by kind: expense, income
  std::map<std::uint32_t, CWordBook> byAccount[2];  // by kind and account

  std::uint32_t Label(const TransactionRecord& r) {
    auto [it, added] = labelIndex.emplace(std::make_tuple(r.categoryId, r.memberId, r.sectionId),
                                          static_cast<std::uint32_t>(labels.size()));
    if (added) labels.push_back({r.categoryId, r.memberId, r.sectionId, 0});
    return it->second;
  }
  std::optional<CLearnedProposal> ProposeFrom(const CWordBook& book,
                                              const std::vector<std::uint64_t>& words) const;
};

CCategoryLearner::CCategoryLearner(CDataBase& db) : data_(std::make_unique<CData>()) {
  // The expenses and incomes with a category (transfers carry none; a
  // transaction without one teaches nothing), then their texts read in
  // file order, a few large reads for all of them.
  struct CTaught {
    std::uint32_t label, account;
    int kind;
  };
  std::vector<CTaught> taught;
  std::vector<std::uint32_t> stringIds;
  std::unordered_map<std::uint32_t, std::uint32_t> ofString;  // string id -> taught
  for (auto [id, entry] : db.Transactions()) {
    const TransactionRecord& r = entry->record;
    const bool expense = r.fromAccount != 0 && r.toAccount == 0;
    const bool income = r.fromAccount == 0 && r.toAccount != 0;
    if ((!expense && !income) || r.categoryId == 0) continue;
    const auto index = static_cast<std::uint32_t>(taught.size());
    taught.push_back({data_->Label(r), expense ? r.fromAccount : r.toAccount, expense ? 0 : 1});
    for (std::uint32_t text : {r.descriptionId, r.commentId})
      if (text != 0 && ofString.emplace(text, index).second) stringIds.push_back(text);
  }
  std::vector<std::vector<std::uint64_t>> words(taught.size());
  db.ReadStrings(std::move(stringIds), [&](std::uint32_t text, std::string_view stored) {
    AddTellingWords(stored, words[ofString[text]]);
  });
  for (std::size_t i = 0; i < taught.size(); ++i) {
    if (words[i].empty()) continue;
    Unique(words[i]);
    const CTaught& t = taught[i];
    CWordBook* books[] = {&data_->all[t.kind], &data_->byAccount[t.kind][t.account]};
    for (CWordBook* book : books) {
      ++book->transactions;
      for (std::uint64_t word : words[i]) book->words[word].Add(t.label);
    }
  }
}

CCategoryLearner::~CCategoryLearner() = default;

std::optional<CLearnedProposal> CCategoryLearner::CData::ProposeFrom(
    const CWordBook& book, const std::vector<std::uint64_t>& words) const {
  // A word names a label when it was seen at least twice and almost always
  // with that label (a counterparty's name; not "SEPA", a city or "payment",
  // which go with everything). The naming words vote, the rarer the word the
  // more its vote counts; a proposal needs their clear majority.
  std::map<std::uint32_t, double> votes;
  std::map<std::uint32_t, std::size_t> support;
  double total = 0;
  const double n = static_cast<double>(book.transactions);
  for (std::uint64_t word : words) {
    auto it = book.words.find(word);
    if (it == book.words.end()) continue;
    const CWordStats& s = it->second;
    const auto most =
        std::max_element(s.labels.begin(), s.labels.end(),
                         [](const auto& a, const auto& b) { return a.second < b.second; });
    if (most->second < 2 || most->second * 5 < s.count * 4) continue;
    const double weight = std::log((n + 1) / s.count);
    votes[most->first] += weight;
    total += weight;
    support[most->first] = std::max<std::size_t>(support[most->first], most->second);
  }
  if (votes.empty()) return std::nullopt;
  const auto best = std::max_element(
      votes.begin(), votes.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
  if (best->second < 0.75 * total) return std::nullopt;
  CLearnedProposal proposal = labels[best->first];
  proposal.support = support[best->first];
  return proposal;
}

std::optional<CLearnedProposal> CCategoryLearner::Propose(const CRuleSubject& subject) const {
  std::vector<std::uint64_t> words;
  AddTellingWords(subject.description, words);
  AddTellingWords(subject.comment, words);
  Unique(words);
  if (words.empty()) return std::nullopt;
  const int kind = subject.expense ? 0 : 1;
  const auto account = data_->byAccount[kind].find(subject.account);
  if (account != data_->byAccount[kind].end())
    if (auto proposal = data_->ProposeFrom(account->second, words)) return proposal;
  return data_->ProposeFrom(data_->all[kind], words);
}

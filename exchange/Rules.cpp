// Rules and learned proposals for categorizing transactions.
#include "Rules.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <map>
#include <regex>

#include "BulkTexts.h"
#include "Folding.h"
#include "PageArray.h"
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

CRuleMatcher::CRuleMatcher(const std::vector<CImportRule>& rules) : rules_(rules) {
  compiled_.resize(rules_.size());
  for (std::size_t i = 0; i < rules_.size(); ++i) {
    CCompiled& c = compiled_[i];
    c.rule = &rules_[i];
    c.usable = RuleProblem(rules_[i]).empty();
    if (!c.usable) continue;
    const CRuleMatch& m = rules_[i].match;
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

// Calls `use` with the hash of every word that tells a counterparty: the
// words of the folded text (runs of letters and digits, as FoldedWords has
// them), folded into `scratch`; words with digits (dates, amounts, card and
// reference numbers) and single letters tell nothing.
template <class F>
void ForEachTellingWord(std::string_view stored, std::string& scratch, F&& use) {
  scratch.clear();
  AppendFoldedText(stored, scratch);
  const char* text = scratch.data();
  const std::size_t size = scratch.size();
  for (std::size_t i = 0; i < size; ++i) {  // each turn ends on a separator
    const std::size_t start = i;
    bool digits = false;
    for (; i < size; ++i) {
      const auto b = static_cast<unsigned char>(text[i]);
      if (b >= '0' && b <= '9')
        digits = true;
      else if ((b < 'a' || b > 'z') && b < 0x80)
        break;
    }
    if (i - start >= 2 && !digits)
      use(std::hash<std::string_view>()(std::string_view(text + start, i - start)));
  }
}

// A transaction's words, once each.
template <class T>
void Unique(std::vector<T>& words) {
  if (words.size() > 8) {
    std::sort(words.begin(), words.end());
  } else {  // a bank text's few words
    for (std::size_t i = 1; i < words.size(); ++i)
      for (std::size_t j = i; j > 0 && words[j] < words[j - 1]; --j)
        std::swap(words[j], words[j - 1]);
  }
  words.erase(std::unique(words.begin(), words.end()), words.end());
}

// From how many texts learning reads them on two threads.
constexpr std::size_t kTwoThreadTexts = 1 << 15;

std::uint64_t Mix(std::uint64_t x) {
  return x * 0x9E3779B97F4A7C15ull;
}
std::uint64_t Pair(std::uint32_t high, std::uint32_t low) {
  return (std::uint64_t{high} << 32) | low;
}

// What the learning tables are keyed by: a label (category, member,
// section); a word (its hash) in a book, with a label or without.
struct CTriple {
  std::uint32_t a = 0, b = 0, c = 0;
  bool operator==(const CTriple&) const = default;
};
struct CWordIn {
  std::uint64_t word = 0;
  std::uint32_t book = 0, label = 0;
  bool operator==(const CWordIn&) const = default;
};
std::uint64_t MixKey(std::uint64_t key) {
  return Mix(key);
}
std::uint64_t MixKey(const CTriple& key) {
  return Mix(Mix(Pair(key.a, key.b)) ^ key.c);
}
std::uint64_t MixKey(const CWordIn& key) {
  return Mix(Mix(key.word) ^ Pair(key.book, key.label));
}

// Numbers 0, 1, 2, ... for distinct keys in the order they are first added:
// an open-addressing table of the keys' numbers, kept at most half full.
// Far fewer allocations than a node per key.
template <class Key>
class CNumbering {
 public:
  static constexpr std::uint32_t kNone = 0xFFFFFFFF;

  // The number of `key`; a new key gets the next number.
  std::uint32_t Add(const Key& key) {
    if (2 * (keys_.size() + 1) > slots_.size()) Grow();
    std::uint32_t& slot = slots_[SlotOf(key)];
    if (slot == 0) {
      keys_.push_back(key);
      slot = static_cast<std::uint32_t>(keys_.size());
    }
    return slot - 1;
  }
  // The number of `key`, or kNone.
  std::uint32_t Find(const Key& key) const {
    return slots_.empty() ? kNone : slots_[SlotOf(key)] - 1;
  }
  const Key& KeyOf(std::uint32_t number) const { return keys_[number]; }
  std::size_t size() const { return keys_.size(); }

 private:
  std::size_t SlotOf(const Key& key) const {
    const std::size_t mask = slots_.size() - 1;
    std::size_t at = static_cast<std::size_t>(MixKey(key) >> shift_);
    while (slots_[at] != 0 && !(keys_[slots_[at] - 1] == key)) at = (at + 1) & mask;
    return at;
  }
  void Grow() {
    slots_.assign(std::max<std::size_t>(16, 2 * slots_.size()), 0);
    shift_ = 64 - std::countr_zero(slots_.size());
    for (std::size_t i = 0; i < keys_.size(); ++i)
      slots_[SlotOf(keys_[i])] = static_cast<std::uint32_t>(i + 1);
  }

  std::vector<Key> keys_;             // by number
  std::vector<std::uint32_t> slots_;  // number + 1 of the key there; 0: empty
  int shift_ = 64;                    // a key's first slot: the top bits of its mix
};

// What one word says in one book (expenses or incomes, of all accounts or of
// one): how many transactions had it, and the label most of them had.
struct CNaming {
  std::uint32_t count = 0, most = 0, label = 0;
};

}  // namespace

// Books 0 and 1 are the expenses and incomes of all accounts; an account's
// book of a kind is 2 + its number in accountBooks.
struct CCategoryLearner::CData {
  std::vector<CLearnedProposal> labels;
  CNumbering<CTriple> labelIndex;          // (category, member, section)
  CNumbering<std::uint64_t> accountBooks;  // (kind, account)
  std::vector<std::size_t> transactions;   // with words, by book
  CNumbering<CWordIn> bookWords;           // (book, word) without label
  std::vector<CNaming> naming;             // by bookWords number

  std::uint32_t Label(const TransactionRecord& r) {
    const std::uint32_t label = labelIndex.Add({r.categoryId, r.memberId, r.sectionId});
    if (label == labels.size()) labels.push_back({r.categoryId, r.memberId, r.sectionId, 0});
    return label;
  }
  std::uint32_t Book(int kind, std::uint32_t account) {
    const std::uint32_t book =
        2 + accountBooks.Add(Pair(static_cast<std::uint32_t>(kind), account));
    if (book >= transactions.size()) transactions.resize(book + 1);
    return book;
  }
  std::optional<CLearnedProposal> ProposeFrom(std::uint32_t book,
                                              const std::vector<std::uint64_t>& words) const;
};

CCategoryLearner::CCategoryLearner(CDataBase& db, std::size_t newest)
    : data_(std::make_unique<CData>()) {
  // The expenses and incomes with a category (transfers carry none; a
  // transaction without one teaches nothing), then their texts read in
  // file order, a few large reads for all of them. A text id shared by
  // several transactions teaches with the first of them.
  struct CTaught {
    std::uint32_t label, account;
    int kind;
    int texts = 0;                       // of begin and end
    int part = 0;                        // of textWords
    std::uint32_t begin[2]{}, end[2]{};  // words in textWords[part], by text
  };
  // The newest of them, at most `newest`, found from the highest id down
  // and then taken in id order.
  // (Lists of a million and more are kept in page arrays: they fill huge
  // pages rather than faulting in 4 KB ones.)
  TPageArray<TransactionRecord> recent;
  std::uint32_t lowestText = UINT32_MAX;
  db.Transactions().ForEachDescending([&](std::uint32_t, TTransactionIndexes::Ptr entry) {
    const TransactionRecord r = entry->record;
    const bool expense = r.fromAccount != 0 && r.toAccount == 0;
    const bool income = r.fromAccount == 0 && r.toAccount != 0;
    if ((!expense && !income) || r.categoryId == 0) return true;
    if (recent.empty()) recent.reserve(std::min(db.Transactions().size(), newest));
    recent.push_back(r);
    for (std::uint32_t text : {r.descriptionId, r.commentId})
      if (text != 0) lowestText = std::min(lowestText, text);
    return recent.size() < newest;
  });
  TPageArray<CTaught> taught;
  std::vector<std::uint32_t> stringIds;
  CStringIdMap ofString(db.GetNextStringId(), 2 * recent.size(), lowestText);  // -> taught
  taught.reserve(recent.size());
  stringIds.reserve(recent.size());
  for (std::size_t i = recent.size(); i-- > 0;) {  // (an empty array has no pointer to step)
    const TransactionRecord* r = &recent[i];
    const bool expense = r->toAccount == 0;
    const auto index = static_cast<std::uint32_t>(taught.size());
    taught.push_back({data_->Label(*r), expense ? r->fromAccount : r->toAccount, expense ? 0 : 1});
    for (std::uint32_t text : {r->descriptionId, r->commentId})
      if (text != 0 && ofString.Emplace(text, index)) stringIds.push_back(text);
  }
  recent.clear();
  // Every text is folded once, on two threads for many: each takes the
  // texts of one run of transactions.
  std::size_t split = stringIds.size() >= kTwoThreadTexts ? stringIds.size() / 2 : 0;
  while (split > 0 && split < stringIds.size() &&
         ofString.Find(stringIds[split]) == ofString.Find(stringIds[split - 1]))
    ++split;
  struct alignas(64) CPartWords {  // (apart: each thread writes its own)
    TPageArray<std::uint64_t> words;
  } textWords[2];  // the telling words by part
  textWords[0].words.reserve(2 * split);
  textWords[1].words.reserve(2 * (stringIds.size() - split));
  std::string scratch[2];
  ReadStringsInTwo(
      db, stringIds, split, [&](int part, std::uint32_t text, std::string_view stored) {
        CTaught& t = taught[ofString.Find(text)];
        if (t.texts == 2) return;  // each text is asked for once
        const int k = t.texts++;
        TPageArray<std::uint64_t>& to = textWords[part].words;
        t.part = part;
        t.begin[k] = static_cast<std::uint32_t>(to.size());
        ForEachTellingWord(stored, scratch[part], [&](std::uint64_t word) { to.push_back(word); });
        t.end[k] = static_cast<std::uint32_t>(to.size());
      });
  // How many transactions had each word with each label, by book.
  data_->transactions.resize(2);
  CNumbering<CWordIn> counted;  // (book, word, label)
  std::vector<std::uint32_t> counts;
  std::vector<std::uint64_t> words;
  for (const CTaught& t : taught) {
    words.clear();
    const TPageArray<std::uint64_t>& from = textWords[t.part].words;
    for (int k = 0; k < t.texts; ++k)
      words.insert(words.end(), from.begin() + t.begin[k], from.begin() + t.end[k]);
    if (words.empty()) continue;
    Unique(words);
    // Counted in the account's book; the book of all accounts adds them up.
    const std::uint32_t book = data_->Book(t.kind, t.account);
    ++data_->transactions[static_cast<std::size_t>(t.kind)];
    ++data_->transactions[book];
    for (std::uint64_t word : words) {
      const std::uint32_t n = counted.Add({word, book, t.label});
      if (n == counts.size()) counts.push_back(0);
      ++counts[n];
    }
  }
  const std::size_t ofAccounts = counts.size();
  for (std::uint32_t n = 0; n < ofAccounts; ++n) {
    CWordIn key = counted.KeyOf(n);
    key.book = static_cast<std::uint32_t>(data_->accountBooks.KeyOf(key.book - 2) >> 32);
    const std::uint32_t all = counted.Add(key);
    if (all == counts.size()) counts.push_back(0);
    counts[all] += counts[n];
  }
  // Each word's count and its most frequent label, by book. Two labels
  // that tie for the most never make the clear majority a naming word needs
  // (each would have four fifths of the count), so a tie needs no order.
  for (std::uint32_t n = 0; n < counts.size(); ++n) {
    const CWordIn& key = counted.KeyOf(n);
    const std::uint32_t at = data_->bookWords.Add({key.word, key.book, 0});
    if (at == data_->naming.size()) data_->naming.emplace_back();
    CNaming& naming = data_->naming[at];
    naming.count += counts[n];
    if (counts[n] > naming.most) {
      naming.most = counts[n];
      naming.label = key.label;
    }
  }
}

CCategoryLearner::~CCategoryLearner() = default;

std::optional<CLearnedProposal> CCategoryLearner::CData::ProposeFrom(
    std::uint32_t book, const std::vector<std::uint64_t>& words) const {
  // A word names a label when it was seen at least twice and almost always
  // with that label (a counterparty's name; not "SEPA", a city or "payment",
  // which go with everything). The naming words vote, the rarer the word the
  // more its vote counts; a proposal needs their clear majority.
  std::map<std::uint32_t, double> votes;
  std::map<std::uint32_t, std::size_t> support;
  double total = 0;
  const double n = static_cast<double>(transactions[book]);
  for (std::uint64_t word : words) {
    const std::uint32_t at = bookWords.Find({word, book, 0});
    if (at == CNumbering<CWordIn>::kNone) continue;
    const CNaming& s = naming[at];
    if (s.most < 2 || s.most * 5 < s.count * 4) continue;
    const double weight = std::log((n + 1) / s.count);
    votes[s.label] += weight;
    total += weight;
    support[s.label] = std::max<std::size_t>(support[s.label], s.most);
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
  std::string scratch;
  const auto add = [&](std::uint64_t word) { words.push_back(word); };
  ForEachTellingWord(subject.description, scratch, add);
  ForEachTellingWord(subject.comment, scratch, add);
  Unique(words);
  if (words.empty()) return std::nullopt;
  const int kind = subject.expense ? 0 : 1;
  const std::uint32_t account =
      data_->accountBooks.Find(Pair(static_cast<std::uint32_t>(kind), subject.account));
  if (account != CNumbering<std::uint64_t>::kNone)
    if (auto proposal = data_->ProposeFrom(2 + account, words)) return proposal;
  return data_->ProposeFrom(static_cast<std::uint32_t>(kind), words);
}

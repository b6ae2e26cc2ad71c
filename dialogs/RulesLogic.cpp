#include "RulesLogic.h"

#include <algorithm>
#include <functional>

#include "Include.h"
#include "Settingsstorage.h"
#include "Textcodec.h"

namespace {

// A letter or digit of a word; bytes of UTF-8 characters count as letters.
bool InWord(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u >= 0x80 || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// A label of the editor ("Ca&tegory:") as a word of the list ("Category").
std::string Word(std::uint32_t id, const char* english) {
  std::string text = GetLocalizedText(id, english);
  text.erase(std::remove(text.begin(), text.end(), '&'), text.end());
  while (!text.empty() && (text.back() == ':' || text.back() == ' ')) text.pop_back();
  return text;
}

constexpr const char* kJoin = " \xC2\xB7 ";  // " · "

bool ChangeRules(const std::string& databaseFile, std::string& error,
                 const std::function<void(std::vector<CImportRule>&)>& change) {
  return UpdateCompanion(
      databaseFile, [&](CCompanion& companion) { change(companion.Rules()); }, error);
}

}  // namespace

std::string RuleTextFromDescription(std::string_view storedDescription) {
  const std::string text = StoredToUtf8(storedDescription);
  constexpr int kMaxWords = 5;
  std::size_t begin = std::string::npos, end = 0;
  int words = 0;
  for (std::size_t i = 0; i < text.size() && words < kMaxWords;) {
    if (!InWord(text[i])) {
      ++i;
      continue;
    }
    std::size_t j = i;
    while (j < text.size() && InWord(text[j])) ++j;
    const bool code = std::any_of(text.begin() + static_cast<std::ptrdiff_t>(i),
                                  text.begin() + static_cast<std::ptrdiff_t>(j),
                                  [](char c) { return c >= '0' && c <= '9'; });
    if (code && words > 0) break;  // the name ends where the numbers start
    if (!code) {
      if (begin == std::string::npos) begin = i;
      end = j;
      ++words;
    }
    i = j;
  }
  return begin == std::string::npos ? std::string() : text.substr(begin, end - begin);
}

CImportRule RuleFromRow(std::string_view description, Money /*amount*/, bool expense,
                        std::uint32_t /*account*/, std::uint32_t category, std::uint32_t member,
                        std::uint32_t section) {
  CImportRule rule;
  rule.match.text = RuleTextFromDescription(description);
  rule.match.field = ERuleField::kDescription;
  rule.match.mode = ERuleMode::kWords;
  rule.match.kind = expense ? ERuleKind::kExpense : ERuleKind::kIncome;
  rule.set.category = category;
  rule.set.member = member;
  rule.set.section = section;
  return rule;
}

std::string RuleProblemText(const CRuleProblem& problem) {
  switch (problem.kind) {
    case ERuleProblem::kNone:
      return {};
    case ERuleProblem::kNoText:
      return GetLocalizedText(30729, "Write the text the rule looks for.");
    case ERuleProblem::kMinAboveMax:
      return GetLocalizedText(30730, "The amount from is above the amount to.");
    case ERuleProblem::kSignedAmount:
      return GetLocalizedText(30731, "Write the amounts without a sign.");
    case ERuleProblem::kBadRegex: {
      std::string text = GetLocalizedText(30732, "The regular expression does not read: %1");
      const std::size_t at = text.find("%1");
      if (at != std::string::npos) text.replace(at, 2, problem.detail);
      return text;
    }
    case ERuleProblem::kSetsNothing:
      return GetLocalizedText(
          30733, "Choose what the rule sets: a category, a member, a section or a description.");
    case ERuleProblem::kNoCategory:
      return GetLocalizedText(30734, "The category is no longer there.");
    case ERuleProblem::kNoMember:
      return GetLocalizedText(30735, "The family member is no longer there.");
    case ERuleProblem::kNoSection:
      return GetLocalizedText(30736, "The section is no longer there.");
    case ERuleProblem::kNoAccount:
      return GetLocalizedText(30737, "The account is no longer there.");
    case ERuleProblem::kOther:
      break;
  }
  return problem.text;
}

std::string RuleAmountText(Money amount) {
  return amount % 100 == 0 ? MoneyToStr(amount) : QuantityToStr(amount);
}

bool ReadRuleAmount(const std::string& text, std::optional<Money>& amount) {
  const TTypedAmount typed = ReadTypedAmount(text, 4, GetSettings().GetNumberFormat());
  amount.reset();
  if (typed.state == TTypedAmountState::kEmpty) return true;
  if (typed.state != TTypedAmountState::kComplete) return false;
  amount = typed.value;
  return true;
}

std::string RuleAmountProblemText() {
  std::string text =
      GetLocalizedText(30738, "The amount is not understood: write it without a sign, like %1.");
  const std::size_t at = text.find("%1");
  if (at != std::string::npos) text.replace(at, 2, MoneyToStr(12345000));
  return text;
}

// ---- How a rule reads ----

CRuleDescriber::CRuleDescriber(CDataBase& db) : db_(db) {
  for (auto [id, entry] : db.Accounts())
    accounts_[id] = StoredToUtf8(db.GetString(entry->record.nameId));
}

std::string CRuleDescriber::SubTypeName(std::uint32_t id) const {
  std::string path;
  std::uint32_t at = id;
  // The names from the subtype up to its root, at most as deep as a sane tree.
  for (int depth = 0; depth < 64 && at > kFirstFreeId; ++depth) {
    const CSubTypeIndex* entry = db_.SubTypes().Find(at);
    if (entry == nullptr) break;
    const std::string name = StoredToUtf8(db_.GetString(entry->record.nameId));
    path = path.empty() ? name : name + " / " + path;
    at = entry->record.parentId;
  }
  return path.empty() ? "? " + std::to_string(id) : path;
}

std::string CRuleDescriber::Matches(const CImportRule& rule) const {
  const CRuleMatch& m = rule.match;
  std::string text = "\"" + m.text + "\"";
  auto add = [&](const std::string& part) { text += kJoin + part; };
  if (m.field == ERuleField::kDescription) add(Word(30708, "Description"));
  if (m.field == ERuleField::kComment) add(Word(30709, "Comment"));
  if (m.mode == ERuleMode::kWords) add(Word(30713, "Whole words"));
  if (m.mode == ERuleMode::kRegex) add(Word(30714, "Regular expression"));
  if (m.caseSensitive) add(Word(30715, "&Case-sensitive"));
  if (m.amountMin && m.amountMax)
    add(RuleAmountText(*m.amountMin) + " \xE2\x80\x93 " + RuleAmountText(*m.amountMax));
  else if (m.amountMin)
    add("\xE2\x89\xA5 " + RuleAmountText(*m.amountMin));  // ≥
  else if (m.amountMax)
    add("\xE2\x89\xA4 " + RuleAmountText(*m.amountMax));  // ≤
  if (m.kind == ERuleKind::kExpense) add(Word(14, "Expense"));
  if (m.kind == ERuleKind::kIncome) add(Word(13, "Income"));
  if (m.account != 0) {
    const auto it = accounts_.find(m.account);
    add(it == accounts_.end() ? "? " + std::to_string(m.account) : it->second);
  }
  return text;
}

std::string CRuleDescriber::Sets(const CImportRule& rule) const {
  std::vector<std::string> parts;
  const CRuleSet& s = rule.set;
  if (s.category != 0) parts.push_back(Word(30723, "Ca&tegory:") + ": " + SubTypeName(s.category));
  if (s.member != 0) parts.push_back(Word(30724, "Family &member:") + ": " + SubTypeName(s.member));
  if (s.section != 0) parts.push_back(Word(30725, "&Section:") + ": " + SubTypeName(s.section));
  if (!s.description.empty())
    parts.push_back(Word(30726, "New &description:") + ": " + s.description);
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : kJoin) + part;
  return text;
}

// ---- The rules in the companion file ----

bool AppendRule(const std::string& databaseFile, CImportRule& rule, std::string& error) {
  return UpdateCompanion(
      databaseFile,
      [&](CCompanion& companion) {
        rule.id = companion.NextRuleId();
        companion.Rules().push_back(rule);
      },
      error);
}

bool ReplaceRule(const std::string& databaseFile, const CImportRule& rule, std::string& error) {
  return ChangeRules(databaseFile, error, [&](std::vector<CImportRule>& rules) {
    for (CImportRule& kept : rules)
      if (kept.id == rule.id) kept = rule;
  });
}

bool DeleteRule(const std::string& databaseFile, std::uint32_t id, std::string& error) {
  return ChangeRules(databaseFile, error, [&](std::vector<CImportRule>& rules) {
    rules.erase(std::remove_if(rules.begin(), rules.end(),
                               [id](const CImportRule& r) { return r.id == id; }),
                rules.end());
  });
}

bool MoveRule(const std::string& databaseFile, std::uint32_t id, int delta, std::string& error) {
  return ChangeRules(databaseFile, error, [&](std::vector<CImportRule>& rules) {
    const auto at =
        std::find_if(rules.begin(), rules.end(), [id](const CImportRule& r) { return r.id == id; });
    if (at == rules.end()) return;
    const std::ptrdiff_t from = at - rules.begin();
    const std::ptrdiff_t to = from + delta;
    if (to >= 0 && to < static_cast<std::ptrdiff_t>(rules.size()))
      std::swap(rules[static_cast<std::size_t>(from)], rules[static_cast<std::size_t>(to)]);
  });
}

std::string RuleStoreFailureText(std::size_t written, const std::string& reason) {
  std::string text = GetLocalizedCount(30754,
                                       "The database file failed: %1 transaction was changed, "
                                       "the others were not.|The database file failed: %1 "
                                       "transactions were changed, the others were not.",
                                       static_cast<long long>(written));
  if (!reason.empty()) text += "\n\n" + reason;
  return text;
}

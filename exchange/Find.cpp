#include "Find.h"

#include <string.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <unordered_set>

#include "Textcodec.h"

namespace {

// Base letters of U+0100..U+017F (Latin Extended-A); '*' marks the four
// ligatures, which FoldCodePoint spells out.
constexpr char kLatinExtendedA[] =
    "aaaaaaccccccccddddeeeeeeeeeegggggggghhhhiiiiiiiiii**jjkkkllllllllll"
    "nnnnnnnnnoooooo**rrrrrrssssssssttttttuuuuuuuuuuuuwwyyyzzzzzzs";
static_assert(sizeof kLatinExtendedA == 129);

// Base letters of U+00C0..U+00FF; '*' marks the ones spelled out, '-' the
// two signs (multiplication, division) that stay as they are.
constexpr char kLatin1[] = "aaaaaa*ceeeeiiiidnooooo-ouuuuy**aaaaaa*ceeeeiiiidnooooo-ouuuuy*y";
static_assert(sizeof kLatin1 == 65);

void AppendUtf8(std::uint32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Greek letters with an accent or diaeresis, and final sigma, by their base.
std::uint32_t GreekBase(std::uint32_t cp) {
  switch (cp) {
    case 0x386:
    case 0x3AC:
      return 0x3B1;
    case 0x388:
    case 0x3AD:
      return 0x3B5;
    case 0x389:
    case 0x3AE:
      return 0x3B7;
    case 0x38A:
    case 0x3AF:
    case 0x3AA:
    case 0x3CA:
    case 0x390:
      return 0x3B9;
    case 0x38C:
    case 0x3CC:
      return 0x3BF;
    case 0x38E:
    case 0x3CD:
    case 0x3AB:
    case 0x3CB:
    case 0x3B0:
      return 0x3C5;
    case 0x38F:
    case 0x3CE:
      return 0x3C9;
    case 0x3C2:
      return 0x3C3;
    default:
      return cp >= 0x391 && cp <= 0x3A9 ? cp + 0x20 : cp;
  }
}

void FoldCodePoint(std::uint32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp >= 'A' && cp <= 'Z' ? cp + 32 : cp);
  } else if (cp == 0xA0) {
    out += ' ';  // a no-break space separates words as a space does
  } else if (cp >= 0xC0 && cp <= 0xFF) {
    const char base = kLatin1[cp - 0xC0];
    if (base == '-')
      AppendUtf8(cp, out);
    else if (cp == 0xC6 || cp == 0xE6)
      out += "ae";
    else if (cp == 0xDE || cp == 0xFE)
      out += "th";
    else if (cp == 0xDF)
      out += "ss";
    else
      out += base;
  } else if (cp >= 0x100 && cp <= 0x17F) {
    if (cp == 0x132 || cp == 0x133)
      out += "ij";
    else if (cp == 0x152 || cp == 0x153)
      out += "oe";
    else
      out += kLatinExtendedA[cp - 0x100];
  } else if (cp >= 0x300 && cp <= 0x36F) {
    // Combining accents are dropped with the accents of composed letters.
  } else if (cp >= 0x386 && cp <= 0x3CE) {
    AppendUtf8(GreekBase(cp), out);
  } else if (cp >= 0x400 && cp <= 0x45F) {
    if (cp < 0x410)
      cp += 0x50;
    else if (cp < 0x430)
      cp += 0x20;
    AppendUtf8(cp == 0x451 ? 0x435 : cp, out);  // ё counts as е
  } else {
    AppendUtf8(cp, out);
  }
}

// The words of a folded text.
std::vector<std::string> WordsOf(const std::string& folded) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < folded.size()) {
    while (i < folded.size() && std::isspace(static_cast<unsigned char>(folded[i]))) ++i;
    std::size_t j = i;
    while (j < folded.size() && !std::isspace(static_cast<unsigned char>(folded[j]))) ++j;
    if (j > i) words.push_back(folded.substr(i, j - i));
    i = j;
  }
  return words;
}

// The ids of `category` and, when `withChildren`, of every subtype below it.
std::vector<std::uint32_t> CategorySet(CDataBase& db, std::uint32_t category, bool withChildren) {
  std::vector<std::uint32_t> set{category};
  if (!withChildren) return set;
  std::unordered_multimap<std::uint32_t, std::uint32_t> children;
  for (auto [id, entry] : db.SubTypes()) children.emplace(entry->record.parentId, id);
  for (std::size_t i = 0; i < set.size() && set.size() <= children.size() + 1; ++i) {
    auto [lo, hi] = children.equal_range(set[i]);
    for (auto it = lo; it != hi; ++it)
      if (std::find(set.begin(), set.end(), it->second) == set.end()) set.push_back(it->second);
  }
  std::sort(set.begin(), set.end());
  return set;
}

bool KindMatches(EFindKind kind, const TransactionRecord& r) {
  switch (kind) {
    case EFindKind::kExpenses:
      return IsExpense(r);
    case EFindKind::kIncomes:
      return IsIncome(r);
    case EFindKind::kTransfers:
      return IsTransfer(r);
    case EFindKind::kAll:
      break;
  }
  return true;
}

Money SignedAmount(const CFindQuery& q, const TransactionRecord& r) {
  if (q.account != 0 && IsTransfer(r))
    return (r.toAccount == q.account ? r.amountIn : 0) -
           (r.fromAccount == q.account ? r.amountOut : 0);
  if (IsIncome(r)) return r.amountIn;
  if (IsExpense(r)) return -r.amountOut;
  return q.kind == EFindKind::kTransfers ? r.amountOut : 0;
}

std::string Trimmed(const std::string& text) {
  const std::size_t b = text.find_first_not_of(" \t");
  if (b == std::string::npos) return {};
  return text.substr(b, text.find_last_not_of(" \t") - b + 1);
}

}  // namespace

Money FindAmountOf(const TransactionRecord& r) {
  return IsIncome(r) ? r.amountIn : r.amountOut;
}

std::string FoldText(std::string_view stored) {
  const std::string utf8 = StoredToUtf8(stored);
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      out += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
      ++i;
      continue;
    }
    const int n = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
    std::uint32_t cp = c & (0x7F >> n);
    for (int k = 1; k < n && i + k < utf8.size(); ++k)
      cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    FoldCodePoint(cp, out);
    i += static_cast<std::size_t>(n);
  }
  return out;
}

bool ParseAmountCondition(const std::string& text, const TAmountReader& readAmount,
                          CFindQuery& query) {
  const std::string t = Trimmed(text);
  if (t.empty()) return true;
  std::optional<Money> lo, hi;
  auto read = [&](const std::string& part, std::optional<Money>& into) {
    into = readAmount(Trimmed(part));
    return into.has_value();
  };
  if (const std::size_t dots = t.find(".."); dots != std::string::npos) {
    const std::string left = Trimmed(t.substr(0, dots)), right = Trimmed(t.substr(dots + 2));
    if (left.empty() && right.empty()) return false;
    if (!left.empty() && !read(left, lo)) return false;
    if (!right.empty() && !read(right, hi)) return false;
  } else if (t[0] == '>' || t[0] == '<') {
    const bool orEqual = t.size() > 1 && t[1] == '=';
    std::optional<Money> bound;
    if (!read(t.substr(orEqual ? 2 : 1), bound)) return false;
    // Amounts are whole ten-thousandths, so "more than" is "at least one more".
    if (t[0] == '>')
      lo = orEqual ? *bound : *bound + 1;
    else if (orEqual)
      hi = *bound;
    else if (*bound == 0)
      return false;  // no amount is below nothing
    else
      hi = *bound - 1;
  } else {
    if (!read(t, lo)) return false;
    hi = lo;
  }
  query.minAmount = lo;
  query.maxAmount = hi;
  return true;
}

void CFindIndex::Clear() {
  db_ = nullptr;
  fileName_.clear();
  generation_ = 0;
  folded_.clear();
  liveBytes_ = 0;
  dense_.clear();
  sparse_.clear();
}

void CFindIndex::Refresh(CDataBase& db) {
  // Dense slots cost 20 bytes per id up to the largest; a file whose ids
  // jump far ahead uses the map instead.
  const bool dense = db.GetNextItemId() <= 4 * db.Transactions().size() + (1u << 20);
  const bool sameFile = db_ == &db && fileName_ == db.GetFileName() && useDense_ == dense;
  std::vector<std::uint32_t> reused;
  if (!sameFile || !db.ReusedStringsSince(generation_, reused)) {
    Clear();
    db_ = &db;
    fileName_ = db.GetFileName();
    useDense_ = dense;
  } else if (!reused.empty()) {
    // A freed text id given to a new text may be back in a transaction that
    // had it before: its folded text is stale though its ids match.
    std::unordered_set<std::uint32_t> stale(reused.begin(), reused.end());
    for (auto [id, entry] : db.Transactions())
      if (stale.count(entry->record.descriptionId) || stale.count(entry->record.commentId))
        SlotOf(id).filled = false;
  }
  generation_ = db.GetStringGeneration();
  if (useDense_ && dense_.size() < db.GetNextItemId() + 1) dense_.resize(db.GetNextItemId() + 1);
  if (folded_.size() > 2 * liveBytes_ + (1u << 20)) Compact(db);
}

CFindIndex::Slot& CFindIndex::SlotOf(std::uint32_t id) {
  return useDense_ && id < dense_.size() ? dense_[id] : sparse_[id];
}

std::string_view CFindIndex::TextOf(CDataBase& db, std::uint32_t id, const TransactionRecord& r) {
  Slot& slot = SlotOf(id);
  if (!slot.filled || slot.descriptionId != r.descriptionId || slot.commentId != r.commentId) {
    if (slot.filled) liveBytes_ -= slot.length;
    const std::string text =
        FoldText(db.GetString(r.descriptionId)) + '\n' + FoldText(db.GetString(r.commentId));
    slot = Slot{r.descriptionId, r.commentId, static_cast<std::uint32_t>(folded_.size()),
                static_cast<std::uint32_t>(text.size()), true};
    folded_ += text;
    liveBytes_ += text.size();
  }
  return std::string_view(folded_).substr(slot.offset, slot.length);
}

void CFindIndex::Compact(CDataBase& db) {
  std::string kept;
  kept.reserve(liveBytes_);
  for (auto [id, entry] : db.Transactions()) {
    Slot& slot = SlotOf(id);
    if (!slot.filled) continue;
    const std::string_view text = std::string_view(folded_).substr(slot.offset, slot.length);
    slot.offset = static_cast<std::uint32_t>(kept.size());
    kept += text;
  }
  // Slots of deleted transactions point at nothing now.
  if (useDense_) {
    for (std::uint32_t id = 0; id < dense_.size(); ++id)
      if (dense_[id].filled && db.Transactions().Find(id) == nullptr) dense_[id] = Slot{};
  } else {
    std::erase_if(sparse_,
                  [&](const auto& p) { return db.Transactions().Find(p.first) == nullptr; });
  }
  folded_.swap(kept);
  liveBytes_ = folded_.size();
}

CFindResult CFindIndex::Find(CDataBase& db, const CFindQuery& q) {
  CFindResult result;
  if (!db.IsOpened()) return result;
  Refresh(db);
  const std::vector<std::string> words = WordsOf(FoldText(q.text));
  const std::vector<std::uint32_t> categories =
      q.category != 0 ? CategorySet(db, q.category, q.subCategories) : std::vector<std::uint32_t>{};
  const std::int32_t fromDay = q.from ? DayKeyOf(*q.from) : INT32_MIN;
  const std::int32_t toDay = q.to ? DayKeyOf(*q.to) : INT32_MAX;
  std::vector<std::uint64_t> found;  // (day, id), to be put in date order
  std::unordered_map<std::uint32_t, std::uint32_t> currencyOf;  // by account
  bool oneCurrency = true;
  for (auto [id, entry] : db.Transactions()) {
    const TransactionRecord& r = entry->record;
    const std::int32_t day = DayKeyOf(r.date);
    if (day < fromDay || day > toDay || !KindMatches(q.kind, r)) continue;
    if (q.account != 0 && r.fromAccount != q.account && r.toAccount != q.account) continue;
    if ((q.member != 0 && r.memberId != q.member) || (q.section != 0 && r.sectionId != q.section))
      continue;
    if (!categories.empty() &&
        !std::binary_search(categories.begin(), categories.end(), r.categoryId))
      continue;
    const Money amount = FindAmountOf(r);
    if ((q.minAmount && amount < *q.minAmount) || (q.maxAmount && amount > *q.maxAmount)) continue;
    if (!words.empty()) {
      const std::string_view text = TextOf(db, id, r);
      const bool all = std::all_of(words.begin(), words.end(), [&](const std::string& w) {
        return memmem(text.data(), text.size(), w.data(), w.size()) != nullptr;
      });
      if (!all) continue;
    }
    found.push_back(
        (static_cast<std::uint64_t>(static_cast<std::uint32_t>(day) ^ 0x80000000u) << 32) | id);
    result.sum += SignedAmount(q, r);
    const std::uint32_t account = IsIncome(r) ? r.toAccount : r.fromAccount;
    auto known = currencyOf.find(account);
    if (known == currencyOf.end())
      known = currencyOf.emplace(account, db.GetAccountCurrency(account)).first;
    if (found.size() == 1) result.currency = known->second;
    oneCurrency = oneCurrency && known->second == result.currency;
  }
  if (!oneCurrency) result.currency = 0;
  // Ids mostly grow with the date, so this is usually close to sorted already.
  if (!std::is_sorted(found.begin(), found.end())) std::sort(found.begin(), found.end());
  result.ids.reserve(found.size());
  for (std::uint64_t key : found) result.ids.push_back(static_cast<std::uint32_t>(key));
  return result;
}

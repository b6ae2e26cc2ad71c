#include "Find.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <thread>
#include <unordered_set>

#include "BulkTexts.h"
#include "PageArray.h"
#include "Textcodec.h"

namespace {

// A text's length before it is read.
constexpr std::uint32_t kUnread = 0xFFFFFFFF;
// How many out-of-date texts are few enough to read one by one.
constexpr std::size_t kFewTexts = 256;
// From how many texts they are read on two threads.
constexpr std::size_t kTwoThreadTexts = 1 << 15;

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
  lookedAt_ = 0;
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
  if (!slot.Holds(r.descriptionId, r.commentId)) {
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

void CFindIndex::FillTexts(CDataBase& db) {
  // A few changed texts (an edit, a new transaction) are read one by one as
  // the query meets them; then a look at every slot costs more than it saves.
  const std::size_t count = db.Transactions().size();
  lookedAt_ = std::min(lookedAt_, count);  // what is added after deleting counts
  if (count < lookedAt_ + kFewTexts) return;
  lookedAt_ = count;
  // The transactions whose slot is out of date (id, description, comment),
  // and their texts.
  struct CPending {
    std::uint32_t id, descriptionId, commentId;
  };
  std::vector<CPending> pending;
  std::vector<std::uint32_t> ids;
  for (auto [id, entry] : db.Transactions()) {
    const Slot& slot = SlotOf(id);
    const TransactionRecord r = entry->record;
    if (slot.Holds(r.descriptionId, r.commentId)) continue;
    if (pending.empty()) {
      pending.reserve(db.Transactions().size());
      ids.reserve(2 * db.Transactions().size());
    }
    pending.push_back({id, r.descriptionId, r.commentId});
    for (std::uint32_t text : {r.descriptionId, r.commentId})
      if (text != 0) ids.push_back(text);
  }
  if (pending.size() < kFewTexts) return;
  // Every text folded once, into one buffer; a text's place by its id.
  CStringIdMap placeOf(db.GetNextStringId(), ids.size());
  std::vector<std::pair<std::uint32_t, std::uint32_t>> places;  // offset, length
  places.reserve(ids.size());
  std::size_t kept = 0;  // ids once each, in the order of places
  for (std::uint32_t text : ids)
    if (placeOf.Emplace(text, static_cast<std::uint32_t>(places.size()))) {
      places.emplace_back(0, kUnread);
      ids[kept++] = text;
    }
  ids.resize(kept);
  // On two threads for many texts, each folding into its own buffer.
  const std::size_t split = ids.size() >= kTwoThreadTexts ? ids.size() / 2 : ids.size();
  std::string texts[2];
  texts[0].reserve(32 * split);
  texts[1].reserve(32 * (ids.size() - split));
  auto keep = [&](int part, std::uint32_t text, std::string_view stored) {
    const std::size_t offset = texts[part].size();
    AppendFoldedText(stored, texts[part]);
    places[placeOf.Find(text)] = {static_cast<std::uint32_t>(offset),
                                  static_cast<std::uint32_t>(texts[part].size() - offset)};
  };
  ReadStringsInTwo(db, ids, split, keep);
  // A text the bulk read skipped is read as a single text is (which says
  // why it is missing).
  for (std::size_t i = 0; i < ids.size(); ++i)
    if (places[i].second == kUnread) keep(i < split ? 0 : 1, ids[i], db.GetString(ids[i]));
  auto folded = [&](std::uint32_t text) {
    if (text == 0) return std::string_view();
    const std::uint32_t i = placeOf.Find(text);
    const auto [offset, length] = places[i];
    return std::string_view(texts[i < split ? 0 : 1]).substr(offset, length);
  };
  // The slots, in the layout TextOf gives them.
  folded_.reserve(folded_.size() + texts[0].size() + texts[1].size() + pending.size());
  for (const CPending& r : pending) {
    Slot& slot = SlotOf(r.id);
    if (slot.filled) liveBytes_ -= slot.length;
    const std::size_t offset = folded_.size();
    folded_ += folded(r.descriptionId);
    folded_ += '\n';
    folded_ += folded(r.commentId);
    slot = Slot{r.descriptionId, r.commentId, static_cast<std::uint32_t>(offset),
                static_cast<std::uint32_t>(folded_.size() - offset), true};
    liveBytes_ += slot.length;
  }
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

void CFindIndex::Prepare(CDataBase& db) {
  if (!db.IsOpened()) return;
  Refresh(db);
  FillTexts(db);
}

const CFindIndex::Slot* CFindIndex::FilledSlot(std::uint32_t id, std::uint32_t descriptionId,
                                               std::uint32_t commentId) const {
  const Slot* slot = nullptr;
  if (useDense_ && id < dense_.size()) {
    slot = &dense_[id];
  } else {
    auto it = sparse_.find(id);
    if (it != sparse_.end()) slot = &it->second;
  }
  return slot != nullptr && slot->Holds(descriptionId, commentId) ? slot : nullptr;
}

CFindResult CFindIndex::Find(CDataBase& db, const CFindQuery& q) {
  CFindResult result;
  if (!db.IsOpened()) return result;
  Refresh(db);
  const std::vector<std::string> words = WordsOf(FoldText(q.text));
  if (!words.empty()) FillTexts(db);
  const std::vector<std::uint32_t> categories =
      q.category != 0 ? CategorySet(db, q.category, q.subCategories) : std::vector<std::uint32_t>{};
  const std::int32_t fromDay = q.from ? DayKeyOf(*q.from) : INT32_MIN;
  const std::int32_t toDay = q.to ? DayKeyOf(*q.to) : INT32_MAX;
  const auto hasWords = [&](std::string_view text) {
    return std::all_of(words.begin(), words.end(), [&](const std::string& w) {
      // (one letter, as typing starts: no comparing after finding it)
      return (w.size() == 1 ? text.find(w[0]) : text.find(w)) != std::string_view::npos;
    });
  };
  // What one share of the transactions gives.
  struct alignas(64) CShare {         // (apart: each thread writes its own)
    TPageArray<std::uint64_t> found;  // (day, id), to be put in date order
    Money sum = 0;
    std::uint32_t currency = 0;  // of the first match
    bool oneCurrency = true;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> currencyOf;  // (account, currency)
    std::vector<std::uint32_t> unread;  // ids whose folded text is out of date
  };
  // Everything but the words, on the record.
  const auto take = [&](CShare& share, std::uint32_t id, std::int32_t day,
                        const TransactionRecord& r) {
    if (day < fromDay || day > toDay || !KindMatches(q.kind, r)) return;
    if (q.account != 0 && r.fromAccount != q.account && r.toAccount != q.account) return;
    if ((q.member != 0 && r.memberId != q.member) || (q.section != 0 && r.sectionId != q.section))
      return;
    if (!categories.empty() &&
        !std::binary_search(categories.begin(), categories.end(), r.categoryId))
      return;
    const Money amount = FindAmountOf(r);
    if ((q.minAmount && amount < *q.minAmount) || (q.maxAmount && amount > *q.maxAmount)) return;
    share.found.push_back(
        (static_cast<std::uint64_t>(static_cast<std::uint32_t>(day) ^ 0x80000000u) << 32) | id);
    share.sum += SignedAmount(q, r);
    const std::uint32_t account = IsIncome(r) ? r.toAccount : r.fromAccount;
    // A book has few accounts: a short list finds their currencies.
    auto known = std::find_if(share.currencyOf.begin(), share.currencyOf.end(),
                              [&](const auto& p) { return p.first == account; });
    if (known == share.currencyOf.end())
      known = share.currencyOf.insert(known, {account, db.GetAccountCurrency(account)});
    if (share.found.size() == 1) share.currency = known->second;
    share.oneCurrency = share.oneCurrency && known->second == share.currency;
  };
  // The words are looked for first: most transactions fail there, and
  // then their records are never read out. A text not folded yet is left
  // to this thread, which may read the file.
  TTransactionIndexes& table = db.Transactions();
  const auto walk = [&](CShare& share, std::size_t part, std::size_t parts) {
    // Room for every transaction of the walk (and the other share's, which
    // joins the first): untouched room costs no memory, a query that
    // matches millions copies none of them as it grows, and fills huge
    // pages rather than faulting in 4 KB ones.
    share.found.reserve(table.size() / parts + (part == 0 ? table.size() / parts + 1 : 1));
    table.ForEachInShare(part, parts, [&](std::uint32_t id, TTransactionIndexes::Ptr entry) {
      if (!words.empty()) {
        const auto [description, comment] = table.TextIdsOf(entry);
        const Slot* slot = FilledSlot(id, description, comment);
        if (slot == nullptr) {
          share.unread.push_back(id);
          return;
        }
        if (!hasWords(std::string_view(folded_).substr(slot->offset, slot->length))) return;
      }
      take(share, id, table.DayKeyOf(entry), table.RecordOf(entry));
    });
  };
  // A large table is walked by two threads, each over half of it.
  CShare shares[2];
  {
    std::jthread helper;
    const bool twoThreads = table.size() >= twoThreadsFrom_;
    if (twoThreads) helper = std::jthread([&] { walk(shares[1], 1, 2); });
    walk(shares[0], 0, twoThreads ? 2 : 1);
  }
  for (CShare& share : shares)
    for (std::uint32_t id : share.unread) {
      const TTransactionIndexes::Ptr entry = table.Find(id);
      const TransactionRecord r = table.RecordOf(entry);
      if (hasWords(TextOf(db, id, r))) take(shares[0], id, table.DayKeyOf(entry), r);
    }
  const bool any[2] = {!shares[0].found.empty(), !shares[1].found.empty()};
  result.currency = any[0] ? shares[0].currency : shares[1].currency;
  if (!shares[0].oneCurrency || !shares[1].oneCurrency ||
      (any[0] && any[1] && shares[0].currency != shares[1].currency))
    result.currency = 0;
  result.sum = shares[0].sum + shares[1].sum;
  TPageArray<std::uint64_t>& found = shares[0].found;
  std::copy(shares[1].found.begin(), shares[1].found.end(), found.append(shares[1].found.size()));
  // Ids mostly grow with the date, so this is usually close to sorted already.
  if (!std::is_sorted(found.begin(), found.end())) std::sort(found.begin(), found.end());
  result.ids.reserve(found.size());
  AdviseHugePages(result.ids.data(), found.size() * sizeof(std::uint32_t));
  for (std::uint64_t key : found) result.ids.push_back(static_cast<std::uint32_t>(key));
  return result;
}

// Finding transactions in the whole database: by words of their description
// and comment, amount, dates, account, category, member, section and kind.
//
// Texts are compared folded: lower case, accents taken off, stored bytes read
// by the Textcodec rule (UTF-8, else Windows-1251). A CFindIndex keeps the
// folded texts of every transaction in one buffer, so that a query reads no
// text from the file; it notices by itself which texts changed since the
// last query (see Find).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "Folding.h"
#include "Omrindb.h"

enum class EFindKind : std::uint8_t { kAll, kExpenses, kIncomes, kTransfers };

struct CFindQuery {
  std::string text;                // UTF-8 words; each must appear in the description or comment
  std::optional<Money> minAmount;  // inclusive bounds of the transaction's amount
  std::optional<Money> maxAmount;
  std::optional<Date> from;  // whole days, inclusive
  std::optional<Date> to;
  std::uint32_t account = 0;  // 0: any; else the money leaves or enters it
  std::uint32_t category = 0;
  bool subCategories = true;  // the category's sub-categories count as it
  std::uint32_t member = 0;
  std::uint32_t section = 0;
  EFindKind kind = EFindKind::kAll;
};

struct CFindResult {
  std::vector<std::uint32_t> ids;  // matching transactions by date, then id
  // Incomes add, expenses subtract; a transfer moves money between the
  // user's own accounts and adds nothing, except where the query asks for
  // one account (its money in adds, out subtracts) or for transfers only
  // (their amounts out add). Amounts are summed as stored, whatever their
  // currency.
  Money sum = 0;
  // The currency of every match's amount (see FindAmountOf, in the currency
  // of the account it leaves or, for an income, enters); 0 when they differ
  // or nothing matched.
  std::uint32_t currency = 0;
};

// The amount a transaction is found by: money in for an income, money out
// for an expense or a transfer.
Money FindAmountOf(const TransactionRecord& r);

// Reads an amount condition: "12.50" (exactly), "100..200" (from..to, either
// side may be left out), ">50", "<20", ">=50", "<=20". Each amount goes
// through `readAmount`, which answers nothing for a text that is no amount.
// False (bounds untouched) when the text is not such a condition; an empty
// text is no condition and sets no bound.
using TAmountReader = std::function<std::optional<Money>(const std::string&)>;
bool ParseAmountCondition(const std::string& text, const TAmountReader& readAmount,
                          CFindQuery& query);

class CFindIndex {
 public:
  CFindIndex() = default;
  CFindIndex(const CFindIndex&) = delete;
  CFindIndex& operator=(const CFindIndex&) = delete;

  // The transactions of `db` that match `query`. The first call for a
  // database reads every transaction's texts once; later calls read only the
  // texts of transactions added or changed since (an edit stores new texts
  // under new ids, and the pool logs which freed ids it gave out again).
  CFindResult Find(CDataBase& db, const CFindQuery& query);
  // Reads and folds every text now, so that the first words typed find at
  // once (the find window does this as it opens).
  void Prepare(CDataBase& db);
  // Forgets every folded text.
  void Clear();
  // From how many transactions a query walks them on two threads (tests
  // lower it to compare the two ways).
  static void SetTwoThreadsFrom(std::size_t transactions) { twoThreadsFrom_ = transactions; }

 private:
  struct Slot {
    std::uint32_t descriptionId = 0;
    std::uint32_t commentId = 0;
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
    bool filled = false;
    // Whether it holds the folded texts of these ids.
    bool Holds(std::uint32_t description, std::uint32_t comment) const {
      return filled && descriptionId == description && commentId == comment;
    }
  };
  // Brings the index in step with `db` before a query.
  void Refresh(CDataBase& db);
  Slot& SlotOf(std::uint32_t id);
  // The slot of `id` when it holds the folded texts of these ids, else null.
  const Slot* FilledSlot(std::uint32_t id, std::uint32_t descriptionId,
                         std::uint32_t commentId) const;
  std::string_view TextOf(CDataBase& db, std::uint32_t id, const TransactionRecord& r);
  // Folds the texts of every transaction whose slot is out of date, a few
  // large reads for all of them, when there are many: on the first query,
  // and when many transactions were added since the last look.
  void FillTexts(CDataBase& db);
  void Compact(CDataBase& db);

  const CDataBase* db_ = nullptr;                   // the database the texts are of
  std::string fileName_;                            // ... and its file
  std::uint64_t generation_ = 0;                    // its string pool's generation then
  std::vector<std::uint32_t> reused_;               // string ids reused since, sorted
  std::string folded_;                              // every folded text, one after the other
  std::size_t liveBytes_ = 0;                       // bytes of folded_ still referred to
  std::vector<Slot> dense_;                         // slots by transaction id, when ids are dense
  std::unordered_map<std::uint32_t, Slot> sparse_;  // otherwise
  bool useDense_ = true;
  std::size_t lookedAt_ = 0;  // transactions there were when FillTexts last looked
  static inline std::size_t twoThreadsFrom_ = std::size_t{1} << 16;
};

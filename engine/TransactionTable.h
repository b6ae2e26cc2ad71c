// TTransactionIndexes: the in-memory table of transactions, kept compact.
//
// A book of ten million transactions must fit in a few hundred megabytes, so
// a transaction is not held as its 56-byte record. Most records repeat the
// same few accounts, categories, members, sections and quantities, fall on a
// whole minute and move one amount that fits 32 bits; such a record is held
// as 24 bytes (with its file position) plus its id:
//   - the date as whole minutes since day 0,
//   - the combination of accounts, member, category and section, and the
//     quantity, each as a 16-bit index into a table of the distinct ones met,
//   - the amount, and the two text ids.
// Every other record (seconds in its time, two different amounts of a
// transfer between currencies, an amount beyond 32 bits, more than 65,535
// combinations or quantities) is held whole in an overflow list. A record is held
// compactly only when it reads back bit for bit, so nothing is ever rounded.
//
// The interface follows TIndexMap: entries are visited in id order as (id,
// entry) and found by id. An entry is a small handle; `entry->record` and
// `entry->position` read the transaction as it is stored, and the table's
// SetRecord changes it. Handles stay valid until the next change of the table.
//
// Records.h includes this header where the records it holds are defined.
#pragma once

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "IndexMap.h"

// The whole day of a date as an ordering key (NaN and out-of-range values of
// damaged files are clamped). Inline: reports take it for every transaction.
inline std::int32_t DayKeyOf(double date) {
  if (std::isnan(date)) return INT32_MIN;
  const double day = std::trunc(date);
  if (day <= INT32_MIN) return INT32_MIN;
  if (day >= INT32_MAX) return INT32_MAX;
  return static_cast<std::int32_t>(day);
}

class TTransactionIndexes {
 public:
  // What the id map holds for each transaction.
  struct Packed {
    std::uint32_t position = 0;  // 0 marks a deleted slot, as in TIndexMap
    std::int32_t minutes = 0;    // date; overflow: unused
    std::uint32_t shape = 0;     // quantity index << 16 | combination index, or kOverflow
    std::int32_t amount = 0;     // amountOut and amountIn; overflow: index into overflow_
    std::uint32_t descriptionId = 0;
    std::uint32_t commentId = 0;
  };

  // A pointer-like handle to one stored transaction.
  class Ptr {
   public:
    // What `->` yields: the transaction read out, alive to the end of the
    // expression that reads it.
    struct Arrow {
      const CTransactionIndex* operator->() const { return &value; }
      CTransactionIndex value;
    };

    Ptr() = default;
    Ptr(std::nullptr_t) {}
    Arrow operator->() const;
    CTransactionIndex operator*() const;
    explicit operator bool() const { return at_ != nullptr; }
    bool operator==(const Ptr& o) const { return at_ == o.at_; }
    bool operator==(std::nullptr_t) const { return at_ == nullptr; }

   private:
    friend class TTransactionIndexes;
    Ptr(const TTransactionIndexes* table, Packed* at) : table_(table), at_(at) {}
    const TTransactionIndexes* table_ = nullptr;
    Packed* at_ = nullptr;
  };

  using value_type = std::pair<std::uint32_t, Ptr>;

  class iterator {
   public:
    using difference_type = std::ptrdiff_t;
    using value_type = TTransactionIndexes::value_type;
    using iterator_category = std::input_iterator_tag;
    using reference = value_type;
    using pointer = void;

    iterator() = default;
    value_type operator*() const {
      auto [id, at] = *walk_;
      return {id, Ptr(table_, at)};
    }
    iterator& operator++() {
      ++walk_;
      return *this;
    }
    iterator operator++(int) {
      iterator old = *this;
      ++walk_;
      return old;
    }
    bool operator==(const iterator& o) const { return walk_ == o.walk_; }

   private:
    friend class TTransactionIndexes;
    iterator(const TTransactionIndexes* table, TIndexMap<Packed>::iterator walk)
        : table_(table), walk_(walk) {}
    const TTransactionIndexes* table_ = nullptr;
    TIndexMap<Packed>::iterator walk_;
  };

  TTransactionIndexes() = default;
  TTransactionIndexes(const TTransactionIndexes&) = delete;
  TTransactionIndexes& operator=(const TTransactionIndexes&) = delete;

  iterator begin() { return iterator(this, map_.begin()); }
  iterator end() { return iterator(this, map_.end()); }
  std::size_t size() const { return map_.size(); }
  bool empty() const { return map_.empty(); }

  Ptr Find(std::uint32_t id) { return Ptr(this, map_.Find(id)); }

  template <class F>
  void ForEachDescending(F f) {
    map_.ForEachDescending([&](std::uint32_t id, Packed* at) { return f(id, Ptr(this, at)); });
  }

  // As TIndexMap::Insert, LoadAppend, FinishLoad and Erase.
  bool Insert(std::uint32_t id, const CTransactionIndex& entry);
  void LoadAppend(std::uint32_t id, const CTransactionIndex& entry) {
    const Packed packed = Pack(entry.position, entry.record);
    if (packed.shape == kOverflow) loadedWhole_.push_back(map_.SlotCount());
    map_.LoadAppend(id, packed);
  }
  // Lets this table, empty, enter combinations and quantities into the
  // tables of `other` while it loads, from another thread: the transactions
  // of the two then move from one to the other as they are.
  void SharePalettesOf(const TTransactionIndexes& other) { palettes_ = other.palettes_; }
  // Moves the transactions of `other`, loaded from later in the same file,
  // behind these (see TIndexMap::LoadAppendFrom).
  void LoadAppendFrom(TTransactionIndexes& other);
  void FinishLoad() {
    map_.FinishLoad();
    std::vector<std::uint32_t>().swap(loadedWhole_);
  }
  bool Erase(std::uint32_t id);
  void clear();

  // Replaces the record of a live entry.
  void SetRecord(Ptr entry, const TransactionRecord& record);

  // The date alone, without reading the rest.
  double DateOf(Ptr entry) const;
  // ::DayKeyOf(DateOf(entry)), without reading the date of most records.
  std::int32_t DayKeyOf(Ptr entry) const { return DayKeyOf(*entry.at_); }
  // The whole record.
  TransactionRecord RecordOf(Ptr entry) const;

  // For sums over many transactions (account balances), without reading
  // each whole: calls compact(minutes, combination, amount) for each record
  // held compactly (its accounts are CombinationAt(combination), its date
  // DateOfMinutes(minutes), amountOut and amountIn both `amount`) and
  // whole(record) for each record held whole.
  struct Combination {
    std::uint32_t fromAccount, toAccount, memberId, categoryId, sectionId;
    bool operator==(const Combination&) const = default;
  };
  // Part `part` of `parts` walks that share of the table, so that threads
  // can walk the shares side by side (the table must not change meanwhile).
  template <class Compact, class Whole>
  void ForEachAmount(Compact compact, Whole whole, std::size_t part = 0, std::size_t parts = 1) {
    const std::size_t n = map_.SlotCount();
    map_.ForEachInSlots(n * part / parts, n * (part + 1) / parts,
                        [&](std::uint32_t, const Packed* at) {
                          if (at->shape == kOverflow)
                            whole(overflow_[static_cast<std::uint32_t>(at->amount)]);
                          else
                            compact(at->minutes, at->shape & 0xFFFF, at->amount);
                        });
  }
  // Calls f(id, entry) for the live transactions of share `part` of
  // `parts`, as ForEachAmount divides the table.
  template <class F>
  void ForEachInShare(std::size_t part, std::size_t parts, F f) {
    const std::size_t n = map_.SlotCount();
    map_.ForEachInSlots(
        n * part / parts, n * (part + 1) / parts,
        [&](std::uint32_t id, const Packed* at) { f(id, Ptr(this, const_cast<Packed*>(at))); });
  }
  // The description's and the comment's string ids, without reading the rest.
  std::pair<std::uint32_t, std::uint32_t> TextIdsOf(Ptr entry) const {
    const Packed& packed = *entry.at_;
    if (packed.shape != kOverflow) return {packed.descriptionId, packed.commentId};
    const TransactionRecord& whole = overflow_[static_cast<std::uint32_t>(packed.amount)];
    return {whole.descriptionId, whole.commentId};
  }
  // Calls f(id, DayKeyOf(date)) for every transaction, in id order.
  template <class F>
  void ForEachDayKey(F f) {
    for (auto [id, at] : map_) f(id, DayKeyOf(*at));
  }
  // Bounds of the day keys of the transactions held (wider than needed
  // after changes): no day key is outside them. Empty: low above high.
  std::int32_t LowestDayKey() const { return lowDay_; }
  std::int32_t HighestDayKey() const { return highDay_; }

  std::size_t CombinationCount() const { return palettes_->combinations.size(); }
  const Combination& CombinationAt(std::uint32_t index) const {
    return palettes_->combinations[index];
  }
  static double DateOfMinutes(std::int32_t minutes);
  // The whole day of DateOfMinutes(minutes): the minutes divided toward
  // zero, as the date's day is truncated.
  static std::int32_t DayOfMinutes(std::int32_t minutes) { return minutes / (24 * 60); }
  // The last minutes whose date satisfies `holds`, a test that holds up to
  // some date and not after it; INT32_MIN - 1 when it holds for none.
  template <class Test>
  static std::int64_t LastMinutesWhere(Test holds) {
    std::int64_t lo = std::int64_t{INT32_MIN} - 1, hi = INT32_MAX;  // holds(lo) taken as true
    if (holds(DateOfMinutes(INT32_MAX))) return INT32_MAX;
    while (hi - lo > 1) {  // holds(hi) is false
      const std::int64_t mid = lo + (hi - lo) / 2;
      (holds(DateOfMinutes(static_cast<std::int32_t>(mid))) ? lo : hi) = mid;
    }
    return lo;
  }

  // Bytes held beyond the id map's slots (combinations and overflow), and
  // the number of records held whole; for the statistics.
  std::size_t ExtraBytes() const;
  std::size_t OverflowCount() const { return overflow_.size() - overflowFree_.size(); }

 private:
  static constexpr std::uint32_t kOverflow = UINT32_MAX;

  // The distinct values of one kind met so far, each under a 16-bit index
  // (0xFFFF is never handed out, so that no shape equals kOverflow). Two
  // threads loading the halves of a file may enter values at once: a value
  // found is read without a lock, a new one is entered under one. The room
  // is mapped whole at first and filled as values come.
  template <class Value>
  class TPalette {
   public:
    TPalette();
    ~TPalette();
    TPalette(const TPalette&) = delete;
    TPalette& operator=(const TPalette&) = delete;
    // The index of `value`, entered when new; -1 when the palette is full.
    int IndexOf(const Value& value);
    const Value& operator[](std::uint32_t index) const { return values_[index]; }
    std::size_t size() const { return count_.load(std::memory_order_acquire); }
    std::size_t Bytes() const { return size() * (sizeof(Value) + 2 * sizeof(std::uint16_t)); }

   private:
    static constexpr std::size_t kMost = 0xFFFF;      // values
    static constexpr std::size_t kLookup = 1u << 17;  // under half full
    Value* values_ = nullptr;                         // kMost of them
    std::atomic<std::uint16_t>* lookup_ = nullptr;    // open addressing: index + 1, 0 = empty
    std::atomic<std::size_t> count_{0};
    std::mutex entering_;
  };
  struct CPalettes {
    TPalette<Combination> combinations;
    TPalette<std::uint32_t> quantities;  // the bits of the float
  };

  Packed Pack(std::uint32_t position, const TransactionRecord& record);
  std::int32_t DayKeyOf(const Packed& packed) const {
    return packed.shape == kOverflow
               ? ::DayKeyOf(overflow_[static_cast<std::uint32_t>(packed.amount)].date)
               : DayOfMinutes(packed.minutes);
  }
  TransactionRecord Unpack(const Packed& packed) const;
  void ReleaseOverflow(const Packed& packed);
  void NoteDayKey(std::int32_t day) {
    lowDay_ = std::min(lowDay_, day);
    highDay_ = std::max(highDay_, day);
  }

  TIndexMap<Packed> map_;
  std::shared_ptr<CPalettes> palettes_ = std::make_shared<CPalettes>();
  std::vector<std::uint32_t> loadedWhole_;  // slots of records held whole, while loading
  std::vector<TransactionRecord> overflow_;
  std::vector<std::uint32_t> overflowFree_;  // overflow_ indexes free for reuse
  std::int32_t lowDay_ = INT32_MAX, highDay_ = INT32_MIN;
};

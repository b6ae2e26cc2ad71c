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

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "IndexMap.h"

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
    map_.LoadAppend(id, Pack(entry.position, entry.record));
  }
  void FinishLoad() { map_.FinishLoad(); }
  bool Erase(std::uint32_t id);
  void clear();

  // Replaces the record of a live entry.
  void SetRecord(Ptr entry, const TransactionRecord& record);

  // The date alone, without reading the rest.
  double DateOf(Ptr entry) const;
  // The whole record.
  TransactionRecord RecordOf(Ptr entry) const;

  // Bytes held beyond the id map's slots (combinations and overflow), and
  // the number of records held whole; for the statistics.
  std::size_t ExtraBytes() const;
  std::size_t OverflowCount() const { return overflow_.size() - overflowFree_.size(); }

 private:
  static constexpr std::uint32_t kOverflow = UINT32_MAX;

  // The distinct values of one kind met so far, each under a 16-bit index
  // (0xFFFF is never handed out, so that no shape equals kOverflow).
  template <class Value>
  class TPalette {
   public:
    // The index of `value`, entered when new; -1 when the palette is full.
    int IndexOf(const Value& value);
    const Value& operator[](std::uint32_t index) const { return values_[index]; }
    std::size_t size() const { return values_.size(); }
    std::size_t Bytes() const {
      return values_.capacity() * sizeof(Value) + lookup_.capacity() * sizeof(std::uint16_t);
    }
    void clear();

   private:
    std::vector<Value> values_;
    std::vector<std::uint16_t> lookup_;  // open addressing: index + 1, 0 = empty
  };

  // The fields that most records repeat together.
  struct Combination {
    std::uint32_t fromAccount, toAccount, memberId, categoryId, sectionId;
    bool operator==(const Combination&) const = default;
  };

  Packed Pack(std::uint32_t position, const TransactionRecord& record);
  void ReleaseOverflow(const Packed& packed);

  TIndexMap<Packed> map_;
  TPalette<Combination> combinations_;
  TPalette<std::uint32_t> quantities_;  // the bits of the float
  std::vector<TransactionRecord> overflow_;
  std::vector<std::uint32_t> overflowFree_;  // overflow_ indexes free for reuse
};

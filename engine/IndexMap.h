// TIndexMap: the ordered map from item id to index entry that each table of
// the engine keeps in memory.
//
// Ids only grow while a file is open, so entries are kept in one sequence
// sorted by id: lookups are binary searches, iteration walks the sequence and
// an add appends. A TPageArray holds the entries, so that growing never holds
// two copies of them. A deleted entry becomes a tombstone (position 0:
// no record can start inside the file header) that iteration skips; the
// tombstones are swept out only when they outnumber the live entries. Entry
// pointers handed out stay valid until the next change of the table. An entry
// costs its own size plus the 4-byte id.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <utility>

#include "PageArray.h"

template <class Entry>
class TIndexMap {
  struct Slot {
    std::uint32_t id;
    Entry entry;  // entry.position == 0 marks a deleted slot
  };

 public:
  using value_type = std::pair<std::uint32_t, Entry*>;

  // Visits the live entries in ascending id order, as (id, entry pointer).
  class iterator {
   public:
    using difference_type = std::ptrdiff_t;
    using value_type = TIndexMap::value_type;
    using iterator_category = std::input_iterator_tag;
    using reference = value_type;
    using pointer = void;

    iterator() = default;
    value_type operator*() const { return {at_->id, &at_->entry}; }
    iterator& operator++() {
      ++at_;
      SkipDead();
      return *this;
    }
    iterator operator++(int) {
      iterator old = *this;
      ++*this;
      return old;
    }
    bool operator==(const iterator& o) const { return at_ == o.at_; }

   private:
    friend class TIndexMap;
    using Walk = Slot*;
    iterator(Walk at, Walk end) : at_(at), end_(end) { SkipDead(); }
    void SkipDead() {
      while (at_ != end_ && at_->entry.position == 0) ++at_;
    }
    Walk at_{}, end_{};
  };

  TIndexMap() = default;
  TIndexMap(const TIndexMap&) = delete;
  TIndexMap& operator=(const TIndexMap&) = delete;

  iterator begin() { return iterator(slots_.begin(), slots_.end()); }
  iterator end() { return iterator(slots_.end(), slots_.end()); }
  std::size_t size() const { return live_; }
  bool empty() const { return live_ == 0; }

  // The entry of `id`, or nullptr.
  Entry* Find(std::uint32_t id) {
    std::size_t i = LowerBound(id);
    bool found = i < slots_.size() && slots_[i].id == id && slots_[i].entry.position != 0;
    return found ? &slots_[i].entry : nullptr;
  }
  const Entry* Find(std::uint32_t id) const { return const_cast<TIndexMap*>(this)->Find(id); }

  // The number of slots, live or not, and f(id, entry pointer) for the live
  // entries of the slots [from, to) in id order: a walk split over threads.
  std::size_t SlotCount() const { return slots_.size(); }
  template <class F>
  void ForEachInSlots(std::size_t from, std::size_t to, F f) const {
    const Slot* end = slots_.begin() + to;
    for (const Slot* at = slots_.begin() + from; at != end; ++at)
      if (at->entry.position != 0) f(at->id, &at->entry);
  }

  // Calls f(id, entry pointer) for the live entries from the highest id down,
  // until f returns false.
  template <class F>
  void ForEachDescending(F f) {
    for (std::size_t i = slots_.size(); i-- > 0;)
      if (slots_[i].entry.position != 0 && !f(slots_[i].id, &slots_[i].entry)) return;
  }

  // Adds `entry` (whose position must not be 0) under `id`. Returns false and
  // adds nothing when the id is present. An id above every held id appends in
  // O(1); a smaller one is inserted in its place in linear time.
  bool Insert(std::uint32_t id, const Entry& entry) {
    if (slots_.empty() || id > slots_.back().id) {
      slots_.push_back(Slot{id, entry});
      ++live_;
      return true;
    }
    std::size_t i = LowerBound(id);
    if (i < slots_.size() && slots_[i].id == id) {
      if (slots_[i].entry.position != 0) return false;
      slots_[i].entry = entry;
    } else {
      slots_.insert(i, Slot{id, entry});
      if (gapLength_ > 0 && i <= gapFrom_) ++gapFrom_;
    }
    ++live_;
    return true;
  }

  // Bulk loading: appends without any check. FinishLoad() must follow before
  // the map is used; it orders the entries by id and, of entries that share an
  // id, keeps the one appended first.
  void LoadAppend(std::uint32_t id, const Entry& entry) {
    if (!slots_.empty() && id <= slots_.back().id) unordered_ = true;
    slots_.push_back(Slot{id, entry});
  }
  void FinishLoad() {
    if (unordered_) {
      std::stable_sort(slots_.begin(), slots_.end(),
                       [](const Slot& a, const Slot& b) { return a.id < b.id; });
      // (the gap repeats the id of a live slot before it: it goes too)
      auto last = std::unique(slots_.begin(), slots_.end(),
                              [](const Slot& a, const Slot& b) { return a.id == b.id; });
      slots_.resize_down(static_cast<std::size_t>(last - slots_.begin()));
      gapFrom_ = gapLength_ = 0;
      unordered_ = false;
    }
    live_ = slots_.size() - gapLength_;
  }

  // Replaces the record of a live entry (as the compact transaction table
  // does, which cannot hand out a record to write into).
  template <class Record>
  void SetRecord(Entry* entry, const Record& record) {
    entry->record = record;
  }

  // Bulk loading: moves the entries of `other`, which was filled by
  // LoadAppend from later in the same file, behind these and returns the
  // slot index of its first entry here. A large map's pages are moved, not
  // copied: the slots between the two runs (the gap) become dead slots that
  // repeat the last id before them, and the searches step over them.
  std::size_t LoadAppendFrom(TIndexMap& other) {
    const std::size_t from = slots_.size();
    if (other.unordered_ ||
        (from > 0 && !other.slots_.empty() && other.slots_.front().id <= slots_.back().id))
      unordered_ = true;
    std::size_t at = from;
    if (from == 0) {
      slots_.swap(other.slots_);
    } else if (other.slots_.MappedBytes() < TPageArray<Slot>::kHugePage || gapLength_ != 0) {
      for (const Slot& slot : other.slots_) slots_.push_back(slot);  // small, or a gap held
    } else {
      at = slots_.TakePagesOf(other.slots_);
      const std::uint32_t last = slots_[from - 1].id;
      for (std::size_t i = from; i < at; ++i) slots_[i] = Slot{last, Entry{}};
      gapFrom_ = from;
      gapLength_ = at - from;
    }
    other.clear();
    return at;
  }
  // The entry in slot `i` (live or not), as LoadAppendFrom counts slots.
  Entry& SlotEntry(std::size_t i) { return slots_[i].entry; }

  // Removes `id`; false when it is not present.
  bool Erase(std::uint32_t id) {
    Entry* e = Find(id);
    if (e == nullptr) return false;
    e->position = 0;
    --live_;
    while (!slots_.empty() && slots_.front().entry.position == 0) PopFront();
    while (!slots_.empty() && slots_.back().entry.position == 0) PopBack();
    if (slots_.size() > 1024 && slots_.size() > 2 * live_) Sweep();
    return true;
  }

  void clear() {
    slots_.clear();
    live_ = 0;
    gapFrom_ = gapLength_ = 0;
    unordered_ = false;
  }

 private:
  std::size_t LowerBound(std::uint32_t id) const {
    // The ids are distinct and sorted, so (leaving out the gap) slot i holds
    // at least the first id + i: id's place is at most id - first id, and a
    // slot holding k more than id is at most k places above it. Ids handed
    // out one after another leave few gaps, so the search is short, or none.
    std::size_t lo = 0, hi = slots_.size();
    if (!unordered_ && hi > 0 && id > slots_.front().id) {
      const auto slot = [&](std::size_t i) { return i < gapFrom_ ? i : i + gapLength_; };
      const std::size_t i = std::min<std::size_t>(id - slots_.front().id, hi - gapLength_ - 1);
      const std::size_t probe = slot(i);
      const std::uint32_t at = slots_[probe].id;
      if (at < id) return probe + 1;  // the last slot, below id
      if (at == id) return probe;
      lo = slot(i - std::min<std::size_t>(at - id, i));
      hi = probe;
    }
    auto it = std::lower_bound(slots_.begin() + lo, slots_.begin() + hi, id,
                               [](const Slot& s, std::uint32_t v) { return s.id < v; });
    return static_cast<std::size_t>(it - slots_.begin());
  }

  // Removes the first or the last slot, keeping the gap's place.
  void PopFront() {
    slots_.pop_front();
    if (gapFrom_ > 0)
      --gapFrom_;
    else if (gapLength_ > 0)
      --gapLength_;
  }
  void PopBack() {
    slots_.pop_back();
    if (gapLength_ > 0 && gapFrom_ + gapLength_ >= slots_.size())
      gapLength_ = slots_.size() - std::min(gapFrom_, slots_.size());
  }

  void Sweep() {
    TPageArray<Slot> kept;
    for (const Slot& s : slots_)
      if (s.entry.position != 0) kept.push_back(s);
    slots_.swap(kept);
    gapFrom_ = gapLength_ = 0;
  }

  TPageArray<Slot> slots_;  // sorted by id (after FinishLoad); dead slots keep their id
  std::size_t live_ = 0;    // number of live slots
  // The gap left by LoadAppendFrom: dead slots [gapFrom_, gapFrom_ + gapLength_)
  // that repeat the id before them.
  std::size_t gapFrom_ = 0, gapLength_ = 0;
  bool unordered_ = false;  // a LoadAppend broke the id order
};

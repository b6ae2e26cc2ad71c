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
#include <cstring>
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
    const std::size_t k = LowerBound(id);
    if (k == Count()) return nullptr;
    Slot& slot = slots_[SlotOf(k)];
    return slot.id == id && slot.entry.position != 0 ? &slot.entry : nullptr;
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
  // O(1); a smaller one takes its dead slot when it left one, else a new slot
  // in its place (see OpenSlot).
  bool Insert(std::uint32_t id, const Entry& entry) {
    if (slots_.empty() || id > slots_.back().id) {
      slots_.push_back(Slot{id, entry});
      ++live_;
      return true;
    }
    const std::size_t k = LowerBound(id);
    Slot& slot = slots_[SlotOf(k)];  // (k is below Count(): the last id is above id)
    if (slot.id == id) {
      if (slot.entry.position != 0) return false;
      slot.entry = entry;
    } else {
      slots_[OpenSlot(k)] = Slot{id, entry};
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
    } else if (other.slots_.MappedBytes() < kHugePageBytes || gapLength_ != 0) {
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
  // Searches count the slots outside the gap: slot k of them is
  // SlotOf(k) in slots_.
  std::size_t Count() const { return slots_.size() - gapLength_; }
  std::size_t SlotOf(std::size_t k) const { return k < gapFrom_ ? k : k + gapLength_; }
  std::uint32_t IdAt(std::size_t k) const { return slots_[SlotOf(k)].id; }

  // The first of the slots outside the gap whose id is `id` or above, as
  // counted there (Count() when there is none).
  std::size_t LowerBound(std::uint32_t id) const {
    // The ids are distinct and sorted, so slot k holds at least the first
    // id + k: id's place is at most id - first id, and a slot holding j
    // more than id is at most j places above it. Ids handed out one after
    // another leave few gaps, so the search is short, or none.
    std::size_t lo = 0, hi = Count();
    if (!unordered_ && hi > 0 && id > IdAt(0)) {
      const std::size_t k = std::min<std::size_t>(id - IdAt(0), hi - 1);
      const std::uint32_t at = IdAt(k);
      if (at < id) return k + 1;  // the last slot, below id
      if (at == id) return k;
      lo = k - std::min<std::size_t>(at - id, k);
      hi = k;
    }
    while (lo < hi) {
      const std::size_t mid = lo + (hi - lo) / 2;
      if (IdAt(mid) < id)
        lo = mid + 1;
      else
        hi = mid;
    }
    return lo;
  }

  // A new slot (its contents to be written) before slot k as searches count
  // them; its index in slots_. Inserting one by one in the middle of
  // millions would move them all each time (undoing the delete of many old
  // transactions takes them back one after another): a far insert opens a
  // run of spare slots, the gap, and later ones take a slot of it after
  // moving it to their place. Inserts that go on up or down the ids move it
  // past each slot once in all.
  std::size_t OpenSlot(std::size_t k) {
    const std::size_t shift = slots_.MovedByOpen(SlotOf(k), 1);
    const std::size_t toGap = gapFrom_ > k ? gapFrom_ - k : k - gapFrom_;
    if (gapLength_ > 0 && toGap < shift) {
      MoveGap(k);
    } else if (gapLength_ == 0 && shift > kShortShift) {
      const std::size_t length = std::max(kShortShift, Count() / 64);
      Slot* room = slots_.open(k, length);
      for (std::size_t i = 0; i < length; ++i) room[i].entry = Entry{};
      gapFrom_ = k;
      gapLength_ = length;
    } else {
      const std::size_t i = SlotOf(k);
      slots_.open(i, 1);
      if (gapLength_ > 0 && i <= gapFrom_) ++gapFrom_;
      return i;
    }
    --gapLength_;
    return gapFrom_++;
  }
  // Moves the gap to just before slot k as searches count them.
  void MoveGap(std::size_t k) {
    Slot* const at = slots_.begin();
    const std::size_t from = gapFrom_, length = gapLength_;
    if (k < from) {  // the slots [k, from) move up behind the gap
      std::memmove(static_cast<void*>(at + k + length), at + k, (from - k) * sizeof(Slot));
      for (std::size_t i = k; i < std::min(from, k + length); ++i) at[i].entry = Entry{};
    } else if (k > from) {  // the slots after the gap move down before it
      std::memmove(static_cast<void*>(at + from), at + from + length, (k - from) * sizeof(Slot));
      for (std::size_t i = std::max(k, from + length); i < k + length; ++i) at[i].entry = Entry{};
    }
    gapFrom_ = k;
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
  // The gap: dead slots [gapFrom_, gapFrom_ + gapLength_) that searches step
  // over, left by LoadAppendFrom (repeating the id before them, which the
  // sort of FinishLoad relies on) or opened by OpenSlot (any ids).
  std::size_t gapFrom_ = 0, gapLength_ = 0;
  // Inserts that move at most this many slots move them; others use the gap.
  static constexpr std::size_t kShortShift = 4096;
  bool unordered_ = false;  // a LoadAppend broke the id order
};

// TPageArray: a growable array of plain values in pages mapped for it alone.
//
// The id maps of a large book hold hundreds of megabytes. Grown as a vector
// they would hold two copies while growing; grown as a deque they cost a
// heap block per few dozen entries. This array asks the kernel for its own
// pages and, to grow, moves the page mappings (mremap) instead of copying:
// no copy is ever held twice and the entries stay in one run, so indexing is
// a pointer offset. Arrays of two megabytes and more ask for huge pages, which
// fill with far fewer page faults. Pointers to elements stay valid until the
// next change of the array.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

// Asks for huge pages for the whole 2 MB blocks of [at, at + bytes), memory
// of a large buffer not touched yet (a hint: failure is harmless). The
// advice splits the mapping around those blocks: not for memory that is
// remapped whole later (TPageArray advises its mappings whole).
inline constexpr std::size_t kHugePageBytes = std::size_t{2} << 20;
inline void AdviseHugePages(void* at, std::size_t bytes) {
  constexpr std::uintptr_t kBlock = kHugePageBytes;
  const auto begin = (reinterpret_cast<std::uintptr_t>(at) + kBlock - 1) & ~(kBlock - 1);
  const auto end = (reinterpret_cast<std::uintptr_t>(at) + bytes) & ~(kBlock - 1);
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

template <class T>
class TPageArray {
  static_assert(std::is_trivially_copyable_v<T>, "elements are moved as bytes");

 public:
  TPageArray() = default;
  TPageArray(const TPageArray&) = delete;
  TPageArray& operator=(const TPageArray&) = delete;
  TPageArray(TPageArray&& o) noexcept { swap(o); }
  TPageArray& operator=(TPageArray&& o) noexcept {
    TPageArray(std::move(o)).swap(*this);
    return *this;
  }
  ~TPageArray() { Release(); }

  std::size_t size() const { return end_ - begin_; }
  bool empty() const { return end_ == begin_; }
  T* begin() { return data_ + begin_; }
  T* end() { return data_ + end_; }
  const T* begin() const { return data_ + begin_; }
  const T* end() const { return data_ + end_; }
  T& operator[](std::size_t i) { return data_[begin_ + i]; }
  const T& operator[](std::size_t i) const { return data_[begin_ + i]; }
  T& front() { return data_[begin_]; }
  T& back() { return data_[end_ - 1]; }
  const T& front() const { return data_[begin_]; }
  const T& back() const { return data_[end_ - 1]; }

  void push_back(const T& value) {
    if (end_ == capacity_) Grow(size() + 1);
    data_[end_++] = value;
    written_ = std::max(written_, end_);
  }
  // Appends `count` elements left as they are and returns the first; the
  // caller writes them.
  T* append(std::size_t count) {
    if (end_ + count > capacity_) Grow(size() + count);
    T* first = data_ + end_;
    end_ += count;
    written_ = std::max(written_, end_);
    return first;
  }
  void pop_back() { --end_; }
  // Drops the first `count` elements. The pages wholly before the first
  // element left are given back to the system at once, so an array emptied
  // from the front while another fills (a merge) holds each entry once.
  void pop_front(std::size_t count = 1) {
    begin_ += count;
    if (begin_ == end_) {
      Release();
      return;
    }
    const std::size_t page = PageSize();
    const std::size_t done = begin_ * sizeof(T) / page * page;
    if (done >= released_ + (std::size_t{1} << 20)) {
      madvise(reinterpret_cast<char*>(data_) + released_, done - released_, MADV_DONTNEED);
      released_ = done;
    }
  }
  // Inserts `count` elements left as they are before element `i` and
  // returns the first; the caller writes them. The elements before `i` move
  // down into room dropped at the front when there is enough and they are
  // the fewer, else the ones after `i` move up.
  T* open(std::size_t i, std::size_t count) {
    if (OpensAtFront(i, count)) {
      std::memmove(static_cast<void*>(data_ + begin_ - count), data_ + begin_, i * sizeof(T));
      begin_ -= count;
      // (pages written again below what pop_front gave back are counted
      // as held)
      released_ = std::min(released_, begin_ * sizeof(T) / PageSize() * PageSize());
      return data_ + begin_ + i;
    }
    if (end_ + count > capacity_) Grow(size() + count);
    T* at = data_ + begin_ + i;
    std::memmove(static_cast<void*>(at + count), at, (end_ - begin_ - i) * sizeof(T));
    end_ += count;
    written_ = std::max(written_, end_);
    return at;
  }
  // How many elements open(i, count) moves.
  std::size_t MovedByOpen(std::size_t i, std::size_t count) const {
    return OpensAtFront(i, count) ? i : size() - i;
  }
  // Keeps the first `count` elements.
  void resize_down(std::size_t count) { end_ = begin_ + std::min(count, size()); }
  // Makes the array `count` elements long; the elements added are zero
  // bytes. Elements never written since their pages were mapped are zero
  // already: only those once written are cleared, so growing into reserved
  // room touches no page.
  void resize_zeroed(std::size_t count) {
    if (count <= size()) return resize_down(count);
    if (begin_ + count > capacity_) Grow(count);
    const std::size_t to = begin_ + count;
    if (written_ > end_)
      std::memset(static_cast<void*>(data_ + end_), 0, (std::min(written_, to) - end_) * sizeof(T));
    end_ = to;
    written_ = std::max(written_, end_);
  }
  std::size_t capacity() const { return capacity_ - begin_; }

  // Moves the pages of `other` (which must not have dropped elements at its
  // front) behind these, nothing copied, and returns the index of its first
  // element here. Its first element goes where its pages keep their place
  // within huge pages (a huge page split into small ones costs a fault per
  // small page at its next use, dearly so in virtual machines): the elements
  // between the end and there (fewer than a huge page has bytes) are left as
  // they are. `other` is left empty.
  std::size_t TakePagesOf(TPageArray& other) {
    if (other.data_ == nullptr) return size();
    const std::size_t room = size() + kHugePageBytes + other.bytes_ / sizeof(T) + 1;
    if (begin_ + room > capacity_) Grow(room);
    const auto address = [](const void* p) { return reinterpret_cast<std::uintptr_t>(p); };
    std::size_t at = size();
    const std::size_t most = at + kHugePageBytes;
    while (at < most && (address(data_ + begin_ + at) - address(other.data_)) % kHugePageBytes != 0)
      ++at;
    if (at == most) {  // (not met: every placement is tried)
      at = size();
      while (address(data_ + begin_ + at) % PageSize() != 0) ++at;
    }
    if (mremap(other.data_, other.bytes_, other.bytes_, MREMAP_MAYMOVE | MREMAP_FIXED,
               data_ + begin_ + at) == MAP_FAILED)
      throw std::bad_alloc();
    const std::size_t seam = (begin_ + at) * sizeof(T);
    AddSeam(seam);
    AddSeam(seam + other.bytes_);
    end_ = begin_ + at + other.size();
    written_ = std::max(written_, begin_ + at + other.written_);
    other.data_ = nullptr;  // the pages are these now
    other.Release();
    return at;
  }
  // Bytes mapped; an array this large may be taken by TakePagesOf.
  std::size_t MappedBytes() const { return bytes_; }
  // Makes room for `count` elements in all, so that pushing up to it does not
  // remap.
  void reserve(std::size_t count) {
    if (begin_ + count > capacity_) Grow(count);
  }
  void clear() { Release(); }
  void swap(TPageArray& o) noexcept {
    std::swap(data_, o.data_);
    std::swap(begin_, o.begin_);
    std::swap(end_, o.end_);
    std::swap(capacity_, o.capacity_);
    std::swap(bytes_, o.bytes_);
    std::swap(released_, o.released_);
    std::swap(written_, o.written_);
    seams_.swap(o.seams_);
  }

 private:
  bool OpensAtFront(std::size_t i, std::size_t count) const {
    return begin_ >= count && i < size() / 2;
  }

  static std::size_t PageSize() {
    static const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    return page;
  }

  // Room for at least `count` elements from the first live one on.
  void Grow(std::size_t count) {
    if (begin_ > 0) {
      // Elements were dropped at the front: move the live ones down first,
      // which may make room enough (the pages given back come again as
      // zero pages when written).
      std::memmove(static_cast<void*>(data_), data_ + begin_, size() * sizeof(T));
      end_ -= begin_;
      begin_ = 0;
      released_ = 0;
      if (count <= capacity_) return;
    }
    const std::size_t page = PageSize();
    std::size_t bytes = std::max(bytes_ * 2, page);
    while (bytes / sizeof(T) < count) bytes *= 2;
    void* at = MAP_FAILED;
    if (bytes_ == 0 || !seams_.empty()) {
      at = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
      if (at == MAP_FAILED) throw std::bad_alloc();
      // Pages taken from other arrays are mappings of their own, which one
      // mremap cannot move together: each piece is moved on its own into
      // the new mapping, which leaves nothing at the old place. (Moving a
      // whole mapping into room mapped for it does not fail.)
      for (std::size_t k = 0; k <= seams_.size() && bytes_ != 0; ++k) {
        const std::size_t from = k == 0 ? 0 : seams_[k - 1];
        const std::size_t to = k == seams_.size() ? bytes_ : seams_[k];
        if (mremap(reinterpret_cast<char*>(data_) + from, to - from, to - from,
                   MREMAP_MAYMOVE | MREMAP_FIXED, static_cast<char*>(at) + from) == MAP_FAILED)
          throw std::bad_alloc();
      }
    } else {
      at = mremap(data_, bytes_, bytes, MREMAP_MAYMOVE);
      if (at == MAP_FAILED) throw std::bad_alloc();
    }
    // The whole mapping, never a part: advice on a part splits the mapping
    // in the kernel, and the next mremap of the whole then fails.
    if (bytes >= kHugePageBytes)
      madvise(at, bytes, MADV_HUGEPAGE);  // (a hint: failure is harmless)
    const std::size_t oldBytes = bytes_;
    data_ = static_cast<T*>(at);
    bytes_ = bytes;
    capacity_ = bytes / sizeof(T);
    if (!seams_.empty()) AddSeam(oldBytes);  // the new pages beyond are a mapping of their own
  }

  // Notes a boundary between mappings (a superset of them does no harm:
  // moving part of one mapping works alike).
  void AddSeam(std::size_t offset) {
    const auto at = std::lower_bound(seams_.begin(), seams_.end(), offset);
    if (offset != 0 && offset < bytes_ && (at == seams_.end() || *at != offset))
      seams_.insert(at, offset);
  }

  void Release() {
    if (data_ != nullptr) munmap(data_, bytes_);
    data_ = nullptr;
    begin_ = end_ = capacity_ = bytes_ = released_ = written_ = 0;
    seams_.clear();
  }

  T* data_ = nullptr;
  std::size_t begin_ = 0, end_ = 0;  // the live elements, as indexes into data_
  std::size_t capacity_ = 0;         // elements the mapping holds
  std::size_t bytes_ = 0;            // bytes mapped
  std::size_t released_ = 0;         // bytes at the start given back by pop_front
  std::size_t written_ = 0;          // elements from here on were never written: zero
  std::vector<std::size_t> seams_;   // byte offsets where pages taken by TakePagesOf start and end
};

#include <sys/mman.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <new>

#include "Records.h"

namespace {

constexpr std::int64_t kMinutesPerDay = 24 * 60;

// minute / 1440 for each minute of a day, as a date's time of day is made;
// a table, because a division costs more than the rest of reading a record.
const std::array<double, kMinutesPerDay> kTimeOfDay = [] {
  std::array<double, kMinutesPerDay> times{};
  for (std::size_t m = 0; m < times.size(); ++m)
    times[m] = static_cast<double>(m) / static_cast<double>(kMinutesPerDay);
  return times;
}();

}  // namespace

double TTransactionIndexes::DateOfMinutes(std::int32_t minutes) {
  std::int64_t day = minutes / kMinutesPerDay;
  std::int64_t rest = minutes % kMinutesPerDay;
  if (rest < 0) {
    rest += kMinutesPerDay;
    --day;
  }
  return static_cast<double>(day) + kTimeOfDay[static_cast<std::size_t>(rest)];
}

namespace {

// The whole minutes of `date`, when DateOfMinutes gives back exactly `date`.
bool MinutesOfDate(double date, std::int32_t& minutes) {
  if (!(std::fabs(date) <= 1.0e6)) return false;  // also NaN and infinities
  const double day = std::floor(date);
  // The rounding need not be careful: the result is checked below.
  const auto minute = static_cast<std::size_t>((date - day) * kMinutesPerDay + 0.5);
  if (minute >= kTimeOfDay.size()) return false;
  // As DateOfMinutes makes it, compared bit for bit (minus zero is not kept).
  if (std::bit_cast<std::uint64_t>(day + kTimeOfDay[minute]) != std::bit_cast<std::uint64_t>(date))
    return false;
  minutes = static_cast<std::int32_t>(static_cast<std::int64_t>(day) * kMinutesPerDay +
                                      static_cast<std::int64_t>(minute));
  return true;
}

}  // namespace

TTransactionIndexes::Ptr::Arrow TTransactionIndexes::Ptr::operator->() const {
  return Arrow{**this};
}

CTransactionIndex TTransactionIndexes::Ptr::operator*() const {
  CTransactionIndex value;
  value.position = at_->position;
  value.record = table_->RecordOf(*this);
  return value;
}

TTransactionIndexes::Packed TTransactionIndexes::Pack(std::uint32_t position,
                                                      const TransactionRecord& record) {
  Packed packed;
  packed.position = position;
  const bool oneAmount = record.amountOut == record.amountIn && record.amountOut >= INT32_MIN &&
                         record.amountOut <= INT32_MAX;
  if (oneAmount && MinutesOfDate(record.date, packed.minutes)) {
    CPalettes& palettes = *palettes_;
    const int combination = palettes.combinations.IndexOf(
        Combination{record.fromAccount, record.toAccount, record.memberId, record.categoryId,
                    record.sectionId});
    const int quantity = palettes.quantities.IndexOf(std::bit_cast<std::uint32_t>(record.quantity));
    if (combination >= 0 && quantity >= 0) {
      packed.shape =
          static_cast<std::uint32_t>(quantity) << 16 | static_cast<std::uint32_t>(combination);
      packed.amount = static_cast<std::int32_t>(record.amountOut);
      packed.descriptionId = record.descriptionId;
      packed.commentId = record.commentId;
      NoteDayKey(DayKeyOf(packed));
      return packed;
    }
  }
  std::uint32_t at = 0;
  if (overflowFree_.empty()) {
    at = static_cast<std::uint32_t>(overflow_.size());
    overflow_.push_back(record);
  } else {
    at = overflowFree_.back();
    overflowFree_.pop_back();
    overflow_[at] = record;
  }
  packed.minutes = 0;
  packed.shape = kOverflow;
  packed.amount = static_cast<std::int32_t>(at);
  NoteDayKey(::DayKeyOf(record.date));
  return packed;
}

namespace {

std::size_t HashOf(std::uint32_t v) {
  const std::uint64_t h = (v ^ 0x5bd1e995u) * 0x9E3779B97F4A7C15ull;
  return static_cast<std::size_t>(h ^ (h >> 29));
}

// The fields are multiplied side by side rather than one after another: the
// hash is taken for every transaction read.
std::size_t HashOf(const TTransactionIndexes::Combination& c) {
  const std::uint64_t h = c.fromAccount * 0x9E3779B97F4A7C15ull +
                          c.toAccount * 0xC2B2AE3D27D4EB4Full + c.memberId * 0x165667B19E3779F9ull +
                          c.categoryId * 0xD6E8FEB86659FD93ull +
                          c.sectionId * 0xFF51AFD7ED558CCDull;
  return static_cast<std::size_t>(h ^ (h >> 32));
}

}  // namespace

namespace {

// Zeroed room of its own: pages not used cost nothing.
void* MapZeroed(std::size_t bytes) {
  void* at = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (at == MAP_FAILED) throw std::bad_alloc();
  return at;
}

}  // namespace

template <class Value>
TTransactionIndexes::TPalette<Value>::TPalette()
    : values_(static_cast<Value*>(MapZeroed(kMost * sizeof(Value)))),
      lookup_(static_cast<std::atomic<std::uint16_t>*>(
          MapZeroed(kLookup * sizeof(std::atomic<std::uint16_t>)))) {}

template <class Value>
TTransactionIndexes::TPalette<Value>::~TPalette() {
  munmap(values_, kMost * sizeof(Value));
  munmap(lookup_, kLookup * sizeof(std::atomic<std::uint16_t>));
}

template <class Value>
int TTransactionIndexes::TPalette<Value>::IndexOf(const Value& value) {
  constexpr std::size_t mask = kLookup - 1;
  const std::size_t start = HashOf(value) & mask;
  // A slot, once set, never changes, and its value was written before it.
  for (std::size_t at = start;; at = (at + 1) & mask) {
    const std::uint16_t held = lookup_[at].load(std::memory_order_acquire);
    if (held == 0) break;
    if (values_[held - 1u] == value) return held - 1;
  }
  const std::lock_guard<std::mutex> lock(entering_);
  std::size_t at = start;
  for (;; at = (at + 1) & mask) {  // again: the other thread may have entered it
    const std::uint16_t held = lookup_[at].load(std::memory_order_relaxed);
    if (held == 0) break;
    if (values_[held - 1u] == value) return held - 1;
  }
  const std::size_t n = count_.load(std::memory_order_relaxed);
  if (n >= kMost) return -1;
  values_[n] = value;
  lookup_[at].store(static_cast<std::uint16_t>(n + 1), std::memory_order_release);
  count_.store(n + 1, std::memory_order_release);
  return static_cast<int>(n);
}

void TTransactionIndexes::LoadAppendFrom(TTransactionIndexes& other) {
  if (other.lowDay_ <= other.highDay_) {  // (a map being loaded counts no entries yet)
    NoteDayKey(other.lowDay_);
    NoteDayKey(other.highDay_);
  }
  const bool shared = other.palettes_ == palettes_;
  std::vector<std::uint32_t> whole;
  whole.swap(other.loadedWhole_);
  const std::size_t at = map_.LoadAppendFrom(other.map_);
  // The records held whole refer to the other's overflow list. Records whose
  // combination and quantity the other entered in tables of its own get the
  // indexes of these tables; a full table (-1) sends them to the overflow
  // list.
  std::vector<int> combination, quantity;
  if (!shared) {
    for (std::size_t i = 0; i < other.palettes_->combinations.size(); ++i)
      combination.push_back(palettes_->combinations.IndexOf(
          other.palettes_->combinations[static_cast<std::uint32_t>(i)]));
    for (std::size_t i = 0; i < other.palettes_->quantities.size(); ++i)
      quantity.push_back(palettes_->quantities.IndexOf(
          other.palettes_->quantities[static_cast<std::uint32_t>(i)]));
  }
  for (std::size_t slot = at; !shared && slot < map_.SlotCount(); ++slot) {
    Packed& packed = map_.SlotEntry(slot);
    if (packed.shape == kOverflow) continue;
    const int c = combination[packed.shape & 0xFFFF], q = quantity[packed.shape >> 16];
    if (c >= 0 && q >= 0)
      packed.shape = static_cast<std::uint32_t>(q) << 16 | static_cast<std::uint32_t>(c);
    else
      packed = Pack(packed.position, other.Unpack(packed));
  }
  for (std::uint32_t slot : whole) {
    Packed& packed = map_.SlotEntry(at + slot);
    packed = Pack(packed.position, other.overflow_[static_cast<std::uint32_t>(packed.amount)]);
  }
  other.clear();
}

void TTransactionIndexes::ReleaseOverflow(const Packed& packed) {
  if (packed.shape == kOverflow) overflowFree_.push_back(static_cast<std::uint32_t>(packed.amount));
}

bool TTransactionIndexes::Insert(std::uint32_t id, const CTransactionIndex& entry) {
  const Packed packed = Pack(entry.position, entry.record);
  if (map_.Insert(id, packed)) return true;
  ReleaseOverflow(packed);
  return false;
}

bool TTransactionIndexes::Erase(std::uint32_t id) {
  const Packed* at = map_.Find(id);
  if (at == nullptr) return false;
  ReleaseOverflow(*at);
  return map_.Erase(id);
}

void TTransactionIndexes::clear() {
  map_.clear();
  palettes_ = std::make_shared<CPalettes>();
  std::vector<std::uint32_t>().swap(loadedWhole_);
  std::vector<TransactionRecord>().swap(overflow_);
  std::vector<std::uint32_t>().swap(overflowFree_);
  lowDay_ = INT32_MAX;
  highDay_ = INT32_MIN;
}

void TTransactionIndexes::SetRecord(Ptr entry, const TransactionRecord& record) {
  ReleaseOverflow(*entry.at_);
  *entry.at_ = Pack(entry.at_->position, record);
}

double TTransactionIndexes::DateOf(Ptr entry) const {
  const Packed& p = *entry.at_;
  return p.shape == kOverflow ? overflow_[static_cast<std::uint32_t>(p.amount)].date
                              : DateOfMinutes(p.minutes);
}

TransactionRecord TTransactionIndexes::RecordOf(Ptr entry) const {
  return Unpack(*entry.at_);
}

TransactionRecord TTransactionIndexes::Unpack(const Packed& p) const {
  if (p.shape == kOverflow) return overflow_[static_cast<std::uint32_t>(p.amount)];
  const Combination& c = palettes_->combinations[p.shape & 0xFFFF];
  TransactionRecord r;
  r.date = DateOfMinutes(p.minutes);
  r.fromAccount = c.fromAccount;
  r.toAccount = c.toAccount;
  r.amountOut = p.amount;
  r.amountIn = p.amount;
  r.quantity = std::bit_cast<float>(palettes_->quantities[p.shape >> 16]);
  r.memberId = c.memberId;
  r.categoryId = c.categoryId;
  r.sectionId = c.sectionId;
  r.descriptionId = p.descriptionId;
  r.commentId = p.commentId;
  return r;
}

std::size_t TTransactionIndexes::ExtraBytes() const {
  return palettes_->combinations.Bytes() + palettes_->quantities.Bytes() +
         overflow_.capacity() * sizeof(TransactionRecord) +
         overflowFree_.capacity() * sizeof(std::uint32_t);
}

template class TTransactionIndexes::TPalette<TTransactionIndexes::Combination>;
template class TTransactionIndexes::TPalette<std::uint32_t>;

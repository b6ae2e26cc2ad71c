#include <array>
#include <bit>
#include <cmath>
#include <cstring>

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
    const int combination =
        combinations_.IndexOf(Combination{record.fromAccount, record.toAccount, record.memberId,
                                          record.categoryId, record.sectionId});
    const int quantity = quantities_.IndexOf(std::bit_cast<std::uint32_t>(record.quantity));
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

template <class Value>
int TTransactionIndexes::TPalette<Value>::IndexOf(const Value& value) {
  constexpr std::size_t kMost = 0xFFFF;  // values; the lookup stays under half full
  if (2 * (values_.size() + 1) > lookup_.size() && values_.size() < kMost) {
    std::vector<std::uint16_t> wider(std::max<std::size_t>(64, 2 * lookup_.size()), 0);
    const std::size_t mask = wider.size() - 1;
    for (std::size_t i = 0; i < values_.size(); ++i) {
      std::size_t at = HashOf(values_[i]) & mask;
      while (wider[at] != 0) at = (at + 1) & mask;
      wider[at] = static_cast<std::uint16_t>(i + 1);
    }
    lookup_.swap(wider);
  }
  const std::size_t mask = lookup_.size() - 1;
  std::size_t at = HashOf(value) & mask;
  for (; lookup_[at] != 0; at = (at + 1) & mask)
    if (values_[lookup_[at] - 1u] == value) return lookup_[at] - 1;
  if (values_.size() >= kMost) return -1;
  values_.push_back(value);
  lookup_[at] = static_cast<std::uint16_t>(values_.size());
  return lookup_[at] - 1;
}

template <class Value>
void TTransactionIndexes::TPalette<Value>::clear() {
  std::vector<Value>().swap(values_);
  std::vector<std::uint16_t>().swap(lookup_);
}

void TTransactionIndexes::LoadAppendFrom(TTransactionIndexes& other) {
  // Each of the other's combinations and quantities gets its index here; a
  // full palette (-1) sends the records using it to the overflow list.
  std::vector<int> combination(other.combinations_.size()), quantity(other.quantities_.size());
  for (std::size_t i = 0; i < combination.size(); ++i)
    combination[i] = combinations_.IndexOf(other.combinations_[static_cast<std::uint32_t>(i)]);
  for (std::size_t i = 0; i < quantity.size(); ++i)
    quantity[i] = quantities_.IndexOf(other.quantities_[static_cast<std::uint32_t>(i)]);
  if (other.lowDay_ <= other.highDay_) {  // (a map being loaded counts no entries yet)
    NoteDayKey(other.lowDay_);
    NoteDayKey(other.highDay_);
  }
  map_.LoadAppendFrom(other.map_, [&](const Packed& packed) {
    if (packed.shape != kOverflow) {
      const int c = combination[packed.shape & 0xFFFF], q = quantity[packed.shape >> 16];
      if (c >= 0 && q >= 0) {
        Packed moved = packed;
        moved.shape = static_cast<std::uint32_t>(q) << 16 | static_cast<std::uint32_t>(c);
        return moved;
      }
    }
    return Pack(packed.position, other.Unpack(packed));
  });
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
  combinations_.clear();
  quantities_.clear();
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
  const Combination& c = combinations_[p.shape & 0xFFFF];
  TransactionRecord r;
  r.date = DateOfMinutes(p.minutes);
  r.fromAccount = c.fromAccount;
  r.toAccount = c.toAccount;
  r.amountOut = p.amount;
  r.amountIn = p.amount;
  r.quantity = std::bit_cast<float>(quantities_[p.shape >> 16]);
  r.memberId = c.memberId;
  r.categoryId = c.categoryId;
  r.sectionId = c.sectionId;
  r.descriptionId = p.descriptionId;
  r.commentId = p.commentId;
  return r;
}

std::size_t TTransactionIndexes::ExtraBytes() const {
  return combinations_.Bytes() + quantities_.Bytes() +
         overflow_.capacity() * sizeof(TransactionRecord) +
         overflowFree_.capacity() * sizeof(std::uint32_t);
}

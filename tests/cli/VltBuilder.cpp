#include "VltBuilder.h"

#include <chrono>
#include <cstring>
#include <fstream>
#include <stdexcept>

double Day(int year, unsigned month, unsigned day, double fraction) {
  using namespace std::chrono;
  const sys_days d =
      year_month_day{std::chrono::year{year}, std::chrono::month{month}, std::chrono::day{day}};
  const sys_days epoch = year_month_day{std::chrono::year{1899}, December, std::chrono::day{30}};
  return static_cast<double>((d - epoch).count()) + fraction;
}

void PutU8(std::vector<std::uint8_t>& out, std::uint8_t v) {
  out.push_back(v);
}
void PutU16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  for (int i = 0; i < 2; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void PutI64(std::vector<std::uint8_t>& out, std::int64_t v) {
  const auto u = static_cast<std::uint64_t>(v);
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<std::uint8_t>(u >> (8 * i)));
}
void PutF32(std::vector<std::uint8_t>& out, float v) {
  std::uint32_t bits;
  std::memcpy(&bits, &v, 4);
  PutU32(out, bits);
}
void PutF64(std::vector<std::uint8_t>& out, double v) {
  std::int64_t bits;
  std::memcpy(&bits, &v, 8);
  PutI64(out, bits);
}

namespace {

// Overwrites `bytes` at `offset` of `buf` with the little-endian `put`.
template <class Put, class T>
void PutAt(std::vector<std::uint8_t>& buf, std::size_t offset, Put put, T value) {
  std::vector<std::uint8_t> bytes;
  put(bytes, value);
  std::memcpy(buf.data() + offset, bytes.data(), bytes.size());
}

}  // namespace

CVltBuilder::CVltBuilder(double intervalBegin, double intervalEnd) : header_(1024, 0) {
  PutAt(header_, 0, PutU32, 1024u);
  PutAt(header_, 4, PutU32, 230u);
  std::memcpy(header_.data() + 8, "Omrin DBE", 9);  // and the zero byte at 17
  PutAt(header_, 264, PutF64, intervalBegin);
  PutAt(header_, 272, PutF64, intervalEnd);
}

void CVltBuilder::SetSelection(std::int32_t account, std::int32_t currency) {
  PutAt(header_, 280, PutU32, static_cast<std::uint32_t>(account));
  PutAt(header_, 284, PutU32, static_cast<std::uint32_t>(currency));
}

void CVltBuilder::SetSlot(int slot, std::uint32_t stringId) {
  PutAt(header_, 512 + 4 * static_cast<std::size_t>(slot), PutU32, stringId);
}

void CVltBuilder::Record(std::uint8_t type, std::uint32_t id,
                         const std::vector<std::uint8_t>& data) {
  PutU8(records_, 0);  // live
  PutU8(records_, type);
  PutU16(records_, 0);
  PutU32(records_, id);
  PutU32(records_, static_cast<std::uint32_t>(data.size()));
  records_.insert(records_.end(), data.begin(), data.end());
}

std::uint32_t CVltBuilder::String(const std::string& text) {
  // The smallest class whose slot holds the text and its zero byte.
  std::uint8_t type = 1;
  std::size_t slot = 16;
  while (slot < text.size() + 1) {
    ++type;
    slot *= 4;
  }
  if (type > 7) throw std::invalid_argument("text too long for a string record");
  std::vector<std::uint8_t> data(text.begin(), text.end());
  data.resize(slot, 0);
  const std::uint32_t id = ++nextStringId_;
  Record(type, id, data);
  return id;
}

std::uint32_t CVltBuilder::Currency(const std::string& name, const std::string& fullName) {
  std::vector<std::uint8_t> d;
  PutU32(d, Text(name));
  PutU32(d, 0);
  PutU32(d, Text(fullName));
  const std::uint32_t id = ++nextItemId_;
  Record(100, id, d);
  return id;
}

std::uint32_t CVltBuilder::Account(const std::string& name, std::uint32_t currency,
                                   const std::string& comment) {
  return AccountRecord(name, currency, comment, false, 0.0, 0.0, 0);
}

std::uint32_t CVltBuilder::BudgetAccount(const std::string& name, std::uint32_t currency,
                                         bool enabled, double from, double to, std::int64_t sum) {
  return AccountRecord(name, currency, "", enabled, from, to, sum);
}

std::uint32_t CVltBuilder::AccountRecord(const std::string& name, std::uint32_t currency,
                                         const std::string& comment, bool enabled, double from,
                                         double to, std::int64_t sum) {
  const std::uint32_t nameId = Text(name);
  const std::uint32_t commentId = Text(comment);
  std::vector<std::uint8_t> d;
  PutU32(d, nameId);
  PutU32(d, 0);
  PutU32(d, currency);
  PutU32(d, 0);
  PutU32(d, commentId);
  PutU8(d, enabled ? 1 : 0);
  for (int i = 0; i < 3; ++i) PutU8(d, 0);
  PutF64(d, from);
  PutF64(d, to);
  PutI64(d, sum);
  const std::uint32_t id = ++nextItemId_;
  Record(103, id, d);
  return id;
}

std::uint32_t CVltBuilder::SubType(const std::string& name, std::uint32_t parent,
                                   bool showQuantity) {
  std::vector<std::uint8_t> d;
  PutU32(d, Text(name));
  PutU32(d, 0);
  PutU32(d, parent);
  PutU8(d, showQuantity ? 1 : 0);
  for (int i = 0; i < 3; ++i) PutU8(d, 0);
  const std::uint32_t id = ++nextItemId_;
  Record(102, id, d);
  return id;
}

std::uint32_t CVltBuilder::Rate(std::uint32_t a, std::uint32_t b, double rate) {
  std::vector<std::uint8_t> d;
  PutU32(d, a);
  PutU32(d, b);
  PutF64(d, rate);
  const std::uint32_t id = ++nextItemId_;
  Record(104, id, d);
  return id;
}

std::vector<std::uint8_t> CVltBuilder::TransactionBytes(const TxSpec& t) {
  const std::uint32_t description = Text(t.description);
  const std::uint32_t comment = Text(t.comment);
  std::vector<std::uint8_t> d;
  PutF64(d, t.date);
  PutU32(d, t.from);
  PutU32(d, t.to);
  PutI64(d, t.amountOut);
  PutI64(d, t.amountIn);
  PutF32(d, t.quantity);
  PutU32(d, t.member);
  PutU32(d, t.category);
  PutU32(d, t.section);
  PutU32(d, description);
  PutU32(d, comment);
  return d;
}

std::uint32_t CVltBuilder::Transaction(const TxSpec& t) {
  std::vector<std::uint8_t> d = TransactionBytes(t);
  const std::uint32_t id = ++nextItemId_;
  Record(204, id, d);
  return id;
}

std::uint32_t CVltBuilder::Planned(const TxSpec& t, const ScheduleSpec& s) {
  std::vector<std::uint8_t> d;
  PutU8(d, s.kind);
  for (int i = 0; i < 7; ++i) PutU8(d, 0);
  PutF64(d, s.lastProcessed);
  PutF64(d, s.onceDate);
  PutU16(d, s.period);
  for (std::uint8_t flag : s.weekdays) PutU8(d, flag);
  for (int i = 0; i < 7; ++i) PutU8(d, 0);
  std::vector<std::uint8_t> tx = TransactionBytes(t);
  d.insert(d.end(), tx.begin(), tx.end());
  const std::uint32_t id = ++nextItemId_;
  Record(205, id, d);
  return id;
}

void CVltBuilder::Write(const std::string& path) const {
  std::vector<std::uint8_t> header = header_;
  PutAt(header, 256, PutU32, nextItemId_);
  PutAt(header, 260, PutU32, nextStringId_);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(header.data()),
            static_cast<std::streamsize>(header.size()));
  out.write(reinterpret_cast<const char*>(records_.data()),
            static_cast<std::streamsize>(records_.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

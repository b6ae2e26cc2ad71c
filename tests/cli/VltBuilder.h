// Writes database files byte by byte from the file format, independently of
// the engine's own record structures, so that pardow-cli can be checked
// against files whose every byte the test chose.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Days since 30 December 1899 of a calendar day (plus an optional fraction).
double Day(int year, unsigned month, unsigned day, double fraction = 0.0);

struct TxSpec {
  double date = 0.0;
  std::uint32_t from = 0;
  std::uint32_t to = 0;
  std::int64_t amountOut = 0;  // ten-thousandths
  std::int64_t amountIn = 0;
  float quantity = 1.0f;
  std::uint32_t member = 0;
  std::uint32_t category = 0;
  std::uint32_t section = 0;
  std::string description;
  std::string comment;
};

struct ScheduleSpec {
  std::uint8_t kind = 0;
  double lastProcessed = 0.0;
  double onceDate = 0.0;
  std::uint16_t period = 0;
  std::array<std::uint8_t, 7> weekdays{};  // Monday first
};

class CVltBuilder {
 public:
  // A header of the current format: interval `begin`..`end`, counters at 100.
  CVltBuilder(double intervalBegin, double intervalEnd);

  void SetSelection(std::int32_t account, std::int32_t currency);
  // Stores the string id of header text slot `slot`.
  void SetSlot(int slot, std::uint32_t stringId);

  // Each of these appends one live record and returns its id: string ids and
  // item ids are handed out from 101 upward, as the program does.
  std::uint32_t String(const std::string& text);
  std::uint32_t Currency(const std::string& name, const std::string& fullName);
  std::uint32_t Account(const std::string& name, std::uint32_t currency,
                        const std::string& comment = "");
  std::uint32_t BudgetAccount(const std::string& name, std::uint32_t currency, bool enabled,
                              double from, double to, std::int64_t sum);
  std::uint32_t SubType(const std::string& name, std::uint32_t parent, bool showQuantity = false);
  std::uint32_t Rate(std::uint32_t a, std::uint32_t b, double rate);
  std::uint32_t Transaction(const TxSpec& t);
  std::uint32_t Planned(const TxSpec& t, const ScheduleSpec& s);

  // Writes the file (overwriting `path`).
  void Write(const std::string& path) const;

 private:
  std::uint32_t Text(const std::string& text) { return text.empty() ? 0 : String(text); }
  std::uint32_t AccountRecord(const std::string& name, std::uint32_t currency,
                              const std::string& comment, bool enabled, double from, double to,
                              std::int64_t sum);
  void Record(std::uint8_t type, std::uint32_t id, const std::vector<std::uint8_t>& data);
  std::vector<std::uint8_t> TransactionBytes(const TxSpec& t);

  std::vector<std::uint8_t> header_;
  std::vector<std::uint8_t> records_;
  std::uint32_t nextItemId_ = 100;
  std::uint32_t nextStringId_ = 100;
};

// Little-endian appends.
void PutU8(std::vector<std::uint8_t>& out, std::uint8_t v);
void PutU16(std::vector<std::uint8_t>& out, std::uint16_t v);
void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v);
void PutI64(std::vector<std::uint8_t>& out, std::int64_t v);
void PutF32(std::vector<std::uint8_t>& out, float v);
void PutF64(std::vector<std::uint8_t>& out, double v);

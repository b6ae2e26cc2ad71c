// Helpers for the engine tests: files built byte by byte, captured log lines
// and messages, a pinned clock and a scratch folder.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "Records.h"

// Collects every log line and message box text while alive; pins the clock.
class CCapture {
 public:
  CCapture();
  ~CCapture();
  // True when some captured log line of `level` equals `text`.
  bool Logged(int level, const std::string& text) const;
  // True when some captured log line starts with `prefix`.
  bool LoggedPrefix(const std::string& prefix) const;
  void Clear();
  std::vector<std::pair<int, std::string>> log;
  std::vector<std::string> messages;
};

// A fresh scratch folder per test, removed at the end.
class CScratch {
 public:
  CScratch();
  ~CScratch();
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

 private:
  std::string dir_;
};

// Builds a database file byte by byte.
class CFileBuilder {
 public:
  // A header of the given version and signature, counters 100/100, interval
  // May 2007.
  explicit CFileBuilder(std::int32_t version = 230, const char* signature = "Omrin DBE");
  CFileBuilder& Counters(std::uint32_t items, std::uint32_t strings);
  // Appends a record with a raw header and the given data bytes.
  CFileBuilder& Record(std::uint8_t state, std::uint8_t type, std::uint32_t id, std::uint32_t size,
                       const void* data, std::size_t dataLength);
  template <class T>
  CFileBuilder& Table(std::uint8_t type, std::uint32_t id, const T& record,
                      std::uint8_t state = 0) {
    return Record(state, type, id, sizeof record, &record, sizeof record);
  }
  // A string record of class k holding `text`.
  CFileBuilder& String(std::uint32_t id, const std::string& text, std::uint8_t state = 0);
  // The current length, i.e. the position the next record gets.
  std::uint32_t Position() const { return static_cast<std::uint32_t>(bytes.size()); }
  void Save(const std::string& path) const;
  std::vector<char> bytes;
};

std::vector<char> ReadFileBytes(const std::string& path);
// The copies NAME.damaged-* the engine kept of `name` in `dir`.
std::vector<std::string> DamagedCopies(const CScratch& dir, const std::string& name);
void WriteFileBytes(const std::string& path, const std::vector<char>& bytes);

template <class T>
T ReadAt(const std::vector<char>& bytes, std::size_t pos) {
  T value;
  std::memcpy(&value, bytes.data() + pos, sizeof value);
  return value;
}

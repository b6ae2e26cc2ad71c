#include "EngineTestUtil.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "Abstractdb.h"
#include "Logger.h"
#include "Platform.h"

CCapture::CCapture() {
  SetClock(EncodeDate(2007, 5, 15) + 0.5);
  SetLogTap([this](std::uint8_t level, const std::string& text) { log.emplace_back(level, text); });
  SetMessageHook([this](const std::string& text) { messages.push_back(text); });
}

CCapture::~CCapture() {
  SetLogTap({});
  SetMessageHook({});
  ResetClock();
}

bool CCapture::Logged(int level, const std::string& text) const {
  for (const auto& [l, t] : log)
    if (l == level && t == text) return true;
  return false;
}

bool CCapture::LoggedPrefix(const std::string& prefix) const {
  for (const auto& entry : log)
    if (entry.second.rfind(prefix, 0) == 0) return true;
  return false;
}

void CCapture::Clear() {
  log.clear();
  messages.clear();
}

CScratch::CScratch() {
  std::string pattern = testing::TempDir() + "/pardow-XXXXXX";
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back(0);
  dir_ = mkdtemp(buf.data());
}

CScratch::~CScratch() {
  std::filesystem::remove_all(dir_);
}

CFileBuilder::CFileBuilder(std::int32_t version, const char* signature) {
  FileHeader header;
  header.version = version;
  std::memset(header.signature, 0, sizeof header.signature);
  std::memcpy(header.signature, signature, std::min<std::size_t>(std::strlen(signature), 10));
  header.intervalStart = EncodeDate(2007, 5, 1);
  header.intervalEnd = EncodeDate(2007, 5, 31);
  bytes.resize(sizeof header);
  std::memcpy(bytes.data(), &header, sizeof header);
}

CFileBuilder& CFileBuilder::Counters(std::uint32_t items, std::uint32_t strings) {
  std::memcpy(bytes.data() + 256, &items, 4);
  std::memcpy(bytes.data() + 260, &strings, 4);
  return *this;
}

CFileBuilder& CFileBuilder::Record(std::uint8_t state, std::uint8_t type, std::uint32_t id,
                                   std::uint32_t size, const void* data, std::size_t dataLength) {
  RecordHeader header;
  header.state = state;
  header.type = type;
  header.id = id;
  header.size = size;
  const char* h = reinterpret_cast<const char*>(&header);
  bytes.insert(bytes.end(), h, h + sizeof header);
  const char* d = static_cast<const char*>(data);
  bytes.insert(bytes.end(), d, d + dataLength);
  return *this;
}

CFileBuilder& CFileBuilder::String(std::uint32_t id, const std::string& text, std::uint8_t state) {
  int k = StringClassOf(text.size());
  std::vector<char> slot(StringSlotSize(k), 0);
  std::memcpy(slot.data(), text.data(), text.size());
  return Record(state, static_cast<std::uint8_t>(k), id, StringSlotSize(k), slot.data(),
                slot.size());
}

void CFileBuilder::Save(const std::string& path) const {
  WriteFileBytes(path, bytes);
}

std::vector<char> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

void WriteFileBytes(const std::string& path, const std::vector<char>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> DamagedCopies(const CScratch& dir, const std::string& name) {
  std::vector<std::string> copies;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path("")))
    if (entry.path().filename().string().rfind(name + ".damaged-", 0) == 0)
      copies.push_back(entry.path().string());
  return copies;
}

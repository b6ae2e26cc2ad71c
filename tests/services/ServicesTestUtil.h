// Helpers of the services tests: captured log lines and message texts,
// scratch files.
#pragma once

#include <QTemporaryDir>
#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "Logger.h"
#include "Platform.h"

// Collects every log line and every message box text while it lives.
class LogCapture {
 public:
  LogCapture() {
    SetLogTap(
        [this](std::uint8_t level, const std::string& text) { lines.emplace_back(level, text); });
    SetMessageHook([this](const std::string& text) { messages.push_back(text); });
  }
  ~LogCapture() {
    SetLogTap({});
    SetMessageHook({});
  }
  // Lines other than the service banners (level 1).
  std::vector<std::string> Problems() const {
    std::vector<std::string> out;
    for (const auto& [level, text] : lines) {
      if (level != 1) out.push_back(text);
    }
    return out;
  }
  bool Contains(std::uint8_t level, const std::string& text) const {
    return std::find(lines.begin(), lines.end(), std::make_pair(level, text)) != lines.end();
  }

  std::vector<std::pair<std::uint8_t, std::string>> lines;
  std::vector<std::string> messages;
};

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string PathIn(const QTemporaryDir& dir, const std::string& name) {
  return dir.path().toStdString() + "/" + name;
}

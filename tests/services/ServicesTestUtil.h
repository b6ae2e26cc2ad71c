// Helpers shared by the services tests: captured log lines and messages,
// scratch files, a pinned default locale.
#pragma once

#include <QLocale>
#include <QTemporaryDir>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "Logger.h"
#include "Platform.h"

// Collects every log line and every message box text while it lives.
class LogCapture {
 public:
  LogCapture() {
    SetLogTap([this](std::uint8_t level, const std::string& text) {
      lines.emplace_back(level, text);
    });
    SetMessageHook([this](const std::string& text) { messages.push_back(text); });
  }
  ~LogCapture() {
    SetLogTap({});
    SetMessageHook({});
  }
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  // Lines other than the service banners (level 1).
  std::vector<std::pair<std::uint8_t, std::string>> Problems() const {
    std::vector<std::pair<std::uint8_t, std::string>> out;
    for (const auto& line : lines) {
      if (line.first != 1) out.push_back(line);
    }
    return out;
  }
  bool Contains(std::uint8_t level, const std::string& text) const {
    for (const auto& line : lines) {
      if (line.first == level && line.second == text) return true;
    }
    return false;
  }

  std::vector<std::pair<std::uint8_t, std::string>> lines;
  std::vector<std::string> messages;
};

// Sets the default locale for the lifetime of the object.
class PinnedLocale {
 public:
  explicit PinnedLocale(const QLocale& locale) : FSaved(QLocale()) { QLocale::setDefault(locale); }
  ~PinnedLocale() { QLocale::setDefault(FSaved); }
  PinnedLocale(const PinnedLocale&) = delete;
  PinnedLocale& operator=(const PinnedLocale&) = delete;

 private:
  QLocale FSaved;
};

inline QLocale UngroupedEnglish() {
  QLocale locale(QLocale::English, QLocale::UnitedStates);
  locale.setNumberOptions(QLocale::OmitGroupSeparator);
  return locale;
}

// Writes `bytes` to `path` as they are.
void WriteBytes(const std::string& path, const std::string& bytes);
// The whole file, or "" when it cannot be read.
std::string ReadBytes(const std::string& path);
// A path inside `dir`.
std::string PathIn(const QTemporaryDir& dir, const std::string& name);

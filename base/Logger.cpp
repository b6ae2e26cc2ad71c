#include "Logger.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

int g_logFd = -1;  // the open log file, or -1
LogTap g_tap;      // optional observer of every message

const char* OpeningTag(std::uint8_t level) {
  switch (level) {
    case 0:
      return "<font color=\"#8f8f8f\"><b>";
    case 1:
      return "<font color=\"#4f4f4f\"><b>";
    case 2:
      return "<font color=\"#ffff00\"><b>";
    case 3:
      return "<font color=\"#ff0000\"><b>";
    default:
      return "<font color=\"#ffffff\"><b>";
  }
}

void WriteAll(int fd, const std::string& bytes) {
  const char* p = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // logging never fails visibly
    p += n;
    left -= static_cast<size_t>(n);
  }
}

}  // namespace

CLogger::CLogger(const std::string& path) {
  if (g_logFd >= 0) ::close(g_logFd);
  g_logFd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (g_logFd < 0) return;
  WriteAll(g_logFd,
           "<html><head><title>Pardow log file</title></head><body bgcolor=\"#000000\">"
           "<font face=\"Courier New\"><font size=2>");
  LogDetail("DudoDov v1.0 initialized");
}

CLogger::~CLogger() {
  LogDetail("DudoDov uninitialized");
  if (g_logFd >= 0) ::close(g_logFd);
  g_logFd = -1;
}

bool IsLogOpen() {
  return g_logFd >= 0;
}

void WriteLog(std::uint8_t level, const char* text) {
  if (text == nullptr) text = "";
  if (g_tap) g_tap(level, text);
  if (g_logFd < 0) return;
  // One write per entry keeps an entry whole even when the process dies.
  std::string entry = OpeningTag(level);
  entry += text;
  entry += "</b></font><br>";
  WriteAll(g_logFd, entry);
}

void LogEvent(const char* text) {
  WriteLog(0, text);
}
void LogEvent(const std::string& text) {
  WriteLog(0, text.c_str());
}
void LogDetail(const char* text) {
  WriteLog(1, text);
}
void LogDetail(const std::string& text) {
  WriteLog(1, text.c_str());
}
void LogWarning(const char* text) {
  WriteLog(2, text);
}
void LogWarning(const std::string& text) {
  WriteLog(2, text.c_str());
}
void LogError(const char* text) {
  WriteLog(3, text);
}
void LogError(const std::string& text) {
  WriteLog(3, text.c_str());
}

void SetLogTap(LogTap tap) {
  g_tap = std::move(tap);
}

// The diagnostic log: one HTML page per run, written entry by entry without
// buffering so that it is complete up to the last message even if the process
// dies. All writing goes through one process-wide stream; a CLogger object
// only opens and closes it. Logging never fails visibly.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

class CLogger {
 public:
  // Creates (or overwrites) the file at `path`, writes the page head and logs
  // the banner. If the file cannot be created the logger stays closed and
  // every message is dropped.
  explicit CLogger(const std::string& path);
  ~CLogger();
  CLogger(const CLogger&) = delete;
  CLogger& operator=(const CLogger&) = delete;
};

// True while a log file is open (a CLogger whose file could be created).
bool IsLogOpen();

// Appends one entry of the given level (0 event, 1 detail, 2 warning,
// 3 error; any other value is written in white). Does nothing while no log
// is open.
void WriteLog(std::uint8_t level, const char* text);

void LogEvent(const char* text);
void LogEvent(const std::string& text);
void LogDetail(const char* text);
void LogDetail(const std::string& text);
void LogWarning(const char* text);
void LogWarning(const std::string& text);
void LogError(const char* text);
void LogError(const std::string& text);

// An optional observer that sees every message whether or not a log file is
// open (the command-line tool echoes warnings and errors to stderr; tests
// collect them). Pass an empty function to remove it.
using LogTap = std::function<void(std::uint8_t level, const std::string& text)>;
void SetLogTap(LogTap tap);

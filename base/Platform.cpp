#include "Platform.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <iostream>

namespace {
MessageHook g_messageHook;  // empty: print to stderr
}

void ShowMessage(const std::string& text) {
  if (g_messageHook) {
    g_messageHook(text);
  } else {
    std::cerr << text << std::endl;
  }
}

void SetMessageHook(MessageHook hook) {
  g_messageHook = std::move(hook);
}

std::string GetProgramFolder() {
  char buf[4096];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return "./";
  std::string path(buf, static_cast<size_t>(n));
  return path.substr(0, path.find_last_of('/') + 1);
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void ClearFileAttributes(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) ::chmod(path.c_str(), st.st_mode | S_IWUSR);
}

std::string GetEnvVariable(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  if (value == nullptr) return {};
  // The value must fit a 4096-byte buffer with its terminating zero.
  if (std::strlen(value) >= 4096) return {};
  return value;
}

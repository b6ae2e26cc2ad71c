#include "Include.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

std::string GetEnvVariable(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  if (value == nullptr) return {};
  // The value must fit a 4096-byte buffer with its terminating zero.
  if (std::strlen(value) >= 4096) return {};
  return value;
}

std::string FormatVersion(int version) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%d.%02d", version / 100, std::abs(version % 100));
  return buf;
}

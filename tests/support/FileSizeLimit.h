// A full disk for tests: appends past a size fail while the limit lives.
#pragma once

#include <sys/resource.h>

#include <csignal>
#include <cstdint>

// Makes writes past `size` bytes of any file fail with EFBIG, as a full disk
// fails appends, while it lives (0: no limit).
struct CFileSizeLimit {
  explicit CFileSizeLimit(std::uint64_t size) {
    if (size == 0) return;
    signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit limit = old;
    limit.rlim_cur = size;
    active = setrlimit(RLIMIT_FSIZE, &limit) == 0;
  }
  ~CFileSizeLimit() {
    if (active) setrlimit(RLIMIT_FSIZE, &old);
  }
  rlimit old{};
  bool active = false;
};

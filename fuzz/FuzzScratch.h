// A scratch file per fuzzing process, in memory (/dev/shm) so that millions
// of runs do not wear a disk; removed when the object goes.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

class CFuzzScratch {
 public:
  CFuzzScratch(const char* name, const std::uint8_t* data, std::size_t size)
      : path_("/dev/shm/pardow-fuzz-" + std::string(name) + "-" + std::to_string(getpid())) {
    if (FILE* f = std::fopen(path_.c_str(), "wb")) {
      std::fwrite(data, 1, size, f);
      std::fclose(f);
    }
  }
  ~CFuzzScratch() { std::remove(path_.c_str()); }
  CFuzzScratch(const CFuzzScratch&) = delete;
  CFuzzScratch& operator=(const CFuzzScratch&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

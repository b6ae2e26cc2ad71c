// CFileStream: the database file. Positioned reads and writes straight to the
// file (no user-space buffering), so a write is in the operating system's
// hands when the call returns and survives the death of the process. The file
// is held under an exclusive lock for as long as the stream lives: a second
// stream on the same file, in this process or another, fails to open.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

// Thrown by CFileStream for every failure to open, read, write or resize.
class CFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class CFileStream {
 public:
  enum class Mode {
    kOpenReadWrite,   // the file must exist
    kCreateTruncate,  // created if missing, emptied under the lock if present
  };

  // Opens `path` for reading and writing and takes the exclusive lock.
  // Throws CFileError when the file cannot be opened or is locked.
  CFileStream(const std::string& path, Mode mode);
  ~CFileStream();
  CFileStream(const CFileStream&) = delete;
  CFileStream& operator=(const CFileStream&) = delete;

  // Reads exactly `n` bytes at `pos`; throws when fewer are there.
  void ReadAt(std::uint64_t pos, void* buf, std::size_t n) const;
  // Reads up to `n` bytes at `pos`; returns how many were read (0 at the end).
  std::size_t ReadSomeAt(std::uint64_t pos, void* buf, std::size_t n) const;
  // Writes all `n` bytes at `pos`; throws on any failure.
  void WriteAt(std::uint64_t pos, const void* buf, std::size_t n);
  // The current length of the file.
  std::uint64_t Size() const;
  // Sets the length (zero-filling when it grows).
  void SetSize(std::uint64_t size);
  // Asks the system to put written data on the medium.
  void Flush();

  template <class T>
  void Write(std::uint64_t pos, const T& value) {
    WriteAt(pos, &value, sizeof value);
  }
  template <class T>
  T Read(std::uint64_t pos) const {
    T value;
    ReadAt(pos, &value, sizeof value);
    return value;
  }

 private:
  int fd_ = -1;       // open descriptor holding the lock
  std::string path_;  // for error texts
};

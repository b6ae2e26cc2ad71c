// CFileStream: the database file. Positioned reads and writes straight to the
// file (no user-space buffering), so a write is in the operating system's
// hands when the call returns and survives the death of the process. The file
// is held under an exclusive lock for as long as the stream lives: a second
// stream on the same file, in this process or another, fails to open.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

// Thrown by CFileStream for every failure to open, read, write, resize or
// sync. `Code()` is the system's error number (0 when there is none), so
// callers can tell a file held by another program (EWOULDBLOCK) or a folder
// (EISDIR) from other failures.
class CFileError : public std::runtime_error {
 public:
  explicit CFileError(const std::string& what, int code = 0)
      : std::runtime_error(what), code_(code) {}
  int Code() const { return code_; }

 private:
  int code_;
};

// Test seam: called before every write, sync and rename with the file's path
// and what is done ("cannot write", "cannot sync", "cannot rename"). Returning a non-zero error
// number makes that operation fail with it as if the system had refused (ENOSPC for a full disk); a
// hook may also end the process to stand for a kill at that instant. Empty: no hook.
using WriteFaultHook = std::function<int(const std::string& path, const char* what)>;
void SetWriteFaultHook(WriteFaultHook hook);

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
  // Puts written data and the file's size on the medium (fdatasync); throws
  // when the system reports that it could not.
  void Sync();

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
  int fd_ = -1;  // open descriptor holding the lock
  // The file's length as this stream last wrote or read it (the lock keeps
  // other writers out); kUnknownSize after a failed write or resize.
  static constexpr std::uint64_t kUnknownSize = UINT64_MAX;
  mutable std::uint64_t size_ = kUnknownSize;
  std::string path_;  // for error texts
};

// Copies the whole of `source` into `target` (created or emptied) and syncs
// it. Throws CFileError on any failure; a partial `target` may remain.
void CopyFileSynced(const CFileStream& source, const std::string& target);
// Renames `from` over `to` in one step and syncs the folder, so the new name
// survives a power cut. Throws CFileError on failure.
void RenameSynced(const std::string& from, const std::string& to);
// True when `path` names a folder.
bool IsFolder(const std::string& path);
// `base` when no file or folder has that name, else `base` + "-2", "-3"...
std::string FreeFileName(const std::string& base);

#include "Filestream.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

std::string ErrorText(const std::string& what, const std::string& path) {
  return what + " " + path + ": " + std::strerror(errno);
}

}  // namespace

CFileStream::CFileStream(const std::string& path, Mode mode) : path_(path) {
  int flags = O_RDWR | O_CLOEXEC | (mode == Mode::kCreateTruncate ? O_CREAT : 0);
  fd_ = ::open(path.c_str(), flags, 0644);
  if (fd_ < 0) throw CFileError(ErrorText("cannot open", path));
  if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    std::string text = ErrorText("cannot lock", path);
    ::close(fd_);
    fd_ = -1;
    throw CFileError(text);
  }
  // Emptied only once the lock is ours, so a file that another program holds
  // open is never destroyed under it.
  if (mode == Mode::kCreateTruncate && ::ftruncate(fd_, 0) != 0) {
    std::string text = ErrorText("cannot truncate", path);
    ::close(fd_);
    fd_ = -1;
    throw CFileError(text);
  }
}

CFileStream::~CFileStream() {
  if (fd_ >= 0) ::close(fd_);  // closing releases the lock
}

std::size_t CFileStream::ReadSomeAt(std::uint64_t pos, void* buf, std::size_t n) const {
  auto* p = static_cast<char*>(buf);
  std::size_t done = 0;
  while (done < n) {
    ssize_t r = ::pread(fd_, p + done, n - done, static_cast<off_t>(pos + done));
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) throw CFileError(ErrorText("cannot read", path_));
    if (r == 0) break;
    done += static_cast<std::size_t>(r);
  }
  return done;
}

void CFileStream::ReadAt(std::uint64_t pos, void* buf, std::size_t n) const {
  if (ReadSomeAt(pos, buf, n) != n) throw CFileError("unexpected end of file in " + path_);
}

void CFileStream::WriteAt(std::uint64_t pos, const void* buf, std::size_t n) {
  const auto* p = static_cast<const char*>(buf);
  std::size_t done = 0;
  while (done < n) {
    ssize_t w = ::pwrite(fd_, p + done, n - done, static_cast<off_t>(pos + done));
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) throw CFileError(ErrorText("cannot write", path_));
    done += static_cast<std::size_t>(w);
  }
}

std::uint64_t CFileStream::Size() const {
  struct stat st {};
  if (::fstat(fd_, &st) != 0) throw CFileError(ErrorText("cannot stat", path_));
  return static_cast<std::uint64_t>(st.st_size);
}

void CFileStream::SetSize(std::uint64_t size) {
  if (::ftruncate(fd_, static_cast<off_t>(size)) != 0)
    throw CFileError(ErrorText("cannot resize", path_));
}

void CFileStream::Flush() {
  if (::fsync(fd_) != 0) throw CFileError(ErrorText("cannot flush", path_));
}

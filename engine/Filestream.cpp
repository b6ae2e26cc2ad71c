#include "Filestream.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace {

WriteFaultHook g_writeFault;  // test seam, empty in the programs

std::string ErrorText(const std::string& what, const std::string& path, int code) {
  return what + " " + path + ": " + std::strerror(code);
}

[[noreturn]] void Throw(const std::string& what, const std::string& path) {
  const int code = errno;
  throw CFileError(ErrorText(what, path, code), code);
}

// Runs the test seam; throws the error it asks for.
void CheckWriteFault(const char* what, const std::string& path) {
  if (!g_writeFault) return;
  if (int code = g_writeFault(path, what)) throw CFileError(ErrorText(what, path, code), code);
}

}  // namespace

void SetWriteFaultHook(WriteFaultHook hook) {
  g_writeFault = std::move(hook);
}

CFileStream::CFileStream(const std::string& path, Mode mode) : path_(path) {
  int flags = O_RDWR | O_CLOEXEC | (mode == Mode::kCreateTruncate ? O_CREAT : 0);
  fd_ = ::open(path.c_str(), flags, 0644);
  if (fd_ < 0) Throw("cannot open", path);
  if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    const int code = errno;
    ::close(fd_);
    fd_ = -1;
    throw CFileError(ErrorText("cannot lock", path, code), code);
  }
  // Emptied only once the lock is ours, so a file that another program holds
  // open is never destroyed under it.
  if (mode == Mode::kCreateTruncate && ::ftruncate(fd_, 0) != 0) {
    const int code = errno;
    ::close(fd_);
    fd_ = -1;
    throw CFileError(ErrorText("cannot truncate", path, code), code);
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
    if (r < 0) Throw("cannot read", path_);
    if (r == 0) break;
    done += static_cast<std::size_t>(r);
  }
  return done;
}

void CFileStream::ReadAt(std::uint64_t pos, void* buf, std::size_t n) const {
  if (ReadSomeAt(pos, buf, n) != n) throw CFileError("unexpected end of file in " + path_);
}

void CFileStream::WriteAt(std::uint64_t pos, const void* buf, std::size_t n) {
  CheckWriteFault("cannot write", path_);
  const std::uint64_t known = size_;
  size_ = kUnknownSize;  // until the whole write is in
  const auto* p = static_cast<const char*>(buf);
  std::size_t done = 0;
  while (done < n) {
    ssize_t w = ::pwrite(fd_, p + done, n - done, static_cast<off_t>(pos + done));
    if (w < 0 && errno == EINTR) continue;
    if (w == 0) errno = ENOSPC;
    if (w <= 0) Throw("cannot write", path_);
    done += static_cast<std::size_t>(w);
  }
  if (known != kUnknownSize) size_ = std::max(known, pos + n);
}

std::uint64_t CFileStream::Size() const {
  if (size_ != kUnknownSize) return size_;
  struct stat st {};
  if (::fstat(fd_, &st) != 0) Throw("cannot stat", path_);
  size_ = static_cast<std::uint64_t>(st.st_size);
  return size_;
}

void CFileStream::SetSize(std::uint64_t size) {
  size_ = kUnknownSize;
  if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) Throw("cannot resize", path_);
  size_ = size;
}

void CFileStream::Sync() {
  CheckWriteFault("cannot sync", path_);
  if (::fdatasync(fd_) != 0) Throw("cannot sync", path_);
}

void CopyFileSynced(const CFileStream& source, const std::string& target) {
  CFileStream out(target, CFileStream::Mode::kCreateTruncate);
  std::vector<char> buf(1 << 20);
  std::uint64_t pos = 0;
  while (std::size_t n = source.ReadSomeAt(pos, buf.data(), buf.size())) {
    out.WriteAt(pos, buf.data(), n);
    pos += n;
  }
  out.Sync();
}

void RenameSynced(const std::string& from, const std::string& to) {
  CheckWriteFault("cannot rename", from);
  if (::rename(from.c_str(), to.c_str()) != 0) Throw("cannot rename", from);
  const std::size_t slash = to.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : to.substr(0, slash + 1);
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) Throw("cannot open the folder of", to);
  const int rc = ::fsync(fd);
  const int code = errno;
  ::close(fd);
  if (rc != 0) throw CFileError(ErrorText("cannot sync the folder of", to, code), code);
}

bool IsFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string FreeFileName(const std::string& base) {
  struct stat st {};
  std::string name = base;
  for (int n = 2; ::lstat(name.c_str(), &st) == 0; ++n) name = base + "-" + std::to_string(n);
  return name;
}

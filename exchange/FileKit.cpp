#include "FileKit.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

std::string SystemError(const std::string& path) {
  return path + ": " + std::strerror(errno);
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

bool SyncFolderOf(const std::string& path, std::string& error) {
  const std::string folder = FolderOf(path);
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    error = SystemError(folder);
    return false;
  }
  const bool ok = ::fsync(fd) == 0;
  if (!ok) error = SystemError(folder);
  ::close(fd);
  return ok;
}

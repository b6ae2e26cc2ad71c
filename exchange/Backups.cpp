// Automatic backups of database files: naming, copying, listing, trimming,
// restoring and a read-only count of a backup's transactions.
#include "Backups.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>

#include "Companion.h"
#include "Delimited.h"
#include "FileKit.h"
#include "Logger.h"
#include "Platform.h"
#include "Records.h"

namespace {

namespace fs = std::filesystem;

constexpr char kVlt[] = ".vlt";
constexpr std::size_t kVltLength = sizeof kVlt - 1;

std::string WithSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

bool AllDigits(const std::string& text, std::size_t from, std::size_t count) {
  if (from + count > text.size()) return false;
  for (std::size_t i = from; i < from + count; ++i)
    if (text[i] < '0' || text[i] > '9') return false;
  return true;
}

int Number(const std::string& text, std::size_t from, std::size_t count) {
  int value = 0;
  for (std::size_t i = from; i < from + count; ++i) value = value * 10 + (text[i] - '0');
  return value;
}

// Copies the rest of `from` to the end of `to`: inside the kernel where the
// file systems allow it, else through a buffer. False with errno set.
bool CopyBytes(int from, int to) {
  bool kernel = true;
  std::vector<char> buffer;
  for (;;) {
    if (kernel) {
      const ssize_t n = ::copy_file_range(from, nullptr, to, nullptr, std::size_t{1} << 30, 0);
      if (n > 0) continue;
      if (n == 0) return true;
      if (errno == EINTR) continue;
      if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return false;
      kernel = false;  // another file system, or one that cannot: copy by hand
      buffer.resize(std::size_t{1} << 20);
    }
    const ssize_t got = ::read(from, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    for (ssize_t done = 0; done < got;) {
      const ssize_t n = ::write(to, buffer.data() + done, static_cast<std::size_t>(got - done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        if (n == 0) errno = EIO;
        return false;
      }
      done += n;
    }
  }
}

// An open temporary file made from `pattern` (ending in XXXXXX), -1 with
// the reason in `error`.
int MakeTemporary(std::string& pattern, std::string& error) {
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back(0);
  const int fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) error = SystemError(pattern);
  pattern = name.data();
  return fd;
}

// Copies the file `source` into a new temporary file from `pattern`; the
// open file, or -1 with the reason (and nothing left behind).
int CopyToTemporary(const std::string& source, std::string& pattern, std::string& error) {
  const int from = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (from < 0) {
    error = SystemError(source);
    return -1;
  }
  const int to = MakeTemporary(pattern, error);
  if (to >= 0 && !CopyBytes(from, to)) {
    error = SystemError(pattern);
    ::close(to);
    ::unlink(pattern.c_str());
    ::close(from);
    return -1;
  }
  ::close(from);
  return to;
}

// Renames `temp` to `target` unless `target` exists. False with errno
// EEXIST when it does.
bool RenameNoReplace(const std::string& temp, const std::string& target) {
  if (::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
    return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // A file system without that flag: a hard link fails as well when the
  // name is taken.
  if (::link(temp.c_str(), target.c_str()) != 0) return false;
  ::unlink(temp.c_str());
  return true;
}

std::uint64_t SizeOf(const std::string& path) {
  std::error_code error;
  const std::uintmax_t size = fs::file_size(path, error);
  return error ? 0 : size;
}

// Removes a backup and its companion.
bool RemoveBackup(const std::string& path, std::string& error) {
  bool ok = true;
  for (const std::string& file : {path, CCompanion::PathFor(path)}) {
    if (::unlink(file.c_str()) != 0 && errno != ENOENT) {
      error = SystemError(file);
      ok = false;
    }
  }
  if (ok) LogEvent("Backup removed: " + path);
  return ok;
}

// Reads a file piece by piece for ScanBackupCounts.
class CScanReader {
 public:
  explicit CScanReader(int fd) : fd_(fd), buffer_(std::size_t{1} << 20) {}
  // `count` bytes at `position`, or null when the file ends before them.
  const char* Get(std::uint64_t position, std::size_t count) {
    if (position < start_ || position + count > start_ + length_) {
      start_ = position;
      length_ = 0;
      while (length_ < buffer_.size()) {
        const ssize_t n = ::pread(fd_, buffer_.data() + length_, buffer_.size() - length_,
                                  static_cast<off_t>(start_ + length_));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        length_ += static_cast<std::size_t>(n);
      }
      if (count > length_) return nullptr;
    }
    return buffer_.data() + (position - start_);
  }

 private:
  int fd_;
  std::vector<char> buffer_;
  std::uint64_t start_ = 0;  // file position of buffer_[0]
  std::size_t length_ = 0;   // bytes held
};

}  // namespace

// ---- Names ----

std::string BackupStem(const std::string& databaseFile) {
  const std::size_t slash = databaseFile.rfind('/');
  std::string name = slash == std::string::npos ? databaseFile : databaseFile.substr(slash + 1);
  if (name.size() > kVltLength && name.compare(name.size() - kVltLength, kVltLength, kVlt) == 0)
    name.resize(name.size() - kVltLength);
  return name;
}

std::string BackupFileName(const std::string& stem, const TBackupStamp& stamp) {
  char text[64];
  std::snprintf(text, sizeof text, "-%04d%02d%02d-%02d%02d%02d", stamp.year, stamp.month, stamp.day,
                stamp.hour, stamp.minute, stamp.second);
  std::string name = stem + text;
  if (stamp.serial > 1) name += "-" + std::to_string(stamp.serial);
  return name + kVlt;
}

bool ParseBackupFileName(const std::string& fileName, std::string& stem, TBackupStamp& stamp) {
  if (fileName.size() <= kVltLength ||
      fileName.compare(fileName.size() - kVltLength, kVltLength, kVlt) != 0)
    return false;
  std::string rest = fileName.substr(0, fileName.size() - kVltLength);
  // "-YYYYMMDD-HHMMSS" is 16 characters; a serial may follow it.
  auto stampAtEnd = [](const std::string& text) {
    const std::size_t at = text.size() >= 16 ? text.size() - 16 : std::string::npos;
    return at != std::string::npos && at > 0 && text[at] == '-' && AllDigits(text, at + 1, 8) &&
           text[at + 9] == '-' && AllDigits(text, at + 10, 6);
  };
  int serial = 1;
  if (!stampAtEnd(rest)) {
    const std::size_t dash = rest.rfind('-');
    if (dash == std::string::npos || dash + 1 == rest.size() || rest.size() - dash > 6 ||
        !AllDigits(rest, dash + 1, rest.size() - dash - 1) || rest[dash + 1] == '0')
      return false;
    serial = Number(rest, dash + 1, rest.size() - dash - 1);
    rest.resize(dash);
    if (serial < 2 || !stampAtEnd(rest)) return false;
  }
  const std::size_t at = rest.size() - 16;
  stamp.year = Number(rest, at + 1, 4);
  stamp.month = Number(rest, at + 5, 2);
  stamp.day = Number(rest, at + 7, 2);
  stamp.hour = Number(rest, at + 10, 2);
  stamp.minute = Number(rest, at + 12, 2);
  stamp.second = Number(rest, at + 14, 2);
  stamp.serial = serial;
  stem = rest.substr(0, at);
  return true;
}

TBackupStamp StampOf(std::chrono::system_clock::time_point moment) {
  using namespace std::chrono;
  const sys_days day = floor<days>(moment);
  const year_month_day date{day};
  const hh_mm_ss time{floor<seconds>(moment - day)};
  TBackupStamp stamp;
  stamp.year = static_cast<int>(date.year());
  stamp.month = static_cast<int>(static_cast<unsigned>(date.month()));
  stamp.day = static_cast<int>(static_cast<unsigned>(date.day()));
  stamp.hour = static_cast<int>(time.hours().count());
  stamp.minute = static_cast<int>(time.minutes().count());
  stamp.second = static_cast<int>(time.seconds().count());
  return stamp;
}

std::string StampText(const TBackupStamp& stamp) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", stamp.year, stamp.month,
                stamp.day, stamp.hour, stamp.minute, stamp.second);
  return text;
}

// ---- Listing and counting ----

std::vector<CBackupEntry> ListBackups(const std::string& folder, const std::string& databaseFile) {
  const std::string wanted = databaseFile.empty() ? std::string() : BackupStem(databaseFile);
  std::vector<CBackupEntry> entries;
  std::error_code error;
  for (const fs::directory_entry& item : fs::directory_iterator(folder, error)) {
    CBackupEntry entry;
    if (!item.is_regular_file(error) ||
        !ParseBackupFileName(item.path().filename().string(), entry.database, entry.stamp))
      continue;
    if (!wanted.empty() && entry.database != wanted) continue;
    entry.path = item.path().string();
    entry.size = SizeOf(entry.path) + SizeOf(CCompanion::PathFor(entry.path));
    entries.push_back(std::move(entry));
  }
  std::sort(entries.begin(), entries.end(), [](const CBackupEntry& a, const CBackupEntry& b) {
    return a.stamp != b.stamp ? a.stamp > b.stamp : a.path > b.path;
  });
  return entries;
}

CBackupCounts ScanBackupCounts(const std::string& path) {
  CBackupCounts counts;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return counts;
  struct stat st {};
  const std::uint64_t fileSize = ::fstat(fd, &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
  CScanReader reader(fd);
  const char* head = reader.Get(0, kHeaderLength);
  std::uint32_t headerSize = 0;
  if (head != nullptr) std::memcpy(&headerSize, head, sizeof headerSize);
  counts.readable = head != nullptr && std::memcmp(head + 8, kSignature, sizeof kSignature) == 0 &&
                    headerSize >= kHeaderLength && headerSize <= fileSize;
  for (std::uint64_t pos = headerSize; counts.readable && pos < fileSize;) {
    const char* raw = reader.Get(pos, sizeof(RecordHeader));
    RecordHeader header;
    if (raw != nullptr) std::memcpy(&header, raw, sizeof header);
    const std::uint64_t dataSize =
        raw != nullptr && header.size == 0 ? TableRecordSize(header.type) : header.size;
    if (raw == nullptr || pos + sizeof header + dataSize > fileSize) {
      counts.damaged = true;  // a record that runs past the end
      break;
    }
    if (header.type == kTransactionRecord && header.state != kDeletedState &&
        dataSize >= sizeof(TransactionRecord)) {
      ++counts.transactions;
      double date = 0;
      if (const char* data = reader.Get(pos + sizeof header, sizeof date)) {
        std::memcpy(&date, data, sizeof date);
        // Only days a calendar can show (up to the year 9999).
        if (std::isfinite(date) && date > 0 && date < 2958466)
          counts.lastDay = std::max(counts.lastDay, WholeDay(date));
      }
    }
    pos += sizeof header + dataSize;
  }
  ::close(fd);
  return counts;
}

// ---- Taking a backup ----

CPendingBackup::CPendingBackup(int fd, std::string tempPath, std::string folder, std::string stem,
                               TBackupStamp stamp, bool hasCompanion, std::string companion,
                               TBackupPolicy policy)
    : fd_(fd),
      tempPath_(std::move(tempPath)),
      folder_(std::move(folder)),
      stem_(std::move(stem)),
      stamp_(stamp),
      hasCompanion_(hasCompanion),
      companion_(std::move(companion)),
      policy_(policy) {}

CPendingBackup::~CPendingBackup() {
  if (fd_ < 0) return;
  ::close(fd_);
  ::unlink(tempPath_.c_str());
}

std::string CPendingBackup::Finish(std::string& error) {
  if (fd_ < 0) {
    error = "the backup was finished already";
    return {};
  }
  bool ok = ::fsync(fd_) == 0;
  if (!ok) error = SystemError(tempPath_);
  if (::close(fd_) != 0 && ok) {
    error = SystemError(tempPath_);
    ok = false;
  }
  fd_ = -1;
  std::string path;
  // The first free name of that second; a backup once named is never replaced.
  for (TBackupStamp stamp = stamp_; ok && path.empty(); ++stamp.serial) {
    const std::string candidate = folder_ + BackupFileName(stem_, stamp);
    if (RenameNoReplace(tempPath_, candidate)) {
      path = candidate;
    } else if (errno != EEXIST || stamp.serial >= 9999) {
      error = SystemError(candidate);
      ok = false;
    }
  }
  if (!ok) {
    ::unlink(tempPath_.c_str());
    return {};
  }
  const std::string companion = CCompanion::PathFor(path);
  ok = hasCompanion_ ? WriteFileAtomically(companion, companion_, error)
                     : ::unlink(companion.c_str()) == 0 || errno == ENOENT;
  if (!hasCompanion_ && !ok) error = SystemError(companion);
  ok = ok && SyncFolderOf(path, error);
  if (!ok) {
    // A backup without the companion it was taken with is no backup.
    ::unlink(path.c_str());
    return {};
  }
  LogEvent("Backup made: " + path);
  std::string trimError;
  if (!TrimBackups(folder_, stem_, policy_, path, trimError))
    LogWarning("Old backups could not be removed: " + trimError);
  return path;
}

std::unique_ptr<CPendingBackup> StartBackup(const std::string& databaseFile,
                                            const std::string& folder, const TBackupPolicy& policy,
                                            std::chrono::system_clock::time_point now,
                                            std::string& error) {
  const std::string target = WithSlash(folder);
  std::error_code made;
  fs::create_directories(target, made);
  if (made) {
    error = target + ": " + made.message();
    return nullptr;
  }
  std::string companion;
  const std::string companionPath = CCompanion::PathFor(databaseFile);
  const bool hasCompanion = FileExists(companionPath);
  if (hasCompanion && !ReadFileBytes(companionPath, 0, companion, error)) return nullptr;
  std::string temp = target + ".backup-XXXXXX";
  const int fd = CopyToTemporary(databaseFile, temp, error);
  if (fd < 0) return nullptr;
  return std::make_unique<CPendingBackup>(fd, temp, target, BackupStem(databaseFile), StampOf(now),
                                          hasCompanion, std::move(companion), policy);
}

std::string MakeBackup(const std::string& databaseFile, const std::string& folder,
                       const TBackupPolicy& policy, std::string& error) {
  std::unique_ptr<CPendingBackup> backup =
      StartBackup(databaseFile, folder, policy, std::chrono::system_clock::now(), error);
  return backup ? backup->Finish(error) : std::string();
}

namespace {

// Removes the temporary files of backups a process ended before finishing
// (a day old: a backup being written now is never older than that).
void RemoveAbandonedCopies(const std::string& folder) {
  std::error_code error;
  const auto dayAgo = fs::file_time_type::clock::now() - std::chrono::hours(24);
  for (const fs::directory_entry& item : fs::directory_iterator(folder, error)) {
    const std::string name = item.path().filename().string();
    if (name.rfind(".backup-", 0) == 0 && item.is_regular_file(error) &&
        item.last_write_time(error) < dayAgo && !error)
      fs::remove(item.path(), error);
  }
}

}  // namespace

bool TrimBackups(const std::string& folder, const std::string& stem, const TBackupPolicy& policy,
                 const std::string& keepPath, std::string& error) {
  RemoveAbandonedCopies(folder);
  std::vector<CBackupEntry> all = ListBackups(folder, "");
  bool ok = true;
  int kept = 0;
  std::vector<CBackupEntry> left;  // newest first
  for (CBackupEntry& entry : all) {
    const bool over = entry.database == stem && ++kept > std::max(1, policy.keep);
    if (over && entry.path != keepPath)
      ok = RemoveBackup(entry.path, error) && ok;
    else
      left.push_back(std::move(entry));
  }
  std::uint64_t total = 0;
  for (const CBackupEntry& entry : left) total += entry.size;
  for (auto it = left.rbegin(); it != left.rend() && total > policy.sizeLimit; ++it) {
    if (it->path == keepPath) continue;
    if (RemoveBackup(it->path, error))
      total -= it->size;
    else
      ok = false;
  }
  return ok;
}

// ---- Restoring ----

bool RestoreBackup(const std::string& backupPath, const std::string& databaseFile,
                   const std::string& folder, const TBackupPolicy& policy, std::string& madeBackup,
                   std::string& error) {
  madeBackup.clear();
  if (!ScanBackupCounts(backupPath).readable) {
    error = backupPath + ": not a database file";
    return false;
  }
  // Held until the end, so that no other window opens the file meanwhile.
  const int lock = ::open(databaseFile.c_str(), O_RDONLY | O_CLOEXEC);
  if (lock < 0 && errno != ENOENT) {
    error = SystemError(databaseFile);  // a file that cannot be backed up is not replaced
    return false;
  }
  struct stat st {};
  const mode_t mode = lock >= 0 && ::fstat(lock, &st) == 0 ? st.st_mode & 07777 : 0600;
  if (lock >= 0 && ::flock(lock, LOCK_EX | LOCK_NB) != 0) {
    error = databaseFile + ": the file is open in another window or program";
    ::close(lock);
    return false;
  }
  if (lock >= 0) {
    madeBackup = MakeBackup(databaseFile, folder, policy, error);
    if (madeBackup.empty()) {
      ::close(lock);
      return false;
    }
  }
  std::string temp = databaseFile + ".restore-XXXXXX";
  const int fd = CopyToTemporary(backupPath, temp, error);
  bool ok = fd >= 0;
  if (ok) {
    ok = ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    if (::close(fd) != 0) ok = false;
    if (!ok || ::rename(temp.c_str(), databaseFile.c_str()) != 0) {
      error = SystemError(ok ? databaseFile : temp);
      ::unlink(temp.c_str());
      ok = false;
    }
  }
  ok = ok && SyncFolderOf(databaseFile, error) && CopyCompanion(backupPath, databaseFile, error);
  if (lock >= 0) ::close(lock);
  if (ok) LogEvent("Backup restored: " + backupPath + " -> " + databaseFile);
  return ok;
}

// ---- The runner ----

CBackupRunner::CBackupRunner(TDone done) : done_(std::move(done)), thread_([this] { Run(); }) {}

CBackupRunner::~CBackupRunner() {
  {
    std::lock_guard<std::mutex> hold(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void CBackupRunner::Post(std::unique_ptr<CPendingBackup> backup) {
  {
    std::lock_guard<std::mutex> hold(mutex_);
    queue_.push_back(std::move(backup));
  }
  changed_.notify_all();
}

void CBackupRunner::Wait() {
  std::unique_lock<std::mutex> hold(mutex_);
  changed_.wait(hold, [this] { return queue_.empty() && !busy_; });
}

void CBackupRunner::Run() {
  std::unique_lock<std::mutex> hold(mutex_);
  for (;;) {
    changed_.wait(hold, [this] { return stopping_ || !queue_.empty(); });
    if (queue_.empty()) return;  // stopping, with everything finished
    std::unique_ptr<CPendingBackup> backup = std::move(queue_.front());
    queue_.pop_front();
    busy_ = true;
    hold.unlock();
    std::string error;
    const std::string path = backup->Finish(error);
    backup.reset();
    if (done_) done_(path, error);
    hold.lock();
    busy_ = false;
    changed_.notify_all();
  }
}

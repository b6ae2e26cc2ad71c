// Automatic backups of database files, shared by the window program and the
// command-line tool.
//
// A backup is a copy of NAME.vlt (and of its companion file, when it has
// one) in the backup folder, named NAME-YYYYMMDD-HHMMSS.vlt after the moment
// it was taken in UTC (so that the names sort by time across clock changes
// for summer time); a second backup of the same database within the same
// second gets "-2", "-3", ... before ".vlt". A backup file appears only
// whole: it is written under a temporary name, synced and renamed into
// place without replacing anything, and the folder is synced.
//
// Taking a backup is split in two so that a window does not wait for the
// disk: StartBackup copies the file's bytes to a temporary file inside the
// kernel (copy_file_range, no sync) and reads the companion, so that the copy
// holds the file as it is at that moment even when the caller writes to it
// right after; CPendingBackup::Finish syncs, renames and trims the folder and
// may run on another thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Dates.h"

// How many backups are kept.
struct TBackupPolicy {
  int keep = 20;                                    // per database, at least 1
  std::uint64_t sizeLimit = 2048ull * 1024 * 1024;  // bytes for the whole folder
};
inline constexpr int kDefaultBackupsKept = 20;
inline constexpr int kDefaultBackupSizeLimitMb = 2048;

// The moment a backup was taken, as its name gives it (UTC).
struct TBackupStamp {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  int serial = 1;  // 1 for the first backup of that second, then 2, 3, ...
  auto operator<=>(const TBackupStamp&) const = default;
};

// One backup of the backup folder.
struct CBackupEntry {
  std::string path;      // the backup file
  std::string database;  // the name of the database it belongs to, without ".vlt"
  TBackupStamp stamp;
  std::uint64_t size = 0;  // bytes of the backup file and its companion
};

// The name a database's backups start with: the file name without its
// folder and without a final ".vlt" ("household" for "/x/household.vlt").
std::string BackupStem(const std::string& databaseFile);
// The file name of a backup: "household-20261210-071502.vlt", with "-N"
// before ".vlt" for a serial above 1.
std::string BackupFileName(const std::string& stem, const TBackupStamp& stamp);
// Reads a backup file name back; false for any other name.
bool ParseBackupFileName(const std::string& fileName, std::string& stem, TBackupStamp& stamp);
// The stamp of `moment`, serial 1.
TBackupStamp StampOf(std::chrono::system_clock::time_point moment);
// "2026-12-10 07:15:02" (UTC), for the command-line tool and the log.
std::string StampText(const TBackupStamp& stamp);

// The backups in `folder`: of the database `databaseFile` (all of the
// folder when it is empty), newest first. A missing folder holds none.
std::vector<CBackupEntry> ListBackups(const std::string& folder, const std::string& databaseFile);

// What a read-only look at a backup's records finds.
struct CBackupCounts {
  bool readable = false;  // the file opened and has a database header
  bool damaged = false;   // the records stopped making sense before the end
  std::uint64_t transactions = 0;
  Date lastDay = 0;  // the latest transaction's day (0: none)
};
// Walks the record headers of `path` without changing the file. Every size
// is checked against the file's: a damaged file gives what was found up to
// the damage.
CBackupCounts ScanBackupCounts(const std::string& path);

// The first half of a backup, done: the bytes are in a temporary file of the
// backup folder. Finish (or the destructor, which throws the copy away)
// must run exactly once; it may run on any thread.
class CPendingBackup {
 public:
  CPendingBackup(int fd, std::string tempPath, std::string folder, std::string stem,
                 TBackupStamp stamp, bool hasCompanion, std::string companion,
                 TBackupPolicy policy);
  ~CPendingBackup();
  CPendingBackup(const CPendingBackup&) = delete;
  CPendingBackup& operator=(const CPendingBackup&) = delete;

  // Syncs the copy, renames it to its backup name, writes the companion
  // beside it, syncs the folder and trims the database's backups and the
  // folder to the policy. The path of the backup, or "" with the reason in
  // `error`.
  std::string Finish(std::string& error);

 private:
  int fd_;                 // the open temporary file (-1 once closed)
  std::string tempPath_;   // the temporary file
  std::string folder_;     // the backup folder, ending with '/'
  std::string stem_;       // the database's name
  TBackupStamp stamp_;     // when the copy was taken
  bool hasCompanion_;      // the database had a companion file
  std::string companion_;  // its bytes
  TBackupPolicy policy_;
};

// The synchronous half: copies `databaseFile` and its companion as they are
// now. Creates `folder` when it is missing. Null with the reason in `error`
// (nothing is left behind then).
std::unique_ptr<CPendingBackup> StartBackup(const std::string& databaseFile,
                                            const std::string& folder, const TBackupPolicy& policy,
                                            std::chrono::system_clock::time_point now,
                                            std::string& error);
// Both halves at once. The backup's path, or "" with the reason in `error`.
std::string MakeBackup(const std::string& databaseFile, const std::string& folder,
                       const TBackupPolicy& policy, std::string& error);

// Removes the oldest backups of the database named `stem` beyond
// `policy.keep`, then the oldest of the folder while all of them together
// are larger than `policy.sizeLimit`. The backup at `keepPath` (the one just
// made) is never removed, even when it alone is over the limit. Temporary
// copies left a day ago by a process that ended go as well. False with the
// reason in `error` when a backup could not be removed.
bool TrimBackups(const std::string& folder, const std::string& stem, const TBackupPolicy& policy,
                 const std::string& keepPath, std::string& error);

// Replaces `databaseFile` (and its companion) with the backup at
// `backupPath`. The database file is backed up first (when it exists); when
// that fails nothing is replaced. The copy is written beside the database,
// synced and renamed over it, so the file is always either the old one or
// the backup. Refused while another program holds the database open. False
// with the reason in `error`; `madeBackup` receives the path of the backup
// of the replaced file.
bool RestoreBackup(const std::string& backupPath, const std::string& databaseFile,
                   const std::string& folder, const TBackupPolicy& policy, std::string& madeBackup,
                   std::string& error);

// Runs the second halves of backups one after another on a thread of its
// own, so that a window never waits for the disk. `done` is called on that
// thread with the backup's path, or "" and the reason.
class CBackupRunner {
 public:
  using TDone = std::function<void(const std::string& path, const std::string& error)>;
  explicit CBackupRunner(TDone done);
  // Waits until every backup handed over is finished.
  ~CBackupRunner();
  CBackupRunner(const CBackupRunner&) = delete;
  CBackupRunner& operator=(const CBackupRunner&) = delete;

  void Post(std::unique_ptr<CPendingBackup> backup);
  // Returns once every backup handed over so far is finished.
  void Wait();

 private:
  void Run();

  TDone done_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::unique_ptr<CPendingBackup>> queue_;  // waiting to be finished
  bool busy_ = false;                                  // one is being finished
  bool stopping_ = false;
  std::thread thread_;  // last: started once the rest is ready
};

#include "BackupsCmd.h"

#include <cstdio>
#include <iostream>
#include <limits>
#include <nlohmann/json.hpp>

#include "Backups.h"
#include "Dates.h"
#include "Platform.h"

namespace {

using Json = nlohmann::ordered_json;

int Bad(const std::string& command, const std::string& text) {
  std::cerr << "pardow-cli: " << command << ": " << text << "\n";
  return 2;
}

int Failed(const std::string& command, const std::string& text) {
  std::cerr << "pardow-cli: " << command << ": " << text << "\n";
  return 1;
}

// The tool keeps every backup: only the window program knows how many the
// user wants kept.
TBackupPolicy KeepEverything() {
  TBackupPolicy policy;
  policy.keep = std::numeric_limits<int>::max();
  policy.sizeLimit = std::numeric_limits<std::uint64_t>::max();
  return policy;
}

std::string FileName(const std::string& path) {
  return path.substr(path.rfind('/') + 1);
}

// "2026-12-10T07:15:02Z"
std::string IsoStamp(const TBackupStamp& stamp) {
  std::string text = StampText(stamp);
  text[10] = 'T';
  return text + "Z";
}

int List(const std::string& database, bool json) {
  if (!FileExists(database)) return Failed("backups", database + ": no such file");
  const std::vector<CBackupEntry> backups = ListBackups(GetProgramFolders().backups, database);
  Json list = Json::array();
  for (const CBackupEntry& backup : backups) {
    const CBackupCounts counts = ScanBackupCounts(backup.path);
    const std::string lastDay = counts.lastDay > 0 ? FormatIsoDate(counts.lastDay) : "";
    if (json) {
      list.push_back({{"file", FileName(backup.path)},
                      {"path", backup.path},
                      {"taken", IsoStamp(backup.stamp)},
                      {"size", backup.size},
                      {"readable", counts.readable},
                      {"damaged", counts.damaged},
                      {"transactions", counts.transactions},
                      {"lastTransaction", lastDay.empty() ? Json() : Json(lastDay)}});
      continue;
    }
    char row[160];
    std::snprintf(row, sizeof row, "%s  %12llu  %8s  %-10s  ", StampText(backup.stamp).c_str(),
                  static_cast<unsigned long long>(backup.size),
                  counts.readable ? std::to_string(counts.transactions).c_str() : "damaged",
                  lastDay.c_str());
    std::cout << row << FileName(backup.path) << (counts.damaged ? "  (damaged)" : "") << "\n";
  }
  if (json) std::cout << list.dump(2) << "\n";
  return 0;
}

int Backup(const std::string& database) {
  if (!FileExists(database)) return Failed("backup", database + ": no such file");
  std::string error;
  const std::string made =
      MakeBackup(database, GetProgramFolders().backups, KeepEverything(), error);
  if (made.empty()) return Failed("backup", error);
  std::cout << made << "\n";
  return 0;
}

int Restore(const std::string& database, const std::string& backup) {
  if (!FileExists(database)) return Failed("restore", database + ": no such file");
  const std::string folder = GetProgramFolders().backups;
  const std::string path = backup.find('/') == std::string::npos ? folder + backup : backup;
  if (!FileExists(path)) return Failed("restore", path + ": no such file");
  std::string made, error;
  if (!RestoreBackup(path, database, folder, KeepEverything(), made, error))
    return Failed("restore", error);
  std::cout << made << "\n";
  return 0;
}

}  // namespace

int RunBackupsCommand(const std::string& command, const std::vector<std::string>& args) {
  if (command == "backups") {
    if (args.size() == 1) return List(args[0], false);
    if (args.size() == 2 && args[1] == "--json") return List(args[0], true);
    return Bad(command, "wants DB [--json]");
  }
  if (command == "backup") {
    if (args.size() != 1) return Bad(command, "wants DB");
    return Backup(args[0]);
  }
  if (args.size() != 2) return Bad(command, "wants DB BACKUP");
  return Restore(args[0], args[1]);
}

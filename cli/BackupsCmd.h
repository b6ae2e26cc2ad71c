// pardow-cli backups, backup and restore: the automatic backups of a
// database in the backup folder the window program uses.
#pragma once

#include <string>
#include <vector>

#define PARDOW_BACKUPS_USAGE                                                          \
  "  backups DB [--json]\n"                                                           \
  "                list DB's backups in the backup folder, newest first: when\n"      \
  "                taken (UTC), size, transactions, last transaction day, file\n"     \
  "  backup DB     back DB (and its companion file) up now; print the backup\n"       \
  "  restore DB BACKUP\n"                                                             \
  "                replace DB and its companion with BACKUP (a file name listed by\n" \
  "                backups, or a path) after backing DB up; print that backup\n"      \
  "                (the tool removes no old backups: the window program trims them)\n"

// 0 when done, 1 when a file cannot be read, backed up or replaced, 2 for
// bad arguments.
int RunBackupsCommand(const std::string& command, const std::vector<std::string>& args);

// Decisions of the database manager and the database settings window: the
// name a new database file gets, the texts of the manager's questions and
// errors, the backup settings it trims by, and what OK in the database
// settings window does with the two password boxes.
#pragma once

#include <string>

#include "Backups.h"

// The path a new database is created at: `chosen` with ".vlt" appended unless
// its file name already ends with exactly ".vlt" (case-sensitive, so
// "budget.VLT" becomes "budget.VLT.vlt").
std::string DatabaseFileName(const std::string& chosen);

// The manager's answer for a file of the data folder: the data-folder
// marker "..\" followed by the file name.
std::string DataFolderEntry(const std::string& fileName);

// `prefix`: "name"? and `prefix`: "path" as the manager asks and reports.
std::string DeleteQuestion(const std::string& prefix, const std::string& fileName);
std::string CreateError(const std::string& prefix, const std::string& path);

// Deletes a database file and its companion file (Companion.h). False with
// the system's reason in `error` when the database file is still there.
// When only the companion could not be deleted, the answer is true with
// `companionError` set: the database is gone, the user is told.
bool DeleteDatabaseFile(const std::string& path, std::string& error, std::string& companionError);

// The backup settings of the application settings storage.
TBackupPolicy StoredBackupPolicy();

// What OK in the database settings window does.
enum class TPasswordChoice {
  kStore,     // store the typed password
  kRemove,    // store the empty password: the database is no longer protected
  kMismatch,  // the two boxes differ: tell the user, store nothing
  kEmpty,     // protection asked for without a password: tell the user, store nothing
};
// `enabled` is the state of "Enabled"; the two boxes are compared exactly.
TPasswordChoice DecidePassword(bool enabled, const std::string& password,
                               const std::string& confirm);

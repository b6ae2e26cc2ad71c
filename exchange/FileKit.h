// Small file-system steps shared by the companion file and the backups:
// error texts, the folder of a path, and syncing a folder so that a rename
// or a new file in it survives a power cut.
#pragma once

#include <string>

// "PATH: reason" for the last failed system call (errno).
std::string SystemError(const std::string& path);
// The folder of `path` ("." for a bare name).
std::string FolderOf(const std::string& path);
// Syncs the folder that holds `path` (its entries: names added, renamed,
// removed). False with the reason in `error`.
bool SyncFolderOf(const std::string& path, std::string& error);

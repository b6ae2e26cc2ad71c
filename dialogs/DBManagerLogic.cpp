#include "DBManagerLogic.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "Companion.h"
#include "Include.h"
#include "Settingsstorage.h"

std::string DatabaseFileName(const std::string& chosen) {
  const std::string::size_type slash = chosen.find_last_of('/');
  const std::string name = slash == std::string::npos ? chosen : chosen.substr(slash + 1);
  const std::string::size_type dot = name.find_last_of('.');
  // A name that is only an extension (".vlt") is a hidden file without one.
  const bool hasVlt = dot != std::string::npos && dot > 0 && name.substr(dot) == ".vlt";
  return hasVlt ? chosen : chosen + ".vlt";
}

std::string DataFolderEntry(const std::string& fileName) {
  return "..\\" + fileName;
}

std::string DeleteQuestion(const std::string& prefix, const std::string& fileName) {
  return prefix + ": \"" + fileName + "\"?";
}

std::string CreateError(const std::string& prefix, const std::string& path) {
  return prefix + ": \"" + path + "\"";
}

bool DeleteDatabaseFile(const std::string& path, std::string& error, std::string& companionError) {
  if (::unlink(path.c_str()) != 0) {
    error = std::strerror(errno);
    return false;
  }
  DeleteCompanion(path, companionError);
  return true;
}

TBackupPolicy StoredBackupPolicy() {
  Settings::CSettingsStorage& settings = GetSettings();
  TBackupPolicy policy;
  policy.keep = settings.GetBackupsKept();
  policy.sizeLimit = static_cast<std::uint64_t>(settings.GetBackupsSizeLimitMb()) * 1024 * 1024;
  return policy;
}

TPasswordChoice DecidePassword(bool enabled, const std::string& password,
                               const std::string& confirm) {
  if (!enabled) return TPasswordChoice::kRemove;
  if (password != confirm) return TPasswordChoice::kMismatch;
  return password.empty() ? TPasswordChoice::kEmpty : TPasswordChoice::kStore;
}

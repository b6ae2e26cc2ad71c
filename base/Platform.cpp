#include "Platform.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <iostream>

namespace {
MessageHook g_messageHook;  // empty: print to stderr
}

void ShowMessage(const std::string& text) {
  if (g_messageHook) {
    g_messageHook(text);
  } else {
    std::cerr << text << std::endl;
  }
}

void SetMessageHook(MessageHook hook) {
  g_messageHook = std::move(hook);
}

std::string GetProgramFolder() {
  char buf[4096];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return "./";
  std::string path(buf, static_cast<size_t>(n));
  return path.substr(0, path.find_last_of('/') + 1);
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void ClearFileAttributes(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) ::chmod(path.c_str(), st.st_mode | S_IWUSR);
}

std::string GetEnvVariable(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  if (value == nullptr) return {};
  // The value must fit a 4096-byte buffer with its terminating zero.
  if (std::strlen(value) >= 4096) return {};
  return value;
}

namespace {

std::string WithSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

// $variable when it is an absolute path, else `fallback` under the home folder.
std::string XdgFolder(const std::string& value, const std::string& home, const char* fallback) {
  if (!value.empty() && value.front() == '/') return WithSlash(value);
  return WithSlash(home) + fallback;
}

}  // namespace

TProgramFolders ResolveProgramFolders(const TFolderFacts& facts) {
  const std::string program = WithSlash(facts.programFolder);
  std::string share;  // PREFIX/share/pardow/ of an installed program
  constexpr const char kBin[] = "/bin/";
  if (program.size() >= sizeof kBin - 1 &&
      program.compare(program.size() - (sizeof kBin - 1), sizeof kBin - 1, kBin) == 0) {
    share = program.substr(0, program.size() - 4) + "share/pardow/";
    if (!facts.isFolder(share + "Lang")) share.clear();
  }
  const bool beside = share.empty() && facts.isWritable(program);
  TProgramFolders folders;
  if (!facts.u3AppData.empty()) {
    folders.resources = folders.log = WithSlash(facts.u3AppData);
  } else {
    folders.resources = share.empty() ? program : share;
    folders.log =
        beside ? program : XdgFolder(facts.xdgStateHome, facts.home, ".local/state/") + "pardow/";
  }
  if (!facts.u3Documents.empty()) {
    std::string documents = facts.u3Documents;
    while (!documents.empty() && documents.back() == '/') documents.pop_back();
    folders.data = documents + "/Pardow Data/";
    folders.backups = documents + "/Pardow Backups/";
  } else {
    const std::string xdgData = XdgFolder(facts.xdgDataHome, facts.home, ".local/share/");
    folders.data = beside ? program + "Data/" : xdgData + "pardow/Data/";
    folders.backups = beside ? program + "Backups/" : xdgData + "pardow/backups/";
  }
  return folders;
}

TProgramFolders GetProgramFolders() {
  TFolderFacts facts;
  facts.programFolder = GetProgramFolder();
  facts.u3AppData = GetEnvVariable("U3_APP_DATA_PATH");
  facts.u3Documents = GetEnvVariable("U3_DEVICE_DOCUMENT_PATH");
  facts.xdgStateHome = GetEnvVariable("XDG_STATE_HOME");
  facts.xdgDataHome = GetEnvVariable("XDG_DATA_HOME");
  facts.home = GetEnvVariable("HOME");
  if (facts.home.empty()) {
    const passwd* user = ::getpwuid(::getuid());
    facts.home = user != nullptr && user->pw_dir != nullptr ? user->pw_dir : "/tmp";
  }
  facts.isFolder = [](const std::string& folder) {
    struct stat st {};
    return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  };
  facts.isWritable = [](const std::string& folder) { return ::access(folder.c_str(), W_OK) == 0; };
  return ResolveProgramFolders(facts);
}

// Hooks through which the lower layers reach the platform: message boxes,
// the program's own folder, file attributes, the environment.
#pragma once

#include <functional>
#include <string>

// Shows a message to the user. The window program installs a message-box
// hook, the command-line tool prints to stderr (the default), tests record.
void ShowMessage(const std::string& text);
using MessageHook = std::function<void(const std::string& text)>;
// Installs `hook`; an empty function restores the default (stderr).
void SetMessageHook(MessageHook hook);

// Folder of the running program, with a trailing '/'.
std::string GetProgramFolder();

bool FileExists(const std::string& path);
// Gives the owner write permission on an existing file, so that it can be
// overwritten (the counterpart of clearing a read-only attribute).
void ClearFileAttributes(const std::string& path);

// The value of an environment variable; empty when it is unset, empty, or
// 4096 characters or longer.
std::string GetEnvVariable(const std::string& name);

// What decides where the program's files are: the environment and the
// program's own folder.
struct TFolderFacts {
  std::string programFolder;  // with a trailing '/'
  std::string u3AppData;      // $U3_APP_DATA_PATH
  std::string u3Documents;    // $U3_DEVICE_DOCUMENT_PATH
  std::string xdgStateHome;   // $XDG_STATE_HOME
  std::string xdgDataHome;    // $XDG_DATA_HOME
  std::string home;           // $HOME
  std::function<bool(const std::string& folder)> isFolder;
  std::function<bool(const std::string& folder)> isWritable;
};

// The folders the program reads and writes, each with a trailing '/'.
struct TProgramFolders {
  std::string resources;  // holds Lang/ and docs/
  std::string log;        // holds log.html
  std::string data;       // the databases
  std::string backups;    // the automatic backups of the databases
};

// The U3 variables come first: $U3_APP_DATA_PATH holds the resources and the
// log, $U3_DEVICE_DOCUMENT_PATH/Pardow Data/ the databases. Otherwise a
// program in PREFIX/bin/ beside an existing PREFIX/share/pardow/Lang/ is
// installed: its resources are in PREFIX/share/pardow/, its log in
// $XDG_STATE_HOME/pardow/ and its databases in $XDG_DATA_HOME/pardow/Data/.
// Any other program is portable: everything beside it (Data/ for the
// databases), except that the log and the databases go to the XDG folders
// when its folder cannot be written. An XDG variable that is not an absolute
// path is ignored for its default under $HOME (.local/state, .local/share).
// The backups go beside the databases' folder: Backups/ beside a portable
// program, $XDG_DATA_HOME/pardow/backups/, or $U3_DEVICE_DOCUMENT_PATH/
// Pardow Backups/.
TProgramFolders ResolveProgramFolders(const TFolderFacts& facts);

// The folders of the running program.
TProgramFolders GetProgramFolders();

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

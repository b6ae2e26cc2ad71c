// Opening a database file for a command, with the lock a password puts on
// it: a protected file opens only for the password it holds, given with
// --password or the environment variable PARDOW_PASSWORD.
#pragma once

#include <optional>
#include <string>

#include "Omrindb.h"

// Exit codes of a command whose file could not be used.
constexpr int kExitNotOpened = 1;
constexpr int kExitLocked = 3;

// The password the user gave for this run (nullopt for none).
void SetGivenPassword(std::optional<std::string> password);

// Opens `file` into `db` for a command. 0 when it is open and either has no
// password or the given one matches it; kExitNotOpened when it cannot be
// opened; kExitLocked, with the file closed again and a message on stderr,
// when it is protected and no password or another one was given.
int OpenForCommand(CDataBase& db, const std::string& file);

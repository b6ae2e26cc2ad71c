#include "Access.h"

#include <iostream>

#include "Textcodec.h"

namespace {
std::optional<std::string> given;
}

void SetGivenPassword(std::optional<std::string> password) {
  given = std::move(password);
}

int OpenForCommand(CDataBase& db, const std::string& file) {
  db.EnableUndo(false);  // one command per run: nothing to take back
  if (!db.Open(file)) return kExitNotOpened;
  const std::string password = StoredToUtf8(db.GetPassword());
  if (password.empty() || (given && *given == password)) return 0;
  db.Close();
  std::cerr << "pardow-cli: " << file
            << (given ? ": wrong password\n"
                      : " is protected by a password: give it with --password or "
                        "PARDOW_PASSWORD\n");
  return kExitLocked;
}

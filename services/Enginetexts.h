// The texts the database engine and the finance layer show to the user
// (through ShowMessage) are composed in English below the services layer,
// which knows no language file. The window program's message hook passes
// them through LocalizeEngineMessage, which puts the language file's text in
// place of every known English phrase; paths and system error texts inside
// a message stay as they are.
#pragma once

#include <string>

// `text` with every known engine phrase replaced by its localized text
// (ids 24000-24019).
std::string LocalizeEngineMessage(const std::string& text);

// Texts as the data files hold them, and as the user interface shows them.
//
// Stored texts are bytes. Files written by this program hold UTF-8; files
// written on Windows with a Cyrillic code page hold Windows-1251. The rule:
// bytes that form valid UTF-8 are read as UTF-8, anything else as
// Windows-1251. New texts are always written as UTF-8. Language files are
// read by the same rule, a whole file at a time.
//
// The QString conversions for window code are in Qtexts.h.
#pragma once

#include <string>
#include <string_view>

// True when `bytes` is well-formed UTF-8 (no overlong forms, no surrogates,
// nothing above U+10FFFF). Pure ASCII is valid.
bool IsValidUtf8(std::string_view bytes);

// Each byte read as Windows-1251, returned as UTF-8. The one byte that code
// page leaves undefined (0x98) maps to U+0098, so no byte is lost.
std::string Cp1251ToUtf8(std::string_view bytes);

// Stored bytes as UTF-8 by the rule above.
std::string StoredToUtf8(std::string_view bytes);

// Texts folded for matching: what a person typing a search or a rule means
// by "the same letters" — case and accents do not count.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The stored text (UTF-8, or Windows-1251 for old files) as lower-case UTF-8
// without accents: Latin, Greek and Cyrillic letters ("Café MÜNCHEN" ->
// "cafe munchen", "ß" -> "ss", "Ё" -> "е"); a no-break space is a space.
std::string FoldText(std::string_view stored);
// FoldText appended to `out`, so that a caller folding many texts fills one
// buffer instead of a string for each.
void AppendFoldedText(std::string_view stored, std::string& out);

// The words of a folded text: runs of letters and digits (any letter beyond
// ASCII counts as a letter).
std::vector<std::string_view> FoldedWords(std::string_view folded);

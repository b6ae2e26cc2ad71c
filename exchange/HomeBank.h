// HomeBank books (.xhb, XML): currencies with their rates, accounts with
// their opening balances, payees, the two-level category tree, tags,
// transactions with their split lines, and internal transfers, whose two
// halves the file holds once in each account (kept once here).
#pragma once

#include <string>
#include <string_view>

#include "ForeignBook.h"

// Reads a whole HomeBank file; like GnuCash books, without fetching or
// expanding anything it declares.
CForeignRead ReadHomeBank(std::string_view bytes);

// Whether the bytes start like a HomeBank file.
bool LooksLikeHomeBank(std::string_view bytes);

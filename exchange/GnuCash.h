// GnuCash books in its XML file (plain or gzip-compressed) or its SQLite
// file: currencies,
// the account tree (bank, cash, asset, credit and liability accounts become
// accounts; income and expense accounts the category tree), transactions
// and prices. Transactions with more than two splits become one part per
// split against the first bank-side account. Stocks, business records,
// scheduled transactions and accounts in other commodities are listed as
// not imported.
#pragma once

#include <string>
#include <string_view>

#include "ForeignBook.h"

// The largest size a compressed book may unpack to.
inline constexpr std::size_t kMaxUnpackedBook = std::size_t{1} << 30;

// Reads a whole GnuCash book: XML (compressed ones unpacked up to
// `maxUnpacked` bytes), read without fetching or expanding anything it
// declares, or an SQLite file, opened read-only from memory.
CForeignRead ReadGnuCash(std::string_view bytes, std::size_t maxUnpacked = kMaxUnpackedBook);

// Whether the bytes start like a GnuCash book: XML, compressed or not, or
// SQLite.
bool LooksLikeGnuCash(std::string_view bytes);

// pardow-cli convert: a new database made from another program's books.
#pragma once

#include <string>
#include <vector>

#define PARDOW_CONVERT_USAGE                                                     \
  "  convert FROM NEW.vlt [--currency CODE] [--date-order dmy|mdy|ymd]\n"        \
  "          [--account NAME] [--dry-run]\n"                                     \
  "                make a new database from a QIF file, a GnuCash book (XML,\n"  \
  "                plain or compressed, or SQLite) or a HomeBank file: print\n"  \
  "                what comes over (accounts with their balances, categories,\n" \
  "                transactions, what does not and why) and, after storing,\n"   \
  "                every account's balance beside the source's; --currency\n"    \
  "                names the accounts' currency (default USD), --account the\n"  \
  "                account of a one-account file\n"

// 0 when converted with every balance equal, 1 when the file cannot be read
// or stored or a balance differs, 2 for bad arguments or a question the
// file leaves open (the order of day and month).
int RunConvertCommand(const std::vector<std::string>& args);

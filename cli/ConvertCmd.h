// pardow-cli convert: a new database made from another program's books.
#pragma once

#include <string>
#include <vector>

#define PARDOW_CONVERT_USAGE                                                          \
  "  convert FROM NEW.vlt [--currency CODE] [--date-order dmy|mdy|ymd]\n"             \
  "          [--account NAME] [--dry-run]\n"                                          \
  "                make a new database from a QIF file, a GnuCash XML book\n"         \
  "                (plain or compressed) or a HomeBank file: print what comes over\n" \
  "                (accounts with their balances, categories, transactions, what\n"   \
  "                does not and why) and, after storing, every account's balance\n"   \
  "                beside the source's; --currency names the accounts' currency\n"    \
  "                (default USD), --account the account of a one-account file\n"

// 0 when converted with every balance equal, 1 when the file cannot be read
// or stored or a balance differs, 2 for bad arguments or a question the
// file leaves open (the order of day and month).
int RunConvertCommand(const std::vector<std::string>& args);

// pardow-cli check-balance: an account's balance in the books against the
// bank's balance for a day.
#pragma once

#include <string>
#include <vector>

#define PARDOW_BANK_CHECK_USAGE                                                     \
  "  check-balance DB --account ID --date D --balance AMOUNT\n"                     \
  "                set the account's balance at the end of day D against the\n"     \
  "                bank's (AMOUNT like -1234.56); print both, the difference and\n" \
  "                the transactions since the last agreed day as JSON; an even\n"   \
  "                check is remembered; exit 1 when they differ\n"

// 0 when the books agree with the bank and the check is remembered, 1 when
// they differ, the file cannot be opened or the check not remembered, 2 for
// bad arguments.
int RunBankCheckCommand(const std::vector<std::string>& args);

// pardow-cli find: the transactions of the whole database that match a query.
#pragma once

#include <string>
#include <vector>

#define PARDOW_FIND_USAGE                                                             \
  "  find DB [--text T] [--min A] [--max A] [--from D] [--to D] [--account ID]\n"     \
  "          [--category ID [--no-subcategories]] [--member ID] [--section ID]\n"     \
  "          [--kind expenses|incomes|transfers|all]\n"                               \
  "                print the matching transactions in date order as JSON, as dump\n"  \
  "                prints them, with their count and sum (ten-thousandths); --text\n" \
  "                words must all appear in the description or comment (case and\n"   \
  "                accents aside); amounts like 12.50, bounds inclusive\n"

// 0 when the query ran, 1 when the file cannot be opened, 2 for bad arguments.
int RunFindCommand(const std::vector<std::string>& args);

// pardow-cli export and import: the books out as delimited text or as a
// ledger journal, and bank statements (delimited text, OFX) in.
#pragma once

#include <string>
#include <vector>

#define PARDOW_EXCHANGE_USAGE                                                          \
  "  export FILE [--format csv|ledger] [--from D] [--to D] [--account ID]\n"           \
  "              [--kind expenses|incomes|all] [--category ID [--no-subcategories]]\n" \
  "              [--fields date,description,...] [--separator C] [--output OUT]\n"     \
  "                write the transactions (all by default) as CSV or a journal\n"      \
  "  import DB FILE --account ID [--columns date,description,sum,...]\n"               \
  "              [--separator C] [--encoding utf-8|windows-1251|windows-1252|\n"       \
  "              iso-8859-1] [--first-row N] [--kind expense|income|auto]\n"           \
  "              [--date-order ymd|dmy|mdy] [--decimal .|,] [--create-categories]\n"   \
  "              [--include-duplicates] [--dry-run] [--out-mark MARK]\n"               \
  "              [--ofx-date posted|user]\n"                                           \
  "                import a bank statement (CSV or OFX); print the report as JSON\n"

// 0 when done, 1 when the file cannot be opened or a change not stored, 2
// for bad arguments.
int RunExportCommand(const std::vector<std::string>& args);
int RunImportCommand(const std::vector<std::string>& args);

// pardow-cli export and import: the books out as delimited text or as a
// ledger journal, and bank statements (delimited text, OFX) in.
#pragma once

#include <string>
#include <vector>

#define PARDOW_EXCHANGE_USAGE                                                          \
  "  export FILE [--format csv|ledger|qif] [--from D] [--to D] [--account ID]\n"       \
  "              [--kind expenses|incomes|all] [--category ID [--no-subcategories]]\n" \
  "              [--fields date,description,...] [--separator C] [--output OUT]\n"     \
  "                write the transactions (all by default) as CSV, a journal or\n"     \
  "                QIF (for other finance programs; --kind, --category and\n"          \
  "                --fields apply to CSV only)\n"                                      \
  "  import DB FILE --account ID [--columns date,description,sum,...]\n"               \
  "              [--separator C] [--encoding utf-8|windows-1251|windows-1252|\n"       \
  "              iso-8859-1|utf-16le|utf-16be] [--first-row N]\n"                      \
  "              [--kind expense|income|auto] [--date-order ymd|dmy|mdy]\n"            \
  "              [--decimal .|,] [--create-categories] [--include-duplicates]\n"       \
  "              [--dry-run] [--out-mark MARK] [--ofx-date posted|user] [--ids]\n"     \
  "              [--no-categorize]\n"                                                  \
  "                import a bank statement (CSV or OFX); print the report as JSON,\n"  \
  "                the bank's balance against the books' and the added ids as\n"       \
  "                ranges (--ids: every id); exit 1 when nothing could be read\n"

// 0 when done, 1 when the file cannot be opened or a change not stored, 2
// for bad arguments.
int RunExportCommand(const std::vector<std::string>& args);
int RunImportCommand(const std::vector<std::string>& args);

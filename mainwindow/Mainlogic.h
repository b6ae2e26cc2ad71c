// Decisions of the main window kept out of widget code: moving the working
// interval by months, the interval caption, where a database path points, and
// the total balance in a base currency.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "Omrindb.h"

struct TInterval {
  Date begin = 0.0;
  Date end = 0.0;
};

// True when the interval is made of whole months: it starts on a first and
// ends on a last day of a month.
bool IsWholeMonths(Date begin, Date end);

// The interval one month back (direction -1) or forward (+1). Whole months
// stay whole months (February's last day recomputed); otherwise both days are
// kept, each cut to the length of its new month.
TInterval StepMonth(Date begin, Date end, int direction);

// "September, 2006" for exactly one calendar month (with the given month
// names, January first), otherwise the two short dates joined by " - ".
std::string IntervalCaption(Date begin, Date end, const std::array<std::string, 12>& monthNames);

// A stored path that starts with the data-folder marker "..\" points into
// the data folder: the marker is replaced by it. Other paths stay as they are.
std::string ResolveDatabasePath(const std::string& path, const std::string& dataFolder);

// The total of the accounts' balances in the base currency, each converted
// with its currency's rate (rounded to four decimals, product truncated).
Money TotalBalance(const TAccountItems& accounts, std::uint32_t baseCurrency, CDataBase& db);

// What the command line of `pardow` asks for.
struct TCommandLine {
  enum TAction { kRun, kHelp, kVersion, kError } action = kRun;
  std::string file;        // the database to open instead of the last one
  std::string screenshot;  // --screenshot FILE.png
  std::string error;       // what was wrong (kError)
};

// Reads the arguments after the program name: `FILE`, `--screenshot PNG`,
// `--help` / `-h`, `--version`; "--" ends the options. More than one file,
// an unknown option or a missing value is an error.
TCommandLine ParseCommandLine(const std::vector<std::string>& args);

// The usage text of `pardow --help`.
std::string CommandLineUsage();

// The program's version, as the window title shows it ("v1.62").
const char* ProgramVersion();

// Decisions of the main window kept out of widget code: where a database
// path points, the total balance in a base currency and the command line.
// Moving an interval by months and its caption are in IntervalLogic.h.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "IntervalLogic.h"
#include "Numbertexts.h"
#include "Omrindb.h"

// A stored path that starts with the data-folder marker "..\" points into
// the data folder: the marker is replaced by it. Other paths stay as they are.
std::string ResolveDatabasePath(const std::string& path, const std::string& dataFolder);

// The size of the main window at its first start on a screen whose free
// area is `screenWidth` x `screenHeight`: 1024 x 720 (room for every column
// of the transaction tree beside the left pane), or four fifths of a larger
// screen, never more than the screen holds nor less than 800 x 480.
struct TWindowSize {
  int width = 0;
  int height = 0;
};
TWindowSize DefaultWindowSize(int screenWidth, int screenHeight);

// Why a database file cannot be opened, found before the open is tried.
enum class TFileProblem {
  kNone,          // nothing stands in the way (a damaged file still may)
  kMissing,       // no such file
  kLocked,        // another Pardow (or another program) holds it open
  kNoPermission,  // it cannot be opened for reading and writing
};
TFileProblem DatabaseFileProblem(const std::string& path);

// The total of the accounts' balances in the base currency, each converted
// with its currency's rate (rounded to four decimals, product truncated).
Money TotalBalance(const TAccountItems& accounts, std::uint32_t baseCurrency, CDataBase& db);

// The rate a currency row of the Summary page shows to the base currency:
// rounded to four decimals and written as the exchange-rate window writes
// it; empty when no rate between the two is stored (the row then says so
// rather than show a rate of 1 nobody set).
std::string SummaryRateText(const CDataBase& db, std::uint32_t currency, std::uint32_t base,
                            const NumberFormat& format);

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

// The name of a step of changes in the Undo and Redo items: "Delete of
// 'Bread'", "Change of 3 transactions", in the user's language.
std::string ChangeStepText(const CChangeStep& step);

#include "Mainlogic.h"

#include <algorithm>

#include "Include.h"

namespace {

// The same day in the month `months` away, cut to that month's length.
Date ShiftMonths(Date date, int months) {
  const CivilDate c = DecodeDate(date);
  int index = c.year * 12 + static_cast<int>(c.month) - 1 + months;
  const int year = index / 12;
  const unsigned month = static_cast<unsigned>(index % 12) + 1;
  return EncodeDate(year, month, std::min(c.day, DaysInMonth(year, month)));
}

}  // namespace

bool IsWholeMonths(Date begin, Date end) {
  return DecodeDate(begin).day == 1 && WholeDay(end) == LastDayOfMonth(end);
}

TInterval StepMonth(Date begin, Date end, int direction) {
  if (IsWholeMonths(begin, end))
    return {FirstDayOfMonth(ShiftMonths(begin, direction)),
            LastDayOfMonth(ShiftMonths(FirstDayOfMonth(end), direction))};
  return {ShiftMonths(begin, direction), ShiftMonths(end, direction)};
}

std::string IntervalCaption(Date begin, Date end, const std::array<std::string, 12>& monthNames) {
  const CivilDate b = DecodeDate(begin), e = DecodeDate(end);
  if (b.year == e.year && b.month == e.month && IsWholeMonths(begin, end))
    return monthNames[b.month - 1] + ", " + std::to_string(b.year);
  return FormatShortDate(begin) + " - " + FormatShortDate(end);
}

std::string ResolveDatabasePath(const std::string& path, const std::string& dataFolder) {
  if (path.rfind("..\\", 0) == 0) return dataFolder + path.substr(3);
  return path;
}

Money TotalBalance(const TAccountItems& accounts, std::uint32_t baseCurrency, CDataBase& db) {
  // The running total is kept as units in a double and brought back to fixed
  // point before each addition.
  double total = 0;
  for (const CAccountItem& account : accounts) {
    const double rate = db.GetExchangeRate(account.record.currencyId, baseCurrency);
    total =
        static_cast<double>(WrapAdd(FloatToMoney(total), ConvertAmount(account.balance, rate))) /
        static_cast<double>(kMoneyOne);
  }
  return FloatToMoney(total);
}

TCommandLine ParseCommandLine(const std::vector<std::string>& args) {
  TCommandLine result;
  auto fail = [&result](const std::string& why) {
    result.action = TCommandLine::kError;
    result.error = why;
    return result;
  };
  bool options = true;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (options && arg == "--") {
      options = false;
    } else if (options && (arg == "--help" || arg == "-h")) {
      result.action = TCommandLine::kHelp;
      return result;
    } else if (options && arg == "--version") {
      result.action = TCommandLine::kVersion;
      return result;
    } else if (options && arg == "--screenshot") {
      if (i + 1 >= args.size()) return fail("--screenshot needs a file name");
      result.screenshot = args[++i];
    } else if (options && arg.size() > 1 && arg[0] == '-') {
      return fail("unknown option " + arg);
    } else if (!result.file.empty()) {
      return fail("only one database file can be opened");
    } else {
      result.file = arg;
    }
  }
  return result;
}

std::string CommandLineUsage() {
  return "Usage: pardow [FILE.vlt] [--screenshot FILE.png]\n"
         "       pardow --help | --version\n"
         "\n"
         "Opens FILE.vlt, or without it the database opened last.\n"
         "  --screenshot FILE.png  save a picture of the main window once it is ready, then quit\n"
         "  -h, --help             show this help and quit\n"
         "  --version              show the version and quit\n";
}

const char* ProgramVersion() {
  return "v1.62";
}

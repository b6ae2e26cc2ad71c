#include "Mainlogic.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "Include.h"

std::string ResolveDatabasePath(const std::string& path, const std::string& dataFolder) {
  if (path.rfind("..\\", 0) == 0) return dataFolder + path.substr(3);
  return path;
}

TWindowSize DefaultWindowSize(int screenWidth, int screenHeight) {
  auto side = [](int screen, int wanted, int least) {
    return std::max(least, std::min(screen, std::max(wanted, screen * 4 / 5)));
  };
  return {side(screenWidth, 1024, 800), side(screenHeight, 720, 480)};
}

TFileProblem DatabaseFileProblem(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0)
    return errno == EACCES ? TFileProblem::kNoPermission : TFileProblem::kMissing;
  if (S_ISDIR(info.st_mode)) return TFileProblem::kNone;  // the open says what it is
  const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? TFileProblem::kMissing : TFileProblem::kNoPermission;
  // The same lock the database takes: held by anyone else, it is refused.
  const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  ::close(fd);  // also drops the lock taken here
  return locked ? TFileProblem::kLocked : TFileProblem::kNone;
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

std::string SummaryRateText(const CDataBase& db, std::uint32_t currency, std::uint32_t base,
                            const NumberFormat& format) {
  const CurrencyPack pair{std::min(currency, base), std::max(currency, base)};
  if (currency == base || db.GetExchangeRateItems().count(pair) == 0) return {};
  return RateToStr(FloatToMoney(db.GetExchangeRate(currency, base)), format);
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

std::string ChangeStepText(const CChangeStep& step) {
  auto named = [&](std::uint32_t id, const char* withName, std::uint32_t bareId, const char* bare) {
    if (step.subject.empty()) return GetLocalizedText(bareId, bare);
    std::string text = GetLocalizedText(id, withName);
    const std::size_t at = text.find("%1");
    if (at != std::string::npos) text.replace(at, 2, step.subject);
    return text;
  };
  const auto count = static_cast<long long>(step.count);
  switch (step.kind) {
    case EChangeKind::kAdd:
      return named(30904, "Add of '%1'", 30920, "Add");
    case EChangeKind::kEdit:
      return named(30905, "Edit of '%1'", 30921, "Edit");
    case EChangeKind::kDelete:
      return named(30906, "Delete of '%1'", 30922, "Delete");
    case EChangeKind::kMove:
      return named(30907, "Move of '%1'", 30923, "Move");
    case EChangeKind::kExchangeRate:
      return named(30908, "Exchange rate %1", 30924, "Exchange rate");
    case EChangeKind::kSettings:
      return GetLocalizedText(30909, "Database settings change");
    case EChangeKind::kChangeMany:
      return GetLocalizedCount(30910, "Change of %1 transaction|Change of %1 transactions", count);
    case EChangeKind::kDeleteMany:
      return GetLocalizedCount(30911, "Delete of %1 transaction|Delete of %1 transactions", count);
    case EChangeKind::kApplyRules:
      return GetLocalizedCount(
          30912, "Rules applied to %1 transaction|Rules applied to %1 transactions", count);
    case EChangeKind::kImport:
      return named(30913, "Import of '%1'", 30925, "Import");
    case EChangeKind::kUndoImport:
      return named(30914, "Removal of the import '%1'", 30926, "Removal of an import");
    case EChangeKind::kPlannedPosting:
      return GetLocalizedCount(
          30915, "Posting of %1 planned transaction|Posting of %1 planned transactions", count);
    case EChangeKind::kOther:
      break;
  }
  return GetLocalizedText(30916, "Change");
}

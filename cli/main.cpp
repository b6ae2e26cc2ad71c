// pardow-cli: the command-line tool. It opens database files the way the
// window program does (an old file may be upgraded in place) and prints what
// it finds.
//
//   pardow-cli [--today YYYY-MM-DD] [--log FILE] [--password TEXT] COMMAND ARGS
#include <charconv>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "Access.h"
#include "BackupsCmd.h"
#include "BankCheckCmd.h"
#include "Companion.h"
#include "ConvertCmd.h"
#include "Demo.h"
#include "Edit.h"
#include "ExchangeCmd.h"
#include "FindCmd.h"
#include "Json.h"
#include "Logger.h"
#include "Omrindb.h"
#include "Platform.h"
#include "Report.h"
#include "ReportCmd.h"
#include "RulesCmd.h"

namespace {

const char kUsage[] =
    "usage: pardow-cli [--today YYYY-MM-DD] [--log FILE] [--password TEXT] COMMAND ARGS\n"
    "A file protected by a password opens only with --password TEXT (or the\n"
    "environment variable PARDOW_PASSWORD); otherwise the command exits with 3.\n"
    "commands:\n"
    "  create FILE   create a new database file (never over an existing one)\n"
    "  info FILE     print the file's header and table sizes as JSON\n"
    "  dump FILE     print every item and computed figure as JSON\n"
    "  apply FILE    turn the planned transactions due up to today into\n"
    "                transactions; print the added ones as JSON\n"
    "  balance FILE  print the accounts' figures and the total balance\n"
    "  demo FILE [--transactions N] [--seed S]\n"
    "                create the demo database (3000 transactions by default)\n" PARDOW_REPORT_USAGE
        PARDOW_EDIT_USAGE PARDOW_EXCHANGE_USAGE PARDOW_BANK_CHECK_USAGE PARDOW_RULES_USAGE
            PARDOW_FIND_USAGE PARDOW_CONVERT_USAGE PARDOW_BACKUPS_USAGE;

int Fail(const std::string& text) {
  std::cerr << "pardow-cli: " << text << "\n";
  return 2;
}

int CmdCreate(const std::string& file) {
  if (FileExists(file)) {
    std::cerr << "pardow-cli: " << file << " exists; it is left as it is\n";
    return 1;
  }
  CDataBase db;
  try {
    db.Create(file);
  } catch (const CFileError& e) {
    std::cerr << e.what() << "\n";
    return 1;
  }
  if (!db.IsOpened()) return 1;
  // A companion file left by a deleted database of that name is not the new one's.
  std::string error;
  if (!DeleteCompanion(file, error)) {
    std::cerr << "pardow-cli: " << error << "\n";
    return 1;
  }
  return 0;
}

int CmdInfo(const std::string& file) {
  CDataBase db;
  if (int rc = OpenForCommand(db, file)) return rc;
  CJsonWriter json;
  json.BeginObject();
  json.Value("version", std::int64_t{db.GetVersion()});
  json.Value("headerSize", std::int64_t{db.GetHeaderSize()});
  json.Value("fileSize", static_cast<std::int64_t>(db.GetFileSize()));
  json.Value("nextItemId", std::int64_t{db.GetNextItemId()});
  json.Value("nextStringId", std::int64_t{db.GetNextStringId()});
  json.BeginObject("interval");
  json.Value("begin", FormatIsoDate(db.GetIntervalBegin()));
  json.Value("end", FormatIsoDate(db.GetIntervalEnd()));
  json.EndObject();
  json.Value("selectedAccount", std::int64_t{db.GetSelectedAccount()});
  json.Value("selectedCurrency", std::int64_t{db.GetSelectedCurrency()});
  json.BeginObject("counts");
  json.Value("currencies", static_cast<std::int64_t>(db.Currencies().size()));
  json.Value("accounts", static_cast<std::int64_t>(db.Accounts().size()));
  json.Value("subtypes", static_cast<std::int64_t>(db.SubTypes().size()));
  json.Value("rates", static_cast<std::int64_t>(db.ExchangeRates().size()));
  json.Value("transactions", static_cast<std::int64_t>(db.Transactions().size()));
  json.Value("planned", static_cast<std::int64_t>(db.PlnTransactions().size()));
  json.Value("strings", static_cast<std::int64_t>(db.GetStringCount()));
  json.EndObject();
  json.EndObject();
  std::cout << json.Text() << "\n";
  return 0;
}

int CmdDump(const std::string& file) {
  CDataBase db;
  if (int rc = OpenForCommand(db, file)) return rc;
  std::cout << DumpJson(db) << "\n";
  return 0;
}

int CmdApply(const std::string& file) {
  CDataBase db;
  if (int rc = OpenForCommand(db, file)) return rc;
  const std::uint32_t last = LastTransactionId(db);
  const bool applied = db.ApplyPlnTransactions();
  const std::string failure = db.GetLastWriteError();
  CJsonWriter json;
  json.BeginObject();
  json.Value("today", FormatIsoDate(Today()));
  WriteTransactionsAfter(json, "added", db, last);  // only what was stored
  json.EndObject();
  const bool closed = db.Close();
  std::cout << json.Text() << "\n";
  if (!applied) {
    std::cerr << "pardow-cli: apply stopped: planned transactions could not be stored (" << failure
              << "); the ones listed were stored, a later apply adds the rest\n";
    return 1;
  }
  if (!closed) {
    std::cerr << "pardow-cli: apply: the file could not be closed cleanly\n";
    return 1;
  }
  return 0;
}

int CmdBalance(const std::string& file) {
  CDataBase db;
  if (int rc = OpenForCommand(db, file)) return rc;
  std::cout << BalanceTable(db);
  return 0;
}

// A whole number in 0 .. max, nothing else.
bool ParseCount(const std::string& text, std::uint64_t max, std::uint64_t& out) {
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, out);
  return !text.empty() && ec == std::errc() && ptr == end && out <= max;
}

int CmdDemo(const std::vector<std::string>& args) {
  if (args.empty()) return Fail("demo wants a FILE\n" + std::string(kUsage));
  CDemoOptions options;
  // Ten million transactions make a file of about a gigabyte.
  constexpr std::uint64_t kMaxTransactions = 10'000'000;
  for (std::size_t i = 1; i < args.size(); i += 2) {
    const bool hasValue = i + 1 < args.size();
    if (args[i] == "--transactions" && hasValue) {
      if (!ParseCount(args[i + 1], kMaxTransactions, options.transactions))
        return Fail("--transactions wants a number from 0 to 10000000");
    } else if (args[i] == "--seed" && hasValue) {
      if (!ParseCount(args[i + 1], UINT64_MAX, options.seed))
        return Fail("--seed wants a whole number");
    } else {
      return Fail("bad demo option " + args[i] + "\n" + kUsage);
    }
  }
  return BuildDemoDatabase(args[0], options) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::unique_ptr<CLogger> logger;
  // Warnings and errors of the engine are the tool's diagnostics.
  SetLogTap([](std::uint8_t level, const std::string& text) {
    if (level >= 2) std::cerr << text << "\n";
  });
  if (const char* password = std::getenv("PARDOW_PASSWORD")) SetGivenPassword(password);
  std::size_t i = 0;
  for (; i < args.size() && args[i].rfind("--", 0) == 0; ++i) {
    if (args[i] == "--today" && i + 1 < args.size()) {
      Date today = 0;
      if (!ParseIsoDate(args[++i], today)) return Fail("--today wants YYYY-MM-DD");
      SetClock(today);
    } else if (args[i] == "--log" && i + 1 < args.size()) {
      logger = std::make_unique<CLogger>(args[++i]);
      if (!IsLogOpen()) return Fail("cannot write the log file " + args[i]);
    } else if (args[i] == "--password" && i + 1 < args.size()) {
      SetGivenPassword(args[++i]);
    } else if (args[i] == "--help") {
      std::cout << kUsage;
      return 0;
    } else {
      return Fail("unknown option " + args[i] + "\n" + kUsage);
    }
  }
  if (i >= args.size()) return Fail(std::string("no command\n") + kUsage);
  const std::string command = args[i];
  std::vector<std::string> rest(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
  if (command == "create" && rest.size() == 1) return CmdCreate(rest[0]);
  if (command == "info" && rest.size() == 1) return CmdInfo(rest[0]);
  if (command == "dump" && rest.size() == 1) return CmdDump(rest[0]);
  if (command == "apply" && rest.size() == 1) return CmdApply(rest[0]);
  if (command == "balance" && rest.size() == 1) return CmdBalance(rest[0]);
  if (command == "demo") return CmdDemo(rest);
  if (command == "report") return RunReportCommand(rest);
  if (command == "export") return RunExportCommand(rest);
  if (command == "import") return RunImportCommand(rest);
  if (command == "check-balance") return RunBankCheckCommand(rest);
  if (command == "rules" || command == "add-rule" || command == "edit-rule" ||
      command == "delete-rule" || command == "apply-rules")
    return RunRulesCommand(command, rest);
  if (command == "find") return RunFindCommand(rest);
  if (command == "convert") return RunConvertCommand(rest);
  if (command == "backups" || command == "backup" || command == "restore")
    return RunBackupsCommand(command, rest);
  if (int rc = RunEditCommand(command, rest); rc >= 0) return rc;
  return Fail("bad command or arguments\n" + std::string(kUsage));
}

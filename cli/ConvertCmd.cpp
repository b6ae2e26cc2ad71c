#include "ConvertCmd.h"

#include <algorithm>
#include <iostream>
#include <nlohmann/json.hpp>

#include "Convert.h"
#include "Delimited.h"

namespace {

using Json = nlohmann::ordered_json;

int Bad(const std::string& text) {
  std::cerr << "pardow-cli: convert: " << text << "\n";
  return 2;
}

int Failed(const std::string& text) {
  std::cerr << "pardow-cli: convert: " << text << "\n";
  return 1;
}

}  // namespace

int RunConvertCommand(const std::vector<std::string>& args) {
  if (args.size() < 2) return Bad("wants FROM and NEW.vlt");
  CConvertOptions options;
  CQifOptions qif;
  bool dryRun = false;
  for (std::size_t i = 2; i < args.size(); ++i) {
    const bool valued = i + 1 < args.size();
    if (args[i] == "--dry-run") {
      dryRun = true;
    } else if (args[i] == "--currency" && valued) {
      options.currency = args[++i];
      if (!IsCurrencyCode(options.currency))
        return Bad("--currency wants a three-letter code such as EUR");
    } else if (args[i] == "--date-order" && valued) {
      const std::string& order = args[++i];
      if (order == "dmy")
        qif.dateOrder = EDateOrder::kDmy;
      else if (order == "mdy")
        qif.dateOrder = EDateOrder::kMdy;
      else if (order == "ymd")
        qif.dateOrder = EDateOrder::kYmd;
      else
        return Bad("--date-order wants dmy, mdy or ymd");
    } else if (args[i] == "--account" && valued) {
      qif.accountName = args[++i];
      if (qif.accountName.empty()) return Bad("--account wants a name");
    } else {
      return Bad("unknown option " + args[i]);
    }
  }
  std::string bytes, error;
  if (!ReadFileBytes(args[0], 0, bytes, error)) return Failed(args[0] + ": " + error);
  const CForeignRead read = ReadForeignBook(bytes, qif);
  if (read.dateOrderUndecided)
    return Bad(args[0] + ": " + read.ErrorText() + " Give --date-order dmy or mdy.");
  if (!read.ok) return Failed(args[0] + ": " + read.ErrorText());
  const CConvertSummary summary = SummarizeBook(read.book, options);
  CConvertResult result;
  if (!dryRun) {
    result = ConvertBook(read.book, args[1], options);
    if (result.checks.empty() && !result.ok) return Failed(result.error);
  }
  Json notImported = Json::array();
  for (const CForeignNote& note : summary.notImported) notImported.push_back(NoteText(note));
  Json accounts = Json::array();
  for (std::size_t i = 0; i < summary.accounts.size(); ++i) {
    const CAccountCheck& a = summary.accounts[i];
    Json account = {{"name", a.name}, {"currency", a.currency}, {"source", a.source}};
    if (!dryRun) account["stored"] = result.checks[i].stored;
    accounts.push_back(account);
  }
  std::cout << Json{{"format", read.book.format},
                    {"accounts", accounts},
                    {"categories", summary.categories},
                    {"transactions", summary.transactions},
                    {"planned", summary.planned},
                    {"notImported", notImported},
                    {"stored", !dryRun}}
                   .dump(2)
            << "\n";
  if (!dryRun && !result.ok) {
    for (const CAccountCheck& check : result.checks)
      if (check.stored != check.source)
        std::cerr << "pardow-cli: convert: " << check.name << ": the source implies "
                  << check.source << ", the new database holds " << check.stored << "\n";
    return Failed(result.error + "; " + args[1] + " is kept to be looked at");
  }
  return 0;
}

#include "BankCheckCmd.h"

#include <iostream>
#include <nlohmann/json.hpp>

#include "Access.h"
#include "Args.h"
#include "BankCheck.h"

namespace {

using Json = nlohmann::ordered_json;

int Bad(const std::string& text) {
  std::cerr << "pardow-cli: check-balance: " << text << "\n";
  return 2;
}

struct CBankCheckArgs {
  std::string db;
  std::uint32_t account = 0;
  Date day = 0;
  Money bank = 0;
};

int ParseArgs(const std::vector<std::string>& args, CBankCheckArgs& a) {
  bool account = false, date = false, balance = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& name = args[i];
    if (name.rfind("--", 0) != 0) {
      if (!a.db.empty()) return Bad("one database file only");
      a.db = name;
      continue;
    }
    if (i + 1 >= args.size()) return Bad(name + " wants a value");
    const std::string& value = args[++i];
    if (name == "--account") {
      if (!ParseWholeNumber(value, a.account)) return Bad("--account wants an account id");
      account = true;
    } else if (name == "--date") {
      if (!ParseIsoDate(value, a.day)) return Bad("--date wants YYYY-MM-DD");
      // The bank states no balance for a day still to come.
      if (WholeDay(a.day) > WholeDay(Today())) return Bad("--date is after today");
      date = true;
    } else if (name == "--balance") {
      const TTypedAmount amount = ReadSignedAmount(value, NumberFormat());
      if (amount.state != TTypedAmountState::kComplete)
        return Bad("--balance wants an amount with at most two decimals, like -1234.56");
      a.bank = amount.value;
      balance = true;
    } else {
      return Bad("unknown option " + name);
    }
  }
  if (a.db.empty() || !account || !date || !balance)
    return Bad("wants DB --account ID --date YYYY-MM-DD --balance AMOUNT");
  return 0;
}

Json ToJson(const CBankCheck& check) {
  Json out;
  out["account"] = check.account;
  out["date"] = FormatIsoDate(check.day);
  out["bank"] = check.bank;
  out["books"] = check.books;
  out["difference"] = check.difference;
  out["agreed"] = check.Agreed();
  out["lastAgreed"] = check.lastAgreed ? Json(FormatIsoDate(check.lastAgreed->day)) : Json();
  Json rows = Json::array();
  for (const CBankCheckRow& row : check.since)
    rows.push_back({{"id", row.id},
                    {"date", FormatIsoDate(row.date)},
                    {"amount", row.amount},
                    {"description", row.description}});
  out["transactions"] = rows;
  return out;
}

}  // namespace

int RunBankCheckCommand(const std::vector<std::string>& args) {
  CBankCheckArgs a;
  if (int rc = ParseArgs(args, a)) return rc;
  CDataBase db;
  if (int rc = OpenForCommand(db, a.db)) return rc;
  CCompanion companion;
  const CCompanionLoad load = companion.Load(db.GetFileName());
  if (!load.Fine()) std::cerr << "pardow-cli: " << CompanionLoadText(load) << "\n";
  CBankCheck check;
  if (!CheckAgainstBank(db, companion, a.account, a.day, a.bank, check))
    return Bad("there is no account " + std::to_string(a.account));
  Json report = ToJson(check);
  std::string error;
  const bool remembered = RememberAgreedCheck(db.GetFileName(), check, error);
  if (!remembered) report["error"] = error;
  std::cout << report.dump(2) << "\n";
  if (!remembered) {
    std::cerr << "pardow-cli: check-balance: the agreed check was not remembered: " << error
              << "\n";
    return 1;
  }
  if (!check.Agreed())
    std::cerr << "pardow-cli: check-balance: the books differ from the bank by " << check.difference
              << " ten-thousandths\n";
  return check.Agreed() ? 0 : 1;
}

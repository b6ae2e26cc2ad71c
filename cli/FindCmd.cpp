#include "FindCmd.h"

#include <iostream>

#include "Access.h"
#include "Args.h"
#include "Find.h"
#include "Json.h"
#include "Numbertexts.h"
#include "Report.h"

namespace {

int Bad(const std::string& text) {
  std::cerr << "pardow-cli: find: " << text << "\n";
  return 2;
}

// An id: a whole number above 0.
bool ParseId(const std::string& text, std::uint32_t& out) {
  return ParseWholeNumber(text, out) && out != 0;
}

// A plain decimal amount ("1234.5"), the same in every locale.
bool ParseAmount(const std::string& text, Money& out) {
  const NumberFormat plain{".", ".", " ", false};
  const TTypedAmount amount = ReadTypedAmount(text, 2, plain);
  if (amount.state != TTypedAmountState::kComplete) return false;
  out = amount.value;
  return true;
}

bool ParseKind(const std::string& text, EFindKind& kind) {
  if (text == "expenses")
    kind = EFindKind::kExpenses;
  else if (text == "incomes")
    kind = EFindKind::kIncomes;
  else if (text == "transfers")
    kind = EFindKind::kTransfers;
  else if (text == "all")
    kind = EFindKind::kAll;
  else
    return false;
  return true;
}

int ParseOption(const std::string& name, const std::string& value, CFindQuery& q) {
  Money amount = 0;
  Date day = 0;
  std::uint32_t id = 0;
  if (name == "--text") {
    q.text = value;
  } else if (name == "--min" || name == "--max") {
    if (!ParseAmount(value, amount)) return Bad(name + " wants an amount like 12.50");
    (name == "--min" ? q.minAmount : q.maxAmount) = amount;
  } else if (name == "--from" || name == "--to") {
    if (!ParseIsoDate(value, day)) return Bad(name + " wants YYYY-MM-DD");
    (name == "--from" ? q.from : q.to) = day;
  } else if (name == "--account" || name == "--category" || name == "--member" ||
             name == "--section") {
    if (!ParseId(value, id)) return Bad(name + " wants an id");
    (name == "--account"    ? q.account
     : name == "--category" ? q.category
     : name == "--member"   ? q.member
                            : q.section) = id;
  } else if (name == "--kind") {
    if (!ParseKind(value, q.kind)) return Bad("--kind wants expenses, incomes, transfers or all");
  } else {
    return Bad("unknown option " + name);
  }
  return 0;
}

int ParseArgs(const std::vector<std::string>& args, std::string& db, CFindQuery& q) {
  bool noSub = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& name = args[i];
    if (name.rfind("--", 0) != 0) {
      if (!db.empty()) return Bad("one database file only");
      db = name;
    } else if (name == "--no-subcategories") {
      noSub = true;
    } else if (i + 1 >= args.size()) {
      return Bad(name + " wants a value");
    } else if (int rc = ParseOption(name, args[++i], q)) {
      return rc;
    }
  }
  if (db.empty()) return Bad("wants a database file");
  if (noSub && q.category == 0) return Bad("--no-subcategories goes with --category");
  q.subCategories = !noSub;
  if (q.minAmount && q.maxAmount && *q.minAmount > *q.maxAmount) return Bad("--min is above --max");
  if (q.from && q.to && WholeDay(*q.from) > WholeDay(*q.to)) return Bad("--from is after --to");
  return 0;
}

}  // namespace

int RunFindCommand(const std::vector<std::string>& args) {
  std::string file;
  CFindQuery query;
  if (int rc = ParseArgs(args, file, query)) return rc;
  CDataBase db;
  if (int rc = OpenForCommand(db, file)) return rc;
  CFindIndex index;
  const CFindResult result = index.Find(db, query);
  CJsonWriter json;
  json.BeginObject();
  json.Value("count", static_cast<std::int64_t>(result.ids.size()));
  json.Value("sum", std::int64_t{result.sum});
  WriteTransactions(json, "transactions", db, result.ids);
  json.EndObject();
  std::cout << json.Text() << "\n";
  return 0;
}

#include "Edit.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <functional>
#include <iostream>
#include <iterator>
#include <limits>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <stdexcept>

#include "Access.h"
#include "Json.h"
#include "Omrindb.h"

namespace {

using Json = nlohmann::json;

// Input the command refuses: the message says what is wrong.
struct CBadInput : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// ---- Reading JSON ----

// The text as one JSON object. A key given twice is refused: which of the
// two values was meant cannot be known.
Json ParseObject(const std::string& text) {
  std::vector<std::set<std::string>> keys;
  std::string duplicate;
  auto track = [&](int, Json::parse_event_t event, Json& parsed) {
    if (event == Json::parse_event_t::object_start) keys.emplace_back();
    if (event == Json::parse_event_t::object_end) keys.pop_back();
    if (event == Json::parse_event_t::key && !keys.back().insert(parsed.get<std::string>()).second)
      duplicate = parsed.get<std::string>();
    return true;
  };
  Json value;
  try {
    value = Json::parse(text, track);
  } catch (const Json::exception& e) {
    throw CBadInput(std::string("the input is not valid JSON: ") + e.what());
  }
  if (!duplicate.empty()) throw CBadInput("field \"" + duplicate + "\" is given twice");
  if (!value.is_object()) throw CBadInput("the input must be one JSON object");
  return value;
}

// Handles one field's value; throws CBadInput when it is not valid.
using FieldReader = std::function<void(const Json&)>;

// Hands each field of `object` to its reader. A field without one is refused
// with `why(name)` when that says something, as unknown otherwise.
void ReadFields(const Json& object, const std::map<std::string, FieldReader>& readers,
                const std::function<std::string(const std::string&)>& why = nullptr) {
  for (const auto& [name, value] : object.items()) {
    auto reader = readers.find(name);
    if (reader == readers.end()) {
      std::string reason = why ? why(name) : "";
      throw CBadInput(reason.empty() ? "unknown field \"" + name + "\"" : reason);
    }
    try {
      reader->second(value);
    } catch (const CBadInput& e) {
      throw CBadInput("\"" + name + "\": " + e.what());
    }
  }
}

std::int64_t Whole(const Json& v, std::int64_t min, std::int64_t max) {
  const std::string range = std::to_string(min) + " to " + std::to_string(max);
  if (!v.is_number_integer()) throw CBadInput("wants a whole number from " + range);
  if (v.is_number_unsigned() && v.get<std::uint64_t>() > static_cast<std::uint64_t>(max))
    throw CBadInput("wants a whole number from " + range);
  const std::int64_t n = v.get<std::int64_t>();
  if (n < min || n > max) throw CBadInput("wants a whole number from " + range);
  return n;
}

FieldReader Id(std::uint32_t& out) {
  return [&out](const Json& v) { out = static_cast<std::uint32_t>(Whole(v, 0, UINT32_MAX)); };
}

// Money as `dump` prints it: ten-thousandths, never negative (as typed).
FieldReader Amount(Money& out) {
  return [&out](const Json& v) { out = Whole(v, 0, std::numeric_limits<Money>::max()); };
}

FieldReader Flag(std::uint8_t& out) {
  return [&out](const Json& v) {
    if (!v.is_boolean()) throw CBadInput("wants true or false");
    out = v.get<bool>() ? 1 : 0;
  };
}

// "YYYY-MM-DD" or "YYYY-MM-DDTHH:MM:SS", years 1900 to 9999. The text the
// field shows now keeps the stored value exactly, time fraction and all.
FieldReader Day(double& out) {
  return [&out](const Json& v) {
    if (!v.is_string()) throw CBadInput("wants a date YYYY-MM-DD");
    const std::string text = v.get<std::string>();
    if (text == FormatIsoDate(out, true)) return;
    auto digits = [&](std::size_t at) {
      const bool ok = std::isdigit(static_cast<unsigned char>(text[at])) &&
                      std::isdigit(static_cast<unsigned char>(text[at + 1]));
      return ok ? (text[at] - '0') * 10 + (text[at + 1] - '0') : 99;
    };
    const bool withTime =
        text.size() == 19 && text[10] == 'T' && text[13] == ':' && text[16] == ':';
    int h = 0, m = 0, s = 0;
    if (withTime) {
      h = digits(11);
      m = digits(14);
      s = digits(17);
    }
    Date day = 0;
    if ((text.size() != 10 && !withTime) || h > 23 || m > 59 || s > 59 ||
        !ParseIsoDate(text.substr(0, 10), day))
      throw CBadInput("wants a date YYYY-MM-DD or YYYY-MM-DDTHH:MM:SS, not \"" + text + "\"");
    if (DecodeDate(day).year < 1900) throw CBadInput("wants a year from 1900 to 9999");
    out = day + (h * 3600.0 + m * 60.0 + s) / 86400.0;
  };
}

// A text is stored up to its first zero byte and below 65536 bytes: one that
// could not come back whole is refused.
FieldReader Text(std::string& out) {
  return [&out](const Json& v) {
    if (!v.is_string()) throw CBadInput("wants a text");
    std::string text = v.get<std::string>();
    if (text.find('\0') != std::string::npos)
      throw CBadInput("a text cannot hold a zero character");
    if (StringClassOf(text.size()) == 0 && !text.empty())
      throw CBadInput("a text may hold at most 65535 bytes");
    out = std::move(text);
  };
}

// A quantity is stored in single precision: a number that does not read back
// the same is refused rather than rounded.
FieldReader Quantity(float& out) {
  return [&out](const Json& v) {
    if (!v.is_number()) throw CBadInput("wants a number");
    const double wanted = v.get<double>();
    if (!std::isfinite(wanted) || std::fabs(wanted) > std::numeric_limits<float>::max())
      throw CBadInput("is out of range");
    const float stored = static_cast<float>(wanted);
    char buf[32];
    auto end = std::to_chars(buf, buf + sizeof buf, stored).ptr;
    double back = 0;
    std::from_chars(buf, end, back);
    if (back != wanted)
      throw CBadInput("cannot be stored exactly; the nearest quantity that can is " +
                      std::string(buf, end));
    out = stored;
  };
}

// The item fields the input must not set, with the reason.
std::string Refusal(const std::string& name, bool adding) {
  if (name == "id" && adding) return "\"id\": a new item gets its id from the database";
  for (const char* computed : {"balance", "plannedIn", "plannedOut", "budgetUsed"})
    if (name == computed) return "\"" + name + "\" is computed, not stored";
  return "";
}

// The fields of a transaction; `more` reads those of a planned one or an
// edit's "id".
void ReadTransaction(const Json& object, TransactionRecord& r, std::string& description,
                     std::string& comment, std::map<std::string, FieldReader> more) {
  more.insert({{"date", Day(r.date)},
               {"from", Id(r.fromAccount)},
               {"to", Id(r.toAccount)},
               {"amountOut", Amount(r.amountOut)},
               {"amountIn", Amount(r.amountIn)},
               {"quantity", Quantity(r.quantity)},
               {"member", Id(r.memberId)},
               {"category", Id(r.categoryId)},
               {"section", Id(r.sectionId)},
               {"description", Text(description)},
               {"comment", Text(comment)}});
  const bool adding = more.count("id") == 0;
  ReadFields(object, more, [adding](const std::string& name) { return Refusal(name, adding); });
}

FieldReader Schedule(ScheduleRecord& s) {
  return [&s](const Json& v) {
    if (!v.is_object()) throw CBadInput("wants an object");
    ReadFields(
        v,
        {{"kind",
          [&s](const Json& k) {
            s.kind = static_cast<std::uint8_t>(Whole(k, 0, kScheduleMonthly));
          }},
         {"lastProcessed", Day(s.lastProcessed)},
         {"onceDate", Day(s.onceDate)},
         {"period",
          [&s](const Json& p) { s.period = static_cast<std::uint16_t>(Whole(p, 0, UINT16_MAX)); }},
         {"weekdays", [&s](const Json& w) {
            if (!w.is_array() || w.size() != 7) throw CBadInput("wants 7 flags, Monday first");
            for (std::size_t i = 0; i < 7; ++i)
              s.weekdays[i] = static_cast<std::uint8_t>(Whole(w[i], 0, 1));
          }}});
  };
}

// ---- Checks against the database ----

void CheckAccount(CDataBase& db, std::uint32_t id, const char* field) {
  if (id != 0 && db.Accounts().Find(id) == nullptr)
    throw CBadInput(std::string("\"") + field + "\": there is no account " + std::to_string(id));
}

void CheckSubType(CDataBase& db, std::uint32_t id, const char* field) {
  if (id != 0 && db.SubTypes().Find(id) == nullptr)
    throw CBadInput(std::string("\"") + field + "\": there is no subtype " + std::to_string(id));
}

void CheckTransaction(CDataBase& db, const TransactionRecord& r) {
  if (r.fromAccount == 0 && r.toAccount == 0)
    throw CBadInput("a transaction needs an account in \"from\" or \"to\"");
  CheckAccount(db, r.fromAccount, "from");
  CheckAccount(db, r.toAccount, "to");
  CheckSubType(db, r.memberId, "member");
  CheckSubType(db, r.categoryId, "category");
  CheckSubType(db, r.sectionId, "section");
}

void CheckSchedule(const ScheduleRecord& s) {
  if (s.kind == kScheduleEveryNDays && s.period == 0)
    throw CBadInput("\"schedule\": every N days wants a period of 1 day or more");
  if (s.kind == kScheduleMonthly && (MonthlyDay(s.period) == 0 || MonthlyDay(s.period) > 31))
    throw CBadInput("\"schedule\": a monthly period is day + 50 * months, day 1 to 31");
}

bool IsRoot(std::uint32_t id) {
  return id == kIncomeRoot || id == kExpenseRoot || id == kTransferRoot || id == kSectionRoot ||
         id == kMemberRoot;
}

// The parent must be a root or a subtype outside the subtype's own branch.
void CheckParent(CDataBase& db, std::uint32_t subType, std::uint32_t parent) {
  if (parent == 0) throw CBadInput("a subtype needs a \"parent\"");
  if (IsRoot(parent)) return;
  std::set<std::uint32_t> seen;
  for (std::uint32_t at = parent; !IsRoot(at); at = db.SubTypes().Find(at)->record.parentId) {
    if (at == subType) throw CBadInput("\"parent\": a subtype cannot sit inside itself");
    if (db.SubTypes().Find(at) == nullptr || !seen.insert(at).second)
      throw CBadInput("\"parent\": there is no subtype " + std::to_string(at) +
                      " under a root (1, 2, 3, 5, 6)");
  }
}

// ---- Running a command ----

std::string ReadAll(std::istream& in) {
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::uint32_t ParseId(const std::string& text) {
  std::uint32_t id = 0;
  auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), id);
  if (text.empty() || ec != std::errc() || ptr != text.data() + text.size() || id == 0)
    throw CBadInput("an id is a whole number above 0, not \"" + text + "\"");
  return id;
}

void PrintId(std::uint32_t id) {
  CJsonWriter json;
  json.BeginObject();
  json.Value("id", static_cast<std::int64_t>(id));
  json.EndObject();
  std::cout << json.Text() << "\n";
}

// The "id" of an edit's input, which must name an existing item.
template <class Table>
std::uint32_t EditedId(const Json& input, Table& table, const char* what) {
  if (!input.contains("id"))
    throw CBadInput("the input names no \"id\" of the " + std::string(what) + " to edit");
  std::uint32_t id = 0;
  try {
    id = static_cast<std::uint32_t>(Whole(input["id"], 1, UINT32_MAX));
  } catch (const CBadInput& e) {
    throw CBadInput(std::string("\"id\": ") + e.what());
  }
  if (table.Find(id) == nullptr)
    throw CBadInput("there is no " + std::string(what) + " " + std::to_string(id));
  return id;
}

std::uint32_t AddTransactionCmd(CDataBase& db, const Json& input) {
  CTransactionItem item;
  ReadTransaction(input, item.record, item.description, item.comment, {});
  CheckTransaction(db, item.record);
  return db.AddTransaction(item);
}

std::uint32_t EditTransactionCmd(CDataBase& db, const Json& input) {
  CTransactionItem item;
  db.GetTransaction(EditedId(input, db.Transactions(), "transaction"), item);
  ReadTransaction(input, item.record, item.description, item.comment, {{"id", [](const Json&) {}}});
  CheckTransaction(db, item.record);
  return db.EditTransaction(item) ? item.id : 0;
}

std::uint32_t AddPlannedCmd(CDataBase& db, const Json& input) {
  CPlnTransactionItem item;
  ReadTransaction(input, item.record.transaction, item.description, item.comment,
                  {{"schedule", Schedule(item.record.schedule)}});
  CheckTransaction(db, item.record.transaction);
  CheckSchedule(item.record.schedule);
  return db.AddPlnTransaction(item);
}

std::uint32_t EditPlannedCmd(CDataBase& db, const Json& input) {
  CPlnTransactionItem item;
  db.GetPlnTransaction(EditedId(input, db.PlnTransactions(), "planned transaction"), item);
  ReadTransaction(input, item.record.transaction, item.description, item.comment,
                  {{"id", [](const Json&) {}}, {"schedule", Schedule(item.record.schedule)}});
  CheckTransaction(db, item.record.transaction);
  CheckSchedule(item.record.schedule);
  return db.EditPlnTransaction(item) ? item.id : 0;
}

void ReadAccount(const Json& input, CAccountItem& a, bool adding) {
  AccountRecord& r = a.record;
  ReadFields(input,
             {{"id", [](const Json&) {}},
              {"name", Text(a.name)},
              {"currency", Id(r.currencyId)},
              {"comment", Text(a.comment)},
              {"budget",
               [&r](const Json& v) {
                 if (!v.is_object()) throw CBadInput("wants an object");
                 ReadFields(v, {{"enabled", Flag(r.budgetEnabled)},
                                {"from", Day(r.budgetStart)},
                                {"to", Day(r.budgetEnd)},
                                {"sum", Amount(r.budgetSum)}});
               }}},
             [adding](const std::string& name) { return Refusal(name, adding); });
}

void CheckAccountItem(CDataBase& db, const CAccountItem& a) {
  if (a.name.empty()) throw CBadInput("an account needs a \"name\"");
  if (db.Currencies().Find(a.record.currencyId) == nullptr)
    throw CBadInput("\"currency\": there is no currency " + std::to_string(a.record.currencyId));
}

std::uint32_t AddAccountCmd(CDataBase& db, const Json& input) {
  CAccountItem item;
  ReadAccount(input, item, true);
  CheckAccountItem(db, item);
  return db.AddAccount(item);
}

std::uint32_t EditAccountCmd(CDataBase& db, const Json& input) {
  CAccountItem item;
  db.GetAccount(EditedId(input, db.Accounts(), "account"), item);
  ReadAccount(input, item, false);
  CheckAccountItem(db, item);
  return db.EditAccount(item) ? item.id : 0;
}

void ReadSubType(const Json& input, CSubTypeItem& s, bool adding) {
  ReadFields(input,
             {{"id", [](const Json&) {}},
              {"name", Text(s.name)},
              {"parent", Id(s.record.parentId)},
              {"showQuantity", Flag(s.record.showQuantity)}},
             [adding](const std::string& name) { return Refusal(name, adding); });
  if (s.name.empty()) throw CBadInput("a subtype needs a \"name\"");
}

std::uint32_t AddSubTypeCmd(CDataBase& db, const Json& input) {
  CSubTypeItem item;
  item.record.parentId = 0;
  ReadSubType(input, item, true);
  CheckParent(db, 0, item.record.parentId);
  return db.AddSubType(item);
}

std::uint32_t EditSubTypeCmd(CDataBase& db, const Json& input) {
  CSubTypeItem item;
  db.GetSubType(EditedId(input, db.SubTypes(), "subtype"), item);
  ReadSubType(input, item, false);
  CheckParent(db, item.id, item.record.parentId);
  return db.EditSubType(item) ? item.id : 0;
}

template <class Table>
void CheckExists(Table& table, std::uint32_t id, const char* what) {
  if (table.Find(id) == nullptr)
    throw CBadInput("there is no " + std::string(what) + " " + std::to_string(id));
}

std::uint32_t DeleteAccountCmd(CDataBase& db, std::uint32_t id) {
  CheckExists(db.Accounts(), id, "account");
  std::size_t uses = 0;
  for (auto [tid, t] : db.Transactions())
    uses += t->record.fromAccount == id || t->record.toAccount == id;
  for (auto [pid, p] : db.PlnTransactions())
    uses += p->record.transaction.fromAccount == id || p->record.transaction.toAccount == id;
  if (uses > 0)
    throw CBadInput("account " + std::to_string(id) + " is used by " + std::to_string(uses) +
                    " transactions or planned transactions; delete or move them first");
  return db.DelAccount(id) ? id : 0;
}

using JsonCommand = std::uint32_t (*)(CDataBase&, const Json&);

int Refuse(const std::string& text) {
  std::cerr << "pardow-cli: " << text << "; nothing stored\n";
  return 2;
}

// Opens `file`, makes the change and reports: 0 stored, 1 not, 2 refused.
int Change(const std::string& command, const std::string& file,
           const std::function<std::uint32_t(CDataBase&)>& change) {
  CDataBase db;
  if (int rc = OpenForCommand(db, file)) return rc;
  std::uint32_t id = 0;
  try {
    id = change(db);
  } catch (const CBadInput& e) {
    return Refuse(e.what());
  }
  const bool ok = id != 0 && db.IsOpened();  // a failed write gives the file up
  db.Close();
  if (!ok) {
    std::cerr << "pardow-cli: " << command << ": the change could not be stored\n";
    return 1;
  }
  PrintId(id);
  return 0;
}

}  // namespace

int RunEditCommand(const std::string& command, const std::vector<std::string>& args) {
  static const std::map<std::string, JsonCommand> jsonCommands = {
      {"add-transaction", AddTransactionCmd}, {"edit-transaction", EditTransactionCmd},
      {"add-planned", AddPlannedCmd},         {"edit-planned", EditPlannedCmd},
      {"add-account", AddAccountCmd},         {"edit-account", EditAccountCmd},
      {"add-subtype", AddSubTypeCmd},         {"edit-subtype", EditSubTypeCmd},
  };
  if (auto found = jsonCommands.find(command); found != jsonCommands.end()) {
    if (args.empty() || args.size() > 2)
      return Refuse(command + " wants FILE and a JSON object (or one on standard input)");
    Json input;
    try {
      input = ParseObject(args.size() == 2 ? args[1] : ReadAll(std::cin));
    } catch (const CBadInput& e) {
      return Refuse(e.what());
    }
    return Change(command, args[0], [&](CDataBase& db) { return found->second(db, input); });
  }

  const bool withChildren = args.size() == 3 && args[2] == "--with-children";
  std::function<std::uint32_t(CDataBase&, std::uint32_t)> remove;
  if (command == "delete-transaction") {
    remove = [](CDataBase& db, std::uint32_t id) {
      CheckExists(db.Transactions(), id, "transaction");
      return db.DelTransaction(id) ? id : 0;
    };
  } else if (command == "delete-planned") {
    remove = [](CDataBase& db, std::uint32_t id) {
      CheckExists(db.PlnTransactions(), id, "planned transaction");
      return db.DelPlnTransaction(id) ? id : 0;
    };
  } else if (command == "delete-account") {
    remove = DeleteAccountCmd;
  } else if (command == "delete-subtype") {
    remove = [withChildren](CDataBase& db, std::uint32_t id) {
      CheckExists(db.SubTypes(), id, "subtype");
      return db.DelSubType(id, withChildren) ? id : 0;
    };
  } else {
    return -1;
  }
  if (args.size() != 2 && !(withChildren && command == "delete-subtype"))
    return Refuse(command + " wants FILE and ID" +
                  (command == "delete-subtype" ? " [--with-children]" : ""));
  std::uint32_t id = 0;
  try {
    id = ParseId(args[1]);
  } catch (const CBadInput& e) {
    return Refuse(e.what());
  }
  return Change(command, args[0], [&](CDataBase& db) { return remove(db, id); });
}

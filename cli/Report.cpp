#include "Report.h"

#include <algorithm>
#include <limits>
#include <sstream>
#include <vector>

#include "Json.h"
#include "Textcodec.h"

namespace {

std::string Text(const CDataBase& db, std::uint32_t stringId) {
  return StoredToUtf8(db.GetString(stringId));
}

std::int64_t Int(std::uint32_t n) {
  return static_cast<std::int64_t>(n);
}

void WriteTransactionFields(CJsonWriter& json, const CDataBase& db, std::uint32_t id,
                            const TransactionRecord& t) {
  json.Value("id", Int(id));
  json.Value("date", FormatIsoDate(t.date, true));
  json.Value("from", Int(t.fromAccount));
  json.Value("to", Int(t.toAccount));
  json.Value("amountOut", std::int64_t{t.amountOut});
  json.Value("amountIn", std::int64_t{t.amountIn});
  json.Value("quantity", t.quantity);
  json.Value("member", Int(t.memberId));
  json.Value("category", Int(t.categoryId));
  json.Value("section", Int(t.sectionId));
  json.Value("description", Text(db, t.descriptionId));
  json.Value("comment", Text(db, t.commentId));
}

void WriteSchedule(CJsonWriter& json, const ScheduleRecord& s) {
  json.BeginObject("schedule");
  json.Value("kind", std::int64_t{s.kind});
  json.Value("lastProcessed", FormatIsoDate(s.lastProcessed, true));
  json.Value("onceDate", FormatIsoDate(s.onceDate, true));
  json.Value("period", std::int64_t{s.period});
  json.BeginArray("weekdays");
  for (std::uint8_t flag : s.weekdays) json.Value(nullptr, std::int64_t{flag});
  json.EndArray();
  json.EndObject();
}

void WriteCurrencies(CJsonWriter& json, CDataBase& db) {
  json.BeginArray("currencies");
  for (const CCurrencyItem& c : db.GetCurrencyItems()) {
    json.BeginObject();
    json.Value("id", Int(c.id));
    json.Value("name", StoredToUtf8(c.name));
    json.Value("fullName", StoredToUtf8(c.fullName));
    json.EndObject();
  }
  json.EndArray();
}

void WriteAccounts(CJsonWriter& json, CDataBase& db) {
  json.BeginArray("accounts");
  for (const CAccountItem& a : db.GetAccountItems()) {
    json.BeginObject();
    json.Value("id", Int(a.id));
    json.Value("name", StoredToUtf8(a.name));
    json.Value("currency", Int(a.record.currencyId));
    json.Value("comment", StoredToUtf8(a.comment));
    json.BeginObject("budget");
    json.Value("enabled", a.record.budgetEnabled != 0);
    json.Value("from", FormatIsoDate(a.record.budgetStart, true));
    json.Value("to", FormatIsoDate(a.record.budgetEnd, true));
    json.Value("sum", std::int64_t{a.record.budgetSum});
    json.EndObject();
    json.Value("balance", std::int64_t{a.balance});
    json.Value("plannedIn", std::int64_t{a.plannedIn});
    json.Value("plannedOut", std::int64_t{a.plannedOut});
    json.Value("budgetUsed", std::int64_t{a.budgetUsed});
    json.EndObject();
  }
  json.EndArray();
}

void WriteSubTypes(CJsonWriter& json, CDataBase& db) {
  json.BeginArray("subtypes");
  for (auto [id, entry] : db.SubTypes()) {
    json.BeginObject();
    json.Value("id", Int(id));
    json.Value("name", Text(db, entry->record.nameId));
    json.Value("parent", Int(entry->record.parentId));
    json.Value("showQuantity", entry->record.showQuantity != 0);
    json.EndObject();
  }
  json.EndArray();
}

void WriteRates(CJsonWriter& json, CDataBase& db) {
  json.BeginArray("rates");
  for (const auto& [pair, value] : db.GetExchangeRateItems()) {
    json.BeginObject();
    json.Value("a", Int(pair.lower));
    json.Value("b", Int(pair.higher));
    json.Value("rate", db.GetExchangeRate(pair.lower, pair.higher));
    json.EndObject();
  }
  json.EndArray();
}

void WritePlanned(CJsonWriter& json, CDataBase& db) {
  json.BeginArray("planned");
  for (auto [id, entry] : db.PlnTransactions()) {
    json.BeginObject();
    WriteTransactionFields(json, db, id, entry->record.transaction);
    WriteSchedule(json, entry->record.schedule);
    json.EndObject();
  }
  json.EndArray();
}

// Width of a UTF-8 text in characters (continuation bytes do not count).
std::size_t Width(const std::string& text) {
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

std::string PadRight(const std::string& text, std::size_t width) {
  std::size_t w = Width(text);
  return text + std::string(w < width ? width - w : 0, ' ');
}

std::string PadLeft(const std::string& text, std::size_t width) {
  std::size_t w = Width(text);
  return std::string(w < width ? width - w : 0, ' ') + text;
}

// The currency the total is shown in: the selected one of the list sorted by
// full name, the first when the selection is out of range; none (id 0) when
// the database has no currency.
CCurrencyItem BaseCurrency(CDataBase& db) {
  const TCurrencyItems& currencies = db.GetCurrencyItems();
  if (currencies.empty()) return CCurrencyItem();
  std::int32_t selected = db.GetSelectedCurrency();
  if (selected < 0 || static_cast<std::size_t>(selected) >= currencies.size()) selected = 0;
  return currencies[static_cast<std::size_t>(selected)];
}

}  // namespace

std::string DumpJson(CDataBase& db) {
  CJsonWriter json;
  json.BeginObject();
  json.Value("version", std::int64_t{db.GetVersion()});
  json.Value("nextItemId", Int(db.GetNextItemId()));
  json.Value("nextStringId", Int(db.GetNextStringId()));
  json.BeginObject("interval");
  json.Value("begin", FormatIsoDate(db.GetIntervalBegin(), true));
  json.Value("end", FormatIsoDate(db.GetIntervalEnd(), true));
  json.EndObject();
  json.Value("selectedAccount", std::int64_t{db.GetSelectedAccount()});
  json.Value("selectedCurrency", std::int64_t{db.GetSelectedCurrency()});
  json.Value("password", StoredToUtf8(db.GetPassword()));
  WriteCurrencies(json, db);
  WriteAccounts(json, db);
  WriteSubTypes(json, db);
  WriteRates(json, db);
  WriteTransactionsAfter(json, "transactions", db, 0);
  WritePlanned(json, db);
  json.EndObject();
  return json.Text();
}

void WriteTransactionsAfter(CJsonWriter& json, const char* key, CDataBase& db,
                            std::uint32_t afterId) {
  json.BeginArray(key);
  for (auto [id, entry] : db.Transactions()) {
    if (id <= afterId) continue;
    json.BeginObject();
    WriteTransactionFields(json, db, id, entry->record);
    json.EndObject();
  }
  json.EndArray();
}

void WriteTransactions(CJsonWriter& json, const char* key, CDataBase& db,
                       const std::vector<std::uint32_t>& ids) {
  json.BeginArray(key);
  for (std::uint32_t id : ids) {
    const auto entry = db.Transactions().Find(id);
    if (entry == nullptr) continue;
    json.BeginObject();
    WriteTransactionFields(json, db, id, entry->record);
    json.EndObject();
  }
  json.EndArray();
}

std::uint32_t LastTransactionId(CDataBase& db) {
  std::uint32_t last = 0;
  for (auto [id, entry] : db.Transactions()) last = std::max(last, id);
  return last;
}

std::string PlainMoney(Money amount) {
  // Work on the magnitude as unsigned so that the most negative amount does
  // not overflow.
  const bool negative = amount < 0;
  std::uint64_t magnitude =
      negative ? 0 - static_cast<std::uint64_t>(amount) : static_cast<std::uint64_t>(amount);
  std::uint64_t cents = magnitude / 100 + (magnitude % 100 >= 50 ? 1 : 0);
  std::string fraction = std::to_string(cents % 100);
  if (fraction.size() < 2) fraction.insert(0, "0");
  std::string text = std::to_string(cents / 100) + "." + fraction;
  return negative && cents != 0 ? "-" + text : text;
}

std::string BalanceTable(CDataBase& db) {
  const CCurrencyItem base = BaseCurrency(db);
  // Currency symbols by id, for the table's currency column.
  std::vector<std::pair<std::uint32_t, std::string>> symbols;
  for (const CCurrencyItem& c : db.GetCurrencyItems())
    symbols.emplace_back(c.id, StoredToUtf8(c.name));
  auto symbolOf = [&](std::uint32_t id) {
    for (const auto& [cid, symbol] : symbols)
      if (cid == id) return symbol;
    return std::string("?");
  };

  std::vector<std::vector<std::string>> rows;
  rows.push_back({"Account", "Currency", "Balance", "Planned in", "Planned out", "Budget used"});
  // Amounts of a damaged file may be anywhere in the range of Money: the
  // total is summed wide and clamped.
  WideMoney total = 0;
  for (const CAccountItem& a : db.GetAccountItems()) {
    std::string budget = "-";
    if (a.record.budgetEnabled != 0)
      budget = PlainMoney(a.budgetUsed) + " of " + PlainMoney(a.record.budgetSum);
    rows.push_back({StoredToUtf8(a.name), symbolOf(a.record.currencyId), PlainMoney(a.balance),
                    PlainMoney(a.plannedIn), PlainMoney(a.plannedOut), budget});
    const double rate = db.GetExchangeRate(a.record.currencyId, base.id);
    total += ConvertAmount(a.balance, rate);
  }
  std::vector<std::size_t> widths(rows[0].size(), 0);
  for (const auto& row : rows)
    for (std::size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], Width(row[c]));

  std::ostringstream out;
  out << "Interval: " << FormatIsoDate(db.GetIntervalBegin()) << " - "
      << FormatIsoDate(db.GetIntervalEnd()) << "\n\n";
  for (const auto& row : rows) {
    out << PadRight(row[0], widths[0]) << "  " << PadRight(row[1], widths[1]);
    for (std::size_t c = 2; c < row.size(); ++c) out << "  " << PadLeft(row[c], widths[c]);
    out << "\n";
  }
  out << "\nTotal";
  if (base.id != 0)
    out << " in " << StoredToUtf8(base.fullName) << " (" << StoredToUtf8(base.name) << ")";
  out << ": " << PlainMoney(ClampMoney(total)) << "\n";
  return out.str();
}

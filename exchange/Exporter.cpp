// Writing transactions as delimited text and as a ledger journal.
#include "Exporter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <map>
#include <set>

#include "Delimited.h"
#include "SubTypePaths.h"
#include "Textcodec.h"

namespace {

constexpr std::array<const char*, kExportFieldCount> kFieldNames{
    "Date",          "Description", "Quantity", "Sum",      "Price",     "Notes",      "Category",
    "Family member", "Section",     "Account",  "Currency", "Amount in", "Currency in"};

// An amount with two to four decimals: 12.50, 1.2345, -3.00.
std::string AmountText(Money amount, const std::string& decimal) {
  const bool negative = amount < 0;
  const std::uint64_t magnitude =
      negative ? 0 - static_cast<std::uint64_t>(amount) : static_cast<std::uint64_t>(amount);
  std::string fraction = std::to_string(magnitude % 10000);
  fraction.insert(0, 4 - fraction.size(), '0');
  while (fraction.size() > 2 && fraction.back() == '0') fraction.pop_back();
  return (negative ? "-" : "") + std::to_string(magnitude / 10000) + decimal + fraction;
}

Money QuantityMoney(float quantity) {
  const double q = std::round(static_cast<double>(quantity) * kMoneyOne);
  return std::isfinite(q) && std::fabs(q) < 9e18 ? static_cast<Money>(q) : 0;
}

// The account names by id (UTF-8).
std::map<std::uint32_t, std::string> AccountNames(CDataBase& db) {
  std::map<std::uint32_t, std::string> names;
  for (auto [id, entry] : db.Accounts())
    names[id] = StoredToUtf8(db.GetString(entry->record.nameId));
  return names;
}

// The currency of each account by account id, as a short name (the full
// name when the short one is empty); no entry for an account whose currency
// does not exist.
std::map<std::uint32_t, std::string> AccountCurrencies(CDataBase& db) {
  std::map<std::uint32_t, std::string> symbols;
  for (auto [id, entry] : db.Accounts()) {
    const auto* currency = db.Currencies().Find(entry->record.currencyId);
    if (currency == nullptr) continue;
    const std::string shortName = db.GetString(currency->record.nameId);
    symbols[id] =
        StoredToUtf8(shortName.empty() ? db.GetString(currency->record.fullNameId) : shortName);
  }
  return symbols;
}

std::string Lookup(const std::map<std::uint32_t, std::string>& names, std::uint32_t id) {
  auto it = names.find(id);
  return it != names.end() ? it->second : std::string();
}

std::string NameOr(const std::map<std::uint32_t, std::string>& names, std::uint32_t id) {
  auto it = names.find(id);
  return it != names.end() ? it->second : "Account " + std::to_string(id);
}

}  // namespace

const char* ExportFieldName(EExportField field) {
  const auto i = static_cast<std::size_t>(field);
  return i < kFieldNames.size() ? kFieldNames[i] : "";
}

std::vector<std::uint32_t> SelectForExport(CDataBase& db, const CExportOptions& options) {
  const CSubTypePaths paths(db);
  std::vector<std::pair<std::int64_t, std::uint32_t>> picked;  // (day, id)
  const Date begin = WholeDay(options.begin), end = WholeDay(options.end);
  for (auto [id, entry] : db.Transactions()) {
    const TransactionRecord t = entry->record;
    const Date day = WholeDay(t.date);
    if (day < begin || day > end) continue;
    if (options.kind == EExportKind::kExpenses && !IsExpense(t)) continue;
    if (options.kind == EExportKind::kIncomes && !IsIncome(t)) continue;
    if (options.account != 0 && t.fromAccount != options.account && t.toAccount != options.account)
      continue;
    if (options.category != 0 &&
        !(options.withSubcategories ? paths.IsWithin(t.categoryId, options.category)
                                    : t.categoryId == options.category))
      continue;
    picked.emplace_back(static_cast<std::int64_t>(day), id);
  }
  std::sort(picked.begin(), picked.end());
  std::vector<std::uint32_t> ids;
  ids.reserve(picked.size());
  for (const auto& p : picked) ids.push_back(p.second);
  return ids;
}

bool WriteDelimited(CDataBase& db, const CExportOptions& options, std::ostream& out) {
  const CSubTypePaths paths(db);
  const auto accounts = AccountNames(db);
  const auto currencies = AccountCurrencies(db);
  const std::string decimal = options.pointDecimal ? "." : options.regional.decimalSeparator;
  const char sep = options.separator;
  auto endRow = [&](std::string& row) {
    row += "\r\n";
    out.write(row.data(), static_cast<std::streamsize>(row.size()));
    row.clear();
  };
  std::string row;
  for (std::size_t i = 0; i < options.fields.size(); ++i)
    row += (i ? std::string(1, sep) : "") + QuoteField(ExportFieldName(options.fields[i]), sep);
  endRow(row);
  for (std::uint32_t id : SelectForExport(db, options)) {
    const TransactionRecord t = db.Transactions().Find(id)->record;
    // Money out of the account (or of the `from` account) is negative.
    const bool in = IsIncome(t) || (IsTransfer(t) && options.account != 0 &&
                                    t.toAccount == options.account && t.fromAccount != t.toAccount);
    const Money sum = in ? t.amountIn : (t.amountOut == INT64_MIN ? INT64_MAX : -t.amountOut);
    const Money quantity = QuantityMoney(t.quantity);
    for (std::size_t i = 0; i < options.fields.size(); ++i) {
      if (i) row += sep;
      std::string cell;
      switch (options.fields[i]) {
        case EExportField::kDate:
          cell = options.isoDates ? FormatIsoDate(t.date) : FormatShortDate(t.date);
          break;
        case EExportField::kDescription:
          cell = StoredToUtf8(db.GetString(t.descriptionId));
          break;
        case EExportField::kQuantity:
          cell = AmountText(quantity, decimal);
          break;
        case EExportField::kSum:
          cell = AmountText(sum, decimal);
          break;
        case EExportField::kPrice:
          cell = AmountText(MulDivOrZero(sum, kMoneyOne, quantity), decimal);
          break;
        case EExportField::kNotes:
          cell = StoredToUtf8(db.GetString(t.commentId));
          break;
        case EExportField::kCategory:
          cell = paths.PathOf(t.categoryId);
          break;
        case EExportField::kMember:
          cell = paths.PathOf(t.memberId);
          break;
        case EExportField::kSection:
          cell = paths.PathOf(t.sectionId);
          break;
        case EExportField::kAccount:
          cell = IsTransfer(t)
                     ? NameOr(accounts, t.fromAccount) + " > " + NameOr(accounts, t.toAccount)
                     : NameOr(accounts, IsExpense(t) ? t.fromAccount : t.toAccount);
          break;
        case EExportField::kCurrency:
          cell = Lookup(currencies, in ? t.toAccount : t.fromAccount);
          break;
        case EExportField::kAmountIn:
          if (IsTransfer(t)) cell = AmountText(t.amountIn, decimal);
          break;
        case EExportField::kCurrencyIn:
          if (IsTransfer(t)) cell = Lookup(currencies, t.toAccount);
          break;
      }
      row += QuoteField(cell, sep);
    }
    endRow(row);
  }
  out.flush();
  return static_cast<bool>(out);
}

// ---- The journal ----

namespace {

// A name part a journal reads back as one part: no ':' (it separates
// parts), no ';' (it starts a comment), no line breaks or tabs, no doubled
// blanks (they end an account name).
std::string JournalPart(std::string_view name) {
  std::string out;
  for (char c : name) {
    if (c == ':') c = '-';
    if (c == ';') c = ',';
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    if (c == ' ' && (out.empty() || out.back() == ' ')) continue;
    out += c;
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out.empty() ? "Unnamed" : out;
}

// A description for the transaction line: one line, no comment mark.
std::string JournalDescription(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\n' || c == '\r' || c == '\t') c = ' ';
    if (c == ';') c = ',';
    out += c;
  }
  return out;
}

class CJournalWriter {
 public:
  CJournalWriter(CDataBase& db, std::ostream& out) : db_(db), out_(out), paths_(db) {
    std::set<std::string> usedAccounts, usedSymbols;
    std::map<std::uint32_t, std::string> symbols;
    for (auto [id, entry] : db.Currencies()) {
      std::string symbol;
      for (char c : StoredToUtf8(db.GetString(entry->record.nameId)))
        if (c != '"' && c != '\n' && c != '\r') symbol += c;
      if (symbol.empty() || !usedSymbols.insert(symbol).second) {
        symbol += "#" + std::to_string(id);
        usedSymbols.insert(symbol);
      }
      commodities_[id] = "\"" + symbol + "\"";
    }
    for (auto [id, entry] : db.Accounts()) {
      std::string name = "Assets:" + JournalPart(StoredToUtf8(db.GetString(entry->record.nameId)));
      if (!usedAccounts.insert(name).second) name += " #" + std::to_string(id);
      accounts_[id] = {name, entry->record.currencyId};
    }
  }

  void Write(const TransactionRecord& t) {
    out_ << FormatIsoDate(t.date) << " * "
         << JournalDescription(StoredToUtf8(db_.GetString(t.descriptionId))) << "\n";
    const std::string notes = StoredToUtf8(db_.GetString(t.commentId));
    std::size_t start = 0;
    while (start < notes.size()) {
      const std::size_t end = std::min(notes.find_first_of("\r\n", start), notes.size());
      if (end > start) out_ << "    ; " << notes.substr(start, end - start) << "\n";
      start = end + 1;
    }
    if (IsExpense(t)) {
      const std::string c = CommodityOf(t.fromAccount);
      Posting(Subtype(t.categoryId, "Expenses"), t.amountOut, c);
      Posting(AccountOf(t.fromAccount), Negated(t.amountOut), c);
    } else if (IsIncome(t)) {
      const std::string c = CommodityOf(t.toAccount);
      Posting(AccountOf(t.toAccount), t.amountIn, c);
      Posting(Subtype(t.categoryId, "Income"), Negated(t.amountIn), c);
    } else {
      WriteTransfer(t);
    }
    out_ << "\n";
  }

 private:
  struct Account {
    std::string name;
    std::uint32_t currency = 0;
  };

  static Money Negated(Money m) { return m == INT64_MIN ? INT64_MAX : -m; }

  std::string AccountOf(std::uint32_t id) const {
    auto it = accounts_.find(id);
    return it != accounts_.end() ? it->second.name : "Assets:Account " + std::to_string(id);
  }
  std::string CommodityOf(std::uint32_t account) const {
    auto it = accounts_.find(account);
    if (it == accounts_.end()) return "\"?\"";
    auto c = commodities_.find(it->second.currency);
    return c != commodities_.end() ? c->second : "\"?\"";
  }
  std::string Subtype(std::uint32_t id, const char* top) const {
    std::string name = top;
    const auto parts = paths_.PartsOf(id);
    if (parts.empty()) return name + ":Uncategorized";
    for (const std::string& part : parts) name += ":" + JournalPart(part);
    return name;
  }
  void Posting(const std::string& account, Money amount, const std::string& commodity,
               const std::string& price = "") {
    out_ << "    " << account << "  " << AmountText(amount, ".") << " " << commodity << price
         << "\n";
  }
  void WriteTransfer(const TransactionRecord& t) {
    const std::string from = CommodityOf(t.fromAccount), to = CommodityOf(t.toAccount);
    if (from != to) {
      // The amount that arrived, priced at the amount that left.
      Posting(AccountOf(t.toAccount), t.amountIn, to,
              " @@ " + AmountText(t.amountOut < 0 ? Negated(t.amountOut) : t.amountOut, ".") + " " +
                  from);
      Posting(AccountOf(t.fromAccount), Negated(t.amountOut), from);
      return;
    }
    Posting(AccountOf(t.toAccount), t.amountIn, to);
    Posting(AccountOf(t.fromAccount), Negated(t.amountOut), from);
    if (t.amountIn != t.amountOut)  // keeps the entry balanced as stored
      Posting("Equity:Transfer differences", t.amountOut - t.amountIn, from);
  }

  CDataBase& db_;
  std::ostream& out_;
  CSubTypePaths paths_;
  std::map<std::uint32_t, std::string> commodities_;
  std::map<std::uint32_t, Account> accounts_;
};

}  // namespace

bool WriteJournal(CDataBase& db, Date begin, Date end, std::uint32_t account, std::ostream& out) {
  CExportOptions options;
  options.kind = EExportKind::kAll;
  options.account = account;
  options.begin = begin > end ? -1e9 : begin;
  options.end = begin > end ? 1e9 : end;
  out << "; Pardow journal of " << db.GetFileName() << "\n\n";
  CJournalWriter writer(db, out);
  for (std::uint32_t id : SelectForExport(db, options))
    writer.Write(db.Transactions().Find(id)->record);
  out.flush();
  return static_cast<bool>(out);
}

namespace {

// A name as QIF can hold it: ':' separates categories, '/' a class and
// brackets mark an account, so inside a name they become '-' and '()'; a
// line break would end the field.
std::string QifName(std::string_view name) {
  std::string out;
  for (char c : name) {
    if (c == ':' || c == '/') c = '-';
    if (c == '[') c = '(';
    if (c == ']') c = ')';
    if (c == '\n' || c == '\r' || c == '\t') c = ' ';
    out += c;
  }
  return out.empty() ? "Unnamed" : out;
}

// A free text on one line.
std::string QifText(std::string text) {
  std::replace_if(
      text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
  return text;
}

std::string QifDate(Date date) {
  const CivilDate day = DecodeDate(date);
  char text[16];
  std::snprintf(text, sizeof text, "%02u/%02u/%04d", day.month, day.day, day.year);
  return text;
}

}  // namespace

bool WriteQif(CDataBase& db, Date begin, Date end, std::uint32_t account, std::ostream& out) {
  CExportOptions options;
  options.kind = EExportKind::kAll;
  options.begin = begin > end ? -1e9 : begin;
  options.end = begin > end ? 1e9 : end;
  const CSubTypePaths paths(db);
  std::map<std::uint32_t, std::string> names = AccountNames(db);
  std::set<std::string> used;
  for (auto& [id, name] : names) {
    name = QifName(name);
    if (!used.insert(name).second) name += " #" + std::to_string(id);
  }
  const auto pathOf = [&](std::uint32_t id) {
    std::string path;
    for (const std::string& part : paths.PartsOf(id))
      path += (path.empty() ? "" : ":") + QifName(part);
    return path;
  };
  const std::vector<std::uint32_t> ids = SelectForExport(db, options);
  // The lists first: the accounts, and the categories the transactions use.
  out << "!Option:AutoSwitch\n!Account\n";
  for (const auto& [id, name] : names)
    if (account == 0 || id == account) out << "N" << name << "\nTBank\n^\n";
  out << "!Clear:AutoSwitch\n";
  std::map<std::string, bool> categories;  // path -> income
  for (std::uint32_t id : ids) {
    const TransactionRecord t = db.Transactions().Find(id)->record;
    if ((IsExpense(t) || IsIncome(t)) && t.categoryId != 0)
      categories.emplace(pathOf(t.categoryId), IsIncome(t));
  }
  if (!categories.empty()) {
    out << "!Type:Cat\n";
    for (const auto& [path, income] : categories)
      out << "N" << path << "\n" << (income ? "I" : "E") << "\n^\n";
  }
  for (const auto& [id, name] : names) {
    if (account != 0 && id != account) continue;
    out << "!Account\nN" << name << "\nTBank\n^\n!Type:Bank\n";
    for (std::uint32_t tid : ids) {
      const TransactionRecord t = db.Transactions().Find(tid)->record;
      const bool from = t.fromAccount == id, to = t.toAccount == id;
      if (!from && !to) continue;
      out << "D" << QifDate(t.date) << "\nT" << AmountText(from ? -t.amountOut : t.amountIn, ".")
          << "\n";
      if (const std::string payee = QifText(StoredToUtf8(db.GetString(t.descriptionId)));
          !payee.empty())
        out << "P" << payee << "\n";
      if (const std::string memo = QifText(StoredToUtf8(db.GetString(t.commentId))); !memo.empty())
        out << "M" << memo << "\n";
      if (IsExpense(t) || IsIncome(t)) {
        if (t.categoryId != 0) out << "L" << pathOf(t.categoryId) << "\n";
      } else {
        const auto other = names.find(from ? t.toAccount : t.fromAccount);
        out << "L[" << (other != names.end() ? other->second : "Unnamed") << "]\n";
      }
      out << "^\n";
    }
  }
  out.flush();
  return static_cast<bool>(out);
}

bool WriteFileAtomically(const std::string& path, const std::function<bool(std::ostream&)>& write,
                         std::string& error) {
  std::string temp = path + ".XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) {
    error = path + ": " + std::strerror(errno);
    return false;
  }
  ::fchmod(fd, 0644);
  bool ok = false;
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    ok = out && write(out);
    out.close();
    ok = ok && !out.fail();
  }
  if (!ok) error = path + ": the file could not be written";
  if (ok && ::fdatasync(fd) != 0) {
    ok = false;
    error = path + ": " + std::strerror(errno);
  }
  ::close(fd);
  if (ok && ::rename(temp.c_str(), path.c_str()) != 0) {
    ok = false;
    error = path + ": " + std::strerror(errno);
  }
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

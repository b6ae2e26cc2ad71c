// Storing another program's books in a new database.
#include "Convert.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>

#include "BankCheck.h"
#include "Companion.h"
#include "Filestream.h"
#include "GnuCash.h"
#include "HomeBank.h"
#include "Platform.h"
#include "SubTypePaths.h"

namespace {

const std::string& CurrencyOf(const CForeignAccount& account, const CConvertOptions& options) {
  return account.currency.empty() ? options.currency : account.currency;
}

// Every account's balance as the source implies it.
std::map<std::string, Money> SourceBalances(const CForeignBook& book) {
  std::map<std::string, Money> balance;
  for (const CForeignAccount& account : book.accounts) balance[account.name] = account.opening;
  for (const CForeignTransaction& t : book.transactions)
    for (const CForeignLine& line : t.lines) {
      balance[t.account] += line.amount;
      if (!line.transferAccount.empty()) balance[line.transferAccount] += line.counterAmount;
    }
  return balance;
}

// "no. 12 · weekly shop · split 2 of 3 of 'Market'": what a stored
// transaction's comment keeps of the source.
std::string CommentOf(const CForeignTransaction& t, std::size_t line) {
  std::string comment;
  const auto add = [&](const std::string& part) {
    if (!part.empty()) comment += (comment.empty() ? "" : " \u00B7 ") + part;
  };
  if (!t.number.empty()) add("no. " + t.number);
  // The description holds the payee; a memo without a payee is the description.
  if (!t.payee.empty()) add(t.memo);
  if (t.lines.size() > 1) {
    add(t.lines[line].memo);
    add("split " + std::to_string(line + 1) + " of " + std::to_string(t.lines.size()) + " of '" +
        (t.payee.empty() ? t.memo : t.payee) + "'");
  }
  return comment;
}

class CStorer {
 public:
  CStorer(CDataBase& db, const CForeignBook& book, const CConvertOptions& options)
      : db_(db), book_(book), options_(options), paths_(db) {}
  // False with the reason in `error`.
  bool Store(std::string& error, std::size_t& stored);
  const std::map<std::string, std::uint32_t>& Accounts() const { return accounts_; }
  std::size_t Planned() const { return planned_; }

 private:
  std::uint32_t CurrencyId(const std::string& code);
  bool Append(std::string& error, std::size_t& stored);
  // The record of one line of `t` (its kind, accounts, amounts, category).
  bool Record(const CForeignTransaction& t, const CForeignLine& line, TransactionRecord& r,
              std::string& error);

  CDataBase& db_;
  const CForeignBook& book_;
  const CConvertOptions& options_;
  CSubTypePaths paths_;
  std::map<std::string, std::uint32_t> currencies_, accounts_;
  std::vector<std::uint32_t> created_;
  std::vector<TransactionRecord> records_;
  std::vector<std::array<std::string, 2>> texts_;
  std::size_t planned_ = 0;
};

std::uint32_t CStorer::CurrencyId(const std::string& code) {
  if (auto it = currencies_.find(code); it != currencies_.end()) return it->second;
  // A new database holds the dollar and the euro already.
  std::uint32_t id = code == "USD" ? 101 : code == "EUR" ? 102 : 0;
  if (id == 0) {
    CCurrencyItem item;
    item.name = code;
    item.fullName = code;
    id = db_.AddCurrency(item);
  }
  if (id != 0) currencies_[code] = id;
  return id;
}

bool CStorer::Append(std::string& error, std::size_t& stored) {
  if (records_.empty()) return true;
  std::vector<std::uint32_t> ids;
  if (!db_.AppendTransactions(records_, texts_, ids)) {
    error = "the transactions could not be stored: " + db_.GetLastWriteError();
    return false;
  }
  stored += ids.size();
  records_.clear();
  texts_.clear();
  return true;
}

bool CStorer::Store(std::string& error, std::size_t& stored) {
  const auto failed = [&](const std::string& what) {
    const std::string reason = db_.GetLastWriteError();
    error = what + (reason.empty() ? "" : ": " + reason);
    return false;
  };
  // The new file's own "Cash" account is not one of the book's.
  if (db_.Accounts().Find(103) != nullptr && !db_.DelAccount(103))
    return failed("the new database could not be prepared");
  for (const CForeignAccount& account : book_.accounts) {
    CAccountItem item;
    item.name = account.name;
    item.comment = account.description;
    item.record.currencyId = CurrencyId(CurrencyOf(account, options_));
    if (item.record.currencyId == 0) return failed("the currency of '" + account.name + "'");
    const std::uint32_t id = db_.AddAccount(item);
    if (id == 0) return failed("the account '" + account.name + "' could not be stored");
    accounts_[account.name] = id;
  }
  // The source's exchange rates between the currencies of its accounts.
  for (const CForeignRate& rate : book_.rates) {
    auto from = currencies_.find(rate.from), to = currencies_.find(rate.to);
    if (from != currencies_.end() && to != currencies_.end() && from->second != to->second &&
        !db_.SetExchangeRate(from->second, to->second, rate.rate))
      return failed("the exchange rate of " + rate.from + " in " + rate.to +
                    " could not be stored");
  }
  // Categories in the source's order, each under the root of its kind.
  for (const CForeignCategory& category : book_.categories)
    if (paths_.Create(db_, category.income ? kIncomeRoot : kExpenseRoot, category.path, created_) ==
            0 &&
        !CSubTypePaths::Split(category.path).empty())
      return failed("the category '" + category.path + "' could not be stored");
  // Opening balances: an income (or expense) on the account's first day.
  std::map<std::string, Date> firstDay;
  for (const CForeignTransaction& t : book_.transactions) {
    for (const CForeignLine& line : t.lines)
      for (const std::string* name : {&t.account, &line.transferAccount})
        if (!name->empty()) {
          auto [it, added] = firstDay.emplace(*name, t.date);
          if (!added) it->second = std::min(it->second, t.date);
        }
  }
  for (const CForeignAccount& account : book_.accounts) {
    if (account.opening == 0) continue;
    TransactionRecord r;
    auto day = firstDay.find(account.name);
    r.date = account.openingDate != 0 ? account.openingDate
             : day != firstDay.end()  ? day->second
                                      : Today();
    const std::uint32_t id = accounts_[account.name];
    (account.opening > 0 ? r.toAccount : r.fromAccount) = id;
    r.amountOut = r.amountIn = account.opening > 0 ? account.opening : -account.opening;
    records_.push_back(r);
    texts_.push_back({"Opening balance", ""});
  }
  constexpr std::size_t kChunk = 4096;
  for (const CForeignTransaction& t : book_.transactions) {
    for (std::size_t i = 0; i < t.lines.size(); ++i) {
      TransactionRecord r;
      if (!Record(t, t.lines[i], r, error)) return false;
      records_.push_back(r);
      texts_.push_back({t.payee.empty() ? t.memo : t.payee, CommentOf(t, i)});
      if (records_.size() == kChunk && !Append(error, stored)) return false;
    }
  }
  if (!Append(error, stored)) return false;
  // Schedules start after today: what fell due before is the source's to
  // post, not a backlog for the first start.
  const Date today = WholeDay(Today());
  for (const CForeignPlanned& p : book_.planned) {
    CPlnTransactionItem item;
    if (!Record(p.transaction, p.transaction.lines.front(), item.record.transaction, error))
      return false;
    item.description = p.transaction.payee.empty() ? p.transaction.memo : p.transaction.payee;
    item.comment = CommentOf(p.transaction, 0);
    ScheduleRecord& schedule = item.record.schedule;
    const CivilDate next = DecodeDate(p.transaction.date);
    if (p.everyDays > 0) {
      Date first = WholeDay(p.transaction.date);
      if (first <= today) first += std::ceil((today + 1 - first) / p.everyDays) * p.everyDays;
      schedule.kind = kScheduleEveryNDays;
      schedule.period = static_cast<std::uint16_t>(p.everyDays);
      schedule.lastProcessed = first - p.everyDays;
    } else {
      // The month of the next occurrence after today, in steps of the period.
      int year = next.year, month = static_cast<int>(next.month);
      const auto dayIn = [&](int y, int m) {
        return std::min(next.day, DaysInMonth(y, static_cast<unsigned>(m)));
      };
      while (EncodeDate(year, static_cast<unsigned>(month), dayIn(year, month)) <= today) {
        month += p.everyMonths;
        year += (month - 1) / 12;
        month = (month - 1) % 12 + 1;
      }
      schedule.kind = kScheduleMonthly;
      schedule.period = static_cast<std::uint16_t>(next.day + 50 * p.everyMonths);
      schedule.lastProcessed = EncodeDate(year, static_cast<unsigned>(month), 1) - 1;
    }
    if (db_.AddPlnTransaction(item) == 0)
      return failed("the planned transaction '" + item.description + "' could not be stored");
    ++planned_;
  }
  return true;
}

bool CStorer::Record(const CForeignTransaction& t, const CForeignLine& line, TransactionRecord& r,
                     std::string& error) {
  const std::uint32_t account = accounts_[t.account];
  r.date = t.date;
  if (!line.transferAccount.empty()) {
    const std::uint32_t other = accounts_[line.transferAccount];
    const bool out = line.amount < 0 || (line.amount == 0 && line.counterAmount > 0);
    r.fromAccount = out ? account : other;
    r.toAccount = out ? other : account;
    r.amountOut = out ? -line.amount : -line.counterAmount;
    r.amountIn = out ? line.counterAmount : line.amount;
    return true;
  }
  const bool expense = line.amount <= 0;
  (expense ? r.fromAccount : r.toAccount) = account;
  r.amountOut = r.amountIn = expense ? -line.amount : line.amount;
  // A category of the other kind (a refund to an expense category, a
  // correction of an income) gets a namesake under this kind's root.
  if (CSubTypePaths::Split(line.category).empty()) return true;
  r.categoryId = paths_.Create(db_, expense ? kExpenseRoot : kIncomeRoot, line.category, created_);
  if (r.categoryId != 0) return true;
  const std::string reason = db_.GetLastWriteError();
  error = "the category '" + line.category + "' could not be stored" +
          (reason.empty() ? "" : ": " + reason);
  return false;
}

}  // namespace

std::string MissingAccount(const CForeignBook& book) {
  std::set<std::string> held;
  for (const CForeignAccount& account : book.accounts) held.insert(account.name);
  std::string missing;
  const auto look = [&](const CForeignTransaction& t) {
    for (const CForeignLine& line : t.lines)
      for (const std::string* name : {&t.account, &line.transferAccount})
        if (missing.empty() && !name->empty() && held.count(*name) == 0) missing = *name;
  };
  for (const CForeignTransaction& t : book.transactions) look(t);
  for (const CForeignPlanned& p : book.planned) look(p.transaction);
  return missing;
}

CForeignRead ReadForeignBook(std::string_view bytes, const CQifOptions& qif) {
  if (LooksLikeHomeBank(bytes)) return ReadHomeBank(bytes);
  if (LooksLikeGnuCash(bytes)) return ReadGnuCash(bytes);
  return ReadQif(bytes, qif);
}

CConvertSummary SummarizeBook(const CForeignBook& book, const CConvertOptions& options) {
  CConvertSummary summary;
  const std::map<std::string, Money> balance = SourceBalances(book);
  for (const CForeignAccount& account : book.accounts)
    summary.accounts.push_back(
        {account.name, CurrencyOf(account, options), balance.at(account.name), 0});
  summary.categories = book.categories.size();
  for (const CForeignTransaction& t : book.transactions) summary.transactions += t.lines.size();
  for (const CForeignAccount& account : book.accounts) summary.transactions += account.opening != 0;
  summary.planned = book.planned.size();
  summary.notImported = GroupNotes(book.notImported);
  return summary;
}

CConvertResult ConvertBook(const CForeignBook& book, const std::string& path,
                           const CConvertOptions& options) {
  CConvertResult result;
  if (FileExists(path)) {
    result.error = path + " exists; it is left as it is";
    return result;
  }
  if (const std::string missing = MissingAccount(book); !missing.empty()) {
    result.error = "the book names an account it does not hold: " + missing;
    return result;
  }
  CDataBase db;
  std::string error;
  try {
    db.Create(path);
  } catch (const CFileError& e) {
    result.error = std::string("the new database could not be made: ") + e.what();
  }
  if (result.error.empty() && !db.IsOpened())
    result.error = "the new database could not be made: " + path;
  if (!result.error.empty()) {
    std::remove(path.c_str());
    return result;
  }
  // A companion file left by a deleted database of that name is not this one's.
  DeleteCompanion(path, error);
  CStorer storer(db, book, options);
  db.BeginBatch();
  const bool stored = storer.Store(error, result.transactions);
  result.planned = storer.Planned();
  const bool synced = db.EndBatch("Convert");
  if (!stored || !synced) {
    result.error = stored ? "the new database could not be synced to the disk" : error;
    db.Close();
    std::remove(path.c_str());
    return result;
  }
  // The balances the source implies beside those stored.
  const CConvertSummary summary = SummarizeBook(book, options);
  bool agree = true;
  for (CAccountCheck check : summary.accounts) {
    check.stored = BooksBalance(db, storer.Accounts().at(check.name), 1e9);
    agree = agree && check.stored == check.source;
    result.checks.push_back(check);
  }
  if (!db.Close()) {
    result.error = "the new database could not be closed: " + db.GetLastWriteError();
    return result;
  }
  result.ok = agree;
  if (!agree) result.error = "the balances stored differ from those of the source";
  return result;
}

// Reading HomeBank files into a foreign book.
#include "HomeBank.h"

#include <charconv>
#include <cmath>
#include <map>
#include <set>

#include "Formats.h"
#include "XmlReading.h"

namespace {

constexpr long kJulianOf18991230 = 693594;  // GLib's day number of 30 Dec 1899

struct CCategory {
  std::string name;
  long parent = 0;
  bool income = false;
};

struct COperation {
  long date = 0, account = 0, destination = 0, payee = 0, category = 0, transferKey = 0;
  long status = 0;  // 3: a reminder, 4: void; HomeBank counts neither in a balance
  std::string amount, memo, info, tags, splitCategories, splitAmounts, splitMemos;
  std::uint32_t line = 0;
  long every = 0, unit = 0;  // of a scheduled one: the step and its unit (day, week, month, year)
};

long Number(const std::string& text) {
  long value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

// HomeBank writes amounts as C doubles ("-38.990000000000002"): the
// nearest ten-thousandth of what it holds.
bool ReadAmount(const std::string& text, Money& out) {
  if (text.empty()) {
    out = 0;
    return true;
  }
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value) ||
      std::fabs(value) > 9e14)
    return false;
  out = static_cast<Money>(std::llround(value * kMoneyOne));
  return true;
}

std::vector<std::string> SplitBars(const std::string& text) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t bar = text.find("||", start);
    parts.push_back(text.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
    if (bar == std::string::npos) break;
    start = bar + 2;
  }
  return parts;
}

class CReader : public CXmlHandler {
 public:
  bool WantsAttributes(const std::string&) const override { return true; }
  void End(const std::string&) override {}
  void Text(std::string_view) override {}
  void Start(const std::string& name, const TXmlAttributes& a, std::uint32_t line) override {
    const auto at = [&](const char* key) -> const std::string& { return AttributeOf(a, key); };
    if (name == "properties") {
      baseCurrency_ = Number(at("curr"));
    } else if (name == "cur") {
      currencies_[Number(at("key"))] = {at("iso"), at("rate")};
    } else if (name == "account") {
      accounts_[Number(at("key"))] = {at("name"), at("type"), Number(at("curr")), at("initial"),
                                      at("notes")};
    } else if (name == "pay") {
      payees_[Number(at("key"))] = at("name");
    } else if (name == "cat") {
      categories_[Number(at("key"))] = {at("name"), Number(at("parent")),
                                        (Number(at("flags")) & 2) != 0};
    } else if (name == "tag") {
      tags_[Number(at("key"))] = at("name");
    } else if (name == "ope" || name == "fav") {
      COperation o;
      o.date = Number(at("date"));
      o.account = Number(at("account"));
      o.destination = Number(at("dst_account"));
      o.payee = Number(at("payee"));
      o.category = Number(at("category"));
      o.transferKey = Number(at("kxfer"));
      o.status = Number(at("st"));
      o.amount = at("amount");
      o.memo = at("wording").empty() ? at("memo") : at("wording");
      o.info = at("info");
      o.tags = at("tags");
      o.splitCategories = at("scat");
      o.splitAmounts = at("samt");
      o.splitMemos = at("smem");
      o.line = line;
      if (name == "fav") {
        o.date = Number(at("nextdate"));
        o.every = Number(at("every"));
        o.unit = Number(at("unit"));
        scheduled_.push_back(std::move(o));
      } else {
        operations_.push_back(std::move(o));
      }
    } else if (name == "asg") {
      ++assignments_;
    }
  }
  bool Build(CForeignBook& book, CForeignNote& error);

 private:
  struct CAccount {
    std::string name, type;
    long currency = 0;
    std::string initial, notes;
  };
  struct CCurrency {
    std::string iso, rate;
  };
  std::string PathOf(long category) const;

  long baseCurrency_ = 0;
  std::map<long, CCurrency> currencies_;
  std::map<long, CAccount> accounts_;
  std::map<long, std::string> payees_, tags_;
  std::map<long, CCategory> categories_;
  std::vector<COperation> operations_, scheduled_;
  std::size_t assignments_ = 0;
};

std::string CReader::PathOf(long category) const {
  auto it = categories_.find(category);
  if (it == categories_.end()) return {};
  auto parent = categories_.find(it->second.parent);
  return parent != categories_.end() && it->second.parent != category
             ? parent->second.name + ":" + it->second.name
             : it->second.name;
}

bool CReader::Build(CForeignBook& book, CForeignNote& error) {
  const auto fail = [&](std::uint32_t line, EForeignNote kind, const std::string& name = {}) {
    error = {kind, 1, line, name, {}};
    return false;
  };
  std::map<long, std::string> accountName;
  for (const auto& [key, a] : accounts_) {
    auto currency = currencies_.find(a.currency);
    if (currency == currencies_.end() || currency->second.iso.size() != 3)
      return fail(0, EForeignNote::kCurrencyMissing, a.name);
    CForeignAccount account;
    account.name = a.name;
    account.kind = a.type;
    account.currency = currency->second.iso;
    account.description = a.notes;
    if (!ReadAmount(a.initial, account.opening))
      return fail(0, EForeignNote::kOpeningUnreadable, a.name);
    if (book.FindAccount(a.name) != nullptr) account.name += " #" + std::to_string(key);
    accountName[key] = account.name;
    book.accounts.push_back(account);
  }
  // Categories: the income flag of a subcategory is its parent's.
  std::set<std::string> known;
  for (const auto& [key, c] : categories_) {
    const std::string path = PathOf(key);
    auto parent = categories_.find(c.parent);
    const bool income = parent != categories_.end() ? parent->second.income || c.income : c.income;
    if (known.insert(path).second) book.categories.push_back({path, income});
  }
  // A transfer's halves share their key; the first one seen is kept, and
  // the other gives the amount the other account saw.
  std::map<long, std::size_t> halves;
  for (std::size_t i = 0; i < operations_.size(); ++i)
    if (operations_[i].transferKey != 0) {
      auto [it, added] = halves.emplace(operations_[i].transferKey, i);
      if (!added) halves[-operations_[i].transferKey] = i;  // the second half
    }
  std::size_t unpaired = 0, uncounted = 0;
  for (std::size_t i = 0; i < operations_.size(); ++i) {
    const COperation& o = operations_[i];
    if (o.status == 3 || o.status == 4) {
      ++uncounted;
      continue;
    }
    auto account = accountName.find(o.account);
    if (account == accountName.end()) return fail(o.line, EForeignNote::kAccountMissing);
    CForeignTransaction t;
    t.account = account->second;
    t.source = o.line;
    if (o.date <= kJulianOf18991230 || o.date > kJulianOf18991230 + 401768)  // to 2999-12-31
      return fail(o.line, EForeignNote::kDateOutOfRange, std::to_string(o.date));
    t.date = static_cast<Date>(o.date - kJulianOf18991230);
    if (auto payee = payees_.find(o.payee); payee != payees_.end()) t.payee = payee->second;
    t.memo = o.memo;
    if (!o.info.empty()) t.number = o.info;
    Money total = 0;
    if (!ReadAmount(o.amount, total))
      return fail(o.line, EForeignNote::kAmountUnreadable, o.amount);
    CForeignLine line;
    line.amount = total;
    line.counterAmount = -total;
    if (o.destination != 0 && o.transferKey != 0) {
      auto first = halves.find(o.transferKey);
      auto second = halves.find(-o.transferKey);
      if (first->second != i) continue;  // the other half, kept with the first
      auto other = accountName.find(o.destination);
      if (second == halves.end() || other == accountName.end()) {
        ++unpaired;  // kept in its own account only, so that both balances stay
      } else {
        line.transferAccount = other->second;
        Money counter = 0;
        if (!ReadAmount(operations_[second->second].amount, counter))
          return fail(operations_[second->second].line, EForeignNote::kAmountUnreadable,
                      operations_[second->second].amount);
        line.counterAmount = counter;
      }
      t.lines.push_back(line);
    } else if (!o.splitAmounts.empty()) {
      const std::vector<std::string> amounts = SplitBars(o.splitAmounts);
      const std::vector<std::string> cats = SplitBars(o.splitCategories);
      const std::vector<std::string> memos = SplitBars(o.splitMemos);
      Money sum = 0;
      for (std::size_t k = 0; k < amounts.size(); ++k) {
        CForeignLine part;
        if (!ReadAmount(amounts[k], part.amount))
          return fail(o.line, EForeignNote::kAmountUnreadable, amounts[k]);
        if (k < cats.size()) part.category = PathOf(Number(cats[k]));
        if (k < memos.size()) part.memo = memos[k];
        sum += part.amount;
        t.lines.push_back(part);
      }
      // What the parts leave of the total is kept without a category.
      if (sum != total) {
        CForeignLine rest;
        rest.amount = total - sum;
        t.lines.push_back(rest);
      }
    } else {
      line.category = PathOf(o.category);
      t.lines.push_back(line);
    }
    if (!o.tags.empty()) {
      std::string tags;
      for (std::size_t start = 0; start < o.tags.size();) {
        std::size_t end = o.tags.find(' ', start);
        if (end == std::string::npos) end = o.tags.size();
        const std::string tag = o.tags.substr(start, end - start);
        auto byKey = tags_.find(Number(tag));
        if (!tag.empty()) tags += " #" + (byKey != tags_.end() ? byKey->second : tag);
        start = end + 1;
      }
      t.memo += tags;
    }
    book.transactions.push_back(std::move(t));
  }
  // Rates: HomeBank keeps how many units of a currency one unit of the base
  // currency buys.
  auto base = currencies_.find(baseCurrency_);
  for (const auto& [key, c] : currencies_) {
    double rate = 0;
    std::from_chars(c.rate.data(), c.rate.data() + c.rate.size(), rate);
    if (base != currencies_.end() && key != baseCurrency_ && rate > 0 && std::isfinite(rate))
      book.rates.push_back({base->second.iso, c.iso, rate, 0});
  }
  if (unpaired > 0)
    book.notImported.push_back({EForeignNote::kHomeBankUnpaired, unpaired, 0, {}, {}});
  if (uncounted > 0)
    book.notImported.push_back({EForeignNote::kHomeBankUncounted, uncounted, 0, {}, {}});
  // Scheduled transactions whose period a planned transaction can follow.
  std::size_t unmapped = 0;
  for (const COperation& o : scheduled_) {
    CForeignPlanned p;
    auto account = accountName.find(o.account);
    auto other = accountName.find(o.destination);
    Money amount = 0;
    const int days[] = {1, 7};
    const int months[] = {1, 12};
    if (account == accountName.end() || (o.destination != 0 && other == accountName.end()) ||
        !o.splitAmounts.empty() || o.every < 1 || o.every > 100 || o.unit < 0 || o.unit > 3 ||
        o.date <= kJulianOf18991230 || o.date > kJulianOf18991230 + 401768 ||
        !ReadAmount(o.amount, amount)) {
      ++unmapped;
      continue;
    }
    if (o.unit < 2)
      p.everyDays = static_cast<int>(o.every) * days[o.unit];
    else
      p.everyMonths = static_cast<int>(o.every) * months[o.unit - 2];
    p.transaction.account = account->second;
    p.transaction.date = static_cast<Date>(o.date - kJulianOf18991230);
    if (auto payee = payees_.find(o.payee); payee != payees_.end())
      p.transaction.payee = payee->second;
    p.transaction.memo = o.memo;
    CForeignLine line;
    line.amount = amount;
    line.counterAmount = -amount;
    if (o.destination != 0)
      line.transferAccount = other->second;
    else
      line.category = PathOf(o.category);
    p.transaction.lines.push_back(line);
    book.planned.push_back(std::move(p));
  }
  if (!book.planned.empty())
    book.notImported.push_back(
        {EForeignNote::kHomeBankPlannedFromToday, book.planned.size(), 0, {}, {}});
  if (unmapped > 0)
    book.notImported.push_back({EForeignNote::kHomeBankScheduleOther, unmapped, 0, {}, {}});
  if (assignments_ > 0)
    book.notImported.push_back({EForeignNote::kHomeBankAssignments, assignments_, 0, {}, {}});
  book.format = "HomeBank";
  return true;
}

}  // namespace

bool LooksLikeHomeBank(std::string_view bytes) {
  return bytes.substr(0, 512).find("<homebank") != std::string_view::npos;
}

CForeignRead ReadHomeBank(std::string_view bytes) {
  CForeignRead result;
  CReader reader;
  if (!WalkXml(bytes, "homebank", "HomeBank", reader, result.error)) return result;
  if (!reader.Build(result.book, result.error)) return result;
  result.ok = true;
  return result;
}

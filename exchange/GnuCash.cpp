// Reading GnuCash XML books into a foreign book.
#include "GnuCash.h"

#include <sqlite3.h>
#include <zlib.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <set>

#include "Moneytype.h"
#include "XmlReading.h"

namespace {

// ---- Unpacking ----

bool Gunzip(std::string_view in, std::string& out, std::size_t limit, CForeignNote& error) {
  z_stream z{};
  if (inflateInit2(&z, 15 + 16) != Z_OK) {
    error = {EForeignNote::kCannotOpen};
    return false;
  }
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
  z.avail_in = static_cast<uInt>(std::min<std::size_t>(in.size(), UINT32_MAX));
  int rc = Z_OK;
  while (rc == Z_OK) {
    if (out.size() >= limit) {
      inflateEnd(&z);
      error = {EForeignNote::kUnpacksTooLarge, limit >> 20, 0, {}, {}};
      return false;
    }
    const std::size_t have = out.size();
    out.resize(have + (std::size_t{1} << 20));
    z.next_out = reinterpret_cast<Bytef*>(out.data() + have);
    z.avail_out = 1u << 20;
    rc = inflate(&z, Z_NO_FLUSH);
    out.resize(out.size() - z.avail_out);
    if (rc == Z_BUF_ERROR && z.avail_in == 0) break;
  }
  inflateEnd(&z);
  if (rc != Z_STREAM_END) {
    error = {EForeignNote::kDamaged};
    return false;
  }
  return true;
}

// ---- What a book holds (read from its XML or its SQLite tables) ----

struct CCommodity {
  std::string space, id;
  bool IsCurrency() const { return space == "CURRENCY" || space == "ISO4217"; }
};

struct CAccountNode {
  std::string name, type, parent, description;
  CCommodity commodity;
  bool used = false;  // a split names it
  bool parentOf = false;
};

struct CSplit {
  std::string account, memo, value, quantity;
};

struct CTransactionNode {
  std::string date, description, num;
  std::vector<CSplit> splits;
  std::uint32_t line = 0;
};

struct CPrice {
  CCommodity commodity, currency;
  std::string date, value;
};

// "-123456/100" as ten-thousandths; false for anything else. `exact` turns
// false when the amount had to be rounded.
bool ReadRational(const std::string& text, Money& out, bool& exact) {
  const std::size_t slash = text.find('/');
  long long num = 0, den = 1;
  const char* end = text.data() + (slash == std::string::npos ? text.size() : slash);
  if (std::from_chars(text.data(), end, num).ptr != end) return false;
  if (slash != std::string::npos) {
    const char* last = text.data() + text.size();
    if (std::from_chars(text.data() + slash + 1, last, den).ptr != last || den <= 0) return false;
  }
  const WideMoney scaled = static_cast<WideMoney>(num) * kMoneyOne;
  WideMoney value = scaled / den;
  const WideMoney rest = scaled % den;
  if (rest != 0) {
    exact = false;
    if ((rest < 0 ? -rest : rest) * 2 >= den) value += rest < 0 ? -1 : 1;
  }
  if (!FitsMoney(value)) return false;
  out = static_cast<Money>(value);
  return true;
}

// The day of a GnuCash time ("2026-01-15 10:59:00 +0000": GnuCash keeps a
// posted day at 10:59 UTC so that it is the same day everywhere), within
// the years a finance program keeps.
bool ReadDay(const std::string& text, Date& out) {
  return text.size() >= 10 && ParseIsoDate(text.substr(0, 10), out) &&
         out >= EncodeDate(1900, 1, 1) && out <= EncodeDate(2999, 12, 31);
}

class CXmlBook : public CXmlHandler {
 public:
  bool Read(std::string_view xml, CForeignNote& error);
  void Start(const std::string& name, const TXmlAttributes&, std::uint32_t line) override {
    line_ = line;
    Start(name);
  }
  void End(const std::string& name) override;
  void Text(std::string_view text) override { text_ += text; }
  bool WantsAttributes(const std::string&) const override { return false; }

  std::map<std::string, CAccountNode> accounts;  // by guid
  std::vector<CTransactionNode> transactions;
  std::vector<CPrice> prices;
  std::vector<CForeignNote> skipped;  // what does not come over

 private:
  void Start(const std::string& name);
  const std::string& Parent(std::size_t up = 1) const {
    static const std::string none;
    return stack_.size() > up ? stack_[stack_.size() - 1 - up] : none;
  }

  std::vector<std::string> stack_;
  std::string text_;
  int templates_ = 0;  // inside template transactions (of scheduled ones)
  std::string accountId_;
  CAccountNode account_;
  CTransactionNode transaction_;
  CSplit split_;
  CPrice price_;
  CCommodity commodity_;
  std::uint32_t line_ = 0;
};

void CXmlBook::Start(const std::string& name) {
  stack_.push_back(name);
  text_.clear();
  if (name == "gnc:template-transactions") ++templates_;
  if (templates_ > 0) return;
  if (name == "gnc:account") account_ = {}, accountId_.clear();
  if (name == "gnc:transaction") transaction_ = {}, transaction_.line = line_;
  if (name == "trn:split") split_ = {};
  if (name == "price") price_ = {};
  if (name == "cmdty:space" || name == "cmdty:id") return;
  if (name.ends_with(":commodity") || name.ends_with(":currency")) commodity_ = {};
}

void CXmlBook::End(const std::string& name) {
  const std::string& parent = Parent();
  if (name == "gnc:template-transactions") --templates_;
  if (templates_ == 0) {
    if (name == "cmdty:space") commodity_.space = text_;
    if (name == "cmdty:id") commodity_.id = text_;
    if (name == "act:commodity") account_.commodity = commodity_;
    if (name == "price:commodity") price_.commodity = commodity_;
    if (name == "price:currency") price_.currency = commodity_;
    if (parent == "gnc:account") {
      if (name == "act:name") account_.name = text_;
      if (name == "act:id") accountId_ = text_;
      if (name == "act:type") account_.type = text_;
      if (name == "act:parent") account_.parent = text_;
      if (name == "act:description") account_.description = text_;
    }
    if (name == "gnc:account" && !accountId_.empty()) accounts[accountId_] = account_;
    if (parent == "gnc:transaction") {
      if (name == "trn:description") transaction_.description = text_;
      if (name == "trn:num") transaction_.num = text_;
    }
    if (name == "ts:date" && parent == "trn:date-posted") transaction_.date = text_;
    if (name == "ts:date" && parent == "price:time") price_.date = text_;
    if (parent == "trn:split") {
      if (name == "split:memo") split_.memo = text_;
      if (name == "split:value") split_.value = text_;
      if (name == "split:quantity") split_.quantity = text_;
      if (name == "split:account") split_.account = text_;
    }
    if (name == "price:value") price_.value = text_;
    if (name == "trn:split") transaction_.splits.push_back(std::move(split_));
    if (name == "gnc:transaction") transactions.push_back(std::move(transaction_));
    if (name == "price") prices.push_back(price_);
  }
  if (name == "gnc:schedxaction") skipped.push_back({EForeignNote::kGnuCashScheduled});
  if (name == "gnc:budget") skipped.push_back({EForeignNote::kGnuCashBudgets});
  if (name.starts_with("gnc:Gnc"))
    skipped.push_back({EForeignNote::kGnuCashBusiness, 1, 0, {}, name.substr(7)});
  stack_.pop_back();
  text_.clear();
}

bool CXmlBook::Read(std::string_view xml, CForeignNote& error) {
  return WalkXml(xml, "gnc-v2", "GnuCash", *this, error);
}

// ---- GnuCash's SQLite books ----

constexpr std::string_view kSqliteMagic{"SQLite format 3\0", 16};

class CSqlBook {
 public:
  explicit CSqlBook(std::string_view bytes) : bytes_(bytes) {}
  ~CSqlBook() { sqlite3_close(db_); }
  bool Read(CXmlBook& book, CForeignNote& error);

 private:
  // Runs `sql`, handing each row to `row`; false with the reason.
  bool Each(const char* sql, const std::function<void(sqlite3_stmt*)>& row, CForeignNote& error);
  std::string_view bytes_;
  sqlite3* db_ = nullptr;
};

std::string Column(sqlite3_stmt* statement, int column) {
  const unsigned char* text = sqlite3_column_text(statement, column);
  return text != nullptr ? reinterpret_cast<const char*>(text) : std::string();
}

std::string Rational(sqlite3_stmt* statement, int column) {
  return std::to_string(sqlite3_column_int64(statement, column)) + "/" +
         std::to_string(sqlite3_column_int64(statement, column + 1));
}

bool CSqlBook::Each(const char* sql, const std::function<void(sqlite3_stmt*)>& row,
                    CForeignNote& error) {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db_, sql, -1, &statement, nullptr) != SQLITE_OK) {
    error = {EForeignNote::kTablesUnreadable};
    return false;
  }
  int rc = SQLITE_ROW;
  while ((rc = sqlite3_step(statement)) == SQLITE_ROW) row(statement);
  sqlite3_finalize(statement);
  if (rc != SQLITE_DONE) {
    error = {EForeignNote::kTablesUnreadable};
    return false;
  }
  return true;
}

bool CSqlBook::Read(CXmlBook& book, CForeignNote& error) {
  // The file is read from memory, never written: a copy SQLite owns.
  if (sqlite3_open_v2(":memory:", &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_MEMORY, nullptr) !=
      SQLITE_OK) {
    error = {EForeignNote::kCannotOpen};
    return false;
  }
  auto* copy = static_cast<unsigned char*>(sqlite3_malloc64(bytes_.size()));
  if (copy == nullptr) {
    error = {EForeignNote::kTooLarge, bytes_.size() >> 20, 0, {}, {}};
    return false;
  }
  std::memcpy(copy, bytes_.data(), bytes_.size());
  if (sqlite3_deserialize(db_, "main", copy, static_cast<sqlite3_int64>(bytes_.size()),
                          static_cast<sqlite3_int64>(bytes_.size()),
                          SQLITE_DESERIALIZE_FREEONCLOSE | SQLITE_DESERIALIZE_READONLY) !=
      SQLITE_OK) {
    error = {EForeignNote::kCannotOpen};
    return false;
  }
  std::map<std::string, CCommodity> commodities;
  std::string templateRoot;
  std::set<std::string> templates;  // the accounts of scheduled transactions' templates
  std::map<std::string, std::size_t> transactionAt;
  const bool read =
      Each(
          "SELECT guid, namespace, mnemonic FROM commodities",
          [&](sqlite3_stmt* r) {
            commodities[Column(r, 0)] = {Column(r, 1), Column(r, 2)};
          },
          error) &&
      Each(
          "SELECT root_template_guid FROM books",
          [&](sqlite3_stmt* r) { templateRoot = Column(r, 0); }, error) &&
      Each(
          "SELECT guid, name, account_type, commodity_guid, parent_guid, description "
          "FROM accounts",
          [&](sqlite3_stmt* r) {
            CAccountNode& a = book.accounts[Column(r, 0)];
            a.name = Column(r, 1);
            a.type = Column(r, 2);
            a.commodity = commodities[Column(r, 3)];
            a.parent = Column(r, 4);
            a.description = Column(r, 5);
          },
          error) &&
      Each(
          "SELECT guid, num, post_date, description FROM transactions ORDER BY post_date, guid",
          [&](sqlite3_stmt* r) {
            transactionAt[Column(r, 0)] = book.transactions.size();
            CTransactionNode t;
            t.num = Column(r, 1);
            t.date = Column(r, 2);
            t.description = Column(r, 3);
            book.transactions.push_back(std::move(t));
          },
          error) &&
      Each(
          "SELECT tx_guid, account_guid, memo, value_num, value_denom, quantity_num, "
          "quantity_denom FROM splits ORDER BY tx_guid, rowid",
          [&](sqlite3_stmt* r) {
            auto at = transactionAt.find(Column(r, 0));
            if (at == transactionAt.end()) return;
            book.transactions[at->second].splits.push_back(
                {Column(r, 1), Column(r, 2), Rational(r, 3), Rational(r, 5)});
          },
          error) &&
      Each(
          "SELECT commodity_guid, currency_guid, date, value_num, value_denom FROM prices",
          [&](sqlite3_stmt* r) {
            book.prices.push_back({commodities[Column(r, 0)], commodities[Column(r, 1)],
                                   Column(r, 2), Rational(r, 3)});
          },
          error) &&
      Each(
          "SELECT COUNT(*) FROM schedxactions",
          [&](sqlite3_stmt* r) {
            if (const auto n = sqlite3_column_int64(r, 0); n > 0)
              book.skipped.push_back(
                  {EForeignNote::kGnuCashScheduled, static_cast<std::size_t>(n), 0, {}, {}});
          },
          error);
  if (!read) return false;
  // The templates of scheduled transactions hang below their own root;
  // neither they nor their transactions are the book's.
  for (bool grew = true; grew;) {
    grew = false;
    for (const auto& [id, a] : book.accounts)
      if ((id == templateRoot || templates.count(a.parent) != 0 || a.parent == templateRoot) &&
          templates.insert(id).second)
        grew = true;
  }
  for (const std::string& id : templates) book.accounts.erase(id);
  std::erase_if(book.transactions, [&](const CTransactionNode& t) {
    return std::any_of(t.splits.begin(), t.splits.end(),
                       [&](const CSplit& split) { return templates.count(split.account) != 0; });
  });
  return true;
}

// ---- From the XML's accounts and transactions to the book ----

enum class ESide { kBank, kCategory, kEquity, kOther };

ESide SideOf(const CAccountNode& a) {
  static const std::set<std::string> bank = {"BANK",    "CASH",      "ASSET",
                                             "CREDIT",  "LIABILITY", "CHECKING",
                                             "SAVINGS", "MONEYMRKT", "CREDITLINE"};
  if (a.type == "INCOME" || a.type == "EXPENSE") return ESide::kCategory;
  if (a.type == "EQUITY") return ESide::kEquity;
  if (bank.count(a.type) != 0 && a.commodity.IsCurrency()) return ESide::kBank;
  return ESide::kOther;
}

class CBuilder {
 public:
  explicit CBuilder(CXmlBook& xml) : xml_(xml) {}
  bool Build(CForeignBook& book, CForeignNote& error);

 private:
  std::string PathBelowRoot(const std::string& id, bool categories) const;
  CXmlBook& xml_;
  std::map<std::string, std::string> accountName_;  // guid -> book account name
};

std::string CBuilder::PathBelowRoot(const std::string& id, bool categories) const {
  std::vector<std::string> parts;
  std::string at = id;
  for (int steps = 0; steps < 64 && !at.empty(); ++steps) {
    auto it = xml_.accounts.find(at);
    if (it == xml_.accounts.end() || it->second.type == "ROOT") break;
    // A category's path starts below the top income or expense account
    // ("Expenses:Food" is "Food" under Pardow's own expense tree).
    auto parent = xml_.accounts.find(it->second.parent);
    const bool top = parent == xml_.accounts.end() || parent->second.type == "ROOT" ||
                     SideOf(parent->second) != ESide::kCategory;
    if (categories && top && !parts.empty()) break;
    parts.push_back(it->second.name);
    at = it->second.parent;
  }
  std::string path;
  for (auto it = parts.rbegin(); it != parts.rend(); ++it) path += (path.empty() ? "" : ":") + *it;
  return path;
}

bool CBuilder::Build(CForeignBook& book, CForeignNote& error) {
  for (const CTransactionNode& t : xml_.transactions)
    for (const CSplit& s : t.splits)
      if (auto it = xml_.accounts.find(s.account); it != xml_.accounts.end())
        it->second.used = true;
  for (auto& [id, a] : xml_.accounts)
    if (auto p = xml_.accounts.find(a.parent); p != xml_.accounts.end()) p->second.parentOf = true;
  // Bank-side accounts with transactions, or leaves, become accounts; a
  // name found twice is told apart by its path.
  std::map<std::string, int> seen;
  for (const auto& [id, a] : xml_.accounts)
    if (SideOf(a) == ESide::kBank && (a.used || !a.parentOf)) ++seen[a.name];
  for (const auto& [id, a] : xml_.accounts) {
    const ESide side = SideOf(a);
    if (side == ESide::kOther && a.type != "ROOT" && a.used)
      xml_.skipped.push_back(
          {EForeignNote::kGnuCashOtherAccount, 1, 0, a.name,
           a.commodity.IsCurrency() ? a.type : a.type + " (" + a.commodity.id + ")"});
    if (side != ESide::kBank || !(a.used || !a.parentOf)) continue;
    if (!IsCurrencyCode(a.commodity.id)) {
      error = {EForeignNote::kNoCurrencyCode, 1, 0, a.name, a.commodity.id};
      return false;
    }
    const std::string name = seen[a.name] > 1 ? PathBelowRoot(id, false) : a.name;
    accountName_[id] = name;
    book.accounts.push_back({name, a.type, a.commodity.id, a.description, 0, 0});
  }
  std::set<std::string> categoryKnown;
  for (const auto& [id, a] : xml_.accounts)
    if (SideOf(a) == ESide::kCategory && (a.used || !a.parentOf)) {
      const std::string path = PathBelowRoot(id, true);
      if (categoryKnown.insert(path).second) book.categories.push_back({path, a.type == "INCOME"});
    }
  std::size_t inexact = 0;
  for (const CTransactionNode& t : xml_.transactions) {
    Date day = 0;
    if (!ReadDay(t.date, day)) {
      error = {EForeignNote::kDateOutOfRange, 1, t.line, t.date, {}};
      return false;
    }
    struct CPart {
      const CSplit* split;
      const CAccountNode* account;
      ESide side;
      Money value, quantity;
    };
    std::vector<CPart> parts;
    for (const CSplit& s : t.splits) {
      auto it = xml_.accounts.find(s.account);
      if (it == xml_.accounts.end()) {
        error = {EForeignNote::kAccountMissing, 1, t.line, {}, {}};
        return false;
      }
      CPart part{&s, &it->second, SideOf(it->second), 0, 0};
      bool exact = true;
      if (!ReadRational(s.value, part.value, exact) ||
          !ReadRational(s.quantity, part.quantity, exact)) {
        error = {EForeignNote::kAmountUnreadable, 1, t.line, s.value + " / " + s.quantity, {}};
        return false;
      }
      inexact += !exact;
      parts.push_back(part);
    }
    const auto home = std::find_if(parts.begin(), parts.end(),
                                   [](const CPart& p) { return p.side == ESide::kBank; });
    const bool other = std::any_of(parts.begin(), parts.end(),
                                   [](const CPart& p) { return p.side == ESide::kOther; });
    if (other && home != parts.end()) xml_.skipped.push_back({EForeignNote::kGnuCashOtherSide});
    if (home == parts.end()) {
      if (!parts.empty()) xml_.skipped.push_back({EForeignNote::kGnuCashCategoriesOnly});
      continue;
    }
    const bool opening =
        std::all_of(parts.begin(), parts.end(),
                    [&](const CPart& p) { return &p == &*home || p.side == ESide::kEquity; }) &&
        parts.size() > 1;
    const std::string& account = accountName_[home->split->account];
    if (opening) {
      CForeignAccount* a = book.FindAccount(account);
      a->opening += home->quantity;
      if (a->openingDate == 0 || day < a->openingDate) a->openingDate = day;
      continue;
    }
    CForeignTransaction out;
    out.date = day;
    out.account = account;
    out.payee = t.description;
    out.number = t.num;
    out.source = t.line;
    // Each other split, as the home account sees it (its currency), the
    // rounding left on the last part so that the parts add up exactly.
    Money left = home->quantity;
    for (const CPart& p : parts) {
      if (&p == &*home) continue;
      CForeignLine line;
      const WideMoney scaled = home->value != 0
                                   ? static_cast<WideMoney>(-p.value) * home->quantity / home->value
                                   : static_cast<WideMoney>(-p.value);
      line.amount = ClampMoney(scaled);
      line.memo = p.split->memo;
      if (p.side == ESide::kBank) {
        line.transferAccount = accountName_[p.split->account];
        line.counterAmount = p.quantity;
      } else if (p.side == ESide::kCategory) {
        line.category = PathBelowRoot(p.split->account, true);
      } else if (p.side == ESide::kOther) {
        const std::string note = "from " + p.account->name + " (not imported)";
        line.memo = line.memo.empty() ? note : line.memo + "; " + note;
      }
      left -= line.amount;
      out.lines.push_back(line);
    }
    if (out.lines.empty()) {
      CForeignLine line;
      line.amount = home->quantity;
      out.lines.push_back(line);
      left = 0;
    }
    out.lines.back().amount += left;
    if (out.lines.size() == 1 && out.lines[0].memo.empty()) out.lines[0].memo = home->split->memo;
    if (out.lines.size() == 1) out.memo = out.lines[0].memo;
    book.transactions.push_back(std::move(out));
  }
  // Prices between currencies become exchange rates, the latest of a pair.
  std::map<std::pair<std::string, std::string>, CForeignRate> latest;
  for (const CPrice& p : xml_.prices) {
    Money value = 0;
    bool exact = true;
    Date day = 0;
    if (!p.commodity.IsCurrency() || !p.currency.IsCurrency() ||
        !ReadRational(p.value, value, exact) || value <= 0 || !ReadDay(p.date, day))
      continue;
    CForeignRate& rate = latest[{p.commodity.id, p.currency.id}];
    if (rate.from.empty() || day >= rate.date)
      rate = {p.commodity.id, p.currency.id, static_cast<double>(value) / kMoneyOne, day};
  }
  for (auto& [pair, rate] : latest) book.rates.push_back(rate);
  book.notImported = xml_.skipped;
  if (inexact > 0) book.notImported.push_back({EForeignNote::kGnuCashRounded, inexact, 0, {}, {}});
  book.format = "GnuCash";
  return true;
}

}  // namespace

bool LooksLikeGnuCash(std::string_view bytes) {
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0x1f &&
      static_cast<unsigned char>(bytes[1]) == 0x8b)
    return true;
  if (bytes.substr(0, kSqliteMagic.size()) == kSqliteMagic) return true;
  return bytes.substr(0, 4096).find("<gnc-v2") != std::string_view::npos;
}

CForeignRead ReadGnuCash(std::string_view bytes, std::size_t maxUnpacked) {
  CForeignRead result;
  std::string unpacked;
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0x1f &&
      static_cast<unsigned char>(bytes[1]) == 0x8b) {
    if (!Gunzip(bytes, unpacked, maxUnpacked, result.error)) return result;
    bytes = unpacked;
  }
  CXmlBook xml;
  if (bytes.substr(0, kSqliteMagic.size()) == kSqliteMagic) {
    CSqlBook sql(bytes);
    if (!sql.Read(xml, result.error)) return result;
  } else if (!xml.Read(bytes, result.error)) {
    return result;
  }
  CBuilder builder(xml);
  if (!builder.Build(result.book, result.error)) return result;
  result.ok = true;
  return result;
}

// Reading QIF files into a foreign book.
#include "Qif.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <tuple>

#include "Delimited.h"

namespace {

constexpr std::size_t kMaxDepth = 32;  // levels of a category path

// One field of a record: its code letter, its text and the file's line.
struct CField {
  char code = 0;
  std::string_view text;
  std::uint32_t line = 0;
};

enum class ESection { kNone, kTransactions, kAccounts, kCategories, kOther };

// A transaction as the file writes it, before dates and amounts are read
// (their style is found from all of them).
struct CRawLine {
  std::string_view category, memo, amount;
  std::uint32_t line = 0;
};
struct CRawTransaction {
  std::string account;
  std::string_view date, amount, payee, memo, number, category;
  std::uint32_t line = 0, dateLine = 0, amountLine = 0;
  std::vector<CRawLine> splits;
};

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(text[i])) !=
        std::tolower(static_cast<unsigned char>(prefix[i])))
      return false;
  return true;
}

// A QIF date as the date reader takes it: "1/ 5'04" -> "1/5/04".
std::string DateText(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == ' ') continue;
    out += c == '\'' ? '/' : c;
  }
  return out;
}

// "Food:Bakery/Class" -> "Food:Bakery"; "[Savings]" -> the account, as a
// transfer. Classes are not kept.
struct CTarget {
  std::string category, account;
};
CTarget TargetOf(std::string_view text) {
  text = Trim(text);
  CTarget target;
  if (!text.empty() && text.front() == '[') {
    const std::size_t close = text.find(']');
    target.account = std::string(
        Trim(text.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1)));
    return target;
  }
  target.category = std::string(Trim(text.substr(0, text.find('/'))));
  return target;
}

// A long category path cut for a message.
std::string Shortened(const std::string& path) {
  if (path.size() <= 60) return path;
  std::size_t end = 60;
  while (end > 0 && (static_cast<unsigned char>(path[end]) & 0xC0) == 0x80) --end;
  return path.substr(0, end) + "\u2026";
}

class CReader {
 public:
  CReader(const std::string& text, const CQifOptions& options) : text_(text), options_(options) {}
  bool Read(CForeignRead& result);

 private:
  void Record(ESection section, std::vector<CField>& fields);
  bool Convert(CForeignRead& result);
  void AddCategory(const std::string& path, bool income);
  void PairTransfers();

  const std::string& text_;
  const CQifOptions& options_;
  CForeignBook book_;
  std::string account_;  // the account transactions now belong to
  bool autoSwitch_ = false;
  std::vector<CRawTransaction> raw_;
  std::map<std::string, std::size_t> otherRecords_;  // section name -> records not imported
  std::string otherName_;
  std::set<std::string> categoryKnown_;
};

void CReader::AddCategory(const std::string& path, bool income) {
  if (path.empty() || !categoryKnown_.insert(path).second) return;
  book_.categories.push_back({path, income});
}

void CReader::Record(ESection section, std::vector<CField>& fields) {
  if (fields.empty()) return;
  const auto value = [&](char code) {
    for (const CField& f : fields)
      if (f.code == code) return f.text;
    return std::string_view();
  };
  switch (section) {
    case ESection::kAccounts: {
      const std::string name(Trim(value('N')));
      if (name.empty()) break;
      CForeignAccount* account = book_.FindAccount(name);
      if (account == nullptr) {
        book_.accounts.push_back(
            {name, std::string(Trim(value('T'))), "", std::string(Trim(value('D'))), 0, 0});
      }
      // Outside an account list, an account record says whose transactions follow.
      if (!autoSwitch_) account_ = name;
      break;
    }
    case ESection::kCategories: {
      const std::string path(Trim(value('N')));
      bool income = false;
      for (const CField& f : fields) income = income || f.code == 'I';
      AddCategory(path, income);
      break;
    }
    case ESection::kTransactions: {
      CRawTransaction t;
      if (account_.empty()) {
        account_ = options_.accountName;
        if (book_.FindAccount(account_) == nullptr)
          book_.accounts.push_back({account_, "Bank", "", "", 0, 0});
      }
      t.account = account_;
      t.line = fields.front().line;
      for (const CField& f : fields) {
        switch (f.code) {
          case 'D':
            t.date = Trim(f.text), t.dateLine = f.line;
            break;
          case 'T':
            t.amount = Trim(f.text), t.amountLine = f.line;
            break;
          case 'U':
            if (t.amount.empty()) t.amount = Trim(f.text), t.amountLine = f.line;
            break;
          case 'P':
            t.payee = Trim(f.text);
            break;
          case 'M':
            t.memo = Trim(f.text);
            break;
          case 'N':
            t.number = Trim(f.text);
            break;
          case 'L':
            t.category = f.text;
            break;
          case 'S':
            t.splits.push_back({f.text, {}, {}, f.line});
            break;
          case 'E':
            if (!t.splits.empty()) t.splits.back().memo = Trim(f.text);
            break;
          case '$':
            if (!t.splits.empty()) t.splits.back().amount = Trim(f.text);
            break;
          default:
            break;  // cleared mark, address lines, split percentages: not kept
        }
      }
      raw_.push_back(std::move(t));
      break;
    }
    case ESection::kOther:
      ++otherRecords_[otherName_];
      break;
    case ESection::kNone:
      break;
  }
  fields.clear();
}

bool CReader::Read(CForeignRead& result) {
  ESection section = ESection::kNone;
  std::vector<CField> fields;
  std::uint32_t lineNumber = 0;
  std::size_t at = 0;
  while (at < text_.size()) {
    std::size_t end = text_.find('\n', at);
    if (end == std::string::npos) end = text_.size();
    const std::string_view line = Trim(std::string_view(text_).substr(at, end - at));
    at = end + 1;
    ++lineNumber;
    if (line.empty()) continue;
    if (line.front() == '!') {
      Record(section, fields);  // a record the file did not close with ^
      if (StartsWithNoCase(line, "!Option:AutoSwitch")) {
        autoSwitch_ = true;
      } else if (StartsWithNoCase(line, "!Clear:AutoSwitch")) {
        autoSwitch_ = false;
      } else if (StartsWithNoCase(line, "!Account")) {
        section = ESection::kAccounts;
      } else if (StartsWithNoCase(line, "!Type:Cat")) {
        section = ESection::kCategories;
      } else if (StartsWithNoCase(line, "!Type:Bank") || StartsWithNoCase(line, "!Type:Cash") ||
                 StartsWithNoCase(line, "!Type:CCard") || StartsWithNoCase(line, "!Type:Oth A") ||
                 StartsWithNoCase(line, "!Type:Oth L")) {
        section = ESection::kTransactions;
        // An account list ends where transactions start.
        autoSwitch_ = false;
      } else {
        section = ESection::kOther;
        otherName_ = std::string(line.substr(1));
      }
      continue;
    }
    if (line.front() == '^') {
      Record(section, fields);
      continue;
    }
    if (section == ESection::kNone) {
      result.error = {EForeignNote::kNotThisFormat, 1, lineNumber, {}, "QIF"};
      return false;
    }
    fields.push_back({line.front(), line.substr(1), lineNumber});
  }
  Record(section, fields);
  return Convert(result);
}

bool CReader::Convert(CForeignRead& result) {
  // The dates' order and the amounts' decimal mark, from all of them.
  std::vector<std::string> dateTexts;
  std::vector<std::string_view> dates, amounts;
  dateTexts.reserve(raw_.size());
  for (const CRawTransaction& t : raw_) {
    dateTexts.push_back(DateText(t.date));
    amounts.push_back(t.amount);
    for (const CRawLine& split : t.splits) amounts.push_back(split.amount);
  }
  for (const std::string& d : dateTexts) dates.push_back(d);
  CDateStyle dateStyle;
  if (options_.dateOrder) {
    dateStyle.order = *options_.dateOrder;
  } else if (!dates.empty()) {
    const CDateDetection found = DetectDateStyle(dates, EDateOrder::kMdy);
    if (found.readsAll && found.ambiguous) {
      result.dateOrderUndecided = true;
      result.error = {EForeignNote::kDatesAmbiguous};
      return false;
    }
    dateStyle = found.style;
  }
  amounts.erase(std::remove(amounts.begin(), amounts.end(), std::string_view()), amounts.end());
  const CAmountStyle amountStyle = DetectAmountStyle(amounts, '.').style;
  const auto amountOf = [&](std::string_view text, std::uint32_t line, Money& out) {
    std::string why;
    if (ParseAmountCell(text, amountStyle, out, why)) return true;
    result.error = {EForeignNote::kAmountUnreadable, 1, line, std::string(text), {}};
    return false;
  };
  for (std::size_t i = 0; i < raw_.size(); ++i) {
    const CRawTransaction& r = raw_[i];
    CForeignTransaction t;
    t.account = r.account;
    t.source = r.line;
    t.payee = r.payee;
    t.memo = r.memo;
    t.number = r.number;
    if (!ParseDateCell(dateTexts[i], dateStyle, t.date) || t.date < EncodeDate(1900, 1, 1) ||
        t.date > EncodeDate(2999, 12, 31)) {
      result.error = {EForeignNote::kDateNotInStyle, 1, r.dateLine ? r.dateLine : r.line,
                      std::string(r.date), DateStyleText(dateStyle)};
      return false;
    }
    Money total = 0;
    if (!r.amount.empty() && !amountOf(r.amount, r.amountLine, total)) return false;
    const auto lineOf = [&](std::string_view target, Money amount, std::string_view memo) {
      const CTarget to = TargetOf(target);
      CForeignLine line;
      line.category = to.category;
      line.transferAccount = to.account;
      line.amount = amount;
      line.counterAmount = -amount;
      line.memo = std::string(memo);
      return line;
    };
    if (r.splits.empty()) {
      t.lines.push_back(lineOf(r.category, total, {}));
    } else {
      Money sum = 0;
      for (const CRawLine& split : r.splits) {
        Money amount = 0;
        if (!split.amount.empty() && !amountOf(split.amount, split.line, amount)) return false;
        t.lines.push_back(lineOf(split.category, amount, split.memo));
        sum += amount;
      }
      // The parts must add up to the whole: what they leave is kept
      // without a category, so that the account's balance stays exact.
      if (sum != total && !r.amount.empty()) {
        t.lines.push_back(lineOf({}, total - sum, {}));
        book_.notImported.push_back({EForeignNote::kQifSplitRest, 1, r.line, {}, {}});
      }
    }
    for (const CForeignLine& line : t.lines) {
      if (std::count(line.category.begin(), line.category.end(), ':') >=
          static_cast<std::ptrdiff_t>(kMaxDepth)) {
        result.error = {
            EForeignNote::kCategoryTooDeep, kMaxDepth, r.line, Shortened(line.category), {}};
        return false;
      }
      AddCategory(line.category, line.amount > 0);
    }
    // An account's opening balance is written as a transfer to itself.
    if (t.lines.size() == 1 && t.lines[0].transferAccount == t.account) {
      if (CForeignAccount* account = book_.FindAccount(t.account)) {
        account->opening += t.lines[0].amount;
        account->openingDate = t.date;
      }
      continue;
    }
    book_.transactions.push_back(std::move(t));
  }
  for (const CForeignCategory& c : book_.categories)
    if (std::count(c.path.begin(), c.path.end(), ':') >= static_cast<std::ptrdiff_t>(kMaxDepth)) {
      result.error = {EForeignNote::kCategoryTooDeep, kMaxDepth, 0, Shortened(c.path), {}};
      return false;
    }
  PairTransfers();
  for (const auto& [name, count] : otherRecords_)
    book_.notImported.push_back({EForeignNote::kQifOtherRecords, count, 0, {}, name});
  book_.format = "QIF";
  result.book = std::move(book_);
  result.ok = true;
  return true;
}

void CReader::PairTransfers() {
  // A transfer written in both accounts' lists is kept once: the second
  // writing (same day, the other account, money the other way) is dropped
  // and gives the amount the other account saw, which differs from this
  // one's when the accounts keep different currencies. The opposite amount
  // is taken first.
  using TKey = std::tuple<std::string, std::string, Date>;  // account, other, day
  std::map<TKey, std::vector<std::size_t>> simple;
  std::vector<CForeignTransaction>& all = book_.transactions;
  for (std::size_t i = 0; i < all.size(); ++i)
    if (all[i].lines.size() == 1 && !all[i].lines[0].transferAccount.empty())
      simple[{all[i].account, all[i].lines[0].transferAccount, all[i].date}].push_back(i);
  std::vector<bool> dropped(all.size(), false);
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (dropped[i]) continue;
    for (CForeignLine& line : all[i].lines) {
      if (line.transferAccount.empty()) continue;
      if (book_.FindAccount(line.transferAccount) == nullptr) {
        book_.accounts.push_back({line.transferAccount, "Bank", "", "", 0, 0});
        book_.notImported.push_back(
            {EForeignNote::kQifAccountWithoutList, 1, 0, line.transferAccount, {}});
      }
      auto it = simple.find({line.transferAccount, all[i].account, all[i].date});
      if (it == simple.end()) continue;
      std::size_t best = all.size();
      for (std::size_t k : it->second) {
        if (k == i || dropped[k]) continue;
        const Money other = all[k].lines[0].amount;
        if (other == -line.amount) {
          best = k;
          break;
        }
        if (best == all.size() && (other > 0) != (line.amount > 0) && other != 0) best = k;
      }
      if (best == all.size()) continue;
      dropped[best] = true;
      line.counterAmount = all[best].lines[0].amount;
    }
  }
  std::size_t kept = 0;
  for (std::size_t i = 0; i < all.size(); ++i)
    if (!dropped[i]) {
      if (kept != i) all[kept] = std::move(all[i]);
      ++kept;
    }
  all.resize(kept);
}

}  // namespace

CForeignRead ReadQif(std::string_view bytes, const CQifOptions& options) {
  CForeignRead result;
  std::string text, error;
  if (!DecodeText(bytes, DetectEncoding(bytes), text, error)) {
    result.error = {EForeignNote::kTextUnreadable, 1, 0, {}, error};
    return result;
  }
  CReader reader(text, options);
  reader.Read(result);
  return result;
}

// Planning, applying and undoing imports of bank statements.
#include "Importer.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <map>
#include <set>

#include "SubTypePaths.h"

namespace {

constexpr std::array<const char*, kColumnTypeCount> kColumnNames{
    "<none>", "Date",     "Description",   "Quantity", "Sum",     "Price",
    "Notes",  "Category", "Family member", "Section",  "Balance", "Debit/credit mark"};
constexpr std::array<const char*, kColumnTypeCount> kColumnShortNames{
    "none",  "date",     "description", "quantity", "sum",     "price",
    "notes", "category", "member",      "section",  "balance", "mark"};

// The longest text a database can hold.
constexpr std::size_t kMaxText = 65535;

}  // namespace

const char* ColumnTypeName(EColumnType type) {
  const auto i = static_cast<std::size_t>(type);
  return i < kColumnNames.size() ? kColumnNames[i] : kColumnNames[0];
}

const char* ColumnTypeShortName(EColumnType type) {
  const auto i = static_cast<std::size_t>(type);
  return i < kColumnShortNames.size() ? kColumnShortNames[i] : kColumnShortNames[0];
}

bool ColumnTypeFromName(std::string_view name, EColumnType& type) {
  for (std::size_t i = 0; i < kColumnNames.size(); ++i)
    if (name == kColumnNames[i] || name == kColumnShortNames[i]) {
      type = static_cast<EColumnType>(i);
      return true;
    }
  return false;
}

std::size_t CImportPlan::CountOf(ERowStatus status) const {
  return static_cast<std::size_t>(std::count_if(
      rows.begin(), rows.end(), [&](const CPlannedRow& r) { return r.status == status; }));
}

std::size_t CImportPlan::CountIncluded() const {
  return static_cast<std::size_t>(std::count_if(rows.begin(), rows.end(), [](const CPlannedRow& r) {
    return r.status != ERowStatus::kRefused && r.include;
  }));
}

// ---- Column suggestions ----

namespace {

std::vector<std::string_view> ColumnCells(const CSourceTable& table, std::size_t column,
                                          std::size_t firstRow) {
  std::vector<std::string_view> cells;
  for (std::size_t r = firstRow > 0 ? firstRow - 1 : 0; r < table.rows.size(); ++r)
    if (column < table.rows[r].fields.size()) cells.emplace_back(table.rows[r].fields[column]);
  return cells;
}

}  // namespace

std::size_t GuessFirstRow(const CSourceTable& table) {
  auto hasFigures = [](const CDelimitedRow& row) {
    for (const std::string& cell : row.fields) {
      Date d;
      Money m;
      std::string why;
      for (EDateOrder order : {EDateOrder::kYmd, EDateOrder::kDmy, EDateOrder::kMdy})
        if (ParseDateCell(cell, CDateStyle{order}, d)) return true;
      if (ParseAmountCell(cell, CAmountStyle{'.', 0}, m, why) ||
          ParseAmountCell(cell, CAmountStyle{',', 0}, m, why))
        return true;
    }
    return false;
  };
  // Lines before the header (bank, account, period) have fewer fields than
  // the transactions. The first row is the first of a run of rows that have
  // figures and the width most such rows have, among the first rows.
  constexpr std::size_t kLooked = 64, kRun = 3;
  const std::size_t looked = std::min(table.rows.size(), kLooked);
  std::vector<bool> figures(looked);
  std::map<std::size_t, std::size_t> widths;
  for (std::size_t r = 0; r < looked; ++r)
    if ((figures[r] = hasFigures(table.rows[r]))) ++widths[table.rows[r].fields.size()];
  if (widths.empty()) return 1;
  const std::size_t width =
      std::max_element(widths.begin(), widths.end(), [](const auto& a, const auto& b) {
        return a.second < b.second;
      })->first;
  auto isData = [&](std::size_t r) { return figures[r] && table.rows[r].fields.size() == width; };
  for (std::size_t r = 0; r < looked; ++r) {
    std::size_t run = 0;
    while (r + run < looked && run < kRun && isData(r + run)) ++run;
    if (run == std::min(kRun, looked - r) && run > 0) return r + 1;
  }
  return 1;
}

bool DateOrderUndecided(const CSourceTable& table, std::size_t column, std::size_t firstRow) {
  const auto cells = ColumnCells(table, column, firstRow);
  // Dates written with dots ("03.01.2026") put the day first wherever they
  // are written so; slashes and dashes are written both ways.
  const auto first = std::find_if(cells.begin(), cells.end(), [](auto c) { return !c.empty(); });
  if (first != cells.end() && first->find('.') != std::string_view::npos) return false;
  return DetectDateStyle(cells, EDateOrder::kYmd).ambiguous;
}

CColumnFormat DetectColumn(const CSourceTable& table, std::size_t column, std::size_t firstRow,
                           EColumnType type, EDateOrder fallbackOrder, char fallbackDecimal) {
  CColumnFormat colFormat;
  colFormat.type = type;
  const auto cells = ColumnCells(table, column, firstRow);
  colFormat.date = DetectDateStyle(cells, fallbackOrder).style;
  colFormat.amount = DetectAmountStyle(cells, fallbackDecimal).style;
  return colFormat;
}

namespace {

// Whether most (more than half) of the non-empty cells read with `reads`:
// a Date column with a few unreadable cells is still a Date column, whose
// bad cells are refused rows.
template <class Reads>
bool MostRead(const std::vector<std::string_view>& cells, Reads reads) {
  std::size_t nonEmpty = 0, read = 0;
  for (std::string_view cell : cells) {
    if (cell.empty()) continue;
    ++nonEmpty;
    read += reads(cell) ? 1 : 0;
  }
  return nonEmpty > 0 && read * 2 > nonEmpty;
}

}  // namespace

std::vector<CColumnFormat> SuggestColumns(const CSourceTable& table, std::size_t firstRow,
                                          EDateOrder fallbackOrder, char fallbackDecimal) {
  std::vector<CColumnFormat> colFormats(table.columnCount);
  bool haveDate = false, haveSum = false;
  struct TText {
    std::size_t column, length;
    bool varies;  // not the same text in every row
  };
  std::vector<TText> textColumns;
  for (std::size_t c = 0; c < table.columnCount; ++c) {
    const auto cells = ColumnCells(table, c, firstRow);
    colFormats[c] =
        DetectColumn(table, c, firstRow, EColumnType::kNone, fallbackOrder, fallbackDecimal);
    const CColumnFormat& colFormat = colFormats[c];
    const bool dates = MostRead(cells, [&](std::string_view cell) {
      Date d;
      return ParseDateCell(cell, colFormat.date, d);
    });
    const bool amounts = MostRead(cells, [&](std::string_view cell) {
      Money m;
      std::string why;
      return ParseAmountCell(cell, colFormat.amount, m, why) ||
             why.find("four decimals") != std::string::npos;
    });
    if (!haveDate && dates) {
      colFormats[c].type = EColumnType::kDate;
      haveDate = true;
    } else if (!haveSum && amounts) {
      colFormats[c].type = EColumnType::kSum;
      haveSum = true;
    } else if (!amounts && !dates) {
      std::size_t length = 0;
      std::set<std::string_view> texts;
      for (auto s : cells) {
        length += s.size();
        if (!s.empty() && texts.size() < 2) texts.insert(s);
      }
      textColumns.push_back({c, length, texts.size() > 1});
    }
  }
  // The text column with the most text is the description; the next one
  // (a purpose beside a counterparty, say) is the comment, unless it says
  // the same in every row (a currency, the account).
  std::stable_sort(textColumns.begin(), textColumns.end(),
                   [](const TText& a, const TText& b) { return a.length > b.length; });
  if (!textColumns.empty() && textColumns[0].length > 0)
    colFormats[textColumns[0].column].type = EColumnType::kDescription;
  if (textColumns.size() > 1 && textColumns[1].length > 0 && textColumns[1].varies)
    colFormats[textColumns[1].column].type = EColumnType::kNotes;
  return colFormats;
}

// ---- Planning ----

namespace {

// A stored transaction of the account as a duplicate candidate: the day,
// the signed amount for the account (money out negative).
struct CandidateKey {
  std::int64_t day;
  Money amount;
  bool operator<(const CandidateKey& o) const {
    return day != o.day ? day < o.day : amount < o.amount;
  }
};

class CPlanner {
 public:
  CPlanner(CDataBase& db, const CImportOptions& options, const CFitIdStore& fitIds)
      : db_(db), options_(options), fitIds_(fitIds), paths_(db) {
    for (std::size_t c = 0; c < options.columns.size(); ++c)
      byType_[static_cast<std::size_t>(options.columns[c].type)].push_back(c);
    CollectCandidates();
  }

  CPlannedRow Plan(const CDelimitedRow& row, const std::string& fitId);

 private:
  void CollectCandidates();
  // The first non-empty cell of a column of the type, with its column.
  bool First(const CDelimitedRow& row, EColumnType type, std::size_t& column,
             std::string_view& cell) const;
  const std::vector<std::size_t>& ColumnsOf(EColumnType type) const {
    return byType_[static_cast<std::size_t>(type)];
  }
  std::string Joined(const CDelimitedRow& row, EColumnType type) const;
  bool ReadAmount(const CDelimitedRow& row, Money& signedSum, bool& haveSum,
                  std::string& why) const;
  bool ResolvePath(CPlannedRow& out, std::uint32_t root, const std::string& path, const char* what,
                   std::uint32_t& id) const;
  void MarkDuplicate(CPlannedRow& out, Money signedSum);

  CDataBase& db_;
  const CImportOptions& options_;
  const CFitIdStore& fitIds_;
  CSubTypePaths paths_;
  std::array<std::vector<std::size_t>, kColumnTypeCount> byType_;
  std::map<CandidateKey, std::vector<std::uint32_t>> candidates_;
  std::set<std::uint32_t> matched_;  // candidates an earlier row matched
  // Paths looked up already: "ROOT\tPATH" -> id (0: missing).
  mutable std::unordered_map<std::string, std::uint32_t> found_;
};

void CPlanner::CollectCandidates() {
  const std::uint32_t account = options_.account;
  for (auto [id, entry] : db_.Transactions()) {
    const TransactionRecord& t = entry->record;
    const auto day = static_cast<std::int64_t>(WholeDay(t.date));
    if (t.fromAccount == account) candidates_[{day, -t.amountOut}].push_back(id);
    if (t.toAccount == account && !IsExpense(t)) candidates_[{day, t.amountIn}].push_back(id);
  }
}

bool CPlanner::First(const CDelimitedRow& row, EColumnType type, std::size_t& column,
                     std::string_view& cell) const {
  for (std::size_t c : ColumnsOf(type))
    if (c < row.fields.size() && !row.fields[c].empty()) {
      column = c;
      cell = row.fields[c];
      return true;
    }
  return false;
}

std::string CPlanner::Joined(const CDelimitedRow& row, EColumnType type) const {
  std::string text;
  for (std::size_t c : ColumnsOf(type)) {
    if (c >= row.fields.size()) continue;
    std::string_view s = row.fields[c];
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    if (s.empty()) continue;
    if (!text.empty()) text += ' ';
    text += s;
  }
  return text;
}

bool CPlanner::ReadAmount(const CDelimitedRow& row, Money& signedSum, bool& haveSum,
                          std::string& why) const {
  haveSum = false;
  for (std::size_t c : ColumnsOf(EColumnType::kSum)) {
    if (c >= row.fields.size() || row.fields[c].empty()) continue;
    const std::string_view cell = row.fields[c];
    const CColumnFormat& colFormat = options_.columns[c];
    Money value = 0;
    if (!ParseAmountCell(cell, colFormat.amount, value, why)) return false;
    if (value == 0 && colFormat.role != ESumRole::kSigned) continue;  // an empty debit or credit
    if (colFormat.role == ESumRole::kDebit) value = value < 0 ? value : -value;
    if (colFormat.role == ESumRole::kCredit) value = value < 0 ? -value : value;
    if (haveSum) {
      why = "more than one Sum column holds an amount";
      return false;
    }
    signedSum = value;
    haveSum = true;
  }
  return true;
}

bool CPlanner::ResolvePath(CPlannedRow& out, std::uint32_t root, const std::string& path,
                           const char* what, std::uint32_t& id) const {
  id = 0;
  if (path.find_first_not_of(": \t") == std::string::npos) return true;  // names no subtype
  const std::string key = std::to_string(root) + '\t' + path;
  auto it = found_.find(key);
  if (it == found_.end()) it = found_.emplace(key, paths_.Find(root, path)).first;
  id = it->second;
  if (id != 0) return true;
  if (!options_.createCategories) {
    out.status = ERowStatus::kRefused;
    out.reason = std::string(what) + " \"" + path + "\" does not exist";
    return false;
  }
  if (!out.reason.empty()) out.reason += "; ";
  out.reason += std::string("creates ") + what + " \"" + path + "\"";
  return true;
}

void CPlanner::MarkDuplicate(CPlannedRow& out, Money signedSum) {
  const auto day = static_cast<std::int64_t>(WholeDay(out.item.record.date));
  if (!out.fitId.empty()) {
    const std::uint32_t known = fitIds_.Find(options_.account, out.fitId);
    if (known != 0 && db_.Transactions().Find(known) != nullptr) {
      matched_.insert(known);
      out.status = ERowStatus::kDuplicate;
      out.include = false;
      out.reason =
          "already imported (FITID " + out.fitId + ") as transaction " + std::to_string(known);
      return;
    }
  }
  auto it = candidates_.find({day, signedSum});
  if (it == candidates_.end()) return;
  for (std::uint32_t id : it->second) {
    if (matched_.count(id) != 0) continue;
    // A transaction imported with another FITID is a different one.
    if (!out.fitId.empty() && fitIds_.HasTransaction(id)) continue;
    CTransactionItem stored;
    db_.GetTransaction(id, stored);
    if (stored.description != out.item.description) continue;
    matched_.insert(id);
    out.status = ERowStatus::kDuplicate;
    out.include = false;
    out.reason = "same day, amount and description as transaction " + std::to_string(id);
    return;
  }
}

CPlannedRow CPlanner::Plan(const CDelimitedRow& row, const std::string& fitId) {
  CPlannedRow out;
  out.line = row.line;
  out.fitId = fitId;
  out.item.record.date = 0;  // no day until one is read
  auto refuse = [&](std::string why) {
    out.status = ERowStatus::kRefused;
    out.include = false;
    out.reason = std::move(why);
    return out;
  };
  if (std::all_of(row.fields.begin(), row.fields.end(), [](const auto& f) { return f.empty(); }))
    return refuse("an empty row");
  // The day.
  if (ColumnsOf(EColumnType::kDate).empty()) return refuse("no column is of type Date");
  std::size_t column = 0;
  std::string_view cell;
  if (!First(row, EColumnType::kDate, column, cell)) return refuse("no date");
  Date day = 0;
  if (!ParseDateCell(cell, options_.columns[column].date, day))
    return refuse("\"" + std::string(cell) + "\" is not a date written as " +
                  DateStyleText(options_.columns[column].date));
  out.item.record.date = day;
  // The amount: a Sum, or Price x Quantity.
  std::string why;
  Money signedSum = 0;
  bool haveSum = false;
  if (!ReadAmount(row, signedSum, haveSum, why)) return refuse(why);
  Money quantity = kMoneyOne;
  if (First(row, EColumnType::kQuantity, column, cell)) {
    if (!ParseAmountCell(cell, options_.columns[column].amount, quantity, why))
      return refuse("quantity: " + why);
    if (quantity <= 0) return refuse("the quantity is not above 0");
  }
  if (!haveSum) {
    if (ColumnsOf(EColumnType::kSum).empty() && ColumnsOf(EColumnType::kPrice).empty())
      return refuse("no column is of type Sum or Price");
    if (!First(row, EColumnType::kPrice, column, cell)) return refuse("no amount");
    Money price = 0;
    if (!ParseAmountCell(cell, options_.columns[column].amount, price, why))
      return refuse("price: " + why);
    const WideMoney product = WideMulDiv(price, quantity, kMoneyOne);
    if (!FitsMoney(product)) return refuse("price x quantity is too large");
    signedSum = static_cast<Money>(product);
  }
  if (signedSum == 0) return refuse("the amount is 0");
  if (signedSum == INT64_MIN) return refuse("the amount is too large");
  // The kind: chosen, or by the sign.
  bool expense = options_.kind == EImportKind::kExpense;
  if (options_.kind == EImportKind::kAuto) expense = signedSum < 0;
  const Money amount = signedSum < 0 ? -signedSum : signedSum;
  out.amount = signedSum;
  // Texts.
  out.item.description = Joined(row, EColumnType::kDescription);
  out.item.comment = Joined(row, EColumnType::kNotes);
  // Subtype paths.
  out.category = Joined(row, EColumnType::kCategory);
  out.member = Joined(row, EColumnType::kMember);
  out.section = Joined(row, EColumnType::kSection);
  // A stored text ends at its first zero byte and holds at most 65535 bytes.
  for (const std::string* text :
       {&out.item.description, &out.item.comment, &out.category, &out.member, &out.section}) {
    if (text->size() > kMaxText) return refuse("a text longer than 65535 bytes");
    if (text->find('\0') != std::string::npos) return refuse("a text holds a zero byte");
  }
  TransactionRecord& r = out.item.record;
  r.fromAccount = expense ? options_.account : 0;
  r.toAccount = expense ? 0 : options_.account;
  r.amountOut = r.amountIn = amount;
  r.quantity = static_cast<float>(static_cast<double>(quantity) / kMoneyOne);
  if (!ResolvePath(out, expense ? kExpenseRoot : kIncomeRoot, out.category, "category",
                   r.categoryId) ||
      !ResolvePath(out, kMemberRoot, out.member, "family member", r.memberId) ||
      !ResolvePath(out, kSectionRoot, out.section, "section", r.sectionId)) {
    out.include = false;
    return out;
  }
  MarkDuplicate(out, expense ? -amount : amount);
  return out;
}

}  // namespace

namespace {

// With the kind chosen, a file whose amounts have both signs most likely
// holds some rows of the other kind: the rows of the rarer sign say so.
void NoteOddSigns(CImportPlan& plan, EImportKind kind) {
  if (kind == EImportKind::kAuto) return;
  std::size_t negative = 0, positive = 0;
  for (const CPlannedRow& row : plan.rows)
    if (row.status != ERowStatus::kRefused) (row.amount < 0 ? negative : positive) += 1;
  if (negative == 0 || positive == 0) return;
  const bool oddNegative = negative < positive;
  const char* note = kind == EImportKind::kExpense
                         ? "its sign differs from most rows; taken as an expense"
                         : "its sign differs from most rows; taken as an income";
  for (CPlannedRow& row : plan.rows)
    if (row.status != ERowStatus::kRefused && (row.amount < 0) == oddNegative)
      row.reason = row.reason.empty() ? note : row.reason + "; " + note;
}

}  // namespace

CImportPlan PlanImport(CDataBase& db, const CSourceTable& table, const CImportOptions& options,
                       const CFitIdStore& fitIds) {
  CImportPlan plan;
  CPlanner planner(db, options, fitIds);
  const std::size_t first = options.firstRow > 0 ? options.firstRow - 1 : 0;
  for (std::size_t r = first; r < table.rows.size(); ++r)
    plan.rows.push_back(
        planner.Plan(table.rows[r], r < table.fitIds.size() ? table.fitIds[r] : std::string()));
  NoteOddSigns(plan, options.kind);
  return plan;
}

// ---- Applying and undoing ----

namespace {

// Creates the missing parts of a path below `root`; 0 when a part could not
// be stored.
std::uint32_t CreatePath(CDataBase& db, CSubTypePaths& paths, std::uint32_t root,
                         const std::string& path, std::vector<std::uint32_t>& created) {
  std::uint32_t parent = root;
  std::string sofar;
  for (const std::string& part : CSubTypePaths::Split(path)) {
    sofar += (sofar.empty() ? "" : ":") + part;
    std::uint32_t id = paths.Find(root, sofar);
    if (id == 0) {
      CSubTypeItem item;
      item.name = part;
      item.record.parentId = parent;
      id = db.AddSubType(item);
      if (id == 0) return 0;
      paths.Add(id, parent, part);
      created.push_back(id);
    }
    parent = id;
  }
  return parent;
}

}  // namespace

CImportResult ApplyImport(CDataBase& db, const CImportPlan& plan, const CImportOptions& options,
                          CFitIdStore& fitIds, TImportProgress progress, void* context) {
  CImportResult result;
  CSubTypePaths paths(db);
  std::vector<std::tuple<std::uint32_t, std::string, std::uint32_t>> remembered;
  const std::size_t total = plan.CountIncluded();
  auto fail = [&](const std::string& what) {
    result.ok = false;
    const std::string reason = db.GetLastWriteError();
    result.error = what + (reason.empty() ? "" : ": " + reason);
  };
  // Rows go to the file in chunks, each in one write that is stored whole
  // or not at all; the subtypes a chunk needs are created before it.
  constexpr std::size_t kChunk = 4096;
  std::vector<TransactionRecord> records;
  std::vector<std::array<std::string, 2>> texts;
  std::vector<const CPlannedRow*> rows;
  std::vector<std::uint32_t> ids;
  auto flush = [&]() {
    if (rows.empty()) return true;
    if (!db.AppendTransactions(records, texts, ids)) {
      fail("line " + std::to_string(rows.front()->line) + " and the " +
           std::to_string(rows.size() - 1) + " rows after it could not be stored");
      return false;
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
      result.transactions.push_back(ids[i]);
      result.fingerprints.push_back(TransactionFingerprint(db, ids[i]));
      if (!rows[i]->fitId.empty()) remembered.emplace_back(options.account, rows[i]->fitId, ids[i]);
    }
    records.clear();
    texts.clear();
    rows.clear();
    if (progress != nullptr) progress(context, result.transactions.size(), total);
    return true;
  };
  db.BeginBatch();
  for (const CPlannedRow& row : plan.rows) {
    if (row.status == ERowStatus::kRefused || !row.include) continue;
    TransactionRecord record = row.item.record;
    const bool expense = IsExpense(record);
    struct {
      std::uint32_t root;
      const std::string& path;
      std::uint32_t& id;
    } const subtypes[] = {{expense ? kExpenseRoot : kIncomeRoot, row.category, record.categoryId},
                          {kMemberRoot, row.member, record.memberId},
                          {kSectionRoot, row.section, record.sectionId}};
    bool stored = true;
    for (const auto& sub : subtypes)
      if (sub.id == 0 && stored && !CSubTypePaths::Split(sub.path).empty()) {
        sub.id = CreatePath(db, paths, sub.root, sub.path, result.subtypes);
        stored = sub.id != 0;
      }
    if (!stored) {
      if (flush())
        fail("the category, member or section of line " + std::to_string(row.line) +
             " could not be stored");
      break;
    }
    records.push_back(record);
    texts.push_back({row.item.description, row.item.comment});
    rows.push_back(&row);
    if (rows.size() == kChunk && !flush()) break;
  }
  if (result.ok) flush();
  if (!db.EndBatch("Import") && result.ok) fail("the import could not be synced to the disk");
  std::string error;
  if (result.ok && !fitIds.Add(remembered, error)) {
    result.ok = false;
    result.error = "the statement's transaction ids could not be remembered: " + error;
  }
  return result;
}

namespace {

// FNV-1a, 64 bits: enough to tell a changed transaction from an unchanged
// one (no one crafts collisions in their own bookkeeping).
class CFingerprint {
 public:
  void Add(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) hash_ = (hash_ ^ bytes[i]) * 0x100000001b3ULL;
  }
  template <class T>
  void AddValue(const T& value) {
    Add(&value, sizeof value);
  }
  void AddText(const std::string& text) {
    AddValue(static_cast<std::uint64_t>(text.size()));
    Add(text.data(), text.size());
  }
  std::uint64_t Value() const { return hash_ == 0 ? 1 : hash_; }  // 0 stands for none

 private:
  std::uint64_t hash_ = 0xcbf29ce484222325ULL;
};

}  // namespace

std::uint64_t TransactionFingerprint(CDataBase& db, std::uint32_t id) {
  if (db.Transactions().Find(id) == nullptr) return 0;
  CTransactionItem item;
  db.GetTransaction(id, item);
  const TransactionRecord& r = item.record;
  CFingerprint print;
  print.AddValue(r.date);
  print.AddValue(r.fromAccount);
  print.AddValue(r.toAccount);
  print.AddValue(r.amountOut);
  print.AddValue(r.amountIn);
  print.AddValue(r.quantity);
  print.AddValue(r.memberId);
  print.AddValue(r.categoryId);
  print.AddValue(r.sectionId);
  print.AddText(item.description);
  print.AddText(item.comment);
  return print.Value();
}

CImportChanges FindChangedSinceImport(CDataBase& db, const std::vector<std::uint32_t>& transactions,
                                      const std::vector<std::uint64_t>& fingerprints) {
  CImportChanges changes;
  changes.known = fingerprints.size() == transactions.size();
  for (std::size_t i = 0; i < transactions.size(); ++i) {
    const std::uint64_t now = TransactionFingerprint(db, transactions[i]);
    if (now == 0) continue;
    ++changes.remaining;
    if (changes.known && now != fingerprints[i]) changes.changed.push_back(transactions[i]);
  }
  return changes;
}

bool UndoImport(CDataBase& db, const std::vector<std::uint32_t>& transactions,
                const std::vector<std::uint32_t>& subtypes, std::string& error,
                const std::vector<std::uint32_t>& keep) {
  const std::set<std::uint32_t> kept(keep.begin(), keep.end());
  db.BeginBatch();
  bool ok = true;
  for (std::uint32_t id : transactions) {
    if (db.Transactions().Find(id) == nullptr || kept.count(id) != 0) continue;
    if (!db.DelTransaction(id)) {
      ok = false;
      break;
    }
  }
  if (ok) {
    // Created subtypes, the deepest first, while nothing uses them.
    std::set<std::uint32_t> used;
    for (auto [id, entry] : db.Transactions())
      used.insert({entry->record.categoryId, entry->record.memberId, entry->record.sectionId});
    for (auto [id, entry] : db.PlnTransactions())
      used.insert({entry->record.transaction.categoryId, entry->record.transaction.memberId,
                   entry->record.transaction.sectionId});
    auto hasChildren = [&](std::uint32_t parent) {
      for (auto [id, entry] : db.SubTypes())
        if (entry->record.parentId == parent) return true;
      return false;
    };
    for (auto it = subtypes.rbegin(); it != subtypes.rend() && ok; ++it)
      if (db.SubTypes().Find(*it) != nullptr && used.count(*it) == 0 && !hasChildren(*it))
        ok = db.DelSubType(*it, false);
  }
  const bool synced = db.EndBatch("UndoImport");
  if (!ok || !synced) {
    const std::string reason = db.GetLastWriteError();
    error = "the import could not be undone" + (reason.empty() ? "" : ": " + reason);
    return false;
  }
  return true;
}

// ---- Id lists ----

std::string IdRangesText(const std::vector<std::uint32_t>& ids) {
  std::vector<std::uint32_t> sorted(ids);
  std::sort(sorted.begin(), sorted.end());
  sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
  std::string text;
  for (std::size_t i = 0; i < sorted.size();) {
    std::size_t j = i;
    while (j + 1 < sorted.size() && sorted[j + 1] == sorted[j] + 1) ++j;
    if (!text.empty()) text += ',';
    text += std::to_string(sorted[i]);
    if (j > i) text += '-' + std::to_string(sorted[j]);
    i = j + 1;
  }
  return text;
}

bool ParseIdRanges(std::string_view text, std::vector<std::uint32_t>& ids) {
  ids.clear();
  const char* p = text.data();
  const char* end = p + text.size();
  // A list of 10 million ids at most: a damaged setting cannot ask for more.
  constexpr std::size_t kMaxIds = 10'000'000;
  while (p < end) {
    std::uint32_t a = 0, b = 0;
    auto r = std::from_chars(p, end, a);
    if (r.ec != std::errc()) return false;
    p = r.ptr;
    b = a;
    if (p < end && *p == '-') {
      r = std::from_chars(p + 1, end, b);
      if (r.ec != std::errc() || b < a) return false;
      p = r.ptr;
    }
    if (ids.size() + (b - a) >= kMaxIds) return false;
    for (std::uint64_t id = a; id <= b; ++id) ids.push_back(static_cast<std::uint32_t>(id));
    if (p < end && *p++ != ',') return false;
  }
  return true;
}

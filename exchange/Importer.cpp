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

#include "BankCheck.h"
#include "Rules.h"
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

// ---- Debit/credit marks ----

namespace {

// A cell without its surrounding blanks (spaces, tabs, line breaks,
// no-break spaces).
std::string_view Trimmed(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r\n", kNbsp = "\xC2\xA0";
  for (;;) {
    if (!text.empty() && kBlanks.find(text.front()) != std::string_view::npos)
      text.remove_prefix(1);
    else if (text.starts_with(kNbsp))
      text.remove_prefix(2);
    else if (!text.empty() && kBlanks.find(text.back()) != std::string_view::npos)
      text.remove_suffix(1);
    else if (text.ends_with(kNbsp))
      text.remove_suffix(2);
    else
      return text;
  }
}

// The cell trimmed and in lower case: ASCII letters and the accented
// capitals of Latin-1 (UTF-8 "É" -> "é") are folded.
std::string Folded(std::string_view text) {
  std::string out(Trimmed(text));
  for (std::size_t i = 0; i < out.size(); ++i) {
    const auto c = static_cast<unsigned char>(out[i]);
    if (c >= 'A' && c <= 'Z') {
      out[i] = static_cast<char>(c + 32);
    } else if (c == 0xC3 && i + 1 < out.size()) {
      const auto next = static_cast<unsigned char>(out[i + 1]);
      if (next >= 0x80 && next <= 0x9E && next != 0x97) out[i + 1] = static_cast<char>(next + 32);
      ++i;
    }
  }
  return out;
}

struct TMarkPair {
  const char* out;
  const char* in;
};
// Folded as above. "D" pairs with "C" (English, French) and with "H"
// (Spanish Debe/Haber).
constexpr TMarkPair kMarkPairs[] = {
    {"d", "c"},
    {"dr", "cr"},
    {"debit", "credit"},
    {"débit", "crédit"},
    {"s", "h"},
    {"soll", "haben"},
    {"lastschrift", "gutschrift"},
    {"-", "+"},
    {"cargo", "abono"},
    {"debe", "haber"},
    {"d", "h"},
};

// Whether a column's cells are all marks of one pair: both marks present,
// or only one when it is a word (a lone "D" or "-" may mean anything).
// `outMark` is the pair's money-out mark, as the column writes it.
bool ColumnOfMarks(const std::vector<std::string_view>& cells, std::string& outMark) {
  std::set<std::string> values;
  for (std::string_view cell : cells) {
    std::string value = Folded(cell);
    if (!value.empty()) values.insert(std::move(value));
    if (values.size() > 2) return false;
  }
  if (values.empty()) return false;
  for (const TMarkPair& pair : kMarkPairs) {
    const bool fits = std::all_of(values.begin(), values.end(), [&](const std::string& v) {
      return v == pair.out || v == pair.in;
    });
    if (!fits) continue;
    if (values.size() == 1 && values.begin()->size() < 2) return false;
    outMark = pair.out;
    for (std::string_view cell : cells)
      if (Folded(cell) == pair.out) {
        outMark = Trimmed(cell);  // the file's own spelling
        break;
      }
    return true;
  }
  return false;
}

// Words of column headers that name a debit (money out) or a credit (money
// in) column, as runs of folded words.
constexpr const char* kDebitWords[] = {
    "debit",         "debits",    "débit",       "débits",    "paid out",    "withdrawal",
    "withdrawals",   "money out", "soll",        "ausgang",   "ausgänge",    "lastschrift",
    "lastschriften", "belastung", "belastungen", "abbuchung", "abbuchungen", "retrait",
    "retraits",      "sortie",    "sorties",     "cargo",     "cargos",      "debe",
    "retiro",        "retiros",   "salida",      "salidas"};
constexpr const char* kCreditWords[] = {
    "credit",       "credits",  "crédit",  "crédits",  "paid in",  "deposit",
    "deposits",     "money in", "haben",   "eingang",  "eingänge", "gutschrift",
    "gutschriften", "dépôt",    "dépôts",  "entrée",   "entrées",  "abono",
    "abonos",       "haber",    "ingreso", "ingresos", "depósito", "depósitos"};

// Words of column headers that name the bank's running balance.
constexpr const char* kBalanceWords[] = {"balance", "saldo", "kontostand", "solde"};

// German compounds end in these ("Zahlungsausgang", "SEPA-Gutschrift").
constexpr const char* kDebitEndings[] = {"ausgang",   "ausgänge",    "lastschrift", "lastschriften",
                                         "belastung", "belastungen", "abbuchung",   "abbuchungen"};
constexpr const char* kCreditEndings[] = {"eingang", "eingänge", "gutschrift", "gutschriften"};

// The side a column header names: a debit or credit word in it ("Betrag
// Soll", "Paid in", "Zahlungseingang"), or "out" or "in" as its last word
// ("Out", "Amount in"); kUnknown when it names none or both.
EMarkSide HeaderSide(std::string_view header) {
  // The folded words, one blank between them and around them.
  std::string words = " ";
  for (char c : Folded(header)) {
    const bool letter = (c >= 'a' && c <= 'z') || static_cast<unsigned char>(c) >= 0x80;
    if (letter)
      words += c;
    else if (words.back() != ' ')
      words += ' ';
  }
  if (words.back() != ' ') words += ' ';
  auto names = [&](const auto& list) {
    return std::any_of(std::begin(list), std::end(list), [&](const char* w) {
      return words.find(' ' + std::string(w) + ' ') != std::string::npos;
    });
  };
  auto ends = [&](const auto& list) {
    return std::any_of(std::begin(list), std::end(list), [&](const char* w) {
      return words.find(std::string(w) + ' ') != std::string::npos;
    });
  };
  const bool out = names(kDebitWords) || ends(kDebitEndings) || words.ends_with(" out ");
  const bool in = names(kCreditWords) || ends(kCreditEndings) || words.ends_with(" in ");
  return out == in ? EMarkSide::kUnknown : out ? EMarkSide::kOut : EMarkSide::kIn;
}

}  // namespace

EMarkSide MarkSide(std::string_view mark) {
  const std::string value = Folded(mark);
  for (const TMarkPair& pair : kMarkPairs) {
    if (value == pair.out) return EMarkSide::kOut;
    if (value == pair.in) return EMarkSide::kIn;
  }
  return EMarkSide::kUnknown;
}

bool SameMark(std::string_view a, std::string_view b) {
  return Folded(a) == Folded(b);
}

EMarkSide MarkSideIn(std::string_view mark, std::string_view outMark) {
  if (Folded(outMark).empty()) return MarkSide(mark);
  if (SameMark(mark, outMark)) return EMarkSide::kOut;
  return MarkSide(mark) == EMarkSide::kUnknown ? EMarkSide::kUnknown : EMarkSide::kIn;
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

// Styles and types are told from so many rows at most: more rows of a
// long statement would only repeat what the first ones show.
constexpr std::size_t kSampleRows = 5000;

// The column's cells from `firstRow` on, at most `limit` of them (0: all).
std::vector<std::string_view> ColumnCells(const CSourceTable& table, std::size_t column,
                                          std::size_t firstRow, std::size_t limit = kSampleRows) {
  std::vector<std::string_view> cells;
  for (std::size_t r = firstRow > 0 ? firstRow - 1 : 0;
       r < table.rows.size() && (limit == 0 || cells.size() < limit); ++r)
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
  constexpr std::size_t kRun = 3;
  const std::size_t looked = std::min(table.rows.size(), kGuessRows);
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
  // One day past the 12th anywhere in the file decides the order.
  const auto cells = ColumnCells(table, column, firstRow, 0);
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
  if (type == EColumnType::kMark) ColumnOfMarks(cells, colFormat.outMark);
  return colFormat;
}

namespace {

// Whether two amount columns hold the amounts between them: no row (but
// one in ten, a total at the end, say) fills both, each fills one in some
// rows. An amount of 0 counts as empty: some banks write 0.00 in the other
// column.
bool FillOneEach(const CSourceTable& table, std::size_t firstRow,
                 const std::vector<CColumnFormat>& columns, std::size_t a, std::size_t b) {
  auto filled = [&](const CDelimitedRow& row, std::size_t c) {
    if (c >= row.fields.size() || Trimmed(row.fields[c]).empty()) return false;
    Money value = 0;
    std::string why;
    return !ParseAmountCell(row.fields[c], columns[c].amount, value, why) || value != 0;
  };
  std::size_t onlyA = 0, onlyB = 0, both = 0;
  for (std::size_t r = firstRow > 0 ? firstRow - 1 : 0; r < table.rows.size(); ++r) {
    const bool inA = filled(table.rows[r], a), inB = filled(table.rows[r], b);
    onlyA += inA && !inB ? 1 : 0;
    onlyB += inB && !inA ? 1 : 0;
    both += inA && inB ? 1 : 0;
  }
  return onlyA > 0 && onlyB > 0 && both * 10 <= onlyA + onlyB;
}

// The side the header (the row above the first one) names column `c`.
EMarkSide HeaderSideOf(const CSourceTable& table, std::size_t firstRow, std::size_t c) {
  if (firstRow < 2 || firstRow - 2 >= table.rows.size()) return EMarkSide::kUnknown;
  const std::vector<std::string>& names = table.rows[firstRow - 2].fields;
  return c < names.size() ? HeaderSide(names[c]) : EMarkSide::kUnknown;
}

// Whether the header names column `c` as a balance ("Balance", "Running
// balance", "Saldo", "Kontostand", "Solde"): the bank's balance after
// each row, not the row's amount.
bool HeaderNamesBalance(const CSourceTable& table, std::size_t firstRow, std::size_t c) {
  if (firstRow < 2 || firstRow - 2 >= table.rows.size()) return false;
  const std::vector<std::string>& names = table.rows[firstRow - 2].fields;
  if (c >= names.size()) return false;
  const std::string header = Folded(names[c]);
  return std::any_of(std::begin(kBalanceWords), std::end(kBalanceWords),
                     [&](const char* w) { return header.find(w) != std::string::npos; });
}

}  // namespace

bool DebitCreditUndecided(const CSourceTable& table, std::size_t firstRow,
                          const std::vector<CColumnFormat>& columns, std::size_t& first,
                          std::size_t& second) {
  std::vector<std::size_t> sums;
  for (std::size_t c = 0; c < columns.size(); ++c)
    if (columns[c].type == EColumnType::kSum && columns[c].role == ESumRole::kSigned)
      sums.push_back(c);
  if (sums.size() != 2 || !FillOneEach(table, firstRow, columns, sums[0], sums[1])) return false;
  first = sums[0];
  second = sums[1];
  return true;
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
  std::vector<std::size_t> amountColumns;
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
      continue;
    }
    if (amounts) amountColumns.push_back(c);
    if (!haveSum && amounts) {
      colFormats[c].type = EColumnType::kSum;
      haveSum = true;
    } else if (!amounts && !dates && ColumnOfMarks(cells, colFormats[c].outMark)) {
      colFormats[c].type = EColumnType::kMark;
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
  // An amount column headed as a balance is a Balance column (while another
  // amount column is left); when it was taken for the Sum column, the next
  // amount column is the Sum.
  // A column that shares the rows with another (a debit/credit pair) is no
  // balance, whatever its header says.
  auto balance = [&](std::size_t c) {
    return HeaderNamesBalance(table, firstRow, c) &&
           std::none_of(amountColumns.begin(), amountColumns.end(), [&](std::size_t d) {
             return d != c &&
                    FillOneEach(table, firstRow, colFormats, std::min(c, d), std::max(c, d));
           });
  };
  std::vector<std::size_t> amounts;
  for (std::size_t c : amountColumns)
    if (!balance(c)) amounts.push_back(c);
  if (!amounts.empty() && amounts.size() < amountColumns.size()) {
    for (std::size_t c : amountColumns)
      if (balance(c)) colFormats[c].type = EColumnType::kBalance;
    if (std::none_of(colFormats.begin(), colFormats.end(),
                     [](const CColumnFormat& f) { return f.type == EColumnType::kSum; }))
      colFormats[amounts[0]].type = EColumnType::kSum;
    amountColumns = amounts;
  }
  // Two amount columns that share the rows between them are a debit and a
  // credit column (the first of them being the Sum column found above, a
  // balance or the like being another amount column); the header says which
  // is which, or they stay two Sum columns for the user to tell.
  [&] {
    for (std::size_t i = 0; i < amountColumns.size(); ++i)
      for (std::size_t j = i + 1; j < amountColumns.size(); ++j) {
        const std::size_t a = amountColumns[i], b = amountColumns[j];
        if (!FillOneEach(table, firstRow, colFormats, a, b)) continue;
        for (CColumnFormat& f : colFormats)
          if (f.type == EColumnType::kSum) f.type = EColumnType::kNone;
        colFormats[a].type = colFormats[b].type = EColumnType::kSum;
        const EMarkSide sideA = HeaderSideOf(table, firstRow, a);
        const EMarkSide sideB = HeaderSideOf(table, firstRow, b);
        bool aIsDebit = false, decided = true;
        if (sideA == EMarkSide::kOut && sideB != EMarkSide::kOut)
          aIsDebit = true;
        else if (sideB == EMarkSide::kOut && sideA != EMarkSide::kOut)
          aIsDebit = false;
        else if (sideA == EMarkSide::kIn && sideB != EMarkSide::kIn)
          aIsDebit = false;
        else if (sideB == EMarkSide::kIn && sideA != EMarkSide::kIn)
          aIsDebit = true;
        else
          decided = false;
        if (decided) {
          colFormats[a].role = aIsDebit ? ESumRole::kDebit : ESumRole::kCredit;
          colFormats[b].role = aIsDebit ? ESumRole::kCredit : ESumRole::kDebit;
        }
        return;  // the first pair only
      }
  }();
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

std::string_view CImportPlan::Text(std::uint32_t text) const {
  if (text == 0 || text > spans_.size()) return {};
  const CSpan& span = spans_[text - 1];
  return std::string_view(texts_.begin() + span.at, span.size);
}

std::uint32_t CImportPlan::AddText(std::string_view text) {
  if (text.empty()) return 0;
  spans_.push_back({texts_.size(), static_cast<std::uint32_t>(text.size())});
  std::memcpy(texts_.append(text.size()), text.data(), text.size());
  return static_cast<std::uint32_t>(spans_.size());
}

void CheckStatementBalance(CImportPlan& plan) {
  CStatementBalance& b = plan.balance;
  b.suspects.clear();
  if (!b.known) return;
  const Date last = WholeDay(b.day);
  auto stored = [](const CPlannedRow& row) {
    return row.status != ERowStatus::kRefused && row.include;
  };
  // What a row adds to the account: it is the row's only account.
  auto effect = [](const CPlannedRow& row) {
    return row.record.toAccount != 0 ? row.record.amountIn : -row.record.amountOut;
  };
  b.books = b.before;
  for (const CPlannedRow& row : plan.rows)
    if (stored(row) && !(WholeDay(row.record.date) > last)) b.books = WrapAdd(b.books, effect(row));
  b.difference = WrapSub(b.bank, b.books);
  if (b.difference == 0) return;
  // Rows left out, and rows stored but dated after the day; those whose
  // amount is the difference come first.
  constexpr std::size_t kMostSuspects = 20;
  std::vector<std::size_t> other;
  for (std::size_t i = 0; i < plan.rows.size(); ++i) {
    const CPlannedRow& row = plan.rows[i];
    const bool after = WholeDay(row.record.date) > last;
    if (stored(row) && !after) continue;
    // A refused row may have no transaction: the amount as the file wrote it.
    const Money amount = row.status != ERowStatus::kRefused ? effect(row) : row.amount;
    if (amount == b.difference && b.suspects.size() < kMostSuspects)
      b.suspects.push_back(i);
    else if (other.size() < kMostSuspects)
      other.push_back(i);
  }
  for (std::size_t i : other)
    if (b.suspects.size() < kMostSuspects) b.suspects.push_back(i);
}

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

}  // namespace

class CImportPlanner::CImpl {
 public:
  CImpl(CDataBase& db, const CImportOptions& options, const CFitIdStore& fitIds)
      : db_(db), options_(options), fitIds_(fitIds), paths_(db) {
    for (std::size_t c = 0; c < options.columns.size(); ++c)
      byType_[static_cast<std::size_t>(options.columns[c].type)].push_back(c);
    CollectCandidates();
  }

  void PlanPiece(const CSourceTable& piece, std::size_t first, CImportPlan& plan) {
    // Rows before the first row (a header) are not planned.
    for (std::size_t r = 0; r < piece.rows.size(); ++r)
      if (first + r + 1 >= options_.firstRow)
        Plan(piece.rows[r], r < piece.fitIds.size() ? piece.fitIds[r] : std::string(), plan);
  }
  void Plan(const CDelimitedRow& row, const std::string& fitId, CImportPlan& plan);
  void Finish(const CStatementInfo& statement, CImportPlan& plan);

 private:
  void CollectCandidates();
  // The first non-empty cell of a column of the type, with its column.
  bool First(const CDelimitedRow& row, EColumnType type, std::size_t& column,
             std::string_view& cell) const;
  const std::vector<std::size_t>& ColumnsOf(EColumnType type) const {
    return byType_[static_cast<std::size_t>(type)];
  }
  std::string Joined(const CDelimitedRow& row, EColumnType type) const;
  bool ReadAmount(const CDelimitedRow& row, Money& signedSum, bool& haveSum, bool& byRole,
                  std::string& why) const;
  bool ApplyMark(const CDelimitedRow& row, Money& signedSum, std::string& why) const;
  // Plans the row into `out` (its texts in `texts`); false when refused.
  bool Fill(const CDelimitedRow& row, CPlannedRow& out, std::string& reason,
            std::array<std::string, 5>& texts, std::string& source);
  bool ResolvePath(std::string& reason, std::uint32_t root, const std::string& path,
                   const char* what, std::uint32_t& id, bool& refused);
  void MarkDuplicate(CPlannedRow& out, std::string& reason, const std::string& description,
                     const std::string& alsoDescription, const std::string& fitId, Money signedSum);
  // Gives the row the category, member and section its file leaves out (a
  // rule's, or learned); a rule may give it a clean description too.
  void Categorize(CPlannedRow& out, std::array<std::string, 5>& texts, std::string& source);
  // Whether `id` is a subtype below `root` that a row may take.
  bool Fits(std::uint32_t id, std::uint32_t root) const {
    return id != 0 && paths_.RootOf(id) == root;
  }
  void TrackBalance(const CDelimitedRow& row, Date day);
  void NoteOddSigns(CImportPlan& plan) const;
  CStatementBalance Balance(const CStatementInfo& statement) const;

  CDataBase& db_;
  const CImportOptions& options_;
  const CFitIdStore& fitIds_;
  CSubTypePaths paths_;
  std::array<std::vector<std::size_t>, kColumnTypeCount> byType_;
  std::map<CandidateKey, std::vector<std::uint32_t>> candidates_;
  std::set<std::uint32_t> matched_;  // candidates an earlier row matched
  // Paths looked up already: "ROOT\tPATH" -> id (0: missing).
  std::unordered_map<std::string, std::uint32_t> found_;
  std::unordered_set<std::string> noted_;  // missing paths a row noted
  // Subtype paths as texts of the plan, each kept once.
  std::unordered_map<std::string, std::uint32_t> pathTexts_;
  // The Balance column: the first and the last day the statement's rows
  // have (telling whether it runs forward or backward), the latest day
  // with a balance, and the first and last balance read for that day.
  bool dated_ = false, haveBank_ = false;
  std::int64_t firstDay_ = 0, lastDay_ = 0, bankDay_ = 0;
  Money firstOfDay_ = 0, lastOfDay_ = 0;
};

void CImportPlanner::CImpl::CollectCandidates() {
  const std::uint32_t account = options_.account;
  for (auto [id, entry] : db_.Transactions()) {
    const TransactionRecord t = entry->record;
    const auto day = static_cast<std::int64_t>(WholeDay(t.date));
    if (t.fromAccount == account) candidates_[{day, -t.amountOut}].push_back(id);
    if (t.toAccount == account && !IsExpense(t)) candidates_[{day, t.amountIn}].push_back(id);
  }
}

bool CImportPlanner::CImpl::First(const CDelimitedRow& row, EColumnType type, std::size_t& column,
                                  std::string_view& cell) const {
  for (std::size_t c : ColumnsOf(type))
    if (c < row.fields.size() && !row.fields[c].empty()) {
      column = c;
      cell = row.fields[c];
      return true;
    }
  return false;
}

std::string CImportPlanner::CImpl::Joined(const CDelimitedRow& row, EColumnType type) const {
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

bool CImportPlanner::CImpl::ReadAmount(const CDelimitedRow& row, Money& signedSum, bool& haveSum,
                                       bool& byRole, std::string& why) const {
  haveSum = false;
  byRole = false;
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
      why = byRole && colFormat.role != ESumRole::kSigned
                ? "both the debit and the credit column hold an amount"
                : "more than one Sum column holds an amount";
      return false;
    }
    signedSum = value;
    haveSum = true;
    byRole = colFormat.role != ESumRole::kSigned;
  }
  return true;
}

// A Mark column gives the amount its sign: money out is negative, money in
// positive. An amount written with a minus and marked as money in is
// refused rather than turned around.
bool CImportPlanner::CImpl::ApplyMark(const CDelimitedRow& row, Money& signedSum,
                                      std::string& why) const {
  const std::vector<std::size_t>& marks = ColumnsOf(EColumnType::kMark);
  if (marks.empty()) return true;
  const std::size_t c = marks.front();
  const std::string_view cell = c < row.fields.size() ? Trimmed(row.fields[c]) : "";
  const std::string& outMark = options_.columns[c].outMark;
  const EMarkSide side = MarkSideIn(cell, outMark);
  if (side == EMarkSide::kUnknown) {
    why = cell.empty() ? "no debit/credit mark"
                       : "\"" + std::string(cell) + "\" is not a known debit/credit mark";
    if (!Trimmed(outMark).empty()) why += " (money out is marked \"" + outMark + "\")";
    return false;
  }
  if (side == EMarkSide::kIn && signedSum < 0) {
    why = "the amount has a minus but its mark \"" + std::string(cell) + "\" means money in";
    return false;
  }
  if (side == EMarkSide::kOut && signedSum > 0) signedSum = -signedSum;
  return true;
}

bool CImportPlanner::CImpl::ResolvePath(std::string& reason, std::uint32_t root,
                                        const std::string& path, const char* what,
                                        std::uint32_t& id, bool& refused) {
  id = 0;
  if (path.find_first_not_of(": \t") == std::string::npos) return true;  // names no subtype
  const std::string key = std::to_string(root) + '\t' + path;
  auto it = found_.find(key);
  if (it == found_.end()) it = found_.emplace(key, paths_.Find(root, path)).first;
  id = it->second;
  if (id != 0) return true;
  if (!options_.createCategories) {
    refused = true;
    reason = std::string(what) + " \"" + path + "\" does not exist";
    return false;
  }
  // The first row that names a missing path says it will be created.
  if (!noted_.insert(key).second) return true;
  if (!reason.empty()) reason += "; ";
  reason += std::string("creates ") + what + " \"" + path + "\"";
  return true;
}

void CImportPlanner::CImpl::MarkDuplicate(CPlannedRow& out, std::string& reason,
                                          const std::string& description,
                                          const std::string& alsoDescription,
                                          const std::string& fitId, Money signedSum) {
  const auto day = static_cast<std::int64_t>(WholeDay(out.record.date));
  if (!fitId.empty()) {
    const std::uint32_t known = fitIds_.Find(options_.account, fitId);
    if (known != 0 && db_.Transactions().Find(known) != nullptr) {
      matched_.insert(known);
      out.status = ERowStatus::kDuplicate;
      out.include = false;
      reason = "already imported (FITID " + fitId + ") as transaction " + std::to_string(known);
      return;
    }
  }
  auto it = candidates_.find({day, signedSum});
  if (it == candidates_.end()) return;
  for (std::uint32_t id : it->second) {
    if (matched_.count(id) != 0) continue;
    // A transaction imported with another FITID is a different one.
    if (!fitId.empty() && fitIds_.HasTransaction(id)) continue;
    CTransactionItem stored;
    db_.GetTransaction(id, stored);
    // The description as the file writes it, or as a rule cleaned it.
    if (stored.description != description && stored.description != alsoDescription) continue;
    matched_.insert(id);
    out.status = ERowStatus::kDuplicate;
    out.include = false;
    reason = "same day, amount and description as transaction " + std::to_string(id);
    return;
  }
}

void CImportPlanner::CImpl::TrackBalance(const CDelimitedRow& row, Date day) {
  const auto whole = static_cast<std::int64_t>(WholeDay(day));
  if (!dated_) firstDay_ = whole;
  dated_ = true;
  lastDay_ = whole;
  std::size_t column = 0;
  std::string_view cell;
  if (!First(row, EColumnType::kBalance, column, cell)) return;
  Money balance = 0;
  std::string why;
  if (!ParseAmountCell(cell, options_.columns[column].amount, balance, why)) return;
  if (!haveBank_ || whole > bankDay_) {
    haveBank_ = true;
    bankDay_ = whole;
    firstOfDay_ = balance;
  }
  if (whole == bankDay_) lastOfDay_ = balance;
}

bool CImportPlanner::CImpl::Fill(const CDelimitedRow& row, CPlannedRow& out, std::string& reason,
                                 std::array<std::string, 5>& texts, std::string& source) {
  auto refuse = [&](std::string why) {
    out.status = ERowStatus::kRefused;
    out.include = false;
    reason = std::move(why);
    return false;
  };
  if (std::all_of(row.fields.begin(), row.fields.end(), [](const auto& f) { return f.empty(); }))
    return refuse("an empty row");
  if (row.cut) return refuse("more than " + std::to_string(kMaxFields) + " fields");
  // The day.
  if (ColumnsOf(EColumnType::kDate).empty()) return refuse("no column is of type Date");
  std::size_t column = 0;
  std::string_view cell;
  if (!First(row, EColumnType::kDate, column, cell)) return refuse("no date");
  Date day = 0;
  if (!ParseDateCell(cell, options_.columns[column].date, day))
    return refuse("\"" + std::string(cell) + "\" is not a date written as " +
                  DateStyleText(options_.columns[column].date));
  out.record.date = day;
  TrackBalance(row, day);
  // The amount: a Sum, or Price x Quantity.
  std::string why;
  Money signedSum = 0;
  bool haveSum = false, byRole = false;
  if (!ReadAmount(row, signedSum, haveSum, byRole, why)) return refuse(why);
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
  if (!byRole && !ApplyMark(row, signedSum, why)) return refuse(why);
  if (signedSum == 0) return refuse("the amount is 0");
  if (signedSum == INT64_MIN) return refuse("the amount is too large");
  out.amount = signedSum;
  // The kind: chosen, or by the sign.
  bool expense = options_.kind == EImportKind::kExpense;
  if (options_.kind == EImportKind::kAuto) expense = signedSum < 0;
  const Money amount = signedSum < 0 ? -signedSum : signedSum;
  // Texts: description, comment, category, member, section.
  constexpr EColumnType kTextTypes[] = {EColumnType::kDescription, EColumnType::kNotes,
                                        EColumnType::kCategory, EColumnType::kMember,
                                        EColumnType::kSection};
  for (std::size_t i = 0; i < texts.size(); ++i) {
    texts[i] = Joined(row, kTextTypes[i]);
    // A stored text ends at its first zero byte and holds at most 65535 bytes.
    if (texts[i].size() > kMaxText) return refuse("a text longer than 65535 bytes");
    if (texts[i].find('\0') != std::string::npos) return refuse("a text holds a zero byte");
  }
  TransactionRecord& r = out.record;
  r.fromAccount = expense ? options_.account : 0;
  r.toAccount = expense ? 0 : options_.account;
  r.amountOut = r.amountIn = amount;
  r.quantity = static_cast<float>(static_cast<double>(quantity) / kMoneyOne);
  bool refused = false;
  if (!ResolvePath(reason, expense ? kExpenseRoot : kIncomeRoot, texts[2], "category", r.categoryId,
                   refused) ||
      !ResolvePath(reason, kMemberRoot, texts[3], "family member", r.memberId, refused) ||
      !ResolvePath(reason, kSectionRoot, texts[4], "section", r.sectionId, refused)) {
    out.status = ERowStatus::kRefused;
    out.include = false;
    return false;
  }
  Categorize(out, texts, source);
  return true;
}

void CImportPlanner::CImpl::Categorize(CPlannedRow& out, std::array<std::string, 5>& texts,
                                       std::string& source) {
  TransactionRecord& r = out.record;
  const bool expense = r.fromAccount != 0;
  const std::uint32_t categoryRoot = expense ? kExpenseRoot : kIncomeRoot;
  // What the file gives always stays.
  const bool given[3] = {!texts[2].empty(), !texts[3].empty(), !texts[4].empty()};
  if (given[0] || given[1] || given[2]) {
    source = "from the file";
    out.source = ECategorySource::kFile;
  }
  if (given[0] && given[1] && given[2]) return;
  const CRuleSubject subject{texts[0], texts[1], r.amountOut, expense, options_.account};
  std::uint32_t category = 0, member = 0, section = 0;
  std::string found;
  bool ruleMatched = false;
  if (options_.rules != nullptr) {
    const int index = options_.rules->FirstMatch(subject);
    if ((ruleMatched = index >= 0)) {
      const CImportRule& rule = options_.rules->Rule(index);
      category = rule.set.category;
      member = rule.set.member;
      section = rule.set.section;
      if (!rule.set.description.empty()) texts[0] = rule.set.description;
      found = "rule " + std::to_string(index + 1) + ": '" + rule.match.text + "'";
    }
  }
  if (found.empty() && options_.learner != nullptr) {
    if (const auto proposal = options_.learner->Propose(subject)) {
      category = proposal->category;
      member = proposal->member;
      section = proposal->section;
      found = "like " + std::to_string(proposal->support) + " earlier transactions";
    }
  }
  // Only subtypes that exist, under the root the row's kind needs.
  bool used = false;
  const struct {
    bool given;
    std::uint32_t id, root;
    std::uint32_t& field;
  } sets[] = {{given[0], category, categoryRoot, r.categoryId},
              {given[1], member, kMemberRoot, r.memberId},
              {given[2], section, kSectionRoot, r.sectionId}};
  for (const auto& set : sets)
    if (!set.given && Fits(set.id, set.root)) {
      set.field = set.id;
      used = true;
    }
  // A rule that matched says so even when it only cleaned the description.
  if (!used && !ruleMatched) return;
  source = source.empty() ? found : source + "; " + found;
  if (out.source == ECategorySource::kNone)
    out.source = ruleMatched ? ECategorySource::kRule : ECategorySource::kLearned;
}

void CImportPlanner::CImpl::Plan(const CDelimitedRow& row, const std::string& fitId,
                                 CImportPlan& plan) {
  CPlannedRow out;
  out.line = static_cast<std::uint32_t>(row.line);
  out.record.date = 0;  // no day until one is read
  std::string reason, why;
  std::array<std::string, 5> texts;
  if (Fill(row, out, reason, texts, why)) {
    const Money signedSum =
        out.record.fromAccount != 0 ? -out.record.amountOut : out.record.amountIn;
    MarkDuplicate(out, reason, texts[0], Joined(row, EColumnType::kDescription), fitId, signedSum);
  }
  out.why = plan.AddText(why);
  out.reason = plan.AddText(reason);
  out.description = plan.AddText(texts[0]);
  out.comment = plan.AddText(texts[1]);
  out.fitId = plan.AddText(fitId);
  std::uint32_t* const pathFields[] = {&out.category, &out.member, &out.section};
  for (std::size_t i = 0; i < 3; ++i) {
    if (texts[i + 2].empty()) continue;
    auto [it, added] = pathTexts_.emplace(texts[i + 2], 0);
    if (added) it->second = plan.AddText(texts[i + 2]);
    *pathFields[i] = it->second;
  }
  plan.rows.push_back(out);
}

// With the kind chosen, a file whose amounts have both signs most likely
// holds some rows of the other kind: the rows of the rarer sign say so.
void CImportPlanner::CImpl::NoteOddSigns(CImportPlan& plan) const {
  if (options_.kind == EImportKind::kAuto) return;
  std::size_t negative = 0, positive = 0;
  for (const CPlannedRow& row : plan.rows)
    if (row.status != ERowStatus::kRefused) (row.amount < 0 ? negative : positive) += 1;
  if (negative == 0 || positive == 0) return;
  const bool oddNegative = negative < positive;
  const std::string note = options_.kind == EImportKind::kExpense
                               ? "its sign differs from most rows; taken as an expense"
                               : "its sign differs from most rows; taken as an income";
  for (CPlannedRow& row : plan.rows)
    if (row.status != ERowStatus::kRefused && (row.amount < 0) == oddNegative) {
      const std::string_view reason = plan.Reason(row);
      row.reason = plan.AddText(reason.empty() ? note : std::string(reason) + "; " + note);
    }
}

CStatementBalance CImportPlanner::CImpl::Balance(const CStatementInfo& statement) const {
  CStatementBalance b;
  if (statement.haveBalance) {
    b.known = ParseDateCell(statement.balanceDay, CDateStyle{EDateOrder::kYmd}, b.day);
    b.bank = statement.balance;
  } else if (haveBank_) {
    // A statement that runs backward (newest row first) gives the day's
    // closing balance in the day's first row.
    b.known = true;
    b.day = static_cast<Date>(bankDay_);
    b.bank = firstDay_ > lastDay_ ? firstOfDay_ : lastOfDay_;
  }
  if (b.known) b.before = BooksBalance(db_, options_.account, b.day);
  return b;
}

void CImportPlanner::CImpl::Finish(const CStatementInfo& statement, CImportPlan& plan) {
  NoteOddSigns(plan);
  plan.balance = Balance(statement);
  CheckStatementBalance(plan);
}

CImportPlanner::CImportPlanner(CDataBase& db, const CImportOptions& options,
                               const CFitIdStore& fitIds)
    : impl_(std::make_unique<CImpl>(db, options, fitIds)) {}

CImportPlanner::~CImportPlanner() = default;

void CImportPlanner::Plan(const CSourceTable& piece, std::size_t first, CImportPlan& plan) {
  impl_->PlanPiece(piece, first, plan);
}

void CImportPlanner::Finish(const CStatementInfo& statement, CImportPlan& plan) {
  impl_->Finish(statement, plan);
}

CImportPlan PlanImport(CDataBase& db, const CSourceTable& table, const CImportOptions& options,
                       const CFitIdStore& fitIds) {
  CImportPlan plan;
  CImportPlanner planner(db, options, fitIds);
  planner.Plan(table, 0, plan);
  planner.Finish(table.statement, plan);
  return plan;
}

// ---- Applying and undoing ----

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
      result.fingerprints.push_back(TransactionFingerprint(records[i], texts[i][0], texts[i][1]));
      if (rows[i]->fitId != 0)
        remembered.emplace_back(options.account, std::string(plan.Text(rows[i]->fitId)), ids[i]);
    }
    records.clear();
    texts.clear();
    rows.clear();
    if (progress != nullptr) progress(context, result.transactions.size(), total);
    return true;
  };
  CDataBase::CChangeScope step(db, EChangeKind::kImport);
  db.BeginBatch();
  for (const CPlannedRow& row : plan.rows) {
    if (row.status == ERowStatus::kRefused || !row.include) continue;
    TransactionRecord record = row.record;
    const bool expense = IsExpense(record);
    struct {
      std::uint32_t root;
      std::uint32_t path;
      std::uint32_t& id;
    } const subtypes[] = {{expense ? kExpenseRoot : kIncomeRoot, row.category, record.categoryId},
                          {kMemberRoot, row.member, record.memberId},
                          {kSectionRoot, row.section, record.sectionId}};
    bool stored = true;
    for (const auto& sub : subtypes)
      if (sub.id == 0 && stored && sub.path != 0) {
        const std::string path(plan.Text(sub.path));
        if (CSubTypePaths::Split(path).empty()) continue;
        sub.id = paths.Create(db, sub.root, path, result.subtypes);
        stored = sub.id != 0;
      }
    if (!stored) {
      if (flush())
        fail("the category, member or section of line " + std::to_string(row.line) +
             " could not be stored");
      break;
    }
    records.push_back(record);
    texts.push_back({std::string(plan.Description(row)), std::string(plan.Comment(row))});
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
  return TransactionFingerprint(item.record, item.description, item.comment);
}

std::uint64_t TransactionFingerprint(const TransactionRecord& r, const std::string& description,
                                     const std::string& comment) {
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
  print.AddText(description);
  print.AddText(comment);
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
  CDataBase::CChangeScope step(db, EChangeKind::kUndoImport);
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

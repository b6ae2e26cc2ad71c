#include "ImportLogic.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <sstream>

#include "Include.h"
#include "Rules.h"
#include "Settingsstorage.h"

namespace {

constexpr const char* kOrderNames[] = {"ymd", "dmy", "mdy"};
constexpr const char* kRoleNames[] = {"signed", "debit", "credit"};

// The group mark as one character of the kept text: 'n' for none and 's'
// for a blank, the mark itself otherwise.
char GroupCode(char group) {
  return group == 0 ? 'n' : group == ' ' ? 's' : group;
}
bool GroupOfCode(char code, char& group) {
  if (code == 'n')
    group = 0;
  else if (code == 's')
    group = ' ';
  else if (code == ',' || code == '.' || code == '\'')
    group = code;
  else
    return false;
  return true;
}

std::vector<std::string> SplitAt(const std::string& text, char mark) {
  std::vector<std::string> parts;
  std::stringstream in(text);
  for (std::string part; std::getline(in, part, mark);) parts.push_back(part);
  return parts;
}

std::string SameFile(const std::string& path) {
  std::error_code error;
  const std::filesystem::path canonical = std::filesystem::weakly_canonical(path, error);
  return error ? path : canonical.string();
}

}  // namespace

bool FirstRowAccepted(const std::string& text) {
  if (text.empty() || text.size() > 5) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  const int row = std::stoi(text);
  return row >= 1 && row <= kLastFirstRow;
}

std::string ColumnHeaderText(const CColumnFormat& column) {
  std::string text = ColumnTypeName(column.type);
  if (column.type == EColumnType::kMark)
    return column.outMark.empty() ? text : text + " (out: " + column.outMark + ")";
  if (column.type == EColumnType::kDate) return text + " (" + DateStyleText(column.date) + ")";
  if (!IsAmountColumn(column.type)) return text;
  text += " (" + AmountStyleText(column.amount);
  if (column.type == EColumnType::kSum && column.role != ESumRole::kSigned)
    text += std::string(", ") + kRoleNames[static_cast<int>(column.role)];
  return text + ")";
}

bool CellReads(const CColumnFormat& column, const std::string& cell, std::string& why) {
  if (column.type == EColumnType::kDate) {
    Date day = 0;
    if (ParseDateCell(cell, column.date, day)) return true;
    why = "not a date in the form " + DateStyleText(column.date);
    return false;
  }
  if (column.type == EColumnType::kMark) {
    if (MarkSideIn(cell, column.outMark) != EMarkSide::kUnknown) return true;
    why = "not a known debit/credit mark";
    return false;
  }
  if (!IsAmountColumn(column.type)) return true;
  // A debit or credit column, a price or a quantity may be left empty.
  const bool mayBeEmpty = column.type != EColumnType::kSum || column.role != ESumRole::kSigned;
  if (mayBeEmpty && cell.find_first_not_of(" \t") == std::string::npos) return true;
  Money amount = 0;
  return ParseAmountCell(cell, column.amount, amount, why);
}

const std::vector<CAmountStyle>& AmountStyleChoices() {
  static const std::vector<CAmountStyle> choices = {{'.', 0}, {'.', ','}, {'.', ' '}, {'.', '\''},
                                                    {',', 0}, {',', '.'}, {',', ' '}, {',', '\''}};
  return choices;
}

int AmountStyleIndex(const CAmountStyle& style) {
  const std::vector<CAmountStyle>& choices = AmountStyleChoices();
  for (std::size_t i = 0; i < choices.size(); ++i)
    if (choices[i].decimal == style.decimal && choices[i].group == style.group)
      return static_cast<int>(i);
  return -1;
}

const char* SumRoleText(ESumRole role) {
  switch (role) {
    case ESumRole::kDebit:
      return "debit (money out)";
    case ESumRole::kCredit:
      return "credit (money in)";
    default:
      return "signed (minus is money out)";
  }
}

EDateOrder DateOrderOfPattern(const std::string& pattern) {
  const std::size_t day = pattern.find('d'), month = pattern.find('M'), year = pattern.find('y');
  if (day == std::string::npos || month == std::string::npos || year == std::string::npos)
    return EDateOrder::kYmd;
  if (year < day && year < month) return EDateOrder::kYmd;
  return day < month ? EDateOrder::kDmy : EDateOrder::kMdy;
}

std::string ColumnFormatText(const CColumnFormat& column) {
  std::string text = ColumnTypeShortName(column.type);
  if (column.type == EColumnType::kMark) {
    text += ';';
    for (char c : column.outMark)
      text += c == '%' ? std::string("%25") : c == ';' ? std::string("%3B") : std::string(1, c);
    return text;
  }
  if (column.type == EColumnType::kDate)
    return text + ";" + kOrderNames[static_cast<int>(column.date.order)];
  if (!IsAmountColumn(column.type)) return text;
  text += ";";
  text += column.amount.decimal;
  text += GroupCode(column.amount.group);
  if (column.type == EColumnType::kSum)
    text += std::string(";") + kRoleNames[static_cast<int>(column.role)];
  return text;
}

bool ParseColumnFormatText(const std::string& text, CColumnFormat& column) {
  const std::vector<std::string> parts = SplitAt(text, ';');
  CColumnFormat read;
  if (parts.empty() || !ColumnTypeFromName(parts[0], read.type)) return false;
  if (read.type == EColumnType::kDate && parts.size() > 1) {
    for (int i = 0; i < 3; ++i)
      if (parts[1] == kOrderNames[i]) read.date.order = static_cast<EDateOrder>(i);
  }
  if (IsAmountColumn(read.type) && parts.size() > 1 && parts[1].size() == 2 &&
      (parts[1][0] == '.' || parts[1][0] == ',')) {
    char group = 0;
    if (GroupOfCode(parts[1][1], group) && group != parts[1][0]) read.amount = {parts[1][0], group};
  }
  if (read.type == EColumnType::kMark && parts.size() > 1) {
    const std::string& kept = parts[1];
    for (std::size_t i = 0; i < kept.size(); ++i) {
      if (kept.compare(i, 3, "%25") == 0 || kept.compare(i, 3, "%3B") == 0) {
        read.outMark += kept[i + 2] == '5' ? '%' : ';';
        i += 2;
      } else {
        read.outMark += kept[i];
      }
    }
  }
  if (read.type == EColumnType::kSum && parts.size() > 2) {
    for (int i = 0; i < 3; ++i)
      if (parts[2] == kRoleNames[i]) read.role = static_cast<ESumRole>(i);
  }
  column = read;
  return true;
}

TImportChoices LoadImportChoices(Settings::CSettingsStorage& settings) {
  TImportChoices c;
  c.fileName = settings.GetString(Settings::kImportFileName, c.fileName);
  c.separator = settings.GetIntInRange(Settings::kImportSeparatorType, c.separator, kSeparatorTab,
                                       kSeparatorCustom);
  c.customSeparator = settings.GetString(Settings::kImportCustomSeparator, c.customSeparator);
  c.kind = static_cast<EImportKind>(
      settings.GetIntInRange(Settings::kImportType, static_cast<int>(c.kind), 0, 2));
  for (int i = 0;; ++i) {
    CColumnFormat column;
    if (!ParseColumnFormatText(settings.GetString(Settings::kImportField + std::to_string(i), ""),
                               column))
      break;
    c.columns.push_back(column);
  }
  c.createTypes = settings.GetInt(Settings::kImportCreateType, 0) != 0;
  c.firstRow = settings.GetIntInRange(Settings::kImportFirstRow, 1, 1, kLastFirstRow);
  const std::string encoding = settings.GetString(kImportEncoding, EncodingName(c.encoding));
  for (ETextEncoding e : kAllEncodings)
    if (encoding == EncodingName(e)) c.encoding = e;
  c.ofxDate = static_cast<EOfxDate>(settings.GetIntInRange(kImportOfxDate, 0, 0, 1));
  return c;
}

bool StoreImportChoices(Settings::CSettingsStorage& settings, const TImportChoices& c) {
  // Every value is written even after one fails, so that as much as possible
  // is kept.
  bool stored = settings.SetString(Settings::kImportFileName, c.fileName);
  stored = settings.SetInt(Settings::kImportSeparatorType, c.separator) && stored;
  stored = settings.SetString(Settings::kImportCustomSeparator, c.customSeparator) && stored;
  stored = settings.SetInt(Settings::kImportType, static_cast<int>(c.kind)) && stored;
  for (std::size_t i = 0; i < c.columns.size(); ++i)
    stored = settings.SetString(Settings::kImportField + std::to_string(i),
                                ColumnFormatText(c.columns[i])) &&
             stored;
  // An empty entry ends the list of a file with fewer columns than the last.
  stored =
      settings.SetString(Settings::kImportField + std::to_string(c.columns.size()), "") && stored;
  stored = settings.SetInt(Settings::kImportCreateType, c.createTypes ? 1 : 0) && stored;
  stored = settings.SetInt(Settings::kImportFirstRow, c.firstRow) && stored;
  stored = settings.SetInt(kImportOfxDate, static_cast<int>(c.ofxDate)) && stored;
  return settings.SetString(kImportEncoding, EncodingName(c.encoding)) && stored;
}

namespace {

// Fingerprints kept as hexadecimal numbers between commas ("1f3a,9b0c"),
// and read back: false for text that is not such a list.
std::string FingerprintsText(const std::vector<std::uint64_t>& fingerprints) {
  std::string text;
  char hex[17];
  for (std::uint64_t print : fingerprints) {
    std::snprintf(hex, sizeof hex, "%llx", static_cast<unsigned long long>(print));
    text += (text.empty() ? "" : ",") + std::string(hex);
  }
  return text;
}

bool ParseFingerprints(const std::string& text, std::vector<std::uint64_t>& fingerprints) {
  fingerprints.clear();
  for (const std::string& part : SplitAt(text, ',')) {
    std::uint64_t print = 0;
    const auto [end, ec] = std::from_chars(part.data(), part.data() + part.size(), print, 16);
    if (part.empty() || ec != std::errc() || end != part.data() + part.size()) return false;
    fingerprints.push_back(print);
  }
  return true;
}

void ReplaceAll(std::string& text, const std::string& mark, const std::string& by) {
  for (std::size_t at = text.find(mark); at != std::string::npos;
       at = text.find(mark, at + by.size()))
    text.replace(at, mark.size(), by);
}

}  // namespace

TLastImport LoadLastImport(Settings::CSettingsStorage& settings) {
  TLastImport last;
  last.file = settings.GetString(kLastImportFile, "");
  last.database = settings.GetString(kLastImportDataBase, "");
  if (!ParseIdRanges(settings.GetString(kLastImportTransactions, ""), last.transactions))
    last.transactions.clear();
  if (!ParseIdRanges(settings.GetString(kLastImportSubTypes, ""), last.subtypes))
    last.subtypes.clear();
  if (!ParseFingerprints(settings.GetString(kLastImportFingerprints, ""), last.fingerprints) ||
      last.fingerprints.size() != last.transactions.size())
    last.fingerprints.clear();
  return last;
}

bool StoreLastImport(Settings::CSettingsStorage& settings, const TLastImport& last) {
  // The ids are kept sorted (as ranges): the fingerprints follow that order.
  std::vector<std::pair<std::uint32_t, std::uint64_t>> prints;
  if (last.fingerprints.size() == last.transactions.size())
    for (std::size_t i = 0; i < last.transactions.size(); ++i)
      prints.emplace_back(last.transactions[i], last.fingerprints[i]);
  std::sort(prints.begin(), prints.end());
  prints.erase(std::unique(prints.begin(), prints.end(),
                           [](const auto& a, const auto& b) { return a.first == b.first; }),
               prints.end());
  std::vector<std::uint64_t> sorted;
  // The settings file is written whole on every change: a huge import keeps
  // no fingerprints (about 17 bytes each), and its undo cannot tell edits.
  if (prints.size() <= kMaxRememberedFingerprints)
    for (const auto& [id, print] : prints) sorted.push_back(print);
  bool stored = settings.SetString(kLastImportFile, last.file);
  stored = settings.SetString(kLastImportDataBase, last.database) && stored;
  stored = settings.SetString(kLastImportTransactions, IdRangesText(last.transactions)) && stored;
  stored = settings.SetString(kLastImportFingerprints, FingerprintsText(sorted)) && stored;
  return settings.SetString(kLastImportSubTypes, IdRangesText(last.subtypes)) && stored;
}

std::string UndoImportQuestion(const std::string& fileName, const CImportChanges& changes) {
  const auto remaining = static_cast<long long>(changes.remaining);
  const auto changed = static_cast<long long>(changes.changed.size());
  std::string question = GetLocalizedCount(
      30101,
      "Undo the import of %2? Its %1 transaction is deleted, with the categories it created "
      "that nothing else uses.|Undo the import of %2? Its %1 transactions are deleted, with the "
      "categories it created that nothing else uses.",
      remaining);
  ReplaceAll(question, "%2", fileName);
  if (changed == 0) return question;
  std::string since;
  if (changed == remaining) {
    since = GetLocalizedCount(30103,
                              "The transaction was changed after the import.|All %1 "
                              "transactions were changed after the import.",
                              changed);
  } else {
    since = GetLocalizedCount(30102,
                              "%1 of the %2 transactions was changed after the import.|%1 of "
                              "the %2 transactions were changed after the import.",
                              changed);
    ReplaceAll(since, "%2", std::to_string(remaining));
  }
  return question + "\n\n" + since + " " +
         GetLocalizedText(30104, "Keep the changed ones, or delete them too?");
}

bool CanUndoImport(const TLastImport& last, const std::string& openDatabase) {
  if (last.transactions.empty() && last.subtypes.empty()) return false;
  if (last.database.empty() || openDatabase.empty()) return false;
  return SameFile(last.database) == SameFile(openDatabase);
}

std::vector<std::string> ColumnMarks(const CSourceTable& table, std::size_t column,
                                     std::size_t firstRow, std::size_t most) {
  std::vector<std::string> marks;
  for (std::size_t r = firstRow > 0 ? firstRow - 1 : 0; r < table.rows.size(); ++r) {
    if (column >= table.rows[r].fields.size()) continue;
    std::string mark = table.rows[r].fields[column];
    const std::size_t start = mark.find_first_not_of(" \t");
    if (start == std::string::npos) continue;
    mark = mark.substr(start, mark.find_last_not_of(" \t") - start + 1);
    if (std::none_of(marks.begin(), marks.end(),
                     [&](const std::string& m) { return SameMark(m, mark); }))
      marks.push_back(mark);
    if (marks.size() >= most) break;
  }
  return marks;
}

std::string DateOrderQuestion(std::size_t column) {
  std::string text = GetLocalizedText(
      30540,
      "The dates of column %1 read day-first and month-first alike. Which order does the "
      "statement use?");
  ReplaceAll(text, "%1", std::to_string(column + 1));
  return text;
}

std::string DayFirstAnswer() {
  return GetLocalizedText(30541, "Day first (31/01/2026)");
}

std::string MonthFirstAnswer() {
  return GetLocalizedText(30542, "Month first (01/31/2026)");
}

std::string DebitColumnQuestion(const std::string& first, const std::string& second) {
  std::string text = GetLocalizedText(
      30543,
      "The columns %1 and %2 hold the amounts between them, and the file does not tell which "
      "of them is money out. Which column holds the money paid out?");
  ReplaceAll(text, "%1", first);
  ReplaceAll(text, "%2", second);
  return text;
}

std::string DebitColumnAnswer(const std::string& name) {
  std::string text = GetLocalizedText(30544, "%1 is money out");
  ReplaceAll(text, "%1", name);
  return text;
}

std::string GuessedOrderNote() {
  return GetLocalizedText(30545, "order guessed");
}

std::string DebitOrCreditNote() {
  return GetLocalizedText(30552, "debit or credit?");
}

std::string PlanCountsText(const CImportPlan& plan) {
  return ExchangeCountText(EExchangeCount::kNew, plan.CountOf(ERowStatus::kNew)) + ", " +
         ExchangeCountText(EExchangeCount::kDuplicates, plan.CountOf(ERowStatus::kDuplicate)) +
         ", " + ExchangeCountText(EExchangeCount::kRefused, plan.CountOf(ERowStatus::kRefused));
}

std::string StatementBalanceText(const CStatementBalance& balance) {
  if (!balance.known) return {};
  std::string text =
      balance.difference == 0
          ? GetLocalizedText(30583,
                             "The bank's balance on %1 is %2, and the books agree after the "
                             "import.")
          : GetLocalizedText(30584,
                             "The bank's balance on %1 is %2, the books after the import %3: a "
                             "difference of %4.");
  ReplaceAll(text, "%1", FormatShortDate(balance.day));
  ReplaceAll(text, "%2", MoneyToStr(balance.bank));
  ReplaceAll(text, "%3", MoneyToStr(balance.books));
  ReplaceAll(text, "%4", MoneyToStr(balance.difference));
  if (balance.difference != 0 && !balance.suspects.empty())
    text += "\n" + GetLocalizedText(30585, "The highlighted rows most likely explain it.");
  return text;
}

std::vector<TBulkRefused> CheckPlannedChoice(const CImportPlan& plan,
                                             const std::vector<std::size_t>& rows,
                                             const TBulkChange& change,
                                             const CSubTypePaths& paths) {
  std::vector<TBulkRefused> refused;
  const std::uint32_t categoryRoot = change.category != 0 ? paths.RootOf(change.category) : 0;
  const bool gone =
      (change.category != 0 && categoryRoot != kExpenseRoot && categoryRoot != kIncomeRoot) ||
      (change.member != 0 && paths.RootOf(change.member) != kMemberRoot) ||
      (change.section != 0 && paths.RootOf(change.section) != kSectionRoot);
  for (std::size_t at : rows) {
    const CPlannedRow& row = plan.rows[at];
    if (row.status == ERowStatus::kRefused) continue;
    if (gone)
      refused.push_back({row.line, TBulkRefusal::kNoSuchChoice});
    else if (change.category != 0 && categoryRoot != CategoryRootFor(row.record))
      refused.push_back({row.line, TBulkRefusal::kCategoryKind});
  }
  return refused;
}

void SetPlannedChoice(CImportPlan& plan, const std::vector<std::size_t>& rows,
                      const TBulkChange& change) {
  const std::uint32_t why = plan.AddText("chosen by you");
  for (std::size_t at : rows) {
    CPlannedRow& row = plan.rows[at];
    if (row.status == ERowStatus::kRefused) continue;
    const struct {
      std::uint32_t chosen;
      std::uint32_t& id;
      std::uint32_t& path;
    } fields[] = {{change.category, row.record.categoryId, row.category},
                  {change.member, row.record.memberId, row.member},
                  {change.section, row.record.sectionId, row.section}};
    for (const auto& field : fields)
      if (field.chosen != 0) {
        field.id = field.chosen;
        field.path = 0;  // the file's path is not created for it
      }
    row.why = why;
    row.source = ECategorySource::kUser;
  }
}

std::string CategorySourceText(std::string_view why) {
  // The importer writes the pieces in English ("from the file; rule 3:
  // 'netflix'"), as the command line reports them; each is said again in
  // the user's language.
  std::string out;
  while (!why.empty()) {
    // A rule's piece comes last and runs to the end: its text may hold "; ".
    const std::size_t end = why.starts_with("rule ") ? std::string_view::npos : why.find("; ");
    const std::string_view piece = why.substr(0, end);
    why = end == std::string_view::npos ? std::string_view() : why.substr(end + 2);
    std::string text(piece);
    long long n = 0;
    const auto number = [&](std::size_t at) {
      const char* first = piece.data() + at;
      const auto [ptr, ec] = std::from_chars(first, piece.data() + piece.size(), n);
      return ec == std::errc() ? static_cast<std::size_t>(ptr - piece.data()) : 0;
    };
    if (piece == "from the file") {
      text = GetLocalizedText(30686, "from the file");
    } else if (piece == "chosen by you") {
      text = GetLocalizedText(30687, "chosen by you");
    } else if (piece.starts_with("rule ")) {
      const std::size_t after = number(5);
      if (after != 0 && piece.substr(after).starts_with(": '") && piece.ends_with('\'')) {
        text = GetLocalizedText(30688, "rule %1: '%2'");
        ReplaceAll(text, "%1", std::to_string(n));
        ReplaceAll(text, "%2", std::string(piece.substr(after + 3, piece.size() - after - 4)));
      }
    } else if (piece.starts_with("like ")) {
      const std::size_t after = number(5);
      if (after != 0 && piece.substr(after) == " earlier transactions")
        text =
            GetLocalizedCount(30689, "like %1 earlier transaction|like %1 earlier transactions", n);
    }
    out += out.empty() ? text : "; " + text;
  }
  return out;
}

std::size_t ApplyNewRule(CImportPlan& plan, const CImportRule& rule, std::size_t number,
                         std::uint32_t account, const CSubTypePaths& paths) {
  const std::vector<CImportRule> rules{rule};
  const CRuleMatcher matcher(rules);
  const std::string why = "rule " + std::to_string(number) + ": '" + rule.match.text + "'";
  std::size_t changed = 0;
  for (CPlannedRow& row : plan.rows) {
    if (row.status == ERowStatus::kRefused) continue;
    if (row.source != ECategorySource::kNone && row.source != ECategorySource::kLearned) continue;
    TransactionRecord& r = row.record;
    const bool expense = r.fromAccount != 0;
    if (matcher.FirstMatch(
            {plan.Description(row), plan.Comment(row), r.amountOut, expense, account}) < 0)
      continue;
    // A rule takes the place of what was learned, as it would have at import.
    if (row.source == ECategorySource::kLearned) r.categoryId = r.memberId = r.sectionId = 0;
    const std::uint32_t root = expense ? kExpenseRoot : kIncomeRoot;
    if (rule.set.category != 0 && paths.RootOf(rule.set.category) == root)
      r.categoryId = rule.set.category;
    if (rule.set.member != 0) r.memberId = rule.set.member;
    if (rule.set.section != 0) r.sectionId = rule.set.section;
    if (!rule.set.description.empty()) row.description = plan.AddText(rule.set.description);
    row.why = plan.AddText(why);
    row.source = ECategorySource::kRule;
    ++changed;
  }
  return changed;
}

#include "ExchangeCmd.h"

#include <iostream>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>

#include "Access.h"
#include "Args.h"
#include "Companion.h"
#include "Exporter.h"
#include "Importer.h"
#include "Rules.h"

namespace {

using Json = nlohmann::ordered_json;

int Bad(const std::string& text) {
  std::cerr << "pardow-cli: " << text << "\n";
  return 2;
}

bool ParseSeparator(const std::string& text, char& out) {
  if (text == "tab" || text == "\\t" || text == "\t") {
    out = '\t';
    return true;
  }
  if (text.size() != 1 || text[0] == '"' || text[0] == '\r' || text[0] == '\n') return false;
  out = text[0];
  return true;
}

// Splits "a,b,c".
std::vector<std::string> List(const std::string& text) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = std::min(text.find(',', start), text.size());
    parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

// Options of the form --name VALUE and --flag; false for an unknown one.
struct COptions {
  std::vector<std::string> positional;
  std::map<std::string, std::string> values;
  bool Parse(const std::vector<std::string>& args, const std::vector<std::string>& withValue,
             const std::vector<std::string>& flags, std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
      const std::string& a = args[i];
      if (a.rfind("--", 0) != 0) {
        positional.push_back(a);
      } else if (std::find(withValue.begin(), withValue.end(), a) != withValue.end()) {
        if (i + 1 >= args.size()) {
          error = a + " wants a value";
          return false;
        }
        values[a] = args[++i];
      } else if (std::find(flags.begin(), flags.end(), a) != flags.end()) {
        values[a] = "";
      } else {
        error = "unknown option " + a;
        return false;
      }
    }
    return true;
  }
  bool Has(const std::string& name) const { return values.count(name) != 0; }
};

// A field name in lower case without blanks, '-' and '_' ("amount-in" and
// "Amount in" both read "amountin").
std::string FieldKey(const std::string& text) {
  std::string key;
  for (char c : text)
    if (c != ' ' && c != '-' && c != '_')
      key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return key;
}

// A field by its name in any case, written with blanks, '-' or '_' between
// its words or none, or "member" for "Family member".
bool FieldFromName(const std::string& name, EExportField& out) {
  for (int f = 0; f < kExportFieldCount; ++f) {
    const auto field = static_cast<EExportField>(f);
    if (FieldKey(name) == FieldKey(ExportFieldName(field)) ||
        (FieldKey(name) == "member" && field == EExportField::kMember)) {
      out = field;
      return true;
    }
  }
  return false;
}

}  // namespace

int RunExportCommand(const std::vector<std::string>& args) {
  COptions o;
  std::string error;
  if (!o.Parse(args,
               {"--format", "--from", "--to", "--account", "--kind", "--category", "--fields",
                "--separator", "--output"},
               {"--no-subcategories"}, error))
    return Bad(error);
  if (o.positional.size() != 1) return Bad("export wants one database FILE");
  CExportOptions options;
  options.kind = EExportKind::kAll;
  options.separator = ',';
  options.begin = -1e9;
  options.end = 1e9;
  for (int f = 0; f < kExportFieldCount; ++f)
    options.fields.push_back(static_cast<EExportField>(f));
  const std::string format = o.Has("--format") ? o.values["--format"] : "csv";
  if (format != "csv" && format != "ledger" && format != "qif")
    return Bad("--format wants csv, ledger or qif");
  if (o.Has("--from") && !ParseIsoDate(o.values["--from"], options.begin))
    return Bad("--from wants YYYY-MM-DD");
  if (o.Has("--to") && !ParseIsoDate(o.values["--to"], options.end))
    return Bad("--to wants YYYY-MM-DD");
  if (o.Has("--account") && !ParseWholeNumber(o.values["--account"], options.account))
    return Bad("--account wants an account id");
  if (o.Has("--category") && !ParseWholeNumber(o.values["--category"], options.category))
    return Bad("--category wants a category id");
  options.withSubcategories = !o.Has("--no-subcategories");
  if (o.Has("--kind")) {
    const std::string& k = o.values["--kind"];
    if (k == "expenses")
      options.kind = EExportKind::kExpenses;
    else if (k == "incomes")
      options.kind = EExportKind::kIncomes;
    else if (k != "all")
      return Bad("--kind wants expenses, incomes or all");
  }
  if (o.Has("--separator") && !ParseSeparator(o.values["--separator"], options.separator))
    return Bad("--separator wants one character (not a quote) or tab");
  if (o.Has("--fields")) {
    options.fields.clear();
    for (const std::string& name : List(o.values["--fields"])) {
      EExportField field;
      if (!FieldFromName(name, field)) return Bad("unknown field " + name);
      options.fields.push_back(field);
    }
  }
  CDataBase db;
  if (int rc = OpenForCommand(db, o.positional[0])) return rc;
  auto write = [&](std::ostream& out) {
    if (format == "qif") return WriteQif(db, options.begin, options.end, options.account, out);
    return format == "csv" ? WriteDelimited(db, options, out)
                           : WriteJournal(db, options.begin, options.end, options.account, out);
  };
  if (o.Has("--output")) {
    if (!WriteFileAtomically(o.values["--output"], write, error)) {
      std::cerr << "pardow-cli: export: " << error << "\n";
      return 1;
    }
    return 0;
  }
  if (!write(std::cout)) {
    std::cerr << "pardow-cli: export: the output could not be written\n";
    return 1;
  }
  return 0;
}

namespace {

Json Columns(const std::vector<CColumnFormat>& columns) {
  Json out = Json::array();
  for (const CColumnFormat& c : columns) {
    Json column = {{"type", ColumnTypeName(c.type)}};
    if (c.type == EColumnType::kDate) column["date"] = DateStyleText(c.date);
    if (IsAmountColumn(c.type)) column["amount"] = AmountStyleText(c.amount);
    if (c.type == EColumnType::kSum && c.role != ESumRole::kSigned)
      column["role"] = c.role == ESumRole::kDebit ? "debit" : "credit";
    if (c.type == EColumnType::kMark && !c.outMark.empty()) column["outMark"] = c.outMark;
    out.push_back(column);
  }
  return out;
}

struct CImportArgs {
  std::string db, file;
  CReadOptions read;
  bool separatorGiven = false, encodingGiven = false, firstRowGiven = false;
  CImportOptions options;
  std::vector<std::string> columnNames;
  EDateOrder dateOrder = EDateOrder::kYmd;
  bool dateOrderGiven = false;
  char decimal = '.';
  bool decimalGiven = false;
  bool includeDuplicates = false, dryRun = false, listIds = false, categorize = true;
  std::string outMark;
  bool outMarkGiven = false;
  EOfxDate ofxDate = EOfxDate::kPosted;
};

int ParseImportArgs(const std::vector<std::string>& args, CImportArgs& a) {
  COptions o;
  std::string error;
  if (!o.Parse(
          args,
          {"--account", "--columns", "--separator", "--encoding", "--first-row", "--kind",
           "--date-order", "--decimal", "--out-mark", "--ofx-date"},
          {"--create-categories", "--include-duplicates", "--dry-run", "--ids", "--no-categorize"},
          error))
    return Bad(error);
  if (o.positional.size() != 2) return Bad("import wants a database FILE and a statement FILE");
  a.db = o.positional[0];
  a.file = o.positional[1];
  if (!o.Has("--account") || !ParseWholeNumber(o.values["--account"], a.options.account))
    return Bad("import wants --account ID");
  if (o.Has("--columns")) a.columnNames = List(o.values["--columns"]);
  if ((a.separatorGiven = o.Has("--separator")) &&
      !ParseSeparator(o.values["--separator"], a.read.separator))
    return Bad("--separator wants one character (not a quote) or tab");
  if ((a.encodingGiven = o.Has("--encoding"))) {
    std::string name = o.values["--encoding"];
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    bool known = false;
    for (ETextEncoding e : kAllEncodings)
      if (name == EncodingName(e)) a.read.encoding = e, known = true;
    if (!known)
      return Bad(
          "--encoding wants utf-8, windows-1251, windows-1252, iso-8859-1, utf-16le or utf-16be");
  }
  if ((a.firstRowGiven = o.Has("--first-row"))) {
    std::uint32_t n = 0;
    if (!ParseWholeNumber(o.values["--first-row"], n) || n < 1 || n > 32767)
      return Bad("--first-row wants a number from 1 to 32767");
    a.options.firstRow = n;
  }
  if (o.Has("--kind")) {
    const std::string& k = o.values["--kind"];
    if (k == "expense")
      a.options.kind = EImportKind::kExpense;
    else if (k == "income")
      a.options.kind = EImportKind::kIncome;
    else if (k == "auto")
      a.options.kind = EImportKind::kAuto;
    else
      return Bad("--kind wants expense, income or auto");
  } else {
    a.options.kind = EImportKind::kAuto;
  }
  if ((a.dateOrderGiven = o.Has("--date-order"))) {
    const std::string& d = o.values["--date-order"];
    if (d == "ymd")
      a.dateOrder = EDateOrder::kYmd;
    else if (d == "dmy")
      a.dateOrder = EDateOrder::kDmy;
    else if (d == "mdy")
      a.dateOrder = EDateOrder::kMdy;
    else
      return Bad("--date-order wants ymd, dmy or mdy");
  }
  if ((a.decimalGiven = o.Has("--decimal"))) {
    const std::string& d = o.values["--decimal"];
    if (d != "." && d != ",") return Bad("--decimal wants . or ,");
    a.decimal = d[0];
  }
  if ((a.outMarkGiven = o.Has("--out-mark"))) {
    a.outMark = o.values["--out-mark"];
    if (a.outMark.find_first_not_of(" \t") == std::string::npos)
      return Bad("--out-mark wants the mark that means money out, such as D or DR");
  }
  if (o.Has("--ofx-date")) {
    const std::string& d = o.values["--ofx-date"];
    if (d == "posted")
      a.ofxDate = EOfxDate::kPosted;
    else if (d == "user")
      a.ofxDate = EOfxDate::kUser;
    else
      return Bad("--ofx-date wants posted or user");
  }
  a.options.createCategories = o.Has("--create-categories");
  a.includeDuplicates = o.Has("--include-duplicates");
  a.dryRun = o.Has("--dry-run");
  a.listIds = o.Has("--ids");
  a.categorize = !o.Has("--no-categorize");
  return 0;
}

// Rows read at a time from a long statement.
constexpr std::size_t kPieceRows = 65536;
// Rows the columns are detected from.
constexpr std::size_t kSampleRows = 5000;

// Whether the dates of a column read day-first and month-first alike in the
// whole file (`sample` is its first rows).
bool DatesUndecided(const CImportArgs& a, const CSourceTable& sample, std::size_t column) {
  if (!DateOrderUndecided(sample, column, a.options.firstRow)) return false;
  if (sample.complete) return true;
  bool undecided = true;
  std::string error;
  ReadDelimitedPieces(
      a.file, a.read, kPieceRows,
      [&](const CSourceTable& piece, std::size_t first) {
        const std::size_t firstRow =
            first + 1 >= a.options.firstRow ? 1 : a.options.firstRow - first;
        if (undecided && firstRow <= piece.rows.size() &&
            !DateOrderUndecided(piece, column, firstRow))
          undecided = false;
      },
      error);
  return undecided;
}

// Reads the statement (an OFX statement whole, a delimited file's first
// rows) and settles its columns; 0, or the exit code.
int ReadStatement(CImportArgs& a, CSourceTable& table) {
  std::string head, error;
  if (!ReadFileBytes(a.file, 64 * 1024, head, error)) {
    std::cerr << "pardow-cli: import: " << error << "\n";
    return 1;
  }
  if (LooksLikeOfx(head)) {
    if (!ReadOfxFile(a.file, table, error, a.ofxDate)) {
      std::cerr << "pardow-cli: import: " << error << "\n";
      return 1;
    }
    a.options.columns = OfxColumns();
    return 0;
  }
  if (!a.encodingGiven) a.read.encoding = DetectEncoding(head);
  if (!a.separatorGiven) {
    std::string text;
    DecodeText(head, a.read.encoding, text, error, true);
    a.read.separator = DetectSeparator(text);
  }
  CReadOptions sample = a.read;
  sample.maxRows = kSampleRows;
  if (!ReadDelimitedFile(a.file, sample, table, error)) {
    std::cerr << "pardow-cli: import: " << error << "\n";
    return 1;
  }
  if (!a.firstRowGiven) a.options.firstRow = GuessFirstRow(table);
  if (a.columnNames.empty()) {
    a.options.columns = SuggestColumns(table, a.options.firstRow, a.dateOrder, a.decimal);
  } else {
    for (std::size_t c = 0; c < a.columnNames.size(); ++c) {
      // A "debit" or "credit" column is a Sum column whose amounts always go
      // out or always come in, whatever their sign ("Paid out" / "Paid in").
      const std::string& name = a.columnNames[c];
      const ESumRole role = name == "debit"    ? ESumRole::kDebit
                            : name == "credit" ? ESumRole::kCredit
                                               : ESumRole::kSigned;
      EColumnType type = EColumnType::kSum;
      if (role == ESumRole::kSigned && !ColumnTypeFromName(name, type))
        return Bad("unknown column type " + name);
      a.options.columns.push_back(
          DetectColumn(table, c, a.options.firstRow, type, a.dateOrder, a.decimal));
      a.options.columns.back().role = role;
    }
  }
  // Nor is which of two amount columns that share the rows is money out.
  std::size_t debit = 0, credit = 0;
  if (a.columnNames.empty() &&
      DebitCreditUndecided(table, a.options.firstRow, a.options.columns, debit, credit)) {
    std::vector<std::string> names(a.options.columns.size());
    for (std::size_t c = 0; c < names.size(); ++c)
      names[c] = a.options.columns[c].type == EColumnType::kSum
                     ? (c == debit ? "debit" : "credit")
                     : ColumnTypeShortName(a.options.columns[c].type);
    std::string example;
    for (const std::string& name : names) example += (example.empty() ? "" : ",") + name;
    return Bad("columns " + std::to_string(debit + 1) + " and " + std::to_string(credit + 1) +
               " hold the amounts between them, and the header does not tell which is money "
               "out; say which with --columns, such as --columns " +
               example + " (column " + std::to_string(debit + 1) + " money out)");
  }
  // Dates whose order the file cannot tell are never guessed.
  for (std::size_t c = 0; c < a.options.columns.size() && !a.dateOrderGiven; ++c)
    if (a.options.columns[c].type == EColumnType::kDate && DatesUndecided(a, table, c))
      return Bad("the dates of column " + std::to_string(c + 1) +
                 " read day-first and month-first alike; give --date-order dmy or mdy");
  if (a.outMarkGiven &&
      std::none_of(a.options.columns.begin(), a.options.columns.end(),
                   [](const CColumnFormat& c) { return c.type == EColumnType::kMark; }))
    return Bad("--out-mark wants a column of debit/credit marks; name it with --columns ...,mark");
  for (CColumnFormat& c : a.options.columns) {
    if (a.outMarkGiven && c.type == EColumnType::kMark) c.outMark = a.outMark;
    if (a.dateOrderGiven) c.date.order = a.dateOrder;
    if (a.decimalGiven && c.amount.decimal != a.decimal)
      c.amount = CAmountStyle{a.decimal, a.decimal == ',' ? '.' : ','};
  }
  return 0;
}

// Plans every row of the statement: an OFX statement's from its table, a
// delimited file's piece by piece. 0, or the exit code.
int PlanStatement(CDataBase& db, const CImportArgs& a, const CSourceTable& table,
                  const CFitIdStore& fitIds, CImportPlan& plan) {
  CImportPlanner planner(db, a.options, fitIds);
  if (table.statement.format == "OFX") {
    planner.Plan(table, 0, plan);
  } else {
    std::string error;
    if (!ReadDelimitedPieces(
            a.file, a.read, kPieceRows,
            [&](const CSourceTable& piece, std::size_t first) { planner.Plan(piece, first, plan); },
            error)) {
      std::cerr << "pardow-cli: import: " << error << "\n";
      return 1;
    }
  }
  planner.Finish(table.statement, plan);
  return 0;
}

// An amount in ten-thousandths as a decimal text ("-12.5").
std::string AmountText(Money amount) {
  char text[48];
  const Money whole = amount / kMoneyOne, part = amount % kMoneyOne;
  std::snprintf(text, sizeof text, "%s%lld.%04lld", amount < 0 ? "-" : "",
                static_cast<long long>(whole < 0 ? -whole : whole),
                static_cast<long long>(part < 0 ? -part : part));
  std::string out = text;
  while (out.back() == '0') out.pop_back();
  if (out.back() == '.') out.pop_back();
  return out;
}

}  // namespace

int RunImportCommand(const std::vector<std::string>& args) {
  CImportArgs a;
  if (int rc = ParseImportArgs(args, a)) return rc;
  CDataBase db;
  if (int rc = OpenForCommand(db, a.db)) return rc;
  if (db.Accounts().Find(a.options.account) == nullptr)
    return Bad("there is no account " + std::to_string(a.options.account));
  CSourceTable table;
  if (int rc = ReadStatement(a, table)) return rc;
  CFitIdStore fitIds(db.GetFileName());
  // The rows the file gives no category are categorized by the rules, or
  // like the stored transactions they resemble.
  CCompanion companion;
  std::optional<CRuleMatcher> rules;
  std::optional<CCategoryLearner> learner;
  if (a.categorize) {
    const CCompanionLoad load = companion.Load(db.GetFileName());
    if (!load.Fine()) std::cerr << "pardow-cli: " << CompanionLoadText(load) << "\n";
    a.options.rules = &rules.emplace(companion.Rules());
    a.options.learner = &learner.emplace(db);
  }
  CImportPlan plan;
  if (int rc = PlanStatement(db, a, table, fitIds, plan)) return rc;
  CSourceTable().rows.swap(table.rows);  // the plan holds what the rows said
  if (a.includeDuplicates) {
    for (CPlannedRow& row : plan.rows)
      if (row.status == ERowStatus::kDuplicate) row.include = true;
    CheckStatementBalance(plan);
  }

  // What was read: an OFX statement's own account, currency and period, a
  // delimited file's reading; rows are an OFX statement's entries, or the
  // lines of a delimited file they start on.
  const bool ofx = table.statement.format == "OFX";
  const char* where = ofx ? "entry" : "line";
  Json report;
  report["file"] = a.file;
  report["account"] = a.options.account;
  if (ofx) {
    const CStatementInfo& info = table.statement;
    report["format"] = "OFX";
    report["statement"] = {{"account", info.account},
                           {"currency", info.currency},
                           {"start", info.start},
                           {"end", info.end}};
  } else {
    report["format"] = "CSV";
    report["encoding"] = EncodingName(a.read.encoding);
    report["separator"] = std::string(1, a.read.separator);
    report["firstRow"] = a.options.firstRow;
    report["columns"] = Columns(a.options.columns);
  }
  report["rows"] = plan.rows.size();
  report["new"] = plan.CountOf(ERowStatus::kNew);
  report["duplicates"] = plan.CountOf(ERowStatus::kDuplicate);
  report["refused"] = plan.CountOf(ERowStatus::kRefused);
  // Every row that will not be imported, every duplicate, and the notes on
  // rows that will be (a category to create, an amount taken against its sign).
  Json refused = Json::array(), duplicates = Json::array(), notes = Json::array();
  for (const CPlannedRow& row : plan.rows) {
    Json entry = {{where, row.line}, {"reason", plan.Reason(row)}};
    if (row.status == ERowStatus::kRefused)
      refused.push_back(entry);
    else if (row.status == ERowStatus::kDuplicate)
      duplicates.push_back(entry);
    else if (row.reason != 0)
      notes.push_back(entry);
  }
  report["refusedRows"] = refused;
  report["duplicateRows"] = duplicates;
  report["notes"] = notes;
  // What a rule or the stored transactions gave the rows to import.
  Json categorized = Json::array();
  for (const CPlannedRow& row : plan.rows) {
    const std::string_view why = plan.Text(row.why);
    if (row.status == ERowStatus::kRefused || !row.include || why.empty() || why == "from the file")
      continue;
    categorized.push_back({{where, row.line},
                           {"category", row.record.categoryId},
                           {"member", row.record.memberId},
                           {"section", row.record.sectionId},
                           {"description", plan.Description(row)},
                           {"reason", why}});
  }
  report["categorized"] = categorized;
  // The bank's balance beside the books' after the import, with the rows
  // that most likely explain a difference.
  const CStatementBalance& balance = plan.balance;
  if (balance.known) {
    Json check = {{"date", FormatIsoDate(balance.day, false)},
                  {"bank", balance.bank},
                  {"books", balance.books},
                  {"difference", balance.difference}};
    if (balance.difference != 0) {
      Json suspects = Json::array();
      for (std::size_t i : balance.suspects) suspects.push_back(plan.rows[i].line);
      check[ofx ? "entries" : "lines"] = suspects;
      std::cerr << "pardow-cli: import: the bank's balance on " << FormatIsoDate(balance.day, false)
                << " differs from the books by " << AmountText(balance.difference) << "\n";
    }
    report["statementBalance"] = check;
  }
  // A statement of which nothing could be read is a failure; one whose every
  // row is already stored (all duplicates) is not.
  if (plan.CountOf(ERowStatus::kNew) + plan.CountOf(ERowStatus::kDuplicate) == 0) {
    const std::string reason =
        plan.rows.empty() ? a.file + " holds no rows to import"
                          : "none of the " + std::to_string(plan.rows.size()) + " rows of " +
                                a.file + " could be read (see refusedRows); nothing was stored";
    report["stored"] = 0;
    report["error"] = reason;
    std::cout << report.dump(2) << "\n";
    std::cerr << "pardow-cli: import: " << reason << "\n";
    return 1;
  }
  int rc = 0;
  if (!a.dryRun) {
    const CImportResult result = ApplyImport(db, plan, a.options, fitIds);
    report["stored"] = result.transactions.size();
    // Ids as ranges ("120-1119") unless the full list is asked for.
    report["added"] =
        a.listIds ? Json(result.transactions) : Json(IdRangesText(result.transactions));
    report["createdSubtypes"] = result.subtypes;
    if (!result.ok) {
      report["error"] = result.error;
      std::cerr << "pardow-cli: import stopped: " << result.error
                << "; the transactions listed as added were stored\n";
      rc = 1;
    }
    if (!db.Close() && rc == 0) {
      std::cerr << "pardow-cli: import: the file could not be closed cleanly\n";
      rc = 1;
    }
  } else {
    report["stored"] = 0;
  }
  std::cout << report.dump(2) << "\n";
  return rc;
}

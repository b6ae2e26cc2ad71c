// Reading statement files into source tables: delimited text, and OFX/QFX
// statements through libofx.
#include <libofx/libofx.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <functional>

#include "Importer.h"

namespace {

// A preview reads the file's start only: this much first, more while the
// rows it asks for are not all in it.
constexpr std::size_t kFirstPreviewBytes = 256 * 1024;

// Rows of decoded text; `whole` tells whether the text is the whole file
// (else the row the text ends in may be cut and is left out).
void ReadRows(std::string_view text, char separator, std::size_t maxRows, bool whole,
              CSourceTable& table) {
  CDelimitedReader reader(text, separator);
  CDelimitedRow row;
  table.rows.clear();
  table.columnCount = 0;
  table.complete = true;
  while (reader.Next(row)) {
    if (!whole && reader.Offset() >= text.size()) {
      table.complete = false;
      break;
    }
    table.columnCount = std::max(table.columnCount, row.fields.size());
    table.rows.push_back(std::move(row));
    if (maxRows != 0 && table.rows.size() >= maxRows) {
      table.complete = whole && reader.Offset() >= text.size();
      break;
    }
  }
}

}  // namespace

namespace {

// At most `limit` bytes of the file (0: all of it) as UTF-8 text; `whole`
// tells whether that is the whole file.
bool ReadStatementText(const std::string& path, ETextEncoding encoding, std::size_t limit,
                       std::string& text, bool& whole, std::string& error) {
  std::string bytes;
  if (!ReadFileBytes(path, limit, bytes, error)) return false;
  if (const char* kind = NotTextKind(std::string_view(bytes).substr(0, 4096), encoding)) {
    error = path + " is not a text statement (it looks like " + kind + ")";
    return false;
  }
  whole = limit == 0 || bytes.size() < limit;
  return DecodeText(bytes, encoding, text, error, !whole);
}

}  // namespace

bool ReadDelimitedFile(const std::string& path, const CReadOptions& options, CSourceTable& table,
                       std::string& error) {
  table = CSourceTable();
  std::size_t limit = options.maxRows == 0 ? 0 : kFirstPreviewBytes;
  for (;;) {
    std::string text;
    bool whole = true;
    if (!ReadStatementText(path, options.encoding, limit, text, whole, error)) return false;
    ReadRows(text, options.separator, options.maxRows, whole, table);
    if (whole || table.rows.size() >= options.maxRows) return true;
    limit *= 4;  // the rows asked for are longer than the bytes read
  }
}

bool ReadDelimitedPieces(const std::string& path, const CReadOptions& options,
                         std::size_t pieceRows,
                         const std::function<void(const CSourceTable&, std::size_t)>& use,
                         std::string& error) {
  std::string text;
  bool whole = true;
  if (!ReadStatementText(path, options.encoding, 0, text, whole, error)) return false;
  CDelimitedReader reader(text, options.separator);
  CSourceTable piece;
  CDelimitedRow row;
  std::size_t first = 0;
  auto hand = [&]() {
    use(piece, first);
    first += piece.rows.size();
    piece.rows.clear();
  };
  while (reader.Next(row)) {
    piece.columnCount = std::max(piece.columnCount, row.fields.size());
    piece.rows.push_back(std::move(row));
    if (piece.rows.size() == pieceRows) hand();
  }
  if (!piece.rows.empty()) hand();
  return true;
}

bool LooksLikeOfx(std::string_view head) {
  const std::string_view start = head.substr(0, 4096);
  return start.find("OFXHEADER") != std::string_view::npos ||
         start.find("<OFX>") != std::string_view::npos;
}

const char* NotTextKind(std::string_view head, ETextEncoding encoding) {
  if (head.starts_with("PK\x03\x04") || head.starts_with("\xD0\xCF\x11\xE0"))
    return "a spreadsheet";
  if (head.starts_with("%PDF-")) return "a PDF";
  const bool utf16 = encoding == ETextEncoding::kUtf16Le || encoding == ETextEncoding::kUtf16Be;
  if (!utf16 && head.find('\0') != std::string_view::npos) return "a binary file";
  return nullptr;
}

std::vector<CColumnFormat> OfxColumns() {
  std::vector<CColumnFormat> columns(4);
  columns[0].type = EColumnType::kDate;
  columns[0].date.order = EDateOrder::kYmd;
  columns[1].type = EColumnType::kDescription;
  columns[2].type = EColumnType::kSum;
  columns[2].amount = CAmountStyle{'.', 0};
  columns[3].type = EColumnType::kNotes;
  return columns;
}

namespace {

int OnOfxTransaction(const struct OfxTransactionData data, void* context) {
  auto* table = static_cast<CSourceTable*>(context);
  CDelimitedRow row;
  row.line = table->rows.size() + 1;  // the statement's n-th transaction
  std::string day;
  if (data.date_posted_valid != 0) {
    std::tm tm{};
    const std::time_t t = data.date_posted;
    // libofx gives the posting moment as UTC; ReadOfxFile puts the day the
    // statement prints in its place afterwards.
    if (gmtime_r(&t, &tm) != nullptr) {
      char buffer[48];
      std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", tm.tm_year + 1900, tm.tm_mon + 1,
                    tm.tm_mday);
      day = buffer;
    }
  }
  std::string amount;
  if (data.amount_valid != 0 && std::isfinite(data.amount)) {
    // libofx hands amounts over as doubles; the statement writes at most a
    // few decimals, which four-decimal rounding gives back exactly.
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%.4f", data.amount);
    amount = buffer;
  }
  row.fields = {day, data.name_valid != 0 ? data.name : "", amount,
                data.memo_valid != 0 ? data.memo : ""};
  table->rows.push_back(std::move(row));
  table->fitIds.emplace_back(data.fi_id_valid != 0 ? data.fi_id : "");
  return 0;
}

int OnOfxStatement(const struct OfxStatementData data, void* context) {
  CStatementInfo& info = static_cast<CSourceTable*>(context)->statement;
  if (data.account_ptr != nullptr && data.account_ptr->account_number_valid != 0)
    info.account = data.account_ptr->account_number;
  else if (data.account_id_valid != 0)
    info.account = data.account_id;
  if (data.currency_valid != 0) info.currency = data.currency;
  if (data.ledger_balance_valid != 0 && std::isfinite(data.ledger_balance) &&
      std::fabs(data.ledger_balance) < 9e14) {
    // Four-decimal rounding gives back the few decimals the statement wrote.
    info.balance = static_cast<Money>(std::llround(data.ledger_balance * kMoneyOne));
    info.haveBalance = true;
  }
  return 0;
}

// The day (YYYY-MM-DD) of the first eight digits (YYYYMMDD) at `p` of the
// statement's text, blanks before them skipped; "" where they do not read.
std::string DayAt(std::string_view text, std::size_t p) {
  while (p < text.size() && (text[p] == ' ' || text[p] == '\r' || text[p] == '\n')) ++p;
  const std::string_view digits = text.substr(std::min(p, text.size()), 8);
  if (digits.size() != 8 ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return {};
  return std::string(digits.substr(0, 4)) + "-" + std::string(digits.substr(4, 2)) + "-" +
         std::string(digits.substr(6, 2));
}

// The day written after the first `tag` that follows `after`; "" when none.
std::string TagDay(std::string_view text, std::string_view after, std::string_view tag) {
  std::size_t at = text.find(after);
  if (at != std::string_view::npos) at = text.find(tag, at);
  return at == std::string_view::npos ? std::string() : DayAt(text, at + tag.size());
}

// The day of each <DTPOSTED> of a statement, in the file's order, from the
// first eight digits (YYYYMMDD) the bank wrote; "" where they do not read.
// libofx turns a posting time into UTC, which moves a late-evening
// transaction west of Greenwich onto the next day. With `user`, the day of
// the <DTUSER> of the same transaction takes its place where there is one.
std::vector<std::string> PostedDays(std::string_view text, bool user) {
  std::vector<std::string> days;
  constexpr std::string_view kTag = "<DTPOSTED>", kUser = "<DTUSER>", kTransaction = "<STMTTRN>",
                             kEnd = "</STMTTRN>";
  for (std::size_t at = text.find(kTag); at != std::string_view::npos;
       at = text.find(kTag, at + kTag.size())) {
    days.push_back(DayAt(text, at + kTag.size()));
    if (!user) continue;
    // The transaction runs from its <STMTTRN> to its end tag (which SGML
    // statements may leave out) or the next transaction.
    const std::size_t start = text.rfind(kTransaction, at);
    const std::size_t end = std::min(text.find(kEnd, at), text.find(kTransaction, at));
    if (start == std::string_view::npos) continue;
    const std::size_t userAt = text.substr(0, end).find(kUser, start);
    if (userAt == std::string_view::npos) continue;
    if (std::string day = DayAt(text, userAt + kUser.size()); !day.empty()) days.back() = day;
  }
  return days;
}

}  // namespace

bool ReadOfxFile(const std::string& path, CSourceTable& table, std::string& error, EOfxDate dates) {
  table = CSourceTable();
  std::string head;
  if (!ReadFileBytes(path, 4096, head, error)) return false;
  if (!LooksLikeOfx(head)) {
    error = path + " is not an OFX statement";
    return false;
  }
  // libofx reports every parser event on the console unless told not to.
  ofx_PARSER_msg = ofx_DEBUG_msg = ofx_DEBUG1_msg = ofx_DEBUG2_msg = ofx_DEBUG3_msg =
      ofx_DEBUG4_msg = ofx_DEBUG5_msg = ofx_STATUS_msg = ofx_INFO_msg = 0;
  LibofxContextPtr context = libofx_get_new_context();
  ofx_set_transaction_cb(context, OnOfxTransaction, &table);
  ofx_set_statement_cb(context, OnOfxStatement, &table);
  const int rc = libofx_proc_file(context, path.c_str(), AUTODETECT);
  libofx_free_context(context);
  table.columnCount = 4;
  if (rc != 0 && table.rows.empty()) {
    error = path + ": the OFX statement could not be read";
    return false;
  }
  // Each transaction takes the day the statement prints, when the file's
  // posting days pair up one to one with the transactions libofx read.
  std::string text;
  if (ReadFileBytes(path, 0, text, error)) {
    const std::vector<std::string> days = PostedDays(text, dates == EOfxDate::kUser);
    if (days.size() == table.rows.size())
      for (std::size_t i = 0; i < days.size(); ++i)
        if (!days[i].empty()) table.rows[i].fields[0] = days[i];
    // The period and the balance's day, as the bank printed them.
    CStatementInfo& info = table.statement;
    info.start = TagDay(text, "<BANKTRANLIST>", "<DTSTART>");
    info.end = TagDay(text, "<BANKTRANLIST>", "<DTEND>");
    info.balanceDay = TagDay(text, "<LEDGERBAL>", "<DTASOF>");
    if (info.balanceDay.empty()) info.haveBalance = false;
  }
  table.statement.format = "OFX";
  error.clear();
  return true;
}

// Importing bank statements: a source table (the rows of a delimited file or
// of an OFX statement), the meaning of its columns, and a plan that says for
// every row whether it becomes a transaction, is a duplicate of one already
// stored, or cannot be imported and why. Nothing is stored until the plan is
// applied; an applied import can be undone as a whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "Companion.h"
#include "Delimited.h"
#include "Formats.h"
#include "Omrindb.h"
#include "PageArray.h"

// What a column holds, in the order the import window lists them.
enum class EColumnType : std::uint8_t {
  kNone,
  kDate,
  kDescription,
  kQuantity,
  kSum,
  kPrice,
  kNotes,
  kCategory,
  kMember,
  kSection,
  kBalance,  // the bank's running balance after the row
  kMark,     // a debit/credit mark that gives the Sum column's sign
};
constexpr int kColumnTypeCount = 12;
// "<none>", "Date", "Description", "Quantity", "Sum", "Price", "Notes",
// "Category", "Family member", "Section", "Balance", "Debit/credit mark".
const char* ColumnTypeName(EColumnType type);
// Its lower-case short form, as settings and the command line write it.
const char* ColumnTypeShortName(EColumnType type);
// The type a name (as above, or its lower-case short form: date,
// description, quantity, sum, price, notes, category, member, section,
// balance, mark, none) stands for; false for another name.
bool ColumnTypeFromName(std::string_view name, EColumnType& type);

// Whether a column of the type holds amounts (Sum, Price, Quantity, Balance).
constexpr bool IsAmountColumn(EColumnType type) {
  return type == EColumnType::kSum || type == EColumnType::kPrice ||
         type == EColumnType::kQuantity || type == EColumnType::kBalance;
}

// How the amounts of a Sum column count: with their sign, or as money that
// always goes out (a debit column) or always comes in (a credit column).
enum class ESumRole : std::uint8_t { kSigned, kDebit, kCredit };

struct CColumnFormat {
  EColumnType type = EColumnType::kNone;
  CDateStyle date;      // Date columns
  CAmountStyle amount;  // Sum, Price and Quantity columns
  ESumRole role = ESumRole::kSigned;
  // Mark columns: the mark that means money out, as the file writes it
  // ("D", "Soll"); any other known mark means money in. Empty: the known
  // marks tell by themselves which side they are (see MarkSide).
  std::string outMark;
};

// The debit/credit marks statements write in a column beside the amount,
// in pairs of money out and money in: D/C, DR/CR, Debit/Credit, S/H,
// Soll/Haben, Lastschrift/Gutschrift, Débit/Crédit, Cargo/Abono,
// Debe/Haber, D/H, -/+. Compared without case and surrounding blanks.
enum class EMarkSide : std::uint8_t { kUnknown, kOut, kIn };
// The side of a known mark (kUnknown for any other text).
EMarkSide MarkSide(std::string_view mark);
// The side `mark` stands for in a column whose money-out mark is `outMark`
// (empty: MarkSide): the out mark itself is money out, another known mark
// money in, anything else kUnknown.
EMarkSide MarkSideIn(std::string_view mark, std::string_view outMark);
// Whether two marks are the same (without case and surrounding blanks).
bool SameMark(std::string_view a, std::string_view b);

// What a statement says of itself (an OFX statement: the account, its
// currency, the period and the bank's balance; days as YYYY-MM-DD).
struct CStatementInfo {
  std::string format;  // "OFX", or "" for a delimited file
  std::string account, currency, start, end;
  bool haveBalance = false;
  Money balance = 0;
  std::string balanceDay;
};

// The rows of a file, as read. `fitIds` is empty or holds each row's
// financial-institution transaction id (OFX statements).
struct CSourceTable {
  std::vector<CDelimitedRow> rows;
  std::vector<std::string> fitIds;
  CStatementInfo statement;
  std::size_t columnCount = 0;  // the widest row's number of fields
  bool complete = true;         // false: only the first rows were read
};

enum class EImportKind : std::uint8_t { kExpense, kIncome, kAuto };

class CRuleMatcher;
class CCategoryLearner;

struct CImportOptions {
  std::uint32_t account = 0;
  EImportKind kind = EImportKind::kExpense;
  bool createCategories = false;
  std::size_t firstRow = 1;  // rows before it (a header) are not imported
  std::vector<CColumnFormat> columns;
  // The category, member and section a row's file does not give: the first
  // matching rule's, else those of earlier transactions like it. Either
  // may be null (no rules; nothing learned).
  const CRuleMatcher* rules = nullptr;
  const CCategoryLearner* learner = nullptr;
};

// The column types a table's cells suggest, with their detected styles: the
// first column of dates, of amounts, of the longest texts. Two amount
// columns of which each row fills one are a debit and a credit column when
// the header names them (Debit/Credit, Soll/Haben, Paid out/Paid in ...),
// else two Sum columns left for the user (DebitCreditUndecided); a column
// of known debit/credit marks is a Mark column. `fallback`
// gives the regional date order and decimal mark for cells that do not
// tell. Columns after the first row are looked at only.
std::vector<CColumnFormat> SuggestColumns(const CSourceTable& table, std::size_t firstRow,
                                          EDateOrder fallbackOrder, char fallbackDecimal);
// The first row of transactions: the first of a run of rows that have a
// date or an amount and the width most such rows have (rows before it are a
// header and lines such as the bank's name), among the first kGuessRows;
// 1 when none is found.
constexpr std::size_t kGuessRows = 64;
std::size_t GuessFirstRow(const CSourceTable& table);
// True when every date of the column reads in more than one order (all
// days up to 12: "01/02/2026"), so that the file cannot tell the order;
// dates written with dots are taken as day-first.
bool DateOrderUndecided(const CSourceTable& table, std::size_t column, std::size_t firstRow);
// Two Sum columns that hold the amounts of a statement between them, each
// row filling one, while the file's header does not tell which of them is
// money out: true with the two columns. Such a pair is never guessed; the
// user says which is the debit column.
bool DebitCreditUndecided(const CSourceTable& table, std::size_t firstRow,
                          const std::vector<CColumnFormat>& columns, std::size_t& first,
                          std::size_t& second);
// The column's detected styles (used again when the user changes a type);
// for a Mark column its money-out mark.
CColumnFormat DetectColumn(const CSourceTable& table, std::size_t column, std::size_t firstRow,
                           EColumnType type, EDateOrder fallbackOrder, char fallbackDecimal);

enum class ERowStatus : std::uint8_t { kNew, kDuplicate, kRefused };

// Who gave a planned row its category, member and section (the first of
// them when several did): the file, a rule, earlier transactions, the user
// in the review, or nobody.
enum class ECategorySource : std::uint8_t { kNone, kFile, kRule, kLearned, kUser };

// A row of the plan. Its texts are kept by the plan (see CImportPlan::Text),
// so that a plan of a million rows stays small.
struct CPlannedRow {
  std::uint32_t line = 0;  // the file's line (1 = first) the row starts on
  ERowStatus status = ERowStatus::kNew;
  bool include = true;  // stored when applied (duplicates: false until chosen)
  ECategorySource source = ECategorySource::kNone;
  // Texts of the plan: why refused, what it duplicates, or a note; the
  // description and comment; subtype paths "A:B" the row names (the ids in
  // `record` are 0 for paths that do not exist yet and will be created);
  // the financial-institution transaction id.
  std::uint32_t reason = 0, description = 0, comment = 0;
  std::uint32_t category = 0, member = 0, section = 0, fitId = 0;
  // Where its category, member and section come from, in words: "from the
  // file", "rule 3: 'netflix'", "like 14 earlier transactions"; 0 for
  // nowhere.
  std::uint32_t why = 0;
  TransactionRecord record;  // the transaction it becomes
  Money amount = 0;          // as the file writes it: money out negative
};

// The bank's balance at the end of the statement's last day beside the
// account's balance as it will be after the import (ten-thousandths, the
// account's currency).
struct CStatementBalance {
  bool known = false;  // the statement gives a balance
  Date day = 0;
  Money bank = 0;
  Money before = 0;                 // the account's balance that day before the import
  Money books = 0, difference = 0;  // difference = bank - books
  // When they differ: the rows that most likely explain it (refused rows,
  // duplicates left out, rows dated after the day), as indexes of the
  // plan's rows, those whose amount is the difference first.
  std::vector<std::size_t> suspects;
};

class CImportPlan {
 public:
  // (Page arrays: a million rows grow without a second copy.)
  TPageArray<CPlannedRow> rows;
  CStatementBalance balance;

  std::size_t CountOf(ERowStatus status) const;
  std::size_t CountIncluded() const;
  // A text of the plan; AddText keeps one and gives its number (0 for "").
  std::string_view Text(std::uint32_t text) const;
  std::uint32_t AddText(std::string_view text);
  std::string_view Reason(const CPlannedRow& row) const { return Text(row.reason); }
  std::string_view Description(const CPlannedRow& row) const { return Text(row.description); }
  std::string_view Comment(const CPlannedRow& row) const { return Text(row.comment); }

 private:
  struct CSpan {
    std::uint64_t at;
    std::uint32_t size;
  };
  TPageArray<char> texts_;  // (a million rows' texts grow without a second copy)
  TPageArray<CSpan> spans_;
};

// Works out the plan's books balance, difference and suspects again from
// the rows it includes now (after the user checked or unchecked rows).
void CheckStatementBalance(CImportPlan& plan);

// Remembered financial-institution transaction ids of the statements
// imported into one database, kept in its companion file (Companion.h). An
// id counts as imported while its transaction still exists.
class CFitIdStore {
 public:
  // Loads the store of the database file (an absent store is empty). A
  // damaged companion file is moved aside and reported (log and message).
  explicit CFitIdStore(const std::string& databaseFile);
  ~CFitIdStore();
  // The transaction a FITID of an account was imported as (0 = none).
  std::uint32_t Find(std::uint32_t account, const std::string& fitId) const;
  // Whether a transaction was imported with a FITID.
  bool HasTransaction(std::uint32_t transaction) const;
  // Adds entries to the companion file and syncs it; false with the reason
  // in `error`.
  bool Add(const std::vector<std::tuple<std::uint32_t, std::string, std::uint32_t>>& entries,
           std::string& error);
  // The file the FITIDs are kept in (the database's companion file).
  static std::string PathFor(const std::string& databaseFile);

 private:
  std::string databaseFile_;
  std::unique_ptr<CCompanion> companion_;  // as loaded, with what Add stored since
};

// The plan for a table: every row from `firstRow` on is a transaction of the
// account, a duplicate (same account, day, signed amount and description as
// a stored transaction not matched by an earlier row; for OFX rows a
// remembered FITID) or refused with its reason; and the statement's balance
// check (a Balance column's last balance, or the balance an OFX statement
// gives).
CImportPlan PlanImport(CDataBase& db, const CSourceTable& table, const CImportOptions& options,
                       const CFitIdStore& fitIds);

// The same, for a statement read in pieces: Plan takes each piece in turn
// (`first` is the index of its first row in the whole file), Finish notes
// what needs every row.
class CImportPlanner {
 public:
  CImportPlanner(CDataBase& db, const CImportOptions& options, const CFitIdStore& fitIds);
  ~CImportPlanner();
  CImportPlanner(const CImportPlanner&) = delete;
  CImportPlanner& operator=(const CImportPlanner&) = delete;
  void Plan(const CSourceTable& piece, std::size_t first, CImportPlan& plan);
  void Finish(const CStatementInfo& statement, CImportPlan& plan);

 private:
  class CImpl;
  std::unique_ptr<CImpl> impl_;
};

// What an applied import stored.
struct CImportResult {
  std::vector<std::uint32_t> transactions;  // in the order of the rows
  std::vector<std::uint64_t> fingerprints;  // of each transaction as stored
  std::vector<std::uint32_t> subtypes;      // categories, members, sections created
  bool ok = true;
  std::string error;  // why it stopped
};

// Stores the included rows of the plan, creating missing subtypes first, in
// one batch synced at its end, and remembers the FITIDs. Every row is stored
// whole or not at all; the first failure stops the import (what was stored
// before it is in the result, with ok = false). `progress` (may be empty)
// is called with rows done and rows in all.
using TImportProgress = void (*)(void* context, std::size_t done, std::size_t total);
CImportResult ApplyImport(CDataBase& db, const CImportPlan& plan, const CImportOptions& options,
                          CFitIdStore& fitIds, TImportProgress progress = nullptr,
                          void* context = nullptr);

// A fingerprint of what transaction `id` holds: its date, accounts, amounts,
// quantity, category, member, section, description and notes (the texts
// themselves, not their string ids, so that storing a transaction again
// unchanged keeps its fingerprint). 0 when the transaction does not exist.
std::uint64_t TransactionFingerprint(CDataBase& db, std::uint32_t id);
// The same of a transaction not read from the database.
std::uint64_t TransactionFingerprint(const TransactionRecord& record,
                                     const std::string& description, const std::string& comment);

// What became of an import's transactions: how many still exist, and those
// of them changed since they were stored (their fingerprint differs from the
// one taken then). `fingerprints` holds one per transaction, in the same
// order; without them (an import remembered before they were kept) changes
// cannot be told: `known` is false and `changed` empty.
struct CImportChanges {
  std::size_t remaining = 0;
  std::vector<std::uint32_t> changed;
  bool known = true;
};
CImportChanges FindChangedSinceImport(CDataBase& db, const std::vector<std::uint32_t>& transactions,
                                      const std::vector<std::uint64_t>& fingerprints);

// Deletes what an import stored: its transactions that still exist, except
// those in `keep`, then the subtypes it created that nothing uses any more
// (the kept transactions keep theirs). False with the reason when a deletion
// is not stored (the rest stays for a later undo).
bool UndoImport(CDataBase& db, const std::vector<std::uint32_t>& transactions,
                const std::vector<std::uint32_t>& subtypes, std::string& error,
                const std::vector<std::uint32_t>& keep = {});

// Ids as a short text ("100-250,300") and back, for keeping them in the
// settings. False for text that is not such a list.
std::string IdRangesText(const std::vector<std::uint32_t>& ids);
bool ParseIdRanges(std::string_view text, std::vector<std::uint32_t>& ids);

// ---- Reading files ----
struct CReadOptions {
  char separator = '\t';
  ETextEncoding encoding = ETextEncoding::kUtf8;
  std::size_t maxRows = 0;  // 0 = every row; else at most so many (a preview)
};
// Reads a delimited file into a table. False with the reason in `error`.
bool ReadDelimitedFile(const std::string& path, const CReadOptions& options, CSourceTable& table,
                       std::string& error);
// Reads a delimited file a piece of `pieceRows` rows at a time, so that a
// long statement is never held whole: `use` gets each piece with the index
// of its first row in the file. False with the reason in `error`.
bool ReadDelimitedPieces(const std::string& path, const CReadOptions& options,
                         std::size_t pieceRows,
                         const std::function<void(const CSourceTable&, std::size_t)>& use,
                         std::string& error);
// True when the file looks like an OFX or QFX statement.
bool LooksLikeOfx(std::string_view head);
// What a file that is no text looks like, from its first bytes: "a
// spreadsheet" (a zip or an old compound document), "a PDF", "a binary file"
// (zero bytes in text that is not UTF-16); nullptr for text.
const char* NotTextKind(std::string_view head, ETextEncoding encoding);
// Reads the transactions of an OFX/QFX statement into a table with the
// columns of OfxColumns(): date (ISO), description, sum (signed, point),
// notes, with the FITIDs. False with the reason in `error`.
// `dates` picks the day of each transaction: the day it was posted
// (DTPOSTED), or the day the user made it (DTUSER) where the statement
// gives one.
enum class EOfxDate : std::uint8_t { kPosted, kUser };
bool ReadOfxFile(const std::string& path, CSourceTable& table, std::string& error,
                 EOfxDate dates = EOfxDate::kPosted);
std::vector<CColumnFormat> OfxColumns();

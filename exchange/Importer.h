// Importing bank statements: a source table (the rows of a delimited file or
// of an OFX statement), the meaning of its columns, and a plan that says for
// every row whether it becomes a transaction, is a duplicate of one already
// stored, or cannot be imported and why. Nothing is stored until the plan is
// applied; an applied import can be undone as a whole.
#pragma once

#include <cstddef>
#include <cstdint>
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

// How the amounts of a Sum column count: with their sign, or as money that
// always goes out (a debit column) or always comes in (a credit column).
enum class ESumRole : std::uint8_t { kSigned, kDebit, kCredit };

struct CColumnFormat {
  EColumnType type = EColumnType::kNone;
  CDateStyle date;      // Date columns
  CAmountStyle amount;  // Sum, Price and Quantity columns
  ESumRole role = ESumRole::kSigned;
};

// The rows of a file, as read. `fitIds` is empty or holds each row's
// financial-institution transaction id (OFX statements).
struct CSourceTable {
  std::vector<CDelimitedRow> rows;
  std::vector<std::string> fitIds;
  std::size_t columnCount = 0;  // the widest row's number of fields
  bool complete = true;         // false: only the first rows were read
};

enum class EImportKind : std::uint8_t { kExpense, kIncome, kAuto };

struct CImportOptions {
  std::uint32_t account = 0;
  EImportKind kind = EImportKind::kExpense;
  bool createCategories = false;
  std::size_t firstRow = 1;  // rows before it (a header) are not imported
  std::vector<CColumnFormat> columns;
};

// The column types a table's cells suggest, with their detected styles: the
// first column of dates, of amounts, of the longest texts. `fallback`
// gives the regional date order and decimal mark for cells that do not
// tell. Columns after the first row are looked at only.
std::vector<CColumnFormat> SuggestColumns(const CSourceTable& table, std::size_t firstRow,
                                          EDateOrder fallbackOrder, char fallbackDecimal);
// The first row of transactions: the first of a run of rows that have a
// date or an amount and the width most such rows have (rows before it are a
// header and lines such as the bank's name); 1 when none is found.
std::size_t GuessFirstRow(const CSourceTable& table);
// True when every date of the column reads in more than one order (all
// days up to 12: "01/02/2026"), so that the file cannot tell the order;
// dates written with dots are taken as day-first.
bool DateOrderUndecided(const CSourceTable& table, std::size_t column, std::size_t firstRow);
// The column's detected styles (used again when the user changes a type).
CColumnFormat DetectColumn(const CSourceTable& table, std::size_t column, std::size_t firstRow,
                           EColumnType type, EDateOrder fallbackOrder, char fallbackDecimal);

enum class ERowStatus : std::uint8_t { kNew, kDuplicate, kRefused };

struct CPlannedRow {
  std::size_t line = 0;  // the file's line (1 = first) the row starts on
  ERowStatus status = ERowStatus::kNew;
  std::string reason;     // why refused, what it duplicates, or a note
  bool include = true;    // stored when applied (duplicates: false until chosen)
  CTransactionItem item;  // the transaction it becomes
  Money amount = 0;       // as the file writes it: money out negative
  // Subtype paths "A:B" the row names (empty when none); the ids in `item`
  // are 0 for paths that do not exist yet and will be created.
  std::string category, member, section;
  std::string fitId;
};

struct CImportPlan {
  std::vector<CPlannedRow> rows;
  std::size_t CountOf(ERowStatus status) const;
  std::size_t CountIncluded() const;
};

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
// remembered FITID) or refused with its reason.
CImportPlan PlanImport(CDataBase& db, const CSourceTable& table, const CImportOptions& options,
                       const CFitIdStore& fitIds);

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
// True when the file looks like an OFX or QFX statement.
bool LooksLikeOfx(std::string_view head);
// What a file that is no text looks like, from its first bytes: "a
// spreadsheet" (a zip or an old compound document), "a PDF", "a binary file"
// (zero bytes in text that is not UTF-16); nullptr for text.
const char* NotTextKind(std::string_view head, ETextEncoding encoding);
// Reads the transactions of an OFX/QFX statement into a table with the
// columns of OfxColumns(): date (ISO), description, sum (signed, point),
// notes, with the FITIDs. False with the reason in `error`.
bool ReadOfxFile(const std::string& path, CSourceTable& table, std::string& error);
std::vector<CColumnFormat> OfxColumns();

// Writing transactions out: delimited text with the fields a person picks,
// and a plain-text journal that double-entry tools read.
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "Numbertexts.h"
#include "Omrindb.h"

// The fields of an exported row, in the order the export window lists them.
enum class EExportField : std::uint8_t {
  kDate,
  kDescription,
  kQuantity,
  kSum,
  kPrice,
  kNotes,
  kCategory,
  kMember,
  kSection,
  kAccount,
  // Added after the first ten, so that choices kept by their index keep
  // their meaning.
  kCurrency,
  kAmountIn,
  kCurrencyIn,
};
constexpr int kExportFieldCount = 13;
// "Date", "Description", "Quantity", "Sum", "Price", "Notes", "Category",
// "Family member", "Section", "Account", "Currency", "Amount in",
// "Currency in".
const char* ExportFieldName(EExportField field);

enum class EExportKind : std::uint8_t { kExpenses, kIncomes, kAll };

struct CExportOptions {
  char separator = '\t';
  Date begin = 0;
  Date end = 0;  // whole days, both included
  EExportKind kind = EExportKind::kExpenses;
  std::uint32_t account = 0;   // 0 = every account
  std::uint32_t category = 0;  // 0 = every category
  bool withSubcategories = true;
  std::vector<EExportField> fields;  // in the order written
  bool isoDates = true;              // else the regional short date
  bool pointDecimal = true;          // else the regional decimal mark
  NumberFormat regional;             // the regional decimal mark
};

// The transactions the options select, in day order.
std::vector<std::uint32_t> SelectForExport(CDataBase& db, const CExportOptions& options);

// Writes a header row and one row per selected transaction, UTF-8 with CRLF
// line ends. Sums carry their direction: money out of an account (an
// expense, a transfer's amount out) is negative, money in positive; the
// Currency is the short name (else the full name) of the currency of the
// account the Sum is counted for. A transfer's Account is "FROM > TO", its
// Amount in and Currency in are what the receiving account got (a transfer
// across currencies receives another amount than it sends); they are empty
// for expenses and incomes. False when the stream fails.
bool WriteDelimited(CDataBase& db, const CExportOptions& options, std::ostream& out);

// Writes the transactions of begin..end (all when begin > end) as a ledger
// journal: accounts "Assets:NAME", categories "Expenses:A:B" and
// "Income:A:B" ("Expenses:Uncategorized" without one), commodities by
// currency short name, transfers across currencies with their rate as the
// total price (@@). Names are made safe for the journal (no ':' inside a
// name part, no doubled blanks). False when the stream fails.
bool WriteJournal(CDataBase& db, Date begin, Date end, std::uint32_t account, std::ostream& out);

// Writes the transactions of begin..end (all when begin > end) of every
// account, or of `account` only, as QIF: the account list, the category
// list with its income and expense flags, then one !Account block per
// account with its transactions (dates MM/DD/YYYY, amounts with a point,
// money out negative, categories "Parent:Child", transfers "[Account]",
// written in both accounts' lists as QIF readers expect). Family members,
// sections and quantities have no place in QIF and are left out. False when
// the stream fails.
bool WriteQif(CDataBase& db, Date begin, Date end, std::uint32_t account, std::ostream& out);

// Writes `path` whole or not at all: into a temporary file beside it that
// replaces it once written and synced. False with the reason in `error`.
bool WriteFileAtomically(const std::string& path, const std::function<bool(std::ostream&)>& write,
                         std::string& error);

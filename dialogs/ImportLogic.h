// Decisions of the import window kept out of widget code: the first-row
// rule, how a column's meaning and formats are shown and kept, the choices
// kept in the settings between runs, and the import that can be undone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "BulkEditLogic.h"
#include "ExportLogic.h"
#include "Importer.h"
#include "RuleTypes.h"
#include "SubTypePaths.h"

namespace Settings {
class CSettingsStorage;
}

// The highest first row the window's up-down control reaches.
constexpr int kLastFirstRow = 32767;
// Whether `text` may stand in the first-row box: digits only, reading as
// 1..kLastFirstRow. Anything else (0, an empty box) is undone as typed.
bool FirstRowAccepted(const std::string& text);

// The header of a preview column: its type with the formats it is read in,
// "Date (DD.MM.YYYY)", "Sum (1.234,56)", "Sum (1,234.56, debit)", "Description",
// "Debit/credit mark (out: D)".
std::string ColumnHeaderText(const CColumnFormat& column);
// Whether `cell` reads in the column (Date, amount and Mark columns; any
// text reads in the others), with the reason when it does not.
bool CellReads(const CColumnFormat& column, const std::string& cell, std::string& why);

// The amount formats the window offers, in its list's order, and the index
// of `style` among them (-1 for none).
const std::vector<CAmountStyle>& AmountStyleChoices();
int AmountStyleIndex(const CAmountStyle& style);
// The date orders the window offers, in its list's order.
constexpr EDateOrder kDateOrderChoices[] = {EDateOrder::kYmd, EDateOrder::kDmy, EDateOrder::kMdy};
// "signed", "debit (money out)", "credit (money in)".
const char* SumRoleText(ESumRole role);

// The order of day, month and year in a date pattern such as Qt's short
// date format ("dd.MM.yyyy" -> D-M-Y, "M/d/yy" -> M-D-Y); Y-M-D when the
// pattern does not tell.
EDateOrder DateOrderOfPattern(const std::string& pattern);

// A column kept in the settings as text ("date;dmy", "sum;,.;debit",
// "mark;DR": the money-out mark with '%' and ';' escaped as %25 and %3B) and
// read back. False for a text that names no column.
std::string ColumnFormatText(const CColumnFormat& column);
bool ParseColumnFormatText(const std::string& text, CColumnFormat& column);

// The import window's file-dialog filter: the statements it reads first,
// then the export window's filter (text files, CSV files, all files).
inline constexpr const char* kImportFileFilter =
    "Bank statements (*.csv *.txt *.tsv *.ofx *.qfx);;Text files (*.txt);;CSV files (*.csv);;"
    "All files (*)";

// Keys kept beside the reserved ones.
inline constexpr const char* kImportEncoding = "ImportEncoding";
inline constexpr const char* kImportOfxDate = "ImportOfxDate";
inline constexpr const char* kLastImportFile = "LastImportFile";
inline constexpr const char* kLastImportDataBase = "LastImportDataBase";
inline constexpr const char* kLastImportTransactions = "LastImportTransactions";
inline constexpr const char* kLastImportSubTypes = "LastImportSubTypes";
inline constexpr const char* kLastImportFingerprints = "LastImportFingerprints";
// An import of more transactions keeps no fingerprints (see StoreLastImport).
inline constexpr std::size_t kMaxRememberedFingerprints = 20000;

// What the import window keeps between uses and runs.
struct TImportChoices {
  std::string fileName;
  int separator = kSeparatorTab;
  std::string customSeparator = "-";
  EImportKind kind = EImportKind::kAuto;  // by the sign: most statements hold both
  std::vector<CColumnFormat> columns;
  bool createTypes = false;
  int firstRow = 1;
  ETextEncoding encoding = ETextEncoding::kUtf8;
  EOfxDate ofxDate = EOfxDate::kPosted;  // the day OFX transactions take
};

// The choices as stored under ImportFileName, ImportSeparatorType,
// ImportCustomSeparator, ImportType, ImportField_0.. (up to the first empty
// one), ImportCreateType, ImportFirstRow, ImportEncoding and ImportOfxDate
// (0 posted, 1 the user's day); a value out of
// its range reads as the default.
TImportChoices LoadImportChoices(Settings::CSettingsStorage& settings);
// Stores every choice; false when any could not be written.
bool StoreImportChoices(Settings::CSettingsStorage& settings, const TImportChoices& choices);

// The import that Undo import removes: the file, the database it went into,
// the ids it stored and the fingerprint of each transaction as stored (see
// TransactionFingerprint; in the order of `transactions`, empty when not
// known), which tells the transactions changed since.
//
// The fingerprints are kept with the ids in the settings rather than in a
// file beside the database: they live exactly as long as the undo offer,
// which the settings keep, and are replaced or forgotten with it.
struct TLastImport {
  std::string file;
  std::string database;
  std::vector<std::uint32_t> transactions;
  std::vector<std::uint32_t> subtypes;
  std::vector<std::uint64_t> fingerprints;
};
// As stored under LastImportFile, LastImportDataBase, LastImportTransactions,
// LastImportSubTypes and LastImportFingerprints (hexadecimal, in the order
// of the kept ids); id lists that do not read are empty, and so are
// fingerprints that do not read one per transaction.
TLastImport LoadLastImport(Settings::CSettingsStorage& settings);
// Stores the import (an empty one forgets it); false when any value could
// not be written. Past kMaxRememberedFingerprints transactions the
// fingerprints are left out, so that the settings file stays small.
bool StoreLastImport(Settings::CSettingsStorage& settings, const TLastImport& last);
// Whether the import is offered for undoing while `openDatabase` is open:
// it stored something, into that same file.
bool CanUndoImport(const TLastImport& last, const std::string& openDatabase);

// The question Undo import asks before removing the import of `fileName`:
// how many transactions it deletes and, when some of them were changed
// after the import, how many, asking whether to keep them (texts 30101 to
// 30104, in the forms their counts call for).
std::string UndoImportQuestion(const std::string& fileName, const CImportChanges& changes);

// The distinct marks of a Mark column's cells (trimmed, in the order they
// first appear, at most `most`), for the user to pick the money-out one.
std::vector<std::string> ColumnMarks(const CSourceTable& table, std::size_t column,
                                     std::size_t firstRow, std::size_t most = 20);

// The questions the window asks before importing what the file does not
// tell, with the captions of their answers (texts 30540 to 30545, 30552): the order
// of ambiguous dates, and which of two amount columns is money out
// (`first`/`second`: their names, from the header or "column 3").
std::string DateOrderQuestion(std::size_t column);
std::string DayFirstAnswer();
std::string MonthFirstAnswer();
std::string DebitColumnQuestion(const std::string& first, const std::string& second);
std::string DebitColumnAnswer(const std::string& name);
// The notes a preview header shows after the date style it guessed, and on
// a Sum column of a pair not yet known as debit or credit.
std::string GuessedOrderNote();
std::string DebitOrCreditNote();

// "12 new, 3 duplicates, 1 refused": the plan's counts as the review shows them.
std::string PlanCountsText(const CImportPlan& plan);

// The review's line on the bank's balance: agreeing, or the difference and
// where to look for it; "" when the statement gives no balance.
std::string StatementBalanceText(const CStatementBalance& balance);

// The user's own category, member and section for planned rows `rows`
// (indexes of plan.rows; refused rows are left out): the rows whose kind
// the category does not fit (an income category for an expense), and
// choices that are no longer stored subtypes, as refusals.
std::vector<TBulkRefused> CheckPlannedChoice(const CImportPlan& plan,
                                             const std::vector<std::size_t>& rows,
                                             const TBulkChange& change, const CSubTypePaths& paths);
// Gives those rows the choice (0 keeps a field) and says where it came from.
void SetPlannedChoice(CImportPlan& plan, const std::vector<std::size_t>& rows,
                      const TBulkChange& change);

// Where a planned row's category comes from (CPlannedRow::why) in the
// user's language.
std::string CategorySourceText(std::string_view why);

// A rule just made, number `number` in the rules' order, given to the
// planned rows it matches that no earlier rule, the file or the user
// categorized (a proposal learned from history gives way to it), as the
// import would have given it. Rows of `account`. The number of rows it
// changed.
std::size_t ApplyNewRule(CImportPlan& plan, const CImportRule& rule, std::size_t number,
                         std::uint32_t account, const CSubTypePaths& paths);

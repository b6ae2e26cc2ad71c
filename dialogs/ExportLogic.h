// Decisions of the export window kept out of widget code: the separator a
// choice of radio buttons stands for, the choices kept in the settings
// between runs, and the options an export is written with.
#pragma once

#include <array>
#include <string>

#include "Exporter.h"

namespace Settings {
class CSettingsStorage;
}

// The separator radio buttons of the export and import windows, in order.
enum TSeparatorChoice { kSeparatorTab, kSeparatorSemicolon, kSeparatorComma, kSeparatorCustom };

// The separator `choice` stands for; for kSeparatorCustom the one character
// of `custom`, which must be a printable ASCII character other than a double
// quote. False for anything else (an empty box, two characters, a letter
// outside ASCII): such a separator could not be written as one byte.
bool SeparatorOf(int choice, const std::string& custom, char& separator);
// The radio button that shows `separator`: kSeparatorCustom for any but tab,
// ';' and ','.
int ChoiceOfSeparator(char separator);

// Keys kept beside the reserved ones: how dates and amounts are written.
inline constexpr const char* kExportIsoDates = "ExportIsoDates";
inline constexpr const char* kExportPointDecimal = "ExportPointDecimal";
inline constexpr const char* kExportQif = "ExportQif";

// Every field checked (what a new user starts with).
constexpr std::array<bool, kExportFieldCount> AllExportFields() {
  std::array<bool, kExportFieldCount> all{};
  for (bool& field : all) field = true;
  return all;
}

// What the export window keeps between uses and runs.
struct TExportChoices {
  std::string fileName = "export.txt";
  int separator = kSeparatorTab;
  std::string customSeparator = "-";
  EExportKind kind = EExportKind::kExpenses;
  std::array<bool, kExportFieldCount> fields = AllExportFields();
  bool isoDates = true;
  bool pointDecimal = true;
  bool qif = false;  // QIF for other finance programs instead of delimited text
};

// The choices as stored under ExportFileName, ExportSeparatorType,
// ExportCustomSeparator, ExportType, ExportField_0..12, ExportIsoDates,
// ExportPointDecimal and ExportQif; a value out of its range reads as the
// default.
TExportChoices LoadExportChoices(Settings::CSettingsStorage& settings);
// Stores every choice; false when any could not be written.
bool StoreExportChoices(Settings::CSettingsStorage& settings, const TExportChoices& choices);

// The options of an export of begin..end. False with the reason, in words for
// the user, when the choices cannot be written: no field checked or a custom
// separator that is not one character.
bool MakeExportOptions(const TExportChoices& choices, Date begin, Date end, std::uint32_t account,
                       std::uint32_t category, bool withSubcategories, const NumberFormat& regional,
                       CExportOptions& options, std::string& why);

// The counted texts of the export and import windows and the import review,
// in the form the count calls for in the user's language (GetLocalizedCount,
// texts 30110 to 30121) with "%1" replaced by the count; a "%2" (a file or a
// row) is left for the caller to fill.
enum class EExchangeCount {
  kOfxTransactions,   // "OFX statement: 12 transactions"
  kColumns,           // "Delimited text, 4 columns"
  kRowsShown,         // "the first 50 rows from row %2 are shown"
  kStoredBeforeStop,  // "3 transactions were stored before it stopped."
  kImported,          // "3 transactions were imported from %2."
  kSubtypesCreated,   // "2 categories, members or sections were created."
  kRows,              // "5 rows"
  kNew,               // "3 new"
  kDuplicates,        // "1 duplicate"
  kRefused,           // "1 refused"
  kToImport,          // "3 transactions will be imported (the checked rows)."
  kWritten,           // "3 transactions were written to %2."
};
std::string ExchangeCountText(EExchangeCount what, std::size_t count);

// The export window's file-dialog filter: text files, CSV files, all files.
inline constexpr const char* kExchangeFileFilter =
    "Text files (*.txt);;CSV files (*.csv);;All files (*)";
// ... and when QIF is chosen.
inline constexpr const char* kQifFileFilter = "QIF files (*.qif);;All files (*)";

// The file name for the format: "export.txt" becomes "export.qif" when QIF
// is chosen, and back; another extension is the user's and stays.
std::string FileNameForFormat(const std::string& name, bool qif);

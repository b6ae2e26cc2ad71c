// Fuzzes import planning: any bytes read as a statement, with its columns
// as detected (marks and debit/credit pairs included) and with the column
// types the first bytes pick (Mark and Balance columns among them), plan without
// crashing, and every row planned is refused with a reason or has an
// amount of the sign its mark gives.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string>

#include "FuzzScratch.h"
#include "Importer.h"
#include "Logger.h"
#include "Platform.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // One database with one account for the whole run: the plan only reads it.
  static std::uint32_t account = 0;
  static CDataBase* db = [] {
    SetMessageHook([](const std::string&) {});
    static CFuzzScratch file("import-db", nullptr, 0);
    std::remove(file.Path().c_str());
    auto* made = new CDataBase;
    made->Create(file.Path());
    CAccountItem bank;
    bank.name = "Bank";
    bank.record.currencyId = 101;
    account = made->AddAccount(bank);
    return made;
  }();
  if (size < 3) return 0;
  const char separators[] = {'\t', ';', ',', '|'};
  CSourceTable table;
  {
    CFuzzScratch statement("import", data + 3, size - 3);
    std::string error;
    CReadOptions read{separators[data[0] % 4], kAllEncodings[data[1] % std::size(kAllEncodings)],
                      0};
    if (!ReadDelimitedFile(statement.Path(), read, table, error)) return 0;
  }
  CImportOptions options;
  options.account = account;
  options.kind = EImportKind::kAuto;
  options.firstRow = GuessFirstRow(table);
  options.columns = SuggestColumns(table, options.firstRow, EDateOrder::kDmy, ',');
  std::size_t first = 0, second = 0;
  DebitCreditUndecided(table, options.firstRow, options.columns, first, second);
  // The third byte gives the columns types of its own, one per two bits:
  // Balance, Date, Sum, Mark.
  if (data[2] & 1) {
    const EColumnType picks[] = {EColumnType::kBalance, EColumnType::kDate, EColumnType::kSum,
                                 EColumnType::kMark};
    for (std::size_t c = 0; c < options.columns.size() && c < 4; ++c)
      options.columns[c] = DetectColumn(table, c, options.firstRow, picks[(data[2] >> (2 * c)) & 3],
                                        EDateOrder::kYmd, '.');
  }
  const CFitIdStore fitIds("");
  const CImportPlan plan = PlanImport(*db, table, options, fitIds);
  for (const CPlannedRow& row : plan.rows)
    if (row.status == ERowStatus::kRefused ? plan.Reason(row).empty() : row.amount == 0)
      std::abort();
  // Only a Balance column gives a bank's balance to check against.
  const bool balanceColumn =
      std::any_of(options.columns.begin(), options.columns.end(),
                  [](const CColumnFormat& c) { return c.type == EColumnType::kBalance; });
  if (plan.balance.known && !balanceColumn) std::abort();
  return 0;
}

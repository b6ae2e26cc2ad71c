// Arbitrary bytes as a database file, opened through the finance layer with
// today pinned: every list and figure the windows show, the forecast of the
// planned transactions and the scheduler's execution. Nothing may crash, hang,
// or read or write out of bounds.
#include <cstdint>

#include "Dates.h"
#include "FuzzScratch.h"
#include "Logger.h"
#include "Omrindb.h"
#include "Platform.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool quiet = [] {
    SetMessageHook([](const std::string&) {});
    SetLogTap([](std::uint8_t, const std::string&) {});
    SetClock(45458.0);  // 2024-06-15
    return true;
  }();
  (void)quiet;
  CFuzzScratch scratch("finance", data, size);
  CDataBase db;
  if (!db.Open(scratch.Path())) return 0;
  (void)db.GetCurrencyItems();
  for (const CAccountItem& a : db.GetAccountItems()) (void)db.GetAccountCurrency(a.id);
  for (const CSubTypeItem& s : db.GetSubTypeItems(0)) (void)db.GetSubTypeItems(s.id);
  for (const auto& [pair, value] : db.GetExchangeRateItems())
    (void)ConvertAmount(1'000'000, db.GetExchangeRate(pair.higher, pair.lower));
  CDataBase::TPlnSummary summary;
  db.CalcPlnTransactions(kPlnSummary, db.GetIntervalBegin(), summary, db.GetIntervalEnd());
  TTransactionInterval::iterator first, last;
  db.GetTransactions(first, last);  // executes what has fallen due
  (void)db.GetLastTransactions(0, 0, 10, 0, 0);
  (void)db.GetPassword();
  db.Close();
  return 0;
}

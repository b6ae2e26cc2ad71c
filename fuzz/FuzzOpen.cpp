// Opens arbitrary bytes as a database file, reads every string and item,
// makes one change of each kind and opens the result again. Whatever the
// bytes, nothing may crash, hang, or read or write out of bounds.
#include <cstdint>

#include "Adbengine.h"
#include "FuzzScratch.h"
#include "Logger.h"
#include "Platform.h"

namespace {

void ReadEverything(CADBEngine& db) {
  db.Strings().ForEach([&](std::uint32_t id, std::uint32_t) { (void)db.GetString(id); });
  for (auto [id, e] : db.Currencies()) (void)MakeItem(db, id, *e);
  for (auto [id, e] : db.Accounts()) (void)MakeItem(db, id, *e);
  for (auto [id, e] : db.SubTypes()) (void)MakeItem(db, id, *e);
  for (auto [id, e] : db.Transactions()) (void)MakeItem(db, id, *e);
  for (auto [id, e] : db.PlnTransactions()) (void)MakeItem(db, id, *e);
  TTransactionInterval::iterator first, last;
  db.GetItemsInterval(-1e300, 1e300, first, last);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool quiet = [] {
    SetMessageHook([](const std::string&) {});
    return true;
  }();
  (void)quiet;
  CFuzzScratch scratch("open", data, size);
  const std::string& path = scratch.Path();
  {
    CADBEngine db;
    if (db.OpenFile(path)) {
      ReadEverything(db);
      try {
        TransactionRecord t;
        t.descriptionId = db.AddString("fuzz");
        std::uint32_t id = db.AddItem(t);
        db.EditItem(id, t);
        if (!db.Transactions().empty())
          db.DelItem<CTransactionIndex>((*db.Transactions().begin()).first);
        db.EditString(t.descriptionId, std::string(300, 'x'));
      } catch (const CFileError&) {
      }
      db.CloseFile();
      if (db.OpenFile(path)) ReadEverything(db);
    }
  }
  return 0;
}

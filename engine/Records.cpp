#include "Records.h"

#include "Abstractdb.h"

TransactionRecord DefaultTransactionRecord() {
  TransactionRecord r;
  r.date = Today();
  return r;
}

ScheduleRecord DefaultScheduleRecord() {
  ScheduleRecord r;
  r.lastProcessed = Today();
  return r;
}

PlnTransactionRecord DefaultPlnTransactionRecord() {
  return PlnTransactionRecord{DefaultScheduleRecord(), DefaultTransactionRecord()};
}

CTransactionItem::CTransactionItem() : record(DefaultTransactionRecord()) {}
CPlnTransactionItem::CPlnTransactionItem() : record(DefaultPlnTransactionRecord()) {}

CCurrencyItem MakeItem(const CAbstractDB& db, std::uint32_t id, const CCurrencyIndex& entry) {
  CCurrencyItem item;
  item.id = id;
  item.record = entry.record;
  item.name = db.GetString(entry.record.nameId);
  item.fullName = db.GetString(entry.record.fullNameId);
  return item;
}

CAccountItem MakeItem(const CAbstractDB& db, std::uint32_t id, const CAccountIndex& entry) {
  CAccountItem item;
  item.id = id;
  item.record = entry.record;
  item.name = db.GetString(entry.record.nameId);
  item.comment = db.GetString(entry.record.commentId);
  return item;
}

CSubTypeItem MakeItem(const CAbstractDB& db, std::uint32_t id, const CSubTypeIndex& entry) {
  CSubTypeItem item;
  item.id = id;
  item.record = entry.record;
  item.name = db.GetString(entry.record.nameId);
  return item;
}

CTransactionItem MakeItem(const CAbstractDB& db, std::uint32_t id, const CTransactionIndex& entry) {
  CTransactionItem item;
  item.id = id;
  item.record = entry.record;
  item.description = db.GetString(entry.record.descriptionId);
  item.comment = db.GetString(entry.record.commentId);
  return item;
}

CPlnTransactionItem MakeItem(const CAbstractDB& db, std::uint32_t id,
                             const CPlnTransactionIndex& entry) {
  CPlnTransactionItem item;
  item.id = id;
  item.record = entry.record;
  item.description = db.GetString(entry.record.transaction.descriptionId);
  item.comment = db.GetString(entry.record.transaction.commentId);
  return item;
}

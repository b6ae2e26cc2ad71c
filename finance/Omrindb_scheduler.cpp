// CDataBase: planned transactions turned into transactions when they fall
// due, and forecast over a period.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "Logger.h"
#include "Occurrences.h"
#include "Omrindb.h"

namespace {

// The first day an apply run executes: 100 years before today. Older
// occurrences come only from a damaged date and would flood the books.
Date OldestExecutedDay() {
  const CivilDate t = DecodeDate(Today());
  const int year = t.year - 100;
  return EncodeDate(year, t.month, std::min(t.day, DaysInMonth(year, t.month)));
}

}  // namespace

bool CDataBase::ApplyPlnTransactions() {
  CChangeScope change(*this, EChangeKind::kPlannedPosting);
  const Date today = Today();
  TPlnSummary unused;
  ClearLastWriteError();
  // One sync for the whole run: a run of thousands of occurrences stays
  // fast, and a power cut loses at most this run's unsynced part, whose
  // schedules' progress was not synced either.
  BeginBatch();
  bool ok = CalcPlnTransactions(kPlnExecute, today, unused, today);
  ok = EndBatch("ApplyPlnTransactions") && ok;
  if (ok) {
    applyFailure.clear();
    applyFailureTaken = false;
    return true;
  }
  if (lastWriteError.empty()) lastWriteError = "the file can't be written";
  LogError("[ApplyPlnTransactions] Planned transactions could not be stored: " + lastWriteError);
  applyFailure = lastWriteError;
  return false;
}

std::string CDataBase::TakeApplyFailure() {
  if (applyFailure.empty() || applyFailureTaken) return {};
  applyFailureTaken = true;
  return applyFailure;
}

bool CDataBase::SavePlnRecord(std::uint32_t id, const PlnTransactionRecord& record) {
  return EditItem(id, record);
}

bool CDataBase::IsStoredOccurrence(std::uint32_t transactionId, Date day,
                                   const PlnTransactionRecord& record) {
  const auto entry = transactions.Find(transactionId);
  if (entry == nullptr) return false;
  const TransactionRecord t = entry->record;
  const TransactionRecord& p = record.transaction;
  return t.date == WholeDay(day) && t.fromAccount == p.fromAccount && t.toAccount == p.toAccount &&
         t.amountOut == p.amountOut && t.amountIn == p.amountIn &&
         std::memcmp(&t.quantity, &p.quantity, sizeof t.quantity) == 0 &&
         t.memberId == p.memberId && t.categoryId == p.categoryId && t.sectionId == p.sectionId &&
         GetString(t.descriptionId) == GetString(p.descriptionId) &&
         GetString(t.commentId) == GetString(p.commentId);
}

bool CDataBase::CalcPlnTransactions(std::uint8_t mode, const Date& begin, TPlnSummary& summary,
                                    const Date& end) {
  if (!CheckOpened("CalcPlnTransactions")) return stream == nullptr && lastWriteError.empty();
  if (mode != kPlnExecute) {
    for (auto [id, entry] : plnTransactions) {
      const PlnTransactionRecord& record = entry->record;
      // A schedule without a kind counts once, in full, in every forecast.
      if (!HasScheduleKind(record.schedule)) AddPlnOccurrence(begin, begin, summary, record);
      for (const TOccurrence& o :
           ScheduleOccurrences(record.schedule, WholeDay(begin), end, Today()))
        AddPlnOccurrence(begin, o.day, summary, record);
    }
    return true;
  }
  // Execution skips occurrences more than 100 years old: they come only from
  // a damaged date and would flood the books.
  const Date oldest = OldestExecutedDay();
  // The newest transaction when the run starts: an occurrence equal to it
  // was stored by a run that stopped before saving the schedule's progress.
  std::uint32_t newest = 0;
  transactions.ForEachDescending([&](std::uint32_t id, TTransactionIndexes::Ptr) {
    newest = id;
    return false;
  });
  // Execution adds transactions and rewrites planned records: walk a copy of
  // the ids.
  std::vector<std::uint32_t> ids;
  ids.reserve(plnTransactions.size());
  for (auto [id, entry] : plnTransactions) ids.push_back(id);
  for (std::uint32_t id : ids) {
    const CPlnTransactionIndex* entry = plnTransactions.Find(id);
    if (entry == nullptr) continue;
    PlnTransactionRecord record = entry->record;
    WarnSkippedOccurrences(id, record.schedule, oldest, WholeDay(end));
    bool first = true;
    for (const TOccurrence& o : ScheduleOccurrences(record.schedule, oldest, end, Today())) {
      const bool stored = first && newest != 0 && IsStoredOccurrence(newest, o.day, record);
      first = false;
      if (stored) {
        LogWarning("[CalcPlnTransactions] The occurrence of planned transaction " +
                   std::to_string(id) + " on " + FormatIsoDate(o.day) +
                   " was stored before; counted as executed");
        newest = 0;
      } else if (!ExecutePlnTransaction(o.day, record)) {
        return false;
      }
      // Saved after each occurrence, so that a run cut short continues
      // after it. Execution stops at the first write that fails.
      record.schedule.lastProcessed = o.processed;
      if (!SavePlnRecord(id, record)) return false;
    }
  }
  return true;
}

void CDataBase::WarnSkippedOccurrences(std::uint32_t id, const ScheduleRecord& s, Date oldest,
                                       Date end) const {
  const Date last = WholeDay(s.lastProcessed);
  if (last + 1 < oldest && end >= oldest)
    LogWarning("[CalcPlnTransactions] Planned transaction " + std::to_string(id) +
               ": occurrences before " + FormatIsoDate(oldest) +
               " are skipped (a damaged last processed date: " + FormatIsoDate(last) + ")");
  const Date once = WholeDay(s.onceDate);
  if (s.kind == kScheduleOnce && last < once && once <= end && once < oldest)
    LogWarning("[CalcPlnTransactions] Planned transaction " + std::to_string(id) + ": its date " +
               FormatIsoDate(once) + " is skipped (a damaged date)");
}

void CDataBase::AddPlnOccurrence(const Date& begin, const Date& day, TPlnSummary& summary,
                                 const PlnTransactionRecord& record) {
  if (WholeDay(day) < WholeDay(begin)) return;
  const TransactionRecord& t = record.transaction;
  PlnSummary& from = summary[t.fromAccount];
  from.out = WrapAdd(from.out, t.amountOut);
  PlnSummary& to = summary[t.toAccount];
  to.in = WrapAdd(to.in, t.amountIn);
}

bool CDataBase::ExecutePlnTransaction(const Date& day, const PlnTransactionRecord& record) {
  CChangeScope change(*this, EChangeKind::kPlannedPosting);
  CTransactionItem item;
  item.record = record.transaction;
  item.record.date = WholeDay(day);
  item.description = GetString(record.transaction.descriptionId);
  item.comment = GetString(record.transaction.commentId);
  return AddTransaction(item) != 0;
}

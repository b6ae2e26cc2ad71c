// CDataBase: planned transactions turned into transactions when they fall
// due, and forecast over a period.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "Logger.h"
#include "Omrindb.h"

namespace {

// Days a schedule may name: years 1 to 9999. A date outside (only a damaged
// file holds one) gives no occurrence rather than an endless walk.
bool IsPlausibleDay(Date day) {
  return day >= -693593.0 && day <= 2958465.0;
}

// The first day an apply run executes: 100 years before today. Older
// occurrences come only from a damaged date and would flood the books.
Date OldestExecutedDay() {
  const CivilDate t = DecodeDate(Today());
  const int year = t.year - 100;
  return EncodeDate(year, t.month, std::min(t.day, DaysInMonth(year, t.month)));
}

}  // namespace

bool CDataBase::ApplyPlnTransactions() {
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
  const CTransactionIndex* entry = transactions.Find(transactionId);
  if (entry == nullptr) return false;
  const TransactionRecord& t = entry->record;
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
  const bool execute = mode == kPlnExecute;
  const Date E = WholeDay(end);
  const Date firstCounted = WholeDay(begin);  // a forecast ignores earlier days
  const Date oldest = OldestExecutedDay();
  // The newest transaction when the run starts: an occurrence equal to it
  // was stored by a run that stopped before saving the schedule's progress.
  std::uint32_t newest = 0;
  transactions.ForEachDescending([&](std::uint32_t id, CTransactionIndex*) {
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
    ScheduleRecord& s = record.schedule;
    const Date L = WholeDay(s.lastProcessed);
    const Date start = s.lastProcessed;  // occurrences of kind 2 count from here
    const bool plausible = IsPlausibleDay(L) && IsPlausibleDay(E);
    // Days before `from` are walked by neither mode: a forecast does not
    // count them, execution skips what is more than 100 years old.
    Date from = execute ? oldest : firstCounted;
    if (execute && L + 1 < oldest && E >= oldest)
      LogWarning("[CalcPlnTransactions] Planned transaction " + std::to_string(id) +
                 ": occurrences before " + FormatIsoDate(oldest) +
                 " are skipped (a damaged last processed date: " + FormatIsoDate(L) + ")");
    bool failed = false;
    bool first = true;
    // One occurrence on `day`: forecast it, or store it and save how far the
    // schedule has been processed (so a run cut short continues after it).
    // Execution stops at the first write that fails.
    auto occur = [&](Date day, Date processed) {
      if (!execute) {
        AddPlnOccurrence(begin, day, summary, record);
        return true;
      }
      const bool stored = first && newest != 0 && IsStoredOccurrence(newest, day, record);
      first = false;
      if (stored) {
        LogWarning("[CalcPlnTransactions] The occurrence of planned transaction " +
                   std::to_string(id) + " on " + FormatIsoDate(day) +
                   " was stored before; counted as executed");
        newest = 0;
      } else if (!ExecutePlnTransaction(day, record)) {
        return !(failed = true);
      }
      s.lastProcessed = processed;
      if (!SavePlnRecord(id, record)) failed = true;
      return !failed;
    };
    // Every day after the last processed one up to the end.
    auto eachDay = [&](auto isOccurrence) {
      Date J = L + 1;
      if (from > J) J = from;
      for (; J <= E; J += 1)
        if (isOccurrence(J) && !occur(J, J)) return;
    };
    switch (s.kind) {
      case kScheduleOnce: {
        const Date O = WholeDay(s.onceDate);
        if (L < O && O <= E) {
          if (execute && O < oldest) {
            LogWarning("[CalcPlnTransactions] Planned transaction " + std::to_string(id) +
                       ": its date " + FormatIsoDate(O) + " is skipped (a damaged date)");
            break;
          }
          occur(s.onceDate, Today());
        }
        break;
      }
      case kScheduleEveryNDays: {
        const int n = s.period;
        if (n == 0 || !plausible) break;  // a period of 0 has no occurrence
        const long count = static_cast<long>(E - L);
        long k = n;
        if (from > L + n) k = static_cast<long>(std::ceil((from - L) / n)) * n;
        for (; k <= count; k += n)
          if (!occur(start + static_cast<double>(k), start + static_cast<double>(k))) break;
        break;
      }
      case kScheduleWeekly:
        if (plausible) eachDay([&](Date J) { return s.weekdays[DayOfWeek(J) - 1] != 0; });
        break;
      case kScheduleMonthly: {
        if (!plausible) break;
        const unsigned D = static_cast<unsigned>(MonthlyDay(s.period));
        const int M = MonthlyMonths(s.period);
        const int startMonth = static_cast<int>(DecodeDate(L + 1).month);
        eachDay([&](Date J) {
          const CivilDate c = DecodeDate(J);
          return c.day == D && (startMonth - static_cast<int>(c.month)) % M == 0;
        });
        break;
      }
      default:  // not set: counts once, in full, in every forecast; never executed
        if (!execute) AddPlnOccurrence(begin, begin, summary, record);
        break;
    }
    if (failed) return false;
  }
  return true;
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
  CTransactionItem item;
  item.record = record.transaction;
  item.record.date = WholeDay(day);
  item.description = GetString(record.transaction.descriptionId);
  item.comment = GetString(record.transaction.commentId);
  return AddTransaction(item) != 0;
}

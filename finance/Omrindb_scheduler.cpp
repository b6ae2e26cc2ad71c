// CDataBase: planned transactions turned into transactions when they fall
// due, and forecast over a period.
#include <cmath>

#include "Logger.h"
#include "Omrindb.h"

namespace {

// Days a schedule may name: years 1 to 9999. A date outside (only a damaged
// file holds one) gives no occurrence rather than an endless walk.
bool IsPlausibleDay(Date day) {
  return day >= -693593.0 && day <= 2958465.0;
}

}  // namespace

void CDataBase::ApplyPlnTransactions() {
  const Date today = Today();
  TPlnSummary unused;
  CalcPlnTransactions(kPlnExecute, today, unused, today);
}

void CDataBase::SavePlnRecord(std::uint32_t id, const PlnTransactionRecord& record) {
  EditItem(id, record);
}

void CDataBase::CalcPlnTransactions(std::uint8_t mode, const Date& begin, TPlnSummary& summary,
                                    const Date& end) {
  if (!CheckOpened("CalcPlnTransactions")) return;
  const bool execute = mode == kPlnExecute;
  const Date E = WholeDay(end);
  const Date firstCounted = WholeDay(begin);  // a forecast ignores earlier days
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
    // One occurrence on `day`: forecast it, or store it and save how far the
    // schedule has been processed (so a run cut short continues after it).
    auto occur = [&](Date day, Date processed) {
      if (!execute) {
        AddPlnOccurrence(begin, day, summary, record);
        return;
      }
      ExecutePlnTransaction(day, record);
      s.lastProcessed = processed;
      SavePlnRecord(id, record);
    };
    // Every day after the last processed one up to the end; a forecast skips
    // the days before its period, which it would not count anyway.
    auto eachDay = [&](auto isOccurrence) {
      Date J = L + 1;
      if (!execute && firstCounted > J) J = firstCounted;
      for (; J <= E; J += 1)
        if (isOccurrence(J)) occur(J, J);
    };
    switch (s.kind) {
      case kScheduleOnce: {
        const Date O = WholeDay(s.onceDate);
        if (L < O && O <= E) occur(s.onceDate, Today());
        break;
      }
      case kScheduleEveryNDays: {
        const int n = s.period;
        if (n == 0 || !plausible) break;  // a period of 0 has no occurrence
        const long count = static_cast<long>(E - L);
        long k = n;
        if (!execute && firstCounted > L + n)
          k = static_cast<long>(std::ceil((firstCounted - L) / n)) * n;
        for (; k <= count; k += n)
          occur(start + static_cast<double>(k), start + static_cast<double>(k));
        break;
      }
      case kScheduleWeekly:
        if (plausible) eachDay([&](Date J) { return s.weekdays[DayOfWeek(J) - 1] != 0; });
        break;
      case kScheduleMonthly: {
        if (!plausible) break;
        const unsigned D = s.period % 50;
        const int M = s.period / 50 == 0 ? 1 : s.period / 50;
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
  }
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

void CDataBase::ExecutePlnTransaction(const Date& day, const PlnTransactionRecord& record) {
  CTransactionItem item;
  item.record = record.transaction;
  item.record.date = WholeDay(day);
  item.description = GetString(record.transaction.descriptionId);
  item.comment = GetString(record.transaction.commentId);
  AddTransaction(item);
}

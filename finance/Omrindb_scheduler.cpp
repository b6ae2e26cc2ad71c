// CDataBase: planned transactions turned into transactions when they fall
// due, and forecast over a period.
#include <cmath>

#include "Logger.h"
#include "Omrindb.h"

namespace {

// Days a schedule may name: years 1 to 9999. A date outside (only a damaged
// file holds one) gives no occurrence rather than an endless walk.
bool IsPlausibleDay(Date day) { return day >= -693593.0 && day <= 2958465.0; }

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
    const bool plausible = IsPlausibleDay(L) && IsPlausibleDay(E);
    switch (s.kind) {
      case kScheduleOnce: {
        const Date O = WholeDay(s.onceDate);
        if (!(L < O && O <= E)) break;
        if (!execute) {
          AddPlnOccurrence(begin, s.onceDate, summary, record);
        } else {
          ExecutePlnTransaction(s.onceDate, record);
          s.lastProcessed = Today();
          SavePlnRecord(id, record);
        }
        break;
      }
      case kScheduleEveryNDays: {
        const int n = s.period;
        if (n == 0 || !plausible) break;  // a period of 0 has no occurrence
        const long count = static_cast<long>(E - L);
        long k = n;
        if (!execute && firstCounted > L + n) k = static_cast<long>(std::ceil((firstCounted - L) / n)) * n;
        for (; k <= count; k += n) {
          if (!execute) {
            AddPlnOccurrence(begin, s.lastProcessed + static_cast<double>(k), summary, record);
          } else {
            s.lastProcessed += n;
            ExecutePlnTransaction(s.lastProcessed, record);
            SavePlnRecord(id, record);
          }
        }
        break;
      }
      case kScheduleWeekly: {
        if (!plausible) break;
        Date J = L + 1;
        if (!execute && firstCounted > J) J = firstCounted;
        for (; J <= E; J += 1) {
          if (s.weekdays[DayOfWeek(J) - 1] == 0) continue;
          if (!execute) {
            AddPlnOccurrence(begin, J, summary, record);
          } else {
            ExecutePlnTransaction(J, record);
            s.lastProcessed = J;
            SavePlnRecord(id, record);
          }
        }
        break;
      }
      case kScheduleMonthly: {
        if (!plausible) break;
        const Date S = L + 1;
        const unsigned D = s.period % 50;
        const int M = s.period / 50 == 0 ? 1 : s.period / 50;
        const int startMonth = static_cast<int>(DecodeDate(S).month);
        Date J = S;
        if (!execute && firstCounted > J) J = firstCounted;
        for (; J <= E; J += 1) {
          const CivilDate c = DecodeDate(J);
          if (c.day != D || (startMonth - static_cast<int>(c.month)) % M != 0) continue;
          if (!execute) {
            AddPlnOccurrence(begin, J, summary, record);
          } else {
            ExecutePlnTransaction(J, record);
            s.lastProcessed = J;
            SavePlnRecord(id, record);
          }
        }
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

#include "Mainlogic.h"

#include <algorithm>

#include "Include.h"

namespace {

// The same day in the month `months` away, cut to that month's length.
Date ShiftMonths(Date date, int months) {
  const CivilDate c = DecodeDate(date);
  int index = c.year * 12 + static_cast<int>(c.month) - 1 + months;
  const int year = index / 12;
  const unsigned month = static_cast<unsigned>(index % 12) + 1;
  return EncodeDate(year, month, std::min(c.day, DaysInMonth(year, month)));
}

}  // namespace

bool IsWholeMonths(Date begin, Date end) {
  return DecodeDate(begin).day == 1 && WholeDay(end) == LastDayOfMonth(end);
}

TInterval StepMonth(Date begin, Date end, int direction) {
  if (IsWholeMonths(begin, end))
    return {FirstDayOfMonth(ShiftMonths(begin, direction)),
            LastDayOfMonth(ShiftMonths(FirstDayOfMonth(end), direction))};
  return {ShiftMonths(begin, direction), ShiftMonths(end, direction)};
}

std::string IntervalCaption(Date begin, Date end, const std::array<std::string, 12>& monthNames) {
  const CivilDate b = DecodeDate(begin), e = DecodeDate(end);
  if (b.year == e.year && b.month == e.month && IsWholeMonths(begin, end))
    return monthNames[b.month - 1] + ", " + std::to_string(b.year);
  return FormatShortDate(begin) + " - " + FormatShortDate(end);
}

std::string ResolveDatabasePath(const std::string& path, const std::string& dataFolder) {
  if (path.rfind("..\\", 0) == 0) return dataFolder + path.substr(3);
  return path;
}

Money TotalBalance(const TAccountItems& accounts, std::uint32_t baseCurrency, CDataBase& db) {
  // The running total is kept as units in a double and brought back to fixed
  // point before each addition.
  double total = 0;
  for (const CAccountItem& account : accounts) {
    const double rate = db.GetExchangeRate(account.record.currencyId, baseCurrency);
    total =
        static_cast<double>(WrapAdd(FloatToMoney(total), ConvertAmount(account.balance, rate))) /
        10000.0;
  }
  return FloatToMoney(total);
}

#include "CurrencyLogic.h"

#include "Include.h"
#include "Textcodec.h"
#include "TransferLogic.h"

namespace {

// `format` with every "%<digit>" replaced by argument digit (1-based).
std::string Fill(const std::string& format, std::initializer_list<std::string> args) {
  std::string text;
  for (std::size_t i = 0; i < format.size(); ++i) {
    const std::size_t arg = i + 1 < format.size() && format[i] == '%'
                                ? static_cast<std::size_t>(format[i + 1] - '1')
                                : args.size();
    if (arg < args.size()) {
      text += *(args.begin() + arg);
      ++i;
    } else {
      text += format[i];
    }
  }
  return text;
}

}  // namespace

int CurrencyRowStrip(int rowIndex, bool selected) {
  if (selected) return kSelectedCurrencyStrip;
  return rowIndex % 2 == 0 ? kEvenCurrencyStrip : kOddCurrencyStrip;
}

bool CurrencyCanBeConfirmed(const std::string& fullName, const std::string& shortName) {
  return !fullName.empty() && !shortName.empty();
}

std::string RateText(double rate) {
  return RateToStr(FloatToMoney(rate));
}

double TypedRate(const std::string& text) {
  std::uint8_t error = kMoneyTextOk;
  const Money rate = StrToMoney(text, error, 4);
  if (error != kMoneyTextOk || rate <= 0) return 1.0;
  return static_cast<double>(rate) * 0.0001;
}

std::optional<std::string> RateTypedText(const std::string& before, const std::string& after) {
  return AcceptedAmountText(before, after, 4, false);
}

std::string CurrencySymbol(const CCurrencyItem& currency) {
  return StoredToUtf8(currency.name.empty() ? currency.fullName : currency.name);
}

std::string RateLeadText(const CCurrencyItem& from) {
  return "1 " + CurrencySymbol(from) + " = ";
}

std::string RateTailText(const CCurrencyItem& to) {
  return CurrencySymbol(to);
}

std::string InverseRateText(const std::string& format, const CCurrencyItem& from,
                            const CCurrencyItem& to, double inverseRate) {
  return Fill(format, {CurrencySymbol(to), RateText(inverseRate), CurrencySymbol(from)});
}

std::size_t CountCurrencyUses(CDataBase& db, std::uint32_t id) {
  if (!db.IsOpened()) return 0;
  std::size_t count = 0;
  for (auto [accountId, entry] : db.Accounts()) count += entry->record.currencyId == id ? 1 : 0;
  return count;
}

std::size_t CountCurrencyRates(CDataBase& db, std::uint32_t id) {
  if (!db.IsOpened()) return 0;
  std::size_t count = 0;
  for (auto [rateId, entry] : db.ExchangeRates())
    count += entry->record.currencyA == id || entry->record.currencyB == id ? 1 : 0;
  return count;
}

std::string DeleteCurrencyQuestion(const std::string& prefix, const std::string& fullName,
                                   std::size_t uses, std::size_t rates) {
  std::string question = prefix + " \"" + StoredToUtf8(fullName) + "\"?";
  std::string counts;
  if (uses > 0)
    counts = GetLocalizedCount(24121,
                               "%1 account uses it; it will show without it.|"
                               "%1 accounts use it; they will show without it.",
                               static_cast<long long>(uses));
  if (rates > 0)
    counts += (counts.empty() ? "" : "\n") +
              GetLocalizedCount(30100,
                                "%1 exchange rate to another currency is deleted with it.|"
                                "%1 exchange rates to other currencies are deleted with it.",
                                static_cast<long long>(rates));
  return counts.empty() ? question : question + "\n\n" + counts;
}

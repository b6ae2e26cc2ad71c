// The decisions of the currencies window, the currency editor and the
// exchange-rate window: row stripes, when a currency can be confirmed, the
// rate texts shown and read, the labels around the rate and the delete
// question. Names come as stored (see Textcodec.h); texts go out as UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "Omrindb.h"

// The strip of the strip picture a currency list row is drawn with: the
// selection strip for the selected row, else the even-row strip for rows
// 0, 2, 4, ... and the odd-row strip for the others.
constexpr int kSelectedCurrencyStrip = 0;
constexpr int kEvenCurrencyStrip = 8;
constexpr int kOddCurrencyStrip = 9;
int CurrencyRowStrip(int rowIndex, bool selected);

// A currency needs both its full and its short name.
bool CurrencyCanBeConfirmed(const std::string& fullName, const std::string& shortName);
// The most characters the short-name box takes from the keyboard.
constexpr int kMaxShortNameLength = 3;

// A rate as the exchange-rate window shows it: rounded to four decimals,
// with digit groups and exactly four decimals ("1,234.5000").
std::string RateText(double rate);

// The rate a text in the rate box stands for: four decimals read, the rest
// ignored; an empty text, a text that does not read and a rate of 0 stand
// for 1 (one to one).
double TypedRate(const std::string& text);

// The text the rate box keeps when typing turns `before` into `after`, or
// nothing when the change is refused: the rule of the amount boxes
// (AcceptedAmountText) with four decimals.
std::optional<std::string> RateTypedText(const std::string& before, const std::string& after);

// How a currency is named beside a rate: its short name, or its full name
// when the short name is empty.
std::string CurrencySymbol(const CCurrencyItem& currency);

// The texts around the rate box for the pair `from` -> `to`: "1 $ = " before
// it, "€" after it.
std::string RateLeadText(const CCurrencyItem& from);
std::string RateTailText(const CCurrencyItem& to);
// The rate the other way round, in `format` ("%1" the currency `to`, "%2"
// the rate text, "%3" the currency `from`): one unit of `to` in `from`.
std::string InverseRateText(const std::string& format, const CCurrencyItem& from,
                            const CCurrencyItem& to, double inverseRate);

// How many accounts keep their money in currency `id`.
std::size_t CountCurrencyUses(CDataBase& db, std::uint32_t id);
// How many exchange rates between currency `id` and another are stored (they
// are deleted with it).
std::size_t CountCurrencyRates(CDataBase& db, std::uint32_t id);

// The question asked before currency `fullName` is deleted: `prefix`
// "Name"? and a second paragraph that counts the `uses` accounts that use it
// and the `rates` exchange rates deleted with it (texts 24121 and 30100, in
// the form the count calls for), each line only when its count is not 0.
std::string DeleteCurrencyQuestion(const std::string& prefix, const std::string& fullName,
                                   std::size_t uses, std::size_t rates);

// Shared helpers that every layer uses: the money type, environment lookup,
// version texts, the process-wide settings storage and localization kit, and
// the conversions between money amounts and their texts.
//
// Texts in and out are UTF-8 std::string; nothing here needs Qt types.
#pragma once

#include <cstdint>
#include <string>

// Money amounts: fixed point with four decimals (10000 stands for 1.0).
// Quantities and exchange rates are handled as money amounts while they are
// formatted or parsed.
using Money = std::int64_t;

// A signed 128-bit integer for products of two amounts that must not
// overflow before they are divided or clamped. The compiler extension is
// named here once; `__extension__` keeps pedantic builds quiet about it.
__extension__ typedef __int128 WideMoney;

namespace Settings {
class CSettingsStorage;
}
namespace Localization {
class CLocalizationKit;
}

// The value of an environment variable; empty when it is unset, empty, or
// 4096 characters or longer.
std::string GetEnvVariable(const std::string& name);

// A file format version as people read it: 230 -> "2.30", 205 -> "2.05".
std::string FormatVersion(int version);

// --- The process-wide settings storage -------------------------------------

// Creates the global settings storage on `path` (a registry key path, or an
// INI file when `useIniFile`), replacing one that exists.
void InitSettings(const std::string& path, bool useIniFile);
// The global settings storage. Before InitSettings (or after FreeSettings) it
// creates one as InitSettings("", false) would and logs "Settings not
// initialized!"; it never fails.
Settings::CSettingsStorage& GetSettings();
// Destroys the global settings storage.
void FreeSettings();

// --- The process-wide localization kit -------------------------------------

// Replaces the global kit (the old one is freed without writing its missing
// texts) by one that reads the language file at `path`.
void InitLocalization(const std::string& path);
// The text of `id` from the global kit, or `defaultText` when there is no kit
// or the kit has no such text.
std::string GetLocalizedText(std::uint32_t id, const std::string& defaultText);
// Frees the global kit; when `dumpPath` is not empty the kit first writes its
// missing texts there. Does nothing without a kit.
void FreeLocalization(const std::string& dumpPath);
// The global kit, or nullptr (for checks of its missing texts).
Localization::CLocalizationKit* GetLocalizationKit();

// --- Money amounts and their texts -----------------------------------------

// What StrToMoney reports in `errorOut`.
constexpr std::uint8_t kMoneyTextOk = 0;
constexpr std::uint8_t kMoneyTextEmpty = 254;
constexpr std::uint8_t kMoneyTextInvalid = 255;

// Reads a typed amount with `decimals` fraction digits (2 for amounts and
// prices, 3 or 4 for quantities and rates). Digits are collected; blanks and
// the locale's group separator are skipped; the decimal separator or the
// alternative one starts the fraction, of which the first `decimals`
// characters are read and the rest ignored (extra digits are cut off, not
// rounded). Any other character, a minus sign included, sets errorOut to
// kMoneyTextInvalid and is skipped, so the result is never negative. An empty
// text gives 0 with kMoneyTextEmpty. An amount beyond the range of Money
// gives 0 with kMoneyTextInvalid. Never fails otherwise.
Money StrToMoney(const std::string& text, std::uint8_t& errorOut, int decimals);
// n as a money amount (n * 10000).
Money IntToMoney(std::int32_t n);
// x * 10000 rounded to the nearest integer, halves to even. Not-a-number
// gives 0; values beyond the range of Money are clamped to it.
Money FloatToMoney(double x);

// Amounts, prices and balances: sign, digit groups, the decimal separator and
// exactly two decimals, rounded half away from zero ("1,234.57", "0.00").
std::string MoneyToStr(Money amount);
// Quantities and computed rates: the shortest form with at most four
// decimals, no digit groups ("1", "2.5", "1.2345").
std::string QuantityToStr(Money amount);
// Exchange rates: as MoneyToStr with exactly four decimals ("1.0000").
std::string RateToStr(Money amount);

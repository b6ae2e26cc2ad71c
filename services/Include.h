// The process-wide settings storage and localization kit, and the money
// texts in the user's regional format.
//
// Texts in and out are UTF-8 std::string; nothing here needs Qt types.
#pragma once

#include <cstdint>
#include <string>

#include "Moneytype.h"
#include "Numbertexts.h"

namespace Settings {
class CSettingsStorage;
}
namespace Localization {
class CLocalizationKit;
}

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
// The counted text `id` (forms separated by '|', see ChoosePluralForm) in the
// form the language's plural rule gives for `count`, with "%1" replaced by
// `count` in digits: GetLocalizedCount(24121, "%1 account uses it|%1 accounts
// use it", 1) gives "1 account uses it".
std::string GetLocalizedCount(std::uint32_t id, const std::string& defaultForms, long long count);
// Frees the global kit; when `dumpPath` is not empty the kit first writes its
// missing texts there. Does nothing without a kit.
void FreeLocalization(const std::string& dumpPath);
// The global kit, or nullptr (for checks of its missing texts).
Localization::CLocalizationKit* GetLocalizationKit();

// --- Money amounts and their texts -----------------------------------------

// The money texts of Numbertexts.h in the regional format of the global
// settings storage.
Money StrToMoney(const std::string& text, std::uint8_t& errorOut, int decimals);
std::string MoneyToStr(Money amount);
std::string QuantityToStr(Money amount);
std::string RateToStr(Money amount);

#include "Include.h"

#include <memory>

#include "Localizationkit.h"
#include "Logger.h"
#include "Settingsstorage.h"

// --- Global services ---------------------------------------------------------

namespace {
std::unique_ptr<Settings::CSettingsStorage> g_settings;          // empty until created
std::unique_ptr<Localization::CLocalizationKit> g_localization;  // empty until created
}  // namespace

void InitSettings(const std::string& path, bool useIniFile) {
  g_settings.reset();
  g_settings = std::make_unique<Settings::CSettingsStorage>(path, useIniFile);
}

Settings::CSettingsStorage& GetSettings() {
  if (!g_settings) {
    InitSettings("", false);
    LogError("Settings not initialized!");
  }
  return *g_settings;
}

void FreeSettings() {
  g_settings.reset();
}

void InitLocalization(const std::string& path) {
  FreeLocalization("");
  g_localization = std::make_unique<Localization::CLocalizationKit>(path);
}

std::string GetLocalizedText(std::uint32_t id, const std::string& defaultText) {
  if (!g_localization) return defaultText;
  return g_localization->GetText(id, defaultText);
}

std::string GetLocalizedCount(std::uint32_t id, const std::string& defaultForms, long long count) {
  const std::string rule = GetLocalizedText(Localization::kPluralRuleId, "one-other");
  std::string text =
      Localization::ChoosePluralForm(GetLocalizedText(id, defaultForms), count, rule);
  const std::string digits = std::to_string(count);
  for (size_t at = text.find("%1"); at != std::string::npos;
       at = text.find("%1", at + digits.size())) {
    text.replace(at, 2, digits);
  }
  return text;
}

void FreeLocalization(const std::string& dumpPath) {
  if (!g_localization) return;
  if (!dumpPath.empty()) g_localization->WriteMissingTexts(dumpPath);
  g_localization.reset();
}

Localization::CLocalizationKit* GetLocalizationKit() {
  return g_localization.get();
}

// --- Money texts in the user's regional format ------------------------------

Money StrToMoney(const std::string& text, std::uint8_t& errorOut, int decimals) {
  return StrToMoney(text, errorOut, decimals, GetSettings().GetNumberFormat());
}

std::string MoneyToStr(Money amount) {
  return MoneyToStr(amount, GetSettings().GetNumberFormat());
}

std::string QuantityToStr(Money amount) {
  return QuantityToStr(amount, GetSettings().GetNumberFormat());
}

std::string RateToStr(Money amount) {
  return RateToStr(amount, GetSettings().GetNumberFormat());
}

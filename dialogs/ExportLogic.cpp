#include "ExportLogic.h"

#include <cctype>

#include "Include.h"
#include "Settingsstorage.h"

bool SeparatorOf(int choice, const std::string& custom, char& separator) {
  switch (choice) {
    case kSeparatorTab:
      separator = '\t';
      return true;
    case kSeparatorSemicolon:
      separator = ';';
      return true;
    case kSeparatorComma:
      separator = ',';
      return true;
    case kSeparatorCustom:
      if (custom.size() != 1 || custom[0] < ' ' || custom[0] > '~' || custom[0] == '"')
        return false;
      separator = custom[0];
      return true;
    default:
      return false;
  }
}

int ChoiceOfSeparator(char separator) {
  if (separator == '\t') return kSeparatorTab;
  if (separator == ';') return kSeparatorSemicolon;
  if (separator == ',') return kSeparatorComma;
  return kSeparatorCustom;
}

TExportChoices LoadExportChoices(Settings::CSettingsStorage& settings) {
  TExportChoices c;
  c.fileName = settings.GetString(Settings::kExportFileName, c.fileName);
  c.separator = settings.GetIntInRange(Settings::kExportSeparatorType, c.separator, kSeparatorTab,
                                       kSeparatorCustom);
  c.customSeparator = settings.GetString(Settings::kExportCustomSeparator, c.customSeparator);
  c.kind = static_cast<EExportKind>(settings.GetIntInRange(Settings::kExportType, 0, 0, 2));
  for (int i = 0; i < kExportFieldCount; ++i)
    c.fields[static_cast<std::size_t>(i)] =
        settings.GetInt(Settings::kExportField + std::to_string(i), 1) != 0;
  c.isoDates = settings.GetInt(kExportIsoDates, 1) != 0;
  c.pointDecimal = settings.GetInt(kExportPointDecimal, 1) != 0;
  c.qif = settings.GetInt(kExportQif, 0) != 0;
  return c;
}

bool StoreExportChoices(Settings::CSettingsStorage& settings, const TExportChoices& c) {
  // Every value is written even after one fails, so that as much as possible
  // is kept.
  bool stored = settings.SetString(Settings::kExportFileName, c.fileName);
  stored = settings.SetInt(Settings::kExportSeparatorType, c.separator) && stored;
  stored = settings.SetString(Settings::kExportCustomSeparator, c.customSeparator) && stored;
  stored = settings.SetInt(Settings::kExportType, static_cast<int>(c.kind)) && stored;
  for (int i = 0; i < kExportFieldCount; ++i)
    stored = settings.SetInt(Settings::kExportField + std::to_string(i),
                             c.fields[static_cast<std::size_t>(i)] ? 1 : 0) &&
             stored;
  stored = settings.SetInt(kExportIsoDates, c.isoDates ? 1 : 0) && stored;
  stored = settings.SetInt(kExportQif, c.qif ? 1 : 0) && stored;
  return settings.SetInt(kExportPointDecimal, c.pointDecimal ? 1 : 0) && stored;
}

bool MakeExportOptions(const TExportChoices& choices, Date begin, Date end, std::uint32_t account,
                       std::uint32_t category, bool withSubcategories, const NumberFormat& regional,
                       CExportOptions& options, std::string& why) {
  options = CExportOptions();
  if (!SeparatorOf(choices.separator, choices.customSeparator, options.separator)) {
    why =
        "The custom separator must be one character (not a double quote or a letter outside "
        "ASCII).";
    return false;
  }
  for (int i = 0; i < kExportFieldCount; ++i)
    if (choices.fields[static_cast<std::size_t>(i)])
      options.fields.push_back(static_cast<EExportField>(i));
  if (options.fields.empty()) {
    why = "Check at least one field on the Fields tab.";
    return false;
  }
  options.begin = begin;
  options.end = end;
  options.kind = choices.kind;
  options.account = account;
  options.category = category;
  options.withSubcategories = withSubcategories;
  options.isoDates = choices.isoDates;
  options.pointDecimal = choices.pointDecimal;
  options.regional = regional;
  return true;
}

std::string ExchangeCountText(EExchangeCount what, std::size_t count) {
  struct Text {
    std::uint32_t id;
    const char* forms;
  };
  // In the order of EExchangeCount.
  static constexpr Text kTexts[] = {
      {30110, "OFX statement: %1 transaction|OFX statement: %1 transactions"},
      {30111, "Delimited text, %1 column|Delimited text, %1 columns"},
      {30112, "%1 row from row %2 is shown|the first %1 rows from row %2 are shown"},
      {30113,
       "%1 transaction was stored before it stopped.|%1 transactions were stored before it "
       "stopped."},
      {30114, "%1 transaction was imported from %2.|%1 transactions were imported from %2."},
      {30115,
       "%1 category, member or section was created.|%1 categories, members or sections were "
       "created."},
      {30116, "%1 row|%1 rows"},
      {30117, "%1 new|%1 new"},
      {30118, "%1 duplicate|%1 duplicates"},
      {30119, "%1 refused|%1 refused"},
      {30120,
       "%1 transaction will be imported (the checked row).|%1 transactions will be imported (the "
       "checked rows)."},
      {30121, "%1 transaction was written to %2.|%1 transactions were written to %2."},
  };
  const Text& text = kTexts[static_cast<std::size_t>(what)];
  return GetLocalizedCount(text.id, text.forms, static_cast<long long>(count));
}

std::string FileNameForFormat(const std::string& name, bool qif) {
  const auto endsWith = [&](const char* extension) {
    const std::string e = extension;
    if (name.size() < e.size()) return false;
    for (std::size_t i = 0; i < e.size(); ++i)
      if (std::tolower(static_cast<unsigned char>(name[name.size() - e.size() + i])) != e[i])
        return false;
    return true;
  };
  const std::string stem = name.substr(0, name.size() - 4);
  if (qif && (endsWith(".txt") || endsWith(".csv"))) return stem + ".qif";
  if (!qif && endsWith(".qif")) return stem + ".txt";
  return name;
}

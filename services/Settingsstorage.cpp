#include "Settingsstorage.h"

#include <QLocale>
#include <QSettings>
#include <QStringList>
#include <algorithm>
#include <cmath>

#include "Include.h"
#include "Logger.h"
#include "Platform.h"

namespace Settings {

namespace {

constexpr const char* kIniGroup = "Main";

QString ToQ(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string FromQ(const QString& text) {
  return text.toUtf8().toStdString();
}

// A value as text. A hand-edited file may hold an unquoted comma, which
// QSettings reads as a list; it is joined back.
std::string ValueToString(const QVariant& value) {
  if (value.typeId() == QMetaType::QStringList) return FromQ(value.toStringList().join(", "));
  return FromQ(value.toString());
}

std::string StatusMessage(const QSettings& settings) {
  switch (settings.status()) {
    case QSettings::NoError:
      return {};
    case QSettings::AccessError:
      return "Access denied: " + FromQ(settings.fileName());
    case QSettings::FormatError:
      return "Invalid file format: " + FromQ(settings.fileName());
  }
  return "Unknown error: " + FromQ(settings.fileName());
}

// Splits a registry key path ("\software\Omrin\Pardow") into organization and
// application: its last two parts.
void SplitKeyPath(const std::string& path, std::string& organization, std::string& application) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : path + '\\') {
    if (c == '\\' || c == '/') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (parts.size() >= 2) {
    organization = parts[parts.size() - 2];
    application = parts.back();
  } else {
    organization = "Omrin";
    application = "Pardow";
  }
}

}  // namespace

CSettingsStorage::CSettingsStorage(const std::string& path, bool useIniFile)
    : FUseIniFile(useIniFile) {
  if (useIniFile) {
    FPath = path;
  } else {
    SplitKeyPath(path, FOrganization, FApplication);
    // Reading the store happens here; a store that cannot be read is reported
    // once. Later operations then log their own failures.
    std::unique_ptr<QSettings> settings = Open();
    const std::string error = StatusMessage(*settings);
    if (!error.empty()) {
      LogError("[SettingsStorage] " + error);
      ShowMessage(error);
    }
  }
  DeriveSeparators();
  LogDetail("SettingsStorage v1.0 initialized");
}

CSettingsStorage::~CSettingsStorage() {
  LogDetail("SettingsStorage uninitialized");
}

std::unique_ptr<QSettings> CSettingsStorage::Open() const {
  std::unique_ptr<QSettings> settings;
  if (FUseIniFile) {
    settings = std::make_unique<QSettings>(ToQ(FPath), QSettings::IniFormat);
    settings->beginGroup(kIniGroup);
  } else {
    settings = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                           ToQ(FOrganization), ToQ(FApplication));
  }
  return settings;
}

std::string CSettingsStorage::Flush(QSettings& settings) {
  settings.sync();
  // A format error comes from reading a garbled file, which is read as far as
  // it goes and then written anew; only an access error means a lost write.
  if (settings.status() != QSettings::AccessError) return {};
  return StatusMessage(settings);
}

std::string CSettingsStorage::GetFileName() const {
  return FromQ(Open()->fileName());
}

bool CSettingsStorage::SetString(const std::string& key, const std::string& value) {
  std::unique_ptr<QSettings> settings = Open();
  settings->setValue(ToQ(key), ToQ(value));
  const std::string error = Flush(*settings);
  if (!error.empty()) {
    LogError("[SettingsStorage] SetString Key: " + key + " Value: " + value + "Error: " + error);
  }
  return error.empty();
}

bool CSettingsStorage::SetInt(const std::string& key, std::int32_t value) {
  std::unique_ptr<QSettings> settings = Open();
  settings->setValue(ToQ(key), value);
  const std::string error = Flush(*settings);
  if (!error.empty()) {
    LogError("[SettingsStorage] SetInt. Key: " + key + " Value: " + std::to_string(value) +
             " Error: " + error);
  }
  return error.empty();
}

std::string CSettingsStorage::GetString(const std::string& key, const std::string& defaultValue) {
  std::unique_ptr<QSettings> settings = Open();
  const QString qkey = ToQ(key);
  if (!settings->contains(qkey)) {
    if (FUseIniFile) return defaultValue;
    // The registry-style store keeps every key that was read once.
    settings->setValue(qkey, ToQ(defaultValue));
    const std::string error = Flush(*settings);
    if (!error.empty()) {
      LogError("[SettingsStorage] GetString " + key + " Error: " + error);
      return defaultValue;
    }
  }
  return ValueToString(settings->value(qkey));
}

std::int32_t CSettingsStorage::GetInt(const std::string& key, std::int32_t defaultValue) {
  std::unique_ptr<QSettings> settings = Open();
  const QString qkey = ToQ(key);
  if (!settings->contains(qkey)) {
    if (FUseIniFile) return defaultValue;
    settings->setValue(qkey, defaultValue);
    const std::string error = Flush(*settings);
    if (!error.empty()) {
      LogError("[SettingsStorage] GetInt " + key + " Error: " + error);
      return defaultValue;
    }
  }
  bool ok = false;
  const int value = settings->value(qkey).toString().trimmed().toInt(&ok);
  if (ok) return value;
  // Not a 32-bit integer (a text, or out of range): the default serves.
  if (!FUseIniFile) {
    LogError("[SettingsStorage] GetInt " + key + " Error: Invalid integer value");
  }
  return defaultValue;
}

void CSettingsStorage::SetLastUpdatesCheck(Date date) {
  const double days = std::trunc(date);
  const bool fits = days >= INT32_MIN && days <= INT32_MAX;
  SetInt(kLastUpdatesCheck, fits ? static_cast<std::int32_t>(days) : 0);
}

std::string CSettingsStorage::TabKey(const char* key, int tab) {
  return tab == 1 ? std::string(kShedulerPrefix) + key : std::string(key);
}

std::string CSettingsStorage::ColumnKey(int column) {
  return kColumnWidth + std::to_string(column);
}

std::vector<std::string> CSettingsStorage::GetReopenList() {
  std::vector<std::string> list;
  for (int i = 0; i < kReopenListSize; ++i) {
    std::string path = GetString(kLastOpenedItem + std::to_string(i), "");
    if (path.empty()) break;
    if (std::find(list.begin(), list.end(), path) == list.end()) list.push_back(path);
  }
  return list;
}

void CSettingsStorage::AddToReopenList(const std::string& path) {
  if (path.empty()) return;
  std::vector<std::string> list = GetReopenList();
  list.erase(std::remove(list.begin(), list.end(), path), list.end());
  list.insert(list.begin(), path);
  const int count = std::min<int>(static_cast<int>(list.size()), kReopenListSize);
  for (int i = 0; i < count; ++i) SetString(kLastOpenedItem + std::to_string(i), list[i]);
}

void CSettingsStorage::RemoveFromReopenList(const std::string& path) {
  std::vector<std::string> list = GetReopenList();
  list.erase(std::remove(list.begin(), list.end(), path), list.end());
  // The list ends at its first empty entry.
  for (int i = 0; i < kReopenListSize; ++i)
    SetString(kLastOpenedItem + std::to_string(i),
              i < static_cast<int>(list.size()) ? list[i] : std::string());
}

std::string CSettingsStorage::GetDataFolder() const {
  return GetProgramFolders().data;
}

std::string CSettingsStorage::GetBackupFolder() const {
  return GetProgramFolders().backups;
}

void CSettingsStorage::DeriveSeparators() {
  // The money text of 1000 in the user's locale, e.g. "1,000.00": the
  // decimal mark stands before the two decimals, the group separator after
  // the first digit.
  const QLocale locale;
  QString text = locale.toString(1000.0, 'f', 2);
  if (text.size() < 4) text = QStringLiteral("1000.00");
  QString group = text.mid(1, 1);
  if (group.at(0).isDigit()) {
    // Some locales group only from five digits on (Spanish "1000,00" but
    // "10.000,00"): a million shows whether the locale groups at all.
    const QString million = locale.toString(1000000.0, 'f', 2);
    for (qsizetype i = 1; i + 3 < million.size(); ++i) {
      if (!million.at(i).isDigit()) {
        group = million.mid(i, 1);
        break;
      }
    }
  }
  NumberFormat& f = FNumberFormat;
  f.decimalSeparator = FromQ(QString(text.at(text.size() - 3)));
  f.altDecimalSeparator = f.decimalSeparator == "," ? "." : ",";
  f.groupSeparator = FromQ(group);
  if (f.groupSeparator == f.altDecimalSeparator) f.altDecimalSeparator = f.decimalSeparator;
  f.digitGrouping = !group.at(0).isDigit();
  if (!f.digitGrouping) f.groupSeparator = " ";
}

}  // namespace Settings

// The application's preferences and window state, kept between runs as named
// integer and string values.
//
// Two back ends, chosen at construction:
//  - the registry-style store: QSettings' native format for organization
//    "Omrin", application "Pardow" ($XDG_CONFIG_HOME/Omrin/Pardow.conf).
//    Reading a key that does not exist first stores the default under it, so
//    every key read once exists afterwards.
//  - an INI file, every value in group "Main"; a missing key reads as its
//    default and is not stored.
// There is no cache: every get reads the file and every set is written to it
// before the call returns. Failures never throw; they are logged and a get
// then answers its default.
//
// The storage also carries the number-format characters of the user's locale
// (worked out once, at construction, from the default QLocale) and the rule
// that locates the data folder.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Dates.h"
#include "Numbertexts.h"

class QSettings;

namespace Settings {

// Key names. Per-tab keys take kShedulerPrefix in front for the Scheduler tab.
inline constexpr const char* kShedulerPrefix = "Sheduler";
inline constexpr const char* kPositionX = "PositionX";
inline constexpr const char* kPositionY = "PositionY";
inline constexpr const char* kWindowWidth = "WindowWidth";
inline constexpr const char* kLeftPaneWidth = "LeftPaneWidth";
inline constexpr const char* kWindowHeight = "WindowHeight";
inline constexpr const char* kWindowMaximized = "WindowMaximized";
inline constexpr const char* kSectionsVisible = "SectionsVisible";
inline constexpr const char* kMemberssVisible = "MemberssVisible";
inline constexpr const char* kTypesVisible = "TypesVisible";
inline constexpr const char* kGroupsVisible = "GroupsVisible";
inline constexpr const char* kShowEmptyCategories = "ShowEmptyCategories";
inline constexpr const char* kFullEditWindow = "FullEditWindow";
inline constexpr const char* kLastOpened = "LastOpened";
inline constexpr const char* kLastOpenedItem = "LastOpened_";  // + 0..4
inline constexpr const char* kLocaleFileName = "LocaleFileName";
inline constexpr const char* kMaximumQuickExpenses = "MaximumQuickExpenses";
inline constexpr const char* kColumnWidth = "ColumnWidth_";  // + 0..7
inline constexpr const char* kLastUpdatesCheck = "LastUpdatesCheck";
inline constexpr const char* kBackupsKept = "BackupsKept";
inline constexpr const char* kBackupsSizeLimit = "BackupsSizeLimit";  // megabytes
// Reserved for the export and import windows.
inline constexpr const char* kExportFileName = "ExportFileName";
inline constexpr const char* kExportSeparatorType = "ExportSeparatorType";
inline constexpr const char* kExportCustomSeparator = "ExportCustomSeparator";
inline constexpr const char* kExportType = "ExportType";
inline constexpr const char* kExportField = "ExportField_";
inline constexpr const char* kImportFileName = "ImportFileName";
inline constexpr const char* kImportSeparatorType = "ImportSeparatorType";
inline constexpr const char* kImportCustomSeparator = "ImportCustomSeparator";
inline constexpr const char* kImportType = "ImportType";
inline constexpr const char* kImportField = "ImportField_";
inline constexpr const char* kImportCreateType = "ImportCreateType";
inline constexpr const char* kImportFirstRow = "ImportFirstRow";

// The backup settings' defaults (exchange/Backups.h holds the same numbers
// for the command-line tool, which has no settings).
inline constexpr int kDefaultBackupsKept = 20;
inline constexpr int kDefaultBackupSizeLimitMb = 2048;

// Defaults the callers pass: the database opened on a first start (the "..\"
// marker stands for the data folder) and the language file.
inline constexpr const char* kDefaultLastOpened = "..\\demo2.vlt";
inline constexpr const char* kDefaultLocaleFileName = "Lang/english.txt";

// The key path the application opens the registry-style store with.
inline constexpr const char* kRegistryPath = "\\software\\Omrin\\Pardow";
// Most entries of the reopen list.
constexpr int kReopenListSize = 5;

class CSettingsStorage {
 public:
  // `useIniFile` true: `path` is the INI file. False: `path` is a registry
  // key path such as kRegistryPath; its last two parts name the organization
  // and the application of the native store ("Omrin", "Pardow" when the path
  // has fewer parts, the empty path included). Logs the banner.
  CSettingsStorage(const std::string& path, bool useIniFile);
  ~CSettingsStorage();
  CSettingsStorage(const CSettingsStorage&) = delete;
  CSettingsStorage& operator=(const CSettingsStorage&) = delete;

  // Primitives. Texts are UTF-8. A set answers false (and logs why) when
  // the value could not be written.
  bool SetString(const std::string& key, const std::string& value);
  bool SetInt(const std::string& key, std::int32_t value);
  std::string GetString(const std::string& key, const std::string& defaultValue);
  std::int32_t GetInt(const std::string& key, std::int32_t defaultValue);
  // An integer setting in first..last; the default when it is outside.
  std::int32_t GetIntInRange(const std::string& key, std::int32_t defaultValue, std::int32_t first,
                             std::int32_t last) {
    const std::int32_t value = GetInt(key, defaultValue);
    return value >= first && value <= last ? value : defaultValue;
  }

  // Main window geometry; the defaults are the window's current values.
  int GetPositionX(int current) { return GetInt(kPositionX, current); }
  void SetPositionX(int value) { SetInt(kPositionX, value); }
  int GetPositionY(int current) { return GetInt(kPositionY, current); }
  void SetPositionY(int value) { SetInt(kPositionY, value); }
  int GetWindowWidth(int current) { return GetInt(kWindowWidth, current); }
  void SetWindowWidth(int value) { SetInt(kWindowWidth, value); }
  // The width of the main window's left pane (interval, accounts, summary).
  int GetLeftPaneWidth(int current) { return GetInt(kLeftPaneWidth, current); }
  void SetLeftPaneWidth(int value) { SetInt(kLeftPaneWidth, value); }
  int GetWindowHeight(int current) { return GetInt(kWindowHeight, current); }
  void SetWindowHeight(int value) { SetInt(kWindowHeight, value); }
  bool GetWindowMaximized() { return GetBool(kWindowMaximized, false); }
  void SetWindowMaximized(bool value) { SetBool(kWindowMaximized, value); }

  // View toggles of a tab (0 Transactions, 1 Scheduler).
  bool GetSectionsVisible(int tab) { return GetBool(TabKey(kSectionsVisible, tab), false); }
  void SetSectionsVisible(int tab, bool value) { SetBool(TabKey(kSectionsVisible, tab), value); }
  bool GetMemberssVisible(int tab) { return GetBool(TabKey(kMemberssVisible, tab), false); }
  void SetMemberssVisible(int tab, bool value) { SetBool(TabKey(kMemberssVisible, tab), value); }
  // Shown by default on the Transactions tab only.
  bool GetTypesVisible(int tab) { return GetBool(TabKey(kTypesVisible, tab), tab == 0); }
  void SetTypesVisible(int tab, bool value) { SetBool(TabKey(kTypesVisible, tab), value); }
  bool GetGroupsVisible(int tab) { return GetBool(TabKey(kGroupsVisible, tab), false); }
  void SetGroupsVisible(int tab, bool value) { SetBool(TabKey(kGroupsVisible, tab), value); }

  bool GetShowEmptyCategories() { return GetBool(kShowEmptyCategories, false); }
  bool SetShowEmptyCategories(bool value) { return SetBool(kShowEmptyCategories, value); }
  bool GetFullEditWindow() { return GetBool(kFullEditWindow, false); }
  void SetFullEditWindow(bool value) { SetBool(kFullEditWindow, value); }

  // The database file opened last; the main window passes "..\demo2.vlt".
  std::string GetLastOpened(const std::string& defaultPath) {
    return GetString(kLastOpened, defaultPath);
  }
  void SetLastOpened(const std::string& path) { SetString(kLastOpened, path); }

  // The language file relative to the application-data folder; callers pass
  // "Lang/english.txt".
  std::string GetLocaleFileName(const std::string& defaultName) {
    return GetString(kLocaleFileName, defaultName);
  }
  bool SetLocaleFileName(const std::string& name) { return SetString(kLocaleFileName, name); }

  // How many quick-expense templates the menu lists; the default is the
  // caller's (30 in the main window and the settings window, 16 in the
  // transaction editor).
  int GetMaximumQuickExpenses(int defaultValue) {
    return GetInt(kMaximumQuickExpenses, defaultValue);
  }
  bool SetMaximumQuickExpenses(int value) { return SetInt(kMaximumQuickExpenses, value); }

  // Width of transaction tree column `column` (0..7); the default is its
  // current width.
  int GetColumnWidth(int column, int current) { return GetInt(ColumnKey(column), current); }
  void SetColumnWidth(int column, int width) { SetInt(ColumnKey(column), width); }

  // The day of the last check for a new version (0 = never); stored as whole days.
  Date GetLastUpdatesCheck() { return static_cast<Date>(GetInt(kLastUpdatesCheck, 0)); }
  void SetLastUpdatesCheck(Date date);

  // How many automatic backups are kept per database (1..999, 20 by
  // default) and how many megabytes the backup folder may hold in all
  // (10..10000000, 2048 by default); a stored value outside reads as the
  // default.
  int GetBackupsKept() { return GetIntInRange(kBackupsKept, kDefaultBackupsKept, 1, 999); }
  bool SetBackupsKept(int value) { return SetInt(kBackupsKept, value); }
  int GetBackupsSizeLimitMb() {
    return GetIntInRange(kBackupsSizeLimit, kDefaultBackupSizeLimitMb, 10, 10'000'000);
  }
  bool SetBackupsSizeLimitMb(int value) { return SetInt(kBackupsSizeLimit, value); }
  // The folder of the automatic backups, ending with '/' (see
  // ResolveProgramFolders).
  std::string GetBackupFolder() const;

  // The reopen list, most recent first, at most kReopenListSize paths, no
  // duplicates.
  std::vector<std::string> GetReopenList();
  // Moves (or adds) `path` to the front of the reopen list; the oldest entry
  // falls off when the list is full. An empty path is ignored.
  void AddToReopenList(const std::string& path);
  // Takes `path` out of the reopen list; the others keep their order.
  void RemoveFromReopenList(const std::string& path);

  // The folder of the database files, ending with '/':
  // $U3_DEVICE_DOCUMENT_PATH/Pardow Data/ when that variable is set, else
  // Data/ beside a portable program, else $XDG_DATA_HOME/pardow/Data/
  // (see ResolveProgramFolders).
  std::string GetDataFolder() const;

  // Number-format characters of the locale, as UTF-8 (a separator may be a
  // non-ASCII character such as a no-break space).
  const NumberFormat& GetNumberFormat() const { return FNumberFormat; }
  const std::string& GetDecimalSeparator() const { return FNumberFormat.decimalSeparator; }
  const std::string& GetAltDecimalSeparator() const { return FNumberFormat.altDecimalSeparator; }
  // A blank when the locale does not group digits.
  const std::string& GetGroupSeparator() const { return FNumberFormat.groupSeparator; }
  // False when the locale writes numbers without digit grouping.
  bool HasDigitGrouping() const { return FNumberFormat.digitGrouping; }

  // Where the values live (the INI file or the native store's file).
  std::string GetFileName() const;

 private:
  std::unique_ptr<QSettings> Open() const;
  // Writes pending changes; a failed write comes back as a message ("" = none).
  static std::string Flush(QSettings& settings);
  bool GetBool(const std::string& key, bool defaultValue) { return GetInt(key, defaultValue) != 0; }
  bool SetBool(const std::string& key, bool value) { return SetInt(key, value ? 1 : 0); }
  static std::string TabKey(const char* key, int tab);
  static std::string ColumnKey(int column);
  void DeriveSeparators();

  bool FUseIniFile;            // true: INI file at FPath; false: native store
  std::string FPath;           // the INI file
  std::string FOrganization;   // native store: organization name
  std::string FApplication;    // native store: application name
  NumberFormat FNumberFormat;  // the separators of the locale
};

}  // namespace Settings

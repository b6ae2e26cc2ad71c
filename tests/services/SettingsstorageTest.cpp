#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdlib>
#include <string>
#include <vector>

#include "Include.h"
#include "Platform.h"
#include "ServicesTestUtil.h"
#include "Settingsstorage.h"

using Settings::CSettingsStorage;

namespace {

// The registry-style store the application uses, read behind the storage's back.
QSettings NativeStore(const QString& organization = "Omrin") {
  return QSettings(QSettings::NativeFormat, QSettings::UserScope, organization, "Pardow");
}

QString ConfigFolder() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

class RegistryStoreTest : public testing::Test {
 protected:
  void SetUp() override {
    QSettings store = NativeStore();
    store.clear();
    store.sync();
  }
  LogCapture FLog;
};

TEST_F(RegistryStoreTest, LivesInTheTestConfigurationFolder) {
  CSettingsStorage storage(Settings::kRegistryPath, false);
  EXPECT_EQ(QString::fromStdString(storage.GetFileName()), ConfigFolder() + "/Omrin/Pardow.conf");
  EXPECT_TRUE(QString::fromStdString(storage.GetFileName()).contains(".qttest"));
}

TEST_F(RegistryStoreTest, FirstReadStoresTheDefault) {
  CSettingsStorage storage(Settings::kRegistryPath, false);
  EXPECT_TRUE(storage.GetTypesVisible(0));
  EXPECT_FALSE(storage.GetTypesVisible(1));
  QSettings store = NativeStore();
  EXPECT_EQ(store.value("TypesVisible").toInt(), 1);
  EXPECT_EQ(store.value("ShedulerTypesVisible").toInt(), 0);

  // Whichever caller reads first stores its default; the next one reads it.
  EXPECT_EQ(storage.GetMaximumQuickExpenses(16), 16);
  EXPECT_EQ(storage.GetMaximumQuickExpenses(30), 16);
  EXPECT_EQ(storage.GetLastOpened("..\\demo2.vlt"), "..\\demo2.vlt");
  EXPECT_EQ(NativeStore().value("LastOpened").toString(), "..\\demo2.vlt");
  EXPECT_TRUE(FLog.Problems().empty());
}

TEST_F(RegistryStoreTest, EverySetIsOnDiskWhenItReturns) {
  CSettingsStorage storage(Settings::kRegistryPath, false);
  storage.SetGroupsVisible(1, true);
  storage.SetMemberssVisible(0, true);
  storage.SetColumnWidth(7, 123);
  storage.SetLocaleFileName("Lang/german.txt");
  storage.SetLastUpdatesCheck(39208.75);
  // A second reader (another process would do the same) sees the values at once.
  QSettings store = NativeStore();
  EXPECT_EQ(store.value("ShedulerGroupsVisible").toInt(), 1);
  EXPECT_FALSE(store.contains("GroupsVisible"));
  EXPECT_EQ(store.value("MemberssVisible").toInt(), 1);
  EXPECT_EQ(store.value("ColumnWidth_7").toInt(), 123);
  EXPECT_EQ(store.value("LocaleFileName").toString(), "Lang/german.txt");
  EXPECT_EQ(store.value("LastUpdatesCheck").toInt(), 39208);
  EXPECT_EQ(storage.GetLastUpdatesCheck(), 39208.0);

  // And the storage reads what someone else wrote, as it keeps no cache.
  store.setValue("PositionX", 321);
  store.sync();
  EXPECT_EQ(storage.GetPositionX(100), 321);
}

TEST_F(RegistryStoreTest, TextsKeepEveryCharacter) {
  CSettingsStorage storage(Settings::kRegistryPath, false);
  const std::string path = "/home/ана/Data, mine/бюджет \"2007\"; €.vlt";
  storage.SetLastOpened(path);
  EXPECT_EQ(storage.GetLastOpened(""), path);
  CSettingsStorage other(Settings::kRegistryPath, false);
  EXPECT_EQ(other.GetLastOpened(""), path);
}

TEST_F(RegistryStoreTest, ANonNumberWhereANumberBelongsGivesTheDefault) {
  QSettings store = NativeStore();
  store.setValue("WindowWidth", "wide");
  store.setValue("WindowHeight", "99999999999");
  store.sync();
  CSettingsStorage storage(Settings::kRegistryPath, false);
  EXPECT_EQ(storage.GetWindowWidth(792), 792);
  EXPECT_EQ(storage.GetWindowHeight(666), 666);
  EXPECT_TRUE(FLog.Contains(3, "[SettingsStorage] GetInt WindowWidth Error: Invalid integer value"));
  EXPECT_EQ(FLog.Problems().size(), 2u);
}

TEST_F(RegistryStoreTest, ReopenListMovesAPathToTheFrontAndKeepsFive) {
  CSettingsStorage storage(Settings::kRegistryPath, false);
  EXPECT_TRUE(storage.GetReopenList().empty());
  for (const char* path : {"a.vlt", "b.vlt", "c.vlt", "d.vlt", "e.vlt"}) {
    storage.AddToReopenList(path);
  }
  EXPECT_EQ(storage.GetReopenList(),
            (std::vector<std::string>{"e.vlt", "d.vlt", "c.vlt", "b.vlt", "a.vlt"}));
  storage.AddToReopenList("c.vlt");  // third: moves to the front, no duplicate
  EXPECT_EQ(storage.GetReopenList(),
            (std::vector<std::string>{"c.vlt", "e.vlt", "d.vlt", "b.vlt", "a.vlt"}));
  storage.AddToReopenList("f.vlt");  // a sixth path: the oldest falls off
  EXPECT_EQ(storage.GetReopenList(),
            (std::vector<std::string>{"f.vlt", "c.vlt", "e.vlt", "d.vlt", "b.vlt"}));
  storage.AddToReopenList("");
  EXPECT_EQ(storage.GetReopenList().size(), 5u);
  EXPECT_EQ(NativeStore().value("LastOpened_0").toString(), "f.vlt");
  EXPECT_FALSE(NativeStore().contains("LastOpened_5"));
}

TEST_F(RegistryStoreTest, ReopenListStopsAtTheFirstEmptyEntryAndSkipsRepeats) {
  QSettings store = NativeStore();
  store.setValue("LastOpened_0", "a.vlt");
  store.setValue("LastOpened_1", "");
  store.setValue("LastOpened_2", "c.vlt");
  store.sync();
  CSettingsStorage storage(Settings::kRegistryPath, false);
  EXPECT_EQ(storage.GetReopenList(), std::vector<std::string>{"a.vlt"});

  store.setValue("LastOpened_1", "a.vlt");
  store.sync();
  EXPECT_EQ(storage.GetReopenList(), (std::vector<std::string>{"a.vlt", "c.vlt"}));
}

TEST_F(RegistryStoreTest, BannersMarkConstructionAndDestruction) {
  { CSettingsStorage storage(Settings::kRegistryPath, false); }
  ASSERT_EQ(FLog.lines.size(), 2u);
  EXPECT_EQ(FLog.lines[0].second, "SettingsStorage v1.0 initialized");
  EXPECT_EQ(FLog.lines[1].second, "SettingsStorage uninitialized");
  EXPECT_EQ(FLog.lines[1].first, 1);
}

TEST_F(RegistryStoreTest, AStoreThatCannotBeWrittenLogsAndAnswersDefaults) {
  // The store's folder is taken by a plain file, so nothing can be written.
  const QString blocked = ConfigFolder() + "/Blocked";
  QDir(blocked).removeRecursively();
  QDir().mkpath(ConfigFolder());
  WriteBytes(blocked.toStdString(), "not a folder");
  ASSERT_TRUE(QFileInfo(blocked).isFile());
  CSettingsStorage storage("\\software\\Blocked\\Pardow", false);
  const std::string file = storage.GetFileName();
  EXPECT_EQ(storage.GetPositionX(100), 100);
  EXPECT_EQ(storage.GetLocaleFileName("Lang/english.txt"), "Lang/english.txt");
  storage.SetString("LastOpened", "x.vlt");
  storage.SetInt("PositionY", 5);
  EXPECT_TRUE(FLog.Contains(3, "[SettingsStorage] GetInt PositionX Error: Access denied: " + file));
  EXPECT_TRUE(
      FLog.Contains(3, "[SettingsStorage] GetString LocaleFileName Error: Access denied: " + file));
  EXPECT_TRUE(FLog.Contains(
      3, "[SettingsStorage] SetString Key: LastOpened Value: x.vltError: Access denied: " + file));
  EXPECT_TRUE(FLog.Contains(
      3, "[SettingsStorage] SetInt. Key: PositionY Value: 5 Error: Access denied: " + file));
  QFile::remove(blocked);
}

TEST_F(RegistryStoreTest, AStoreThatCannotBeReadIsReportedOnceAtConstruction) {
  // A folder where the store's file belongs.
  const QString folder = ConfigFolder() + "/Unreadable/Pardow.conf";
  QDir().mkpath(folder);
  {
    CSettingsStorage storage("\\software\\Unreadable\\Pardow", false);
    const std::string message = "Access denied: " + storage.GetFileName();
    EXPECT_TRUE(FLog.Contains(3, "[SettingsStorage] " + message));
    EXPECT_EQ(FLog.messages, std::vector<std::string>{message});
    EXPECT_EQ(storage.GetWindowHeight(480), 480);
  }
  QDir(ConfigFolder() + "/Unreadable").removeRecursively();
}

TEST_F(RegistryStoreTest, AGarbledStoreIsReportedAtConstructionAndWrittenAnew) {
  const QString folder = ConfigFolder() + "/Garbled";
  QDir().mkpath(folder);
  WriteBytes((folder + "/Pardow.conf").toStdString(), "[[[\nPositionX=5\n");
  CSettingsStorage storage("\\software\\Garbled\\Pardow", false);
  const std::string message = "Invalid file format: " + storage.GetFileName();
  EXPECT_TRUE(FLog.Contains(3, "[SettingsStorage] " + message));
  EXPECT_EQ(FLog.messages, std::vector<std::string>{message});
  storage.SetInt("PositionY", 9);
  EXPECT_EQ(FLog.Problems().size(), 1u);  // the write went through
  CSettingsStorage reread("\\software\\Garbled\\Pardow", false);
  EXPECT_EQ(reread.GetPositionY(0), 9);
  QDir(folder).removeRecursively();
}

TEST_F(RegistryStoreTest, KeyPathNamesTheStore) {
  CSettingsStorage other("\\software\\OmrinTest\\Pardow", false);
  EXPECT_EQ(QString::fromStdString(other.GetFileName()), ConfigFolder() + "/OmrinTest/Pardow.conf");
  CSettingsStorage fallback("", false);
  EXPECT_EQ(QString::fromStdString(fallback.GetFileName()), ConfigFolder() + "/Omrin/Pardow.conf");
}

class IniStoreTest : public testing::Test {
 protected:
  std::string IniPath() const { return PathIn(FDir, "pardow.ini"); }
  QTemporaryDir FDir;
  LogCapture FLog;
};

TEST_F(IniStoreTest, MissingKeysReadAsDefaultsWithoutBeingStored) {
  CSettingsStorage storage(IniPath(), true);
  EXPECT_TRUE(storage.GetTypesVisible(0));
  EXPECT_EQ(storage.GetMaximumQuickExpenses(16), 16);
  EXPECT_EQ(storage.GetMaximumQuickExpenses(30), 30);
  EXPECT_FALSE(QFile::exists(QString::fromStdString(IniPath())));
  EXPECT_TRUE(FLog.Problems().empty());
}

TEST_F(IniStoreTest, ValuesLiveInGroupMain) {
  CSettingsStorage storage(IniPath(), true);
  storage.SetMaximumQuickExpenses(45);
  storage.SetShowEmptyCategories(true);
  storage.SetSectionsVisible(1, true);
  const std::string text = ReadBytes(IniPath());
  EXPECT_NE(text.find("[Main]"), std::string::npos);
  EXPECT_NE(text.find("MaximumQuickExpenses=45"), std::string::npos);
  EXPECT_NE(text.find("ShowEmptyCategories=1"), std::string::npos);
  EXPECT_NE(text.find("ShedulerSectionsVisible=1"), std::string::npos);
  EXPECT_EQ(storage.GetMaximumQuickExpenses(30), 45);
  EXPECT_TRUE(storage.GetShowEmptyCategories());
  EXPECT_FALSE(storage.GetSectionsVisible(0));
}

TEST_F(IniStoreTest, AHandEditedFileIsRead) {
  WriteBytes(IniPath(),
             "[Main]\nWindowMaximized=1\nLastOpened=/data/a, b.vlt\nColumnWidth_0= 250 \n"
             "FullEditWindow=yes\n");
  CSettingsStorage storage(IniPath(), true);
  EXPECT_TRUE(storage.GetWindowMaximized());
  EXPECT_EQ(storage.GetLastOpened(""), "/data/a, b.vlt");
  EXPECT_EQ(storage.GetColumnWidth(0, 50), 250);
  EXPECT_FALSE(storage.GetFullEditWindow());  // not a number: the default
}

TEST_F(IniStoreTest, AGarbledFileGivesDefaultsAndCanBeWrittenAgain) {
  WriteBytes(IniPath(), std::string("\xFF\xFE[Ma\0in\n===\n[[[\n\"unclosed\n", 26));
  CSettingsStorage storage(IniPath(), true);
  EXPECT_EQ(storage.GetPositionX(100), 100);
  storage.SetPositionX(7);
  EXPECT_EQ(storage.GetPositionX(100), 7);
  for (const auto& line : FLog.Problems()) ADD_FAILURE() << line.second;
  EXPECT_TRUE(FLog.messages.empty());
}

TEST_F(IniStoreTest, AFileThatCannotBeWrittenLogsAndNeverThrows) {
  WriteBytes(PathIn(FDir, "plain"), "a file, not a folder");
  const std::string path = PathIn(FDir, "plain/pardow.ini");
  CSettingsStorage storage(path, true);
  storage.SetString("LocaleFileName", "Lang/german.txt");
  storage.SetInt("MaximumQuickExpenses", 20);
  EXPECT_TRUE(FLog.Contains(3, "[SettingsStorage] SetString Key: LocaleFileName Value: "
                               "Lang/german.txtError: Access denied: " + path));
  EXPECT_TRUE(FLog.Contains(3, "[SettingsStorage] SetInt. Key: MaximumQuickExpenses Value: 20 "
                               "Error: Access denied: " + path));
  EXPECT_EQ(storage.GetInt("PositionX", 100), 100);
  EXPECT_TRUE(FLog.messages.empty());
}

TEST(DataFolderTest, FollowsTheU3DocumentPath) {
  CSettingsStorage storage("", false);
  setenv("U3_DEVICE_DOCUMENT_PATH", "/media/u3/Documents", 1);
  EXPECT_EQ(storage.GetDataFolder(), "/media/u3/Documents/Pardow Data/");
  setenv("U3_DEVICE_DOCUMENT_PATH", "/media/u3/Documents/", 1);
  EXPECT_EQ(storage.GetDataFolder(), "/media/u3/Documents/Pardow Data/");
  setenv("U3_DEVICE_DOCUMENT_PATH", "", 1);
  EXPECT_EQ(storage.GetDataFolder(), GetProgramFolder() + "Data/");
  setenv("U3_DEVICE_DOCUMENT_PATH", std::string(5000, 'x').c_str(), 1);  // too long: ignored
  EXPECT_EQ(storage.GetDataFolder(), GetProgramFolder() + "Data/");
  unsetenv("U3_DEVICE_DOCUMENT_PATH");
  EXPECT_EQ(storage.GetDataFolder(), GetProgramFolder() + "Data/");
  EXPECT_EQ(storage.GetDataFolder().back(), '/');
}

struct SeparatorCase {
  QLocale locale;
  const char* decimal;
  const char* alternative;
  const char* group;
  bool grouping;
};

class SeparatorTest : public testing::TestWithParam<SeparatorCase> {};

TEST_P(SeparatorTest, FollowFromTheMoneyTextOfAThousand) {
  const SeparatorCase& c = GetParam();
  PinnedLocale pinned(c.locale);
  CSettingsStorage storage("", false);
  EXPECT_EQ(storage.GetDecimalSeparator(), c.decimal);
  EXPECT_EQ(storage.GetAltDecimalSeparator(), c.alternative);
  EXPECT_EQ(storage.GetGroupSeparator(), c.group);
  EXPECT_EQ(storage.HasDigitGrouping(), c.grouping);
}

INSTANTIATE_TEST_SUITE_P(
    Locales, SeparatorTest,
    testing::Values(
        SeparatorCase{QLocale(QLocale::English, QLocale::UnitedStates), ".", ".", ",", true},
        SeparatorCase{QLocale(QLocale::German, QLocale::Germany), ",", ",", ".", true},
        SeparatorCase{UngroupedEnglish(), ".", ",", " ", false},
        SeparatorCase{QLocale::c(), ".", ",", " ", false},
        SeparatorCase{QLocale(QLocale::Russian, QLocale::Russia), ",", ".", "\u00A0", true},
        SeparatorCase{QLocale(QLocale::German, QLocale::Switzerland), ".", ",", "\u2019", true},
        // Groups only from five digits on; a thousand alone would hide it.
        SeparatorCase{QLocale(QLocale::Spanish, QLocale::Spain), ",", ",", ".", true}));

class GlobalSettingsTest : public testing::Test {
 protected:
  void TearDown() override { FreeSettings(); }
  QTemporaryDir FDir;
};

TEST_F(GlobalSettingsTest, UsingSettingsBeforeInitCreatesThemAndLogsOnce) {
  FreeSettings();
  LogCapture log;
  Settings::CSettingsStorage& first = GetSettings();
  Settings::CSettingsStorage& second = GetSettings();
  EXPECT_EQ(&first, &second);
  EXPECT_TRUE(log.Contains(3, "Settings not initialized!"));
  EXPECT_EQ(log.Problems().size(), 1u);
  EXPECT_EQ(QString::fromStdString(first.GetFileName()), ConfigFolder() + "/Omrin/Pardow.conf");

  FreeSettings();
  GetSettings();
  EXPECT_EQ(log.Problems().size(), 2u);  // again after a free
}

TEST_F(GlobalSettingsTest, InitSettingsServesEveryCaller) {
  LogCapture log;
  InitSettings(PathIn(FDir, "app.ini"), true);
  GetSettings().SetLastOpened("..\\demo2.vlt");
  EXPECT_EQ(GetSettings().GetFileName(), PathIn(FDir, "app.ini"));
  EXPECT_EQ(GetSettings().GetLastOpened(""), "..\\demo2.vlt");
  EXPECT_TRUE(log.Problems().empty());
}

}  // namespace

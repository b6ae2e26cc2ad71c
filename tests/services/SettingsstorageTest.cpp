#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <cstdlib>

#include "Include.h"
#include "ServicesTestUtil.h"
#include "Settingsstorage.h"

using Settings::CSettingsStorage;
using Paths = std::vector<std::string>;

namespace {

// The registry-style store of organization `org`, read behind the storage's back.
QSettings NativeStore(const QString& org = "Omrin") {
  return QSettings(QSettings::NativeFormat, QSettings::UserScope, org, "Pardow");
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
    FreeSettings();
    FLog.lines.clear();
  }
  void TearDown() override { FreeSettings(); }
  LogCapture FLog;
};

TEST_F(RegistryStoreTest, FirstReadStoresTheDefault) {
  CSettingsStorage storage(Settings::kRegistryPath, false);
  EXPECT_EQ(QString::fromStdString(storage.GetFileName()), ConfigFolder() + "/Omrin/Pardow.conf");
  EXPECT_TRUE(storage.GetTypesVisible(0));
  EXPECT_FALSE(storage.GetTypesVisible(1));
  EXPECT_EQ(NativeStore().value("TypesVisible").toInt(), 1);
  EXPECT_EQ(NativeStore().value("ShedulerTypesVisible").toInt(), 0);
  // Whichever caller reads first stores its default; the next one reads it.
  EXPECT_EQ(storage.GetMaximumQuickExpenses(16), 16);
  EXPECT_EQ(storage.GetMaximumQuickExpenses(30), 16);
  EXPECT_EQ(storage.GetLastOpened(Settings::kDefaultLastOpened), "..\\demo2.vlt");
  EXPECT_EQ(NativeStore().value("LastOpened").toString(), "..\\demo2.vlt");
  EXPECT_TRUE(FLog.Problems().empty());
}

TEST_F(RegistryStoreTest, EverySetIsOnDiskWhenItReturns) {
  CSettingsStorage storage(Settings::kRegistryPath, false);
  const std::string path = "/home/ана/Data, mine/\"2007\"; €.vlt";
  storage.SetGroupsVisible(1, true);
  storage.SetColumnWidth(7, 123);
  storage.SetLastUpdatesCheck(39208.75);
  storage.SetLastOpened(path);
  // The file's bytes: another QSettings of this process would share its cache.
  QFile file(ConfigFolder() + "/Omrin/Pardow.conf");
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  for (const char* line : {"\nShedulerGroupsVisible=1\n", "\nColumnWidth_7=123\n",
                           "\nLastUpdatesCheck=39208\n", "\nLastOpened="})
    EXPECT_TRUE(bytes.contains(line)) << line << " not in\n" << bytes.toStdString();
  QSettings store = NativeStore();
  EXPECT_EQ(store.value("ShedulerGroupsVisible").toInt(), 1);
  EXPECT_FALSE(store.contains("GroupsVisible"));
  EXPECT_EQ(store.value("ColumnWidth_7").toInt(), 123);
  EXPECT_EQ(store.value("LastUpdatesCheck").toInt(), 39208);
  EXPECT_EQ(CSettingsStorage(Settings::kRegistryPath, false).GetLastOpened(""), path);
  // The storage keeps no cache: it sees what others write.
  store.setValue("PositionX", 321);
  store.setValue("WindowWidth", "wide");
  store.sync();
  EXPECT_EQ(storage.GetPositionX(100), 321);
  EXPECT_EQ(storage.GetWindowWidth(792), 792);
  EXPECT_EQ(FLog.Problems(),
            Paths{"[SettingsStorage] GetInt WindowWidth Error: Invalid integer value"});
}

TEST_F(RegistryStoreTest, ReopenListMovesAPathToTheFrontAndKeepsFive) {
  CSettingsStorage storage(Settings::kRegistryPath, false);
  for (const char* path : {"a", "b", "c", "d", "e"}) storage.AddToReopenList(path);
  EXPECT_EQ(storage.GetReopenList(), (Paths{"e", "d", "c", "b", "a"}));
  storage.AddToReopenList("c");  // third: moves to the front, no duplicate
  EXPECT_EQ(storage.GetReopenList(), (Paths{"c", "e", "d", "b", "a"}));
  storage.AddToReopenList("f");  // a sixth path: the oldest falls off
  storage.AddToReopenList("");
  EXPECT_EQ(storage.GetReopenList(), (Paths{"f", "c", "e", "d", "b"}));
  EXPECT_FALSE(NativeStore().contains("LastOpened_5"));
}

TEST_F(RegistryStoreTest, ReopenListStopsAtTheFirstEmptyEntryAndSkipsRepeats) {
  QSettings store = NativeStore();
  store.setValue("LastOpened_0", "a");
  store.setValue("LastOpened_1", "");
  store.setValue("LastOpened_2", "c");
  store.sync();
  CSettingsStorage storage(Settings::kRegistryPath, false);
  EXPECT_EQ(storage.GetReopenList(), Paths{"a"});
  store.setValue("LastOpened_1", "a");
  store.sync();
  EXPECT_EQ(storage.GetReopenList(), (Paths{"a", "c"}));
}

TEST_F(RegistryStoreTest, AStoreThatCannotBeWrittenLogsAndAnswersDefaults) {
  const QString blocked = ConfigFolder() + "/Blocked";  // a plain file where the folder belongs
  QDir().mkpath(ConfigFolder());
  WriteBytes(blocked.toStdString(), "not a folder");
  ASSERT_TRUE(QFileInfo(blocked).isFile());
  {
    CSettingsStorage storage("\\software\\Blocked\\Pardow", false);
    const std::string error = "Error: Access denied: " + storage.GetFileName();
    EXPECT_EQ(storage.GetPositionX(100), 100);
    EXPECT_EQ(storage.GetLocaleFileName("Lang/english.txt"), "Lang/english.txt");
    storage.SetString("LastOpened", "x.vlt");
    storage.SetInt("PositionY", 5);
    EXPECT_EQ(FLog.Problems(),
              (Paths{"[SettingsStorage] GetInt PositionX " + error,
                     "[SettingsStorage] GetString LocaleFileName " + error,
                     "[SettingsStorage] SetString Key: LastOpened Value: x.vlt" + error,
                     "[SettingsStorage] SetInt. Key: PositionY Value: 5 " + error}));
  }
  QFile::remove(blocked);
}

TEST_F(RegistryStoreTest, AStoreThatCannotBeReadIsReportedOnceAtConstruction) {
  for (const char* org : {"Unreadable", "Garbled"}) {
    const QString folder = ConfigFolder() + "/" + org;
    if (QString(org) == "Garbled") {
      QDir().mkpath(folder);
      WriteBytes((folder + "/Pardow.conf").toStdString(), "[[[\nPositionX=5\n");
    } else {
      QDir().mkpath(folder + "/Pardow.conf");  // a folder where the file belongs
    }
    LogCapture log;
    CSettingsStorage storage(std::string("\\software\\") + org + "\\Pardow", false);
    const std::string message =
        (QString(org) == "Garbled" ? "Invalid file format: " : "Access denied: ") +
        storage.GetFileName();
    EXPECT_TRUE(log.Contains(3, "[SettingsStorage] " + message));
    EXPECT_EQ(log.messages, Paths{message});
    EXPECT_EQ(storage.GetWindowHeight(480), 480);
    QDir(folder).removeRecursively();
  }
}

TEST_F(RegistryStoreTest, GlobalSettingsAreCreatedOnFirstUseWithAnError) {
  FreeSettings();
  CSettingsStorage& first = GetSettings();
  EXPECT_EQ(&first, &GetSettings());
  EXPECT_EQ(QString::fromStdString(first.GetFileName()), ConfigFolder() + "/Omrin/Pardow.conf");
  FreeSettings();
  GetSettings();
  EXPECT_EQ(FLog.Problems(), (Paths{"Settings not initialized!", "Settings not initialized!"}));
  ASSERT_EQ(FLog.lines.size(), 5u);
  EXPECT_EQ(FLog.lines[2].second, "SettingsStorage uninitialized");
}

class IniStoreTest : public testing::Test {
 protected:
  std::string IniPath() const { return PathIn(FDir, "pardow.ini"); }
  QTemporaryDir FDir;
  LogCapture FLog;
};

TEST_F(IniStoreTest, MissingKeysAreNotStoredAndValuesLiveInGroupMain) {
  CSettingsStorage storage(IniPath(), true);
  EXPECT_TRUE(storage.GetTypesVisible(0));
  EXPECT_EQ(storage.GetMaximumQuickExpenses(16), 16);
  EXPECT_EQ(storage.GetMaximumQuickExpenses(30), 30);
  EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(IniPath())));
  storage.SetMaximumQuickExpenses(45);
  storage.SetSectionsVisible(1, true);
  EXPECT_EQ(ReadBytes(IniPath()), "[Main]\nMaximumQuickExpenses=45\nShedulerSectionsVisible=1\n");
  EXPECT_TRUE(FLog.Problems().empty());
}

TEST_F(IniStoreTest, AHandEditedOrGarbledFileIsReadAsFarAsItGoes) {
  WriteBytes(IniPath(),
             "[Main]\nWindowMaximized=1\nLastOpened=/data/a, b.vlt\nFullEditWindow=yes\n");
  CSettingsStorage storage(IniPath(), true);
  EXPECT_TRUE(storage.GetWindowMaximized());
  EXPECT_EQ(storage.GetLastOpened(""), "/data/a, b.vlt");
  EXPECT_FALSE(storage.GetFullEditWindow());  // not a number: the default
  WriteBytes(IniPath(), std::string("\xFF\xFE[Ma\0in\n===\n[[[\n\"unclosed\n", 26));
  EXPECT_EQ(storage.GetPositionX(100), 100);
  storage.SetPositionX(7);
  EXPECT_EQ(CSettingsStorage(IniPath(), true).GetPositionX(100), 7);
  EXPECT_TRUE(FLog.Problems().empty());
  EXPECT_TRUE(FLog.messages.empty());
}

TEST_F(IniStoreTest, AFileThatCannotBeWrittenLogsAndNeverThrows) {
  WriteBytes(PathIn(FDir, "plain"), "a file, not a folder");
  const std::string path = PathIn(FDir, "plain/pardow.ini");
  CSettingsStorage storage(path, true);
  storage.SetString("LocaleFileName", "Lang/german.txt");
  storage.SetInt("MaximumQuickExpenses", 20);
  EXPECT_EQ(FLog.Problems(),
            (Paths{"[SettingsStorage] SetString Key: LocaleFileName Value: Lang/german.txtError: "
                   "Access denied: " +
                       path,
                   "[SettingsStorage] SetInt. Key: MaximumQuickExpenses Value: 20 Error: Access "
                   "denied: " +
                       path}));
  EXPECT_TRUE(FLog.messages.empty());
}

TEST(DataFolderTest, FollowsTheU3DocumentPath) {
  CSettingsStorage storage("", false);
  for (const char* documents : {"/media/u3/Documents", "/media/u3/Documents/"}) {
    setenv("U3_DEVICE_DOCUMENT_PATH", documents, 1);
    EXPECT_EQ(storage.GetDataFolder(), "/media/u3/Documents/Pardow Data/");
  }
  setenv("U3_DEVICE_DOCUMENT_PATH", std::string(5000, 'x').c_str(), 1);  // too long: ignored
  EXPECT_EQ(storage.GetDataFolder(), GetProgramFolder() + "Data/");
  unsetenv("U3_DEVICE_DOCUMENT_PATH");
  EXPECT_EQ(storage.GetDataFolder(), GetProgramFolder() + "Data/");
}

struct SeparatorCase {
  QLocale locale;
  const char *decimal, *alternative, *group;
};

class SeparatorTest : public testing::TestWithParam<SeparatorCase> {};

TEST_P(SeparatorTest, FollowFromTheMoneyTextOfAThousand) {
  const QLocale saved;
  QLocale::setDefault(GetParam().locale);
  CSettingsStorage storage("", false);
  QLocale::setDefault(saved);
  EXPECT_EQ(storage.GetDecimalSeparator(), GetParam().decimal);
  EXPECT_EQ(storage.GetAltDecimalSeparator(), GetParam().alternative);
  EXPECT_EQ(storage.GetGroupSeparator(), GetParam().group);
  EXPECT_EQ(storage.HasDigitGrouping(), std::string(GetParam().group) != " ");
}

QLocale Ungrouped(QLocale locale) {
  locale.setNumberOptions(QLocale::OmitGroupSeparator);
  return locale;
}

INSTANTIATE_TEST_SUITE_P(
    Locales, SeparatorTest,
    testing::Values(SeparatorCase{QLocale("en_US"), ".", ".", ","},
                    SeparatorCase{QLocale("de_DE"), ",", ",", "."},
                    SeparatorCase{Ungrouped(QLocale("en_US")), ".", ",", " "},
                    SeparatorCase{QLocale::c(), ".", ",", " "},
                    SeparatorCase{QLocale("ru_RU"), ",", ".", "\u00A0"},
                    SeparatorCase{QLocale("de_CH"), ".", ",", "\u2019"},
                    // Groups only from five digits on; a thousand alone would hide it.
                    SeparatorCase{QLocale("es_ES"), ",", ",", "."}));

}  // namespace

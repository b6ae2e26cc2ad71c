// The database manager, the database settings window, the password prompt,
// the application settings window and the about box, driven through their
// controls.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>

#include "Backups.h"
#include "DBManagerLogic.h"
#include "DialogKit.h"
#include "DialogsTestUtil.h"
#include "ForeignNote.h"
#include "Include.h"
#include "Localizationkit.h"
#include "Platform.h"
#include "Qif.h"
#include "Settingsstorage.h"
#include "Skin.h"
#include "Unitabout.h"
#include "Unitapplicationsettings.h"
#include "Unitconvert.h"
#include "Unitdbmanager.h"
#include "Unitdbsettings.h"
#include "Unitpasswordcheck.h"

namespace {

// The data folder and the language folder in a temporary place.
class Folders : public testing::Test {
 protected:
  void SetUp() override {
    dataFolder = dir.path().toStdString() + "/docs/Pardow Data/";
    appData = dir.path().toStdString() + "/app/";
    std::filesystem::create_directories(dataFolder);
    std::filesystem::create_directories(appData + "Lang");
    setenv("U3_DEVICE_DOCUMENT_PATH", (dir.path() + "/docs").toUtf8().constData(), 1);
    setenv("U3_APP_DATA_PATH", appData.c_str(), 1);
  }
  void TearDown() override {
    unsetenv("U3_DEVICE_DOCUMENT_PATH");
    unsetenv("U3_APP_DATA_PATH");
    SetConfirmationHook({});
  }
  void MakeBase(const std::string& name) {
    CDataBase db;
    db.Create(dataFolder + name);
  }
  QTemporaryDir dir;
  std::string dataFolder, appData;
  CMessages messages;
};

// Answers the save dialog the manager opens from BtNew with `name` in the
// data folder, or cancels it when `name` is empty.
void AnswerSaveDialog(QWidget* manager, const QString& name) {
  OnModal(
      [name](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        if (name.isEmpty()) return dialog->reject();
        // Typed into the name box, as a person does.
        Find<QLineEdit>(dialog, "fileNameEdit")->setText(name);
        static_cast<QDialog*>(dialog)->accept();  // as the Save button does
      },
      manager);
}

using DBManager = Folders;

TEST_F(DBManager, EmptyDataFolderListsNothingAndCloseAnswersNothing) {
  TFormDBManager manager;
  CDataBase db;
  OnModal([](QWidget* w) {
    EXPECT_EQ(Find<QListWidget>(w, "LBFiles")->count(), 0);
    EXPECT_FALSE(Find<QPushButton>(w, "BtOpen")->isEnabled());
    EXPECT_TRUE(Find<QPushButton>(w, "BtNew")->isEnabled());
    EXPECT_TRUE(Find<QPushButton>(w, "BtOpenCustom")->isEnabled());
    Click(Find<QPushButton>(w, "BtClose"));
  });
  EXPECT_EQ(manager.Execute(&db), "");
}

TEST_F(DBManager, CloseAnswersNothingEvenWithAFileSelectedAndOpenAnswersIt) {
  MakeBase("a.vlt");
  MakeBase("b.vlt");
  for (const char* button : {"BtClose", "BtOpen"}) {
    TFormDBManager manager;
    CDataBase db;
    OnModal([button](QWidget* w) {
      auto* files = Find<QListWidget>(w, "LBFiles");
      ASSERT_EQ(files->count(), 2);
      EXPECT_EQ(files->currentItem()->text(), "a.vlt");  // the first is selected
      files->setCurrentRow(1);
      Click(Find<QPushButton>(w, button));
    });
    EXPECT_EQ(manager.Execute(&db), button == std::string("BtOpen") ? "..\\b.vlt" : "") << button;
  }
}

TEST_F(DBManager, NewCreatesTheFileWithTheVltRuleAndAnswersItsPath) {
  const std::pair<const char*, const char*> cases[] = {{"budget", "budget.vlt"},
                                                       {"budget.VLT", "budget.VLT.vlt"}};
  for (auto [typed, created] : cases) {
    // Left beside the name by a database deleted outside the program.
    std::ofstream(dataFolder + created + ".companion") << "Pardow companion 1\n";
    TFormDBManager manager;
    CDataBase db;
    OnModal([&, typed = typed](QWidget* w) {
      AnswerSaveDialog(w, typed);
      Click(Find<QPushButton>(w, "BtNew"));
    });
    EXPECT_EQ(manager.Execute(&db), dataFolder + created) << typed;
    EXPECT_TRUE(QFile::exists(QString::fromStdString(dataFolder + created))) << typed;
    EXPECT_FALSE(std::filesystem::exists(dataFolder + created + ".companion")) << typed;
    EXPECT_FALSE(db.IsOpened());
  }
}

TEST_F(DBManager, CancelledSaveDialogLeavesTheWindowAndTheListAsTheyWere) {
  MakeBase("a.vlt");
  TFormDBManager manager;
  CDataBase db;
  OnModal([&](QWidget* w) {
    AnswerSaveDialog(w, "");
    Click(Find<QPushButton>(w, "BtNew"));
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(Find<QListWidget>(w, "LBFiles")->count(), 1);
    Click(Find<QPushButton>(w, "BtClose"));
  });
  EXPECT_EQ(manager.Execute(&db), "");
  EXPECT_EQ(QDir(QString::fromStdString(dataFolder)).entryList(QDir::Files).size(), 1);
}

// The selected database's backups, newest first with their counts; a
// restore asks, has the file released, backs it up and replaces it. Set
// PARDOW_PREVIEW_DIR to keep a picture of the list.
TEST_F(DBManager, ListsTheSelectedDatabasesBackupsAndRestoresOneAfterAsking) {
  const std::string backups = dir.path().toStdString() + "/docs/Pardow Backups/";
  const std::string household = dataFolder + "household.vlt";
  MakeBase("household.vlt");
  MakeBase("travel.vlt");
  auto backupAt = [&](const std::string& file, unsigned day) {
    using namespace std::chrono;
    std::string error;
    auto pending = StartBackup(file, backups, {}, sys_days{2026y / 12 / day} + 19h + 5min, error);
    ASSERT_NE(pending, nullptr) << error;
    ASSERT_FALSE(pending->Finish(error).empty()) << error;
  };
  backupAt(dataFolder + "travel.vlt", 7);
  backupAt(household, 8);
  {
    CDataBase db;
    ASSERT_TRUE(db.Open(household));
    for (unsigned day = 1; day <= 9; ++day) {
      CTransactionItem t;
      t.record.date = EncodeDate(2026, 12, day);
      t.record.fromAccount = 103;
      t.record.amountOut = t.record.amountIn = 10000;
      ASSERT_NE(db.AddTransaction(t), 0u);
    }
  }
  backupAt(household, 9);
  for (bool yes : {false, true}) {
    std::vector<std::string> released;
    QString asked;
    SetConfirmationHook([&](QWidget*, const QString& text, QMessageBox::StandardButtons) {
      asked = text;
      return yes ? QMessageBox::Yes : QMessageBox::No;
    });
    TFormDBManager manager;
    manager.SetReleaseFile([&](const std::string& path) { released.push_back(path); });
    CDataBase db;
    OnModal([&](QWidget* w) {
      auto* list = Find<QTreeWidget>(w, "LVBackups");
      auto* restore = Find<QPushButton>(w, "BtRestore");
      ASSERT_EQ(list->topLevelItemCount(), 2);  // household's, not travel's
      EXPECT_FALSE(restore->isEnabled());
      EXPECT_TRUE(QTest::qWaitFor([&] { return list->topLevelItem(1)->text(2) == "0"; }, 5000));
      EXPECT_EQ(list->topLevelItem(0)->text(2), "9");
      EXPECT_EQ(list->topLevelItem(0)->text(3), ShortDateText(EncodeDate(2026, 12, 9)));
      EXPECT_TRUE(list->topLevelItem(1)->text(3).isEmpty());
      list->setCurrentItem(list->topLevelItem(1));
      EXPECT_TRUE(restore->isEnabled());
      if (const QByteArray preview = qgetenv("PARDOW_PREVIEW_DIR"); !preview.isEmpty() && !yes)
        w->grab().save(QString::fromUtf8(preview) + "/db-manager-backups.png");
      Click(restore);
      if (w->isVisible()) Click(Find<QPushButton>(w, "BtClose"));
    });
    EXPECT_EQ(manager.Execute(&db), yes ? "..\\household.vlt" : "");
    EXPECT_TRUE(asked.contains("household.vlt")) << asked.toStdString();
    EXPECT_EQ(released, yes ? std::vector<std::string>{household} : std::vector<std::string>{});
    EXPECT_EQ(ListBackups(backups, household).size(), yes ? 3u : 2u);
    EXPECT_EQ(ScanBackupCounts(household).transactions, yes ? 0u : 9u);
  }
  EXPECT_TRUE(messages.texts.empty());
}

// The database settings window on a database protected with "old".
class DBSettings : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(base.db.SetPassword("old")); }
  // Shows the window, sets its controls and presses OK; answers what the
  // window answered and whether it was still open after OK.
  bool Run(bool enabled, const QString& password, const QString& confirm, bool* stayedOpen) {
    TFormDBSettings window;
    OnModal([&](QWidget* w) {
      auto* check = Find<QCheckBox>(w, "CBPasswordEnable");
      EXPECT_TRUE(check->isChecked());  // protected
      if (check->isChecked() != enabled) Click(check);
      EXPECT_EQ(Find<QLineEdit>(w, "EdPassword")->isEnabled(), enabled);
      Find<QLineEdit>(w, "EdPassword")->setText(password);
      Find<QLineEdit>(w, "EdConfirm")->setText(confirm);
      Click(Find<QPushButton>(w, "BtOK"));
      *stayedOpen = w->isVisible();
      if (*stayedOpen) Click(Find<QPushButton>(w, "BtCancel"));
    });
    return window.Execute(base.db);
  }
  CTestBase base;
  CMessages messages;
};

// Another program's books: the window shows what comes over, refuses a name
// in use, stores the new database and shows its balances beside the source's.
TEST_F(DBManager, ConvertWindowShowsTheBookAndStoresItWithEqualBalances) {
  const CForeignRead read = ReadQif(
      "!Account\nNChecking\nTBank\n^\n!Type:Bank\nD2026-01-05\nT-4,50\nPBakery\nLFood\n^\n"
      "D2026-01-06\nT1.000,00\nPEmployer\nLSalary\n^\n!Type:Invst\nD2026-01-02\n^\n");
  ASSERT_TRUE(read.ok) << read.ErrorText();
  MakeBase("books.vlt");
  TFormConvert window;
  OnModalOf<TFormConvert>([&](TFormConvert& w) {
    EXPECT_EQ(Find<QLabel>(&w, "LbSummary")->text(),
              "From books.qif (QIF): 1 account, 2 categories, 2 transactions.");
    EXPECT_TRUE(Find<QLabel>(&w, "LbNotImported")->text().contains("Type:Invst"));
    auto* grid = Find<QTableWidget>(&w, "AccountsGrid");
    EXPECT_EQ(grid->item(0, 2)->text(), "995.50");
    EXPECT_EQ(Find<QLineEdit>(&w, "EdFileName")->text(), "books.vlt");
    Click(Find<QPushButton>(&w, "BtCreate"));  // the name is in use
    ASSERT_EQ(messages.texts.size(), 1u);
    TypeInto(Find<QLineEdit>(&w, "EdFileName"), "moved");
    Click(Find<QPushButton>(&w, "BtCreate"));
    EXPECT_EQ(grid->item(0, 3)->text(), "995.50");
    EXPECT_TRUE(Find<QLabel>(&w, "LbResult")->text().startsWith("Every account's balance"));
    Click(Find<QPushButton>(&w, "BtCancel"));  // now Open
  });
  EXPECT_EQ(window.Execute(read.book, "/somewhere/books.qif", dataFolder),
            dataFolder + "moved.vlt");
  EXPECT_TRUE(FileExists(dataFolder + "moved.vlt"));
}

TEST_F(DBSettings, UncheckingEnabledRemovesThePasswordWhateverTheBoxesHold) {
  bool stayedOpen = true;
  EXPECT_TRUE(Run(false, "one", "two", &stayedOpen));
  EXPECT_FALSE(stayedOpen);
  EXPECT_EQ(base.db.GetPassword(), "");
}

TEST_F(DBSettings, DifferentBoxesShowTheMismatchAndKeepTheOldPassword) {
  bool stayedOpen = false;
  EXPECT_FALSE(Run(true, "new", "New", &stayedOpen));
  EXPECT_TRUE(stayedOpen);
  EXPECT_EQ(messages.texts, std::vector<std::string>{"Password and Confirm not equal!"});
  EXPECT_EQ(base.db.GetPassword(), "old");
}

// Types `text` into the next password prompt and presses `button`; `next`
// is scheduled before, so that it acts on the prompt's next showing.
void Answer(const char* text, const char* button, std::function<void()> next = {}) {
  OnModalOf<TFormPasswordCheck>([=](TFormPasswordCheck& w) {
    if (next) next();
    TypeInto(Find<QLineEdit>(&w, "EdPassword"), text);
    Click(Find<QPushButton>(&w, button));
  });
}

TEST(PasswordCheck, RefusesAWrongAnswerAndLetsTheRightOneIn) {
  CTestBase base;
  CMessages messages;
  base.db.SetPassword("secret");
  Answer("Secret", "BtOk", [] { Answer("secret", "BtOk"); });
  EXPECT_TRUE(TFormPasswordCheck::Unlock(nullptr, base.db, "Invalid password!"));
  EXPECT_EQ(messages.texts, std::vector<std::string>{"Invalid password!"});
  Answer("secret", "BtCancel");
  EXPECT_FALSE(TFormPasswordCheck::Unlock(nullptr, base.db, "Invalid password!"));
}

using ApplicationSettings = Folders;

TEST_F(ApplicationSettings, ListsTheLanguagesSelectsTheOneInUseAndKeepsAnUntouchedCount) {
  for (const char* name : {"english.txt", "german.txt"})
    std::filesystem::copy_file(std::string(PARDOW_LANG_DIR) + "/" + name, appData + "Lang/" + name);
  Settings::CSettingsStorage& settings = GetSettings();
  settings.SetLocaleFileName("Lang/german.txt");
  settings.SetMaximumQuickExpenses(17);
  TFormApplicationSettings window;
  OnModal([](QWidget* w) {
    auto* list = Find<QListWidget>(w, "LanguagesList");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "English");  // each language under its own name
    EXPECT_EQ(list->currentItem()->text(), "Deutsch");
    // The bar stands as near as it can; the label and the file keep 17.
    EXPECT_EQ(Find<QSlider>(w, "TBQuickExpenses")->value(), 3);
    EXPECT_EQ(Find<QLabel>(w, "LbQuickExpensesVal")->text(), "17");
    list->setCurrentRow(0);
    Click(Find<QPushButton>(w, "BtOk"));
  });
  EXPECT_TRUE(window.Execute());
  EXPECT_EQ(settings.GetMaximumQuickExpenses(0), 17);
  OnModal([](QWidget* w) {
    Find<QSlider>(w, "TBQuickExpenses")->setValue(4);
    EXPECT_EQ(Find<QLabel>(w, "LbQuickExpensesVal")->text(), "20");
    Click(Find<QPushButton>(w, "BtOk"));
  });
  EXPECT_TRUE(window.Execute());
  EXPECT_EQ(settings.GetMaximumQuickExpenses(0), 20);
  EXPECT_EQ(settings.GetLocaleFileName(""), "Lang/english.txt");
  OnModal([](QWidget* w) {
    auto* kept = Find<QSpinBox>(w, "SpBackupsKept");
    EXPECT_EQ(kept->value(), 20);
    EXPECT_EQ(Find<QSpinBox>(w, "SpBackupsSizeLimit")->value(), 2048);
    kept->setValue(5);
    if (const QByteArray preview = qgetenv("PARDOW_PREVIEW_DIR"); !preview.isEmpty())
      w->grab().save(QString::fromUtf8(preview) + "/application-settings.png");
    Click(Find<QPushButton>(w, "BtOk"));
  });
  EXPECT_TRUE(window.Execute());
  EXPECT_EQ(StoredBackupPolicy().keep, 5);
  EXPECT_EQ(StoredBackupPolicy().sizeLimit, 2048ull << 20);
}

TEST(About, ShowsTheTranslatorOfTheLanguageFile) {
  QTemporaryDir dir;
  const std::string file = dir.filePath("lang.txt").toStdString();
  std::ofstream(file) << "10003 = \"Jane Doe\"\n";
  InitLocalization(file);
  QString translator;
  {
    TAboutBox box("v1.62");
    translator = Find<QLabel>(&box, "LbTranslatorName")->text();
  }
  InitLocalization(PARDOW_SOURCE_DIR "/resources/Lang/english.txt");
  TAboutBox english("v1.62");
  EXPECT_EQ(translator, "Jane Doe");
  EXPECT_EQ(Find<QLabel>(&english, "LbTranslatorName")->text(), "Pardow team");
  EXPECT_EQ(Find<QLabel>(&english, "ProductName")->text(), "Pardow v1.62");
}

// Every note on another program's books reads in every language: English as
// the command line prints it, the forms the language's plural rule asks for,
// and every argument the English text shows.
TEST(LanguageFile, GivesEveryNoteOnAnotherProgramsBooks) {
  std::vector<CForeignNoteText> texts = {ForeignNoteLineText()};
  for (int kind = 1; kind < static_cast<int>(EForeignNote::kCount); ++kind)
    texts.push_back(ForeignNoteText(static_cast<EForeignNote>(kind)));
  for (const std::string name :
       {"english.txt", "german.txt", "french.txt", "spanish.txt", "russian.txt"}) {
    Localization::CLocalizationKit kit(std::string(PARDOW_LANG_DIR) + "/" + name);
    const bool threeForms = kit.GetText(Localization::kPluralRuleId, "") == "one-few-many";
    for (const CForeignNoteText& t : texts) {
      const std::string english = t.english, text = kit.GetText(t.id, "");
      if (name == "english.txt") {
        EXPECT_EQ(text, english) << t.id;
      }
      const auto bars = [](const std::string& s) { return std::count(s.begin(), s.end(), '|'); };
      EXPECT_EQ(bars(text), bars(english) == 0 ? 0 : threeForms ? 2 : 1) << name << " " << t.id;
      for (const char* mark : {"%1", "%2", "%3"})
        EXPECT_EQ(text.find(mark) == std::string::npos, english.find(mark) == std::string::npos)
            << name << " " << t.id << " " << mark;
    }
  }
}

TEST(LanguageFile, DefinesEveryTextOfTheDatabaseAndSettingsWindows) {
  InitLocalization(PARDOW_SOURCE_DIR "/resources/Lang/english.txt");
  ASSERT_TRUE(GetLocalizationKit()->IsFileRead());
  {
    TFormDBManager manager;
    TFormDBSettings settings;
    TFormPasswordCheck prompt;
    TFormApplicationSettings application;
    TAboutBox about("v1.62");
  }
  const auto& missing = GetLocalizationKit()->GetMissingTexts();
  for (const auto& [id, text] : missing) ADD_FAILURE() << id << " = \"" << text << "\"";
}

}  // namespace

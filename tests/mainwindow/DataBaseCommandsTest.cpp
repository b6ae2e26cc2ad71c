// The main window's database manager, password prompt, settings, help and
// update reminder, driven through its menus and buttons.
#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QToolButton>
#include <functional>

#include "DialogKit.h"
#include "Include.h"
#include "MainWindowFixture.h"
#include "Settingsstorage.h"
#include "Unitapplicationsettings.h"
#include "Unitdbmanager.h"
#include "Unitpasswordcheck.h"
#include "WebPages.h"

namespace {

class DataBaseCommands : public MainWindow {
 protected:
  void TearDown() override {
    SetConfirmationHook({});
    SetWebPageHook({});
    MainWindow::TearDown();
  }
  // Types `text` into the next password prompt and presses `button`; `next`
  // is scheduled first, so that it acts on the prompt's next showing.
  void Answer(const char* text, const char* button, std::function<void()> next = {}) {
    OnModalOf<TFormPasswordCheck>([=, this](TFormPasswordCheck& w) {
      if (next) next();
      TypeInto(::Find<QLineEdit>(&w, "EdPassword"), text);
      Click(::Find<QPushButton>(&w, button));
      ++answers;
    });
  }
  void Protect(const std::string& path, const std::string& password) {
    CDataBase db;
    ASSERT_TRUE(db.Open(path));
    ASSERT_TRUE(db.SetPassword(password));
  }
  // Start, for a start that asks for a password `asked` times: the prompt,
  // not the main window, is the active window while the start-up runs.
  void StartAsked(TFormMain& form, int asked, const char* status) {
    form.show();
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return answers == asked && form.StatusText() == status; }, 5000))
        << "answers: " << answers << " status: " << form.StatusText().toStdString();
  }
  int answers = 0;  // password prompts answered
  // The controls that need an open database.
  std::vector<bool> DataBaseControlsEnabled(TFormMain& form) {
    std::vector<bool> enabled;
    for (const char* name : {"BtPrevMonth", "BtNextMonth", "BtCalendar", "BtAccountsDir",
                             "BtCurrencesDir", "BtTypesDir", "BtMenuDBSettings", "BtTypes"})
      enabled.push_back(Find<QToolButton>(form, name)->isEnabled());
    for (const char* name : {"BtNew", "BtFastExpence"})
      enabled.push_back(Find<QPushButton>(form, name)->isEnabled());
    for (const char* name : {"MnPrint", "MnDBSettings", "MnNew"})
      enabled.push_back(Find<QAction>(form, name)->isEnabled());
    return enabled;
  }
};

TEST_F(DataBaseCommands, ProtectedDatabaseAsksRefusesAWrongAnswerAndOpensWithTheRightOne) {
  MakeDemo(DataPath("demo2.vlt"));
  Protect(DataPath("demo2.vlt"), "secret");
  TFormMain form;
  Answer("Secret", "BtOk", [this] { Answer("secret", "BtOk"); });
  StartAsked(form, 2, "Ready");
  EXPECT_TRUE(form.IsDataBaseOpened());
  EXPECT_EQ(messages, std::vector<std::string>{"Invalid password!"});
}

TEST_F(DataBaseCommands, CancelledPasswordLeavesNoDatabaseOpenWithoutAnError) {
  MakeDemo(DataPath("demo2.vlt"));
  Protect(DataPath("demo2.vlt"), "secret");
  TFormMain form;
  Answer("", "BtCancel");
  StartAsked(form, 1, "No file opened");
  EXPECT_FALSE(form.IsDataBaseOpened());
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(DataBaseControlsEnabled(form), std::vector<bool>(13, false));
}

TEST_F(DataBaseCommands, ManagerOpensTheChosenFileAndCancellingItLeavesEveryControlDisabled) {
  MakeDemo(DataPath("demo2.vlt"));
  MakeDemo(DataPath("second.vlt"));
  TFormMain form;
  Start(form);
  ASSERT_EQ(DataBaseControlsEnabled(form), std::vector<bool>(13, true));
  OnModalOf<TFormDBManager>([](TFormDBManager& w) {
    ::Find<QListWidget>(&w, "LBFiles")->setCurrentRow(1);  // second.vlt
    Click(::Find<QPushButton>(&w, "BtOpen"));
  });
  Find<QAction>(form, "MnDBManager")->trigger();
  EXPECT_EQ(form.DataBase().GetFileName(), DataPath("second.vlt"));
  EXPECT_EQ(GetSettings().GetLastOpened(""), "..\\second.vlt");

  OnModalOf<TFormDBManager>([](TFormDBManager& w) { Click(::Find<QPushButton>(&w, "BtClose")); });
  Find<QAction>(form, "MnDBManager")->trigger();
  EXPECT_FALSE(form.IsDataBaseOpened());
  EXPECT_EQ(form.StatusText(), "No file opened");
  EXPECT_EQ(DataBaseControlsEnabled(form), std::vector<bool>(13, false));
  EXPECT_TRUE(messages.empty());
}

TEST_F(DataBaseCommands, AStartThatFindsNoLastDatabaseOpensTheManagerAfterTheMessage) {
  MakeDemo(DataPath("second.vlt"));  // the default demo2.vlt is missing
  TFormMain form;
  std::vector<std::string> messagesBefore;
  OnModalOf<TFormDBManager>([&](TFormDBManager& w) {
    messagesBefore = messages;
    ::Find<QListWidget>(&w, "LBFiles")->setCurrentRow(0);  // second.vlt
    Click(::Find<QPushButton>(&w, "BtOpen"));
  });
  form.show();
  EXPECT_TRUE(QTest::qWaitFor([&] { return form.StatusText() == "Ready"; }, 5000));
  EXPECT_EQ(messagesBefore, std::vector<std::string>{"Can't open file: " + DataPath("demo2.vlt")});
  EXPECT_EQ(form.DataBase().GetFileName(), DataPath("second.vlt"));
}

TEST_F(DataBaseCommands, SettingsApplyTheLanguageAtOnceWithOrWithoutADatabase) {
  std::filesystem::copy_file(PARDOW_LANG_DIR "/german.txt", appData + "/Lang/german.txt");
  for (const bool withDatabase : {false, true}) {
    if (withDatabase) MakeDemo(DataPath("demo2.vlt"));
    GetSettings().SetLocaleFileName("Lang/english.txt");
    TFormMain form;
    Start(form, withDatabase ? "Ready" : "No file opened");
    OnModalOf<TFormApplicationSettings>([](TFormApplicationSettings& w) {
      auto* list = ::Find<QListWidget>(&w, "LanguagesList");
      list->setCurrentItem(list->findItems("Deutsch", Qt::MatchExactly).value(0));
      Click(::Find<QPushButton>(&w, "BtOk"));
    });
    Click(Find<QToolButton>(form, "BtSettings"));
    EXPECT_EQ(Find<QMenu>(form, "MnFile")->title(), "&Datei");
    EXPECT_EQ(Find<QToolButton>(form, "BtSettings")->text(), "Einstellungen");
    EXPECT_EQ(GetSettings().GetLocaleFileName(""), "Lang/german.txt");
    // The tabs and the dates speak the chosen language too.
    EXPECT_EQ(Find<QTabBar>(form, "TransactionsTab")->tabText(1), "Planer");
    EXPECT_EQ(QLocale().language(), QLocale::German);
    EXPECT_EQ(QLocale().standaloneMonthName(3), "März");
    // The trees' top nodes are built again in the new language.
    if (withDatabase) {
      EXPECT_EQ(form.FundsTreeNodes()->Incomes()->displayName, "Einnahmen");
    }
  }
}

TEST_F(DataBaseCommands, ReminderAsksOnceAndStoresTheDayWhateverTheAnswer) {
  SetClock(EncodeDate(2026, 1, 10) + 0.5);
  std::vector<QString> questions;
  SetConfirmationHook([&](QWidget*, const QString& text, QMessageBox::StandardButtons) {
    questions.push_back(text);
    return QMessageBox::No;
  });
  bool opened = false;
  SetWebPageHook([&](const QUrl&) { return opened = true; });
  {
    TFormMain form;
    Start(form, "No file opened");
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0], "Check for New Version? (Internet connection required)");
    EXPECT_EQ(GetSettings().GetLastUpdatesCheck(), EncodeDate(2026, 1, 10));
    EXPECT_FALSE(opened);
  }
  SetClock(EncodeDate(2026, 1, 17) + 0.5);  // seven days later: not again
  TFormMain form;
  Start(form, "No file opened");
  EXPECT_EQ(questions.size(), 1u);
}

}  // namespace

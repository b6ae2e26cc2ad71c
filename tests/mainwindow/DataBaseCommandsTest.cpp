// The main window's database manager, password prompt, settings, help and
// update reminder, driven through its menus and buttons.
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QToolButton>
#include <algorithm>
#include <functional>

#include "ApplicationLogic.h"
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
  void SetUp() override {
    MainWindow::SetUp();
    builtHome = HomePageUrl();
    builtMaker = MakerPageUrl();
    builtUpdates = UpdatesPageUrl("");
    if (!builtUpdates.empty()) builtUpdates.resize(builtUpdates.size() - 5);  // ".html"
  }
  void TearDown() override {
    SetConfirmationHook({});
    SetWebPageHook({});
    SetWebAddresses(builtHome, builtMaker, builtUpdates);
    MainWindow::TearDown();
  }
  std::string builtHome, builtMaker, builtUpdates;  // the addresses of this build
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

TEST_F(DataBaseCommands, ManagerClosesTheOpenDatabaseOnlyForAnotherOneOrToDeleteIt) {
  struct Case {
    const char* name;
    std::function<void(TFormDBManager&)> act;
    std::string open;  // the file open afterwards, "" for none
  } cases[] = {
      {"closed unused", [](TFormDBManager& w) { Click(::Find<QPushButton>(&w, "BtClose")); },
       DataPath("demo2.vlt")},
      {"another chosen",
       [](TFormDBManager& w) {
         ::Find<QListWidget>(&w, "LBFiles")->setCurrentRow(1);  // second.vlt
         Click(::Find<QPushButton>(&w, "BtOpen"));
       },
       DataPath("second.vlt")},
      {"the open file deleted",
       [](TFormDBManager& w) {
         ::Find<QListWidget>(&w, "LBFiles")->setCurrentRow(0);  // demo2.vlt
         Click(::Find<QPushButton>(&w, "BtDel"));
         Click(::Find<QPushButton>(&w, "BtClose"));
       },
       ""},
  };
  SetConfirmationHook(
      [](QWidget*, const QString&, QMessageBox::StandardButtons) { return QMessageBox::Yes; });
  for (const Case& c : cases) {
    MakeDemo(DataPath("demo2.vlt"));
    MakeDemo(DataPath("second.vlt"));
    TFormMain form;
    GetSettings().SetLastOpened("..\\demo2.vlt");
    Start(form);
    ASSERT_EQ(DataBaseControlsEnabled(form), std::vector<bool>(13, true));
    const QString total = Find<QLabel>(form, "LbBalanceValue")->text();
    bool openWhileShown = false;
    OnModalOf<TFormDBManager>([&](TFormDBManager& w) {
      openWhileShown = form.IsDataBaseOpened();
      c.act(w);
    });
    Find<QAction>(form, "MnDBManager")->trigger();
    EXPECT_TRUE(openWhileShown) << c.name;
    const bool open = !c.open.empty();
    ASSERT_EQ(form.IsDataBaseOpened(), open) << c.name;
    if (open) {
      EXPECT_EQ(form.DataBase().GetFileName(), c.open) << c.name;
      EXPECT_EQ(Find<QLabel>(form, "LbBalanceValue")->text(), total) << c.name;
    }
    EXPECT_EQ(form.StatusText(), open ? "Ready" : "No file opened") << c.name;
    EXPECT_EQ(DataBaseControlsEnabled(form), std::vector<bool>(13, open)) << c.name;
    EXPECT_EQ(Find<QPushButton>(form, "BtExchangeRate")->isEnabled(), open) << c.name;
    if (!open) {
      EXPECT_TRUE(Find<QLabel>(form, "LbBalanceValue")->text().isEmpty()) << c.name;
      EXPECT_FALSE(FileExists(DataPath("demo2.vlt"))) << c.name;
    }
    EXPECT_TRUE(messages.empty()) << c.name << ": " << (messages.empty() ? "" : messages[0]);
  }
}

TEST_F(DataBaseCommands, AFileThatCannotBeReopenedSaysWhyAndMayLeaveTheList) {
  CDataBase other;  // another Pardow holding a file open
  struct Case {
    const char* name;
    std::function<void(const std::string&)> spoil;
    const char* reason;
    bool offered;  // taking it out of the Reopen list is offered (and accepted)
  } cases[] = {
      {"deleted", [](const std::string& path) { std::filesystem::remove(path); },
       "The file does not exist", true},
      {"held by another Pardow",
       [&other](const std::string& path) { ASSERT_TRUE(other.Open(path)); },
       "open in another Pardow", false},
  };
  MakeDemo(DataPath("demo2.vlt"));
  TFormMain form;
  Start(form);
  for (const Case& c : cases) {
    const std::string path = DataPath(std::string(c.name) + ".vlt");
    MakeDemo(path);
    form.OpenDataBase(path);
    form.OpenDataBase(DataPath("demo2.vlt"));
    c.spoil(path);
    std::vector<std::string> questions;
    SetConfirmationHook([&](QWidget*, const QString& text, QMessageBox::StandardButtons) {
      questions.push_back(text.toStdString());
      return QMessageBox::Yes;
    });
    messages.clear();
    QMenu* reopen = Find<QMenu>(form, "MnReopen");
    ASSERT_EQ(reopen->actions().value(1)->data().toString().toStdString(), path) << c.name;
    reopen->actions()[1]->trigger();
    EXPECT_EQ(form.DataBase().GetFileName(), DataPath("demo2.vlt")) << c.name << ": kept open";
    EXPECT_EQ(form.StatusText(), "Ready") << c.name;
    const std::vector<std::string>& told = c.offered ? questions : messages;
    ASSERT_EQ(told.size(), 1u) << c.name;
    EXPECT_EQ(told[0].rfind("Can't open file: " + path + "\n", 0), 0u) << told[0];
    EXPECT_NE(told[0].find(c.reason), std::string::npos) << told[0];
    EXPECT_EQ(c.offered ? messages.size() : questions.size(), 0u) << c.name;
    const std::vector<std::string> list = GetSettings().GetReopenList();
    EXPECT_EQ(std::find(list.begin(), list.end(), path) != list.end(), !c.offered) << c.name;
    form.OpenDataBase(DataPath("demo2.vlt"));
  }
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
  ASSERT_EQ(messagesBefore.size(), 1u);
  EXPECT_EQ(messagesBefore[0], "Can't open file: " + DataPath("demo2.vlt") +
                                   "\nThe file does not exist: it was deleted, moved or renamed, "
                                   "or its drive is not connected.");
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
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), "&Ja");  // Qt's own words
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
  SetWebAddresses("https://pardow.test/", "", "https://pardow.test/updates/");
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

TEST_F(DataBaseCommands, WebCommandsNeedAHomePageAndSayWhenNoBrowserOpensIt) {
  SetClock(EncodeDate(2026, 1, 10) + 0.5);
  struct Case {
    const char* home;
    bool browser;  // a browser opens the page
    bool shown;    // the web commands are in the Help menu, the reminder asks
  } cases[] = {
      {"", true, false},
      {"https://pardow.test/", true, true},
      {"https://pardow.test/", false, true},
  };
  for (const Case& c : cases) {
    SetWebAddresses(c.home, "", c.home[0] ? std::string(c.home) + "updates/" : "");
    int questions = 0;
    SetConfirmationHook([&](QWidget*, const QString&, QMessageBox::StandardButtons) {
      ++questions;
      return QMessageBox::Yes;
    });
    std::vector<QUrl> pages;
    SetWebPageHook([&](const QUrl& url) {
      pages.push_back(url);
      return c.browser;
    });
    TFormMain form;
    GetSettings().SetLastUpdatesCheck(0);
    Start(form, "No file opened");
    EXPECT_EQ(questions, c.shown ? 1 : 0) << c.home;
    EXPECT_EQ(Find<QAction>(form, "MnHomePage")->isVisible(), c.shown) << c.home;
    EXPECT_EQ(Find<QAction>(form, "MnCheckVersion")->isVisible(), c.shown) << c.home;
    Find<QAction>(form, "MnCheckVersion")->trigger();
    EXPECT_EQ(pages.size(), c.shown ? 2u : 0u) << c.home;
    if (c.shown) {
      EXPECT_EQ(pages.back().toString(), "https://pardow.test/updates/v1.62.html");
    }
    // Each page that no browser opened was reported (the start's own
    // message about the missing database aside).
    const auto failures = std::count_if(messages.begin(), messages.end(), [](const auto& m) {
      return m.find("No web browser could open it.") != std::string::npos;
    });
    EXPECT_EQ(failures, c.shown && !c.browser ? 2 : 0) << c.home;
  }
}

}  // namespace

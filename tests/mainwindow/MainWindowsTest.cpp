// The commands that open the currencies, rate, accounts, calendar and import
// windows, each checked by what the main window shows afterwards.
#include <QAction>
#include <QCalendarWidget>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBrowser>
#include <QToolButton>

#include "DialogKit.h"
#include "MainWindowFixture.h"

namespace {

class WindowCommands : public MainWindow {
 protected:
  void SetUp() override {
    MainWindow::SetUp();
    MakeDemo(DataPath("demo2.vlt"));
    form = std::make_unique<TFormMain>();
    Start(*form);
  }
  void TearDown() override {
    form.reset();
    MainWindow::TearDown();
  }
  // The row of currency `id` in the windows' lists (sorted by full name).
  int CurrencyRow(std::uint32_t id) {
    const TCurrencyItems& items = form->DataBase().GetCurrencyItems();
    for (std::size_t i = 0; i < items.size(); ++i)
      if (items[i].id == id) return static_cast<int>(i);
    return -1;
  }
  QString Total() { return Find<QLabel>(*form, "LbBalanceValue")->text(); }
  int Rows(const char* list) { return Find<QListWidget>(*form, list)->count(); }

  std::unique_ptr<TFormMain> form;
};

}  // namespace

// Cash holds 70 $, the euro card -40 € at 2 $ a euro: -10 $ in all.
TEST_F(WindowCommands, ANewRateAndANewCurrencyShowAtOnce) {
  ASSERT_EQ(Total(), "-10.00 $");
  OnModal([&](QWidget* w) {
    ::Find<QListWidget>(w, "CurrenciesList1")->setCurrentRow(CurrencyRow(102));
    ::Find<QListWidget>(w, "CurrenciesList2")->setCurrentRow(CurrencyRow(101));
    TypeInto(::Find<QLineEdit>(w, "EdRateValue"), "3");
    Click(::Find<QPushButton>(w, "BtExit"));
  });
  Find<QPushButton>(*form, "BtExchangeRate")->click();
  EXPECT_EQ(Total(), "-50.00 $");

  const int currencies = Rows("CurrenciesList");
  OnModal([&](QWidget* list) {
    OnModal(
        [](QWidget* editor) {
          TypeInto(::Find<QLineEdit>(editor, "EdFullName"), "Krone");
          TypeInto(::Find<QLineEdit>(editor, "EdName"), "kr");
          Click(::Find<QPushButton>(editor, "BtOk"));
        },
        list);
    Click(::Find<QPushButton>(list, "BtAdd"));
    Click(::Find<QPushButton>(list, "BtExit"));
  });
  Find<QToolButton>(*form, "BtCurrencesDir")->click();
  EXPECT_EQ(Rows("CurrenciesList"), currencies + 1);
  EXPECT_EQ(Total(), "-50.00 $");
}

TEST_F(WindowCommands, AccountsAddedOrEditedShowInTheCardsAndTheTotal) {
  const int accounts = Rows("AccountsList");
  OnModal([&](QWidget* list) {
    OnModal(
        [&](QWidget* editor) {
          TypeInto(::Find<QLineEdit>(editor, "EdName"), "Wallet");
          ::Find<QComboBox>(editor, "CBCurrency")->setCurrentIndex(CurrencyRow(101));
          Click(::Find<QPushButton>(editor, "BtOk"));
        },
        list);
    Click(::Find<QPushButton>(list, "BtAdd"));
    Click(::Find<QPushButton>(list, "BtExit"));
  });
  Find<QToolButton>(*form, "BtAccountsDir")->click();
  EXPECT_EQ(Rows("AccountsList"), accounts + 1);

  // The euro card in dollars: -40 $ instead of -80 $.
  QListWidget* cards = Find<QListWidget>(*form, "AccountsList");
  const TAccountItems& items = form->DataBase().GetAccountItems();
  for (std::size_t i = 0; i < items.size(); ++i)
    if (items[i].id == euroAccount) cards->setCurrentRow(static_cast<int>(i));
  OnModal([&](QWidget* editor) {
    ::Find<QComboBox>(editor, "CBCurrency")->setCurrentIndex(CurrencyRow(101));
    Click(::Find<QPushButton>(editor, "BtOk"));
  });
  emit cards->itemDoubleClicked(cards->currentItem());
  EXPECT_EQ(Total(), "30.00 $");
}

TEST_F(WindowCommands, APickedPeriodBecomesTheWorkingInterval) {
  OnModal([](QWidget* w) {
    ::Find<QCalendarWidget>(w, "CalendarBegin")->setSelectedDate(QDate(2006, 9, 11));
    ::Find<QCalendarWidget>(w, "CalendarEnd")->setSelectedDate(QDate(2006, 9, 24));
    Click(::Find<QPushButton>(w, "BtOk"));
  });
  Find<QToolButton>(*form, "BtCalendar")->click();
  EXPECT_EQ(form->DataBase().GetIntervalBegin(), EncodeDate(2006, 9, 11));
  EXPECT_EQ(form->DataBase().GetIntervalEnd(), EncodeDate(2006, 9, 24));
  EXPECT_EQ(Find<QLabel>(*form, "LbCurrentDate")->text(), "9/11/2006 - 9/24/2006");
  EXPECT_EQ(form->FundsTreeNodes()->Expenses()->sum, 0);  // all fell on 10 September
}

TEST_F(WindowCommands, HelpShowsTheShippedGuideInAWindowOfItsOwn) {
  std::filesystem::create_directories(appData + "/docs");
  std::filesystem::copy_file(PARDOW_SOURCE_DIR "/docs/guide.html", appData + "/docs/guide.html");
  Find<QAction>(*form, "MnOnlineHelp")->trigger();
  auto* guide = form->findChild<QTextBrowser*>("GuideBrowser");
  ASSERT_NE(guide, nullptr);
  EXPECT_EQ(guide->documentTitle(), "Pardow user guide");
  EXPECT_TRUE(guide->window()->isVisible());
  EXPECT_TRUE(messages.empty());
}

// Cash holds 70 $, the euro card -40 €: a statement of -5 € and +20 € into
// the euro card makes the total 20 $; undoing the import brings back -10 $,
// or -22 $ when the film, changed to 6 € after the import, is kept.
TEST_F(WindowCommands, AnImportShowsAtOnceAndUndoImportRemovesIt) {
  const std::string csv = dir.path().toStdString() + "/bank.csv";
  {
    QFile file(QString::fromStdString(csv));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Datum;Text;Betrag\r\n05.09.2006;Kino;-5,00\r\n06.09.2006;\"Geschenk\";20,00\r\n");
  }
  std::vector<QString> asked;
  SetConfirmationHook([&](QWidget*, const QString& text, QMessageBox::StandardButtons) {
    asked.push_back(text);
    return QMessageBox::Yes;
  });
  auto* undo = Find<QAction>(*form, "MnUndoImport");
  EXPECT_FALSE(undo->isEnabled());
  OnModal([&](QWidget* w) {
    TypeInto(::Find<QLineEdit>(w, "EdFileName"), QString::fromStdString(csv));
    Click(::Find<QRadioButton>(w, "RbAuto"));
    OnModal([](QWidget* review) { Click(::Find<QPushButton>(review, "BtOk")); }, w);
    Click(::Find<QPushButton>(w, "BtImport"));
  });
  Find<QToolButton>(*form, "BtImport")->click();
  EXPECT_EQ(Total(), "20.00 $");
  EXPECT_TRUE(undo->isEnabled());
  EXPECT_EQ(undo->text(), "Undo &import of bank.csv");

  // What undo asks, and keeps, with and without the film changed since.
  CDataBase& db = form->DataBase();
  for (bool changed : {false, true}) {
    SCOPED_TRACE(changed);
    asked.clear();
    std::uint32_t film = 0;
    for (auto [id, entry] : db.Transactions())
      if (db.GetString(entry->record.descriptionId) == "Kino") film = id;
    ASSERT_NE(film, 0u);
    if (changed) {
      CTransactionItem t;
      db.GetTransaction(film, t);
      t.record.amountOut = t.record.amountIn = M(6);
      ASSERT_EQ(db.EditTransaction(t), 1);
    }
    undo->trigger();
    EXPECT_EQ(Total(), changed ? "-22.00 $" : "-10.00 $");
    EXPECT_FALSE(undo->isEnabled());
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].startsWith("Undo the import of bank.csv? Its 2 transactions"));
    EXPECT_EQ(asked[0].contains("1 of the 2 transactions was changed after the import."), changed);
    if (!changed) {
      // The same import again, to be changed and undone once more.
      OnModal([&](QWidget* w) {
        TypeInto(::Find<QLineEdit>(w, "EdFileName"), QString::fromStdString(csv));
        OnModal([](QWidget* review) { Click(::Find<QPushButton>(review, "BtOk")); }, w);
        Click(::Find<QPushButton>(w, "BtImport"));
      });
      Find<QToolButton>(*form, "BtImport")->click();
      EXPECT_EQ(Total(), "20.00 $");
    }
  }
  EXPECT_TRUE(messages.empty());
  SetConfirmationHook({});
}

TEST_F(WindowCommands, ListsAndToolsMenusOpenWhatTheToolBarOpens) {
  const std::pair<const char*, const char*> items[] = {{"MnCurrences", "TFormCurrences"},
                                                       {"MnAccounts", "TFormAccounts"},
                                                       {"MnTypes", "TFormTypes"},
                                                       {"MnMembers", "TFormTypes"},
                                                       {"MnSections", "TFormTypes"},
                                                       {"MnReports", "TFormReports"},
                                                       {"MnSettings", "TFormApplicationSettings"}};
  for (auto [name, window] : items) {
    QAction* item = Find<QAction>(*form, name);
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->text().contains('&')) << name;
    EXPECT_FALSE(item->icon().isNull()) << name;
    std::string opened;
    OnModal([&](QWidget* w) {
      opened = w->metaObject()->className();
      w->close();
    });
    item->trigger();
    EXPECT_EQ(opened, window) << name;
  }
  QAction* quick = Find<QAction>(*form, "MnFastExpence");
  EXPECT_TRUE(quick->isEnabled());
  EXPECT_FALSE(quick->icon().isNull());
}

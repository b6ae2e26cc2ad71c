// The main window driven as a person would: first start, opening, the panes,
// month navigation, enabling, and the state kept between runs.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <filesystem>
#include <set>
#include <tuple>
#include <utility>

#include "EngineTestUtil.h"
#include "Include.h"
#include "Localizationkit.h"
#include "MainWindowFixture.h"
#include "Mainlogic.h"
#include "Platform.h"
#include "Qtexts.h"
#include "Settingsstorage.h"
#include "Unitmain.h"

TEST_F(MainWindow, FirstStartLooksForTheDemoInTheDataFolder) {
  TFormMain form;
  EXPECT_EQ(form.pos(), QPoint(100, 100));
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  const TWindowSize initial = DefaultWindowSize(screen.width(), screen.height());
  EXPECT_EQ(form.size(), QSize(initial.width, initial.height));
  EXPECT_EQ(form.windowTitle(), "Pardow v1.62");
  Start(form, "No file opened");
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].rfind("Can't open file: " + DataPath("demo2.vlt") + "\n", 0), 0u)
      << messages[0];
  EXPECT_EQ(form.StatusText(), "No file opened");
  EXPECT_FALSE(Find<QPushButton>(form, "BtNew")->isEnabled());
  EXPECT_FALSE(Find<QToolButton>(form, "BtPrevMonth")->isEnabled());
  EXPECT_TRUE(Find<QLabel>(form, "LbCurrentDate")->text().isEmpty());
  EXPECT_EQ(GetSettings().GetString("LastOpened", ""), "..\\demo2.vlt") << "stays relative";
  EXPECT_EQ(GetSettings().GetReopenList(), std::vector<std::string>{DataPath("demo2.vlt")});
  QMenu* reopen = Find<QMenu>(form, "MnReopen");
  ASSERT_EQ(reopen->actions().size(), 1);
  EXPECT_EQ(reopen->actions()[0]->objectName(), "OpenLast_0");
  // Every text the window asks for is in the language file.
  ASSERT_NE(GetLocalizationKit(), nullptr);
  EXPECT_TRUE(GetLocalizationKit()->GetMissingTexts().empty());
}

TEST_F(MainWindow, OpensTheDemoWithItsSelectionIntervalAndTotals) {
  MakeDemo(DataPath("demo2.vlt"));
  TFormMain form;
  Start(form);
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(form.StatusText(), "Ready");
  EXPECT_EQ(Find<QLabel>(form, "LbCurrentDate")->text(), "September, 2006");
  EXPECT_TRUE(Find<QPushButton>(form, "BtNew")->isEnabled());
  QListWidget* accounts = Find<QListWidget>(form, "AccountsList");
  EXPECT_EQ(accounts->count(), 2);
  EXPECT_EQ(accounts->currentRow(), 1) << "the selection stored in the file";
  // The trees show the Euro card: income 10, expense 50.
  CTransactionsTree* tree = form.FundsTreeNodes();
  EXPECT_EQ(tree->Incomes()->sum, M(10));
  EXPECT_EQ(tree->Expenses()->sum, M(50));
  // Summary: 70 dollars + (-40 euros at 2 dollars) = -10 dollars, in red.
  QLabel* balance = Find<QLabel>(form, "LbBalanceValue");
  EXPECT_EQ(balance->text(), "-10.00 $");
  EXPECT_TRUE(balance->styleSheet().contains("204, 0, 0"));

  // Clicking the other account rebuilds from scratch: new screen items.
  QTreeWidgetItem* before = tree->Expenses()->item;
  accounts->setCurrentRow(0);
  form.AccountsListClick();
  EXPECT_NE(tree->Expenses()->item, before);
  EXPECT_EQ(tree->Expenses()->sum, M(30));
  EXPECT_EQ(form.DataBase().GetSelectedAccount(), 0);
  before = tree->Expenses()->item;
  form.AccountsListClick();  // the same row again: nothing happens
  EXPECT_EQ(tree->Expenses()->item, before);

  // The Summary page builds in the base currency; another currency row
  // rebuilds incrementally, keeping the items.
  Find<QTabWidget>(form, "AccountsPageControl")->setCurrentIndex(1);
  EXPECT_EQ(tree->Expenses()->sum, M(30 + 100)) << "50 euros are 100 dollars";
  before = tree->Expenses()->item;
  QListWidget* currencies = Find<QListWidget>(form, "CurrenciesList");
  ASSERT_EQ(currencies->count(), 2);
  currencies->setCurrentRow(1);  // Euro
  form.CurrenciesListClick();
  EXPECT_EQ(tree->Expenses()->item, before);
  EXPECT_EQ(tree->Expenses()->sum, M(15 + 50));
  // Set PARDOW_PREVIEW_DIR to keep pictures of both pages and of the Scheduler tab.
  if (const QByteArray preview = qgetenv("PARDOW_PREVIEW_DIR"); !preview.isEmpty()) {
    ExpandAllRows(form.findChild<QTreeWidget*>("FundsTree"));
    form.grab().save(QString::fromUtf8(preview) + "/main-summary.png");
    Find<QTabWidget>(form, "AccountsPageControl")->setCurrentIndex(0);
    form.grab().save(QString::fromUtf8(preview) + "/main-accounts.png");
  }
  EXPECT_EQ(balance->text(), QString::fromUtf8("-5.00 ") + StoredToQString("\x88"));
}

TEST_F(MainWindow, MonthButtonsMoveTheInterval) {
  MakeDemo(DataPath("demo2.vlt"));
  TFormMain form;
  Start(form);
  form.BtNextMonthClick();
  EXPECT_EQ(Find<QLabel>(form, "LbCurrentDate")->text(), "October, 2006");
  EXPECT_EQ(form.DataBase().GetIntervalEnd(), EncodeDate(2006, 10, 31));
  EXPECT_EQ(form.FundsTreeNodes()->Expenses()->sum, 0);
  form.BtPrevMonthClick();
  form.BtPrevMonthClick();
  EXPECT_EQ(Find<QLabel>(form, "LbCurrentDate")->text(), "August, 2006");
  form.SetWorkingInterval(EncodeDate(2006, 9, 1), EncodeDate(2006, 9, 15), true);
  EXPECT_EQ(Find<QLabel>(form, "LbCurrentDate")->text(), "9/1/2006 - 9/15/2006");
  EXPECT_EQ(form.StatusText(), "Ready");
}

TEST_F(MainWindow, ClosingStoresGeometryAndColumnWidthsForTheNextStart) {
  MakeDemo(DataPath("demo2.vlt"));
  {
    TFormMain form;
    Start(form);
    form.move(140, 120);
    form.resize(900, 700);
    QTreeWidget* funds = Find<QTreeWidget>(form, "FundsTree");
    funds->header()->resizeSection(ColNotes, 123);
    EXPECT_EQ(Find<QTreeWidget>(form, "ShedulerTree")->header()->sectionSize(ColNotes), 123)
        << "both trees share their widths";
    Find<QSplitter>(form, "MainSplitter")->setSizes({300, 600});
    form.close();
  }
  TFormMain again;
  EXPECT_EQ(again.pos(), QPoint(140, 120));
  EXPECT_EQ(again.size(), QSize(900, 700));
  Start(again);
  EXPECT_EQ(Find<QSplitter>(again, "MainSplitter")->sizes().value(0), 300);
  EXPECT_EQ(Find<QTreeWidget>(again, "FundsTree")->header()->sectionSize(ColNotes), 123);
}

TEST_F(MainWindow, ControlsFollowTheOpenState) {
  MakeDemo(DataPath("demo2.vlt"));
  TFormMain form;
  Start(form);
  for (const char* name : {"BtPrevMonth", "BtNextMonth", "BtCalendar", "BtTypes"})
    EXPECT_TRUE(Find<QToolButton>(form, name)->isEnabled()) << name;
  EXPECT_TRUE(Find<QToolButton>(form, "BtTypes")->isChecked()) << "categories shown on tab 0";
  form.OpenDataBase("");
  for (const char* name : {"BtPrevMonth", "BtNextMonth", "BtCalendar", "BtTypes"})
    EXPECT_FALSE(Find<QToolButton>(form, name)->isEnabled()) << name;
  EXPECT_FALSE(Find<QToolButton>(form, "BtTypes")->isChecked());
  EXPECT_EQ(form.StatusText(), "No file opened");
  EXPECT_EQ(Find<QListWidget>(form, "AccountsList")->count(), 0);
  EXPECT_TRUE(form.FundsTreeNodes()->Root().children.empty());
}

TEST_F(MainWindow, EveryControlThatNeedsADatabaseWaitsForOne) {
  TFormMain form;
  Start(form, "No file opened");  // no database yet
  for (const char* name : {"BtCurrencesDir", "BtAccountsDir", "BtTypesDir", "BtMembersList",
                           "BtSectionsList", "BtExport", "BtImport", "BtReports"})
    EXPECT_FALSE(Find<QToolButton>(form, name)->isEnabled()) << name;
  for (const char* name : {"MnExport", "MnImport", "MnDBSettings"})
    EXPECT_FALSE(Find<QAction>(form, name)->isEnabled()) << name;
  EXPECT_TRUE(Find<QToolButton>(form, "BtSettings")->isEnabled());
  for (const char* name : {"MnDBManager", "MnAbout"})
    EXPECT_TRUE(Find<QAction>(form, name)->isEnabled()) << name;
}

// The tool bars show their icons at full size, 36 px on ToolBar1 and 22 px on
// ToolBar2: a button on a tool bar is drawn at the bar's icon size, whatever
// its own says.
TEST_F(MainWindow, ToolBarButtonsShowTheirIconsAtFullSize) {
  TFormMain form;
  Start(form, "No file opened");
  for (auto [name, size] : {std::pair{"ToolBar1", 36}, {"ToolBar2", 22}}) {
    auto* bar = Find<QToolBar>(form, name);
    EXPECT_EQ(bar->iconSize(), QSize(size, size)) << name;
    const auto buttons = bar->findChildren<QToolButton*>(QRegularExpression("^Bt"));
    EXPECT_EQ(buttons.size(), size == 36 ? 10 : 4);
    for (QToolButton* button : buttons)
      EXPECT_FALSE(button->icon().isNull()) << button->objectName().toStdString();
  }
}

// Family member and section start hidden; shown, they take their width,
// also in the run after one that closed with them hidden.
TEST_F(MainWindow, HiddenColumnsComeBackAtTheirWidth) {
  MakeDemo(DataPath("demo2.vlt"));
  for (int run = 0; run < 2; ++run) {
    SCOPED_TRACE(run);
    TFormMain form;
    Start(form);
    QHeaderView* header = Find<QTreeWidget>(form, "FundsTree")->header();
    for (auto [button, column, width] : {std::tuple{"BtMembers", 5, 110}, {"BtSections", 6, 80}}) {
      auto* toggle = Find<QToolButton>(form, button);
      ASSERT_FALSE(toggle->isChecked());
      toggle->click();
      EXPECT_EQ(header->sectionSize(column), width) << button;
      toggle->click();  // hidden again for the close
    }
    form.close();
  }
}

TEST_F(MainWindow, SumAndDateShowWholeAtTheDefaultSize) {
  MakeDemo(DataPath("demo2.vlt"));
  TFormMain form;
  Start(form);
  QTreeWidget* tree = Find<QTreeWidget>(form, "FundsTree");
  const int dateRight =
      tree->header()->sectionViewportPosition(ColDate) + tree->header()->sectionSize(ColDate);
  EXPECT_LE(dateRight, tree->viewport()->width());
}

TEST_F(MainWindow, EveryColumnFitsAtTheDefaultSizeAndSpareWidthGoesToTheDescription) {
  const std::tuple<QSize, TWindowSize> screens[] = {
      {{1024, 768}, {1024, 720}}, {{1920, 1080}, {1536, 864}}, {{800, 600}, {800, 600}}};
  for (auto [screen, size] : screens) {
    const TWindowSize got = DefaultWindowSize(screen.width(), screen.height());
    EXPECT_EQ(std::pair(got.width, got.height), std::pair(size.width, size.height));
  }
  MakeDemo(DataPath("demo2.vlt"));
  TFormMain form;
  Start(form);
  for (const char* toggle : {"BtMembers", "BtSections"}) Find<QToolButton>(form, toggle)->click();
  QTreeWidget* tree = Find<QTreeWidget>(form, "FundsTree");
  int description = 0;
  for (const QSize size : {QSize(1024, 720), QSize(1400, 1000)}) {
    form.resize(size);
    QCoreApplication::processEvents();
    EXPECT_EQ(tree->horizontalScrollBar()->maximum(), 0) << size.width();
    EXPECT_EQ(tree->header()->sectionSize(ColNotes), CFundsTree::DefaultColumnWidth(ColNotes))
        << size.width();
    EXPECT_GT(tree->header()->sectionSize(ColDescription), description) << size.width();
    description = tree->header()->sectionSize(ColDescription);
  }
  // Too narrow for every column: Description keeps a readable width and the
  // tree scrolls sideways, rather than cutting every name to a few letters.
  form.resize(800, 600);
  QCoreApplication::processEvents();
  EXPECT_EQ(tree->header()->sectionSize(ColDescription), CFundsTree::kNarrowestDescription);
  EXPECT_GT(tree->horizontalScrollBar()->maximum(), 0);
}

TEST_F(MainWindow, AFileNamedAtTheStartOpensInsteadOfTheLastOne) {
  MakeDemo(DataPath("demo2.vlt"));
  const std::string other = dir.path().toStdString() + "/other.vlt";
  MakeDemo(other);
  TFormMain form;
  form.SetStartFile(other);
  Start(form);
  EXPECT_EQ(form.DataBase().GetFileName(), other);
}

TEST_F(MainWindow, MenusOpenWithTheirAccessKeys) {
  MakeDemo(DataPath("demo2.vlt"));
  TFormMain form;
  Start(form);
  // Each title and item has an access key, none taken twice in one menu.
  auto keys = [](const QList<QAction*>& actions) {
    std::set<QString> seen;
    for (QAction* a : actions) {
      if (a->isSeparator()) continue;
      const QString key = QKeySequence::mnemonic(a->text()).toString();
      EXPECT_FALSE(key.isEmpty()) << a->text().toStdString();
      EXPECT_TRUE(seen.insert(key).second) << a->text().toStdString();
    }
  };
  keys(form.menuBar()->actions());
  for (QAction* title : form.menuBar()->actions()) keys(title->menu()->actions());
}

TEST(MainLogic, MonthStepsKeepWholeMonthsAndCutDays) {
  auto step = [](int y1, unsigned m1, unsigned d1, int y2, unsigned m2, unsigned d2, int dir) {
    TInterval r = StepMonth(EncodeDate(y1, m1, d1), EncodeDate(y2, m2, d2), dir);
    return FormatIsoDate(r.begin) + " " + FormatIsoDate(r.end);
  };
  EXPECT_EQ(step(2007, 3, 31, 2007, 4, 30, -1), "2007-02-28 2007-03-30");
  EXPECT_EQ(step(2008, 3, 31, 2008, 4, 30, -1), "2008-02-29 2008-03-30");
  EXPECT_EQ(step(2007, 3, 1, 2007, 3, 31, -1), "2007-02-01 2007-02-28");
  EXPECT_EQ(step(2007, 12, 1, 2007, 12, 31, 1), "2008-01-01 2008-01-31");
  EXPECT_EQ(step(2007, 1, 1, 2007, 3, 31, 1), "2007-02-01 2007-04-30") << "keeps its months";
  EXPECT_EQ(step(2007, 1, 15, 2007, 2, 10, -1), "2006-12-15 2007-01-10");
}

TEST(MainLogic, CaptionsAndPaths) {
  const std::array<std::string, 12> names = {"January",   "February", "March",    "April",
                                             "May",       "June",     "July",     "August",
                                             "September", "October",  "November", "December"};
  EXPECT_EQ(IntervalCaption(EncodeDate(2006, 9, 1), EncodeDate(2006, 9, 30), names),
            "September, 2006");
  EXPECT_EQ(IntervalCaption(EncodeDate(2006, 9, 1), EncodeDate(2006, 10, 31), names).find(','),
            std::string::npos);
  EXPECT_EQ(ResolveDatabasePath("..\\demo2.vlt", "/data/"), "/data/demo2.vlt");
  EXPECT_EQ(ResolveDatabasePath("/home/a/b.vlt", "/data/"), "/home/a/b.vlt");
  EXPECT_EQ(ResolveDatabasePath(".\\x.vlt", "/data/"), ".\\x.vlt");
}

TEST(MainLogic, SummaryRatesShowFourDecimalsOrNone) {
  QTemporaryDir dir;
  CDataBase db;
  db.Create(dir.filePath("rates.vlt").toStdString());
  CCurrencyItem pound;
  pound.name = "L";
  pound.fullName = "Pound";
  const std::uint32_t dollar = 101, euro = 102, other = db.AddCurrency(pound);
  ASSERT_TRUE(db.SetExchangeRate(euro, dollar, 1.0905));
  NumberFormat comma;
  comma.decimalSeparator = ",";
  comma.groupSeparator = ".";
  struct Case {
    std::uint32_t currency, base;
    NumberFormat format;
    std::string text;
  } cases[] = {
      {euro, dollar, NumberFormat(), "1.0905"}, {euro, dollar, comma, "1,0905"},
      {dollar, euro, NumberFormat(), "0.9170"},  // the inverse, rounded
      {other, dollar, NumberFormat(), ""},       // never set: no rate
      {dollar, other, NumberFormat(), ""},      {dollar, dollar, NumberFormat(), ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(SummaryRateText(db, c.currency, c.base, c.format), c.text)
        << c.currency << " in " << c.base;
}

TEST(MainLogic, CommandLine) {
  struct Case {
    std::vector<std::string> args;
    TCommandLine::TAction action;
    std::string file, screenshot;
  };
  const Case cases[] = {
      {{}, TCommandLine::kRun, "", ""},
      {{"a.vlt"}, TCommandLine::kRun, "a.vlt", ""},
      {{"--screenshot", "s.png", "a.vlt"}, TCommandLine::kRun, "a.vlt", "s.png"},
      {{"--", "-odd.vlt"}, TCommandLine::kRun, "-odd.vlt", ""},
      {{"a.vlt", "--help"}, TCommandLine::kHelp, "", ""},
      {{"-h"}, TCommandLine::kHelp, "", ""},
      {{"--version"}, TCommandLine::kVersion, "", ""},
      {{"--bogus"}, TCommandLine::kError, "", ""},
      {{"a.vlt", "b.vlt"}, TCommandLine::kError, "", ""},
      {{"--screenshot"}, TCommandLine::kError, "", ""},
  };
  for (const Case& c : cases) {
    const TCommandLine line = ParseCommandLine(c.args);
    EXPECT_EQ(line.action, c.action) << testing::PrintToString(c.args);
    if (c.action != TCommandLine::kRun) continue;
    EXPECT_EQ(line.file, c.file);
    EXPECT_EQ(line.screenshot, c.screenshot);
  }
}

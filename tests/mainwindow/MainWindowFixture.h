// A main window over a database in a temporary data folder, with its own
// settings, language files and log, the clock pinned and messages recorded.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <filesystem>
#include <functional>
#include <memory>

#include "DialogKit.h"
#include "EngineTestUtil.h"
#include "Money.h"
#include "Node.h"
#include "Platform.h"
#include "Unitdbmanager.h"
#include "Unitmain.h"
#include "WindowDriver.h"

// Expands every row of a transaction tree. Unlike QTreeView::expandAll, each
// expansion is announced, so the rows of collapsed nodes get their items.
inline void ExpandAllRows(QTreeWidget* control) {
  for (QTreeWidgetItemIterator it(control); *it; ++it) (*it)->setExpanded(true);
}

class MainWindow : public testing::Test {
 protected:
  void SetUp() override {
    SetClock(EncodeDate(2006, 9, 20) + 0.5);
    appData = dir.path().toStdString() + "/app";
    documents = dir.path().toStdString() + "/docs";
    std::filesystem::create_directories(appData + "/Lang");
    std::filesystem::create_directories(documents + "/Pardow Data");
    std::filesystem::copy_file(PARDOW_LANG_DIR "/english.txt", appData + "/Lang/english.txt");
    setenv("U3_APP_DATA_PATH", appData.c_str(), 1);
    setenv("U3_DEVICE_DOCUMENT_PATH", documents.c_str(), 1);
    {
      // Every test starts as a first start: no stored settings.
      QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Omrin", "Pardow");
      settings.clear();
      settings.sync();
    }
    SetMessageHook([this](const std::string& text) { messages.push_back(text); });
  }
  void TearDown() override {
    SetMessageHook({});
    ResetClock();
  }
  std::string DataPath(const std::string& name) { return documents + "/Pardow Data/" + name; }

  // A database with two accounts in two currencies and a few transactions.
  void MakeDemo(const std::string& path) {
    CDataBase db;
    db.Create(path);
    db.SetInterval(EncodeDate(2006, 9, 1), EncodeDate(2006, 9, 30));
    CAccountItem euro;
    euro.name = "Euro card";
    euro.record.currencyId = 102;
    euroAccount = db.AddAccount(euro);
    db.SetExchangeRate(102, 101, 2);
    CSubTypeItem food;
    food.name = "Food";
    food.record.parentId = kExpenseRoot;
    foodId = db.AddSubType(food);
    auto add = [&](std::uint32_t from, std::uint32_t to, double amount, const char* name) {
      CTransactionItem t;
      t.description = name;
      t.record.date = EncodeDate(2006, 9, 10);
      t.record.fromAccount = from;
      t.record.toAccount = to;
      t.record.categoryId = foodId;
      t.record.amountOut = t.record.amountIn = M(amount);
      return db.AddTransaction(t);
    };
    salary = add(0, 103, 100, "Salary");
    bread = add(103, 0, 30, "Bread");
    add(0, euroAccount, 10, "Gift");
    add(euroAccount, 0, 50, "Shoes");
    db.SetSelectedAccount(1);  // rows are sorted by name: Cash, Euro card
  }
  // Shows the window, lets it become active and run its start-up, and waits
  // until the status bar shows `status`: "Ready" once a database is open and
  // its trees are built, "No file opened" when the start opens nothing. Such
  // a start finds no database and opens the database manager, which is
  // closed unused (it, not the main window, is then the active window).
  void Start(TFormMain& form, const char* status = "Ready") {
    const bool noFile = std::string(status) == "No file opened";
    auto managerClosed = std::make_shared<bool>(!noFile);
    if (noFile)
      OnModalOf<TFormDBManager>([managerClosed](TFormDBManager& w) {
        Click(::Find<QPushButton>(&w, "BtClose"));
        *managerClosed = true;
      });
    form.show();
    if (!noFile) {
      EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
    }
    QCoreApplication::processEvents();  // the start-up runs once the window is active
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return *managerClosed && form.StatusText() == status; }, 5000))
        << "status: " << form.StatusText().toStdString();
  }
  template <class T>
  T* Find(TFormMain& form, const char* name) {
    return ::Find<T>(&form, name);
  }

  QTemporaryDir dir;
  std::string appData, documents;
  std::vector<std::string> messages;
  std::uint32_t euroAccount = 0, foodId = 0, salary = 0, bread = 0;
};

// The main window on the demo database with its Cash account shown (Salary
// and Bread); `prepare` changes the file before the window opens it.
class DemoTree : public MainWindow {
 protected:
  void StartOnDemo(const std::function<void(CDataBase&)>& prepare) {
    MakeDemo(DataPath("demo2.vlt"));
    {
      CDataBase db;
      db.Open(DataPath("demo2.vlt"));
      db.SetSelectedAccount(0);
      prepare(db);
    }
    form = std::make_unique<TFormMain>();
    Start(*form);
    control = form->findChild<QTreeWidget*>("FundsTree");
  }
  void TearDown() override {
    SetConfirmationHook({});
    form.reset();
    MainWindow::TearDown();
  }
  // A key on the tree, the window active again after a dialog so that its
  // menu shortcuts take the key.
  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    form->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
    control->setFocus();
    QTest::keyClick(control, key, modifiers);
  }
  // The first row of transaction `id` (made when it is hidden), or null.
  QTreeWidgetItem* Row(std::uint32_t id) {
    CTransactionsTree* nodes = form->FundsTreeNodes();
    return nodes->ItemOf(nodes->FindTransaction(id));
  }

  std::unique_ptr<TFormMain> form;
  QTreeWidget* control = nullptr;
};

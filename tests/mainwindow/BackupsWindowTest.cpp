// The main window's automatic backups: one before the first change of each
// session, none for a session that only looks, and a failed one told once
// while the change is stored.
#include <gtest/gtest.h>

#include <QAction>
#include <filesystem>
#include <fstream>

#include "Backups.h"
#include "FileSizeLimit.h"
#include "MainWindowFixture.h"

namespace {

class Backups : public MainWindow {
 protected:
  void SetUp() override {
    MainWindow::SetUp();
    MakeDemo(DataPath("demo2.vlt"));
    folder = documents + "/Pardow Backups/";
  }
  std::uint32_t AddExpense(TFormMain& form) {
    CTransactionItem t;
    t.record.date = EncodeDate(2006, 9, 12);
    t.record.fromAccount = 103;
    t.record.amountOut = t.record.amountIn = M(5);
    return form.DataBase().AddTransaction(t);
  }
  // The transaction counts of the database's backups, newest first.
  std::vector<std::uint64_t> Counts() {
    std::vector<std::uint64_t> counts;
    for (const CBackupEntry& e : ListBackups(folder, DataPath("demo2.vlt")))
      counts.push_back(ScanBackupCounts(e.path).transactions);
    return counts;
  }
  std::string folder;
};

}  // namespace

TEST_F(Backups, AreMadeBeforeTheFirstChangeOfEachSessionOnly) {
  TFormMain form;
  Start(form);
  form.OpenDataBase("..\\demo2.vlt");  // a session that only looks
  form.WaitForBackups();
  EXPECT_EQ(Counts(), std::vector<std::uint64_t>{});
  ASSERT_NE(AddExpense(form), 0u);
  ASSERT_NE(AddExpense(form), 0u);
  form.WaitForBackups();
  // The file as it was before the first change: the demo's four transactions.
  EXPECT_EQ(Counts(), std::vector<std::uint64_t>{4});
  form.OpenDataBase("..\\demo2.vlt");
  ASSERT_NE(AddExpense(form), 0u);
  form.WaitForBackups();
  EXPECT_EQ(Counts(), (std::vector<std::uint64_t>{6, 4}));
  EXPECT_TRUE(messages.empty());
}

TEST_F(Backups, AFailedOneIsToldOnceAndTheChangesAreStored) {
  struct Case {
    bool fullDisk;  // else a file stands where the backup folder belongs
    const char* reason;
  };
  for (const Case c : {Case{false, "File exists"}, Case{true, "File too large"}}) {
    MakeDemo(DataPath("demo2.vlt"));
    std::filesystem::remove_all(folder);
    if (!c.fullDisk) std::ofstream(folder.substr(0, folder.size() - 1)) << "not a folder";
    messages.clear();
    TFormMain form;
    Start(form);
    {
      // No file may grow to the database's size: the copy fails, while the
      // deletes, each marking a record in place, fit.
      CFileSizeLimit full(c.fullDisk ? std::filesystem::file_size(DataPath("demo2.vlt")) - 1 : 0);
      EXPECT_TRUE(form.DataBase().DelTransaction(salary)) << c.reason;
      EXPECT_TRUE(form.DataBase().DelTransaction(bread)) << c.reason;
    }
    form.WaitForBackups();
    QCoreApplication::processEvents();
    ASSERT_EQ(messages.size(), 1u) << c.reason;
    EXPECT_EQ(messages[0].rfind("The automatic backup of the database could not be made.", 0), 0u)
        << messages[0];
    EXPECT_NE(messages[0].find(c.reason), std::string::npos) << messages[0];
    form.OpenDataBase("..\\demo2.vlt");
    EXPECT_EQ(form.DataBase().Transactions().size(), 2u) << c.reason;
    EXPECT_EQ(Counts(), std::vector<std::uint64_t>{}) << c.reason;
    form.OpenDataBase("");
    std::filesystem::remove(folder.substr(0, folder.size() - 1));
  }
}

TEST_F(Backups, RestoringTheOpenDatabaseReleasesItAndOpensTheBackup) {
  TFormMain form;
  Start(form);
  ASSERT_NE(AddExpense(form), 0u);
  form.WaitForBackups();
  SetConfirmationHook(
      [](QWidget*, const QString&, QMessageBox::StandardButtons) { return QMessageBox::Yes; });
  OnModalOf<TFormDBManager>([&](TFormDBManager& w) {
    auto* list = ::Find<QTreeWidget>(&w, "LVBackups");
    ASSERT_EQ(list->topLevelItemCount(), 1);
    list->setCurrentItem(list->topLevelItem(0));
    Click(::Find<QPushButton>(&w, "BtRestore"));
  });
  Find<QAction>(form, "MnDBManager")->trigger();
  SetConfirmationHook({});
  ASSERT_TRUE(form.IsDataBaseOpened());
  EXPECT_EQ(form.DataBase().GetFileName(), DataPath("demo2.vlt"));
  EXPECT_EQ(form.DataBase().Transactions().size(), 4u);
  // The file as it was before the restore is the newest backup.
  EXPECT_EQ(Counts(), (std::vector<std::uint64_t>{5, 4}));
  EXPECT_TRUE(messages.empty()) << messages[0];
}

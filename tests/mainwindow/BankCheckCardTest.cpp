// The bank check from the main window: the account cards' menu opens it, an
// agreed check shows on the card, and a damaged companion file is reported
// once when the database opens.
#include <gtest/gtest.h>

#include <QAction>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <fstream>

#include "Companion.h"
#include "MainWindowFixture.h"
#include "Unitbankcheck.h"

namespace {

TEST_F(MainWindow, AgreedBankCheckIsRememberedAndShownOnTheCard) {
  const std::string path = DataPath("demo2.vlt");
  MakeDemo(path);
  TFormMain form;
  Start(form);
  QListWidget* cards = Find<QListWidget>(form, "AccountsList");
  const QImage before = cards->viewport()->grab().toImage();
  QAction* check = Find<QAction>(form, "PmCheckBank");
  ASSERT_TRUE(Find<QMenu>(form, "AccountsMenu")->actions().contains(check));
  ASSERT_TRUE(Find<QMenu>(form, "FundsMenu")->actions().contains(check));
  // The Euro card is selected: 10 in, 50 out by today.
  OnModalOf<TFormBankCheck>([](TFormBankCheck& w) {
    TypeInto(::Find<QLineEdit>(&w, "EdBank"), "-40");
    Click(::Find<QPushButton>(&w, "BtCheck"));
    Click(::Find<QPushButton>(&w, "BtClose"));
  });
  check->trigger();
  CCompanion companion;
  ASSERT_TRUE(companion.Load(path).Fine());
  ASSERT_TRUE(companion.LastAgreed(euroAccount));
  EXPECT_EQ(companion.LastAgreed(euroAccount)->day, EncodeDate(2006, 9, 20));
  EXPECT_EQ(companion.LastAgreed(euroAccount)->balance, M(-40));
  QCoreApplication::processEvents();
  EXPECT_NE(cards->viewport()->grab().toImage(), before) << "the card shows the agreed day";
  EXPECT_TRUE(messages.empty());
}

TEST_F(MainWindow, DamagedCompanionIsReportedOnceAndSetAside) {
  const std::string path = DataPath("demo2.vlt");
  MakeDemo(path);
  std::ofstream(CCompanion::PathFor(path)) << "not a companion file\n";
  {
    TFormMain form;
    Start(form);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("damaged"), std::string::npos) << messages[0];
    EXPECT_NE(messages[0].find(CCompanion::PathFor(path) + ".damaged"), std::string::npos);
    EXPECT_EQ(form.StatusText(), "Ready");  // the database opened all the same
  }
  TFormMain again;
  Start(again);
  EXPECT_EQ(messages.size(), 1u);
}

}  // namespace

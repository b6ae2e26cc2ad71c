// Finding transactions from the main window: Ctrl+F, typing, Enter, Esc and
// the match shown in its month, through the real controls.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "MainWindowFixture.h"
#include "Node.h"
#include "Unitfind.h"
#include "Unittransfer.h"

namespace {

class FindWindow : public MainWindow {
 protected:
  void SetUp() override {
    MainWindow::SetUp();
    MakeDemo(DataPath("demo2.vlt"));
    {
      CDataBase db;  // show the Cash account; the shoes were paid by card
      db.Open(DataPath("demo2.vlt"));
      db.SetSelectedAccount(0);
    }
    form = std::make_unique<TFormMain>();
    Start(*form);
  }
  void TearDown() override {
    form.reset();
    MainWindow::TearDown();
  }
  TFormFind* OpenFind() {
    QTest::keyClick(form.get(), Qt::Key_F, Qt::ControlModifier);
    auto* find = form->findChild<TFormFind*>("FormFind");
    EXPECT_TRUE(find != nullptr && find->isVisible());
    return find;
  }
  std::unique_ptr<TFormMain> form;
};

}  // namespace

TEST_F(FindWindow, TypingFindsAndEnterOpensTheEditorOnTheMatch) {
  TFormFind* find = OpenFind();
  ASSERT_NE(find, nullptr);
  QTest::keyClicks(find->EdFindText, "SHOE");
  EXPECT_TRUE(find->LbFindTotal->text().startsWith("1 transaction found"))
      << find->LbFindTotal->text().toStdString();
  EXPECT_TRUE(find->LbFindTotal->text().endsWith("-50.00 €"))
      << find->LbFindTotal->text().toStdString();
  QString described;
  OnModalOf<TFormTransfer>([&](TFormTransfer& editor) {
    described = ::Find<QComboBox>(&editor, "EdDescription")->currentText();
    Click(::Find<QPushButton>(&editor, "BtCancel"));
  });
  QTest::keyClick(find->EdFindText, Qt::Key_Return);
  EXPECT_EQ(described, "Shoes");

  find->EdFindAmount->setText("abc");
  EXPECT_TRUE(find->LbFindTotal->text().startsWith("The amount is not understood"));
  EXPECT_EQ(find->FindList->model()->rowCount(), 0);
  QTest::keyClick(find->EdFindText, Qt::Key_Escape);
  EXPECT_FALSE(find->isVisible());
}

TEST_F(FindWindow, ShowInItsMonthShowsTheMatchesAccountAndMonthSelected) {
  form->BtNextMonthClick();  // October: the shoes are not shown
  TFormFind* find = OpenFind();
  ASSERT_NE(find, nullptr);
  find->EdFindText->setText("shoes");
  const std::uint32_t shoes = find->CurrentId();
  ASSERT_NE(shoes, 0u);
  Click(find->BtFindShowMonth);
  EXPECT_EQ(form->DataBase().GetIntervalBegin(), EncodeDate(2006, 9, 1));
  EXPECT_EQ(form->DataBase().GetIntervalEnd(), EncodeDate(2006, 9, 30));
  const QTreeWidgetItem* current = form->findChild<QTreeWidget*>("FundsTree")->currentItem();
  ASSERT_NE(NodeOf(current), nullptr);
  EXPECT_EQ(NodeOf(current)->transactionId, shoes);
}

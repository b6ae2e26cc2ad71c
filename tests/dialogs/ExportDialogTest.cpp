// The export window: the separator and category rules, a file written with
// the chosen fields, a replaced file asked about, a failed write shown, and
// the choices kept for the next window.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QTreeWidget>

#include "DialogKit.h"
#include "DialogsTestUtil.h"
#include "ExportLogic.h"
#include "Unitexport.h"

namespace {

class ExportWindow : public testing::Test {
 protected:
  void SetUp() override {
    SetConfirmationHook([this](QWidget*, const QString& text, QMessageBox::StandardButtons) {
      asked.push_back(text);
      return answer;
    });
    base.AddExpense("Bread; rye", 2.5);
    base.AddExpense("Milk \"fresh\"", 1.25);
    path = base.dir.filePath("out.csv");
  }
  void TearDown() override { SetConfirmationHook({}); }

  // Runs the window on April 2007; `act` sets its controls before Export.
  bool Export(TFormExport& window, std::function<void(QWidget*)> act) {
    OnModal([act](QWidget* w) {
      act(w);
      Click(Find<QPushButton>(w, "BtExport"));
      if (w->isVisible()) Click(Find<QPushButton>(w, "BtCancel"));
    });
    return window.Execute(base.db, LinesImage(), EncodeDate(2007, 4, 1), EncodeDate(2007, 4, 30));
  }
  // Sets the file and ';', and checks Date, Description and Sum only.
  void Choose(QWidget* w) {
    TypeInto(Find<QLineEdit>(w, "EdFileName"), path);
    Click(Find<QRadioButton>(w, "RbSeparator2"));
    auto* fields = Find<QListWidget>(w, "LBFields");
    for (int i = 0; i < fields->count(); ++i) {
      const QString name = fields->item(i)->text();
      const bool wanted = name == "Date" || name == "Description" || name == "Sum";
      fields->item(i)->setCheckState(wanted ? Qt::Checked : Qt::Unchecked);
    }
  }
  QByteArray Written() {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  CTestBase base;
  CMessages messages;
  QString path;
  std::vector<QString> asked;
  QMessageBox::StandardButton answer = QMessageBox::Yes;
};

}  // namespace

TEST_F(ExportWindow, CustomSeparatorBoxAndCategoryFollowTheirRules) {
  base.AddSubType("Food", kExpenseRoot);
  TFormExport window;
  OnModal([&](QWidget* w) {
    auto* box = Find<QLineEdit>(w, "EdSeparator");
    EXPECT_EQ(box->text(), "-");
    Click(Find<QRadioButton>(w, "RbSeparatorCustom"));
    EXPECT_TRUE(box->isEnabled());
    Click(Find<QRadioButton>(w, "RbSeparator3"));
    EXPECT_FALSE(box->isEnabled());

    auto* accounts = Find<QComboBox>(w, "CBAccounts");
    ASSERT_GE(accounts->count(), 2);
    EXPECT_EQ(accounts->itemText(0), "all accounts");
    EXPECT_EQ(Find<QLabel>(w, "LbCurrentDate")->text(), "April, 2007");
    Click(Find<QToolButton>(w, "BtNextMonth"));
    EXPECT_EQ(Find<QLabel>(w, "LbCurrentDate")->text(), "May, 2007");

    auto* subTypes = Find<QCheckBox>(w, "CBSubTypes");
    EXPECT_FALSE(subTypes->isEnabled());
    OnModal(
        [](QWidget* picker) {
          auto* tree = Find<QTreeWidget>(picker, "SubTypeTree");
          ASSERT_EQ(tree->topLevelItemCount(), 1);
          tree->setCurrentItem(tree->topLevelItem(0));
          Click(Find<QPushButton>(picker, "BtOK"));
        },
        w);
    Click(Find<QPushButton>(w, "BtSelCategory"));
    EXPECT_EQ(Find<QLineEdit>(w, "EdType")->text(), "Food");
    EXPECT_TRUE(subTypes->isEnabled() && subTypes->isChecked());
    Click(Find<QRadioButton>(w, "RbAll"));  // another kind clears the category
    EXPECT_EQ(Find<QLineEdit>(w, "EdType")->text(), "");
    EXPECT_FALSE(subTypes->isEnabled() || subTypes->isChecked());
    Click(Find<QPushButton>(w, "BtCancel"));
  });
  EXPECT_FALSE(
      window.Execute(base.db, LinesImage(), EncodeDate(2007, 4, 1), EncodeDate(2007, 4, 30)));
  EXPECT_EQ(window.IntervalBegin(), EncodeDate(2007, 5, 1));
}

TEST_F(ExportWindow, WritesTheCheckedFieldsAndAsksBeforeReplacing) {
  {
    TFormExport window;
    ASSERT_TRUE(Export(window, [&](QWidget* w) { Choose(w); }));
  }
  const QByteArray text = Written();
  EXPECT_TRUE(text.startsWith("Date;Description;Sum\r\n")) << text.toStdString();
  EXPECT_TRUE(text.contains("\"Bread; rye\"")) << text.toStdString();
  EXPECT_TRUE(text.contains("\"Milk \"\"fresh\"\"\"")) << text.toStdString();
  EXPECT_EQ(text.count("\r\n"), 3);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_TRUE(asked[0].startsWith("2 transactions were written to ")) << asked[0].toStdString();

  // The kept choices come back in a new window; a No keeps the file.
  asked.clear();
  answer = QMessageBox::No;
  TFormExport again;
  EXPECT_FALSE(Export(again, [&](QWidget* w) {
    EXPECT_EQ(Find<QLineEdit>(w, "EdFileName")->text(), path);
    EXPECT_TRUE(Find<QRadioButton>(w, "RbSeparator2")->isChecked());
    EXPECT_EQ(Find<QListWidget>(w, "LBFields")->item(2)->checkState(), Qt::Unchecked);
    Find<QComboBox>(w, "CBDateFormat")->setCurrentIndex(1);
  }));
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_TRUE(asked[0].endsWith("exists already. Replace it?"));
  EXPECT_EQ(Written(), text);
  EXPECT_TRUE(messages.texts.empty());
}

// QIF writes every transaction of the period for other programs: the
// delimited text's separator, fields and filters step aside, and the name
// takes the format's extension.
TEST_F(ExportWindow, QifChoiceWritesQifAndSetsItsExtension) {
  path = base.dir.filePath("out.txt");
  {
    TFormExport window;
    ASSERT_TRUE(Export(window, [&](QWidget* w) {
      TypeInto(Find<QLineEdit>(w, "EdFileName"), path);
      Click(Find<QRadioButton>(w, "RbFormatQif"));
      EXPECT_FALSE(Find<QGroupBox>(w, "GBSeparator")->isEnabled());
      EXPECT_FALSE(Find<QGroupBox>(w, "GBCategory")->isEnabled());
      path = Find<QLineEdit>(w, "EdFileName")->text();
    }));
  }
  EXPECT_TRUE(path.endsWith("out.qif"));
  const QByteArray text = Written();
  EXPECT_TRUE(text.startsWith("!Option:AutoSwitch\n")) << text.toStdString();
  EXPECT_EQ(text.count("\nPBread; rye\n"), 1) << text.toStdString();
  EXPECT_EQ(FileNameForFormat("a.QIF", false), "a.txt");
  EXPECT_EQ(FileNameForFormat("a.dat", true), "a.dat");
}

TEST_F(ExportWindow, AFailedWriteIsShownWithItsReasonAndTheWindowStays) {
  path = base.dir.filePath("missing/out.csv");
  TFormExport window;
  EXPECT_FALSE(Export(window, [&](QWidget* w) { Choose(w); }));
  ASSERT_EQ(messages.texts.size(), 1u);
  EXPECT_EQ(messages.texts[0].rfind("The file could not be written:\n" + path.toStdString(), 0), 0u)
      << messages.texts[0];
  EXPECT_GT(messages.texts[0].size(), path.size() + 40);  // the system's reason follows
  EXPECT_TRUE(asked.empty());
}

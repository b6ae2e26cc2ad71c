// The import window: the separator and first-row rules, and a bank
// statement (a header, quoted texts with separators and line breaks,
// day-first dates, comma decimals, one row without a date) that goes in through the
// preview and the review, and is found a duplicate when imported again.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QtTest/QTest>

#include "DialogKit.h"
#include "DialogsTestUtil.h"
#include "ImportLogic.h"
#include "Include.h"
#include "Unitbulkedit.h"
#include "Unitimport.h"
#include "Unitimportreview.h"

namespace {

// UTF-8 with a byte-order mark and CRLF, as banks write it.
constexpr char kStatement[] =
    "\xEF\xBB\xBF\"Buchungstag\";\"Verwendungszweck\";\"Betrag\"\r\n"
    "03.01.2024;\"Miete; Januar\";\"-750,00\"\r\n"
    "15.01.2024;\"Gehalt \"\"Firma\"\"\";\"2.500,00\"\r\n"
    "20.01.2024;\"B\xC3\xA4"
    "cker\r\nFiliale 2\";\"-3,45\"\r\n"
    ";\"Ohne Datum\";\"-1,00\"\r\n";

class ImportWindow : public testing::Test {
 protected:
  void SetUp() override {
    SetConfirmationHook([this](QWidget*, const QString& text, QMessageBox::StandardButtons) {
      told.push_back(text);
      return QMessageBox::Ok;
    });
    path = base.dir.filePath("statement.csv");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(kStatement);
  }
  void TearDown() override { SetConfirmationHook({}); }

  // Runs the window on the bank account: `act` acts on it and must close it.
  bool Run(TFormImport& window, std::function<void(QWidget*)> act) {
    OnModal(act);
    return window.Execute(base.db, base.bank);
  }
  static std::string Header(QWidget* w, int column) {
    return Find<QTableWidget>(w, "PreviewGrid")->horizontalHeaderItem(column)->text().toStdString();
  }

  CTestBase base;
  CMessages messages;
  QString path;
  std::vector<QString> told;
};

}  // namespace

TEST_F(ImportWindow, KindStartsAutoAndSeparatorBoxAndFirstRowFollowTheirRules) {
  TFormImport window;
  EXPECT_FALSE(Run(window, [](QWidget* w) {
    // Statements hold money out and in: the sign tells the kind.
    EXPECT_TRUE(Find<QRadioButton>(w, "RbAuto")->isChecked());
    auto* box = Find<QLineEdit>(w, "EdSeparator");
    Click(Find<QRadioButton>(w, "RbSeparatorCustom"));
    EXPECT_TRUE(box->isEnabled());
    Click(Find<QRadioButton>(w, "RbSeparator1"));
    EXPECT_FALSE(box->isEnabled());

    Find<QTabWidget>(w, "PageControl")->setCurrentIndex(3);
    auto* row = Find<QLineEdit>(w, "EdRowNum");
    EXPECT_EQ(row->text(), "1");
    TypeInto(row, "0");
    EXPECT_EQ(row->text(), "1");
    TypeInto(row, "12");
    EXPECT_EQ(row->text(), "12");
    row->selectAll();
    QTest::keyClick(row, Qt::Key_Backspace);
    EXPECT_EQ(row->text(), "12");
    TypeInto(row, "1");
    Click(Find<QPushButton>(w, "BtCancel"));
  }));
}

TEST_F(ImportWindow, BankStatementGoesInAfterTheReviewAndAgainOnlyAsDuplicates) {
  TFormImport window;
  EXPECT_TRUE(Run(window, [&](QWidget* w) {
    TypeInto(Find<QLineEdit>(w, "EdFileName"), path);
    // What was detected: the separator, the header row, the columns.
    EXPECT_TRUE(Find<QRadioButton>(w, "RbSeparator2")->isChecked());
    EXPECT_EQ(Find<QLineEdit>(w, "EdRowNum")->text(), "2");
    auto* grid = Find<QTableWidget>(w, "PreviewGrid");
    EXPECT_EQ(grid->rowCount(), 4);
    EXPECT_EQ(grid->verticalHeaderItem(3)->text(), "6");  // the row after the two-line one
    EXPECT_EQ(Header(w, 0), "Date (DD.MM.YYYY)\nBuchungstag");
    EXPECT_EQ(Header(w, 1), "Description\nVerwendungszweck");
    EXPECT_EQ(Header(w, 2), "Sum (1.234,56)\nBetrag");
    EXPECT_EQ(grid->item(2, 1)->text(), QString::fromUtf8("B\xC3\xA4"
                                                          "cker\r\nFiliale 2"));
    EXPECT_FALSE(grid->item(3, 0)->toolTip().isEmpty());  // the missing date is marked

    // A column's type changed in the window shows in its header.
    emit grid->horizontalHeader()->sectionClicked(1);
    grid->selectColumn(1);
    auto* type = Find<QComboBox>(w, "CBType");
    EXPECT_EQ(type->currentText(), "Description");
    type->setCurrentIndex(6);
    emit type->activated(6);
    EXPECT_EQ(Header(w, 1), "Notes\nVerwendungszweck");
    type->setCurrentIndex(2);
    emit type->activated(2);

    Click(Find<QRadioButton>(w, "RbAuto"));
    OnModalOf<TFormImportReview>(
        [](TFormImportReview& review) {
          EXPECT_TRUE(
              Find<QLabel>(&review, "LbCounts")->text().contains("3 new, 0 duplicates, 1 refused"));
          // Every row, the refused one first with its line and reason.
          QAbstractItemModel* rows = Find<QTableView>(&review, "ReviewGrid")->model();
          ASSERT_EQ(rows->rowCount(), 4);
          EXPECT_EQ(rows->index(0, 0).data().toString(), "6");
          EXPECT_EQ(rows->index(0, 1).data().toString(), "refused");
          EXPECT_FALSE(rows->index(0, TImportReviewModel::kReason).data().toString().isEmpty());
          EXPECT_EQ(rows->index(1, 0).data(Qt::CheckStateRole), Qt::Checked);
          Click(Find<QPushButton>(&review, "BtOk"));
        },
        w);
    Click(Find<QPushButton>(w, "BtImport"));
  }));
  ASSERT_EQ(told.size(), 1u);
  EXPECT_TRUE(told[0].startsWith("3 transactions were imported from ")) << told[0].toStdString();
  const std::vector<CTransactionItem> stored = base.Transactions();
  ASSERT_EQ(stored.size(), 3u);
  EXPECT_EQ(stored[0].description, "Miete; Januar");
  EXPECT_EQ(stored[0].record.fromAccount, base.bank);
  EXPECT_EQ(stored[0].record.amountOut, M(750));
  EXPECT_EQ(stored[0].record.date, EncodeDate(2024, 1, 3));
  EXPECT_EQ(stored[1].description, "Gehalt \"Firma\"");
  EXPECT_EQ(stored[1].record.toAccount, base.bank);
  EXPECT_EQ(stored[1].record.amountIn, M(2500));
  EXPECT_EQ(stored[2].record.amountOut, M(3.45));
  const TLastImport last = LoadLastImport(GetSettings());
  EXPECT_EQ(last.transactions.size(), 3u);
  EXPECT_TRUE(CanUndoImport(last, base.db.GetFileName()));

  // The kept window and a new one both show the same choices; the same
  // file again is all duplicates, none stored unless checked.
  TFormImport again;
  EXPECT_FALSE(Run(again, [&](QWidget* w) {
    EXPECT_EQ(Find<QLineEdit>(w, "EdFileName")->text(), path);
    EXPECT_EQ(Find<QLineEdit>(w, "EdRowNum")->text(), "2");
    EXPECT_TRUE(Find<QRadioButton>(w, "RbAuto")->isChecked());
    EXPECT_EQ(Header(w, 2), "Sum (1.234,56)\nBetrag");
    OnModalOf<TFormImportReview>(
        [](TFormImportReview& review) {
          EXPECT_TRUE(
              Find<QLabel>(&review, "LbCounts")->text().contains("0 new, 3 duplicates, 1 refused"));
          auto* ok = Find<QPushButton>(&review, "BtOk");
          EXPECT_FALSE(ok->isEnabled());
          QAbstractItemModel* rows = Find<QTableView>(&review, "ReviewGrid")->model();
          ASSERT_EQ(rows->rowCount(), 4);
          EXPECT_EQ(rows->index(1, 1).data().toString(), "duplicate");
          EXPECT_EQ(rows->index(1, 0).data(Qt::CheckStateRole), Qt::Unchecked);
          rows->setData(rows->index(1, 0), Qt::Checked, Qt::CheckStateRole);
          EXPECT_TRUE(ok->isEnabled());
          Click(Find<QPushButton>(&review, "BtCancel"));
        },
        w);
    Click(Find<QPushButton>(w, "BtImport"));
    Click(Find<QPushButton>(w, "BtCancel"));
  }));
  EXPECT_EQ(base.Transactions().size(), 3u);
  EXPECT_TRUE(messages.texts.empty()) << messages.texts[0];
}

// What the file does not tell is asked before the import: the order of
// dates that read both ways (marked as a guess in the preview) and which of
// two unnamed amount columns is money out. A Mark column's money-out mark
// is chosen among its marks.
TEST_F(ImportWindow, AsksWhatTheStatementDoesNotTellAndOffersItsMarks) {
  std::vector<QString> asked;
  SetConfirmationHook([&](QWidget*, const QString& text, QMessageBox::StandardButtons buttons) {
    asked.push_back(text);
    return buttons.testFlag(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok;
  });
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write("Date;Text;Amount 1;Amount 2\n01/02/2026;Rent;450,00;\n03/04/2026;Salary;;2.000,00\n");
  file.close();
  TFormImport window;
  EXPECT_TRUE(Run(window, [&](QWidget* w) {
    TypeInto(Find<QLineEdit>(w, "EdFileName"), path);
    EXPECT_TRUE(Header(w, 0).starts_with("Date (") &&
                Header(w, 0).find("order guessed") != std::string::npos)
        << Header(w, 0);
    EXPECT_EQ(Header(w, 2), "Sum (1234,56, debit or credit?)\nAmount 1");
    OnModalOf<TFormImportReview>(
        [](TFormImportReview& review) { Click(Find<QPushButton>(&review, "BtOk")); }, w);
    Click(Find<QPushButton>(w, "BtImport"));
  }));
  ASSERT_EQ(asked.size(), 3u);  // the date order, the debit column, then what was imported
  EXPECT_TRUE(asked[0].contains("column 1")) << asked[0].toStdString();
  EXPECT_TRUE(asked[1].contains("\"Amount 1\"")) << asked[1].toStdString();
  const std::vector<CTransactionItem> stored = base.Transactions();
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_EQ(stored[0].record.date, EncodeDate(2026, 2, 1));  // day first
  EXPECT_EQ(stored[0].record.fromAccount, base.bank);        // the first column is money out
  EXPECT_EQ(stored[0].record.amountOut, M(450));
  EXPECT_EQ(stored[1].record.date, EncodeDate(2026, 4, 3));
  EXPECT_EQ(stored[1].record.toAccount, base.bank);
  EXPECT_EQ(stored[1].record.amountIn, M(2000));

  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(
      "Datum;Text;Betrag;S/H\n13.01.2026;Miete;450,00;S\n14.01.2026;Gehalt;2.000,00;H\n"
      "15.01.2026;Zins;1,00;\n");
  file.close();
  TFormImport marks;
  EXPECT_FALSE(Run(marks, [&](QWidget* w) {
    TypeInto(Find<QLineEdit>(w, "EdFileName"), QString());
    TypeInto(Find<QLineEdit>(w, "EdFileName"), path);
    EXPECT_EQ(Header(w, 3), "Debit/credit mark (out: S)\nS/H");
    auto* grid = Find<QTableWidget>(w, "PreviewGrid");
    emit grid->horizontalHeader()->sectionClicked(3);
    auto* outMark = Find<QComboBox>(w, "CBOutMark");
    EXPECT_TRUE(outMark->isEnabled());
    ASSERT_EQ(outMark->count(), 3);  // as the marks say, S, H
    EXPECT_EQ(outMark->currentText(), "S");
    outMark->setCurrentIndex(2);
    emit outMark->activated(2);
    EXPECT_EQ(Header(w, 3), "Debit/credit mark (out: H)\nS/H");
    EXPECT_TRUE(grid->item(1, 3)->toolTip().isEmpty());   // H, a known mark
    EXPECT_FALSE(grid->item(2, 3)->toolTip().isEmpty());  // no mark: refused
    Click(Find<QPushButton>(w, "BtCancel"));
  }));
  EXPECT_EQ(LoadImportChoices(GetSettings()).columns.at(3).outMark, "H");

  // OFX statements offer the day the user made a transaction; it is kept.
  const QString ofx = base.dir.filePath("statement.ofx");
  QFile statement(ofx);
  ASSERT_TRUE(statement.open(QIODevice::WriteOnly));
  statement.write(
      "OFXHEADER:100\nDATA:OFXSGML\nVERSION:102\nSECURITY:NONE\nENCODING:USASCII\n"
      "CHARSET:1252\nCOMPRESSION:NONE\nOLDFILEUID:NONE\nNEWFILEUID:NONE\n\n<OFX>"
      "<SIGNONMSGSRSV1><SONRS><STATUS><CODE>0<SEVERITY>INFO</STATUS><DTSERVER>20260201"
      "<LANGUAGE>ENG</SONRS></SIGNONMSGSRSV1><BANKMSGSRSV1><STMTTRNRS><TRNUID>1<STATUS>"
      "<CODE>0<SEVERITY>INFO</STATUS><STMTRS><CURDEF>EUR<BANKACCTFROM><BANKID>1<ACCTID>42"
      "<ACCTTYPE>CHECKING</BANKACCTFROM><BANKTRANLIST><DTSTART>20260101<DTEND>20260131"
      "<STMTTRN><TRNTYPE>DEBIT<DTPOSTED>20260105<DTUSER>20260103<TRNAMT>-3.20<FITID>A1"
      "<NAME>Coffee</STMTTRN></BANKTRANLIST><LEDGERBAL><BALAMT>0<DTASOF>20260131"
      "</LEDGERBAL></STMTRS></STMTTRNRS></BANKMSGSRSV1></OFX>\n");
  statement.close();
  TFormImport byUser;
  EXPECT_FALSE(Run(byUser, [&](QWidget* w) {
    auto* day = Find<QComboBox>(w, "CBOfxDate");
    EXPECT_TRUE(day->isHidden());  // the CSV file kept from before
    TypeInto(Find<QLineEdit>(w, "EdFileName"), ofx);
    EXPECT_FALSE(day->isHidden());
    auto* grid = Find<QTableWidget>(w, "PreviewGrid");
    EXPECT_EQ(grid->item(0, 0)->text(), "2026-01-05");
    day->setCurrentIndex(1);
    emit day->activated(1);
    EXPECT_EQ(grid->item(0, 0)->text(), "2026-01-03");
    Click(Find<QPushButton>(w, "BtCancel"));
  }));
  EXPECT_EQ(LoadImportChoices(GetSettings()).ofxDate, EOfxDate::kUser);
}

// The review shows the bank's balance beside the books' as the rows are
// checked (a row left out makes a difference and is highlighted), the
// category each row gets, and the rows without one alone when asked.
TEST_F(ImportWindow, ReviewComparesTheBankBalanceAsRowsAreChecked) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(
      "Date;Text;Amount;Balance\n2024-01-05;Shop;-10.00;-10.00\n2024-01-06;Pay;20.00;10.00\n");
  file.close();
  CSourceTable table;
  std::string error;
  ASSERT_TRUE(ReadDelimitedFile(path.toStdString(), {';', ETextEncoding::kUtf8, 0}, table, error));
  CImportOptions options;
  options.account = base.bank;
  options.kind = EImportKind::kAuto;
  options.firstRow = 2;
  options.columns = SuggestColumns(table, 2, EDateOrder::kYmd, '.');
  options.columns[3].type = EColumnType::kBalance;
  CImportPlan plan = PlanImport(base.db, table, options, CFitIdStore(""));
  const std::uint32_t food = base.AddSubType("Food", kExpenseRoot);
  const std::uint32_t salary = base.AddSubType("Salary", kIncomeRoot);
  plan.rows[0].record.categoryId = food;  // as a rule would give it
  const CSubTypePaths names(base.db);
  TFormImportReview review;
  OnModalOf<TFormImportReview>([salary](TFormImportReview& w) {
    auto* balance = Find<QLabel>(&w, "LbBalance");
    EXPECT_TRUE(balance->text().contains("the books agree")) << balance->text().toStdString();
    QAbstractItemModel* rows = Find<QTableView>(&w, "ReviewGrid")->model();
    rows->setData(rows->index(1, 0), Qt::Unchecked, Qt::CheckStateRole);
    EXPECT_TRUE(balance->text().contains("a difference of 20.00")) << balance->text().toStdString();
    EXPECT_TRUE(rows->index(1, 2).data(Qt::BackgroundRole).isValid());
    EXPECT_FALSE(rows->index(0, 2).data(Qt::BackgroundRole).isValid());
    EXPECT_EQ(rows->index(0, TImportReviewModel::kCategory).data().toString(), "Food");
    Find<QCheckBox>(&w, "CbUncategorized")->setChecked(true);
    ASSERT_EQ(rows->rowCount(), 1);
    EXPECT_EQ(rows->index(0, TImportReviewModel::kDescription).data().toString(), "Pay");
    // The user gives the row a category of its own.
    auto* category = Find<QPushButton>(&w, "BtCategory");
    EXPECT_FALSE(category->isEnabled());
    Find<QTableView>(&w, "ReviewGrid")->selectRow(0);
    OnModalOf<TFormBulkEdit>([salary](TFormBulkEdit& choice) {
      auto* box = Find<QComboBox>(&choice, "CBCategory");
      box->setCurrentIndex(box->findData(salary));
      Click(Find<QPushButton>(&choice, "BtOk"));
    });
    Click(category);
    EXPECT_EQ(rows->index(0, TImportReviewModel::kCategory).data().toString(), "Salary");
    EXPECT_EQ(rows->index(0, TImportReviewModel::kCategoryFrom).data().toString(), "chosen by you");
    Click(Find<QPushButton>(&w, "BtCancel"));
  });
  EXPECT_FALSE(review.Execute(plan, "statement.csv", false, &names, &base.db));
  EXPECT_EQ(plan.rows[1].record.categoryId, salary);
  // An expense category does not fit the income row: the choice is refused.
  const auto refused = CheckPlannedChoice(plan, {0, 1}, {food, 0, 0, 0}, names);
  ASSERT_EQ(refused.size(), 1u);
  EXPECT_EQ(refused[0].why, TBulkRefusal::kCategoryKind);
}

// A rule made in the review takes the rows it matches at once: over what
// was learned, never over the file's or the user's own choice.
TEST_F(ImportWindow, RuleMadeInTheReviewTakesTheRowsItMatches) {
  const std::uint32_t food = base.AddSubType("Food", kExpenseRoot);
  CImportPlan plan;
  const std::pair<const char*, ECategorySource> whys[] = {
      {"like 3 earlier transactions", ECategorySource::kLearned},
      {"from the file", ECategorySource::kFile},
      {"", ECategorySource::kNone},
      {"chosen by you", ECategorySource::kUser}};
  for (const auto& [why, source] : whys) {
    CPlannedRow row;
    row.source = source;
    row.record.fromAccount = base.bank;
    row.record.amountOut = 10000;
    row.record.categoryId = *why == 0 ? 0 : 7;
    row.description = plan.AddText("REWE SAGT DANKE 4711");
    row.why = plan.AddText(why);
    plan.rows.push_back(row);
  }
  CImportRule rule;
  rule.match.text = "rewe";
  rule.set.category = food;
  rule.set.description = "REWE";
  const CSubTypePaths names(base.db);
  EXPECT_EQ(ApplyNewRule(plan, rule, 4, base.bank, names), 2u);
  for (std::size_t i : {0, 2}) {
    EXPECT_EQ(plan.rows[i].record.categoryId, food);
    EXPECT_EQ(plan.Text(plan.rows[i].why), "rule 4: 'rewe'");
    EXPECT_EQ(plan.Description(plan.rows[i]), "REWE");
  }
  for (std::size_t i : {1, 3}) EXPECT_EQ(plan.rows[i].record.categoryId, 7u);
}

// The printed report, printed to PDF: pages with the title and header on
// each, groups as one row, the selection alone, and the print colours.
#include <gtest/gtest.h>

#include <QFile>
#include <QPrinter>
#include <QRegularExpression>
#include <cmath>

#include "Printing.h"
#include "TreeFixture.h"

namespace {

class Report : public CTreeFixture {
 protected:
  void SetUp() override {
    SetClock(EncodeDate(2007, 5, 20));
    CTreeFixture::SetUp();
    food = SubType("Food", kExpenseRoot);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(dir.Path("report.pdf")));
    printer.setPageSize(QPageSize(QPageSize::A4));
  }
  std::uint32_t Add(const std::string& name, std::uint32_t category, double amount) {
    CTransactionItem t;
    t.description = name;
    t.record.date = EncodeDate(2007, 5, 10);
    t.record.fromAccount = 103;
    t.record.categoryId = category;
    t.record.amountOut = t.record.amountIn = M(amount);
    return db.AddTransaction(t);
  }
  TPrintCounts Print(bool selectionOnly) {
    return PrintTree(printer, *tree, control, "Pardow report. Time interval: May 2007",
                     selectionOnly);
  }
  // Pages in the PDF file written.
  int PdfPages() {
    QFile file(printer.outputFileName());
    if (!file.open(QIODevice::ReadOnly)) return -1;
    const QString text = QString::fromLatin1(file.readAll());
    static const QRegularExpression page("/Type\\s*/Page[^s]");
    return static_cast<int>(text.count(page));
  }

  QPrinter printer{QPrinter::HighResolution};
  std::uint32_t food = 0;
};

}  // namespace

TEST(PrintColours, DarkColoursPrintBlackAndWhiteStaysWhite) {
  EXPECT_EQ(PrintTextColor(0xFFFFFF), QColor(Qt::white));
  EXPECT_EQ(PrintTextColor(0x000000), QColor(Qt::black));
  // The test reads the colour with blue as the highest part.
  EXPECT_EQ(PrintTextColor(0xFF0000), QColor(Qt::black)) << "pure red";
  EXPECT_EQ(PrintTextColor(0x808080), QColor(128, 128, 128));
  EXPECT_EQ(PrintTextColor(0x0000C8), QColor(0, 0, 200)) << "a strong blue keeps its colour";
}

TEST_F(Report, ALongReportRepeatsTitleAndHeaderOnEveryPage) {
  const std::uint32_t dairy = SubType("Dairy", food);
  for (int i = 0; i < 3; ++i) Add("Milk", dairy, 1.5);
  for (int i = 0; i < 120; ++i) Add("Item " + std::to_string(1000 + i), food, 1 + i);
  Build();
  const TPrintCounts counts = Print(false);
  const QByteArray preview = qgetenv("PARDOW_PREVIEW_DIR");
  if (!preview.isEmpty()) QFile::copy(printer.outputFileName(), preview + "/report.pdf");
  EXPECT_EQ(counts.rows, 2 + 2 + 1 + 120) << "top nodes, Food, Dairy, the Milk group, the items";
  EXPECT_GE(counts.pages, 3);
  EXPECT_EQ(counts.headers, counts.pages);
  EXPECT_EQ(PdfPages(), counts.pages);
  EXPECT_EQ(printer.docName(), "Pardow report. Time interval: May 2007");

  // A month without transactions fits on one page.
  db.SetInterval(EncodeDate(2007, 6, 1), EncodeDate(2007, 6, 30));
  Build();
  const TPrintCounts one = Print(false);
  EXPECT_EQ(one.rows, 2);
  EXPECT_EQ(one.pages, 1);
  EXPECT_EQ(one.headers, 1);
  EXPECT_EQ(PdfPages(), 1);
}

TEST_F(Report, GroupsPrintAsOneRow) {
  Add("Milk", food, 1);
  Add("Milk", food, 2);
  Add("Milk", food, 3);
  Add("Bread", food, 1);
  Build();
  ASSERT_EQ(tree->Expenses()->children.begin()->second->children.size(), 2u);
  EXPECT_EQ(Print(false).rows, 5) << "Incomings, Expenses, Food, the Milk group and Bread";
  tree->GroupByName = false;
  Build();
  EXPECT_EQ(Print(false).rows, 7);
}

TEST_F(Report, SelectionOnlyPrintsTheSelectedBranch) {
  const std::uint32_t dairy = SubType("Dairy", food);
  Add("Milk", dairy, 1);
  Add("Cheese", dairy, 2);
  Add("Bread", food, 1);
  Build();
  const TPrintCounts nothing = Print(true);
  EXPECT_EQ(nothing.rows, 0) << "nothing selected: title and header only";
  EXPECT_EQ(nothing.headers, 1);
  EXPECT_EQ(nothing.pages, 1);
  EXPECT_EQ(PdfPages(), 1);

  tree->ItemOf(tree->Expenses()->children.at(food)->children.at(dairy).get())->setSelected(true);
  EXPECT_EQ(Print(true).rows, 3) << "Dairy and its two transactions";
  EXPECT_EQ(Print(false).rows, 2 + 2 + 3) << "the whole tree ignores the selection";
}

// Row looks: the strip picture, the composition of tree rows (strips, shading,
// texts per column), the tree control's painting, and the account and
// currency rows. Set PARDOW_PREVIEW_DIR to keep the rendered pictures.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <cmath>
#include <functional>

#include "FittingLabel.h"
#include "TreeFixture.h"

namespace {

void Preview(const QImage& image, const char* name) {
  const QByteArray dir = qgetenv("PARDOW_PREVIEW_DIR");
  if (!dir.isEmpty()) image.save(QString::fromUtf8(dir) + "/" + name);
}

int Lightness(QRgb c) {
  return qRed(c) + qGreen(c) + qBlue(c);
}

// Pixels of `image` inside `area` for which `test` holds.
int CountPixels(const QImage& image, const QRect& area, const std::function<bool(QRgb)>& test) {
  int count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (test(image.pixel(x, y))) ++count;
  return count;
}

}  // namespace

// ---- The strip picture ----------------------------------------------------------

TEST(ImgLines, StripsHaveTheirGeometryAndColours) {
  const QImage image = MakeImgLinesImage();
  Preview(image, "imglines.png");
  ASSERT_EQ(image.size(), QSize(192, 620));
  auto middle = [&](int strip) { return image.pixel(96, strip * 20 + 10); };
  // Every row of a strip's middle is one colour from x 20 to 171, so that
  // stretching it keeps the picture.
  for (int strip = 0; strip < 10; ++strip)
    for (int y = strip * 20; y < strip * 20 + 20; ++y)
      ASSERT_EQ(image.pixel(20, y), image.pixel(171, y)) << "strip " << strip << " row " << y;
  for (int y = 480; y < 620; ++y) ASSERT_EQ(image.pixel(20, y), image.pixel(171, y)) << y;

  const QRgb selection = middle(0), expenses = middle(1), incomes = middle(2);
  EXPECT_GT(qBlue(selection), qRed(selection) + 100) << "a strong blue under white text";
  EXPECT_GT(qRed(expenses), qGreen(expenses) + 80);
  EXPECT_GT(qGreen(incomes), qRed(incomes) + 80);
  for (int strip = 3; strip <= 7; ++strip) {
    EXPECT_GT(qBlue(middle(strip)), qRed(middle(strip))) << strip;
    if (strip > 3) {
      EXPECT_GT(Lightness(middle(strip)), Lightness(middle(strip - 1))) << strip;
    }
  }
  EXPECT_NEAR(qRed(middle(8)), 242, 6);
  EXPECT_LT(Lightness(middle(9)), Lightness(middle(8)));

  // Rounded caps: the outer corners are empty, the strip's inside is not.
  EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
  EXPECT_EQ(qAlpha(image.pixel(191, 19)), 0);
  EXPECT_EQ(qAlpha(image.pixel(10, 10)), 255);
  // The account cards, the selected one bluer, with air between neighbours.
  const QRgb card = image.pixel(96, 515), selectedCard = image.pixel(96, 585);
  EXPECT_GT(qBlue(selectedCard) - qRed(selectedCard), qBlue(card) - qRed(card) + 20);
  EXPECT_EQ(qAlpha(image.pixel(96, 480)), 0);
}

TEST(ImgLines, DrawStripKeepsTheCapsAndStretchesTheMiddle) {
  const QPixmap lines = MakeImgLines();
  const QImage source = lines.toImage();
  QImage wide(500, 20, QImage::Format_ARGB32_Premultiplied);
  wide.fill(Qt::transparent);
  QPainter painter(&wide);
  DrawStrip(painter, lines, 20, 20, QRect(0, 0, 500, 20));
  painter.end();
  for (int y = 0; y < 20; ++y) {
    EXPECT_EQ(wide.pixel(3, y), source.pixel(3, 20 + y)) << y;
    EXPECT_EQ(wide.pixel(496, y), source.pixel(188, 20 + y)) << y;
    EXPECT_EQ(wide.pixel(250, y), source.pixel(96, 20 + y)) << y;
  }
}

// ---- Row composition --------------------------------------------------------------

namespace {

class Rows : public CTreeFixture {
 protected:
  void SetUp() override {
    SetClock(EncodeDate(2007, 5, 20));
    CTreeFixture::SetUp();
    food = SubType("Food", kExpenseRoot);
    member = SubType("Anna", kMemberRoot);
    section = SubType("Home", kSectionRoot);
  }
  TransactionRecord Record(std::uint32_t category, double amount, float quantity) {
    TransactionRecord r;
    r.date = EncodeDate(2007, 5, 10);
    r.fromAccount = 103;
    r.categoryId = category;
    r.amountOut = r.amountIn = M(amount);
    r.quantity = quantity;
    r.memberId = member;
    r.sectionId = section;
    return r;
  }
  std::uint32_t Add(const std::string& name, std::uint32_t category, double amount,
                    float quantity = 1, const std::string& comment = "") {
    CTransactionItem t;
    t.description = name;
    t.comment = comment;
    t.record = Record(category, amount, quantity);
    return db.AddTransaction(t);
  }
  TRowLook Look(CTransactionNode* node, bool selected = false, int tab = kTransactionsTab) {
    return ComposeRow(*tree, node, selected, tab, db);
  }

  std::uint32_t food = 0, member = 0, section = 0;
};

}  // namespace

TEST_F(Rows, StripFollowsKindDepthAndSelection) {
  std::uint32_t parent = food, deepest = food;
  for (int level = 2; level <= 6; ++level)
    parent = deepest = SubType("L" + std::to_string(level), parent);
  Add("Deep", deepest, 5);
  Build();
  EXPECT_EQ(Look(tree->Incomes()).strip, 2);
  EXPECT_EQ(Look(tree->Expenses()).strip, 1);
  EXPECT_EQ(Look(tree->Expenses()).textColor, qRgb(255, 255, 255));
  const int expected[] = {0, 3, 4, 5, 6, 7, 7};  // by depth; depth 6 stays on 7
  CTransactionNode* node = Child(tree->Expenses(), food);
  for (int depth = 1; depth <= 6; ++depth) {
    ASSERT_NE(node, nullptr);
    ASSERT_EQ(node->depth, depth);
    const TRowLook look = Look(node);
    EXPECT_EQ(look.strip, expected[depth]) << "depth " << depth;
    EXPECT_EQ(look.textColor, qRgb(0, 0, 0));
    node = node->children.begin()->second.get();
  }
  ASSERT_EQ(node->kind, NodeTransaction);
  EXPECT_EQ(Look(node).strip, 8);
  EXPECT_EQ(Look(tree->Incomes(), true).strip, 0);
  EXPECT_EQ(Look(node, true).textColor, qRgb(255, 255, 255));
}

TEST_F(Rows, EverySecondTransactionOnTheScreenIsShadedAndACategoryRestartsTheCount) {
  const std::uint32_t a = Add("Apples", food, 1), b = Add("Bread", food, 2),
                      c = Add("Cheese", food, 3);
  const std::uint32_t dairy = SubType("Dairy", food);
  Add("Milk", dairy, 1);
  Build();
  CTransactionNode* foodNode = Child(tree->Expenses(), food);
  QTreeWidgetItem* foodItem = foodNode->item;
  tree->ShowChildren(foodNode);
  auto strips = [&] {
    std::vector<int> out;
    for (std::uint32_t id : {a, b, c}) out.push_back(Look(Child(foodNode, id)).strip);
    return out;
  };
  auto order = [&](std::initializer_list<std::uint32_t> keys) {
    std::vector<QTreeWidgetItem*> items;
    for (std::uint32_t key : keys) items.push_back(Child(foodNode, key)->item);
    for (QTreeWidgetItem* item : items) foodItem->removeChild(item);
    for (QTreeWidgetItem* item : items) foodItem->addChild(item);
  };
  order({dairy, a, b, c});
  EXPECT_EQ(strips(), (std::vector<int>{8, 9, 8}));
  order({a, dairy, b, c});
  EXPECT_EQ(strips(), (std::vector<int>{8, 8, 9})) << "the category restarts the count";
  order({c, b, a, dairy});
  EXPECT_EQ(strips(), (std::vector<int>{8, 9, 8})) << "the screen order counts, not the keys";
  order({b, a, c, dairy});
  EXPECT_EQ(strips(), (std::vector<int>{9, 8, 8}));
  EXPECT_EQ(Look(Child(foodNode, a), true).strip, 0) << "selection wins over the shade";
  EXPECT_EQ(Look(Child(foodNode, dairy)).strip, 4) << "categories are never shaded";
}

TEST_F(Rows, FiguresPerColumn) {
  const std::uint32_t drinks = SubType("Drinks", kExpenseRoot, true);
  const std::uint32_t counted = SubType("Counted", kExpenseRoot, true);  // only from the empty pass
  const std::uint32_t one = Add("Water", drinks, 150, 1);
  const std::uint32_t half = Add("Juice", drinks, 1234.5, 2.5f);
  Add("Refund", food, -1234.5 - 50);
  Build(true, 103, true);
  const TRowLook top = Look(tree->Expenses());
  EXPECT_EQ(top.Text(ColDescription), "Expenses");
  EXPECT_EQ(top.Text(ColQuantity), "") << "top nodes show no quantity";
  EXPECT_EQ(top.Text(ColPercent), "") << "nor a percent";
  EXPECT_EQ(top.Text(ColSum), "100.00");

  CTransactionNode* drinksNode = Child(tree->Expenses(), drinks);
  const TRowLook category = Look(drinksNode);
  EXPECT_EQ(category.Text(ColQuantity), "3.5");
  EXPECT_EQ(category.Text(ColSum), "1,384.50");
  EXPECT_EQ(category.Text(ColPercent), "100%") << "1384% of the parent is shown as 100%";
  EXPECT_EQ(Look(Child(tree->Expenses(), food)).Text(ColPercent), "-128%");
  EXPECT_EQ(Look(Child(tree->Expenses(), food)).Text(ColQuantity), "") << "Show total quantity off";
  EXPECT_EQ(Look(Child(tree->Expenses(), counted)).Text(ColQuantity), "") << "empty pass";
  EXPECT_EQ(Look(Child(tree->Expenses(), counted)).Text(ColPercent), "0%");

  EXPECT_TRUE(Child(drinksNode, one)->displayName.empty()) << "no name is read while building";
  const TRowLook water = Look(Child(drinksNode, one));
  EXPECT_EQ(Child(drinksNode, one)->displayName, "Water") << "the name is kept in the node";
  EXPECT_EQ(water.Text(ColQuantity), "1");
  EXPECT_EQ(water.Text(ColPercent), "11%");
  EXPECT_EQ(water.Text(ColDate), "5/10/2007") << "the short date with four-digit year";
  EXPECT_EQ(Look(Child(drinksNode, half)).Text(ColQuantity), "2.5");
  EXPECT_EQ(Look(Child(drinksNode, one), false, kSchedulerTab).Text(ColDate), "")
      << "no date on the Scheduler tab";
}

TEST_F(Rows, TransactionsShowMemberSectionAndNotesOnBothTabs) {
  const std::uint32_t id = Add("Bread", food, 2, 1, "fresh\r\nfrom the bakery");
  const std::uint32_t milk1 = Add("Milk", food, 1), milk2 = Add("Milk", food, 1);
  Build();
  CTransactionNode* foodNode = Child(tree->Expenses(), food);
  const TRowLook bread = Look(Child(foodNode, id));
  EXPECT_EQ(bread.Text(ColMember), "Anna");
  EXPECT_EQ(bread.Text(ColSection), "Home");
  EXPECT_EQ(bread.Text(ColNotes), "fresh from the bakery") << "one line on the row";
  CTransactionNode* group = Child(foodNode, milk1);
  ASSERT_EQ(group->kind, NodeGroup);
  const TRowLook groupLook = Look(group);
  EXPECT_EQ(groupLook.Text(ColMember), "") << "a group is no transaction";
  EXPECT_EQ(groupLook.Text(ColDate), "");
  EXPECT_EQ(groupLook.Text(ColQuantity), "2");
  EXPECT_EQ(Look(Child(group, milk2)).Text(ColMember), "Anna");

  // The Scheduler tab reads planned transactions.
  CPlnTransactionItem planned;
  planned.description = "Rent";
  planned.comment = "monthly";
  planned.record.schedule.kind = kScheduleNotSet;
  planned.record.transaction = Record(food, 500, 1);
  const std::uint32_t pln = db.AddPlnTransaction(planned);
  CFundsTree schedulerControl;
  CTransactionsTree scheduler(&schedulerControl, db, "Incomings", "Expenses");
  TPlnTransactionInterval::iterator first, last;
  ASSERT_TRUE(db.GetPlnTransactions(first, last));
  scheduler.BuildForAccount(first, last, 103, true, false);
  CTransactionNode* rent = Child(Child(scheduler.Expenses(), food), pln);
  ASSERT_NE(rent, nullptr);
  const TRowLook rentLook = ComposeRow(scheduler, rent, false, kSchedulerTab, db);
  EXPECT_EQ(rentLook.Text(ColDescription), "Rent");
  EXPECT_EQ(rentLook.Text(ColDate), "");
  EXPECT_EQ(rentLook.Text(ColMember), "Anna");
  EXPECT_EQ(rentLook.Text(ColSection), "Home");
  EXPECT_EQ(rentLook.Text(ColNotes), "monthly");

  // A scheduled one shows the day it falls due next, as the tree dates it.
  planned.description = "Insurance";
  planned.record.schedule.kind = kScheduleMonthly;
  planned.record.schedule.period = 20 + 50;  // every month on the 20th
  planned.record.schedule.lastProcessed = EncodeDate(2007, 5, 20);
  const std::uint32_t due = db.AddPlnTransaction(planned);
  ASSERT_TRUE(db.GetPlnTransactions(first, last));
  scheduler.BuildForAccount(first, last, 103, true, false);
  CTransactionNode* dueNode = Child(Child(scheduler.Expenses(), food), due);
  ASSERT_NE(dueNode, nullptr);
  EXPECT_EQ(ComposeRow(scheduler, dueNode, false, kSchedulerTab, db).Text(ColDate), "6/20/2007");
  EXPECT_EQ(dueNode->date, EncodeDate(2007, 6, 20));
}

// Figures are right-aligned: a text cut on the left would leave ink at the
// left edge of the space a figure may take (8 px into the column before).
TEST(RowFigures, FitTheDefaultColumnsAndAreNeverCutOnTheLeft) {
  struct Case {
    int column;
    const char* text;
    int fontSize;
    bool bold;
    int width;  // 0: the column's default
  };
  const Case cases[] = {
      {ColSum, "999,999,999.99", 10, true, 0},  // a top row's total
      {ColSum, "-99,999,999.99", 8, false, 0},
      {ColDate, "12/28/2026", 8, false, 0},
      {ColDate, "28.12.2026", 8, false, 0},
      {ColSum, "77,867.01", 10, true, 40},  // too narrow: ends with an ellipsis
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::vector<TColumnSpan> columns(kFundsColumnCount);
    int x = 0;
    for (int i = 0; i < kFundsColumnCount; ++i) {
      const int width = i == c.column && c.width ? c.width : CFundsTree::DefaultColumnWidth(i);
      columns[i] = {x, x + width, true};
      x += width;
    }
    TRowLook look;
    look.strip = 8;
    look.textColor = qRgb(0, 0, 0);
    look.fontSize = c.fontSize;
    look.bold = c.bold;
    look.cells = {{c.column, QString::fromLatin1(c.text), true}};
    const QImage image = PaintRowImage(look, columns, x, MakeImgLines());
    auto ink = [](QRgb p) { return Lightness(p) < 200; };
    const int reach = columns[c.column].left - 8;
    EXPECT_EQ(CountPixels(image, QRect(reach, 2, 2, 16), ink), 0) << "cut on the left";
    EXPECT_GT(CountPixels(image, QRect(reach, 2, columns[c.column].right - reach, 16), ink), 10);
  }
}

TEST(ShortDate, FourDigitYearsInTheLocalesOrder) {
  EXPECT_EQ(ShortDateText(EncodeDate(2007, 5, 10)), "5/10/2007");
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  EXPECT_EQ(ShortDateText(EncodeDate(2007, 5, 10)), "10.05.2007");
  EXPECT_EQ(ShortDateUtf8(EncodeDate(1999, 12, 31)), "31.12.1999");
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

// ---- The tree control -------------------------------------------------------------

TEST(FundsTree, HeaderColumnsAlignAndKeepTheirMinimum) {
  CFundsTree tree;
  ASSERT_EQ(tree.columnCount(), 8);
  for (int i = 0; i < 8; ++i)
    EXPECT_EQ((tree.headerItem()->textAlignment(i) & Qt::AlignRight) != 0, i >= 1 && i <= 4) << i;
  tree.header()->resizeSection(0, 10);
  EXPECT_EQ(tree.header()->sectionSize(0), 50) << "the description keeps 50 px";
  tree.header()->resizeSection(1, 1);
  EXPECT_EQ(tree.header()->sectionSize(1), 1);
}

TEST_F(Rows, TheControlPaintsStripsTextsAndRules) {
  const std::uint32_t dairy = SubType("Dairy", food);
  const std::uint32_t bread = Add("Bread", food, 2, 1, "for the weekend");
  Add("Milk", dairy, 1.25);
  Add("Butter", food, 3.5);
  CTransactionItem salary;
  salary.description = "Salary";
  salary.record = Record(0, 1000, 1);
  salary.record.fromAccount = 0;
  salary.record.toAccount = 103;
  db.AddTransaction(salary);
  Build();
  tree->Expenses()->item->setExpanded(true);
  Child(tree->Expenses(), food)->item->setExpanded(true);
  Child(Child(tree->Expenses(), food), dairy)->item->setExpanded(true);
  const QPixmap lines = MakeImgLines();
  control.SetTree(tree.get(), &db, &lines);
  control.resize(600, 260);
  control.show();
  QApplication::processEvents();
  Child(Child(tree->Expenses(), food), bread)->item->setSelected(true);
  QApplication::processEvents();

  const QImage shot = control.viewport()->grab().toImage();
  Preview(control.grab().toImage(), "fundstree.png");
  auto rowOf = [&](CTransactionNode* node) { return control.visualItemRect(node->item); };
  auto reddish = [](QRgb c) { return qRed(c) > 120 && qGreen(c) < 90 && qBlue(c) < 90; };
  auto greenish = [](QRgb c) { return qGreen(c) > 120 && qRed(c) < 100 && qBlue(c) < 100; };
  auto blueish = [](QRgb c) { return qBlue(c) > 150 && qRed(c) < 110; };

  const QRect incomes = rowOf(tree->Incomes()), expenses = rowOf(tree->Expenses());
  EXPECT_EQ(incomes.height(), 20);
  EXPECT_TRUE(greenish(shot.pixel(130, incomes.center().y())));
  EXPECT_TRUE(reddish(shot.pixel(130, expenses.center().y())));
  const QRect breadRow = rowOf(Child(Child(tree->Expenses(), food), bread));
  EXPECT_TRUE(blueish(shot.pixel(130, breadRow.center().y()))) << "the selected row";
  EXPECT_GT(CountPixels(shot, QRect(20, breadRow.top() + 2, 200, 16),
                        [](QRgb c) { return Lightness(c) > 700; }),
            10)
      << "white text on the selection";
  const QRect foodRow = rowOf(Child(tree->Expenses(), food));
  // The strip starts 7 px right of the text area: left of that, the tree's own background.
  const int textLeft = control.visualRect(control.indexFromItem(tree->Incomes()->item)).left();
  EXPECT_EQ(shot.pixel(textLeft + 3, incomes.center().y()), qRgb(255, 255, 255));
  // The sum ends 12 px before its column's edge: dark text pixels there, none after it.
  const int sumRight =
      control.header()->sectionViewportPosition(ColSum) + control.header()->sectionSize(ColSum);
  auto textPixels = [&](const QRect& row, int from, int to) {
    return CountPixels(shot, QRect(from, row.top() + 3, to - from, 13),
                       [](QRgb c) { return Lightness(c) < 200; });
  };
  EXPECT_GT(textPixels(foodRow, sumRight - 40, sumRight - 12), 5);
  EXPECT_EQ(textPixels(foodRow, sumRight - 11, sumRight - 3), 0);
  // Dotted rules 2 px left of each column's right edge.
  int dots = 0;
  for (int y = foodRow.top(); y <= foodRow.bottom(); ++y)
    dots += shot.pixel(sumRight - 2, y) != shot.pixel(sumRight - 3, y);
  EXPECT_GE(dots, 5);

  // Scrolling moves the rows with the header (the description has shrunk to
  // its minimum: the other columns are wider than the view).
  const int shift = control.horizontalScrollBar()->maximum();
  ASSERT_GT(shift, 20);
  control.horizontalScrollBar()->setValue(shift);
  QApplication::processEvents();
  const QImage scrolled = control.viewport()->grab().toImage();
  EXPECT_EQ(control.header()->sectionViewportPosition(ColSum),
            sumRight - control.header()->sectionSize(ColSum) - shift);
  EXPECT_GT(CountPixels(scrolled, QRect(sumRight - 40 - shift, foodRow.top() + 3, 28, 13),
                        [](QRgb c) { return Lightness(c) < 200; }),
            5);
}

// ---- Account and currency rows ------------------------------------------------------

namespace {

QImage AccountCard(bool selected, const QString& comment, Money balance, const QString& budget = {},
                   bool overBudget = false, const QString& agreed = {}) {
  QImage image(260, 70, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  QPainter p(&image);
  PaintAccountRow(p, image.rect(), selected,
                  {"Wallet", comment, "Balance", balance, "USD", budget, overBudget, agreed},
                  MakeImgLines(), AccountIcon());
  return image;
}

QImage CurrencyRow(int row, bool selected, const QString& rate) {
  QImage image(240, 20, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  QPainter p(&image);
  PaintCurrencyRow(p, image.rect(), row, selected, "Euro", rate, "USD", MakeImgLines());
  return image;
}

bool Red(QRgb c) {
  return qRed(c) > 150 && qGreen(c) < 80 && qBlue(c) < 80;
}
bool DarkGreen(QRgb c) {
  return qGreen(c) > 50 && qRed(c) < 40 && qBlue(c) < 40;
}

}  // namespace

TEST(AccountRow, BalanceIsGreenOrRedAndOnlyTheCommentsFirstLineShows) {
  const QImage negative = AccountCard(false, "Cash", M(-12.5));
  const QImage positive = AccountCard(true, "Cash", M(1234.56));
  Preview(negative, "account.png");
  Preview(positive, "account-selected.png");
  const QRect balanceArea(130, 46, 120, 18);
  EXPECT_GT(CountPixels(negative, balanceArea, Red), 10);
  EXPECT_EQ(CountPixels(negative, negative.rect(), DarkGreen), 0);
  EXPECT_GT(CountPixels(positive, balanceArea, DarkGreen), 10);
  EXPECT_EQ(CountPixels(positive, positive.rect(), Red), 0);
  EXPECT_EQ(FirstCommentLine("one\ntwo"), "one");
  EXPECT_EQ(AccountCard(false, "First line\r\nSecond line", 0),
            AccountCard(false, "First line", 0));
  EXPECT_NE(AccountCard(false, "First line", 0), AccountCard(false, "", 0));
}

TEST(AccountRow, TheBudgetLineTurnsRedWhenOverspent) {
  const QRect commentRow(50, 30, 200, 16);
  const QImage within = AccountCard(false, "Cash", M(5), "Budget 10.00 / 20.00");
  const QImage over = AccountCard(false, "Cash", M(5), "Budget 30.00 / 20.00", true);
  Preview(over, "account-over-budget.png");
  EXPECT_EQ(CountPixels(within, commentRow, Red), 0);
  EXPECT_GT(CountPixels(over, commentRow, Red), 10);
  EXPECT_NE(within, AccountCard(false, "Cash", M(5))) << "the budget line shows";
}

TEST(AccountRow, TheAgreedLineTakesAnEmptyCommentsPlaceOrALineBelowIt) {
  const QString agreed = "Agreed with bank on 01/31/2026";
  const QImage alone = AccountCard(false, "", M(5), {}, false, agreed);
  const QImage withComment = AccountCard(false, "Cash", M(5), {}, false, agreed);
  const QImage all = AccountCard(false, "Cash", M(5), "Budget 10.00 / 20.00", false, agreed);
  Preview(alone, "account-agreed.png");
  Preview(all, "account-agreed-budget.png");
  auto greenInRow = [](const QImage& image, int top, int bottom) {
    return CountPixels(image, QRect(50, top, 200, bottom - top),
                       [](QRgb c) { return qGreen(c) > 70 && qRed(c) < 60 && qBlue(c) < 60; });
  };
  EXPECT_GT(greenInRow(alone, 30, 46), 10) << "in the comment's place";
  EXPECT_EQ(greenInRow(withComment, 23, 36), 0) << "the comment keeps its line";
  EXPECT_GT(greenInRow(withComment, 36, 49), 10) << "a line of its own";
  EXPECT_GT(greenInRow(all, 36, 49), 10) << "beside the budget";
  EXPECT_NE(all, withComment) << "the budget line shows too";
}

TEST(CurrencyRow, RatesOnOtherRowsAndAlternatingStrips) {
  const QImage even = CurrencyRow(0, false, "1.3500"), odd = CurrencyRow(1, false, "1.3500");
  const QImage base = CurrencyRow(2, true, "1.3500");
  Preview(even, "currency-even.png");
  Preview(base, "currency-selected.png");
  EXPECT_GT(Lightness(even.pixel(60, 10)), Lightness(odd.pixel(60, 10)));
  EXPECT_GT(qBlue(base.pixel(100, 10)), qRed(base.pixel(100, 10)) + 100);
  EXPECT_NE(CurrencyRow(0, false, "2.0000"), even) << "the rate shows";
  EXPECT_EQ(CurrencyRow(2, true, "2.0000"), base) << "the base currency shows no rate";
  // The rate ends 40 px from the right edge, the symbol starts 36 px from it.
  auto ink = [](const QImage& image, int from, int to) {
    return CountPixels(image, QRect(from, 3, to - from, 14),
                       [](QRgb c) { return Lightness(c) < 200; });
  };
  EXPECT_GT(ink(even, 240 - 70, 240 - 40), 5);
  EXPECT_EQ(ink(even, 240 - 39, 240 - 37), 0);
  EXPECT_GT(ink(even, 240 - 36, 240 - 10), 5);
}

TEST(FittingLabel, ShrinksItsFontUntilTheCaptionFits) {
  CFittingLabel label;
  QFont font(ArialFamily());
  font.setPixelSize(16);
  font.setBold(true);
  label.setFont(font);
  label.setText("10 Dec 2026 - 24 Dec 2026");
  label.resize(400, 24);
  EXPECT_EQ(label.FittedFont().pixelSize(), 16);
  label.resize(150, 24);
  const QFont fitted = label.FittedFont();
  EXPECT_LT(fitted.pixelSize(), 16);
  EXPECT_LE(QFontMetrics(fitted).horizontalAdvance(label.text()), 150);
}

// The transaction tree on a real QTreeWidget: building per account and in a
// base currency, grouping, categories, totals, sorting and incremental
// rebuilds that keep the screen items.
#include <gtest/gtest.h>

#include <QTreeWidget>

#include "TreeFixture.h"

namespace {

class Tree : public CTreeFixture {
 protected:
  void SetUp() override {
    CTreeFixture::SetUp();
    food = SubType("Food", kExpenseRoot);
    dairy = SubType("Dairy", food);
    salary = SubType("Salary", kIncomeRoot);
  }
  std::uint32_t Add(const std::string& name, std::uint32_t category, double amount,
                    std::uint32_t from = 103, std::uint32_t to = 0, double in = -1, float qty = 1) {
    CTransactionItem t;
    t.description = name;
    t.record.date = EncodeDate(2007, 5, 10);
    t.record.fromAccount = from;
    t.record.toAccount = to;
    t.record.categoryId = category;
    t.record.amountOut = M(amount);
    t.record.amountIn = M(in < 0 ? amount : in);
    t.record.quantity = qty;
    return db.AddTransaction(t);
  }

  // The item of `node` with the items of its children made.
  QTreeWidgetItem* Open(CTransactionNode* node) {
    QTreeWidgetItem* item = tree->ItemOf(node);
    tree->ShowChildren(node);
    return item;
  }

  std::uint32_t food = 0, dairy = 0, salary = 0;
};

}  // namespace

TEST_F(Tree, EmptyTreeShowsBothTopNodesAndOptionallyEveryCategory) {
  Build(true);
  ASSERT_EQ(control.topLevelItemCount(), 2);
  EXPECT_EQ(NodeOf(control.topLevelItem(0)), tree->Incomes());
  EXPECT_EQ(tree->Incomes()->displayName, "Incomings");
  EXPECT_EQ(tree->Expenses()->displayName, "Expenses");
  EXPECT_EQ(tree->Incomes()->sum, 0);
  EXPECT_TRUE(tree->Expenses()->children.empty());

  Build(true, 103, true);
  CTransactionNode* foodNode = Child(tree->Expenses(), food);
  ASSERT_NE(foodNode, nullptr);
  EXPECT_EQ(foodNode->displayName, "Food");
  EXPECT_EQ(foodNode->depth, 1);
  EXPECT_FALSE(foodNode->showQuantity);
  EXPECT_EQ(foodNode->kind, NodeCategory);
  ASSERT_NE(Child(foodNode, dairy), nullptr);
  EXPECT_EQ(Child(foodNode, dairy)->depth, 2);
  EXPECT_NE(Child(tree->Incomes(), salary), nullptr);
  EXPECT_EQ(control.topLevelItem(1)->childCount(), 1);
  EXPECT_TRUE(control.topLevelItem(1)->isExpanded());

  tree->ShowTypes = false;
  Add("Milk", dairy, 2);
  Build(true, 103, true);
  EXPECT_NE(Child(tree->Expenses(), food), nullptr) << "empty categories still appear";
  EXPECT_EQ(tree->Expenses()->children.size(), 2u) << "Food and the transaction beside it";
}

TEST_F(Tree, EqualNamesGroupExactlyAndSumUp) {
  const std::uint32_t a = Add("Milk", dairy, 1.5, 103, 0, -1, 2);
  Add("Milk", dairy, 2.5);
  Add("Milk", dairy, 3);
  const std::uint32_t lower = Add("milk", dairy, 4);
  const std::uint32_t bread = Add("Bread", food, 1);
  Build(true);
  CTransactionNode* foodNode = Child(tree->Expenses(), food);
  CTransactionNode* dairyNode = Child(foodNode, dairy);
  ASSERT_NE(dairyNode, nullptr);
  CTransactionNode* group = Child(dairyNode, a);
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->kind, NodeGroup);
  EXPECT_EQ(group->transactionId, 0u);
  EXPECT_EQ(group->children.size(), 3u);
  EXPECT_EQ(group->sum, M(7));
  EXPECT_EQ(group->quantity, 40000);
  EXPECT_EQ(Child(group, a)->quantity, 20000);
  EXPECT_EQ(Child(group, a)->kind, NodeTransaction);
  EXPECT_EQ(Child(dairyNode, lower)->kind, NodeTransaction) << "milk is not Milk";
  EXPECT_EQ(Child(foodNode, bread)->kind, NodeTransaction) << "a single name makes no group";
  EXPECT_EQ(foodNode->sum, M(12));
  EXPECT_EQ(tree->Expenses()->sum, M(12));
  EXPECT_EQ(Open(dairyNode)->childCount(), 2);
  EXPECT_EQ(Open(group)->childCount(), 3);
}

TEST_F(Tree, PercentagesAreSharesOfTheParent) {
  const std::uint32_t bread = Add("Bread", food, 1);
  const std::uint32_t fuel = Add("Fuel", kExpenseRoot + 1000000, 2);  // no such category
  Build(true);
  EXPECT_EQ(Child(tree->Expenses(), food)->percent, 33);
  EXPECT_EQ(Child(tree->Expenses(), fuel)->percent, 67) << "an unknown category puts it on top";
  EXPECT_EQ(Child(Child(tree->Expenses(), food), bread)->percent, 100);
  // Sums of zero give zero percent everywhere below.
  CTransactionItem t;
  db.GetTransaction(bread, t);
  t.record.amountOut = t.record.amountIn = 0;
  db.EditTransaction(t);
  db.GetTransaction(fuel, t);
  t.record.amountOut = t.record.amountIn = 0;
  db.EditTransaction(t);
  Build(false);
  EXPECT_EQ(Child(tree->Expenses(), food)->percent, 0);
  EXPECT_EQ(Child(Child(tree->Expenses(), food), bread)->percent, 0);
}

TEST_F(Tree, TransfersPerAccountAndInABaseCurrency) {
  CAccountItem euroAccount;
  euroAccount.name = "Euros";
  euroAccount.record.currencyId = 102;
  const std::uint32_t euros = db.AddAccount(euroAccount);
  db.SetExchangeRate(101, 102, 0.8);  // one dollar is 0.8 euro
  const std::uint32_t move = Add("Exchange", 0, 100, 103, euros, 80);
  Build(true, 103);
  EXPECT_EQ(Child(tree->Expenses(), move)->sum, M(100));
  EXPECT_TRUE(tree->Incomes()->children.empty());
  Build(true, euros);
  EXPECT_EQ(Child(tree->Incomes(), move)->sum, M(80));
  EXPECT_TRUE(tree->Expenses()->children.empty());
  BuildInCurrency(102);
  EXPECT_EQ(Child(tree->Expenses(), move)->sum, M(80)) << "100 dollars at 0.8";
  EXPECT_EQ(Child(tree->Incomes(), move)->sum, M(80)) << "80 euros stay 80";
  BuildInCurrency(101);
  EXPECT_EQ(Child(tree->Expenses(), move)->sum, M(100));
  EXPECT_EQ(Child(tree->Incomes(), move)->sum, M(100)) << "80 euros at 1.25";
  // A rate with more than four decimals is rounded first, the product truncated.
  db.SetExchangeRate(101, 102, 1.0 / 3);
  BuildInCurrency(102);
  EXPECT_EQ(Child(tree->Expenses(), move)->sum, M(33.33));
}

TEST_F(Tree, NoAccountChosenShowsNothing) {
  Add("Salary", salary, 10, 0, 103);
  Build(true, 0);
  EXPECT_TRUE(tree->Expenses()->children.empty()) << "an income is nobody's expense";
  EXPECT_TRUE(tree->Incomes()->children.empty());
}

TEST_F(Tree, IncrementalRebuildKeepsItemsExpansionAndSelection) {
  const std::uint32_t a = Add("Milk", dairy, 1);
  const std::uint32_t b = Add("Milk", dairy, 2);
  const std::uint32_t c = Add("Cheese", dairy, 3);
  Build(true);
  CTransactionNode* dairyNode = Child(Child(tree->Expenses(), food), dairy);
  QTreeWidgetItem* dairyItem = tree->ItemOf(dairyNode);
  dairyItem->setExpanded(true);
  QTreeWidgetItem* groupItem = Child(dairyNode, a)->item;
  QTreeWidgetItem* cheeseItem = Child(dairyNode, c)->item;
  QTreeWidgetItem* firstMilk = tree->ItemOf(Child(Child(dairyNode, a), a));
  control.setCurrentItem(cheeseItem);
  cheeseItem->setSelected(true);

  Build(false);
  EXPECT_EQ(Child(Child(tree->Expenses(), food), dairy)->item, dairyItem);
  EXPECT_EQ(Child(dairyNode, a)->item, groupItem);
  EXPECT_EQ(Child(dairyNode, a)->kind, NodeGroup);
  EXPECT_EQ(Child(Child(dairyNode, a), a)->item, firstMilk);
  EXPECT_TRUE(dairyItem->isExpanded());
  EXPECT_EQ(control.currentItem(), cheeseItem);
  EXPECT_TRUE(cheeseItem->isSelected());

  // Grouping off: the group turns back into its first transaction's node.
  tree->GroupByName = false;
  Build(false);
  CTransactionNode* first = Child(dairyNode, a);
  EXPECT_EQ(first->kind, NodeTransaction);
  EXPECT_EQ(first->item, groupItem);
  EXPECT_TRUE(first->children.empty()) << "the group's former child is pruned";
  EXPECT_EQ(groupItem->childCount(), 0);
  ASSERT_NE(Child(dairyNode, b), nullptr);
  EXPECT_EQ(Child(dairyNode, b)->item->parent(), dairyItem);
  EXPECT_EQ(dairyNode->item->childCount(), 3);
  EXPECT_EQ(first->sum, M(1));

  // And on again: the same node becomes the group once more.
  tree->GroupByName = true;
  Build(false);
  EXPECT_EQ(Child(dairyNode, a)->kind, NodeGroup);
  EXPECT_EQ(Child(dairyNode, a)->item, groupItem);
  EXPECT_EQ(Child(dairyNode, b), nullptr);
  EXPECT_EQ(Child(dairyNode, a)->sum, M(3));
}

TEST_F(Tree, ChangedCategoryMovesTheNodeAndPrunesTheOldOne) {
  const std::uint32_t t = Add("Milk", dairy, 1);
  Build(true);
  CTransactionItem item;
  db.GetTransaction(t, item);
  item.record.categoryId = salary;  // the top node follows the account side, not the category
  db.EditTransaction(item);
  Build(false);
  CTransactionNode* foodNode = Child(tree->Expenses(), food);
  EXPECT_EQ(foodNode, nullptr) << "an emptied category is pruned";
  ASSERT_NE(Child(tree->Expenses(), salary), nullptr);
  EXPECT_NE(Child(Child(tree->Expenses(), salary), t), nullptr);
  EXPECT_EQ(control.topLevelItem(1)->childCount(), 1);
}

TEST_F(Tree, SortKeepsCategoriesFirstInEveryColumnAndDirection) {
  Add("b", food, 5, 103, 0, -1, 3);
  Add("A", food, 1, 103, 0, -1, 9);
  Add("c", food, 3, 103, 0, -1, 1);
  const std::uint32_t cheese = SubType("Cheese", food);
  Add("x", cheese, 100);
  Build(true);
  QTreeWidgetItem* foodItem = Open(Child(tree->Expenses(), food));
  auto order = [&] {
    std::string names;
    for (int i = 0; i < foodItem->childCount(); ++i) {
      CTransactionNode* n = NodeOf(foodItem->child(i));
      names += n->kind == NodeCategory ? "[" + tree->NameOf(n) + "]" : tree->NameOf(n);
    }
    return names;
  };
  SortTree(*tree, {ColDescription, false});
  EXPECT_EQ(order(), "[Cheese]Abc");
  SortTree(*tree, {ColDescription, true});
  EXPECT_EQ(order(), "[Cheese]cbA");
  SortTree(*tree, {ColSum, false});  // Sum ascending
  EXPECT_EQ(order(), "[Cheese]Acb");
  SortTree(*tree, {ColPercent, true});  // % descending sorts by sum too
  EXPECT_EQ(order(), "[Cheese]bcA");
  SortTree(*tree, {ColQuantity, false});  // Quantity
  EXPECT_EQ(order(), "[Cheese]cbA");
  SortTree(*tree, {ColDate, true});  // Date: all equal days keep their order
  EXPECT_EQ(order(), "[Cheese]cbA");
  EXPECT_EQ(NodeOf(control.topLevelItem(0)), tree->Incomes()) << "top nodes keep their order";
}

TEST_F(Tree, ACollapsedCategoryMakesItsRowsInTheShownOrderWhenExpanded) {
  Add("b", food, 5);
  Add("A", food, 1);
  Add("c", food, 3);
  Add("Milk", dairy, 9);
  // Notes has no rule of its own: the rows keep the order before it.
  const std::vector<std::pair<std::vector<TTreeOrder>, std::string>> cases = {
      {{{ColSum, true}}, "DairybcA"},
      {{{ColDescription, false}}, "DairyAbc"},
      {{{ColSum, true}, {ColNotes, false}}, "DairybcA"},
      {{{ColNotes, false}}, "DairybAc"},
  };
  for (const auto& [orders, shown] : cases) {
    Build(true);
    for (TTreeOrder order : orders) SortTree(*tree, order);
    CTransactionNode* foodNode = Child(tree->Expenses(), food);
    QTreeWidgetItem* foodItem = foodNode->item;
    ASSERT_NE(foodItem, nullptr);
    EXPECT_EQ(foodItem->childCount(), 0);
    EXPECT_EQ(foodItem->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
    foodItem->setExpanded(true);
    std::string names;
    for (int i = 0; i < foodItem->childCount(); ++i)
      names += tree->NameOf(NodeOf(foodItem->child(i)));
    EXPECT_EQ(names, shown);
    EXPECT_EQ(Child(foodNode, dairy)->item->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
  }
}

TEST(TreeSort, CompareRules) {
  CTransactionNode category, group, a, b;
  category.kind = NodeCategory;
  group.kind = NodeGroup;
  a.kind = b.kind = NodeTransaction;
  a.showQuantity = b.showQuantity = true;
  a.date = 10;
  b.date = 20;
  a.sum = 5;
  b.sum = 5;
  EXPECT_EQ(CompareNodes(&group, &category, {ColDescription, false}, false), 1);
  EXPECT_EQ(CompareNodes(&category, &group, {ColDescription, true}, false), -1);
  EXPECT_EQ(CompareNodes(&a, &b, {ColDate, false}, false), -1);
  EXPECT_EQ(CompareNodes(&a, &b, {ColDate, true}, false), 1);
  EXPECT_EQ(CompareNodes(&group, &a, {ColDate, false}, false), 0) << "a group has no date";
  EXPECT_EQ(CompareNodes(&a, &b, {ColSum, false}, false), 0);
  EXPECT_EQ(CompareNodes(&a, &b, {ColMember, false}, false), 0);
  EXPECT_EQ(CompareNodes(&a, &b, {ColDescription, false}, true), 0)
      << "top-level items keep their order";
  b.showQuantity = false;
  EXPECT_EQ(CompareNodes(&a, &b, {ColQuantity, false}, false), 1)
      << "no quantity sorts first ascending";
  EXPECT_EQ(CompareNodes(&a, &b, {ColQuantity, true}, false), -1);
  EXPECT_EQ(CompareNodes(&a, nullptr, {ColDescription, false}, false), 0);
}

TEST(NodeStyles, StripsFontsAndColours) {
  EXPECT_EQ(NodeStyle(NodeIncomes, 0).strip, 2);
  EXPECT_EQ(NodeStyle(NodeExpenses, 0).strip, 1);
  EXPECT_TRUE(NodeStyle(NodeExpenses, 0).bold);
  EXPECT_EQ(NodeStyle(NodeExpenses, 0).textColor, 0xFFFFFFu);
  EXPECT_EQ(NodeStyle(NodeCategory, 1).strip, 3);
  EXPECT_EQ(NodeStyle(NodeCategory, 5).strip, 7);
  EXPECT_EQ(NodeStyle(NodeCategory, 6).strip, 7);
  EXPECT_EQ(NodeStyle(NodeCategory, 2).fontSize, 10);
  EXPECT_EQ(NodeStyle(NodeCategory, 3).fontSize, 9);
  EXPECT_EQ(NodeStyle(NodeTransaction, 0).strip, 8);
  EXPECT_EQ(NodeStyle(NodeGroup, 0).fontSize, 8);
  EXPECT_EQ(NodeStyle(NodeGroup, 0).background, 0xF2F2F2u);
  EXPECT_EQ(NodeStyle(3, 0).strip, 0);
}

TEST(SubTypeNodes, FindMarkAndPrune) {
  CSubTypeNode root;
  bool existed = true;
  CSubTypeNode* a = root.FindOrAddChild(105, existed);
  EXPECT_FALSE(existed);
  EXPECT_EQ(a->parent, &root);
  EXPECT_EQ(a->subTypeId, 105u);
  a->FindOrAddChild(106, existed);
  root.UnmarkChildren();
  EXPECT_EQ(root.FindOrAddChild(105, existed), a);
  EXPECT_TRUE(existed);
  root.Prune();
  EXPECT_EQ(root.children.size(), 1u);
  EXPECT_TRUE(a->children.empty()) << "the unmarked grandchild went";
  root.Clear();
  EXPECT_TRUE(root.children.empty());
  EXPECT_EQ(root.fontSize, 10);
}

TEST_F(Tree, LongBuildsReportTheirProgress) {
  for (int i = 0; i < 4500; ++i) Add("Item", food, 1);
  std::vector<std::pair<std::size_t, std::size_t>> reports;
  tree->Progress = [&](std::size_t done, std::size_t total) { reports.emplace_back(done, total); };
  Build(true);
  ASSERT_EQ(reports.size(), 3u);
  EXPECT_EQ(reports[0], (std::pair<std::size_t, std::size_t>{0, 4500}));
  EXPECT_EQ(reports[1].first, 2000u);
  EXPECT_EQ(reports[2].first, 4000u);
}

// Window code sees Qt's keyword macros (`slots` among them): the index maps
// must iterate there exactly as in the engine.
TEST_F(Tree, IndexMapsIterateInWindowCode) {
  const std::uint32_t a = Add("Milk", dairy, 1);
  std::vector<std::uint32_t> ids;
  for (auto [id, entry] : db.Transactions()) {
    ids.push_back(id);
    EXPECT_NE(entry, nullptr);
  }
  EXPECT_EQ(ids, std::vector<std::uint32_t>{a});
  EXPECT_EQ((*db.SubTypes().begin()).first, food);
}

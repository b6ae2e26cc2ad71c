// The grouped tree of incomes and expenses: two top nodes, under them the
// category hierarchy, under the categories groups of equally named
// transactions and the transactions themselves. Every node carries a sum, a
// total quantity and a percentage of its parent, and mirrors itself into one
// item of a QTreeWidget that stores the node as its data, so drawing and
// commands go from a screen item straight to its node.
//
// Screen items are made only for rows that can be seen: the top nodes, the
// children of the top nodes and the children of every node that has been
// expanded. A node whose children have no items yet shows the expand arrow;
// expanding it makes their items, in the order the control shows. Whatever
// needs the item of a hidden row asks the tree for it (ItemOf), which makes
// the items on the way.
//
// A rebuild is either full (every node and item recreated) or incremental:
// every node is unmarked, the nodes the data needs are found again or
// created, and what stayed unmarked is pruned, so that the screen items that
// remain keep their expansion and selection.
#pragma once

#include <QPointer>
#include <QString>
#include <QTreeWidget>
#include <QTreeWidgetItem>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "Omrindb.h"

enum TNodeKind : std::uint8_t {
  NodeIncomes = 0,
  NodeExpenses = 1,
  NodeCategory = 6,
  NodeGroup = 7,
  NodeTransaction = 8,
};

// Keys of the two top nodes under the root.
constexpr std::uint32_t kIncomesKey = 1;
constexpr std::uint32_t kExpensesKey = 2;

// Columns of the transaction trees' header.
enum TFundsColumn {
  ColDescription = 0,
  ColQuantity,
  ColSum,
  ColPercent,
  ColDate,
  ColMember,
  ColSection,
  ColNotes,
  kFundsColumnCount
};

// The order of a transaction tree: the header column it follows and the
// direction. Categories come first in every order; a column without a rule
// (member, section, notes) leaves the rows as they are.
struct TTreeOrder {
  int column = ColDescription;
  bool descending = false;
  bool operator==(const TTreeOrder&) const = default;
};

// The transaction part of a planned transaction as the Scheduler tree holds
// it: dated on the day it falls due next (0 when no occurrence is left), so
// that the Date column sorts planned transactions by their due days.
TransactionRecord PlannedAsDue(const PlnTransactionRecord& planned);

// The item data role under which a screen item holds its node.
constexpr int kNodeRole = Qt::UserRole + 1;

class CTransactionNode;

// The screen item of a node: it knows its node and sorts by the node rules.
class CNodeItem : public QTreeWidgetItem {
 public:
  explicit CNodeItem(CTransactionNode* node);
  CTransactionNode* Node() const { return node_; }
  bool operator<(const QTreeWidgetItem& other) const override;

 private:
  CTransactionNode* node_;  // the node this item shows (owned by the tree)
};

// The node of a screen item, or nullptr.
CTransactionNode* NodeOf(const QTreeWidgetItem* item);

class CTransactionNode {
 public:
  using TChildren = std::map<std::uint32_t, std::unique_ptr<CTransactionNode>>;

  CTransactionNode() = default;
  ~CTransactionNode() = default;  // screen items are not touched here
  CTransactionNode(const CTransactionNode&) = delete;
  CTransactionNode& operator=(const CTransactionNode&) = delete;

  TChildren children;  // keyed by the child's identity
  TNodeKind kind = NodeTransaction;
  std::int32_t depth = 0;           // 0 for top nodes, transactions and groups
  QTreeWidgetItem* item = nullptr;  // the screen item, owned by the control
  std::string displayName;          // stored bytes; filled when first drawn
  std::uint32_t nameId = 0;         // string id of the name
  std::uint32_t subTypeId = 0;      // for categories
  Money sum = 0;
  std::int8_t percent = 0;    // of the parent's sum
  std::int64_t quantity = 0;  // quantity x 10000
  Date date = 0.0;
  bool showQuantity = false;
  std::uint32_t transactionId = 0;     // 0 for a group
  bool used = true;                    // mark of the incremental rebuild
  bool childItems = false;             // the children have screen items
  bool sortKeyValid = false;           // sortKey belongs to displayName
  std::uint32_t serial = 0;            // order of creation: ties keep it
  CTransactionNode* parent = nullptr;  // the node that holds this one; none for the root
  QString sortKey;                     // displayName upper-cased, for the Description order
  // The tree's cached text of nameId (set by CTransactionsTree::NameOf).
  const std::string* nameText = nullptr;
  std::uint32_t nameTextId = 0;

  // Clears the used mark of every node below (not of this node).
  void UnmarkChildren();
  void SetDisplayName(std::string name) {
    displayName = std::move(name);
    sortKeyValid = false;
  }
};

// Calls f(node) for `top` and every node below it until f returns true;
// returns that node, or nullptr when f never did (a walk of them all).
template <class F>
CTransactionNode* FindNodeBelow(CTransactionNode* top, F f) {
  std::vector<CTransactionNode*> open;
  if (top != nullptr) open.push_back(top);
  while (!open.empty()) {
    CTransactionNode* node = open.back();
    open.pop_back();
    if (f(node)) return node;
    for (auto& [key, child] : node->children) open.push_back(child.get());
  }
  return nullptr;
}

// The transaction tree of one tab: an invisible root node whose children are
// the incomes and expenses top nodes, and the screen control that shows it.
class CTransactionsTree {
 public:
  CTransactionsTree(QTreeWidget* control, CDataBase& db, std::string incomesTitle,
                    std::string expensesTitle);
  ~CTransactionsTree();
  CTransactionsTree(const CTransactionsTree&) = delete;
  CTransactionsTree& operator=(const CTransactionsTree&) = delete;

  // The captions of the incomes and expenses nodes from the next build on
  // (after a change of language).
  void SetTitles(std::string incomesTitle, std::string expensesTitle) {
    incomesTitle_ = std::move(incomesTitle);
    expensesTitle_ = std::move(expensesTitle);
  }

  // Rebuilds from (id, record) pairs, for one account or in a base currency.
  void BuildForAccount(TTransactionInterval::iterator first, TTransactionInterval::iterator last,
                       std::uint32_t accountId, bool full, bool showEmpty);
  void BuildForAccount(TPlnTransactionInterval::iterator first,
                       TPlnTransactionInterval::iterator last, std::uint32_t accountId, bool full,
                       bool showEmpty);
  void BuildInCurrency(TTransactionInterval::iterator first, TTransactionInterval::iterator last,
                       std::uint32_t currencyId, bool full, bool showEmpty);
  void BuildInCurrency(TPlnTransactionInterval::iterator first,
                       TPlnTransactionInterval::iterator last, std::uint32_t currencyId, bool full,
                       bool showEmpty);

  // Places one more transaction, as one step of a build does.
  void AddForAccount(const TransactionRecord& record, std::uint32_t transactionId);
  void AddInCurrency(const TransactionRecord& record, std::uint32_t transactionId,
                     std::uint32_t currencyId, CDataBase& db);

  // Sums, quantities and percentages of the whole tree; expands the top nodes.
  void CalculateTotals();
  // Deletes every unmarked node without children, with its screen item.
  void Prune();
  // Deletes every node and screen item.
  void Clear();

  Money GetSum(CTransactionNode* node, bool recalculate);
  std::int64_t GetQuantity(CTransactionNode* node, bool recalculate);
  // The child of `parent` under `key`; `existed` tells whether it was there.
  // A found child is marked used; a new one is created marked, without a
  // screen item.
  CTransactionNode* FindOrAddChild(CTransactionNode* parent, std::uint32_t key, bool& existed);

  // The name text of a node (stored bytes), read once from the string pool.
  const std::string& NameOf(CTransactionNode* node);
  // Fills the display names of every node with a screen item that has none
  // yet.
  void ResolveNames();

  // The screen item of `node`, made (with those of its siblings and of the
  // nodes above) when it has none yet; nullptr for the root or without a
  // control. Expands nothing.
  QTreeWidgetItem* ItemOf(CTransactionNode* node);
  // Gives the children of `node` their screen items, in the control's
  // order, when they have none yet. Nothing for a node without an item.
  void ShowChildren(CTransactionNode* node);
  // Records that the screen items have just been sorted by `order`, so
  // that rows given items later stand where that sort would have put them.
  void NoteSort(TTreeOrder order);
  // The first node (incomes before expenses) of transaction `id`, or
  // nullptr.
  CTransactionNode* FindTransaction(std::uint32_t id);

  // Called now and then during a build with the elements placed so far and
  // their number, so that a long build can show its progress.
  std::function<void(std::size_t done, std::size_t total)> Progress;

  bool ShowTypes = true;    // show the category hierarchy
  bool GroupByName = true;  // group transactions of equal name

  // The invisible root: it sums its children like a category.
  CTransactionNode& Root() { return root_; }
  const CTransactionNode& Root() const { return root_; }
  CTransactionNode* Incomes() const { return incomes_; }
  CTransactionNode* Expenses() const { return expenses_; }
  std::uint32_t AccountId() const { return accountId_; }
  QTreeWidget* Control() const { return control_; }
  CDataBase& DataBase() const { return db_; }

 private:
  // A build: start, place every element of [first, last), finish.
  template <class Iterator, class Place>
  void BuildFrom(Iterator first, Iterator last, bool full, bool showEmpty, Place place);
  void StartBuild(bool full, bool showEmpty);
  void ReportProgress(std::size_t done, std::size_t total);
  void FinishBuild(bool full);
  void AddCategoryHierarchy(CTransactionNode* parent, std::uint32_t subTypeId, std::int32_t depth);
  // Finds or creates the node of transaction `id` under top node `top`.
  CTransactionNode* PlaceNode(CTransactionNode* top, const TransactionRecord& record,
                              std::uint32_t id);
  CTransactionNode* CategoryNode(CTransactionNode* top, std::uint32_t subTypeId, int guard);
  CTransactionNode* CategoryChain(CTransactionNode* top, std::uint32_t subTypeId, int guard);
  void FillLeaf(CTransactionNode* node, const TransactionRecord& record, Money sum);
  // Sets the kind of a new node and gives it a screen item when the
  // parent's children have theirs.
  void GiveItem(CTransactionNode* node, CTransactionNode* parent, TNodeKind kind);
  // Shows the expand arrow on every item whose node has children without
  // items, and makes the children of expanded items.
  void UpdateIndicators();
  // Drops every sort key when the locale they were made in has changed.
  void CheckSortKeys();
  void Totals(CTransactionNode* node);
  std::int64_t Quantities(CTransactionNode* node);
  void PruneBelow(CTransactionNode* node);
  const std::string& Text(std::uint32_t stringId);
  // Empties the text cache when the database's strings may have changed
  // meaning since it was filled.
  void CheckTextCache();

  QPointer<QTreeWidget> control_;  // the screen control (not owned; may go first)
  CDataBase& db_;                  // not owned
  CTransactionNode root_;          // holds the top nodes; has no screen item
  std::string incomesTitle_;
  std::string expensesTitle_;
  std::uint32_t accountId_ = 0;  // account of the last per-account build
  CTransactionNode* incomes_ = nullptr;
  CTransactionNode* expenses_ = nullptr;
  // Texts read from the string pool during this open session: grouping
  // compares names many times, and each costs a file read otherwise.
  std::unordered_map<std::uint32_t, std::string> texts_;
  std::uint64_t textsGeneration_ = 0;  // the database's string generation texts_ belongs to
  std::uint32_t nextSerial_ = 0;
  // The category nodes met so far in the build under way, by top node and
  // category: most transactions of a month fall into categories met before.
  std::unordered_map<std::uint64_t, CTransactionNode*> categories_;
  bool building_ = false;  // between StartBuild and FinishBuild
  QString keysLocale_;     // the locale the nodes' sort keys were made in
  // The orders the items have been sorted by, the latest first, each once,
  // with the serial of the first node made after that sort. The control's
  // sort keeps the order of equal items and a new item comes last, so two
  // rows stand by the latest sort both were there for, when equal by the
  // one before, and so on, and else by their age.
  std::vector<std::pair<TTreeOrder, std::uint32_t>> sorts_;
  QMetaObject::Connection expandedConnection_;
};

// A tree control whose node rows sort by the order it holds.
class CNodeTreeControl : public QTreeWidget {
 public:
  using QTreeWidget::QTreeWidget;
  TTreeOrder Order() const { return order_; }
  void SetOrder(TTreeOrder order) { order_ = order; }

 private:
  TTreeOrder order_;
};

// The sort of the screen tree. Returns <0 when a goes first, >0 when b does,
// 0 when equal.
int CompareNodes(const CTransactionNode* a, const CTransactionNode* b, TTreeOrder order,
                 bool bothTopLevel);
// Gives the tree's control `order` and sorts its screen items recursively by
// it, keeping the expansion and selection of every item. A control that
// cannot hold an order is left as it is. Rows without items take the order
// when they get theirs.
void SortTree(CTransactionsTree& tree, TTreeOrder order);
// Fills the upper-cased sort key of a node whose name is known.
void UpdateSortKey(CTransactionNode* node);

// A node of the categories window and the subtype picker.
struct CSubTypeNode {
  using TChildren = std::map<std::uint32_t, std::unique_ptr<CSubTypeNode>>;

  TChildren children;
  std::int32_t depth = 0;
  std::string name;
  std::uint32_t subTypeId = 0;
  bool used = true;
  QTreeWidgetItem* item = nullptr;  // owned by the control
  CSubTypeNode* parent = nullptr;   // none for the root
  std::int32_t strip = 0;
  std::uint32_t background = 0xFFFFFF;  // RGB
  std::uint32_t textColor = 0x000000;   // RGB
  std::int32_t fontSize = 10;
  std::uint8_t fontStyle = 0;  // bit 0 bold, 1 italic, 2 underline, 3 strike-out

  // The child under `key`, created (and its parent set) when missing; a
  // found child is marked used.
  CSubTypeNode* FindOrAddChild(std::uint32_t key, bool& existed);
  void UnmarkChildren();
  // Deletes every unmarked child without children, with its screen item.
  void Prune();
  // Back to a fresh node: no children, default style.
  void Clear();
};

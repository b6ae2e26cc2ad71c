#include "Node.h"

#include <QLocale>
#include <QPointer>
#include <QTreeWidget>
#include <algorithm>
#include <cmath>
#include <vector>

#include "Occurrences.h"
#include "Qtexts.h"

namespace {

// Depth of the category chains followed; deeper (or circular) parent chains
// of damaged data end there instead of recursing forever.
constexpr int kMaxCategoryDepth = 64;

std::int8_t PercentOf(Money part, Money whole) {
  if (whole == 0) return 0;
  double p = std::trunc(static_cast<double>(part) / static_cast<double>(whole) * 100 + 0.5);
  return static_cast<std::int8_t>(std::clamp(p, -128.0, 127.0));
}

bool IsLeafKind(const CTransactionNode* n) {
  return n->kind == NodeTransaction || n->kind == NodeGroup;
}

}  // namespace

// ---- Screen items ----

CNodeItem::CNodeItem(CTransactionNode* node) : node_(node) {
  setData(0, kNodeRole, QVariant::fromValue(static_cast<void*>(node)));
}

bool CNodeItem::operator<(const QTreeWidgetItem& other) const {
  const bool bothTop = parent() == nullptr && other.parent() == nullptr;
  const auto* control = dynamic_cast<const CNodeTreeControl*>(treeWidget());
  const TTreeOrder order = control ? control->Order() : TTreeOrder{};
  return CompareNodes(node_, NodeOf(&other), order, bothTop) < 0;
}

CTransactionNode* NodeOf(const QTreeWidgetItem* item) {
  if (item == nullptr) return nullptr;
  return static_cast<CTransactionNode*>(item->data(0, kNodeRole).value<void*>());
}

void CTransactionNode::UnmarkChildren() {
  for (auto& [key, child] : children) {
    child->used = false;
    child->UnmarkChildren();
  }
}

// ---- The tree ----

CTransactionsTree::CTransactionsTree(QTreeWidget* control, CDataBase& db, std::string incomesTitle,
                                     std::string expensesTitle)
    : control_(control),
      db_(db),
      incomesTitle_(std::move(incomesTitle)),
      expensesTitle_(std::move(expensesTitle)) {
  root_.kind = NodeCategory;  // the invisible root sums its children like a category
  root_.childItems = true;    // the top nodes are always shown
  if (control_ != nullptr)
    expandedConnection_ =
        QObject::connect(control_.data(), &QTreeWidget::itemExpanded, control_.data(),
                         [this](QTreeWidgetItem* item) { ShowChildren(NodeOf(item)); });
}

CTransactionsTree::~CTransactionsTree() {
  QObject::disconnect(expandedConnection_);
  // The control may outlive the tree: its items must not keep pointers to
  // the nodes about to go.
  if (control_ != nullptr) control_->clear();
}

CTransactionNode* CTransactionsTree::FindOrAddChild(CTransactionNode* parent, std::uint32_t key,
                                                    bool& existed) {
  // One search finds the child or the place of a new one.
  auto it = parent->children.lower_bound(key);
  existed = it != parent->children.end() && it->first == key;
  if (existed) {
    it->second->used = true;
    return it->second.get();
  }
  auto node = std::make_unique<CTransactionNode>();
  node->parent = parent;
  node->serial = nextSerial_++;
  CTransactionNode* raw = node.get();
  parent->children.emplace_hint(it, key, std::move(node));
  return raw;
}

void CTransactionsTree::GiveItem(CTransactionNode* node, CTransactionNode* parent, TNodeKind k) {
  node->kind = k;
  // A hidden row gets its item when its parent is expanded.
  if (control_ == nullptr || !parent->childItems) return;
  if (parent != &root_ && parent->item == nullptr) return;
  auto* item = new CNodeItem(node);
  if (parent == &root_)
    control_->addTopLevelItem(item);
  else
    parent->item->addChild(item);
  node->item = item;
}

QTreeWidgetItem* CTransactionsTree::ItemOf(CTransactionNode* node) {
  if (node == nullptr || node == &root_ || control_ == nullptr) return nullptr;
  if (node->item == nullptr && node->parent != nullptr) {
    if (node->parent != &root_ && ItemOf(node->parent) == nullptr) return nullptr;
    ShowChildren(node->parent);
  }
  return node->item;
}

void CTransactionsTree::ShowChildren(CTransactionNode* node) {
  if (node == nullptr || node->childItems || control_ == nullptr) return;
  if (node != &root_ && node->item == nullptr) return;
  node->childItems = true;
  if (node->children.empty()) return;
  std::vector<CTransactionNode*> rows;
  rows.reserve(node->children.size());
  for (auto& [key, child] : node->children) rows.push_back(child.get());
  // Where the control's sorts so far would have put them (see sorts_).
  const bool byName = std::any_of(sorts_.begin(), sorts_.end(), [](const auto& sort) {
    return sort.first.column == ColDescription;
  });
  if (byName) {
    CheckSortKeys();
    for (CTransactionNode* row : rows) {
      if (row->displayName.empty()) row->SetDisplayName(NameOf(row));
      if (!row->sortKeyValid) UpdateSortKey(row);
    }
  }
  std::sort(rows.begin(), rows.end(), [&](const CTransactionNode* a, const CTransactionNode* b) {
    const std::uint32_t younger = std::max(a->serial, b->serial);
    for (const auto& [order, firstAfter] : sorts_) {
      if (younger >= firstAfter) break;  // one of them came after this sort
      if (const int c = CompareNodes(a, b, order, false); c != 0) return c < 0;
    }
    return a->serial < b->serial;
  });
  QList<QTreeWidgetItem*> items;
  items.reserve(static_cast<qsizetype>(rows.size()));
  for (CTransactionNode* row : rows) {
    auto* item = new CNodeItem(row);
    if (!row->children.empty()) item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    row->item = item;
    items.append(item);
  }
  if (node == &root_)
    control_->addTopLevelItems(items);
  else
    node->item->addChildren(items);
}

void CTransactionsTree::UpdateIndicators() {
  if (control_ == nullptr) return;
  std::vector<CTransactionNode*> open{&root_};
  while (!open.empty()) {
    CTransactionNode* node = open.back();
    open.pop_back();
    if (node != &root_) {
      if (node->item == nullptr) continue;
      // Expanded without its children being made (while the control's
      // signals were blocked): they are made now.
      if (!node->childItems && !node->children.empty() && node->item->isExpanded())
        ShowChildren(node);
      const auto policy = !node->childItems && !node->children.empty()
                              ? QTreeWidgetItem::ShowIndicator
                              : QTreeWidgetItem::DontShowIndicatorWhenChildless;
      if (node->item->childIndicatorPolicy() != policy) node->item->setChildIndicatorPolicy(policy);
    }
    if (node->childItems)
      for (auto& [key, child] : node->children) open.push_back(child.get());
  }
}

void CTransactionsTree::NoteSort(TTreeOrder order) {
  // An order used again counts from its latest use only: equal rows there
  // were already in the order it gave them the time before.
  std::erase_if(sorts_, [&](const auto& sort) { return sort.first == order; });
  sorts_.insert(sorts_.begin(), {order, nextSerial_});
}

CTransactionNode* CTransactionsTree::FindTransaction(std::uint32_t id) {
  if (id == 0) return nullptr;
  for (CTransactionNode* top : {incomes_, expenses_})
    if (CTransactionNode* node = FindNodeBelow(top, [&](const CTransactionNode* n) {
          return n->kind == NodeTransaction && n->transactionId == id;
        }))
      return node;
  return nullptr;
}

void CTransactionsTree::CheckSortKeys() {
  const QString locale = QLocale().bcp47Name();
  if (locale == keysLocale_) return;
  keysLocale_ = locale;
  FindNodeBelow(&root_, [](CTransactionNode* node) {
    node->sortKeyValid = false;
    return false;
  });
}

const std::string& CTransactionsTree::Text(std::uint32_t stringId) {
  auto it = texts_.find(stringId);
  if (it == texts_.end()) it = texts_.emplace(stringId, db_.GetString(stringId)).first;
  return it->second;
}

const std::string& CTransactionsTree::NameOf(CTransactionNode* node) {
  if (node->nameText == nullptr || node->nameTextId != node->nameId) {
    node->nameText = &Text(node->nameId);  // map nodes never move: the pointer stays good
    node->nameTextId = node->nameId;
  }
  return *node->nameText;
}

void CTransactionsTree::CheckTextCache() {
  if (textsGeneration_ == db_.GetStringGeneration()) return;
  texts_.clear();
  textsGeneration_ = db_.GetStringGeneration();
  FindNodeBelow(&root_, [](CTransactionNode* node) {
    node->nameText = nullptr;
    return false;
  });
}

void CTransactionsTree::ResolveNames() {
  CheckTextCache();
  CheckSortKeys();
  std::vector<CTransactionNode*> stack{&root_};
  while (!stack.empty()) {
    CTransactionNode* node = stack.back();
    stack.pop_back();
    if (node->displayName.empty()) node->SetDisplayName(NameOf(node));
    if (!node->sortKeyValid) UpdateSortKey(node);
    if (node->childItems)  // the rows without items are named when they get them
      for (auto& [key, child] : node->children) stack.push_back(child.get());
  }
}

void CTransactionsTree::Clear() {
  categories_.clear();
  sorts_.clear();                              // the nodes made from now on have seen no sort
  if (control_ != nullptr) control_->clear();  // the items go before the nodes they show
  root_.children.clear();
  incomes_ = expenses_ = nullptr;
  root_.sum = 0;
  root_.quantity = 0;
}

void CTransactionsTree::StartBuild(bool full, bool showEmpty) {
  CheckTextCache();
  categories_.clear();
  building_ = true;
  if (full) {
    Clear();
  } else {
    root_.UnmarkChildren();
    root_.used = true;
  }
  bool existed = false;
  incomes_ = FindOrAddChild(&root_, kIncomesKey, existed);
  incomes_->SetDisplayName(incomesTitle_);
  incomes_->sum = 0;
  incomes_->childItems = true;  // the top nodes are always expanded
  if (!existed) GiveItem(incomes_, &root_, NodeIncomes);
  expenses_ = FindOrAddChild(&root_, kExpensesKey, existed);
  expenses_->SetDisplayName(expensesTitle_);
  expenses_->sum = 0;
  expenses_->childItems = true;
  if (!existed) GiveItem(expenses_, &root_, NodeExpenses);
  if (showEmpty) {
    AddCategoryHierarchy(incomes_, kIncomeRoot, 0);
    AddCategoryHierarchy(expenses_, kExpenseRoot, 0);
  }
}

void CTransactionsTree::ReportProgress(std::size_t done, std::size_t total) {
  constexpr std::size_t kStep = 2000;  // elements between two reports
  if (Progress && done % kStep == 0 && total > kStep) Progress(done, total);
}

void CTransactionsTree::FinishBuild(bool full) {
  categories_.clear();  // a transaction placed later finds its category anew
  building_ = false;
  if (!full) Prune();
  CalculateTotals();
}

void CTransactionsTree::AddCategoryHierarchy(CTransactionNode* parent, std::uint32_t subTypeId,
                                             std::int32_t depth) {
  if (depth >= kMaxCategoryDepth) return;
  const TSubTypeItems subTypes = db_.GetSubTypeItems(subTypeId);  // a copy: recursion refills it
  for (const CSubTypeItem& subType : subTypes) {
    bool existed = false;
    CTransactionNode* node = FindOrAddChild(parent, subType.id, existed);
    node->subTypeId = subType.id;
    if (node->displayName != subType.name) node->SetDisplayName(subType.name);
    node->depth = depth + 1;
    if (!existed) GiveItem(node, parent, NodeCategory);
    AddCategoryHierarchy(node, subType.id, depth + 1);
  }
}

CTransactionNode* CTransactionsTree::CategoryNode(CTransactionNode* top, std::uint32_t subTypeId,
                                                  int guard) {
  // A category met before in this build is found again with its parents
  // marked: only its node is needed.
  // Outside a build (a transaction placed after an edit) nothing is kept:
  // nodes may be pruned between two placings.
  const bool cached = building_ && guard == 0;
  const std::uint64_t cacheKey = (static_cast<std::uint64_t>(top == incomes_) << 32) | subTypeId;
  if (cached)
    if (auto it = categories_.find(cacheKey); it != categories_.end()) return it->second;
  CTransactionNode* node = CategoryChain(top, subTypeId, guard);
  if (cached) categories_.emplace(cacheKey, node);
  return node;
}

CTransactionNode* CTransactionsTree::CategoryChain(CTransactionNode* top, std::uint32_t subTypeId,
                                                   int guard) {
  const CSubTypeIndex* subType = db_.SubTypes().Find(subTypeId);
  if (subType == nullptr || subTypeId <= kFirstFreeId) {
    top->depth = 0;
    return top;
  }
  const std::uint32_t parentId = subType->record.parentId;
  CTransactionNode* parentNode = parentId > kFirstFreeId && guard < kMaxCategoryDepth
                                     ? CategoryNode(top, parentId, guard + 1)
                                     : top;
  bool existed = false;
  CTransactionNode* node = FindOrAddChild(parentNode, subTypeId, existed);
  node->nameId = subType->record.nameId;
  node->showQuantity = subType->record.showQuantity != 0;
  node->depth = parentNode->depth + 1;
  node->subTypeId = subTypeId;
  if (!existed) GiveItem(node, parentNode, NodeCategory);
  return node;
}

CTransactionNode* CTransactionsTree::PlaceNode(CTransactionNode* top,
                                               const TransactionRecord& record, std::uint32_t id) {
  CTransactionNode* p = top;
  if (ShowTypes && record.categoryId > kFirstFreeId) p = CategoryNode(top, record.categoryId, 0);
  if (GroupByName) {
    const std::string& name = Text(record.descriptionId);
    for (auto& [key, child] : p->children) {
      if (!child->used || NameOf(child.get()) != name) continue;
      if (child->kind == NodeTransaction) {
        // The first of a name becomes a group holding itself as a child.
        CTransactionNode* old = child.get();
        bool existed = false;
        CTransactionNode* first = FindOrAddChild(old, old->transactionId, existed);
        if (!existed) GiveItem(first, old, NodeTransaction);
        first->SetDisplayName(old->displayName);
        first->nameId = old->nameId;
        first->date = old->date;
        first->percent = old->percent;
        first->quantity = old->quantity;
        first->transactionId = old->transactionId;
        first->showQuantity = old->showQuantity;
        first->sum = old->sum;
        old->kind = NodeGroup;
        old->transactionId = 0;
        old->showQuantity = true;
        old->sum = 0;
        old->quantity = 0;
        old->used = true;
        p = old;
      } else if (child->kind == NodeGroup) {
        child->used = true;
        p = child.get();
      }
      break;  // only the first match counts
    }
  }
  bool existed = false;
  CTransactionNode* node = FindOrAddChild(p, id, existed);
  node->nameId = record.descriptionId;
  node->transactionId = id;
  if (existed) {
    node->kind = NodeTransaction;  // it may have been a group in the previous build
    node->showQuantity = true;
  } else {
    GiveItem(node, p, NodeTransaction);
  }
  return node;
}

void CTransactionsTree::FillLeaf(CTransactionNode* node, const TransactionRecord& record,
                                 Money amount) {
  node->quantity = static_cast<std::int64_t>(std::nearbyint(record.quantity * kMoneyOne));
  node->sum = amount;
  node->date = record.date;
  if (!node->displayName.empty()) node->SetDisplayName({});
  node->showQuantity = true;
}

void CTransactionsTree::AddForAccount(const TransactionRecord& record, std::uint32_t id) {
  // Id 0 and the reserved ids name no account: with none chosen, an income
  // (no source account) must not be taken for the account's expense.
  if (accountId_ <= kFirstFreeId) return;
  if (record.fromAccount == accountId_)
    FillLeaf(PlaceNode(expenses_, record, id), record, record.amountOut);
  if (record.toAccount == accountId_)
    FillLeaf(PlaceNode(incomes_, record, id), record, record.amountIn);
}

void CTransactionsTree::AddInCurrency(const TransactionRecord& record, std::uint32_t id,
                                      std::uint32_t currencyId, CDataBase& db) {
  if (record.fromAccount > kFirstFreeId) {
    const double rate = db.GetExchangeRate(db.GetAccountCurrency(record.fromAccount), currencyId);
    FillLeaf(PlaceNode(expenses_, record, id), record, ConvertAmount(record.amountOut, rate));
  }
  if (record.toAccount > kFirstFreeId) {
    const double rate = db.GetExchangeRate(db.GetAccountCurrency(record.toAccount), currencyId);
    FillLeaf(PlaceNode(incomes_, record, id), record, ConvertAmount(record.amountIn, rate));
  }
}

template <class Iterator, class Place>
void CTransactionsTree::BuildFrom(Iterator first, Iterator last, bool full, bool showEmpty,
                                  Place place) {
  StartBuild(full, showEmpty);
  const auto total = static_cast<std::size_t>(last - first);
  for (auto it = first; it != last; ++it) {
    place(*it);
    ReportProgress(static_cast<std::size_t>(it - first), total);
  }
  FinishBuild(full);
}

TransactionRecord PlannedAsDue(const PlnTransactionRecord& planned) {
  TransactionRecord record = planned.transaction;
  record.date = 0.0;
  NextOccurrence(planned.schedule, record.date);
  return record;
}

void CTransactionsTree::BuildForAccount(TTransactionInterval::iterator first,
                                        TTransactionInterval::iterator last,
                                        std::uint32_t accountId, bool full, bool showEmpty) {
  accountId_ = accountId;
  BuildFrom(first, last, full, showEmpty,
            [this](const CTransactionRef& t) { AddForAccount(t.entry->record, t.id); });
}

void CTransactionsTree::BuildForAccount(TPlnTransactionInterval::iterator first,
                                        TPlnTransactionInterval::iterator last,
                                        std::uint32_t accountId, bool full, bool showEmpty) {
  accountId_ = accountId;
  BuildFrom(first, last, full, showEmpty, [this](const CPlnTransactionRef& t) {
    AddForAccount(PlannedAsDue(t.entry->record), t.id);
  });
}

void CTransactionsTree::BuildInCurrency(TTransactionInterval::iterator first,
                                        TTransactionInterval::iterator last,
                                        std::uint32_t currencyId, bool full, bool showEmpty) {
  BuildFrom(first, last, full, showEmpty, [&](const CTransactionRef& t) {
    AddInCurrency(t.entry->record, t.id, currencyId, db_);
  });
}

void CTransactionsTree::BuildInCurrency(TPlnTransactionInterval::iterator first,
                                        TPlnTransactionInterval::iterator last,
                                        std::uint32_t currencyId, bool full, bool showEmpty) {
  BuildFrom(first, last, full, showEmpty, [&](const CPlnTransactionRef& t) {
    AddInCurrency(PlannedAsDue(t.entry->record), t.id, currencyId, db_);
  });
}

// ---- Totals and pruning ----

void CTransactionsTree::Totals(CTransactionNode* node) {
  if (node != &root_ && node->kind == NodeTransaction) return;
  Money total = 0;
  for (auto& [key, child] : node->children) {
    Totals(child.get());
    total = WrapAdd(total, child->sum);
  }
  node->sum = total;
  for (auto& [key, child] : node->children) child->percent = PercentOf(child->sum, total);
}

std::int64_t CTransactionsTree::Quantities(CTransactionNode* node) {
  if (node != &root_ && node->kind == NodeTransaction) return node->quantity;
  std::int64_t total = 0;
  for (auto& [key, child] : node->children) total = WrapAdd(total, Quantities(child.get()));
  node->quantity = total;
  return total;
}

void CTransactionsTree::CalculateTotals() {
  Totals(&root_);
  Quantities(&root_);
  for (CTransactionNode* top : {incomes_, expenses_})
    if (top != nullptr && top->item != nullptr) top->item->setExpanded(true);
  UpdateIndicators();
}

Money CTransactionsTree::GetSum(CTransactionNode* node, bool recalculate) {
  if (recalculate) Totals(node);
  return node->sum;
}

std::int64_t CTransactionsTree::GetQuantity(CTransactionNode* node, bool recalculate) {
  return recalculate ? Quantities(node) : node->quantity;
}

void CTransactionsTree::PruneBelow(CTransactionNode* node) {
  for (auto it = node->children.begin(); it != node->children.end();) {
    CTransactionNode* child = it->second.get();
    PruneBelow(child);
    if (!child->used && child->children.empty()) {
      delete child->item;
      it = node->children.erase(it);
    } else {
      ++it;
    }
  }
}

void CTransactionsTree::Prune() {
  PruneBelow(&root_);
}

// ---- Sorting ----

int CompareNodes(const CTransactionNode* a, const CTransactionNode* b, TTreeOrder order,
                 bool bothTopLevel) {
  if (a == nullptr || b == nullptr || bothTopLevel) return 0;
  const bool aLeaf = IsLeafKind(a), bLeaf = IsLeafKind(b);
  if (aLeaf && !bLeaf) return 1;  // categories first, whatever the direction
  if (bLeaf && !aLeaf) return -1;
  const int less = order.descending ? 1 : -1;
  auto compare = [&](auto x, auto y) { return x < y ? less : (y < x ? -less : 0); };
  switch (order.column) {
    case ColDescription: {
      // The keys are made before a sort; a node without one is keyed here.
      QString madeA, madeB;
      if (!a->sortKeyValid) madeA = QLocale().toUpper(StoredToQString(a->displayName));
      if (!b->sortKeyValid) madeB = QLocale().toUpper(StoredToQString(b->displayName));
      const QString& x = a->sortKeyValid ? a->sortKey : madeA;
      const QString& y = b->sortKeyValid ? b->sortKey : madeB;
      const int c = x.compare(y, Qt::CaseSensitive);
      return c < 0 ? less : (c > 0 ? -less : 0);
    }
    case ColQuantity:
      if (!a->showQuantity || !b->showQuantity) {
        if (!a->showQuantity && !b->showQuantity) return 0;
        return !a->showQuantity ? less : -less;
      }
      return compare(a->quantity, b->quantity);
    case ColSum:
    case ColPercent:
      return compare(a->sum, b->sum);
    case ColDate:
      if (a->kind == NodeTransaction && b->kind == NodeTransaction)
        return compare(a->date, b->date);
      return 0;
    default:
      return 0;
  }
}

void UpdateSortKey(CTransactionNode* node) {
  node->sortKey = QLocale().toUpper(StoredToQString(node->displayName));
  node->sortKeyValid = true;
}

void SortTree(CTransactionsTree& tree, TTreeOrder order) {
  auto* control = dynamic_cast<CNodeTreeControl*>(tree.Control());
  if (control == nullptr) return;
  if (order.column == ColDescription) tree.ResolveNames();  // names are compared
  control->SetOrder(order);
  tree.NoteSort(order);
  // The direction is part of the order the items compare by, so the control
  // always sorts "ascending"; its own sort keeps expansion and selection.
  control->sortItems(0, Qt::AscendingOrder);
}

// ---- CSubTypeNode ----

CSubTypeNode* CSubTypeNode::FindOrAddChild(std::uint32_t key, bool& existed) {
  auto it = children.find(key);
  existed = it != children.end();
  if (existed) {
    it->second->used = true;
    return it->second.get();
  }
  auto node = std::make_unique<CSubTypeNode>();
  node->parent = this;
  node->subTypeId = key;
  CSubTypeNode* raw = node.get();
  children.emplace(key, std::move(node));
  return raw;
}

void CSubTypeNode::UnmarkChildren() {
  for (auto& [key, child] : children) {
    child->used = false;
    child->UnmarkChildren();
  }
}

void CSubTypeNode::Prune() {
  for (auto it = children.begin(); it != children.end();) {
    it->second->Prune();
    if (!it->second->used && it->second->children.empty()) {
      delete it->second->item;
      it = children.erase(it);
    } else {
      ++it;
    }
  }
}

void CSubTypeNode::Clear() {
  children.clear();
  depth = 0;
  strip = 0;
  background = 0xFFFFFF;
  textColor = 0x000000;
  fontSize = 10;
  fontStyle = 0;
}

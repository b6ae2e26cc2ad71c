#include "SubTypeTree.h"

#include <QDropEvent>
#include <QFont>
#include <QPainter>
#include <vector>

#include "Logger.h"
#include "Qtexts.h"
#include "Skin.h"

namespace {

constexpr int kNodeDataRole = Qt::UserRole + 1;

// The font a node is drawn with.
QFont NodeFont(const CSubTypeNode& node) {
  QFont font("Arial");
  font.setPointSize(node.fontSize);
  font.setBold(node.fontStyle & 1);
  font.setItalic(node.fontStyle & 2);
  font.setUnderline(node.fontStyle & 4);
  font.setStrikeOut(node.fontStyle & 8);
  return font;
}

void GiveItem(CSubTypeNode& node, QTreeWidget& control) {
  QTreeWidgetItem* item = node.parent && node.parent->item ? new QTreeWidgetItem(node.parent->item)
                                                           : new QTreeWidgetItem(&control);
  item->setData(0, kNodeDataRole, QVariant::fromValue(static_cast<void*>(&node)));
  // The delegate draws the row; the text serves keyboard search.
  item->setText(0, StoredToQString(node.name));
  node.item = item;
}

}  // namespace

namespace {

void SetUpSubTypeTree(QTreeWidget* control) {
  control->setObjectName("SubTypeTree");
  control->setHeaderHidden(true);
  control->setIndentation(19);
  control->setUniformRowHeights(true);
  control->setExpandsOnDoubleClick(false);
  control->setEditTriggers(QAbstractItemView::NoEditTriggers);
}

}  // namespace

QTreeWidget* MakeSubTypeTreeControl(QWidget* parent) {
  auto* control = new QTreeWidget(parent);
  SetUpSubTypeTree(control);
  return control;
}

CSubTypeTreeControl::CSubTypeTreeControl(QWidget* parent) : QTreeWidget(parent) {
  SetUpSubTypeTree(this);
  setDragEnabled(true);
  setAcceptDrops(true);
  setDropIndicatorShown(true);
  setDragDropMode(QAbstractItemView::InternalMove);
  setDefaultDropAction(Qt::MoveAction);
}

void CSubTypeTreeControl::dropEvent(QDropEvent* event) {
  QTreeWidgetItem* dragged = currentItem();
  QTreeWidgetItem* target = itemAt(event->position().toPoint());
  if (target && dropIndicatorPosition() != QAbstractItemView::OnItem) target = target->parent();
  if (!target || dropIndicatorPosition() == QAbstractItemView::OnViewport) target = nullptr;
  // The drag ends here without the view moving rows of its own.
  event->setDropAction(Qt::IgnoreAction);
  event->accept();
  stopAutoScroll();
  setState(QAbstractItemView::NoState);
  viewport()->update();
  if (event->source() == this && dragged && dragged != target) emit SubTypeDropped(dragged, target);
}

CSubTypeNode* SubTypeNodeOf(const QTreeWidgetItem* item) {
  if (!item) return nullptr;
  return static_cast<CSubTypeNode*>(item->data(0, kNodeDataRole).value<void*>());
}

void SetSubTypeAppearance(CSubTypeNode& node) {
  const TNodeStyle style = NodeStyle(NodeCategory, node.depth);
  node.fontStyle = 0;
  node.textColor = 0x000000;
  node.fontSize = style.fontSize;
  node.strip = style.strip;
}

CSubTypeNode* AddSubTypeNode(CSubTypeNode& parent, std::uint32_t id, const std::string& name,
                             QTreeWidget& control) {
  bool existed = false;
  CSubTypeNode* node = parent.FindOrAddChild(id, existed);
  node->subTypeId = id;
  node->name = name;
  node->depth = parent.depth + 1;
  if (!existed) {
    SetSubTypeAppearance(*node);
    GiveItem(*node, control);
  } else if (node->item) {
    node->item->setText(0, StoredToQString(name));
  }
  return node;
}

void LoadSubTypes(CDataBase& db, CSubTypeNode& parent, QTreeWidget& control) {
  // Walked with a list of its own rather than by recursion, and no deeper
  // than the transaction tree follows categories: nodes and screen items
  // are freed recursively, so a chain of thousands of nested subtypes (or a
  // parent cycle of a damaged file) must not become one.
  std::vector<CSubTypeNode*> pending{&parent};
  bool cut = false;
  while (!pending.empty()) {
    CSubTypeNode* node = pending.back();
    pending.pop_back();
    if (node->depth - parent.depth >= kMaxSubTypeDepth) {
      cut = cut || !db.GetSubTypeItems(node->subTypeId).empty();
      continue;
    }
    // The list lives in the database's buffer until the next call: copy it.
    const std::vector<CSubTypeItem> children = db.GetSubTypeItems(node->subTypeId);
    for (auto it = children.rbegin(); it != children.rend(); ++it)
      pending.push_back(AddSubTypeNode(*node, it->id, it->name, control));
  }
  if (cut)
    LogWarning("[LoadSubTypes] Subtypes nested deeper than " + std::to_string(kMaxSubTypeDepth) +
               " levels are not shown");
}

void PaintSubTypeRow(QPainter& painter, const QPixmap& lines, const CSubTypeNode& node, int width,
                     bool selected) {
  if (width <= 0) return;
  const int h = CSubTypeDelegate::kRowHeight;
  const int top = (selected ? 0 : node.strip) * h;
  if (width >= 40) {
    painter.drawPixmap(QRect(0, 0, 20, h), lines, QRect(0, top, 20, h));
    painter.drawPixmap(QRect(20, 0, width - 40, h), lines, QRect(20, top, 152, h));
    painter.drawPixmap(QRect(width - 20, 0, 20, h), lines, QRect(172, top, 20, h));
  } else {
    painter.drawPixmap(QRect(0, 0, width, h), lines, QRect(20, top, 152, h));
  }
  painter.setFont(NodeFont(node));
  painter.setPen(selected ? QColor(Qt::white) : QColor::fromRgb(node.textColor));
  painter.drawText(QRect(8, 2, std::max(0, width - 8), h - 2), Qt::AlignLeft | Qt::AlignTop,
                   StoredToQString(node.name));
}

CSubTypeDelegate::CSubTypeDelegate(const QPixmap& linesImage, QObject* parent)
    : QStyledItemDelegate(parent), lines_(linesImage) {}

void CSubTypeDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
  const auto* view = qobject_cast<const QTreeWidget*>(option.widget);
  const auto* node = static_cast<const CSubTypeNode*>(index.data(kNodeDataRole).value<void*>());
  if (!node) {
    QStyledItemDelegate::paint(painter, option, index);
    return;
  }
  const int right = view ? view->viewport()->width() : option.rect.right() + 1;
  const int width = std::max(option.rect.width(), right - option.rect.left());
  painter->save();
  painter->translate(option.rect.topLeft());
  painter->setClipRect(QRect(0, 0, width, option.rect.height()));
  PaintSubTypeRow(*painter, lines_, *node, width, option.state & QStyle::State_Selected);
  painter->restore();
}

QSize CSubTypeDelegate::sizeHint(const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
  QSize size = QStyledItemDelegate::sizeHint(option, index);
  size.setWidth(size.width() + 24);
  size.setHeight(kRowHeight);
  return size;
}

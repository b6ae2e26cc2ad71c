// The subtype trees of the categories window and the subtype picker: nodes
// loaded from the database into a QTreeWidget, and rows drawn on the strips
// of the lines image.
#pragma once

#include <QPixmap>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <cstdint>

#include "Node.h"
#include "Omrindb.h"

// The node a screen item shows, or nullptr.
CSubTypeNode* SubTypeNodeOf(const QTreeWidgetItem* item);

// A read-only tree control for subtypes, named "SubTypeTree": no header,
// uniform rows, double clicks left to the window.
QTreeWidget* MakeSubTypeTreeControl(QWidget* parent);

// The same control with drag and drop: a subtype dragged onto another one is
// asked to move below it, dropped between rows beside them, dropped on the
// empty area to the top level. The control itself moves nothing: the window
// moves the subtype in the database and loads the tree again.
class CSubTypeTreeControl : public QTreeWidget {
  Q_OBJECT

 public:
  explicit CSubTypeTreeControl(QWidget* parent);

 signals:
  // `dragged` is to go below `newParent` (nullptr: the top level).
  void SubTypeDropped(QTreeWidgetItem* dragged, QTreeWidgetItem* newParent);

 protected:
  void dropEvent(QDropEvent* event) override;
};

// Gives a node the look of its depth: black text, font size 10 for the first
// two levels and 9 below, strip depth + 2 up to strip 7.
void SetSubTypeAppearance(CSubTypeNode& node);

// How many levels below the given parent LoadSubTypes loads.
constexpr int kMaxSubTypeDepth = 64;

// Loads the descendants of `parent` from the database, at most
// kMaxSubTypeDepth levels deep (a deeper part is logged and not shown):
// nodes that exist are found again and marked, new ones get their look and a
// screen item under the parent's item (or at the top of `control` for the
// root).
void LoadSubTypes(CDataBase& db, CSubTypeNode& parent, QTreeWidget& control);

// Creates the child `id` of `parent` with `name` (as the database holds it),
// or finds it again; makes its screen item when it has none.
CSubTypeNode* AddSubTypeNode(CSubTypeNode& parent, std::uint32_t id, const std::string& name,
                             QTreeWidget& control);

// Draws subtype rows: the strip of the node's style (strip 0 when selected)
// stretched over the row, the name in the node's font, white on the
// selected row.
class CSubTypeDelegate : public QStyledItemDelegate {
 public:
  CSubTypeDelegate(const QPixmap& linesImage, QObject* parent);
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

  static constexpr int kRowHeight = 20;

 private:
  QPixmap lines_;  // the strip picture (rows of 20 pixels, 192 wide)
};

// Draws one row of `width` pixels for `node` at the top left of `painter`'s
// current origin. The picker, the categories window and the tests share it.
void PaintSubTypeRow(QPainter& painter, const QPixmap& lines, const CSubTypeNode& node, int width,
                     bool selected);

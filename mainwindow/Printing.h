// The printed report of the Transactions tree: a title line, a ruled header
// row and one ruled row per node, top nodes and categories followed by
// their children, groups as one row without their transactions. Every page
// starts with the title line and the header row again.
#pragma once

#include <QFont>
#include <QPainter>
#include <QString>
#include <cstdint>

class CTransactionsTree;
class QPagedPaintDevice;
class QPrinter;
class QTreeWidget;
class QTreeWidgetItem;

// The colour a row's text prints in: the style's colour (0xRRGGBB), except
// that colours whose Windows value (blue in the high byte, red in the low)
// lies below that of RGB 128, 128, 128 print black.
QColor PrintTextColor(std::uint32_t rgb);

// What a print did, for the caller's status and for tests.
struct TPrintCounts {
  int pages = 0;    // pages started
  int headers = 0;  // title and header rows printed
  int rows = 0;     // node rows printed
};

// Prints rows of `tree` onto `device`. The column widths follow the
// proportions of columns 0..3 of `control`'s header, the fonts its font.
// `tree` must be the tree behind `control`. Usage: Begin, PrintHeader,
// PrintNode for each top item (or the selection), End.
class CTreePrinter {
 public:
  CTreePrinter(QPagedPaintDevice& device, CTransactionsTree& tree, const QTreeWidget& control,
               QString title);
  CTreePrinter(const CTreePrinter&) = delete;
  CTreePrinter& operator=(const CTreePrinter&) = delete;

  // Starts the document on the device and sets the column widths. False
  // when the device cannot be painted on.
  bool Begin();
  // The title line and the column header row at the current line; fixes the
  // widths of the five printed columns.
  void PrintHeader();
  // One row for `item` at indent `indent` (device units); for a top node or a
  // category also its children one indent unit further right. Nothing for
  // an item without a node.
  void PrintNode(int indent, QTreeWidgetItem* item);
  void End();

  // The width of "W" in the tree's font on the device: one indent level.
  int IndentUnit() const { return indentUnit_; }
  const TPrintCounts& Counts() const { return counts_; }

 private:
  void SetFont(double points, bool bold, const QColor& color);
  int TextHeight() const;
  // Right edge of printed column `column` (0..4): the running sum of widths.
  int ColumnRight(int column) const;
  void DrawRules(int top, int bottom);
  void DrawConnectors(int x, int top, int bottom, const QTreeWidgetItem* item);

  QPagedPaintDevice& device_;
  CTransactionsTree& tree_;
  const QTreeWidget& control_;
  QString title_;
  QPainter painter_;
  QString family_;          // the tree's font family
  double treePoints_ = 12;  // the tree's font size in points
  int widths_[5] = {};      // Description, Quantity, Sum, %, Date
  int line_ = 0;            // top of the next row
  int indentUnit_ = 1;
  TPrintCounts counts_;
};

// Prints the Transactions tree: every top item from the incomes node on, or
// with `selectionOnly` the selected item of `control` (title and header only
// when nothing is selected). `title` is the whole title line: the print title
// "Pardow report. Time interval:", a blank and the interval caption; it also
// names the print job.
TPrintCounts PrintTree(QPrinter& printer, CTransactionsTree& tree, QTreeWidget& control,
                       const QString& title, bool selectionOnly);

#include "Printing.h"

#include <QHeaderView>
#include <QPagedPaintDevice>
#include <QPrinter>
#include <QTreeWidget>
#include <algorithm>

#include "Node.h"
#include "Qtexts.h"
#include "Skin.h"

QColor PrintTextColor(std::uint32_t rgb) {
  const std::uint32_t red = (rgb >> 16) & 0xFF, green = (rgb >> 8) & 0xFF, blue = rgb & 0xFF;
  const std::uint32_t windowsValue = (blue << 16) | (green << 8) | red;
  if (windowsValue < 8421504) return Qt::black;  // 8421504: RGB 128, 128, 128
  return QColor(static_cast<int>(red), static_cast<int>(green), static_cast<int>(blue));
}

namespace {

// The header's print columns: Description, Quantity, Sum, % and Date.
constexpr int kPrintColumns = 5;

bool IsLastChild(const QTreeWidgetItem* item) {
  const QTreeWidgetItem* parent = item->parent();
  if (parent == nullptr && item->treeWidget() != nullptr)
    parent = item->treeWidget()->invisibleRootItem();
  if (parent == nullptr) return true;
  return parent->indexOfChild(const_cast<QTreeWidgetItem*>(item)) == parent->childCount() - 1;
}

}  // namespace

CTreePrinter::CTreePrinter(QPagedPaintDevice& device, CTransactionsTree& tree,
                           const QTreeWidget& control, QString title)
    : device_(device), tree_(tree), control_(control), title_(std::move(title)) {}

bool CTreePrinter::Begin() {
  // Description, Quantity, Sum and % share the page as the screen's columns
  // share their sum; Date starts at nothing and PrintHeader gives it room.
  const QHeaderView* head = control_.header();
  std::int64_t screenSum = 0;
  for (int i = 0; i < 4; ++i) screenSum += head->sectionSize(i);
  for (int i = 0; i < 4; ++i)
    widths_[i] = screenSum == 0 ? 0
                                : static_cast<int>(static_cast<std::int64_t>(device_.width()) *
                                                   head->sectionSize(i) / screenSum);
  widths_[4] = 0;

  const QFont treeFont = control_.font();
  family_ = treeFont.family();
  treePoints_ = treeFont.pointSizeF() > 0
                    ? treeFont.pointSizeF()
                    : treeFont.pixelSize() * 72.0 / std::max(1, control_.logicalDpiY());
  if (!painter_.begin(&device_)) return false;
  counts_ = {};
  counts_.pages = 1;
  line_ = 0;
  SetFont(treePoints_, false, Qt::black);
  indentUnit_ = std::max(1, painter_.fontMetrics().horizontalAdvance(QStringLiteral("W")));
  return true;
}

void CTreePrinter::End() {
  if (painter_.isActive()) painter_.end();
}

void CTreePrinter::SetFont(double points, bool bold, const QColor& color) {
  QFont font(family_);
  font.setPointSizeF(points > 0 ? points : 8);
  font.setBold(bold);
  painter_.setFont(font);
  painter_.setPen(color);
}

int CTreePrinter::TextHeight() const {
  return painter_.fontMetrics().height();
}

int CTreePrinter::ColumnRight(int column) const {
  int right = 0;
  for (int i = 0; i <= column && i < kPrintColumns; ++i) right += widths_[i];
  return right;
}

namespace {

// Text whose top-left corner is at (x, y).
void TextAt(QPainter& painter, int x, int y, const QString& text) {
  painter.drawText(x, y + painter.fontMetrics().ascent(), text);
}
// Text that ends at `right`, its top at y.
void TextEndingAt(QPainter& painter, int right, int y, const QString& text) {
  TextAt(painter, right - painter.fontMetrics().horizontalAdvance(text), y, text);
}
// A hairline on paper: about a sixth of a millimetre.
QPen RulePen(const QPaintDevice& device, Qt::PenStyle style) {
  return QPen(Qt::black, std::max(1, device.logicalDpiX() / 150), style, Qt::FlatCap);
}

}  // namespace

void CTreePrinter::DrawRules(int top, int bottom) {
  painter_.setPen(RulePen(device_, Qt::SolidLine));
  for (int i = 0; i < kPrintColumns; ++i)
    painter_.drawLine(ColumnRight(i), top, ColumnRight(i), bottom);
}

void CTreePrinter::PrintHeader() {
  ++counts_.headers;
  const int pageWidth = device_.width();
  SetFont(12, false, Qt::black);
  painter_.setBrush(Qt::white);
  const int b = TextHeight() / 5 * 4;
  const QFontMetrics metrics = painter_.fontMetrics();
  widths_[1] = std::max(widths_[1], b + metrics.horizontalAdvance(QStringLiteral("Quantity")));
  widths_[2] = std::max(widths_[2], b + metrics.horizontalAdvance(QStringLiteral("1 000 000")));
  widths_[3] = std::max(widths_[3], b + metrics.horizontalAdvance(QStringLiteral("100%")));
  widths_[4] = std::max(widths_[4], b + metrics.horizontalAdvance(QStringLiteral("00.00.0000")));
  widths_[0] = pageWidth - (widths_[1] + widths_[2] + widths_[3] + widths_[4]) - 2;

  SetFont(10, false, Qt::black);
  const int h2 = TextHeight();
  TextAt(painter_, h2 / 5 * 2, line_ + h2 / 5, title_);
  line_ += h2 + h2 / 5 * 2;

  SetFont(treePoints_, false, Qt::black);
  const int h3 = TextHeight(), f = h3 / 5;
  const int top = line_, bottom = line_ + h3 + 2 * f;
  line_ = bottom;
  const QTreeWidgetItem* titles = control_.headerItem();
  TextAt(painter_, 2 * f, top + f, titles->text(0));
  for (int i = 1; i < kPrintColumns; ++i)
    TextEndingAt(painter_, ColumnRight(i) - 2 * f, top + f, titles->text(i));
  DrawRules(top, bottom);
  painter_.setBrush(Qt::NoBrush);
  painter_.drawRect(QRect(QPoint(0, top), QPoint(pageWidth - 1, bottom - 1)));
}

void CTreePrinter::DrawConnectors(int x, int top, int bottom, const QTreeWidgetItem* item) {
  const int u = indentUnit_, middle = (top + bottom) / 2;
  painter_.setPen(RulePen(device_, Qt::DotLine));
  if (x > 0) {
    painter_.drawLine(x - u / 2, top, x - u / 2, middle);
    painter_.drawLine(x - u / 2, middle, x, middle);
    if (!IsLastChild(item)) painter_.drawLine(x - u / 2, middle, x - u / 2, bottom);
  }
  for (int k = 1; x - k * u > 0; ++k)
    painter_.drawLine(x - k * u - u / 2, top, x - k * u - u / 2, bottom);
}

void CTreePrinter::PrintNode(int indent, QTreeWidgetItem* item) {
  CTransactionNode* node = NodeOf(item);
  if (node == nullptr || !painter_.isActive()) return;
  ++counts_.rows;
  const int x = indent, pageWidth = device_.width(), u = indentUnit_;
  const TNodeStyle style = NodeStyle(node->kind, node->depth);
  SetFont(style.fontSize + 1, style.bold, PrintTextColor(style.textColor));
  const QColor background =
      style.fontSize > 0 ? QColor::fromRgb(0xFF000000u | style.background) : QColor(Qt::white);

  const int h = TextHeight(), m = h / 5;
  const int top = line_, bottom = line_ + h + 2 * m;
  line_ = bottom;
  painter_.fillRect(QRect(QPoint(x, top), QPoint(pageWidth - 1, bottom - 1)), background);
  const std::string& name = node->displayName.empty() ? tree_.NameOf(node) : node->displayName;
  TextAt(painter_, x + 2 * m, top + m, StoredToQString(name));
  // The figures' part of the row cuts off a name that runs into it.
  painter_.fillRect(QRect(QPoint(widths_[0] - 2 * m, top), QPoint(pageWidth - 1, bottom - 1)),
                    background);

  if (node->showQuantity)
    TextEndingAt(painter_, ColumnRight(1) - 2 * m, top + m,
                 QString::fromStdString(QuantityToStr(node->quantity)));
  TextEndingAt(painter_, ColumnRight(2) - 2 * m, top + m,
               QString::fromStdString(MoneyToStr(node->sum)));
  const bool leaf = node->kind == NodeGroup || node->kind == NodeTransaction;
  if (leaf || node->kind == NodeCategory)
    TextEndingAt(painter_, ColumnRight(3) - 2 * m, top + m, QString::number(node->percent) + "%");
  if (node->kind == NodeTransaction)
    TextEndingAt(painter_, ColumnRight(4) - 2 * m, top + m, ShortDateText(node->date));

  DrawRules(top, bottom);
  painter_.setBrush(Qt::NoBrush);
  painter_.drawRect(QRect(QPoint(x, top), QPoint(pageWidth - 1, bottom - 1)));
  if (node->kind == NodeGroup) {
    painter_.setBrush(background);
    painter_.drawRect(QRect(QPoint(x - 13 * u / 20, top + 9 * u / 20),
                            QPoint(x - 7 * u / 20, bottom - 9 * u / 20)));
    painter_.setBrush(Qt::NoBrush);
  }
  DrawConnectors(x, top, bottom, item);

  if (line_ + h + 2 * m > device_.height()) {
    line_ = 0;
    device_.newPage();
    ++counts_.pages;
    PrintHeader();
  }
  if (leaf) return;          // a group prints as one row
  tree_.ShowChildren(node);  // collapsed rows print too
  for (int i = 0; i < item->childCount(); ++i) PrintNode(x + u, item->child(i));
}

TPrintCounts PrintTree(QPrinter& printer, CTransactionsTree& tree, QTreeWidget& control,
                       const QString& title, bool selectionOnly) {
  printer.setDocName(title);
  CTreePrinter job(printer, tree, control, title);
  if (!job.Begin()) return {};
  job.PrintHeader();
  if (selectionOnly) {
    const QList<QTreeWidgetItem*> selected = control.selectedItems();
    if (!selected.isEmpty()) job.PrintNode(0, selected.first());
  } else if (tree.Incomes() != nullptr && tree.Incomes()->item != nullptr) {
    const int first = control.indexOfTopLevelItem(tree.Incomes()->item);
    for (int i = std::max(first, 0); i < control.topLevelItemCount(); ++i)
      job.PrintNode(0, control.topLevelItem(i));
  }
  job.End();
  return job.Counts();
}

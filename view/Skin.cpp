#include "Skin.h"

#include <QDate>
#include <QFontDatabase>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLinearGradient>
#include <QLocale>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QRegularExpression>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <QWidget>
#include <algorithm>

#include "Node.h"
#include "Occurrences.h"
#include "Qtexts.h"

TNodeStyle NodeStyle(std::uint8_t kind, std::int32_t depth) {
  switch (kind) {
    case NodeIncomes:
      return {2, 0x20A020, 0xFFFFFF, 10, true};
    case NodeExpenses:
      return {1, 0xB03030, 0xFFFFFF, 10, true};
    case NodeCategory:
      return {std::clamp(depth + 2, 2, 7), 0x65ACFF, 0x000000, depth <= 2 ? 10 : 9, false};
    case NodeGroup:
    case NodeTransaction:
      return {8, 0xF2F2F2, 0x000000, 8, false};
    default:
      return {};
  }
}

// ---- The strip picture ---------------------------------------------------------

namespace {

// One rounded band of the picture: a vertical gradient inside a thin border,
// with a light line under the top edge.
struct TBand {
  QColor top;
  QColor bottom;
  QColor border;
  qreal radius;
  int highlightAlpha;  // of the white line under the top edge
};

QColor Mix(const QColor& a, const QColor& b, qreal t) {
  return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t,
                          a.greenF() + (b.greenF() - a.greenF()) * t,
                          a.blueF() + (b.blueF() - a.blueF()) * t);
}

// A band derived from one base colour: lighter at the top, the base a little
// darkened at the bottom, a darker border.
TBand BandOf(const QColor& base, qreal radius, int highlightAlpha = 110) {
  return {Mix(base, Qt::white, 0.22), Mix(base, Qt::black, 0.06), Mix(base, Qt::black, 0.28),
          radius, highlightAlpha};
}

void PaintBand(QPainter& p, int top, int height, const TBand& band) {
  const QRectF box(0.5, top + 0.5, kImgLinesWidth - 1.0, height - 1.0);
  QLinearGradient fill(0, top, 0, top + height);
  fill.setColorAt(0, band.top);
  fill.setColorAt(1, band.bottom);
  QPainterPath path;
  path.addRoundedRect(box, band.radius, band.radius);
  p.fillPath(path, fill);
  p.setPen(QPen(band.border, 1));
  p.drawPath(path);
  // The light line stays inside the caps' straight part, so the stretched
  // middle remains the same in every column.
  p.setPen(QPen(QColor(255, 255, 255, band.highlightAlpha), 1));
  p.drawLine(QPointF(band.radius + 1, top + 1.5),
             QPointF(kImgLinesWidth - band.radius - 1, top + 1.5));
}

const QColor kCategoryBase(101, 172, 255);

}  // namespace

QImage MakeImgLinesImage() {
  QImage image(kImgLinesWidth, kImgLinesHeight, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  auto strip = [&](int n, const TBand& band) {
    PaintBand(p, n * kStripHeight, kStripHeight, band);
  };
  strip(0, {QColor(78, 146, 232), QColor(34, 98, 194), QColor(24, 74, 160), 5, 90});
  strip(1, BandOf(QColor(176, 48, 48), 5, 70));
  strip(2, BandOf(QColor(32, 160, 32), 5, 70));
  // Category levels 1..5: the same blue, paler with every level.
  const qreal paler[5] = {0.0, 0.25, 0.45, 0.60, 0.72};
  for (int level = 0; level < 5; ++level)
    strip(3 + level, BandOf(Mix(kCategoryBase, Qt::white, paler[level]), 4));
  strip(8, {QColor(248, 248, 248), QColor(236, 236, 236), QColor(222, 222, 222), 3, 160});
  strip(9, {QColor(236, 236, 236), QColor(224, 224, 224), QColor(210, 210, 210), 3, 140});
  // The account cards, with a little air between neighbouring cards.
  auto card = [&](int top, const QColor& upper, const QColor& lower, const QColor& border) {
    PaintBand(p, top + 1, kAccountCardHeight - 2, {upper, lower, border, 7, 200});
  };
  card(kAccountCardTop, QColor(255, 255, 255), QColor(234, 238, 244), QColor(196, 204, 216));
  card(kSelectedAccountCardTop, QColor(234, 243, 255), QColor(192, 219, 252), QColor(84, 144, 222));
  return image;
}

QPixmap MakeImgLines() {
  return QPixmap::fromImage(MakeImgLinesImage());
}

void DrawStrip(QPainter& painter, const QPixmap& imgLines, int srcTop, int srcHeight,
               const QRect& target) {
  if (target.width() <= 0 || target.height() <= 0) return;
  int leftCap = kStripCap, rightCap = kStripCap;
  if (target.width() < 2 * kStripCap) {
    leftCap = target.width() / 2;
    rightCap = target.width() - leftCap;
  }
  const int right = target.x() + target.width();
  painter.drawPixmap(QRect(target.x(), target.y(), leftCap, target.height()), imgLines,
                     QRect(0, srcTop, kStripCap, srcHeight));
  const int middle = target.width() - leftCap - rightCap;
  if (middle > 0)
    painter.drawPixmap(QRect(target.x() + leftCap, target.y(), middle, target.height()), imgLines,
                       QRect(kStripCap, srcTop, kImgLinesWidth - 2 * kStripCap, srcHeight));
  painter.drawPixmap(QRect(right - rightCap, target.y(), rightCap, target.height()), imgLines,
                     QRect(kImgLinesWidth - kStripCap, srcTop, kStripCap, srcHeight));
}

// ---- Fonts and dates ------------------------------------------------------------

void StyleIntervalCaption(QWidget* label) {
  QFont font(ArialFamily());
  font.setPixelSize(16);
  font.setBold(true);
  label->setFont(font);
  QPalette navy = label->palette();
  navy.setColor(QPalette::WindowText, Qt::darkBlue);
  label->setPalette(navy);
}

QString ArialFamily() {
  static const QString family =
      QFontDatabase::hasFamily("Arial")
          ? QString("Arial")
          : QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
  return family;
}

namespace {
QFont ArialPixels(int pixels) {
  QFont font(ArialFamily());
  font.setPixelSize(pixels);
  return font;
}
QFont ArialPoints(int points, bool bold) {
  QFont font(ArialFamily());
  font.setPointSize(points > 0 ? points : 8);
  font.setBold(bold);
  return font;
}
}  // namespace

QFont TreeFont() {
  return ArialPixels(16);
}
QFont WindowFont() {
  return ArialPixels(13);
}

QString ShortDateFormat() {
  QString format = QLocale().dateFormat(QLocale::ShortFormat);
  static const QRegularExpression years("y+");
  return format.replace(years, "yyyy");
}

QString ShortDateText(Date date) {
  const QString format = ShortDateFormat();
  const CivilDate day = DecodeDate(date);
  return QLocale().toString(QDate(day.year, static_cast<int>(day.month), static_cast<int>(day.day)),
                            format);
}

std::string ShortDateUtf8(Date date) {
  return ShortDateText(date).toStdString();
}

// ---- Tree rows ----------------------------------------------------------------------

QString TRowLook::Text(int column) const {
  for (const TRowCell& cell : cells)
    if (cell.column == column) return cell.text;
  return {};
}

namespace {

bool IsLeaf(const CTransactionNode* node) {
  return node != nullptr && (node->kind == NodeTransaction || node->kind == NodeGroup);
}

// How many siblings directly above `item` on the screen are transactions or
// groups, counting up to the first that is not.
int LeafSiblingsAbove(const QTreeWidgetItem* item) {
  if (item == nullptr) return 0;
  const QTreeWidgetItem* parent = item->parent();
  if (parent == nullptr && item->treeWidget() != nullptr)
    parent = item->treeWidget()->invisibleRootItem();
  if (parent == nullptr) return 0;
  int count = 0;
  for (int i = parent->indexOfChild(const_cast<QTreeWidgetItem*>(item)) - 1; i >= 0; --i) {
    if (!IsLeaf(NodeOf(parent->child(i)))) break;
    ++count;
  }
  return count;
}

QString SubTypeName(CDataBase& db, std::uint32_t id) {
  if (id <= 100) return {};
  CSubTypeItem subType;
  db.GetSubType(id, subType);
  return subType.id == id ? StoredToQString(subType.name) : QString();
}

// A comment on one row: its line breaks read as blanks.
QString OneLine(const std::string& stored) {
  QString text = StoredToQString(stored);
  text.replace("\r\n", " ");
  text.replace(QLatin1Char('\r'), QLatin1Char(' '));
  text.replace(QLatin1Char('\n'), QLatin1Char(' '));
  return text;
}

}  // namespace

TRowLook ComposeRow(CTransactionsTree& tree, CTransactionNode* node, bool selected, int tab,
                    CDataBase& db) {
  TRowLook look;
  const TNodeStyle style = NodeStyle(node->kind, node->depth);
  look.strip = selected ? 0 : style.strip;
  if (!selected && IsLeaf(node) && LeafSiblingsAbove(node->item) % 2 == 1) ++look.strip;
  look.textColor = selected ? qRgb(255, 255, 255) : (0xFF000000u | style.textColor);
  look.fontSize = style.fontSize;
  look.bold = style.bold;
  auto add = [&](int column, QString text, bool right) {
    look.cells.push_back({column, std::move(text), right});
  };

  if (node->displayName.empty()) node->SetDisplayName(tree.NameOf(node));
  add(ColDescription, StoredToQString(node->displayName), false);
  if (node->showQuantity)
    add(ColQuantity, QString::fromStdString(QuantityToStr(node->quantity)), true);
  add(ColSum, QString::fromStdString(MoneyToStr(node->sum)), true);
  if (node->kind == NodeCategory || IsLeaf(node))
    add(ColPercent, QString::number(std::min<int>(node->percent, 100)) + "%", true);
  if (node->kind != NodeTransaction) return look;

  if (tab == kTransactionsTab) add(ColDate, ShortDateText(node->date), true);
  TransactionRecord record;
  std::string comment;
  if (tab == kTransactionsTab) {
    CTransactionItem item;
    db.GetTransaction(node->transactionId, item);
    if (item.id != node->transactionId) return look;
    record = item.record;
    comment = item.comment;
  } else {
    CPlnTransactionItem item;
    db.GetPlnTransaction(node->transactionId, item);
    if (item.id != node->transactionId) return look;
    record = item.record.transaction;
    comment = item.comment;
    // A planned transaction's date is the day it falls due next.
    Date due = 0.0;
    if (NextOccurrence(item.record.schedule, due)) add(ColDate, ShortDateText(due), true);
  }
  add(ColMember, SubTypeName(db, record.memberId), false);
  add(ColSection, SubTypeName(db, record.sectionId), false);
  add(ColNotes, OneLine(comment), false);
  return look;
}

namespace {
constexpr int kTextTop = 2;      // texts start 2 px below the row's top
constexpr int kNameLeft = 6;     // the description's left edge in the row image
constexpr int kNameGap = 10;     // the description stops this far before column 0 ends
constexpr int kFigureGap = 12;   // figures end this far before their column ends
constexpr int kFigureReach = 8;  // figures may reach this far into the column on the left
constexpr int kTextGap = 8;      // member, section and notes stop this far before the edge
constexpr int kStripOffset = 7;  // the row image starts this far right of the text area
}  // namespace

QImage PaintRowImage(const TRowLook& look, const std::vector<TColumnSpan>& columns, int width,
                     const QPixmap& imgLines, const QColor& background, qreal devicePixelRatio) {
  QImage image(QSize(width, kStripHeight) * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(devicePixelRatio);
  image.fill(background);
  QPainter p(&image);
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  DrawStrip(p, imgLines, look.strip * kStripHeight, kStripHeight, QRect(0, 0, width, kStripHeight));
  p.setFont(ArialPoints(look.fontSize, look.bold));
  p.setPen(QColor::fromRgb(look.textColor));
  const int lineHeight = kStripHeight - kTextTop;
  for (const TRowCell& cell : look.cells) {
    if (cell.text.isEmpty() || cell.column < 0 || cell.column >= static_cast<int>(columns.size()) ||
        !columns[cell.column].visible)
      continue;
    const TColumnSpan& column = columns[cell.column];
    QRect box;
    int align = Qt::AlignTop | Qt::TextSingleLine;
    if (cell.column == ColDescription) {
      box =
          QRect(QPoint(kNameLeft, kTextTop), QPoint(column.right - kNameGap - 1, kStripHeight - 1));
      align |= Qt::AlignLeft;
    } else if (cell.rightAligned) {
      box = QRect(QPoint(column.left - kFigureReach, kTextTop),
                  QPoint(column.right - kFigureGap - 1, kStripHeight - 1));
      align |= Qt::AlignRight;
    } else {
      box = QRect(QPoint(column.left, kTextTop),
                  QPoint(column.right - kTextGap - 1, kStripHeight - 1));
      align |= Qt::AlignLeft;
    }
    if (box.width() <= 0) continue;
    box.setHeight(lineHeight);
    p.setClipRect(box);
    // Text that does not fit ends with an ellipsis, so no figure loses its
    // leading digits.
    p.drawText(box, align, p.fontMetrics().elidedText(cell.text, Qt::ElideRight, box.width()));
  }
  return image;
}

// ---- The tree control -----------------------------------------------------------------

namespace {
// Every row 20 px high, whatever the font.
class CRowHeightDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(kStripHeight);
    return size;
  }
};
}  // namespace

const char* const CFundsTree::kColumnTitles[kFundsColumnCount] = {
    "Description", "Quantity", "Sum", "%", "Date", "Family member", "Section", "Notes"};
// Narrow enough that description, quantity, sum, percent and date show
// together in the window at its default size.
const int CFundsTree::kColumnWidths[kFundsColumnCount] = {150, 70, 80, 45, 70, 110, 80, 100};
const int CFundsTree::kColumnMinimums[kFundsColumnCount] = {50, 1, 1, 1, 1, 1, 1, 1};

CFundsTree::CFundsTree(QWidget* parent) : CNodeTreeControl(parent) {
  setFont(TreeFont());
  setColumnCount(kFundsColumnCount);
  QStringList titles;
  for (const char* title : kColumnTitles) titles << QString::fromUtf8(title);
  setHeaderLabels(titles);
  for (int column = ColQuantity; column <= ColDate; ++column)
    headerItem()->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
  QHeaderView* head = header();
  head->setFont(WindowFont());
  head->setSectionsMovable(false);
  head->setMinimumSectionSize(1);
  for (int column = 0; column < kFundsColumnCount; ++column)
    head->resizeSection(column, DefaultColumnWidth(column));
  // Width the columns leave over goes to the descriptions, not to the notes;
  // the other columns keep the widths the user gives them.
  head->setStretchLastSection(false);
  connect(head, &QHeaderView::sectionResized, this, [this](int index, int oldSize, int newSize) {
    KeepMinimumWidth(index, oldSize, newSize);
    if (index != ColDescription) FitDescription();
  });
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setItemDelegate(new CRowHeightDelegate(this));
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  // Shift and Ctrl with a click or the arrows pick several rows; the
  // transaction commands act on the transactions among them.
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setAllColumnsShowFocus(true);
}

CFundsTree::~CFundsTree() {
  // The header outlives this part of the tree: its last resizes must not
  // reach a tree that is being destroyed.
  disconnect(header(), nullptr, this, nullptr);
}

int CFundsTree::DefaultColumnWidth(int column) {
  if (column < 0 || column >= kFundsColumnCount) return 0;
  QStringList widest;
  QFont font;
  if (column == ColSum) {
    widest = {QStringLiteral("999,999,999.99")};
    font = ArialPoints(10, true);  // the totals of the top rows
  } else if (column == ColDate) {
    widest = {QStringLiteral("28.12.2026"), QStringLiteral("12/28/2026")};
    for (int month = 1; month <= 12; ++month)  // formats with month names
      widest << QLocale().toString(QDate(2026, month, 28), ShortDateFormat());
    font = ArialPoints(8, false);
  } else {
    return kColumnWidths[column];
  }
  int needed = 0;
  for (const QString& text : widest)
    needed = std::max(needed, QFontMetrics(font).horizontalAdvance(text) + kFigureGap + 4);
  return std::max(kColumnWidths[column], needed);
}

void CFundsTree::SetTree(CTransactionsTree* tree, CDataBase* db, const QPixmap* imgLines, int tab) {
  tree_ = tree;
  db_ = db;
  imgLines_ = imgLines;
  tab_ = tab;
  viewport()->update();
}

bool CFundsTree::viewportEvent(QEvent* event) {
  if (event->type() != QEvent::ToolTip || !ToolTipOf) return CNodeTreeControl::viewportEvent(event);
  const auto* help = static_cast<QHelpEvent*>(event);
  const CTransactionNode* node = NodeOf(itemAt(help->pos()));
  const QString text = node == nullptr ? QString() : ToolTipOf(node);
  if (text.isEmpty())
    QToolTip::hideText();
  else
    QToolTip::showText(help->globalPos(), text, viewport());
  return true;
}

void CFundsTree::KeepMinimumWidth(int logicalIndex, int /*oldSize*/, int newSize) {
  if (logicalIndex < 0 || logicalIndex >= kFundsColumnCount) return;
  if (newSize < kColumnMinimums[logicalIndex] && !header()->isSectionHidden(logicalIndex))
    header()->resizeSection(logicalIndex, kColumnMinimums[logicalIndex]);
}

void CFundsTree::updateGeometries() {
  CNodeTreeControl::updateGeometries();
  FitDescription();
}

void CFundsTree::showEvent(QShowEvent* event) {
  CNodeTreeControl::showEvent(event);
  FitDescription();
}

void CFundsTree::FitDescription() {
  QHeaderView* head = header();
  // A tree that is not shown has no width of its own to fit yet.
  if (fitting_ || !isVisible() || head->isSectionHidden(ColDescription)) return;
  // The header's own length: it counts what the sections really take.
  // Description gives up width for the other columns only down to
  // kNarrowestDescription; below it the tree scrolls sideways.
  const int spare = viewport()->width() - head->length();
  const int width = std::max(kNarrowestDescription, head->sectionSize(ColDescription) + spare);
  if (head->sectionSize(ColDescription) == width) return;
  fitting_ = true;
  head->resizeSection(ColDescription, width);
  fitting_ = false;
}

void CFundsTree::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
  QTreeWidgetItem* item = itemFromIndex(index);
  CTransactionNode* node = NodeOf(item);
  if (node == nullptr || tree_ == nullptr || db_ == nullptr || imgLines_ == nullptr ||
      imgLines_->isNull()) {
    QTreeWidget::drawRow(painter, option, index);
    return;
  }
  const QHeaderView* head = header();
  const QRect& row = option.rect;
  const int firstLeft = head->sectionViewportPosition(ColDescription);
  const int textLeft = visualRect(index.siblingAtColumn(ColDescription)).left();
  if (textLeft > firstLeft)
    drawBranches(painter, QRect(firstLeft, row.y(), textLeft - firstLeft, row.height()), index);

  const int origin = textLeft + kStripOffset;
  const int width = head->length() - head->offset() - origin;
  if (width < 1) return;
  std::vector<TColumnSpan> columns(kFundsColumnCount);
  for (int i = 0; i < kFundsColumnCount; ++i) {
    columns[i].visible = !head->isSectionHidden(i);
    columns[i].left = head->sectionViewportPosition(i) - origin;
    columns[i].right = columns[i].left + head->sectionSize(i);
  }
  const TRowLook look = ComposeRow(*tree_, node, item->isSelected(), tab_, *db_);
  painter->drawImage(QPoint(origin, row.y()),
                     PaintRowImage(look, columns, width, *imgLines_,
                                   palette().color(QPalette::Base), devicePixelRatioF()));

  // Dotted column rules that invert what lies under them.
  painter->save();
  painter->setRenderHint(QPainter::Antialiasing, false);
  if (painter->paintEngine() != nullptr &&
      painter->paintEngine()->hasFeature(QPaintEngine::RasterOpModes))
    painter->setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
  painter->setPen(QPen(Qt::black, 0, Qt::DotLine));
  for (int i = 0; i < kFundsColumnCount; ++i) {
    if (head->isSectionHidden(i)) continue;
    const int x = head->sectionViewportPosition(i) + head->sectionSize(i) - 2;
    if (x >= textLeft + 2) painter->drawLine(x, row.y(), x, row.y() + row.height() - 1);
  }
  painter->restore();
}

// ---- Account and currency rows ----------------------------------------------------------

namespace {
QPixmap DrawAccountIcon(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 32.0, size / 32.0);
  // A banknote peeking out of a wallet.
  QLinearGradient note(0, 3, 0, 14);
  note.setColorAt(0, QColor(150, 214, 132));
  note.setColorAt(1, QColor(86, 164, 72));
  p.setPen(QPen(QColor(46, 110, 40), 1));
  p.setBrush(note);
  p.save();
  p.translate(16, 10);
  p.rotate(-8);
  p.drawRoundedRect(QRectF(-12, -6, 22, 12), 1.5, 1.5);
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QPointF(-1, 0), 3, 3);
  p.restore();
  QLinearGradient body(0, 10, 0, 29);
  body.setColorAt(0, QColor(146, 96, 58));
  body.setColorAt(1, QColor(98, 58, 30));
  p.setPen(QPen(QColor(70, 40, 18), 1));
  p.setBrush(body);
  p.drawRoundedRect(QRectF(2.5, 11.5, 27, 18), 3, 3);
  p.setPen(QPen(QColor(255, 255, 255, 60), 1));
  p.drawLine(QPointF(5, 13.5), QPointF(27, 13.5));
  // The clasp.
  QLinearGradient flap(0, 16, 0, 25);
  flap.setColorAt(0, QColor(178, 124, 80));
  flap.setColorAt(1, QColor(128, 82, 46));
  p.setPen(QPen(QColor(70, 40, 18), 1));
  p.setBrush(flap);
  p.drawRoundedRect(QRectF(19.5, 16.5, 11, 8), 2.5, 2.5);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(236, 200, 96));
  p.drawEllipse(QPointF(24, 20.5), 1.8, 1.8);
  return pixmap;
}
}  // namespace

QIcon AccountIcon() {
  QIcon icon;
  for (int size : {16, 32, 64}) icon.addPixmap(DrawAccountIcon(size));
  return icon;
}

QRgb BalanceColor(Money balance) {
  return balance >= 0 ? qRgb(0, 96, 0) : qRgb(204, 0, 0);
}

QString FirstCommentLine(const QString& comment) {
  static const QRegularExpression lineBreak("[\r\n]");
  const qsizetype end = comment.indexOf(lineBreak);
  return end < 0 ? comment : comment.left(end);
}

TAccountCard AccountCardOf(const CAccountItem& account, CDataBase& db,
                           const QString& balanceCaption, const QString& budgetCaption) {
  CCurrencyItem currency;
  db.GetCurrency(account.record.currencyId, currency);
  TAccountCard card{StoredToQString(account.name),
                    StoredToQString(account.comment),
                    balanceCaption,
                    account.balance,
                    StoredToQString(currency.name),
                    {},
                    false,
                    {}};
  if (account.record.budgetEnabled != 0) {
    card.budget = budgetCaption + QLatin1Char(' ') +
                  QString::fromStdString(MoneyToStr(account.budgetUsed)) + QStringLiteral(" / ") +
                  QString::fromStdString(MoneyToStr(account.record.budgetSum));
    card.overBudget = account.budgetUsed > account.record.budgetSum;
  }
  return card;
}

TAccountCardLayout AccountCardLayout(const QRect& row, int commentWidth, int budgetWidth,
                                     bool thirdLine) {
  const int left = row.x(), top = row.y(), right = row.x() + row.width();
  constexpr int kGap = 8;  // between the comment and the budget line
  TAccountCardLayout layout;
  const bool ownLine = thirdLine || (budgetWidth > 0 && commentWidth > 0 &&
                                     commentWidth + kGap + budgetWidth > right - 11 - (left + 51));
  if (!ownLine) {
    layout.name = QRect(QPoint(left + 50, top + 12), QPoint(right - 11, top + 29));
    const int commentRight = budgetWidth > 0 ? right - 11 - budgetWidth - kGap : right - 11;
    layout.comment = QRect(QPoint(left + 51, top + 30), QPoint(commentRight, top + 47));
    if (budgetWidth > 0)
      layout.budget = QRect(QPoint(commentRight + kGap, top + 30), QPoint(right - 11, top + 47));
    layout.balance = QRect(QPoint(left + 10, top + 46), QPoint(right - 11, top + 67));
    return layout;
  }
  // Four lines in the same 70 px: name, comment, budget, balance.
  layout.name = QRect(QPoint(left + 50, top + 5), QPoint(right - 11, top + 22));
  layout.comment = QRect(QPoint(left + 51, top + 23), QPoint(right - 11, top + 36));
  layout.budget = QRect(QPoint(left + 51, top + 36), QPoint(right - 11, top + 49));
  layout.balance = QRect(QPoint(left + 10, top + 49), QPoint(right - 11, top + 68));
  return layout;
}

void PaintAccountRow(QPainter& painter, const QRect& row, bool selected, const TAccountCard& card,
                     const QPixmap& imgLines, const QIcon& accountIcon) {
  painter.save();
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  DrawStrip(painter, imgLines, selected ? kSelectedAccountCardTop : kAccountCardTop,
            kAccountCardHeight, row);
  const int left = row.x(), top = row.y(), right = row.x() + row.width();
  accountIcon.paint(&painter, QRect(left + 10, top + 10, 32, 32));
  const int align = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;

  painter.setFont(ArialPoints(8, false));
  const QString comment = FirstCommentLine(card.comment);
  // The agreed line takes the comment's place when there is no comment, else
  // a line of its own below it.
  const bool agreedOwnLine = !card.agreed.isEmpty() && !comment.isEmpty();
  const QString second = comment.isEmpty() ? card.agreed : comment;
  const int budgetWidth =
      card.budget.isEmpty() ? 0 : painter.fontMetrics().horizontalAdvance(card.budget);
  const TAccountCardLayout layout = AccountCardLayout(
      row, painter.fontMetrics().horizontalAdvance(second), budgetWidth, agreedOwnLine);
  const QColor agreedColor = QColor::fromRgb(BalanceColor(0));

  painter.setPen(Qt::black);
  painter.setFont(ArialPoints(12, true));
  painter.setClipRect(layout.name);
  painter.drawText(layout.name, align, card.name);

  // The comment ends with "…" only where the card itself is too narrow.
  painter.setFont(ArialPoints(8, false));
  if (!card.budget.isEmpty()) {
    painter.setClipRect(layout.budget);
    painter.setPen(card.overBudget ? QColor::fromRgb(BalanceColor(-1)) : QColor(Qt::black));
    painter.drawText(
        layout.budget, Qt::AlignRight | Qt::AlignTop | Qt::TextSingleLine,
        painter.fontMetrics().elidedText(card.budget, Qt::ElideRight, layout.budget.width()));
    painter.setPen(Qt::black);
  }
  if (agreedOwnLine) {
    QRect agreed = layout.budget;
    if (budgetWidth > 0) agreed.setRight(agreed.right() - budgetWidth - 8);
    painter.setClipRect(agreed);
    painter.setPen(agreedColor);
    painter.drawText(agreed, align,
                     painter.fontMetrics().elidedText(card.agreed, Qt::ElideRight, agreed.width()));
  }
  painter.setPen(comment.isEmpty() ? agreedColor : QColor(Qt::black));
  painter.setClipRect(layout.comment);
  painter.drawText(
      layout.comment, align,
      painter.fontMetrics().elidedText(second, Qt::ElideRight, layout.comment.width()));
  painter.setPen(Qt::black);
  painter.setClipping(false);

  painter.setFont(ArialPoints(10, true));
  const QString amount =
      QString::fromStdString(MoneyToStr(card.balance)) + QLatin1Char(' ') + card.currencySymbol;
  const int amountWidth = painter.fontMetrics().horizontalAdvance(amount);
  const QRect balance = layout.balance;
  painter.drawText(QRect(balance.topLeft(), QPoint(right - 10 - amountWidth - 5, balance.bottom())),
                   align, card.balanceCaption);
  painter.setPen(QColor::fromRgb(BalanceColor(card.balance)));
  painter.drawText(balance, Qt::AlignRight | Qt::AlignTop | Qt::TextSingleLine, amount);
  painter.restore();
}

void PaintCurrencyRow(QPainter& painter, const QRect& row, int rowIndex, bool selected,
                      const QString& fullName, const QString& rate, const QString& baseSymbol,
                      const QPixmap& imgLines) {
  painter.save();
  const int strip = selected ? 0 : (rowIndex % 2 == 0 ? 8 : 9);
  DrawStrip(painter, imgLines, strip * kStripHeight, kStripHeight, row);
  painter.setFont(WindowFont());
  painter.setPen(selected ? Qt::white : Qt::black);
  const int right = row.x() + row.width();
  const int align = Qt::AlignVCenter | Qt::TextSingleLine;
  int nameEnd = right - 8;
  if (!selected) {
    const int rateWidth = painter.fontMetrics().horizontalAdvance(rate);
    const int rateLeft = (baseSymbol.isEmpty() ? right - 8 : right - 40) - rateWidth;
    painter.drawText(QRect(rateLeft, row.y(), rateWidth + 1, row.height()), align | Qt::AlignLeft,
                     rate);
    if (!baseSymbol.isEmpty())
      painter.drawText(QRect(right - 36, row.y(), 36, row.height()), align | Qt::AlignLeft,
                       baseSymbol);
    nameEnd = rateLeft - 6;  // a long name stops before the rate
  }
  const QRect nameBox(QPoint(row.x() + 8, row.y()),
                      QPoint(nameEnd - 1, row.y() + row.height() - 1));
  if (nameBox.width() > 0) {
    painter.setClipRect(nameBox);
    painter.drawText(nameBox, align | Qt::AlignLeft, fullName);
  }
  painter.restore();
}

// How rows look: the style of each kind of tree node, the strip picture the
// rows are cut from, the composition of a tree row's cells, the tree control
// that paints them, and the painters of the account and currency rows.
//
// Deciding what a row shows is plain code (ComposeRow); painting only puts
// the composed look on the screen.
#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QRgb>
#include <QString>
#include <QTreeWidget>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Dates.h"
#include "Include.h"
#include "Node.h"

class CDataBase;
class CTransactionNode;
class CTransactionsTree;
class QPainter;

// Style of a tree row: the strip of the strip picture, the background used
// when printing, the text colour, the font size in points and boldness.
// Colours are 0xRRGGBB.
struct TNodeStyle {
  std::int32_t strip = 0;
  std::uint32_t background = 0;
  std::uint32_t textColor = 0;
  std::int32_t fontSize = 0;
  bool bold = false;
};

TNodeStyle NodeStyle(std::uint8_t kind, std::int32_t depth);

// ---- The strip picture (ImgLines) -------------------------------------------

// 192 x 620: strips of 20 px, strip n covering rows 20n..20n+20, each made of
// a 20-px left cap, a 152-px middle that is stretched and a 20-px right cap.
// Strip 0 is the selection, 1 expenses, 2 incomes, 3..7 the category levels,
// 8 and 9 the alternating transaction rows; rows 480..550 and 550..620 are
// the normal and the selected 70-px account card.
constexpr int kImgLinesWidth = 192;
constexpr int kImgLinesHeight = 620;
constexpr int kStripHeight = 20;
constexpr int kStripCap = 20;
constexpr int kAccountCardTop = 480;
constexpr int kSelectedAccountCardTop = 550;
constexpr int kAccountCardHeight = 70;

QPixmap MakeImgLines();
// The picture as an image (what MakeImgLines converts), for tests and tools.
QImage MakeImgLinesImage();

// Draws `srcHeight` rows of the picture from `srcTop` into `target`: the
// caps 1:1 at both ends, the middle stretched between them. A target
// narrower than the two caps gets each cap squeezed into its half.
void DrawStrip(QPainter& painter, const QPixmap& imgLines, int srcTop, int srcHeight,
               const QRect& target);

// ---- Fonts and dates ---------------------------------------------------------

// Arial, or the system's sans-serif family where Arial is missing.
QString ArialFamily();
// The trees' font: Arial 16 px.
QFont TreeFont();
// The look of a window's interval caption: bold Arial 16 px in dark blue.
void StyleIntervalCaption(QWidget* label);
// The window font: Arial 13 px.
QFont WindowFont();

// A date in the locale's short format (QLocale()), always with a four-digit
// year. Suitable as the regional formatter of FormatShortDate through
// ShortDateUtf8.
QString ShortDateText(Date date);
// The locale's short date format with a four-digit year, for date pickers.
QString ShortDateFormat();
std::string ShortDateUtf8(Date date);

// ---- Tree rows ---------------------------------------------------------------

// The tabs of the main window; a tree row shows its date only on the first.
constexpr int kTransactionsTab = 0;
constexpr int kSchedulerTab = 1;

struct TRowCell {
  int column = 0;
  QString text;
  bool rightAligned = false;
};

// What one tree row shows: the strip, the font and the texts per column.
struct TRowLook {
  int strip = 0;
  QRgb textColor = 0;
  int fontSize = 0;  // points
  bool bold = false;
  std::vector<TRowCell> cells;  // only the columns that show something

  // The text of a column, empty when it shows nothing.
  QString Text(int column) const;
};

// Composes the row of `node`: the strip (selection, kind and depth, the
// alternate shade of every second transaction or group among the siblings
// above it on the screen), the font and the cell texts. Fills the node's
// display name from the string pool when it is still empty. `tab` chooses
// where a transaction's member, section and notes are read: the transactions
// (kTransactionsTab, which also shows the date) or the planned transactions.
TRowLook ComposeRow(CTransactionsTree& tree, CTransactionNode* node, bool selected, int tab,
                    CDataBase& db);

// Horizontal extent of one header column in row-image coordinates.
struct TColumnSpan {
  int left = 0;
  int right = 0;
  bool visible = true;
};

// Paints a composed row into an image `width` x 20 whose x 0 lies at the
// strip's left edge: the strip with its caps, the description at x 6, the
// figures right-aligned 12 px left of each column's right edge, member,
// section and notes left-aligned in theirs.
// The strip's rounded corners show `background`.
QImage PaintRowImage(const TRowLook& look, const std::vector<TColumnSpan>& columns, int width,
                     const QPixmap& imgLines, const QColor& background = Qt::white,
                     qreal devicePixelRatio = 1.0);

// The control of both transaction trees (FundsTree and ShedulerTree): eight
// header columns, read-only, 20-px rows, every row with a node drawn as one
// composed strip. Column positions are the header's own, so the tree's
// horizontal scroll bar scrolls the rows with the header.
class CFundsTree : public CNodeTreeControl {
 public:
  explicit CFundsTree(QWidget* parent = nullptr);

  // What the rows are drawn from; none is owned. Until all three are set the
  // rows are painted the default way. `tab` tells the Transactions tree
  // (kTransactionsTab) from the Scheduler tree (kSchedulerTab).
  void SetTree(CTransactionsTree* tree, CDataBase* db, const QPixmap* imgLines,
               int tab = kTransactionsTab);

  ~CFundsTree() override;

  // The tool tip of a row's node; none when it gives an empty text.
  std::function<QString(const CTransactionNode* node)> ToolTipOf;

  // Header texts, widths and minimum widths of the eight columns.
  static const char* const kColumnTitles[kFundsColumnCount];
  static const int kColumnWidths[kFundsColumnCount];
  static const int kColumnMinimums[kFundsColumnCount];
  // The width a column starts at: kColumnWidths, widened so that a sum up to
  // 999,999,999.99 in the largest row font and a full date fit.
  static int DefaultColumnWidth(int column);
  // Narrower than this, a column counts as lost: it is shown and stored at
  // its default width instead.
  static constexpr int kNarrowestColumn = 16;
  // Description fits the width the other columns leave, but stays at least
  // this wide (about a dozen letters), so names are never cut to a few.
  static constexpr int kNarrowestDescription = 90;

 protected:
  void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
  bool viewportEvent(QEvent* event) override;
  void updateGeometries() override;
  void showEvent(QShowEvent* event) override;

 private:
  void KeepMinimumWidth(int logicalIndex, int oldSize, int newSize);
  // Gives the description column the width the other columns leave in the
  // view (never less than its minimum), so that spare width goes to it.
  void FitDescription();
  bool fitting_ = false;  // FitDescription is resizing the column

  CTransactionsTree* tree_ = nullptr;  // the nodes behind the items
  CDataBase* db_ = nullptr;            // member, section and notes
  const QPixmap* imgLines_ = nullptr;  // the strip picture
  int tab_ = kTransactionsTab;
};

// ---- Account and currency rows -----------------------------------------------

// The account icon (image 1 of the tool images), drawn in code.
QIcon AccountIcon();

// Colour of a balance: dark green when 0 or more, red when negative.
QRgb BalanceColor(Money balance);

// The part of a comment shown on an account card: up to its first line break.
QString FirstCommentLine(const QString& comment);

// What an account card shows.
struct TAccountCard {
  QString name;
  QString comment;  // its first line is shown
  QString balanceCaption;
  Money balance = 0;
  QString currencySymbol;
  QString budget;           // the budget line, empty for an account without one
  bool overBudget = false;  // more than the budget's sum is used
  QString agreed;           // "Agreed with bank on ...", empty when never agreed
};

// The card of `account` of `db`: its texts, the currency's short name and,
// when its budget is on, "CAPTION USED / SUM" as the budget line.
TAccountCard AccountCardOf(const CAccountItem& account, CDataBase& db,
                           const QString& balanceCaption, const QString& budgetCaption);

// Where the texts of an account card stand. The budget line stands right
// of the comment while both fit on one line; otherwise it takes a line of its
// own below the comment, so that the comment is never cut short for it.
struct TAccountCardLayout {
  QRect name, comment, budget, balance;  // budget is empty without a third line
};
// `commentWidth` and `budgetWidth` are the texts' widths in the card's small
// font (0 when there is none). `thirdLine` asks for the four-line layout
// whatever the widths: `budget` is then the whole third line, which the
// agreed bank check shares with the budget.
TAccountCardLayout AccountCardLayout(const QRect& row, int commentWidth, int budgetWidth,
                                     bool thirdLine = false);

// One 70-px account card: the card background, the icon, the name, the first
// line of the comment with the budget line at its right or below it (dark red
// once the budget is overspent), the balance caption and the balance with
// the currency's short name. The agreed bank check's line stands in the
// comment's place when there is no comment, else on a line of its own below
// it (left of the budget line when both are there).
void PaintAccountRow(QPainter& painter, const QRect& row, bool selected, const TAccountCard& card,
                     const QPixmap& imgLines, const QIcon& accountIcon);

// One 20-px currency row: the selection strip with white text for the base
// currency, alternating light strips otherwise; the full name, and for every
// row but the selected one the rate text to the base currency followed by
// the base currency's short name. Without a short name (a row that has no
// rate and says so) the rate text ends 8 px before the row's right edge.
void PaintCurrencyRow(QPainter& painter, const QRect& row, int rowIndex, bool selected,
                      const QString& fullName, const QString& rate, const QString& baseSymbol,
                      const QPixmap& imgLines);

// TFormCurrences: the currencies window. Lists the currencies of the open
// database with their full and short names; currencies are added, edited
// and deleted here, and the exchange-rate window opens from it.
#pragma once

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPixmap>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <cstdint>

#include "Omrindb.h"

// Draws the rows of a currency list on the strips of the strip picture:
// alternating stripes by row, the selection strip with white text. The
// texts come from the items' kFullNameRole and kShortNameRole; a list
// without short names shows the full name only.
class CCurrencyListDelegate : public QStyledItemDelegate {
 public:
  static constexpr int kFullNameRole = Qt::UserRole + 1;
  static constexpr int kShortNameRole = Qt::UserRole + 2;

  CCurrencyListDelegate(const QPixmap& linesImage, QObject* parent);
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  QPixmap lines_;
};

// Fills `list` with one row per currency of `currencies` (row i stands for
// currency i), showing the short names when `withShortNames`.
void FillCurrencyList(QListWidget& list, const TCurrencyItems& currencies, bool withShortNames);

class TFormCurrences : public QDialog {
  Q_OBJECT

 public:
  explicit TFormCurrences(QWidget* parent = nullptr);

  // Shows the window on `database`; `linesImage` is the strip picture the
  // rows are drawn from. A null picture logs "[Currences] Not initialized!"
  // and shows nothing.
  void Execute(CDataBase& database, const QPixmap& linesImage);

 private slots:
  void BtAddClick();
  void BtEditClick();
  void BtDelClick();
  void BtExRateClick();
  void LBCurrencesMouseDown(const QPoint& pos);
  void LBCurrencesDblClick(QListWidgetItem* item);
  void UpdateCommands();

 private:
  // The controls, each named by its objectName.
  QListWidget* LBCurrences = nullptr;
  QLabel* LbName = nullptr;
  QLabel* LbShortName = nullptr;
  QPushButton* BtAdd = nullptr;
  QPushButton* BtEdit = nullptr;
  QPushButton* BtDel = nullptr;
  QPushButton* BtExRate = nullptr;
  QPushButton* BtExit = nullptr;
  QMenu* CurrencesMenu = nullptr;
  QAction* Add1 = nullptr;
  QAction* Edit1 = nullptr;
  QAction* Delete1 = nullptr;

  // Reloads the list from the database and selects currency `selectId`, or
  // the first one when it is not listed.
  void Fill(std::uint32_t selectId = 0);
  // The currency of the selected row, or nullptr.
  const CCurrencyItem* Selected() const;

  CDataBase* db_ = nullptr;  // during Execute; not owned
  QPixmap lines_;            // the strip picture of the current Execute
  TCurrencyItems currencies_;
  std::string textDelete_;  // the delete question's start
};

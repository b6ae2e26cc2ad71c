// TFormAccounts: the list of all accounts, each drawn as a card with its
// name, the first line of its comment and its balance. Accounts are added,
// edited and deleted here.
#pragma once

#include <QAction>
#include <QDialog>
#include <QIcon>
#include <QListWidget>
#include <QMenu>
#include <QPixmap>
#include <QPushButton>
#include <QString>
#include <cstdint>

#include "Omrindb.h"

class TFormAccounts : public QDialog {
  Q_OBJECT

 public:
  explicit TFormAccounts(QWidget* parent = nullptr);

  // Shows the accounts of `database`, drawn with the strip picture
  // `linesImage` and `accountIcon`. A null picture or icon logs
  // "[Accounts] Not initialized!" and shows nothing.
  void Execute(CDataBase& database, const QPixmap& linesImage, const QIcon& accountIcon);

  // Height of one account card.
  static constexpr int kCardHeight = 70;

 private slots:
  void BtAddClick();
  void BtEditClick();
  void BtDelClick();
  void LBAccountsClick();
  void LBAccountsMouseDown(const QPoint& pos);
  void LBAccountsDblClick(QListWidgetItem* item);

 protected:
  // A click on the empty space below the last card keeps the selection.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The controls, each named by its objectName.
  QListWidget* LBAccounts = nullptr;
  QPushButton* BtAdd = nullptr;
  QPushButton* BtEdit = nullptr;
  QPushButton* BtDel = nullptr;
  QPushButton* BtExit = nullptr;
  QMenu* AccountsMenu = nullptr;
  QAction* Add1 = nullptr;
  QAction* Edit1 = nullptr;
  QAction* Delete1 = nullptr;

  // Reads the accounts anew and lists them; selects account `selectId`, or
  // the first when it is not listed.
  void FillList(std::uint32_t selectId = 0);
  // The account of the selected card, nullptr when none is selected.
  const CAccountItem* SelectedAccount() const;
  void UpdateCommands();
  // Paints card `row` into `rect` of the list.
  void PaintCard(QPainter& painter, const QRect& rect, int row, bool selected) const;

  friend class CAccountCardDelegate;

  CDataBase* db_ = nullptr;  // the database of the current Execute
  TAccountItems accounts_;   // what the list shows, card i is account i
  QPixmap linesImage_;
  QIcon accountIcon_;
  QString textDeleteAccount_;
  QString textBalance_;
  QString textBudget_;  // the caption of a card's budget line
};

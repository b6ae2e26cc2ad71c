// TFormTransfer: the transaction editor. Enters a new expense, income or
// transfer, edits or copies a stored one, or starts one from a quick-expense
// template; the same for planned transactions with their schedule.
//
// The window holds its own copy of the item. Price, quantity and sum stay
// consistent while the user types (TransferLogic.h); OK writes the item to
// the database as an addition or an edit.
#pragma once

#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QToolButton>
#include <cstdint>
#include <string>
#include <vector>

#include "Omrindb.h"
#include "ScheduleText.h"
#include "TransferLogic.h"

class TFormTransfer : public QDialog {
  Q_OBJECT

 public:
  explicit TFormTransfer(QWidget* parent = nullptr);

  // Shows the window for a new item of `typeCode` (204 transaction, 205
  // planned transaction) with account `accountId` selected and
  // `presetSubtypeId` (0 for none) as its category, member or section.
  // Answers `typeCode` after OK, 0 after Cancel; 0 at once when
  // `linesImage` is null.
  int OpenNew(std::uint32_t accountId, CDataBase& db, std::uint32_t presetSubtypeId, int typeCode,
              const QPixmap& linesImage);
  // Shows the stored item `itemId` of `typeCode`. `asNew`: OK stores a new
  // item (a copy); otherwise the item is edited in place and its kind is
  // fixed. `resetExtras`: member, section and comment are cleared and the
  // quantity set to 1 (quick-expense templates). Answers as OpenNew.
  int Open(CDataBase& db, std::uint32_t itemId, bool resetExtras, bool asNew, int typeCode,
           const QPixmap& linesImage);
  // After OK: the id of the stored item (the new id after an addition).
  std::uint32_t GetItemId() const { return FItem.id; }

  // Window heights with the optional fields shown and hidden.
  static constexpr int kFullHeight = 425;
  static constexpr int kShortHeight = 308;
  // Longest description and comment, in characters.
  static constexpr int kMaxTextLength = 1023;

 private slots:
  void TabTransactionChange(int index);
  void CBAccountChange();
  void EdPriceChange();
  void EdQuantityChange();
  void EdSummChange();
  void BtSelCategoryClick();
  void BtClrCategoryClick();
  void BtSelMemberClick();
  void BtClrMemberClick();
  void BtSelSectionClick();
  void BtClrSectionClick();
  void BtTypes1Click();
  void BtTypes2Click();
  void BtTypes3Click();
  void BtMoreClick();
  void BtShedulerClick();
  void BtOkClick();
  void MCommentChange();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The controls, each named by its objectName.
  QTabBar* TabTransaction = nullptr;
  QLabel* LbTransactionName = nullptr;
  QFrame* TransactionBevel = nullptr;
  QLabel* LbFromAccount = nullptr;
  QComboBox* CBFromAccount = nullptr;
  QLabel* LbToAccount = nullptr;
  QComboBox* CBToAccount = nullptr;
  QLabel* LbPrice = nullptr;
  QLineEdit* EdPrice = nullptr;
  QLabel* LbQuantity = nullptr;
  QLineEdit* EdQuantity = nullptr;
  QLabel* LbSum = nullptr;
  QLineEdit* EdSumm = nullptr;
  QLabel* LbDate = nullptr;
  QDateEdit* EDDate = nullptr;
  QLabel* LbShedule = nullptr;
  QFrame* ShedulerBevel = nullptr;
  QLabel* LbSheduleStatus = nullptr;
  QToolButton* BtSheduler = nullptr;
  QLabel* LbCategory = nullptr;
  QLineEdit* EdType = nullptr;
  QToolButton* BtSelCategory = nullptr;
  QToolButton* BtClrCategory = nullptr;
  QToolButton* BtTypes1 = nullptr;
  QLabel* LbDescription = nullptr;
  QComboBox* EdDescription = nullptr;
  QFrame* Bevel2 = nullptr;
  QLabel* LbComment = nullptr;
  QPlainTextEdit* MComment = nullptr;
  QLabel* LbMember = nullptr;
  QLineEdit* EdMember = nullptr;
  QToolButton* BtSelMember = nullptr;
  QToolButton* BtClrMember = nullptr;
  QToolButton* BtTypes2 = nullptr;
  QLabel* LbSection = nullptr;
  QLineEdit* EdSection = nullptr;
  QToolButton* BtSelSection = nullptr;
  QToolButton* BtClrSection = nullptr;
  QToolButton* BtTypes3 = nullptr;
  QLabel* LbNoAccounts = nullptr;  // says why OK stays disabled without accounts
  QPushButton* BtMore = nullptr;
  QPushButton* BtOk = nullptr;
  QPushButton* BtCancel = nullptr;

  // An account as the two account lists show it, in the database's order.
  struct TAccountEntry {
    std::uint32_t id = 0;
    std::string name;
    std::uint32_t currencyId = 0;
  };
  // The three subtype boxes: category, family member, section.
  enum TSubTypeBox { kCategoryBox, kMemberBox, kSectionBox };

  void BuildControls();
  // Looks up every text of the window, in the order of its text list.
  void LoadTexts();
  void BuildLayout();
  // Shows the date picker for transactions, the schedule for planned ones.
  void ShowForType(int typeCode);
  void FillFields();
  void FillAccounts();
  void ArrangeForKind();
  void FillDescriptions();
  void ShowMoreFields(bool shown);
  void UpdateScheduleStatus();
  // Stores the item; false when the database did not store it.
  bool Apply();
  // Whether typing `after` into `field`'s box would recompute a box beyond
  // the range of an amount.
  bool TypingOverflows(EFieldType field, const QString& after) const;
  int ShowModal();
  // Runs the recalculation for a change of `field`'s box.
  void Recalculate(EFieldType field);
  QLineEdit* FieldBox(EFieldType field) const;
  // Writes a linked box without recalculating.
  void SetLinkedTexts(const TLinkedTexts& texts);
  TLinkedTexts LinkedTexts() const;

  const TAccountEntry* SelectedAccount(const QComboBox* box) const;
  bool SameCurrency() const;
  // The rate text from the from account's currency to the to account's.
  QString RateText() const;
  void SetSubType(TSubTypeBox box, std::uint32_t id);
  void SelectSubType(TSubTypeBox box);
  std::uint32_t& SubTypeField(TSubTypeBox box);
  QLineEdit* SubTypeEdit(TSubTypeBox box) const;
  // The root a box picks from.
  std::uint32_t PickerRoot(TSubTypeBox box) const;
  void OpenCategories(int tabIndex);

  CDataBase* FDb = nullptr;  // set by OpenNew / Open; not owned
  QPixmap FLines;            // the strip picture for the subtype trees
  int FTypeCode = 0;         // 204 or 205
  TTransferKind FKind = kKindExpense;
  CTransactionItem FItem;     // the held item
  TransactionRecord FLoaded;  // the item as filled in, before any change
  TLinkedTexts FFilled;       // what the linked boxes showed for it
  TTransferKind FLoadedKind = kKindExpense;
  QString FCommentBefore;    // the comment before its latest change
  ScheduleRecord FSchedule;  // its schedule (planned transactions)
  std::vector<TAccountEntry> FAccounts;
  CLinkedAmounts FLinked;  // the edit order and the amounts behind the linked boxes
  bool FMoreFields = false;
  bool FFilling = false;    // linked boxes are being written: no recalculation
  bool FArranging = false;  // the window sets the tab or the accounts itself

  // Texts taken once at construction.
  QString FTextNone, FTextPrice, FTextSum, FTextRate, FTextQuantity, FTextEdit, FTextNew;
  QString FTextHide, FTextMore;
  QString FKindNames[3];  // expense, income, transfer
  TScheduleWords FWords;
};

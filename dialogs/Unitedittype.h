// TFormEditType: the name, the parent and (for categories) the "Show total
// quantity" flag of one subtype (a category, a family member or a section).
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cstdint>

#include "Omrindb.h"

class TFormEditType : public QDialog {
  Q_OBJECT

 public:
  explicit TFormEditType(QWidget* parent = nullptr);

  // Edits subtype `subtypeId` when it is 101 or more, else creates a new one
  // under `parentId`. Answers the id of the stored subtype on OK, 0 on Cancel.
  // The parent list offers every other place in the same tree; choosing
  // another one moves the subtype with its subtree. When the database does
  // not store it, the user is told and the window stays open with the input.
  std::uint32_t Execute(CDataBase& database, std::uint32_t parentId, std::uint32_t subtypeId);

 private slots:
  void EdNameChange();
  void LbShowQuantityClick();
  // Stores the subtype and closes; tells the user when it was not stored.
  void BtOkClick();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The controls, each named by its objectName.
  QLabel* LbName = nullptr;
  QLineEdit* EdName = nullptr;
  QCheckBox* CBShowQuantity = nullptr;
  QLabel* LbShowQuantity = nullptr;
  QLabel* LbParent = nullptr;
  QComboBox* CBParent = nullptr;
  QPushButton* BtOk = nullptr;
  QPushButton* BtCancel = nullptr;

  CDataBase* db_ = nullptr;  // during Execute; not owned
  CSubTypeItem item_;        // the subtype being edited or added
  std::uint32_t storedId_ = 0;
  QString captionMember_;  // the caption for a family member
  QString captionSection_;
  QString topLevel_;  // the parent list's entry for the tree's root
  QString movedIntoItself_;

  // Fills the parent list for the tree of `parentId` and selects it.
  void FillParents(std::uint32_t parentId);
  // Moves the edited subtype to the chosen parent; false (told) when refused.
  bool MoveToChosenParent(std::uint32_t parentId);
};

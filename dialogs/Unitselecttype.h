// TFormSelectType: picks one subtype from the tree under a root (expense
// categories, family members, sections, ...).
#pragma once

#include <QDialog>
#include <QPixmap>
#include <QPushButton>
#include <QTreeWidget>
#include <cstdint>

#include "Node.h"
#include "Omrindb.h"

class TFormSelectType : public QDialog {
  Q_OBJECT

 public:
  explicit TFormSelectType(QWidget* parent = nullptr);

  // Shows the tree under `rootId` (1, 2, 3, 5 or 6) and answers the id of the
  // subtype the user confirmed, 0 on Cancel or without a selection. A null
  // `linesImage` logs "[Select Type] Not initialized!" and answers 0.
  std::uint32_t Execute(CDataBase& database, const QPixmap& linesImage, std::uint32_t rootId);

 private slots:
  void SubTypeTreeDblClick(QTreeWidgetItem* item);

 private:
  // The controls, each named by its objectName.
  QTreeWidget* SubTypeTree = nullptr;
  QPushButton* BtOK = nullptr;
  QPushButton* BtCancel = nullptr;

  CSubTypeNode root_;  // the root code's node; its children are the tree
};

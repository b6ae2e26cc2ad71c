#include "Unitselecttype.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

#include "ControlTexts.h"
#include "DialogKit.h"
#include "Logger.h"
#include "SubTypeTree.h"

TFormSelectType::TFormSelectType(QWidget* parent) : QDialog(parent) {
  SubTypeTree = MakeSubTypeTreeControl(this);
  SubTypeTree->setSelectionBehavior(QAbstractItemView::SelectRows);
  SubTypeTree->header()->setStretchLastSection(true);
  BtOK = new QPushButton(this);
  BtOK->setObjectName("BtOK");
  BtOK->setDefault(true);
  BtCancel = new QPushButton(this);
  BtCancel->setObjectName("BtCancel");
  ApplyTexts({
      {CaptionOf(this), 20000, "Select"},
      {CaptionOf(BtOK), 1, "OK"},
      {CaptionOf(BtCancel), 2, "Cancel"},
  });

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(BtOK);
  buttons->addWidget(BtCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(SubTypeTree);
  layout->addLayout(buttons);
  resize(300, 380);

  connect(SubTypeTree, &QTreeWidget::itemDoubleClicked, this,
          &TFormSelectType::SubTypeTreeDblClick);
  connect(BtOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(BtCancel, &QPushButton::clicked, this, &QDialog::reject);
  ApplyControlIcons(this);
}

std::uint32_t TFormSelectType::Execute(CDataBase& database, const QPixmap& linesImage,
                                       std::uint32_t rootId) {
  if (linesImage.isNull()) {
    LogError("[Select Type] Not initialized!");
    return 0;
  }
  SubTypeTree->setItemDelegate(new CSubTypeDelegate(linesImage, SubTypeTree));
  SubTypeTree->clear();
  root_.Clear();
  root_.subTypeId = rootId;
  LoadSubTypes(database, root_, *SubTypeTree);
  SubTypeTree->expandAll();
  SubTypeTree->setFocus();
  if (exec() != QDialog::Accepted) return 0;
  const CSubTypeNode* node = SubTypeNodeOf(SubTypeTree->currentItem());
  return node && SubTypeTree->currentItem()->isSelected() ? node->subTypeId : 0;
}

void TFormSelectType::SubTypeTreeDblClick(QTreeWidgetItem* item) {
  if (!item) return;
  if (item->childCount() == 0 || item->isExpanded()) {
    SubTypeTree->setCurrentItem(item);
    accept();
  } else {
    item->setExpanded(true);
  }
}

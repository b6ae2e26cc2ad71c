#include "Unitedittype.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QVBoxLayout>

#include "ControlTexts.h"
#include "DialogKit.h"
#include "Include.h"
#include "Platform.h"
#include "Qtexts.h"
#include "TypesLogic.h"

TFormEditType::TFormEditType(QWidget* parent) : QDialog(parent) {
  LbName = new QLabel(this);
  LbName->setObjectName("LbName");
  EdName = new QLineEdit(this);
  EdName->setObjectName("EdName");
  EdName->setMinimumWidth(260);
  LbName->setBuddy(EdName);
  CBShowQuantity = new QCheckBox(this);
  CBShowQuantity->setObjectName("CBShowQuantity");
  LbShowQuantity = new QLabel(this);
  LbShowQuantity->setObjectName("LbShowQuantity");
  LbShowQuantity->installEventFilter(this);
  LbParent = new QLabel(this);
  LbParent->setObjectName("LbParent");
  CBParent = new QComboBox(this);
  CBParent->setObjectName("CBParent");
  CBParent->setMaxVisibleItems(20);
  LbParent->setBuddy(CBParent);
  const TOkCancel okCancel = MakeOkCancel(this);
  BtOk = okCancel.ok;
  BtCancel = okCancel.cancel;
  ApplyTexts({
      {CaptionOf(this), 8000, "Category"},
      {CaptionOf(LbName), 9, "Name"},
      {CaptionOf(LbShowQuantity), 8001, "Show total quantity"},
      {CaptionOf(BtOk), 1, "OK"},
      {CaptionOf(BtCancel), 2, "Cancel"},
      {CaptionOf(LbParent), 30403, "Parent"},
      {Store(&captionMember_), 30404, "Family member"},
      {Store(&captionSection_), 30405, "Section"},
      {Store(&topLevel_), 30406, "(top level)"},
      {Store(&movedIntoItself_), 30407,
       "An item cannot be moved below itself or one of its own sub items."},
  });

  auto* grid = new QGridLayout;
  grid->addWidget(LbName, 0, 0);
  grid->addWidget(EdName, 0, 1);
  auto* check = new QHBoxLayout;
  check->setSpacing(4);
  check->addWidget(CBShowQuantity);
  check->addWidget(LbShowQuantity);
  check->addStretch();
  grid->addWidget(LbParent, 1, 0);
  grid->addWidget(CBParent, 1, 1);
  grid->addLayout(check, 2, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addSpacing(6);
  layout->addLayout(okCancel.row);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(EdName, &QLineEdit::textChanged, this, &TFormEditType::EdNameChange);
  connect(BtOk, &QPushButton::clicked, this, &TFormEditType::BtOkClick);
}

std::uint32_t TFormEditType::Execute(CDataBase& database, std::uint32_t parentId,
                                     std::uint32_t subtypeId) {
  db_ = &database;
  item_ = CSubTypeItem();
  database.GetSubType(subtypeId, item_);
  item_.id = subtypeId;
  item_.record.parentId = parentId;
  storedId_ = 0;
  EdName->setText(StoredToQString(item_.name));
  CBShowQuantity->setChecked(item_.record.showQuantity != 0);
  // Family members and sections count no quantities: only categories show
  // the flag, and the caption names what is edited.
  const std::uint32_t root = database.SubTypeRoot(parentId);
  const bool category = root != kMemberRoot && root != kSectionRoot;
  CBShowQuantity->setVisible(category);
  LbShowQuantity->setVisible(category);
  if (root == kMemberRoot) setWindowTitle(captionMember_);
  if (root == kSectionRoot) setWindowTitle(captionSection_);
  FillParents(parentId);
  EdNameChange();
  EdName->setFocus();
  const bool stored = exec() == QDialog::Accepted;
  db_ = nullptr;
  return stored ? storedId_ : 0;
}

void TFormEditType::BtOkClick() {
  if (!db_) return;
  CSubTypeItem item = item_;
  item.name = QStringToStored(EdName->text());
  item.record.showQuantity = CBShowQuantity->isChecked() ? 1 : 0;
  const std::uint32_t parentId = CBParent->currentData().toUInt();
  if (item_.id <= kFirstFreeId) {
    if (parentId != 0) item.record.parentId = parentId;
    storedId_ = db_->AddSubType(item);
  } else {
    if (parentId != 0 && parentId != item_.record.parentId) {
      if (!MoveToChosenParent(parentId)) return;
      item_.record.parentId = parentId;  // moved: a failed rename below keeps the move
      item.record.parentId = parentId;
    }
    storedId_ = db_->EditSubType(item) ? item_.id : 0;
  }
  if (storedId_ == 0) {
    ShowNotStored(db_->GetLastWriteError());
    return;
  }
  accept();
}

void TFormEditType::FillParents(std::uint32_t parentId) {
  CBParent->clear();
  std::uint32_t root = db_->SubTypeRoot(parentId);
  if (root == 0) root = parentId;  // a parent in a damaged file's loop
  for (const TParentChoice& choice : ParentChoices(*db_, root, item_.id)) {
    const QString text = choice.depth == 0 ? topLevel_
                                           : QString(4 * (choice.depth - 1), QChar(' ')) +
                                                 StoredToQString(choice.name);
    CBParent->addItem(text, QVariant::fromValue(choice.id));
  }
  const int index = CBParent->findData(QVariant::fromValue(parentId));
  if (index < 0) CBParent->addItem(QString::number(parentId), QVariant::fromValue(parentId));
  CBParent->setCurrentIndex(index < 0 ? CBParent->count() - 1 : index);
}

bool TFormEditType::MoveToChosenParent(std::uint32_t parentId) {
  switch (db_->MoveSubType(item_.id, parentId)) {
    case CDataBase::TSubTypeMove::Moved:
      return true;
    case CDataBase::TSubTypeMove::WriteFailed:
      ShowNotStored(db_->GetLastWriteError());
      return false;
    default:
      ShowInformation(this, movedIntoItself_);
      return false;
  }
}

void TFormEditType::EdNameChange() {
  BtOk->setEnabled(!EdName->text().isEmpty());
}

void TFormEditType::LbShowQuantityClick() {
  CBShowQuantity->toggle();
}

bool TFormEditType::eventFilter(QObject* watched, QEvent* event) {
  if (watched == LbShowQuantity && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    LbShowQuantityClick();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

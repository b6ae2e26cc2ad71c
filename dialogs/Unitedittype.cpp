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
  const TOkCancel okCancel = MakeOkCancel(this);
  BtOk = okCancel.ok;
  BtCancel = okCancel.cancel;
  ApplyTexts({
      {CaptionOf(this), 8000, "Category"},
      {CaptionOf(LbName), 9, "Name"},
      {CaptionOf(LbShowQuantity), 8001, "Show total quantity"},
      {CaptionOf(BtOk), 1, "OK"},
      {CaptionOf(BtCancel), 2, "Cancel"},
  });

  auto* grid = new QGridLayout;
  grid->addWidget(LbName, 0, 0);
  grid->addWidget(EdName, 0, 1);
  auto* check = new QHBoxLayout;
  check->setSpacing(4);
  check->addWidget(CBShowQuantity);
  check->addWidget(LbShowQuantity);
  check->addStretch();
  grid->addLayout(check, 1, 1);
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
  if (item_.id <= kFirstFreeId) {
    storedId_ = db_->AddSubType(item);
  } else {
    storedId_ = db_->EditSubType(item) ? item_.id : 0;
  }
  if (storedId_ == 0) {
    ShowNotStored(db_->GetLastWriteError());
    return;
  }
  accept();
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

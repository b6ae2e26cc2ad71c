#include "Unitedittype.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QVBoxLayout>

#include "DialogKit.h"
#include "Textcodec.h"

TFormEditType::TFormEditType(QWidget* parent) : QDialog(parent) {
  setWindowTitle(LocalizedText(8000, "Category"));
  LbName = new QLabel(LocalizedText(9, "Name"), this);
  LbName->setObjectName("LbName");
  EdName = new QLineEdit(this);
  EdName->setObjectName("EdName");
  EdName->setMinimumWidth(260);
  LbName->setBuddy(EdName);
  CBShowQuantity = new QCheckBox(this);
  CBShowQuantity->setObjectName("CBShowQuantity");
  LbShowQuantity = new QLabel(LocalizedText(8001, "Show total quantity"), this);
  LbShowQuantity->setObjectName("LbShowQuantity");
  LbShowQuantity->installEventFilter(this);
  BtOk = new QPushButton(LocalizedText(1, "OK"), this);
  BtOk->setObjectName("BtOk");
  BtOk->setDefault(true);
  BtCancel = new QPushButton(LocalizedText(2, "Cancel"), this);
  BtCancel->setObjectName("BtCancel");

  auto* grid = new QGridLayout;
  grid->addWidget(LbName, 0, 0);
  grid->addWidget(EdName, 0, 1);
  auto* check = new QHBoxLayout;
  check->setSpacing(4);
  check->addWidget(CBShowQuantity);
  check->addWidget(LbShowQuantity);
  check->addStretch();
  grid->addLayout(check, 1, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(BtOk);
  buttons->addWidget(BtCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addSpacing(6);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(EdName, &QLineEdit::textChanged, this, &TFormEditType::EdNameChange);
  connect(BtOk, &QPushButton::clicked, this, &QDialog::accept);
  connect(BtCancel, &QPushButton::clicked, this, &QDialog::reject);
}

std::uint32_t TFormEditType::Execute(CDataBase& database, std::uint32_t parentId,
                                     std::uint32_t subtypeId) {
  CSubTypeItem item;
  database.GetSubType(subtypeId, item);
  EdName->setText(StoredToQString(item.name));
  CBShowQuantity->setChecked(item.record.showQuantity != 0);
  EdNameChange();
  EdName->setFocus();
  if (exec() != QDialog::Accepted) return 0;

  item.name = QStringToStored(EdName->text());
  item.record.showQuantity = CBShowQuantity->isChecked() ? 1 : 0;
  item.record.parentId = parentId;
  if (subtypeId <= kFirstFreeId) return database.AddSubType(item);
  item.id = subtypeId;
  return database.EditSubType(item) ? subtypeId : 0;
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

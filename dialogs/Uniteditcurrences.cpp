#include "Uniteditcurrences.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ControlTexts.h"
#include "CurrencyLogic.h"
#include "DialogKit.h"
#include "Include.h"
#include "Qtexts.h"

TFormEditCurrency::TFormEditCurrency(QWidget* parent) : QDialog(parent) {
  LbFullName = new QLabel(this);
  LbFullName->setObjectName("LbFullName");
  EdFullName = new QLineEdit(this);
  EdFullName->setObjectName("EdFullName");
  EdFullName->setMinimumWidth(240);
  LbFullName->setBuddy(EdFullName);
  LbName = new QLabel(this);
  LbName->setObjectName("LbName");
  EdName = new QLineEdit(this);
  EdName->setObjectName("EdName");
  EdName->setFixedWidth(EdName->fontMetrics().horizontalAdvance("WWWWW") + 12);
  // Only typing is limited: a longer short name from the file shows whole.
  LimitTyping(EdName, MaxTypedLength(kMaxShortNameLength));
  LbName->setBuddy(EdName);
  const TOkCancel okCancel = MakeOkCancel(this);
  BtOk = okCancel.ok;
  BtCancel = okCancel.cancel;
  ApplyTexts({
      {Store(&captionEdit_), 4000, "Edit Currency"},
      {Store(&captionAdd_), 30408, "Add Currency"},
      {CaptionOf(LbFullName), 9, "Name"},
      {CaptionOf(LbName), 4001, "Short Name"},
      {CaptionOf(BtOk), 1, "OK"},
      {CaptionOf(BtCancel), 2, "Cancel"},
  });

  auto* grid = new QGridLayout;
  grid->addWidget(LbFullName, 0, 0);
  grid->addWidget(EdFullName, 0, 1);
  grid->addWidget(LbName, 1, 0);
  grid->addWidget(EdName, 1, 1, Qt::AlignLeft);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addSpacing(6);
  layout->addLayout(okCancel.row);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(EdFullName, &QLineEdit::textChanged, this, &TFormEditCurrency::EdNameChange);
  connect(EdName, &QLineEdit::textChanged, this, &TFormEditCurrency::EdNameChange);
  connect(BtOk, &QPushButton::clicked, this, &TFormEditCurrency::BtOkClick);
}

std::uint32_t TFormEditCurrency::Execute(CDataBase& database, std::uint32_t currencyId) {
  db_ = &database;
  item_ = CCurrencyItem();
  if (currencyId > kFirstFreeId) {
    database.GetCurrency(currencyId, item_);
    item_.id = currencyId;
  }
  storedId_ = 0;
  setWindowTitle(item_.id > kFirstFreeId ? captionEdit_ : captionAdd_);
  EdFullName->setText(StoredToQString(item_.fullName));
  EdName->setText(StoredToQString(item_.name));
  EdNameChange();
  EdFullName->setFocus();
  const bool stored = exec() == QDialog::Accepted;
  db_ = nullptr;
  return stored ? storedId_ : 0;
}

void TFormEditCurrency::BtOkClick() {
  if (!db_) return;
  CCurrencyItem item = item_;
  item.fullName = QStringToStored(EdFullName->text());
  item.name = QStringToStored(EdName->text());
  if (!CurrencyCanBeConfirmed(item.fullName, item.name)) return;
  if (item_.id <= kFirstFreeId) {
    storedId_ = db_->AddCurrency(item);
  } else {
    storedId_ = db_->EditCurrency(item) ? item_.id : 0;
  }
  if (storedId_ == 0) {
    ShowNotStored(db_->GetLastWriteError());
    return;
  }
  accept();
}

void TFormEditCurrency::EdNameChange() {
  BtOk->setEnabled(
      CurrencyCanBeConfirmed(QStringToStored(EdFullName->text()), QStringToStored(EdName->text())));
}

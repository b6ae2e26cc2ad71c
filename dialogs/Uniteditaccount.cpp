#include "Uniteditaccount.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLocale>
#include <QVBoxLayout>

#include "ControlTexts.h"
#include "DialogKit.h"
#include "Include.h"
#include "Platform.h"
#include "Qtexts.h"
#include "TransferLogic.h"

namespace {

QDateEdit* DateBox(QWidget* parent, const char* name) {
  auto* box = Named(new QDateEdit(parent), name);
  box->setCalendarPopup(true);
  box->setDisplayFormat(QLocale().dateFormat(QLocale::LongFormat));
  return box;
}

}  // namespace

TFormEditAccount::TFormEditAccount(QWidget* parent) : QDialog(parent) {
  LbName = Named(new QLabel(this), "LbName");
  EdName = Named(new QLineEdit(this), "EdName");
  LbName->setBuddy(EdName);
  LbCurrency = Named(new QLabel(this), "LbCurrency");
  CBCurrency = Named(new QComboBox(this), "CBCurrency");
  LbCurrency->setBuddy(CBCurrency);
  LbComment = Named(new QLabel(this), "LbComment");
  MComment = Named(new QPlainTextEdit(this), "MComment");
  MComment->setTabChangesFocus(true);
  MComment->setFixedHeight(MComment->fontMetrics().lineSpacing() * 4 + 12);
  LbComment->setBuddy(MComment);
  CBBudgetEnabled = Named(new QCheckBox(this), "CBBudgetEnabled");
  LbFromDate = Named(new QLabel(this), "LbFromDate");
  EdFromDate = DateBox(this, "EdFromDate");
  LbFromDate->setBuddy(EdFromDate);
  LbToDate = Named(new QLabel(this), "LbToDate");
  EdToDate = DateBox(this, "EdToDate");
  LbToDate->setBuddy(EdToDate);
  LbSum = Named(new QLabel(this), "LbSum");
  EdSum = Named(new QLineEdit(this), "EdSum");
  EdSum->setAlignment(Qt::AlignRight);
  LbSum->setBuddy(EdSum);
  LimitTyping(EdSum, [](const QString& before, const QString& after) {
    return ToTypedText(BudgetSumTypedText(before.toStdString(), after.toStdString()));
  });
  const TOkCancel okCancel = MakeOkCancel(this);
  BtOk = okCancel.ok;
  BtCancel = okCancel.cancel;

  ApplyTexts({
      {CaptionOf(this), 6000, "Edit Account"},
      {CaptionOf(LbName), 9, "Name"},
      {CaptionOf(LbCurrency), 6001, "Currency"},
      {CaptionOf(BtOk), 1, "OK"},
      {CaptionOf(BtCancel), 2, "Cancel"},
      {CaptionOf(LbComment), 6002, "Comment"},
      {CaptionOf(CBBudgetEnabled), 6003, "Set up a budget"},
      {CaptionOf(LbFromDate), 6004, "From date"},
      {CaptionOf(LbToDate), 6005, "To date"},
      {CaptionOf(LbSum), 6006, "Sum"},
      {Store(&textReversedBudget_), 24110, "The budget's last day is before its first day."},
  });

  auto* grid = new QGridLayout;
  grid->addWidget(LbName, 0, 0);
  grid->addWidget(EdName, 0, 1);
  grid->addWidget(LbCurrency, 1, 0);
  grid->addWidget(CBCurrency, 1, 1);
  grid->addWidget(LbComment, 2, 0, Qt::AlignTop);
  grid->addWidget(MComment, 2, 1);
  grid->addWidget(CBBudgetEnabled, 3, 0, 1, 2);
  grid->addWidget(LbFromDate, 4, 0);
  grid->addWidget(EdFromDate, 4, 1);
  grid->addWidget(LbToDate, 5, 0);
  grid->addWidget(EdToDate, 5, 1);
  grid->addWidget(LbSum, 6, 0);
  grid->addWidget(EdSum, 6, 1);
  grid->setColumnMinimumWidth(1, 280);
  grid->setColumnStretch(1, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addSpacing(6);
  layout->addLayout(okCancel.row);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(EdName, &QLineEdit::textChanged, this, &TFormEditAccount::EdNameChange);
  connect(CBCurrency, &QComboBox::currentIndexChanged, this, &TFormEditAccount::EdNameChange);
  connect(CBBudgetEnabled, &QCheckBox::toggled, this, &TFormEditAccount::CBBudgetEnabledClick);
  connect(BtOk, &QPushButton::clicked, this, &TFormEditAccount::BtOkClick);
}

std::uint32_t TFormEditAccount::Execute(CDataBase& database, std::uint32_t accountId) {
  db_ = &database;
  item_ = CAccountItem();
  if (accountId > kFirstFreeId) database.GetAccount(accountId, item_);
  item_.id = accountId > kFirstFreeId ? accountId : 0;
  storedId_ = 0;

  filledName_ = StoredToQString(item_.name);
  filledComment_ = StoredToQString(item_.comment);
  EdName->setText(filledName_);
  MComment->setPlainText(filledComment_);
  filledComment_ = MComment->toPlainText();

  filledBudget_ =
      BudgetInputOf(item_.record, database.GetIntervalBegin(), database.GetIntervalEnd());
  EdFromDate->setDate(ToQDate(filledBudget_.from));
  EdToDate->setDate(ToQDate(filledBudget_.to));
  EdSum->setText(QString::fromStdString(filledBudget_.sum));
  {
    const QSignalBlocker block(CBBudgetEnabled);
    CBBudgetEnabled->setChecked(filledBudget_.enabled);
  }
  CBBudgetEnabledClick();

  {
    const QSignalBlocker block(CBCurrency);
    CBCurrency->clear();
    currencies_ = database.GetCurrencyItems();
    int selected = -1;
    for (std::size_t i = 0; i < currencies_.size(); ++i) {
      CBCurrency->addItem(StoredToQString(currencies_[i].fullName));
      if (item_.id != 0 && currencies_[i].id == item_.record.currencyId)
        selected = static_cast<int>(i);
    }
    CBCurrency->setCurrentIndex(selected);
  }
  EdNameChange();
  EdName->setFocus();
  const bool stored = exec() == QDialog::Accepted;
  db_ = nullptr;
  return stored ? storedId_ : 0;
}

void TFormEditAccount::EdNameChange() {
  BtOk->setEnabled(AccountOkEnabled(EdName->text().toStdString(), CBCurrency->currentIndex() >= 0));
}

void TFormEditAccount::CBBudgetEnabledClick() {
  const bool enabled = CBBudgetEnabled->isChecked();
  for (QWidget* control : {static_cast<QWidget*>(EdFromDate), static_cast<QWidget*>(EdToDate),
                           static_cast<QWidget*>(EdSum)})
    control->setEnabled(enabled);
}

TBudgetInput TFormEditAccount::BudgetInput() const {
  return {CBBudgetEnabled->isChecked(), FromQDate(EdFromDate->date()), FromQDate(EdToDate->date()),
          EdSum->text().toStdString()};
}

void TFormEditAccount::BtOkClick() {
  const int currency = CBCurrency->currentIndex();
  if (!db_ || currency < 0 || currency >= static_cast<int>(currencies_.size())) return;
  const TBudgetInput budget = BudgetInput();
  if (budget.enabled && RefuseUnfinished(EdSum, AmountTextUnfinished(budget.sum, 2))) return;
  if (!BudgetDatesAccepted(budget)) {
    ShowMessage(QStringToStored(textReversedBudget_));
    EdToDate->setFocus();
    return;
  }
  CAccountItem item = item_;
  // Texts left as they were keep their stored bytes.
  if (EdName->text() != filledName_) item.name = QStringToStored(EdName->text());
  if (MComment->toPlainText() != filledComment_)
    item.comment = QStringToStored(MComment->toPlainText());
  item.record.currencyId = currencies_[currency].id;
  StoreBudget(filledBudget_, budget, item.record);
  if (item_.id == 0) {
    storedId_ = db_->AddAccount(item);
  } else {
    storedId_ = db_->EditAccount(item) ? item_.id : 0;
  }
  if (storedId_ == 0) {
    ShowNotStored(db_->GetLastWriteError());
    return;
  }
  accept();
}

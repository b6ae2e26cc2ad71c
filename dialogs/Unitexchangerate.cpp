#include "Unitexchangerate.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ControlTexts.h"
#include "CurrencyListRow.h"
#include "CurrencyLogic.h"
#include "DialogKit.h"
#include "Include.h"
#include "Logger.h"
#include "Qtexts.h"
#include "TransferLogic.h"
#include "Unitcurrences.h"

namespace {

QListWidget* MakeList(QWidget* parent, const char* name) {
  auto* list = new QListWidget(parent);
  list->setObjectName(name);
  list->setUniformItemSizes(true);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setMinimumSize(220, 8 * kCurrencyRowHeight);
  list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);  // long names end in "..."
  return list;
}

}  // namespace

TFormExchangeRate::TFormExchangeRate(QWidget* parent) : QDialog(parent) {
  LbCurrency1 = new QLabel(this);
  LbCurrency1->setObjectName("LbCurrency1");
  LbCurrency2 = new QLabel(this);
  LbCurrency2->setObjectName("LbCurrency2");
  CurrenciesList1 = MakeList(this, "CurrenciesList1");
  CurrenciesList2 = MakeList(this, "CurrenciesList2");
  Label1 = new QLabel("X 1 = ", this);
  Label1->setObjectName("Label1");
  EdRateValue = new QLineEdit("1.0000", this);
  EdRateValue->setObjectName("EdRateValue");
  EdRateValue->setAlignment(Qt::AlignRight);
  EdRateValue->setFixedWidth(EdRateValue->fontMetrics().horizontalAdvance("99,999,999,999.9999") +
                             16);
  EdRateValue->setEnabled(false);
  LimitTyping(EdRateValue, [](const QString& before, const QString& after) {
    return ToTypedText(RateTypedText(before.toStdString(), after.toStdString()));
  });
  Label1->setBuddy(EdRateValue);
  Label2 = new QLabel("X", this);
  Label2->setObjectName("Label2");
  LbInverseRate = new QLabel(this);
  LbInverseRate->setObjectName("LbInverseRate");
  BtExit = new QPushButton(this);
  BtExit->setObjectName("BtExit");
  BtExit->setDefault(true);
  ApplyTexts({
      {CaptionOf(this), 22000, "Exchange rate"},
      {CaptionOf(BtExit), 8, "Close"},
      {CaptionOf(LbCurrency1), 22001, "Currency #1"},
      {CaptionOf(LbCurrency2), 22002, "Currency #2"},
      {Store(&textInverse_), 24120, "Inverse: 1 %1 = %2 %3"},
  });

  auto* lists = new QGridLayout;
  lists->setHorizontalSpacing(12);
  lists->setVerticalSpacing(2);
  lists->addWidget(LbCurrency1, 0, 0);
  lists->addWidget(LbCurrency2, 0, 1);
  lists->addWidget(CurrenciesList1, 1, 0);
  lists->addWidget(CurrenciesList2, 1, 1);
  auto* rate = new QHBoxLayout;
  rate->setSpacing(4);
  rate->addStretch();
  rate->addWidget(Label1);
  rate->addWidget(EdRateValue);
  rate->addWidget(Label2);
  rate->addStretch();
  auto* inverse = new QHBoxLayout;
  inverse->addStretch();
  inverse->addWidget(LbInverseRate);
  inverse->addStretch();
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(BtExit);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(lists, 1);
  layout->addSpacing(6);
  layout->addLayout(rate);
  layout->addLayout(inverse);
  layout->addSpacing(6);
  layout->addLayout(buttons);
  resize(460, 340);

  connect(CurrenciesList1, &QListWidget::currentRowChanged, this,
          &TFormExchangeRate::CurrenciesListClick);
  connect(CurrenciesList2, &QListWidget::currentRowChanged, this,
          &TFormExchangeRate::CurrenciesListClick);
  connect(EdRateValue, &QLineEdit::textChanged, this, &TFormExchangeRate::EdRateValueChange);
  connect(BtExit, &QPushButton::clicked, this, &QDialog::accept);
  ApplyControlIcons(this);
}

void TFormExchangeRate::Execute(CDataBase& database, const QPixmap& linesImage) {
  if (linesImage.isNull()) {
    LogError("[ExchangeRate window] Not initialized!");
    return;
  }
  db_ = &database;
  currencies_ = database.GetCurrencyItems();
  for (QListWidget* list : {CurrenciesList1, CurrenciesList2}) {
    list->setItemDelegate(new CCurrencyListDelegate(linesImage, list));
    const QSignalBlocker block(list);
    FillCurrencyList(*list, currencies_, false);
    if (!currencies_.empty()) list->setCurrentRow(0);
  }
  // Both lists start on the same currency: the box stays disabled at 1.0000
  // until another pair is chosen; the labels already name the currency.
  CurrenciesListClick();
  exec();
  db_ = nullptr;
}

const CCurrencyItem* TFormExchangeRate::Chosen(const QListWidget* list) const {
  const int row = list->currentRow();
  return row >= 0 && row < static_cast<int>(currencies_.size()) ? &currencies_[row] : nullptr;
}

void TFormExchangeRate::CurrenciesListClick() {
  const CCurrencyItem* from = Chosen(CurrenciesList1);
  const CCurrencyItem* to = Chosen(CurrenciesList2);
  const bool pair = from && to && from->id != to->id;
  EdRateValue->setEnabled(pair);
  rateEditing_ = false;
  EdRateValue->setText(Q(RateText(pair && db_ ? db_->GetExchangeRate(from->id, to->id) : 1.0)));
  rateEditing_ = true;
  Label1->setText(from ? Q(RateLeadText(*from)) : QString());
  Label2->setText(to ? Q(RateTailText(*to)) : QString());
  ShowInverseRate();
}

void TFormExchangeRate::EdRateValueChange() {
  if (!rateEditing_ || !db_) return;
  const CCurrencyItem* from = Chosen(CurrenciesList1);
  const CCurrencyItem* to = Chosen(CurrenciesList2);
  if (!from || !to || from->id == to->id) return;
  // A rate still being typed ("1,23" on the way to "1,234") is stored once it is whole.
  if (AmountTextUnfinished(EdRateValue->text().toStdString(), 4)) {
    ShowUnfinishedHint(EdRateValue);
    return;
  }
  if (!db_->SetExchangeRate(from->id, to->id, TypedRate(EdRateValue->text().toStdString())))
    ShowNotStored(db_->GetLastWriteError());
  ShowInverseRate();
}

void TFormExchangeRate::ShowInverseRate() {
  const CCurrencyItem* from = Chosen(CurrenciesList1);
  const CCurrencyItem* to = Chosen(CurrenciesList2);
  if (!from || !to || from->id == to->id || !db_) {
    LbInverseRate->clear();
    return;
  }
  LbInverseRate->setText(
      Q(InverseRateText(textInverse_, *from, *to, db_->GetExchangeRate(to->id, from->id))));
}

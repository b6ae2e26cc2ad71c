#include "Unitbankcheck.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

#include "BankCheckLogic.h"
#include "ControlTexts.h"
#include "DialogKit.h"
#include "Include.h"
#include "Logger.h"
#include "Platform.h"
#include "Qtexts.h"
#include "Skin.h"
#include "Textcodec.h"

namespace {

QString Replace(const std::string& text, const QString& value) {
  return Q(text).replace(QStringLiteral("%1"), value);
}

QLabel* ValueLabel(QWidget* parent, const char* name) {
  auto* label = Named(new QLabel(parent), name);
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

}  // namespace

TFormBankCheck::TFormBankCheck(QWidget* parent) : QDialog(parent) {
  LbAccount = Named(new QLabel(this), "LbAccount");
  QFont bold = LbAccount->font();
  bold.setBold(true);
  LbAccount->setFont(bold);
  LbDate = Named(new QLabel(this), "LbDate");
  EdDate = Named(new QDateEdit(this), "EdDate");
  EdDate->setCalendarPopup(true);
  EdDate->setDisplayFormat(ShortDateFormat());
  LbDate->setBuddy(EdDate);
  LbBank = Named(new QLabel(this), "LbBank");
  EdBank = Named(new QLineEdit(this), "EdBank");
  EdBank->setAlignment(Qt::AlignRight);
  LimitTyping(EdBank, [](const QString& before, const QString& after) {
    return ToTypedText(BankBalanceTypedText(before.toStdString(), after.toStdString()));
  });
  LbBank->setBuddy(EdBank);
  LbBooks = Named(new QLabel(this), "LbBooks");
  LbBooksValue = ValueLabel(this, "LbBooksValue");
  LbDifference = Named(new QLabel(this), "LbDifference");
  LbDifferenceValue = ValueLabel(this, "LbDifferenceValue");
  LbSince = Named(new QLabel(this), "LbSince");
  LbSince->setWordWrap(true);
  LvSince = Named(new QTreeWidget(this), "LvSince");
  LvSince->setRootIsDecorated(false);
  LvSince->setColumnCount(3);
  LvSince->setSelectionMode(QAbstractItemView::SingleSelection);
  LvSince->header()->setStretchLastSection(false);
  LvSince->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  LvSince->header()->setSectionResizeMode(1, QHeaderView::Stretch);
  LvSince->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
  LbResult = Named(new QLabel(this), "LbResult");
  LbResult->setWordWrap(true);
  BtCheck = MakeButton(this, "BtCheck");
  BtCheck->setDefault(true);
  BtClose = MakeButton(this, "BtClose");

  QTreeWidgetItem* header = LvSince->headerItem();
  QString dateHeader, descriptionHeader, amountHeader;
  ApplyTexts({
      {CaptionOf(this), 30504, "Check against bank"},
      {CaptionOf(LbDate), 30505, "&Day:"},
      {CaptionOf(LbBank), 30506, "&Balance at the bank at the end of the day:"},
      {CaptionOf(LbBooks), 30507, "Balance in the books:"},
      {CaptionOf(LbDifference), 30508, "Difference (bank less books):"},
      {CaptionOf(BtCheck), 30509, "&Check"},
      {CaptionOf(BtClose), 8, "Close"},
      {Store(&dateHeader), 30510, "Date"},
      {Store(&descriptionHeader), 30511, "Description"},
      {Store(&amountHeader), 30512, "Amount"},
      {Store(&textSinceAgreed_), 30513,
       "Transactions of the account after the last agreed day, %1:"},
      {Store(&textSinceStart_), 30514,
       "Transactions of the account up to this day (no check has agreed yet):"},
      {Store(&textAgreed_), 30515, "The books agree with the bank. The check is remembered."},
      {Store(&textDiffers_), 30516,
       "The books differ from the bank by %1. The cause is among the transactions listed."},
      {Store(&textNotRemembered_), 30517, "The agreed check could not be remembered:"},
  });
  header->setText(0, dateHeader);
  header->setText(1, descriptionHeader);
  header->setText(2, amountHeader);
  header->setTextAlignment(2, Qt::AlignRight);

  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(10);
  grid->addWidget(LbDate, 0, 0);
  grid->addWidget(EdDate, 0, 1);
  grid->addWidget(LbBank, 1, 0);
  grid->addWidget(EdBank, 1, 1);
  grid->addWidget(LbBooks, 2, 0);
  grid->addWidget(LbBooksValue, 2, 1);
  grid->addWidget(LbDifference, 3, 0);
  grid->addWidget(LbDifferenceValue, 3, 1);
  grid->setColumnStretch(2, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(LbResult, 1);
  buttons->addWidget(BtCheck);
  buttons->addWidget(BtClose);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(LbAccount);
  layout->addLayout(grid);
  layout->addSpacing(6);
  layout->addWidget(LbSince);
  layout->addWidget(LvSince, 1);
  layout->addLayout(buttons);
  resize(560, 420);

  connect(EdDate, &QDateEdit::dateChanged, this, &TFormBankCheck::EdDateChange);
  connect(EdBank, &QLineEdit::textChanged, this, &TFormBankCheck::EdBankChange);
  connect(BtCheck, &QPushButton::clicked, this, &TFormBankCheck::BtCheckClick);
  connect(BtClose, &QPushButton::clicked, this, &QDialog::accept);
  ApplyControlIcons(this);
}

bool TFormBankCheck::Execute(CDataBase& database, std::uint32_t accountId, Date day) {
  CAccountItem account;
  database.GetAccount(accountId, account);
  if (account.id == 0) return false;
  db_ = &database;
  account_ = accountId;
  CCurrencyItem currency;
  database.GetCurrency(account.record.currencyId, currency);
  currency_ = StoredToUtf8(currency.name);
  LbAccount->setText(StoredToQString(account.name) +
                     (currency_.empty() ? QString() : QStringLiteral(" (") + Q(currency_) + ")"));
  // The window's own reading: the main window has reported a damaged file.
  companion_.Load(database.GetFileName());
  remembered_ = false;
  {
    // The bank states no balance for a day still to come.
    const QSignalBlocker block(EdDate);
    EdDate->setMaximumDate(ToQDate(Today()));
    EdDate->setDate(ToQDate(std::min(WholeDay(day), WholeDay(Today()))));
  }
  EdBank->clear();
  LbResult->clear();
  ShowCheck();
  EdBank->setFocus();
  exec();
  db_ = nullptr;
  return remembered_;
}

void TFormBankCheck::ShowDifference() {
  const TTypedAmount bank = ReadBankBalance(EdBank->text().toStdString());
  const bool complete = bank.state == TTypedAmountState::kComplete;
  SetBankBalance(check_, complete ? bank.value : 0);
  const QString unit = currency_.empty() ? QString() : QStringLiteral(" ") + Q(currency_);
  LbDifferenceValue->setText(complete ? Q(MoneyToStr(check_.difference)) + unit : QString());
  LbDifferenceValue->setStyleSheet(!complete         ? QString()
                                   : check_.Agreed() ? QStringLiteral("color: rgb(0, 96, 0);")
                                                     : QStringLiteral("color: rgb(204, 0, 0);"));
}

void TFormBankCheck::ShowCheck() {
  CheckAgainstBank(*db_, companion_, account_, FromQDate(EdDate->date()), 0, check_);
  const QString unit = currency_.empty() ? QString() : QStringLiteral(" ") + Q(currency_);
  LbBooksValue->setText(Q(MoneyToStr(check_.books)) + unit);
  ShowDifference();
  LbSince->setText(check_.lastAgreed
                       ? Replace(textSinceAgreed_, Q(FormatShortDate(check_.lastAgreed->day)))
                       : Q(textSinceStart_));
  LvSince->clear();
  for (const CBankCheckRow& row : check_.since) {
    auto* item = new QTreeWidgetItem(LvSince);
    item->setText(0, Q(FormatShortDate(row.date)));
    item->setText(1, Q(row.description));
    item->setText(2, Q(MoneyToStr(row.amount)));
    item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
  }
  if (!check_.since.empty())
    LvSince->scrollToItem(LvSince->topLevelItem(LvSince->topLevelItemCount() - 1));
}

void TFormBankCheck::EdDateChange() {
  LbResult->clear();
  ShowCheck();
}

void TFormBankCheck::EdBankChange() {
  LbResult->clear();
  ShowDifference();  // the books' side stays as it is
}

void TFormBankCheck::BtCheckClick() {
  const TTypedAmount bank = ReadBankBalance(EdBank->text().toStdString());
  if (RefuseUnfinished(EdBank, bank.state != TTypedAmountState::kComplete)) return;
  ShowCheck();
  if (!check_.Agreed()) {
    const QString unit = currency_.empty() ? QString() : QStringLiteral(" ") + Q(currency_);
    LbResult->setText(Replace(textDiffers_, Q(MoneyToStr(check_.difference)) + unit));
    return;
  }
  std::string error;
  if (!RememberAgreedCheck(db_->GetFileName(), check_, error)) {
    // Nothing is remembered: the window stays as it is, and the user is told.
    const std::string text = textNotRemembered_ + "\n" + error;
    LogWarning(text);
    ShowMessage(text);
    return;
  }
  remembered_ = true;
  companion_.Load(db_->GetFileName());
  LbResult->setText(Q(textAgreed_));
}

#include "Unittransfer.h"

#include <QKeyEvent>
#include <QSignalBlocker>
#include <algorithm>

#include "DialogKit.h"
#include "Include.h"
#include "Logger.h"
#include "Platform.h"
#include "Qtexts.h"
#include "Settingsstorage.h"
#include "Uniteditsheduler.h"
#include "Unitselecttype.h"
#include "Unittypes.h"

// ---- Opening ----

int TFormTransfer::OpenNew(std::uint32_t accountId, CDataBase& db, std::uint32_t presetSubtypeId,
                           int typeCode, const QPixmap& linesImage) {
  if (linesImage.isNull()) return 0;
  FTypeCode = typeCode;
  ShowForType(typeCode);
  setWindowTitle(FTextNew);
  ShowMoreFields(GetSettings().GetFullEditWindow());
  FDb = &db;
  FLines = linesImage;
  FKind = kKindExpense;
  if (presetSubtypeId > kFirstFreeId) {
    const std::uint32_t root = SubTypeRoot(db, presetSubtypeId);
    if (root >= 1 && root <= 4) FItem.record.categoryId = presetSubtypeId;
    if (root == kSectionRoot) FItem.record.sectionId = presetSubtypeId;
    if (root == kMemberRoot) FItem.record.memberId = presetSubtypeId;
  }
  FillFields();
  ArrangeForKind();
  EDDate->setDate(ToQDate(Today()));
  {
    FArranging = true;
    for (size_t i = 0; i < FAccounts.size(); ++i) {
      if (FAccounts[i].id != accountId) continue;
      CBFromAccount->setCurrentIndex(static_cast<int>(i));
      CBToAccount->setCurrentIndex(static_cast<int>(i));
    }
    FArranging = false;
  }
  FillDescriptions();
  return ShowModal();
}

int TFormTransfer::Open(CDataBase& db, std::uint32_t itemId, bool resetExtras, bool asNew,
                        int typeCode, const QPixmap& linesImage) {
  if (linesImage.isNull()) return 0;
  FTypeCode = typeCode;
  ShowForType(typeCode);
  setWindowTitle(asNew ? FTextNew : FTextEdit);
  ShowMoreFields(GetSettings().GetFullEditWindow());
  FDb = &db;
  FLines = linesImage;
  if (typeCode == kTransactionKind) {
    db.GetTransaction(itemId, FItem);
  } else if (typeCode == kPlnTransactionKind) {
    CPlnTransactionItem planned;
    db.GetPlnTransaction(itemId, planned);
    FItem.description = planned.description;
    FItem.comment = planned.comment;
    FItem.record = planned.record.transaction;
    FItem.id = itemId;
    FSchedule = planned.record.schedule;
    UpdateScheduleStatus();
  } else {
    LogError("[FormTransafer.Open] Unknown Type: " + std::to_string(typeCode));
  }
  FKind = KindOf(FItem.record);
  LbTransactionName->setText(FKindNames[FKind]);
  FArranging = true;
  if (asNew) {
    TabTransaction->setCurrentIndex(FKind);
    FItem.id = 0;
  } else {
    // The kind of a stored item cannot change.
    while (TabTransaction->count() > 0) TabTransaction->removeTab(0);
    TabTransaction->hide();
    LbTransactionName->show();
    TransactionBevel->show();
  }
  FArranging = false;
  if (resetExtras) {
    FItem.record.memberId = 0;
    FItem.record.sectionId = 0;
    FItem.comment.clear();
  }
  FillFields();
  EDDate->setDate(ToQDate(asNew ? Today() : FItem.record.date));
  // A transfer's quantity box holds its exchange rate, which a template keeps.
  if (resetExtras && FKind != kKindTransfer) EdQuantity->setText("1");
  ArrangeForKind();
  FillDescriptions();
  return ShowModal();
}

int TFormTransfer::ShowModal() {
  EdPrice->setFocus();
  return exec() == QDialog::Accepted ? FTypeCode : 0;
}

void TFormTransfer::ShowForType(int typeCode) {
  const bool transaction = typeCode == kTransactionKind;
  const bool planned = typeCode == kPlnTransactionKind;
  LbDate->setVisible(transaction);
  EDDate->setVisible(transaction);
  ShedulerBevel->setVisible(planned);
  BtSheduler->setVisible(planned);
  LbShedule->setVisible(planned);
}

// ---- Filling ----

void TFormTransfer::FillFields() {
  if (!FDb) {
    LogError("[Transfer] not initialized!");
    return;
  }
  FFilled = LinkedTextsOf(FKind, FItem.record);
  FLoaded = FItem.record;
  FLoadedKind = FKind;
  SetLinkedTexts(FFilled);
  FLinked.Fill(LinkedAmountsOf(FKind, FItem.record));
  FillAccounts();
  SetSubType(kCategoryBox, FItem.record.categoryId);
  SetSubType(kMemberBox, FItem.record.memberId);
  SetSubType(kSectionBox, FItem.record.sectionId);
  EdDescription->setEditText(StoredToQString(FItem.description));
  {
    // A stored comment shows whole, even beyond the typing limit.
    const QSignalBlocker block(MComment);
    MComment->setPlainText(StoredToQString(FItem.comment));
  }
  FCommentBefore = MComment->toPlainText();
}

void TFormTransfer::FillAccounts() {
  FArranging = true;
  CBFromAccount->clear();
  CBToAccount->clear();
  FAccounts.clear();
  for (const CAccountItem& account : FDb->GetAccountItems()) {
    FAccounts.push_back({account.id, account.name, account.record.currencyId});
    CBFromAccount->addItem(StoredToQString(account.name));
    CBToAccount->addItem(StoredToQString(account.name));
  }
  int from = -1;
  int to = -1;
  for (size_t i = 0; i < FAccounts.size(); ++i) {
    if (FAccounts[i].id == FItem.record.fromAccount) from = static_cast<int>(i);
    if (FAccounts[i].id == FItem.record.toAccount) to = static_cast<int>(i);
  }
  if (from < 0) from = to >= 0 ? to : 0;
  if (to < 0) to = from;
  CBFromAccount->setCurrentIndex(from);
  CBToAccount->setCurrentIndex(to);
  FArranging = false;

  // Every transaction belongs to an account: without one nothing can be stored.
  const bool none = FAccounts.empty();
  if (none) {
    LbNoAccounts->setText(
        LocalizedText(2049,
                      "There is no account yet. Add an account first: every transaction "
                      "belongs to one."));
  }
  LbNoAccounts->setVisible(none);
  BtOk->setEnabled(!none);
}

void TFormTransfer::ArrangeForKind() {
  const bool from = FKind != kKindIncome;
  const bool to = FKind != kKindExpense;
  LbFromAccount->setVisible(from);
  CBFromAccount->setVisible(from);
  LbToAccount->setVisible(to);
  CBToAccount->setVisible(to);
  if (FKind != kKindTransfer) {
    LbPrice->setText(FTextPrice);
    LbQuantity->setText(FTextQuantity);
    EdQuantity->setEnabled(true);
    EdSumm->setEnabled(true);
    return;
  }
  LbPrice->setText(FTextSum);
  LbQuantity->setText(FTextRate);
  const bool same = SameCurrency();
  if (same) EdQuantity->setText(QString::fromStdString(RateToStr(IntToMoney(1))));
  EdQuantity->setEnabled(!same);
  EdSumm->setEnabled(!same);
}

void TFormTransfer::FillDescriptions() {
  if (!FDb) return;
  const QString kept = EdDescription->currentText();
  EdDescription->clear();
  const TAccountEntry* from = SelectedAccount(CBFromAccount);
  const TAccountEntry* to = SelectedAccount(CBToAccount);
  const std::uint32_t fromId = FKind != kKindIncome && from ? from->id : 0;
  const std::uint32_t toId = FKind != kKindExpense && to ? to->id : 0;
  const int limit = std::max(0, GetSettings().GetMaximumQuickExpenses(16));
  QStringList names;
  for (const CLastTransaction& entry : FDb->GetLastTransactions(
           fromId, toId, static_cast<std::uint32_t>(limit), 1, FItem.record.categoryId)) {
    names.append(StoredToQString(entry.description));
  }
  std::sort(names.begin(), names.end(),
            [](const QString& a, const QString& b) { return a.localeAwareCompare(b) < 0; });
  EdDescription->addItems(names);
  EdDescription->setEditText(kept);
}

void TFormTransfer::ShowMoreFields(bool shown) {
  FMoreFields = shown;
  BtMore->setEnabled(true);
  BtMore->setText(shown ? FTextHide : FTextMore);
  for (QWidget* w : std::initializer_list<QWidget*>{
           Bevel2, LbComment, MComment, LbMember, EdMember, LbSection, EdSection, BtSelMember,
           BtClrMember, BtSelSection, BtClrSection, BtTypes2, BtTypes3}) {
    w->setVisible(shown);
  }
  setFixedHeight(shown ? kFullHeight : kShortHeight);
}

void TFormTransfer::UpdateScheduleStatus() {
  if (!FDb) {
    LogError("[Transfer] not initialized!");
    return;
  }
  LbSheduleStatus->setText(QString::fromStdString(ScheduleSummary(FSchedule, FWords)));
}

// ---- The linked boxes ----

QLineEdit* TFormTransfer::FieldBox(EFieldType field) const {
  switch (field) {
    case efPrice:
      return EdPrice;
    case efQuantity:
      return EdQuantity;
    default:
      return EdSumm;
  }
}

TLinkedTexts TFormTransfer::LinkedTexts() const {
  return {EdPrice->text().toStdString(), EdQuantity->text().toStdString(),
          EdSumm->text().toStdString()};
}

void TFormTransfer::SetLinkedTexts(const TLinkedTexts& texts) {
  FFilling = true;
  EdPrice->setText(QString::fromStdString(texts.price));
  EdQuantity->setText(QString::fromStdString(texts.quantity));
  EdSumm->setText(QString::fromStdString(texts.sum));
  FFilling = false;
}

void TFormTransfer::Recalculate(EFieldType field) {
  if (FFilling) return;
  const auto recomputed = FLinked.Change(field, FieldBox(field)->text().toStdString(), FKind);
  if (!recomputed) return;
  FFilling = true;
  FieldBox(recomputed->first)->setText(QString::fromStdString(recomputed->second));
  FFilling = false;
}

bool TFormTransfer::TypingOverflows(EFieldType field, const QString& after) const {
  CEditOrder order = FLinked.Order();
  order.Touch(field);
  TLinkedTexts texts = LinkedTexts();
  texts[field] = after.toStdString();
  return RecomputeOverflows(order.Front(), texts);
}

void TFormTransfer::EdPriceChange() {
  Recalculate(efPrice);
}
void TFormTransfer::EdQuantityChange() {
  Recalculate(efQuantity);
}
void TFormTransfer::EdSummChange() {
  Recalculate(efSum);
}

// ---- Kind and accounts ----

const TFormTransfer::TAccountEntry* TFormTransfer::SelectedAccount(const QComboBox* box) const {
  const int index = box->currentIndex();
  if (index < 0 || static_cast<size_t>(index) >= FAccounts.size()) return nullptr;
  return &FAccounts[static_cast<size_t>(index)];
}

bool TFormTransfer::SameCurrency() const {
  const TAccountEntry* from = SelectedAccount(CBFromAccount);
  const TAccountEntry* to = SelectedAccount(CBToAccount);
  return from && to && from->currencyId == to->currencyId;
}

QString TFormTransfer::RateText() const {
  const TAccountEntry* from = SelectedAccount(CBFromAccount);
  const TAccountEntry* to = SelectedAccount(CBToAccount);
  const double rate =
      FDb && from && to ? FDb->GetExchangeRate(from->currencyId, to->currencyId) : 1.0;
  return QString::fromStdString(RateToStr(FloatToMoney(rate)));
}

void TFormTransfer::TabTransactionChange(int index) {
  if (FArranging || index < 0 || index > kKindTransfer) return;
  FKind = static_cast<TTransferKind>(index);
  if (FKind == kKindTransfer) EdQuantity->setText(RateText());
  ArrangeForKind();
  SetSubType(kCategoryBox, 0);
  FillDescriptions();
}

void TFormTransfer::CBAccountChange() {
  if (FArranging) return;
  if (FKind == kKindTransfer && SameCurrency()) {
    EdQuantity->setText(QString::fromStdString(RateToStr(IntToMoney(1))));
    EdQuantity->setEnabled(false);
    EdSumm->setEnabled(false);
  } else {
    EdQuantity->setEnabled(true);
    EdSumm->setEnabled(true);
    if (FKind == kKindTransfer) EdQuantity->setText(RateText());
  }
  // The suggestions are those of the selected accounts.
  FillDescriptions();
}

// ---- Category, family member, section ----

std::uint32_t& TFormTransfer::SubTypeField(TSubTypeBox box) {
  switch (box) {
    case kCategoryBox:
      return FItem.record.categoryId;
    case kMemberBox:
      return FItem.record.memberId;
    default:
      return FItem.record.sectionId;
  }
}

QLineEdit* TFormTransfer::SubTypeEdit(TSubTypeBox box) const {
  switch (box) {
    case kCategoryBox:
      return EdType;
    case kMemberBox:
      return EdMember;
    default:
      return EdSection;
  }
}

std::uint32_t TFormTransfer::PickerRoot(TSubTypeBox box) const {
  if (box == kMemberBox) return kMemberRoot;
  if (box == kSectionBox) return kSectionRoot;
  if (FKind == kKindIncome) return kIncomeRoot;
  return FKind == kKindTransfer ? kTransferRoot : kExpenseRoot;
}

void TFormTransfer::SetSubType(TSubTypeBox box, std::uint32_t id) {
  SubTypeField(box) = id;
  CSubTypeItem item;
  if (FDb && id != 0) FDb->GetSubType(id, item);
  SubTypeEdit(box)->setText(item.name.empty() ? FTextNone : StoredToQString(item.name));
}

void TFormTransfer::SelectSubType(TSubTypeBox box) {
  if (!FDb) return;
  TFormSelectType picker(this);
  const std::uint32_t id = picker.Execute(*FDb, FLines, PickerRoot(box));
  if (id <= kFirstFreeId) return;
  SetSubType(box, id);
  if (box == kCategoryBox) FillDescriptions();
}

void TFormTransfer::BtSelCategoryClick() {
  SelectSubType(kCategoryBox);
}
void TFormTransfer::BtSelMemberClick() {
  SelectSubType(kMemberBox);
}
void TFormTransfer::BtSelSectionClick() {
  SelectSubType(kSectionBox);
}

void TFormTransfer::BtClrCategoryClick() {
  SetSubType(kCategoryBox, 0);
  FillDescriptions();
}
void TFormTransfer::BtClrMemberClick() {
  SetSubType(kMemberBox, 0);
}
void TFormTransfer::BtClrSectionClick() {
  SetSubType(kSectionBox, 0);
}

bool TFormTransfer::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
  TSubTypeBox box;
  if (watched == EdType) {
    box = kCategoryBox;
  } else if (watched == EdMember) {
    box = kMemberBox;
  } else if (watched == EdSection) {
    box = kSectionBox;
  } else {
    return QDialog::eventFilter(watched, event);
  }
  const auto* key = static_cast<QKeyEvent*>(event);
  if (key->key() == Qt::Key_Backspace) {
    if (box == kCategoryBox) {
      BtClrCategoryClick();
    } else {
      SetSubType(box, 0);
    }
    return true;
  }
  // A typed character opens the picker; navigation and dialog keys pass.
  const QString text = key->text();
  if (!text.isEmpty() && text.at(0).isPrint()) {
    SelectSubType(box);
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void TFormTransfer::OpenCategories(int tabIndex) {
  if (!FDb) return;
  TFormTypes types(this);
  types.Execute(*FDb, FLines, tabIndex);
}

// Each button opens the categories window on the tab of the box it stands by.
void TFormTransfer::BtTypes1Click() {
  OpenCategories(FKind == kKindIncome ? 0 : FKind == kKindTransfer ? 2 : 1);
}
void TFormTransfer::BtTypes2Click() {
  OpenCategories(3);
}
void TFormTransfer::BtTypes3Click() {
  OpenCategories(4);
}

// ---- Commands ----

void TFormTransfer::BtMoreClick() {
  FMoreFields = !FMoreFields;
  GetSettings().SetFullEditWindow(FMoreFields);
  ShowMoreFields(FMoreFields);
}

void TFormTransfer::BtShedulerClick() {
  TFormEditSheduler editor(this);
  if (editor.EditSchedule(FSchedule)) UpdateScheduleStatus();
}

void TFormTransfer::MCommentChange() {
  const QString text = MComment->toPlainText();
  if (MaxTypedLength(kMaxTextLength)(FCommentBefore, text)) {
    FCommentBefore = text;
    return;
  }
  // Typing past the limit is undone; a longer stored comment may shrink.
  const int position = MComment->textCursor().position();
  const QSignalBlocker block(MComment);
  MComment->setPlainText(FCommentBefore);
  QTextCursor cursor = MComment->textCursor();
  cursor.setPosition(std::min(position, static_cast<int>(FCommentBefore.size())));
  MComment->setTextCursor(cursor);
}

void TFormTransfer::BtOkClick() {
  if (FAccounts.empty()) return;
  for (EFieldType field : {efPrice, efQuantity, efSum}) {
    QLineEdit* box = FieldBox(field);
    if (RefuseUnfinished(box, AmountTextUnfinished(box->text().toStdString(), DecimalsOf(field))))
      return;
  }
  if (!Apply()) {
    // The window stays open with everything the user entered.
    ShowNotStored(FDb->GetLastWriteError());
    return;
  }
  accept();
}

bool TFormTransfer::Apply() {
  TransactionRecord& record = FItem.record;
  // A stored item whose day is left as it was keeps its time of day.
  const Date picked = FromQDate(EDDate->date());
  const bool keepTime = FItem.id >= kFirstFreeId && picked == WholeDay(FLoaded.date);
  record.date = keepTime ? FLoaded.date : picked;
  FItem.description = QStringToStored(EdDescription->currentText());
  FItem.comment = QStringToStored(MComment->toPlainText());
  const TAccountEntry* from = SelectedAccount(CBFromAccount);
  const TAccountEntry* to = SelectedAccount(CBToAccount);
  switch (FKind) {
    case kKindExpense:
      record.fromAccount = from ? from->id : 0;
      record.toAccount = 0;
      StoreAmounts(FKind, LinkedTexts(), false, record);
      break;
    case kKindIncome:
      record.fromAccount = 0;
      record.toAccount = to ? to->id : 0;
      StoreAmounts(FKind, LinkedTexts(), false, record);
      break;
    case kKindTransfer:
      record.fromAccount = from ? from->id : 0;
      record.toAccount = to ? to->id : 0;
      StoreAmounts(FKind, LinkedTexts(), SameCurrency(), record);
      break;
    default:
      LogError("Unknown transaction in Transfer.Apply!");
      break;
  }
  if (FKind == FLoadedKind)
    KeepUntouchedAmounts(FKind, FFilled, LinkedTexts(), SameCurrency(), FLoaded, record);
  if (FTypeCode == kTransactionKind) {
    if (FItem.id >= kFirstFreeId) return FDb->EditTransaction(FItem) != 0;
    FItem.id = FDb->AddTransaction(FItem);
    return FItem.id != 0;
  }
  if (FTypeCode == kPlnTransactionKind) {
    CPlnTransactionItem planned;
    planned.id = FItem.id;
    planned.description = FItem.description;
    planned.comment = FItem.comment;
    planned.record.schedule = FSchedule;
    planned.record.transaction = FItem.record;
    if (FItem.id >= kFirstFreeId) return FDb->EditPlnTransaction(planned) != 0;
    FItem.id = FDb->AddPlnTransaction(planned);
    return FItem.id != 0;
  }
  return true;
}

#include "Unittransfer.h"

#include <QCompleter>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "DialogKit.h"
#include "Include.h"
#include "Logger.h"
#include "Settingsstorage.h"
#include "Textcodec.h"
#include "Uniteditsheduler.h"
#include "Unitselecttype.h"
#include "Unittypes.h"

namespace {

constexpr int kAmountLength = 11;
constexpr int kTextLength = 1023;

template <class W>
W* Named(W* widget, const char* name) {
  widget->setObjectName(name);
  return widget;
}

QToolButton* ToolButton(QWidget* parent, const char* name, const QString& hint) {
  auto* button = Named(new QToolButton(parent), name);
  button->setToolTip(hint);
  button->setAutoRaise(false);
  return button;
}

QFrame* Line(QWidget* parent, const char* name) {
  auto* line = Named(new QFrame(parent), name);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  return line;
}

// A row of a subtype box with its three buttons.
QHBoxLayout* SubTypeRow(QLineEdit* edit, QToolButton* select, QToolButton* clear,
                        QToolButton* types) {
  auto* row = new QHBoxLayout;
  row->setSpacing(2);
  row->addWidget(edit, 1);
  row->addWidget(select);
  row->addWidget(clear);
  row->addWidget(types);
  return row;
}

}  // namespace

TFormTransfer::TFormTransfer(QWidget* parent) : QDialog(parent) {
  BuildControls();
  BuildLayout();
  FSchedule = DefaultScheduleRecord();
  ShowMoreFields(false);
}

void TFormTransfer::BuildControls() {
  BtOk = Named(new QPushButton(LocalizedText(1, "OK"), this), "BtOk");
  BtOk->setDefault(true);
  BtCancel = Named(new QPushButton(LocalizedText(2, "Cancel"), this), "BtCancel");
  FKindNames[kKindIncome] = LocalizedText(13, "Income");
  FKindNames[kKindExpense] = LocalizedText(14, "Expense");
  FKindNames[kKindTransfer] = LocalizedText(15, "Transfer");
  const QString clear = LocalizedText(17, "Clear");
  for (int i = 0; i < 7; ++i) {
    FWords.weekdays[static_cast<size_t>(i)] =
        GetLocalizedText(200 + i, "WeekDay_" + std::to_string(i));
  }
  setWindowTitle(LocalizedText(2000, "Transaction"));

  TabTransaction = Named(new QTabBar(this), "TabTransaction");
  TabTransaction->setExpanding(false);
  TabTransaction->setDrawBase(false);
  TabTransaction->addTab(FKindNames[kKindExpense]);
  TabTransaction->addTab(FKindNames[kKindIncome]);
  TabTransaction->addTab(FKindNames[kKindTransfer]);
  LbTransactionName = Named(new QLabel(this), "LbTransactionName");
  QFont bold = LbTransactionName->font();
  bold.setBold(true);
  bold.setPointSizeF(bold.pointSizeF() * 1.2);
  LbTransactionName->setFont(bold);
  TransactionBevel = Line(this, "TransactionBevel");

  LbFromAccount = Named(new QLabel(LocalizedText(2001, "From Account"), this), "LbFromAccount");
  CBFromAccount = Named(new QComboBox(this), "CBFromAccount");
  CBFromAccount->setToolTip(LocalizedText(2002, ""));
  EdPrice = Named(new QLineEdit(this), "EdPrice");
  EdPrice->setToolTip(LocalizedText(2003, ""));
  EdQuantity = Named(new QLineEdit(this), "EdQuantity");
  EdQuantity->setToolTip(LocalizedText(2004, ""));
  EdSumm = Named(new QLineEdit(this), "EdSumm");
  EdSumm->setToolTip(LocalizedText(2005, ""));
  for (QLineEdit* box : {EdPrice, EdQuantity, EdSumm}) {
    box->setMaxLength(kAmountLength);
    box->setAlignment(Qt::AlignRight);
  }
  LbToAccount = Named(new QLabel(LocalizedText(2006, "To Account"), this), "LbToAccount");
  CBToAccount = Named(new QComboBox(this), "CBToAccount");
  CBToAccount->setToolTip(LocalizedText(2007, ""));
  LbComment = Named(new QLabel(LocalizedText(2008, "Comment"), this), "LbComment");
  MComment = Named(new QPlainTextEdit(this), "MComment");
  MComment->setToolTip(LocalizedText(2009, ""));
  MComment->setTabChangesFocus(true);
  LbDate = Named(new QLabel(LocalizedText(2010, "Date"), this), "LbDate");
  EDDate = Named(new QDateEdit(this), "EDDate");
  EDDate->setToolTip(LocalizedText(2011, ""));
  EDDate->setCalendarPopup(true);
  EDDate->setDisplayFormat(ShortDateFormat());
  LbCategory = Named(new QLabel(LocalizedText(2012, "Category"), this), "LbCategory");
  EdType = Named(new QLineEdit(this), "EdType");
  EdType->setToolTip(LocalizedText(2013, ""));
  LbDescription = Named(new QLabel(LocalizedText(2014, "Description"), this), "LbDescription");
  EdDescription = Named(new QComboBox(this), "EdDescription");
  EdDescription->setEditable(true);
  EdDescription->setInsertPolicy(QComboBox::NoInsert);
  EdDescription->lineEdit()->setMaxLength(kTextLength);
  EdDescription->completer()->setCompletionMode(QCompleter::PopupCompletion);
  EdDescription->setToolTip(LocalizedText(2015, ""));
  LbMember = Named(new QLabel(LocalizedText(2016, "Family member"), this), "LbMember");
  EdMember = Named(new QLineEdit(this), "EdMember");
  EdMember->setToolTip(LocalizedText(2017, ""));
  LbSection = Named(new QLabel(LocalizedText(2018, "Section"), this), "LbSection");
  EdSection = Named(new QLineEdit(this), "EdSection");
  EdSection->setToolTip(LocalizedText(2019, ""));
  BtSelCategory = ToolButton(this, "BtSelCategory", LocalizedText(2020, "Select Category"));
  BtSelMember = ToolButton(this, "BtSelMember", LocalizedText(2021, "Select Family member"));
  BtSelSection = ToolButton(this, "BtSelSection", LocalizedText(2022, "Select Section"));
  BtTypes1 = ToolButton(this, "BtTypes1", LocalizedText(2023, "Add, remove and edit Categories"));
  BtTypes2 =
      ToolButton(this, "BtTypes2", LocalizedText(2024, "Add, remove and edit Family members"));
  BtTypes3 = ToolButton(this, "BtTypes3", LocalizedText(2025, "Add, remove and edit Sections"));
  BtClrCategory = ToolButton(this, "BtClrCategory", clear);
  BtClrMember = ToolButton(this, "BtClrMember", clear);
  BtClrSection = ToolButton(this, "BtClrSection", clear);
  const QIcon clearIcon =
      QIcon::fromTheme("edit-clear", style()->standardIcon(QStyle::SP_LineEditClearButton));
  const QIcon typesIcon =
      QIcon::fromTheme("document-properties", style()->standardIcon(QStyle::SP_FileDialogListView));
  for (QToolButton* b : {BtSelCategory, BtSelMember, BtSelSection}) b->setText("...");
  for (QToolButton* b : {BtClrCategory, BtClrMember, BtClrSection}) b->setIcon(clearIcon);
  for (QToolButton* b : {BtTypes1, BtTypes2, BtTypes3}) b->setIcon(typesIcon);
  for (QLineEdit* box : {EdType, EdMember, EdSection}) {
    box->setReadOnly(true);
    box->installEventFilter(this);
  }

  FTextNone = LocalizedText(2030, "<none>");
  FTextPrice = LocalizedText(2031, "Price");
  FTextSum = LocalizedText(2032, "Sum");
  FTextRate = LocalizedText(2033, "Exchange rate");
  FTextQuantity = LocalizedText(2034, "Quantity");
  FTextEdit = LocalizedText(2035, "Edit");
  FTextNew = LocalizedText(2036, "New");
  FTextHide = LocalizedText(2037, "Hide fields <--");
  FTextMore = LocalizedText(2038, "More fields -->");
  LbPrice = Named(new QLabel(FTextPrice, this), "LbPrice");
  LbQuantity = Named(new QLabel(FTextQuantity, this), "LbQuantity");
  LbSum = Named(new QLabel(FTextSum, this), "LbSum");
  BtSheduler = ToolButton(this, "BtSheduler", LocalizedText(2039, "Edit Schedule"));
  BtSheduler->setText("...");
  LbShedule = Named(new QLabel(LocalizedText(2040, "Schedule"), this), "LbShedule");
  FWords.notSet = GetLocalizedText(2041, "Not set");
  FWords.once = GetLocalizedText(2042, "Once:");
  FWords.every = GetLocalizedText(2043, "Every");
  FWords.days = GetLocalizedText(2044, "Day(s)");
  FWords.everyWeek = GetLocalizedText(2045, "Every week:");
  FWords.everyMonthDay = GetLocalizedText(2046, "Every day of month(s).");
  FWords.month = GetLocalizedText(2047, "Month:");
  FWords.day = GetLocalizedText(2048, "day:");
  ShedulerBevel = Named(new QFrame(this), "ShedulerBevel");
  ShedulerBevel->setFrameShape(QFrame::StyledPanel);
  ShedulerBevel->setFrameShadow(QFrame::Sunken);
  LbSheduleStatus = Named(new QLabel(QString::fromStdString(FWords.notSet), ShedulerBevel),
                          "LbSheduleStatus");
  BtSheduler->setParent(ShedulerBevel);
  Bevel2 = Line(this, "Bevel2");
  LbNoAccounts = Named(new QLabel(this), "LbNoAccounts");
  LbNoAccounts->setWordWrap(true);
  LbNoAccounts->setStyleSheet("color: #a02020;");
  LbNoAccounts->hide();
  BtMore = Named(new QPushButton(this), "BtMore");
  BtMore->setFlat(false);

  connect(TabTransaction, &QTabBar::currentChanged, this, &TFormTransfer::TabTransactionChange);
  connect(CBFromAccount, &QComboBox::currentIndexChanged, this, &TFormTransfer::CBAccountChange);
  connect(CBToAccount, &QComboBox::currentIndexChanged, this, &TFormTransfer::CBAccountChange);
  connect(EdPrice, &QLineEdit::textChanged, this, &TFormTransfer::EdPriceChange);
  connect(EdQuantity, &QLineEdit::textChanged, this, &TFormTransfer::EdQuantityChange);
  connect(EdSumm, &QLineEdit::textChanged, this, &TFormTransfer::EdSummChange);
  connect(BtSelCategory, &QToolButton::clicked, this, &TFormTransfer::BtSelCategoryClick);
  connect(BtClrCategory, &QToolButton::clicked, this, &TFormTransfer::BtClrCategoryClick);
  connect(BtSelMember, &QToolButton::clicked, this, &TFormTransfer::BtSelMemberClick);
  connect(BtClrMember, &QToolButton::clicked, this, &TFormTransfer::BtClrMemberClick);
  connect(BtSelSection, &QToolButton::clicked, this, &TFormTransfer::BtSelSectionClick);
  connect(BtClrSection, &QToolButton::clicked, this, &TFormTransfer::BtClrSectionClick);
  connect(BtTypes1, &QToolButton::clicked, this, &TFormTransfer::BtTypes1Click);
  connect(BtTypes2, &QToolButton::clicked, this, &TFormTransfer::BtTypes2Click);
  connect(BtTypes3, &QToolButton::clicked, this, &TFormTransfer::BtTypes3Click);
  connect(BtMore, &QPushButton::clicked, this, &TFormTransfer::BtMoreClick);
  connect(BtSheduler, &QToolButton::clicked, this, &TFormTransfer::BtShedulerClick);
  connect(BtOk, &QPushButton::clicked, this, &TFormTransfer::BtOkClick);
  connect(BtCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(MComment, &QPlainTextEdit::textChanged, this, &TFormTransfer::MCommentChange);
}

void TFormTransfer::BuildLayout() {
  auto* head = new QVBoxLayout;
  head->setSpacing(2);
  head->addWidget(TabTransaction);
  head->addWidget(LbTransactionName);
  head->addWidget(TransactionBevel);
  LbTransactionName->hide();
  TransactionBevel->hide();

  auto* amounts = new QGridLayout;
  amounts->setHorizontalSpacing(8);
  amounts->setVerticalSpacing(1);
  amounts->addWidget(LbPrice, 0, 0);
  amounts->addWidget(LbQuantity, 0, 1);
  amounts->addWidget(LbSum, 0, 2);
  amounts->addWidget(EdPrice, 1, 0);
  amounts->addWidget(EdQuantity, 1, 1);
  amounts->addWidget(EdSumm, 1, 2);

  auto* schedule = new QHBoxLayout(ShedulerBevel);
  schedule->setContentsMargins(6, 1, 1, 1);
  schedule->addWidget(LbSheduleStatus, 1);
  schedule->addWidget(BtSheduler);

  auto* date = new QHBoxLayout;
  date->addWidget(EDDate);
  date->addStretch();

  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(10);
  grid->setVerticalSpacing(5);
  grid->setColumnStretch(1, 1);
  int row = 0;
  grid->addWidget(LbFromAccount, row, 0);
  grid->addWidget(CBFromAccount, row++, 1);
  grid->addWidget(LbToAccount, row, 0);
  grid->addWidget(CBToAccount, row++, 1);
  grid->addWidget(LbNoAccounts, row++, 0, 1, 2);
  grid->addLayout(amounts, row++, 0, 1, 2);
  grid->addWidget(LbDate, row, 0);
  grid->addLayout(date, row++, 1);
  grid->addWidget(LbShedule, row, 0);
  grid->addWidget(ShedulerBevel, row++, 1);
  grid->addWidget(LbCategory, row, 0);
  grid->addLayout(SubTypeRow(EdType, BtSelCategory, BtClrCategory, BtTypes1), row++, 1);
  grid->addWidget(LbDescription, row, 0);
  grid->addWidget(EdDescription, row++, 1);
  grid->addWidget(Bevel2, row++, 0, 1, 2);
  grid->addWidget(LbComment, row, 0, Qt::AlignTop);
  grid->addWidget(MComment, row++, 1);
  grid->addWidget(LbMember, row, 0);
  grid->addLayout(SubTypeRow(EdMember, BtSelMember, BtClrMember, BtTypes2), row++, 1);
  grid->addWidget(LbSection, row, 0);
  grid->addLayout(SubTypeRow(EdSection, BtSelSection, BtClrSection, BtTypes3), row++, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(BtMore);
  buttons->addStretch();
  buttons->addWidget(BtOk);
  buttons->addWidget(BtCancel);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(10, 8, 10, 10);
  layout->setSpacing(6);
  layout->addLayout(head);
  layout->addLayout(grid);
  layout->addStretch(1);
  layout->addLayout(buttons);
  resize(440, kShortHeight);
}

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
  SetLinkedTexts(LinkedTextsOf(FKind, FItem.record));
  FillAccounts();
  SetSubType(kCategoryBox, FItem.record.categoryId);
  SetSubType(kMemberBox, FItem.record.memberId);
  SetSubType(kSectionBox, FItem.record.sectionId);
  EdDescription->setEditText(StoredToQString(FItem.description));
  MComment->setPlainText(StoredToQString(FItem.comment));
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
        LocalizedText(2049, "There is no account yet. Add an account first: every transaction "
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
  for (const CLastTransaction& entry :
       FDb->GetLastTransactions(fromId, toId, static_cast<std::uint32_t>(limit), 1,
                                FItem.record.categoryId)) {
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
    case efPrice: return EdPrice;
    case efQuantity: return EdQuantity;
    default: return EdSumm;
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
  FFilling = true;
  FEditOrder.Touch(field);
  const EFieldType front = FEditOrder.Front();
  FieldBox(front)->setText(QString::fromStdString(RecomputeField(front, LinkedTexts())));
  FFilling = false;
}

void TFormTransfer::EdPriceChange() { Recalculate(efPrice); }
void TFormTransfer::EdQuantityChange() { Recalculate(efQuantity); }
void TFormTransfer::EdSummChange() { Recalculate(efSum); }

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
    case kCategoryBox: return FItem.record.categoryId;
    case kMemberBox: return FItem.record.memberId;
    default: return FItem.record.sectionId;
  }
}

QLineEdit* TFormTransfer::SubTypeEdit(TSubTypeBox box) const {
  switch (box) {
    case kCategoryBox: return EdType;
    case kMemberBox: return EdMember;
    default: return EdSection;
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

void TFormTransfer::BtSelCategoryClick() { SelectSubType(kCategoryBox); }
void TFormTransfer::BtSelMemberClick() { SelectSubType(kMemberBox); }
void TFormTransfer::BtSelSectionClick() { SelectSubType(kSectionBox); }

void TFormTransfer::BtClrCategoryClick() {
  SetSubType(kCategoryBox, 0);
  FillDescriptions();
}
void TFormTransfer::BtClrMemberClick() { SetSubType(kMemberBox, 0); }
void TFormTransfer::BtClrSectionClick() { SetSubType(kSectionBox, 0); }

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
void TFormTransfer::BtTypes2Click() { OpenCategories(3); }
void TFormTransfer::BtTypes3Click() { OpenCategories(4); }

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
  if (text.size() <= kTextLength) return;
  const QSignalBlocker block(MComment);
  MComment->setPlainText(text.left(kTextLength));
  MComment->moveCursor(QTextCursor::End);
}

void TFormTransfer::BtOkClick() {
  if (FAccounts.empty()) return;
  Apply();
  accept();
}

void TFormTransfer::Apply() {
  TransactionRecord& record = FItem.record;
  record.date = FromQDate(EDDate->date());
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
  if (FTypeCode == kTransactionKind) {
    if (FItem.id >= kFirstFreeId) {
      FDb->EditTransaction(FItem);
    } else {
      FItem.id = FDb->AddTransaction(FItem);
    }
  } else if (FTypeCode == kPlnTransactionKind) {
    CPlnTransactionItem planned;
    planned.id = FItem.id;
    planned.description = FItem.description;
    planned.comment = FItem.comment;
    planned.record.schedule = FSchedule;
    planned.record.transaction = FItem.record;
    if (FItem.id >= kFirstFreeId) {
      FDb->EditPlnTransaction(planned);
    } else {
      FItem.id = FDb->AddPlnTransaction(planned);
    }
  }
}

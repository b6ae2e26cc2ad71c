// The transaction editor's controls, their texts and their layout.
#include <QCompleter>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QStyle>
#include <QVBoxLayout>

#include "DialogKit.h"
#include "Include.h"
#include "Skin.h"
#include "Unittransfer.h"

namespace {

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
  for (EFieldType field : {efPrice, efQuantity, efSum}) {
    QLineEdit* box = FieldBox(field);
    box->setAlignment(Qt::AlignRight);
    // A transfer's quantity box holds the rate, which is not stored.
    LimitTyping(box, [this, field](const QString& before, const QString& after) {
      return AmountTypingAllowed(before.toStdString(), after.toStdString(), DecimalsOf(field),
                                 field == efQuantity && FKind != kKindTransfer) &&
             !TypingOverflows(field, after);
    });
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
  LimitTyping(EdDescription->lineEdit(), MaxTypedLength(kMaxTextLength));
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
  LbSheduleStatus =
      Named(new QLabel(QString::fromStdString(FWords.notSet), ShedulerBevel), "LbSheduleStatus");
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

// The transaction editor's controls, their texts and their layout.
#include <QCompleter>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QStyle>
#include <QVBoxLayout>

#include "ControlTexts.h"
#include "DialogKit.h"
#include "Include.h"
#include "Skin.h"
#include "Unittransfer.h"

namespace {

QToolButton* ToolButton(QWidget* parent, const char* name) {
  auto* button = Named(new QToolButton(parent), name);
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

void TFormTransfer::LoadTexts() {
  QString clear;
  const std::vector<TControlText> table = {
      {CaptionOf(BtOk), 1, "OK"},
      {CaptionOf(BtCancel), 2, "Cancel"},
      {Store(&FKindNames[kKindIncome]), 13, "Income"},
      {Store(&FKindNames[kKindExpense]), 14, "Expense"},
      {Store(&FKindNames[kKindTransfer]), 15, "Transfer"},
      {Store(&clear), 17, "Clear"},
      {Store(&FWords.weekdays[0]), 200, "WeekDay_0"},
      {Store(&FWords.weekdays[1]), 201, "WeekDay_1"},
      {Store(&FWords.weekdays[2]), 202, "WeekDay_2"},
      {Store(&FWords.weekdays[3]), 203, "WeekDay_3"},
      {Store(&FWords.weekdays[4]), 204, "WeekDay_4"},
      {Store(&FWords.weekdays[5]), 205, "WeekDay_5"},
      {Store(&FWords.weekdays[6]), 206, "WeekDay_6"},
      {CaptionOf(this), 2000, "Transaction"},
      {CaptionOf(LbFromAccount), 2001, "From Account"},
      {HintOf(CBFromAccount), 2002, ""},
      {HintOf(EdPrice), 2003, ""},
      {HintOf(EdQuantity), 2004, ""},
      {HintOf(EdSumm), 2005, ""},
      {CaptionOf(LbToAccount), 2006, "To Account"},
      {HintOf(CBToAccount), 2007, ""},
      {CaptionOf(LbComment), 2008, "Comment"},
      {HintOf(MComment), 2009, ""},
      {CaptionOf(LbDate), 2010, "Date"},
      {HintOf(EDDate), 2011, ""},
      {CaptionOf(LbCategory), 2012, "Category"},
      {HintOf(EdType), 2013, ""},
      {CaptionOf(LbDescription), 2014, "Description"},
      {HintOf(EdDescription), 2015, ""},
      {CaptionOf(LbMember), 2016, "Family member"},
      {HintOf(EdMember), 2017, ""},
      {CaptionOf(LbSection), 2018, "Section"},
      {HintOf(EdSection), 2019, ""},
      {HintOf(BtSelCategory), 2020, "Select Category"},
      {HintOf(BtSelMember), 2021, "Select Family member"},
      {HintOf(BtSelSection), 2022, "Select Section"},
      {HintOf(BtTypes1), 2023, "Add, remove and edit Categories"},
      {HintOf(BtTypes2), 2024, "Add, remove and edit Family members"},
      {HintOf(BtTypes3), 2025, "Add, remove and edit Sections"},
      {Store(&FTextNone), 2030, "<none>"},
      {Store(&FTextPrice), 2031, "Price"},
      {Store(&FTextSum), 2032, "Sum"},
      {Store(&FTextRate), 2033, "Exchange rate"},
      {Store(&FTextQuantity), 2034, "Quantity"},
      {Store(&FTextEdit), 2035, "Edit"},
      {Store(&FTextNew), 2036, "New"},
      {Store(&FTextHide), 2037, "Hide fields <--"},
      {Store(&FTextMore), 2038, "More fields -->"},
      {HintOf(BtSheduler), 2039, "Edit Schedule"},
      {CaptionOf(LbShedule), 2040, "Schedule"},
      {Store(&FWords.notSet), 2041, "Not set"},
      {Store(&FWords.once), 2042, "Once:"},
      {Store(&FWords.every), 2043, "Every"},
      {Store(&FWords.days), 2044, "Day(s)"},
      {Store(&FWords.everyWeek), 2045, "Every week:"},
      {Store(&FWords.everyMonthDay), 2046, "Every day of month(s)."},
      {Store(&FWords.month), 2047, "Month:"},
      {Store(&FWords.day), 2048, "day:"},
  };
  ApplyTexts(table);
  TabTransaction->setTabText(0, FKindNames[kKindExpense]);
  TabTransaction->setTabText(1, FKindNames[kKindIncome]);
  TabTransaction->setTabText(2, FKindNames[kKindTransfer]);
  for (QToolButton* b : {BtClrCategory, BtClrMember, BtClrSection}) b->setToolTip(clear);
  LbPrice->setText(FTextPrice);
  LbQuantity->setText(FTextQuantity);
  LbSum->setText(FTextSum);
  LbSheduleStatus->setText(QString::fromStdString(FWords.notSet));
}

TFormTransfer::TFormTransfer(QWidget* parent) : QDialog(parent) {
  BuildControls();
  LoadTexts();
  BuildLayout();
  ApplyControlIcons(this);
  FSchedule = DefaultScheduleRecord();
  ShowMoreFields(false);
}

void TFormTransfer::BuildControls() {
  BtOk = Named(new QPushButton(this), "BtOk");
  BtOk->setDefault(true);
  BtCancel = Named(new QPushButton(this), "BtCancel");

  TabTransaction = Named(new QTabBar(this), "TabTransaction");
  TabTransaction->setExpanding(false);
  TabTransaction->setDrawBase(false);
  for (int tab = 0; tab < 3; ++tab) TabTransaction->addTab(QString());
  LbTransactionName = Named(new QLabel(this), "LbTransactionName");
  QFont bold = LbTransactionName->font();
  bold.setBold(true);
  bold.setPointSizeF(bold.pointSizeF() * 1.2);
  LbTransactionName->setFont(bold);
  TransactionBevel = Line(this, "TransactionBevel");

  LbFromAccount = Named(new QLabel(this), "LbFromAccount");
  CBFromAccount = Named(new QComboBox(this), "CBFromAccount");
  EdPrice = Named(new QLineEdit(this), "EdPrice");
  EdQuantity = Named(new QLineEdit(this), "EdQuantity");
  EdSumm = Named(new QLineEdit(this), "EdSumm");
  for (EFieldType field : {efPrice, efQuantity, efSum}) {
    QLineEdit* box = FieldBox(field);
    box->setAlignment(Qt::AlignRight);
    // A transfer's quantity box holds the rate, which is not stored.
    LimitTyping(box, [this, field](const QString& before, const QString& after) {
      const std::optional<QString> kept = ToTypedText(
          AcceptedAmountText(before.toStdString(), after.toStdString(), DecimalsOf(field),
                             field == efQuantity && FKind != kKindTransfer));
      if (!kept || TypingOverflows(field, *kept)) return std::optional<QString>();
      return kept;
    });
  }
  LbToAccount = Named(new QLabel(this), "LbToAccount");
  CBToAccount = Named(new QComboBox(this), "CBToAccount");
  LbComment = Named(new QLabel(this), "LbComment");
  MComment = Named(new QPlainTextEdit(this), "MComment");
  MComment->setTabChangesFocus(true);
  LbDate = Named(new QLabel(this), "LbDate");
  EDDate = Named(new QDateEdit(this), "EDDate");
  EDDate->setCalendarPopup(true);
  EDDate->setDisplayFormat(ShortDateFormat());
  LbCategory = Named(new QLabel(this), "LbCategory");
  EdType = Named(new QLineEdit(this), "EdType");
  LbDescription = Named(new QLabel(this), "LbDescription");
  EdDescription = Named(new QComboBox(this), "EdDescription");
  EdDescription->setEditable(true);
  EdDescription->setInsertPolicy(QComboBox::NoInsert);
  LimitTyping(EdDescription->lineEdit(), MaxTypedLength(kMaxTextLength));
  EdDescription->completer()->setCompletionMode(QCompleter::PopupCompletion);
  LbMember = Named(new QLabel(this), "LbMember");
  EdMember = Named(new QLineEdit(this), "EdMember");
  LbSection = Named(new QLabel(this), "LbSection");
  EdSection = Named(new QLineEdit(this), "EdSection");
  BtSelCategory = ToolButton(this, "BtSelCategory");
  BtSelMember = ToolButton(this, "BtSelMember");
  BtSelSection = ToolButton(this, "BtSelSection");
  BtTypes1 = ToolButton(this, "BtTypes1");
  BtTypes2 = ToolButton(this, "BtTypes2");
  BtTypes3 = ToolButton(this, "BtTypes3");
  BtClrCategory = ToolButton(this, "BtClrCategory");
  BtClrMember = ToolButton(this, "BtClrMember");
  BtClrSection = ToolButton(this, "BtClrSection");
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

  LbPrice = Named(new QLabel(this), "LbPrice");
  LbQuantity = Named(new QLabel(this), "LbQuantity");
  LbSum = Named(new QLabel(this), "LbSum");
  BtSheduler = ToolButton(this, "BtSheduler");
  BtSheduler->setText("...");
  LbShedule = Named(new QLabel(this), "LbShedule");
  ShedulerBevel = Named(new QFrame(this), "ShedulerBevel");
  ShedulerBevel->setFrameShape(QFrame::StyledPanel);
  ShedulerBevel->setFrameShadow(QFrame::Sunken);
  LbSheduleStatus = Named(new QLabel(ShedulerBevel), "LbSheduleStatus");
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

#include "Uniteditrule.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "BulkEditLogic.h"
#include "ControlTexts.h"
#include "DialogKit.h"
#include "Include.h"
#include "Qtexts.h"
#include "RulesLogic.h"

namespace {

void Choose(QComboBox* box, std::uint32_t id) {
  box->setCurrentIndex(std::max(0, box->findData(id)));
}

}  // namespace

TFormEditRule::TFormEditRule(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FormEditRule"));
  EdRuleText = Named(new QLineEdit(this), "EdRuleText");
  EdRuleText->setMinimumWidth(320);
  CbRuleField = Named(new QComboBox(this), "CbRuleField");
  CbRuleField->addItems({LocalizedText(30708, "Description"), LocalizedText(30709, "Comment"),
                         LocalizedText(30710, "Description or comment")});
  CbRuleMode = Named(new QComboBox(this), "CbRuleMode");
  CbRuleMode->addItems({LocalizedText(30712, "Contains"), LocalizedText(30713, "Whole words"),
                        LocalizedText(30714, "Regular expression")});
  ChRuleCase = Named(new QCheckBox(LocalizedText(30715, "&Case-sensitive"), this), "ChRuleCase");
  EdAmountFrom = Named(new QLineEdit(this), "EdAmountFrom");
  EdAmountTo = Named(new QLineEdit(this), "EdAmountTo");
  for (QLineEdit* box : {EdAmountFrom, EdAmountTo}) {
    box->setAlignment(Qt::AlignRight);
    box->setMaximumWidth(140);
  }
  CbRuleKind = Named(new QComboBox(this), "CbRuleKind");
  CbRuleKind->addItems(
      {LocalizedText(30719, "Any"), LocalizedText(14, "Expense"), LocalizedText(13, "Income")});
  CbRuleAccount = MakeChoiceBox(this, "CbRuleAccount", 260);
  CbSetCategory = MakeChoiceBox(this, "CbSetCategory", 260);
  CbSetMember = MakeChoiceBox(this, "CbSetMember", 260);
  CbSetSection = MakeChoiceBox(this, "CbSetSection", 260);
  EdSetDescription = Named(new QLineEdit(this), "EdSetDescription");
  LbRuleEffect = Named(new QLabel(this), "LbRuleEffect");
  LbRuleEffect->setWordWrap(true);
  LbRuleEffect->setMinimumHeight(LbRuleEffect->fontMetrics().height() * 2);
  const TOkCancel buttons = MakeOkCancel(this);
  BtOk = buttons.ok;
  BtCancel = buttons.cancel;
  ApplyTexts(
      {{CTextTarget::CaptionOf(BtOk), 1, "OK"}, {CTextTarget::CaptionOf(BtCancel), 2, "Cancel"}});

  auto label = [this](std::uint32_t id, const char* text, QWidget* buddy) {
    auto* l = new QLabel(LocalizedText(id, text), this);
    l->setBuddy(buddy);
    return l;
  };
  auto* match = new QGroupBox(LocalizedText(30705, "Transactions it matches"), this);
  auto* matchForm = new QFormLayout(match);
  matchForm->addRow(label(30706, "Te&xt:", EdRuleText), EdRuleText);
  auto* how = new QHBoxLayout;
  how->addWidget(CbRuleField);
  how->addWidget(label(30711, "&as:", CbRuleMode));
  how->addWidget(CbRuleMode);
  how->addWidget(ChRuleCase);
  how->addStretch();
  matchForm->addRow(label(30707, "&Look in:", CbRuleField), how);
  auto* amounts = new QHBoxLayout;
  amounts->addWidget(EdAmountFrom);
  amounts->addWidget(label(30717, "t&o:", EdAmountTo));
  amounts->addWidget(EdAmountTo);
  amounts->addStretch();
  matchForm->addRow(label(30716, "Amount &from:", EdAmountFrom), amounts);
  matchForm->addRow(label(30718, "&Kind:", CbRuleKind), CbRuleKind);
  matchForm->addRow(label(30720, "Acco&unt:", CbRuleAccount), CbRuleAccount);
  auto* sets = new QGroupBox(LocalizedText(30722, "What it sets"), this);
  auto* setsForm = new QFormLayout(sets);
  setsForm->addRow(label(30723, "Ca&tegory:", CbSetCategory), CbSetCategory);
  setsForm->addRow(label(30724, "Family &member:", CbSetMember), CbSetMember);
  setsForm->addRow(label(30725, "&Section:", CbSetSection), CbSetSection);
  setsForm->addRow(label(30726, "New &description:", EdSetDescription), EdSetDescription);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(match);
  layout->addWidget(sets);
  layout->addWidget(LbRuleEffect);
  layout->addLayout(buttons.row);
  const std::vector<QWidget*> order = {EdRuleText,    CbRuleField, CbRuleMode,   ChRuleCase,
                                       EdAmountFrom,  EdAmountTo,  CbRuleKind,   CbRuleAccount,
                                       CbSetCategory, CbSetMember, CbSetSection, EdSetDescription,
                                       BtOk,          BtCancel};
  for (std::size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);

  FEffectTimer = new QTimer(this);
  FEffectTimer->setSingleShot(true);
  FEffectTimer->setInterval(250);
  connect(FEffectTimer, &QTimer::timeout, this, &TFormEditRule::ShowEffect);
  for (QLineEdit* box : {EdRuleText, EdAmountFrom, EdAmountTo, EdSetDescription})
    connect(box, &QLineEdit::textChanged, this, &TFormEditRule::RuleChanged);
  for (QComboBox* box :
       {CbRuleField, CbRuleMode, CbRuleAccount, CbSetCategory, CbSetMember, CbSetSection})
    connect(box, &QComboBox::currentIndexChanged, this, &TFormEditRule::RuleChanged);
  connect(CbRuleKind, &QComboBox::currentIndexChanged, this, &TFormEditRule::CbRuleKindChange);
  connect(ChRuleCase, &QCheckBox::toggled, this, &TFormEditRule::RuleChanged);
  connect(BtOk, &QPushButton::clicked, this, &TFormEditRule::BtOkClick);
}

bool TFormEditRule::Execute(CDataBase& db, CImportRule& rule) {
  FDb = &db;
  FSubjects.reset();
  setWindowTitle(rule.id == 0 ? LocalizedText(30703, "New rule")
                              : LocalizedText(30704, "Edit rule"));
  Show(rule);
  ApplyControlIcons(this);
  adjustSize();
  EdRuleText->setFocus();
  EdRuleText->selectAll();
  if (exec() != QDialog::Accepted) return false;
  QString problem;
  return ReadRule(rule, problem);
}

void TFormEditRule::Show(const CImportRule& rule) {
  FId = rule.id;
  const CRuleMatch& m = rule.match;
  const QString keep = LocalizedText(30727, "(leave as it is)");
  {
    // One effect for the whole filling, shown at its end.
    const QSignalBlocker blocks[] = {
        QSignalBlocker(EdRuleText),    QSignalBlocker(CbRuleField),
        QSignalBlocker(CbRuleMode),    QSignalBlocker(ChRuleCase),
        QSignalBlocker(EdAmountFrom),  QSignalBlocker(EdAmountTo),
        QSignalBlocker(CbRuleKind),    QSignalBlocker(CbRuleAccount),
        QSignalBlocker(CbSetCategory), QSignalBlocker(CbSetMember),
        QSignalBlocker(CbSetSection),  QSignalBlocker(EdSetDescription)};
    EdRuleText->setText(Q(m.text));
    CbRuleField->setCurrentIndex(static_cast<int>(m.field));
    CbRuleMode->setCurrentIndex(static_cast<int>(m.mode));
    ChRuleCase->setChecked(m.caseSensitive);
    EdAmountFrom->setText(m.amountMin ? Q(RuleAmountText(*m.amountMin)) : QString());
    EdAmountTo->setText(m.amountMax ? Q(RuleAmountText(*m.amountMax)) : QString());
    CbRuleKind->setCurrentIndex(static_cast<int>(m.kind));
    CbRuleAccount->clear();
    CbRuleAccount->addItem(LocalizedText(30721, "Any account"), 0u);
    const TAccountItems accounts = FDb->GetAccountItems();  // a copy: GetCurrency below
    for (const CAccountItem& account : accounts) {
      CCurrencyItem currency;
      FDb->GetCurrency(account.record.currencyId, currency);
      CbRuleAccount->addItem(StoredToQString(account.name) + QStringLiteral(" (") +
                                 StoredToQString(currency.name) + ")",
                             account.id);
    }
    Choose(CbRuleAccount, m.account);
    FillCategories(rule.set.category);
    for (auto [box, root, id] : {std::tuple{CbSetMember, kMemberRoot, rule.set.member},
                                 {CbSetSection, kSectionRoot, rule.set.section}}) {
      box->clear();
      box->addItem(keep, 0u);
      for (const TBulkChoice& choice : SubTypeChoices(*FDb, root))
        box->addItem(StoredToQString(choice.text), choice.id);
      Choose(box, id);
    }
    EdSetDescription->setText(Q(rule.set.description));
  }
  ShowEffect();
}

void TFormEditRule::FillCategories(std::uint32_t keep) {
  const QSignalBlocker block(CbSetCategory);
  CbSetCategory->clear();
  CbSetCategory->addItem(LocalizedText(30727, "(leave as it is)"), 0u);
  // The kind's own categories; both trees, each named, for any kind.
  const int kind = CbRuleKind->currentIndex();
  const bool both = kind == static_cast<int>(ERuleKind::kAny);
  for (std::uint32_t root : {kExpenseRoot, kIncomeRoot}) {
    if (!both &&
        root != (kind == static_cast<int>(ERuleKind::kIncome) ? kIncomeRoot : kExpenseRoot))
      continue;
    const QString prefix =
        !both ? QString()
              : (root == kIncomeRoot ? LocalizedText(13, "Income") : LocalizedText(14, "Expense")) +
                    QStringLiteral(": ");
    for (const TBulkChoice& choice : SubTypeChoices(*FDb, root))
      CbSetCategory->addItem(prefix + StoredToQString(choice.text), choice.id);
  }
  Choose(CbSetCategory, keep);
}

void TFormEditRule::CbRuleKindChange() {
  FillCategories(CbSetCategory->currentData().toUInt());
  RuleChanged();
}

bool TFormEditRule::ReadRule(CImportRule& rule, QString& problem) const {
  CImportRule read;
  read.id = FId;
  CRuleMatch& m = read.match;
  m.text = EdRuleText->text().toStdString();
  m.field = static_cast<ERuleField>(std::max(0, CbRuleField->currentIndex()));
  m.mode = static_cast<ERuleMode>(std::max(0, CbRuleMode->currentIndex()));
  m.caseSensitive = ChRuleCase->isChecked();
  m.kind = static_cast<ERuleKind>(std::max(0, CbRuleKind->currentIndex()));
  m.account = CbRuleAccount->currentData().toUInt();
  read.set.category = CbSetCategory->currentData().toUInt();
  read.set.member = CbSetMember->currentData().toUInt();
  read.set.section = CbSetSection->currentData().toUInt();
  read.set.description = QStringToStored(EdSetDescription->text());
  if (!ReadRuleAmount(EdAmountFrom->text().toStdString(), m.amountMin) ||
      !ReadRuleAmount(EdAmountTo->text().toStdString(), m.amountMax)) {
    problem = Q(RuleAmountProblemText());
    return false;
  }
  const CRuleProblem found = FDb ? RuleReferenceProblem(*FDb, read) : RuleUsageProblem(read);
  if (found) {
    problem = Q(RuleProblemText(found));
    return false;
  }
  rule = read;
  return true;
}

void TFormEditRule::RuleChanged() {
  FEffectTimer->start();
}

void TFormEditRule::ShowEffect() {
  FEffectTimer->stop();
  CImportRule rule;
  QString problem;
  if (FDb == nullptr || !ReadRule(rule, problem)) {
    LbRuleEffect->setStyleSheet(QStringLiteral("QLabel { color: #a00000; }"));
    LbRuleEffect->setText(problem);
    return;
  }
  // The rule alone against every stored transaction.
  const std::vector<CImportRule> alone = {rule};
  if (!FSubjects) FSubjects = std::make_unique<CRuleSubjects>(*FDb, -1e9, 1e9);
  const std::size_t count = FSubjects->CountChanges(CRuleMatcher(alone));
  LbRuleEffect->setStyleSheet(QString());
  LbRuleEffect->setText(
      Q(GetLocalizedCount(30728, "Would change %1 transaction|Would change %1 transactions",
                          static_cast<long long>(count))));
}

void TFormEditRule::BtOkClick() {
  CImportRule rule;
  QString problem;
  if (!ReadRule(rule, problem)) {
    // The dialog stays with the user's input and the reason under it.
    ShowEffect();
    QApplication::beep();
    return;
  }
  accept();
}

#include "Unitrules.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <functional>

#include "BankCheckLogic.h"
#include "ControlTexts.h"
#include "DialogKit.h"
#include "Include.h"
#include "Platform.h"
#include "Qtexts.h"
#include "Skin.h"
#include "Uniteditrule.h"

namespace {

std::string NotStoredText(const std::string& error) {
  return GetLocalizedText(30746, "The rules could not be stored:") + "\n" + error;
}

// Opens the editor on `rule` until `store` keeps what the user confirmed: a
// failed save is told and the editor shows the input again. False on Cancel.
bool EditUntilStored(QWidget* parent, CDataBase& db, CImportRule& rule,
                     const std::function<bool(CImportRule&, std::string&)>& store) {
  TFormEditRule editor(parent);
  for (;;) {
    if (!editor.Execute(db, rule)) return false;
    std::string error;
    if (store(rule, error)) return true;
    ShowMessage(NotStoredText(error));
  }
}

}  // namespace

bool MakeRuleFromRow(QWidget* parent, CDataBase& db, const CImportRule& prefilled,
                     CImportRule* made) {
  CImportRule rule = prefilled;
  rule.id = 0;
  const std::string file = db.GetFileName();
  if (!EditUntilStored(parent, db, rule, [&](CImportRule& r, std::string& error) {
        return AppendRule(file, r, error);
      }))
    return false;
  if (made != nullptr) *made = rule;
  return true;
}

TFormRules::TFormRules(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FormRules"));
  setWindowTitle(LocalizedText(30700, "Rules"));
  LvRules = Named(new QTreeWidget(this), "LvRules");
  LvRules->setRootIsDecorated(false);
  LvRules->setUniformRowHeights(true);
  LvRules->setAllColumnsShowFocus(true);
  LvRules->setHeaderLabels(
      {QStringLiteral("#"), LocalizedText(30739, "Matches"), LocalizedText(30740, "Sets")});
  // Each column as wide as its texts: a long rule scrolls, it is not cut.
  LvRules->header()->setStretchLastSection(false);
  LvRules->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  BtAdd = MakeButton(this, "BtAdd");
  BtEdit = MakeButton(this, "BtEdit");
  BtDelete = MakeButton(this, "BtDelete");
  BtUp = MakeButton(this, "BtUp");
  BtDown = MakeButton(this, "BtDown");
  BtUp->setIcon(QIcon::fromTheme(QStringLiteral("go-up")));
  BtDown->setIcon(QIcon::fromTheme(QStringLiteral("go-down")));
  EdApplyFrom = Named(new QDateEdit(this), "EdApplyFrom");
  EdApplyTo = Named(new QDateEdit(this), "EdApplyTo");
  for (QDateEdit* box : {EdApplyFrom, EdApplyTo}) {
    box->setCalendarPopup(true);
    box->setDisplayFormat(ShortDateFormat());
  }
  BtApply = MakeButton(this, "BtApply");
  BtUndo = MakeButton(this, "BtUndo");
  BtUndo->setIcon(QIcon::fromTheme(QStringLiteral("edit-undo")));
  LbApplyResult = Named(new QLabel(this), "LbApplyResult");
  LbApplyResult->setWordWrap(true);
  BtClose = MakeButton(this, "BtClose");
  for (QPushButton* b : {BtAdd, BtEdit, BtDelete, BtUp, BtDown, BtApply, BtUndo})
    b->setAutoDefault(false);
  BtClose->setDefault(true);
  using T = CTextTarget;
  ApplyTexts({{T::CaptionOf(BtAdd), 4, "&Add"},
              {T::CaptionOf(BtEdit), 5, "&Edit"},
              {T::CaptionOf(BtDelete), 6, "&Delete"},
              {T::CaptionOf(BtUp), 30741, "Move &up"},
              {T::CaptionOf(BtDown), 30742, "Move do&wn"},
              {T::CaptionOf(BtApply), 30743, "A&pply to transactions..."},
              {T::CaptionOf(BtUndo), 30744, "U&ndo"},
              {T::CaptionOf(BtClose), 8, "Close"}});
  BtUp->setToolTip(QKeySequence(Qt::CTRL | Qt::Key_Up).toString(QKeySequence::NativeText));
  BtDown->setToolTip(QKeySequence(Qt::CTRL | Qt::Key_Down).toString(QKeySequence::NativeText));

  auto* side = new QVBoxLayout;
  for (QPushButton* b : {BtAdd, BtEdit, BtDelete}) side->addWidget(b);
  side->addSpacing(12);
  side->addWidget(BtUp);
  side->addWidget(BtDown);
  side->addStretch();
  auto* top = new QHBoxLayout;
  top->addWidget(LvRules, 1);
  top->addLayout(side);
  auto* apply = new QHBoxLayout;
  auto label = [this](std::uint32_t id, const char* text, QWidget* buddy) {
    auto* l = new QLabel(LocalizedText(id, text), this);
    l->setBuddy(buddy);
    return l;
  };
  apply->addWidget(label(30748, "F&rom:", EdApplyFrom));
  apply->addWidget(EdApplyFrom);
  apply->addWidget(label(30749, "&To:", EdApplyTo));
  apply->addWidget(EdApplyTo);
  apply->addWidget(BtApply);
  apply->addWidget(BtUndo);
  apply->addStretch();
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(LbApplyResult, 1);
  bottom->addWidget(BtClose);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top, 1);
  layout->addLayout(apply);
  layout->addLayout(bottom);
  const std::vector<QWidget*> order = {LvRules,     BtAdd,     BtEdit,  BtDelete, BtUp,   BtDown,
                                       EdApplyFrom, EdApplyTo, BtApply, BtUndo,   BtClose};
  for (std::size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
  resize(900, 460);

  connect(BtAdd, &QPushButton::clicked, this, &TFormRules::BtAddClick);
  connect(BtEdit, &QPushButton::clicked, this, &TFormRules::BtEditClick);
  connect(BtDelete, &QPushButton::clicked, this, &TFormRules::BtDeleteClick);
  connect(BtUp, &QPushButton::clicked, this, &TFormRules::BtUpClick);
  connect(BtDown, &QPushButton::clicked, this, &TFormRules::BtDownClick);
  connect(BtApply, &QPushButton::clicked, this, &TFormRules::BtApplyClick);
  connect(BtUndo, &QPushButton::clicked, this, &TFormRules::BtUndoClick);
  connect(BtClose, &QPushButton::clicked, this, &QDialog::accept);
  connect(LvRules, &QTreeWidget::itemDoubleClicked, this, &TFormRules::BtEditClick);
  connect(LvRules, &QTreeWidget::currentItemChanged, this, &TFormRules::EnableButtons);
  LvRules->installEventFilter(this);
  EdApplyFrom->installEventFilter(this);
  EdApplyTo->installEventFilter(this);
}

bool TFormRules::Execute(CDataBase& db, Date from, Date to) {
  FDb = &db;
  FChanged = false;
  FLastApply.clear();
  LbApplyResult->clear();
  EdApplyFrom->setDate(ToQDate(from));
  EdApplyTo->setDate(ToQDate(to));
  CCompanion companion;
  const CCompanionLoad load = companion.Load(db.GetFileName());
  if (!load.Fine()) ShowMessage(CompanionProblemText(load));
  LoadRules(0);
  ApplyControlIcons(this);
  LvRules->setFocus();
  exec();
  FDb = nullptr;
  return FChanged;
}

void TFormRules::LoadRules(std::uint32_t select) {
  CCompanion companion;
  companion.Load(FDb->GetFileName());
  FRules = companion.Rules();
  const CRuleDescriber describe(*FDb);
  LvRules->clear();
  QTreeWidgetItem* current = nullptr;
  for (std::size_t i = 0; i < FRules.size(); ++i) {
    const CImportRule& rule = FRules[i];
    auto* item = new QTreeWidgetItem(
        LvRules, {QString::number(i + 1), Q(describe.Matches(rule)), Q(describe.Sets(rule))});
    item->setData(0, Qt::UserRole, rule.id);
    item->setTextAlignment(0, Qt::AlignRight | Qt::AlignVCenter);
    for (int column = 1; column < 3; ++column) item->setToolTip(column, item->text(column));
    if (rule.id == select || current == nullptr) current = item;
  }
  if (current != nullptr) LvRules->setCurrentItem(current);
  EnableButtons();
}

std::uint32_t TFormRules::CurrentId() const {
  const QTreeWidgetItem* item = LvRules->currentItem();
  return item == nullptr ? 0 : item->data(0, Qt::UserRole).toUInt();
}

void TFormRules::EnableButtons() {
  const int row =
      LvRules->currentItem() ? LvRules->indexOfTopLevelItem(LvRules->currentItem()) : -1;
  BtEdit->setEnabled(row >= 0);
  BtDelete->setEnabled(row >= 0);
  BtUp->setEnabled(row > 0);
  BtDown->setEnabled(row >= 0 && row + 1 < LvRules->topLevelItemCount());
  BtApply->setEnabled(!FRules.empty());
  BtUndo->setEnabled(!FLastApply.empty());
}

void TFormRules::Saved(bool saved, const std::string& error, std::uint32_t select) {
  if (!saved) ShowMessage(NotStoredText(error));
  LoadRules(select);
}

void TFormRules::BtAddClick() {
  if (FDb == nullptr) return;
  CImportRule rule;
  const std::string file = FDb->GetFileName();
  if (EditUntilStored(this, *FDb, rule, [&](CImportRule& r, std::string& error) {
        return AppendRule(file, r, error);
      }))
    LoadRules(rule.id);
  else
    LoadRules(CurrentId());
}

void TFormRules::BtEditClick() {
  const std::uint32_t id = CurrentId();
  if (FDb == nullptr || id == 0) return;
  CImportRule rule;
  for (const CImportRule& kept : FRules)
    if (kept.id == id) rule = kept;
  const std::string file = FDb->GetFileName();
  EditUntilStored(this, *FDb, rule,
                  [&](CImportRule& r, std::string& error) { return ReplaceRule(file, r, error); });
  LoadRules(id);
}

void TFormRules::BtDeleteClick() {
  const QTreeWidgetItem* item = LvRules->currentItem();
  const std::uint32_t id = CurrentId();
  if (FDb == nullptr || id == 0) return;
  const QString question = LocalizedText(30745, "Delete the rule %1?")
                               .arg(item->text(0) + QStringLiteral(": ") + item->text(1));
  if (AskConfirmation(this, question, QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
    return;
  const int row = LvRules->indexOfTopLevelItem(LvRules->currentItem());
  // The row below takes the deleted one's place as the current one.
  const std::size_t next = static_cast<std::size_t>(row) + 1;
  const std::uint32_t select =
      next < FRules.size() ? FRules[next].id : (row > 0 ? FRules[row - 1].id : 0);
  std::string error;
  const bool saved = DeleteRule(FDb->GetFileName(), id, error);
  Saved(saved, error, saved ? select : id);
}

void TFormRules::BtUpClick() {
  const std::uint32_t id = CurrentId();
  if (FDb == nullptr || id == 0 || !BtUp->isEnabled()) return;
  std::string error;
  const bool saved = MoveRule(FDb->GetFileName(), id, -1, error);
  Saved(saved, error, id);
}

void TFormRules::BtDownClick() {
  const std::uint32_t id = CurrentId();
  if (FDb == nullptr || id == 0 || !BtDown->isEnabled()) return;
  std::string error;
  const bool saved = MoveRule(FDb->GetFileName(), id, +1, error);
  Saved(saved, error, id);
}

void TFormRules::BtApplyClick() {
  if (FDb == nullptr || FRules.empty()) return;
  const Date from = FromQDate(EdApplyFrom->date());
  const Date to = FromQDate(EdApplyTo->date());
  const CRuleMatcher matcher(FRules);
  std::vector<CRuleChange> changes = PlanRuleChanges(*FDb, matcher, from, to);
  if (changes.empty()) {
    LbApplyResult->setText(LocalizedText(30751, "No transaction of that period would change."));
    return;
  }
  const long long count = static_cast<long long>(changes.size());
  const QString question =
      Q(GetLocalizedCount(30750, "Change %1 transaction?|Change %1 transactions?", count));
  if (AskConfirmation(this, question, QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
    return;
  std::size_t written = 0;
  const bool stored = StoreRuleChanges(*FDb, changes, false, &written);
  changes.resize(written);  // what Undo can take back
  FLastApply = std::move(changes);
  if (!stored) ShowMessage(RuleStoreFailureText(written, FDb->GetLastWriteError()));
  LbApplyResult->setText(Q(GetLocalizedCount(
      30752, "%1 transaction changed.|%1 transactions changed.", static_cast<long long>(written))));
  EnableButtons();
  if (written > 0) {
    FChanged = true;
    emit TransactionsChanged();
  }
  if (BtUndo->isEnabled()) BtUndo->setFocus();
}

void TFormRules::BtUndoClick() {
  if (FDb == nullptr || FLastApply.empty()) return;
  std::size_t written = 0;
  const bool stored = StoreRuleChanges(*FDb, FLastApply, true, &written);
  // What was taken back is gone from the change; a failure leaves the rest
  // to be taken back again.
  FLastApply.erase(
      FLastApply.begin(),
      FLastApply.begin() + static_cast<std::ptrdiff_t>(stored ? FLastApply.size() : written));
  if (stored)
    LbApplyResult->setText(LocalizedText(30753, "The change was taken back."));
  else
    ShowMessage(RuleStoreFailureText(written, FDb->GetLastWriteError()));
  EnableButtons();
  if (written > 0) emit TransactionsChanged();
  LvRules->setFocus();
}

bool TFormRules::eventFilter(QObject* watched, QEvent* event) {
  // The list's own keys: Enter edits, Insert adds, Delete deletes, and
  // Ctrl+Up and Ctrl+Down move the rule (the list would only move its
  // cursor).
  if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
  const auto* key = static_cast<QKeyEvent*>(event);
  const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
  if (watched == EdApplyFrom || watched == EdApplyTo) {
    // Enter in a date applies the rules to the period (not Close).
    if (!enter) return QDialog::eventFilter(watched, event);
    BtApplyClick();
    return true;
  }
  if (watched != LvRules) return QDialog::eventFilter(watched, event);
  const bool ctrl = key->modifiers() == Qt::ControlModifier;
  const bool plain = key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier;
  void (TFormRules::*handler)() = nullptr;
  if (plain && enter)
    handler = &TFormRules::BtEditClick;
  else if (plain && key->key() == Qt::Key_Insert)
    handler = &TFormRules::BtAddClick;
  else if (plain && key->key() == Qt::Key_Delete)
    handler = &TFormRules::BtDeleteClick;
  else if (ctrl && key->key() == Qt::Key_Up)
    handler = &TFormRules::BtUpClick;
  else if (ctrl && key->key() == Qt::Key_Down)
    handler = &TFormRules::BtDownClick;
  if (handler == nullptr) return QDialog::eventFilter(watched, event);
  (this->*handler)();
  return true;
}

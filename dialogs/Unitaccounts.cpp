#include "Unitaccounts.h"

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <tuple>

#include "AccountsLogic.h"
#include "ControlTexts.h"
#include "DialogKit.h"
#include "Include.h"
#include "Logger.h"
#include "Qtexts.h"
#include "Skin.h"
#include "Uniteditaccount.h"

// Paints every row of the accounts list as an account card.
class CAccountCardDelegate : public QStyledItemDelegate {
 public:
  explicit CAccountCardDelegate(TFormAccounts* window)
      : QStyledItemDelegate(window), window_(window) {}
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    window_->PaintCard(*painter, option.rect, index.row(),
                       option.state.testFlag(QStyle::State_Selected));
  }
  QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
    return QSize(0, TFormAccounts::kCardHeight);
  }

 private:
  TFormAccounts* window_;
};

TFormAccounts::TFormAccounts(QWidget* parent) : QDialog(parent) {
  setObjectName("FormAccounts");
  LBAccounts = new QListWidget(this);
  LBAccounts->setObjectName("LBAccounts");
  LBAccounts->setUniformItemSizes(true);
  LBAccounts->setSelectionMode(QAbstractItemView::SingleSelection);
  LBAccounts->setContextMenuPolicy(Qt::CustomContextMenu);
  LBAccounts->setItemDelegate(new CAccountCardDelegate(this));
  LBAccounts->setMinimumWidth(280);
  LBAccounts->viewport()->installEventFilter(this);

  BtAdd = MakeButton(this, "BtAdd");
  BtEdit = MakeButton(this, "BtEdit");
  BtDel = MakeButton(this, "BtDel");
  BtExit = MakeButton(this, "BtExit");
  BtExit->setDefault(true);

  AccountsMenu = new QMenu(this);
  AccountsMenu->setObjectName("AccountsMenu");
  Add1 = MakeAction(AccountsMenu, "Add1");
  Edit1 = MakeAction(AccountsMenu, "Edit1");
  Delete1 = MakeAction(AccountsMenu, "Delete1");

  QString add, edit, del;
  ApplyTexts({
      {CaptionOf(this), 5000, "Accounts"},
      {Store(&add), 4, "Add"},
      {Store(&edit), 5, "Edit"},
      {Store(&del), 6, "Delete"},
      {CaptionOf(BtExit), 8, "Close"},
      {Store(&textDeleteAccount_), 5001, "Delete account"},
      {Store(&textBalance_), 5002, "Balance"},
      {Store(&textBudget_), 1081, "Budget"},
  });
  for (auto [button, action, text] :
       {std::tuple{BtAdd, Add1, add}, {BtEdit, Edit1, edit}, {BtDel, Delete1, del}}) {
    button->setText(text);
    action->setText(text);
  }

  auto* buttons = new QVBoxLayout;
  buttons->addWidget(BtAdd);
  buttons->addWidget(BtEdit);
  buttons->addWidget(BtDel);
  buttons->addStretch();
  buttons->addWidget(BtExit);
  auto* layout = new QHBoxLayout(this);
  layout->setSpacing(8);
  layout->addWidget(LBAccounts, 1);
  layout->addLayout(buttons);
  resize(440, 400);

  connect(BtAdd, &QPushButton::clicked, this, &TFormAccounts::BtAddClick);
  connect(BtEdit, &QPushButton::clicked, this, &TFormAccounts::BtEditClick);
  connect(BtDel, &QPushButton::clicked, this, &TFormAccounts::BtDelClick);
  connect(BtExit, &QPushButton::clicked, this, &QDialog::accept);
  connect(Add1, &QAction::triggered, this, &TFormAccounts::BtAddClick);
  connect(Edit1, &QAction::triggered, this, &TFormAccounts::BtEditClick);
  connect(Delete1, &QAction::triggered, this, &TFormAccounts::BtDelClick);
  connect(LBAccounts, &QListWidget::itemSelectionChanged, this, &TFormAccounts::LBAccountsClick);
  connect(LBAccounts, &QListWidget::customContextMenuRequested, this,
          &TFormAccounts::LBAccountsMouseDown);
  connect(LBAccounts, &QListWidget::itemDoubleClicked, this, &TFormAccounts::LBAccountsDblClick);
  UpdateCommands();
}

void TFormAccounts::Execute(CDataBase& database, const QPixmap& linesImage,
                            const QIcon& accountIcon) {
  if (linesImage.isNull() || accountIcon.isNull()) {
    LogError("[Accounts] Not initialized!");
    return;
  }
  db_ = &database;
  linesImage_ = linesImage;
  accountIcon_ = accountIcon;
  FillList();
  LBAccounts->setFocus();
  exec();
  db_ = nullptr;
}

void TFormAccounts::FillList(std::uint32_t selectId) {
  LBAccounts->clear();
  accounts_ = db_ ? db_->GetAccountItems() : TAccountItems();
  int selectRow = 0;
  for (std::size_t i = 0; i < accounts_.size(); ++i) {
    LBAccounts->addItem(QString());
    if (accounts_[i].id == selectId) selectRow = static_cast<int>(i);
  }
  if (!accounts_.empty()) LBAccounts->setCurrentRow(selectRow);
  UpdateCommands();
}

const CAccountItem* TFormAccounts::SelectedAccount() const {
  const QList<QListWidgetItem*> selected = LBAccounts->selectedItems();
  if (selected.isEmpty()) return nullptr;
  const int row = LBAccounts->row(selected.front());
  return row >= 0 && row < static_cast<int>(accounts_.size()) ? &accounts_[row] : nullptr;
}

void TFormAccounts::UpdateCommands() {
  const bool selected = SelectedAccount() != nullptr;
  BtAdd->setEnabled(true);
  Add1->setEnabled(true);
  BtEdit->setEnabled(selected);
  Edit1->setEnabled(selected);
  BtDel->setEnabled(selected);
  Delete1->setEnabled(selected);
}

void TFormAccounts::PaintCard(QPainter& painter, const QRect& rect, int row, bool selected) const {
  if (row < 0 || row >= static_cast<int>(accounts_.size()) || !db_) return;
  painter.save();
  PaintAccountRow(painter, rect, selected,
                  AccountCardOf(accounts_[row], *db_, textBalance_, textBudget_), linesImage_,
                  accountIcon_);
  painter.restore();
}

void TFormAccounts::BtAddClick() {
  if (!db_) return;
  TFormEditAccount editor(this);
  if (const std::uint32_t id = editor.Execute(*db_, 0)) FillList(id);
  LBAccounts->setFocus();
}

void TFormAccounts::BtEditClick() {
  const CAccountItem* account = SelectedAccount();
  if (account && db_) {
    TFormEditAccount editor(this);
    if (const std::uint32_t id = editor.Execute(*db_, account->id)) FillList(id);
  }
  LBAccounts->setFocus();
}

void TFormAccounts::BtDelClick() {
  const CAccountItem* account = SelectedAccount();
  if (account && db_) {
    const std::uint32_t id = account->id;
    const std::size_t uses = CountAccountUses(*db_, id);
    const std::string usesLine = GetLocalizedCount(
        24111,
        "%1 transaction (planned ones included) uses it; it will show without it.|%1 "
        "transactions (planned ones included) use it; they will show without it.",
        static_cast<long long>(uses));
    const std::string question = DeleteAccountQuestion(QStringToStored(textDeleteAccount_),
                                                       StoredToUtf8(account->name), uses, usesLine);
    if (AskConfirmation(this, Q(question), QMessageBox::Yes | QMessageBox::No) ==
        QMessageBox::Yes) {
      if (!db_->DelAccount(id)) ShowNotDeleted(db_->GetLastWriteError());
      FillList();
    }
  }
  LBAccounts->setFocus();
}

void TFormAccounts::LBAccountsClick() {
  UpdateCommands();
}

bool TFormAccounts::eventFilter(QObject* watched, QEvent* event) {
  if (watched == LBAccounts->viewport() &&
      (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)) {
    const QPoint pos = static_cast<QMouseEvent*>(event)->position().toPoint();
    if (!LBAccounts->itemAt(pos)) return true;  // the list would drop its selection
  }
  return QDialog::eventFilter(watched, event);
}

void TFormAccounts::LBAccountsMouseDown(const QPoint& pos) {
  // Empty space below the last card keeps the selection.
  if (QListWidgetItem* item = LBAccounts->itemAt(pos)) LBAccounts->setCurrentItem(item);
  UpdateCommands();
  AccountsMenu->popup(LBAccounts->viewport()->mapToGlobal(pos));
}

void TFormAccounts::LBAccountsDblClick(QListWidgetItem* item) {
  if (!item) return;
  LBAccounts->setCurrentItem(item);
  BtEditClick();
}

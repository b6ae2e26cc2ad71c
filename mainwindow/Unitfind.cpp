#include "Unitfind.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

#include "DialogKit.h"
#include "Include.h"
#include "Qtexts.h"
#include "Settingsstorage.h"
#include "Skin.h"
#include "SubTypePaths.h"

namespace {

QString AccountName(CDataBase& db, std::uint32_t id) {
  const CAccountIndex* account = db.Accounts().Find(id);
  return account ? StoredToQString(db.GetString(account->record.nameId)) : QString();
}

QString CurrencyName(CDataBase& db, std::uint32_t account) {
  const CCurrencyIndex* currency = db.Currencies().Find(db.GetAccountCurrency(account));
  return currency ? StoredToQString(db.GetString(currency->record.nameId)) : QString();
}

// The account whose currency a transaction's amount is in.
std::uint32_t AmountAccount(const TransactionRecord& r) {
  return IsIncome(r) ? r.toAccount : r.fromAccount;
}

}  // namespace

// ---- CFindResultModel ----

CFindResultModel::CFindResultModel(QObject* parent) : QAbstractTableModel(parent) {}
CFindResultModel::~CFindResultModel() = default;

void CFindResultModel::Show(CDataBase* db, std::vector<std::uint32_t> ids) {
  beginResetModel();
  // Categories may have been added or renamed since the last search.
  paths_ = db ? std::make_unique<CSubTypePaths>(*db) : nullptr;
  db_ = db;
  ids_ = std::move(ids);
  if (titles_.isEmpty())
    titles_ = {LocalizedText(30616, "Date"), LocalizedText(30617, "Account"),
               LocalizedText(30618, "Description"), LocalizedText(30619, "Amount"),
               LocalizedText(30620, "Category")};
  endResetModel();
}

std::uint32_t CFindResultModel::IdAt(int row) const {
  return row >= 0 && static_cast<std::size_t>(row) < ids_.size() ? ids_[row] : 0;
}

int CFindResultModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(ids_.size());
}

int CFindResultModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant CFindResultModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || db_ == nullptr) return {};
  if (role == Qt::TextAlignmentRole && index.column() == kAmount)
    return QVariant(Qt::AlignRight | Qt::AlignVCenter);
  if (role != Qt::DisplayRole) return {};
  return Cell(IdAt(index.row()), index.column());
}

QString CFindResultModel::Cell(std::uint32_t id, int column) const {
  const auto entry = db_->Transactions().Find(id);
  if (entry == nullptr) return {};
  const TransactionRecord r = entry->record;
  switch (column) {
    case kDate:
      return ShortDateText(r.date);
    case kAccount:
      if (IsTransfer(r))
        return AccountName(*db_, r.fromAccount) + QStringLiteral(" → ") +
               AccountName(*db_, r.toAccount);
      return AccountName(*db_, AmountAccount(r));
    case kDescription:
      return StoredToQString(db_->GetString(r.descriptionId));
    case kAmount: {
      const Money amount = IsExpense(r) ? -r.amountOut : FindAmountOf(r);
      return Q(MoneyToStr(amount)) + ' ' + CurrencyName(*db_, AmountAccount(r));
    }
    case kCategory:
      return Q(paths_->PathOf(r.categoryId));
    default:
      return {};
  }
}

QVariant CFindResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= titles_.size()) return {};
  if (role == Qt::TextAlignmentRole && section == kAmount)
    return QVariant(Qt::AlignRight | Qt::AlignVCenter);
  return role == Qt::DisplayRole ? QVariant(titles_[section]) : QVariant();
}

// ---- TFormFind ----

TFormFind::TFormFind(CDataBase& db, QWidget* parent) : QDialog(parent), FDataBase(db) {
  setObjectName(QStringLiteral("FormFind"));
  setWindowTitle(LocalizedText(30601, "Find transactions"));
  setModal(false);
  auto named = [](auto* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
  };
  EdFindText = named(new QLineEdit(this), "EdFindText");
  EdFindText->setClearButtonEnabled(true);
  EdFindAmount = named(new QLineEdit(this), "EdFindAmount");
  EdFindAmount->setToolTip(LocalizedText(
      30628, "An amount (12.50), a range (100..200), more than (>50) or less than (<20)"));
  EdFindAmount->setPlaceholderText(QStringLiteral("100..200"));
  EdFindFrom = named(new QLineEdit(this), "EdFindFrom");
  EdFindTo = named(new QLineEdit(this), "EdFindTo");
  for (QLineEdit* box : {EdFindFrom, EdFindTo}) box->setPlaceholderText(ShortDateFormat());
  CbFindKind = named(new QComboBox(this), "CbFindKind");
  CbFindKind->addItems({LocalizedText(30610, "All"), LocalizedText(30611, "Expenses"),
                        LocalizedText(30612, "Incomes"), LocalizedText(30613, "Transfers")});
  CbFindAccount = named(new QComboBox(this), "CbFindAccount");
  CbFindCategory = named(new QComboBox(this), "CbFindCategory");
  ChFindSubCategories = named(new QCheckBox(LocalizedText(30609, "with sub-categories"), this),
                              "ChFindSubCategories");
  ChFindSubCategories->setChecked(true);

  FModel = new CFindResultModel(this);
  FindList = named(new QTreeView(this), "FindList");
  FindList->setModel(FModel);
  FindList->setRootIsDecorated(false);
  FindList->setUniformRowHeights(true);  // a million rows scroll without measuring each
  FindList->setAllColumnsShowFocus(true);
  FindList->setSelectionBehavior(QAbstractItemView::SelectRows);
  FindList->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // The description takes the room the other columns leave.
  FindList->header()->setStretchLastSection(false);
  FindList->header()->setSectionResizeMode(CFindResultModel::kDescription, QHeaderView::Stretch);
  LbFindTotal = named(new QLabel(this), "LbFindTotal");
  LbFindTotal->setWordWrap(true);
  BtFindOpen = named(new QPushButton(LocalizedText(30623, "&Open"), this), "BtFindOpen");
  BtFindShowMonth =
      named(new QPushButton(LocalizedText(30624, "Show in its &month"), this), "BtFindShowMonth");
  BtFindClose = named(new QPushButton(LocalizedText(30625, "Close"), this), "BtFindClose");
  for (QPushButton* b : {BtFindOpen, BtFindShowMonth, BtFindClose}) b->setAutoDefault(false);

  auto label = [this](std::uint32_t id, const char* text, QWidget* buddy) {
    auto* l = new QLabel(LocalizedText(id, text), this);
    l->setBuddy(buddy);
    return l;
  };
  auto* grid = new QGridLayout;
  grid->addWidget(label(30602, "Words:", EdFindText), 0, 0);
  grid->addWidget(EdFindText, 0, 1, 1, 5);
  grid->addWidget(label(30603, "Amount:", EdFindAmount), 1, 0);
  grid->addWidget(EdFindAmount, 1, 1);
  grid->addWidget(label(30604, "From:", EdFindFrom), 1, 2);
  grid->addWidget(EdFindFrom, 1, 3);
  grid->addWidget(label(30605, "To:", EdFindTo), 1, 4);
  grid->addWidget(EdFindTo, 1, 5);
  grid->addWidget(label(30607, "Account:", CbFindAccount), 2, 0);
  grid->addWidget(CbFindAccount, 2, 1);
  grid->addWidget(label(30606, "Kind:", CbFindKind), 2, 2);
  grid->addWidget(CbFindKind, 2, 3);
  grid->addWidget(label(30608, "Category:", CbFindCategory), 3, 0);
  grid->addWidget(CbFindCategory, 3, 1, 1, 3);
  grid->addWidget(ChFindSubCategories, 3, 4, 1, 2);
  grid->setColumnStretch(1, 2);
  grid->setColumnStretch(3, 1);
  grid->setColumnStretch(5, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(LbFindTotal, 1);
  buttons->addWidget(BtFindOpen);
  buttons->addWidget(BtFindShowMonth);
  buttons->addWidget(BtFindClose);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(FindList, 1);
  layout->addLayout(buttons);
  resize(820, 480);

  for (QLineEdit* box : {EdFindText, EdFindAmount, EdFindFrom, EdFindTo})
    connect(box, &QLineEdit::textChanged, this, &TFormFind::SearchChanged);
  for (QComboBox* box : {CbFindKind, CbFindAccount, CbFindCategory})
    connect(box, &QComboBox::currentIndexChanged, this, &TFormFind::SearchChanged);
  connect(ChFindSubCategories, &QCheckBox::toggled, this, &TFormFind::SearchChanged);
  connect(FindList, &QTreeView::doubleClicked, this, &TFormFind::BtFindOpenClick);
  connect(BtFindOpen, &QPushButton::clicked, this, &TFormFind::BtFindOpenClick);
  connect(BtFindShowMonth, &QPushButton::clicked, this, &TFormFind::BtFindShowMonthClick);
  connect(BtFindClose, &QPushButton::clicked, this, &TFormFind::close);
}

void TFormFind::Open() {
  FillAccounts();
  FillCategories();
  show();
  raise();
  activateWindow();
  EdFindText->setFocus();
  EdFindText->selectAll();
  // The texts are read while the window opens, not at the first key.
  QApplication::setOverrideCursor(Qt::WaitCursor);
  FIndex.Prepare(FDataBase);
  QApplication::restoreOverrideCursor();
  Research();
}

void TFormFind::FillAccounts() {
  FFileName = FDataBase.GetFileName();
  const QSignalBlocker block(CbFindAccount);
  const QVariant kept = CbFindAccount->currentData();
  CbFindAccount->clear();
  CbFindAccount->addItem(LocalizedText(30614, "Any account"), 0u);
  std::vector<std::pair<QString, std::uint32_t>> accounts;
  for (auto [id, entry] : FDataBase.Accounts())
    accounts.emplace_back(StoredToQString(FDataBase.GetString(entry->record.nameId)), id);
  std::sort(accounts.begin(), accounts.end());
  for (const auto& [name, id] : accounts) CbFindAccount->addItem(name, id);
  CbFindAccount->setCurrentIndex(std::max(0, CbFindAccount->findData(kept)));
}

void TFormFind::FillCategories() {
  const QSignalBlocker block(CbFindCategory);
  const QVariant kept = CbFindCategory->currentData();
  CbFindCategory->clear();
  CbFindCategory->addItem(LocalizedText(30615, "Any category"), 0u);
  const CSubTypePaths paths(FDataBase);
  // Expense categories first, then income and transfer ones, each by path.
  std::vector<std::tuple<int, QString, std::uint32_t>> rows;
  for (auto [id, entry] : FDataBase.SubTypes()) {
    const std::uint32_t root = paths.RootOf(id);
    const int group = root == kExpenseRoot ? 0 : root == kIncomeRoot ? 1 : 2;
    if (root == kExpenseRoot || root == kIncomeRoot || root == kTransferRoot)
      rows.emplace_back(group, Q(paths.PathOf(id)), id);
  }
  std::sort(rows.begin(), rows.end());
  for (const auto& [group, path, id] : rows) CbFindCategory->addItem(path, id);
  CbFindCategory->setCurrentIndex(std::max(0, CbFindCategory->findData(kept)));
}

void TFormFind::Mark(QLineEdit* box, bool wrong) {
  box->setStyleSheet(wrong ? QStringLiteral("QLineEdit { background: #ffd8d8; }") : QString());
}

bool TFormFind::ReadDate(QLineEdit* box, std::optional<Date>& out) {
  const QString text = box->text().trimmed();
  out.reset();
  if (text.isEmpty()) return true;
  const QDate day = QLocale().toDate(text, ShortDateFormat());
  if (!day.isValid()) return false;
  out =
      EncodeDate(day.year(), static_cast<unsigned>(day.month()), static_cast<unsigned>(day.day()));
  return true;
}

bool TFormFind::ReadQuery(CFindQuery& query) {
  query.text = EdFindText->text().toStdString();
  const NumberFormat format = GetSettings().GetNumberFormat();
  const bool amountOk = ParseAmountCondition(
      EdFindAmount->text().toStdString(),
      [&](const std::string& text) {
        const TTypedAmount a = ReadTypedAmount(text, 2, format);
        return a.state == TTypedAmountState::kComplete ? std::optional<Money>(a.value)
                                                       : std::nullopt;
      },
      query);
  const bool fromOk = ReadDate(EdFindFrom, query.from);
  const bool toOk = ReadDate(EdFindTo, query.to);
  Mark(EdFindAmount, !amountOk);
  Mark(EdFindFrom, !fromOk);
  Mark(EdFindTo, !toOk);
  if (!amountOk)
    LbFindTotal->setText(
        LocalizedText(30626, "The amount is not understood: write 12.50, 100..200, >50 or <20."));
  else if (!fromOk || !toOk)
    LbFindTotal->setText(
        LocalizedText(30627, "The date is not understood: write it as %1.").arg(ShortDateFormat()));
  query.kind = static_cast<EFindKind>(std::max(0, CbFindKind->currentIndex()));
  query.account = CbFindAccount->currentData().toUInt();
  query.category = CbFindCategory->currentData().toUInt();
  query.subCategories = ChFindSubCategories->isChecked();
  return amountOk && fromOk && toOk;
}

void TFormFind::SearchChanged() {
  Research();
}

void TFormFind::Research() {
  // Another database opened meanwhile has its own accounts and categories.
  if (FDataBase.IsOpened() && FDataBase.GetFileName() != FFileName) {
    FillAccounts();
    FillCategories();
  }
  CFindQuery query;
  if (!FDataBase.IsOpened() || !ReadQuery(query)) {
    FModel->Show(FDataBase.IsOpened() ? &FDataBase : nullptr, {});
    return;
  }
  CFindResult result = FIndex.Find(FDataBase, query);
  const long long count = static_cast<long long>(result.ids.size());
  QString sum = Q(MoneyToStr(result.sum));
  // The sum names its currency when every match is in the same one.
  const CCurrencyIndex* named = FDataBase.Currencies().Find(result.currency);
  if (named) sum += ' ' + StoredToQString(FDataBase.GetString(named->record.nameId));
  LbFindTotal->setText(
      Q(GetLocalizedCount(30621, "%1 transaction found|%1 transactions found", count)) +
      QStringLiteral("    ") + LocalizedText(30622, "Sum: %1").arg(sum));
  FModel->Show(&FDataBase, std::move(result.ids));
  if (count > 0) FindList->setCurrentIndex(FModel->index(0, 0));
  for (int c = 0; c < CFindResultModel::kColumnCount; ++c)
    if (c != CFindResultModel::kDescription) FindList->resizeColumnToContents(c);
}

std::uint32_t TFormFind::CurrentId() const {
  return FModel->IdAt(FindList->currentIndex().row());
}

void TFormFind::BtFindOpenClick() {
  if (const std::uint32_t id = CurrentId()) emit OpenTransaction(id);
}

void TFormFind::BtFindShowMonthClick() {
  if (const std::uint32_t id = CurrentId()) emit ShowInMonth(id);
}

void TFormFind::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      BtFindOpenClick();
      return;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
      // The arrows move in the list while the cursor is in a box.
      if (!FindList->hasFocus()) {
        QKeyEvent copy(event->type(), event->key(), event->modifiers());
        QCoreApplication::sendEvent(FindList, &copy);
        return;
      }
      break;
    default:
      break;
  }
  QDialog::keyPressEvent(event);
}

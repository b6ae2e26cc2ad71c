#include "Unitimportreview.h"

#include <QBrush>
#include <QColor>
#include <QHeaderView>
#include <QMenu>
#include <QVBoxLayout>
#include <algorithm>

#include "Companion.h"
#include "DialogKit.h"
#include "ImportLogic.h"
#include "Include.h"
#include "Qtexts.h"
#include "RulesLogic.h"
#include "Skin.h"
#include "Unitbulkedit.h"
#include "Unitrules.h"

namespace {

// The row's amount as the account sees it: money out negative.
QString SignedAmount(const TransactionRecord& record) {
  if (record.fromAccount != 0) return Q(MoneyToStr(-record.amountOut));
  return Q(MoneyToStr(record.amountIn));
}

// Refused rows first, then duplicates, then new rows with a note (such as
// a positive amount taken as an expense), then the others.
int Rank(const CPlannedRow& row) {
  if (row.status == ERowStatus::kRefused) return 0;
  if (row.status == ERowStatus::kDuplicate) return 1;
  return row.reason == 0 ? 3 : 2;
}

}  // namespace

// ---- The table of rows ----

TImportReviewModel::TImportReviewModel(CImportPlan& plan, bool entries, QObject* parent)
    : QAbstractTableModel(parent), plan_(plan), entries_(entries), order_(plan.rows.size()) {
  for (std::size_t i = 0; i < order_.size(); ++i) order_[i] = i;
  // The rows that may explain a difference from the bank come first.
  std::vector<std::uint8_t> rank(plan.rows.size());
  for (std::size_t i = 0; i < rank.size(); ++i)
    rank[i] = static_cast<std::uint8_t>(Rank(plan.rows[i]) + 1);
  for (std::size_t i : plan.balance.suspects) rank[i] = 0;
  std::stable_sort(order_.begin(), order_.end(),
                   [&rank](std::size_t a, std::size_t b) { return rank[a] < rank[b]; });
  all_ = order_;
  RefreshSuspects();
}

void TImportReviewModel::ShowUncategorizedOnly(bool only) {
  beginResetModel();
  order_.clear();
  for (std::size_t i : all_)
    if (!only ||
        (plan_.rows[i].status != ERowStatus::kRefused && plan_.rows[i].record.categoryId == 0))
      order_.push_back(i);
  endResetModel();
}

void TImportReviewModel::RefreshCategories() {
  if (!order_.empty())
    emit dataChanged(index(0, kDescription),
                     index(static_cast<int>(order_.size()) - 1, kCategoryFrom), {Qt::DisplayRole});
}

void TImportReviewModel::RefreshSuspects() {
  suspect_.assign(plan_.rows.size(), false);
  for (std::size_t i : plan_.balance.suspects) suspect_[i] = true;
  if (!order_.empty())
    emit dataChanged(index(0, 0), index(static_cast<int>(order_.size()) - 1, kColumnCount - 1),
                     {Qt::BackgroundRole});
}

int TImportReviewModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(order_.size());
}

int TImportReviewModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant TImportReviewModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const std::size_t at = order_[static_cast<std::size_t>(index.row())];
  const CPlannedRow& row = plan_.rows[at];
  const bool refused = row.status == ERowStatus::kRefused;
  if (role == Qt::BackgroundRole)
    return suspect_[at] ? QVariant(QBrush(QColor(255, 236, 160))) : QVariant();
  if (role == Qt::CheckStateRole && index.column() == kLine && !refused)
    return row.include ? Qt::Checked : Qt::Unchecked;
  if (role == Qt::ForegroundRole && index.column() == kStatus) {
    if (refused) return QBrush(QColor(176, 0, 0));
    if (row.status == ERowStatus::kDuplicate) return QBrush(QColor(160, 96, 0));
    return {};
  }
  if (role == Qt::TextAlignmentRole && index.column() == kAmount)
    return QVariant(Qt::AlignRight | Qt::AlignVCenter);
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
  switch (index.column()) {
    case kLine:
      return QString::number(static_cast<qulonglong>(row.line));
    case kStatus:
      return refused                                ? LocalizedText(30580, "refused")
             : row.status == ERowStatus::kDuplicate ? LocalizedText(30579, "duplicate")
                                                    : LocalizedText(30578, "new");
    case kDate:
      return row.record.date != 0 ? Q(FormatShortDate(row.record.date)) : QString();
    case kAmount:
      // A refused row shows the amount it was read with, if any: it may be
      // what the books miss against the bank.
      if (refused) return row.amount != 0 ? Q(MoneyToStr(row.amount)) : QString();
      return SignedAmount(row.record);
    case kDescription:
      return StoredToQString(std::string(plan_.Description(row)));
    case kCategory: {
      if (refused) return QString();
      // The category's path, then the member and the section it gets.
      std::string text;
      for (std::uint32_t id : {row.record.categoryId, row.record.memberId, row.record.sectionId}) {
        if (id == 0) continue;
        if (!text.empty()) text += " \u00B7 ";  // a middle dot
        text += names_ != nullptr ? names_->PathOf(id) : std::to_string(id);
      }
      return Q(text);
    }
    case kCategoryFrom:
      return refused ? QString() : Q(CategorySourceText(plan_.Text(row.why)));
    case kReason:
      return Q(std::string(plan_.Reason(row)));
    default:
      return {};
  }
}

QVariant TImportReviewModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const std::pair<std::uint32_t, const char*> kTitles[kColumnCount] = {
      {30572, "Line"},        {30573, "Status"},   {30574, "Date"},          {30575, "Amount"},
      {30576, "Description"}, {30680, "Category"}, {30681, "Category from"}, {30577, "Reason"}};
  if (section == kLine && entries_) return LocalizedText(30586, "Entry");
  return section >= 0 && section < kColumnCount
             ? LocalizedText(kTitles[section].first, kTitles[section].second)
             : QVariant();
}

Qt::ItemFlags TImportReviewModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (index.isValid() && index.column() == kLine &&
      plan_.rows[order_[static_cast<std::size_t>(index.row())]].status != ERowStatus::kRefused)
    flags |= Qt::ItemIsUserCheckable;
  return flags;
}

bool TImportReviewModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::CheckStateRole || index.column() != kLine) return false;
  CPlannedRow& row = plan_.rows[order_[static_cast<std::size_t>(index.row())]];
  if (row.status == ERowStatus::kRefused) return false;
  row.include = value.toInt() == Qt::Checked;
  emit dataChanged(index, index, {Qt::CheckStateRole});
  emit IncludedChanged();
  return true;
}

// ---- The window ----

TFormImportReview::TFormImportReview(QWidget* parent) : QDialog(parent) {
  QFont windowFont(ArialFamily());
  windowFont.setPixelSize(13);
  setFont(windowFont);
  setWindowTitle(LocalizedText(30570, "Review Import"));
  LbCounts = new QLabel(this);
  LbCounts->setObjectName("LbCounts");
  LbCounts->setWordWrap(true);
  LbBalance = new QLabel(this);
  LbBalance->setObjectName("LbBalance");
  CbUncategorized = new QCheckBox(LocalizedText(30682, "&Uncategorized only"), this);
  CbUncategorized->setObjectName("CbUncategorized");
  ReviewGrid = new QTableView(this);
  ReviewGrid->setObjectName("ReviewGrid");
  ReviewGrid->verticalHeader()->hide();
  ReviewGrid->verticalHeader()->setDefaultSectionSize(ReviewGrid->fontMetrics().height() + 6);
  ReviewGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
  ReviewGrid->horizontalHeader()->setStretchLastSection(true);
  ReviewGrid->setWordWrap(false);
  ReviewGrid->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(ReviewGrid, &QWidget::customContextMenuRequested, this, &TFormImportReview::GridMenu);
  BtCategory = Named(new QPushButton(LocalizedText(30684, "Set &category..."), this), "BtCategory");
  BtCategory->setToolTip(
      LocalizedText(30685, "Choose the category, member and section of the selected rows"));
  connect(BtCategory, &QPushButton::clicked, this, &TFormImportReview::BtCategoryClick);
  BtMakeRule = Named(new QPushButton(LocalizedText(30690, "Make a &rule from this row..."), this),
                     "BtMakeRule");
  connect(BtMakeRule, &QPushButton::clicked, this, &TFormImportReview::BtMakeRuleClick);
  const TOkCancel okCancel = MakeOkCancel(this);
  BtOk = okCancel.ok;
  BtOk->setText(LocalizedText(30571, "&Import"));
  BtCancel = okCancel.cancel;
  BtCancel->setText(LocalizedText(2, "Cancel"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(LbCounts);
  layout->addWidget(LbBalance);
  auto* tools = new QHBoxLayout;
  tools->addWidget(CbUncategorized);
  tools->addStretch(1);
  tools->addWidget(BtCategory);
  tools->addWidget(BtMakeRule);
  layout->addLayout(tools);
  layout->addWidget(ReviewGrid, 1);
  layout->addLayout(okCancel.row);
  resize(1120, 460);
  connect(BtOk, &QPushButton::clicked, this, &QDialog::accept);
}

bool TFormImportReview::Execute(CImportPlan& plan, const std::string& fileName, bool entries,
                                const CSubTypePaths* names, CDataBase* db) {
  FPlan = &plan;
  FNames = names;
  FDb = names != nullptr ? db : nullptr;
  BtCategory->setVisible(FDb != nullptr);
  BtMakeRule->setVisible(FDb != nullptr);
  FAccount = 0;
  for (const CPlannedRow& row : plan.rows)
    if (row.status != ERowStatus::kRefused && FAccount == 0)
      FAccount = row.record.fromAccount != 0 ? row.record.fromAccount : row.record.toAccount;
  FFileName = fileName;
  auto* model = new TImportReviewModel(plan, entries, ReviewGrid);
  model->SetNames(names);
  FModel = model;
  CbUncategorized->setChecked(false);
  connect(CbUncategorized, &QCheckBox::toggled, model, &TImportReviewModel::ShowUncategorizedOnly);
  ReviewGrid->setModel(model);
  connect(ReviewGrid->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &TFormImportReview::SelectionChanged);
  SelectionChanged();
  connect(model, &TImportReviewModel::IncludedChanged, this, [this]() {
    CheckStatementBalance(*FPlan);
    FModel->RefreshSuspects();
    ShowCounts();
  });
  // Widths from the first rows only: a long file is not measured whole.
  const QFontMetrics metrics = ReviewGrid->fontMetrics();
  ReviewGrid->setColumnWidth(TImportReviewModel::kLine, metrics.horizontalAdvance("000000") + 32);
  ReviewGrid->setColumnWidth(TImportReviewModel::kStatus,
                             metrics.horizontalAdvance(LocalizedText(30579, "duplicate")) + 16);
  ReviewGrid->setColumnWidth(TImportReviewModel::kDate,
                             metrics.horizontalAdvance("00/00/0000") + 16);
  ReviewGrid->setColumnWidth(TImportReviewModel::kAmount,
                             metrics.horizontalAdvance("-0,000,000.00") + 16);
  ReviewGrid->setColumnWidth(TImportReviewModel::kDescription, 220);
  ReviewGrid->setColumnWidth(TImportReviewModel::kCategory, 150);
  ReviewGrid->setColumnWidth(
      TImportReviewModel::kCategoryFrom,
      metrics.horizontalAdvance(Q(CategorySourceText("like 99 earlier transactions"))) + 16);
  ShowCounts();
  const bool confirmed = exec() == QDialog::Accepted;
  ReviewGrid->setModel(nullptr);
  delete model;
  FModel = nullptr;
  FPlan = nullptr;
  return confirmed;
}

void TFormImportReview::ShowCounts() {
  const std::size_t included = FPlan->CountIncluded();
  QString text = Q(FFileName) + QStringLiteral(": ") +
                 Q(ExchangeCountText(EExchangeCount::kRows, FPlan->rows.size())) +
                 QStringLiteral(", ") + Q(PlanCountsText(*FPlan)) + QStringLiteral(".\n") +
                 Q(ExchangeCountText(EExchangeCount::kToImport, included));
  if (FPlan->CountOf(ERowStatus::kDuplicate) > 0)
    text += QStringLiteral(" ") + LocalizedText(30581, "Duplicates are skipped unless checked.");
  if (FPlan->CountOf(ERowStatus::kRefused) > 0)
    text += QStringLiteral(" ") +
            LocalizedText(30582, "Refused rows cannot be imported; the reason says why.");
  LbCounts->setText(text);
  BtOk->setEnabled(included > 0);
  ShowBalance();
}

void TFormImportReview::ShowBalance() {
  const std::string text = StatementBalanceText(FPlan->balance);
  LbBalance->setVisible(!text.empty());
  LbBalance->setText(Q(text));
  // A difference is a warning and stands out; agreement is good news.
  LbBalance->setStyleSheet(FPlan->balance.difference != 0
                               ? QStringLiteral("QLabel { color: #a04000; font-weight: bold; }")
                               : QStringLiteral("QLabel { color: #006000; }"));
  layout()->activate();  // the line may have grown a second one
}

std::vector<std::size_t> TFormImportReview::SelectedRows() const {
  std::vector<std::size_t> rows;
  if (FModel == nullptr) return rows;
  for (const QModelIndex& index : ReviewGrid->selectionModel()->selectedRows()) {
    const std::size_t at = FModel->PlanRow(index.row());
    if (FPlan->rows[at].status != ERowStatus::kRefused) rows.push_back(at);
  }
  std::sort(rows.begin(), rows.end());
  return rows;
}

void TFormImportReview::SelectionChanged() {
  const std::size_t selected = SelectedRows().size();
  BtCategory->setEnabled(FDb != nullptr && selected > 0);
  BtMakeRule->setEnabled(FDb != nullptr && selected == 1);
}

void TFormImportReview::BtCategoryClick() {
  const std::vector<std::size_t> rows = SelectedRows();
  if (FDb == nullptr || rows.empty()) return;
  std::set<std::uint32_t> roots;
  for (std::size_t at : rows) roots.insert(CategoryRootFor(FPlan->rows[at].record));
  TFormBulkEdit choice(this);
  TBulkChange change;
  const auto check = [&](const TBulkChange& chosen) {
    return CheckPlannedChoice(*FPlan, rows, chosen, *FNames);
  };
  if (!choice.Choose(*FDb, roots, rows.size(), check, change)) return;
  SetPlannedChoice(*FPlan, rows, change);
  FModel->RefreshCategories();
}

void TFormImportReview::GridMenu(const QPoint& at) {
  if (FDb == nullptr || SelectedRows().empty()) return;
  QMenu menu(this);
  menu.addAction(BtCategory->text(), this, &TFormImportReview::BtCategoryClick);
  if (BtMakeRule->isEnabled())
    menu.addAction(BtMakeRule->text(), this, &TFormImportReview::BtMakeRuleClick);
  menu.exec(ReviewGrid->viewport()->mapToGlobal(at));
}

void TFormImportReview::BtMakeRuleClick() {
  const std::vector<std::size_t> rows = SelectedRows();
  if (FDb == nullptr || rows.size() != 1) return;
  const CPlannedRow& row = FPlan->rows[rows[0]];
  const TransactionRecord& r = row.record;
  const bool expense = r.fromAccount != 0;
  CImportRule made;
  if (!MakeRuleFromRow(this, *FDb,
                       RuleFromRow(FPlan->Description(row), r.amountOut, expense, FAccount,
                                   r.categoryId, r.memberId, r.sectionId),
                       &made))
    return;
  // The new rule is the last; the rows it matches take it at once.
  CCompanion companion;
  companion.Load(FDb->GetFileName());
  ApplyNewRule(*FPlan, made, companion.Rules().size(), FAccount, *FNames);
  FModel->RefreshCategories();
}

#include "Unitimportreview.h"

#include <QHeaderView>
#include <QVBoxLayout>

#include "DialogKit.h"
#include "ImportLogic.h"
#include "Include.h"
#include "Qtexts.h"
#include "Skin.h"

namespace {

enum TReviewColumn { kLine, kStatus, kDate, kAmount, kDescription, kReason, kReviewColumns };

// The row's amount as the account sees it: money out negative.
QString SignedAmount(const CTransactionItem& item) {
  if (item.record.fromAccount != 0) return Q(MoneyToStr(-item.record.amountOut));
  return Q(MoneyToStr(item.record.amountIn));
}

QTableWidgetItem* Cell(const QString& text) {
  auto* cell = new QTableWidgetItem(text);
  cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  return cell;
}

}  // namespace

TFormImportReview::TFormImportReview(QWidget* parent) : QDialog(parent) {
  QFont windowFont(ArialFamily());
  windowFont.setPixelSize(13);
  setFont(windowFont);
  setWindowTitle(QStringLiteral("Review Import"));
  LbCounts = new QLabel(this);
  LbCounts->setObjectName("LbCounts");
  LbCounts->setWordWrap(true);
  ReviewGrid = new QTableWidget(0, kReviewColumns, this);
  ReviewGrid->setObjectName("ReviewGrid");
  ReviewGrid->setHorizontalHeaderLabels({QStringLiteral("Line"), QStringLiteral("Status"),
                                         QStringLiteral("Date"), QStringLiteral("Amount"),
                                         QStringLiteral("Description"), QStringLiteral("Reason")});
  ReviewGrid->verticalHeader()->hide();
  ReviewGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
  ReviewGrid->horizontalHeader()->setStretchLastSection(true);
  ReviewGrid->setWordWrap(false);
  const TOkCancel okCancel = MakeOkCancel(this);
  BtOk = okCancel.ok;
  BtOk->setText(QStringLiteral("Import"));
  BtCancel = okCancel.cancel;
  BtCancel->setText(QStringLiteral("Cancel"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(LbCounts);
  layout->addWidget(ReviewGrid, 1);
  layout->addLayout(okCancel.row);
  resize(760, 420);
  connect(BtOk, &QPushButton::clicked, this, &QDialog::accept);
  connect(ReviewGrid, &QTableWidget::itemChanged, this, &TFormImportReview::ReviewGridChange);
}

bool TFormImportReview::Execute(CImportPlan& plan, const std::string& fileName) {
  FPlan = &plan;
  FFileName = fileName;
  FRows.clear();
  ReviewGrid->blockSignals(true);
  ReviewGrid->setRowCount(0);
  for (std::size_t i = 0; i < plan.rows.size(); ++i)
    if (plan.rows[i].status != ERowStatus::kNew) FRows.push_back(i);
  ReviewGrid->setRowCount(static_cast<int>(FRows.size()));
  for (std::size_t r = 0; r < FRows.size(); ++r) {
    const CPlannedRow& row = plan.rows[FRows[r]];
    const int at = static_cast<int>(r);
    const bool duplicate = row.status == ERowStatus::kDuplicate;
    QTableWidgetItem* line = Cell(QString::number(static_cast<qulonglong>(row.line)));
    if (duplicate) {
      line->setFlags(line->flags() | Qt::ItemIsUserCheckable);
      line->setCheckState(row.include ? Qt::Checked : Qt::Unchecked);
      line->setToolTip(QStringLiteral("Check to import this row all the same"));
    }
    ReviewGrid->setItem(at, kLine, line);
    ReviewGrid->setItem(at, kStatus,
                        Cell(duplicate ? QStringLiteral("duplicate") : QStringLiteral("refused")));
    const bool dated = row.item.record.date != 0;
    ReviewGrid->setItem(at, kDate,
                        Cell(dated ? Q(FormatShortDate(row.item.record.date)) : QString()));
    ReviewGrid->setItem(at, kAmount, Cell(duplicate ? SignedAmount(row.item) : QString()));
    ReviewGrid->setItem(at, kDescription, Cell(StoredToQString(row.item.description)));
    ReviewGrid->setItem(at, kReason, Cell(Q(row.reason)));
    if (!duplicate) ReviewGrid->item(at, kStatus)->setForeground(QColor(176, 0, 0));
  }
  ReviewGrid->blockSignals(false);
  ReviewGrid->resizeColumnsToContents();
  ReviewGrid->setColumnWidth(kDescription, std::min(ReviewGrid->columnWidth(kDescription), 260));
  ShowCounts();
  const bool confirmed = exec() == QDialog::Accepted;
  FPlan = nullptr;
  return confirmed;
}

void TFormImportReview::ReviewGridChange(QTableWidgetItem* item) {
  if (FPlan == nullptr || item->column() != kLine) return;
  const std::size_t at = static_cast<std::size_t>(item->row());
  if (at >= FRows.size()) return;
  CPlannedRow& row = FPlan->rows[FRows[at]];
  if (row.status != ERowStatus::kDuplicate) return;
  row.include = item->checkState() == Qt::Checked;
  ShowCounts();
}

void TFormImportReview::ShowCounts() {
  const std::size_t included = FPlan->CountIncluded();
  QString text = QStringLiteral("%1: %2 rows, %3.")
                     .arg(Q(FFileName))
                     .arg(static_cast<qulonglong>(FPlan->rows.size()))
                     .arg(Q(PlanCountsText(*FPlan)));
  text +=
      QStringLiteral("\n%1 transactions will be imported.").arg(static_cast<qulonglong>(included));
  if (FPlan->CountOf(ERowStatus::kDuplicate) > 0)
    text += QStringLiteral(" Duplicates are skipped unless checked.");
  if (FPlan->CountOf(ERowStatus::kRefused) > 0)
    text += QStringLiteral(" Refused rows are not imported.");
  LbCounts->setText(text);
  BtOk->setEnabled(included > 0);
}

// TFormImportReview: what an import will do, shown before anything is
// stored: the counts and every row of the file, those that cannot be
// imported (with the reason) and those that match a stored transaction
// first; and, for a statement that gives the bank's balance, that balance
// beside the books' after the import, with the rows that most likely
// explain a difference highlighted. A row's check box says whether it is stored: duplicates start
// unchecked, new rows checked; refused rows have none.
#pragma once

#include <QAbstractTableModel>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <string>
#include <vector>

#include "Importer.h"
#include "SubTypePaths.h"

// The plan's rows as a table, problems first: refused, duplicates, new
// rows with a note, the other new rows.
// Column 0 carries the include check box.
class TImportReviewModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum TColumn {
    kLine,
    kStatus,
    kDate,
    kAmount,
    kDescription,
    kCategory,
    kCategoryFrom,
    kReason,
    kColumnCount
  };

  // `entries`: the rows are an OFX statement's entries, not lines of a file.
  TImportReviewModel(CImportPlan& plan, bool entries, QObject* parent);
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  // The rows are highlighted again (after the balance check changed).
  void RefreshSuspects();
  // Names the rows' categories, members and sections (none: ids only).
  void SetNames(const CSubTypePaths* names) { names_ = names; }
  // Shows only the rows that will be stored without a category, or all.
  void ShowUncategorizedOnly(bool only);
  // The plan row a table row shows.
  std::size_t PlanRow(int row) const { return order_[static_cast<std::size_t>(row)]; }
  // The rows show their description, category, member, section and its
  // source again.
  void RefreshCategories();

 signals:
  void IncludedChanged();

 private:
  CImportPlan& plan_;
  bool entries_;
  const CSubTypePaths* names_ = nullptr;
  std::vector<std::size_t> all_;    // every plan row, in the order shown
  std::vector<std::size_t> order_;  // the plan row each table row shows
  std::vector<bool> suspect_;       // by plan row: may explain a difference
};

class TFormImportReview : public QDialog {
  Q_OBJECT

 public:
  explicit TFormImportReview(QWidget* parent = nullptr);

  // Shows the plan of the import of `fileName` (`entries`: an OFX
  // statement's). True when the user confirms; the rows' include flags in
  // `plan` are then those checked.
  // `names` (may be null) names the categories the rows get; with `db` the
  // user can choose the category, member and section of rows.
  bool Execute(CImportPlan& plan, const std::string& fileName, bool entries = false,
               const CSubTypePaths* names = nullptr, CDataBase* db = nullptr);

 private:
  void ShowCounts();
  void ShowBalance();
  // The plan rows of the selected table rows that will be stored or could be.
  std::vector<std::size_t> SelectedRows() const;
  void SelectionChanged();
  void BtCategoryClick();
  void BtMakeRuleClick();
  void GridMenu(const QPoint& at);

  CImportPlan* FPlan = nullptr;  // during Execute
  const CSubTypePaths* FNames = nullptr;
  CDataBase* FDb = nullptr;
  std::uint32_t FAccount = 0;  // the account the rows go to
  std::string FFileName;

  // The controls, each named by its objectName.
  QLabel* LbCounts = nullptr;
  QCheckBox* CbUncategorized = nullptr;
  QLabel* LbBalance = nullptr;  // the bank's balance beside the books'
  TImportReviewModel* FModel = nullptr;
  QTableView* ReviewGrid = nullptr;
  QPushButton* BtCategory = nullptr;
  QPushButton* BtMakeRule = nullptr;
  QPushButton* BtOk = nullptr;
  QPushButton* BtCancel = nullptr;
};

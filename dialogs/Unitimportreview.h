// TFormImportReview: what an import will do, shown before anything is
// stored: the counts, every row that cannot be imported with its reason,
// and every row that matches a stored transaction, with a check box that
// includes it after all.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <string>
#include <vector>

#include "Importer.h"

class TFormImportReview : public QDialog {
  Q_OBJECT

 public:
  explicit TFormImportReview(QWidget* parent = nullptr);

  // Shows the plan of the import of `fileName`. True when the user confirms;
  // the duplicates' include flags in `plan` are then those checked.
  bool Execute(CImportPlan& plan, const std::string& fileName);

 private slots:
  void ReviewGridChange(QTableWidgetItem* item);

 private:
  void ShowCounts();

  CImportPlan* FPlan = nullptr;  // during Execute
  std::string FFileName;
  std::vector<std::size_t> FRows;  // the plan row each grid row shows

  // The controls, each named by its objectName.
  QLabel* LbCounts = nullptr;
  QTableWidget* ReviewGrid = nullptr;
  QPushButton* BtOk = nullptr;
  QPushButton* BtCancel = nullptr;
};

// TFormFind: finding transactions in the whole database. A non-modal window
// of the main window (Ctrl+F): the words box searches as they are typed, the
// other boxes narrow the search; the list shows every match with their count
// and sum. Enter or a double click asks the main window to open the editor
// on a match; "Show in its month" asks it to show the match's month.
#pragma once

#include <QAbstractTableModel>
#include <QDialog>
#include <memory>

#include "Find.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;
class CSubTypePaths;

// The rows of the result list, made when they are shown.
class CFindResultModel : public QAbstractTableModel {
 public:
  enum Column { kDate, kAccount, kDescription, kAmount, kCategory, kColumnCount };
  explicit CFindResultModel(QObject* parent);
  ~CFindResultModel() override;
  // Shows `ids` of `db`; the texts are read when a row is first drawn.
  void Show(CDataBase* db, std::vector<std::uint32_t> ids);
  std::uint32_t IdAt(int row) const;
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  QString Cell(std::uint32_t id, int column) const;
  CDataBase* db_ = nullptr;
  std::vector<std::uint32_t> ids_;
  std::unique_ptr<CSubTypePaths> paths_;  // category paths of db_
  QStringList titles_;
};

class TFormFind : public QDialog {
  Q_OBJECT

 public:
  TFormFind(CDataBase& db, QWidget* parent);
  // Refills the account and category boxes from the database, shows the
  // window and puts the cursor in the words box.
  void Open();
  // Runs the search again (after a transaction was changed).
  void Research();
  // The transaction of the current row, 0 when none.
  std::uint32_t CurrentId() const;

 signals:
  void OpenTransaction(std::uint32_t id);
  void ShowInMonth(std::uint32_t id);

 public slots:
  void SearchChanged();
  void BtFindOpenClick();
  void BtFindShowMonthClick();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void FillAccounts();
  void FillCategories();
  // The query of the boxes; false (with the reason shown) when a box
  // cannot be read.
  bool ReadQuery(CFindQuery& query);
  bool ReadDate(QLineEdit* box, std::optional<Date>& out);
  void Mark(QLineEdit* box, bool wrong);

  CDataBase& FDataBase;
  CFindIndex FIndex;
  CFindResultModel* FModel = nullptr;
  std::string FFileName;  // the database the account and category boxes were filled from

 public:
  QLineEdit* EdFindText = nullptr;
  QLineEdit* EdFindAmount = nullptr;
  QLineEdit* EdFindFrom = nullptr;
  QLineEdit* EdFindTo = nullptr;
  QComboBox* CbFindKind = nullptr;
  QComboBox* CbFindAccount = nullptr;
  QComboBox* CbFindCategory = nullptr;
  QCheckBox* ChFindSubCategories = nullptr;
  QTreeView* FindList = nullptr;
  QLabel* LbFindTotal = nullptr;
  QPushButton* BtFindOpen = nullptr;
  QPushButton* BtFindShowMonth = nullptr;
  QPushButton* BtFindClose = nullptr;
};

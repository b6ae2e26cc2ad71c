// TFormImport: reads a bank statement (a delimited text file or an OFX/QFX
// statement) into an account. The preview shows the file as it will be
// read, each column with its meaning and formats; nothing is stored until
// the review of what will be imported, refused and skipped as a duplicate
// is confirmed. The window is kept for the whole run and keeps its choices
// between uses; they are stored in the settings too.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <cstdint>
#include <string>
#include <vector>

#include "ImportLogic.h"
#include "Omrindb.h"
#include "SeparatorGroup.h"

class TUpDown;

class TFormImport : public QDialog {
  Q_OBJECT

 public:
  explicit TFormImport(QWidget* parent = nullptr);

  // Shows the window with `account` chosen (when it exists). True when an
  // import stored transactions; the ids are then kept as the last import.
  bool Execute(CDataBase& database, std::uint32_t account);

  // The choices the controls show.
  TImportChoices Choices() const;
  // The columns as the preview shows them.
  const std::vector<CColumnFormat>& Columns() const { return FColumns; }

 protected:
  // Closing the window in any way keeps its choices in the settings.
  void done(int result) override;

 private slots:
  void EdFileNameChange();
  void SeparatorClick();
  void BtBrowseClick();
  void EdRowNumChange();
  void RowUpDownChange(int value);
  void CBEncodingChange();
  void PreviewGridSelect();
  void CBTypeChange(int index);
  void CBDateOrderChange(int index);
  void CBAmountStyleChange(int index);
  void CBSumRoleChange(int index);
  void CBOutMarkChange(int index);
  void CBOfxDateChange();
  void BtRefreshClick();
  void BtImportClick();

 private:
  void CreateControls();
  QWidget* CreateFileTab();
  QWidget* CreateColumnsTab();
  QWidget* CreateAccountTab();
  QWidget* CreateAdvancedTab();
  void ShowChoices(const TImportChoices& choices);
  void FillAccounts(std::uint32_t account);
  // Looks at the named file: an OFX statement, or a delimited file whose
  // encoding and separator are detected and shown when `detectFormats`.
  void ExamineFile(bool detectFormats);
  // Reads the file (its first rows for the preview, all of it for the
  // import) as the controls say. False with the reason.
  bool ReadTable(std::size_t maxRows, CSourceTable& table, std::string& error) const;
  // Fills the preview grid from FPreview.
  void ShowPreview();
  void ShowColumnHeader(int column);
  void ShowColumnChoices();
  std::size_t FirstRow() const;
  EDateOrder FallbackDateOrder() const;
  char FallbackDecimal() const;
  // Whether the date column's order is a guess the user has not confirmed.
  bool DateOrderGuessed(const CSourceTable& table, std::size_t column) const;
  // Asks what the file does not tell: the order of ambiguous dates and which
  // of two amount columns is money out. False when the user cancels.
  bool AskWhatTheFileDoesNotTell(const CSourceTable& table);
  // Stores the reviewed plan, with a progress window for a long one, and
  // tells the user what was stored. True when something was.
  bool Apply(const CImportPlan& plan, const CImportOptions& options, CFitIdStore& fitIds);

  CDataBase* FDb = nullptr;  // during Execute
  CSourceTable FPreview;     // the rows the preview shows
  std::string FPreviewError;
  std::vector<CColumnFormat> FColumns;  // the meaning of each column
  bool FOfx = false;                    // the file is an OFX/QFX statement
  std::string FExamined;                // the file ExamineFile looked at last
  int FColumn = -1;                     // the column selected in the preview
  bool FShowing = false;                // the controls are being filled
  bool FDateOrderSure = false;          // the user chose or confirmed the date order

  // The controls, each named by its objectName.
  QTabWidget* PageControl = nullptr;
  QLineEdit* EdFileName = nullptr;
  QPushButton* BtBrowse = nullptr;
  QGroupBox* GBSeparator = nullptr;
  QRadioButton* RbSeparator1 = nullptr;
  QRadioButton* RbSeparator2 = nullptr;
  QRadioButton* RbSeparator3 = nullptr;
  QRadioButton* RbSeparatorCustom = nullptr;
  QLineEdit* EdSeparator = nullptr;
  TSeparatorControls FSeparator;  // the controls above, with their rules
  QComboBox* CBEncoding = nullptr;
  QLabel* LbFileKind = nullptr;
  QComboBox* CBType = nullptr;
  QLabel* LbColumnHint = nullptr;
  QComboBox* CBDateOrder = nullptr;
  QComboBox* CBAmountStyle = nullptr;
  QComboBox* CBSumRole = nullptr;
  QComboBox* CBOutMark = nullptr;
  QLabel* LbOfxDate = nullptr;
  QComboBox* CBOfxDate = nullptr;
  QComboBox* CBAccounts = nullptr;
  QRadioButton* RbExpense = nullptr;
  QRadioButton* RbIncome = nullptr;
  QRadioButton* RbAuto = nullptr;
  QCheckBox* CbCreateTypes = nullptr;
  QLineEdit* EdRowNum = nullptr;
  TUpDown* RowUpDown = nullptr;
  QGroupBox* GBPreview = nullptr;
  QTableWidget* PreviewGrid = nullptr;
  QPushButton* BtImport = nullptr;
  QPushButton* BtCancel = nullptr;
  QPushButton* BtRefresh = nullptr;
};

// The up-down control beside a number box: two arrow buttons that step a
// value within a range.
class TUpDown : public QWidget {
  Q_OBJECT

 public:
  TUpDown(int minimum, int maximum, QWidget* parent = nullptr);
  int value() const { return value_; }
  // Sets the value (kept in the range); valueChanged follows a change.
  void setValue(int value);

 signals:
  void valueChanged(int value);

 private:
  int minimum_, maximum_, value_;
};

// TFormExchangeRate: two lists of currencies side by side and the rate
// between the pair chosen in them. Every change of the rate is stored at
// once; there is no Cancel.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <string>

#include "Omrindb.h"

class TFormExchangeRate : public QDialog {
  Q_OBJECT

 public:
  explicit TFormExchangeRate(QWidget* parent = nullptr);

  // Shows the window on `database` with the first currency chosen in both
  // lists; `linesImage` is the strip picture the rows are drawn from. A null
  // picture logs "[ExchangeRate window] Not initialized!" and shows nothing.
  void Execute(CDataBase& database, const QPixmap& linesImage);

 private slots:
  // A currency was chosen in either list: shows the pair's rate.
  void CurrenciesListClick();
  // Stores the rate the box shows, while the user is editing it.
  void EdRateValueChange();

 private:
  // The controls, each named by its objectName.
  QLabel* LbCurrency1 = nullptr;
  QLabel* LbCurrency2 = nullptr;
  QListWidget* CurrenciesList1 = nullptr;
  QListWidget* CurrenciesList2 = nullptr;
  QLabel* Label1 = nullptr;
  QLineEdit* EdRateValue = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* LbInverseRate = nullptr;
  QPushButton* BtExit = nullptr;

  // The currency chosen in `list`, or nullptr.
  const CCurrencyItem* Chosen(const QListWidget* list) const;
  // Shows the rate the other way round for the chosen pair.
  void ShowInverseRate();

  CDataBase* db_ = nullptr;  // during Execute; not owned
  TCurrencyItems currencies_;
  // On while the box's changes come from the user: off while the window
  // fills the box itself, so that showing a rate stores nothing.
  bool rateEditing_ = true;
  std::string textInverse_;  // the inverse rate's format
};

// TAboutBox: the program's name and version, its two web addresses, the
// rights line and the translator of the language in use, over a background
// painted in code.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <string>

class TAboutBox : public QDialog {
  Q_OBJECT

 public:
  // `version` is the program's version text as the main window shows it.
  explicit TAboutBox(const std::string& version, QWidget* parent = nullptr);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private slots:
  void ProductURLClick();
  void CompanyURLClick();

 private:
  // The controls, each named by its objectName.
  QLabel* ProgramIcon = nullptr;
  QLabel* ProductName = nullptr;
  QLabel* ProductURL = nullptr;
  QLabel* Copyright = nullptr;
  QLabel* CompanyURL = nullptr;
  QLabel* LbTranslation = nullptr;
  QLabel* LbTranslatorName = nullptr;
  QPushButton* BtOk = nullptr;
};

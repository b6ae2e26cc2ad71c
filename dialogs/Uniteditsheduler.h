// TFormEditSheduler: edits the schedule of a planned transaction: not set,
// once, every N days from a first day, on chosen weekdays, or on day D of
// every M months.
#pragma once

#include <QCheckBox>
#include <QDateEdit>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <array>

#include "Records.h"

class TFormEditSheduler : public QDialog {
  Q_OBJECT

 public:
  explicit TFormEditSheduler(QWidget* parent = nullptr);

  // Shows `record`; on OK writes the choice into it and answers true, on
  // Cancel leaves it untouched and answers false.
  bool EditSchedule(ScheduleRecord& record);

 private slots:
  // The enabling rule: each choice's boxes are enabled only while it is
  // checked.
  void RBClick();

 private:
  // The controls, each named by its objectName.
  QRadioButton* RBNotSet = nullptr;
  QRadioButton* RBOnce = nullptr;
  QRadioButton* RBEveryDay = nullptr;
  QRadioButton* RBWeek = nullptr;
  QRadioButton* RBMonth = nullptr;
  QDateEdit* OnceDate = nullptr;
  QDateEdit* EdFirstDate = nullptr;
  QLineEdit* EdEveryDay = nullptr;
  QLineEdit* EdMonthDay = nullptr;
  QLineEdit* EdMonthMonth = nullptr;
  QCheckBox* CBMonday = nullptr;
  QCheckBox* CBTuesday = nullptr;
  QCheckBox* CBWednesday = nullptr;
  QCheckBox* CBThursday = nullptr;
  QCheckBox* CBFriday = nullptr;
  QCheckBox* CBSaturday = nullptr;
  QCheckBox* CBSunday = nullptr;
  QLabel* LbMonth = nullptr;
  QLabel* LbDay = nullptr;
  QLabel* LbFirstDay = nullptr;
  QPushButton* BtOK = nullptr;
  QPushButton* BtCancel = nullptr;

  std::array<QCheckBox*, 7> Weekdays() const;
};

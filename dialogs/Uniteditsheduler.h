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

  QRadioButton* RBNotSet;
  QRadioButton* RBOnce;
  QRadioButton* RBEveryDay;
  QRadioButton* RBWeek;
  QRadioButton* RBMonth;
  QDateEdit* OnceDate;
  QDateEdit* EdFirstDate;
  QLineEdit* EdEveryDay;
  QLineEdit* EdMonthDay;
  QLineEdit* EdMonthMonth;
  QCheckBox* CBMonday;
  QCheckBox* CBTuesday;
  QCheckBox* CBWednesday;
  QCheckBox* CBThursday;
  QCheckBox* CBFriday;
  QCheckBox* CBSaturday;
  QCheckBox* CBSunday;
  QLabel* LbMonth;
  QLabel* LbDay;
  QLabel* LbFirstDay;
  QPushButton* BtOK;
  QPushButton* BtCancel;

 private slots:
  // The enabling rule: each choice's boxes are enabled only while it is
  // checked.
  void RBClick();

 private:
  std::array<QCheckBox*, 7> Weekdays() const;
};

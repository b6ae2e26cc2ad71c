// TFormCalendar: picks a period of whole days with two month calendars, one
// for the first day and one for the last.
#pragma once

#include <QCalendarWidget>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "Dates.h"

class TFormCalendar : public QDialog {
  Q_OBJECT

 public:
  explicit TFormCalendar(QWidget* parent = nullptr);

  // Shows `begin` and `end` and lets the user change them. On OK stores the
  // two whole days and answers true; on Cancel answers false and leaves both
  // as they were. OK is refused while the last day is before the first:
  // the window says so and stays open. Enter in a calendar presses OK.
  bool PickInterval(Date& begin, Date& end);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Enables OK and shows the warning as the two days stand.
  void CheckOrder();

  // The controls, each named by its objectName.
  QGroupBox* GBBegin = nullptr;
  QCalendarWidget* CalendarBegin = nullptr;
  QGroupBox* GBEnd = nullptr;
  QCalendarWidget* CalendarEnd = nullptr;
  QPushButton* BtOk = nullptr;
  QPushButton* BtCancel = nullptr;
  QLabel* LbReversed = nullptr;  // shown while the last day is before the first
};

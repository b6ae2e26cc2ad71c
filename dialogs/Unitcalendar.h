// TFormCalendar: picks a period of whole days with two month calendars, one
// for the first day and one for the last.
#pragma once

#include <QCalendarWidget>
#include <QDialog>
#include <QGroupBox>
#include <QPushButton>

#include "Dates.h"

class TFormCalendar : public QDialog {
  Q_OBJECT

 public:
  explicit TFormCalendar(QWidget* parent = nullptr);

  // Shows `begin` and `end` and lets the user change them. On OK with a
  // last day not before the first, stores the two whole days and answers
  // true; on Cancel or a reversed period answers false and leaves both as
  // they were.
  bool PickInterval(Date& begin, Date& end);

 private:
  // The controls, each named by its objectName.
  QGroupBox* GBBegin = nullptr;
  QCalendarWidget* CalendarBegin = nullptr;
  QGroupBox* GBEnd = nullptr;
  QCalendarWidget* CalendarEnd = nullptr;
  QPushButton* BtOk = nullptr;
  QPushButton* BtCancel = nullptr;
};

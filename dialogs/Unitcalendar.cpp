#include "Unitcalendar.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ControlTexts.h"
#include "DialogKit.h"
#include "Skin.h"

namespace {

QCalendarWidget* MakeCalendar(QGroupBox* box, const char* name) {
  auto* calendar = new QCalendarWidget(box);
  calendar->setObjectName(name);
  calendar->setGridVisible(false);
  calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
  calendar->setMinimumSize(204, 163);
  auto* layout = new QVBoxLayout(box);
  layout->addWidget(calendar);
  return calendar;
}

}  // namespace

TFormCalendar::TFormCalendar(QWidget* parent) : QDialog(parent) {
  QFont windowFont(ArialFamily());
  windowFont.setPixelSize(13);
  setFont(windowFont);
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  GBBegin = new QGroupBox(this);
  GBBegin->setObjectName("GBBegin");
  CalendarBegin = MakeCalendar(GBBegin, "CalendarBegin");
  GBEnd = new QGroupBox(this);
  GBEnd->setObjectName("GBEnd");
  CalendarEnd = MakeCalendar(GBEnd, "CalendarEnd");
  const TOkCancel okCancel = MakeOkCancel(this);
  BtOk = okCancel.ok;
  BtCancel = okCancel.cancel;
  ApplyTexts({
      {CaptionOf(this), 13001, "Custom Interval"},
      {CaptionOf(GBBegin), 13002, "Begin"},
      {CaptionOf(GBEnd), 13003, "End"},
      {CaptionOf(BtOk), 1, "OK"},
      {CaptionOf(BtCancel), 2, "Cancel"},
  });

  auto* calendars = new QHBoxLayout;
  calendars->addWidget(GBBegin);
  calendars->addWidget(GBEnd);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(calendars);
  layout->addLayout(okCancel.row);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(BtOk, &QPushButton::clicked, this, &QDialog::accept);
}

bool TFormCalendar::PickInterval(Date& begin, Date& end) {
  CalendarBegin->setSelectedDate(ToQDate(begin));
  CalendarEnd->setSelectedDate(ToQDate(end));
  if (exec() != QDialog::Accepted) return false;
  const Date first = FromQDate(CalendarBegin->selectedDate());
  const Date last = FromQDate(CalendarEnd->selectedDate());
  if (last < first) return false;
  begin = first;
  end = last;
  return true;
}

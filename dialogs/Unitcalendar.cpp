#include "Unitcalendar.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
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

  LbReversed = new QLabel(
      LocalizedText(30200, "The last day is before the first day: choose another end."), this);
  LbReversed->setObjectName("LbReversed");
  LbReversed->setStyleSheet(QStringLiteral("color: rgb(204, 0, 0);"));
  LbReversed->setWordWrap(true);
  LbReversed->hide();

  auto* calendars = new QHBoxLayout;
  calendars->addWidget(GBBegin);
  calendars->addWidget(GBEnd);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(calendars);
  layout->addWidget(LbReversed);
  layout->addLayout(okCancel.row);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(BtOk, &QPushButton::clicked, this, &QDialog::accept);
  for (QCalendarWidget* calendar : {CalendarBegin, CalendarEnd}) {
    connect(calendar, &QCalendarWidget::selectionChanged, this, &TFormCalendar::CheckOrder);
    // The calendar keeps Enter for itself: it is passed on to OK here.
    if (auto* view = calendar->findChild<QAbstractItemView*>()) view->installEventFilter(this);
  }
}

bool TFormCalendar::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      if (BtOk->isEnabled())
        BtOk->click();
      else
        QApplication::beep();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TFormCalendar::CheckOrder() {
  const bool reversed = CalendarEnd->selectedDate() < CalendarBegin->selectedDate();
  BtOk->setEnabled(!reversed);
  LbReversed->setVisible(reversed);
}

bool TFormCalendar::PickInterval(Date& begin, Date& end) {
  CalendarBegin->setSelectedDate(ToQDate(begin));
  CalendarEnd->setSelectedDate(ToQDate(end));
  CheckOrder();
  if (exec() != QDialog::Accepted) return false;
  const Date first = FromQDate(CalendarBegin->selectedDate());
  const Date last = FromQDate(CalendarEnd->selectedDate());
  if (last < first) return false;  // OK is disabled then; kept as a guard
  begin = first;
  end = last;
  return true;
}

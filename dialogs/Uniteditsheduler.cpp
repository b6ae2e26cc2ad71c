#include "Uniteditsheduler.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLocale>
#include <QVBoxLayout>

#include "ControlTexts.h"
#include "DialogKit.h"
#include "ScheduleText.h"
#include "Skin.h"
#include "Textcodec.h"

namespace {

// A number box: typing is undone at once unless it leaves a number of at
// least 1, below `limit` when that is not 0, of at most `maxLength` digits.
// Stored numbers the window fills in show whole, beyond these limits too.
QLineEdit* NumberBox(QWidget* parent, const char* name, int maxLength, int limit,
                     const char* text) {
  auto* box = new QLineEdit(text, parent);
  box->setObjectName(name);
  const TTypingRule length = MaxTypedLength(maxLength);
  LimitTyping(box, [length, limit](const QString& before, const QString& after) {
    return ScheduleNumberAccepted(after.toStdString(), limit) && length(before, after);
  });
  box->setAlignment(Qt::AlignRight);
  box->setFixedWidth(box->fontMetrics().horizontalAdvance(QString(maxLength + 2, '0')) + 12);
  return box;
}

QDateEdit* DateBox(QWidget* parent, const char* name) {
  auto* box = new QDateEdit(parent);
  box->setObjectName(name);
  box->setCalendarPopup(true);
  return box;
}

}  // namespace

TFormEditSheduler::TFormEditSheduler(QWidget* parent) : QDialog(parent) {
  auto radio = [this](const char* name) {
    auto* button = new QRadioButton(this);
    button->setObjectName(name);
    return button;
  };
  auto check = [this](const char* name) {
    auto* box = new QCheckBox(this);
    box->setObjectName(name);
    return box;
  };
  auto label = [this](const char* name) {
    auto* lb = new QLabel(this);
    lb->setObjectName(name);
    return lb;
  };
  BtOK = new QPushButton(this);
  BtOK->setObjectName("BtOK");
  BtOK->setDefault(true);
  BtCancel = new QPushButton(this);
  BtCancel->setObjectName("BtCancel");
  CBMonday = check("CBMonday");
  CBTuesday = check("CBTuesday");
  CBWednesday = check("CBWednesday");
  CBThursday = check("CBThursday");
  CBFriday = check("CBFriday");
  CBSaturday = check("CBSaturday");
  CBSunday = check("CBSunday");
  RBNotSet = radio("RBNotSet");
  RBEveryDay = radio("RBEveryDay");
  RBWeek = radio("RBWeek");
  RBMonth = radio("RBMonth");
  RBOnce = radio("RBOnce");
  LbMonth = label("LbMonth");
  LbDay = label("LbDay");
  LbFirstDay = label("LbFirstDay");
  ApplyTexts({
      {CaptionOf(this), 17000, "Schedule"},
      {CaptionOf(BtOK), 1, "OK"},
      {CaptionOf(BtCancel), 2, "Cancel"},
      {CaptionOf(CBMonday), 200, "Monday"},
      {CaptionOf(CBTuesday), 201, "Tuesday"},
      {CaptionOf(CBWednesday), 202, "Wednesday"},
      {CaptionOf(CBThursday), 203, "Thursday"},
      {CaptionOf(CBFriday), 204, "Friday"},
      {CaptionOf(CBSaturday), 205, "Saturday"},
      {CaptionOf(CBSunday), 206, "Sunday"},
      {CaptionOf(RBNotSet), 17001, "Not set"},
      {CaptionOf(RBEveryDay), 17002, "Every day(s)"},
      {CaptionOf(RBWeek), 17003, "Every week"},
      {CaptionOf(RBMonth), 17004, "Every day of month(s)"},
      {CaptionOf(RBOnce), 17005, "Once"},
      {CaptionOf(LbMonth), 17006, "Month:"},
      {CaptionOf(LbDay), 17007, "Day:"},
      {CaptionOf(LbFirstDay), 17008, "First day:"},
  });

  OnceDate = DateBox(this, "OnceDate");
  OnceDate->setDisplayFormat(QLocale().dateFormat(QLocale::LongFormat));
  OnceDate->setDate(ToQDate(Today()));
  EdFirstDate = DateBox(this, "EdFirstDate");
  EdFirstDate->setDisplayFormat(ShortDateFormat());
  EdEveryDay = NumberBox(this, "EdEveryDay", 4, 0, "1");
  EdMonthDay = NumberBox(this, "EdMonthDay", 2, 32, "10");
  EdMonthMonth = NumberBox(this, "EdMonthMonth", 3, 0, "1");

  auto* group = new QButtonGroup(this);
  for (QRadioButton* rb : {RBNotSet, RBOnce, RBEveryDay, RBWeek, RBMonth}) group->addButton(rb);

  // One row per choice: the radio button, then its boxes.
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(10);
  grid->setVerticalSpacing(8);
  grid->addWidget(RBNotSet, 0, 0);
  grid->addWidget(RBOnce, 1, 0);
  grid->addWidget(OnceDate, 1, 1, 1, 2);
  grid->addWidget(RBEveryDay, 2, 0);
  auto* everyDay = new QHBoxLayout;
  everyDay->addWidget(EdEveryDay);
  everyDay->addSpacing(12);
  everyDay->addWidget(LbFirstDay);
  everyDay->addWidget(EdFirstDate);
  everyDay->addStretch();
  grid->addLayout(everyDay, 2, 1, 1, 2);
  grid->addWidget(RBWeek, 3, 0);
  auto* days = new QGridLayout;
  days->setHorizontalSpacing(12);
  const auto weekdays = Weekdays();
  for (int i = 0; i < 7; ++i) days->addWidget(weekdays[static_cast<size_t>(i)], i / 4, i % 4);
  grid->addLayout(days, 4, 0, 1, 3);
  days->setContentsMargins(22, 0, 0, 0);
  grid->addWidget(RBMonth, 5, 0);
  auto* month = new QHBoxLayout;
  month->addWidget(LbDay);
  month->addWidget(EdMonthDay);
  month->addSpacing(12);
  month->addWidget(LbMonth);
  month->addWidget(EdMonthMonth);
  month->addStretch();
  grid->addLayout(month, 5, 1, 1, 2);
  grid->setColumnStretch(2, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(BtOK);
  buttons->addWidget(BtCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addSpacing(10);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  for (QRadioButton* rb : {RBNotSet, RBOnce, RBEveryDay, RBWeek, RBMonth}) {
    connect(rb, &QRadioButton::clicked, this, &TFormEditSheduler::RBClick);
  }
  connect(BtOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(BtCancel, &QPushButton::clicked, this, &QDialog::reject);
  ApplyControlIcons(this);
}

std::array<QCheckBox*, 7> TFormEditSheduler::Weekdays() const {
  return {CBMonday, CBTuesday, CBWednesday, CBThursday, CBFriday, CBSaturday, CBSunday};
}

bool TFormEditSheduler::EditSchedule(ScheduleRecord& record) {
  // Exclusive groups keep one button checked; lift that to uncheck all.
  auto* group = RBNotSet->group();
  group->setExclusive(false);
  for (QAbstractButton* rb : group->buttons()) rb->setChecked(false);
  group->setExclusive(true);
  EdFirstDate->setDate(ToQDate(Today()));
  switch (record.kind) {
    case kScheduleOnce:
      RBOnce->setChecked(true);
      OnceDate->setDate(ToQDate(record.onceDate));
      break;
    case kScheduleEveryNDays:
      RBEveryDay->setChecked(true);
      EdEveryDay->setText(QString::number(record.period));
      EdFirstDate->setDate(ToQDate(WholeDay(record.lastProcessed) + record.period));
      break;
    case kScheduleWeekly:
      for (size_t i = 0; i < 7; ++i) Weekdays()[i]->setChecked(record.weekdays[i] != 0);
      RBWeek->setChecked(true);
      break;
    case kScheduleMonthly:
      RBMonth->setChecked(true);
      EdMonthDay->setText(QString::number(MonthlyDay(record.period)));
      EdMonthMonth->setText(QString::number(MonthlyMonths(record.period)));
      break;
    default:
      RBNotSet->setChecked(true);
      break;
  }
  RBClick();
  if (exec() != QDialog::Accepted) return false;

  TScheduleInput input;
  input.kind = RBOnce->isChecked()       ? kScheduleOnce
               : RBEveryDay->isChecked() ? kScheduleEveryNDays
               : RBWeek->isChecked()     ? kScheduleWeekly
               : RBMonth->isChecked()    ? kScheduleMonthly
                                         : kScheduleNotSet;
  input.onceDate = FromQDate(OnceDate->date());
  input.everyDay = EdEveryDay->text().toStdString();
  input.firstDate = FromQDate(EdFirstDate->date());
  for (size_t i = 0; i < 7; ++i) input.weekdays[i] = Weekdays()[i]->isChecked();
  input.monthDay = EdMonthDay->text().toStdString();
  input.monthMonth = EdMonthMonth->text().toStdString();
  ConfirmSchedule(input, Today(), record);
  return true;
}

void TFormEditSheduler::RBClick() {
  OnceDate->setEnabled(RBOnce->isChecked());
  EdEveryDay->setEnabled(RBEveryDay->isChecked());
  EdFirstDate->setEnabled(RBEveryDay->isChecked());
  for (QCheckBox* box : Weekdays()) box->setEnabled(RBWeek->isChecked());
  EdMonthDay->setEnabled(RBMonth->isChecked());
  EdMonthMonth->setEnabled(RBMonth->isChecked());
}

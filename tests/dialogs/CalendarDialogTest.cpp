// The custom interval picker: whole days on OK, nothing on Cancel or a
// reversed period.
#include <gtest/gtest.h>

#include <QCalendarWidget>
#include <QPushButton>

#include "DialogKit.h"
#include "DialogsTestUtil.h"
#include "Unitcalendar.h"

TEST(Calendar, PicksWholeDaysAndRefusesReversedOrCancelledPeriods) {
  struct Case {
    const char* name;
    QDate first, last;
    const char* button;
    bool picked;
  } cases[] = {
      {"a month", {2026, 3, 1}, {2026, 3, 31}, "BtOk", true},
      {"one day", {2026, 3, 10}, {2026, 3, 10}, "BtOk", true},
      {"reversed", {2026, 3, 10}, {2026, 3, 9}, "BtOk", false},
      {"cancelled", {2026, 3, 1}, {2026, 3, 31}, "BtCancel", false},
  };
  for (const Case& c : cases) {
    const Date shownBegin = EncodeDate(2026, 2, 1) + 0.5, shownEnd = EncodeDate(2026, 2, 28);
    Date begin = shownBegin, end = shownEnd;
    TFormCalendar picker;
    OnModal([&](QWidget* w) {
      EXPECT_EQ(Find<QCalendarWidget>(w, "CalendarBegin")->selectedDate(), QDate(2026, 2, 1));
      EXPECT_EQ(Find<QCalendarWidget>(w, "CalendarEnd")->selectedDate(), QDate(2026, 2, 28));
      Find<QCalendarWidget>(w, "CalendarBegin")->setSelectedDate(c.first);
      Find<QCalendarWidget>(w, "CalendarEnd")->setSelectedDate(c.last);
      Click(Find<QPushButton>(w, c.button));
    });
    EXPECT_EQ(picker.PickInterval(begin, end), c.picked) << c.name;
    EXPECT_EQ(begin, c.picked ? FromQDate(c.first) : shownBegin) << c.name;
    EXPECT_EQ(end, c.picked ? FromQDate(c.last) : shownEnd) << c.name;
  }
}

// The custom interval picker: whole days on OK or Enter, nothing on Cancel;
// a reversed period is refused visibly and the window stays open.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QCalendarWidget>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "DialogKit.h"
#include "DialogsTestUtil.h"
#include "Unitcalendar.h"

TEST(Calendar, PicksWholeDaysAndRefusesReversedOrCancelledPeriods) {
  struct Case {
    const char* name;
    QDate first, last;
    const char* button;  // "Enter": the key pressed in the End calendar
    bool picked;
  } cases[] = {
      {"a month", {2026, 3, 1}, {2026, 3, 31}, "BtOk", true},
      {"one day", {2026, 3, 10}, {2026, 3, 10}, "BtOk", true},
      {"Enter", {2026, 3, 2}, {2026, 3, 20}, "Enter", true},
      {"reversed", {2026, 3, 10}, {2026, 3, 9}, "BtOk", false},
      {"reversed, Enter", {2026, 3, 10}, {2026, 3, 9}, "Enter", false},
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
      const bool reversed = c.last < c.first;
      EXPECT_EQ(Find<QLabel>(w, "LbReversed")->isVisible(), reversed) << c.name;
      if (std::string(c.button) == "Enter")
        QTest::keyClick(Find<QCalendarWidget>(w, "CalendarEnd")->findChild<QAbstractItemView*>(),
                        Qt::Key_Return);
      else
        Click(Find<QPushButton>(w, c.button));
      // A refused period keeps the window open until it is cancelled.
      EXPECT_EQ(w->isVisible(), reversed) << c.name;
      if (w->isVisible()) Click(Find<QPushButton>(w, "BtCancel"));
    });
    EXPECT_EQ(picker.PickInterval(begin, end), c.picked) << c.name;
    EXPECT_EQ(begin, c.picked ? FromQDate(c.first) : shownBegin) << c.name;
    EXPECT_EQ(end, c.picked ? FromQDate(c.last) : shownEnd) << c.name;
  }
}

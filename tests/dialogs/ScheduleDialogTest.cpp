// The schedule editor through its controls: the enabling rule, undoing
// invalid typing, and the records it stores.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest/QTest>
#include <cstring>

#include "DialogKit.h"
#include "DialogsTestUtil.h"
#include "Uniteditsheduler.h"

namespace {

// Opens the editor on `record` and runs `action` in it.
bool Edit(ScheduleRecord& record, std::function<void(QWidget*)> action) {
  TFormEditSheduler editor;
  OnModal(action);
  return editor.EditSchedule(record);
}

}  // namespace

TEST(ScheduleEditor, EnablesOnlyTheBoxesOfTheCheckedChoice) {
  ScheduleRecord record = DefaultScheduleRecord();
  Edit(record, [](QWidget* w) {
    EXPECT_TRUE(Find<QRadioButton>(w, "RBNotSet")->isChecked());
    EXPECT_FALSE(Find<QDateEdit>(w, "OnceDate")->isEnabled());
    EXPECT_FALSE(Find<QLineEdit>(w, "EdEveryDay")->isEnabled());
    EXPECT_FALSE(Find<QCheckBox>(w, "CBMonday")->isEnabled());
    Click(Find<QRadioButton>(w, "RBWeek"));
    EXPECT_TRUE(Find<QCheckBox>(w, "CBMonday")->isEnabled());
    EXPECT_TRUE(Find<QCheckBox>(w, "CBSunday")->isEnabled());
    EXPECT_FALSE(Find<QLineEdit>(w, "EdMonthDay")->isEnabled());
    Click(Find<QRadioButton>(w, "RBEveryDay"));
    EXPECT_TRUE(Find<QLineEdit>(w, "EdEveryDay")->isEnabled());
    EXPECT_TRUE(Find<QDateEdit>(w, "EdFirstDate")->isEnabled());
    EXPECT_FALSE(Find<QCheckBox>(w, "CBMonday")->isEnabled());
    Click(Find<QRadioButton>(w, "RBMonth"));
    EXPECT_TRUE(Find<QLineEdit>(w, "EdMonthMonth")->isEnabled());
    EXPECT_FALSE(Find<QDateEdit>(w, "EdFirstDate")->isEnabled());
    Click(Find<QRadioButton>(w, "RBOnce"));
    EXPECT_TRUE(Find<QDateEdit>(w, "OnceDate")->isEnabled());
    Click(Find<QPushButton>(w, "BtCancel"));
  });
}

TEST(ScheduleEditor, InvalidTypingIsUndoneAtOnce) {
  ScheduleRecord record = DefaultScheduleRecord();
  Edit(record, [](QWidget* w) {
    Click(Find<QRadioButton>(w, "RBMonth"));
    auto* day = Find<QLineEdit>(w, "EdMonthDay");
    TypeInto(day, "32");
    EXPECT_EQ(day->text(), "3");
    TypeInto(day, "31");
    EXPECT_EQ(day->text(), "31");
    TypeInto(day, "0");
    EXPECT_EQ(day->text(), "31");
    auto* months = Find<QLineEdit>(w, "EdMonthMonth");
    TypeInto(months, "x");
    EXPECT_EQ(months->text(), "1");

    Click(Find<QRadioButton>(w, "RBEveryDay"));
    auto* every = Find<QLineEdit>(w, "EdEveryDay");
    TypeInto(every, "12");
    QTest::keyClick(every, Qt::Key_End);
    QTest::keyClick(every, Qt::Key_Backspace);
    QTest::keyClick(every, Qt::Key_Backspace);  // would leave it empty
    EXPECT_EQ(every->text(), "1");
    QTest::keyClicks(every, "-");
    EXPECT_EQ(every->text(), "1");
    Click(Find<QPushButton>(w, "BtCancel"));
  });
}

TEST(ScheduleEditor, StoresEveryNDaysAndShowsItAgain) {
  ScheduleRecord record = DefaultScheduleRecord();
  ASSERT_TRUE(Edit(record, [](QWidget* w) {
    Click(Find<QRadioButton>(w, "RBEveryDay"));
    TypeInto(Find<QLineEdit>(w, "EdEveryDay"), "7");
    Find<QDateEdit>(w, "EdFirstDate")->setDate(QDate(2007, 5, 10));
    Click(Find<QPushButton>(w, "BtOK"));
  }));
  EXPECT_EQ(record.kind, kScheduleEveryNDays);
  EXPECT_EQ(record.period, 7);
  EXPECT_EQ(record.lastProcessed, EncodeDate(2007, 5, 3));

  Edit(record, [](QWidget* w) {
    EXPECT_TRUE(Find<QRadioButton>(w, "RBEveryDay")->isChecked());
    EXPECT_EQ(Find<QLineEdit>(w, "EdEveryDay")->text(), "7");
    EXPECT_EQ(Find<QDateEdit>(w, "EdFirstDate")->date(), QDate(2007, 5, 10));
    Click(Find<QPushButton>(w, "BtCancel"));
  });
}

TEST(ScheduleEditor, StoresWeeklyAndMonthlyChoices) {
  ScheduleRecord record = DefaultScheduleRecord();
  record.lastProcessed = EncodeDate(2007, 1, 1);
  ASSERT_TRUE(Edit(record, [](QWidget* w) {
    Click(Find<QRadioButton>(w, "RBWeek"));  // no weekday ticked
    Click(Find<QPushButton>(w, "BtOK"));
  }));
  EXPECT_EQ(record.kind, kScheduleWeekly);
  const std::uint8_t none[7] = {};
  EXPECT_EQ(std::memcmp(record.weekdays, none, 7), 0);
  EXPECT_EQ(record.lastProcessed, Today());

  ASSERT_TRUE(Edit(record, [](QWidget* w) {
    Click(Find<QRadioButton>(w, "RBMonth"));
    TypeInto(Find<QLineEdit>(w, "EdMonthDay"), "1");
    TypeInto(Find<QLineEdit>(w, "EdMonthMonth"), "3");
    Click(Find<QPushButton>(w, "BtOK"));
  }));
  EXPECT_EQ(record.kind, kScheduleMonthly);
  EXPECT_EQ(record.period, 151);

  record.period = 20;  // below 50: every month
  Edit(record, [](QWidget* w) {
    EXPECT_EQ(Find<QLineEdit>(w, "EdMonthDay")->text(), "20");
    EXPECT_EQ(Find<QLineEdit>(w, "EdMonthMonth")->text(), "1");
    Click(Find<QPushButton>(w, "BtCancel"));
  });
}

TEST(ScheduleEditor, CancelLeavesTheRecordAsItWas) {
  ScheduleRecord record = DefaultScheduleRecord();
  record.kind = kScheduleOnce;
  record.onceDate = EncodeDate(2007, 6, 1);
  record.period = 65;
  record.lastProcessed = EncodeDate(2007, 1, 1);
  const ScheduleRecord before = record;
  EXPECT_FALSE(Edit(record, [](QWidget* w) {
    EXPECT_EQ(Find<QDateEdit>(w, "OnceDate")->date(), QDate(2007, 6, 1));
    Click(Find<QRadioButton>(w, "RBMonth"));
    TypeInto(Find<QLineEdit>(w, "EdMonthDay"), "5");
    Click(Find<QPushButton>(w, "BtCancel"));
  }));
  EXPECT_EQ(std::memcmp(&record, &before, sizeof record), 0);
}

// Periods written by other tools may exceed what one can type; they show and
// store whole, while typing still stops at the limits.
TEST(ScheduleEditor, StoredNumbersBeyondTheTypingLimitsShowWhole) {
  struct Case {
    std::uint8_t kind;
    std::uint16_t period;
    const char* box;
    const char* shown;
  };
  const Case cases[] = {
      {kScheduleEveryNDays, 65535, "EdEveryDay", "65535"},
      {kScheduleMonthly, 65535, "EdMonthMonth", "1310"},  // day 35 of every 1310 months
      {kScheduleMonthly, 65535, "EdMonthDay", "35"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.box);
    ScheduleRecord record = DefaultScheduleRecord();
    record.kind = c.kind;
    record.period = c.period;
    record.lastProcessed = Today() - c.period;  // the first date is today
    ASSERT_TRUE(Edit(record, [&c](QWidget* w) {
      auto* box = Find<QLineEdit>(w, c.box);
      EXPECT_EQ(box->text(), c.shown);
      QTest::keyClick(box, Qt::Key_End);
      QTest::keyClicks(box, "1");  // longer than the limit: refused
      EXPECT_EQ(box->text(), c.shown);
      Click(Find<QPushButton>(w, "BtOK"));
    }));
    EXPECT_EQ(record.period, c.period);
  }
}

// The decisions of the database manager, the database settings window, the
// application settings window and the update reminder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ApplicationLogic.h"
#include "Companion.h"
#include "DBManagerLogic.h"
#include "TempFolder.h"

TEST(DatabaseLogic, NewFileGetsTheExtensionUnlessItEndsWithExactlyVlt) {
  const std::pair<const char*, const char*> cases[] = {
      {"budget", "budget.vlt"},
      {"budget.VLT", "budget.VLT.vlt"},
      {"/data/budget.vlt", "/data/budget.vlt"},
      {"/data.vlt/budget", "/data.vlt/budget.vlt"},
      {"/data/.vlt", "/data/.vlt.vlt"},
  };
  for (auto [chosen, created] : cases) EXPECT_EQ(DatabaseFileName(chosen), created) << chosen;
}

TEST(DatabaseLogic, PasswordChoiceFollowsEnabledAndTheTwoBoxes) {
  struct Case {
    bool enabled;
    const char *password, *confirm;
    TPasswordChoice choice;
  } cases[] = {
      {false, "secret", "other", TPasswordChoice::kRemove},
      {false, "", "", TPasswordChoice::kRemove},
      {true, "secret", "Secret", TPasswordChoice::kMismatch},
      {true, "secret", "secret", TPasswordChoice::kStore},
      {true, "", "", TPasswordChoice::kEmpty},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DecidePassword(c.enabled, c.password, c.confirm), c.choice)
        << c.enabled << " " << c.password << " " << c.confirm;
}

TEST(DatabaseLogic, DeletingADatabaseDeletesItsCompanionFile) {
  CTempFolder dir;
  const std::string db = dir.Path("home.vlt"), other = dir.Path("other.vlt");
  for (const std::string& file :
       {db, CCompanion::PathFor(db), CCompanion::OldFitIdPathFor(db), CCompanion::PathFor(other)})
    std::ofstream(file) << "x";
  std::string error, companionError;
  ASSERT_TRUE(DeleteDatabaseFile(db, error, companionError)) << error;
  EXPECT_EQ(companionError, "");
  EXPECT_FALSE(std::filesystem::exists(db));
  EXPECT_FALSE(std::filesystem::exists(CCompanion::PathFor(db)));
  EXPECT_FALSE(std::filesystem::exists(CCompanion::OldFitIdPathFor(db)));
  EXPECT_TRUE(std::filesystem::exists(CCompanion::PathFor(other)));
  // A database that cannot be deleted keeps its companion.
  std::ofstream(CCompanion::PathFor(db)) << "x";
  EXPECT_FALSE(DeleteDatabaseFile(db, error, companionError));
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(std::filesystem::exists(CCompanion::PathFor(db)));
}

TEST(ApplicationLogic, QuickExpensesMoveInStepsOfFiveBetweenTenAndSixty) {
  const std::pair<int, int> cases[] = {{17, 3}, {30, 6}, {15, 3},  {9, 2},
                                       {0, 2},  {-7, 2}, {60, 12}, {99, 12}};
  for (auto [stored, position] : cases)
    EXPECT_EQ(QuickExpensesPosition(stored), position) << stored;
  EXPECT_EQ(QuickExpensesCount(QuickExpensesPosition(17)), 15);
}

// A count the track bar cannot show stays what it is until the bar is moved.
TEST(ApplicationLogic, AnUntouchedQuickExpenseCountIsKept) {
  struct Case {
    int stored, position, chosen;
  };
  const Case cases[] = {{16, 3, 16}, {17, 3, 17}, {99, 12, 99}, {0, 2, 0},
                        {16, 4, 20}, {16, 2, 10}, {99, 11, 55}, {30, 6, 30}};
  for (const Case& c : cases)
    EXPECT_EQ(QuickExpensesChosen(c.stored, c.position), c.chosen)
        << c.stored << " at " << c.position;
}

TEST(ApplicationLogic, TheLanguageInUseIsTheLastEntryNamedInTheSetting) {
  const std::vector<std::string> files = {"english.txt", "german.txt", "man.txt"};
  EXPECT_EQ(SelectedLanguage(files, "Lang/german.txt"), 2);  // "man.txt" is inside it too
  EXPECT_EQ(SelectedLanguage(files, "Lang/english.txt"), 0);
  EXPECT_EQ(SelectedLanguage(files, "Lang/french.txt"), -1);
  EXPECT_EQ(SelectedLanguage({}, "Lang/english.txt"), -1);
  EXPECT_EQ(LocaleFileFor("german.txt"), "Lang/german.txt");
}

TEST(ApplicationLogic, UpdateReminderStartsOn28May2007AndWaitsEightDays) {
  struct Case {
    Date today, lastCheck;
    bool asks;
  } cases[] = {
      {EncodeDate(2007, 5, 27) + 0.9, 0, false},
      {EncodeDate(2007, 5, 28), 0, true},
      {EncodeDate(2026, 1, 10), EncodeDate(2026, 1, 3), false},  // 7 days
      {EncodeDate(2026, 1, 10), EncodeDate(2026, 1, 2), true},   // 8 days
      {EncodeDate(2026, 1, 10) + 0.5, EncodeDate(2026, 1, 10), false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ShouldAskForUpdates(c.today, c.lastCheck), c.asks) << c.today << " " << c.lastCheck;
}

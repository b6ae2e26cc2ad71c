// Decisions of the application settings window and of the update reminder:
// the quick-expense track bar in steps of 5, which language entry is the one
// in use, when the reminder asks, and the program's web addresses.
#pragma once

#include <string>
#include <vector>

#include "Dates.h"

// The track bar of the quick-expense count: positions 2 to 12, each worth 5.
inline constexpr int kQuickExpensesStep = 5;
inline constexpr int kQuickExpensesFirst = 2;
inline constexpr int kQuickExpensesLast = 12;

// The position that shows a stored count: the count divided by 5, rounded
// down, kept within 2 to 12 (17 shows as position 3, worth 15).
int QuickExpensesPosition(int storedCount);
// The count a position stands for.
int QuickExpensesCount(int position);
// The count the window shows and stores for the track bar at `position`,
// which was filled at QuickExpensesPosition(storedCount): the stored count
// while the bar stands where it was filled (the count may lie between the
// bar's steps or beyond its ends, and a value the user did not touch is
// never rewritten), the position's count once the user moved it.
int QuickExpensesChosen(int storedCount, int position);

// The entry of `entries` (language file names) that the setting
// `localeFileName` names: the last one found anywhere inside it; -1 for none.
int SelectedLanguage(const std::vector<std::string>& entries, const std::string& localeFileName);
// The setting that names language file `entry`.
std::string LocaleFileFor(const std::string& entry);

// Whether the first activation asks about a new version on `today`: never
// before 28 May 2007; then when no check was stored (`lastCheck` 0) or the
// last one is more than 7 days old.
bool ShouldAskForUpdates(Date today, Date lastCheck);

// The program's web addresses, set when it is built (PARDOW_HOME_URL,
// PARDOW_MAKER_URL, PARDOW_UPDATES_URL); each may be empty.
std::string HomePageUrl();
std::string MakerPageUrl();
// The page that tells about versions after `version` ("v1.62" gives the
// updates folder followed by "v1.62.html"); empty without an updates folder.
std::string UpdatesPageUrl(const std::string& version);
// Whether the program has a home page: without one the home-page and
// new-version commands are hidden and the reminder never asks.
bool HasHomePage();
// Replaces the three addresses the build set (tests use it to run both a
// build with and one without a home page).
void SetWebAddresses(const std::string& home, const std::string& maker, const std::string& updates);

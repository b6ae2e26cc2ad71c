// The main window's commands that open the other windows, each followed by
// the refresh of what the window may have changed.
#include "Unitcalendar.h"
#include "Unitmain.h"
#include "Unitreports.h"
#include "Unittypes.h"

void TFormMain::OpenCategories(int tabIndex) {
  if (!IsDataBaseOpened()) return;
  TFormTypes window(this);
  window.Execute(*FDataBase, FLines, tabIndex);
  RebuildTrees(false);
}

void TFormMain::BtTypesDirClick() {
  OpenCategories(0);
}
void TFormMain::BtMembersListClick() {
  OpenCategories(3);
}
void TFormMain::BtSectionsListClick() {
  OpenCategories(4);
}

void TFormMain::BtCalendarClick() {
  if (!IsDataBaseOpened()) return;
  Date begin = FDataBase->GetIntervalBegin();
  Date end = FDataBase->GetIntervalEnd();
  TFormCalendar picker(this);
  if (picker.PickInterval(begin, end)) SetWorkingInterval(begin, end, true);
}

void TFormMain::BtReportsClick() {
  if (!IsDataBaseOpened()) return;
  TFormReports window(this);
  window.Execute(*FDataBase, FDataBase->GetIntervalBegin(), FDataBase->GetIntervalEnd());
}

// The main window's commands that open the other windows, each followed by
// the refresh of what the window may have changed.
#include "Unitaccounts.h"
#include "Unitcalendar.h"
#include "Unitcurrences.h"
#include "Uniteditaccount.h"
#include "Unitexchangerate.h"
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

void TFormMain::BtCurrencesDirClick() {
  if (!IsDataBaseOpened()) return;
  TFormCurrences window(this);
  window.Execute(*FDataBase, FLines);
  FillCurrenciesList();
  RefreshTotals(false);
}

void TFormMain::BtAccountsDirClick() {
  if (!IsDataBaseOpened()) return;
  TFormAccounts window(this);
  window.Execute(*FDataBase, FLines, FAccountIcon);
  FillAccountsList();
}

void TFormMain::BtExchangeRateClick() {
  if (!IsDataBaseOpened()) return;
  TFormExchangeRate window(this);
  window.Execute(*FDataBase, FLines);
  CurrenciesList->viewport()->update();
  RebuildTrees(false);
}

void TFormMain::AccountsListDblClick() {
  const int row = AccountsList->currentRow();
  if (!IsDataBaseOpened() || row < 0 || row >= static_cast<int>(FAccounts.size())) return;
  TFormEditAccount editor(this);
  // An edit may change the name, the currency or the budget: the cards and
  // the total in the base currency are shown again.
  if (editor.Execute(*FDataBase, FAccounts[static_cast<std::size_t>(row)].id) > kFirstFreeId)
    ShowBalance();
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

// The main window's side of finding transactions: the find window, the
// editor on a match and the match shown in its month.
#include <QListWidget>
#include <QTabBar>

#include "Unitfind.h"
#include "Unitmain.h"
#include "Unittransfer.h"

void TFormMain::FindClick() {
  if (!IsDataBaseOpened()) return;
  if (FFindForm == nullptr) {
    FFindForm = new TFormFind(*FDataBase, this);
    connect(FFindForm, &TFormFind::OpenTransaction, this, &TFormMain::FindOpenTransaction);
    connect(FFindForm, &TFormFind::ShowInMonth, this, &TFormMain::FindShowInMonth);
  }
  FFindForm->Open();
}

void TFormMain::FindOpenTransaction(std::uint32_t id) {
  if (!IsDataBaseOpened() || FDataBase->Transactions().Find(id) == nullptr) return;
  TFormTransfer editor(FFindForm);
  const int result = editor.Open(*FDataBase, id, false, false, kTransactionKind, FLines);
  if (result == 0) return;
  // The change may move the transaction in or out of the shown month.
  RebuildTrees(false);
  FFindForm->Research();
}

void TFormMain::FindShowInMonth(std::uint32_t id) {
  const auto entry = IsDataBaseOpened() ? FDataBase->Transactions().Find(id) : nullptr;
  if (entry == nullptr) return;
  const TransactionRecord r = entry->record;
  // The trees show one account's transactions: show the match's account
  // when the selected one is not part of it.
  const std::uint32_t account = SelectedAccountId();
  if (!SummaryPageShown() && account != r.fromAccount && account != r.toAccount) {
    const std::uint32_t wanted = IsIncome(r) ? r.toAccount : r.fromAccount;
    for (std::size_t row = 0; row < FAccounts.size(); ++row)
      if (FAccounts[row].id == wanted) {
        AccountsList->setCurrentRow(static_cast<int>(row));
        AccountsListClick();
        break;
      }
  }
  const CivilDate day = DecodeDate(r.date);
  SetWorkingInterval(EncodeDate(day.year, day.month, 1),
                     EncodeDate(day.year, day.month, DaysInMonth(day.year, day.month)), true);
  TransactionsTab->setCurrentIndex(0);
  SelectTransaction(kTransactionKind, id);
  activateWindow();
}

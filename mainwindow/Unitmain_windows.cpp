// The main window's commands that open the other windows, each followed by
// the refresh of what the window may have changed.
#include <QAction>
#include <QFileInfo>
#include <algorithm>
#include <filesystem>

#include "ApplicationLogic.h"
#include "DialogKit.h"
#include "ImportLogic.h"
#include "Include.h"
#include "Mainlogic.h"
#include "Platform.h"
#include "Qtexts.h"
#include "Settingsstorage.h"
#include "Unitabout.h"
#include "Unitaccounts.h"
#include "Unitapplicationsettings.h"
#include "Unitcalendar.h"
#include "Unitcurrences.h"
#include "Unitdbmanager.h"
#include "Unitdbsettings.h"
#include "Uniteditaccount.h"
#include "Unitexchangerate.h"
#include "Unitexport.h"
#include "Unitimport.h"
#include "Unitmain.h"
#include "Unitreports.h"
#include "Unitrules.h"
#include "Unittypes.h"
#include "WebPages.h"

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

void TFormMain::BtExportClick() {
  if (!IsDataBaseOpened()) return;
  if (!FExportForm) FExportForm = new TFormExport(this);
  FExportForm->SetMonthNames(FMonthNames);  // the caption as the main window writes it
  FExportForm->Execute(*FDataBase, FLines, FDataBase->GetIntervalBegin(),
                       FDataBase->GetIntervalEnd());
}

void TFormMain::BtImportClick() {
  if (!IsDataBaseOpened()) return;
  if (!FImportForm) FImportForm = new TFormImport(this);
  const std::uint32_t account = SummaryPageShown() ? 0 : SelectedAccountId();
  // New transactions, and perhaps new categories: the accounts' figures,
  // both trees and the totals are built again.
  if (FImportForm->Execute(*FDataBase, account)) FillAccountsList();
  ShowUndoImport();
}

void TFormMain::ShowUndoImport() {
  if (!MnUndoImport) return;  // the menus are not made yet
  const TLastImport last = LoadLastImport(GetSettings());
  bool offered = IsDataBaseOpened() && CanUndoImport(last, FDataBase->GetFileName());
  // Nothing to offer once its rows are gone (deleted, or taken back by Undo).
  if (offered)
    offered = std::any_of(last.transactions.begin(), last.transactions.end(),
                          [&](std::uint32_t id) { return FDataBase->Transactions().Find(id); }) ||
              std::any_of(last.subtypes.begin(), last.subtypes.end(),
                          [&](std::uint32_t id) { return FDataBase->SubTypes().Find(id); });
  const QString file = QFileInfo(Q(last.file)).fileName();
  MnUndoImport->setText(offered ? LocalizedText(24200, "Undo &import of %1").arg(file)
                                : LocalizedText(24201, "Undo &import"));
  MnUndoImport->setEnabled(offered);
}

void TFormMain::UndoImportClick() {
  const TLastImport last = LoadLastImport(GetSettings());
  if (!IsDataBaseOpened() || !CanUndoImport(last, FDataBase->GetFileName())) return;
  // Transactions changed after the import hold the user's own work: say so,
  // and offer to keep them.
  const CImportChanges changes =
      FindChangedSinceImport(*FDataBase, last.transactions, last.fingerprints);
  const QString question =
      Q(UndoImportQuestion(QFileInfo(Q(last.file)).fileName().toStdString(), changes));
  std::vector<std::uint32_t> keep;
  if (changes.changed.empty()) {
    if (AskConfirmation(this, question, QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
      return;
  } else {
    const QMessageBox::StandardButton answer =
        AskChoice(this, question,
                  {{QMessageBox::Yes, LocalizedText(30105, "&Keep the changed ones")},
                   {QMessageBox::YesToAll, LocalizedText(30106, "&Delete all")},
                   {QMessageBox::Cancel, QString()}});
    if (answer == QMessageBox::Yes)
      keep = changes.changed;
    else if (answer != QMessageBox::YesToAll)
      return;
  }
  std::string error;
  CDataBase::CChangeScope step(*FDataBase, EChangeKind::kUndoImport,
                               QFileInfo(Q(last.file)).fileName().toStdString());
  const bool undone = UndoImport(*FDataBase, last.transactions, last.subtypes, error, keep);
  if (!undone) {
    // What is left stays the last import, to be undone again.
    ShowMessage(GetLocalizedText(24203,
                                 "The import could not be undone completely; undo it "
                                 "again to remove the rest.") +
                "\n\n" + error);
  } else if (!StoreLastImport(GetSettings(), TLastImport())) {
    ShowMessage(GetLocalizedText(24147, "The settings could not be stored.") + "\n" +
                GetSettings().GetFileName());
  }
  FillAccountsList();
  ShowUndoImport();
}

void TFormMain::BtMenuManagerClick() {
  if (FDataBase == nullptr) return;
  // The open database stays open and untouched while the manager shows; it
  // is closed only when another one is chosen, or when the manager deletes
  // or replaces its file. New files are made with a database object of
  // their own.
  const std::string openPath = IsDataBaseOpened() ? GetSettings().GetLastOpened("") : "";
  const std::string openFile = IsDataBaseOpened() ? FDataBase->GetFileName() : "";
  bool released = false;
  TFormDBManager manager(this);
  manager.SetReleaseFile([&](const std::string& file) {
    std::error_code error;
    if (!IsDataBaseOpened() || !std::filesystem::equivalent(file, openFile, error)) return;
    OpenDataBase("");  // every pane and command shows that no file is open
    released = true;
  });
  CDataBase scratch;
  const std::string chosen = manager.Execute(&scratch);
  if (!chosen.empty())
    OpenDataBase(chosen);
  else if (released && FileExists(openFile))
    OpenDataBase(openPath);  // closed for a change that did not happen
}

void TFormMain::BtMenuDBSettingsClick() {
  if (!IsDataBaseOpened()) return;
  TFormDBSettings window(this);
  window.Execute(*FDataBase);
}

void TFormMain::BtSettingsClick() {
  TFormApplicationSettings window(this);
  if (!window.Execute()) return;
  ApplyLanguage();
  for (CTransactionsTree* tree : {FTransactionsTree.get(), FShedulerTree.get()})
    tree->SetTitles(FTexts[kTextIncomes], FTexts[kTextExpenses]);
  if (!IsDataBaseOpened()) return;
  // The caption in the new month names; the trees with or without the
  // empty categories.
  SetWorkingInterval(FDataBase->GetIntervalBegin(), FDataBase->GetIntervalEnd(), false);
  RebuildTrees(false);
}

void TFormMain::About1Click() {
  TAboutBox box(ProgramVersion(), this);
  box.exec();
}

void TFormMain::Exit1Click() {
  close();
}

void TFormMain::CheckUpdatesClick() {
  if (HasHomePage()) AskForUpdates();
}

void TFormMain::AskForUpdates() {
  GetSettings().SetLastUpdatesCheck(Today());
  if (AskConfirmation(this, Q(FTexts[kTextCheckVersion]), QMessageBox::Yes | QMessageBox::No) !=
      QMessageBox::Yes)
    return;
  const std::string page = UpdatesPageUrl(ProgramVersion());
  OpenWebPage(QUrl(Q(page.empty() ? HomePageUrl() : page)));
}

void TFormMain::Pardowhelp1Click() {
  OpenUserGuide(FAppDataFolder, this);  // beside Lang/
}

void TFormMain::PardowHomePage1Click() {
  if (HasHomePage()) OpenWebPage(QUrl(Q(HomePageUrl())));
}

void TFormMain::RulesClick() {
  if (!IsDataBaseOpened()) return;
  TFormRules window(this);
  // An apply or its undo shows in the trees at once, behind the window.
  connect(&window, &TFormRules::TransactionsChanged, this, [this] { RebuildTrees(false); });
  window.Execute(*FDataBase, FDataBase->GetIntervalBegin(), FDataBase->GetIntervalEnd());
}

std::uint32_t TFormMain::RuleRowId() {
  if (!IsDataBaseOpened() || TabKind() != kTransactionKind || SelectedTransactionIds().size() > 1)
    return 0;
  const CTransactionNode* node = SelectedNode();
  if (node == nullptr || node->kind != NodeTransaction) return 0;
  const auto entry = FDataBase->Transactions().Find(node->transactionId);
  if (entry == nullptr || IsTransfer(entry->record)) return 0;
  return node->transactionId;
}

void TFormMain::MakeRuleClick() {
  const std::uint32_t id = RuleRowId();
  if (id == 0) return;
  CTransactionItem item;
  FDataBase->GetTransaction(id, item);
  const TransactionRecord& r = item.record;
  const bool expense = IsExpense(r);
  MakeRuleFromRow(
      this, *FDataBase,
      RuleFromRow(item.description, r.amountOut, expense, expense ? r.fromAccount : r.toAccount,
                  r.categoryId, r.memberId, r.sectionId));
}
